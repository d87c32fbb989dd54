#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/little_endian.h"

namespace ob::zip {

// The archive's fields are little-endian.
using ob::readU16LE;
using ob::readU32LE;
using ob::writeU16LE;
using ob::writeU32LE;

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
inline constexpr std::uint32_t kEndRecordSignature = 0x06054b50;
inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndRecordSize = 22;

// True when the bytes begin like an archive: a local header, or the end
// record of an empty archive.
bool looksLikeZip(const std::uint8_t* bytes, std::size_t size);

// A name that cannot leave the archive when extracted: 1 to 65,535 bytes, no
// leading "/", no backslash, no drive letter, no ".." segment, no control
// bytes.
bool isSafeEntryName(std::string_view name);

// A compression method as people know it ("bzip2", "LZMA"), or "method
// 17" for one without a common name.
std::string methodName(std::uint16_t method);

}  // namespace ob::zip
