#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "framework/OwnTitleBar.h"

namespace {

class CountingCloses : public QDialog {
 public:
  int closes = 0;

 protected:
  void closeEvent(QCloseEvent* event) override {
    ++closes;
    event->ignore();  // as a dialog does: whether it ends is up to it
  }
};

TEST(OwnTitleBar, CloseBoxAsksTheWindowToCloseAndTakesNoPartInTheTabCycle) {
  CountingCloses window;
  auto* bar = new OwnTitleBar(&window);
  bar->setGeometry(0, 0, 200, OwnTitleBar::kHeight);
  auto* button = new QPushButton("OK", &window);
  button->setGeometry(10, 40, 60, 20);
  window.resize(200, 80);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  const QList<QToolButton*> boxes = bar->findChildren<QToolButton*>();
  ASSERT_EQ(boxes.size(), 1) << "a close box and no other button";
  EXPECT_EQ(boxes[0]->accessibleName(), "Close");
  QTest::mouseClick(boxes[0], Qt::LeftButton);
  EXPECT_EQ(window.closes, 1);
  EXPECT_TRUE(window.isVisible());

  button->setFocus();
  QTest::keyClick(button, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), button);
}

}  // namespace
