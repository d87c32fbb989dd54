#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/shared_bytes.h"

namespace ob::zip {

// One file of an archive. `compress` asks the writer to deflate the entry
// when that makes it smaller; the reader sets it for deflated entries.
struct Entry {
  std::string name;  // "/"-separated path, byte for byte
  std::vector<std::uint8_t> data;
  bool compress = false;
};

// How an entry was stored in the archive it came from, for copying it into
// another as it is, never unpacked: its method (0 stored, 8 deflated, or
// any other), its flags, and what it unpacks to.
struct PackedForm {
  std::uint16_t method = 0;
  std::uint16_t flags = 0;  // only kPayloadFlags
  std::uint32_t crc = 0;    // CRC-32 of the unpacked bytes, as declared
  std::uint32_t size = 0;   // unpacked, as declared
};

// The flag bits a copy keeps as they were read: all but the one that says
// the sizes follow the data, which a copy writes in its header instead.
// Encryption, the method's own options (an LZMA stream's end marker, say)
// and whether the name is UTF-8 go back as they came.
inline constexpr std::uint16_t kPayloadFlags = 0xFFF7;

// An entry as its archive stores it, held unread for copying into another:
// its payload, packed or not, shared with whatever else holds it, and how
// it is packed.
struct StoredEntry {
  std::string name;
  SharedBytes payload;
  PackedForm form;
};

// Bounds the reader holds an untrusted archive to. The defaults are the ones
// every document reader passes, and every save is measured by.
struct Limits {
  std::uint64_t maxEntries = 10000;
  std::uint64_t maxEntrySize = 0x40000000;     // declared unpacked size of one entry
  std::uint64_t maxTotalSize = 0x80000000;     // sum over all records, directories too
  std::uint64_t maxArchiveBytes = 0xC0000000;  // the whole archive as stored
};

}  // namespace ob::zip
