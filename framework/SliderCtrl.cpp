#include "framework/SliderCtrl.h"

#include <QSlider>

#include "framework/TrackbarWidget.h"

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

void CSliderCtrl::DescribeForAccessibility(const QString& name,
                                           int (*valueOf)(int position, int min, int max)) {
  if (auto* trackbar = dynamic_cast<TrackbarWidget*>(m_hWnd.data())) {
    trackbar->setAccessibleName(name);
    trackbar->SetAccessibleValueOf(valueOf);
  }
}
