#include "document/project/kept_owner.h"

#include "document/audition/audition_groove.h"
#include "document/instance/state_fields.h"
#include "engine/model/project.h"

namespace ob {
namespace {

using Path = std::vector<std::string>;

constexpr OwnerPlace kDocument{};

// A record of the state's: under a list of records, one of them or a
// member of one; a macro's; any other member of the state's.
std::optional<OwnerPlace> inState(const Path& path) {
  const std::size_t n = path.size();
  const std::string& list = path[1];
  const bool records = list == "voices" || list == "sounds" || list == "samples";
  if (records || list == "macros") {
    // The list itself is read or opened into its records, never kept whole.
    if (n == 2) return std::nullopt;
    if (list == "macros" && macroOfKey(path[2]) < 0) return kDocument;
    if (records && n == 3) return kDocument;  // a record the load did not take
    const KeptOwnerKind kind = list == "voices"    ? KeptOwnerKind::Voice
                               : list == "sounds"  ? KeptOwnerKind::Sound
                               : list == "samples" ? KeptOwnerKind::Sample
                                                   : KeptOwnerKind::Macro;
    return OwnerPlace{kind, 2, 0, 3, false};
  }
  return kDocument;
}

// A record of the audition's: a member of its grid (a voice's, a step's,
// or the grid's of a voice the kit lacks), its notes, and its members of
// no one (swing entries, members of its own).
std::optional<OwnerPlace> inAudition(const Path& path) {
  const std::size_t n = path.size();
  if (n == 2 && path[1] == "notes") return OwnerPlace{KeptOwnerKind::Step, 0, 0, 2, true};
  if (n < 3 || path[1] != "ext" || path[2] != stepsExtensionKey()) return kDocument;
  if (n == 3) return std::nullopt;  // the grid is read, never kept whole
  if (path[3] != "voices") return kDocument;
  if (n == 4) return std::nullopt;  // the grid's voices are read, never kept whole
  if (n == 5) return kDocument;     // a voice the kit lacks
  int step = -1;
  if (n >= 8 && path[5] == "steps" && readStepKey(path[6], step))
    return OwnerPlace{KeptOwnerKind::Step, 4, 6, 7, false};
  return OwnerPlace{KeptOwnerKind::Voice, 4, 0, 5, false};
}

}  // namespace

std::optional<OwnerPlace> ownerPlaceOf(const Path& path) {
  if (path.empty()) return std::nullopt;
  // A member of the envelope's kept whole (one the rewrite writes none of).
  if (path.size() == 1) return kDocument;
  const std::string& top = path[0];
  if (top == "state") return inState(path);
  if (top == "audition") return inAudition(path);
  if (top == "assets") {
    if (path.size() == 2) return kDocument;  // a sample's, which no load took
    return OwnerPlace{KeptOwnerKind::Sample, 1, 0, 2, false};
  }
  // The envelope's members, which no edit reaches.
  return kDocument;
}

int macroOfKey(const std::string& key) {
  for (int i = 0; i < kMacroCount; ++i)
    if (key == macroName(i)) return i;
  return -1;
}

}  // namespace ob
