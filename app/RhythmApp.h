#pragma once

#include "framework/WinApp.h"

// The application: runs the main dialog and ends when it ends.
class CRhythmApp : public CWinApp {
 public:
  CRhythmApp();
  bool InitInstance() override;

 protected:
  std::span<const CommandMapEntry> GetCommandMap() const override;
};
