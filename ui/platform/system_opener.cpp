#include "ui/platform/system_opener.h"

#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

#include "ui/ascii.h"
#include "ui/platform/spawn.h"

namespace orbi::ui {
namespace {

// Every window of every instance in the process shares it.
struct Openers {
  std::mutex lock;
  std::vector<pid_t> running;
};

Openers& openers() {
  static Openers list;
  return list;
}

bool isWebAddress(std::string_view target) {
  return startsWithIgnoringCase(target, "http://") || startsWithIgnoringCase(target, "https://");
}

// Holding the list's lock.
std::size_t reapLocked(std::vector<pid_t>& running) {
  std::erase_if(running, [](pid_t pid) {
    const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
    return r == pid || (r < 0 && errno != EINTR);  // ECHILD: reaped already
  });
  return running.size();
}

}  // namespace

bool openWithSystem(std::string_view target) {
  if (!isWebAddress(target)) return false;
  SpawnedChild child = spawnProgram({"xdg-open", std::string(target)}, ChildOutput::Discard, true);
  Openers& list = openers();
  std::lock_guard guard(list.lock);
  reapLocked(list.running);
  if (child.pid <= 0) return false;
  list.running.push_back(child.pid);
  return true;
}

std::size_t reapSystemOpeners() {
  Openers& list = openers();
  std::lock_guard guard(list.lock);
  return reapLocked(list.running);
}

}  // namespace orbi::ui
