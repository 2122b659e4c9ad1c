#pragma once

#include "framework/Dialog.h"

// The About box: the icon, the name and version, and OK.
class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

 protected:
  bool OnInitDialog() override;
  MessageMap GetMessageMap() const override;

 private:
  void OnLabelClicked() {}
};
