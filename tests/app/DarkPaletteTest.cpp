// The main window under a dark theme: the slider's ticks and the START/STOP faces follow the
// palette, and every part still stands out from what is behind it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPalette>
#include <QTest>

#include "app/MainDlg.h"
#include "res/ResourceIds.h"
#include "support/Contrast.h"
#include "support/EngineFixture.h"

namespace {

class DarkPaletteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = QApplication::palette();
    QApplication::setPalette(DarkPalette());
    ASSERT_TRUE(dlg.Create());
    window = dlg.GetSafeHwnd();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  }
  void TearDown() override { QApplication::setPalette(saved_); }

  ManualWaveDevice device{kCdMono};
  ScopedWaveDeviceOverride useDevice{&device};
  CMainDlg dlg;
  QWidget* window = nullptr;

 private:
  QPalette saved_;
};

TEST_F(DarkPaletteTest, TicksTextAndGlyphsStandOutAndTheFacesAreThePalettes) {
  const QImage shot = window->grab().toImage();
  QDir().mkpath(TOCOLO_SCREENSHOT_DIR);
  shot.save(TOCOLO_SCREENSHOT_DIR "/main-window-dark.png");
  const QRgb background = DarkPalette().color(QPalette::Window).rgb();
  // Every tick, not just some: each column of the tick row that holds a tick.
  QWidget* slider = dlg.GetDlgItem(IDC_SLIDER);
  const QImage ticks = slider->grab().toImage();
  int tickColumns = 0;
  for (int x = 0; x < ticks.width(); ++x) {
    if (StrongestContrast(ticks, QRect(x, 2, 1, 2), background) >= 3.0) ++tickColumns;
  }
  EXPECT_GE(tickColumns, 101) << "a tick mark at each of the 101 positions";

  // START and STOP have the palette's face, not the bitmaps' light grey, and their glyphs
  // stand out from it.
  for (int id : {IDC_START, IDC_STOP}) {
    QWidget* button = dlg.GetDlgItem(id);
    const QImage face = button->grab().toImage();
    const QRgb faceColour = face.pixel(4, face.height() / 2);
    EXPECT_LT(Contrast(faceColour, background), 1.5) << id << ": a face of the palette's";
    EXPECT_GE(StrongestContrast(face, QRect(face.width() / 2 - 6, face.height() / 2 - 6, 12, 12),
                                faceColour),
              3.0)
        << id;
  }
  for (int id : {IDC_TEMPO, IDC_PATTERN23, IDC_CLAVES, IDOK}) {
    QWidget* item = dlg.GetDlgItem(id);
    const QRect area(item->mapTo(window, QPoint(0, 0)), item->size());
    EXPECT_GE(StrongestContrast(shot, area, background), 3.0) << id;
  }
}

}  // namespace
