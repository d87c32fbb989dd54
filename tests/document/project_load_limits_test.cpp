// Hostile documents are refused or trimmed within bounded memory: the bytes
// held at the peak are watched through the global allocation functions,
// which this test program replaces. The bombs are made here, small: a
// gigabyte of zeros packs into a megabyte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "document/archive/deflate.h"
#include "document/archive/sha256.h"
#include "document/archive/zip_format.h"
#include "document/archive/zip_reader.h"
#include "document/audition/audition_groove.h"
#include "document/instance/instance_shape.h"
#include "document/json/json.h"
#include "document/package/package.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "document/wav/wav.h"
#include "document/wav/wav_header.h"
#include "document/wav/wav_pool.h"
#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"
#include "fuzz/round_trip.h"
#include "project_rig.h"
#include "support/allocation_counter.h"
#include "support/document/archive_rig.h"
#include "support/document/fullest_pattern.h"
#include "support/sanitized_build.h"

namespace project_load_limits_test {

using archive_test::Bytes;
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
  std::size_t held = 0;  // and once the load is done
  std::size_t kept = 0;
};

using Load =
    std::function<bool(ob::Project&, ob::SamplePool&, ob::KeptDocument&, std::string*, ob::Diagnostics*)>;

// What a load holds at its peak, into the given pool (with its limits) or
// a fresh one.
Measured measure(const Load& load, ob::SamplePool* into) {
  Measured m;
  auto project = ob::makeProject();
  ob::SamplePool own;
  ob::SamplePool& pool = into != nullptr ? *into : own;
  ob::KeptDocument kept;
  ob::test::resetPeakLiveBytes();
  const std::size_t before = ob::test::liveBytes();
  m.ok = load(*project, pool, kept, &m.error, &m.diagnostics);
  m.peak = ob::test::peakLiveBytes() - before;
  m.held = ob::test::liveBytes() - before;
  m.kept = kept.keptEntries.size();
  return m;
}

// shareFrom, when given, is the pool the load replaces.
Measured measureLoad(const std::vector<std::uint8_t>& bytes, ob::SamplePool* into = nullptr,
                     const ob::SamplePool* shareFrom = nullptr) {
  return measure(
      [&](ob::Project& project, ob::SamplePool& pool, ob::KeptDocument& kept, std::string* error,
          ob::Diagnostics* diagnostics) {
        return ob::readDocument(bytes.data(), bytes.size(), project, pool, kept, error, diagnostics,
                                ob::DocumentSource::File, shareFrom);
      },
      into);
}

// The same through "Open project...": the file is read where it is needed.
Measured measureFileLoad(const std::filesystem::path& path, ob::SamplePool* into = nullptr,
                         const ob::SamplePool* shareFrom = nullptr) {
  return measure(
      [&](ob::Project& project, ob::SamplePool& pool, ob::KeptDocument& kept, std::string* error,
          ob::Diagnostics* diagnostics) {
        return ob::loadDocumentFile(path, project, pool, kept, error, diagnostics, shareFrom);
      },
      into);
}

// 16-bit stereo: a file of four bytes a frame that decodes to eight.
std::vector<std::uint8_t> pcm16Wav(std::uint32_t frames, std::uint8_t seed) {
  std::vector<std::uint8_t> wav;
  ob::writeWavHeader(wav, ob::kWavFormatPcm, 2, 44100, 16, frames * 4);
  wav.resize(wav.size() + std::size_t(frames) * 4);
  for (std::size_t i = ob::kWavHeaderBytes; i < wav.size(); ++i) wav[i] = std::uint8_t(i * seed);
  return wav;
}

// The demo saved with `slots` samples that play the given files in turn,
// each file's audio shared by every slot that plays it.
std::vector<std::uint8_t> packageOf(const std::vector<std::vector<std::uint8_t>>& files, int slots) {
  auto project = ob::makeProject();
  ob::buildDemoProject(*project);
  ob::SamplePool pool;
  std::vector<ob::SharedSampleData> audio;
  for (const auto& file : files) audio.push_back(ob::decodeForPool(pool, -1, file).audio);
  project->samples.count = static_cast<std::uint8_t>(slots);
  for (int i = 0; i < slots; ++i) {
    ob::SampleSlot& slot = project->samples.slots[i];
    slot = {};
    ob::copyText(slot.name, ("big " + std::to_string(i) + ".wav").c_str());
    EXPECT_EQ(i, pool.replaceSlot(static_cast<std::uint32_t>(i), audio[std::size_t(i) % audio.size()]));
  }
  return ob::writeProjectDocument(*project, pool, {});
}

// The package with its assets deflated, every other entry as it was.
Bytes withAssetsDeflated(const Bytes& package) {
  ob::Diagnostics d;
  RawArchive a;
  const std::vector<ob::zip::Entry> entries = *ob::zip::readZip(package.data(), package.size(), d);
  for (const ob::zip::Entry& e : entries)
    a.entries.push_back(e.name.starts_with("assets/") ? deflatedEntry(e.name, e.data)
                                                      : storedEntry(e.name, e.data));
  return archive_test::buildArchive(a);
}

ob::SamplePool poolWithin(const ob::SampleLimits& limits) {
  ob::SamplePool pool;
  pool.setLimits(limits);
  return pool;
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
  // millionth, whether the document comes as text or inside a package, and
  // before it has built any: what is held is the text.
  const std::string text = documentWithManyValues(10000000);
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  RawArchive a;
  a.entries.push_back(deflatedEntry("instance.json", bytes));
  const auto package = archive_test::buildArchive(a);

  const Measured plain = measureLoad(bytes);
  EXPECT_FALSE(plain.ok);
  EXPECT_NE(std::string::npos, plain.error.find("more than 1000000 values")) << plain.error;
  EXPECT_LT(plain.peak, kMiB);

  const Measured packed = measureLoad(package);
  EXPECT_FALSE(packed.ok);
  EXPECT_EQ(1, obtest::countCode(packed.diagnostics, "document-too-large", "/instance.json"));
  EXPECT_LT(packed.peak, text.size() + kMiB);
}

// Nested arrays and objects of numbers: about `bytes` of compact text.
std::string nestedValues(std::mt19937& rng, std::size_t bytes, int depth = 0) {
  std::string text = depth % 2 ? "{" : "[";
  for (int i = 0; text.size() < bytes; ++i) {
    if (i) text += ',';
    if (depth % 2) text += "\"k" + std::to_string(i) + "\":";
    if (depth < 5 && rng() % 3 == 0)
      text += nestedValues(rng, std::min<std::size_t>(bytes - text.size(), 1 + rng() % 4000), depth + 1);
    else
      text += rng() % 2 ? "1.50" : std::to_string(rng() % 1000);
  }
  return text + (depth % 2 ? "}" : "]");
}

// What a load of the document in `text` holds at its peak and after.
Measured measureText(const std::string& text) {
  return measureLoad(std::vector<std::uint8_t>(text.begin(), text.end()));
}

// A member no reader looks at, anywhere in a document, compact or indented,
// costs what its text costs: it is kept as read, never built into values.
// What the load holds grows by at most twice the text, its peak by a few
// times what its save writes (the load measures that save), and the save
// loads again and saves the same bytes, with the member in it.
TEST(DocumentLimits, WhatNoReaderLooksAtCostsWhatItsTextCosts) {
  std::mt19937 rng(78);
  ob::JsonValue demo;
  std::string error;
  const auto demoBytes = demoDocumentBytes();
  ASSERT_TRUE(ob::parseJson(std::string(demoBytes.begin(), demoBytes.end()), demo, error));
  const std::string plainText = ob::writeJson(demo);
  measureText(plainText);  // what a first load makes once for all
  const Measured plain = measureText(plainText);
  const std::string sound = demo.find("state")->find("sounds")->members[0].key;
  const std::string voice = demo.find("state")->find("voices")->members[0].key;
  const std::vector<std::vector<std::string>> places = {
      {},
      {"meta"},
      {"state"},
      {"state", "sounds", sound},
      {"state", "sounds", sound, "params"},
      {"state", "voices", voice},
      {"state", "macros", "macro1"},
      {"state", "project"},
      {"audition"},
      {"audition", "ext"},
  };
  for (std::size_t i = 0; i < places.size(); ++i) {
    SCOPED_TRACE(i);
    ob::JsonValue doc = demo;
    ob::JsonValue* at = &doc;
    for (const std::string& key : places[i]) at = at->find(key);
    ASSERT_NE(at, nullptr);
    ob::JsonValue foreign;
    const std::string foreignText = nestedValues(rng, ob::test::kSanitizedBuild ? kMiB / 4 : kMiB);
    ASSERT_TRUE(ob::parseJson(foreignText, foreign, error));
    at->members.insert(at->members.begin() + std::ptrdiff_t(rng() % (at->members.size() + 1)),
                       ob::JsonMember{"x-foreign", foreign});
    const std::string text = i % 2 ? ob::writeJson(doc) : ob::dumpJson(doc);
    const std::size_t written = ob::dumpJson(doc).size();
    doc = {};

    auto project = ob::makeProject();
    ob::SamplePool pool;
    ob::KeptDocument kept;
    ob::test::resetPeakLiveBytes();
    const std::size_t before = ob::test::liveBytes();
    ASSERT_TRUE(
        ob::readDocument(ob::MemoryBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                         *project, pool, kept, &error, nullptr));
    EXPECT_LT(ob::test::peakLiveBytes() - before, plain.peak + 5 * written);
    EXPECT_LT(ob::test::liveBytes() - before, plain.held + 2 * text.size());

    const auto saved = ob::writeProjectDocument(*project, pool, kept);
    ob::KeptDocument again;
    ASSERT_TRUE(ob::readDocument(saved, *project, pool, again, &error, nullptr)) << error;
    EXPECT_EQ(saved, ob::writeProjectDocument(*project, pool, again));
    ASSERT_TRUE(ob::parseJson(std::string(saved.begin(), saved.end()), doc, error));
    at = &doc;
    for (const std::string& key : places[i]) at = at->find(key);
    ASSERT_NE(at, nullptr);
    ASSERT_NE(at->find("x-foreign"), nullptr);
    EXPECT_EQ(ob::writeJson(*at->find("x-foreign")), ob::writeJson(foreign));
  }
}

// The document with the array ("[]" ends the place) or object ("{}") at
// `place`, a path whose "*" is the first member there, filled to `n`
// entries with one element's text, an object's named "k0", "k1", ...
std::string withEntries(ob::JsonValue doc, std::string place, std::size_t n, const std::string& element) {
  const bool array = place.ends_with("[]");
  place.resize(place.size() - 2);
  ob::JsonValue* into = &doc;
  std::string key;
  for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 1) {
    if (!key.empty()) into = into->find(key);
    to = place.find('/', from);
    key = place.substr(from, to - from);
    if (key == "*") key = into->members[0].key;
  }
  const ob::JsonValue* was = into->find(key);
  std::string entries = was != nullptr ? ob::writeJson(*was) : array ? "[]" : "{}";
  entries.pop_back();
  for (std::size_t i = was != nullptr ? was->elements.size() + was->members.size() : 0; i < n; ++i)
    entries += (entries.size() > 1 ? "," : "") + (array ? "" : "\"k" + std::to_string(i) + "\":") + element;
  into->set(key, ob::makeJsonString("entries go here"));
  const std::string text = ob::writeJson(doc);
  const std::size_t at = text.find("\"entries go here\"");
  return text.substr(0, at) + entries + (array ? "]" : "}") + text.substr(at + 17);
}

// Whether the document loads, and its save loads again and saves the same bytes.
bool savesAsItLoads(const std::string& text) {
  auto project = ob::makeProject();
  ob::SamplePool pool;
  ob::KeptDocument kept, again;
  std::string error;
  if (!ob::readDocument(std::vector<std::uint8_t>(text.begin(), text.end()), *project, pool, kept, &error,
                        nullptr))
    return false;
  const auto saved = ob::writeProjectDocument(*project, pool, kept);
  return ob::readDocument(saved, *project, pool, again, &error, nullptr) &&
         saved == ob::writeProjectDocument(*project, pool, again);
}

// Every member a reader reads may hold as many entries as a reader ever
// reads there and no more. Filled to that with the smallest entries, a
// document loads at a peak of a few times what its parse builds (a value
// of 144 bytes for each entry of two; twice its text where a list is read
// an element at a time) and the findings it says of a kind, however many
// of its entries its
// readers find amiss, and its save loads again to the same bytes. One
// entry more, and it is refused whole, saying so, at a cost of a few times
// its text; so is one that builds more values than any real document,
// whose every list stays within its limit.
TEST(DocumentLimits, WhatReadersReadCostsAFewTimesItsParse) {
  const auto demoBytes = demoDocumentBytes();
  ob::JsonValue demo;
  std::string error;
  ASSERT_TRUE(ob::parseJson(std::string(demoBytes.begin(), demoBytes.end()), demo, error));
  const auto parsePeak = [&](const std::string& text) {
    ob::test::resetPeakLiveBytes();
    const std::size_t before = ob::test::liveBytes();
    ob::JsonValue value;
    ob::parseJson(text, ob::instanceDocumentShape(), value, error);
    return ob::test::peakLiveBytes() - before;
  };
  const std::string plainText = ob::writeJson(demo);
  measureText(plainText);  // what a first load makes once for all
  const Measured plain = measureText(plainText);
  const std::size_t plainParse = parsePeak(ob::writeJson(demo));
  const auto load = [&](const std::string& place, std::size_t n, const std::string& element, bool refused) {
    const std::string text = withEntries(demo, place, n, element);
    const Measured m = measureText(text);
    EXPECT_EQ(m.ok, !refused) << m.error;
    if (refused) {
      EXPECT_EQ(1, obtest::countCode(m.diagnostics, "document-too-large")) << m.error;
      EXPECT_LT(m.peak, sizeof(ob::Project) + 4 * text.size());
    } else {
      const std::size_t built = std::max(parsePeak(text) - plainParse, 2 * (text.size() - plainText.size()));
      const std::size_t said = ob::kFindingsSaidWhole * 4 * sizeof(ob::Diagnostic);
      EXPECT_LT(m.peak, plain.peak + 5 * built + said);
      EXPECT_TRUE(savesAsItLoads(text));
      // A list read an element at a time is parsed at what its text costs.
      if (place.starts_with("audition/notes") || place.starts_with("audition/lanes")) {
        EXPECT_LT(parsePeak(text) - plainParse, 2 * (text.size() - plainText.size()));
      }
    }
    return m.error;
  };
  for (const std::string place :
       {"extensions[]", "meta/tags[]", "params{}", "assets{}", "state/sounds{}", "state/sounds/*/params{}",
        "state/voices{}", "state/voices/*/breathe{}", "state/samples{}", "state/macros/macro1/dests{}",
        "audition/extensions[]", "audition/tempo[]", "audition/meter[]", "audition/swing[]",
        "audition/voices{}", "audition/notes[]", "audition/lanes[]", "audition/ext/*/voices{}"}) {
    const std::size_t most = place == "audition/notes[]" ? ob::kAuditionNotesRead : ob::kJsonMostEntriesRead;
    for (const std::size_t n : {most, most + 1}) {
      SCOPED_TRACE(place + " with " + std::to_string(n));
      const std::string why = load(place, n, "0", n > most);
      if (n > most) {
        EXPECT_NE(std::string::npos, why.find(" at /" + place.substr(0, 5))) << why;
      }
    }
  }
  // Notes at their limit of arrays of zeros: with 27 each, near all the
  // values a document may build, in a megabyte that packs into kilobytes.
  const auto zeros = [](std::size_t n) {
    std::string list = "[0";
    for (std::size_t i = 1; i < n; ++i) list += ",0";
    return list + "]";
  };
  // (The seed corpus replays the like under the sanitizers.)
  if (!ob::test::kSanitizedBuild) load("audition/notes[]", ob::kAuditionNotesRead, zeros(27), false);
  const std::string why = load("audition/notes[]", ob::kAuditionNotesRead,
                               zeros(ob::kJsonMaxBuiltValues / ob::kAuditionNotesRead + 1), true);
  EXPECT_NE(std::string::npos, why.find(ob::kJsonTooManyBuilt)) << why;
}

// Each list an edit adds to, filled to the most a load reads there with
// entries the load keeps unread: once the edit adds one, the save is
// refused, naming the list, where one written would be refused by its load.
TEST(DocumentLimits, NoSaveWritesPastWhatItsLoadReadsInAList) {
  auto base = ob::makeProject();
  ob::buildDemoProject(*base);
  ob::initSoundParams(base->patterns[0].kit.sounds[0], ob::kMachineVa);  // fewer parameters than a drum
  const auto baseBytes = ob::writeProjectDocument(*base, ob::SamplePool{}, {});
  ob::JsonValue demo;
  std::string error;
  ASSERT_TRUE(ob::parseJson(std::string(baseBytes.begin(), baseBytes.end()), demo, error));
  const auto command = [](ob::EditKind kind, int param, int step) {
    ob::EditCommand c;
    c.kind = kind;
    c.param = param;
    c.step = static_cast<std::uint32_t>(step);
    c.value = kind == ob::kEditMachine ? float(ob::kMachineDrum) : 0.5f;
    return std::function([c](ob::Project& p, ob::SamplePool&) { ob::applyEditCommand(p, c); });
  };
  const auto sample = [](bool audible) {
    return std::function([audible](ob::Project& p, ob::SamplePool& pool) {
      p.samples.count = 1;
      ob::copyText(p.samples.slots[0].name, "new.wav");
      if (audible) pool.replaceSlot(0, ob::decodeForPool(pool, -1, pcm16Wav(100, 3)).audio);
    });
  };
  const std::vector<std::pair<std::string, std::function<void(ob::Project&, ob::SamplePool&)>>> cases = {
      {"state/samples{}", sample(false)},
      {"assets{}", sample(true)},
      {"state/voices{}", command(ob::kEditAddTrack, ob::kMachineDrum, 0)},
      {"state/sounds{}", command(ob::kEditAddTrack, ob::kMachineDrum, 0)},
      {"state/macros/macro1/dests{}", command(ob::kEditMacroDest, 0, 3)},
      {"state/sounds/*/params{}", command(ob::kEditMachine, ob::kMachineDrum, 0)},
      {"state/sounds/*/velocity{}", command(ob::kEditVelocityDest, 3, 0)},
      {"state/voices/*/breathe{}", command(ob::kEditTrackRandom, 1, 0)},
  };
  for (const auto& [place, edit] : cases) {
    SCOPED_TRACE(place);
    const std::string text = withEntries(demo, place, ob::kJsonMostEntriesRead, "0");
    auto project = ob::makeProject();
    ob::SamplePool pool;
    ob::KeptDocument kept;
    ASSERT_TRUE(ob::readDocument(std::vector<std::uint8_t>(text.begin(), text.end()), *project, pool, kept,
                                 &error, nullptr))
        << error;
    edit(*project, pool);
    std::string why;
    const auto saved = ob::writeProjectDocument(*project, pool, kept, &why);
    EXPECT_TRUE(saved.empty()) << "its load: "
                               << ob::readDocument(saved, *project, pool, kept, &error, nullptr);
    const std::string list = place.substr(0, place.find_first_of("*{"));
    EXPECT_NE(std::string::npos, why.find("more than 1024 entries at /" + list)) << why;
  }
}

// This build's fullest pattern is parsed at a fraction of its text, loads
// at a peak of that parse and about 1.3 times what it holds once loaded,
// and saves within the same and the text it writes.
TEST(DocumentLimits, TheFullestPatternCostsWhatItHolds) {
  if (ob::test::kSanitizedBuild) GTEST_SKIP() << "a cost, measured where the sanitizers do not add theirs";
  auto project = ob::makeProject();
  obtest::buildFullestPattern(*project);
  const auto bytes = ob::writeProjectDocument(*project, ob::SamplePool{}, {});
  std::size_t before = ob::test::liveBytes();
  ob::test::resetPeakLiveBytes();
  {
    ob::JsonValue value;
    std::string error;
    ASSERT_TRUE(
        ob::parseJson(std::string(bytes.begin(), bytes.end()), ob::instanceDocumentShape(), value, error));
  }
  const std::size_t parsed = ob::test::peakLiveBytes() - before - bytes.size();
  EXPECT_LT(parsed, bytes.size());

  ob::SamplePool pool;
  ob::KeptDocument kept;
  std::string error;
  before = ob::test::liveBytes();
  ob::test::resetPeakLiveBytes();
  ASSERT_TRUE(ob::readDocument(bytes, *project, pool, kept, &error, nullptr)) << error;
  const std::size_t held = ob::test::liveBytes() - before;
  EXPECT_LT(ob::test::peakLiveBytes() - before, parsed + 13 * held / 10);

  obtest::TempDir dir;
  ob::test::resetPeakLiveBytes();
  ASSERT_TRUE(ob::saveDocumentFile(dir / "fullest.orbi", *project, pool, kept, &error)) << error;
  EXPECT_LT(ob::test::peakLiveBytes() - before, parsed + 13 * held / 10 + bytes.size());
}

TEST(DocumentLimits, ARealDocumentWithRoomToSpareLoads) {
  // Half a million values of foreign data still load and are kept.
  const std::string text = documentWithManyValues(1000000);
  const Measured m = measureLoad(std::vector<std::uint8_t>(text.begin(), text.end()));
  EXPECT_TRUE(m.ok) << m.error;
}

// One asset named by every slot of the pool is decoded once: the slots
// share its audio, and the load holds the file and one decoded copy.
TEST(DocumentLimits, SlotsThatNameOneAssetShareItsDecodedAudio) {
  const std::uint32_t frames = 1u << 18;  // a 1 MiB file, 2 MiB decoded
  const auto package = packageOf({pcm16Wav(frames, 3)}, ob::kSampleSlots);
  ob::Diagnostics written;
  const auto stored = ob::readPackage(package.data(), package.size(), "instance.json", written);
  ASSERT_TRUE(stored);
  EXPECT_EQ(1u, stored->assets.size());

  ob::SamplePool pool;
  const Measured m = measureLoad(package, &pool);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_TRUE(m.diagnostics.empty());
  ASSERT_EQ(ob::kSampleSlots, pool.slotCount());
  for (int i = 0; i < ob::kSampleSlots; ++i) {
    SCOPED_TRACE(i);
    ASSERT_NE(nullptr, pool.slots[i]->data);
    EXPECT_EQ(pool.slots[0]->data, pool.slots[i]->data);
    EXPECT_EQ(std::int32_t(frames), pool.slots[i]->frames);
  }
  EXPECT_EQ(std::uint64_t(frames) * 8, pool.decodedBytes());
  EXPECT_LT(m.peak, 6 * kMiB);
}

// Past a limit a sample plays silent with a warning at every slot that
// names it, before it is decoded (past the sample limit or the budget) or
// before it is unpacked at all (past the file limit). Its slots keep the
// file as stored, outside the budget, and a save writes it back unchanged.
TEST(DocumentLimits, SamplesPastThePoolsLimitsAreLeftOutBeforeTheyAreDecoded) {
  const std::uint32_t frames = 1u << 18;  // a 1 MiB file, 2 MiB decoded
  const auto one = packageOf({pcm16Wav(frames, 3)}, 3);
  const auto two = packageOf({pcm16Wav(frames, 3), pcm16Wav(frames, 5)}, 2);
  ob::SampleLimits limits;
  limits.sampleDecodedBytes = kMiB;
  limits.poolDecodedBytes = 3 * kMiB;
  limits.sampleFileBytes = 4 * kMiB;
  const struct {
    const char* what;
    std::vector<std::uint8_t> package;
    ob::SampleLimits limits;
    const char* code;
    int refused;
    std::size_t peak;
  } cases[] = {
      {"sample", one, limits, "sample-too-large", 3, 3 * kMiB},
      {"file", one, {4 * kMiB, 8 * kMiB, kMiB / 2}, "sample-too-large", 3, 2 * kMiB},
      {"budget", two, {4 * kMiB, 3 * kMiB, 4 * kMiB}, "samples-over-budget", 1, 6 * kMiB},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ob::SamplePool pool = poolWithin(c.limits);
    const Measured m = measureLoad(c.package, &pool);
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_EQ(c.refused, obtest::countCode(m.diagnostics, c.code));
    EXPECT_EQ(std::size_t(c.refused), m.diagnostics.size());
    for (const ob::Diagnostic& d : m.diagnostics)
      EXPECT_NE(std::string::npos, d.message.find("; the sample plays silent")) << d.message;
    int kept = 0;
    for (const auto& slot : pool.slots) kept += slot->frames == 0 && slot->data && slot->data->kept();
    EXPECT_EQ(c.refused, kept);
    EXPECT_LE(pool.decodedBytes(), c.limits.poolDecodedBytes);
    EXPECT_LT(m.peak, c.peak);

    auto project = ob::makeProject();
    ob::KeptDocument document;
    ASSERT_TRUE(ob::readDocument(c.package, *project, pool, document, nullptr, nullptr));
    const auto saved = ob::writeProjectDocument(*project, pool, document);
    for (int i = 0; i < project->samples.count; ++i) {
      const std::string ref = obtest::savedAssetRef(c.package, project->samples.slots[i].id);
      EXPECT_EQ(ref, obtest::savedAssetRef(saved, project->samples.slots[i].id));
      const std::string entry = "assets/" + ref.substr(6);
      EXPECT_EQ(obtest::storedEntry(c.package, entry), obtest::storedEntry(saved, entry));
    }

    // Another file under the same name keeps its own bytes, not those the
    // pool it replaces keeps: a name tells nothing of bytes never checked.
    std::vector<std::uint8_t> other = c.package;
    const auto wav = pcm16Wav(frames, 3);
    *std::search(other.begin(), other.end(), wav.end() - 64, wav.end()) ^= 1;
    auto next = ob::makeProject();
    ob::SamplePool nextPool = poolWithin(c.limits);
    ob::KeptDocument nextKept;
    ASSERT_TRUE(ob::readDocument(other.data(), other.size(), *next, nextPool, nextKept, nullptr, nullptr,
                                 ob::DocumentSource::State, &pool));
    const std::string entry = "assets/" + obtest::savedAssetRef(other, next->samples.slots[0].id).substr(6);
    EXPECT_EQ(obtest::storedEntry(other, entry),
              obtest::storedEntry(ob::writeProjectDocument(*next, nextPool, nextKept), entry));
  }
}

// An asset that declares more than a sample's file may be (here a gigabyte
// of zeros packed 688:1) is refused by its declaration, never unpacked.
TEST(DocumentLimits, AnAssetPastTheFileLimitIsNeverUnpacked) {
  const auto small = packageOf({pcm16Wav(100, 3)}, 2);
  ob::Diagnostics d;
  auto entries = ob::zip::readZip(small.data(), small.size(), d);
  ASSERT_TRUE(entries);
  ASSERT_EQ(2u, entries->size());
  RawArchive a;
  a.entries.push_back(storedEntry((*entries)[0].name, (*entries)[0].data));
  a.entries.push_back(archive_test::zeroEntry((*entries)[1].name, (1u << 30) - 1024, false));
  const Measured m = measureLoad(archive_test::buildArchive(a));
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(2, obtest::countCode(m.diagnostics, "sample-too-large"));
  // What the slots keep is the gigabyte as stored, a thousandth of it.
  EXPECT_LT(m.peak, a.entries[1].payload.size() + kMiB);

  // Nor is one whose bytes two other records claim too: all three are left
  // out unread, and the slots say why.
  a.entries[1] = storedEntry((*entries)[1].name, Bytes(4 * kMiB, 0));
  for (const char digit : {'1', '2'}) {
    a.entries.push_back(storedEntry("assets/" + std::string(64, digit), {}));
    a.entries.back().packedSize = a.entries.back().unpackedSize = 4 * kMiB;
    a.entries.back().overrideOffset = true;
    a.entries.back().localOffset =
        std::uint32_t(ob::zip::kLocalHeaderSize + (*entries)[0].name.size() + (*entries)[0].data.size());
  }
  const Measured shared = measureLoad(archive_test::buildArchive(a));
  ASSERT_TRUE(shared.ok) << shared.error;
  EXPECT_EQ(2, obtest::countCode(shared.diagnostics, "missing-asset"));
  const std::string& why = shared.diagnostics[shared.diagnostics.size() - 1].message;
  EXPECT_NE(std::string::npos, why.find("overlaps another entry")) << why;
  EXPECT_LT(shared.peak, kMiB);
}

// A packed sample whose header declares more audio than a sample may hold
// is refused from its first bytes, never unpacked whole; kept for a save,
// an older project's is hashed as it unpacks, once.
TEST(DocumentLimits, APackedSampleIsRefusedByItsHeader) {
  std::vector<std::uint8_t> wav;
  ob::writeWavHeader(wav, ob::kWavFormatPcm, 1, 44100, 8, 8 * kMiB);
  wav.resize(ob::kWavHeaderBytes + 8 * kMiB, 0x80);
  for (std::size_t i = ob::kWavHeaderBytes; i < wav.size(); i += 4096) wav[i] = std::uint8_t(i >> 12);
  const std::string digest = ob::sha256Hex(wav.data(), wav.size());
  // The document of a package of one small sample, made to name this one.
  const Bytes small = packageOf({pcm16Wav(100, 3)}, 1);
  ob::Diagnostics d;
  const auto entries = ob::zip::readZip(small.data(), small.size(), d);
  ASSERT_TRUE(entries);
  std::string text((*entries)[0].data.begin(), (*entries)[0].data.end());
  text.replace(text.find((*entries)[1].name.substr(7)), digest.size(), digest);
  RawArchive state, legacy;
  state.entries.push_back(storedEntry("instance.json", Bytes(text.begin(), text.end())));
  state.entries.push_back(deflatedEntry("assets/" + digest, wav));
  legacy.entries.push_back(storedEntry("project.json", archive_test::bytesOf(R"({"samples":["big.wav"]})")));
  legacy.entries.push_back(deflatedEntry("samples/big.wav", wav));
  ob::SampleLimits limits;
  limits.sampleDecodedBytes = kMiB;
  for (const RawArchive* archive : {&state, &legacy}) {
    SCOPED_TRACE(archive == &state ? "state" : "older project");
    ob::SamplePool pool = poolWithin(limits);
    const Measured m = measureLoad(archive_test::buildArchive(*archive), &pool);
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_EQ(1, obtest::countCode(m.diagnostics, "sample-too-large"));
    ASSERT_TRUE(pool.slots[0]->data && pool.slots[0]->data->kept());
    EXPECT_EQ(pool.slots[0]->data->kept()->digest, digest);
    EXPECT_LT(m.peak, kMiB);
  }
}

// A document's text has a limit no real one comes near: past it, whether
// given whole, packed in an archive or lying in a file, it is refused
// before it is unpacked or read.
TEST(DocumentLimits, ADocumentPastItsLimitIsRefusedUnread) {
  const std::uint32_t past = (32u << 20) + 1;
  for (const char* name : {"instance.json", "project.json"}) {
    SCOPED_TRACE(name);
    RawArchive a;
    a.entries.push_back(archive_test::zeroEntry(name, past, false));
    const Measured m = measureLoad(archive_test::buildArchive(a));
    EXPECT_FALSE(m.ok);
    EXPECT_EQ(1, obtest::countCode(m.diagnostics, "document-too-large", std::string("/") + name));
    EXPECT_LT(m.peak, kMiB);
  }

  obtest::TempDir dir;
  obtest::writeSparse(dir / "text.json", "{", past);
  obtest::writeSparse(dir / "zip.project.orbi", "PK", past);
  const Measured text = measureFileLoad(dir / "text.json");
  EXPECT_FALSE(text.ok);
  EXPECT_EQ(1, obtest::countCode(text.diagnostics, "document-too-large", ""));
  EXPECT_NE(std::string::npos, text.error.find("larger than 32 MiB")) << text.error;
  EXPECT_LT(text.peak, kMiB);
  const Measured zip = measureFileLoad(dir / "zip.project.orbi");
  EXPECT_FALSE(zip.ok);
  EXPECT_EQ(1, obtest::countCode(zip.diagnostics, "zip-unreadable", ""));
  EXPECT_LT(zip.peak, kMiB);
}

// A package file is read entry by entry: an entry no reader needs and too
// large to keep (here an asset no slot names, 65 MiB that the file only
// declares) is never read, while the asset the slots name is, and plays as
// from memory.
TEST(DocumentLimits, APackageFileIsReadEntryByEntry) {
  const std::uint32_t frames = 1u << 16;
  const auto package = packageOf({pcm16Wav(frames, 7)}, 4);
  ob::Diagnostics d;
  auto entries = ob::zip::readZip(package.data(), package.size(), d);
  ASSERT_TRUE(entries);
  RawArchive a;
  for (const auto& e : *entries) a.entries.push_back(storedEntry(e.name, e.data));
  const std::uint32_t hole = 65u << 20;
  RawEntry unnamed = storedEntry("assets/" + std::string(64, 'a'), {});
  unnamed.packedSize = unnamed.unpackedSize = hole;
  a.entries.push_back(unnamed);
  // The last entry's payload is a hole in the file, which the directory
  // follows: its offset, the end record's last field but the comment's
  // length, moves past the hole.
  Bytes bytes = archive_test::buildArchive(a);
  const std::uint32_t split = ob::readU32LE(bytes.data() + bytes.size() - 6);
  bytes.resize(bytes.size() - 6);
  ob::writeU32LE(bytes, split + hole);
  ob::writeU16LE(bytes, 0);
  obtest::TempDir dir;
  const auto path = dir / "hollow.project.orbi";
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    ASSERT_EQ(split, std::fwrite(bytes.data(), 1, split, f));
    ASSERT_EQ(0, std::fseek(f, long(split) + long(hole), SEEK_SET));
    ASSERT_EQ(bytes.size() - split, std::fwrite(bytes.data() + split, 1, bytes.size() - split, f));
    std::fclose(f);
  }

  ob::SamplePool fromFile;
  const Measured m = measureFileLoad(path, &fromFile);
  ASSERT_TRUE(m.ok) << m.error;
  EXPECT_EQ(1u, m.diagnostics.size());
  EXPECT_EQ(1, obtest::countCode(m.diagnostics, "entry-dropped", "/" + unnamed.name));
  EXPECT_LT(m.peak, 4 * kMiB);
  ob::SamplePool fromMemory;
  ASSERT_TRUE(measureLoad(package, &fromMemory).ok);
  ASSERT_EQ(4, fromFile.slotCount());
  EXPECT_EQ(fromFile.slots[3]->data, fromFile.slots[0]->data);
  EXPECT_EQ(obtest::listOf(fromMemory.slots[0]->left), obtest::listOf(fromFile.slots[0]->left));
  EXPECT_EQ(obtest::listOf(fromMemory.slots[0]->bytes), obtest::listOf(fromFile.slots[0]->bytes));
}

// Float assets in this build's own form are held once, as their decoded
// audio (a save writes the file again), and read in place from a package
// in memory. Loaded again beside the pool that holds them, from memory or
// from a file, they are shared, each checked a piece at a time, as is a
// file kept because the pool had no room for it; a damaged copy is not.
TEST(DocumentLimits, OwnFloatAssetsAreHeldOnceAndSharedWhenLoadedAgain) {
  const std::vector<float> quiet(std::size_t(1) << 20, 0.25f), loud(std::size_t(1) << 20, -0.5f);
  const std::vector<Bytes> files = {ob::encodeWav(quiet.data(), nullptr, std::int32_t(quiet.size()), 48000.0),
                                    ob::encodeWav(loud.data(), nullptr, std::int32_t(loud.size()), 48000.0)};
  const Bytes package = packageOf(files, 2);
  obtest::TempDir dir;
  const auto path = dir / "floats.project.orbi";
  obtest::writeFile(path, package);
  ob::SamplePool first;
  const Measured loaded = measureLoad(package, &first);
  ASSERT_TRUE(loaded.ok) << loaded.error;
  ASSERT_EQ(2, first.slotCount());
  const std::uint64_t decoded = first.decodedBytes();
  EXPECT_EQ(decoded, 2 * quiet.size() * sizeof(float));
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(first.slots[i]->bytes.empty()) << i;
  EXPECT_LT(loaded.peak, decoded + kMiB);

  for (const bool fromFile : {false, true}) {
    SCOPED_TRACE(fromFile ? "from a file" : "from memory");
    ob::SamplePool again;
    const Measured m =
        fromFile ? measureFileLoad(path, &again, &first) : measureLoad(package, &again, &first);
    ASSERT_TRUE(m.ok) << m.error;
    ASSERT_EQ(2, again.slotCount());
    for (int i = 0; i < 2; ++i) EXPECT_EQ(again.slots[i]->data, first.slots[i]->data) << i;
    EXPECT_LT(m.peak, files[0].size());
  }
  {
    // With room for one, the other is refused by its chunks and its file
    // kept; loaded again, the kept file is shared too, and no file is read.
    ob::SampleLimits roomForOne;
    roomForOne.poolDecodedBytes = decoded * 3 / 4;
    ob::SamplePool one = poolWithin(roomForOne);
    ASSERT_TRUE(measureFileLoad(path, &one).ok);
    ASSERT_TRUE(one.slots[1]->data->kept());
    ob::SamplePool again = poolWithin(roomForOne);
    const Measured m = measureFileLoad(path, &again, &one);
    ASSERT_TRUE(m.ok) << m.error;
    for (int i = 0; i < 2; ++i) EXPECT_EQ(again.slots[i]->data, one.slots[i]->data) << i;
    EXPECT_LT(m.peak, files[0].size());
  }

  Bytes damaged = package;
  const auto riff = std::search(damaged.begin(), damaged.end(), files[0].begin(), files[0].begin() + 4);
  ASSERT_NE(riff, damaged.end());
  riff[ob::kWavHeaderBytes + 8] ^= 0x01;
  ob::SamplePool again;
  const Measured m = measureLoad(damaged, &again, &first);
  ASSERT_TRUE(m.ok) << m.error;
  const auto at = package.begin() + (riff - damaged.begin());
  const int changed = std::equal(files[0].begin(), files[0].end(), at) ? 0 : 1;
  EXPECT_NE(again.slots[changed]->data, first.slots[changed]->data);
  EXPECT_EQ(again.slots[changed]->frames, 0);
  EXPECT_EQ(again.slots[1 - changed]->data, first.slots[1 - changed]->data);
  EXPECT_FALSE(m.diagnostics.empty());
}

// Whatever their encoding, the samples of a project opened from a file or
// of a state cost their decoded audio: a file that its audio gives back is
// rebuilt from it when saved, any other read again from the plug-in's own
// copy of it, kept on disk, and one packed into fewer bytes than it holds
// beside its audio is held as packed, never unpacked whole.
TEST(DocumentLimits, ProjectFileSamplesAreHeldOnceWhateverTheirEncoding) {
  const std::uint32_t frames = 1u << 18;
  std::vector<double> fine(std::size_t(frames) * 2);
  for (std::size_t i = 0; i < fine.size(); ++i) fine[i] = std::sin(0.001 * double(i)) / 3.0;
  const Bytes quiet = pcm16Wav(frames, 3);
  const struct {
    const char* name;
    Bytes file;
    bool deflated;
  } cases[] = {
      {"24-bit",
       obtest::riffOf({{"fmt ", obtest::fmtOf(1, 2, 3)}, {"data", obtest::noiseBytes(frames * 6, 3)}}),
       false},
      {"32-bit",
       obtest::riffOf({{"fmt ", obtest::fmtOf(1, 2, 4)}, {"data", obtest::noiseBytes(frames * 8, 4)}}),
       false},
      {"64-bit float",
       obtest::riffOf({{"fmt ", obtest::fmtOf(3, 2, 8)}, {"data", obtest::doubleBytes(fine)}}), false},
      {"64-bit float, deflated",
       obtest::riffOf({{"fmt ", obtest::fmtOf(3, 2, 8)}, {"data", obtest::doubleBytes(fine)}}), true},
      {"16-bit beside megabytes of zeros, deflated",
       obtest::riffOf({{"fmt ", obtest::fmtOf(1, 2, 2)},
                       {"data", Bytes(quiet.begin() + ob::kWavHeaderBytes, quiet.end())},
                       {"junk", Bytes((ob::test::kSanitizedBuild ? 12 : 48) * kMiB)}}),
       true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes package = c.deflated ? withAssetsDeflated(packageOf({c.file}, 2)) : packageOf({c.file}, 2);
    obtest::TempDir dir;
    const auto path = dir / "encoded.project.orbi";
    obtest::writeFile(path, package);
    const std::size_t decoded = std::size_t(frames) * 2 * sizeof(float);
    ob::SamplePool fromFile;
    const Measured opened = measureFileLoad(path, &fromFile);
    ASSERT_TRUE(opened.ok) << opened.error;
    EXPECT_GE(opened.held, decoded);
    EXPECT_LT(opened.held, decoded + kMiB);
    EXPECT_LT(opened.peak, decoded + 3 * kMiB / 2);
    ob::SamplePool fromMemory;
    const Measured loaded = measureLoad(package, &fromMemory);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    EXPECT_LT(loaded.held, decoded + kMiB);
    EXPECT_LT(loaded.peak, decoded + 3 * kMiB / 2);
  }
}

// A sample's file failing its checksum, found only at its end, stored or
// deflated, is never decoded: the load holds the bytes it keeps, not the
// audio they declare (an 8-bit file decodes to four times its bytes).
TEST(DocumentLimits, ASampleFileFailingItsChecksumIsNeverDecoded) {
  const std::uint32_t frames = 1u << 20;
  const Bytes package = packageOf(
      {obtest::riffOf({{"fmt ", obtest::fmtOf(1, 1, 1)}, {"data", obtest::noiseBytes(frames, 5)}})}, 1);
  ob::Diagnostics d;
  const std::vector<ob::zip::Entry> entries = *ob::zip::readZip(package.data(), package.size(), d);
  for (const bool deflated : {false, true}) {
    SCOPED_TRACE(deflated ? "deflated" : "stored");
    RawArchive a;
    for (const ob::zip::Entry& e : entries) {
      const bool asset = e.name.starts_with("assets/");
      a.entries.push_back(asset && deflated ? deflatedEntry(e.name, e.data) : storedEntry(e.name, e.data));
      if (asset) a.entries.back().crc ^= 1;
    }
    const Measured m = measureLoad(archive_test::buildArchive(a));
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_EQ(1, obtest::countCode(m.diagnostics, "asset-unreadable"));
    EXPECT_LT(m.peak, std::size_t(frames) * sizeof(float) / 2);
  }
}

// Whatever a load takes, a save writes and the load takes again, keeping
// every entry as stored or, for a sample it plays, its bytes: packages of
// four samples (one with a chunk of zeros beside its audio, held packed
// when deflated), each stored, deflated, of another method, failing its
// checksum or declaring up to a gigabyte it never unpacks, beside entries
// no slot names, the document indented, compact or without a member the
// save writes, declared sizes a few bytes under the total limit, the
// archive's own limit about its size. A second save writes the same bytes.
// What a save could not write the load refuses whole, and saying so.
TEST(DocumentLimits, WhatALoadTakesASaveWritesAndTheLoadTakesAgain) {
  std::mt19937 rng(11);
  const auto entries = [] {
    ob::Diagnostics d;
    const Bytes chunked = obtest::riffOf({{"fmt ", obtest::fmtOf(1, 2, 2)},
                                          {"data", obtest::noiseBytes(1600, 3)},
                                          {"junk", Bytes(256 << 10)}});
    const auto package = packageOf({chunked, pcm16Wav(300, 5), pcm16Wav(200, 7), pcm16Wav(100, 9)}, 4);
    return *ob::zip::readZip(package.data(), package.size(), d);
  }();
  int taken = 0, takenPacked = 0, refusedAsUnsaveable = 0, heldPacked = 0;
  for (int round = 0; round < 96; ++round) {
    SCOPED_TRACE(round);
    RawArchive a;
    ob::JsonValue doc;
    std::string error;
    ASSERT_TRUE(ob::parseJson(std::string(entries[0].data.begin(), entries[0].data.end()), doc, error));
    const unsigned form = rng() % 3;  // indented, compact, compact without a member the save writes
    if (form == 2) doc.members.pop_back();
    const std::string text = form == 0 ? ob::dumpJson(doc) : ob::writeJson(doc);
    a.entries.push_back(rng() % 2 ? storedEntry("instance.json", Bytes(text.begin(), text.end()))
                                  : deflatedEntry("instance.json", Bytes(text.begin(), text.end())));
    const RawEntry notes = deflatedEntry("extra/notes", archive_test::compressibleBytes(rng() % 5000, 2));
    const RawEntry unnamed = storedEntry("assets/" + std::string(64, 'e'), pcm16Wav(50, 11));
    std::uint64_t declared = text.size() + notes.unpackedSize + unnamed.unpackedSize;
    for (std::size_t i = 1; i < entries.size(); ++i) declared += entries[i].data.size();
    for (std::size_t i = 1; i < entries.size(); ++i) {
      RawEntry e = rng() % 2 ? storedEntry(entries[i].name, entries[i].data)
                             : deflatedEntry(entries[i].name, entries[i].data);
      // Every other round two of them bring the total near its limit.
      switch (round % 2 == 0 && i <= 2 ? 2 : rng() % 6) {
        case 0: e.method = 12; break;
        case 1: e.crc ^= 1; break;
        case 2:
        case 3:  // declares what a load never unpacks, up to the total but a few bytes
          e.method = 8;
          declared -= e.unpackedSize;
          e.unpackedSize = std::uint32_t(
              std::clamp<std::int64_t>(0x80000000 - 64 - std::int64_t(rng() % 4000) - std::int64_t(declared),
                                       e.unpackedSize, 0x40000000));
          declared += e.unpackedSize;
          break;
        default: break;
      }
      a.entries.push_back(e);
    }
    a.entries.push_back(notes);
    a.entries.push_back(unnamed);
    const Bytes original = archive_test::buildArchive(a);
    ob::zip::Limits limits;
    limits.maxArchiveBytes = original.size() + rng() % 2500 - 500;

    auto project = ob::makeProject();
    ob::SamplePool pool;
    ob::KeptDocument kept;
    ob::Diagnostics found;
    const ob::MemoryBytes bytes(original.data(), original.size());
    if (!ob::readDocument(bytes, *project, pool, kept, &error, &found, ob::DocumentSource::File, nullptr,
                          limits)) {
      EXPECT_TRUE(pool.slots.empty());
      refusedAsUnsaveable += error.starts_with("The project could not be saved again: ");
      continue;
    }
    ++taken;
    takenPacked += !kept.packedSampleFiles.empty();
    for (const auto& slot : pool.slots)
      heldPacked += slot && slot->data && std::holds_alternative<ob::StoredSampleFile>(slot->data->file);
    const auto saved = ob::writeProjectDocument(*project, pool, kept, &error, limits);
    ASSERT_FALSE(saved.empty()) << error;
    EXPECT_LE(saved.size(), limits.maxArchiveBytes);
    const obfuzz::Loaded first{*project, obfuzz::samplesOf(pool), kept};
    EXPECT_TRUE(obfuzz::keepsWhatTheLoadRead(original.data(), original.size(), saved, first, found));
    auto back = ob::makeProject();
    ob::SamplePool backPool;
    ob::KeptDocument again;
    ob::Diagnostics refound;
    ASSERT_TRUE(ob::readDocument(ob::MemoryBytes(saved.data(), saved.size()), *back, backPool, again, &error,
                                 &refound, ob::DocumentSource::File, nullptr, limits))
        << error;
    EXPECT_TRUE(obfuzz::sameLoad(first, {*back, obfuzz::samplesOf(backPool), again}));
    EXPECT_EQ(saved, ob::writeProjectDocument(*back, backPool, again, nullptr, limits));
  }
  // Each way is taken: loads that save as they are, loads that keep samples
  // packed to fit, and loads refused because no save would.
  EXPECT_GT(taken - takenPacked, 0);
  EXPECT_GT(takenPacked, 0);
  EXPECT_GT(heldPacked, 0);
  EXPECT_GT(refusedAsUnsaveable, 0);
}

}  // namespace project_load_limits_test
