// What a user of the program feels, next to a bare Qt dialog measured in the same run: time
// from process start to the window mapped, peak memory, and CPU while stopped and while
// playing, the program's own and the sound server's. Needs an X server and the suite's
// PulseAudio server:
//   Xvfb :9 & tests/pulse/pulse-server.sh start /tmp/tocolo-pulse
//   DISPLAY=:9 PULSE_SERVER=unix:/tmp/tocolo-pulse/native build/release/bench/tocolo_desktop_bench
// A further program named after the options (another build of tocolo, say) is measured in
// the same run as program 2.
// Start-up is taken from just before the process is spawned to the MapNotify of its first
// top-level window, as the X server reports it to this process (microsecond clock). CPU is
// the scheduler's own count of every thread's run time (nanoseconds), over 10 s each; the
// server's is measured first with no client at all.
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/RatioReporter.h"
#include "support/measure/XTestKeyboard.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::vector<std::string> g_programs = {TOCOLO_PROGRAM, BARE_DIALOG_PROGRAM};
constexpr auto kCpuSpan = 10s;

pid_t Spawn(const char* program) {
  char* argv[] = {const_cast<char*>(program), nullptr};
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

// Only a program this process started: kill(-1) would signal every process there is.
void End(pid_t pid) {
  if (pid <= 0) return;
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

// Nanoseconds all threads of the process have run so far, as the scheduler counts them.
double CpuNanoseconds(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(tasks.c_str()), &closedir);
  double total = 0;
  if (!dir) return total;
  while (const dirent* entry = readdir(dir.get())) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream schedstat(tasks + "/" + entry->d_name + "/schedstat");
    double ran = 0;
    if (schedstat >> ran) total += ran;
  }
  return total;
}

double CpuPercentOver(pid_t pid, std::chrono::seconds span) {
  const double before = CpuNanoseconds(pid);
  std::this_thread::sleep_for(span);
  return 100.0 * (CpuNanoseconds(pid) - before) / 1e9 / static_cast<double>(span.count());
}

// The first line a shell command prints, without its newline.
std::string FirstLine(const char* command) {
  std::string line;
  if (FILE* output = popen(command, "r")) {
    for (int c; (c = std::fgetc(output)) != EOF && c != '\n';) line += static_cast<char>(c);
    pclose(output);
  }
  return line;
}

// The suite's PulseAudio server writes its pid next to its socket.
std::optional<pid_t> SoundServerPid() {
  const char* server = std::getenv("PULSE_SERVER");
  if (server == nullptr) return std::nullopt;
  std::string socket(server);
  if (socket.rfind("unix:", 0) == 0) socket.erase(0, 5);
  std::ifstream file(socket.substr(0, socket.rfind('/')) + "/pid");
  pid_t pid = 0;
  if (!(file >> pid) || kill(pid, 0) != 0) return std::nullopt;
  return pid;
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
  const char* program = g_programs[state.range(0)].c_str();
  std::vector<double> times;
  long peak = 0;
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
    peak = std::max(peak, StatusKilobytes(launch.pid, "VmHWM"));
    End(launch.pid);
  }
  if (times.empty()) return;
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  state.counters["median_ms"] = 1000 * times[times.size() / 2];
  state.counters["peak_MiB"] = peak / 1024.0;
}

// The sound server on its own, before any program of ours has been near it.
void ServerWithoutClients(benchmark::State& state) {
  const std::optional<pid_t> server = SoundServerPid();
  if (!server) {
    state.SkipWithError("no sound server pid next to PULSE_SERVER's socket");
    return;
  }
  for (auto _ : state) {
    state.counters["server_pct"] = CpuPercentOver(*server, kCpuSpan);
    state.SetIterationTime(1);
  }
}

// CPU over ten seconds stopped, then ten seconds playing (Space), the program's and the
// server's.
void CpuUse(benchmark::State& state) {
  Display* const display = OpenDisplay(state);
  if (display == nullptr) return;
  const char* program = g_programs[state.range(0)].c_str();
  const std::optional<pid_t> server = SoundServerPid();
  for (auto _ : state) {
    const Launch launch = LaunchAndWaitForWindow(display, program);
    // Long enough for the server to suspend the idle sink, as a desktop's server does.
    std::this_thread::sleep_for(3s);
    // The program's CPU over the span, and the server's over the same span.
    const auto measure = [&](const char* program_pct, const char* server_pct) {
      const double serverBefore = server ? CpuNanoseconds(*server) : 0;
      state.counters[program_pct] = CpuPercentOver(launch.pid, kCpuSpan);
      if (server) {
        state.counters[server_pct] =
            100.0 * (CpuNanoseconds(*server) - serverBefore) / 1e9 / kCpuSpan.count();
      }
    };
    measure("stopped_pct", "server_stopped_pct");
    const std::string window = std::to_string(launch.window);
    Run({"xdotool", "windowfocus", "--sync", window.c_str()});
    Run({"xdotool", "key", "space"});
    std::this_thread::sleep_for(200ms);
    measure("playing_pct", "server_playing_pct");
    state.SetIterationTime(1);
    End(launch.pid);
  }
}

// Lets the program settle, then opens its tap-along window from the window menu.
void OpenTapAlongWindow(const Launch& launch) {
  std::this_thread::sleep_for(3s);
  const std::string window = std::to_string(launch.window);
  Run({"xdotool", "windowfocus", "--sync", window.c_str()});
  Run({"xdotool", "key", "alt+space"});
  std::this_thread::sleep_for(400ms);
  Run({"xdotool", "key", "t"});
  std::this_thread::sleep_for(500ms);
}

// CPU over ten seconds playing with the tap-along window open and a tap every 125 ms (XTEST
// presses of J on its pad), the program's and the server's; CpuUse's playing figures are the
// same with the window never opened.
void CpuTapping(benchmark::State& state) {
  Display* const display = OpenDisplay(state);
  if (display == nullptr) return;
  const std::optional<pid_t> server = SoundServerPid();
  XTestKeyboard keyboard(DisplayString(display));
  for (auto _ : state) {
    const Launch launch = LaunchAndWaitForWindow(display, g_programs[0].c_str());
    OpenTapAlongWindow(launch);
    keyboard.Space();
    std::this_thread::sleep_for(200ms);
    const double serverBefore = server ? CpuNanoseconds(*server) : 0;
    const double before = CpuNanoseconds(launch.pid);
    const auto start = Clock::now();
    for (auto next = start; next < start + kCpuSpan; next += 125ms) {
      std::this_thread::sleep_until(next);
      keyboard.Tap(XTestKeyboard::Key::kJ);
    }
    std::this_thread::sleep_until(start + kCpuSpan);
    state.counters["tapping_pct"] =
        100.0 * (CpuNanoseconds(launch.pid) - before) / 1e9 / kCpuSpan.count();
    if (server) {
      state.counters["server_tapping_pct"] =
          100.0 * (CpuNanoseconds(*server) - serverBefore) / 1e9 / kCpuSpan.count();
    }
    state.SetIterationTime(1);
    End(launch.pid);
  }
}

// CPU over ten seconds playing with the tap-along window open and Listen on, a null sink's
// monitor the microphone: the recording, the detection and the echo analysis, the program's
// and the server's, against CpuUse's playing figures, with nothing of the window made.
void CpuListening(benchmark::State& state) {
  Display* const display = OpenDisplay(state);
  if (display == nullptr) return;
  const std::optional<pid_t> server = SoundServerPid();
  XTestKeyboard keyboard(DisplayString(display));
  for (auto _ : state) {
    // The microphone's sink, by the index its module is loaded at.
    const std::string module = FirstLine("pactl load-module module-null-sink sink_name=bench_mic");
    Run({"pactl", "set-default-source", "bench_mic.monitor"});
    const Launch launch = LaunchAndWaitForWindow(display, g_programs[0].c_str());
    if (launch.window == 0) {
      state.SkipWithError("no window appeared");
      break;
    }
    OpenTapAlongWindow(launch);
    Run({"xdotool", "key", "alt+l"});
    std::this_thread::sleep_for(500ms);
    keyboard.Space();
    std::this_thread::sleep_for(3s);  // past finding how Tocolo is heard
    if (FirstLine("pactl list short source-outputs").empty()) {
      state.SkipWithError("Tocolo is not recording");
      End(launch.pid);
      if (!module.empty()) Run({"pactl", "unload-module", module.c_str()});
      break;
    }
    const double serverBefore = server ? CpuNanoseconds(*server) : 0;
    state.counters["listening_pct"] = CpuPercentOver(launch.pid, kCpuSpan);
    if (server) {
      state.counters["server_listening_pct"] =
          100.0 * (CpuNanoseconds(*server) - serverBefore) / 1e9 / kCpuSpan.count();
    }
    state.SetIterationTime(1);
    End(launch.pid);
    if (!module.empty()) Run({"pactl", "unload-module", module.c_str()});
  }
}

void Register() {
  benchmark::RegisterBenchmark("ServerWithoutClients", ServerWithoutClients)
      ->UseManualTime()
      ->Iterations(1);
  auto* startToMapped = benchmark::RegisterBenchmark("StartToMapped", StartToMapped)
                            ->ArgName("program")
                            ->UseManualTime()
                            ->Iterations(21)
                            ->Unit(benchmark::kMillisecond);
  auto* cpuUse = benchmark::RegisterBenchmark("CpuUse", CpuUse)
                     ->ArgName("program")
                     ->UseManualTime()
                     ->Iterations(1);
  for (int i = 0; i < static_cast<int>(g_programs.size()); ++i) {
    startToMapped->Arg(i);
    cpuUse->Arg(i);
  }
  benchmark::RegisterBenchmark("CpuTapping", CpuTapping)->UseManualTime()->Iterations(1);
  benchmark::RegisterBenchmark("CpuListening", CpuListening)->UseManualTime()->Iterations(1);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc > 1) g_programs.emplace_back(argv[1]);
  Register();
  RatioReporter reporter;
  reporter.Compare("StartToMapped/program:0", "StartToMapped/program:1");
  reporter.Compare("StartToMapped/program:0", "StartToMapped/program:2");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
