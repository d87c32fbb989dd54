// Hostile documents are refused or trimmed within bounded memory: the bytes
// held at the peak are watched through the global allocation functions,
// which this test program replaces. The bombs are made here, small: a
// gigabyte of zeros packs into a megabyte.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "archive_rig.h"
#include "document/archive/deflate.h"
#include "document/json/json.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "engine/model/demo_project.h"
#include "engine/pool/sample_pool.h"
#include "project_rig.h"
#include "support/allocation_counter.h"

namespace project_load_limits_test {

using archive_test::RawArchive;
using archive_test::RawEntry;
using archive_test::storedEntry;

constexpr std::size_t kMiB = std::size_t(1) << 20;

RawEntry deflatedEntry(const std::string& name, const std::vector<std::uint8_t>& data) {
  RawEntry e = storedEntry(name, data);
  e.payload = ob::zip::deflate(data.data(), data.size());
  e.method = 8;
  e.packedSize = std::uint32_t(e.payload.size());
  return e;
}

std::vector<std::uint8_t> demoDocumentBytes() {
  auto demo = ob::makeProject();
  ob::buildDemoProject(*demo);
  ob::SamplePool pool;
  return ob::writeProjectDocument(*demo, pool, {});
}

// An instance document whose foreign member "extra" is an array of about
// `bytes` bytes of one-digit numbers: two bytes a value.
std::string documentWithManyValues(std::size_t bytes) {
  const auto demo = demoDocumentBytes();
  std::string text(demo.begin(), demo.end());
  std::string values = "\"extra\": [0";
  values.reserve(bytes + 16);
  std::mt19937 rng(5);
  while (values.size() < bytes) {
    values += ',';
    values += char('0' + rng() % 10);
  }
  values += "],\n  ";
  text.insert(text.find("\"kind\""), values);
  return text;
}

struct Measured {
  bool ok = false;
  std::string error;
  ob::Diagnostics diagnostics;
  std::size_t peak = 0;  // bytes held at the peak beyond those held before
  std::size_t kept = 0;
};

Measured measureLoad(const std::vector<std::uint8_t>& bytes) {
  Measured m;
  auto project = ob::makeProject();
  ob::SamplePool pool;
  ob::KeptDocument kept;
  ob::test::resetPeakLiveBytes();
  const std::size_t before = ob::test::liveBytes();
  m.ok = ob::readDocument(bytes, *project, pool, kept, &m.error, &m.diagnostics);
  m.peak = ob::test::peakLiveBytes() - before;
  m.kept = kept.keptEntries.size();
  return m;
}

TEST(DocumentLimits, HugeUnknownEntriesAreDroppedWithoutBeingUnpacked) {
  // Two 1,000,000,000-byte entries of zeros under a folder no reader knows:
  // a state chunk of under 2 MB.
  RawArchive a;
  a.entries.push_back(storedEntry("instance.json", demoDocumentBytes()));
  a.entries.push_back(archive_test::zeroEntry("unknown/a.bin", 1000000000u, true));
  a.entries.push_back(archive_test::zeroEntry("unknown/b.bin", 1000000000u, true));
  const auto chunk = archive_test::buildArchive(a);
  EXPECT_LT(chunk.size(), 2000000u);

  const Measured m = measureLoad(chunk);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(1, obtest::countCode(m.diagnostics, "entry-dropped", "/unknown/a.bin"));
  EXPECT_EQ(1, obtest::countCode(m.diagnostics, "entry-dropped", "/unknown/b.bin"));
  EXPECT_EQ(0u, m.kept);
  EXPECT_LT(m.peak, 16 * kMiB);
}

TEST(DocumentLimits, KeptEntriesStayWithinTheirBudgetThroughASave) {
  // Three entries of 40 MiB that pack honestly (688:1): the first is kept,
  // the others would pass 64 MiB and are dropped, so the load and the save
  // after it hold a few copies of 40 MiB and no more.
  const std::uint32_t each = 40u << 20;
  RawArchive a;
  a.entries.push_back(storedEntry("instance.json", demoDocumentBytes()));
  for (const char* name : {"more/1", "more/2", "more/3"})
    a.entries.push_back(archive_test::zeroEntry(name, each, false, true));
  const auto chunk = archive_test::buildArchive(a);

  auto project = ob::makeProject();
  ob::SamplePool pool;
  ob::KeptDocument kept;
  std::string error;
  ob::Diagnostics d;
  ob::test::resetPeakLiveBytes();
  const std::size_t before = ob::test::liveBytes();
  ASSERT_TRUE(ob::readDocument(chunk, *project, pool, kept, &error, &d)) << error;
  const auto saved = ob::writeProjectDocument(*project, pool, kept);
  EXPECT_LT(ob::test::peakLiveBytes() - before, 5 * std::size_t(each));
  ASSERT_EQ(1u, kept.keptEntries.size());
  EXPECT_EQ("more/1", kept.keptEntries[0].name);
  EXPECT_EQ(2, obtest::countCode(d, "entry-dropped"));
  EXPECT_LT(saved.size(), std::size_t(each) / 100);
}

TEST(DocumentLimits, TooManyValuesAreRefusedBeforeMemoryGrows) {
  // 10 MB of one-digit numbers is five million values; parsing stops at the
  // millionth, whether the document comes as text or inside a package.
  const std::string text = documentWithManyValues(10000000);
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  RawArchive a;
  a.entries.push_back(deflatedEntry("instance.json", bytes));
  const auto package = archive_test::buildArchive(a);

  const Measured plain = measureLoad(bytes);
  EXPECT_FALSE(plain.ok);
  EXPECT_NE(std::string::npos, plain.error.find("more than 1000000 values")) << plain.error;
  EXPECT_LT(plain.peak, 400 * kMiB);

  const Measured packed = measureLoad(package);
  EXPECT_FALSE(packed.ok);
  EXPECT_EQ(1, obtest::countCode(packed.diagnostics, "document-too-large", "/instance.json"));
  EXPECT_LT(packed.peak, 400 * kMiB);
}

TEST(DocumentLimits, ARealDocumentWithRoomToSpareLoads) {
  // Half a million values of foreign data still load and are kept.
  const std::string text = documentWithManyValues(1000000);
  const Measured m = measureLoad(std::vector<std::uint8_t>(text.begin(), text.end()));
  EXPECT_TRUE(m.ok) << m.error;
}

}  // namespace project_load_limits_test
