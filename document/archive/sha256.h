#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace ob {

// SHA-256 of the whole span as 64 lower-case hexadecimal digits.
std::string sha256Hex(const std::uint8_t* bytes, std::size_t length);

// The compression function over `count` whole 64-byte blocks in turn.
using Sha256Blocks = void (*)(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count);
// The one written for any CPU, and the fastest this CPU runs: its own
// instructions where it has them (asked once), else the portable one.
// Both give the same state.
Sha256Blocks portableSha256Blocks();
Sha256Blocks fastestSha256Blocks();

// The same over bytes given a piece at a time.
class Sha256 {
 public:
  explicit Sha256(Sha256Blocks blocks = fastestSha256Blocks());
  void add(const std::uint8_t* bytes, std::size_t length);
  // The digest of everything added so far, read as often as wanted: it is
  // finished on a copy, so more may still be added.
  std::string hex() const;

 private:
  Sha256Blocks blocks_;
  std::uint32_t state_[8];
  std::uint8_t pending_[64];
  std::size_t pendingBytes_ = 0;
  std::uint64_t length_ = 0;
};

// The compression function on one 64-byte block, words read big-endian.
void sha256Block(std::uint32_t state[8], const std::uint8_t block[64]);

}  // namespace ob
