// Declared sizes in an archive never decide how much memory the reader
// takes: the largest single allocation is watched through the global
// allocation functions, which this test program replaces.
#include <gtest/gtest.h>

#include <string>

#include "document/archive/crc32.h"
#include "document/archive/deflate.h"
#include "document/archive/inflate.h"
#include "document/archive/zip_reader.h"
#include "support/allocation_counter.h"
#include "support/document/archive_rig.h"

namespace archive_zip_limits_test {

using namespace archive_test;

RawEntry deflatedEntry(const std::string& name, const Bytes& data) {
  RawEntry e;
  e.name = name;
  e.payload = ob::zip::deflate(data.data(), data.size());
  e.method = 8;
  e.crc = ob::zip::crc32(data.data(), data.size());
  e.packedSize = std::uint32_t(e.payload.size());
  e.unpackedSize = std::uint32_t(data.size());
  return e;
}

TEST(ZipLimits, OversizeDeclarationTakesNoMemoryUpFront) {
  RawArchive a;
  a.entries.push_back(deflatedEntry("liar", bytesOf("a small entry that claims to be huge")));
  a.entries[0].unpackedSize = 0x3FFFFFFF;  // just under the entry limit
  const Bytes b = buildArchive(a);
  ob::test::resetLargestAllocation();
  ob::Diagnostics d;
  const auto entries = ob::zip::readZip(b.data(), b.size(), d);
  ASSERT_TRUE(entries);
  EXPECT_TRUE(entries->empty());
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].message, "Cannot decompress: wrong size; skipped");
  // At most the 1,032:1 bound of the small payload.
  EXPECT_LE(ob::test::largestAllocation(), (a.entries[0].payload.size() + 1) * 1032);
}

TEST(ZipLimits, ZipBombStopsAtTheDeclaredSize) {
  // 16 MiB of zeros deflate to about 16 KiB; declared as 1 MiB the entry is
  // cut off at the first byte past the declaration.
  const Bytes zeros(16u << 20, 0);
  RawArchive a;
  a.entries.push_back(deflatedEntry("bomb", zeros));
  a.entries[0].unpackedSize = 1u << 20;
  const Bytes b = buildArchive(a);
  ob::test::resetLargestAllocation();
  ob::Diagnostics d;
  const auto entries = ob::zip::readZip(b.data(), b.size(), d);
  ASSERT_TRUE(entries);
  EXPECT_TRUE(entries->empty());
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].message, "Cannot decompress: more data than declared; skipped");
  EXPECT_LE(ob::test::largestAllocation(), std::size_t(1) << 20);
}

TEST(ZipLimits, InflateGrowsWithRealOutputOnly) {
  const Bytes data = compressibleBytes(2000, 4);
  const Bytes packed = ob::zip::deflate(data.data(), data.size());
  ob::test::resetLargestAllocation();
  std::vector<std::uint8_t> out;
  std::string error;
  ASSERT_TRUE(ob::zip::inflate(packed.data(), packed.size(), std::size_t(1) << 38, out, error)) << error;
  EXPECT_EQ(out, data);
  EXPECT_LE(ob::test::largestAllocation(), std::size_t(1) << 17);
}

TEST(ZipLimits, TheDeclaredTotalIsCheckedBeforeAnythingIsUnpacked) {
  // Three honest-looking entries of 768 MiB of zeros (688:1) declare more
  // than the 2 GiB in all; the first must not be unpacked to find that out.
  const std::uint32_t each = 768u << 20;
  RawArchive a;
  for (const char* name : {"a.bin", "b.bin", "c.bin"}) a.entries.push_back(zeroEntry(name, each, false));
  const Bytes b = buildArchive(a);
  ob::test::resetPeakLiveBytes();
  const std::size_t before = ob::test::liveBytes();
  ob::Diagnostics d;
  EXPECT_FALSE(ob::zip::readZip(b.data(), b.size(), d));
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].code, "zip-too-large");
  EXPECT_EQ(d[0].path, "/c.bin");
  EXPECT_LT(ob::test::peakLiveBytes() - before, std::size_t(1) << 20);
}

}  // namespace archive_zip_limits_test
