#pragma once

#include <pulse/thread-mainloop.h>

// Holds a threaded main loop's lock for its lifetime. libpulse's rule: every call on the
// loop's objects from outside its thread is made with this lock held; the loop's own
// callbacks already run with it.
class MainLoopLock {
 public:
  explicit MainLoopLock(pa_threaded_mainloop* loop) : loop_(loop) {
    pa_threaded_mainloop_lock(loop_);
  }
  ~MainLoopLock() { pa_threaded_mainloop_unlock(loop_); }
  MainLoopLock(const MainLoopLock&) = delete;
  MainLoopLock& operator=(const MainLoopLock&) = delete;

 private:
  pa_threaded_mainloop* loop_;
};
