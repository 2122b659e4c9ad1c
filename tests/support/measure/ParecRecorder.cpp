#include "support/measure/ParecRecorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

ParecRecorder::ParecRecorder(const std::string& source, unsigned rate,
                             std::chrono::milliseconds latency) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;  // later children must not hold the pipe open
  ChildProcess::Options options;
  options.stdoutFd = fds[1];
  parec_.Start({"parec", "--device=" + source, "--format=s16le", "--rate=" + std::to_string(rate),
                "--channels=1", "--raw", "--latency-msec=" + std::to_string(latency.count())},
               options);
  close(fds[1]);
  pipe_ = fds[0];
  if (parec_.Started()) reader_ = std::thread([this] { ReadUntilClosed(); });
}

void ParecRecorder::ReadUntilClosed() {
  std::vector<std::uint8_t> pending;
  std::uint8_t buffer[4096];
  for (ssize_t n; (n = read(pipe_, buffer, sizeof buffer)) > 0;) {
    const auto now = Clock::now();
    pending.insert(pending.end(), buffer, buffer + n);
    const std::size_t whole = pending.size() / 2;
    if (whole == 0) continue;
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
  parec_.Terminate();
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

std::size_t ParecRecorder::FirstSampleArrivingAfter(Clock::time_point t) const {
  std::lock_guard lock(mutex_);
  const auto it =
      std::lower_bound(arrivals_.begin(), arrivals_.end(), t,
                       [](const Arrival& a, Clock::time_point u) { return a.time < u; });
  if (it == arrivals_.end()) return samples_.size();
  return it == arrivals_.begin() ? 0 : std::prev(it)->samplesSoFar;
}

std::size_t ParecRecorder::Pieces() const {
  std::lock_guard lock(mutex_);
  return arrivals_.size();
}
