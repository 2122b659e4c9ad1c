#pragma once

#include <QMargins>
#include <QWidget>

class QToolButton;

// Whether dialogs draw their own title bar: only under a Wayland compositor that leaves
// window decorations to the program (weston, GNOME). Qt's own one there always carries
// minimise and maximise buttons, which a dialog's template does not have; compositors that
// draw title bars themselves (KDE, wlroots-based ones) keep doing so.
bool DialogsDrawOwnTitleBar();

// The title bar a dialog draws for itself: its icon, its caption and a close box, the
// buttons its template asks for and no others. Dragging it moves the window; a right click
// falls through to the window, which opens its window menu.
class OwnTitleBar : public QWidget {
 public:
  static constexpr int kBorder = 1;
  static constexpr int kHeight = 27;
  // Around the client area: the border, and the bar above.
  static constexpr QMargins kFrame{kBorder, kBorder + kHeight, kBorder, kBorder};

  explicit OwnTitleBar(QWidget* window);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QToolButton* closeBox_;
};
