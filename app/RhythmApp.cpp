#include "app/RhythmApp.h"

#include "app/MainDlg.h"
#include "app/Version.h"
#include "engine/MessageBox.h"
#include "framework/Utf8.h"

namespace {

void ShowMessageBoxWindow(std::string_view text, std::string_view caption) {
  AfxMessageBox(Utf8(text), Utf8(caption));
}

}  // namespace

CRhythmApp::CRhythmApp(std::uint32_t playLoops) : CWinApp(kTocoloVersion), m_playLoops(playLoops) {
  SetMessageBoxHook(&ShowMessageBoxWindow);
}

std::span<const CommandMapEntry> CRhythmApp::GetCommandMap() const {
  static constexpr CommandMapEntry kCommands[] = {{ID_HELP, &CWinApp::OnHelp}};
  return kCommands;
}

bool CRhythmApp::InitInstance() {
  AfxEnableControlContainer();
  CMainDlg dlg(m_playLoops);
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  // The dialog has ended, so the application ends too.
  return false;
}
