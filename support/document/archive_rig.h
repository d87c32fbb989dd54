#pragma once
// What the archive tests work on: test data, a bit writer for hand-made
// DEFLATE streams and hand-made archives.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "document/archive/crc32.h"
#include "document/little_endian.h"

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
  static const char* kWords[] = {"kick ",  "snare ", "hat ", "tom ",       "clap ",    "rim ", "\"value\": ",
                                 "0.25, ", "{\n  ",  "}\n",  "resonator ", "exciter ", "body "};
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

// A raw DEFLATE stream of n zero bytes (n >= 1) as only a crafted stream
// packs them: one literal, then 258-byte copies at distance 1 that cost two
// bits each (about 1,032:1) or, with `tight` off, three bits (about 688:1).
// Made bit by bit in a few milliseconds however large n is.
inline Bytes zeroStream(std::uint64_t n, bool tight = true) {
  std::vector<int> lit(286, 0);
  lit[0] = 2;
  lit[256] = 2;
  lit[285] = tight ? 1 : 2;
  if (!tight) lit[1] = 2;      // a spare code keeps the lengths a complete code
  std::vector<int> cl(19, 0);  // the code-length alphabet: 1, 2 and 18 (a run of zeros)
  cl[1] = 2;
  cl[2] = 2;
  cl[18] = 1;
  const std::vector<std::uint32_t> clCodes = canonicalCodes(cl);
  const std::vector<std::uint32_t> litCodes = canonicalCodes(lit);

  BitStream bits;
  bits.put(1, 1);   // final block
  bits.put(2, 2);   // dynamic codes
  bits.put(29, 5);  // 286 literal/length codes
  bits.put(0, 5);   // one distance code
  bits.put(14, 4);  // 18 code-length lengths, in the order RFC 1951 gives
  const int order[18] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1};
  for (int symbol : order) bits.put(std::uint32_t(cl[symbol]), 3);
  auto length = [&](int l) { bits.code(clCodes[l], cl[l]); };
  auto zeros = [&](int run) {
    while (run > 0) {
      const int take = run < 138 ? run : 138;
      bits.code(clCodes[18], cl[18]);
      bits.put(std::uint32_t(take - 11), 7);
      run -= take;
    }
  };
  for (int symbol = 0; symbol < 286;) {
    if (lit[symbol] != 0) {
      length(lit[symbol++]);
      continue;
    }
    int run = 0;
    while (symbol + run < 286 && lit[symbol + run] == 0) ++run;
    zeros(run);  // every run here is 11 or longer
    symbol += run;
  }
  length(1);  // the one distance code, distance 1

  bits.code(litCodes[0], lit[0]);
  const std::uint64_t copies = (n - 1) / 258;
  for (std::uint64_t i = 0; i < copies; ++i) {
    bits.code(litCodes[285], lit[285]);
    bits.put(0, 1);  // distance code 0
  }
  for (std::uint64_t i = 0; i < (n - 1) % 258; ++i) bits.code(litCodes[0], lit[0]);
  bits.code(litCodes[256], lit[256]);
  return bits.bytes();
}

// Hand-made archives with every field under the test's control.
struct RawEntry {
  std::string name;
  Bytes payload;  // the bytes as stored (deflated or not)
  std::uint16_t method = 0;
  std::uint16_t flags = 0;
  std::uint32_t crc = 0;
  std::uint32_t packedSize = 0;    // written as given
  std::uint32_t unpackedSize = 0;  // written as given
  bool overrideOffset = false;
  std::uint32_t localOffset = 0;
  bool badLocalSignature = false;
  std::string centralExtra;
  std::string centralComment;
};

struct RawArchive {
  std::vector<RawEntry> entries;
  std::uint16_t thisDisk = 0;
  std::uint16_t directoryDisk = 0;
  int entriesHere = -1;  // -1: the real count
  int total = -1;
  bool overrideDirectory = false;
  std::uint32_t directorySize = 0;
  std::uint32_t directoryOffset = 0;
  std::string comment;
};

// A stored entry with its checksum.
inline RawEntry storedEntry(const std::string& name, const Bytes& data) {
  RawEntry e;
  e.name = name;
  e.payload = data;
  e.crc = ob::zip::crc32(data.data(), data.size());
  e.packedSize = e.unpackedSize = std::uint32_t(data.size());
  return e;
}

// A deflated entry of n zeros packed by zeroStream. The checksum is left 0
// unless asked for: a bomb that must never be unpacked is not worth the
// gigabyte it would take to compute.
inline RawEntry zeroEntry(const std::string& name, std::uint32_t n, bool tight, bool withChecksum = false) {
  RawEntry e;
  e.name = name;
  e.payload = zeroStream(n, tight);
  e.method = 8;
  e.packedSize = std::uint32_t(e.payload.size());
  e.unpackedSize = n;
  if (withChecksum) {
    const Bytes zeros(n, 0);
    e.crc = ob::zip::crc32(zeros.data(), zeros.size());
  }
  return e;
}

// The archive's bytes in order, a piece at a time (each entry's local
// record, its payload, then the directory and its end), so that a large
// one is written where it goes without a second copy.
template <typename Put>
void writeArchive(const RawArchive& a, Put put) {
  Bytes central;
  std::uint64_t written = 0;
  for (const RawEntry& e : a.entries) {
    const std::uint32_t offset = e.overrideOffset ? e.localOffset : std::uint32_t(written);
    Bytes local;
    ob::writeU32LE(local, e.badLocalSignature ? 0x04034b51u : 0x04034b50u);
    ob::writeU16LE(local, 20);
    ob::writeU16LE(local, e.flags);
    ob::writeU16LE(local, e.method);
    ob::writeU16LE(local, 0);
    ob::writeU16LE(local, 0x21);
    ob::writeU32LE(local, e.crc);
    ob::writeU32LE(local, e.packedSize);
    ob::writeU32LE(local, e.unpackedSize);
    ob::writeU16LE(local, std::uint32_t(e.name.size()));
    ob::writeU16LE(local, 0);
    local.insert(local.end(), e.name.begin(), e.name.end());
    put(local);
    put(e.payload);
    written += local.size() + e.payload.size();

    ob::writeU32LE(central, 0x02014b50u);
    ob::writeU16LE(central, 20);
    ob::writeU16LE(central, 20);
    ob::writeU16LE(central, e.flags);
    ob::writeU16LE(central, e.method);
    ob::writeU16LE(central, 0);
    ob::writeU16LE(central, 0x21);
    ob::writeU32LE(central, e.crc);
    ob::writeU32LE(central, e.packedSize);
    ob::writeU32LE(central, e.unpackedSize);
    ob::writeU16LE(central, std::uint32_t(e.name.size()));
    ob::writeU16LE(central, std::uint32_t(e.centralExtra.size()));
    ob::writeU16LE(central, std::uint32_t(e.centralComment.size()));
    ob::writeU16LE(central, 0);
    ob::writeU16LE(central, 0);
    ob::writeU32LE(central, 0);
    ob::writeU32LE(central, offset);
    central.insert(central.end(), e.name.begin(), e.name.end());
    central.insert(central.end(), e.centralExtra.begin(), e.centralExtra.end());
    central.insert(central.end(), e.centralComment.begin(), e.centralComment.end());
  }
  const int n = int(a.entries.size());
  Bytes end = central;
  ob::writeU32LE(end, 0x06054b50u);
  ob::writeU16LE(end, a.thisDisk);
  ob::writeU16LE(end, a.directoryDisk);
  ob::writeU16LE(end, std::uint32_t(a.entriesHere < 0 ? n : a.entriesHere));
  ob::writeU16LE(end, std::uint32_t(a.total < 0 ? n : a.total));
  ob::writeU32LE(end, a.overrideDirectory ? a.directorySize : std::uint32_t(central.size()));
  ob::writeU32LE(end, a.overrideDirectory ? a.directoryOffset : std::uint32_t(written));
  ob::writeU16LE(end, std::uint32_t(a.comment.size()));
  end.insert(end.end(), a.comment.begin(), a.comment.end());
  put(end);
}

inline Bytes buildArchive(const RawArchive& a) {
  Bytes out;
  writeArchive(a, [&out](const Bytes& piece) { out.insert(out.end(), piece.begin(), piece.end()); });
  return out;
}

}  // namespace archive_test
