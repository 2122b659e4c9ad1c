#include "app/TapAlongFigureLabel.h"

#include <QAccessible>

TapAlongFigureLabel::TapAlongFigureLabel(const QString& name, QWidget* parent) : QLabel(parent) {
  setAccessibleName(name);
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TapAlongFigureLabel::SetFigures(const QString& figures) {
  if (figures == text()) return;
  setText(figures);
  // Qt 6.4 announces no change of a description by itself; its AT-SPI bridge passes this
  // event on as the object's accessible-description property change.
  setAccessibleDescription(figures);
  QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&changed);
}
