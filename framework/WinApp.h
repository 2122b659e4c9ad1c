#pragma once

#include <QIcon>
#include <QString>
#include <array>
#include <span>

class CWinApp;
class CWnd;

// One entry of an application's command map: a command and the member that handles it.
struct CommandMapEntry {
  unsigned id;
  void (CWinApp::*handler)();
};

// What the executable says about itself: its name and versions, as a version record holds
// them: the fixed versions as four numbers, then the strings of one language block.
struct VersionInfo {
  std::array<int, 4> fixedFileVersion;
  std::array<int, 4> fixedProductVersion;
  const char* languageBlock;  // language and code page in hex, "041104B0": Japanese, Unicode
  const char* fileDescription;
  const char* fileVersion;  // as the version record writes it, "1, 0, 0, 2"
  const char* productVersion;
  const char* internalName;
  const char* originalFilename;
  const char* productName;
};

// The application: one static instance per program. AfxWinMain runs its InitInstance once
// the window system is up; the program ends when InitInstance returns.
class CWinApp {
 public:
  explicit CWinApp(const VersionInfo& version);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual bool InitInstance() { return false; }
  // The help command: the program has no help file, so there is nothing to open.
  void OnHelp() {}
  // Routes a command (F1 in a dialog sends ID_HELP) through the command map; false when
  // no entry takes it.
  bool OnCmdMsg(unsigned id);

  const VersionInfo& Version() const { return m_version; }
  CWnd* m_pMainWnd = nullptr;
  // The template id the main window's dialog was missing, when it could not be made; 0 if
  // it was made. AfxWinMain reports it and ends with status 1.
  int m_missingMainTemplate = 0;

 protected:
  virtual std::span<const CommandMapEntry> GetCommandMap() const { return {}; }

 private:
  VersionInfo m_version;
};

CWinApp* AfxGetApp();
// Nothing to enable on this desktop; kept so start-up reads as it always has.
inline void AfxEnableControlContainer() {}
// Starts the window system and runs the application; returns the process's exit status.
int AfxWinMain(int argc, char** argv);

// A modal message box with OK and Cancel and no icon; returns IDOK or IDCANCEL.
int AfxMessageBox(const QString& text, const QString& caption);
