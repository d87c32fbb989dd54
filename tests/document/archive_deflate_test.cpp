// The deflater's streams inflate with zlib and with ours, and follow the
// single fixed-code block layout.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "document/archive/deflate.h"
#include "document/archive/inflate.h"
#include "support/document/archive_rig.h"

namespace archive_deflate_test {

using namespace archive_test;

bool zlibInflate(const Bytes& packed, std::size_t size, Bytes& out) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  out.assign(size + 1, 0);
  z.next_in = const_cast<Bytef*>(packed.data());
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int rc = ::inflate(&z, Z_FINISH);
  out.resize(z.total_out);
  const bool consumedAll = z.avail_in == 0;
  inflateEnd(&z);
  return rc == Z_STREAM_END && consumedAll;
}

Bytes deflateOf(const Bytes& data) { return ob::zip::deflate(data.data(), data.size()); }

TEST(Deflate, EmptyInputIsTheEmptyFixedBlock) {
  EXPECT_EQ(deflateOf({}), (Bytes{0x03, 0x00}));
  EXPECT_EQ(ob::zip::deflate(nullptr, 0), (Bytes{0x03, 0x00}));
}

TEST(Deflate, ZlibAndOurInflaterRestoreEveryInput) {
  std::vector<Bytes> inputs;
  for (std::size_t n :
       {1u, 2u, 3u, 4u, 5u, 100u, 258u, 259u, 1000u, 32767u, 32768u, 32769u, 65536u, 300000u}) {
    inputs.push_back(randomBytes(n, std::uint32_t(n)));
    inputs.push_back(compressibleBytes(n, std::uint32_t(n) + 7));
    inputs.push_back(Bytes(n, 0xAB));
  }
  inputs.push_back(compressibleBytes(3u << 20, 17));
  // Repeats farther back than the window must not be used.
  Bytes far = randomBytes(40000, 3);
  far.insert(far.end(), far.begin(), far.begin() + 40000);
  inputs.push_back(far);
  for (const Bytes& data : inputs) {
    const Bytes packed = deflateOf(data);
    Bytes viaZlib;
    ASSERT_TRUE(zlibInflate(packed, data.size(), viaZlib)) << data.size();
    ASSERT_EQ(viaZlib, data);
    Bytes viaOurs;
    std::string error;
    ASSERT_TRUE(ob::zip::inflate(packed.data(), packed.size(), data.size(), viaOurs, error)) << error;
    ASSERT_EQ(viaOurs, data);
  }
}

TEST(Deflate, CompressesRepetitiveData) {
  const Bytes text = compressibleBytes(100000, 21);
  EXPECT_LT(deflateOf(text).size(), text.size() / 3);
  // A run: one literal then 258-byte copies at distance 1, 13 bits each.
  const Bytes run(1 + 258 * 100, 'z');
  const std::size_t bits = 3 + 8 + 100 * 13 + 7;
  EXPECT_EQ(deflateOf(run).size(), (bits + 7) / 8);
  // Random data grows by at most one bit in eight plus the block framing.
  const Bytes noise = randomBytes(10000, 22);
  EXPECT_LE(deflateOf(noise).size(), noise.size() + noise.size() / 8 + 2);
}

TEST(Deflate, RunOfFourIsLiteralThenCopyAtDistanceOne) {
  // 'a' literal, then length 3 at distance 1, then end of block:
  // 3 + 8 + 7 + 5 + 7 bits.
  const Bytes packed = deflateOf(bytesOf("aaaa"));
  EXPECT_EQ(packed.size(), 4u);
  // Header: final bit 1, type 01.
  EXPECT_EQ(packed[0] & 0x7, 0x3);
  Bytes out;
  std::string error;
  ASSERT_TRUE(ob::zip::inflate(packed.data(), packed.size(), 4, out, error));
  EXPECT_EQ(out, bytesOf("aaaa"));
}

TEST(Deflate, IsDeterministic) {
  const Bytes data = compressibleBytes(70000, 23);
  EXPECT_EQ(deflateOf(data), deflateOf(data));
}

}  // namespace archive_deflate_test
