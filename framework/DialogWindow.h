#pragma once

#include <QDialog>
#include <map>

#include "framework/DialogTemplate.h"

class CDialog;

// The window of a CDialog: the controls of its template laid out in dialog units, with the
// template's group, tab-order and default-button rules, and every message passed to the
// CDialog.
class DialogWindow : public QDialog {
 public:
  DialogWindow(CDialog& owner, const DialogTemplate& dialogTemplate, QWidget* parent);

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
  QWidget* CreateControl(const ControlTemplate& control);
  bool TranslateKey(QKeyEvent& key);

  CDialog& owner_;
  std::map<int, QWidget*> controls_;
  std::vector<QWidget*> tabStops_;
  QPaintEvent* painting_ = nullptr;
};
