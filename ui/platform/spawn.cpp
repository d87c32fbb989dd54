#include "ui/platform/spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace orbi::ui {
namespace {

// The spawn attributes and file actions, released on every way out.
class SpawnSetup {
 public:
  SpawnSetup() {
    attrOk_ = posix_spawnattr_init(&attr_) == 0;
    actionsOk_ = posix_spawn_file_actions_init(&actions_) == 0;
  }
  ~SpawnSetup() {
    if (attrOk_) posix_spawnattr_destroy(&attr_);
    if (actionsOk_) posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  bool ok() const { return attrOk_ && actionsOk_; }
  posix_spawnattr_t* attr() { return &attr_; }
  posix_spawn_file_actions_t* actions() { return &actions_; }

 private:
  posix_spawnattr_t attr_;
  posix_spawn_file_actions_t actions_;
  bool attrOk_ = false;
  bool actionsOk_ = false;
};

// The host may block signals or ignore SIGCHLD and SIGPIPE; the child
// starts with an empty mask and their default handling.
int resetSignals(posix_spawnattr_t* attr, bool newSession) {
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGCHLD);
  sigaddset(&defaults, SIGPIPE);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (newSession) flags |= POSIX_SPAWN_SETSID;
  if (int e = posix_spawnattr_setsigmask(attr, &none)) return e;
  if (int e = posix_spawnattr_setsigdefault(attr, &defaults)) return e;
  return posix_spawnattr_setflags(attr, flags);
}

int redirect(posix_spawn_file_actions_t* actions, int outputWriteEnd) {
  if (int e = posix_spawn_file_actions_addopen(actions, 0, "/dev/null", O_RDONLY, 0)) return e;
  if (outputWriteEnd >= 0) {
    if (int e = posix_spawn_file_actions_adddup2(actions, outputWriteEnd, 1)) return e;
  } else if (int e = posix_spawn_file_actions_addopen(actions, 1, "/dev/null", O_WRONLY, 0)) {
    return e;
  }
  if (int e = posix_spawn_file_actions_addopen(actions, 2, "/dev/null", O_WRONLY, 0)) return e;
  return posix_spawn_file_actions_addclosefrom_np(actions, 3);
}

}  // namespace

SpawnedChild spawnProgram(const std::vector<std::string>& argv, ChildOutput output, bool newSession) {
  SpawnedChild child;
  if (argv.empty()) {
    child.error = EINVAL;
    return child;
  }
  UniqueFd readEnd, writeEnd;
  if (output == ChildOutput::Pipe) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
      child.error = errno;
      return child;
    }
    readEnd.reset(fds[0]);
    writeEnd.reset(fds[1]);
    // Only our end: the child's standard output stays blocking.
    if (fcntl(readEnd.get(), F_SETFL, O_NONBLOCK) != 0) {
      child.error = errno;
      return child;
    }
  }
  SpawnSetup setup;
  if (!setup.ok()) {
    child.error = ENOMEM;
    return child;
  }
  if (int e = resetSignals(setup.attr(), newSession)) {
    child.error = e;
    return child;
  }
  if (int e = redirect(setup.actions(), writeEnd.get())) {
    child.error = e;
    return child;
  }
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (int e = posix_spawnp(&pid, args[0], setup.actions(), setup.attr(), args.data(), environ)) {
    child.error = e;
    return child;
  }
  child.pid = pid;
  child.output = std::move(readEnd);
  return child;
}

void logHresult(const char* what, long code) {
  char line[160];
  std::snprintf(line, sizeof line, "orbi-ui: %s failed (0x%08lx)\n", what, static_cast<unsigned long>(code));
  std::fputs(line, stderr);
}

}  // namespace orbi::ui
