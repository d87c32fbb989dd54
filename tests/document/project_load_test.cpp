// Project load: recognising what the bytes are, all-or-nothing replacement,
// the instance seed, foreign members, sample audio and legacy packages.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "document/archive/deflate.h"
#include "document/archive/sha256.h"
#include "document/archive/zip_reader.h"
#include "document/archive/zip_stream_walk.h"
#include "document/json/json.h"
#include "document/project/foreign_members.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "document/wav/wav_header.h"
#include "document/wav/wav_pool.h"
#include "engine/fnv.h"
#include "engine/model/demo_project.h"
#include "project_rig.h"
#include "support/document/archive_rig.h"

namespace project_load_test {

namespace fs = std::filesystem;
using obtest::bytesOf;

ob::JsonValue parse(std::string_view text) {
  ob::JsonValue v;
  std::string error;
  EXPECT_TRUE(ob::parseJson(text, v, error)) << error;
  return v;
}

std::string textOf(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

// The demo project's document with the given top-level edits.
std::string demoDocument(void (*edit)(ob::JsonValue&) = nullptr) {
  ob::Project demo;
  ob::buildDemoProject(demo);
  demo.seed = 0x1234;
  ob::SamplePool pool;
  ob::JsonValue doc = parse(textOf(ob::writeProjectDocument(demo, pool, {})));
  if (edit) edit(doc);
  return ob::dumpJson(doc);
}

void dropSeed(ob::JsonValue& doc) {
  auto& m = doc.members;
  for (auto it = m.begin(); it != m.end(); ++it)
    if (it->key == "seed") {
      m.erase(it);
      return;
    }
}

struct Loaded {
  std::unique_ptr<ob::Project> project = ob::makeProject();
  ob::SamplePool pool;
  ob::KeptDocument kept;
  ob::Diagnostics diags;
  std::string error;
  bool ok = false;
};

std::unique_ptr<Loaded> load(const std::vector<std::uint8_t>& bytes, std::uint64_t seed = 0) {
  auto l = std::make_unique<Loaded>();
  l->project->seed = seed;
  l->ok = ob::readDocument(bytes, *l->project, l->pool, l->kept, &l->error, &l->diags);
  return l;
}

// The demo saved with `count` user samples, as archive entries: the
// document, then one asset a sample.
std::vector<ob::zip::Entry> demoPackageEntries(int count) {
  ob::Project demo;
  ob::buildDemoProject(demo);
  ob::SamplePool pool;
  demo.samples.count = static_cast<std::uint8_t>(count);
  for (int i = 0; i < count; ++i) {
    std::snprintf(demo.samples.slots[i].name, sizeof demo.samples.slots[i].name, "%c.wav", 'a' + i);
    EXPECT_GE(ob::replaceSlotWav(pool, static_cast<std::uint32_t>(i), obtest::toneWav(i + 1)), 0);
  }
  const auto saved = ob::writeProjectDocument(demo, pool, {});
  ob::Diagnostics d;
  auto entries = ob::zip::readZip(saved.data(), saved.size(), d);
  EXPECT_TRUE(entries.has_value());
  return entries ? std::move(*entries) : std::vector<ob::zip::Entry>{};
}

TEST(ProjectLoad, RecognisesInstanceBytes) {
  const std::string doc = demoDocument();
  EXPECT_TRUE(ob::isInstanceBytes(reinterpret_cast<const std::uint8_t*>(doc.data()), doc.size()));
  const auto bom = bytesOf("\xEF\xBB\xBF" + doc);
  EXPECT_TRUE(ob::isInstanceBytes(bom.data(), bom.size()));
  const auto legacy = bytesOf(R"({"name":"x","patterns":[]})");
  EXPECT_FALSE(ob::isInstanceBytes(legacy.data(), legacy.size()));
  const auto zipped = obtest::zipOf({{"instance.json", bytesOf("not json"), false}});
  EXPECT_TRUE(ob::isInstanceBytes(zipped.data(), zipped.size()));
  const auto other = obtest::zipOf({{"project.json", bytesOf("{}"), false}});
  EXPECT_FALSE(ob::isInstanceBytes(other.data(), other.size()));
  EXPECT_FALSE(ob::isInstanceBytes(nullptr, 0));
}

TEST(ProjectLoad, InstanceTextWithByteOrderMarkLoads) {
  auto l = load(bytesOf("\xEF\xBB\xBF" + demoDocument()));
  ASSERT_TRUE(l->ok) << l->error;
  EXPECT_EQ(6, l->project->patterns[0].numTracks);
  EXPECT_STREQ("Demo Kit", l->project->patterns[0].kit.name);
  EXPECT_EQ(0x1234u, l->project->seed);
  EXPECT_TRUE(l->kept.loadedDocument.isObject());
}

TEST(ProjectLoad, FailuresChangeNothing) {
  const std::vector<std::vector<std::uint8_t>> bad = {
      obtest::zipOf({{"readme.txt", bytesOf("hi"), false}}),
      obtest::zipOf({{"instance.json", bytesOf("{oops"), false}}),
      bytesOf(R"({"kind":"clip","spec":"1.0"})"),
      bytesOf("[1,2]"),
      bytesOf(""),
      bytesOf("\x89PNG...."),
      bytesOf(R"({"patterns":[{"kit":{"sounds":[{"machine":"slice"}]}}]})"),
      bytesOf(demoDocument([](ob::JsonValue& d) { d.set("plugin", ob::makeJsonString("other")); })),
  };
  for (const auto& bytes : bad) {
    auto project = std::make_unique<ob::Project>();
    ob::buildDemoProject(*project);
    project->seed = 77;
    const ob::Project before = *project;
    ob::SamplePool pool;
    ASSERT_GE(ob::replaceSlotWav(pool, 0, obtest::toneWav(1)), 0);
    ob::KeptDocument kept;
    kept.loadedDocument = parse(R"({"kept":1})");
    ob::KeptRecords x;
    x.records.emplace_back().path = {"x"};
    x.records.back().value = ob::makeJsonBool(true);
    kept.records = std::make_shared<const ob::KeptRecords>(std::move(x));
    kept.keptEntries.push_back({"extra/file", bytesOf("data"), {}});
    const auto picture = obtest::pictureOf(pool, kept, ob::writeJson);
    std::string error;
    ob::Diagnostics d;
    EXPECT_FALSE(ob::readDocument(bytes, *project, pool, kept, &error, &d)) << textOf(bytes);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(0, std::memcmp(&before, project.get(), sizeof before));
    EXPECT_TRUE(picture == obtest::pictureOf(pool, kept, ob::writeJson));
  }
}

TEST(ProjectLoad, ErrorTexts) {
  auto clip = load(bytesOf(R"({"kind":"clip","spec":"1.0"})"));
  EXPECT_FALSE(clip->ok);
  EXPECT_EQ("A clip document is not a Orbitrane state (/kind)", clip->error);
  EXPECT_EQ(1, obtest::countCode(clip->diags, "not-an-instance", "/kind"));

  // A kind of megabytes is quoted by its start: the message stays a line.
  const std::string huge(1 << 20, 'k');
  auto hugeKind = load(bytesOf(R"({"kind":")" + huge + R"(","spec":"1.0"})"));
  EXPECT_FALSE(hugeKind->ok);
  EXPECT_TRUE(hugeKind->error.starts_with("A kkkk")) << hugeKind->error.substr(0, 100);
  EXPECT_TRUE(hugeKind->error.ends_with(" document is not a Orbitrane state (/kind)"));
  EXPECT_LT(hugeKind->error.size(), 200u);

  auto noProject = load(obtest::zipOf({{"readme.txt", bytesOf("hi"), false}}));
  EXPECT_EQ("package is missing project.json", noProject->error);

  // A zip with an unreadable instance.json fails as an instance package.
  auto broken = load(obtest::zipOf({{"instance.json", bytesOf("{oops"), false}}));
  EXPECT_FALSE(broken->ok);
  EXPECT_EQ(1, obtest::countCode(broken->diags, "document-unreadable", "/instance.json"));

  auto legacy = load(bytesOf("[]"));
  EXPECT_EQ("root is not an object", legacy->error);

  // Without a list of the caller's the findings still reach the error text.
  auto project = ob::makeProject();
  ob::SamplePool pool;
  ob::KeptDocument kept;
  std::string error;
  EXPECT_FALSE(ob::readDocument(bytesOf(R"({"kind":"kit"})"), *project, pool, kept, &error, nullptr));
  EXPECT_EQ("A kit document is not a Orbitrane state (/kind)", error);
}

TEST(ProjectLoad, InstanceSeedIsSettled) {
  const std::string unseeded = demoDocument(dropSeed);
  const auto bytes = bytesOf(unseeded);
  EXPECT_EQ(5u, load(bytes, 5)->project->seed);
  const std::uint64_t hashed = load(bytes, 0)->project->seed;
  EXPECT_EQ(ob::fnv1a64(unseeded), hashed);
  EXPECT_EQ(hashed, load(bytes, 0)->project->seed);
  // A seed in the document wins over the current one.
  EXPECT_EQ(0x1234u, load(bytesOf(demoDocument()), 5)->project->seed);
}

TEST(ProjectLoad, LegacySeedIsTheHashOfItsBytes) {
  const std::string text = "\xEF\xBB\xBF{\"name\":\"Old\"}";
  auto l = load(bytesOf(text), 5);
  ASSERT_TRUE(l->ok) << l->error;
  EXPECT_STREQ("Old", l->project->name);
  EXPECT_EQ(ob::fnv1a64(text), l->project->seed);
  EXPECT_TRUE(l->kept.loadedDocument.isNull());
  EXPECT_TRUE(ob::recordsOf(l->kept.records).records.empty());
}

TEST(ProjectLoad, ForeignMembersAreCollected) {
  const std::string doc = demoDocument([](ob::JsonValue& d) {
    ob::JsonValue* state = d.find("state");
    state->members.insert(state->members.begin() + 1, ob::JsonMember{"x", parse(R"({"a":[1,2]})")});
    d.members.push_back({"future", ob::makeJsonString("yes")});
    d.set("pluginVersion", ob::makeJsonDouble(6));  // changed kind: not foreign
  });
  auto l = load(bytesOf(doc));
  ASSERT_TRUE(l->ok) << l->error;
  const auto& fm = ob::recordsOf(l->kept.records).records;
  ASSERT_EQ(2u, fm.size());
  EXPECT_EQ((std::vector<std::string>{"state", "x"}), fm[0].path);
  EXPECT_EQ("sounds", fm[0].after);
  // Kept as read, key and all: a member no reader looks at.
  EXPECT_EQ(ob::JsonKind::KeptMembers, fm[0].value.kind);
  EXPECT_EQ("{\"x\":{\"a\":[1,2]}}", ob::writeJson(fm[0].value));
  EXPECT_EQ((std::vector<std::string>{"future"}), fm[1].path);
}

TEST(ProjectLoad, CollectWalksArraysOfEqualLength) {
  std::vector<ob::ForeignMember> out;
  std::vector<std::string> path;
  ob::JsonValue loaded = parse(R"({"l":[{"a":1,"z":2},{"b":1}],"m":[{"q":1}]})");
  ob::collectForeignMembers(out, loaded, parse(R"({"l":[{"a":1},{"b":1}],"m":[]})"), path);
  ASSERT_EQ(1u, out.size());
  EXPECT_EQ((std::vector<std::string>{"l", "0", "z"}), out[0].path);
  EXPECT_EQ("a", out[0].after);
  EXPECT_TRUE(path.empty());
}

TEST(ProjectLoad, KitOnlyDocuments) {
  EXPECT_FALSE(ob::isKitOnlyDocument(parse(R"({"state":{"project":{}}})")));
  EXPECT_TRUE(ob::isKitOnlyDocument(parse(R"({"state":{"voices":{}}})")));
  EXPECT_TRUE(ob::isKitOnlyDocument(parse(R"({"state":[]})")));
  EXPECT_TRUE(ob::isKitOnlyDocument(parse("[]")));
}

TEST(ProjectLoad, LegacyPackageLoadsItsSamples) {
  const auto kick = obtest::toneWav(3);
  const auto bytes = obtest::zipOf({
      {"project.json", bytesOf(R"({"name":"Old","samples":["kick.wav","gone.wav",{"name":"bad.wav"}]})"),
       true},
      {"samples/kick.wav", kick, false},
      {"samples/bad.wav", bytesOf("RIFF...."), false},
  });
  auto l = load(bytes);
  ASSERT_TRUE(l->ok) << l->error;
  ASSERT_EQ(3, l->project->samples.count);
  ASSERT_EQ(3u, l->pool.slots.size());
  EXPECT_TRUE(ob::isFileOf(kick, *l->pool.slots[0]->data));
  EXPECT_EQ(2000, l->pool.slots[0]->frames);
  EXPECT_EQ(0, l->pool.slots[1]->frames);
  EXPECT_EQ(1, obtest::countCode(l->diags, "missing-asset", "/samples/1"));
  EXPECT_EQ(1, obtest::countCode(l->diags, "missing-asset", "/samples/2"));
  EXPECT_STREQ("smp-kick", l->project->samples.slots[0].id);
  EXPECT_EQ(ob::fnv1a64(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())),
            l->project->seed);
}

TEST(ProjectLoad, MissingAndCorruptAssetsPlaySilent) {
  // Take the archive apart and leave one asset out.
  auto entries = demoPackageEntries(2);
  ASSERT_EQ(3u, entries.size());
  entries.pop_back();
  auto l = load(obtest::zipOf(entries));
  ASSERT_TRUE(l->ok) << l->error;
  EXPECT_EQ(1, obtest::countCode(l->diags, "missing-asset"));
  ASSERT_EQ(2u, l->pool.slots.size());
  int silent = 0;
  for (const auto& s : l->pool.slots) silent += s->frames == 0;
  EXPECT_EQ(1, silent);
}

TEST(ProjectLoad, FactoryReferencesResolveByBareName) {
  obtest::FakeFactory factory;
  ob::Project demo;
  ob::buildDemoProject(demo);
  demo.samples.count = 1;
  demo.samples.slots[0] = factory.add(33, ob::kFactoryPartHit, 4);
  ob::SamplePool pool;
  const auto saved = ob::writeProjectDocument(demo, pool, {});
  EXPECT_NE(std::string::npos, textOf(saved).find("\"factory:acoustic/tp_low_hit\""));
  auto l = load(saved);
  ASSERT_TRUE(l->ok) << l->error;
  EXPECT_EQ(0, obtest::countCode(l->diags, "missing-factory-sample"));
  ASSERT_EQ(1u, l->pool.slots.size());
  EXPECT_TRUE(ob::isFileOf(factory.bytes("tp_low_hit"), *l->pool.slots[0]->data));
  EXPECT_STREQ("tp_low_hit", l->project->samples.slots[0].factory);

  // A name the build does not carry loads silent with its own warning.
  std::string doc = textOf(saved);
  doc.replace(doc.find("tp_low_hit\""), 10, "tp_nothing");
  auto missing = load(bytesOf(doc));
  ASSERT_TRUE(missing->ok) << missing->error;
  ASSERT_EQ(1, obtest::countCode(missing->diags, "missing-factory-sample"));
  for (const auto& x : missing->diags) {
    if (x.code != "missing-factory-sample") continue;
    EXPECT_EQ("This build has no bundled sample \"acoustic/tp_nothing\"; the sample plays silent", x.message);
  }
}

TEST(ProjectLoad, UserCopiesOfFactorySamplesAreMatched) {
  obtest::FakeFactory factory;
  const ob::SampleSlot ref = factory.add(0, ob::kFactoryPartWhole, 9);
  ob::Project demo;
  ob::buildDemoProject(demo);
  demo.samples.count = 2;
  demo.samples.slots[0] = ref;
  demo.samples.slots[0].factory[0] = '\0';  // the user's own copy, same name and bytes
  demo.samples.slots[1] = ref;
  demo.samples.slots[1].factory[0] = '\0';
  ob::SamplePool pool;
  ASSERT_GE(ob::replaceSlotWav(pool, 0, factory.bytes(ref.factory)), 0);
  auto other = factory.bytes(ref.factory);
  other.back() ^= 1;  // same name, different audio
  ASSERT_GE(ob::replaceSlotWav(pool, 1, other), 0);
  auto l = load(ob::writeProjectDocument(demo, pool, {}));
  ASSERT_TRUE(l->ok) << l->error;
  EXPECT_STREQ(ref.factory, l->project->samples.slots[0].factory);
  EXPECT_STREQ("", l->project->samples.slots[1].factory);
}

// A file is refused with a short reason of its own, which leaves naming the
// file to whoever shows the message.
TEST(ProjectLoad, FilesThatCannotBeReadSayWhy) {
  obtest::TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe.obp").c_str(), 0644), 0);
  obtest::writeFile(dir / "empty.json", {});
  obtest::writeFile(dir / "notes.json", bytesOf("hello, this is no project"));
  obtest::writeSparse(dir / "huge.obp", "{", 0xC0000001ull);  // a byte over the cap
  const struct {
    fs::path path;
    const char* reason;
  } cases[] = {
      {dir / "none.project.orbi", "no such file"},
      {dir.path(), "not a regular file"},
      {dir / "pipe.obp", "not a regular file"},
      {"/dev/zero", "not a regular file"},
      {dir / "huge.obp", "the file is larger than 3 GiB"},
      {dir / "empty.json", "the file is empty"},
      {dir / "notes.json", "not a project file"},
  };
  auto project = ob::makeProject();
  ob::buildDemoProject(*project);
  const auto before = std::make_unique<ob::Project>(*project);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    ob::SamplePool pool;
    ob::KeptDocument kept;
    std::string error;
    ob::Diagnostics d;
    EXPECT_FALSE(ob::loadDocumentFile(c.path, *project, pool, kept, &error, &d));
    EXPECT_EQ(c.reason, error);
    EXPECT_TRUE(d.empty());
    EXPECT_EQ(0, std::memcmp(before.get(), project.get(), sizeof(ob::Project)));
  }

  obtest::writeFile(dir / "p.json", bytesOf(demoDocument()));
  std::string error;
  ob::SamplePool pool;
  ob::KeptDocument kept;
  ASSERT_TRUE(ob::loadDocumentFile(dir / "p.json", *project, pool, kept, &error, nullptr)) << error;
  EXPECT_EQ(6, project->patterns[0].numTracks);
}

// Three gigabytes of zeros are no project: that shows in the first bytes,
// and the rest is never read.
TEST(ProjectLoad, AFileThatOpensUnlikeAProjectIsRefusedUnread) {
  obtest::TempDir dir;
  obtest::writeSparse(dir / "zeros.obp", "", 0xC0000000ull);
  std::vector<std::uint8_t> bytes;
  std::string why;
  EXPECT_FALSE(ob::readDocumentFile(dir / "zeros.obp", bytes, why));
  EXPECT_EQ("not a project file", why);
  EXPECT_LE(bytes.capacity(), ob::kDocumentHeadBytes);

  auto project = ob::makeProject();
  ob::SamplePool pool;
  ob::KeptDocument kept;
  std::string error;
  EXPECT_FALSE(ob::loadDocumentFile(dir / "zeros.obp", *project, pool, kept, &error, nullptr));
  EXPECT_EQ("not a project file", error);
}

// What each kind of document can begin with: a zip archive, or JSON text
// whose root object follows an optional byte-order mark and blanks.
TEST(ProjectLoad, TheFirstBytesOfEveryKindOfDocumentPass) {
  const std::string blanks = std::string(" \t\r\n", 4);
  const std::vector<ob::zip::Entry> entries = demoPackageEntries(1);
  const std::vector<std::uint8_t> package = obtest::zipOf(entries);
  const std::vector<std::uint8_t> emptyZip = obtest::zipOf({});
  const std::string instance = demoDocument();
  const std::string legacy = R"({"name":"Old","samples":[]})";
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
  } accepted[] = {
      {"package", package},
      {"empty archive", emptyZip},
      {"instance text", bytesOf(instance)},
      {"legacy text", bytesOf(legacy)},
      {"mark", bytesOf("\xEF\xBB\xBF" + legacy)},
      {"blanks", bytesOf(blanks + "\n\n" + legacy)},
      {"mark and blanks", bytesOf("\xEF\xBB\xBF" + blanks + instance)},
  };
  for (const auto& c : accepted) {
    SCOPED_TRACE(c.what);
    const std::size_t head = std::min(c.bytes.size(), ob::kDocumentHeadBytes);
    EXPECT_TRUE(ob::opensAsDocument(c.bytes.data(), head));
  }

  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* why;
  } refused[] = {
      {"nothing", {}, "the file is empty"},
      {"zeros", std::vector<std::uint8_t>(64, 0), "not a project file"},
      {"array", bytesOf("[1, 2]"), "not a project file"},
      {"only blanks", bytesOf(blanks + blanks), "not a project file"},
      {"mark alone", bytesOf("\xEF\xBB\xBF"), "not a project file"},
      {"half a mark", bytesOf("\xEF\xBB{}"), "not a project file"},
      {"wave", obtest::toneWav(1, 16), "not a project file"},
      {"zip-like", bytesOf("PK\x01\x02"), "not a project file"},
      {"blanks beyond the head", bytesOf(std::string(ob::kDocumentHeadBytes, ' ')), "not a project file"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.what);
    std::string why;
    EXPECT_FALSE(ob::opensAsDocument(c.bytes.data(), c.bytes.size(), &why));
    EXPECT_EQ(c.why, why);
  }
}

TEST(ProjectLoad, HostileLegacyValuesAreClampedOnTheWayIn) {
  auto l = load(bytesOf(R"({"samples":[{"name":"a.wav","src":250}],"patterns":[{"numTracks":99,
        "tracks":[{"soundIndex":120,"rate":77,"steps":[{"i":0,"velocity":900,"lengthTicks":0}]}]}]})"));
  ASSERT_TRUE(l->ok) << l->error;
  const ob::Pattern& p = l->project->patterns[0];
  EXPECT_EQ(8, p.numTracks);
  EXPECT_EQ(-1, p.tracks[0].soundIndex);
  EXPECT_EQ(5, p.tracks[0].rate);
  EXPECT_EQ(127, p.tracks[0].steps[0].velocity);
  EXPECT_EQ(1, p.tracks[0].steps[0].lengthTicks);
  EXPECT_EQ(0, l->project->samples.slots[0].src);
}

// An asset that cannot play is kept as the archive stored it, never
// unpacked, and goes back into the next save unchanged under its own name.
// How a host's state load follows the bytes as they arrive.
ob::zip::StreamWalk::Verdict walkAsAState(const std::vector<std::uint8_t>& bytes) {
  return ob::zip::StreamWalk({}, ob::zip::Limits{}.maxArchiveBytes).follow(bytes.data(), bytes.size());
}

void expectSavedAsStored(const Loaded& l, const std::vector<std::uint8_t>& original, const std::string& entry,
                         const char* why) {
  ASSERT_EQ(1u, l.pool.slots.size());
  EXPECT_EQ(0, l.pool.slots[0]->frames);
  ASSERT_TRUE(l.pool.slots[0]->data && l.pool.slots[0]->data->kept());
  const ob::KeptSampleFile& kept = *l.pool.slots[0]->data->kept();
  EXPECT_NE(kept.why.find(why), std::string::npos) << kept.why;
  const std::optional<obtest::StoredEntry> stored = obtest::storedEntry(original, entry);
  ASSERT_TRUE(stored);
  EXPECT_EQ(std::get<3>(*stored), kept.stored);
  const std::vector<std::uint8_t> saved = ob::writeProjectDocument(*l.project, l.pool, l.kept);
  EXPECT_EQ(stored, obtest::storedEntry(saved, entry));
  EXPECT_EQ("asset:" + entry.substr(7), obtest::savedAssetRef(saved, l.project->samples.slots[0].id));
  EXPECT_EQ(walkAsAState(saved), ob::zip::StreamWalk::Verdict::Going);
}

TEST(ProjectLoad, AnOvergrownAssetPlaysSilentWithItsReason) {
  const auto entries = demoPackageEntries(1);
  ASSERT_EQ(2u, entries.size());

  // The asset's place taken by zeros at 1,032:1: 100 MB claim too much
  // growth, a gigabyte is past the largest file a sample may have.
  const struct {
    std::uint32_t size;
    const char* code;
    const char* why;
  } cases[] = {{100000000u, "asset-overpacked", "more than 1000 times its packed size"},
               {1000000000u, "sample-too-large", "larger than 512 MiB"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    archive_test::RawArchive a;
    a.entries.push_back(archive_test::storedEntry(entries[0].name, entries[0].data));
    a.entries.push_back(archive_test::zeroEntry(entries[1].name, c.size, true));
    const auto original = archive_test::buildArchive(a);
    auto l = load(original);
    ASSERT_TRUE(l->ok) << l->error;
    EXPECT_EQ(1, obtest::countCode(l->diags, c.code));
    EXPECT_EQ(1u, l->diags.size());
    expectSavedAsStored(*l, original, entries[1].name, c.why);
  }
}

// An asset the archive holds but this build cannot unpack or check is kept
// as stored, its reason in the slot's warning, never "no such asset".
TEST(ProjectLoad, AnAssetTheArchiveCannotGiveIsKeptWithItsReason) {
  const auto entries = demoPackageEntries(1);
  ASSERT_EQ(2u, entries.size());
  const std::vector<std::uint8_t>& file = entries[1].data;
  const archive_test::RawEntry plain = archive_test::storedEntry(entries[1].name, file);
  archive_test::RawEntry deflated = plain;
  deflated.method = 8;
  deflated.payload = ob::zip::deflate(file.data(), file.size());
  deflated.packedSize = std::uint32_t(deflated.payload.size());
  std::vector<std::uint8_t> other = file;
  other.back() ^= 1;
  // readWhole: the load read its bytes whole and keeps their digest.
  const struct {
    const char* why;
    void (*edit)(archive_test::RawEntry&, const archive_test::RawEntry& deflated,
                 const std::vector<std::uint8_t>& other);
    bool readWhole;
  } cases[] = {
      {"compressed with bzip2", [](auto& e, auto&, auto&) { e.method = 12; }, false},
      {"compressed with LZMA", [](auto& e, auto&, auto&) { e.method = 14, e.flags = 2; }, false},
      {"encrypted", [](auto& e, auto&, auto&) { e.flags = 1; }, false},
      {"fail their checksum", [](auto& e, auto&, auto&) { e.crc ^= 1; }, true},
      {"packed bytes are damaged", [](auto& e, auto& d, auto&) { e = d, e.payload[0] |= 0x06; }, false},
      {"not the file its name says",
       [](auto& e, auto&, auto& o) { e = archive_test::storedEntry(e.name, o); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    archive_test::RawArchive a;
    a.entries.push_back(archive_test::storedEntry(entries[0].name, entries[0].data));
    a.entries.push_back(plain);
    c.edit(a.entries[1], deflated, other);
    const auto original = archive_test::buildArchive(a);
    auto l = load(original);
    ASSERT_TRUE(l->ok) << l->error;
    EXPECT_EQ(0, obtest::countCode(l->diags, "missing-asset"));
    EXPECT_EQ(1, obtest::countCode(l->diags, "asset-unreadable"));
    EXPECT_EQ(1u, l->diags.size()) << "the slot's warning alone says what becomes of the file";
    expectSavedAsStored(*l, original, entries[1].name, c.why);
    const std::vector<std::uint8_t>& bytes = a.entries[1].payload;
    EXPECT_EQ(l->pool.slots[0]->data->kept()->bytesDigest,
              c.readWhole ? ob::sha256Hex(bytes.data(), bytes.size()) : std::string());

    // The file itself beside it: the save holds it, not the kept copy, and
    // both slots play it when loaded again.
    l->project->samples.count = 2;
    ob::copyText(l->project->samples.slots[1].name, "a.wav");
    ASSERT_EQ(1, ob::replaceSlotWav(l->pool, 1, file));
    auto again = load(ob::writeProjectDocument(*l->project, l->pool, l->kept));
    ASSERT_TRUE(again->ok) << again->error;
    EXPECT_TRUE(again->diags.empty()) << ob::joinDiagnosticMessages(again->diags);
    ASSERT_EQ(2u, again->pool.slots.size());
    for (const auto& slot : again->pool.slots) EXPECT_GT(slot->frames, 0);
  }
}

// An entry whose packed size its size cannot take can never be read: it is
// left out, so that no save holds what a state's load refuses at its record.
TEST(ProjectLoad, AnEntryPackedIntoMoreThanItsSizeIsLeftOut) {
  const auto entries = demoPackageEntries(1);
  for (const std::uint16_t method : {0, 12}) {
    SCOPED_TRACE(method);
    archive_test::RawArchive a;
    for (const auto& e : entries) a.entries.push_back(archive_test::storedEntry(e.name, e.data));
    archive_test::RawEntry lying =
        archive_test::storedEntry("extra/notes", std::vector<std::uint8_t>(4096, 7));
    lying.method = method;
    lying.unpackedSize = 16;
    a.entries.push_back(lying);
    auto l = load(archive_test::buildArchive(a));
    ASSERT_TRUE(l->ok) << l->error;
    EXPECT_EQ(1, obtest::countCode(l->diags, "zip-damaged-entry"));
    const std::vector<std::uint8_t> saved = ob::writeProjectDocument(*l->project, l->pool, l->kept);
    EXPECT_FALSE(obtest::storedEntry(saved, "extra/notes"));
    EXPECT_EQ(walkAsAState(saved), ob::zip::StreamWalk::Verdict::Going);
  }
}

// Whatever the load cannot follow is written back as it was: a reference
// of a kind this build does not know, one to an entry the archive lacks or
// names in upper case, and every entry no slot plays (one nothing names,
// one an "assets" key without a slot names, one named in upper case).
TEST(ProjectLoad, ReferencesAndEntriesNoSlotFollowsGoBackAsWritten) {
  const auto entries = demoPackageEntries(3);
  ASSERT_EQ(4u, entries.size());
  ob::JsonValue doc = parse(textOf(entries[0].data));
  std::vector<std::string> ids;
  for (const ob::JsonMember& m : doc.find("assets")->members) ids.push_back(m.key);
  ASSERT_EQ(3u, ids.size());
  std::string upper = entries[3].name;
  for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
  const std::string upperRef = "asset:" + upper.substr(7);
  const std::string missing = "asset:" + std::string(64, '7');
  doc.find("assets")->set(ids[0], ob::makeJsonString("cloud:drums/kick-42"));
  doc.find("assets")->set(ids[1], ob::makeJsonString(missing));
  doc.find("assets")->set(ids[2], ob::makeJsonString(upperRef));
  doc.find("assets")->set("no-slot", ob::makeJsonString("asset:" + entries[2].name.substr(7)));
  const std::string text = ob::dumpJson(doc);
  archive_test::RawArchive a;
  a.entries.push_back(archive_test::storedEntry("instance.json", bytesOf(text)));
  a.entries.push_back(archive_test::storedEntry(entries[1].name, entries[1].data));
  a.entries.push_back(archive_test::storedEntry(entries[2].name, entries[2].data));
  a.entries.push_back(archive_test::storedEntry(upper, entries[3].data));
  const auto original = archive_test::buildArchive(a);

  auto l = load(original);
  ASSERT_TRUE(l->ok) << l->error;
  for (const std::size_t unread : {0u, 2u})
    EXPECT_EQ(1, obtest::countCode(l->diags, "bad-asset-ref", "/assets/" + ids[unread]));
  const auto saved = ob::writeProjectDocument(*l->project, l->pool, l->kept);
  for (const std::string& name : {entries[1].name, entries[2].name, upper}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(obtest::storedEntry(original, name), obtest::storedEntry(saved, name));
  }
  const std::string refs[] = {"cloud:drums/kick-42", missing, upperRef};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(refs[i], obtest::savedAssetRef(saved, ids[std::size_t(i)]));
  EXPECT_EQ("asset:" + entries[2].name.substr(7), obtest::savedAssetRef(saved, "no-slot"));
  ASSERT_TRUE(l->pool.slots[0]->data && l->pool.slots[0]->data->kept());
  EXPECT_NE(std::string::npos,
            l->pool.slots[0]->data->kept()->why.find("\"cloud:drums/kick-42\" is not one"));
}

// An asset the decoder refuses says why in its warning, so a user can tell
// a damaged file from a format this build does not read.
TEST(ProjectLoad, AnAssetTheDecoderRefusesSaysWhy) {
  std::vector<float> hot(64, 0.5f);
  hot[7] = 1e30f;
  std::vector<std::uint8_t> muLaw;
  ob::writeWavHeader(muLaw, 7, 1, 8000, 8, 64);
  muLaw.resize(muLaw.size() + 64, 0xFF);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> asset;
    const char* why;
  };
  const Case cases[] = {
      {"far past full scale", ob::encodeWav(hot.data(), nullptr, 64, 44100.0), "far past full scale"},
      {"not a WAV file", bytesOf("OggS and the rest of some other format"), "RIFF/WAVE"},
      {"mu-law", muLaw, "WAV format 0x0007"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ob::Project demo;
    ob::buildDemoProject(demo);
    demo.samples.count = 1;
    ob::copyText(demo.samples.slots[0].name, "damaged.wav");
    ob::SamplePool pool;
    ob::SampleAudio carried;
    carried.file = ob::HeldSampleFile{c.asset, {}};
    ASSERT_EQ(0, pool.replaceSlot(0, std::move(carried)));
    const auto original = ob::writeProjectDocument(demo, pool, {});
    auto l = load(original);
    ASSERT_TRUE(l->ok) << l->error;
    ASSERT_EQ(1, obtest::countCode(l->diags, "asset-unreadable"));
    for (const ob::Diagnostic& d : l->diags) {
      if (d.code == "asset-unreadable") {
        EXPECT_NE(d.message.find(c.why), std::string::npos) << d.message;
      }
    }
    expectSavedAsStored(*l, original, "assets/" + ob::sha256Hex(c.asset.data(), c.asset.size()), c.why);
  }
}

// A WAV file with an empty data chunk holds no sample to play, but a
// document's sample is carried as written: it loads as a silent slot and is
// saved back with its bytes.
TEST(ProjectLoad, ASampleWithoutAWholeFrameIsKeptAsWritten) {
  const std::vector<std::uint8_t> empty = ob::encodeWav(nullptr, nullptr, 0, 44100.0);
  ob::Project demo;
  ob::buildDemoProject(demo);
  demo.samples.count = 1;
  ob::copyText(demo.samples.slots[0].name, "quiet.wav");
  ob::SamplePool pool;
  ob::SampleAudio silent;
  silent.file = ob::HeldSampleFile{empty, {}};
  ASSERT_EQ(0, pool.replaceSlot(0, std::move(silent)));
  auto instance = load(ob::writeProjectDocument(demo, pool, {}));
  ASSERT_TRUE(instance->ok) << instance->error;
  EXPECT_EQ(0, obtest::countCode(instance->diags, "asset-unreadable"));
  ASSERT_EQ(1u, instance->pool.slots.size());
  EXPECT_EQ(0, instance->pool.slots[0]->frames);
  EXPECT_TRUE(ob::isFileOf(empty, *instance->pool.slots[0]->data));

  archive_test::RawArchive a;
  a.entries.push_back(
      archive_test::storedEntry("project.json", bytesOf(R"({"name":"Old","samples":["quiet.wav"]})")));
  a.entries.push_back(archive_test::storedEntry("samples/quiet.wav", empty));
  auto legacy = load(archive_test::buildArchive(a));
  ASSERT_TRUE(legacy->ok) << legacy->error;
  EXPECT_EQ(0, obtest::countCode(legacy->diags, "missing-asset", "/samples/0"));
  ASSERT_EQ(1u, legacy->pool.slots.size());
  EXPECT_TRUE(ob::isFileOf(empty, *legacy->pool.slots[0]->data));
}

TEST(ProjectLoad, ADamagedInstanceDocumentReportsItsOwnError) {
  const auto doc = bytesOf(demoDocument());
  const struct {
    const char* what;
    void (*damage)(archive_test::RawEntry&);
  } damages[] = {
      {"checksum", [](archive_test::RawEntry& e) { e.crc ^= 1; }},
      {"local header", [](archive_test::RawEntry& e) { e.badLocalSignature = true; }},
      {"encrypted", [](archive_test::RawEntry& e) { e.flags = 1; }},
      {"method", [](archive_test::RawEntry& e) { e.method = 12; }},
      {"overgrown", [](archive_test::RawEntry& e) { e = archive_test::zeroEntry(e.name, 100000000u, true); }},
  };
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.what);
    // The document second, so the archive still begins like one.
    archive_test::RawArchive a;
    a.entries.push_back(archive_test::storedEntry("notes.txt", bytesOf("kept")));
    a.entries.push_back(archive_test::storedEntry("instance.json", doc));
    damage.damage(a.entries[1]);
    const auto bytes = archive_test::buildArchive(a);
    EXPECT_TRUE(ob::isInstanceBytes(bytes.data(), bytes.size()));
    auto l = load(bytes);
    EXPECT_FALSE(l->ok);
    EXPECT_EQ(std::string::npos, l->error.find("project.json")) << l->error;
    EXPECT_NE(std::string::npos, l->error.find("(/instance.json)")) << l->error;
    ASSERT_FALSE(l->diags.empty());
    EXPECT_EQ(ob::Severity::Error, l->diags[l->diags.size() - 1].severity);
    EXPECT_EQ("document-unreadable", l->diags[l->diags.size() - 1].code);
    EXPECT_EQ("/instance.json", l->diags[l->diags.size() - 1].path);
  }
}

// What a legacy package holds besides its document and the samples its
// slots take is kept unread as a current package's other entries are, and
// named where it passes their budget.
TEST(ProjectLoad, LegacyPackagesUnpackOnlyWhatTheyRead) {
  const auto kick = obtest::toneWav(3);
  archive_test::RawArchive a;
  a.entries.push_back(archive_test::storedEntry(
      "project.json", bytesOf(R"({"name":"Old","samples":["kick.wav","boom.wav"]})")));
  a.entries.push_back(archive_test::storedEntry("samples/kick.wav", kick));
  a.entries.push_back(archive_test::zeroEntry("samples/boom.wav", 100000000u, true));
  a.entries.push_back(archive_test::zeroEntry("other/blob", 1000000000u, true));
  a.entries.push_back(archive_test::zeroEntry("notes/readme.txt", 4000u, true));
  const auto original = archive_test::buildArchive(a);
  auto l = load(original);
  ASSERT_TRUE(l->ok) << l->error;
  ASSERT_EQ(2u, l->pool.slots.size());
  EXPECT_TRUE(ob::isFileOf(kick, *l->pool.slots[0]->data));
  EXPECT_EQ(0, l->pool.slots[1]->frames);
  EXPECT_EQ(1, obtest::countCode(l->diags, "asset-overpacked", "/samples/1"));
  for (const char* path : {"/samples/boom.wav", "/other/blob"})
    EXPECT_EQ(1, obtest::countCode(l->diags, "entry-dropped", path));
  EXPECT_EQ(3u, l->diags.size());
  const auto saved = ob::writeProjectDocument(*l->project, l->pool, l->kept);
  ASSERT_TRUE(obtest::storedEntry(saved, "notes/readme.txt"));
  EXPECT_EQ(obtest::storedEntry(original, "notes/readme.txt"),
            obtest::storedEntry(saved, "notes/readme.txt"));

  a.entries[0] = archive_test::zeroEntry("project.json", 100000000u, true);
  auto refused = load(archive_test::buildArchive(a));
  EXPECT_FALSE(refused->ok);
  EXPECT_EQ(1, obtest::countCode(refused->diags, "document-unreadable", "/project.json"));
}

}  // namespace project_load_test
