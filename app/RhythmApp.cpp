#include "app/RhythmApp.h"

#include "app/MainDlg.h"
#include "app/Version.h"
#include "engine/MessageBox.h"

namespace {

void ShowMessageBoxWindow(std::string_view text, std::string_view caption) {
  AfxMessageBox(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}

}  // namespace

CRhythmApp theApp;

CRhythmApp::CRhythmApp() : CWinApp(kTocoloVersion) {
  SetMessageBoxHook(&ShowMessageBoxWindow);
}

std::span<const CommandMapEntry> CRhythmApp::GetCommandMap() const {
  static constexpr CommandMapEntry kCommands[] = {{ID_HELP, &CWinApp::OnHelp}};
  return kCommands;
}

bool CRhythmApp::InitInstance() {
  AfxEnableControlContainer();
  CMainDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  // The dialog has ended, so the application ends too.
  return false;
}
