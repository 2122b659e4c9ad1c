#pragma once

#include <QInputEvent>
#include <QWidget>
#include <functional>

#include "app/InputEventClock.h"
#include "tapalong/ScoredTap.h"

// Where the player taps: a press of the left mouse button on it, or of a key while it has
// the keyboard focus. Keys with Alt, Ctrl or Meta are left to the shortcuts and the window
// manager, and Space, Tab, Esc and the modifier keys themselves to the window; an
// auto-repeat is never a tap. Each tap is reported with the time of its event.
class TapAlongPad : public QWidget {
 public:
  using OnTap = std::function<void(InputEventClock::Clock::time_point, TapSource)>;

  explicit TapAlongPad(QWidget* parent);
  void SetOnTap(OnTap onTap) { onTap_ = std::move(onTap); }
  // What the pad says on it: how to tap, or why taps do nothing now.
  void SetPrompt(const QString& prompt);

  QSize sizeHint() const override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Tap(const QInputEvent& event, TapSource source);

  OnTap onTap_;
  InputEventClock inputClock_;
  QString prompt_;
  bool lit_ = false;  // flips with each tap, so the pad answers every one
};
