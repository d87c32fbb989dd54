#include "editor/kits/kit_browser.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <system_error>
#include <utility>

#include "content/tools/kits_folder.h"
#include "editor/gone_report.h"
#include "editor/kits/file_kept_over.h"
#include "editor/said_list.h"
#include "engine/clock/tempo.h"
#include "engine/model/pattern_copy.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"
#include "ui/dialogs/file_dialog.h"

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

// How far a save looks for a free "name n" beside a file of another kit.
constexpr int kNumberedNames = 99;

// "no sample for Kick", or "... for Kick, track 3 and Sample": each track
// by its sound's name, as the groove shows it, or by its number where the
// sound has none.
SaidLine silentTracksNote(const ob::Pattern& part, const std::vector<int>& tracks) {
  std::vector<std::string> names;
  for (const int track : tracks) {
    const char* name = part.kit.sounds[part.tracks[track].soundIndex].name;
    names.push_back(name[0] != '\0' ? std::string(name, strnlen(name, sizeof part.kit.sounds[0].name))
                                    : "track " + std::to_string(track + 1));
  }
  return sayNames("no sample for ", names);
}

// Why what a kit load let go went: the tracks the kit lacks took their
// hits, its sounds the parameters the steps named.
std::string whyGone(const std::vector<ob::GoneRef>& gone) {
  bool hits = false, params = false;
  for (const ob::GoneRef& g : gone) {
    if (g.held) continue;
    (g.kind == ob::GoneKind::Hit ? hits : params) = true;
  }
  if (hits && params) return "which the kit's tracks and sounds lack";
  return hits ? "which the kit's tracks lack" : "which its sounds lack";
}

// What the load of a kit file kept of it that this build does not read,
// for its saves: "kept 2 members: future and sounds/s-kick/timbre, which
// ...", each by where it sits in the file, as the host's log names it, less
// the "state" the kit's sounds, voices and macros lie in; empty when
// nothing.
SaidLine keptUnreadNote(const ob::KeptDocument& kept) {
  std::vector<std::string> places;
  const auto place = [&places](const std::vector<std::string>& path) {
    std::string at;
    for (std::size_t i = path.size() > 1 && path[0] == "state" ? 1 : 0; i < path.size(); ++i)
      at += (at.empty() ? "" : "/") + path[i];
    places.push_back(std::move(at));
  };
  for (const ob::KeptRecord& record : ob::recordsOf(kept.records).records) {
    std::vector<std::string> path = record.path;
    for (std::string& key : ob::memberKeysOf(record)) {
      path.back() = std::move(key);
      place(path);
    }
  }
  return sayLine("kept ", places, ", which this build does not read", "members");
}

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
  part->bpm = ob::kDefaultTempo;
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
  // Kept whole, as a project's name is: a kit named "Dub v1.2" is
  // "Dub v1.2.kit.orbi"; only the kit files' own endings give way.
  static const std::string family[] = {"orbi", std::string(ob::kOldKitFileExtension.substr(1))};
  return ui::completedFileName(name, ob::kKitFileExtension.substr(1), family);
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

void KitBrowser::markClean(const std::string& reference) {
  session.kitReference = reference;
  session.kitFile = reference.empty() || reference.starts_with(ob::kBuiltinKitPrefix)
                        ? std::filesystem::path()
                        : ob::kitPathFromUtf8(reference);
  session.baseline = kitText(part());
  comparedRevision = lastRevision;
  modified = false;
}

void KitBrowser::resume() {
  if (session.baseline.empty()) return markClean();
  comparedRevision = lastRevision;
  modified = kitText(part()) != session.baseline;
}

bool KitBrowser::isModified(std::uint64_t revision) {
  lastRevision = revision;
  if (revision != comparedRevision) {
    comparedRevision = revision;
    modified = kitText(part()) != session.baseline;
  }
  return modified;
}

bool KitBrowser::loadKit(const ob::KitEntry& entry) {
  const std::unique_ptr<ob::Pattern> loaded = newEmptyPart();
  std::shared_ptr<const ob::KitFileKept> kept;
  ob::Diagnostics findings;
  std::string error;
  if (!ob::KitLibrary::loadKit(entry.reference, *loaded, &error, &kept, &findings)) {
    report("Could not load ", entry.name, error, StatusKind::Failed);
    pendingStatus->findings = std::move(findings);
    return false;
  }
  // What its file holds unread is kept with the instance's state for the
  // kit's saves: an open after which the state could not be saved is none.
  if (const std::string why = kept ? ctx_.saveRefusalWithKit(*loaded, kept) : std::string(); !why.empty()) {
    report("Could not load ", entry.name,
           "the state would not save with what its file holds that this build does not read (" + why + ")",
           StatusKind::Failed);
    return false;
  }
  // The snapshot keeps the kit it replaces with what that kit's file kept.
  ctx_.pushUndo();
  std::vector<ob::GoneRef> gone;
  ob::copyPatternIntoProject(ctx_.project(), *loaded, &gone);
  ctx_.kitFileKept() = std::move(kept);
  ctx_.kitComesIn();
  ctx_.commitProject(true);
  ctx_.refresh();
  markClean(entry.reference);
  reportLoaded(entry.name, std::move(findings));
  reportGone(gone);
  return true;
}

void KitBrowser::reportLoaded(const std::string& name, ob::Diagnostics findings) {
  // A kit saved with samples of another project names slots this one has
  // not filled: the user is told which tracks stay silent. What its file
  // holds that this build does not read is kept for its saves, and said.
  const std::vector<int> silent = ob::tracksMissingSamples(part(), ctx_.pool());
  const std::shared_ptr<const ob::KitFileKept>& kept = ctx_.kitFileKept();
  const SaidLine keptNote = kept ? keptUnreadNote(*kept->kept) : SaidLine{};
  SaidLine note = silentTracksNote(part(), silent);
  if (!note.text.empty() && !keptNote.text.empty()) note += "; ";
  note += keptNote;
  const StatusKind kind = !silent.empty()          ? StatusKind::Failed
                          : !keptNote.text.empty() ? StatusKind::Changed
                                                   : StatusKind::Done;
  report("Loaded ", name, {}, kind);
  if (!note.text.empty()) {
    *pendingStatus += ": ";
    *pendingStatus += note;
  }
  pendingStatus->findings = std::move(findings);
}

void KitBrowser::reportGone(const std::vector<ob::GoneRef>& gone) {
  const SaidLine said = goneReport("your steps", whyGone(gone), goneNames(gone, part().kit));
  if (!pendingStatus || said.text.empty()) return;
  *pendingStatus += "; ";
  *pendingStatus += said;
  if (pendingStatus->kind == StatusKind::Done) pendingStatus->kind = StatusKind::Changed;
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
  std::vector<ob::GoneRef> gone;
  ob::copyPatternIntoProject(ctx_.project(), *blank, &gone);
  ctx_.kitFileKept().reset();
  ctx_.kitComesIn();
  ctx_.commitProject(true);
  ctx_.refresh();
  markClean();
  report("New kit", StatusKind::Done);
  reportGone(gone);
}

void KitBrowser::prefillSaveForm() {
  const ob::Kit& kit = part().kit;
  saveName = kitName();
  saveTags.clear();
  replacing.clear();
  beside.clear();
  saveNotice.clear();
  const int count = std::min<int>(kit.tagCount, ob::kTagCapacity);
  for (int i = 0; i < count; ++i) {
    if (i > 0) saveTags += ", ";
    saveTags.append(kit.tags[i], strnlen(kit.tags[i], sizeof kit.tags[i]));
  }
  savePending = true;
}

int KitBrowser::currentEntry() {
  const int n = static_cast<int>(entries.size());
  // By entry: kits of one name (a user kit saved under a built-in kit's
  // name) are told apart by where they came from.
  if (!session.kitReference.empty()) {
    for (int i = 0; i < n; ++i)
      if (entries[i].reference == session.kitReference) return i;
  }
  const std::string name = kitName();
  for (int i = 0; i < n; ++i)
    if (entries[i].name == name) return i;
  return -1;
}

void KitBrowser::syncSelection() {
  filter.clear();
  selectedRow = -1;
  rescan();
  // Nothing is filtered yet: the entry's index is its row.
  selectedRow = currentEntry();
  browserPending = true;
  revealSelection = true;
}

void KitBrowser::stepKit(int step) {
  rescan();
  const int n = static_cast<int>(entries.size());
  if (n == 0) return;
  const int at = currentEntry();
  const int target = at >= 0 ? ((at + step) % n + n) % n : (step < 1 ? n - 1 : 0);
  // A copy: the load reports with the entry's name, and nothing may move
  // the list under it.
  const ob::KitEntry entry = entries[target];
  loadKit(entry);
}

std::filesystem::path KitBrowser::libraryFolder() {
  std::error_code ec;
  if (!session.folder.empty() && std::filesystem::is_directory(session.folder, ec)) return session.folder;
  return ob::ensureKitsFolder();
}

void KitBrowser::rescan() {
  resolvedFolder = libraryFolder();
  std::vector<ob::KitScanProblem> problems;
  entries = ob::KitLibrary::listAll(resolvedFolder, &problems);
  // A folder that cannot be read says so; otherwise a kit file left out
  // says which and why, as a project that does not open does.
  const std::string where = ob::kitPathToUtf8(resolvedFolder);
  leftOut.clear();
  std::optional<std::string> folderProblem;
  for (ob::KitScanProblem& problem : problems) {
    if (problem.path == where)
      folderProblem = "Could not list the kits: " + problem.message;
    else
      leftOut.push_back(std::move(problem));
  }
  if (folderProblem)
    report(std::move(*folderProblem), StatusKind::Failed);
  else if (!leftOut.empty())
    pendingStatus = Status{leftOutStatus(), StatusKind::Failed, {}};
  selectedRow = -1;
  applyFilter();
}

FileStatus KitBrowser::leftOutStatus() const {
  if (leftOut.empty()) return {};
  const ob::KitScanProblem& first = leftOut.front();
  if (leftOut.size() == 1)
    return fileStatus("Could not read ", ob::kitPathFromUtf8(first.path), first.message);
  std::vector<std::string> files;
  for (const ob::KitScanProblem& problem : leftOut)
    files.push_back(fileNameOf(ob::kitPathFromUtf8(problem.path)) + " (" + problem.message + ")");
  FileStatus status;
  static_cast<SaidLine&>(status) = sayLine("Could not read ", files, {}, "kit files");
  return status;
}

void KitBrowser::report(std::string_view verb, std::string_view name, std::string_view reason,
                        StatusKind kind) {
  Status status{{{std::string(verb), {}}, {}}, kind, {}};
  status.name = {status.text.size(), name.size()};
  status.text.append(name);
  if (!reason.empty()) status.text.append(": ").append(reason);
  pendingStatus = std::move(status);
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
  return session.kitFile.empty() || !std::filesystem::equivalent(target, session.kitFile, ec);
}

std::optional<std::string> KitBrowser::heldKitName(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  const std::unique_ptr<ob::Pattern> held = std::make_unique<ob::Pattern>();
  if (!ob::KitLibrary::loadKitFile(ob::kitPathToUtf8(file), *held, nullptr)) return std::nullopt;
  const ob::Kit& kit = held->kit;
  return std::string(kit.name, strnlen(kit.name, sizeof kit.name));
}

bool KitBrowser::holdsAKitNamedOtherwise(const std::filesystem::path& file, const std::string& name) {
  // A file that is no kit may be what the user means to write over: asked.
  const std::optional<std::string> held = heldKitName(file);
  return held && foldAscii(*held) != foldAscii(name);
}

std::filesystem::path KitBrowser::targetFor(const std::string& base) {
  const std::filesystem::path first = saveTarget(kitFileName(base));
  if (first.empty()) return first;
  // The save refused a name the kit could not hold whole: it holds saveName.
  for (int n = 1; n <= kNumberedNames; ++n) {
    const std::filesystem::path candidate =
        n == 1 ? first : resolvedFolder / ob::kitPathFromUtf8(kitFileName(base + " " + std::to_string(n)));
    if (!holdsAKitNamedOtherwise(candidate, saveName)) return candidate;
  }
  return first;
}

bool KitBrowser::writeOrAsk(const std::filesystem::path& target) {
  if (!target.empty() && replacesAnotherKit(target)) {
    replacing = target;
    return false;
  }
  writeKit(target);
  return true;
}

bool KitBrowser::saveKit() {
  replacing.clear();
  beside.clear();
  saveNotice.clear();
  // The kit would hold the name cut, and a cut name could match another
  // kit's whose name the user sees as different: refused, as the form's
  // field refuses what does not fit.
  if (saveName.size() > ob::kKitNameBytes) {
    noteOnForm("Too long for a kit name: " + std::to_string(saveName.size()) + " of " +
                   std::to_string(ob::kKitNameBytes) + " bytes",
               StatusKind::Failed);
    return false;
  }
  const std::string base = saveName.empty() ? std::string("kit") : saveName;
  const std::filesystem::path target = targetFor(base);
  if (target.empty()) return writeOrAsk(target);
  if (std::string tooLong = ui::tooLongForAFileName(target); !tooLong.empty()) {
    noteOnForm(std::move(tooLong), StatusKind::Failed);
    return false;  // the form stays open to put it right
  }
  // The kit's own file under another name (a kit named "A/B" saved as
  // "A_B"): renamed only when the user says so.
  const std::filesystem::path named = saveTarget(kitFileName(base));
  std::error_code ec;
  if (target != named && !session.kitFile.empty() &&
      std::filesystem::equivalent(named, session.kitFile, ec)) {
    replacing = named;
    beside = target;
    replacedKit = heldKitName(named).value_or(std::string());
    return false;
  }
  return writeOrAsk(target);
}

bool KitBrowser::namesABuiltInKit(std::string_view name) {
  if (builtInNames_.empty()) {
    for (const ob::KitEntry& entry : ob::KitLibrary::listBuiltinKits()) builtInNames_.push_back(entry.name);
  }
  const std::string folded = foldAscii(name);
  return std::any_of(builtInNames_.begin(), builtInNames_.end(),
                     [&](const std::string& builtIn) { return foldAscii(builtIn) == folded; });
}

void KitBrowser::confirmReplace() {
  if (replacing.empty()) return;
  beside.clear();
  writeKit(std::exchange(replacing, {}));
}

bool KitBrowser::keepBoth() {
  if (beside.empty()) return false;
  replacing.clear();
  return writeOrAsk(std::exchange(beside, {}));
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
    report("Could not save ", fileName, "no kits folder (choose one)", StatusKind::Failed);
    return;
  }
  std::string error;
  // What the kit's file held unread goes back: as the instance keeps it,
  // else as the file replaced holds it.
  const std::shared_ptr<const ob::KitFileKept>& held = ctx_.kitFileKept();
  const FileKeptOver over = held ? FileKeptOver{held->kept, {}} : fileKeptOver(target, part());
  if (ob::KitLibrary::saveKitFile(ob::kitPathToUtf8(target), part(), &error, over.kept.get())) {
    markClean(ob::kitPathToUtf8(target));
    std::string text = "Saved " + base;
    StatusKind kind = over.gone.empty() ? StatusKind::Done : StatusKind::Changed;
    if (const std::string written = ob::kitPathToUtf8(target.filename()); written != fileName) {
      text += " as " + written;
      kind = StatusKind::Changed;
    } else if (namesABuiltInKit(saveName)) {
      text += ", beside the built-in kit of that name";
    }
    report(std::move(text), kind);
    if (!over.gone.empty()) {
      *pendingStatus += "; ";
      *pendingStatus +=
          sayLine("let go ", over.gone, ", which its file held for what this kit has changed since", "kept");
    }
  } else {
    report("Could not save ", fileName, error, StatusKind::Failed);
  }
}

void KitBrowser::deleteSelected() {
  if (selectedRow < 0 || selectedRow >= static_cast<std::int32_t>(filtered.size())) return;
  const ob::KitEntry entry = entries[filtered[selectedRow]];
  if (entry.builtIn) return;
  std::string error;
  const bool deleted = ob::KitLibrary::deleteKit(entry.reference, &error);
  rescan();
  // What the click did is the news, over what the listing found.
  if (deleted)
    report("Deleted " + entry.name, StatusKind::Done);
  else
    report("Could not delete ", entry.name, error, StatusKind::Failed);
}

}  // namespace orbi
