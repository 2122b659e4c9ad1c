// The application object's command routing, and the framework's message box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/AboutDlg.h"
#include "app/Version.h"
#include "framework/Afx.h"
#include "framework/WinApp.h"

namespace {

class HelpCountingApp : public CWinApp {
 public:
  HelpCountingApp() : CWinApp(kTocoloVersion) {}
  void CountHelp() { ++helps; }
  int helps = 0;

 protected:
  std::span<const CommandMapEntry> GetCommandMap() const override {
    static constexpr CommandMapEntry kCommands[] = {
        {ID_HELP, static_cast<void (CWinApp::*)()>(&HelpCountingApp::CountHelp)}};
    return kCommands;
  }
};

TEST(WinApp, F1InADialogSendsTheHelpCommandToTheApplicationAndNothingElseHappens) {
  HelpCountingApp app;
  CAboutDlg about;
  ASSERT_TRUE(about.Create());
  QWidget* window = about.GetSafeHwnd();
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
  EXPECT_EQ(app.helps, 1);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_FALSE(app.OnCmdMsg(ID_HELP + 1)) << "a command nobody maps is not taken";
}

TEST(WinApp, MessageBoxHasNoIconOkAsDefaultAndCancelAnswersCancel) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = true;
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
    box->button(QMessageBox::Cancel)->click();
  });
  EXPECT_EQ(AfxMessageBox("only mono data", "error"), IDCANCEL);
  EXPECT_TRUE(seen);
}

}  // namespace
