#include "editor/kits/kit_browser.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <system_error>
#include <utility>

#include "content/tools/kits_folder.h"
#include "engine/model/pattern_copy.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"

namespace orbi {
namespace {

std::string foldAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool matches(const ob::KitEntry& entry, const std::string& needle) {
  if (needle.empty()) return true;
  const auto has = [&](std::string_view text) { return foldAscii(text).find(needle) != std::string::npos; };
  if (has(entry.name) || has(entry.author)) return true;
  for (const std::string& tag : entry.tags)
    if (has(tag)) return true;
  return false;
}

bool forbiddenInFileName(unsigned char c) { return c < 32 || std::strchr("\\/:*?\"<>|", c) != nullptr; }

}  // namespace

std::unique_ptr<ob::Pattern> newEmptyPart() {
  // Value-initialised: every byte zero before the defaults are written.
  auto part = std::make_unique<ob::Pattern>();
  ob::initPatterns(part.get(), 1);
  part->name[0] = '\0';
  part->numTracks = 0;
  part->grooveEdited = 0;
  part->muteMask = 0;
  part->length = 16;
  part->swing = 50.0f;
  part->bpm = 120.0f;
  part->accentAmount = 0.0f;
  part->accentEvery = 4;
  part->accentCurve = 0.5f;
  part->seed = 0;
  return part;
}

std::string kitFileName(std::string_view kitName) {
  std::string name = kitName.empty() ? std::string("kit") : std::string(kitName);
  for (char& c : name)
    if (forbiddenInFileName(static_cast<unsigned char>(c))) c = '_';
  return name.append(ob::kKitFileExtension);
}

ob::Pattern& KitBrowser::part() {
  ob::Project& project = ctx_.project();
  const int p = ctx_.selectedPart();
  const int count = std::min<int>(project.patternCount, static_cast<int>(std::size(project.patterns)));
  return project.patterns[p >= 0 && p < count ? p : 0];
}

std::string KitBrowser::kitName() {
  const ob::Kit& kit = part().kit;
  return std::string(kit.name, strnlen(kit.name, sizeof kit.name));
}

void KitBrowser::markClean(const std::filesystem::path& file) {
  kitFile = file;
  baseline = kitText(part());
  comparedRevision = lastRevision;
  modified = false;
}

bool KitBrowser::isModified(std::uint64_t revision) {
  lastRevision = revision;
  if (revision != comparedRevision) {
    comparedRevision = revision;
    modified = kitText(part()) != baseline;
  }
  return modified;
}

bool KitBrowser::loadKit(const ob::KitEntry& entry) {
  const std::unique_ptr<ob::Pattern> loaded = newEmptyPart();
  std::string error;
  if (!ob::KitLibrary::loadKit(entry.reference, *loaded, &error)) {
    report("Could not load " + entry.name + ": " + error, true);
    return false;
  }
  ctx_.pushUndo();
  ob::copyPatternIntoProject(ctx_.project(), *loaded);
  ctx_.commitProject(true);
  ctx_.refresh();
  markClean(entry.builtIn ? std::filesystem::path() : ob::kitPathFromUtf8(entry.reference));
  report("Loaded " + entry.name, false);
  return true;
}

void KitBrowser::newKit() {
  const std::unique_ptr<ob::Pattern> blank = newEmptyPart();
  const int count = part().numTracks > 0 ? part().numTracks : 1;
  blank->numTracks = static_cast<std::uint8_t>(count);
  for (int t = 0; t < count; ++t) {
    ob::initSoundParams(blank->kit.sounds[t], ob::kMachineDrum);
    blank->tracks[t].soundIndex = static_cast<std::int8_t>(t);
  }
  ctx_.pushUndo();
  ob::copyPatternIntoProject(ctx_.project(), *blank);
  ctx_.commitProject(true);
  ctx_.refresh();
  markClean();
  report("New kit", false);
}

void KitBrowser::prefillSaveForm() {
  const ob::Kit& kit = part().kit;
  saveName = kitName();
  saveTags.clear();
  replacing.clear();
  const int count = std::min<int>(kit.tagCount, ob::kTagCapacity);
  for (int i = 0; i < count; ++i) {
    if (i > 0) saveTags += ", ";
    saveTags.append(kit.tags[i], strnlen(kit.tags[i], sizeof kit.tags[i]));
  }
  savePending = true;
}

void KitBrowser::syncSelection() {
  filter.clear();
  selectedRow = -1;
  rescan();
  const std::string name = kitName();
  for (std::size_t row = 0; row < filtered.size(); ++row) {
    if (entries[filtered[row]].name == name) {
      selectedRow = static_cast<std::int32_t>(row);
      break;
    }
  }
  browserPending = true;
}

void KitBrowser::stepKit(int step) {
  rescan();
  const int n = static_cast<int>(entries.size());
  if (n == 0) return;
  const std::string name = kitName();
  int target = step < 1 ? n - 1 : 0;
  for (int i = 0; i < n; ++i) {
    if (entries[i].name == name) {
      target = ((i + step) % n + n) % n;
      break;
    }
  }
  // A copy: the load reports with the entry's name, and nothing may move
  // the list under it.
  const ob::KitEntry entry = entries[target];
  loadKit(entry);
}

std::filesystem::path KitBrowser::libraryFolder() {
  std::error_code ec;
  if (!folder.empty() && std::filesystem::is_directory(folder, ec)) return folder;
  return ob::ensureKitsFolder();
}

void KitBrowser::rescan() {
  resolvedFolder = libraryFolder();
  std::vector<ob::KitScanProblem> problems;
  entries = ob::KitLibrary::listAll(resolvedFolder, &problems);
  // A kit file that does not load is left out quietly; a folder that
  // cannot be read is worth a message.
  const std::string where = ob::kitPathToUtf8(resolvedFolder);
  for (const ob::KitScanProblem& problem : problems)
    if (problem.path == where) report("Could not list the kits: " + problem.message, true);
  selectedRow = -1;
  applyFilter();
}

void KitBrowser::applyFilter() {
  const std::string needle = foldAscii(filter);
  const bool hadSelection = selectedRow >= 0 && selectedRow < static_cast<std::int32_t>(filtered.size());
  const std::int32_t remembered = hadSelection ? filtered[selectedRow] : -1;
  selectedRow = -1;
  filtered.clear();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!matches(entries[i], needle)) continue;
    if (static_cast<std::int32_t>(i) == remembered) selectedRow = static_cast<std::int32_t>(filtered.size());
    filtered.push_back(static_cast<std::int32_t>(i));
  }
}

std::filesystem::path KitBrowser::saveTarget(const std::string& fileName) {
  resolvedFolder = libraryFolder();
  // Without a home there is no default folder; a bare file name would land
  // in the host's current directory.
  if (resolvedFolder.empty()) return {};
  return resolvedFolder / ob::kitPathFromUtf8(fileName);
}

bool KitBrowser::replacesAnotherKit(const std::filesystem::path& target) const {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(target, ec);
  // Nothing to replace; a folder in the way fails the save on its own.
  if (!std::filesystem::exists(status) || std::filesystem::is_directory(status)) return false;
  return kitFile.empty() || !std::filesystem::equivalent(target, kitFile, ec);
}

bool KitBrowser::saveKit() {
  const std::filesystem::path target = saveTarget(kitFileName(saveName.empty() ? "kit" : saveName));
  if (!target.empty() && replacesAnotherKit(target)) {
    replacing = target;
    return false;
  }
  writeKit(target);
  return true;
}

void KitBrowser::confirmReplace() {
  if (replacing.empty()) return;
  writeKit(std::exchange(replacing, {}));
}

void KitBrowser::writeKit(const std::filesystem::path& target) {
  ctx_.pushUndo();
  ob::setKitName(part().kit, saveName);
  ob::setKitTags(part().kit, saveTags);
  ctx_.commitProject(true);
  ctx_.refresh();
  const std::string base = saveName.empty() ? std::string("kit") : saveName;
  const std::string fileName = kitFileName(base);
  if (target.empty()) {
    report("Could not save " + fileName + ": no kits folder (choose one)", true);
    return;
  }
  std::string error;
  if (ob::KitLibrary::saveKitFile(ob::kitPathToUtf8(target), part(), &error)) {
    markClean(target);
    report("Saved " + base, false);
  } else {
    report("Could not save " + fileName + ": " + error, true);
  }
}

void KitBrowser::deleteSelected() {
  if (selectedRow < 0 || selectedRow >= static_cast<std::int32_t>(filtered.size())) return;
  const ob::KitEntry entry = entries[filtered[selectedRow]];
  if (entry.builtIn) return;
  std::string error;
  if (ob::KitLibrary::deleteKit(entry.reference, &error))
    report("Deleted " + entry.name, false);
  else
    report("Could not delete " + entry.name + ": " + error, true);
  rescan();
}

}  // namespace orbi
