#include "support/measure/ParecRecorder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

extern char** environ;

ParecRecorder::ParecRecorder(const std::string& source, unsigned rate,
                             std::chrono::milliseconds latency) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;  // later children must not hold the pipe open
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  const std::string device = "--device=" + source;
  std::vector<std::string> args = {"parec",
                                   device,
                                   "--format=s16le",
                                   "--rate=" + std::to_string(rate),
                                   "--channels=1",
                                   "--raw",
                                   "--latency-msec=" + std::to_string(latency.count())};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  if (posix_spawnp(&pid_, "parec", &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  pipe_ = fds[0];
  if (pid_ > 0) reader_ = std::thread([this] { ReadUntilClosed(); });
}

ParecRecorder::~ParecRecorder() {
  Finish();
}

void ParecRecorder::ReadUntilClosed() {
  std::vector<std::uint8_t> pending;
  std::uint8_t buffer[4096];
  for (;;) {
    const ssize_t n = read(pipe_, buffer, sizeof buffer);
    if (n <= 0) break;
    const auto now = Clock::now();
    pending.insert(pending.end(), buffer, buffer + n);
    const std::size_t whole = pending.size() / 2;
    std::lock_guard lock(mutex_);
    const std::size_t start = samples_.size();
    samples_.resize(start + whole);
    std::memcpy(samples_.data() + start, pending.data(), whole * 2);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(whole * 2));
    arrivals_.push_back({now, samples_.size()});
  }
}

bool ParecRecorder::WaitForSamples(std::size_t frames, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    {
      std::lock_guard lock(mutex_);
      if (samples_.size() >= frames) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

void ParecRecorder::Finish() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  if (reader_.joinable()) reader_.join();
  if (pipe_ >= 0) close(pipe_);
  pipe_ = -1;
}

ParecRecorder::Clock::time_point ParecRecorder::ArrivalOf(std::size_t index) const {
  std::lock_guard lock(mutex_);
  const auto it =
      std::upper_bound(arrivals_.begin(), arrivals_.end(), index,
                       [](std::size_t i, const Arrival& a) { return i < a.samplesSoFar; });
  return it == arrivals_.end() ? Clock::time_point::max() : it->time;
}
