#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

// A window object bound to one widget: a dialog or one of its controls.
class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Binds this object to a widget that the dialog owns.
  virtual void Attach(QWidget* widget) { m_hWnd = widget; }
  QWidget* GetSafeHwnd() const { return m_hWnd; }

  bool EnableWindow(bool enable = true);
  void SetFocus();
  void SetWindowText(const QString& text);

 protected:
  QPointer<QWidget> m_hWnd;
};
