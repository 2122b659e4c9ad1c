// A program whose main window has no dialog template: it must say so and fail, not end as
// if the user had closed a window they never saw.
#include "app/Version.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"

namespace {

constexpr int kNoSuchTemplate = 4242;

class NoDialogApp : public CWinApp {
 public:
  NoDialogApp() : CWinApp(kTocoloVersion) {}
  bool InitInstance() override {
    CDialog dlg(kNoSuchTemplate);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return false;
  }
};

NoDialogApp theApp;

}  // namespace
