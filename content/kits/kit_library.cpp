#include "content/kits/kit_library.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <system_error>

#include "content/kits/factory_kit_builder.h"
#include "content/tools/utf8_fit.h"
#include "document/diagnostics.h"
#include "document/instance/instance_shape.h"
#include "document/instance/instance_state.h"
#include "document/instance/kept_keys.h"
#include "document/instance/state_fields.h"
#include "document/json/json.h"
#include "document/json/json_text_mend.h"
#include "document/legacy/legacy_reader.h"
#include "document/project/atomic_file.h"
#include "document/project/kit_file_kept.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "document/project/sanitize_project.h"
#include "document/reading/regular_file.h"
#include "engine/model/project_ids.h"
#include "engine/model/reach.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_limits.h"

namespace ob {
namespace fs = std::filesystem;
namespace {

// Kit documents are a few kilobytes; anything near this is not a kit, and
// reading it whole during a folder scan would stall the editor.
constexpr std::uint64_t kMaxKitFileBytes = 16u * 1024u * 1024u;

constexpr std::size_t kKitTagBytes = sizeof(Kit::tags[0]) - 1;
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // U+2026

void setError(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
}

std::string fieldText(const char* field, std::size_t capacity) {
  return std::string(field, strnlen(field, capacity));
}

template <std::size_t N>
std::string fieldText(const char (&field)[N]) {
  return fieldText(field, N);
}

template <std::size_t N>
void storeCut(char (&field)[N], std::string_view text, std::size_t maxBytes) {
  const std::string_view fitted = utf8Prefix(text, std::min(maxBytes, N - 1));
  std::fill(field, field + N, '\0');
  std::copy(fitted.begin(), fitted.end(), field);
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// File endings compare without regard to case, as the editor writes them.
bool endsWith(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  const std::string_view end = text.substr(text.size() - tail.size());
  return std::equal(end.begin(), end.end(), tail.begin(),
                    [](char a, char b) { return asciiLower(a) == asciiLower(b); });
}

bool isKitFileName(std::string_view name) {
  return endsWith(name, kKitFileExtension) || endsWith(name, kOldKitFileExtension);
}

std::string nameFromFileName(std::string_view fileName) {
  const std::size_t ending =
      endsWith(fileName, kKitFileExtension) ? kKitFileExtension.size() : kOldKitFileExtension.size();
  return std::string(fileName.substr(0, fileName.size() >= ending ? fileName.size() - ending : 0));
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

void report(std::vector<KitScanProblem>* problems, std::string path, std::string message) noexcept {
  if (problems == nullptr) return;
  try {
    problems->push_back({std::move(path), std::move(message)});
  } catch (const std::exception&) {
    // Out of memory: the list stays as it was.
  }
}

// "builtin:" followed by 1 to 9 decimal digits naming a kit below the count.
bool parseBuiltinIndex(std::string_view reference, std::uint32_t& index) {
  if (reference.substr(0, kBuiltinKitPrefix.size()) != kBuiltinKitPrefix) return false;
  const std::string_view digits = reference.substr(kBuiltinKitPrefix.size());
  if (digits.empty() || digits.size() > 9) return false;
  std::uint32_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value >= static_cast<std::uint32_t>(factoryKitCount())) return false;
  index = value;
  return true;
}

// Why a kit file could not be read, in the words a project open uses.
std::string unreadableReason(FileReadStatus status) {
  const std::string words = fileReadRefusal(status, kMaxKitFileBytes);
  if (status == FileReadStatus::TooLarge) return words + ", more than a kit";
  return words.empty() ? "cannot read the file" : words;
}

// Whether the path's reasons name the file: a load does, for its caller's
// message; a folder scan's problems name it apart.
enum class Naming { WithPath, ReasonOnly };

// What a kit's load gives beside its pattern, for those who asked.
struct KitLoadOut {
  std::shared_ptr<const KitFileKept>* kept = nullptr;
  Diagnostics* findings = nullptr;
};

void giveFindings(const KitLoadOut& out, const Diagnostics& found) {
  if (out.findings == nullptr) return;
  for (const Diagnostic& d : found) out.findings->append(d);
}

bool loadKitFileUnguarded(std::string_view path, Pattern& pattern, std::string* error, Naming naming,
                          const KitLoadOut& out) {
  std::vector<std::uint8_t> bytes;
  if (const FileReadStatus read = readRegularFile(kitPathFromUtf8(path), bytes, kMaxKitFileBytes);
      read != FileReadStatus::Read) {
    const std::string reason = unreadableReason(read);
    setError(error, naming == Naming::WithPath ? "cannot open " + std::string(path) + ": " + reason : reason);
    return false;
  }
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    setError(error, "the file is empty");
    return false;
  }

  // Its strings made UTF-8 as a project's are; the library says nothing of it.
  std::string mended;
  if (mendJsonText(text, mended, nullptr, kMaxKitFileBytes) == TextMend::Mended) text = mended;
  // Read as a state is: what no reader reads stays the text it was, which
  // a save writes back as it stood. A kit of the older form is read whole.
  JsonValue document;
  std::string parseError;
  if (!parseJson(text, instanceDocumentShape(), document, parseError)) {
    setError(error, "not a kit file (" + parseError + ")");
    return false;
  }
  if (!isInstanceDocument(document) && !parseJson(text, document, parseError)) {
    setError(error, "not a kit file (" + parseError + ")");
    return false;
  }
  if (isInstanceDocument(document)) {
    std::unique_ptr<Project> project = makeProject();
    if (!project) {
      setError(error, "out of memory");
      return false;
    }
    Diagnostics diagnostics;
    std::vector<std::string> refs;
    KeysAsLoaded keys;
    const bool read = readInstanceState(document, *project, refs, diagnostics, &keys);
    giveFindings(out, diagnostics);
    if (!read) {
      setError(error, diagnostics.empty() ? std::string("not a Orbitrane kit") : diagnostics[0].message);
      return false;
    }
    // Whatever the file says, the engine only ever sees in-range values.
    sanitizePattern(project->patterns[0]);
    // Decided where a restored session decides it again, from the same text.
    if (out.kept != nullptr) *out.kept = kitFileKeptOf(std::string(path), std::string(text));
    pattern = project->patterns[0];
    return true;
  }
  Diagnostics diagnostics;
  const bool read = loadKitDocument(document, pattern, error, &diagnostics);
  giveFindings(out, diagnostics);
  if (read && out.kept != nullptr) out.kept->reset();
  return read;
}

bool loadKitFileGuarded(std::string_view path, Pattern& pattern, std::string* error, Naming naming,
                        const KitLoadOut& out = {}) {
  try {
    return loadKitFileUnguarded(path, pattern, error, naming, out);
  } catch (const std::exception& e) {
    setError(error, naming == Naming::WithPath ? "cannot load " + std::string(path) + ": " + e.what()
                                               : std::string("cannot load the file: ") + e.what());
    return false;
  }
}

bool saveKitFileUnguarded(std::string_view path, const Pattern& pattern, std::string* error,
                          const KeptDocument& kept) {
  std::unique_ptr<Project> project = makeProject();
  if (!project) {
    setError(error, "out of memory");
    return false;
  }
  Pattern& kit = project->patterns[0];
  kit = pattern;
  // A kit carries no groove.
  for (Track& track : kit.tracks) initSteps(track.steps, kStepsPerTrack);
  assignPatternIds(kit);
  keepIdsOffKeptKeys(*project, recordsOf(kept.records).ids, kept.keysAsLoaded);
  const std::string text = dumpJson(writeKeptDocument(*project, {}, 1, kept));
  // Nothing is written that a load of the kit refuses.
  if (text.size() > kMaxKitFileBytes) {
    setError(error, "the kit would be larger than " + sizeText(kMaxKitFileBytes) + ", the most a load reads");
    return false;
  }
  if (std::string why; !checkJson(text, nullptr, why)) {
    setError(error, "the kit's document is not JSON a load takes: " + why);
    return false;
  }

  std::string reason;
  if (!writeFileAtomically(kitPathFromUtf8(path), text, &reason)) {
    if (reason == "cannot open output file")
      setError(error, "cannot open " + std::string(path) + " for writing");
    else
      setError(error, "write failed: " + std::string(path));
    return false;
  }
  return true;
}

std::vector<KitEntry> scanFolderUnguarded(const fs::path& folder, std::vector<KitScanProblem>* problems) {
  std::vector<KitEntry> entries;
  std::error_code ec;
  const fs::file_status status = fs::status(folder, ec);
  if (!fs::exists(status)) {
    if (ec && ec != std::errc::no_such_file_or_directory)
      report(problems, kitPathToUtf8(folder), "cannot read the folder: " + ec.message());
    return entries;
  }
  fs::directory_iterator it(folder, ec);
  if (ec) {
    report(problems, kitPathToUtf8(folder), "cannot read the folder: " + ec.message());
    return entries;
  }
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const fs::directory_entry& item = *it;
    const std::string fileName = kitPathToUtf8(item.path().filename());
    if (!isKitFileName(fileName)) continue;
    const std::string path = kitPathToUtf8(item.path());
    std::error_code fileEc;
    const fs::file_status fileStatus = item.status(fileEc);
    if (!fs::is_regular_file(fileStatus)) {
      // A folder is simply not a kit; a broken link, a pipe or a device
      // under a kit's name is one the user will look for.
      if (!fs::is_directory(fileStatus)) {
        report(problems, path,
               fileEc ? "cannot read the file: " + fileEc.message() : std::string("not a regular file"));
      }
      continue;
    }
    std::unique_ptr<Pattern> pattern = std::make_unique<Pattern>();
    std::string reason;
    if (!loadKitFileGuarded(path, *pattern, &reason, Naming::ReasonOnly)) {
      report(problems, path, reason);
      continue;
    }
    KitEntry entry;
    entry.reference = path;
    entry.name = fieldText(pattern->kit.name);
    if (entry.name.empty()) entry.name = nameFromFileName(fileName);
    KitLibrary::fillEntryFromKit(entry, *pattern);
    entry.builtIn = false;
    entries.push_back(std::move(entry));
  }
  if (ec) report(problems, kitPathToUtf8(folder), "cannot read the folder: " + ec.message());
  return entries;
}

}  // namespace

std::vector<int> tracksMissingSamples(const Pattern& part, const SamplePool& pool) {
  const auto holdsNoSample = [&](long slot) {
    return slot < 0 || slot >= pool.slotCount() || !pool.slots[slot] || !pool.slots[slot]->data;
  };
  std::vector<int> tracks;
  for (int t = 0; t < tracksInUse(part); ++t) {
    const int s = part.tracks[t].soundIndex;
    if (s < 0 || s >= kMaxTracks) continue;
    const Sound& sound = part.kit.sounds[s];
    if (sound.machine != kMachineSample && sound.machine != kMachineGranular) continue;
    bool missing = false;
    const int zones = std::min<int>(sound.zoneCount, kListCapacity);
    for (int z = 0; z < zones; ++z) missing = missing || holdsNoSample(sound.slot[z]);
    if (const int param = findParamIndex(sound.machine, "slot"); zones == 0 && param >= 0)
      missing = holdsNoSample(std::lround(sound.params[param]));
    if (missing) tracks.push_back(t);
  }
  return tracks;
}

fs::path kitPathFromUtf8(std::string_view text) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string kitPathToUtf8(const fs::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(reinterpret_cast<const char*>(u8.data()), u8.size());
}

std::vector<KitEntry> KitLibrary::listBuiltinKits() {
  std::vector<KitEntry> entries;
  try {
    const std::uint32_t count = static_cast<std::uint32_t>(factoryKitCount());
    std::unique_ptr<Pattern> pattern = std::make_unique<Pattern>();
    for (std::uint32_t i = 0; i < count; ++i) {
      *pattern = makeFactoryKit(i);
      KitEntry entry;
      entry.reference = std::string(kBuiltinKitPrefix) + std::to_string(i);
      entry.name = fieldText(pattern->kit.name);
      fillEntryFromKit(entry, *pattern);
      entry.builtIn = true;
      entries.push_back(std::move(entry));
    }
  } catch (const std::exception&) {
    // Out of memory: list what was built.
  }
  return entries;
}

std::vector<KitEntry> KitLibrary::scanFolder(const fs::path& folder, std::vector<KitScanProblem>* problems) {
  try {
    return scanFolderUnguarded(folder, problems);
  } catch (const std::exception& e) {
    report(problems, kitPathToUtf8(folder), std::string("cannot read the folder: ") + e.what());
    return {};
  }
}

std::vector<KitEntry> KitLibrary::listAll(const fs::path& folder, std::vector<KitScanProblem>* problems) {
  std::vector<KitEntry> entries = listBuiltinKits();
  std::vector<KitEntry> files = scanFolder(folder, problems);
  try {
    entries.insert(entries.end(), std::make_move_iterator(files.begin()),
                   std::make_move_iterator(files.end()));
  } catch (const std::exception&) {
    report(problems, kitPathToUtf8(folder), "out of memory");
  }
  return entries;
}

bool KitLibrary::loadKit(std::string_view reference, Pattern& pattern, std::string* error,
                         std::shared_ptr<const KitFileKept>* kept, Diagnostics* findings) {
  if (reference.substr(0, kBuiltinKitPrefix.size()) == kBuiltinKitPrefix) {
    std::uint32_t index = 0;
    if (!parseBuiltinIndex(reference, index)) {
      setError(error, "no such built-in kit: " + std::string(reference));
      return false;
    }
    pattern = makeFactoryKit(index);
    if (kept != nullptr) kept->reset();
    return true;
  }
  return loadKitFile(reference, pattern, error, kept, findings);
}

bool KitLibrary::loadKitFile(std::string_view path, Pattern& pattern, std::string* error,
                             std::shared_ptr<const KitFileKept>* kept, Diagnostics* findings) {
  return loadKitFileGuarded(path, pattern, error, Naming::WithPath, {kept, findings});
}

bool KitLibrary::saveKitFile(std::string_view path, const Pattern& pattern, std::string* error,
                             const KeptDocument* kept) {
  try {
    return saveKitFileUnguarded(path, pattern, error, kept != nullptr ? *kept : KeptDocument{});
  } catch (const std::exception&) {
    setError(error, "write failed: " + std::string(path));
    return false;
  }
}

bool KitLibrary::deleteKit(std::string_view path, std::string* error) {
  try {
    const fs::path target = kitPathFromUtf8(path);
    std::error_code ec;
    // A folder is never a kit; remove() would take an empty one.
    if (fs::is_directory(fs::symlink_status(target, ec))) {
      setError(error, "cannot delete " + std::string(path) + ": " +
                          std::make_error_code(std::errc::is_a_directory).message());
      return false;
    }
    ec.clear();
    if (fs::remove(target, ec)) return true;
    setError(error, "cannot delete " + std::string(path) + ": " + (ec ? ec.message() : ""));
    return false;
  } catch (const std::exception& e) {
    setError(error, "cannot delete " + std::string(path) + ": " + e.what());
    return false;
  }
}

void KitLibrary::fillEntryFromKit(KitEntry& entry, const Pattern& pattern) {
  const Kit& kit = pattern.kit;
  entry.author = fieldText(kit.author);
  entry.version = kit.version;
  entry.tags.clear();
  const int tags = std::min<int>(kit.tagCount, kTagCapacity);
  for (int i = 0; i < tags; ++i) entry.tags.push_back(fieldText(kit.tags[i]));
}

void setKitName(Kit& kit, std::string_view text) {
  if (text.size() <= kKitNameBytes) {
    storeCut(kit.name, text, kKitNameBytes);
    return;
  }
  // A name cut to fit says so wherever it is shown.
  std::string cut(utf8Prefix(text, kKitNameBytes - kEllipsis.size()));
  while (!cut.empty() && isBlank(cut.back())) cut.pop_back();
  storeCut(kit.name, cut.append(kEllipsis), kKitNameBytes);
}

void setKitTags(Kit& kit, std::string_view text) {
  kit.tagCount = 0;
  for (auto& tag : kit.tags) std::fill(std::begin(tag), std::end(tag), '\0');
  std::size_t at = 0;
  while (at < text.size() && kit.tagCount < kTagCapacity) {
    std::size_t end = text.find(',', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view piece = text.substr(at, end - at);
    while (!piece.empty() && isBlank(piece.front())) piece.remove_prefix(1);
    while (!piece.empty() && isBlank(piece.back())) piece.remove_suffix(1);
    if (!piece.empty()) storeCut(kit.tags[kit.tagCount++], piece, kKitTagBytes);
    at = end + 1;
  }
}

}  // namespace ob
