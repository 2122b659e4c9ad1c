#include "framework/DialogWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

#include "framework/Dialog.h"
#include "framework/DialogUnits.h"
#include "framework/Menu.h"
#include "framework/NotifyingLabel.h"
#include "framework/OwnerDrawButton.h"
#include "framework/ResourceLoader.h"
#include "framework/TrackbarWidget.h"

namespace {

Qt::WindowFlags WindowFlagsOf(const DialogTemplate& t) {
  // An app window is a normal top-level window, so the task bar lists it.
  Qt::WindowFlags flags = (t.styles & kDialogAppWindow) != 0 ? Qt::Window : Qt::Dialog;
  flags |= Qt::CustomizeWindowHint;
  if ((t.styles & kDialogCaption) != 0) flags |= Qt::WindowTitleHint;
  if ((t.styles & kDialogSysMenu) != 0)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  return flags;
}

int VirtualKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VK_RETURN;
    case Qt::Key_Escape:
      return VK_ESCAPE;
    case Qt::Key_Space:
      return VK_SPACE;
    case Qt::Key_F4:
      return VK_F4;
    default:
      return qtKey;
  }
}

constexpr int kIconSize = 32;

}  // namespace

DialogWindow::DialogWindow(CDialog& owner, const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent, WindowFlagsOf(dialogTemplate)), owner_(owner) {
  setWindowTitle(QString::fromStdString(dialogTemplate.caption));
  setFont(DialogFont(dialogTemplate));
  setFixedSize(MapDialogRect(dialogTemplate.rect, BaseUnitsOf(font())).size());
  CreateControls(dialogTemplate);
  qApp->installEventFilter(this);
}

void DialogWindow::CreateControls(const DialogTemplate& dialogTemplate) {
  const DialogBaseUnits units = BaseUnitsOf(font());
  QButtonGroup* radioGroup = nullptr;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    // A control that starts a group ends the radio buttons' exclusive set before it.
    if ((control.styles & kStyleGroup) != 0) radioGroup = nullptr;
    QWidget* widget = CreateControl(control);
    widget->setGeometry(MapDialogRect(control.rect, units));
    if (control.kind == ControlKind::Icon) widget->resize(kIconSize, kIconSize);
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
      if (radioGroup == nullptr) radioGroup = new QButtonGroup(this);
      radioGroup->addButton(radio);
    }
    if ((control.styles & kStyleTabStop) != 0) {
      widget->setFocusPolicy(Qt::StrongFocus);
      tabStops_.push_back(widget);
    }
    if (control.id >= 0) controls_[control.id] = widget;
  }
  for (std::size_t i = 1; i < tabStops_.size(); ++i) setTabOrder(tabStops_[i - 1], tabStops_[i]);
}

QWidget* DialogWindow::CreateControl(const ControlTemplate& control) {
  const QString text = QString::fromStdString(control.text);
  const int id = control.id;
  auto clicked = [this, id] {
    Message m{MessageKind::Clicked, id};
    owner_.Dispatch(m);
  };
  switch (control.kind) {
    case ControlKind::GroupBox: {
      auto* box = new QGroupBox(text, this);
      box->setFocusPolicy(Qt::NoFocus);
      return box;
    }
    case ControlKind::AutoRadio: {
      auto* radio = new QRadioButton(text, this);
      radio->setAutoExclusive(false);
      radio->setFocusPolicy(Qt::ClickFocus);
      connect(radio, &QRadioButton::clicked, this, clicked);
      return radio;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::OwnerDraw: {
      QPushButton* button = control.kind == ControlKind::OwnerDraw ? new OwnerDrawButton(text, this)
                                                                   : new QPushButton(text, this);
      button->setAutoDefault(false);
      button->setDefault(control.kind == ControlKind::DefPushButton);
      button->setFocusPolicy(Qt::ClickFocus);
      connect(button, &QPushButton::clicked, this, clicked);
      return button;
    }
    case ControlKind::Static: {
      QLabel* label = nullptr;
      if ((control.styles & kStyleNotify) != 0) {
        auto* notifying = new NotifyingLabel(text, this);
        notifying->SetOnClicked(clicked);
        label = notifying;
      } else {
        label = new QLabel(text, this);
      }
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(true);
      return label;
    }
    case ControlKind::Icon: {
      auto* label = new QLabel(this);
      label->setPixmap(LoadIconResource(QString::fromStdString(control.text).toInt())
                           .pixmap(kIconSize, kIconSize));
      return label;
    }
    case ControlKind::Trackbar: {
      auto* slider = new TrackbarWidget(this);
      if ((control.styles & kStyleAutoTicks) != 0) slider->setTickInterval(1);
      slider->setTickPosition((control.styles & kStyleTicksTop) != 0 ? QSlider::TicksAbove
                                                                     : QSlider::TicksBelow);
      slider->setFocusPolicy(Qt::ClickFocus);
      slider->SetCustomDraw([this, id] {
        NMHDR header{id, NM_CUSTOMDRAW};
        long result = CDRF_DODEFAULT;
        Message m{MessageKind::Notify, id, NM_CUSTOMDRAW, 0, &header, &result};
        owner_.Dispatch(m);
        return result;
      });
      return slider;
    }
  }
  return new QWidget(this);
}

QWidget* DialogWindow::Control(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void DialogWindow::FocusFirstTabStop() {
  for (QWidget* widget : tabStops_) {
    if (widget->isEnabled() && !widget->isHidden()) {
      widget->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

void DialogWindow::ShowSystemMenu(const QPoint& globalPos) {
  if (CMenu* menu = owner_.GetSystemMenu(false)) menu->Popup(globalPos);
}

void DialogWindow::DefaultPaint() {
  if (painting_ != nullptr) QDialog::paintEvent(painting_);
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this) return false;
  return TranslateKey(*static_cast<QKeyEvent*>(event));
}

bool DialogWindow::TranslateKey(QKeyEvent& key) {
  MSG msg;
  msg.message = (key.modifiers() & Qt::AltModifier) != 0 ? WM_SYSKEYDOWN : WM_KEYDOWN;
  msg.key = VirtualKeyOf(key.key());
  if (owner_.PreTranslateMessage(&msg)) return true;
  if (msg.message == WM_SYSKEYDOWN && msg.key == VK_SPACE) {
    ShowSystemMenu(mapToGlobal(QPoint(0, 0)));
    return true;
  }
  return false;
}

void DialogWindow::paintEvent(QPaintEvent* event) {
  painting_ = event;
  Message m{MessageKind::Paint};
  owner_.Dispatch(m);
  painting_ = nullptr;
}

void DialogWindow::closeEvent(QCloseEvent* event) {
  // The close box is the system menu's Close; whether the dialog ends is up to it.
  event->ignore();
  Message m{MessageKind::SysCommand, 0, 0, SC_CLOSE};
  owner_.Dispatch(m);
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event) {
  ShowSystemMenu(event->globalPos());
}

void DialogWindow::reject() {
  Message m{MessageKind::Clicked, IDCANCEL};
  owner_.Dispatch(m);
}
