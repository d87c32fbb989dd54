#include "document/archive/sha256.h"

#include <algorithm>
#include <cstring>

#include "document/archive/cpu_features.h"
#include "document/archive/sha256_blocks.h"

namespace ob {
namespace {

constexpr std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

Sha256Blocks chooseBlocks() {
#if defined(__x86_64__)
  if (cpuHasSha256Instructions()) return sha256::x86Blocks;
#elif defined(__aarch64__)
  if (cpuHasSha256Instructions()) return sha256::armBlocks;
#endif
  return sha256::portableBlocks;
}

}  // namespace

Sha256Blocks portableSha256Blocks() { return sha256::portableBlocks; }

Sha256Blocks fastestSha256Blocks() {
  static const Sha256Blocks chosen = chooseBlocks();
  return chosen;
}

void sha256Block(std::uint32_t state[8], const std::uint8_t block[64]) {
  fastestSha256Blocks()(state, block, 1);
}

Sha256::Sha256(Sha256Blocks blocks) : blocks_(blocks) { std::memcpy(state_, kInitial, sizeof state_); }

void Sha256::add(const std::uint8_t* bytes, std::size_t length) {
  length_ += length;
  if (pendingBytes_ > 0) {
    const std::size_t n = std::min(length, 64 - pendingBytes_);
    std::memcpy(pending_ + pendingBytes_, bytes, n);
    pendingBytes_ += n;
    bytes += n;
    length -= n;
    if (pendingBytes_ < 64) return;
    blocks_(state_, pending_, 1);
    pendingBytes_ = 0;
  }
  const std::size_t whole = length / 64;
  if (whole > 0) blocks_(state_, bytes, whole);
  bytes += whole * 64;
  length -= whole * 64;
  if (length > 0) std::memcpy(pending_, bytes, length);
  pendingBytes_ = length;
}

std::string Sha256::hex() const {
  // Padding: 0x80, zeros, then the bit length big-endian at the end of the
  // first or, when it does not fit after the remainder, the second block.
  std::uint8_t tail[128] = {};
  const std::size_t rest = pendingBytes_;
  if (rest) std::memcpy(tail, pending_, rest);
  tail[rest] = 0x80;
  const std::size_t blocks = rest + 9 <= 64 ? 1 : 2;
  const std::uint64_t bits = length_ * 8;
  for (int i = 0; i < 8; ++i) tail[blocks * 64 - 1 - i] = std::uint8_t(bits >> (8 * i));
  std::uint32_t state[8];
  std::memcpy(state, state_, sizeof state);
  blocks_(state, tail, blocks);

  static constexpr char kHex[] = "0123456789abcdef";
  std::string out(64, '0');
  for (int i = 0; i < 8; ++i)
    for (int k = 0; k < 8; ++k) out[8 * i + k] = kHex[(state[i] >> (28 - 4 * k)) & 0xF];
  return out;
}

std::string sha256Hex(const std::uint8_t* bytes, std::size_t length) {
  Sha256 hash;
  hash.add(bytes, length);
  return hash.hex();
}

}  // namespace ob
