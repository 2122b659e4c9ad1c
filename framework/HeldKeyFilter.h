#pragma once

#include <QObject>
#include <QSet>

// Keeps from a widget the keys that were already down when it was shown: their auto-repeats
// and their release are dropped, so that a key held as a menu opens (Enter, say) does not
// choose an item in it. A key pressed afresh afterwards passes as usual, repeats and all.
class HeldKeyFilter : public QObject {
 public:
  // Filters `widget`'s events for as long as both live.
  explicit HeldKeyFilter(QObject& widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QSet<int> pressedSinceShown_;
};
