#pragma once

class CDialog;
class CWnd;

// Carries a dialog's data exchange; here it binds control objects to the dialog's controls.
class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, bool saveAndValidate)
      : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

  CDialog* m_pDlgWnd;
  bool m_bSaveAndValidate;
};

// Binds `control` to the dialog's control `id`, once; later exchanges leave it bound.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
