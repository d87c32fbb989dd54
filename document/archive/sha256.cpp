#include "document/archive/sha256.h"

#include <algorithm>
#include <cstring>

namespace ob {
namespace {

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

// Always inlined: the builds tests run at -Og would otherwise call it a
// hundred times a block, most of what hashing a sample costs there.
[[gnu::always_inline]] constexpr std::uint32_t rotr(std::uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}

}  // namespace

void sha256Block(std::uint32_t state[8], const std::uint8_t block[64]) {
  std::uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = std::uint32_t(block[4 * i]) << 24 | std::uint32_t(block[4 * i + 1]) << 16 |
           std::uint32_t(block[4 * i + 2]) << 8 | std::uint32_t(block[4 * i + 3]);
  for (int i = 16; i < 64; ++i) {
    const std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t t1 =
        h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
    const std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
  state[5] += f;
  state[6] += g;
  state[7] += h;
}

Sha256::Sha256() { std::memcpy(state_, kInitial, sizeof state_); }

void Sha256::add(const std::uint8_t* bytes, std::size_t length) {
  length_ += length;
  if (pendingBytes_ > 0) {
    const std::size_t n = std::min(length, 64 - pendingBytes_);
    std::memcpy(pending_ + pendingBytes_, bytes, n);
    pendingBytes_ += n;
    bytes += n;
    length -= n;
    if (pendingBytes_ < 64) return;
    sha256Block(state_, pending_);
    pendingBytes_ = 0;
  }
  for (; length >= 64; bytes += 64, length -= 64) sha256Block(state_, bytes);
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
  sha256Block(state, tail);
  if (blocks == 2) sha256Block(state, tail + 64);

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
