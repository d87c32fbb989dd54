// The kit library: built-in references, kit files in a folder (save, list,
// load, rename, tag, delete), damaged and unreadable files, tag and name
// editing, and the round trip of every built-in kit through a kit file.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>

#include "content/kits/factory_kit_builder.h"
#include "content/kits/kit_library.h"
#include "document/json/json.h"
#include "document/legacy/legacy_writer.h"
#include "engine/params/param_tables.h"

namespace kits_library_test {

namespace fs = std::filesystem;
using ob::KitEntry;
using ob::KitLibrary;
using ob::Pattern;

class TempFolder {
 public:
  TempFolder() {
    std::random_device rd;
    path_ =
        fs::temp_directory_path() / ("kits-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> tagsOf(const ob::Kit& kit) {
  std::vector<std::string> out;
  for (int i = 0; i < kit.tagCount; ++i) out.emplace_back(kit.tags[i]);
  return out;
}

// Everything a kit carries besides its groove must come back unchanged.
void expectSameKit(const Pattern& a, const Pattern& b) {
  // Tempo and swing belong to the groove, which a kit does not carry.
  Pattern grooveless = b;
  grooveless.bpm = a.bpm;
  grooveless.swing = a.swing;
  EXPECT_EQ(ob::patternToJsonText(a), ob::patternToJsonText(grooveless));
  EXPECT_STREQ(a.kit.name, b.kit.name);
  EXPECT_STREQ(a.kit.author, b.kit.author);
  EXPECT_EQ(a.kit.version, b.kit.version);
  EXPECT_EQ(tagsOf(a.kit), tagsOf(b.kit));
  EXPECT_EQ(a.numTracks, b.numTracks);
  for (int t = 0; t < a.numTracks; ++t) {
    SCOPED_TRACE(t);
    const ob::Track& ta = a.tracks[t];
    const ob::Track& tb = b.tracks[t];
    EXPECT_EQ(ta.soundIndex, tb.soundIndex);
    EXPECT_EQ(ta.gain, tb.gain);
    EXPECT_EQ(ta.pan, tb.pan);
    EXPECT_EQ(ta.chromatic, tb.chromatic);
    EXPECT_EQ(ta.length, tb.length);
    for (int l = 0; l < 2; ++l) {
      EXPECT_EQ(ta.lfos[l].enabled, tb.lfos[l].enabled);
      if (ta.lfos[l].enabled) {
        EXPECT_EQ(ta.lfos[l].dest, tb.lfos[l].dest);
        EXPECT_EQ(ta.lfos[l].rate, tb.lfos[l].rate);
        EXPECT_EQ(ta.lfos[l].depth, tb.lfos[l].depth);
        EXPECT_EQ(ta.lfos[l].shape, tb.lfos[l].shape);
      }
    }
    const ob::Sound& sa = a.kit.sounds[ta.soundIndex];
    const ob::Sound& sb = b.kit.sounds[tb.soundIndex];
    EXPECT_STREQ(sa.name, sb.name);
    EXPECT_EQ(sa.machine, sb.machine);
    const int n = ob::paramCount(sa.machine);
    for (int i = 0; i < n; ++i) EXPECT_EQ(sa.params[i], sb.params[i]) << ob::paramInfo(sa.machine, i).id;
    ASSERT_EQ(sa.zoneCount, sb.zoneCount);
    EXPECT_EQ(sa.mode, sb.mode);
    for (int z = 0; z < sa.zoneCount; ++z) {
      EXPECT_EQ(sa.slot[z], sb.slot[z]);
      EXPECT_EQ(sa.velMax[z], sb.velMax[z]);
    }
  }
  for (int m = 0; m < ob::kMacroCount; ++m) {
    SCOPED_TRACE(m);
    const ob::Macro& ma = a.kit.macros[m];
    const ob::Macro& mb = b.kit.macros[m];
    EXPECT_STREQ(ma.name, mb.name);
    EXPECT_EQ(ma.value, mb.value);
    ASSERT_EQ(ma.destCount, mb.destCount);
    for (int d = 0; d < ma.destCount; ++d) {
      EXPECT_EQ(ma.dests[d].track, mb.dests[d].track);
      EXPECT_EQ(ma.dests[d].param, mb.dests[d].param);
      EXPECT_EQ(ma.dests[d].target, mb.dests[d].target);
    }
  }
}

void expectNoGroove(const Pattern& p) {
  for (const ob::Track& t : p.tracks) {
    for (const ob::Step& s : t.steps) {
      EXPECT_EQ(s.active, 0);
      EXPECT_EQ(s.note, 60);
      EXPECT_EQ(s.velocity, 100);
      EXPECT_EQ(s.count, 0);
    }
  }
}

// The kit file's text with a member this build does not read (a newer
// build's) at the top, in meta, the first sound and its params and the
// first voice; and at the top one more, as a hand lays it out.
std::string withUnknownMembers(const std::string& text) {
  ob::JsonValue doc, value;
  std::string error;
  EXPECT_TRUE(ob::parseJson(text, doc, error) && ob::parseJson(R"([1.50, "x", null])", value, error));
  ob::JsonValue& state = *doc.find("state");
  ob::JsonValue& sound = state.find("sounds")->members.at(0).value;
  // The deepest first: a member added moves the others of its object.
  for (ob::JsonValue* at :
       {sound.find("params"), &sound, &state.find("voices")->members.at(0).value, doc.find("meta"), &doc})
    at->set("x-future", value);
  return ob::dumpJson(doc).insert(4, "\"xFutureTop\": {\"a\": 1},\n  ");
}

std::map<std::string, KitEntry> byName(const std::vector<KitEntry>& entries) {
  std::map<std::string, KitEntry> out;
  for (const KitEntry& e : entries) out[e.name] = e;
  return out;
}

TEST(KitLibrary, BuiltinReferences) {
  for (const char* ok : {"builtin:0", "builtin:8", "builtin:007"}) {
    Pattern p{};
    std::string error = "untouched";
    ASSERT_TRUE(KitLibrary::loadKit(ok, p, &error)) << ok;
    EXPECT_EQ(error, "untouched");
    const unsigned n = static_cast<unsigned>(std::stoul(std::string(ok).substr(8)));
    EXPECT_STREQ(p.kit.name, ob::makeFactoryKit(n).kit.name);
  }
  for (const char* bad : {"builtin:9", "builtin:", "builtin:-1", "builtin:01x", "builtin:0000000001",
                          "builtin:4294967296", "builtin: 1"}) {
    Pattern p = ob::makeFactoryKit(2);
    std::string error;
    EXPECT_FALSE(KitLibrary::loadKit(bad, p, &error)) << bad;
    EXPECT_EQ(error, std::string("no such built-in kit: ") + bad);
    EXPECT_STREQ(p.kit.name, "Lo-fi Hip-hop");  // untouched
    EXPECT_FALSE(KitLibrary::loadKit(bad, p, nullptr));
  }
}

TEST(KitLibrary, ListsTheNineBuiltinKits) {
  const std::vector<KitEntry> list = KitLibrary::listBuiltinKits();
  ASSERT_EQ(list.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    const Pattern p = ob::makeFactoryKit(static_cast<std::uint32_t>(i));
    EXPECT_EQ(list[i].reference, "builtin:" + std::to_string(i));
    EXPECT_EQ(list[i].name, p.kit.name);
    EXPECT_EQ(list[i].author, "Orbitrane");
    EXPECT_EQ(list[i].version, 1u);
    EXPECT_EQ(list[i].tags, tagsOf(p.kit));
    EXPECT_TRUE(list[i].builtIn);
  }
  EXPECT_EQ(list[8].tags, (std::vector<std::string>{"acoustic", "70s", "rock"}));
}

TEST(KitLibrary, EveryBuiltinKitRoundTripsThroughAKitFile) {
  TempFolder dir;
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    const Pattern kit = ob::makeFactoryKit(static_cast<std::uint32_t>(i));
    const std::string path = dir.file("kit" + std::to_string(i) + ".kit.orbi");
    std::string error;
    ASSERT_TRUE(KitLibrary::saveKitFile(path, kit, &error)) << error;
    const std::string text = readText(path);
    EXPECT_NE(text.find("\"instance\""), std::string::npos);
    EXPECT_EQ(text.find("\"project\""), std::string::npos);  // kit only
    Pattern back = ob::makeFactoryKit(99);
    ASSERT_TRUE(KitLibrary::loadKitFile(path, back, &error)) << error;
    expectSameKit(kit, back);
    expectNoGroove(back);
    // Saving what was loaded gives the same file again.
    const std::string again = dir.file("again.kit.orbi");
    ASSERT_TRUE(KitLibrary::saveKitFile(again, back, &error)) << error;
    EXPECT_EQ(readText(again), text);
    // One that holds what this build does not read keeps it as read
    // through every save: over its file, after an edit, and again.
    const std::string newer = withUnknownMembers(text);
    writeText(path, newer);
    std::shared_ptr<const ob::KitFileKept> file;
    ob::Diagnostics findings;
    ASSERT_TRUE(KitLibrary::loadKitFile(path, back, &error, &file, &findings)) << error;
    const ob::KeptDocument& kept = *file->kept;
    expectSameKit(kit, back);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].code, "unknown-param");
    ASSERT_TRUE(KitLibrary::saveKitFile(path, back, &error, &kept)) << error;
    EXPECT_EQ(readText(path), newer);
    back.tracks[0].gain *= 0.5f;
    ASSERT_TRUE(KitLibrary::saveKitFile(again, back, &error, &kept)) << error;
    const std::string edited = readText(again);
    EXPECT_NE(edited, newer);
    std::size_t members = 0;
    for (std::size_t at = 0; (at = edited.find("\"x-future\": [1.50,\"x\",null]", at)) != std::string::npos;
         ++at)
      ++members;
    EXPECT_EQ(members, 5u);
    ASSERT_TRUE(KitLibrary::saveKitFile(again, back, &error, &kept)) << error;
    EXPECT_EQ(readText(again), edited);
    // A sound whose id is longer than this build holds keeps its key
    // through a save over its file, and no other record is written for it.
    ob::JsonValue doc;
    ASSERT_TRUE(ob::parseJson(newer, doc, error)) << error;
    const ob::JsonValue& sounds = *doc.find("state")->find("sounds");
    const std::string key = sounds.members.at(0).key, longer = key + "-of-a-build-with-longer-ids";
    std::string renamed = newer;
    for (std::size_t at = 0; (at = renamed.find('"' + key + '"', at)) != std::string::npos;
         at += longer.size())
      renamed.replace(at + 1, key.size(), longer);
    writeText(path, renamed);
    ASSERT_TRUE(KitLibrary::loadKitFile(path, back, &error, &file, &findings)) << error;
    ASSERT_TRUE(KitLibrary::saveKitFile(path, back, &error, file->kept.get())) << error;
    ob::JsonValue written;
    ASSERT_TRUE(ob::parseJson(readText(path), written, error)) << error;
    const ob::JsonValue& saved = *written.find("state")->find("sounds");
    EXPECT_EQ(saved.members.size(), sounds.members.size());
    EXPECT_EQ(saved.members.at(0).key, longer);
  }
}

// A value this build cannot use, nested deep, fills a kit's file written
// indented past what a load of a kit reads (a member it does not read is
// written as read): the save is refused, saying so, and the file stays as
// it was.
TEST(KitLibrary, NoSaveWritesAKitItsLoadRefuses) {
  TempFolder dir;
  const std::string path = dir.file("deep.kit.orbi");
  std::string error, deep = std::string(250, '[') + "[0]";
  ASSERT_TRUE(KitLibrary::saveKitFile(path, ob::makeFactoryKit(0), &error)) << error;
  for (int i = 0; i < 40000; ++i) deep += ",[0]";
  std::string text = readText(path);
  const std::size_t at = text.find("\"exc1_tone\": ");
  writeText(path,
            text.replace(at, text.find(',', at) - at, "\"exc1_tone\": " + deep + std::string(250, ']')));
  Pattern back;
  std::shared_ptr<const ob::KitFileKept> kept;
  ASSERT_TRUE(KitLibrary::loadKitFile(path, back, &error, &kept)) << error;
  EXPECT_FALSE(KitLibrary::saveKitFile(path, back, &error, kept->kept.get()));
  EXPECT_EQ(error, "the kit would be larger than 16 MiB, the most a load reads");
  EXPECT_EQ(readText(path), text);
}

TEST(KitLibrary, SaveKeepsTheCallersPatternAndWritesNoGroove) {
  TempFolder dir;
  const Pattern kit = ob::makeFactoryKit(5);
  const std::string before = ob::patternToJsonText(kit);
  ASSERT_TRUE(KitLibrary::saveKitFile(dir.file("g.kit.orbi"), kit, nullptr));
  EXPECT_EQ(ob::patternToJsonText(kit), before);
  EXPECT_TRUE(kit.tracks[0].steps[0].active);
  Pattern back{};
  ASSERT_TRUE(KitLibrary::loadKitFile(dir.file("g.kit.orbi"), back, nullptr));
  expectNoGroove(back);
}

TEST(KitLibrary, ByteOrderMarkIsIgnored) {
  TempFolder dir;
  const Pattern kit = ob::makeFactoryKit(3);
  const std::string plain = dir.file("plain.kit.orbi");
  ASSERT_TRUE(KitLibrary::saveKitFile(plain, kit, nullptr));
  const std::string marked = dir.file("marked.kit.orbi");
  writeText(marked, "\xEF\xBB\xBF" + readText(plain));
  Pattern a{}, b{};
  ASSERT_TRUE(KitLibrary::loadKitFile(plain, a, nullptr));
  std::string error;
  ASSERT_TRUE(KitLibrary::loadKitFile(marked, b, &error)) << error;
  expectSameKit(a, b);
  // The same goes for an old kit file.
  auto legacy = ob::makeProject();
  legacy->patterns[0] = kit;
  writeText(dir.file("old.obk"), "\xEF\xBB\xBF" + ob::writeLegacyProject(*legacy));
  Pattern c{};
  ASSERT_TRUE(KitLibrary::loadKitFile(dir.file("old.obk"), c, &error)) << error;
  EXPECT_STREQ(c.kit.name, "Hard Rave");
}

TEST(KitLibrary, LoadFailuresKeepThePattern) {
  TempFolder dir;
  const Pattern original = ob::makeFactoryKit(1);
  Pattern p = original;
  std::string error;
  const std::string missing = dir.file("missing.kit.orbi");
  EXPECT_FALSE(KitLibrary::loadKitFile(missing, p, &error));
  EXPECT_EQ(error, "cannot open " + missing + ": no such file");
  EXPECT_FALSE(KitLibrary::loadKit(missing, p, &error));
  EXPECT_EQ(error, "cannot open " + missing + ": no such file");

  // A folder is no kit file.
  EXPECT_FALSE(KitLibrary::loadKitFile(dir.path().string(), p, &error));
  EXPECT_EQ(error, "cannot open " + dir.path().string() + ": not a regular file");

  // Nothing, or no JSON, says so.
  writeText(dir.file("blank.kit.orbi"), " \n");
  EXPECT_FALSE(KitLibrary::loadKitFile(dir.file("blank.kit.orbi"), p, &error));
  EXPECT_EQ(error, "the file is empty");
  writeText(dir.file("text.kit.orbi"), "drums");
  EXPECT_FALSE(KitLibrary::loadKitFile(dir.file("text.kit.orbi"), p, &error));
  EXPECT_EQ(error.rfind("not a kit file (", 0), 0u) << error;

  // An instance document for another plug-in: its first finding.
  const std::string other = dir.file("other.kit.orbi");
  writeText(other, R"({"kind": "instance", "plugin": "someone-else", "formatVersion": 1,
                         "state": {}})");
  error.clear();
  EXPECT_FALSE(KitLibrary::loadKitFile(other, p, &error));
  EXPECT_FALSE(error.empty());

  // Text that is no JSON goes to the old reader, which gives its reason.
  const std::string broken = dir.file("broken.obk");
  writeText(broken, "{ \"patterns\": [ ");
  error.clear();
  EXPECT_FALSE(KitLibrary::loadKitFile(broken, p, &error));
  EXPECT_FALSE(error.empty());

  // An old kit with a machine nobody knows.
  const std::string unknown = dir.file("unknown.obk");
  writeText(unknown, R"({"patterns": [{"kit": {"sounds": [{"machine": "theremin"}]}}]})");
  error.clear();
  EXPECT_FALSE(KitLibrary::loadKitFile(unknown, p, &error));
  EXPECT_NE(error.find("theremin"), std::string::npos) << error;

  EXPECT_EQ(ob::patternToJsonText(p), ob::patternToJsonText(original));
  EXPECT_FALSE(KitLibrary::loadKitFile(missing, p, nullptr));
}

TEST(KitLibrary, OutOfRangeValuesInAFileArePulledIn) {
  TempFolder dir;
  // An old kit whose counts and indices point past the arrays.
  const std::string path = dir.file("wild.obk");
  writeText(path, R"({"patterns": [{"numTracks": 200, "length": 900,
        "tracks": [{"soundIndex": 100, "length": 4000, "steps": [{"i": 2, "velocity": 900}]}],
        "kit": {"name": "Wild", "sounds": [{"machine": "drum", "layers": {"zones": [{"slot": 250}]}}]}}]})");
  Pattern p{};
  std::string error;
  ASSERT_TRUE(KitLibrary::loadKitFile(path, p, &error)) << error;
  EXPECT_LE(p.numTracks, ob::kMaxTracks);
  EXPECT_LE(p.tracks[0].length, 16);
  EXPECT_LT(p.tracks[0].soundIndex, ob::kMaxTracks);
  EXPECT_LE(p.tracks[0].steps[2].velocity, 127);
  for (int z = 0; z < p.kit.sounds[0].zoneCount; ++z) EXPECT_LT(p.kit.sounds[0].slot[z], ob::kSampleSlots);
}

TEST(KitLibrary, FolderListsKitFilesAfterTheBuiltinKits) {
  TempFolder dir;
  Pattern punchy = ob::makeFactoryKit(4);
  ob::setKitName(punchy.kit, "Punchy");
  ASSERT_TRUE(KitLibrary::saveKitFile(dir.file("a.kit.orbi"), punchy, nullptr));
  // An old kit file whose kit has no name.
  auto legacy = ob::makeProject();
  legacy->patterns[0] = ob::makeFactoryKit(0);
  ob::setKitName(legacy->patterns[0].kit, "");
  ob::setKitTags(legacy->patterns[0].kit, "old, dusty");
  writeText(dir.file("b.obk"), ob::writeLegacyProject(*legacy));
  // A new kit file whose kit has no name either.
  Pattern unnamed = ob::makeFactoryKit(6);
  ob::setKitName(unnamed.kit, "");
  ASSERT_TRUE(KitLibrary::saveKitFile(dir.file("c.kit.orbi"), unnamed, nullptr));
  // Endings in capitals are kit files too, and give way to the name as well.
  ASSERT_TRUE(KitLibrary::saveKitFile(dir.file("D.KIT.ORBI"), unnamed, nullptr));
  writeText(dir.file("notes.txt"), "not a kit");
  fs::create_directory(dir.path() / "sub.kit.orbi");  // a folder, not a kit

  std::vector<ob::KitScanProblem> problems;
  const std::vector<KitEntry> all = KitLibrary::listAll(dir.path(), &problems);
  EXPECT_TRUE(problems.empty());
  ASSERT_EQ(all.size(), 13u);
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(all[i].builtIn);
  std::set<std::string> names;
  for (std::size_t i = 9; i < all.size(); ++i) {
    EXPECT_FALSE(all[i].builtIn);
    names.insert(all[i].name);
  }
  EXPECT_EQ(names, (std::set<std::string>{"Punchy", "b", "c", "D"}));
  const auto m = byName(all);
  EXPECT_EQ(m.at("Punchy").reference, dir.file("a.kit.orbi"));
  EXPECT_EQ(m.at("Punchy").author, "Orbitrane");
  EXPECT_EQ(m.at("Punchy").tags, (std::vector<std::string>{"house", "punch"}));
  EXPECT_EQ(m.at("b").reference, dir.file("b.obk"));
  EXPECT_EQ(m.at("b").tags, (std::vector<std::string>{"old", "dusty"}));
  EXPECT_EQ(m.at("c").reference, dir.file("c.kit.orbi"));

  // Each listed reference loads the kit it names.
  Pattern loaded{};
  ASSERT_TRUE(KitLibrary::loadKit(m.at("Punchy").reference, loaded, nullptr));
  EXPECT_STREQ(loaded.kit.name, "Punchy");
  EXPECT_EQ(loaded.numTracks, 6);
}

TEST(KitLibrary, DamagedAndUnreadableFilesAreSkippedWithAReport) {
  TempFolder dir;
  ASSERT_TRUE(KitLibrary::saveKitFile(dir.file("good.kit.orbi"), ob::makeFactoryKit(2), nullptr));
  ASSERT_TRUE(KitLibrary::saveKitFile(dir.file("fine.obk"), ob::makeFactoryKit(7), nullptr));
  writeText(dir.file("damaged.kit.orbi"), "{\"kind\": \"instance\", \"plugin\": ");
  writeText(dir.file("truncated.obk"), "{\"patterns\": [{\"kit\": {\"sounds\": [{\"machine\": \"x\"}]}}]}");
  fs::create_symlink(dir.path() / "nowhere.kit.orbi", dir.path() / "dangling.kit.orbi");
  // Far larger than any kit: refused without reading it.
  {
    std::ofstream(dir.file("huge.kit.orbi")).put('{');
    fs::resize_file(dir.file("huge.kit.orbi"), 64ull << 20);
  }
  bool unreadableMade = false;
  if (::geteuid() != 0) {
    writeText(dir.file("locked.kit.orbi"), readText(dir.file("good.kit.orbi")));
    fs::permissions(dir.file("locked.kit.orbi"), fs::perms::none);
    unreadableMade = true;
  }

  std::vector<ob::KitScanProblem> problems;
  std::vector<KitEntry> list;
  ASSERT_NO_THROW(list = KitLibrary::scanFolder(dir.path(), &problems));
  std::set<std::string> names;
  for (const KitEntry& e : list) names.insert(e.name);
  EXPECT_EQ(names, (std::set<std::string>{"Lo-fi Hip-hop", "Modern Acoustic"}));

  std::map<std::string, std::string> reported;
  for (const auto& p : problems) reported[fs::path(p.path).filename().string()] = p.message;
  EXPECT_EQ(reported.size(), unreadableMade ? 5u : 4u);
  EXPECT_TRUE(reported.count("damaged.kit.orbi"));
  EXPECT_FALSE(reported["damaged.kit.orbi"].empty());
  EXPECT_NE(reported["truncated.obk"].find("\"x\""), std::string::npos) << reported["truncated.obk"];
  EXPECT_TRUE(reported.count("dangling.kit.orbi"));
  // A problem names its file by its path alone and says why.
  EXPECT_EQ(reported["huge.kit.orbi"], "the file is larger than 16 MiB, more than a kit");
  EXPECT_EQ(reported["dangling.kit.orbi"].find(dir.path().string()), std::string::npos);
  if (unreadableMade) {
    EXPECT_EQ(reported["locked.kit.orbi"], "permission denied");
  }

  // Without a problem list the same files are skipped silently.
  EXPECT_EQ(KitLibrary::scanFolder(dir.path()).size(), 2u);
}

TEST(KitLibrary, MissingOrUnreadableFolder) {
  TempFolder dir;
  std::vector<ob::KitScanProblem> problems;
  EXPECT_TRUE(KitLibrary::scanFolder(dir.path() / "nope", &problems).empty());
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(KitLibrary::listAll(dir.path() / "nope").size(), 9u);
  // A file where the folder should be: reported, never thrown.
  writeText(dir.file("plain"), "x");
  ASSERT_NO_THROW(KitLibrary::scanFolder(dir.path() / "plain", &problems));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].path, dir.file("plain"));
  EXPECT_NE(problems[0].message.find("cannot read the folder"), std::string::npos);
  if (::geteuid() != 0) {
    const fs::path locked = dir.path() / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::none);
    problems.clear();
    EXPECT_TRUE(KitLibrary::scanFolder(locked, &problems).empty());
    EXPECT_EQ(problems.size(), 1u);
    fs::permissions(locked, fs::perms::owner_all);
  }
}

TEST(KitLibrary, RenameTagAndDelete) {
  TempFolder dir;
  const std::string path = dir.file("mine.kit.orbi");
  Pattern kit = ob::makeFactoryKit(0);
  ASSERT_TRUE(KitLibrary::saveKitFile(path, kit, nullptr));

  // Rename and retag, as the kit browser does: load, edit, save over.
  Pattern edit{};
  ASSERT_TRUE(KitLibrary::loadKit(path, edit, nullptr));
  ob::setKitName(edit.kit, "My Techno");
  ob::setKitTags(edit.kit, "dark, loud");
  std::string error;
  ASSERT_TRUE(KitLibrary::saveKitFile(path, edit, &error)) << error;
  auto list = KitLibrary::scanFolder(dir.path());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].name, "My Techno");
  EXPECT_EQ(list[0].tags, (std::vector<std::string>{"dark", "loud"}));
  // Replacing the file leaves nothing else behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

  ASSERT_TRUE(KitLibrary::deleteKit(path, &error));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(KitLibrary::scanFolder(dir.path()).empty());
  error.clear();
  EXPECT_FALSE(KitLibrary::deleteKit(path, &error));
  EXPECT_EQ(error, "cannot delete " + path + ": ");
  EXPECT_FALSE(KitLibrary::deleteKit(path, nullptr));
  // A folder is never deleted as a kit.
  const fs::path sub = dir.path() / "sub.kit.orbi";
  fs::create_directory(sub);
  EXPECT_FALSE(KitLibrary::deleteKit(sub.string(), &error));
  EXPECT_EQ(error.rfind("cannot delete " + sub.string() + ": ", 0), 0u);
  EXPECT_TRUE(fs::is_directory(sub));
}

TEST(KitLibrary, FailedSaveLeavesTheOldKit) {
  TempFolder dir;
  std::string error;
  const std::string nowhere = dir.file("no/such/folder/x.kit.orbi");
  EXPECT_FALSE(KitLibrary::saveKitFile(nowhere, ob::makeFactoryKit(1), &error));
  EXPECT_EQ(error, "cannot open " + nowhere + " for writing");
  EXPECT_FALSE(KitLibrary::saveKitFile(dir.path().string(), ob::makeFactoryKit(1), &error));
  EXPECT_EQ(error, "cannot open " + dir.path().string() + " for writing");
  EXPECT_FALSE(KitLibrary::saveKitFile(nowhere, ob::makeFactoryKit(1), nullptr));

  if (::geteuid() != 0) {
    // The folder refuses new files: the kit already there stays whole.
    const std::string path = dir.file("keep.kit.orbi");
    ASSERT_TRUE(KitLibrary::saveKitFile(path, ob::makeFactoryKit(1), nullptr));
    const std::string before = readText(path);
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(KitLibrary::saveKitFile(path, ob::makeFactoryKit(2), &error));
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(readText(path), before);
  }
}

// A name longer than the kit holds is cut at a character, before any
// blanks there, and ends in an ellipsis, so the header shows it was cut; a
// name that fits is kept as typed.
TEST(KitLibrary, ALongKitNameIsCutWithAnEllipsis) {
  const std::string_view ellipsis = "\xE2\x80\xA6";
  ob::Kit kit;
  const std::string fits(sizeof kit.name - 1, 'k');
  ob::setKitName(kit, fits);
  EXPECT_EQ(std::string(kit.name), fits);
  ob::setKitName(kit, "Heavy Industrial Warehouse Rave Session Kit Number Two");
  const std::string cut = kit.name;
  EXPECT_LE(cut.size(), sizeof kit.name - 1);
  EXPECT_EQ(cut.substr(cut.size() - ellipsis.size()), ellipsis);
  const std::string kept = cut.substr(0, cut.size() - ellipsis.size());
  EXPECT_EQ(std::string("Heavy Industrial Warehouse Rave Session Kit Number Two").rfind(kept, 0), 0u);
  EXPECT_NE(kept.back(), ' ');
  // Two-byte characters across the cut: none is split.
  std::string accents;
  for (int i = 0; i < 30; ++i) accents += "\xC3\xA9";
  ob::setKitName(kit, accents);
  const std::string accented = kit.name;
  const std::string head = accented.substr(0, accented.size() - ellipsis.size());
  EXPECT_EQ(head.size() % 2, 0u);
  EXPECT_EQ(accented.substr(head.size()), ellipsis);
}

TEST(KitLibrary, SetKitTags) {
  ob::Kit kit;
  ob::setKitTags(kit, " dark, , lofi ,  warm,a,b,c,d,e,f");
  EXPECT_EQ(tagsOf(kit), (std::vector<std::string>{"dark", "lofi", "warm", "a", "b", "c", "d", "e"}));
  ob::setKitTags(kit, "");
  EXPECT_EQ(kit.tagCount, 0);
  ob::setKitTags(kit, " , \t,\n");
  EXPECT_EQ(kit.tagCount, 0);
  ob::setKitTags(kit, "\tone\r\n,two");
  EXPECT_EQ(tagsOf(kit), (std::vector<std::string>{"one", "two"}));
  EXPECT_STREQ(kit.tags[2], "");  // old tags do not linger
  // Cut to 23 bytes, never inside a character.
  ob::setKitTags(
      kit,
      std::string(30, 'x') + "," + std::string(15, ' ') +
          "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
  ASSERT_EQ(kit.tagCount, 2);
  EXPECT_EQ(std::string(kit.tags[0]), std::string(23, 'x'));
  EXPECT_EQ(std::string(kit.tags[1]).size(), 22u);
  EXPECT_EQ(std::string(kit.tags[1]),
            std::string(
                "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"));
}

TEST(KitLibrary, SetKitName) {
  ob::Kit kit;
  ob::setKitName(kit, "Short");
  EXPECT_STREQ(kit.name, "Short");
  ob::setKitName(kit, std::string(80, 'n'));
  EXPECT_EQ(std::string(kit.name), std::string(44, 'n') + "\xE2\x80\xA6");
  // Sixteen euro signs are 48 bytes: fourteen and the ellipsis fit in 47.
  std::string euros;
  for (int i = 0; i < 16; ++i) euros += "\xE2\x82\xAC";
  ob::setKitName(kit, euros);
  EXPECT_EQ(std::string(kit.name), euros.substr(0, 42) + "\xE2\x80\xA6");
  ob::setKitName(kit, "");
  EXPECT_STREQ(kit.name, "");
}

}  // namespace kits_library_test
