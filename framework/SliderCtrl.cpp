#include "framework/SliderCtrl.h"

#include <QSlider>

QSlider* CSliderCtrl::Slider() const {
  return qobject_cast<QSlider*>(m_hWnd);
}

int CSliderCtrl::GetPos() const {
  return Slider() != nullptr ? Slider()->value() : 0;
}

void CSliderCtrl::SetPos(int position) {
  if (QSlider* slider = Slider()) {
    slider->setValue(position);
    slider->update();
  }
}

void CSliderCtrl::GetRange(int& min, int& max) const {
  const QSlider* slider = Slider();
  min = slider != nullptr ? slider->minimum() : 0;
  max = slider != nullptr ? slider->maximum() : 0;
}

void CSliderCtrl::SetRange(int min, int max) {
  if (QSlider* slider = Slider()) slider->setRange(min, max);
}
