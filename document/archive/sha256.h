#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace ob {

// SHA-256 of the whole span as 64 lower-case hexadecimal digits.
std::string sha256Hex(const std::uint8_t* bytes, std::size_t length);

// The same over bytes given a piece at a time.
class Sha256 {
 public:
  Sha256();
  void add(const std::uint8_t* bytes, std::size_t length);
  // The digest of everything added so far, read as often as wanted: it is
  // finished on a copy, so more may still be added.
  std::string hex() const;

 private:
  std::uint32_t state_[8];
  std::uint8_t pending_[64];
  std::size_t pendingBytes_ = 0;
  std::uint64_t length_ = 0;
};

// The compression function on one 64-byte block, words read big-endian.
void sha256Block(std::uint32_t state[8], const std::uint8_t block[64]);

}  // namespace ob
