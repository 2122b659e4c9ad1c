#pragma once

#include <QIcon>
#include <memory>

#include "framework/Afx.h"
#include "framework/DialogWindow.h"
#include "framework/MessageMap.h"
#include "framework/Wnd.h"

class CDataExchange;
class CMenu;

// A dialog created from a dialog template compiled into the executable. Derived dialogs
// specialise it through the virtual functions and route messages through their message map.
class CDialog : public CWnd, private DialogWindowOwner {
 public:
  explicit CDialog(int templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Builds the window and its controls from the template and initialises it, then shows it
  // as the template says. The caller's event loop drives it (a modeless dialog).
  bool Create();
  // Creates the dialog and runs it modally until EndDialog; returns the result, or -1 when
  // the template cannot be loaded. The window is destroyed before this returns.
  int DoModal();
  void EndDialog(int result);

  QWidget* GetDlgItem(int id) const;
  void CheckDlgButton(int id, bool checked);
  void SetDlgItemText(int id, const QString& text);
  CMenu* GetSystemMenu(bool revert);
  void SetIcon(const QIcon& icon, bool big);
  bool IsIconic() const;
  bool UpdateData(bool saveAndValidate = true);

  // Sees each key press in the dialog before the focused control; true consumes it.
  bool PreTranslateMessage(MSG* pMsg) override;

 protected:
  virtual bool OnInitDialog();
  virtual void DoDataExchange(CDataExchange* pDX);
  virtual void OnOK();
  virtual void OnCancel();
  virtual MessageMap GetMessageMap() const { return {}; }

  // Default processing, for handlers that pass a message on.
  void OnSysCommand(unsigned id, long param);
  void OnPaint();

 private:
  bool CreateWindow(bool show);
  // Through the message map, else the default processing.
  void Dispatch(Message& message) override;
  CMenu* WindowMenu() override { return GetSystemMenu(false); }
  void DefaultProcessing(Message& message);

  int m_templateId;
  CWnd* m_pParentWnd;
  std::unique_ptr<DialogWindow> m_window;
  std::unique_ptr<CMenu> m_systemMenu;
};
