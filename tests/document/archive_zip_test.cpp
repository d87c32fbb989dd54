// Zip reader and writer: layout, round trips, name rules, limits and the
// findings for damaged or hostile archives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/archive/crc32.h"
#include "document/archive/deflate.h"
#include "document/archive/zip_format.h"
#include "document/archive/zip_reader.h"
#include "document/archive/zip_writer.h"
#include "support/document/archive_rig.h"

namespace archive_zip_test {

using namespace archive_test;
using ob::Diagnostics;
using ob::Severity;
namespace zip = ob::zip;

struct Finding {
  std::string code;
  Severity severity;
  std::string path;
  std::string message;
};

void expectFindings(const Diagnostics& d, const std::vector<Finding>& want) {
  ASSERT_EQ(d.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(d[i].code, want[i].code) << i;
    EXPECT_EQ(d[i].severity, want[i].severity) << i;
    EXPECT_EQ(d[i].path, want[i].path) << i;
    EXPECT_EQ(d[i].message, want[i].message) << i;
    EXPECT_TRUE(d[i].detail.empty()) << i;
  }
}

RawEntry stored(const std::string& name, const Bytes& data) {
  RawEntry e;
  e.name = name;
  e.payload = data;
  e.crc = zip::crc32(data.data(), data.size());
  e.packedSize = e.unpackedSize = std::uint32_t(data.size());
  return e;
}

RawEntry deflated(const std::string& name, const Bytes& data) {
  RawEntry e = stored(name, data);
  e.payload = zip::deflate(data.data(), data.size());
  e.method = 8;
  e.packedSize = std::uint32_t(e.payload.size());
  return e;
}

std::optional<std::vector<zip::Entry>> read(const Bytes& b, Diagnostics& d, const zip::Limits& limits = {}) {
  return zip::readZip(b.data(), b.size(), d, limits);
}

zip::Entry entry(const std::string& name, Bytes data, bool compress) {
  zip::Entry e;
  e.name = name;
  e.data = std::move(data);
  e.compress = compress;
  return e;
}

std::vector<std::string> namesOf(const std::vector<zip::Entry>& entries) {
  std::vector<std::string> n;
  for (const auto& e : entries) n.push_back(e.name);
  return n;
}

TEST(ZipWriter, EmptyListIsTheBareEndRecord) {
  Diagnostics d;
  const auto bytes = zip::writeZip({}, d);
  ASSERT_TRUE(bytes);
  Bytes want = {0x50, 0x4B, 0x05, 0x06};
  want.resize(22, 0);
  EXPECT_EQ(*bytes, want);
  EXPECT_TRUE(zip::looksLikeZip(bytes->data(), bytes->size()));
  const auto entries = read(*bytes, d);
  ASSERT_TRUE(entries);
  EXPECT_TRUE(entries->empty());
  EXPECT_TRUE(d.empty());
}

TEST(ZipWriter, RoundTripKeepsOrderDataAndMethod) {
  std::vector<zip::Entry> in;
  in.push_back(entry("instance.json", compressibleBytes(5000, 1), true));
  in.push_back(entry("assets/noise.wav", randomBytes(3000, 2), true));  // does not shrink
  in.push_back(entry("plain.txt", bytesOf("kept as it is"), false));
  in.push_back(entry("empty", {}, true));
  in.push_back(entry("dir/\xC3\xA9t\xC3\xA9.bin", Bytes(1000, 7), true));
  Diagnostics d;
  const auto bytes = zip::writeZip(in, d);
  ASSERT_TRUE(bytes);
  EXPECT_TRUE(d.empty());
  const auto out = read(*bytes, d);
  ASSERT_TRUE(out);
  EXPECT_TRUE(d.empty());
  ASSERT_EQ(out->size(), in.size());
  const bool method8[] = {true, false, false, false, true};
  for (std::size_t i = 0; i < in.size(); ++i) {
    EXPECT_EQ((*out)[i].name, in[i].name);
    EXPECT_EQ((*out)[i].data, in[i].data);
    EXPECT_EQ((*out)[i].compress, method8[i]) << in[i].name;
  }
}

TEST(ZipWriter, RecordFieldsAreFixed) {
  std::vector<zip::Entry> in;
  in.push_back(entry("a.txt", compressibleBytes(4000, 3), true));
  in.push_back(entry("b.bin", randomBytes(100, 4), true));
  Diagnostics d;
  const Bytes b = *zip::writeZip(in, d);
  // Local headers in list order, then the central directory, then the end.
  std::size_t pos = 0;
  std::vector<std::uint32_t> offsets;
  for (const auto& e : in) {
    offsets.push_back(std::uint32_t(pos));
    ASSERT_EQ(zip::readU32LE(&b[pos]), 0x04034b50u);
    EXPECT_EQ(zip::readU16LE(&b[pos + 4]), 20);
    EXPECT_EQ(zip::readU16LE(&b[pos + 6]), 0x0800);
    EXPECT_EQ(zip::readU16LE(&b[pos + 10]), 0);
    EXPECT_EQ(zip::readU16LE(&b[pos + 12]), 0x0021);
    EXPECT_EQ(zip::readU32LE(&b[pos + 14]), zip::crc32(e.data.data(), e.data.size()));
    EXPECT_EQ(zip::readU32LE(&b[pos + 22]), e.data.size());
    EXPECT_EQ(zip::readU16LE(&b[pos + 28]), 0);
    const std::uint16_t method = zip::readU16LE(&b[pos + 8]);
    const std::uint32_t packed = zip::readU32LE(&b[pos + 18]);
    if (method == 0)
      EXPECT_EQ(packed, e.data.size());
    else
      EXPECT_LT(packed, e.data.size());
    pos += 30 + e.name.size() + packed;
  }
  const std::size_t directory = pos;
  for (std::size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(zip::readU32LE(&b[pos]), 0x02014b50u);
    EXPECT_EQ(zip::readU16LE(&b[pos + 4]), 20);
    EXPECT_EQ(zip::readU16LE(&b[pos + 6]), 20);
    EXPECT_EQ(zip::readU16LE(&b[pos + 8]), 0x0800);
    EXPECT_EQ(zip::readU16LE(&b[pos + 12]), 0);
    EXPECT_EQ(zip::readU16LE(&b[pos + 14]), 0x0021);
    EXPECT_EQ(zip::readU16LE(&b[pos + 30]), 0);
    EXPECT_EQ(zip::readU16LE(&b[pos + 32]), 0);
    EXPECT_EQ(zip::readU32LE(&b[pos + 42]), offsets[i]);
    pos += 46 + in[i].name.size();
  }
  ASSERT_EQ(b.size(), pos + 22);
  EXPECT_EQ(zip::readU16LE(&b[pos + 8]), 2);
  EXPECT_EQ(zip::readU16LE(&b[pos + 10]), 2);
  EXPECT_EQ(zip::readU32LE(&b[pos + 12]), pos - directory);
  EXPECT_EQ(zip::readU32LE(&b[pos + 16]), directory);
  EXPECT_EQ(zip::readU16LE(&b[pos + 20]), 0);
}

TEST(ZipWriter, RefusesBadLists) {
  {
    Diagnostics d;
    EXPECT_FALSE(zip::writeZip({entry("a", {}, false), entry("b", {}, false), entry("a", {1}, false)}, d));
    expectFindings(d, {{"zip-duplicate-name", Severity::Error, "/a", "Two entries share a name"}});
  }
  {
    Diagnostics d;
    EXPECT_FALSE(zip::writeZip({entry("ok", {}, false), entry("../x", {}, false)}, d));
    expectFindings(d, {{"zip-unsafe-name", Severity::Error, "/../x", "Unsafe entry name"}});
  }
}

TEST(ZipWriter, EntryCountLimit) {
  std::vector<zip::Entry> list(65534);
  for (std::size_t i = 0; i < list.size(); ++i) list[i].name = std::to_string(i);
  Diagnostics d;
  const auto bytes = zip::writeZip(list, d);
  ASSERT_TRUE(bytes);
  EXPECT_TRUE(d.empty());
  const auto back = read(*bytes, d, {65534, 1, 1});
  ASSERT_TRUE(back);
  EXPECT_EQ(back->size(), 65534u);
  list.push_back(entry("one more", {}, false));
  EXPECT_FALSE(zip::writeZip(list, d));
  expectFindings(d, {{"zip-too-large", Severity::Error, "", "Too many entries for a zip without Zip64"}});
}

TEST(ZipNames, SafeAndUnsafe) {
  for (const std::string& name :
       std::vector<std::string>{"../x", "a/../b", "x/..", "/x", "a\\b", "d:x", std::string("a\x01", 2),
                                std::string(), std::string(65536, 'n'), std::string("..")})
    EXPECT_FALSE(zip::isSafeEntryName(name)) << name;
  for (const std::string& name :
       std::vector<std::string>{"a/./b", "a//b", "..x", "x..", "\xC3\xA9\xFF", "a/b/",
                                std::string(65535, 'n'), std::string("x\x7F"), std::string(".")})
    EXPECT_TRUE(zip::isSafeEntryName(name)) << name;
}

TEST(ZipNames, LooksLikeZip) {
  const auto looks = [](const Bytes& b) { return zip::looksLikeZip(b.data(), b.size()); };
  EXPECT_TRUE(looks({'P', 'K', 3, 4}));
  EXPECT_TRUE(looks({'P', 'K', 5, 6, 0}));
  EXPECT_FALSE(looks({'P', 'K', 3}));
  EXPECT_FALSE(looks({'P', 'K', 1, 2}));
  EXPECT_FALSE(looks(bytesOf("{\"kind\":1}")));
  EXPECT_FALSE(zip::looksLikeZip(nullptr, 0));
}

TEST(ZipReader, FindsTheEndRecordBehindTheLongestComment) {
  RawArchive a;
  a.entries.push_back(stored("x", bytesOf("data")));
  a.comment.assign(65535, 'c');
  // A decoy record inside the comment whose length does not reach the end.
  a.comment.replace(100, 4, "PK\x05\x06");
  Bytes b = buildArchive(a);
  Diagnostics d;
  auto entries = read(b, d);
  ASSERT_TRUE(entries);
  EXPECT_EQ(namesOf(*entries), std::vector<std::string>{"x"});
  b.push_back(0);
  EXPECT_FALSE(read(b, d));
  expectFindings(d, {{"zip-unreadable", Severity::Error, "", "No end-of-archive record"}});
}

TEST(ZipReader, WholeArchiveFailures) {
  const auto failsWith = [](const Bytes& b, const Finding& f, const zip::Limits& limits = {}) {
    Diagnostics d;
    EXPECT_FALSE(read(b, d, limits));
    expectFindings(d, {f});
  };
  failsWith(Bytes(21, 0), {"zip-unreadable", Severity::Error, "", "Too short to be a zip archive"});
  failsWith(Bytes(100, 0), {"zip-unreadable", Severity::Error, "", "No end-of-archive record"});

  RawArchive base;
  base.entries.push_back(stored("a", bytesOf("alpha")));
  base.entries.push_back(stored("b", bytesOf("beta")));
  const Finding split{"zip-unsupported", Severity::Error, "",
                      "Archives split over several files are not supported"};
  RawArchive a = base;
  a.thisDisk = 1;
  failsWith(buildArchive(a), split);
  a = base;
  a.directoryDisk = 2;
  failsWith(buildArchive(a), split);
  a = base;
  a.entriesHere = 1;
  failsWith(buildArchive(a), split);

  const Finding zip64{"zip-unsupported", Severity::Error, "", "Zip64 archives are not supported"};
  a = base;
  a.entriesHere = a.total = 0xFFFF;
  failsWith(buildArchive(a), zip64);
  a = base;
  a.overrideDirectory = true;
  a.directorySize = 0xFFFFFFFF;
  failsWith(buildArchive(a), zip64);
  a.directorySize = 10;
  a.directoryOffset = 0xFFFFFFFF;
  failsWith(buildArchive(a), zip64);

  failsWith(buildArchive(base), {"zip-too-large", Severity::Error, "", "More entries than allowed (1)"},
            {1, 100, 100});

  a = base;
  a.overrideDirectory = true;
  a.directoryOffset = 0;
  a.directorySize = 1000;
  failsWith(buildArchive(a), {"zip-unreadable", Severity::Error, "", "Central directory out of bounds"});

  const Finding damaged{"zip-unreadable", Severity::Error, "", "Damaged central directory"};
  a = base;
  a.entriesHere = a.total = 3;  // a third record that is not there
  failsWith(buildArchive(a), damaged);
  Bytes b = buildArchive(base);
  const std::size_t directory = zip::readU32LE(&b[b.size() - 6]);
  Bytes badSignature = b;
  badSignature[directory + 46 + 1] = 'X';  // second record's signature
  failsWith(badSignature, damaged);
  Bytes longName = b;
  longName[directory + 46 + 1 + 28] = 200;  // second record's name length past the directory
  failsWith(longName, damaged);
}

TEST(ZipReader, EntryFailuresThatStopTheRead) {
  RawArchive a;
  a.entries.push_back(stored("a", bytesOf("alpha")));
  a.entries.push_back(stored("big", bytesOf("beta")));
  a.entries[1].unpackedSize = 0xFFFFFFFF;
  Diagnostics d;
  EXPECT_FALSE(read(buildArchive(a), d));
  expectFindings(d, {{"zip-unsupported", Severity::Error, "/big", "Zip64 entries are not supported"}});

  a.entries[1] = stored("big", Bytes(101, 1));
  d = {};
  EXPECT_FALSE(read(buildArchive(a), d, {10, 100, 1000}));
  expectFindings(d, {{"zip-too-large", Severity::Error, "/big", "The archive unpacks to more than allowed"}});

  // Directories and skipped entries count towards the total, and the whole
  // directory is held against it before any entry is looked at.
  RawArchive t;
  t.entries.push_back(stored("dir/", {}));
  t.entries[0].unpackedSize = 60;
  t.entries.push_back(stored("../evil", Bytes(30, 1)));
  t.entries.push_back(stored("c", Bytes(20, 1)));
  d = {};
  EXPECT_FALSE(read(buildArchive(t), d, {10, 100, 100}));
  expectFindings(d, {{"zip-too-large", Severity::Error, "/c", "The archive unpacks to more than allowed"}});
  d = {};
  EXPECT_TRUE(read(buildArchive(t), d, {10, 100, 110}));
}

TEST(ZipReader, EntryFindingsSkipOneEntry) {
  RawArchive a;
  a.entries.push_back(stored("dir/", {}));
  a.entries.push_back(stored("../", {}));  // a directory: skipped before the name rule
  a.entries.push_back(stored("../x", bytesOf("x")));
  a.entries.push_back(stored("keep1", bytesOf("one")));
  RawEntry locked = stored("a", bytesOf("secret"));
  locked.flags = 1;
  a.entries.push_back(locked);
  a.entries.push_back(stored("a", bytesOf("plain")));
  RawEntry bzip = stored("m", bytesOf("x"));
  bzip.method = 12;
  a.entries.push_back(bzip);
  RawEntry badLocal = stored("h1", bytesOf("x"));
  badLocal.badLocalSignature = true;
  a.entries.push_back(badLocal);
  RawEntry farLocal = stored("h2", bytesOf("x"));
  farLocal.overrideOffset = true;
  farLocal.localOffset = 0x7FFFFFF0;
  a.entries.push_back(farLocal);
  RawEntry pastEnd = stored("p", bytesOf("x"));
  pastEnd.packedSize = pastEnd.unpackedSize = 0x100000;
  a.entries.push_back(pastEnd);
  RawEntry sizes = stored("s", bytesOf("abcd"));
  sizes.unpackedSize = 3;
  a.entries.push_back(sizes);
  RawEntry badCrc = deflated("c", compressibleBytes(500, 1));
  badCrc.crc ^= 1;
  a.entries.push_back(badCrc);
  RawEntry shortStream = deflated("w", compressibleBytes(500, 2));
  shortStream.unpackedSize += 1;
  a.entries.push_back(shortStream);
  RawEntry broken = deflated("z", compressibleBytes(500, 3));
  broken.payload[0] |= 0x06;  // block type 3
  a.entries.push_back(broken);
  RawEntry longStream = deflated("l", compressibleBytes(500, 4));
  longStream.unpackedSize -= 1;
  a.entries.push_back(longStream);
  a.entries.push_back(deflated("keep2", compressibleBytes(700, 5)));
  RawEntry withExtras = stored("keep3", bytesOf("three"));
  withExtras.centralExtra = "extra-field";
  withExtras.centralComment = "a comment";
  a.entries.push_back(withExtras);

  Diagnostics d;
  const auto entries = read(buildArchive(a), d);
  ASSERT_TRUE(entries);
  EXPECT_EQ(namesOf(*entries), (std::vector<std::string>{"keep1", "keep2", "keep3"}));
  EXPECT_EQ((*entries)[0].data, bytesOf("one"));
  EXPECT_FALSE((*entries)[0].compress);
  EXPECT_EQ((*entries)[1].data, compressibleBytes(700, 5));
  EXPECT_TRUE((*entries)[1].compress);
  const Severity W = Severity::Warning;
  expectFindings(d, {
                        {"zip-unsafe-name", W, "/../x", "The entry name leaves the archive; skipped"},
                        {"zip-duplicate-name", W, "/a", "A second entry of the same name; skipped"},
                        {"zip-damaged-entry", W, "/h1", "The entry's header is damaged; skipped"},
                        {"zip-damaged-entry", W, "/h2", "The entry's header is damaged; skipped"},
                        {"zip-damaged-entry", W, "/p", "The entry runs past the archive; skipped"},
                        {"zip-damaged-entry", W, "/s", "Stored sizes disagree; skipped"},
                        // Entries located but sealed are skipped where they would unpack.
                        {"zip-encrypted", W, "/a", "Encrypted entries are not supported; skipped"},
                        {"zip-method", W, "/m", "Entries are stored or deflated; skipped"},
                        {"zip-checksum", W, "/c", "Checksum mismatch; skipped"},
                        {"zip-damaged-entry", W, "/w", "Cannot decompress: wrong size; skipped"},
                        {"zip-damaged-entry", W, "/z", "Cannot decompress: invalid block type; skipped"},
                        {"zip-damaged-entry", W, "/l", "Cannot decompress: more data than declared; skipped"},
                    });
}

TEST(ZipReader, TheFilterDecidesFromDeclaredSizesBeforeUnpacking) {
  RawArchive a;
  a.entries.push_back(stored("dir/", {}));
  a.entries.push_back(stored("../x", bytesOf("x")));
  a.entries.push_back(deflated("keep", compressibleBytes(900, 1)));
  RawEntry liar = deflated("liar", compressibleBytes(900, 2));
  liar.crc ^= 1;  // would be a checksum finding, were it unpacked
  a.entries.push_back(liar);
  a.entries.push_back(stored("plain", bytesOf("plain bytes")));
  const Bytes b = buildArchive(a);

  std::vector<zip::DirectoryRecord> asked;
  Diagnostics d;
  const auto entries = zip::readZip(b.data(), b.size(), d, {}, [&](const zip::DirectoryRecord& r) {
    asked.push_back(r);
    return r.name != "liar";
  });
  ASSERT_TRUE(entries);
  EXPECT_EQ(namesOf(*entries), (std::vector<std::string>{"keep", "plain"}));
  // Only entries sound enough to unpack are offered, with their declared sizes.
  ASSERT_EQ(asked.size(), 3u);
  for (std::size_t i = 0; i < asked.size(); ++i) {
    const RawEntry& raw = a.entries[i + 2];
    EXPECT_EQ(asked[i].name, raw.name) << i;
    EXPECT_EQ(asked[i].method, raw.method) << i;
    EXPECT_EQ(asked[i].packedSize, raw.packedSize) << i;
    EXPECT_EQ(asked[i].size, raw.unpackedSize) << i;
  }
  // A declined entry costs no finding of the reader's.
  expectFindings(
      d, {{"zip-unsafe-name", Severity::Warning, "/../x", "The entry name leaves the archive; skipped"}});
}

TEST(ZipDirectory, ListsEveryRecordWithoutLookingAtEntries) {
  RawArchive a;
  a.entries.push_back(stored("dir/", {}));
  RawEntry badLocal = stored("instance.json", bytesOf("{}"));
  badLocal.badLocalSignature = true;
  a.entries.push_back(badLocal);
  a.entries.push_back(deflated("c", compressibleBytes(300, 3)));
  const Bytes b = buildArchive(a);
  Diagnostics d;
  const auto records = zip::readZipDirectory(b.data(), b.size(), d, {});
  ASSERT_TRUE(records);
  EXPECT_TRUE(d.empty());
  ASSERT_EQ(records->size(), a.entries.size());
  for (std::size_t i = 0; i < records->size(); ++i) {
    EXPECT_EQ((*records)[i].name, a.entries[i].name) << i;
    EXPECT_EQ((*records)[i].crc, a.entries[i].crc) << i;
    EXPECT_EQ((*records)[i].size, a.entries[i].unpackedSize) << i;
  }
  // The limits are the reader's: the same archive with a smaller total fails.
  EXPECT_FALSE(zip::readZipDirectory(b.data(), b.size(), d, {10, 1000, 100}));
  expectFindings(d, {{"zip-too-large", Severity::Error, "/c", "The archive unpacks to more than allowed"}});
}

TEST(ZipReader, LocalHeaderOnlyLocatesThePayload) {
  std::vector<zip::Entry> in = {entry("t.txt", compressibleBytes(3000, 9), true)};
  Diagnostics d;
  Bytes b = *zip::writeZip(in, d);
  // Scramble flags, method, CRC and sizes of the local header.
  for (std::size_t i = 6; i < 26; ++i) b[i] ^= 0x5A;
  const auto out = read(b, d);
  ASSERT_TRUE(out);
  ASSERT_EQ(out->size(), 1u);
  EXPECT_EQ((*out)[0].data, in[0].data);
  EXPECT_TRUE(d.empty());
}

TEST(ZipReader, DamagedArchivesNeverCrash) {
  std::vector<zip::Entry> in = {entry("instance.json", compressibleBytes(4000, 1), true),
                                entry("assets/a", randomBytes(500, 2), false),
                                entry("x/y", Bytes(300, 3), true)};
  Diagnostics d;
  const Bytes b = *zip::writeZip(in, d);
  for (std::size_t cut = 0; cut < b.size(); ++cut) {
    Diagnostics dd;
    const Bytes part(b.begin(), b.begin() + std::ptrdiff_t(cut));
    EXPECT_FALSE(read(part, dd)) << cut;
    ASSERT_EQ(dd.size(), 1u);
    EXPECT_EQ(dd[0].code, "zip-unreadable");
  }
  std::mt19937 rng(5);
  for (int i = 0; i < 3000; ++i) {
    Bytes bad = b;
    for (int k = 0; k < 3; ++k) bad[rng() % bad.size()] = std::uint8_t(rng());
    Diagnostics dd;
    const auto out = read(bad, dd);
    if (out) {
      for (const auto& e : *out) EXPECT_TRUE(zip::isSafeEntryName(e.name));
    } else {
      EXPECT_FALSE(dd.empty());
    }
  }
}

}  // namespace archive_zip_test
