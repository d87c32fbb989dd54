#include "content/tools/kits_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace ob {

namespace fs = std::filesystem;

namespace {

// The variable's value when it names an absolute path.
fs::path absoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return fs::path(value);
}

fs::path homeOfUser() {
  if (fs::path home = absoluteFromEnvironment("HOME"); !home.empty()) return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr || found->pw_dir[0] != '/')
    return {};
  return fs::path(found->pw_dir);
}

fs::path dataHome() {
  if (fs::path data = absoluteFromEnvironment("XDG_DATA_HOME"); !data.empty()) return data;
  const fs::path home = homeOfUser();
  return home.empty() ? fs::path() : home / ".local" / "share";
}

}  // namespace

fs::path defaultKitsFolder() {
  const fs::path data = dataHome();
  return data.empty() ? fs::path() : data / "Orbitrane" / "kits";
}

fs::path ensureKitsFolder() {
  const fs::path folder = defaultKitsFolder();
  if (folder.empty()) {
    std::fprintf(stderr, "orbitrane: no home folder for the kits folder\n");
    return folder;
  }
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec)
    std::fprintf(stderr, "orbitrane: cannot create %s: %s\n", folder.string().c_str(), ec.message().c_str());
  return folder;
}

}  // namespace ob
