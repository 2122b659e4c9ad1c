#include "framework/DialogWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>

#include "framework/DefPushButton.h"
#include "framework/DialogUnits.h"
#include "framework/Menu.h"
#include "framework/NotifyingLabel.h"
#include "framework/OwnTitleBar.h"
#include "framework/OwnerDrawButton.h"
#include "framework/ResourceLoader.h"
#include "framework/TrackbarWidget.h"
#include "framework/Utf8.h"
#include "framework/WinApp.h"

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
    case Qt::Key_F1:
      return VK_F1;
    case Qt::Key_F4:
      return VK_F4;
    default:
      return qtKey;
  }
}

// The checked option is its group's Tab stop, the first one while none is checked; the
// arrow keys move between the options.
void UpdateGroupTabStop(QButtonGroup& group) {
  const QList<QAbstractButton*> buttons = group.buttons();
  QAbstractButton* stop =
      group.checkedButton() != nullptr ? group.checkedButton() : buttons.value(0);
  for (QAbstractButton* button : buttons)
    button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

}  // namespace

DialogWindow::DialogWindow(DialogWindowOwner& owner, const DialogTemplate& dialogTemplate,
                           QWidget* parent)
    : QDialog(parent, WindowFlagsOf(dialogTemplate)), owner_(owner) {
  InstallTrackbarAccessibility();
  setWindowTitle(Utf8(dialogTemplate.caption));
  setFont(DialogFont(dialogTemplate));
  QSize size = MapDialogRect(dialogTemplate.rect, BaseUnitsOf(font())).size();
  if ((dialogTemplate.styles & kDialogCaption) != 0 && DialogsDrawOwnTitleBar()) {
    // Qt drops the frameless hint while any title-bar button hint is set.
    setWindowFlags((windowFlags() & Qt::WindowType_Mask) | Qt::FramelessWindowHint);
    auto* titleBar = new OwnTitleBar(this);
    titleBar->setGeometry(OwnTitleBar::kBorder, OwnTitleBar::kBorder, size.width(),
                          OwnTitleBar::kHeight);
    clientOrigin_ = QPoint(OwnTitleBar::kFrame.left(), OwnTitleBar::kFrame.top());
    size = size.grownBy(OwnTitleBar::kFrame);
  }
  setFixedSize(size);
  CreateControls(dialogTemplate);
  qApp->installEventFilter(this);
}

void DialogWindow::CreateControls(const DialogTemplate& dialogTemplate) {
  const DialogBaseUnits units = BaseUnitsOf(font());
  QButtonGroup* radioGroup = nullptr;
  QGroupBox* groupBox = nullptr;
  std::vector<QWidget*> tabChain;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    // A control that starts a group ends the radio buttons' exclusive set before it.
    if ((control.styles & kStyleGroup) != 0) radioGroup = nullptr;
    QRect rect = MapDialogRect(control.rect, units).translated(clientOrigin_);
    // A control inside the group box before it belongs to the box, so that assistive
    // technology tells which group an option is in.
    QWidget* parent = this;
    if (groupBox != nullptr && groupBox->geometry().contains(rect)) {
      parent = groupBox;
      rect.translate(-groupBox->pos());
    }
    QWidget* widget = CreateControl(control, parent);
    widget->setGeometry(rect);
    if (control.kind == ControlKind::Icon) widget->resize(kIconMetric, kIconMetric);
    if (auto* box = qobject_cast<QGroupBox*>(widget)) groupBox = box;
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
      // Each set of options is one stop of the Tab cycle, at its place in the template.
      if (radioGroup == nullptr) {
        radioGroup = new QButtonGroup(this);
        connect(radioGroup, &QButtonGroup::buttonToggled, this,
                [group = radioGroup] { UpdateGroupTabStop(*group); });
      }
      radioGroup->addButton(radio);
      UpdateGroupTabStop(*radioGroup);
      tabChain.push_back(radio);
    }
    if ((control.styles & kStyleTabStop) != 0) {
      widget->setFocusPolicy(Qt::StrongFocus);
      tabStops_.push_back(widget);
      tabChain.push_back(widget);
    }
    if (control.id >= 0) controls_[control.id] = widget;
  }
  for (std::size_t i = 1; i < tabChain.size(); ++i) setTabOrder(tabChain[i - 1], tabChain[i]);
}

QWidget* DialogWindow::CreateControl(const ControlTemplate& control, QWidget* parent) {
  const QString text = Utf8(control.text);
  const int id = control.id;
  auto clicked = [this, id] {
    Message m{MessageKind::Clicked, id};
    owner_.Dispatch(m);
  };
  switch (control.kind) {
    case ControlKind::GroupBox: {
      auto* box = new QGroupBox(text, parent);
      box->setFocusPolicy(Qt::NoFocus);
      return box;
    }
    case ControlKind::AutoRadio: {
      auto* radio = new QRadioButton(text, parent);
      connect(radio, &QRadioButton::clicked, this, clicked);
      return radio;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::OwnerDraw: {
      QPushButton* button = nullptr;
      if (control.kind == ControlKind::OwnerDraw) {
        button = new OwnerDrawButton(text, parent);
      } else if (control.kind == ControlKind::DefPushButton) {
        button = new DefPushButton(text, parent);
      } else {
        button = new QPushButton(text, parent);
      }
      button->setAutoDefault(false);
      button->setDefault(control.kind == ControlKind::DefPushButton);
      button->setFocusPolicy(Qt::ClickFocus);
      connect(button, &QPushButton::clicked, this, clicked);
      return button;
    }
    case ControlKind::Static: {
      QLabel* label = nullptr;
      if ((control.styles & kStyleNotify) != 0) {
        auto* notifying = new NotifyingLabel(text, parent);
        notifying->SetOnClicked(clicked);
        label = notifying;
      } else {
        label = new QLabel(text, parent);
      }
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(true);
      return label;
    }
    case ControlKind::Icon: {
      auto* label = new QLabel(parent);
      label->setPixmap(LoadIconResource(control.iconId).pixmap(kIconMetric, kIconMetric));
      return label;
    }
    case ControlKind::Trackbar: {
      auto* slider = new TrackbarWidget(parent);
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
  return new QWidget(parent);
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
  if (CMenu* menu = owner_.WindowMenu()) menu->Popup(globalPos);
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
  if (msg.message == WM_KEYDOWN && msg.key == VK_F1) {
    // Help is the application's: the dialog passes the command up the chain.
    if (CWinApp* app = AfxGetApp()) app->OnCmdMsg(ID_HELP);
    return true;
  }
  return false;
}

void DialogWindow::paintEvent(QPaintEvent* event) {
  painting_ = event;
  Message m{MessageKind::Paint};
  owner_.Dispatch(m);
  painting_ = nullptr;
  if (!clientOrigin_.isNull()) {  // the border of a window that draws its own title bar
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
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
