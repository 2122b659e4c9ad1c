#include "framework/HeldKeyFilter.h"

#include <QEvent>
#include <QKeyEvent>

HeldKeyFilter::HeldKeyFilter(QObject& widget) {
  widget.installEventFilter(this);
}

bool HeldKeyFilter::eventFilter(QObject* /*watched*/, QEvent* event) {
  switch (event->type()) {
    case QEvent::Show:
      pressedSinceShown_.clear();
      return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      // The platform marks every press after a key's first as a repeat (and, on X11, the
      // releases between them): a key whose first press came before the show has none here.
      auto* key = static_cast<QKeyEvent*>(event);
      if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
        pressedSinceShown_.insert(key->key());
      }
      return !pressedSinceShown_.contains(key->key());
    }
    default:
      return false;
  }
}
