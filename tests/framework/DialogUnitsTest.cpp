#include <gtest/gtest.h>

#include <QGuiApplication>
#include <memory>

#include "framework/DialogUnits.h"
#include "res/ResourceIds.h"

namespace {

TEST(DialogUnitsTest, MapsLikeMulDivRoundingHalvesUp) {
  // 33 * 6 / 4 = 49.5, 7 * 12 / 8 = 10.5, 63 * 6 / 4 = 94.5, 70 * 12 / 8 = 105.
  EXPECT_EQ(MapDialogRect({33, 7, 63, 70}, {6, 12}), QRect(50, 11, 95, 105));
  // Quarters and eighths either side of a half: 1.25, 3.75; 1.625, 6.5.
  EXPECT_EQ(MapDialogRect({1, 1, 3, 4}, {5, 13}), QRect(1, 2, 4, 7));
  // Each field is rounded on its own, not as an edge: 1.5 + 1.5 is 2 + 2, not 3.
  const QRect r = MapDialogRect({1, 0, 1, 0}, {6, 12});
  EXPECT_EQ(r.x() + r.width(), 4);
}

// Fonts need a QGuiApplication; the offscreen platform needs no display.
class DialogFontTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QGuiApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
  }
  static void TearDownTestSuite() { app_.reset(); }

 private:
  static inline int argc_ = 1;
  static inline char name_[] = "tocolo_tests";
  static inline char* argv_[] = {name_, nullptr};
  static inline std::unique_ptr<QGuiApplication> app_;
};

// Whatever font the desktop substitutes, it measures to base units that lay the dialog out
// at a size a reader would recognise.
TEST_F(DialogFontTest, MainDialogFontMeasuresToPlausibleBaseUnits) {
  const DialogTemplate* t = res::FindDialogTemplate(IDD_TOCOLO_DIALOG);
  ASSERT_NE(t, nullptr);
  const DialogBaseUnits units = BaseUnitsOf(DialogFont(*t));
  EXPECT_GE(units.cx, 5);
  EXPECT_LE(units.cx, 8);
  EXPECT_GE(units.cy, 11);
  EXPECT_LE(units.cy, 16);
}

}  // namespace
