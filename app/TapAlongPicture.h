#pragma once

#include <QWidget>
#include <functional>

class Take;

// A picture of the take, painted afresh from it each time: what it shows is told to
// assistive technology by its name and description.
class TapAlongPicture : public QWidget {
 public:
  // Where the picture finds the take it shows, at every paint: none, or the current one.
  void SetTake(std::function<const Take*()> take) { take_ = std::move(take); }

 protected:
  TapAlongPicture(const QString& name, const QString& description, QWidget* parent);
  const Take* CurrentTake() const { return take_ ? take_() : nullptr; }

 private:
  std::function<const Take*()> take_;
};
