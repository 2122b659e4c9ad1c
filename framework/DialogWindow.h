#pragma once

#include <QDialog>
#include <map>

#include "framework/MessageMap.h"
#include "res/DialogTemplate.h"

class CMenu;

// What a dialog window asks of the dialog it belongs to (CDialog), so that the window knows
// nothing more of it.
class DialogWindowOwner {
 public:
  // Through the dialog's message map, else its default processing.
  virtual void Dispatch(Message& message) = 0;
  // Sees each key press before the focused control; true consumes it.
  virtual bool PreTranslateMessage(MSG* pMsg) = 0;
  // The window menu; null when there is none.
  virtual CMenu* WindowMenu() = 0;

 protected:
  ~DialogWindowOwner() = default;
};

// The window of a dialog: the controls of its template laid out in dialog units, with the
// template's group, tab-order and default-button rules, and every message passed to the
// CDialog.
class DialogWindow : public QDialog {
 public:
  DialogWindow(DialogWindowOwner& owner, const DialogTemplate& dialogTemplate, QWidget* parent);

  QWidget* Control(int id) const;
  // Focuses the first enabled control with a tab stop, in template order.
  void FocusFirstTabStop();
  void ShowSystemMenu(const QPoint& globalPos);
  // The painting a dialog does when its handler passes the paint on.
  void DefaultPaint();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void reject() override;

 private:
  void CreateControls(const DialogTemplate& dialogTemplate);
  QWidget* CreateControl(const ControlTemplate& control, QWidget* parent);
  bool TranslateKey(QKeyEvent& key);

  DialogWindowOwner& owner_;
  std::map<int, QWidget*> controls_;
  std::vector<QWidget*> tabStops_;
  QPaintEvent* painting_ = nullptr;
  // Where the template's client area starts: past the title bar, where the window draws
  // its own.
  QPoint clientOrigin_;
};
