#include "framework/NotifyingLabel.h"

#include <QMouseEvent>

void NotifyingLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
      clicked_) {
    clicked_();
  }
}
