#include "editor/kits/file_kept_over.h"

#include <system_error>
#include <utility>

#include "content/kits/kit_library.h"
#include "document/project/kept_let_go.h"
#include "editor/let_go_report.h"

namespace orbi {

FileKeptOver fileKeptOver(const std::filesystem::path& file, const ob::Pattern& kit) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return {};
  // The file's kit as an open reads it stands before the kit saved over it.
  std::unique_ptr<ob::Project> before = ob::makeProject(), after = ob::makeProject();
  std::shared_ptr<const ob::KitFileKept> held;
  if (!before || !after ||
      !ob::KitLibrary::loadKitFile(ob::kitPathToUtf8(file), before->patterns[0], nullptr, &held) || !held)
    return {};
  after->patterns[0] = kit;
  ob::KeptLetGo letGo = ob::letGoOnEdit(held->kept->records, *before, *after, {}, held->kept->keysAsLoaded);
  auto kept = std::make_shared<ob::KeptDocument>(*held->kept);
  kept->records = std::move(letGo.kept);
  return {std::move(kept), letGoNames(letGo.gone, *before)};
}

}  // namespace orbi
