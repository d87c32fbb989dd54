#pragma once
// The central directory of an untrusted archive, read and held against the
// caller's limits before a single entry is unpacked, so that declared sizes
// beyond the limits fail the read without costing any memory.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/archive/zip_entry.h"
#include "document/diagnostics.h"
#include "document/reading/byte_source.h"

namespace ob::zip {

// The directory is read whole before its records: 16 MiB holds 10,000
// records with names of over 1,500 bytes, while a crafted one could claim
// gigabytes of a file.
inline constexpr std::uint32_t kMaxDirectoryBytes = std::uint32_t(16) << 20;

// One central-directory record as the archive declares it; nothing in it is
// trusted beyond the limits it passed.
struct DirectoryRecord {
  std::string name;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint32_t packedSize = 0;
  std::uint32_t size = 0;  // declared unpacked size
  std::uint32_t localOffset = 0;
};

// Every record, directories included, in directory order, once the whole
// directory is known to be readable and within the limits; nothing after
// reporting one error. Only the archive's end and its directory are read.
std::optional<std::vector<DirectoryRecord>> readZipDirectory(const ByteSource& source,
                                                             Diagnostics& diagnostics, const Limits& limits);
std::optional<std::vector<DirectoryRecord>> readZipDirectory(const std::uint8_t* bytes, std::size_t size,
                                                             Diagnostics& diagnostics, const Limits& limits);

}  // namespace ob::zip
