#include "framework/Dialog.h"

#include <QAbstractButton>

#include "framework/DataExchange.h"
#include "framework/Menu.h"
#include "framework/WinApp.h"

CDialog::CDialog(int templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

bool CDialog::Create() {
  return CreateWindow(true);
}

bool CDialog::CreateWindow(bool show) {
  const DialogTemplate* dialogTemplate = res::FindDialogTemplate(m_templateId);
  if (dialogTemplate == nullptr) {
    // Without its main window the program cannot run; AfxWinMain says so and fails.
    if (AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd == this) {
      AfxGetApp()->m_missingMainTemplate = m_templateId;
    }
    return false;
  }
  // Without a parent of its own, a dialog belongs to the application's main window.
  CWnd* parent = m_pParentWnd;
  if (parent == nullptr && AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd != this) {
    parent = AfxGetApp()->m_pMainWnd;
  }
  DialogWindowOwner& owner = *this;
  m_window = std::make_unique<DialogWindow>(owner, *dialogTemplate,
                                            parent != nullptr ? parent->GetSafeHwnd() : nullptr);
  Attach(m_window.get());
  // As the dialog manager does: a true result leaves the focus to it.
  if (OnInitDialog()) m_window->FocusFirstTabStop();
  if (show && (dialogTemplate->styles & kDialogVisible) != 0) m_window->show();
  return true;
}

int CDialog::DoModal() {
  if (!CreateWindow(false)) return -1;
  const int result = m_window->exec();
  m_systemMenu.reset();
  m_window.reset();
  return result;
}

void CDialog::EndDialog(int result) {
  if (m_window) m_window->done(result);
}

QWidget* CDialog::GetDlgItem(int id) const {
  return m_window ? m_window->Control(id) : nullptr;
}

void CDialog::CheckDlgButton(int id, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id))) button->setChecked(checked);
}

void CDialog::SetDlgItemText(int id, const QString& text) {
  CWnd item;
  item.Attach(GetDlgItem(id));
  item.SetWindowText(text);
}

CMenu* CDialog::GetSystemMenu(bool revert) {
  if (revert || !m_window) {
    m_systemMenu.reset();
    return nullptr;
  }
  if (!m_systemMenu) {
    m_systemMenu = std::make_unique<CMenu>([this](unsigned id) {
      Message m{MessageKind::SysCommand, 0, 0, id};
      Dispatch(m);
    });
    m_systemMenu->AppendMenu(MF_STRING, SC_CLOSE, QStringLiteral("&Close"));
  }
  return m_systemMenu.get();
}

void CDialog::SetIcon(const QIcon& icon, bool /*big*/) {
  // One icon holds every size; the desktop picks the big or the small one.
  if (m_window) m_window->setWindowIcon(icon);
}

bool CDialog::IsIconic() const {
  return m_window && m_window->isMinimized();
}

// Binding is the only exchange, and it is the same in either direction.
bool CDialog::UpdateData(bool /*saveAndValidate*/) {
  CDataExchange exchange(this);
  DoDataExchange(&exchange);
  return true;
}

bool CDialog::PreTranslateMessage(MSG*) {
  return false;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

void CDialog::OnSysCommand(unsigned id, long) {
  Message m{MessageKind::SysCommand, 0, 0, id};
  DefaultProcessing(m);
}

void CDialog::OnPaint() {
  if (m_window) m_window->DefaultPaint();
}

void CDialog::Dispatch(Message& message) {
  for (const MessageMapEntry& entry : GetMessageMap()) {
    if (entry.Matches(message)) {
      entry.handler(*this, message);
      return;
    }
  }
  DefaultProcessing(message);
}

void CDialog::DefaultProcessing(Message& message) {
  switch (message.kind) {
    case MessageKind::SysCommand:
      if ((message.command & 0xFFF0) == SC_CLOSE) {
        Message cancel{MessageKind::Clicked, IDCANCEL};
        Dispatch(cancel);
      }
      break;
    case MessageKind::Paint:
      OnPaint();
      break;
    case MessageKind::Clicked:
      if (message.controlId == IDOK) OnOK();
      if (message.controlId == IDCANCEL) OnCancel();
      break;
    case MessageKind::Notify:
    case MessageKind::QueryDragIcon:
      break;
  }
}
