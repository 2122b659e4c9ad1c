#include "framework/DefPushButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

void DefPushButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.features |= QStyleOptionButton::DefaultButton;
  painter.drawControl(QStyle::CE_PushButton, option);
}
