#include "framework/TrackbarWidget.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QPainter>
#include <QStyleOptionSlider>
#include <cmath>

#include "framework/ColourMix.h"

namespace {

class TrackbarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit TrackbarAccessible(TrackbarWidget* trackbar)
      : QAccessibleWidget(trackbar, QAccessible::Slider) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return QString::number(Value(Trackbar()->value()));
    return QAccessibleWidget::text(t);
  }

  QVariant currentValue() const override { return Value(Trackbar()->value()); }
  QVariant minimumValue() const override { return Value(Trackbar()->minimum()); }
  QVariant maximumValue() const override { return Value(Trackbar()->maximum()); }
  QVariant minimumStepSize() const override {
    return std::abs(Value(Trackbar()->minimum() + 1) - Value(Trackbar()->minimum()));
  }
  // The position whose value comes nearest.
  void setCurrentValue(const QVariant& value) override {
    TrackbarWidget* trackbar = Trackbar();
    const int wanted = value.toInt();
    int best = trackbar->value();
    for (int p = trackbar->minimum(); p <= trackbar->maximum(); ++p) {
      if (std::abs(Value(p) - wanted) < std::abs(Value(best) - wanted)) best = p;
    }
    trackbar->setValue(best);
  }

 private:
  TrackbarWidget* Trackbar() const { return static_cast<TrackbarWidget*>(widget()); }
  int Value(int position) const { return Trackbar()->AccessibleValueAt(position); }
};

}  // namespace

QColor TickColour(const QPalette& palette) {
  return Mixed(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.6);
}

TrackbarWidget::TrackbarWidget(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  // The trackbar's defaults: range 0 to 100, a line of 1, a page of a fifth of the range.
  setRange(0, 100);
  setSingleStep(1);
  setPageStep(20);
}

int TrackbarWidget::AccessibleValueAt(int position) const {
  return valueOf_ ? valueOf_(position, minimum(), maximum()) : position;
}

void TrackbarWidget::paintEvent(QPaintEvent* event) {
  if (customDraw_) customDraw_();
  QSlider::paintEvent(event);
  // The ticks again, over the style's, in the palette's text colour softened towards the
  // window: the style draws them in a shade of the window colour, which all but vanishes on
  // a dark one. Same places and lengths as the style's, so none of its own show.
  if (tickPosition() == NoTicks || tickInterval() <= 0) return;
  QStyleOptionSlider option;
  initStyleOption(&option);
  QPainter painter(this);
  painter.setPen(TickColour(palette()));
  const int handle = style()->pixelMetric(QStyle::PM_SliderLength, &option, this);
  const int tickLength = style()->pixelMetric(QStyle::PM_SliderTickmarkOffset, &option, this);
  for (int v = minimum(); v <= maximum(); v += tickInterval()) {
    const int x =
        QStyle::sliderPositionFromValue(minimum(), maximum(), v, width() - handle) + handle / 2;
    const int inset = v == minimum() || v == maximum() ? 1 : 2;  // the end ticks are longer
    if ((tickPosition() & TicksAbove) != 0) painter.drawLine(x, inset, x, tickLength);
    if ((tickPosition() & TicksBelow) != 0)
      painter.drawLine(x, height() - 1 - inset, x, height() - 1 - tickLength);
  }
}

void InstallTrackbarAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory([](const QString&, QObject* object) -> QAccessibleInterface* {
      // Qt's accessibility cache owns what a factory makes.
      if (auto* trackbar = dynamic_cast<TrackbarWidget*>(object))
        return new TrackbarAccessible(trackbar);
      return nullptr;
    });
    return true;
  }();
  (void)installed;
}
