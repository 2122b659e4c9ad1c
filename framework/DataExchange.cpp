#include "framework/DataExchange.h"

#include "framework/Dialog.h"

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (control.GetSafeHwnd() == nullptr) control.Attach(pDX->m_pDlgWnd->GetDlgItem(id));
}
