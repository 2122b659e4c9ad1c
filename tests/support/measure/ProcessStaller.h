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
  // Stops the process just once: `after` from now, for `stall`.
  struct Once {
    std::chrono::milliseconds after;
    std::chrono::milliseconds stall;
  };
  ProcessStaller(pid_t target, Once once);
  ~ProcessStaller() = default;  // the helper resumes the target as it goes
  ProcessStaller(const ProcessStaller&) = delete;
  ProcessStaller& operator=(const ProcessStaller&) = delete;

  bool Started() const { return helper_.Started(); }
  // Whether a stall of Once is over, the target running again.
  bool Done() { return !helper_.Running(); }

 private:
  ChildProcess helper_;
};
