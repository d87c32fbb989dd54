#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/clip/clip_extensions.h"
#include "document/clip/clip_grid.h"
#include "document/clip/clip_reader.h"
#include "document/diagnostics.h"
#include "document/json/json.h"

namespace clip_reader_test {

ob::JsonValue parse(const std::string& text) {
  ob::JsonValue v;
  std::string err;
  EXPECT_TRUE(ob::parseJson(text, v, err)) << err << " in " << text;
  return v;
}

struct Read {
  std::optional<ob::clip::Clip> clip;
  ob::Diagnostics diags;

  // "code@path" for every finding, in order.
  std::vector<std::string> findings() const {
    std::vector<std::string> out;
    for (const auto& d : diags) out.push_back(d.code + "@" + d.path);
    return out;
  }
  const ob::Diagnostic* first(const std::string& code) const {
    for (const auto& d : diags)
      if (d.code == code) return &d;
    return nullptr;
  }
};

// Reads a clip body: the text is placed after a valid header.
Read readBody(const std::string& members) {
  Read r;
  std::string text = R"({"kind":"clip","spec":"1.0")";
  if (!members.empty()) text += "," + members;
  text += "}";
  r.clip = ob::clip::readClip(parse(text), r.diags);
  return r;
}

using Findings = std::vector<std::string>;

TEST(ClipGrid, ParsesFractionsOfAWholeNote) {
  EXPECT_EQ(ob::clip::parseGrid("1/16"), 0.25);
  EXPECT_EQ(ob::clip::parseGrid("1/4"), 1.0);
  EXPECT_EQ(ob::clip::parseGrid("3/8"), 1.5);
  EXPECT_EQ(ob::clip::parseGrid("1/1"), 4.0);
  EXPECT_EQ(ob::clip::parseGrid("01/016"), 0.25);
  for (const char* bad : {"", "16", "0/16", "1/0", "1/16x", " 1/16", "1/-16", "-1/16", "/16", "1/", "1/2/3",
                          "1/99999999999", "a/b", "+1/4"})
    EXPECT_FALSE(ob::clip::parseGrid(bad)) << bad;
}

TEST(ClipReader, HeaderOnlyDocumentGivesTheDefaults) {
  Read r;
  r.clip = ob::clip::readClip(parse(R"({"kind":"clip"})"), r.diags);
  ASSERT_TRUE(r.clip);
  EXPECT_EQ(r.clip->length, 4.0);
  EXPECT_EQ(r.clip->grid, "1/16");
  EXPECT_TRUE(r.clip->notes.empty());
  EXPECT_EQ(r.findings(), (Findings{"spec-missing@/spec"}));
  EXPECT_TRUE(r.clip->kept.members.empty());
}

TEST(ClipReader, RejectedHeadersGiveNoClip) {
  Read a;
  a.clip = ob::clip::readClip(parse(R"({"kind":"instance","spec":"1.0"})"), a.diags);
  EXPECT_FALSE(a.clip);
  EXPECT_EQ(a.findings(), (Findings{"wrong-kind@/kind"}));
  Read b;
  b.clip = ob::clip::readClip(parse("\"clip\""), b.diags);
  EXPECT_FALSE(b.clip);
  EXPECT_EQ(b.findings(), (Findings{"not-a-document@"}));
  ob::clip::Clip out;
  out.id = "untouched";
  EXPECT_FALSE(ob::clip::readClip(parse("[]"), out, b.diags));
  EXPECT_EQ(out.id, "untouched");
}

TEST(ClipReader, TopLevelMembers) {
  Read r = readBody(R"("id":"c","plugin":"p","formatVersion":2.9,"seed":"00000000000000FF","length":8.5,)"
                    R"("grid":"1/8","source":[1],"ext":"odd","extensions":["com.tessaline.slide/2"])");
  ASSERT_TRUE(r.clip);
  EXPECT_TRUE(r.diags.empty());
  EXPECT_EQ(r.clip->id, "c");
  EXPECT_EQ(r.clip->plugin, "p");
  EXPECT_EQ(r.clip->formatVersion, 2);
  EXPECT_EQ(r.clip->seed, 255u);
  EXPECT_EQ(r.clip->length, 8.5);
  EXPECT_EQ(r.clip->grid, "1/8");
  EXPECT_TRUE(r.clip->source.isArray());
  EXPECT_TRUE(r.clip->ext.isString());
  ASSERT_EQ(r.clip->extensions.size(), 1u);
  EXPECT_EQ(r.clip->extensions[0].version, 2);
  ASSERT_EQ(r.clip->kept.members.size(), 1u) << "an ext the writer leaves out stays kept";
  EXPECT_EQ(r.clip->kept.members[0].key, "ext");
  EXPECT_TRUE(r.clip->document.isObject());
}

TEST(ClipReader, WronglyTypedMembersAreReportedAndKept) {
  Read r = readBody(R"("id":5,"plugin":[],"formatVersion":"2","length":"long","notes":{},"tempo":1,)"
                    R"("voices":[],"lanes":null,"formatVersion2":1)");
  ASSERT_TRUE(r.clip);
  EXPECT_EQ(r.findings(), (Findings{"wrong-type@/id", "wrong-type@/plugin", "wrong-type@/formatVersion",
                                    "wrong-type@/length", "wrong-type@/tempo", "wrong-type@/voices",
                                    "wrong-type@/notes", "wrong-type@/lanes"}));
  EXPECT_EQ(r.first("wrong-type")->message, "Expected a string; kept as written, not applied");
  EXPECT_EQ(r.clip->length, 4.0);
  EXPECT_FALSE(r.clip->formatVersion);
  std::string kept;
  for (const auto& m : r.clip->kept.members) kept += m.key + ",";
  EXPECT_EQ(kept, "id,plugin,formatVersion,length,notes,tempo,voices,lanes,formatVersion2,");
}

TEST(ClipReader, NonFiniteAndOutOfRangeNumbersAreKeptNotUsed) {
  Read r = readBody(R"("formatVersion":1e12,"length":-inf,"notes":[{"at":-nan,"voice":"a"}])");
  ASSERT_TRUE(r.clip);
  EXPECT_EQ(r.findings(), (Findings{"wrong-type@/formatVersion", "wrong-type@/length",
                                    "wrong-type@/notes/0/at", "note-without-at@/notes/0"}));
  EXPECT_FALSE(r.clip->formatVersion);
  EXPECT_EQ(r.clip->length, 4.0);
  EXPECT_TRUE(r.clip->notes[0].invalid);
}

TEST(ClipReader, SeedAndGridFindings) {
  for (const char* seed : {R"("000000000000000")", "5", R"("00000000000000000")"}) {
    Read r = readBody(std::string(R"("seed":)") + seed);
    EXPECT_EQ(r.findings(), (Findings{"bad-seed@/seed"})) << seed;
    EXPECT_EQ(r.first("bad-seed")->message, "A seed is 16 hex digits; kept as written, not used");
    EXPECT_FALSE(r.clip->seed);
    ASSERT_EQ(r.clip->kept.members.size(), 1u);
    EXPECT_EQ(r.clip->kept.members[0].key, "seed");
  }
  for (const char* grid : {R"("0/16")", R"("1/0")", R"("1/16 ")", R"("116")", R"("")", "16"}) {
    Read r = readBody(std::string(R"("grid":)") + grid);
    EXPECT_EQ(r.findings(), (Findings{"bad-grid@/grid"})) << grid;
    EXPECT_EQ(r.first("bad-grid")->message, "Unreadable grid; kept as written");
    EXPECT_EQ(r.clip->grid, "1/16");
    ASSERT_EQ(r.clip->kept.members.size(), 1u);
  }
}

TEST(ClipReader, TempoMeterAndSwingElements) {
  Read r = readBody(R"("tempo":[{"at":0,"bpm":128,"curve":"x"},{"at":4,"bpm":0},{"at":"1","bpm":90},7],)"
                    R"("meter":[{"at":0,"num":4.9,"den":4},{"at":0,"num":0.5,"den":4},{"at":0,"num":4}],)"
                    R"("swing":[{"bar":1.7,"amount":0.6,"voice":"hat"},{"bar":0,"amount":0.6,"grid":"1/8"},)"
                    R"({"bar":0,"amount":0.6,"grid":"x"},{"bar":0,"amount":0.6,"voice":3},{"amount":1},)"
                    R"({"bar":1e10,"amount":0.5}])");
  ASSERT_TRUE(r.clip);
  EXPECT_EQ(r.findings(), (Findings{"bad-tempo@/tempo/1", "wrong-type@/tempo/2/at", "bad-tempo@/tempo/2",
                                    "bad-tempo@/tempo/3", "bad-meter@/meter/1", "bad-meter@/meter/2",
                                    "bad-swing@/swing/2", "wrong-type@/swing/3/voice", "bad-swing@/swing/4",
                                    "bad-swing@/swing/5", "extension-undeclared@/extensions"}));
  EXPECT_EQ(r.first("bad-tempo")->message, "Expected {at, bpm > 0}; kept as written, not used");
  EXPECT_EQ(r.first("bad-meter")->message, "Expected {at, num, den}; kept as written, not used");
  EXPECT_EQ(r.first("bad-swing")->message,
            "Expected {bar, grid, amount} with a readable grid; kept as written, not used");
  const auto& c = *r.clip;
  ASSERT_EQ(c.tempo.size(), 4u);
  EXPECT_FALSE(c.tempo[0].invalid);
  EXPECT_EQ(c.tempo[0].bpm, 128.0);
  EXPECT_EQ(c.tempo[0].kept.members.size(), 1u);
  EXPECT_TRUE(c.tempo[1].invalid);
  EXPECT_EQ(c.tempo[1].bpm, 120.0) << "an invalid record keeps its defaults";
  EXPECT_EQ(ob::writeJson(c.tempo[1].source), R"({"at":4,"bpm":0})");
  ASSERT_EQ(c.meter.size(), 3u);
  EXPECT_EQ(c.meter[0].num, 4);
  EXPECT_TRUE(c.meter[1].invalid);
  ASSERT_EQ(c.swing.size(), 6u);
  EXPECT_EQ(c.swing[0].bar, 1);
  EXPECT_EQ(c.swing[0].grid, "1/16");
  EXPECT_EQ(c.swing[0].voice, "hat");
  EXPECT_EQ(c.swing[1].grid, "1/8");
  EXPECT_FALSE(c.swing[3].invalid) << "a wrongly typed voice is kept, the entry stays valid";
  EXPECT_EQ(c.swing[3].kept.members.size(), 1u);
}

TEST(ClipReader, NoteChecks) {
  Read r = readBody(R"("notes":[{"at":0,"voice":"kick","pitch":60},{"at":1},{"at":2,"tune":3},)"
                    R"({"pitch":60},"note",{"at":3,"pitch":62,"len":0.5,"rel":0.2,"nudge":0.01,"vel":0.5}],)"
                    R"("extensions":["com.tessaline.voices/1"])");
  ASSERT_TRUE(r.clip);
  EXPECT_EQ(r.findings(), (Findings{"voiced-note-with-pitch@/notes/0", "note-without-pitch@/notes/1",
                                    "note-without-pitch@/notes/2", "tune-without-voice@/notes/2",
                                    "note-without-at@/notes/3", "bad-note@/notes/4"}));
  EXPECT_EQ(r.first("voiced-note-with-pitch")->message,
            "A voiced note carries `voice`, never `pitch`; pitch ignored");
  EXPECT_EQ(r.first("note-without-pitch")->message, "An unvoiced note needs `pitch`; not played");
  EXPECT_EQ(r.first("tune-without-voice")->message, "`tune` belongs to a voiced note; ignored");
  EXPECT_EQ(r.first("note-without-at")->message, "A note needs `at`; kept as written, not played");
  EXPECT_EQ(r.first("bad-note")->message, "Expected a note object; kept as written, not played");
  const auto& n = r.clip->notes;
  ASSERT_EQ(n.size(), 6u);
  EXPECT_FALSE(n[0].invalid);
  EXPECT_EQ(n[0].pitch, 60.0) << "pitch stays stored";
  EXPECT_FALSE(n[2].invalid);
  EXPECT_TRUE(n[3].invalid);
  EXPECT_FALSE(n[3].pitch) << "nothing more is read from a note without at";
  EXPECT_TRUE(n[4].invalid);
  EXPECT_EQ(n[5].len, 0.5);
  EXPECT_EQ(n[5].rel, 0.2);
  EXPECT_EQ(n[5].nudge, 0.01);
  EXPECT_EQ(n[5].vel, 0.5);
}

TEST(ClipReader, NoteMembers) {
  Read r = readBody(
      R"("extensions":["com.tessaline.voices/1","com.tessaline.per-note-params/1",)"
      R"("com.tessaline.note-random/1","com.tessaline.slide/1"],)"
      R"("notes":[{"at":0,"voice":"v","sound":"s","tune":-2,"set":{"flt_type":"bp","a":1,"b":[]},)"
      R"("add":{"res_tune":2,"c":"x"},"rand":{"vel":0.1,"pan":0.3,"params":{"d":0.5,"e":"y"},"z":1},)"
      R"("slide":"yes","ext":5,"other":null,"expr":{"p":0.5,"q":[],"r":[[0,1],[0.5,"x"]],"s":"t"}}])");
  ASSERT_TRUE(r.clip);
  EXPECT_EQ(r.findings(), (Findings{"bad-expression@/notes/0/expr/r/1", "bad-expression@/notes/0/expr/s",
                                    "wrong-type@/notes/0/rand/params/e", "wrong-type@/notes/0/set/b",
                                    "wrong-type@/notes/0/add/c", "wrong-type@/notes/0/slide"}));
  EXPECT_EQ(r.first("wrong-type")->message, "Expected a number; kept as written, not applied");
  EXPECT_EQ(r.diags[3].message, "Expected a value or choice id; kept as written, not applied");
  EXPECT_EQ(r.diags[5].message, "Expected true or false; kept as written, not applied");
  EXPECT_EQ(r.diags[0].message,
            "Expected [beatsFromNoteStart, value]; the expression is kept as written, not played");
  EXPECT_EQ(r.diags[1].message, "Expected a number or a curve; kept as written, not played");
  const ob::clip::Note& n = r.clip->notes.at(0);
  EXPECT_EQ(n.voice, "v");
  EXPECT_EQ(n.sound, "s");
  EXPECT_EQ(n.tune, -2.0);
  EXPECT_EQ(n.set.size(), 3u) << "wrong kinds are stored all the same";
  EXPECT_EQ(n.add.size(), 2u);
  ASSERT_TRUE(n.rand);
  EXPECT_EQ(n.rand->vel, 0.1);
  EXPECT_EQ(n.rand->pan, 0.3);
  EXPECT_EQ(n.rand->params.size(), 2u);
  EXPECT_EQ(n.rand->kept.members.size(), 1u);
  EXPECT_FALSE(n.slide);
  EXPECT_TRUE(n.ext.isNumber());
  ASSERT_EQ(n.kept.members.size(), 3u);
  EXPECT_EQ(n.kept.members[0].key, "slide");
  EXPECT_EQ(n.kept.members[1].key, "ext");
  EXPECT_EQ(n.kept.members[2].key, "other");
  ASSERT_EQ(n.expr.size(), 4u);
  EXPECT_FALSE(n.expr[0].expression.curve);
  EXPECT_EQ(n.expr[0].expression.value, 0.5);
  EXPECT_TRUE(n.expr[1].expression.curve);
  EXPECT_TRUE(n.expr[1].expression.points.empty());
  EXPECT_FALSE(n.expr[1].expression.invalid);
  EXPECT_TRUE(n.expr[2].expression.invalid);
  EXPECT_TRUE(n.expr[3].expression.invalid);
}

TEST(ClipReader, NamedValuesAndEscapedPaths) {
  Read r = readBody(R"("voices":{"kick":"k","a/b~c":3},"sounds":{"k":"Kick"},)"
                    R"("extensions":["com.tessaline.voices/1"])");
  ASSERT_TRUE(r.clip);
  EXPECT_EQ(r.findings(), (Findings{"wrong-type@/voices/a~1b~0c"}));
  EXPECT_EQ(r.diags[0].message, "Expected a name; kept as written, not applied");
  ASSERT_EQ(r.clip->voices.size(), 2u);
  EXPECT_EQ(r.clip->voices[1].key, "a/b~c");
  EXPECT_EQ(r.clip->sounds.size(), 1u);
}

TEST(ClipReader, Lanes) {
  Read r = readBody(
      R"("lanes":[{"id":"l","target":"cutoff","instance":"i","points":[{"at":0,"v":0.5},)"
      R"({"at":1,"v":[1],"curve":"wobble"},{"at":2},{"v":1},3,{"at":3,"v":null,"curve":"smooth"}],"x":1},)"
      R"({"target":""},{"id":"no-target"},"lane",{"target":5}])");
  ASSERT_TRUE(r.clip);
  EXPECT_EQ(r.findings(),
            (Findings{"unknown-curve@/lanes/0/points/1/curve", "bad-lane-point@/lanes/0/points/2",
                      "bad-lane-point@/lanes/0/points/3", "bad-lane-point@/lanes/0/points/4",
                      "bad-lane@/lanes/1", "bad-lane@/lanes/2", "bad-lane@/lanes/3",
                      "wrong-type@/lanes/4/target", "bad-lane@/lanes/4"}));
  EXPECT_EQ(r.first("unknown-curve")->message, "Unknown curve, played as step; kept");
  EXPECT_EQ(r.first("bad-lane-point")->message, "Expected {at, v}; kept as written, not used");
  EXPECT_EQ(r.first("bad-lane")->message, "A lane is an object with a `target`; kept as written, not played");
  const auto& lanes = r.clip->lanes;
  ASSERT_EQ(lanes.size(), 5u);
  EXPECT_EQ(lanes[0].target, "cutoff");
  EXPECT_EQ(lanes[0].instance, "i");
  ASSERT_EQ(lanes[0].points.size(), 6u);
  EXPECT_EQ(lanes[0].points[1].curve, "wobble");
  EXPECT_FALSE(lanes[0].points[1].invalid);
  EXPECT_TRUE(lanes[0].points[2].invalid);
  EXPECT_TRUE(lanes[0].points[5].v.isNull());
  EXPECT_FALSE(lanes[0].points[5].invalid);
  EXPECT_EQ(lanes[0].kept.members.size(), 1u);
  EXPECT_TRUE(lanes[1].invalid);
}

TEST(ClipReader, UndeclaredExtensions) {
  Read r = readBody(R"("notes":[{"at":0,"voice":"a"},{"at":1,"voice":"b","slide":true}])");
  EXPECT_EQ(r.findings(), (Findings{"extension-undeclared@/extensions", "extension-undeclared@/extensions"}));
  EXPECT_EQ(r.diags[0].severity, ob::Severity::Note);
  EXPECT_EQ(r.diags[0].message,
            "The clip uses com.tessaline.voices/1 without declaring it; read as declared");
  EXPECT_EQ(r.diags[1].message, "The clip uses com.tessaline.slide/1 without declaring it; read as declared");

  Read v2 = readBody(R"("extensions":["com.tessaline.voices/2"],"notes":[{"at":0,"voice":"a"}])");
  EXPECT_TRUE(v2.diags.empty()) << "names are compared, versions are not";

  Read inv = readBody(R"("notes":[{"voice":"a"}],"swing":[{"voice":"a"}],"lanes":[{"voice":"a"}])");
  for (const auto& d : inv.diags) EXPECT_NE(d.code, "extension-undeclared");

  Read randVel = readBody(R"("notes":[{"at":0,"pitch":1,"rand":{"vel":0.5,"nudge":0.1}}])");
  EXPECT_TRUE(randVel.diags.empty());
  Read randPan = readBody(R"("notes":[{"at":0,"pitch":1,"rand":{"pan":0}}])");
  EXPECT_EQ(randPan.findings(), (Findings{"extension-undeclared@/extensions"}));
  EXPECT_NE(randPan.diags[0].message.find("com.tessaline.note-random/1"), std::string::npos);
}

TEST(ClipExtensions, UsedInOrder) {
  ob::clip::Clip c;
  EXPECT_TRUE(ob::clip::usedExtensions(c).empty());
  ob::clip::Note n;
  n.slide = true;
  n.add.push_back({"x", ob::makeJsonDouble(1)});
  n.rand.emplace();
  n.rand->params.push_back({"y", ob::makeJsonDouble(1)});
  c.notes.push_back(n);
  c.sounds.push_back({"s", ob::makeJsonString("t")});
  auto used = ob::clip::usedExtensions(c);
  ASSERT_EQ(used.size(), 4u);
  EXPECT_EQ(used[0], (ob::ExtensionId{"com.tessaline.voices", 1}));
  EXPECT_EQ(used[1].name, "com.tessaline.per-note-params");
  EXPECT_EQ(used[2].name, "com.tessaline.note-random");
  EXPECT_EQ(used[3].name, "com.tessaline.slide");
  c.notes[0].invalid = true;
  EXPECT_EQ(ob::clip::usedExtensions(c).size(), 1u);
}

}  // namespace clip_reader_test
