#include "document/project/project_load.h"

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "document/archive/zip_format.h"
#include "document/archive/zip_reader.h"
#include "document/factory/factory_ref.h"
#include "document/factory/sample_resolver.h"
#include "document/instance/instance_state.h"
#include "document/json/json_parse.h"
#include "document/legacy/legacy_reader.h"
#include "document/package/package.h"
#include "document/package/unpack_limits.h"
#include "document/project/foreign_members.h"
#include "document/project/match_factory_samples.h"
#include "document/project/sanitize_project.h"
#include "document/reading/asset_ref.h"
#include "document/reading/json_pointer.h"
#include "document/reading/regular_file.h"
#include "document/wav/wav_pool.h"
#include "engine/fnv.h"
#include "engine/model/project_ids.h"
#include "engine/pool/sample_pool.h"

namespace ob {
namespace {

const zip::Limits kDocumentZipLimits{10000, 0x40000000ull, 0x80000000ull};
// The largest project or package file read: 3 GiB.
constexpr std::uint64_t kMaxDocumentFileBytes = 0xC0000000ull;
constexpr const char* kLegacyDocumentName = "project.json";
constexpr std::string_view kLegacySamplePrefix = "samples/";

std::string_view asText(const std::uint8_t* bytes, std::size_t size) {
  return std::string_view(reinterpret_cast<const char*>(bytes), size);
}

std::string_view withoutByteOrderMark(std::string_view text) {
  if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
      static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF)
    text.remove_prefix(3);
  return text;
}

std::uint64_t hashBytes(const std::uint8_t* bytes, std::size_t size) { return fnv1a64(asText(bytes, size)); }

const zip::Entry* findEntry(const std::vector<zip::Entry>& entries, std::string_view name) {
  for (const zip::Entry& e : entries)
    if (e.name == name) return &e;
  return nullptr;
}

// The document's text parsed once, for whichever reader takes it.
struct ParsedText {
  JsonValue root;
  std::string error;  // the parser's message; empty when the text parsed
};

ParsedText parseText(const std::uint8_t* bytes, std::size_t size) {
  ParsedText text;
  if (!parseJson(withoutByteOrderMark(asText(bytes, size)), text.root, text.error) && text.error.empty())
    text.error = "parse error";
  return text;
}

bool isInstanceRoot(const JsonValue& root) {
  const JsonValue* kind = root.isObject() ? root.find("kind") : nullptr;
  return kind != nullptr && kind->isString() && kind->text == "instance";
}

// Decided by the central directory alone, so a damaged or refused
// "instance.json" is still read, and reported, as an instance package.
bool namesInstanceEntry(const std::uint8_t* bytes, std::size_t size) {
  Diagnostics own;
  const auto directory = zip::readZipDirectory(bytes, size, own, kDocumentZipLimits);
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

// Loads slot i's audio from its reference; a problem leaves the slot silent
// with one warning.
void loadReferencedSample(const Package& package, const std::string& ref, const SampleSlot& entry, int i,
                          SamplePool& pool, Diagnostics& diagnostics) {
  const std::string path = memberPath("/assets", fixedText(entry.id, sizeof entry.id));
  const std::optional<AssetRef> parsed = parseAssetRef(ref);
  bool loaded = false;
  if (!parsed) {
    diagnostics.warn("bad-asset-ref", path, "Not an asset reference; the sample plays silent");
  } else if (parsed->kind == kAssetRefFactory) {
    // The resolver takes the bare sample name, without the set word.
    std::string name;
    std::vector<std::uint8_t> bytes;
    if (parseFactoryRef(ref, name)) bytes = resolveSample(name);
    loaded = !bytes.empty() && replaceSlotWav(pool, static_cast<std::uint32_t>(i), std::move(bytes)) >= 0;
    if (!loaded) {
      diagnostics.warn("missing-factory-sample", path,
                       "This build has no bundled sample \"" + ref.substr(8) + "\"; the sample plays silent");
    }
  } else {
    const std::vector<std::uint8_t>* bytes = findAsset(package, parsed->value);
    if (bytes == nullptr) {
      diagnostics.warn("missing-asset", path, "The archive has no such asset; the sample plays silent");
    } else {
      loaded = addDecoded(pool, i, *bytes);
      if (!loaded)
        diagnostics.warn("asset-unreadable", path, "Not audio this build reads; the sample plays silent");
    }
  }
  if (!loaded) pool.slot(i);
}

void reportUnreadableLegacy(DocumentSource source, const char* path, const std::string& error,
                            Diagnostics& diagnostics) {
  if (source == DocumentSource::File)
    diagnostics.error("legacy-unreadable", path, "The project cannot be read: " + error);
}

bool readInstancePackage(Package package, const std::uint8_t* bytes, std::size_t size, Project& project,
                         SamplePool& pool, KeptDocument& kept, std::uint64_t currentSeed,
                         Diagnostics& diagnostics, std::string& error) {
  std::vector<std::string> refs;
  if (!readInstanceState(package.document, project, refs, diagnostics)) {
    error = joinDiagnosticMessages(diagnostics);
    return false;
  }
  sanitizeProject(project);
  const int count = project.samples.count;
  for (int i = 0; i < count; ++i) {
    if (static_cast<std::size_t>(i) >= refs.size() || refs[i].empty()) continue;
    loadReferencedSample(package, refs[i], project.samples.slots[i], i, pool, diagnostics);
  }
  if (project.seed == 0) project.seed = currentSeed != 0 ? currentSeed : hashBytes(bytes, size);

  const JsonValue rewritten = writeInstanceState(project, refs, isKitOnlyDocument(package.document) ? 1u : 0u,
                                                 kPluginVersionText, "");
  std::vector<std::string> path;
  collectForeignMembers(kept.foreignMembers, package.document, rewritten, path);
  kept.loadedDocument = std::move(package.document);
  kept.keptEntries = std::move(package.otherEntries);
  return true;
}

// An instance document given as text, already parsed.
bool readInstanceText(JsonValue document, const std::uint8_t* bytes, std::size_t size, Project& project,
                      SamplePool& pool, KeptDocument& kept, std::uint64_t currentSeed,
                      Diagnostics& diagnostics, std::string& error) {
  Package package;
  package.document = std::move(document);
  return readInstancePackage(std::move(package), bytes, size, project, pool, kept, currentSeed, diagnostics,
                             error);
}

// A legacy package is read for its document and the samples it may name;
// nothing else in it is unpacked, and nothing that claims to grow beyond
// reason.
std::optional<std::vector<zip::Entry>> unpackLegacyArchive(const std::uint8_t* bytes, std::size_t size,
                                                           Diagnostics& diagnostics) {
  bool documentRefused = false;
  auto admit = [&](const zip::DirectoryRecord& record) {
    const bool isDocument = record.name == kLegacyDocumentName;
    if (!isDocument && record.name.rfind(kLegacySamplePrefix, 0) != 0) return false;
    if (!claimsTooMuchGrowth(record)) return true;
    documentRefused = documentRefused || isDocument;
    return false;
  };
  auto entries = zip::readZip(bytes, size, diagnostics, kDocumentZipLimits, admit);
  if (entries && documentRefused) {
    reportOvergrownDocument(diagnostics, kLegacyDocumentName);
    return std::nullopt;
  }
  return entries;
}

bool readLegacyArchive(const std::uint8_t* bytes, std::size_t size, Project& project, SamplePool& pool,
                       Diagnostics& diagnostics, std::string& error, DocumentSource source) {
  const auto entries = unpackLegacyArchive(bytes, size, diagnostics);
  if (!entries) {
    error = joinDiagnosticMessages(diagnostics);
    return false;
  }
  const zip::Entry* doc = findEntry(*entries, kLegacyDocumentName);
  if (doc == nullptr) {
    error = "package is missing project.json";
    return false;
  }
  const std::string_view text = withoutByteOrderMark(asText(doc->data.data(), doc->data.size()));
  if (!readLegacyProject(text, project, &error, &diagnostics)) {
    reportUnreadableLegacy(source, "/project.json", error, diagnostics);
    return false;
  }
  const int count = project.samples.count < kSampleSlots ? project.samples.count : kSampleSlots;
  for (int i = 0; i < count; ++i) {
    const std::string name = fixedText(project.samples.slots[i].name, sizeof project.samples.slots[i].name);
    const zip::Entry* audio =
        name.empty() ? nullptr : findEntry(*entries, std::string(kLegacySamplePrefix) + name);
    if (audio != nullptr && addDecoded(pool, i, audio->data)) continue;
    pool.slot(i);
    diagnostics.warn("missing-asset", indexPath("/samples", static_cast<std::uint64_t>(i)),
                     "No readable audio for " + name + "; the sample plays silent");
  }
  project.seed = hashBytes(bytes, size);
  return true;
}

// The text form carries no audio.
bool readLegacyText(const ParsedText& text, const std::uint8_t* bytes, std::size_t size, Project& project,
                    Diagnostics& diagnostics, std::string& error, DocumentSource source) {
  if (text.error.empty() && text.root.isObject()) {
    if (const JsonValue* kind = text.root.find("kind")) {
      diagnostics.error(
          "not-an-instance", "/kind",
          "A " + (kind->isString() ? kind->text : std::string("?")) + " document is not a Orbitrane state");
      error = joinDiagnosticMessages(diagnostics);
      return false;
    }
  }
  if (!text.error.empty()) {
    error = text.error;
  } else if (readLegacyProject(text.root, project, &error, &diagnostics)) {
    project.seed = hashBytes(bytes, size);
    return true;
  }
  reportUnreadableLegacy(source, "", error, diagnostics);
  return false;
}

bool readDocumentUnguarded(const std::uint8_t* bytes, std::size_t size, Project& project, SamplePool& pool,
                           KeptDocument& kept, std::string* error, Diagnostics& diagnostics,
                           DocumentSource source) {
  std::unique_ptr<Project> fresh = makeProject();
  if (!fresh) {
    if (error != nullptr) *error = "out of memory";
    return false;
  }
  SamplePool freshPool;
  KeptDocument freshKept;
  std::string localError;
  bool ok = false;
  if (zip::looksLikeZip(bytes, size)) {
    ok = namesInstanceEntry(bytes, size)
             ? readInstanceDocument(bytes, size, *fresh, freshPool, freshKept, project.seed, diagnostics,
                                    localError)
             : readLegacyProjectDocument(bytes, size, *fresh, freshPool, diagnostics, localError, source);
  } else {
    ParsedText text = parseText(bytes, size);
    ok = text.error.empty() && isInstanceRoot(text.root)
             ? readInstanceText(std::move(text.root), bytes, size, *fresh, freshPool, freshKept, project.seed,
                                diagnostics, localError)
             : readLegacyText(text, bytes, size, *fresh, diagnostics, localError, source);
  }
  if (!ok) {
    if (error != nullptr) *error = !localError.empty() ? localError : joinDiagnosticMessages(diagnostics);
    return false;
  }
  sanitizeProject(*fresh);
  assignSampleIds(fresh->samples);
  matchFactorySamples(fresh->samples, freshPool);
  project = *fresh;
  pool = std::move(freshPool);
  kept = std::move(freshKept);
  return true;
}

}  // namespace

bool isKitOnlyDocument(const JsonValue& document) {
  if (!document.isObject()) return true;
  const JsonValue* state = document.find("state");
  return state == nullptr || !state->isObject() || state->find("project") == nullptr;
}

bool isInstanceBytes(const std::uint8_t* bytes, std::size_t size) {
  if (zip::looksLikeZip(bytes, size)) return namesInstanceEntry(bytes, size);
  const ParsedText text = parseText(bytes, size);
  return text.error.empty() && isInstanceRoot(text.root);
}

bool readInstanceDocument(const std::uint8_t* bytes, std::size_t size, Project& project, SamplePool& pool,
                          KeptDocument& kept, std::uint64_t currentSeed, Diagnostics& diagnostics,
                          std::string& error) {
  std::optional<Package> package = readPackage(bytes, size, "instance.json", diagnostics, kDocumentZipLimits);
  if (!package) {
    error = joinDiagnosticMessages(diagnostics);
    return false;
  }
  return readInstancePackage(std::move(*package), bytes, size, project, pool, kept, currentSeed, diagnostics,
                             error);
}

bool readLegacyProjectDocument(const std::uint8_t* bytes, std::size_t size, Project& project,
                               SamplePool& pool, Diagnostics& diagnostics, std::string& error,
                               DocumentSource source) {
  if (zip::looksLikeZip(bytes, size))
    return readLegacyArchive(bytes, size, project, pool, diagnostics, error, source);
  return readLegacyText(parseText(bytes, size), bytes, size, project, diagnostics, error, source);
}

bool readDocument(const std::uint8_t* bytes, std::size_t size, Project& project, SamplePool& pool,
                  KeptDocument& kept, std::string* error, Diagnostics* diagnostics, DocumentSource source) {
  Diagnostics own;
  Diagnostics& list = diagnostics != nullptr ? *diagnostics : own;
  try {
    return readDocumentUnguarded(bytes, size, project, pool, kept, error, list, source);
  } catch (const std::bad_alloc&) {
    // Nothing was handed over before the last step, which cannot throw.
    list.error("out-of-memory", "", "Not enough memory to read the document");
    if (error != nullptr) *error = "Not enough memory to read the document";
    return false;
  }
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
  const std::string_view text = withoutByteOrderMark(asText(bytes, count));
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && text[first] == '{') return true;
  return refuse("not a project file");
}

bool readDocumentFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string& why) {
  const FileHeaderCheck head{kDocumentHeadBytes, [&why](const std::uint8_t* data, std::size_t count) {
                               return opensAsDocument(data, count, &why);
                             }};
  switch (readRegularFile(path, bytes, kMaxDocumentFileBytes, head)) {
    case FileReadStatus::Read: return true;
    case FileReadStatus::Missing: why = "no such file"; break;
    case FileReadStatus::Forbidden: why = "permission denied"; break;
    case FileReadStatus::CannotOpen: why = "cannot open the file"; break;
    case FileReadStatus::NotARegularFile: why = "not a regular file"; break;
    case FileReadStatus::TooLarge:
      why = "the file is larger than " + std::to_string(kMaxDocumentFileBytes >> 30) + " GiB";
      break;
    case FileReadStatus::RefusedHeader: break;  // the check said why
    case FileReadStatus::ReadFailed: why = "cannot read the file"; break;
  }
  return false;
}

bool loadDocumentFile(const std::filesystem::path& path, Project& project, SamplePool& pool,
                      KeptDocument& kept, std::string* error, Diagnostics* diagnostics) {
  std::vector<std::uint8_t> bytes;
  std::string why;
  if (!readDocumentFile(path, bytes, why)) {
    if (error != nullptr) *error = std::move(why);
    return false;
  }
  return readDocument(bytes, project, pool, kept, error, diagnostics);
}

}  // namespace ob
