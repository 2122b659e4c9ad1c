#pragma once

#include <QPushButton>
#include <functional>

// A push button whose face is drawn entirely by its owner.
class OwnerDrawButton : public QPushButton {
 public:
  struct State {
    bool selected;  // pressed
    bool focused;
    bool disabled;
  };
  using DrawItem = std::function<void(QPainter&, const QRect&, const State&)>;

  using QPushButton::QPushButton;
  void SetDrawItem(DrawItem draw) { drawItem_ = std::move(draw); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  DrawItem drawItem_;
};
