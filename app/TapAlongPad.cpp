#include "app/TapAlongPad.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "framework/ColourMix.h"

namespace {

bool LeftToTheWindow(const QKeyEvent& key) {
  if ((key.modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) != 0)
    return true;
  switch (key.key()) {
    case Qt::Key_Space:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
      return true;
    default:
      return false;
  }
}

}  // namespace

TapAlongPad::TapAlongPad(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(QStringLiteral("Tap pad"));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TapAlongPad::SetPrompt(const QString& prompt) {
  if (prompt == prompt_) return;
  prompt_ = prompt;
  setAccessibleDescription(prompt);
  update();
}

QSize TapAlongPad::sizeHint() const {
  return {240, fontMetrics().height() * 3};
}

void TapAlongPad::keyPressEvent(QKeyEvent* event) {
  if (LeftToTheWindow(*event)) {
    event->ignore();
    return;
  }
  if (!event->isAutoRepeat()) Tap(*event, TapSource::kKeyboard);
}

void TapAlongPad::mousePressEvent(QMouseEvent* event) {
  // A double click's second press comes here too, through mouseDoubleClickEvent.
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  setFocus(Qt::MouseFocusReason);
  Tap(*event, TapSource::kMouse);
}

void TapAlongPad::Tap(const QInputEvent& event, TapSource source) {
  lit_ = !lit_;
  update();
  if (onTap_) onTap_(inputClock_.TimeOf(event.timestamp(), InputEventClock::Clock::now()), source);
}

void TapAlongPad::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& colours = palette();
  const QColor face = colours.color(QPalette::Base);
  painter.fillRect(rect(), lit_ ? Mixed(colours.color(QPalette::Highlight), face, 0.25) : face);
  painter.setPen(colours.color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.setPen(colours.color(QPalette::Text));
  painter.drawText(rect().adjusted(6, 4, -6, -4), Qt::AlignCenter | Qt::TextWordWrap, prompt_);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(3, 3, -3, -3);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}
