#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ob::zip {

// One file of an archive. `compress` asks the writer to deflate the entry
// when that makes it smaller; the reader sets it for deflated entries.
struct Entry {
  std::string name;  // "/"-separated path, byte for byte
  std::vector<std::uint8_t> data;
  bool compress = false;
};

// How an entry was stored in the archive it came from, for copying it into
// another as it is, never unpacked: its method (0 stored, 8 deflated) and
// what it unpacks to.
struct PackedForm {
  std::uint16_t method = 0;
  std::uint32_t crc = 0;   // CRC-32 of the unpacked bytes
  std::uint32_t size = 0;  // unpacked
};

// Bounds the reader holds an untrusted archive to. The defaults are the ones
// every document reader passes.
struct Limits {
  std::uint64_t maxEntries = 10000;
  std::uint64_t maxEntrySize = 0x40000000;  // declared unpacked size of one entry
  std::uint64_t maxTotalSize = 0x80000000;  // sum over all records, directories too
};

}  // namespace ob::zip
