// The rules the session target checks after every action and every save.
#include "fuzz/session/session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

#include "document/archive/sha256.h"
#include "document/archive/zip_format.h"
#include "document/archive/zip_index.h"
#include "document/instance/kept_keys.h"
#include "document/json/json_elements.h"
#include "document/json/json_opened.h"
#include "document/json/json_parse.h"
#include "document/project/project_load.h"
#include "document/reading/regular_file.h"
#include "editor/editor_view.h"
#include "engine/model/project_ids.h"
#include "engine/session/engine_host.h"
#include "fuzz/audition_notes.h"
#include "fuzz/round_trip.h"
#include "plugin/ext_state.h"
#include "plugin/plugin.h"

namespace obsession {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A load's findings as the host's log gave them: "code path: message",
// bar those about a path `passedOver` names.
template <typename PassedOver>
ob::Diagnostics findingsOf(const std::vector<std::string>& said, PassedOver passedOver) {
  ob::Diagnostics findings;
  for (const std::string& line : said) {
    const std::size_t space = line.find(' ');
    const std::size_t colon = line.find(": ", space == std::string::npos ? 0 : space);
    if (space == std::string::npos || colon == std::string::npos) continue;
    const std::string path = line.substr(space + 1, colon - space - 1);
    if (!passedOver(obfuzz::pointerTokens(path)))
      findings.warn(line.substr(0, space), path, line.substr(colon + 2));
  }
  return findings;
}

// The ids of the voices a document's state holds.
std::set<std::string> voicesIn(obfuzz::PointerWalk& document) {
  std::set<std::string> ids;
  if (const ob::JsonValue* voices = document.at({"state", "voices"}, 2))
    for (const ob::JsonMember& voice : voices->members) ids.insert(voice.key);
  return ids;
}

// Whether what a load read at the path went with a voice the project had
// (`then`) and has no more (`now`): what its audition kept of that voice,
// which goes with it once a user's action took it. What it kept of a voice
// the project lacked stays.
bool wentWithAVoice(const std::vector<std::string>& path, obfuzz::PointerWalk& read,
                    const std::vector<std::string>& then, const std::set<std::string>& now) {
  if (path.empty() || path[0] != "audition") return false;
  const auto taken = [&](const std::string& voice) {
    return !now.contains(voice) && std::find(then.begin(), then.end(), voice) != then.end();
  };
  const ob::JsonValue* value = read.at(path, path.size());
  return (value != nullptr && value->isObject() && taken(value->getString("voice", ""))) ||
         std::any_of(path.begin(), path.end(), taken);
}

// The references of a saved document that name a file imported since the
// load: those of the slots the import mended, written anew.
std::vector<std::vector<std::string>> mendedReferences(obfuzz::PointerWalk& saved,
                                                       const std::set<std::string>& imported) {
  std::vector<std::vector<std::string>> paths;
  const ob::JsonValue* refs = saved.at({"assets"}, 1);
  if (refs == nullptr || !refs->isObject()) return paths;
  for (const ob::JsonMember& ref : refs->members)
    if (ref.value.isString() && ref.value.text.starts_with("asset:") &&
        imported.contains(ref.value.text.substr(6)))
      paths.push_back({"assets", ref.key});
  return paths;
}

bool said(const std::vector<std::string>& lines, const std::string& start) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(start); });
}

// Bytes of a source from an offset on: a state's document after its header.
class FromOffset final : public ob::ByteSource {
 public:
  FromOffset(const ob::ByteSource& whole, std::uint64_t offset) : whole_(whole), offset_(offset) {}
  std::uint64_t size() const override { return whole_.size() - offset_; }
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override {
    return whole_.read(offset + offset_, out, count);
  }

 private:
  const ob::ByteSource& whole_;
  std::uint64_t offset_;
};

bool sameEntry(const ob::zip::ArchiveIndex& a, const ob::zip::LocatedEntry& x, const ob::zip::ArchiveIndex& b,
               const ob::zip::LocatedEntry& y) {
  return x.record.method == y.record.method && x.record.crc == y.record.crc &&
         x.record.size == y.record.size && a.stored(x) == b.stored(y);
}

}  // namespace

constexpr double kMiB = 1024.0 * 1024.0;

// OB_SESSION_VERBOSE set: each action's measures on standard error.
bool verbose() {
  static const bool on = std::getenv("OB_SESSION_VERBOSE") != nullptr;
  return on;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n    " + line;
  return text;
}

std::string mib(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / kMiB);
  return text;
}

// ---- The checks.

void Session::checkHoldings(const Need& before, std::uint64_t ringingBefore, bool replacing) {
  const ob::SamplePool& pool = hosted_->engineHost().pool;
  const Need after = needOf(pool, hosted_->plugin().keptDocument);
  const std::uint64_t disk = unnamedFileBytes() - std::min(unnamedFileBytes(), diskBase_);
  // Not the instance's: what this target keeps of the last load to compare
  // saves with.
  const std::uint64_t ours = heapBase_ + (lastLoad_ ? lastLoad_->keptCost : 0) + historiesCost();
  const std::uint64_t mapped = mappedBytes();
  const std::uint64_t memory = heapBytes() - std::min(heapBytes(), ours) + mapped;
  const auto limit = [&](std::uint64_t need, std::uint64_t ringing) {
    return static_cast<std::uint64_t>(kHeldShare * static_cast<double>(need + ringing)) + constant_ +
           activation_;
  };
  const std::uint64_t peak = heldPeakSinceMark() - std::min(heldPeakSinceMark(), ours) + disk;
  if (verbose())
    outside_.asAnotherProgram([&] {
      std::fprintf(stderr, "%-60.60s held %s (%s mapped) + %s disk, peak %s, content %s, ringing %s\n",
                   trace_.back().c_str(), mib(memory).c_str(), mib(mapped).c_str(), mib(disk).c_str(),
                   mib(peak).c_str(), mib(after.total()).c_str(), mib(retired_).c_str());
    });
  if (memory + disk > limit(after.total(), retired_))
    broken("the instance holds more than its content needs",
           mib(memory) + " of memory and " + mib(disk) + " of private files, for content of " +
               mib(after.total()) + " (audio " + mib(after.audio) + ", files " + mib(after.files) +
               ", kept " + mib(after.kept) + ") and " + mib(retired_) +
               " a voice may still read: more than " + mib(limit(after.total(), retired_)));
  const std::uint64_t during =
      replacing ? before.total() + after.total() : std::max(before.total(), after.total());
  const std::uint64_t ringing = std::max(ringingBefore, retired_);
  if (peak > limit(during, ringing))
    broken("an action's peak passed what its content needs",
           mib(peak) + " at the peak for content of " + mib(before.total()) + " before and " +
               mib(after.total()) + " after: more than " + mib(limit(during, ringing)));
}

void Session::checkStatusLine() {
  if (hosted_->view() == nullptr) return;
  // What the editor shows is what plays: a frame later, a status line that
  // says samples cannot play names some that cannot.
  hosted_->frame();
  const std::string& status = hosted_->view()->statusText();
  if (verbose() && !status.empty())
    outside_.asAnotherProgram([&] { std::fprintf(stderr, "  status: %s\n", status.c_str()); });
  if (status.find(" cannot play") == std::string::npos) return;
  const ob::SamplePool& pool = hosted_->engineHost().pool;
  const int slots = std::min<int>(hosted_->engineHost().project.samples.count, pool.slotCount());
  for (int i = 0; i < slots; ++i)
    if (pool.slots[i] && pool.slots[i]->data && pool.slots[i]->data->kept()) return;
  broken("the status line says samples cannot play where all of them play", status);
}

void Session::checkSave(const SaveToCheck& save) {
  orbi::EngineHost& a = hosted_->engineHost();
  ob::KeptDocument& aKept = hosted_->plugin().keptDocument;
  const Bytes bytes = readFile(save.file);
  const std::size_t offset = save.state ? ob::clap::stateDocumentOffset(bytes.data(), bytes.size()) : 0;
  if (save.state && offset == 0) broken("a state save wrote no header", save.file.filename().string());
  const Bytes document(bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.end());
  // The document the user's last load read, past a state's header.
  ob::RegularFile loadedFile;
  std::optional<FromOffset> loaded;
  if (lastLoad_) {
    if (loadedFile.open(lastLoad_->built.path, UINT64_MAX) != ob::FileReadStatus::Read)
      broken("the target cannot read the file it loaded", lastLoad_->built.path.string());
    std::uint8_t head[ob::clap::kStateHeaderSize] = {};
    loadedFile.read(0, head, std::min<std::uint64_t>(sizeof head, loadedFile.size()));
    loaded.emplace(loadedFile, ob::clap::stateDocumentOffset(head, sizeof head));
  }
  const std::string text = checkSavedFiles(document, save, loaded ? &*loaded : nullptr);
  if (loaded) checkKeepsWhatTheLoadRead(*loaded, document);

  // Loaded into a fresh instance, it is the project that played, it sounds
  // the same, and it saves the same bytes again.
  Hosted fresh(outside_);
  if (!fresh.loadState(save.file, 4096)) broken("what a save wrote does not load", joined(fresh.takeLog()));
  orbi::EngineHost& b = fresh.engineHost();
  // The project that played, with the ids a save gives what has none yet
  // (an imported sample, an added track) and what was made after the load
  // under an id a record the load kept holds.
  auto named = std::make_unique<ob::Project>(a.project);
  ob::assignPatternIds(named->patterns[0]);
  ob::assignSampleIds(named->samples);
  ob::keepIdsOffKeptKeys(*named, ob::recordsOf(aKept.records).ids, aKept.keysAsLoaded);
  // A project without a seed of its own is saved with one of its content.
  if (named->seed == 0) named->seed = b.project.seed;
  checkAudition(text, *named, aKept.keysAsLoaded);
  const obfuzz::Loaded played{*named, obfuzz::samplesOf(a.pool), aKept};
  const obfuzz::Loaded fromSave{b.project, obfuzz::samplesOf(b.pool), fresh.plugin().keptDocument};
  if (!obfuzz::sameLoad(played, fromSave))
    broken("what a save wrote loads as another project",
           save.file.filename().string() +
               (!obfuzz::sameProject(played.project, fromSave.project) ? ": the project"
                : !obfuzz::sameSamples(played, fromSave)               ? ": the samples"
                : !obfuzz::sameEntriesKept(played, fromSave)           ? ": the entries kept"
                                                                       : ": the members kept"));
  if (renderOf(a.project, a.pool) != renderOf(b.project, b.pool))
    broken("what a save wrote sounds otherwise", save.file.filename().string());
  const fs::path again = outside_.files() / "saved-again.obs";
  if (!fresh.saveState(again, 0)) broken("what a save wrote cannot be saved again", joined(fresh.takeLog()));
  const Bytes resaved = readFile(again);
  const std::size_t resavedOffset = ob::clap::stateDocumentOffset(resaved.data(), resaved.size());
  if (!std::equal(resaved.begin() + static_cast<std::ptrdiff_t>(resavedOffset), resaved.end(),
                  document.begin(), document.end()))
    broken("saving what a save wrote gives other bytes", save.file.filename().string());
  fs::remove(again);
}

std::vector<ob::KeptRecord> Session::checkLetGoSaid() {
  for (std::string& line : hosted_->takeSaid()) saidSinceLoad_.push_back(std::move(line));
  const HeldRecords held(ob::recordsOf(hosted_->plugin().keptDocument.records).records);
  std::vector<ob::KeptRecord> letGo;
  for (const ob::KeptRecord& r : ob::recordsOf(lastLoad_->kept.records).records) {
    if (held.has(r)) continue;
    // Said with what the edit said: "let go ..., which a load kept unapplied".
    const auto named = [&](const std::string& key) {
      return std::any_of(saidSinceLoad_.begin(), saidSinceLoad_.end(), [&](const std::string& line) {
        return line.find("which a load kept unapplied") != std::string::npos &&
               line.find(key) != std::string::npos;
      });
    };
    // A member whose value is an object (a step's "locks") is said by the
    // members it holds ("lock of exc1_tone").
    const auto namedWhole = [&](const std::string& key) {
      if (named(key)) return true;
      const std::vector<std::string> inner =
          key == r.path.back() ? ob::keysOf(r.value) : std::vector<std::string>{};
      return !inner.empty() && std::all_of(inner.begin(), inner.end(), named);
    };
    const bool member = r.place == ob::KeptPlace::Member || r.place == ob::KeptPlace::Record;
    for (const std::string& key : member ? ob::memberKeysOf(r) : std::vector<std::string>{""})
      if (!namedWhole(key)) broken("an edit let go what the load kept and never said so", key);
    letGo.push_back(r);
  }
  return letGo;
}

void Session::checkKeepsWhatTheLoadRead(const ob::ByteSource& loaded, const Bytes& document) {
  const ob::JsonValue saved = obfuzz::documentOf(ob::MemoryBytes(document.data(), document.size()));
  const ob::JsonValue read = obfuzz::documentOf(loaded);
  obfuzz::PointerWalk is(saved);
  obfuzz::PointerWalk was(read);
  std::vector<std::vector<std::string>> passedOver = checkValuesReadOtherwise(is);
  for (std::vector<std::string>& path : mendedReferences(is, importedSince_))
    passedOver.push_back(std::move(path));
  const std::set<std::string> voicesNow = voicesIn(is);
  // What an edit let go, said, the save holds no more: a member at or
  // within its place, an element among those it held.
  const std::vector<ob::KeptRecord> letGo = checkLetGoSaid();
  checkHoldsNoneOf(letGo, is);
  checkHoldsNoneOf(saidGone_, is);
  const auto wentWithAnEdit = [&](const std::vector<std::string>& path) {
    return std::any_of(letGo.begin(), letGo.end(), [&](const ob::KeptRecord& r) {
      if (r.place == ob::KeptPlace::Element) {
        const ob::JsonValue* value = was.at(path, path.size());
        if (path.size() != r.path.size() + 1 || !std::equal(r.path.begin(), r.path.end(), path.begin()) ||
            value == nullptr)
          return false;
        const std::string text = ob::writeJson(*value);
        ob::JsonElements held(r.value);
        while (const ob::JsonValue* e = held.next())
          if (ob::writeJson(*e) == text) return true;
        return false;
      }
      std::vector<std::string> at = r.path;
      for (const std::string& key : ob::memberKeysOf(r)) {
        at.back() = key;
        if (path.size() >= at.size() && std::equal(at.begin(), at.end(), path.begin())) return true;
      }
      return false;
    });
  };
  const auto passOver = [&](const std::vector<std::string>& path) {
    return std::find(passedOver.begin(), passedOver.end(), path) != passedOver.end() ||
           wentWithAVoice(path, was, lastLoad_->kept.auditionVoices, voicesNow) || wentWithAnEdit(path);
  };
  const orbi::EngineHost& a = hosted_->engineHost();
  // What the load kept as the instance holds it now, less what edits let go.
  ob::KeptDocument keptNow = lastLoad_->kept;
  keptNow.records = hosted_->plugin().keptDocument.records;
  const obfuzz::Loaded first{a.project, obfuzz::samplesOf(a.pool), keptNow};
  if (!obfuzz::keepsWhatTheLoadRead(loaded, document, first, findingsOf(lastLoad_->said, passOver),
                                    importedSince_))
    broken("the save lost what the load read", lastLoad_->built.path.filename().string());
}

std::vector<std::vector<std::string>> Session::checkValuesReadOtherwise(obfuzz::PointerWalk& saved) {
  std::vector<std::vector<std::string>> paths;
  const auto& held = ob::recordsOf(hosted_->plugin().keptDocument.records).records;
  for (const ob::KeptRecord& value : ob::recordsOf(lastLoad_->kept.records).records) {
    if (value.place != ob::KeptPlace::InPlace) continue;
    paths.push_back(value.path);
    // One an edit let go (a kit's sound in its place, the value set) is
    // judged by what the edit said; one still held is written as read.
    if (std::none_of(held.begin(), held.end(), [&](const ob::KeptRecord& h) {
          return h.place == ob::KeptPlace::InPlace && h.path == value.path;
        }))
      continue;
    const ob::JsonValue* at = saved.at(value.path, value.path.size());
    const std::string written = at != nullptr ? ob::writeJson(*at) : std::string();
    if (written != ob::writeJson(value.value))
      broken("a save wrote over a value the load read otherwise and still holds", written);
  }
  return paths;
}

void Session::checkAudition(const std::string& text, const ob::Project& played,
                            const ob::KeysAsLoaded& keys) {
  ob::JsonValue saved;
  std::string error;
  if (!ob::parseJson(text, saved, error)) broken("a saved document does not read as JSON", error);
  // Judged as a load that cannot trust the grid judges them: placed back.
  if (!obfuzz::notesPlayTheGrid(saved, played, keys))
    broken("a save's audition holds notes other than the pattern that plays", "");
}

std::string Session::checkSavedFiles(const Bytes& document, const SaveToCheck& save,
                                     const ob::ByteSource* loaded) {
  const std::string name = save.file.filename().string();
  if (!ob::zip::looksLikeZip(document.data(), document.size())) {
    std::string text(document.begin(), document.end());
    if (!isUtf8(text)) broken("a saved document is not UTF-8", name);
    if (!held_.empty()) broken("a save of samples the user brought wrote no package", name);
    return text;
  }
  const ob::MemoryBytes source(document.data(), document.size());
  ob::Diagnostics unused;
  const std::optional<ob::zip::ArchiveIndex> saved = ob::zip::ArchiveIndex::open(source, unused, {});
  if (!saved) broken("a save wrote a package that does not open", name);
  const ob::zip::LocatedEntry* doc = saved->find("instance.json");
  const std::optional<Bytes> text = doc ? saved->unpack(*doc, unused) : std::nullopt;
  if (!text || !isUtf8(std::string_view(reinterpret_cast<const char*>(text->data()), text->size())))
    broken("a saved document is not UTF-8", name);
  std::string documentText(text->begin(), text->end());

  for (const UserFile& file : held_) {
    const ob::zip::LocatedEntry* entry = saved->find("assets/" + file.digest);
    const std::optional<Bytes> bytes = entry ? saved->unpack(*entry, unused) : std::nullopt;
    if (!bytes || ob::sha256Hex(bytes->data(), bytes->size()) != file.digest)
      broken("a sample file the user brought is not in the save byte for byte", file.digest);
  }
  if (loaded == nullptr || !lastLoad_->built.isPackage) return documentText;
  const std::optional<ob::zip::ArchiveIndex> read = ob::zip::ArchiveIndex::open(*loaded, unused, {});
  if (!read) return documentText;
  const auto keeps = [&](const std::string& entryName) {
    const ob::zip::LocatedEntry* was = read->find(entryName);
    const ob::zip::LocatedEntry* is = saved->find(entryName);
    return was != nullptr && is != nullptr && sameEntry(*read, *was, *saved, *is);
  };
  for (const KeptEntry& entry : lastLoad_->built.kept) {
    if (!entry.pastBudget) {
      if (!keeps(entry.name)) broken("a save lost an entry the load kept", entry.name);
      continue;
    }
    if (saved->find(entry.name) != nullptr) continue;
    if (!said(lastLoad_->said, "entry-dropped /" + entry.name))
      broken("a save left out an entry whose drop the load never said", entry.name);
    if (save.overOpened && save.answeredWith.empty())
      broken("a save over the opened file wrote it without an entry its open left out, unasked", entry.name);
    if (save.overOpened && (save.answeredWith == "return" || save.answeredWith == "escape"))
      broken("answering the question with " + save.answeredWith +
                 " wrote the file without an entry its open left out",
             entry.name);
  }
  for (const DamagedSample& damaged : damaged_)
    if (!keeps(damaged.entry)) broken("a save lost a sample entry the load kept unplayed", damaged.entry);
  if (save.overOpened) openLeftOut_.clear();
  return documentText;
}

void Session::broken(const std::string& rule, const std::string& detail) {
  // First, as it lifts the file-size limit, which the log and the fuzzer's
  // copy of the input are no more held to than any other program's files.
  outside_.discard();
  std::fprintf(stderr, "session: %s: %s\n  after:\n", rule.c_str(), detail.c_str());
  for (const std::string& line : trace_) std::fprintf(stderr, "    %s\n", line.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace obsession
