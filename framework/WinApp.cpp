#include "framework/WinApp.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "framework/Afx.h"
#include "framework/ResourceLoader.h"
#include "res/AppId.h"

namespace {

CWinApp* g_app = nullptr;

// "1, 0, 0, 2" as the desktop writes versions: "1.0.0.2".
QString DottedVersion(const char* recordVersion) {
  return QString::fromLatin1(recordVersion)
      .remove(QLatin1Char(' '))
      .replace(QLatin1Char(','), QLatin1Char('.'));
}

bool DisplayAvailable() {
  return std::getenv("QT_QPA_PLATFORM") != nullptr || std::getenv("DISPLAY") != nullptr ||
         std::getenv("WAYLAND_DISPLAY") != nullptr;
}

// While the window system starts, its complaints are held back: if it cannot start, the
// first of them says why in one line, instead of a page of advice and an abort.
QStringList g_startupMessages;

void HoldStartupMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    g_startupMessages.append(message);
    return;
  }
  const QString reason = g_startupMessages.isEmpty() ? message : g_startupMessages.first();
  std::fprintf(stderr, "tocolo: cannot open a window: %s\n",
               qPrintable(reason.section('\n', 0, 0)));
  std::_Exit(1);
}

}  // namespace

CWinApp::CWinApp(const VersionInfo& version) : m_version(version) {
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

bool CWinApp::OnCmdMsg(unsigned id) {
  for (const CommandMapEntry& entry : GetCommandMap()) {
    if (entry.id == id) {
      (this->*entry.handler)();
      return true;
    }
  }
  return false;
}

CWinApp* AfxGetApp() {
  return g_app;
}

int AfxWinMain(int argc, char** argv) {
  if (!DisplayAvailable()) {
    std::fprintf(
        stderr, "tocolo: no display to open a window on (DISPLAY and WAYLAND_DISPLAY are unset)\n");
    return 1;
  }
  // The program takes no options: Qt is given the program's name alone, so that its own
  // (-style, -platform, -reverse and the rest) change nothing. Its environment variables
  // still apply.
  char defaultName[] = "tocolo";
  char* qtArgv[] = {argc > 0 && argv[0] != nullptr ? argv[0] : defaultName, nullptr};
  int qtArgc = 1;
  qInstallMessageHandler(&HoldStartupMessage);
  QApplication application(qtArgc, qtArgv);
  qInstallMessageHandler(nullptr);
  for (const QString& message : g_startupMessages) qWarning("%s", qPrintable(message));
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 1;
  QApplication::setApplicationName(QString::fromUtf8(app->Version().internalName));
  QApplication::setApplicationVersion(DottedVersion(app->Version().productVersion));
  // The menu entry's name: Wayland app id, and how a task bar finds the entry and its icon.
  QApplication::setDesktopFileName(QString::fromLatin1(kAppId));
  app->InitInstance();
  if (app->m_missingMainTemplate != 0) {
    std::fprintf(stderr, "tocolo: the main window could not be made (no dialog template %d)\n",
                 app->m_missingMainTemplate);
    return 1;
  }
  return 0;
}

int AfxMessageBox(const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel);
  box.setDefaultButton(QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}
