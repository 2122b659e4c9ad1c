#pragma once

#include <QPushButton>

// A push button the template marks as the default. A Qt dialog has one default button at a
// time (making one default clears the others), yet a template may mark several; each of
// them draws the default frame itself, so they all look as the template says.
class DefPushButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
