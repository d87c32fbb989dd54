#include "document/project/project_load.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <variant>

#include "document/archive/sha256.h"
#include "document/archive/zip_format.h"
#include "document/archive/zip_index.h"
#include "document/audition/audition_groove.h"
#include "document/audition/audition_kept.h"
#include "document/audition/audition_writer.h"
#include "document/factory/factory_ref.h"
#include "document/factory/sample_resolver.h"
#include "document/instance/instance_shape.h"
#include "document/instance/instance_state.h"
#include "document/instance/read_otherwise.h"
#include "document/json/json_parse.h"
#include "document/json/json_text_mend.h"
#include "document/json/json_write.h"
#include "document/legacy/legacy_reader.h"
#include "document/package/package.h"
#include "document/package/unpack_limits.h"
#include "document/params/number_spellings.h"
#include "document/project/foreign_members.h"
#include "document/project/kept_at_load.h"
#include "document/project/kit_file_kept.h"
#include "document/project/load_samples.h"
#include "document/project/match_factory_samples.h"
#include "document/project/project_save.h"
#include "document/project/sanitize_project.h"
#include "document/reading/asset_ref.h"
#include "document/reading/document_limits.h"
#include "document/reading/json_pointer.h"
#include "document/reading/regular_file.h"
#include "document/wav/wav_pool.h"
#include "engine/fnv.h"
#include "engine/model/project_ids.h"
#include "engine/model/utf8_text.h"
#include "engine/pool/sample_pool.h"

namespace ob {
namespace {

// Every archive a document is read from is held to the one measure a save
// is held to as well.
constexpr zip::Limits kDocumentZipLimits{};
// The largest project or package file read: 3 GiB.
constexpr std::uint64_t kMaxDocumentFileBytes = kDocumentZipLimits.maxArchiveBytes;
constexpr const char* kLegacyDocumentName = "project.json";
constexpr std::string_view kLegacySamplePrefix = "samples/";

// What a load learns of the files its samples play, for laying out their
// save: where each one read deflated lies packed in the source.
struct PlayedFiles {
  struct Deflated {
    const SampleData* audio = nullptr;
    zip::DirectoryRecord record;
    std::uint64_t payload = 0;
  };
  std::vector<Deflated> deflated;

  // Slot i of the pool now plays the file of `entry`.
  void note(const SamplePool& pool, int i, const zip::LocatedEntry& entry) {
    const SampleData* audio = pool.slots[static_cast<std::size_t>(i)]->data.get();
    if (entry.record.method == 8) deflated.push_back({audio, entry.record, entry.payload});
  }
};

std::string_view asText(std::span<const std::uint8_t> bytes) {
  return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string_view withoutByteOrderMark(std::string_view text) {
  if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
      static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF)
    text.remove_prefix(3);
  return text;
}

// FNV-1a 64 of the whole source, a piece at a time.
std::uint64_t hashSource(const ByteSource& source) {
  constexpr std::size_t kPiece = std::size_t(1) << 20;
  std::uint64_t h = kFnvOffsetBasis;
  std::vector<std::uint8_t> scratch;
  for (std::uint64_t at = 0; at < source.size();) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, source.size() - at));
    const auto piece = source.view(at, n, scratch);
    if (!piece) break;  // the file changed under the load: the bytes read so far
    h = fnv1a64(asText(*piece), h);
    at += n;
  }
  return h;
}

bool looksLikeZip(const ByteSource& source) {
  std::uint8_t head[4] = {};
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(source.size(), sizeof head));
  return source.read(0, head, n) && zip::looksLikeZip(head, n);
}

// The document's text parsed, to the shape an instance document's readers
// read when given, else whole.
struct ParsedText {
  JsonValue root;
  std::string error;  // the parser's message; empty when the text parsed
};

ParsedText parseText(std::span<const std::uint8_t> bytes, const JsonShape* shape) {
  ParsedText text;
  const std::string_view json = withoutByteOrderMark(asText(bytes));
  const bool parsed = shape != nullptr ? parseJson(json, *shape, text.root, text.error)
                                       : parseJson(json, text.root, text.error);
  if (!parsed && text.error.empty()) text.error = "parse error";
  return text;
}

void appendFindings(Diagnostics& to, const Diagnostics& from) {
  for (const Diagnostic& d : from) to.append(d);
}

bool isInstanceRoot(const JsonValue& root) {
  const JsonValue* kind = root.isObject() ? root.find("kind") : nullptr;
  return kind != nullptr && kind->isString() && kind->text == "instance";
}

// Decided by the central directory alone, so a damaged or refused
// "instance.json" is still read, and reported, as an instance package.
bool namesInstanceEntry(const ByteSource& source) {
  Diagnostics own;
  const auto directory = zip::readZipDirectory(source, own, kDocumentZipLimits);
  if (!directory) return false;
  for (const zip::DirectoryRecord& record : *directory)
    if (record.name == "instance.json") return true;
  return false;
}

std::string fixedText(const char* field, std::size_t capacity) {
  std::size_t n = 0;
  while (n < capacity && field[n] != '\0') ++n;
  return std::string(field, n);
}

// The decoder's words say what the file holds that this build does not read.
void reportUnreadableAsset(Diagnostics& diagnostics, const std::string& path, const std::string& why,
                           bool kept) {
  std::string message = "Not audio this build reads";
  if (!why.empty()) message += " (" + why + ")";
  diagnostics.warn("asset-unreadable", path, message + playsSilent(kept));
}

// The warning for a file that cannot play, by what became of it.
void reportFileThatCannotPlay(Diagnostics& diagnostics, const std::string& path, SampleFileOutcome outcome,
                              const SampleFiles& files, const std::string& key, const SampleLimits& limits) {
  const bool kept = files.kept(key);
  if (outcome == SampleFileOutcome::Unreadable)
    reportUnreadableAsset(diagnostics, path, files.decodeError(key), kept);
  else if (outcome == SampleFileOutcome::Refused)
    reportRefusedSample(diagnostics, path, files.refusal(key), limits, kept);
  else if (outcome == SampleFileOutcome::Overpacked)
    reportOverpackedSample(diagnostics, path, kept);
}

// An entry's file as its archive stores it, under that digest.
KeptSampleFile keptFileOf(std::vector<std::uint8_t> stored, const zip::DirectoryRecord& record,
                          std::string digest) {
  KeptSampleFile file;
  file.ref = "asset:" + digest;
  file.stored = std::move(stored);
  file.method = record.method;
  file.flags = static_cast<std::uint16_t>(record.flags & zip::kPayloadFlags);
  file.crc = record.crc;
  file.size = record.size;
  file.digest = std::move(digest);
  return file;
}

// Whether the entry, as its archive stores it, is the file kept: packed the
// same way and the same bytes, read a piece at a time.
bool storesKeptFile(const ByteSource& archive, const zip::LocatedEntry& entry, const KeptSampleFile& kept) {
  const zip::DirectoryRecord& record = entry.record;
  if (record.method != kept.method || (record.flags & zip::kPayloadFlags) != kept.flags ||
      record.crc != kept.crc || record.size != kept.size || record.packedSize != kept.stored.size())
    return false;
  constexpr std::size_t kPiece = std::size_t(1) << 20;
  std::vector<std::uint8_t> scratch;
  for (std::size_t at = 0; at < kept.stored.size(); at += kPiece) {
    const std::size_t n = std::min(kPiece, kept.stored.size() - at);
    const auto piece = archive.view(entry.payload + at, n, scratch);
    if (!piece ||
        !std::equal(piece->begin(), piece->end(), kept.stored.begin() + static_cast<std::ptrdiff_t>(at)))
      return false;
  }
  return true;
}

// What the load knows of an asset entry's file once its bytes were
// checked: its CRC-32, its digest, and where it lies when it is stored as
// it is in a source in the plug-in's keeping. Once a slot plays it, no one
// reads an asset's entry again (the seed's hash is taken before, entries
// kept are those no slot takes), so its decode may give it back as it goes
// where the archive is the load's to change (givesBack, the same source).
SampleFileOrigin originOf(const ByteSource& archive, ByteSource* givesBack, const zip::LocatedEntry& entry,
                          std::string digest) {
  const zip::DirectoryRecord& record = entry.record;
  SampleFileSums sums{std::move(digest), record.crc};
  if (record.method != 0 || record.packedSize != record.size) return {nullptr, 0, std::move(sums), nullptr};
  SampleFileOrigin origin = originIn(archive, entry.payload, std::move(sums));
  if (givesBack != nullptr) origin.readOnce = givesBack->heldOpenToGiveBack();
  return origin;
}

// The bytes a deflated entry takes in its archive, which its file may be
// held as (see keepsPackedForm); 0 for any other.
std::uint64_t packedBytesOf(const zip::DirectoryRecord& record) {
  return record.method == 8 ? record.packedSize : 0;
}

// Gives `use` of a read of a file a reader of the entry.
std::function<void(zip::EntryReader&)> readingThrough(const std::function<void(const WavReadAt& read)>& use) {
  return [&use](zip::EntryReader& reader) {
    use([&reader](std::uint64_t offset, std::uint8_t* out, std::size_t count) {
      return reader.read(offset, out, count);
    });
  };
}

std::string startingUpperCase(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

// Why the archive gave no entry for a slot's asset, in lower-case words: it
// may hold one that the zip reader left out, and then the reader's words
// say why.
std::string unlocatedAsset(const Diagnostics& diagnostics, const std::string& entryPath) {
  for (const Diagnostic& d : diagnostics)
    if (d.path == entryPath)
      if (std::optional<std::string> why = entryLeftOut(d)) return "the archive holds the asset, but " + *why;
  return "the archive has no such asset";
}

// The ending of a warning for a slot that keeps only its reference.
constexpr const char* kReferenceKept = "; the sample plays silent and its reference is kept";

// A slot whose reference this load cannot follow keeps it as written, with
// why, so that the samples page says so and a save writes it back.
void keepReference(SamplePool& pool, int i, const std::string& ref, std::string why) {
  KeptSampleFile reference;
  reference.ref = ref;
  reference.why = std::move(why);
  pool.replaceAudio(i, makeKeptSample(std::move(reference)));
}

// Loads slot i's audio from its reference; a problem leaves the slot silent
// with one warning, keeping the asset as stored when the archive holds it
// and the reference as written when not. An asset a slot plays or keeps is
// marked used. assets is null for a document without an archive; slotKey
// is the key the slot goes by in the document.
void loadReferencedSample(PackageReader* assets, const ByteSource& archive, ByteSource* givesBack,
                          const std::string& ref, std::string_view slotKey, int i, SampleFiles& files,
                          SamplePool& pool, PlayedFiles& played, Diagnostics& diagnostics) {
  const std::string path = memberPath("/assets", slotKey);
  const std::optional<AssetRef> parsed = parseAssetRef(ref);
  SampleFileOutcome outcome = SampleFileOutcome::Missing;
  std::string key;
  std::string why;  // for a slot that keeps only its reference
  if (!parsed) {
    // The document's reader has said so where it read the reference.
    why = "its reference \"" + quotedText(ref) + "\" is not one this build reads";
  } else if (parsed->kind == kAssetRefFactory) {
    // The resolver takes the bare sample name, without the set word.
    std::string name;
    const bool named = parseFactoryRef(ref, name);
    key = "factory:" + name;
    SampleSource source;
    source.read = [&](std::vector<std::uint8_t>& scratch) -> SampleSource::View {
      if (named) scratch = resolveSample(name);
      if (scratch.empty()) return std::nullopt;
      return std::span<const std::uint8_t>(scratch);
    };
    outcome = files.load(key, i, source);
    if (outcome == SampleFileOutcome::Missing || outcome == SampleFileOutcome::Unreadable) {
      why = "this build has no bundled sample \"" + ref.substr(8) + "\"";
      diagnostics.warn("missing-factory-sample", path, startingUpperCase(why) + "; the sample plays silent");
    } else {
      reportFileThatCannotPlay(diagnostics, path, outcome, files, key, pool.limits());
    }
  } else {
    const zip::LocatedEntry* asset = assets != nullptr ? assets->findAsset(parsed->value) : nullptr;
    key = "asset:" + parsed->value;
    std::string fault;
    std::string bytesDigest;  // of its bytes, once read whole
    if (asset != nullptr) {
      SampleSource source;
      source.declaredBytes = asset->record.size;
      source.overpacked = claimsTooMuchGrowth(asset->record);
      bool digestChecked = false;  // then a read again checks the checksum alone
      source.once = [&](const auto& use, const FilePiece& piece) {
        if (digestChecked)
          return assets->readAssetAgain(*asset, readingThrough(use), piece, diagnostics, &fault);
        digestChecked =
            assets->readAssetOnce(*asset, readingThrough(use), piece, diagnostics, &fault, &bytesDigest);
        return digestChecked;
      };
      source.fault = &fault;
      source.keep = [&]() -> std::optional<KeptSampleFile> {
        std::optional<std::vector<std::uint8_t>> stored = assets->storedAsset(*asset);
        if (!stored) return std::nullopt;
        KeptSampleFile file = keptFileOf(std::move(*stored), asset->record, parsed->value);
        file.bytesDigest = bytesDigest;
        return file;
      };
      source.keptDigest = parsed->value;
      source.keptIs = [&](const KeptSampleFile& held) { return storesKeptFile(archive, *asset, held); };
      source.match = [&](const zip::SamePiece& same) { return assets->assetIs(*asset, same); };
      std::optional<zip::EntryReader> reader = assets->assetReader(*asset);
      source.at = [&](std::uint64_t offset, std::uint8_t* out, std::size_t count) {
        return reader && reader->read(offset, out, count);
      };
      source.origin = originOf(archive, givesBack, *asset, parsed->value);
      source.packedBytes = packedBytesOf(asset->record);
      outcome = files.load(key, i, source);
      if (outcome == SampleFileOutcome::Loaded) played.note(pool, i, *asset);
      if (outcome == SampleFileOutcome::Loaded || files.kept(key)) assets->markUsed(*asset);
      // A file kept unplayed is held by its slot: no one reads its entry again.
      if (outcome != SampleFileOutcome::Loaded && files.kept(key) && givesBack != nullptr)
        givesBack->giveBack(asset->payload, asset->record.packedSize);
    }
    if (outcome == SampleFileOutcome::Missing) {
      why = asset == nullptr ? unlocatedAsset(diagnostics, "/assets/" + parsed->value)
                             : std::string("the archive has no such asset");
      diagnostics.warn("missing-asset", path, startingUpperCase(why) + kReferenceKept);
    } else if (outcome == SampleFileOutcome::Unpackable) {
      why = "the archive holds the sample's file, but " + files.decodeError(key);
      diagnostics.warn("asset-unreadable", path, startingUpperCase(why) + playsSilent(files.kept(key)));
    } else {
      reportFileThatCannotPlay(diagnostics, path, outcome, files, key, pool.limits());
    }
  }
  if (outcome == SampleFileOutcome::Loaded || files.kept(key)) return;
  keepReference(pool, i, ref, why.empty() ? "its file cannot be read" : std::move(why));
}

// A legacy sample is saved as an asset named by the digest of its file,
// which its archive does not give: found from the stored bytes, or hashed
// as the file unpacks, a piece at a time, while it is within the pool's
// file limit; nothing is kept of one beyond.
std::optional<KeptSampleFile> keptLegacyFile(const zip::ArchiveIndex& archive, const zip::LocatedEntry& entry,
                                             const SampleLimits& limits) {
  const zip::DirectoryRecord& record = entry.record;
  if (record.method != 0 && (record.size > limits.sampleFileBytes || claimsTooMuchGrowth(record)))
    return std::nullopt;
  std::optional<std::vector<std::uint8_t>> stored = archive.stored(entry);
  if (!stored) return std::nullopt;
  std::string digest;
  if (record.method == 0) {
    digest = sha256Hex(stored->data(), stored->size());
  } else {
    Sha256 hash;
    if (!archive.unpackInPieces(
            entry, [&hash](std::span<const std::uint8_t> piece) { hash.add(piece.data(), piece.size()); }))
      return std::nullopt;
    digest = hash.hex();
  }
  return keptFileOf(std::move(*stored), record, std::move(digest));
}

// A slot's sample entry by the name its document gives it. Where the
// document's bytes, and so the entry's name, are not UTF-8, the name reads
// as U+FFFD, and finds the entry whose name, made UTF-8, is it.
const zip::LocatedEntry* findLegacySample(const zip::ArchiveIndex& archive, const std::string& entryName) {
  if (const zip::LocatedEntry* exact = archive.find(entryName)) return exact;
  if (entryName.find(kReplacementCharacter) == std::string::npos) return nullptr;
  for (const zip::LocatedEntry& entry : archive.entries()) {
    const std::string& name = entry.record.name;
    if (name.starts_with(kLegacySamplePrefix) && !isValidUtf8(name) && mendedUtf8(name) == entryName)
      return &entry;
  }
  return nullptr;
}

// The decoder's words, when it gave any, say why a legacy sample cannot play.
void reportUnreadableLegacySample(Diagnostics& diagnostics, const std::string& path, const std::string& name,
                                  const std::string& why, bool kept) {
  std::string message = "No readable audio for " + name;
  if (!why.empty()) message += " (" + why + ")";
  diagnostics.warn("missing-asset", path, message + playsSilent(kept));
}

void reportUnreadableLegacy(DocumentSource source, const char* path, const std::string& error,
                            Diagnostics& diagnostics) {
  if (source == DocumentSource::File)
    diagnostics.error("legacy-unreadable", path, "The project cannot be read: " + error);
}

bool readInstancePackage(Package package, PackageReader* assets, const ByteSource& source,
                         ByteSource* givesBack, Project& project, SamplePool& pool,
                         const SamplePool* shareFrom, KeptDocument& kept, PlayedFiles& played,
                         std::uint64_t currentSeed, Diagnostics& diagnostics, std::string& error) {
  std::vector<std::string> refs;
  KeysAsLoaded keys;
  bool gridRead = false;
  if (!readInstanceState(package.document, project, refs, diagnostics, &keys, &gridRead)) {
    error = joinDiagnosticMessages(diagnostics);
    return false;
  }
  sanitizeProject(project);
  // Hashed before any sample is read: what a sample's decode passes may be
  // given back (see originOf).
  if (project.seed == 0) project.seed = currentSeed != 0 ? currentSeed : hashSource(source);
  SampleFiles files(pool, shareFrom);
  const int count = project.samples.count;
  for (int i = 0; i < count; ++i) {
    if (static_cast<std::size_t>(i) >= refs.size() || refs[i].empty()) continue;
    const std::string id = fixedText(project.samples.slots[i].id, sizeof project.samples.slots[i].id);
    loadReferencedSample(assets, source, givesBack, refs[i], keys.keyOf(Records::Samples, id), i, files, pool,
                         played, diagnostics);
  }

  kept.kitFile = takeKitFileKept(package.document, diagnostics);
  keepWhatItsRewriteLacks(std::move(package.document), project, refs, std::move(keys), gridRead, kept);
  if (assets != nullptr) kept.keptEntries = assets->keepUnused(diagnostics, givesBack);
  return true;
}

// An instance document given as text, already parsed.
bool readInstanceText(JsonValue document, const ByteSource& source, Project& project, SamplePool& pool,
                      const SamplePool* shareFrom, KeptDocument& kept, std::uint64_t currentSeed,
                      Diagnostics& diagnostics, std::string& error) {
  Package package;
  package.document = std::move(document);
  PlayedFiles none;  // no archive
  return readInstancePackage(std::move(package), nullptr, source, nullptr, project, pool, shareFrom, kept,
                             none, currentSeed, diagnostics, error);
}

bool readInstanceFrom(const ByteSource& source, ByteSource* givesBack, const zip::Limits& limits,
                      Project& project, SamplePool& pool, const SamplePool* shareFrom, KeptDocument& kept,
                      PlayedFiles& played, std::uint64_t currentSeed, Diagnostics& diagnostics,
                      std::string& error) {
  std::optional<PackageReader> reader =
      PackageReader::open(source, "instance.json", diagnostics, limits, &instanceDocumentShape());
  if (!reader) {
    error = joinDiagnosticMessages(diagnostics);
    return false;
  }
  return readInstancePackage(std::move(reader->package()), &*reader, source, givesBack, project, pool,
                             shareFrom, kept, played, currentSeed, diagnostics, error);
}

// A legacy package is read for its document and the samples it names;
// nothing else in it is unpacked, and nothing that claims to grow beyond
// reason. Every other entry, and a sample's file that no slot takes, is
// kept as stored, as a current package's are.
bool readLegacyArchive(const ByteSource& source, const zip::Limits& limits, Project& project,
                       SamplePool& pool, const SamplePool* shareFrom, KeptDocument& kept, PlayedFiles& played,
                       Diagnostics& diagnostics, std::string& error, DocumentSource documentSource) {
  const std::optional<zip::ArchiveIndex> archive = zip::ArchiveIndex::open(source, diagnostics, limits);
  if (!archive) {
    error = joinDiagnosticMessages(diagnostics);
    return false;
  }
  const zip::LocatedEntry* doc = archive->find(kLegacyDocumentName);
  if (doc != nullptr && (claimsTooMuchGrowth(doc->record) || isOversizedDocument(doc->record.size))) {
    if (claimsTooMuchGrowth(doc->record))
      reportOvergrownDocument(diagnostics, kLegacyDocumentName);
    else
      reportOversizedDocument(diagnostics, std::string("/") + kLegacyDocumentName);
    error = joinDiagnosticMessages(diagnostics);
    return false;
  }
  const std::optional<std::vector<std::uint8_t>> text =
      doc ? archive->unpack(*doc, diagnostics) : std::nullopt;
  if (!text) {
    error = "package is missing project.json";
    return false;
  }
  if (!readLegacyProject(withoutByteOrderMark(asText(*text)), project, &error, &diagnostics)) {
    reportUnreadableLegacy(documentSource, "/project.json", error, diagnostics);
    return false;
  }
  std::unordered_set<const zip::LocatedEntry*> used{doc};
  SampleFiles files(pool, shareFrom);
  const int count = project.samples.count < kSampleSlots ? project.samples.count : kSampleSlots;
  for (int i = 0; i < count; ++i) {
    const std::string name = fixedText(project.samples.slots[i].name, sizeof project.samples.slots[i].name);
    const std::string entryName = std::string(kLegacySamplePrefix) + name;
    const zip::LocatedEntry* audio = name.empty() ? nullptr : findLegacySample(*archive, entryName);
    SampleFileOutcome outcome = SampleFileOutcome::Missing;
    if (audio != nullptr) {
      SampleSource source;
      source.declaredBytes = audio->record.size;
      source.overpacked = claimsTooMuchGrowth(audio->record);
      source.once = [&](const auto& use, const FilePiece& piece) {
        return archive->readOnce(*audio, readingThrough(use), piece, diagnostics);
      };
      source.keep = [&] { return keptLegacyFile(*archive, *audio, pool.limits()); };
      source.match = [&](const zip::SamePiece& same) { return archive->is(*audio, same); };
      zip::EntryReader reader = archive->reader(*audio);
      source.at = [&](std::uint64_t offset, std::uint8_t* out, std::size_t count) {
        return reader.read(offset, out, count);
      };
      source.packedBytes = packedBytesOf(audio->record);
      outcome = files.load(entryName, i, source);
      if (outcome == SampleFileOutcome::Loaded || files.kept(entryName)) used.insert(audio);
    }
    if (outcome == SampleFileOutcome::Loaded) {
      played.note(pool, i, *audio);
      continue;
    }
    pool.slot(i);
    const std::string path = indexPath("/samples", static_cast<std::uint64_t>(i));
    if (outcome == SampleFileOutcome::Refused || outcome == SampleFileOutcome::Overpacked)
      reportFileThatCannotPlay(diagnostics, path, outcome, files, entryName, pool.limits());
    else
      reportUnreadableLegacySample(diagnostics, path, name, files.decodeError(entryName),
                                   files.kept(entryName));
  }
  kept.keptEntries = keepUnusedEntries(*archive, used, diagnostics);
  project.seed = hashSource(source);
  return true;
}

// The text form carries no audio.
bool readLegacyText(const ParsedText& text, const ByteSource& source, Project& project,
                    Diagnostics& diagnostics, std::string& error, DocumentSource documentSource) {
  if (text.error.empty() && text.root.isObject()) {
    if (const JsonValue* kind = text.root.find("kind")) {
      diagnostics.error("not-an-instance", "/kind",
                        "A " + (kind->isString() ? quotedText(kind->text) : std::string("?")) +
                            " document is not a Orbitrane state");
      error = joinDiagnosticMessages(diagnostics);
      return false;
    }
  }
  if (!text.error.empty()) {
    error = text.error;
  } else if (readLegacyProject(text.root, project, &error, &diagnostics)) {
    project.seed = hashSource(source);
    return true;
  }
  reportUnreadableLegacy(documentSource, "", error, diagnostics);
  return false;
}

// The whole source as document text, held to the document limit, its
// strings made UTF-8 in `mended` where they are not (mendJsonText, which
// says so in `mends`, for the caller to add once the text parses); nothing
// after the error.
std::optional<std::span<const std::uint8_t>> documentText(const ByteSource& source,
                                                          std::vector<std::uint8_t>& scratch,
                                                          std::string& mended, Diagnostics& mends,
                                                          Diagnostics& diagnostics, std::string& error) {
  if (isOversizedDocument(source.size())) {
    reportOversizedDocument(diagnostics, "");
  } else if (auto text = source.view(0, static_cast<std::size_t>(source.size()), scratch)) {
    switch (mendJsonText(asText(*text), mended, &mends, kMaxDocumentTextBytes)) {
      case TextMend::None: return text;
      case TextMend::Mended:
        return std::span(reinterpret_cast<const std::uint8_t*>(mended.data()), mended.size());
      case TextMend::TooLarge: reportOversizedDocument(diagnostics, ""); break;
    }
  } else {
    diagnostics.error("document-unreadable", "", "The document cannot be read");
  }
  error = joinDiagnosticMessages(diagnostics);
  return std::nullopt;
}

// The packed bytes of each sample read deflated, as read, under the name
// its save writes it by, where they are fewer than its file's.
std::vector<zip::StoredEntry> packedFilesOf(PlayedFiles& played, const ByteSource& source) {
  std::vector<zip::StoredEntry> packed;
  std::unordered_set<const SampleData*> taken;
  for (const PlayedFiles::Deflated& file : played.deflated) {
    const zip::DirectoryRecord& record = file.record;
    if (record.packedSize >= record.size || std::holds_alternative<StoredSampleFile>(file.audio->file) ||
        record.size != file.audio->savedFileBytes() || !taken.insert(file.audio).second)
      continue;
    std::vector<std::uint8_t> payload(record.packedSize);
    if (!source.read(file.payload, payload.data(), payload.size())) continue;
    packed.push_back({"assets/" + findSampleFile(*file.audio).digest, std::move(payload),
                      zip::PackedForm{record.method, std::uint16_t(record.flags & zip::kPayloadFlags),
                                      record.crc, record.size}});
  }
  return packed;
}

// Whether what the load read, saved as it is, is what a load takes again:
// its save laid out and measured as a save lays it out and measures it.
// Where only the archive's size passes its limit, the samples read
// deflated keep their packed bytes for the save to copy as read, and it is
// measured again. False, after the error naming the limit, when not.
bool holdsToItsSave(const Project& project, const SamplePool& pool, KeptDocument& kept, PlayedFiles& played,
                    const ByteSource& source, const zip::Limits& limits, DocumentSource documentSource,
                    Diagnostics& diagnostics, std::string& error) {
  SaveMeasure measure = measureSave(project, pool, kept, limits);
  if (measure.excess == PackageExcess::Archive && !played.deflated.empty()) {
    kept.packedSampleFiles = packedFilesOf(played, source);
    if (!kept.packedSampleFiles.empty()) measure = measureSave(project, pool, kept, limits);
  }
  if (measure.why.empty()) return true;
  error = std::string(documentSource == DocumentSource::State ? "The state" : "The project") +
          " could not be saved again: " + measure.why;
  diagnostics.error("unsaveable", "", error);
  return false;
}

bool readDocumentUnguarded(const ByteSource& source, ByteSource* givesBack, Project& project,
                           SamplePool& pool, KeptDocument& kept, std::string* error, Diagnostics& diagnostics,
                           DocumentSource documentSource, const SamplePool* shareFrom,
                           const zip::Limits& limits) {
  std::unique_ptr<Project> fresh = makeProject();
  if (!fresh) {
    if (error != nullptr) *error = "out of memory";
    return false;
  }
  SamplePool freshPool;
  freshPool.setLimits(pool.limits());
  KeptDocument freshKept;
  PlayedFiles played;
  std::string localError;
  bool ok = false;
  if (looksLikeZip(source)) {
    ok = namesInstanceEntry(source)
             ? readInstanceFrom(source, givesBack, limits, *fresh, freshPool, shareFrom, freshKept, played,
                                project.seed, diagnostics, localError)
             : readLegacyArchive(source, limits, *fresh, freshPool, shareFrom, freshKept, played, diagnostics,
                                 localError, documentSource);
  } else {
    std::vector<std::uint8_t> scratch;
    std::string mended;
    Diagnostics mends;
    if (const auto bytes = documentText(source, scratch, mended, mends, diagnostics, localError)) {
      ParsedText text = parseText(*bytes, &instanceDocumentShape());
      if (text.error.empty()) appendFindings(diagnostics, mends);
      if (isJsonSizeRefusal(text.error)) {
        // Read whole for a legacy reader, it would cost all that the limit spares.
        reportCrowdedDocument(diagnostics, "", text.error);
        localError = joinDiagnosticMessages(diagnostics);
      } else {
        // A legacy reader reads all it is given.
        ok = text.error.empty() && isInstanceRoot(text.root)
                 ? readInstanceText(std::move(text.root), source, *fresh, freshPool, shareFrom, freshKept,
                                    project.seed, diagnostics, localError)
                 : readLegacyText(parseText(*bytes, nullptr), source, *fresh, diagnostics, localError,
                                  documentSource);
      }
    }
  }
  if (ok) {
    sanitizeProject(*fresh);
    assignSampleIds(fresh->samples);
    matchFactorySamples(fresh->samples, freshPool);
    ok = holdsToItsSave(*fresh, freshPool, freshKept, played, source, limits, documentSource, diagnostics,
                        localError);
  }
  if (!ok) {
    if (error != nullptr) *error = !localError.empty() ? localError : joinDiagnosticMessages(diagnostics);
    return false;
  }
  project = *fresh;
  pool = std::move(freshPool);
  kept = std::move(freshKept);
  return true;
}

}  // namespace

void keepWhatItsRewriteLacks(JsonValue document, const Project& project, const std::vector<std::string>& refs,
                             KeysAsLoaded keys, bool auditionGridRead, KeptDocument& kept) {
  // The audition goes back whole or written anew (auditionToWrite), and of
  // a new one nothing is carried into its notes or its grid: the rewrite
  // holds stand-ins there (auditionBeside), and the save reads it from its
  // text, which is all that is held of it, spellings included.
  JsonValue rewritten =
      writeInstanceState(project, refs, isKitOnlyDocument(document) ? 1u : 0u, kPluginVersionText, "",
                         &document, nullptr, AuditionFor::LoadRewrite, &keys);
  std::vector<KeptRecord> audition;
  KeptIds auditionIds;
  if (const JsonValue* loadedAudition = document.find("audition")) {
    kept.loadedAudition = heldAsText(*loadedAudition);
    kept.auditionVoices = auditionVoices(project, keys);
    kept.auditionMachines = auditionMachines(project, keys);
    kept.auditionGridRead = auditionGridRead;
    keepAuditionUnplayed(*loadedAudition, kept.auditionGridRead, project, keys, audition, auditionIds);
  }
  std::vector<ValueReadOtherwise> otherwise = valuesReadOtherwise(document, rewritten, project, keys);
  const KeptKeys readable = soundsKeptReadable(document, rewritten, project.samples, keys);
  std::vector<ForeignMember> foreign;
  std::vector<std::string> path;
  collectForeignMembers(foreign, document, rewritten, path);
  kept.records = std::make_shared<const KeptRecords>(
      keptRecordsOf({document, project, keys, readable}, std::move(foreign), std::move(otherwise),
                    std::move(audition), std::move(auditionIds)));
  kept.keysAsLoaded = std::move(keys);
  // The extensions it declared stay declared by its saves, and macro
  // positions it could not read go back as read (writeInstanceState).
  const JsonValue* declared = document.find("extensions");
  JsonValue extensions = declared != nullptr ? *declared : JsonValue{};
  const JsonValue* params = document.find("params");
  JsonValue unreadParams = params != nullptr && !params->isObject() ? *params : JsonValue{};
  keepNumberSpellings(document, rewritten);
  if (!extensions.isNull()) document.set("extensions", std::move(extensions));
  if (!unreadParams.isNull()) document.set("params", std::move(unreadParams));
  std::erase_if(document.members, [](const JsonMember& m) { return m.key == "audition"; });
  kept.loadedDocument = std::move(document);
}

bool isKitOnlyDocument(const JsonValue& document) {
  if (!document.isObject()) return true;
  const JsonValue* state = document.find("state");
  return state == nullptr || !state->isObject() || state->find("project") == nullptr;
}

bool isInstanceBytes(const std::uint8_t* bytes, std::size_t size) {
  const MemoryBytes source(bytes, size);
  if (looksLikeZip(source)) return namesInstanceEntry(source);
  if (isOversizedDocument(size)) return false;
  const ParsedText text = parseText(source.inMemory(), &instanceDocumentShape());
  return text.error.empty() && isInstanceRoot(text.root);
}

bool readInstanceDocument(const std::uint8_t* bytes, std::size_t size, Project& project, SamplePool& pool,
                          KeptDocument& kept, std::uint64_t currentSeed, Diagnostics& diagnostics,
                          std::string& error) {
  PlayedFiles played;
  return readInstanceFrom(MemoryBytes(bytes, size), nullptr, kDocumentZipLimits, project, pool, nullptr, kept,
                          played, currentSeed, diagnostics, error);
}

bool readLegacyProjectDocument(const std::uint8_t* bytes, std::size_t size, Project& project,
                               SamplePool& pool, KeptDocument& kept, Diagnostics& diagnostics,
                               std::string& error, DocumentSource source) {
  const MemoryBytes memory(bytes, size);
  PlayedFiles played;
  if (looksLikeZip(memory))
    return readLegacyArchive(memory, kDocumentZipLimits, project, pool, nullptr, kept, played, diagnostics,
                             error, source);
  std::vector<std::uint8_t> scratch;
  std::string mended;
  Diagnostics mends;
  const auto text = documentText(memory, scratch, mended, mends, diagnostics, error);
  if (!text) return false;
  const ParsedText parsed = parseText(*text, nullptr);
  if (parsed.error.empty()) appendFindings(diagnostics, mends);
  return readLegacyText(parsed, memory, project, diagnostics, error, source);
}

namespace {

bool readDocumentGuarded(const ByteSource& source, ByteSource* givesBack, Project& project, SamplePool& pool,
                         KeptDocument& kept, std::string* error, Diagnostics* diagnostics,
                         DocumentSource documentSource, const SamplePool* shareFrom,
                         const zip::Limits& limits) {
  Diagnostics own;
  Diagnostics& list = diagnostics != nullptr ? *diagnostics : own;
  try {
    return readDocumentUnguarded(source, givesBack, project, pool, kept, error, list, documentSource,
                                 shareFrom, limits);
  } catch (const std::bad_alloc&) {
    // Nothing was handed over before the last step, which cannot throw.
    list.error("out-of-memory", "", "Not enough memory to read the document");
    if (error != nullptr) *error = "Not enough memory to read the document";
    return false;
  }
}

}  // namespace

bool readDocument(const ByteSource& source, Project& project, SamplePool& pool, KeptDocument& kept,
                  std::string* error, Diagnostics* diagnostics, DocumentSource documentSource,
                  const SamplePool* shareFrom, const zip::Limits& limits) {
  return readDocumentGuarded(source, nullptr, project, pool, kept, error, diagnostics, documentSource,
                             shareFrom, limits);
}

bool readDocument(ByteSource& source, Project& project, SamplePool& pool, KeptDocument& kept,
                  std::string* error, Diagnostics* diagnostics, DocumentSource documentSource,
                  const SamplePool* shareFrom, const zip::Limits& limits) {
  return readDocumentGuarded(source, &source, project, pool, kept, error, diagnostics, documentSource,
                             shareFrom, limits);
}

bool readDocument(const std::uint8_t* bytes, std::size_t size, Project& project, SamplePool& pool,
                  KeptDocument& kept, std::string* error, Diagnostics* diagnostics, DocumentSource source,
                  const SamplePool* shareFrom) {
  return readDocument(MemoryBytes(bytes, size), project, pool, kept, error, diagnostics, source, shareFrom);
}

bool readDocument(const std::vector<std::uint8_t>& bytes, Project& project, SamplePool& pool,
                  KeptDocument& kept, std::string* error, Diagnostics* diagnostics) {
  return readDocument(bytes.data(), bytes.size(), project, pool, kept, error, diagnostics);
}

bool opensAsDocument(const std::uint8_t* bytes, std::size_t count, std::string* why) {
  auto refuse = [why](const char* reason) {
    if (why != nullptr) *why = reason;
    return false;
  };
  if (count == 0) return refuse("the file is empty");
  if (zip::looksLikeZip(bytes, count)) return true;
  const std::string_view text = withoutByteOrderMark(asText(std::span(bytes, count)));
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && text[first] == '{') return true;
  return refuse("not a project file");
}

namespace {

// Why a project file is refused before its contents are read.
std::string fileRefusal(FileReadStatus status, std::string why) {
  if (status == FileReadStatus::RefusedHeader) return why;  // the check said why
  return fileReadRefusal(status, kMaxDocumentFileBytes);
}

// Opens a project file that passes opensAsDocument; why says what else.
FileReadStatus openDocumentFile(const std::filesystem::path& path, RegularFile& file, std::string& why) {
  const FileHeaderCheck head{kDocumentHeadBytes, [&why](const std::uint8_t* data, std::size_t count) {
                               return opensAsDocument(data, count, &why);
                             }};
  const FileReadStatus status = file.open(path, kMaxDocumentFileBytes, head);
  why = fileRefusal(status, std::move(why));
  return status;
}

}  // namespace

bool readDocumentFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string& why) {
  bytes.clear();
  RegularFile file;
  if (openDocumentFile(path, file, why) != FileReadStatus::Read) return false;
  try {
    bytes.resize(static_cast<std::size_t>(file.size()));
  } catch (const std::bad_alloc&) {
    bytes.clear();
    why = fileRefusal(FileReadStatus::ReadFailed, {});
    return false;
  }
  if (file.read(0, bytes.data(), bytes.size())) return true;
  bytes.clear();
  why = fileRefusal(FileReadStatus::ReadFailed, {});
  return false;
}

bool loadDocumentFile(const std::filesystem::path& path, Project& project, SamplePool& pool,
                      KeptDocument& kept, std::string* error, Diagnostics* diagnostics,
                      const SamplePool* shareFrom) {
  // Closed with the load: what the pool keeps of it, it keeps a copy of.
  RegularFile file;
  std::string why;
  if (openDocumentFile(path, file, why) != FileReadStatus::Read) {
    if (error != nullptr) *error = std::move(why);
    return false;
  }
  return readDocument(file, project, pool, kept, error, diagnostics, DocumentSource::File, shareFrom);
}

}  // namespace ob
