#include "content/tools/kits_folder.h"

#include "content/tools/home_folder.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace ob {

namespace fs = std::filesystem;

namespace {

// The variable's value when it names an absolute path.
fs::path absoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return fs::path(value);
}

fs::path dataHome() {
  if (fs::path data = absoluteFromEnvironment("XDG_DATA_HOME"); !data.empty()) return data;
  const fs::path home = homeFolder();
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
