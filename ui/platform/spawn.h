#pragma once
// Starting helper programs from inside a host: found on PATH, given an
// argument vector (no shell), standard input and error on /dev/null and
// none of the host's other descriptors. The caller owns the child and must
// reap it with waitpid.

#include <sys/types.h>

#include <string>
#include <vector>

#include "ui/platform/unique_fd.h"

namespace orbi::ui {

enum class ChildOutput {
  Discard,  // standard output on /dev/null
  Pipe,     // standard output into a pipe whose read end the caller gets
};

struct SpawnedChild {
  pid_t pid = -1;
  UniqueFd output;  // the pipe's read end, close-on-exec and non-blocking
  int error = 0;    // errno of a failed start (ENOENT: not on PATH); pid is -1 then
};

// argv[0] is the program searched on PATH. A new session detaches the
// child from the host's terminal and process group.
SpawnedChild spawnProgram(const std::vector<std::string>& argv, ChildOutput output, bool newSession);

// Writes "orbi-ui: <what> failed (0x%08lx)" with the code (an errno value)
// to standard error, at most 160 characters.
void logHresult(const char* what, long code);

}  // namespace orbi::ui
