#include "support/measure/ProcessStaller.h"

#include <string>

namespace {

std::string Seconds(std::chrono::milliseconds span) {
  return std::to_string(std::chrono::duration<double>(span).count());
}

}  // namespace

ProcessStaller::ProcessStaller(pid_t target, std::chrono::milliseconds stall,
                               std::chrono::milliseconds every) {
  // The shell runs a trap only once its sleep is over, so a SIGTERM that comes during a
  // stall still resumes the target before the helper exits.
  const char* script =
      "trap 'kill -CONT $0; exit 0' TERM;"
      "while :; do sleep $2; kill -STOP $0; sleep $1; kill -CONT $0; done";
  helper_.Start(
      {"sh", "-c", script, std::to_string(target), Seconds(stall), Seconds(every - stall)}, {});
}

ProcessStaller::ProcessStaller(pid_t target, Once once) {
  const char* script =
      "trap 'kill -CONT $0; exit 0' TERM; sleep $1; kill -STOP $0; sleep $2; kill -CONT $0";
  helper_.Start(
      {"sh", "-c", script, std::to_string(target), Seconds(once.after), Seconds(once.stall)}, {});
}
