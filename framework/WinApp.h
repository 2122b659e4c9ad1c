#pragma once

#include <QIcon>
#include <QString>

class CWnd;

// What the executable says about itself: its name and versions.
struct VersionInfo {
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
  QIcon LoadIcon(int id) const;
  // The help command: the program has no help file, so there is nothing to open.
  void OnHelp() {}

  const VersionInfo& Version() const { return m_version; }
  CWnd* m_pMainWnd = nullptr;

 private:
  VersionInfo m_version;
};

CWinApp* AfxGetApp();
// Nothing to enable on this desktop; kept so start-up reads as it always has.
inline void AfxEnableControlContainer() {}
// Starts the window system and runs the application; returns the process's exit status.
int AfxWinMain(int argc, char** argv);

// A modal message box with OK and Cancel; returns IDOK or IDCANCEL.
int AfxMessageBox(const QString& text, const QString& caption);
