#pragma once

#include <cstdint>

#include "engine/RhythmEngine.h"
#include "framework/WinApp.h"

// The application: runs the main dialog and ends when it ends. Each program defines its one
// instance: the shipped one in Program.cpp, with START playing the loop the engine's usual
// number of times.
class CRhythmApp : public CWinApp {
 public:
  explicit CRhythmApp(std::uint32_t playLoops = CRhythmEngine::kPlayLoops);
  bool InitInstance() override;

 protected:
  std::span<const CommandMapEntry> GetCommandMap() const override;

 private:
  std::uint32_t m_playLoops;
};
