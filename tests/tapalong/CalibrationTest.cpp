#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tapalong/Calibration.h"

namespace {

TEST(Calibration, IsTheMedianOnceTheWildestQuarterIsLeftOut) {
  // Twelve taps 35 to 46 ms late and four wild ones. All sixteen have the median 41.5; the
  // four furthest from it left out, the rest have 40.5.
  std::vector<double> offsets = {200, 35,   36, 37, 38, 250, 39, 40,
                                 41,  -150, 42, 43, 44, 300, 45, 46};
  EXPECT_EQ(CalibrationAdjustmentMs(offsets), 40.5);
}

TEST(Calibration, GivesNoResultForFewerThanTwelveUsableTaps) {
  std::vector<double> offsets(11, 20.0);
  offsets.insert(offsets.end(), 5, std::nan(""));
  EXPECT_EQ(CalibrationAdjustmentMs(offsets), std::nullopt);
  offsets.push_back(20);
  EXPECT_EQ(CalibrationAdjustmentMs(offsets), 20);
  EXPECT_EQ(CalibrationAdjustmentMs({}), std::nullopt);
}

}  // namespace
