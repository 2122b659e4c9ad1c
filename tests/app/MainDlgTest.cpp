#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/MainDlg.h"
#include "engine/MessageBox.h"
#include "framework/ResourceLoader.h"
#include "res/ButtonBitmap.h"
#include "res/ResourceIds.h"
#include "support/EngineFixture.h"
#include "support/WaveImageBuilder.h"

namespace {

class MainDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dlg.Create());
    window = static_cast<QDialog*>(dlg.GetSafeHwnd());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    // Let the slider paint once, as it does when the window first appears.
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine().Tempo() == 200; }));
  }

  CRhythmEngine& engine() { return *dlg.Engine(); }
  QWidget* Item(int id) { return dlg.GetDlgItem(id); }
  bool Checked(int id) { return static_cast<QAbstractButton*>(Item(id))->isChecked(); }
  QString Label() { return static_cast<QLabel*>(Item(IDC_TEMPO))->text(); }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
  }
  bool WaitForTempo(std::uint32_t tempo) {
    return QTest::qWaitFor([&] { return engine().Tempo() == tempo; }, 2000);
  }
  std::vector<std::int16_t> Pull(std::size_t frames) {
    std::vector<std::int16_t> out(frames);
    device.Pull(out);
    return out;
  }
  // Runs `inside` once the modal window that `open` starts is up, then closes it with OK.
  void WithModal(const std::function<void()>& open, const std::function<void(QDialog&)>& inside) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
      auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(modal, nullptr);
      seen = true;
      inside(*modal);
      modal->findChild<QAbstractButton*>()->click();
    });
    open();
    EXPECT_TRUE(seen);
  }

  ManualWaveDevice device{kCdMono};
  ScopedWaveDeviceOverride useDevice{&device};
  CMainDlg dlg;
  QDialog* window = nullptr;
};

TEST_F(MainDialogTest, StartsAt200WithTwoThreeAndClavesReadyToStart) {
  EXPECT_EQ(window->windowTitle(), "Tocolo");
  EXPECT_EQ(Label(), QString::fromUtf8(" ♪ = 200"));
  EXPECT_EQ(engine().LoopLength(), 211680u);
  EXPECT_TRUE(Checked(IDC_PATTERN23));
  EXPECT_TRUE(Checked(IDC_CLAVES));
  for (int id : {IDC_PATTERN32, IDC_PATTERN68, IDC_HANDCLAP, IDC_COWBELL})
    EXPECT_FALSE(Checked(id));
  EXPECT_TRUE(Item(IDC_START)->isEnabled());
  EXPECT_FALSE(Item(IDC_STOP)->isEnabled());
  EXPECT_FALSE(engine().IsPlaying());
  EXPECT_EQ(QApplication::focusWidget(), Item(IDC_SLIDER));
}

TEST_F(MainDialogTest, SliderKeysSetTheTempoInStepsOfTwoFrom100To300) {
  Key(Qt::Key_Right);
  ASSERT_TRUE(WaitForTempo(202));
  EXPECT_EQ(Label(), QString::fromUtf8(" ♪ = 202"));
  Key(Qt::Key_Home);
  ASSERT_TRUE(WaitForTempo(100));
  EXPECT_EQ(engine().LoopLength(), 423360u);
  Key(Qt::Key_End);
  ASSERT_TRUE(WaitForTempo(300));
  EXPECT_EQ(Label(), QString::fromUtf8(" ♪ = 300"));
}

TEST_F(MainDialogTest, RepaintWithoutMoveLeavesThePlayingLoopAlone) {
  Key(Qt::Key_Space);
  ASSERT_TRUE(engine().IsPlaying());
  const int writes = device.WriteCount();
  Item(IDC_SLIDER)->repaint();
  QApplication::processEvents();
  EXPECT_EQ(device.WriteCount(), writes);
  EXPECT_EQ(Label(), QString::fromUtf8(" ♪ = 200"));
}

TEST_F(MainDialogTest, SpaceTogglesFromAnyControlWithoutPressingIt) {
  for (int focused : {IDC_SLIDER, IDC_PATTERN32, IDC_COWBELL, IDC_ABOUT}) {
    Item(focused)->setFocus();
    Key(Qt::Key_Space);
    EXPECT_TRUE(engine().IsPlaying()) << focused;
    EXPECT_FALSE(Item(IDC_START)->isEnabled());
    EXPECT_TRUE(Item(IDC_STOP)->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), Item(IDC_STOP));
    Key(Qt::Key_Space);
    EXPECT_FALSE(engine().IsPlaying()) << focused;
    EXPECT_TRUE(Item(IDC_START)->isEnabled());
    EXPECT_FALSE(Item(IDC_STOP)->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), Item(IDC_START));
  }
  EXPECT_EQ(engine().Pattern(), 0) << "Space must not press a focused radio button";
  EXPECT_EQ(engine().Tone(), 0);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "nor About..";
}

// Alt+F4 as a key the dialog itself receives: it is not a close of the dialog's own. Under a
// window manager the combination is the manager's close request, the close box's, which the
// window manager handles before the dialog sees a key (CloseBoxEndsAsCancel).
TEST_F(MainDialogTest, EnterEscapeAndAltF4AsKeysLeaveTheDialogOpen) {
  Key(Qt::Key_Return);
  Key(Qt::Key_Enter);
  Key(Qt::Key_Escape);
  Key(Qt::Key_F4, Qt::AltModifier);
  QApplication::processEvents();
  EXPECT_TRUE(window->isVisible());
  EXPECT_NE(dlg.Engine(), nullptr);
}

TEST_F(MainDialogTest, CloseBoxEndsAsCancel) {
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), IDCANCEL);
}

TEST_F(MainDialogTest, ByeReleasesTheEngineAndEndsWithOk) {
  Key(Qt::Key_Space);
  QTest::mouseClick(Item(IDOK), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), IDOK);
  EXPECT_EQ(dlg.Engine(), nullptr);
  EXPECT_EQ(Pull(100), std::vector<std::int16_t>(100, 0)) << "the device stopped with it";
}

// Qt keeps one default button per dialog; both of the template's look like one all the same.
TEST_F(MainDialogTest, ByeAndAboutAreBothDrawnAsDefaultButtons) {
  for (int id : {IDOK, IDC_ABOUT}) {
    auto* button = static_cast<QPushButton*>(Item(id));
    QPushButton plain(button->text(), window);
    plain.setAutoDefault(false);
    plain.resize(button->size());
    const QImage plainLook = plain.grab().toImage();
    plain.setDefault(true);
    EXPECT_EQ(button->grab().toImage(), plain.grab().toImage()) << id;
    EXPECT_NE(plain.grab().toImage(), plainLook) << "the style draws no default frame";
  }
}

TEST_F(MainDialogTest, ClickingTheCheckedRadioRendersAgainAndRestarts) {
  QTest::mouseClick(Item(IDC_START), Qt::LeftButton);
  ASSERT_TRUE(engine().IsPlaying());
  Pull(20000);
  QTest::mouseClick(Item(IDC_PATTERN23), Qt::LeftButton);
  const auto loop = engine().LoopBuffer().first(1000);
  EXPECT_EQ(Pull(1000), std::vector<std::int16_t>(loop.begin(), loop.end()));

  QTest::mouseClick(Item(IDC_PATTERN68), Qt::LeftButton);
  QTest::mouseClick(Item(IDC_COWBELL), Qt::LeftButton);
  EXPECT_EQ(engine().Pattern(), 2);
  EXPECT_EQ(engine().Tone(), 2);
  EXPECT_TRUE(Checked(IDC_PATTERN68));
  EXPECT_FALSE(Checked(IDC_PATTERN23));
  EXPECT_TRUE(Checked(IDC_COWBELL)) << "the two groups are independent";
  EXPECT_FALSE(Checked(IDC_CLAVES));
}

QAccessibleInterface* Accessible(QWidget* widget) {
  return QAccessible::queryAccessibleInterface(widget);
}

TEST_F(MainDialogTest, AssistiveTechnologyHearsEachControlForWhatItIs) {
  struct Expected {
    int id;
    QAccessible::Role role;
    QString name;
  };
  for (const Expected& e :
       {Expected{IDC_START, QAccessible::Button, "START"},
        Expected{IDC_STOP, QAccessible::Button, "STOP"}, Expected{IDOK, QAccessible::Button, "Bye"},
        Expected{IDC_ABOUT, QAccessible::Button, "About.."},
        Expected{IDC_PATTERN32, QAccessible::RadioButton, "3-2 (rumba)"},
        Expected{IDC_HANDCLAP, QAccessible::RadioButton, "Hand Clap"},
        Expected{IDC_SLIDER, QAccessible::Slider, "Tempo"},
        Expected{IDC_TEMPO, QAccessible::StaticText, " ♪ = 200"}}) {
    QAccessibleInterface* a = Accessible(Item(e.id));
    ASSERT_NE(a, nullptr) << e.id;
    EXPECT_EQ(a->role(), e.role) << e.id;
    EXPECT_EQ(a->text(QAccessible::Name), e.name) << e.id;
  }
  EXPECT_TRUE(Accessible(Item(IDC_STOP))->state().disabled);
  EXPECT_FALSE(Accessible(Item(IDC_START))->state().disabled);
  // Each option is heard inside its group.
  EXPECT_EQ(Accessible(Item(IDC_PATTERN68))->parent()->text(QAccessible::Name), "Pattern");
  EXPECT_EQ(Accessible(Item(IDC_COWBELL))->parent()->text(QAccessible::Name), "Tone");
  EXPECT_TRUE(Accessible(Item(IDC_CLAVES))->state().checked);

  // The slider's value is the tempo the label shows, not its position.
  QAccessibleValueInterface* value = Accessible(Item(IDC_SLIDER))->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->currentValue().toInt(), 200);
  EXPECT_EQ(value->minimumValue().toInt(), 100);
  EXPECT_EQ(value->maximumValue().toInt(), 300);
  Key(Qt::Key_Right);
  ASSERT_TRUE(WaitForTempo(202));
  EXPECT_EQ(value->currentValue().toInt(), 202);
  value->setCurrentValue(250);
  ASSERT_TRUE(WaitForTempo(250));
  EXPECT_EQ(Label(), QString::fromUtf8(" ♪ = 250"));
}

TEST_F(MainDialogTest, TabReachesEachOptionGroupOnItsCheckedOptionAndArrowsChooseInside) {
  auto tabs = [&] {
    std::vector<QWidget*> order;
    for (int i = 0; i < 6; ++i) {
      Key(Qt::Key_Tab);
      order.push_back(QApplication::focusWidget());
    }
    return order;
  };
  ASSERT_EQ(QApplication::focusWidget(), Item(IDC_SLIDER));
  EXPECT_EQ(tabs(), (std::vector{Item(IDC_START), Item(IDOK), Item(IDC_ABOUT), Item(IDC_PATTERN23),
                                 Item(IDC_CLAVES), Item(IDC_SLIDER)}));

  Item(IDC_PATTERN23)->setFocus(Qt::TabFocusReason);
  Key(Qt::Key_Down);
  EXPECT_TRUE(Checked(IDC_PATTERN32));
  EXPECT_FALSE(Checked(IDC_PATTERN23));
  EXPECT_EQ(engine().Pattern(), 1);
  EXPECT_EQ(QApplication::focusWidget(), Item(IDC_PATTERN32));
  Key(Qt::Key_Tab);  // out of the group, on to the next one
  EXPECT_EQ(QApplication::focusWidget(), Item(IDC_CLAVES));
  Key(Qt::Key_Backtab);  // back in, on the option now checked
  EXPECT_EQ(QApplication::focusWidget(), Item(IDC_PATTERN32));
}

// How many pixels of the bitmap `id` the button shows otherwise than the bitmap has them,
// device pixel for device pixel at `scale`. A button larger than the bitmap repeats its
// stretch columns and rows; every other pixel must be the bitmap's own, never smoothed.
int PixelsUnlikeBitmap(QWidget* button, int id, int scale) {
  using namespace button_bitmap;
  QPixmap canvas(button->size() * scale);
  canvas.setDevicePixelRatio(scale);
  canvas.fill(Qt::magenta);
  button->render(&canvas);
  const QImage shown = canvas.toImage().convertToFormat(QImage::Format_RGB32);
  const QImage bitmap =
      LoadBitmapResource(id, scale).toImage().convertToFormat(QImage::Format_RGB32);
  const int extraX = button->width() - kWidth;
  const int extraY = button->height() - kHeight;
  auto shownAt = [scale](int at, int before, int after, int extra) {
    if (at >= after * scale) return at + extra * scale;
    return at >= before * scale ? at + extra / 2 * scale : at;
  };
  int differing = 0;
  for (int y = 0; y < bitmap.height(); ++y) {
    for (int x = 0; x < bitmap.width(); ++x) {
      const QPoint at(shownAt(x, kStretchColumnBefore, kStretchColumnAfter, extraX),
                      shownAt(y, kStretchRowBefore, kStretchRowAfter, extraY));
      if (shown.pixel(at) != bitmap.pixel(x, y)) ++differing;
    }
  }
  return differing;
}

// Normal, pressed, focused and disabled each show their own bitmap: the four are unlike
// each other, so a state given another's id shows here.
TEST_F(MainDialogTest, EachButtonStateShowsItsOwnBitmap) {
  struct Button {
    int id;
    int normal, selected, focused, disabled;
  };
  for (const Button& b : {Button{IDC_START, IDB_START_NORMAL, IDB_START_SELECTED, IDB_START_FOCUSED,
                                 IDB_START_DISABLED},
                          Button{IDC_STOP, IDB_STOP_NORMAL, IDB_STOP_SELECTED, IDB_STOP_FOCUSED,
                                 IDB_STOP_DISABLED}}) {
    auto* button = static_cast<QAbstractButton*>(Item(b.id));
    for (int scale : {1, 2}) {
      SCOPED_TRACE(testing::Message() << "button " << b.id << " at " << scale << "x");
      button->setEnabled(true);
      Item(IDC_SLIDER)->setFocus();
      ASSERT_FALSE(button->hasFocus());
      EXPECT_EQ(PixelsUnlikeBitmap(button, b.normal, scale), 0) << "normal";
      button->setFocus();
      ASSERT_TRUE(button->hasFocus());
      EXPECT_EQ(PixelsUnlikeBitmap(button, b.focused, scale), 0) << "focused";
      button->setDown(true);
      EXPECT_EQ(PixelsUnlikeBitmap(button, b.selected, scale), 0) << "pressed";
      button->setDown(false);
      button->setEnabled(false);
      EXPECT_EQ(PixelsUnlikeBitmap(button, b.disabled, scale), 0) << "disabled";
    }
  }
}

TEST_F(MainDialogTest, AboutBoxOpensFromItsButtonAndFromTheWindowMenu) {
  auto checkAbout = [&](QDialog& about) {
    EXPECT_EQ(about.windowTitle(), "About Tocolo");
    // A click from the window system on START does not reach the blocked main window.
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      Item(IDC_START)->geometry().center());
    EXPECT_FALSE(engine().IsPlaying()) << "the main window takes no input meanwhile";
    QStringList texts;
    for (QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("Tocolo ver. 1.0"));
    // The empty label beside the icon takes clicks and does nothing with them.
    QLabel* notifying = nullptr;
    for (QLabel* label : about.findChildren<QLabel*>()) {
      if (label->text().isEmpty() && label->pixmap().isNull()) notifying = label;
    }
    ASSERT_NE(notifying, nullptr);
    QTest::mouseClick(notifying, Qt::LeftButton);
    EXPECT_TRUE(about.isVisible());
  };
  WithModal([&] { QTest::mouseClick(Item(IDC_ABOUT), Qt::LeftButton); }, checkAbout);

  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                               window->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(window, &rightClick);
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  const QList<QAction*> items = menu->actions();
  ASSERT_FALSE(items.isEmpty());
  WithModal([&] { items.last()->trigger(); }, checkAbout);
  EXPECT_TRUE(window->isVisible());
}

// The output falls silent after its last repetition; the window follows within its check
// and is then exactly as after STOP.
TEST_F(MainDialogTest, AfterTheLastRepetitionTheWindowShowsStoppedAndOneSpacePlaysAgain) {
  QTest::mouseClick(Item(IDC_PATTERN68), Qt::LeftButton);
  Item(IDC_SLIDER)->setFocus();
  Key(Qt::Key_End);
  ASSERT_TRUE(WaitForTempo(300));
  const std::vector<std::int16_t> loop = ::PlayedLoop(engine());
  ASSERT_EQ(loop.size(), 52920u);  // 1.2 s: the 1000 take 20 minutes at the sound card's pace
  Key(Qt::Key_Space);
  ASSERT_TRUE(engine().IsPlaying());
  for (int k = 0; k < 999; ++k) Pull(loop.size());
  EXPECT_EQ(Pull(loop.size() - 1), std::vector<std::int16_t>(loop.begin(), loop.end() - 1));
  QTest::qWait(300);
  EXPECT_FALSE(Item(IDC_START)->isEnabled()) << "one sample of the last loop is still to play";
  Pull(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Item(IDC_START)->isEnabled(); }, 1000));
  EXPECT_FALSE(engine().IsPlaying());
  EXPECT_FALSE(Item(IDC_STOP)->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), Item(IDC_START));
  Key(Qt::Key_Space);
  EXPECT_TRUE(engine().IsPlaying());
  EXPECT_EQ(QApplication::focusWidget(), Item(IDC_STOP));
  EXPECT_EQ(Pull(loop.size()), loop) << "from the loop's first sample";
}

// Alt+Space, as where the window manager leaves it to the window.
QMenu* OpenWindowMenu() {
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space, Qt::AltModifier);
  if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; })) return nullptr;
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// Each aid by its mnemonic; the menu shows what is chosen, and About stays last.
TEST_F(MainDialogTest, WindowMenuOffersTheAidsWithTheirStatesBeforeAboutAndMnemonicsChoose) {
  QMenu* menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  QStringList texts;
  for (QAction* item : menu->actions()) texts << (item->isSeparator() ? "-" : item->text());
  EXPECT_EQ(texts, (QStringList{"&Close", "-", "&Beat", "-", "Silent loops &off",
                                "&Every second loop silent", "One silent loop in &four", "-",
                                "&Tap along...", "-", "About version( &A)..."}));
  auto state = [&] {
    QString shown;
    for (QAction* item : menu->actions()) {
      if (item->isSeparator() || !item->isCheckable()) continue;
      const bool choice = item->actionGroup() != nullptr && item->actionGroup()->isExclusive();
      shown += QString(choice ? "(%1)" : "[%1]").arg(item->isChecked() ? "x" : " ");
    }
    return shown;
  };
  EXPECT_EQ(state(), "[ ](x)( )( )") << "both off at start";
  menu->close();

  struct Choice {
    Qt::Key key;
    bool beat;
    std::uint32_t cycle;
    QString shown;
  };
  for (const Choice& c :
       {Choice{Qt::Key_B, true, 0, "[x](x)( )( )"}, Choice{Qt::Key_E, true, 2, "[x]( )(x)( )"},
        Choice{Qt::Key_F, true, 4, "[x]( )( )(x)"}, Choice{Qt::Key_B, false, 4, "[ ]( )( )(x)"},
        Choice{Qt::Key_O, false, 0, "[ ](x)( )( )"}}) {
    menu = OpenWindowMenu();
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, c.key);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(engine().Beat(), c.beat);
    EXPECT_EQ(engine().SilentCycle(), c.cycle);
    EXPECT_EQ(state(), c.shown);
  }
  EXPECT_TRUE(window->isVisible()) << "no aid closes the window";
}

// Enter held down as the menu opens must not choose its first item, Close: the key's
// auto-repeats and its release belong to the press before the menu. A fresh press of Enter
// chooses the item the user highlighted.
TEST_F(MainDialogTest, AKeyHeldAsTheWindowMenuOpensChoosesNothing) {
  auto send = [](QWidget* to, QEvent::Type type, bool autoRepeat) {
    QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), autoRepeat);
    QApplication::sendEvent(to, &key);
  };
  send(QApplication::focusWidget(), QEvent::KeyPress, false);
  send(QApplication::focusWidget(), QEvent::KeyPress, true);
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                               window->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(window, &rightClick);
  ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
  QWidget* menu = QApplication::activePopupWidget();
  for (int repeat = 0; repeat < 3; ++repeat) {  // as X11 repeats: a release, a press
    send(menu, QEvent::KeyRelease, true);
    send(menu, QEvent::KeyPress, true);
  }
  send(menu, QEvent::KeyRelease, false);
  QApplication::processEvents();
  EXPECT_TRUE(window->isVisible());
  ASSERT_TRUE(menu->isVisible()) << "the held key chose an item";

  QTest::keyClick(menu, Qt::Key_Down);  // Close
  QTest::keyClick(menu, Qt::Key_Down);  // Beat
  QTest::keyClick(menu, Qt::Key_Return);
  EXPECT_FALSE(menu->isVisible());
  EXPECT_TRUE(engine().Beat());
  EXPECT_TRUE(window->isVisible());
}

// A choice while playing restarts the loop, like any other setting, and plays on.
TEST_F(MainDialogTest, AChoiceWhilePlayingRestartsTheLoopWithTheAid) {
  Key(Qt::Key_Space);
  const std::vector<std::int16_t> plain = ::PlayedLoop(engine());
  Pull(30000);
  QMenu* menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  QTest::keyClick(menu, Qt::Key_B);
  EXPECT_TRUE(engine().IsPlaying());
  const std::vector<std::int16_t> withBeat = ::PlayedLoop(engine());
  EXPECT_NE(withBeat, plain);
  EXPECT_EQ(Pull(withBeat.size()), withBeat);
  menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  QTest::keyClick(menu, Qt::Key_E);
  EXPECT_EQ(Pull(withBeat.size()), withBeat);
  EXPECT_EQ(Pull(withBeat.size()), std::vector<std::int16_t>(withBeat.size(), 0));
  EXPECT_EQ(QApplication::focusWidget(), Item(IDC_STOP));
}

}  // namespace

namespace {

// No sound server and no sound card: the window still works and says so once.
TEST(MainDialogWithoutSound, StaysReadyToStartAndSaysWhyInOneLine) {
  setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
  setenv("PULSE_SERVER", "unix:/nonexistent/tocolo-test", 1);
  ::testing::internal::CaptureStderr();
  CMainDlg dlg;
  ASSERT_TRUE(dlg.Create());
  for (int press = 0; press < 3; ++press) {
    QTest::keyClick(dlg.GetSafeHwnd(), Qt::Key_Space);
    EXPECT_FALSE(dlg.Engine()->IsPlaying());
    EXPECT_TRUE(dlg.GetDlgItem(IDC_START)->isEnabled());
    EXPECT_FALSE(dlg.GetDlgItem(IDC_STOP)->isEnabled());
  }
  const QString errors = QString::fromStdString(::testing::internal::GetCapturedStderr());
  EXPECT_EQ(errors.count('\n'), 1) << errors.toStdString();
  EXPECT_TRUE(errors.contains("no audio output")) << errors.toStdString();
}

// The main dialog's initialisation, step by step, as its controls and the engine see it.
// The engine is made to report itself (a stereo tone makes it show a message while it is
// being made); the controls report through their own signals and events.
class ObservedMainDlg : public CMainDlg {
 public:
  std::vector<std::string> steps;

 protected:
  // Runs first in initialisation, once the controls exist.
  void DoDataExchange(CDataExchange* pDX) override {
    CMainDlg::DoDataExchange(pDX);
    auto record = [this](const char* step) { return [this, step] { steps.push_back(step); }; };
    for (int id : {IDC_PATTERN23, IDC_CLAVES}) {
      QObject::connect(static_cast<QAbstractButton*>(GetDlgItem(id)), &QAbstractButton::toggled,
                       record(id == IDC_CLAVES ? "tone checked" : "pattern checked"));
    }
    QObject::connect(static_cast<QSlider*>(GetDlgItem(IDC_SLIDER)), &QSlider::valueChanged,
                     [this](int value) { steps.push_back("slider at " + std::to_string(value)); });
    stopWatcher.onEnabledChange = record("buttons updated");
    GetDlgItem(IDC_STOP)->installEventFilter(&stopWatcher);
  }

 private:
  struct EnabledChangeWatcher : QObject {
    std::function<void()> onEnabledChange;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::EnabledChange) onEnabledChange();
      return false;
    }
  } stopWatcher;
};

ObservedMainDlg* g_observed = nullptr;

// Shown while the engine is being made: whether START already shows its bitmap.
void RecordEngineBeingMade(std::string_view, std::string_view) {
  QWidget* start = g_observed->GetDlgItem(IDC_START);
  const bool loaded = PixelsUnlikeBitmap(start, IDB_START_NORMAL, 1) == 0;
  g_observed->steps.push_back(loaded ? "bitmaps loaded" : "no bitmaps");
  g_observed->steps.push_back("engine made");
}

TEST(MainDialogInitialisation, BitmapsThenEngineThenOptionsThenSliderThenButtons) {
  ManualWaveDevice device{kCdMono};
  ScopedWaveDeviceOverride useDevice{&device};
  const auto stereo = MakeWaveImage({.channels = 2}, Samples16({1, 2, 3, 4}));
  res::ScopedResourceOverride stereoTone(IDR_WAVE_HANDCLAP, res::kTypeWave, stereo);
  const MessageBoxHook previous = SetMessageBoxHook(&RecordEngineBeingMade);
  ObservedMainDlg dlg;
  g_observed = &dlg;
  ASSERT_TRUE(dlg.Create());
  SetMessageBoxHook(previous);
  g_observed = nullptr;
  EXPECT_EQ(dlg.steps,
            (std::vector<std::string>{"bitmaps loaded", "engine made", "pattern checked",
                                      "tone checked", "slider at 50", "buttons updated"}));
}

}  // namespace
