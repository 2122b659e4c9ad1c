// What a user of the program feels, next to a bare Qt dialog measured in the same run:
// time from process start to the window mapped, peak memory, and CPU while stopped and
// while playing. Needs an X server and a sound server:
//   Xvfb :9 & tests/pulse/pulse-server.sh start /tmp/tocolo-pulse
//   DISPLAY=:9 PULSE_SERVER=unix:/tmp/tocolo-pulse/native build/release/bench/tocolo_desktop_bench
// Start-up is taken from just before the process is spawned to the MapNotify of its first
// top-level window, as the X server reports it to this process (microsecond clock).
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/RatioReporter.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const char* const kPrograms[] = {TOCOLO_PROGRAM, BARE_DIALOG_PROGRAM};

pid_t Spawn(const char* program, const char* arg = nullptr) {
  char* argv[] = {const_cast<char*>(program), const_cast<char*>(arg), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) return -1;
  return pid;
}

void Run(std::initializer_list<const char*> args) {
  std::vector<char*> argv;
  for (const char* a : args) argv.push_back(const_cast<char*>(a));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0) {
    waitpid(pid, nullptr, 0);
  }
}

void End(pid_t pid) {
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

// A running program and its first top-level window.
struct Launch {
  pid_t pid = -1;
  Window window = 0;
  double seconds = 0;
};

Launch LaunchAndWaitForWindow(Display* display, const char* program) {
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, True);
  Launch launch;
  const auto start = Clock::now();
  launch.pid = Spawn(program);
  const auto deadline = start + 10s;
  while (Clock::now() < deadline) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && launch.window == 0) {
        launch.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        launch.window = event.xmap.window;
      }
    }
    if (launch.window != 0) break;
    std::this_thread::sleep_for(100us);
  }
  XSelectInput(display, DefaultRootWindow(display), NoEventMask);
  return launch;
}

long StatusKilobytes(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return 0;
}

// Seconds of CPU the process has used so far.
double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string skip;
  for (int i = 0; i < 11; ++i) fields >> skip;  // state .. cmajflt
  double user = 0, system = 0;
  fields >> user >> system;
  return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double CpuPercentOver(pid_t pid, std::chrono::seconds span) {
  const double before = CpuSeconds(pid);
  std::this_thread::sleep_for(span);
  return 100.0 * (CpuSeconds(pid) - before) / static_cast<double>(span.count());
}

using DisplayConnection = std::unique_ptr<Display, int (*)(Display*)>;

// The X display the benchmarks watch, one connection for the whole run; null, with the
// benchmark skipped, when there is none.
Display* OpenDisplay(benchmark::State& state) {
  static const DisplayConnection display(XOpenDisplay(nullptr), &XCloseDisplay);
  if (!display) state.SkipWithError("no X display");
  return display.get();
}

void StartToMapped(benchmark::State& state) {
  Display* const display = OpenDisplay(state);
  if (display == nullptr) return;
  const char* program = kPrograms[state.range(0)];
  std::vector<double> times;
  for (auto _ : state) {
    const Launch launch = LaunchAndWaitForWindow(display, program);
    if (launch.window == 0) {
      state.SkipWithError("no window appeared");
      End(launch.pid);
      break;
    }
    state.SetIterationTime(launch.seconds);
    times.push_back(launch.seconds);
    std::this_thread::sleep_for(500ms);
    state.counters["peak_MB"] = StatusKilobytes(launch.pid, "VmHWM") / 1024.0;
    End(launch.pid);
  }
  if (times.empty()) return;
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  state.counters["median_ms"] = 1000 * times[times.size() / 2];
}

// CPU over ten seconds stopped, then ten seconds playing (Space).
void CpuUse(benchmark::State& state) {
  Display* const display = OpenDisplay(state);
  if (display == nullptr) return;
  const char* program = kPrograms[state.range(0)];
  for (auto _ : state) {
    const Launch launch = LaunchAndWaitForWindow(display, program);
    std::this_thread::sleep_for(1s);
    state.counters["stopped_pct"] = CpuPercentOver(launch.pid, 10s);
    const std::string window = std::to_string(launch.window);
    Run({"xdotool", "windowfocus", "--sync", window.c_str()});
    Run({"xdotool", "key", "space"});
    std::this_thread::sleep_for(200ms);
    state.counters["playing_pct"] = CpuPercentOver(launch.pid, 10s);
    state.SetIterationTime(1);
    End(launch.pid);
  }
}

BENCHMARK(StartToMapped)
    ->ArgName("program")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(7)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CpuUse)->ArgName("program")->Arg(0)->Arg(1)->UseManualTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  reporter.Compare("StartToMapped/program:0", "StartToMapped/program:1");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
