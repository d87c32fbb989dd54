#include "content/tools/home_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace ob {

namespace {

// The password entry's home, looked up once: it does not change while the
// host runs, and the lookup may read files.
const std::filesystem::path& homeOfUser() {
  static const std::filesystem::path home = [] {
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr || found->pw_dir[0] != '/')
      return std::filesystem::path();
    return std::filesystem::path(found->pw_dir);
  }();
  return home;
}

}  // namespace

std::filesystem::path homeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  return homeOfUser();
}

}  // namespace ob
