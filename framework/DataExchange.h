#pragma once

class CDialog;
class CWnd;

// Carries a dialog's data exchange; here it binds control objects to the dialog's controls.
class CDataExchange {
 public:
  explicit CDataExchange(CDialog* dialog) : m_pDlgWnd(dialog) {}

  CDialog* m_pDlgWnd;
};

// Binds `control` to the dialog's control `id`, once; later exchanges leave it bound.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
