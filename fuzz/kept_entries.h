#pragma once
// The rule a load and a save keep together, for the targets that do both:
// every entry of an instance package that a load located is in the save,
// as it was stored or, for one it played, with the same bytes unpacked,
// unless the load said it dropped it; and every "asset:" reference of the
// loaded document's "assets" is in the saved one as written.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/archive/zip_index.h"
#include "document/diagnostics.h"
#include "document/instance/instance_shape.h"
#include "document/package/package.h"

namespace obfuzz {

inline std::optional<ob::zip::ArchiveIndex> indexOf(const ob::ByteSource& source) {
  ob::Diagnostics unused;
  return ob::zip::ArchiveIndex::open(source, unused, {});
}

inline bool dropped(const ob::Diagnostics& load, const std::string& name) {
  for (const ob::Diagnostic& d : load)
    if (d.code == "entry-dropped" && d.path == "/" + name) return true;
  return false;
}

// Whether saved keeps what the load of original (with its findings) read.
inline bool keepsWhatTheLoadRead(const std::uint8_t* original, std::size_t size,
                                 const std::vector<std::uint8_t>& saved, const ob::Diagnostics& load) {
  const ob::MemoryBytes from(original, size);
  const std::optional<ob::zip::ArchiveIndex> before = indexOf(from);
  if (!before || before->find("instance.json") == nullptr) return true;  // not a package
  const ob::MemoryBytes to(saved.data(), saved.size());
  const std::optional<ob::zip::ArchiveIndex> after = indexOf(to);
  for (const ob::zip::LocatedEntry& entry : before->entries()) {
    const std::string& name = entry.record.name;
    if (name == "instance.json" || dropped(load, name)) continue;
    const ob::zip::LocatedEntry* again = after ? after->find(name) : nullptr;
    if (again == nullptr) return false;
    const bool asStored = again->record.method == entry.record.method &&
                          again->record.crc == entry.record.crc && again->record.size == entry.record.size &&
                          after->stored(*again) == before->stored(entry);
    ob::Diagnostics unused;
    if (!asStored && before->unpack(entry, unused) != after->unpack(*again, unused)) return false;
  }
  // Read as a load reads them: what no reader looks at stays text.
  ob::Diagnostics unused;
  const ob::JsonShape* shape = &ob::instanceDocumentShape();
  std::optional<ob::PackageReader> loaded = ob::PackageReader::open(from, "instance.json", unused, {}, shape);
  std::optional<ob::PackageReader> written = ob::PackageReader::open(to, "instance.json", unused, {}, shape);
  const ob::JsonValue* refs = loaded ? loaded->package().document.find("assets") : nullptr;
  const ob::JsonValue* savedRefs = written ? written->package().document.find("assets") : nullptr;
  for (std::size_t i = 0; refs != nullptr && refs->isObject() && i < refs->members.size(); ++i) {
    const ob::JsonMember& ref = refs->members[i];
    if (!ref.value.isString() || !ref.value.text.starts_with("asset:")) continue;
    const ob::JsonValue* again = savedRefs != nullptr ? savedRefs->find(ref.key) : nullptr;
    if (again == nullptr || !again->isString() || again->text != ref.value.text) return false;
  }
  return true;
}

}  // namespace obfuzz
