#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

// A program started with posix_spawnp and ended (SIGTERM, SIGKILL if it lingers, then
// waited for) when this goes, so that no X server or player outlives a failed test.
class ChildProcess {
 public:
  // The descriptor number a passed descriptor has in the child.
  static constexpr int kPassedFd = 3;

  struct Options {
    std::map<std::string, std::string> setEnvironment;
    std::vector<std::string> unsetEnvironment;
    int passFd = -1;      // becomes kPassedFd in the child
    int stdoutFd = -1;    // the child's stdout, if set
    bool silent = false;  // stdout (unless stdoutFd) and stderr to /dev/null
  };

  ChildProcess() = default;
  ~ChildProcess() { Terminate(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `argv[0]`, searched for on PATH, ending whatever this ran before; false if it
  // could not be started.
  bool Start(const std::vector<std::string>& argv, const Options& options);
  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  bool Running();
  // Waits for the end: the exit status, or -1 if it did not exit by itself.
  int Wait();
  void Terminate();

  // Runs a program to its end: the exit status (-1 if it could not run) and its stdout.
  struct Result {
    int status = -1;
    std::string output;
  };
  static Result Run(const std::vector<std::string>& argv, Options options);

 private:
  pid_t pid_ = -1;
};
