#include "framework/OwnTitleBar.h"

#include <wayland-client.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <QWindow>
#include <cstring>

#include "framework/ColourMix.h"

namespace {

constexpr int kIconSize = 16;
constexpr int kPadding = 6;

// Asked on a short connection of our own: whether the compositor offers to draw title
// bars (xdg-decoration), which Qt then asks it to do. Without an answer, Qt decides.
bool CompositorOffersTitleBars() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return true;
  bool offered = false;
  static constexpr wl_registry_listener kListener = {
      .global =
          [](void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
            if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0)
              *static_cast<bool*>(data) = true;
          },
      .global_remove = [](void*, wl_registry*, std::uint32_t) {},
  };
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kListener, &offered);
  const bool answered = wl_display_roundtrip(display) >= 0;
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return offered || !answered;
}

}  // namespace

bool DialogsDrawOwnTitleBar() {
  static const bool own = QGuiApplication::platformName().startsWith("wayland") &&
                          !qEnvironmentVariableIsSet("QT_WAYLAND_DISABLE_WINDOWDECORATION") &&
                          !CompositorOffersTitleBars();
  return own;
}

OwnTitleBar::OwnTitleBar(QWidget* window) : QWidget(window), closeBox_(new QToolButton(this)) {
  closeBox_->setAutoRaise(true);
  closeBox_->setFocusPolicy(Qt::NoFocus);  // the dialog's Tab cycle stays its template's
  closeBox_->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  closeBox_->setAccessibleName(QStringLiteral("Close"));
  connect(closeBox_, &QToolButton::clicked, window, &QWidget::close);
}

void OwnTitleBar::resizeEvent(QResizeEvent*) {
  const int side = height() - 4;
  closeBox_->setGeometry(width() - side - 2, 2, side, side);
}

void OwnTitleBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window).darker(110));
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawLine(rect().bottomLeft(), rect().bottomRight());
  const QIcon icon = window()->windowIcon();
  const int iconTop = (height() - kIconSize) / 2;
  icon.paint(&painter, QRect(kPadding, iconTop, kIconSize, kIconSize));

  QFont font = painter.font();
  font.setBold(true);
  painter.setFont(font);
  // An inactive window's caption is dimmed, yet still reads.
  QColor caption = palette().color(QPalette::WindowText);
  if (!window()->isActiveWindow()) {
    caption = Mixed(caption, palette().color(QPalette::Window), 0.6);
  }
  painter.setPen(caption);
  // Centred on the window, and kept clear of the icon and the close box.
  const int clear = kPadding + kIconSize + kPadding;
  const QRect text = rect().adjusted(clear, 0, -clear, 0);
  painter.drawText(
      text, Qt::AlignCenter,
      painter.fontMetrics().elidedText(window()->windowTitle(), Qt::ElideRight, text.width()));
}

void OwnTitleBar::mousePressEvent(QMouseEvent* event) {
  QWindow* handle = window()->windowHandle();
  if (event->button() == Qt::LeftButton && handle != nullptr) {
    handle->startSystemMove();
  } else {
    QWidget::mousePressEvent(event);
  }
}

bool OwnTitleBar::event(QEvent* event) {
  // The window passes its activation on to its children: the caption shows it.
  if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
    update();
  return QWidget::event(event);
}
