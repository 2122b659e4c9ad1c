#include "framework/Wnd.h"

#include <QAbstractButton>
#include <QLabel>

bool CWnd::EnableWindow(bool enable) {
  if (m_hWnd == nullptr) return false;
  const bool wasDisabled = !m_hWnd->isEnabled();
  m_hWnd->setEnabled(enable);
  return wasDisabled;
}

void CWnd::SetFocus() {
  if (m_hWnd != nullptr) m_hWnd->setFocus(Qt::OtherFocusReason);
}

void CWnd::SetWindowText(const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(m_hWnd)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(m_hWnd)) {
    button->setText(text);
  } else if (m_hWnd != nullptr) {
    m_hWnd->setWindowTitle(text);
  }
}
