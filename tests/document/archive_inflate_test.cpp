// The inflater against zlib's output and against hand-made streams that
// reach every failure it reports.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <utility>
#include <vector>

#include "document/archive/inflate.h"
#include "document/reading/byte_source.h"
#include "support/document/archive_rig.h"

namespace archive_inflate_test {

using namespace archive_test;

struct Result {
  bool ok = false;
  Bytes out;
  std::string error;
};

Result run(const Bytes& in, std::size_t declared) {
  Result r;
  r.ok = ob::zip::inflate(in.data(), in.size(), declared, r.out, r.error);
  return r;
}

Bytes zlibDeflate(const Bytes& data, int level, int strategy, int windowBits = -15,
                  std::size_t flushEvery = 0) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, windowBits, 9, strategy), Z_OK);
  Bytes out(deflateBound(&z, data.size()) + 1024 + (flushEvery ? data.size() / flushEvery * 16 : 0));
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  std::size_t pos = 0;
  do {
    const std::size_t chunk = flushEvery ? std::min(flushEvery, data.size() - pos) : data.size() - pos;
    z.next_in = const_cast<Bytef*>(data.data() + pos);
    z.avail_in = static_cast<uInt>(chunk);
    pos += chunk;
    const int flush = pos == data.size() ? Z_FINISH : Z_FULL_FLUSH;
    const int rc = ::deflate(&z, flush);
    EXPECT_TRUE(rc == Z_OK || rc == Z_STREAM_END);
  } while (pos < data.size());
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::vector<std::pair<std::string, Bytes>> samples() {
  std::vector<std::pair<std::string, Bytes>> s;
  for (std::size_t n : {0u, 1u, 2u, 3u, 4u, 7u, 100u, 1000u, 4095u, 65535u, 65536u, 65537u, 200000u}) {
    s.emplace_back("random/" + std::to_string(n), randomBytes(n, std::uint32_t(n) + 1));
    s.emplace_back("text/" + std::to_string(n), compressibleBytes(n, std::uint32_t(n) + 2));
    s.emplace_back("zeros/" + std::to_string(n), Bytes(n, 0));
  }
  s.emplace_back("text/1M", compressibleBytes((1u << 20) + 17, 99));
  return s;
}

// Writes a dynamic block header whose code-length code gives symbols 0..12
// four bits and 13..18 five bits (a complete code); `symbols` are the
// code-length symbols with their extra-bit values.
void dynamicHeader(BitStream& s, bool final, int nlit, int ndist,
                   const std::vector<std::pair<int, int>>& symbols) {
  static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  std::vector<int> lens(19);
  for (int i = 0; i < 19; ++i) lens[i] = i <= 12 ? 4 : 5;
  const auto codes = canonicalCodes(lens);
  s.put(final ? 1 : 0, 1);
  s.put(2, 2);
  s.put(std::uint32_t(nlit - 257), 5);
  s.put(std::uint32_t(ndist - 1), 5);
  s.put(19 - 4, 4);
  for (int i = 0; i < 19; ++i) s.put(std::uint32_t(lens[kOrder[i]]), 3);
  for (auto [sym, extra] : symbols) {
    s.code(codes[sym], lens[sym]);
    if (sym == 16) s.put(std::uint32_t(extra), 2);
    if (sym == 17) s.put(std::uint32_t(extra), 3);
    if (sym == 18) s.put(std::uint32_t(extra), 7);
  }
}

std::vector<std::pair<int, int>> plainLengths(const std::vector<int>& lengths) {
  std::vector<std::pair<int, int>> out;
  for (int l : lengths) out.emplace_back(l, 0);
  return out;
}

// Literal/length lengths: the listed symbols get the given lengths.
std::vector<int> litLengths(int n, std::initializer_list<std::pair<int, int>> set) {
  std::vector<int> l(std::size_t(n), 0);
  for (auto [sym, len] : set) l[std::size_t(sym)] = len;
  return l;
}

std::vector<int> concat(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Fixed-code symbols.
void fixedLiteral(BitStream& s, int sym) {
  if (sym < 144)
    s.code(std::uint32_t(0x30 + sym), 8);
  else if (sym < 256)
    s.code(std::uint32_t(0x190 + sym - 144), 9);
  else if (sym < 280)
    s.code(std::uint32_t(sym - 256), 7);
  else
    s.code(std::uint32_t(0xC0 + sym - 280), 8);
}

BitStream fixedStart() {
  BitStream s;
  s.put(1, 1);
  s.put(1, 2);
  return s;
}

Bytes padded(BitStream s, int extraBytes = 4) {
  Bytes b = s.bytes();
  b.insert(b.end(), std::size_t(extraBytes), 0);
  return b;
}

TEST(Inflate, RestoresZlibStreamsOfEveryLevel) {
  for (const auto& [name, data] : samples()) {
    for (int level = 0; level <= 9; ++level) {
      const Bytes packed = zlibDeflate(data, level, Z_DEFAULT_STRATEGY);
      const Result r = run(packed, data.size());
      ASSERT_TRUE(r.ok) << name << " level " << level << ": " << r.error;
      ASSERT_EQ(r.out, data) << name << " level " << level;
    }
  }
}

TEST(Inflate, RestoresZlibStreamsOfEveryStrategyAndFlushedBlocks) {
  const std::vector<Bytes> inputs = {compressibleBytes(300000, 5), randomBytes(70000, 6), Bytes(100000, 'x')};
  for (const Bytes& data : inputs) {
    for (int strategy : {Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
      const Result r = run(zlibDeflate(data, 6, strategy), data.size());
      ASSERT_TRUE(r.ok) << strategy << ": " << r.error;
      EXPECT_EQ(r.out, data);
    }
    // Full flushes put empty stored blocks between many short blocks.
    const Result flushed = run(zlibDeflate(data, 6, Z_DEFAULT_STRATEGY, -15, 1000), data.size());
    ASSERT_TRUE(flushed.ok) << flushed.error;
    EXPECT_EQ(flushed.out, data);
    const Result small = run(zlibDeflate(data, 9, Z_DEFAULT_STRATEGY, -9), data.size());
    ASSERT_TRUE(small.ok) << small.error;
    EXPECT_EQ(small.out, data);
  }
}

// Bytes served as a file serves them: a read at a time, never as a whole,
// remembering the largest read and failing from `failAt` on.
class FileLikeBytes final : public ob::ByteSource {
 public:
  explicit FileLikeBytes(Bytes bytes, std::uint64_t failAt = UINT64_MAX)
      : bytes_(std::move(bytes)), failAt_(failAt) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override {
    largest = std::max(largest, count);
    if (offset + count > bytes_.size() || offset + count > failAt_) return false;
    std::copy_n(bytes_.begin() + std::ptrdiff_t(offset), count, out);
    return true;
  }
  mutable std::size_t largest = 0;

 private:
  Bytes bytes_;
  std::uint64_t failAt_;
};

TEST(Inflate, AStreamReadInPiecesInflatesAsFromMemory) {
  const Bytes before = bytesOf("archive bytes before the stream");
  for (const auto& [name, data] : samples()) {
    for (int level : {0, 1, 9}) {
      SCOPED_TRACE(name + " level " + std::to_string(level));
      const Bytes packed = zlibDeflate(data, level, Z_DEFAULT_STRATEGY);
      // Whole, and cut short inside the stream.
      for (const std::size_t length : {packed.size(), packed.size() / 2}) {
        Bytes file = before;
        file.insert(file.end(), packed.begin(), packed.end());
        const FileLikeBytes source(file);
        Result pieces;
        pieces.ok = ob::zip::inflate(source, before.size(), length, data.size(), pieces.out, pieces.error);
        const Result whole = run(Bytes(packed.begin(), packed.begin() + std::ptrdiff_t(length)), data.size());
        EXPECT_EQ(pieces.ok, whole.ok);
        EXPECT_EQ(pieces.error, whole.error);
        EXPECT_EQ(pieces.out, whole.out);
        EXPECT_LE(source.largest, std::size_t(64) << 10);
        // Decoded as far as it is read, and handed on a piece at a time.
        Bytes handed, at(100);
        ob::zip::StreamInflater stream(
            source, before.size(), length, data.size(),
            [&](std::span<const std::uint8_t> p) { handed.insert(handed.end(), p.begin(), p.end()); });
        for (std::size_t offset = 0; offset < data.size(); offset += 7919) {
          const std::size_t count = std::min(at.size(), data.size() - offset);
          const bool decoded = offset + count <= whole.out.size();
          ASSERT_EQ(stream.read(offset, at.data(), count), decoded) << offset;
          if (decoded) {
            EXPECT_TRUE(std::equal(at.begin(), at.begin() + std::ptrdiff_t(count),
                                   data.begin() + std::ptrdiff_t(offset)));
          }
        }
        if (data.size() > (1u << 20)) {
          EXPECT_FALSE(stream.read(0, at.data(), 1));  // left behind
        }
        std::string error;
        EXPECT_EQ(stream.finish(error), whole.ok ? std::optional<std::uint64_t>(data.size()) : std::nullopt);
        EXPECT_EQ(error, whole.error);
        EXPECT_EQ(handed, whole.out);
      }
    }
  }
}

TEST(Inflate, ASourceThatFailsToReadIsReportedAsSuch) {
  const Bytes data = compressibleBytes(300000, 9);
  const Bytes packed = zlibDeflate(data, 6, Z_DEFAULT_STRATEGY);
  const FileLikeBytes source(packed, packed.size() / 2);
  Result r;
  r.ok = ob::zip::inflate(source, 0, packed.size(), data.size(), r.out, r.error);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "the archive cannot be read");
  EXPECT_LT(r.out.size(), data.size());
  // A range past the source's end is refused before anything is read.
  EXPECT_FALSE(ob::zip::inflate(source, 10, packed.size(), data.size(), r.out, r.error));
  EXPECT_EQ(r.error, "stream ends early");
}

TEST(Inflate, DeclaredSizeBoundsTheOutput) {
  const Bytes data = compressibleBytes(500000, 7);
  for (int level : {0, 1, 6}) {
    const Bytes packed = zlibDeflate(data, level, Z_DEFAULT_STRATEGY);
    const Result shortByOne = run(packed, data.size() + 1);
    EXPECT_TRUE(shortByOne.ok) << shortByOne.error;
    EXPECT_EQ(shortByOne.out, data);
    for (const std::size_t declared : {data.size() - 1, std::size_t(50000)}) {
      const Result over = run(packed, declared);
      EXPECT_FALSE(over.ok);
      EXPECT_EQ(over.error, "more data than declared");
      EXPECT_LE(over.out.size(), declared);
      EXPECT_EQ(Bytes(data.begin(), data.begin() + std::ptrdiff_t(over.out.size())), over.out);
      // Decoded as it is read, it stops at the same byte.
      Bytes handed;
      const ob::MemoryBytes source(packed);
      ob::zip::StreamInflater stream(
          source, 0, packed.size(), declared,
          [&](std::span<const std::uint8_t> p) { handed.insert(handed.end(), p.begin(), p.end()); });
      std::string error;
      EXPECT_FALSE(stream.finish(error));
      EXPECT_EQ(error, over.error);
      EXPECT_EQ(handed, over.out);
    }
  }
}

TEST(Inflate, HugeDeclaredSizeTakesMemoryOnlyForRealOutput) {
  const Bytes data = compressibleBytes(1000, 8);
  const Bytes packed = zlibDeflate(data, 6, Z_DEFAULT_STRATEGY);
  const Result r = run(packed, std::size_t(1) << 40);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.out, data);
  EXPECT_LT(r.out.capacity(), std::size_t(1) << 20);
}

TEST(Inflate, StopsAfterTheFinalBlock) {
  Bytes packed = zlibDeflate(bytesOf("hello hello hello"), 6, Z_DEFAULT_STRATEGY);
  packed.push_back(0xFF);  // would be an invalid block type
  packed.push_back(0x07);
  const Result r = run(packed, 100);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.out, bytesOf("hello hello hello"));
}

TEST(Inflate, StoredThenFixedBlocks) {
  BitStream s;
  s.put(0, 1);  // not final, stored
  s.put(0, 2);
  s.byte(3);
  s.byte(0);
  s.byte(0xFC);
  s.byte(0xFF);
  s.byte('a');
  s.byte('b');
  s.byte('c');
  s.put(1, 1);
  s.put(1, 2);
  fixedLiteral(s, 'd');
  fixedLiteral(s, 257);  // length 3
  s.code(3, 5);          // distance 4
  fixedLiteral(s, 256);
  const Result r = run(s.bytes(), 7);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.out, bytesOf("abcdabc"));
}

TEST(Inflate, DynamicBlockWithOneDistanceCodeOfLengthOne) {
  // 'a', 'b', end and length-3 at two bits each; one distance code (1).
  const auto lit = litLengths(258, {{'a', 2}, {'b', 2}, {256, 2}, {257, 2}});
  BitStream s;
  dynamicHeader(s, true, 258, 1, plainLengths(concat(lit, {1})));
  std::vector<int> lens(lit.begin(), lit.end());
  const auto codes = canonicalCodes(lens);
  s.code(codes['a'], 2);
  s.code(codes['b'], 2);
  s.code(codes[257], 2);
  s.code(0, 1);  // distance symbol 0: distance 1
  s.code(codes[256], 2);
  const Result r = run(s.bytes(), 10);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.out, bytesOf("abbbb"));
}

TEST(Inflate, CraftedZeroStreamsUnpackToZerosAtTheirRatio) {
  // The limit tests lean on these streams: each must be valid DEFLATE (zlib
  // agrees) and pack as tightly as promised.
  for (bool tight : {true, false}) {
    for (std::uint64_t n : {1u, 2u, 258u, 259u, 260u, 1000003u}) {
      SCOPED_TRACE(std::to_string(n) + (tight ? " tight" : " loose"));
      const Bytes packed = zeroStream(n, tight);
      const Result r = run(packed, n);
      ASSERT_TRUE(r.ok) << r.error;
      EXPECT_EQ(r.out, Bytes(n, 0));
      Bytes fromZlib(n + 1, 1);
      z_stream z{};
      ASSERT_EQ(inflateInit2(&z, -15), Z_OK);
      z.next_in = const_cast<Bytef*>(packed.data());
      z.avail_in = uInt(packed.size());
      z.next_out = fromZlib.data();
      z.avail_out = uInt(fromZlib.size());
      EXPECT_EQ(::inflate(&z, Z_FINISH), Z_STREAM_END);
      EXPECT_EQ(z.total_out, n);
      inflateEnd(&z);
      fromZlib.resize(n);
      EXPECT_EQ(fromZlib, Bytes(n, 0));
    }
  }
  const std::uint64_t large = 100000000;
  const double tightRatio = double(large) / double(zeroStream(large, true).size());
  const double looseRatio = double(large) / double(zeroStream(large, false).size());
  EXPECT_GT(tightRatio, 1020.0);
  EXPECT_GT(looseRatio, 600.0);
  EXPECT_LT(looseRatio, 900.0);
}

TEST(Inflate, RepeatCodesFillLengths) {
  // 'a' to 'd' three bits each (one length and a repeat of it), runs of
  // zeros through symbols 18 and 17, end of block and length 3 two bits each,
  // one distance code of one bit.
  const std::vector<std::pair<int, int>> sym = {{18, 97 - 11}, {3, 0}, {16, 0}, {18, 138 - 11}, {17, 10 - 3},
                                                {17, 4},       {2, 0}, {2, 0},  {1, 0}};
  BitStream s;
  dynamicHeader(s, true, 258, 1, sym);
  const std::vector<int> lens = litLengths(258, {{'a', 3}, {'b', 3}, {'c', 3}, {'d', 3}, {256, 2}, {257, 2}});
  const auto codes = canonicalCodes(lens);
  s.code(codes['b'], 3);
  s.code(codes['a'], 3);
  s.code(codes['d'], 3);
  s.code(codes[257], 2);
  s.code(0, 1);
  s.code(codes[256], 2);
  const Result r = run(s.bytes(), 10);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.out, bytesOf("badddd"));
}

TEST(Inflate, EveryFailureHasItsMessage) {
  struct Case {
    const char* what;
    Bytes stream;
    std::size_t declared;
    const char* message;
  };
  std::vector<Case> cases;
  cases.push_back({"empty input", {}, 10, "stream ends early"});
  cases.push_back({"block type 3", {0x07, 0, 0, 0}, 10, "invalid block type"});
  cases.push_back({"bad stored complement",
                   {0x01, 5, 0, 0, 0, 'a', 'b', 'c', 'd', 'e'},
                   10,
                   "stored block length does not match its complement"});
  cases.push_back({"stored block too short", {0x01, 5, 0, 0xFA, 0xFF, 'a', 'b'}, 10, "stream ends early"});
  cases.push_back({"stored header cut", {0x01, 5, 0}, 10, "stream ends early"});
  cases.push_back({"stored beyond declared",
                   {0x01, 5, 0, 0xFA, 0xFF, 'a', 'b', 'c', 'd', 'e'},
                   4,
                   "more data than declared"});
  {
    BitStream s = fixedStart();
    fixedLiteral(s, 'a');
    fixedLiteral(s, 'b');
    fixedLiteral(s, 256);
    cases.push_back({"literal beyond declared", s.bytes(), 1, "more data than declared"});
  }
  {
    BitStream s = fixedStart();
    fixedLiteral(s, 'a');
    fixedLiteral(s, 257);
    s.code(0, 5);
    fixedLiteral(s, 256);
    cases.push_back({"copy beyond declared", s.bytes(), 3, "more data than declared"});
  }
  {
    BitStream s = fixedStart();
    fixedLiteral(s, 'a');
    cases.push_back({"no end of block", s.bytes(), 10, "stream ends early"});
  }
  {
    BitStream s = fixedStart();
    fixedLiteral(s, 'a');
    fixedLiteral(s, 265);  // length 11 + 1 extra bit, cut before it
    Bytes b = s.bytes();
    cases.push_back({"length extra bits cut", b, 100, "stream ends early"});
  }
  {
    BitStream s = fixedStart();
    fixedLiteral(s, 286);
    cases.push_back({"length symbol 286", padded(s), 10, "invalid length symbol"});
  }
  {
    BitStream s = fixedStart();
    fixedLiteral(s, 'a');
    fixedLiteral(s, 257);
    s.code(30, 5);
    cases.push_back({"distance symbol 30", padded(s), 10, "invalid distance code"});
  }
  {
    BitStream s = fixedStart();
    fixedLiteral(s, 257);
    s.code(0, 5);
    cases.push_back({"first copy", padded(s), 10, "distance reaches before the start"});
  }
  {
    BitStream s;
    s.put(1, 1);
    s.put(2, 2);
    s.put(30, 5);  // 287 literal/length codes
    s.put(0, 5);
    s.put(0, 4);
    cases.push_back({"HLIT too large", padded(s), 10, "too many length or distance codes"});
  }
  {
    BitStream s;
    s.put(1, 1);
    s.put(2, 2);
    s.put(0, 5);
    s.put(30, 5);  // 31 distance codes
    s.put(0, 4);
    cases.push_back({"HDIST too large", padded(s), 10, "too many length or distance codes"});
  }
  {
    BitStream s;
    s.put(1, 1);
    s.put(2, 2);
    s.put(0, 5);
    cases.push_back({"dynamic header cut", s.bytes(), 10, "stream ends early"});
  }
  {
    // One code-length code of length 1: incomplete.
    BitStream s;
    s.put(1, 1);
    s.put(2, 2);
    s.put(0, 5);
    s.put(0, 5);
    s.put(0, 4);
    s.put(1, 3);  // symbol 16 gets length 1, 17, 18, 0 none
    s.put(0, 3);
    s.put(0, 3);
    s.put(0, 3);
    cases.push_back({"incomplete code-length code", padded(s), 10, "incomplete code-length code"});
  }
  {
    // All code-length lengths 0: an empty code, which decodes nothing.
    BitStream s;
    s.put(1, 1);
    s.put(2, 2);
    s.put(0, 5);
    s.put(0, 5);
    s.put(0, 4);
    s.put(0, 12);
    cases.push_back({"empty code-length code", padded(s), 10, "invalid code-length code"});
    cases.push_back({"empty code-length code, cut", s.bytes(), 10, "stream ends early"});
  }
  {
    BitStream s;
    dynamicHeader(s, true, 257, 1, {{16, 0}});
    cases.push_back({"repeat first", padded(s), 10, "repeat with no previous length"});
  }
  {
    BitStream s;
    dynamicHeader(s, true, 257, 1, {{18, 127}, {18, 127}});
    cases.push_back({"repeat past total", padded(s), 10, "too many lengths"});
  }
  {
    BitStream s;
    dynamicHeader(s, true, 257, 1, {{1, 0}, {1, 0}, {18, 127}, {18, 107}});
    cases.push_back({"no end of block", padded(s), 10, "no end-of-block code"});
  }
  {
    BitStream s;
    dynamicHeader(s, true, 257, 1, {{18, 97 - 11}, {1, 0}, {1, 0}, {18, 127}, {18, 19 - 11}, {1, 0}, {0, 0}});
    cases.push_back({"over-subscribed literals", padded(s), 10, "invalid literal/length code lengths"});
  }
  {
    // 'a' two bits and end of block one bit: incomplete, and not a lone
    // one-bit code.
    BitStream s;
    dynamicHeader(s, true, 257, 1, {{18, 97 - 11}, {2, 0}, {18, 127}, {18, 20 - 11}, {1, 0}, {0, 0}});
    cases.push_back({"incomplete literals", padded(s), 10, "invalid literal/length code lengths"});
  }
  {
    const auto lit = litLengths(257, {{'a', 1}, {256, 1}});
    BitStream s;
    dynamicHeader(s, true, 257, 3, plainLengths(concat(lit, {1, 1, 2})));
    cases.push_back({"over-subscribed distances", padded(s), 10, "invalid distance code lengths"});
    BitStream t;
    dynamicHeader(t, true, 257, 2, plainLengths(concat(lit, {2, 0})));
    cases.push_back({"incomplete distances", padded(t), 10, "invalid distance code lengths"});
  }
  {
    // Only the end-of-block code, one bit long: the other bit matches nothing.
    const auto lit = litLengths(257, {{256, 1}});
    BitStream s;
    dynamicHeader(s, true, 257, 1, plainLengths(concat(lit, {0})));
    s.code(1, 1);
    cases.push_back({"unmatched literal code", padded(s), 10, "invalid literal/length code"});
    cases.push_back({"unmatched literal code, cut", s.bytes(), 10, "stream ends early"});
  }
  {
    // No distance codes at all: any copy fails.
    const auto lit = litLengths(258, {{'a', 2}, {256, 2}, {257, 1}});
    BitStream s;
    dynamicHeader(s, true, 258, 1, plainLengths(concat(lit, {0})));
    const auto codes = canonicalCodes(std::vector<int>(lit.begin(), lit.end()));
    s.code(codes['a'], 2);
    s.code(codes[257], 1);
    cases.push_back({"no distance code", padded(s), 10, "invalid distance code"});
  }

  for (const Case& c : cases) {
    const Result r = run(c.stream, c.declared);
    EXPECT_FALSE(r.ok) << c.what;
    EXPECT_EQ(r.error, c.message) << c.what;
    EXPECT_LE(r.out.size(), c.declared) << c.what;
  }
}

TEST(Inflate, EveryTruncationFailsCleanly) {
  const Bytes data = compressibleBytes(20000, 11);
  for (int level : {0, 1, 9}) {
    const Bytes packed = zlibDeflate(data, level, Z_DEFAULT_STRATEGY);
    for (std::size_t cut = 0; cut < packed.size(); cut += 1 + cut / 64) {
      const Bytes part(packed.begin(), packed.begin() + std::ptrdiff_t(cut));
      const Result r = run(part, data.size());
      EXPECT_FALSE(r.ok) << "cut at " << cut;
      EXPECT_EQ(r.error, "stream ends early") << "cut at " << cut;
      EXPECT_EQ(Bytes(data.begin(), data.begin() + std::ptrdiff_t(r.out.size())), r.out);
    }
  }
}

TEST(Inflate, FlippedBitsNeverCrashOrOverrun) {
  const Bytes data = compressibleBytes(5000, 12);
  const Bytes packed = zlibDeflate(data, 6, Z_DEFAULT_STRATEGY);
  std::mt19937 rng(13);
  for (int i = 0; i < 2000; ++i) {
    Bytes bad = packed;
    bad[rng() % bad.size()] ^= std::uint8_t(1u << (rng() % 8));
    const Result r = run(bad, data.size());
    EXPECT_LE(r.out.size(), data.size());
    if (!r.ok) {
      EXPECT_FALSE(r.error.empty());
    }
  }
}

}  // namespace archive_inflate_test
