#include "app/AboutDlg.h"

#include "res/ResourceIds.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetDlgItemText(IDC_ABOUT_LABEL, QString());
  return true;
}

MessageMap CAboutDlg::GetMessageMap() const {
  static const MessageMapEntry kMap[] = {
      OnClickedEntry(IDC_ABOUT_LABEL, &CAboutDlg::OnLabelClicked),
  };
  return kMap;
}
