#pragma once
// Helpers shared by the archive tests: test data and a bit writer for
// hand-made DEFLATE streams.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace archive_test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes randomBytes(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = std::uint8_t(rng());
  return out;
}

// Text-like data: words from a small vocabulary, runs and the odd random
// byte, so matches of every length and distance appear.
inline Bytes compressibleBytes(std::size_t n, std::uint32_t seed) {
  static const char* kWords[] = {"kick ", "snare ", "hat ", "tom ", "clap ", "rim ", "\"value\": ",
                                 "0.25, ", "{\n  ", "}\n", "resonator ", "exciter ", "body "};
  std::mt19937 rng(seed);
  Bytes out;
  out.reserve(n + 64);
  while (out.size() < n) {
    const std::uint32_t r = rng() % 100;
    if (r < 80) {
      const char* w = kWords[rng() % (sizeof kWords / sizeof *kWords)];
      while (*w) out.push_back(std::uint8_t(*w++));
    } else if (r < 90) {
      out.insert(out.end(), 1 + rng() % 300, std::uint8_t(rng()));
    } else {
      out.push_back(std::uint8_t(rng()));
    }
  }
  out.resize(n);
  return out;
}

// Bits go out least significant first; Huffman codes most significant bit
// first, as RFC 1951 packs them.
class BitStream {
 public:
  void put(std::uint32_t value, int n) {
    for (int i = 0; i < n; ++i) bit((value >> i) & 1u);
  }
  void code(std::uint32_t value, int n) {
    for (int i = n - 1; i >= 0; --i) bit((value >> i) & 1u);
  }
  void alignByte() {
    while (used_ != 0) bit(0);
  }
  void byte(std::uint8_t b) {
    alignByte();
    bytes_.push_back(b);
  }
  Bytes bytes() const { return bytes_; }

 private:
  void bit(std::uint32_t b) {
    if (used_ == 0) bytes_.push_back(0);
    bytes_.back() |= std::uint8_t(b << used_);
    used_ = (used_ + 1) & 7;
  }
  Bytes bytes_;
  int used_ = 0;
};

// Canonical codes of RFC 1951 for the given code lengths.
inline std::vector<std::uint32_t> canonicalCodes(const std::vector<int>& lengths) {
  int count[16] = {};
  for (int l : lengths) ++count[l];
  count[0] = 0;
  std::uint32_t next[16] = {};
  std::uint32_t code = 0;
  for (int bits = 1; bits < 16; ++bits) {
    code = (code + count[bits - 1]) << 1;
    next[bits] = code;
  }
  std::vector<std::uint32_t> codes(lengths.size());
  for (std::size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s]) codes[s] = next[lengths[s]]++;
  return codes;
}

}  // namespace archive_test
