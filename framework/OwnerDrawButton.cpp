#include "framework/OwnerDrawButton.h"

#include <QPainter>

void OwnerDrawButton::paintEvent(QPaintEvent* event) {
  if (!drawItem_) {
    QPushButton::paintEvent(event);
    return;
  }
  QPainter painter(this);
  drawItem_(painter, rect(), State{isDown(), hasFocus(), !isEnabled()});
}
