// Package writing: plain text without assets, a fixed entry order with
// them, asset recording, and round trips through the reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "document/archive/crc32.h"
#include "document/archive/deflate.h"
#include "document/archive/sha256.h"
#include "document/archive/zip_directory.h"
#include "document/archive/zip_reader.h"
#include "document/json/json_parse.h"
#include "document/json/json_write.h"
#include "document/package/package.h"
#include "support/allocation_counter.h"
#include "support/document/archive_rig.h"

namespace package_write_test {

using namespace archive_test;
using ob::Diagnostics;
using ob::Severity;

ob::JsonValue parse(const std::string& text) {
  ob::JsonValue v;
  std::string error;
  EXPECT_TRUE(ob::parseJson(text, v, error)) << error;
  return v;
}

ob::Package packageOf(const std::string& text) {
  ob::Package p;
  p.document = parse(text);
  return p;
}

std::vector<ob::zip::Entry> entriesOf(const Bytes& b) {
  Diagnostics d;
  auto e = ob::zip::readZip(b.data(), b.size(), d);
  EXPECT_TRUE(e);
  EXPECT_TRUE(d.empty());
  return e ? std::move(*e) : std::vector<ob::zip::Entry>{};
}

// Each entry's method, by name, as the archive's directory gives it.
std::map<std::string, std::uint16_t> rawMethods(const Bytes& archive) {
  Diagnostics d;
  std::map<std::string, std::uint16_t> methods;
  if (auto records = ob::zip::readZipDirectory(archive.data(), archive.size(), d, {}))
    for (const auto& r : *records) methods[r.name] = r.method;
  return methods;
}

const char* kDoc = "{\"kind\": \"instance\", \"tempo\": 120.0, \"assets\": {}}";

// An entry kept as another archive stored it, stored there.
ob::zip::StoredEntry keptEntry(std::string name, const Bytes& data) {
  return {
      std::move(name), data, {0, 0, ob::zip::crc32(data.data(), data.size()), std::uint32_t(data.size())}};
}

TEST(PackageWrite, WithoutAssetsItIsPlainJson) {
  const ob::Package p = packageOf(kDoc);
  Diagnostics d;
  const auto bytes = ob::writePackage(p, d);
  ASSERT_TRUE(bytes);
  EXPECT_TRUE(d.empty());
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), ob::dumpJson(p.document));
}

TEST(PackageWrite, OneAssetMakesAnArchive) {
  ob::Package p = packageOf(kDoc);
  const Bytes wav = randomBytes(5000, 1);
  const std::string ref = ob::assetRefFor(p, wav);
  EXPECT_EQ(ref, "asset:" + ob::sha256Hex(wav.data(), wav.size()));
  Diagnostics d;
  const auto bytes = ob::writePackage(p, d);
  ASSERT_TRUE(bytes);
  EXPECT_EQ((*bytes)[0], 'P');
  const auto entries = entriesOf(*bytes);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "instance.json");
  const std::string text = ob::dumpJson(p.document);
  EXPECT_EQ(entries[0].data, Bytes(text.begin(), text.end()));
  EXPECT_EQ(entries[1].name, "assets/" + ref.substr(6));
  EXPECT_FALSE(entries[1].compress);  // assets are stored
  EXPECT_EQ(entries[1].data, wav);
}

TEST(PackageWrite, IdenticalBytesAreOneAsset) {
  ob::Package p = packageOf(kDoc);
  const Bytes wav = compressibleBytes(1000, 2);
  const std::string a = ob::assetRefFor(p, wav);
  const std::string b = ob::assetRefFor(p, wav);
  EXPECT_EQ(a, b);
  EXPECT_EQ(p.assets.size(), 1u);
  ob::assetRefFor(p, {});
  EXPECT_EQ(p.assets.size(), 2u);
  EXPECT_EQ(p.assets[1].name, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(PackageWrite, FixedEntryOrder) {
  ob::Package p = packageOf(kDoc);
  std::vector<std::string> names;
  for (std::uint32_t seed = 1; seed <= 6; ++seed)
    names.push_back(ob::assetRefFor(p, randomBytes(64 + seed, seed)).substr(6));
  p.otherEntries.push_back(keptEntry("zz-first-of-others.txt", bytesOf("other")));
  p.otherEntries.push_back(keptEntry("assets/NOT-A-DIGEST", bytesOf("other")));
  Diagnostics d;
  const auto entries = entriesOf(*ob::writePackage(p, d));
  std::sort(names.begin(), names.end());
  ASSERT_EQ(entries.size(), 1 + names.size() + 2);
  EXPECT_EQ(entries[0].name, "instance.json");
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(entries[1 + i].name, "assets/" + names[i]);
  EXPECT_EQ(entries[7].name, "zz-first-of-others.txt");
  EXPECT_EQ(entries[8].name, "assets/NOT-A-DIGEST");
}

TEST(PackageWrite, RoundTripThroughTheReader) {
  ob::Package p = packageOf(kDoc);
  const Bytes a = randomBytes(20000, 7), b = compressibleBytes(30000, 8);
  const std::string refA = ob::assetRefFor(p, a);
  const std::string refB = ob::assetRefFor(p, b);
  p.document.find("assets")->set("one", ob::makeJsonString(refA));
  p.document.find("assets")->set("two", ob::makeJsonString(refB));
  const ob::zip::StoredEntry kept = keptEntry("assets/ABC", bytesOf("upper-case name, kept as written"));
  p.otherEntries.push_back(kept);
  Diagnostics d;
  const auto bytes = ob::writePackage(p, d);
  ASSERT_TRUE(bytes);
  const auto back = ob::readPackage(bytes->data(), bytes->size(), "instance.json", d);
  ASSERT_TRUE(back);
  EXPECT_TRUE(d.empty());
  EXPECT_EQ(ob::dumpJson(back->document), ob::dumpJson(p.document));
  EXPECT_EQ(back->document.find("tempo")->numberText, "120.0");
  ASSERT_EQ(back->assets.size(), 2u);
  EXPECT_EQ(*ob::findAsset(*back, refA.substr(6)), a);
  EXPECT_EQ(*ob::findAsset(*back, refB.substr(6)), b);
  ASSERT_EQ(back->otherEntries.size(), 1u);
  EXPECT_EQ(back->otherEntries[0].name, kept.name);
  EXPECT_EQ(back->otherEntries[0].payload, kept.payload);
  // Written again, the package gives the same bytes.
  EXPECT_EQ(*ob::writePackage(*back, d), *bytes);
}

TEST(PackageWrite, MisnamedAssetsStopTheWrite) {
  const Bytes wav = randomBytes(100, 9);
  const std::string digits = ob::sha256Hex(wav.data(), wav.size());
  std::string upper = digits;
  for (char& c : upper) c = char(std::toupper(c));
  std::string other = digits;
  other[0] = other[0] == '0' ? '1' : '0';
  for (const std::string& name : {upper, digits.substr(1), other}) {
    ob::Package p = packageOf(kDoc);
    p.assets.push_back({name, wav});
    Diagnostics d;
    EXPECT_FALSE(ob::writePackage(p, d)) << name;
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].code, "asset-name");
    EXPECT_EQ(d[0].severity, Severity::Error);
    EXPECT_EQ(d[0].path, "/" + name);
    EXPECT_EQ(d[0].message, "An asset is named by the sha256 of its data");
  }
}

TEST(PackageWrite, ZipWriterFindingsFailTheWrite) {
  ob::Package p = packageOf(kDoc);
  p.otherEntries.push_back(keptEntry("../escape", {}));
  Diagnostics d;
  EXPECT_FALSE(ob::writePackage(p, d));
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].code, "zip-unsafe-name");

  p.otherEntries[0].name = "instance.json";
  Diagnostics d2;
  EXPECT_FALSE(ob::writePackage(p, d2));
  ASSERT_EQ(d2.size(), 1u);
  EXPECT_EQ(d2[0].code, "zip-duplicate-name");
}

// A package is written only when the reader takes it: past a limit the
// write stops before anything is made, naming the limit.
TEST(PackageWrite, APackageTheReaderWouldRefuseIsNotWritten) {
  const std::pair<ob::zip::Limits, const char*> cases[] = {
      {{2, 1000, 1000}, "The save would hold more than 2 files, the most a load takes"},
      {{10, 499, 1000}, "A file of the save would unpack to more than 499 bytes, the most a load takes"},
      {{10, 1000, 900}, "The save would unpack to more than 900 bytes, the most a load takes"},
  };
  for (const auto& [readable, message] : cases) {
    SCOPED_TRACE(message);
    ob::Package p = packageOf(kDoc);
    ob::assetRefFor(p, randomBytes(500, 1));
    ob::assetRefFor(p, randomBytes(400, 2));
    Diagnostics d;
    EXPECT_FALSE(ob::writePackage(p, d, readable));
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].code, "package-too-large");
    EXPECT_EQ(d[0].message, message);
  }
}

// What a load would refuse written one way is written another way the load
// takes: a document deeply nested past the document limit when indented
// goes compact, never built indented. Samples are written as they come, stored or as a load kept
// them packed, never packed anew: stored past the archive limit, the
// package is refused.
TEST(PackageWrite, APackageIsWrittenInAFormTheReaderTakes) {
  ob::JsonValue leaves = ob::makeJsonArray();
  for (int i = 0; i < 40000; ++i) leaves.elements.push_back(parse(R"({"a":1})"));
  ob::JsonValue deep = std::move(leaves);
  for (int i = 0; i < 200; ++i) {
    ob::JsonValue outer = ob::makeJsonObject();
    outer.set("n", std::move(deep));
    deep = std::move(outer);
  }
  ob::Package nested = packageOf(kDoc);
  nested.document.set("deep", std::move(deep));
  ASSERT_GT(ob::dumpJson(nested.document).size(), std::size_t(32) << 20);
  const std::string compact = ob::writeJson(nested.document);
  Diagnostics d;
  ob::test::resetPeakLiveBytes();
  const std::size_t before = ob::test::liveBytes();
  const auto text = ob::writePackage(nested, d);
  // The indented form is only counted: the save holds the text it writes.
  EXPECT_LT(ob::test::peakLiveBytes() - before, 3 * compact.size());
  ASSERT_TRUE(text) << ob::joinDiagnosticMessages(d);
  EXPECT_EQ(std::string(text->begin(), text->end()), compact);

  const Bytes noise = randomBytes(200000, 3), tone = compressibleBytes(200000, 4);
  const std::string toneName = ob::sha256Hex(tone.data(), tone.size());
  ob::zip::Limits readable;
  readable.maxArchiveBytes = 300000;
  ob::Package whole = packageOf(kDoc);
  ob::assetRefFor(whole, noise);
  ob::assetRefFor(whole, tone);
  EXPECT_FALSE(ob::writePackage(whole, d, readable));
  EXPECT_EQ(d[d.size() - 1].message, "The save would be larger than 300000 bytes, the most a load reads");

  ob::Package samples = packageOf(kDoc);
  ob::assetRefFor(samples, noise);
  ob::keptAssetRefFor(samples, {toneName, ob::zip::deflate(tone.data(), tone.size()),
                                ob::zip::PackedForm{8, 0, ob::zip::crc32(tone.data(), tone.size()),
                                                    std::uint32_t(tone.size())}});
  const auto packed = ob::writePackage(samples, d, readable);
  ASSERT_TRUE(packed) << ob::joinDiagnosticMessages(d);
  d = {};
  const auto back = ob::readPackage(packed->data(), packed->size(), "instance.json", d, readable);
  ASSERT_TRUE(back);
  EXPECT_TRUE(d.empty()) << ob::joinDiagnosticMessages(d);
  EXPECT_EQ(*ob::findAsset(*back, ob::sha256Hex(noise.data(), noise.size())), noise);
  EXPECT_EQ(*ob::findAsset(*back, toneName), tone);
  const auto methods = rawMethods(*packed);
  EXPECT_EQ(methods.at("assets/" + ob::sha256Hex(noise.data(), noise.size())), 0);
  EXPECT_EQ(methods.at("assets/" + toneName), 8);

  readable.maxArchiveBytes = 150000;
  EXPECT_FALSE(ob::writePackage(samples, d, readable));
  EXPECT_EQ(d[d.size() - 1].message, "The save would be larger than 150000 bytes, the most a load reads");
}

// A package's assets are copied once, into the archive: a save of a long
// sample takes the archive's memory and no more.
TEST(PackageWrite, AssetsAreCopiedOnlyIntoTheArchive) {
  ob::Package package = packageOf(R"({"kind":"instance"})");
  const std::size_t size = std::size_t(1) << 20;
  const std::string ref = ob::assetRefFor(package, randomBytes(size, 3));
  Diagnostics d;
  ob::test::resetPeakLiveBytes();
  const std::size_t before = ob::test::liveBytes();
  const auto bytes = ob::writePackage(package, d);
  const std::size_t peak = ob::test::peakLiveBytes() - before;
  ASSERT_TRUE(bytes) << ob::joinDiagnosticMessages(d);
  EXPECT_LT(peak, size + size / 4);
  const auto entries = entriesOf(*bytes);
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ("assets/" + ref.substr(6), entries[1].name);
  EXPECT_EQ(package.assets[0].data, entries[1].data);
}

}  // namespace package_write_test
