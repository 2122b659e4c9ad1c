#pragma once

#include <QLabel>
#include <functional>

// A static text that reports clicks to its owner.
class NotifyingLabel : public QLabel {
 public:
  using QLabel::QLabel;
  void SetOnClicked(std::function<void()> clicked) { clicked_ = std::move(clicked); }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::function<void()> clicked_;
};
