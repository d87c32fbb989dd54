// Package reading: JSON text or zip, asset verification, kept entries and
// the findings of each refusal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "document/archive/crc32.h"
#include "document/archive/sha256.h"
#include "document/archive/zip_writer.h"
#include "document/json/json_write.h"
#include "document/package/package.h"
#include "document/package/unpack_limits.h"
#include "support/document/archive_rig.h"

namespace package_read_test {

using namespace archive_test;
using ob::Diagnostics;
using ob::Severity;

std::optional<ob::Package> read(const Bytes& b, Diagnostics& d, const std::string& name = "instance.json",
                                const ob::zip::Limits& limits = {}) {
  return ob::readPackage(b.data(), b.size(), name, d, limits);
}

ob::zip::Entry entry(const std::string& name, const Bytes& data, bool compress = false) {
  ob::zip::Entry e;
  e.name = name;
  e.data = data;
  e.compress = compress;
  return e;
}

Bytes archive(const std::vector<ob::zip::Entry>& entries) {
  Diagnostics d;
  auto b = ob::zip::writeZip(entries, d);
  EXPECT_TRUE(b);
  return *b;
}

std::string digest(const Bytes& b) { return ob::sha256Hex(b.data(), b.size()); }

const char* kDoc = "{\"kind\": \"instance\", \"n\": 1.50}";

void expectOne(const Diagnostics& d, const std::string& code, Severity s, const std::string& path,
               const std::string& messageStart) {
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].code, code);
  EXPECT_EQ(d[0].severity, s);
  EXPECT_EQ(d[0].path, path);
  EXPECT_EQ(d[0].message.substr(0, messageStart.size()), messageStart) << d[0].message;
}

TEST(PackageRead, JsonTextAfterByteOrderMarkAndBlanks) {
  Diagnostics d;
  const auto p = read(bytesOf("\xEF\xBB\xBF \t\r\n" + std::string(kDoc)), d);
  ASSERT_TRUE(p);
  EXPECT_TRUE(d.empty());
  EXPECT_EQ(p->documentName, "instance.json");
  EXPECT_EQ(ob::JsonValue::getString(p->document, "kind", ""), "instance");
  EXPECT_EQ(p->document.find("n")->numberText, "1.50");
  EXPECT_TRUE(p->assets.empty());
  EXPECT_TRUE(p->otherEntries.empty());
}

TEST(PackageRead, NeitherJsonNorZip) {
  for (const std::string text :
       {"", "  \n\t", "[1, 2]", "kind", "\xEF\xBB", "\xEF\xBB\xBF", "PK\x01\x02xxxx"}) {
    Diagnostics d;
    EXPECT_FALSE(read(bytesOf(text), d)) << text;
    expectOne(d, "package-unreadable", Severity::Error, "", "Neither a JSON document nor a zip archive");
  }
}

TEST(PackageRead, BrokenJsonText) {
  Diagnostics d;
  EXPECT_FALSE(read(bytesOf("  {\"kind\": }"), d));
  expectOne(d, "document-unreadable", Severity::Error, "", "The document is not valid JSON: ");
  EXPECT_GT(d[0].message.size(), std::string("The document is not valid JSON: ").size());
}

TEST(PackageRead, ArchiveWithAssetsAndOtherEntries) {
  const Bytes sampleA = randomBytes(3000, 1);
  const Bytes sampleB = compressibleBytes(2000, 2);
  const std::string upper = "assets/" + [&] {
    std::string s = digest(sampleA);
    for (char& c : s) c = char(std::toupper(c));
    return s;
  }();
  const Bytes bytes = archive({entry("notes.txt", compressibleBytes(600, 5), true),
                               entry("instance.json", bytesOf(kDoc), true),
                               entry("assets/" + digest(sampleB), sampleB), entry(upper, sampleA),
                               entry("assets/short", sampleA), entry("assets/" + digest(sampleA), sampleA)});
  Diagnostics d;
  const auto p = read(bytes, d);
  ASSERT_TRUE(p);
  EXPECT_TRUE(d.empty());
  EXPECT_EQ(p->document.find("n")->numberText, "1.50");
  ASSERT_EQ(p->assets.size(), 2u);
  EXPECT_EQ(p->assets[0].name, digest(sampleB));
  EXPECT_EQ(p->assets[0].data, sampleB);
  EXPECT_EQ(p->assets[1].name, digest(sampleA));
  ASSERT_EQ(p->otherEntries.size(), 3u);
  EXPECT_EQ(p->otherEntries[0].name, "notes.txt");
  const Bytes notes = compressibleBytes(600, 5);
  EXPECT_EQ(p->otherEntries[0].form.method, 8);  // kept deflated, as stored
  EXPECT_EQ(p->otherEntries[0].form.size, notes.size());
  EXPECT_EQ(p->otherEntries[0].form.crc, ob::zip::crc32(notes.data(), notes.size()));
  EXPECT_LT(p->otherEntries[0].payload.size(), notes.size());
  EXPECT_EQ(p->otherEntries[1].name, upper);
  EXPECT_EQ(p->otherEntries[2].name, "assets/short");
  ASSERT_NE(ob::findAsset(*p, digest(sampleA)), nullptr);
  EXPECT_EQ(*ob::findAsset(*p, digest(sampleA)), sampleA);
  EXPECT_EQ(ob::findAsset(*p, "assets/" + digest(sampleA)), nullptr);
  EXPECT_EQ(ob::findAsset(*p, digest(bytesOf("x"))), nullptr);
}

TEST(PackageRead, CorruptAssetIsKeptAsStored) {
  const Bytes sample = randomBytes(100, 3);
  Bytes tampered = sample;
  tampered[50] ^= 1;
  const std::string name = "assets/" + digest(sample);
  Diagnostics d;
  const auto p = read(archive({entry("instance.json", bytesOf(kDoc)), entry(name, tampered)}), d);
  ASSERT_TRUE(p);
  EXPECT_TRUE(p->assets.empty());
  ASSERT_EQ(p->otherEntries.size(), 1u);
  EXPECT_EQ(p->otherEntries[0].name, name);
  EXPECT_EQ(p->otherEntries[0].payload, tampered);
  expectOne(d, "asset-corrupt", Severity::Warning, "/" + name,
            "The asset does not match its name; left out, the plugin falls back");
}

TEST(PackageRead, ArchiveWithoutTheDocument) {
  {
    Diagnostics d;
    const auto empty = archive({});
    EXPECT_FALSE(read(empty, d));
    expectOne(d, "document-missing", Severity::Error, "/instance.json", "The archive has no instance.json");
  }
  {
    Diagnostics d;
    EXPECT_FALSE(read(archive({entry("project.json", bytesOf(kDoc))}), d));
    expectOne(d, "document-missing", Severity::Error, "/instance.json", "The archive has no instance.json");
  }
  {
    // Another document name is honoured.
    Diagnostics d;
    const auto p = read(archive({entry("project.json", bytesOf(kDoc))}), d, "project.json");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->documentName, "project.json");
    EXPECT_TRUE(d.empty());
  }
}

TEST(PackageRead, UnreadableDocumentStopsAtOnce) {
  const Bytes sample = randomBytes(100, 4);
  Bytes tampered = sample;
  tampered[0] ^= 1;
  Diagnostics d;
  EXPECT_FALSE(read(archive({entry("instance.json", bytesOf("\xEF\xBB\xBF{nope")),
                             entry("assets/" + digest(sample), tampered)}),
                    d));
  // Only the document's finding: the corrupt asset after it is not visited.
  expectOne(d, "document-unreadable", Severity::Error, "/instance.json", "The document is not valid JSON: ");
}

TEST(PackageRead, ByteOrderMarkInsideTheArchive) {
  Diagnostics d;
  const auto p = read(archive({entry("instance.json", bytesOf("\xEF\xBB\xBF" + std::string(kDoc)))}), d);
  ASSERT_TRUE(p);
  EXPECT_TRUE(d.empty());
}

TEST(PackageRead, ZipFailuresAndLimitsPassThrough) {
  {
    Diagnostics d;
    Bytes b = bytesOf("PK\x03\x04");
    b.resize(30, 0);
    EXPECT_FALSE(read(b, d));
    expectOne(d, "zip-unreadable", Severity::Error, "", "No end-of-archive record");
  }
  {
    Diagnostics d;
    EXPECT_FALSE(read(archive({entry("instance.json", bytesOf(kDoc)), entry("x", {})}), d, "instance.json",
                      {1, 100, 100}));
    expectOne(d, "zip-too-large", Severity::Error, "", "More entries than allowed (1)");
  }
}

TEST(PackageRead, GrowthBeyondAThousandfoldIsNeverUnpacked) {
  ob::zip::DirectoryRecord r;
  const struct {
    std::uint32_t packed, size;
    bool refused;
  } cases[] = {{10, 10000, false}, {10, 10001, true}, {0, 0, false}, {0, 1, true}, {500, 500, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.packed) + " -> " + std::to_string(c.size));
    r.packedSize = c.packed;
    r.size = c.size;
    EXPECT_EQ(ob::claimsTooMuchGrowth(r), c.refused);
  }
}

TEST(PackageRead, OvergrownAssetsAndUnknownEntriesAreKeptUnpacked) {
  // 10 MB of zeros at 1,032:1: never unpacked, neither as an asset nor as an
  // unknown entry, but kept as stored, each counting its declared size.
  const std::uint32_t n = 10000000;
  const std::string assetName = "assets/" + digest(Bytes(n, 0));
  RawArchive a;
  a.entries.push_back(storedEntry("instance.json", bytesOf(kDoc)));
  a.entries.push_back(zeroEntry(assetName, n, true, true));
  a.entries.push_back(zeroEntry("extra/blob", n, true, true));
  a.entries.push_back(storedEntry("extra/note", bytesOf("kept")));
  Diagnostics d;
  const auto p = read(buildArchive(a), d);
  ASSERT_TRUE(p);
  EXPECT_TRUE(d.empty());
  EXPECT_TRUE(p->assets.empty());
  ASSERT_EQ(p->otherEntries.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(p->otherEntries[i].name, a.entries[i + 1].name);
    EXPECT_EQ(p->otherEntries[i].payload, a.entries[i + 1].payload);
  }
}

TEST(PackageRead, AnOvergrownDocumentFailsTheRead) {
  RawArchive a;
  a.entries.push_back(zeroEntry("instance.json", 10000000, true));
  Diagnostics d;
  EXPECT_FALSE(read(buildArchive(a), d));
  expectOne(d, "document-unreadable", Severity::Error, "/instance.json",
            "The document claims to unpack to more than 1000 times its packed size; not unpacked");
}

TEST(PackageRead, UnknownEntriesAreKeptUpTo64MiBInAll) {
  // In archive order, each entry that still fits is kept: the fourth fills
  // the budget exactly after the third, one byte too many, was dropped.
  const std::uint32_t half = 32u << 20;
  RawArchive a;
  a.entries.push_back(storedEntry("instance.json", bytesOf(kDoc)));
  a.entries.push_back(zeroEntry("x/1", half, false, true));
  a.entries.push_back(zeroEntry("x/2", half - 100, false, true));
  a.entries.push_back(storedEntry("x/3", Bytes(101, 3)));
  a.entries.push_back(storedEntry("x/4", Bytes(100, 4)));
  Diagnostics d;
  const auto p = read(buildArchive(a), d);
  ASSERT_TRUE(p);
  std::vector<std::string> names;
  for (const auto& e : p->otherEntries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"x/1", "x/2", "x/4"}));
  expectOne(d, "entry-dropped", Severity::Warning, "/x/3",
            "Entries this build does not read are kept up to 64 MiB in all; left out");
}

TEST(PackageRead, ADamagedDocumentEntryIsReportedAsSuch) {
  RawEntry doc = storedEntry("instance.json", bytesOf(kDoc));
  doc.crc ^= 1;
  RawArchive a;
  a.entries.push_back(doc);
  Diagnostics d;
  EXPECT_FALSE(read(buildArchive(a), d));
  ASSERT_EQ(d.size(), 2u);
  EXPECT_EQ(d[0].code, "zip-checksum");
  EXPECT_EQ(d[1].code, "document-unreadable");
  EXPECT_EQ(d[1].severity, Severity::Error);
  EXPECT_EQ(d[1].path, "/instance.json");
  EXPECT_EQ(d[1].message, "The document cannot be unpacked from the archive");
}

}  // namespace package_read_test
