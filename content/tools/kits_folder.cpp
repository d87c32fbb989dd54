#include "content/tools/kits_folder.h"

#include <cstdio>
#include <system_error>

namespace ob {

std::filesystem::path ensureKitsFolder() {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::current_path(ec);
  // Without a current directory the relative name still means "here".
  const std::filesystem::path folder = ec ? std::filesystem::path("kits") : base / "kits";
  ec.clear();
  std::filesystem::create_directories(folder, ec);
  if (ec)
    std::fprintf(stderr, "orbitrane: cannot create %s: %s\n", folder.string().c_str(), ec.message().c_str());
  return folder;
}

}  // namespace ob
