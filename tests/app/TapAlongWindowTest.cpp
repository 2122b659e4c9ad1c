// The tap-along window as the player meets it: opened from the window menu, taps made with
// key and mouse events whose timestamps lie at known offsets from the strokes, against a
// device whose clock the test sets.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <chrono>
#include <string>
#include <vector>

#include "app/MainDlg.h"
#include "app/TapAlongColours.h"
#include "app/TapAlongFigureLabel.h"
#include "app/TapAlongLoopPicture.h"
#include "app/TapAlongPad.h"
#include "app/TapAlongTakePicture.h"
#include "app/TapAlongWindow.h"
#include "res/ResourceIds.h"
#include "support/Contrast.h"
#include "support/EngineFixture.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

std::int64_t NowMs() {
  return std::chrono::duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The widgets of class T in `parent`: ours have no meta-object of their own, so
// findChildren would take any QWidget for one.
template <typename T>
std::vector<T*> All(const QObject* parent) {
  std::vector<T*> found;
  for (QObject* child : parent->findChildren<QObject*>()) {
    if (auto* widget = dynamic_cast<T*>(child)) found.push_back(widget);
  }
  return found;
}
template <typename T>
T* One(const QObject* parent) {
  const std::vector<T*> found = All<T>(parent);
  return found.size() == 1 ? found.front() : nullptr;
}

// A tool window counts as active with its owner: this waits for the window itself.
bool Activated(QWidget* window) {
  return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

QMenu* OpenWindowMenu() {
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space, Qt::AltModifier);
  if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; })) return nullptr;
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// The Beat item's check mark, as the window menu shows it.
bool BeatChecked() {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto* menu = qobject_cast<QMenu*>(top)) {
      for (QAction* item : menu->actions()) {
        if (item->text() == "&Beat") return item->isChecked();
      }
    }
  }
  ADD_FAILURE() << "no Beat item";
  return false;
}

class TapAlongWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dlg.Create());
    main = static_cast<QDialog*>(dlg.GetSafeHwnd());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine().Tempo() == 200; }));
  }

  CRhythmEngine& engine() { return *dlg.Engine(); }
  QWidget* Item(int id) { return dlg.GetDlgItem(id); }

  // The main dialog's window menu, the main dialog active.
  QMenu* Menu() {
    main->activateWindow();
    if (!Activated(main)) return nullptr;
    return OpenWindowMenu();
  }
  TapAlongWindow* Open() {
    QMenu* menu = Menu();
    if (menu == nullptr) return nullptr;
    QTest::keyClick(menu, Qt::Key_T);
    window = One<TapAlongWindow>(main);
    if (window == nullptr || !Activated(window)) return nullptr;
    pad = One<TapAlongPad>(window);
    return window;
  }
  // From `tempo` 300 on, "2-3" strokes at 200, 400, 800, 1100 and 1400 ms of its 1600 ms loop.
  void SetTempo300() {
    QTest::keyClick(Item(IDC_SLIDER), Qt::Key_End);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine().Tempo() == 300; }));
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
  }

  // The loop's frame 0 was heard `loopMs` ago, on a half millisecond: a tap stamped on a
  // whole millisecond, taken to be in its middle, lies a whole number of ms into the loop.
  void HearNowAt(int loopMs) {
    zeroMs_ = NowMs() - loopMs;
    HearFromZero();
  }
  void HearFromZero() {
    device.HearFrom(steady_clock::time_point(milliseconds(zeroMs_)) +
                    std::chrono::microseconds(500));
  }
  // Taps `loopMs` into the loop: at most the moment heard now, and less than 2 s before it.
  void KeyTap(int loopMs, Qt::Key key = Qt::Key_J, bool autoRepeat = false,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
    press.setTimestamp(static_cast<quint64>(zeroMs_ + loopMs));
    QApplication::sendEvent(QApplication::focusWidget(), &press);
  }
  void MouseTap(int loopMs, Qt::MouseButton button = Qt::LeftButton) {
    const QPointF at(pad->width() / 2.0, pad->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, pad->mapToGlobal(at), button, button,
                      Qt::NoModifier);
    press.setTimestamp(static_cast<quint64>(zeroMs_ + loopMs));
    QApplication::sendEvent(pad, &press);
  }

  TapAlongFigureLabel* Figures(const QString& name) {
    for (auto* label : All<TapAlongFigureLabel>(window)) {
      if (label->accessibleName() == name) return label;
    }
    return nullptr;
  }
  std::string Summary() { return Figures("Timing summary")->text().toStdString(); }
  std::string Status() { return window->findChild<QLabel*>("status")->text().toStdString(); }
  std::vector<std::string> Listed() {
    std::vector<std::string> lines;
    auto* list = window->findChild<QListWidget*>();
    for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
    return lines;
  }
  QPushButton* Button(const QString& text) {
    for (auto* button : window->findChildren<QPushButton*>()) {
      if (button->text() == text) return button;
    }
    return nullptr;
  }
  QSpinBox* Adjustment() { return window->findChild<QSpinBox*>(); }

  ManualWaveDevice device{kCdMono};
  ScopedWaveDeviceOverride useDevice{&device};
  CMainDlg dlg{2};  // two loops: every window has closed once both have been heard
  QDialog* main = nullptr;
  TapAlongWindow* window = nullptr;
  TapAlongPad* pad = nullptr;
  std::int64_t zeroMs_ = 0;
};

TEST_F(TapAlongWindowTest, OpensFromTheMenuIsRaisedAgainEscClosesItAloneAndTheMainWindowTakesIt) {
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(window->windowTitle(), "Tap along");
  EXPECT_TRUE(window->isWindow());
  EXPECT_EQ(window->parentWidget(), main) << "owned by the main dialog";
  EXPECT_EQ(QApplication::focusWidget(), pad);

  TapAlongWindow* first = window;
  ASSERT_NE(Open(), nullptr) << "chosen again, it is raised";
  EXPECT_EQ(window, first);
  EXPECT_EQ(All<TapAlongWindow>(main).size(), 1u);

  Key(Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(main->isVisible());
  ASSERT_NE(Open(), nullptr);
  main->close();
  EXPECT_FALSE(window->isVisible());
}

TEST(TapAlongWindowLifetime, GoesWithTheMainDialogWhileThePlayingEngineGoesFirst) {
  ManualWaveDevice device{kCdMono};
  ScopedWaveDeviceOverride useDevice{&device};
  QPointer<TapAlongWindow> window;
  {
    CMainDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.GetSafeHwnd()->activateWindow();
    ASSERT_TRUE(Activated(dlg.GetSafeHwnd()));
    QMenu* menu = OpenWindowMenu();
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_T);
    window = One<TapAlongWindow>(dlg.GetSafeHwnd());
    ASSERT_NE(window, nullptr);
    QTest::keyClick(window, Qt::Key_Space);
    ASSERT_TRUE(dlg.Engine()->IsPlaying());
  }
  EXPECT_TRUE(window.isNull());
}

// Loop 1 sounds, loop 2 is silent; stroke 4 of loop 1 and strokes 1 and 2 of loop 2 are
// tapped, stroke 2 twice, and one tap falls between strokes.
TEST_F(TapAlongWindowTest, TapsAtKnownOffsetsGiveTheirOffsetsFiguresAndCopiedLines) {
  SetTempo300();
  QMenu* menu = Menu();
  ASSERT_NE(menu, nullptr);
  QTest::keyClick(menu, Qt::Key_E);  // every second loop silent
  ASSERT_NE(Open(), nullptr);
  Key(Qt::Key_Space);
  ASSERT_TRUE(engine().IsPlaying());
  EXPECT_FALSE(Item(IDC_START)->isEnabled()) << "the main dialog's buttons follow";

  HearNowAt(1500);
  KeyTap(1112);
  MouseTap(1380);
  HearNowAt(2300);
  KeyTap(1830, Qt::Key_A);
  KeyTap(1960, Qt::Key_Return);
  MouseTap(2005);
  KeyTap(2200);
  EXPECT_EQ(Listed(), (std::vector<std::string>{
                          "1. key: loop 1, stroke 4, +12.0 ms (late)",
                          "2. mouse: loop 1, stroke 5, -20.0 ms (early)",
                          "3. key: loop 2 (silent), stroke 1, +30.0 ms (late)",
                          "4. key: loop 2 (silent), stroke 2, -40.0 ms (early)",
                          "5. mouse: extra, loop 2 (silent), stroke 2, +5.0 ms (late)",
                          "6. key: extra, no stroke near",
                      }));
  // Strokes 3 to 5 of loop 2 are missed once their windows have closed; the take ends there.
  HearNowAt(3300);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return Summary().find("3 misses") != std::string::npos; }, 2000))
      << Summary();
  EXPECT_EQ(Summary(),
            "4 hits, 3 misses, 2 extras; mean -4.5 ms (early), spread 27.2 ms; within 15 ms 25%, "
            "30 ms 75%, 50 ms 100%");
  EXPECT_EQ(Figures("Sounding and silent loops")->text().toStdString(),
            "sounding loops: 2 hits, mean -4.0 ms (early), spread 16.0 ms; silent loops: 2 hits, "
            "mean -5.0 ms (early), spread 35.0 ms");
  EXPECT_EQ(Figures("Stroke 2")->text().toStdString(),
            "stroke 2: 1 hit, mean -40.0 ms (early), spread 0.0 ms");
  EXPECT_TRUE(Figures("Stroke 5")->isVisibleTo(window));
  EXPECT_FALSE(Figures("Stroke 6")->isVisibleTo(window)) << "\"2-3\" has five strokes";
  // What a screen reader reads: the label's name, and its figures as the description.
  QAccessibleInterface* summary = QAccessible::queryAccessibleInterface(Figures("Timing summary"));
  EXPECT_EQ(summary->text(QAccessible::Name), "Timing summary");
  EXPECT_EQ(summary->text(QAccessible::Description).toStdString(), Summary());

  QTest::mouseClick(Button("C&opy"), Qt::LeftButton);
  std::vector<std::string> copied;
  for (const QString& line : QGuiApplication::clipboard()->text().split('\n'))
    copied.push_back(line.toStdString());
  ASSERT_GE(copied.size(), 8u);
  EXPECT_EQ(copied[0], Summary());
  EXPECT_EQ(copied[2], "stroke 1: 1 hit, mean +30.0 ms (late), spread 0.0 ms");
  EXPECT_EQ(std::vector(copied.begin() + 7, copied.end()),
            (std::vector<std::string>{"tap\tsource\tverdict\tloop\tstroke\toffset ms",
                                      "1\tkey\thit\t1\t4\t12.0", "2\tmouse\thit\t1\t5\t-20.0",
                                      "3\tkey\thit\t2\t1\t30.0", "4\tkey\thit\t2\t2\t-40.0",
                                      "5\tmouse\textra\t2\t2\t5.0", "6\tkey\textra\t\t\t", ""}));
}

// Nothing but a fresh press of a plain key, or of the left button, is a tap. Space starts
// and stops the loop from anywhere in the window, never pressing the focused button.
TEST_F(TapAlongWindowTest, OnlyFreshPlainKeysAndTheLeftButtonAreTapsAndSpaceTogglesTheLoop) {
  ASSERT_NE(Open(), nullptr);
  Key(Qt::Key_Space);
  ASSERT_TRUE(engine().IsPlaying());
  HearNowAt(1000);
  KeyTap(300, Qt::Key_J, true);
  KeyTap(300, Qt::Key_Shift);
  KeyTap(300, Qt::Key_J, false, Qt::ControlModifier);
  KeyTap(300, Qt::Key_J, false, Qt::AltModifier);
  MouseTap(300, Qt::RightButton);
  Key(Qt::Key_Tab);
  EXPECT_NE(QApplication::focusWidget(), pad) << "Tab moves on";
  Key(Qt::Key_Backtab);
  ASSERT_EQ(QApplication::focusWidget(), pad);
  EXPECT_EQ(Summary(), "no take yet");
  KeyTap(600);
  EXPECT_EQ(Listed(), std::vector<std::string>{"1. key: loop 1, stroke 2, +0.0 ms (on time)"});

  QKeyEvent heldSpace(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
  QApplication::sendEvent(pad, &heldSpace);
  EXPECT_TRUE(engine().IsPlaying()) << "an auto-repeated Space toggles nothing";
  Button("&Calibrate")->setFocus();
  Key(Qt::Key_Space);
  EXPECT_FALSE(engine().IsPlaying());
  EXPECT_TRUE(Item(IDC_START)->isEnabled());
  EXPECT_FALSE(engine().Beat()) << "Space did not press Calibrate";
  Key(Qt::Key_Space);
  EXPECT_TRUE(engine().IsPlaying());
}

// Taps made before the output knows when its sound is heard count once it does; a change of
// setting restarts the loop, and the next tap starts a new take.
TEST_F(TapAlongWindowTest, EarlyTapsWaitForTheClockAndARestartStartsANewTakeOnTheNextTap) {
  ASSERT_NE(Open(), nullptr);
  Key(Qt::Key_Space);
  zeroMs_ = NowMs() - 310;
  KeyTap(310);  // 10 ms after stroke 1, before any clock
  HearFromZero();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Listed().size() == 1; }, 2000));
  EXPECT_EQ(Listed(), std::vector<std::string>{"1. key: loop 1, stroke 1, +10.0 ms (late)"});

  QTest::mouseClick(Item(IDC_PATTERN32), Qt::LeftButton);
  ASSERT_TRUE(engine().IsPlaying());
  QTest::qWait(150);
  EXPECT_EQ(Listed().size(), 1u) << "the last take stays until the next one begins";
  HearNowAt(500);
  KeyTap(455);  // "3-2 (rumba)": stroke 2 at 450 ms
  EXPECT_EQ(Listed(), std::vector<std::string>{"1. key: loop 1, stroke 2, +5.0 ms (late)"});
}

TEST_F(TapAlongWindowTest, WithoutAClockItSaysSoInOneLineAndScoresNothing) {
  ASSERT_NE(Open(), nullptr);
  Key(Qt::Key_Space);
  zeroMs_ = NowMs();
  KeyTap(0);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return Status() ==
               "This output does not say when its sound is heard, so taps cannot be timed.";
      },
      2000));
  KeyTap(600);
  EXPECT_EQ(Summary(), "no take yet");
  EXPECT_TRUE(Listed().empty());
}

TEST_F(TapAlongWindowTest, TheAdjustmentMovesEveryStrokeLaterAndRescoresTheTake) {
  ASSERT_NE(Open(), nullptr);
  Key(Qt::Key_Space);
  HearNowAt(1000);
  KeyTap(330);
  Adjustment()->setValue(40);  // a headset 40 ms late
  KeyTap(640);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"1. key: loop 1, stroke 1, -10.0 ms (early)",
                                                "2. key: loop 1, stroke 2, +0.0 ms (on time)"}));
  EXPECT_EQ(Adjustment()->minimum(), -300);
  EXPECT_EQ(Adjustment()->maximum(), 300);
}

// 16 taps along with the beat (every 300 ms at tempo 200), most about 20 ms late, two wild.
TEST_F(TapAlongWindowTest, CalibrationSetsTheAdjustmentFromSixteenBeatTapsAndPutsTheBeatBack) {
  ASSERT_NE(Open(), nullptr);
  QTest::mouseClick(Button("&Calibrate"), Qt::LeftButton);
  EXPECT_TRUE(engine().IsPlaying());
  EXPECT_TRUE(engine().Beat());
  EXPECT_TRUE(BeatChecked()) << "through the main dialog, so its menu follows";
  EXPECT_EQ(QApplication::focusWidget(), pad);

  const int offsets[16] = {18, 22, 20, 21, 19, 20, 23, 17, 20, 100, -80, 20, 21, 19, 20, 22};
  for (int beat = 0; beat < 16; ++beat) {
    if (beat % 5 == 0) HearNowAt(300 * (beat + 5));
    KeyTap(300 * beat + offsets[beat]);
  }
  EXPECT_EQ(Adjustment()->value(), 20);
  EXPECT_EQ(Status(),
            "Adjustment set to +20 ms from 16 taps on the beat: it includes your own habit of "
            "playing early or late.");
  EXPECT_FALSE(engine().Beat());
  EXPECT_FALSE(BeatChecked());
  EXPECT_EQ(Summary(), "no take yet") << "calibration taps are not a take";

  // Calibrate again cancels, Esc too, without closing the window; Beat left on stays on.
  QTest::mouseClick(Button("&Calibrate"), Qt::LeftButton);
  ASSERT_TRUE(engine().Beat());
  QTest::mouseClick(Button("&Calibrate"), Qt::LeftButton);
  EXPECT_FALSE(engine().Beat());
  QMenu* menu = Menu();
  ASSERT_NE(menu, nullptr);
  QTest::keyClick(menu, Qt::Key_B);
  ASSERT_NE(Open(), nullptr);
  QTest::mouseClick(Button("&Calibrate"), Qt::LeftButton);
  Key(Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(engine().Beat());
  EXPECT_EQ(Adjustment()->value(), 20);
}

// A take with marks of every closeness, for the pictures.
class TapAlongPicturesTest : public TapAlongWindowTest {
 protected:
  void MakeTake() {
    ASSERT_NE(Open(), nullptr);
    Key(Qt::Key_Space);
    HearNowAt(1900);
    // Within 15, 30 and 50 ms of strokes 1 to 3, and beyond of stroke 4.
    for (int at : {300, 580, 1240, 1740}) KeyTap(at);
    QApplication::processEvents();
  }
  template <typename Picture>
  QImage Rendered(int scale) {
    auto* picture = One<Picture>(window);
    QPixmap canvas(picture->size() * scale);
    canvas.setDevicePixelRatio(scale);
    picture->render(&canvas);
    return canvas.toImage().convertToFormat(QImage::Format_RGB32);
  }
};

// The lines along each picture are whole device pixels at both scales, never smeared
// across a neighbouring row.
TEST_F(TapAlongPicturesTest, LinesAreWholePixelsAt1xAnd2x) {
  MakeTake();
  for (int scale : {1, 2}) {
    for (const QImage& image :
         {Rendered<TapAlongLoopPicture>(scale), Rendered<TapAlongTakePicture>(scale)}) {
      const int x = image.width() - 6 * scale;  // clear of marks, boxes and the scale's text
      const QRgb base = image.pixel(x, 3 * scale);
      int lineRows = 0;
      for (int y = 2 * scale; y < image.height() - 2 * scale; ++y) {
        if (image.pixel(x, y) != base) ++lineRows;
      }
      EXPECT_EQ(lineRows, scale) << "at " << scale << "x, " << image.width() << " wide";
    }
  }
}

TEST_F(TapAlongPicturesTest, MarksStrokesAndFiguresStandOutInADarkPalette) {
  const QPalette saved = QApplication::palette();
  QPalette dark = DarkPalette();
  dark.setColor(QPalette::Base, QColor(0x23, 0x26, 0x29));  // a dark theme's view, not black
  QApplication::setPalette(dark);
  MakeTake();
  const QImage loop = Rendered<TapAlongLoopPicture>(1);
  const QRgb base = window->palette().color(QPalette::Base).rgb();
  EXPECT_EQ(loop.pixel(2, 2), base);
  EXPECT_LT(Luminance(base), 0.1) << "the pictures follow the palette";
  // Each closeness has a colour; every one stands out.
  for (double offset : {0.0, 20.0, 40.0, 90.0}) {
    EXPECT_GE(Contrast(TapMarkColour(offset, window->palette()).rgb(), base), 3.0) << offset;
  }
  EXPECT_GE(StrongestContrast(loop, loop.rect(), base), 7.0) << "the strokes' ticks";
  const QImage shot = window->grab().toImage();
  const QRgb background = window->palette().color(QPalette::Window).rgb();
  for (QWidget* part :
       {static_cast<QWidget*>(Figures("Timing summary")), static_cast<QWidget*>(pad)}) {
    const QRect area(part->mapTo(window, QPoint(0, 0)), part->size());
    EXPECT_GE(StrongestContrast(shot, area, background), 3.0)
        << part->accessibleName().toStdString();
  }
  QApplication::setPalette(saved);
}

}  // namespace
