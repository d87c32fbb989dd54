#pragma once
// The kit library: the built-in kits and the kit files of one folder.
// Lists, loads, saves and deletes kits, and sets a kit's name and tags. It
// keeps no state: every call works on the folder as it is now. Main thread.
// Nothing here throws for file-system trouble: failures come back as false
// with an error text, and a folder scan skips what it cannot read and says
// so in its problem list.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "document/diagnostics.h"
#include "document/project/kept_document.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"

namespace ob {

// One listed kit.
struct KitEntry {
  std::string reference;  // "builtin:<n>" or the file's path (UTF-8)
  std::string name;
  std::string author;
  std::uint32_t version = 1;
  std::vector<std::string> tags;  // at most 8
  bool builtIn = false;
};

// A kit file or folder that a scan had to leave out, and why.
struct KitScanProblem {
  std::string path;     // UTF-8
  std::string message;  // the reason, which does not repeat a file's path
};

inline constexpr std::string_view kKitFileExtension = ".kit.orbi";
inline constexpr std::string_view kOldKitFileExtension = ".obk";
inline constexpr std::string_view kBuiltinKitPrefix = "builtin:";

struct KitLibrary {
  static std::vector<KitEntry> listBuiltinKits();
  // Kit files directly inside the folder, in the order the file system
  // gives them. A missing folder gives an empty list. Files that do not
  // load, and a folder that cannot be read, are left out and reported in
  // problems when it is given.
  static std::vector<KitEntry> scanFolder(const std::filesystem::path& folder,
                                          std::vector<KitScanProblem>* problems = nullptr);
  // The built-in kits, then the folder's.
  static std::vector<KitEntry> listAll(const std::filesystem::path& folder,
                                       std::vector<KitScanProblem>* problems = nullptr);

  // A "builtin:" reference or a kit file path. The pattern changes only on
  // success; the error text (when given) only on failure. On success kept
  // (when given) becomes what the kit's file holds that this build does
  // not read, which its saves put back as a state's do; nothing for a
  // built-in kit, nor for one in the older format, read as an older
  // project is: its document read, not kept. findings (when given) takes
  // what the reader found, as a state's load says it.
  static bool loadKit(std::string_view reference, Pattern& pattern, std::string* error,
                      std::shared_ptr<const KitFileKept>* kept = nullptr, Diagnostics* findings = nullptr);
  static bool loadKitFile(std::string_view path, Pattern& pattern, std::string* error,
                          std::shared_ptr<const KitFileKept>* kept = nullptr,
                          Diagnostics* findings = nullptr);
  // Writes the pattern's kit (steps reset to defaults) as a kit document,
  // with what the load of the kit kept (when given) put back. The old file
  // is replaced only once the new one is complete.
  static bool saveKitFile(std::string_view path, const Pattern& pattern, std::string* error,
                          const KeptDocument* kept = nullptr);
  static bool deleteKit(std::string_view path, std::string* error);

  // Author, version and the first min(tag count, 8) tags.
  static void fillEntryFromKit(KitEntry& entry, const Pattern& pattern);
};

// The most bytes of UTF-8 a kit's name holds.
inline constexpr std::size_t kKitNameBytes = sizeof(Kit::name) - 1;

// The kit's name becomes text; a longer text than kKitNameBytes hold is
// cut at a character boundary, trailing blanks dropped, and ends in an
// ellipsis.
void setKitName(Kit& kit, std::string_view text);
// Comma-separated tags, each trimmed of blanks and cut to 23 bytes; empty
// pieces are skipped; at most 8 are kept.
void setKitTags(Kit& kit, std::string_view text);

// The tracks of the part in use (indices, in order) whose sampler or
// granular sound plays a pool slot that holds no sample, so plays silent:
// a kit saved with samples of another project. A sound with velocity
// zones plays their slots, any other its "slot" parameter.
std::vector<int> tracksMissingSamples(const Pattern& part, const SamplePool& pool);

// UTF-8 text to a path and back.
std::filesystem::path kitPathFromUtf8(std::string_view text);
std::string kitPathToUtf8(const std::filesystem::path& path);

}  // namespace ob
