#include "app/TapAlongTakePicture.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/TapAlongColours.h"
#include "framework/ColourMix.h"
#include "tapalong/Take.h"

namespace {

constexpr double kLeastScaleMs = 50;
constexpr double kScaleStepMs = 25;

// The scale, in ms either side of the middle, that holds every offset of the take.
double ScaleMs(const Take& take) {
  double widest = 0;
  for (const ScoredTap& tap : take.Taps()) {
    if (tap.offsetMs) widest = std::max(widest, std::abs(*tap.offsetMs));
  }
  const double window = take.Plan().ToMilliseconds(take.Plan().MatchWindow());
  return std::max(kLeastScaleMs, std::min(std::ceil(widest / kScaleStepMs) * kScaleStepMs, window));
}

// Across the picture: whole loops, from the first tap's to the last tap's.
struct Across {
  Across(const Take& take, int width) : loop(take.Plan().LoopFrames()), width(width) {
    first = std::max(0.0, std::floor(take.Taps().front().position / loop));
    last = std::max(first, std::floor(take.Taps().back().position / loop));
  }
  double X(double position) const { return (position / loop - first) / (last - first + 1) * width; }

  double loop;
  int width;
  double first = 0;
  double last = 0;
};

}  // namespace

TapAlongTakePicture::TapAlongTakePicture(QWidget* parent)
    : TapAlongPicture(
          QStringLiteral("Offsets over the take"),
          QStringLiteral(
              "Each tap's offset over the whole take, from its first loop to its last, silent "
              "loops "
              "shaded: taps above the middle line were late, below it early, on it on time; the "
              "scale is written at the top and the bottom. Coloured as in the picture above."),
          parent) {}

QSize TapAlongTakePicture::sizeHint() const {
  return {480, 100};
}

void TapAlongTakePicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& colours = palette();
  const QColor base = colours.color(QPalette::Base);
  const QColor text = colours.color(QPalette::Text);
  painter.fillRect(rect(), base);
  const int middle = height() / 2;
  const Take* take = CurrentTake();
  const bool any = take != nullptr && !take->Taps().empty() && take->Plan().LoopFrames() > 0;
  if (any) {
    const Across across(*take, width());
    for (double r = across.first; r <= across.last; ++r) {
      if (!take->Plan().IsSilent(static_cast<std::int64_t>(r))) continue;
      const auto left = static_cast<int>(std::lround(across.X(r * across.loop)));
      const auto right = static_cast<int>(std::lround(across.X((r + 1) * across.loop)));
      painter.fillRect(QRect(left, 0, std::max(1, right - left), height()),
                       Mixed(text, base, 0.12));
    }
  }
  painter.fillRect(QRect(0, middle, width(), 1), Mixed(text, base, 0.6));
  if (any) {
    const double scale = ScaleMs(*take);
    const QString ms = QStringLiteral("%1 ms").arg(scale, 0, 'f', 0);
    painter.setPen(Mixed(text, base, 0.8));
    painter.drawText(rect().adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignTop,
                     "+" + ms + " late");
    painter.drawText(rect().adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignBottom,
                     QString::fromUtf8("−") + ms + " early");
    const Across across(*take, width());
    const int reach = middle - 4;
    const double radius = take->Taps().size() > 400 ? 1.5 : 2.5;
    painter.setRenderHint(QPainter::Antialiasing);
    for (const ScoredTap& tap : take->Taps()) {
      if (!tap.offsetMs) continue;
      const double y = middle + 0.5 - std::clamp(*tap.offsetMs / scale, -1.0, 1.0) * reach;
      const QColor colour = TapMarkColour(*tap.offsetMs, colours);
      const bool hit = tap.verdict == TapVerdict::kHit;
      painter.setPen(hit ? QPen(Qt::NoPen) : QPen(colour, 1));
      painter.setBrush(hit ? QBrush(colour) : QBrush(Qt::NoBrush));
      painter.drawEllipse(QPointF(across.X(tap.position), y), radius, radius);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
  }
  painter.setPen(colours.color(QPalette::Mid));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
