#pragma once
// The one road from saved bytes to a running project: an instance document
// (JSON text or a zip package) or a legacy project (JSON text or a zip with
// its samples) is read into a fresh project, pool and kept document, checked
// against the model's ranges, and only then handed over. A load succeeds as
// a whole or leaves the caller's project, pool and kept document exactly as
// they were.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "document/archive/zip_entry.h"
#include "document/diagnostics.h"
#include "document/json/json_value.h"
#include "document/project/kept_document.h"
#include "document/reading/byte_source.h"
#include "engine/model/project.h"

namespace ob {

class SamplePool;

inline constexpr const char* kPluginVersionText = "0.0.6";

// Who reads. Bytes that are neither an instance document nor readable legacy
// text are named "legacy-unreadable" on a file load; a state load leaves the
// list without an error of its own, so its caller rejects the state in its
// own words.
enum class DocumentSource : std::uint8_t { File, State };

// The whole load. The project's seed on entry is the instance's current seed.
// On success the project is replaced, the pool takes the new samples (its
// previous slots are displaced, not freed) and kept is replaced by what the
// next save puts back. On failure only the error text and the list change.
// Both may be null. shareFrom, when given, is the pool the caller is about
// to replace: a sample file it holds byte for byte is shared, not decoded
// again, so that loading what is already loaded costs no second copy.
//
// What is held while reading stays bounded: a document's text is refused
// beyond kMaxDocumentTextBytes ("document-too-large") before it is read or
// unpacked, an archive is read entry by entry from its source, each sample
// file is unpacked only when a slot names it and decoded once however many
// slots do, and the fresh pool takes the caller's pool's limits: a file
// over them is left out with a warning ("sample-too-large",
// "samples-over-budget") before it is unpacked or decoded, and its slots
// play silent.
//
// Whatever a load takes, its save writes and the load takes again: the
// save of what was read is laid out and measured as writeProjectDocument
// lays it out and measures it, before anything is handed over, and the
// load fails whole ("unsaveable": "The state could not be saved again: "
// and the limit) when a save would be refused. Where only the archive's
// size passes its limit because samples read deflated would be written
// whole, those keep their packed bytes in kept, and a save copies them as
// read. `limits` are the archive limits of both; tests give small ones.
bool readDocument(const ByteSource& source, Project& project, SamplePool& pool, KeptDocument& kept,
                  std::string* error, Diagnostics* diagnostics,
                  DocumentSource documentSource = DocumentSource::File, const SamplePool* shareFrom = nullptr,
                  const zip::Limits& limits = {});
// The same from a source the caller may change: what of it is in the
// plug-in's own keeping is given back as its samples are decoded (see
// SampleFileOrigin::readOnce).
bool readDocument(ByteSource& source, Project& project, SamplePool& pool, KeptDocument& kept,
                  std::string* error, Diagnostics* diagnostics,
                  DocumentSource documentSource = DocumentSource::File, const SamplePool* shareFrom = nullptr,
                  const zip::Limits& limits = {});
bool readDocument(const std::uint8_t* bytes, std::size_t size, Project& project, SamplePool& pool,
                  KeptDocument& kept, std::string* error, Diagnostics* diagnostics,
                  DocumentSource source = DocumentSource::File, const SamplePool* shareFrom = nullptr);
bool readDocument(const std::vector<std::uint8_t>& bytes, Project& project, SamplePool& pool,
                  KeptDocument& kept, std::string* error, Diagnostics* diagnostics);

// Opens the file as readDocumentFile would and reads the document from it
// piece by piece, never whole. A file that cannot be opened fails with
// readDocumentFile's reason, which leaves naming the file to the caller.
bool loadDocumentFile(const std::filesystem::path& path, Project& project, SamplePool& pool,
                      KeptDocument& kept, std::string* error, Diagnostics* diagnostics,
                      const SamplePool* shareFrom = nullptr);

// How much of a file opensAsDocument sees before the rest is read; every
// writer opens its root object well within it.
inline constexpr std::size_t kDocumentHeadBytes = 4096;

// Whether a file's first bytes can begin a project: a zip archive ("PK"
// and a local or an end record), or JSON text whose root object opens
// after an optional byte-order mark and blanks, within the bytes given.
// When not, *why (when given) says so: "the file is empty" or "not a
// project file".
bool opensAsDocument(const std::uint8_t* bytes, std::size_t count, std::string* why = nullptr);

// A project file's bytes, read whole only when it is a regular file within
// the size limit whose first bytes pass opensAsDocument; otherwise false,
// bytes empty and why holding a short reason: "no such file", "permission
// denied", "cannot open the file", "not a regular file", "the file is
// larger than 3 GiB", "the file is empty", "not a project file" or
// "cannot read the file".
bool readDocumentFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string& why);

// A zip whose directory names "instance.json" (readable or not, so that a
// damaged one fails with its own error), or JSON text (after an optional
// byte-order mark) whose "kind" is "instance".
bool isInstanceBytes(const std::uint8_t* bytes, std::size_t size);

// The two readers, each into a fresh project, pool and kept document that
// the caller discards on failure. Of a legacy project only the entries of
// its archive that no slot takes are kept: its document is read, not kept.
bool readInstanceDocument(const std::uint8_t* bytes, std::size_t size, Project& project, SamplePool& pool,
                          KeptDocument& kept, std::uint64_t currentSeed, Diagnostics& diagnostics,
                          std::string& error);
bool readLegacyProjectDocument(const std::uint8_t* bytes, std::size_t size, Project& project,
                               SamplePool& pool, KeptDocument& kept, Diagnostics& diagnostics,
                               std::string& error, DocumentSource source = DocumentSource::File);

// False exactly when the document's "state" object has a "project" member.
bool isKitOnlyDocument(const JsonValue& document);

// Of an instance document read into the project (with its samples'
// references and the keys its records were read by): what it holds that
// the project's own rewrite lacks, and how it spelled what the rewrite
// writes, goes into kept for the next save to put back (writeKeptDocument).
// A kit's load keeps its file's so, too.
void keepWhatItsRewriteLacks(JsonValue document, const Project& project, const std::vector<std::string>& refs,
                             KeysAsLoaded keys, bool auditionGridRead, KeptDocument& kept);

}  // namespace ob
