#include "editor/project_files.h"

#include <string_view>

namespace orbi {

std::filesystem::path withProjectSuffix(const std::filesystem::path& path) {
  if (std::string_view(fileNameOf(path)).ends_with(kProjectSuffix)) return path;
  std::filesystem::path target = path;
  target.replace_extension(kProjectSuffix);
  return target;
}

std::string fileNameOf(const std::filesystem::path& path) {
  // Linux paths are bytes: the name is taken as it is, whatever encoding.
  return path.filename().string();
}

}  // namespace orbi
