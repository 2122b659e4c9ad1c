#include "support/measure/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

extern char** environ;

namespace {

std::vector<std::string> EnvironmentFor(const ChildProcess::Options& options) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable(*entry);
    const std::string name = variable.substr(0, variable.find('='));
    const auto& unset = options.unsetEnvironment;
    if (options.setEnvironment.contains(name) ||
        std::find(unset.begin(), unset.end(), name) != unset.end())
      continue;
    env.push_back(variable);
  }
  for (const auto& [name, value] : options.setEnvironment) env.push_back(name + "=" + value);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

int ExitStatus(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool ChildProcess::Start(const std::vector<std::string>& argv, const Options& options) {
  Terminate();
  // dup2 onto the same number would leave close-on-exec set, so move it out of the way.
  int passFd = options.passFd;
  if (passFd == kPassedFd) passFd = fcntl(passFd, F_DUPFD_CLOEXEC, kPassedFd + 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.silent) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  }
  if (options.stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, options.stdoutFd, 1);
  if (passFd >= 0) posix_spawn_file_actions_adddup2(&actions, passFd, kPassedFd);
  std::vector<std::string> args = argv;
  std::vector<std::string> env = EnvironmentFor(options);
  if (posix_spawnp(&pid_, args[0].c_str(), &actions, nullptr, Pointers(args).data(),
                   Pointers(env).data()) != 0)
    pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (passFd != options.passFd) close(passFd);
  return Started();
}

bool ChildProcess::Running() {
  if (pid_ <= 0) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == 0) return true;
  pid_ = -1;
  return false;
}

int ChildProcess::Wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  const pid_t ended = waitpid(pid_, &status, 0);
  pid_ = -1;
  return ended > 0 ? ExitStatus(status) : -1;
}

void ChildProcess::Terminate() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 300 && Running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    Wait();
  }
}

ChildProcess::Result ChildProcess::Run(const std::vector<std::string>& argv, Options options) {
  Result result;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return result;
  options.stdoutFd = fds[1];
  ChildProcess child;
  child.Start(argv, options);
  close(fds[1]);
  char buffer[256];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) result.output.append(buffer, n);
  close(fds[0]);
  result.status = child.Wait();
  return result;
}
