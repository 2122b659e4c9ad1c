#pragma once

#include <sys/types.h>

#include <chrono>

#include "support/measure/ChildProcess.h"

// Stalls a process now and then, the way a busy desktop's scheduler does: every `every` it
// stops the process (all its threads) for `stall`. The stopping is done from a helper
// process, so the target may be the caller itself. Whenever this ends, the target is left
// running.
class ProcessStaller {
 public:
  ProcessStaller(pid_t target, std::chrono::milliseconds stall, std::chrono::milliseconds every);
  ~ProcessStaller() = default;  // the helper resumes the target as it goes
  ProcessStaller(const ProcessStaller&) = delete;
  ProcessStaller& operator=(const ProcessStaller&) = delete;

  bool Started() const { return helper_.Started(); }

 private:
  ChildProcess helper_;
};
