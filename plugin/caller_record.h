#pragma once
// Hands a filled record to a host that declares the size of its own record
// in the first four bytes: only that many bytes are written, so a host
// built against an older, shorter record keeps the memory after it, and the
// size stays as the caller set it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ob::clap {

// False, with nothing written, for a null record or a declared size below
// the size field itself.
template <typename Record>
bool writeCallerRecord(Record* out, const Record& full) {
  static_assert(offsetof(Record, size) == 0 && sizeof full.size == sizeof(std::uint32_t));
  if (out == nullptr || out->size < sizeof out->size) return false;
  const std::size_t n = std::min<std::size_t>(out->size, sizeof full);
  constexpr std::size_t kSizeField = sizeof full.size;
  std::memcpy(reinterpret_cast<unsigned char*>(out) + kSizeField,
              reinterpret_cast<const unsigned char*>(&full) + kSizeField, n - kSizeField);
  return true;
}

}  // namespace ob::clap
