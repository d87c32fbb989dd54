#include "document/archive/deflate.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "document/archive/deflate_tables.h"

namespace ob::zip {
namespace {

constexpr std::size_t kWindow = 32768;
constexpr std::size_t kHashSize = 32768;
constexpr int kMaxCandidates = 64;
constexpr std::size_t kMaxMatch = 258;
constexpr std::size_t kMinMatch = 3;

constexpr std::uint32_t reverseBits(std::uint32_t code, int n) {
  std::uint32_t r = 0;
  for (int i = 0; i < n; ++i) r |= ((code >> i) & 1u) << (n - 1 - i);
  return r;
}

// Fixed-code table: each code stored bit-reversed so it can go out least
// significant bit first, with its length.
struct FixedEncoding {
  std::uint16_t litCode[288] = {};
  std::uint8_t litBits[288] = {};
  std::uint8_t distCode[30] = {};
  // Length and distance symbols by value, so that a match needs no search.
  std::uint8_t lengthSymbol[kMaxMatch + 1] = {};
  std::uint8_t distSymbolSmall[512] = {};  // distances 1..512
  std::uint8_t distSymbolLarge[256] = {};  // (distance - 1) >> 7 for the rest

  FixedEncoding() {
    for (int s = 0; s < 288; ++s) {
      std::uint32_t code;
      int bits;
      if (s < 144) {
        code = 0x30 + s, bits = 8;
      } else if (s < 256) {
        code = 0x190 + (s - 144), bits = 9;
      } else if (s < 280) {
        code = s - 256, bits = 7;
      } else {
        code = 0xC0 + (s - 280), bits = 8;
      }
      litCode[s] = std::uint16_t(reverseBits(code, bits));
      litBits[s] = std::uint8_t(bits);
    }
    for (int s = 0; s < 30; ++s) distCode[s] = std::uint8_t(reverseBits(std::uint32_t(s), 5));
    for (std::size_t len = kMinMatch; len <= kMaxMatch; ++len) {
      int s = 28;
      while (kLengthBase[s] > len) --s;
      lengthSymbol[len] = std::uint8_t(s);
    }
    for (std::size_t d = 1; d <= 32768; ++d) {
      int s = 29;
      while (kDistBase[s] > d) --s;
      if (d <= 512)
        distSymbolSmall[d - 1] = std::uint8_t(s);
      else
        distSymbolLarge[(d - 1) >> 7] = std::uint8_t(s);
    }
  }

  int distSymbol(std::size_t d) const {
    return d <= 512 ? distSymbolSmall[d - 1] : distSymbolLarge[(d - 1) >> 7];
  }
};

const FixedEncoding& fixedEncoding() {
  static const FixedEncoding table;  // thread-safe one-time build
  return table;
}

// Writes into a buffer sized for the worst case up front (every byte a
// 9-bit literal), so putting bits never checks for room.
class BitWriter {
 public:
  explicit BitWriter(std::size_t inputLength) : out_((9 * inputLength + 10) / 8 + 16) {}

  // Up to 32 bits at a time, least significant first.
  void put(std::uint32_t value, unsigned n) {
    buf_ |= std::uint64_t(value) << count_;
    count_ += n;
    if (count_ >= 32) {
      for (int i = 0; i < 4; ++i) out_[pos_ + i] = std::uint8_t(buf_ >> (8 * i));
      pos_ += 4;
      buf_ >>= 32;
      count_ -= 32;
    }
  }
  // Pads the last byte with zero bits and hands over the stream.
  std::vector<std::uint8_t> finish() {
    while (count_ > 0) {
      out_[pos_++] = std::uint8_t(buf_);
      buf_ >>= 8;
      count_ = count_ > 8 ? count_ - 8 : 0;
    }
    out_.resize(pos_);
    out_.shrink_to_fit();
    return std::move(out_);
  }

 private:
  std::vector<std::uint8_t> out_;
  std::size_t pos_ = 0;
  std::uint64_t buf_ = 0;
  unsigned count_ = 0;
};

inline std::size_t hashAt(const std::uint8_t* p) {
  return ((std::size_t(p[0]) << 10) ^ (std::size_t(p[1]) << 5) ^ p[2]) & (kHashSize - 1);
}

inline std::size_t matchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
  std::size_t n = 0;
  while (n + 8 <= limit) {
    std::uint64_t x, y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) {
      if constexpr (std::endian::native == std::endian::little)
        return n + (std::countr_zero(x ^ y) >> 3);
      else
        return n + (std::countl_zero(x ^ y) >> 3);
    }
    n += 8;
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

// Positions are stored plus one so that 0 means none; 32-bit slots halve the
// tables' cache footprint for every input a zip entry can hold.
template <typename Slot>
void encode(const std::uint8_t* input, std::size_t length, BitWriter& bits) {
  const FixedEncoding& fx = fixedEncoding();
  // Chain links live in a ring of one window: a link older than the window
  // is never followed, since the walk stops at the window's edge first.
  std::vector<Slot> head(kHashSize, 0);
  std::vector<Slot> chain(kWindow, 0);
  auto insert = [&](std::size_t p) {
    const std::size_t h = hashAt(input + p);
    chain[p & (kWindow - 1)] = head[h];
    head[h] = Slot(p + 1);
  };

  std::size_t p = 0;
  while (p < length) {
    std::size_t bestLen = 0, bestDist = 0;
    if (p + 2 < length) {
      const std::size_t limit = std::min(kMaxMatch, length - p);
      Slot slot = head[hashAt(input + p)];
      for (int visited = 0; slot != 0 && visited < kMaxCandidates; ++visited) {
        const std::size_t cand = std::size_t(slot) - 1;
        const std::size_t dist = p - cand;
        if (dist > kWindow) break;
        // Only a strictly longer match counts, and that needs the byte at
        // the current best length to agree.
        if (bestLen == 0 || input[cand + bestLen] == input[p + bestLen]) {
          const std::size_t len = matchLength(input + cand, input + p, limit);
          if (len > bestLen) {
            bestLen = len;
            bestDist = dist;
            if (len == limit) break;
          }
        }
        slot = chain[cand & (kWindow - 1)];
      }
    }
    if (bestLen >= kMinMatch) {
      const int ls = fx.lengthSymbol[bestLen];
      bits.put(fx.litCode[257 + ls], fx.litBits[257 + ls]);
      if (kLengthExtra[ls]) bits.put(std::uint32_t(bestLen - kLengthBase[ls]), kLengthExtra[ls]);
      const int ds = fx.distSymbol(bestDist);
      bits.put(fx.distCode[ds], 5);
      if (kDistExtra[ds]) bits.put(std::uint32_t(bestDist - kDistBase[ds]), kDistExtra[ds]);
      const std::size_t end = p + bestLen;
      for (std::size_t q = p; q < end; ++q)
        if (q + 2 < length) insert(q);
      p = end;
    } else {
      bits.put(fx.litCode[input[p]], fx.litBits[input[p]]);
      if (p + 2 < length) insert(p);
      ++p;
    }
  }
  bits.put(fx.litCode[256], fx.litBits[256]);
}

}  // namespace

std::vector<std::uint8_t> deflate(const std::uint8_t* input, std::size_t length) {
  BitWriter bits(length);
  bits.put(1, 1);  // final block
  bits.put(1, 2);  // fixed codes
  if (length < 0xFFFFFFFFu)
    encode<std::uint32_t>(input, length, bits);
  else
    encode<std::uint64_t>(input, length, bits);
  return bits.finish();
}

}  // namespace ob::zip
