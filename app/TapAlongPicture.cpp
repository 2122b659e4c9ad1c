#include "app/TapAlongPicture.h"

TapAlongPicture::TapAlongPicture(const QString& name, const QString& description, QWidget* parent)
    : QWidget(parent) {
  setAccessibleName(name);
  setAccessibleDescription(description);
  setAttribute(Qt::WA_OpaquePaintEvent);
}
