// Following an archive's records as its bytes arrive, as a host's state
// stream gives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/archive/zip_format.h"
#include "document/archive/zip_stream_walk.h"
#include "document/archive/zip_writer.h"
#include "support/document/archive_rig.h"

namespace archive_zip_stream_walk_test {

using namespace archive_test;
namespace zip = ob::zip;
using Verdict = zip::StreamWalk::Verdict;

// The verdict once every byte is in, given piece by piece; a verdict other
// than Going ends the walk where it came.
Verdict walkInPieces(const Bytes& bytes, std::size_t piece, std::size_t* seen = nullptr) {
  zip::StreamWalk walk({}, std::uint64_t(3) << 30);
  for (std::size_t n = std::min(piece, bytes.size());; n = std::min(n + piece, bytes.size())) {
    const Verdict verdict = walk.follow(bytes.data(), n);
    if (seen != nullptr) *seen = n;
    if (verdict != Verdict::Going || n == bytes.size()) return verdict;
  }
}

Bytes written() {
  std::vector<zip::Entry> in(4);
  in[0].name = "instance.json", in[0].data = compressibleBytes(5000, 1), in[0].compress = true;
  in[1].name = "assets/noise.wav", in[1].data = randomBytes(3000, 2);
  in[2].name = "empty";
  in[3].name = "dir/\xC3\xA9t\xC3\xA9.bin", in[3].data = Bytes(1000, 7), in[3].compress = true;
  ob::Diagnostics d;
  return zip::writeZip(in, d).value_or(Bytes{});
}

Bytes withComment() {
  RawArchive a;
  a.entries.push_back(storedEntry("a", bytesOf("first")));
  a.entries.push_back(storedEntry("b", Bytes(300, 9)));
  a.entries[1].centralExtra = "xy";
  a.entries[1].centralComment = "about b";
  a.comment = std::string(1000, 'c');
  return buildArchive(a);
}

TEST(ZipStreamWalk, AnArchiveThisProjectWritesIsFollowedToItsEnd) {
  Bytes empty = {0x50, 0x4B, 0x05, 0x06};
  empty.resize(22, 0);
  const std::pair<const char*, Bytes> archives[] = {
      {"written", written()}, {"with comments and extras", withComment()}, {"empty", empty}};
  for (const auto& [name, bytes] : archives) {
    ASSERT_FALSE(bytes.empty());
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}, bytes.size()}) {
      SCOPED_TRACE(testing::Message() << name << ", pieces of " << piece);
      EXPECT_EQ(walkInPieces(bytes, piece), Verdict::Going);
    }
  }
}

TEST(ZipStreamWalk, BytesWhereARecordShouldStartBreakIt) {
  Bytes zeros = bytesOf("PK\x03\x04");
  zeros.resize(4096, 0);
  Bytes trailing = written();
  trailing.push_back(0);
  RawArchive a;
  a.entries.push_back(storedEntry("a", bytesOf("first")));
  a.entries.push_back(storedEntry("b", bytesOf("second")));
  a.entries[1].badLocalSignature = true;
  const Bytes badSecond = buildArchive(a);
  a.entries[1].badLocalSignature = false;
  a.entries[0].packedSize -= 1;  // the record after it is looked for a byte early
  a.entries[0].unpackedSize -= 1;
  const Bytes shortFirst = buildArchive(a);
  Bytes emptyThenZeros = {0x50, 0x4B, 0x05, 0x06};
  emptyThenZeros.resize(4096, 0);
  const std::pair<const char*, Bytes> streams[] = {{"a local header, then zeros", zeros},
                                                   {"a byte after the end", trailing},
                                                   {"the second entry's signature", badSecond},
                                                   {"a size one short", shortFirst},
                                                   {"an empty archive, then zeros", emptyThenZeros}};
  for (const auto& [name, bytes] : streams) {
    for (const std::size_t piece : {std::size_t{1}, std::size_t{4096}}) {
      SCOPED_TRACE(testing::Message() << name << ", pieces of " << piece);
      std::size_t seen = 0;
      EXPECT_EQ(walkInPieces(bytes, piece, &seen), Verdict::Broken);
      if (piece == 1 && bytes == zeros) {
        EXPECT_EQ(seen, zip::kLocalHeaderSize + 4);
      }
    }
  }
}

TEST(ZipStreamWalk, AnEntryWhoseSizesFollowItsDataEndsTheWalk) {
  for (const std::uint16_t method : {0, 8}) {
    for (const bool zip64 : {false, true}) {
      SCOPED_TRACE(testing::Message() << "method " << method << (zip64 ? ", Zip64 sizes" : ", descriptor"));
      RawArchive a;
      a.entries.push_back(storedEntry("a", bytesOf("first")));
      a.entries.push_back(storedEntry("b", bytesOf("second")));
      a.entries[1].method = method;
      if (zip64)
        a.entries[1].packedSize = 0xFFFFFFFFu;
      else
        a.entries[1].flags = 0x0008;  // its sizes given in its header too, as zip writes a pipe
      Bytes bytes = buildArchive(a);
      bytes.resize(bytes.size() + 100, 0);  // whatever follows is not looked at
      EXPECT_EQ(walkInPieces(bytes, 1), zip64 ? Verdict::Zip64 : Verdict::SizesFollowData);
    }
  }
}

// Records that together declare what the reader would refuse end the walk
// at the one that passes the limit (the state's tests follow single ones).
TEST(ZipStreamWalk, RecordsPastTheReadersLimitsEndTheWalkThere) {
  const auto walk = [](std::size_t count, const RawEntry& entry) {
    RawArchive a;
    for (std::size_t i = 0; i < count; ++i)
      a.entries.push_back(entry), a.entries[i].name += std::to_string(i);
    const Bytes bytes = buildArchive(a);
    return zip::StreamWalk({300, 100, 150}, std::uint64_t(3) << 30).follow(bytes.data(), bytes.size());
  };
  RawArchive beyond;
  beyond.entries.push_back(storedEntry("a", {}));
  beyond.entries[0].packedSize = beyond.entries[0].unpackedSize = 200;
  const Bytes past = buildArchive(beyond);
  EXPECT_EQ(zip::StreamWalk({}, 199).follow(past.data(), zip::kLocalHeaderSize), Verdict::PastSizeLimit);
  // A packed size its size cannot account for, however much the limits leave.
  for (const std::uint16_t method : {0, 8}) {
    for (const std::uint32_t size : {0u, 80u}) {
      SCOPED_TRACE(testing::Message() << "method " << method << ", size " << size);
      RawEntry lying = storedEntry("a", Bytes(size, 1));
      lying.method = method;
      lying.packedSize = method == 0 ? size + 1 : 0xBFFFFF00u;
      EXPECT_EQ(walk(1, lying), Verdict::PackedSizeWrong);
    }
  }
  EXPECT_EQ(walk(2, storedEntry("a", Bytes(80, 1))), Verdict::TotalTooLarge);
  EXPECT_EQ(walk(257, storedEntry(std::string(65530, 'n'), {})), Verdict::NamesTooLarge);
}

}  // namespace archive_zip_stream_walk_test
