#include <gtest/gtest.h>

#include "tapalong/FiguresText.h"

namespace {

TEST(FiguresText, SummaryReadsCountsSignedMeanSpreadAndShares) {
  TakeFigures figures;
  figures.hits = 12;
  figures.misses = 1;
  figures.extras = 2;
  figures.all = {12, 12.34, 8.05};
  figures.within = {0.625, 0.94, 1};
  EXPECT_EQ(SummaryText(figures),
            "12 hits, 1 miss, 2 extras; mean +12.3 ms (late), spread 8.1 ms; "
            "within 15 ms 63%, 30 ms 94%, 50 ms 100%");

  // A mean that rounds to zero reads "+0.0", never "-0.0"; a share just short of all, or
  // just above none, is not rounded to 100% or 0%.
  figures.hits = 1;
  figures.misses = 2;
  figures.extras = 1;
  figures.masked = 3;
  figures.all = {1, -0.04, 0};
  figures.within = {0.004, 0.996, 1};
  EXPECT_EQ(SummaryText(figures),
            "1 hit, 2 misses, 1 extra, 3 masked; mean +0.0 ms (on time), spread 0.0 ms; "
            "within 15 ms 1%, 30 ms 99%, 50 ms 100%");
  figures.all.meanMs = -7.25;
  EXPECT_NE(SummaryText(figures).find("mean -7.3 ms (early)"), std::string::npos);

  TakeFigures none;
  EXPECT_EQ(SummaryText(none), "no hits yet");
  none.misses = 2;
  EXPECT_EQ(SummaryText(none), "no hits yet; 2 misses, 0 extras");
}

TEST(FiguresText, SplitAndStrokeLinesSayWhichHaveNoHits) {
  TakeFigures figures;
  figures.sounding = {3, 4.44, 1.25};
  figures.strokes = {{}, {1, -20, 0}};
  EXPECT_EQ(SplitText(figures),
            "sounding loops: 3 hits, mean +4.4 ms (late), spread 1.3 ms; silent loops: no hits");
  EXPECT_EQ(StrokeText(figures, 0), "stroke 1: no hits");
  EXPECT_EQ(StrokeText(figures, 1), "stroke 2: 1 hit, mean -20.0 ms (early), spread 0.0 ms");
  EXPECT_EQ(StrokeText(figures, 2), "");
}

}  // namespace
