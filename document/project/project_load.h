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

#include "document/diagnostics.h"
#include "document/json/json_value.h"
#include "document/project/kept_document.h"
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
// Both may be null.
bool readDocument(const std::uint8_t* bytes, std::size_t size, Project& project, SamplePool& pool,
                  KeptDocument& kept, std::string* error, Diagnostics* diagnostics,
                  DocumentSource source = DocumentSource::File);
bool readDocument(const std::vector<std::uint8_t>& bytes, Project& project, SamplePool& pool,
                  KeptDocument& kept, std::string* error, Diagnostics* diagnostics);

// Reads the whole file and calls readDocument; "cannot open " + path when the
// file cannot be read.
bool loadDocumentFile(const std::filesystem::path& path, Project& project, SamplePool& pool,
                      KeptDocument& kept, std::string* error, Diagnostics* diagnostics);

// A zip whose directory names "instance.json" (readable or not, so that a
// damaged one fails with its own error), or JSON text (after an optional
// byte-order mark) whose "kind" is "instance".
bool isInstanceBytes(const std::uint8_t* bytes, std::size_t size);

// The two readers, each into a fresh project, pool and kept document that
// the caller discards on failure. A legacy project keeps nothing.
bool readInstanceDocument(const std::uint8_t* bytes, std::size_t size, Project& project, SamplePool& pool,
                          KeptDocument& kept, std::uint64_t currentSeed, Diagnostics& diagnostics,
                          std::string& error);
bool readLegacyProjectDocument(const std::uint8_t* bytes, std::size_t size, Project& project,
                               SamplePool& pool, Diagnostics& diagnostics, std::string& error,
                               DocumentSource source = DocumentSource::File);

// False exactly when the document's "state" object has a "project" member.
bool isKitOnlyDocument(const JsonValue& document);

}  // namespace ob
