#include "app/TapAlongLoopPicture.h"

#include <QPainter>
#include <algorithm>

#include "app/TapAlongColours.h"
#include "framework/ColourMix.h"
#include "tapalong/Take.h"

namespace {

constexpr int kMaxBoxWidth = 56;
constexpr int kBoxReach = 13;  // above and below the line
constexpr int kMarkRadius = 4;

}  // namespace

TapAlongLoopPicture::TapAlongLoopPicture(QWidget* parent)
    : TapAlongPicture(
          QStringLiteral("Taps around the strokes"),
          QStringLiteral(
              "The loop as a line with the pattern's strokes on it, and the last 16 taps as marks "
              "beside the stroke each was aimed at: earlier to the left, later to the right, each "
              "stroke's box spanning 50 ms either side. Green within 15 ms, yellow within 30 ms, "
              "orange within 50 ms, red beyond; an extra tap is a ring."),
          parent) {}

QSize TapAlongLoopPicture::sizeHint() const {
  return {480, 2 * kBoxReach + fontMetrics().height() + 8};
}

void TapAlongLoopPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& colours = palette();
  const QColor base = colours.color(QPalette::Base);
  const QColor text = colours.color(QPalette::Text);
  painter.fillRect(rect(), base);
  painter.fillRect(QRect(0, 0, width(), 1), colours.color(QPalette::Mid));
  painter.fillRect(QRect(0, height() - 1, width(), 1), colours.color(QPalette::Mid));

  const Take* take = CurrentTake();
  if (take == nullptr || take->Plan().Strokes().empty()) return;
  const StrokePlan& plan = take->Plan();
  const std::vector<double>& strokes = plan.Strokes();
  const double loop = plan.LoopFrames();
  // Boxes may not overlap, nor leave the picture at either end.
  const int box =
      std::clamp(static_cast<int>(plan.SmallestGap() / loop * width() * 0.9), 8, kMaxBoxWidth);
  const int half = box / 2;
  const int span = std::max(1, width() - box);
  const int numbers = fontMetrics().height();
  const int line = (height() - numbers) / 2;
  auto strokeX = [&](std::size_t i) { return half + static_cast<int>(strokes[i] / loop * span); };

  painter.fillRect(QRect(0, line, width(), 1), Mixed(text, base, 0.45));
  painter.setFont(font());
  for (std::size_t i = 0; i < strokes.size(); ++i) {
    const int x = strokeX(i);
    painter.fillRect(QRect(x - half, line - kBoxReach + 2, box, 2 * kBoxReach - 3),
                     Mixed(colours.color(QPalette::Highlight), base, 0.18));
    painter.fillRect(QRect(x, line - kBoxReach, 1, 2 * kBoxReach + 1), text);
    painter.setPen(text);
    painter.drawText(QRect(x - half, line + kBoxReach + 1, box, numbers),
                     Qt::AlignHCenter | Qt::AlignTop, QString::number(i + 1));
  }

  const std::vector<ScoredTap>& taps = take->Taps();
  painter.setRenderHint(QPainter::Antialiasing);
  const std::size_t first = taps.size() > kRecentTaps ? taps.size() - kRecentTaps : 0;
  for (std::size_t t = first; t < taps.size(); ++t) {
    const ScoredTap& tap = taps[t];
    if (!tap.offsetMs) continue;
    const double shown = std::clamp(*tap.offsetMs / kShownMs, -1.0, 1.0);
    const QPointF centre(strokeX(tap.stroke->index) + 0.5 + shown * (half - kMarkRadius),
                         line + 0.5);
    const QColor colour = TapMarkColour(*tap.offsetMs, colours);
    painter.setPen(QPen(colour, 2));
    painter.setBrush(tap.verdict == TapVerdict::kHit ? QBrush(colour) : Qt::NoBrush);
    painter.drawEllipse(centre, kMarkRadius, kMarkRadius);
  }
}
