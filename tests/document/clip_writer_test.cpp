#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "document/clip/clip_reader.h"
#include "document/clip/clip_writer.h"
#include "document/diagnostics.h"
#include "document/json/json.h"

namespace clip_writer_test {

ob::JsonValue parse(const std::string& text) {
  ob::JsonValue v;
  std::string err;
  EXPECT_TRUE(ob::parseJson(text, v, err)) << err << " in " << text;
  return v;
}

std::string readAndWrite(const std::string& text, ob::Diagnostics* diags = nullptr) {
  ob::Diagnostics local;
  auto clip = ob::clip::readClip(parse(text), diags ? *diags : local);
  EXPECT_TRUE(clip) << text;
  if (!clip) return "";
  return ob::writeJson(ob::clip::writeClip(*clip));
}

TEST(ClipWriter, DefaultClip) {
  ob::clip::Clip c;
  EXPECT_EQ(ob::writeJson(ob::clip::writeClip(c)),
            R"({"kind":"clip","spec":"1.0","length":4,"grid":"1/16","notes":[]})");
}

TEST(ClipWriter, MemberOrder) {
  ob::clip::Clip c;
  c.id = "id1";
  c.plugin = "plug";
  c.formatVersion = 3;
  c.seed = 0xabcull;
  c.extensions.push_back({"x.y", 2});
  c.unreadableExtensions.push_back(ob::makeJsonDouble(9));
  c.tempo.emplace_back();
  c.meter.push_back({});
  c.meter[0].num = 3;
  c.meter[0].den = 4;
  c.swing.emplace_back();
  c.swing[0].voice = "hat";
  c.source = ob::makeJsonString("daw");
  c.ext = parse(R"({"e":1})");
  c.kept = parse(R"({"zz":true})");
  ob::clip::Lane lane;
  lane.target = "cutoff";
  c.lanes.push_back(lane);
  EXPECT_EQ(ob::writeJson(ob::clip::writeClip(c)),
            R"({"kind":"clip","spec":"1.0","id":"id1","plugin":"plug","formatVersion":3,)"
            R"("seed":"0000000000000abc","extensions":["x.y/2","com.tessaline.voices/1",9],)"
            R"("length":4,"grid":"1/16","tempo":[{"at":0,"bpm":120}],)"
            R"("meter":[{"at":0,"num":3,"den":4}],)"
            R"("swing":[{"bar":0,"grid":"1/16","voice":"hat","amount":0.5}],"notes":[],)"
            R"("lanes":[{"target":"cutoff","points":[]}],"source":"daw","ext":{"e":1},"zz":true})");
}

TEST(ClipWriter, Notes) {
  ob::clip::Note n;
  n.at = 1.5;
  n.pitch = 60;
  EXPECT_EQ(ob::writeJson(ob::clip::writeNote(n)), R"({"at":1.5,"pitch":60,"vel":1})");

  ob::clip::Note full;
  full.at = 2;
  full.nudge = 0.01;
  full.voice = "kick";
  full.len = 0.25;
  full.pitch = 61;
  full.tune = -1;
  full.vel = 0.5;
  full.rel = 0.3;
  full.sound = "s";
  ob::clip::setNamedValue(full.set, "flt_type", ob::makeJsonString("bp"));
  ob::clip::setNamedValue(full.set, "flt_type", ob::makeJsonString("hp"));  // replaces
  ob::clip::setNamedValue(full.add, "res_tune", ob::makeJsonDouble(2));
  ob::clip::Expression curve;
  curve.curve = true;
  curve.points = {{0, 1}, {0.5, 0}};
  ob::clip::setExpression(full.expr, "pan", ob::clip::Expression{});
  ob::clip::setExpression(full.expr, "cut", curve);
  full.rand.emplace();
  full.rand->pan = 0.0;
  full.slide = true;
  full.ext = parse("{}");  // an empty ext is left out
  EXPECT_EQ(ob::writeJson(ob::clip::writeNote(full)),
            R"({"at":2,"nudge":0.01,"voice":"kick","len":0.25,"pitch":61,"tune":-1,"vel":0.5,)"
            R"("rel":0.3,"sound":"s","set":{"flt_type":"hp"},"add":{"res_tune":2},)"
            R"("expr":{"pan":0,"cut":[[0,1],[0.5,0]]},"rand":{"pan":0},"slide":true})");

  ob::clip::NoteRandom empty;
  EXPECT_EQ(ob::writeJson(ob::clip::writeNoteParams(empty)), "{}");
}

TEST(ClipWriter, ExtensionsForContent) {
  ob::clip::Clip c;
  ob::clip::Note n;
  n.sound = "snare";
  c.notes.push_back(n);
  ob::JsonValue out = ob::clip::writeClip(c);
  EXPECT_EQ(ob::writeJson(*out.find("extensions")), R"(["com.tessaline.voices/1"])");

  c.extensions.push_back({"com.tessaline.voices", 2});
  out = ob::clip::writeClip(c);
  EXPECT_EQ(ob::writeJson(*out.find("extensions")), R"(["com.tessaline.voices/2"])");

  ob::clip::Clip invalidOnly;
  ob::clip::Note bad;
  bad.voice = "v";
  bad.invalid = true;
  bad.source = parse(R"({"voice":"v"})");
  invalidOnly.notes.push_back(bad);
  out = ob::clip::writeClip(invalidOnly);
  EXPECT_EQ(out.find("extensions"), nullptr);
  EXPECT_EQ(ob::writeJson(*out.find("notes")), R"([{"voice":"v"}])");
}

TEST(ClipWriter, ReadThenWriteIsLossless) {
  const std::string doc =
      R"({"kind":"clip","spec":"1.0","id":"c1","plugin":"p","formatVersion":2.0,)"
      R"("seed":"00000000000000ff","extensions":["com.tessaline.voices/1",)"
      R"("com.tessaline.per-note-params/1","com.tessaline.note-random/1","com.tessaline.slide/1",7],)"
      R"("length":4.0,"grid":"1/16","tempo":[{"at":0,"bpm":120.0,"x":1},{"at":1,"bpm":0}],)"
      R"("meter":[{"at":0,"num":4.0,"den":4}],)"
      R"("swing":[{"bar":0,"grid":"1/16","voice":"kick","amount":0.55},"junk",{"bar":1.0,"grid":"1/8","amount":5e-1}],)"
      R"("voices":{"kick":"k1","hat":3},"sounds":{"k1":"Kick"},)"
      R"("notes":[{"at":0,"voice":"kick","vel":1.0,"set":{"flt_type":"bp","x":true},)"
      R"("add":{"res_tune":2.50},"expr":{"pan":0.25,"cut":[[0,1.0],[0.5,"x"]],"gain":[[0.0,1e0]]},)"
      R"("rand":{"vel":0.1,"pan":0,"params":{"flt_cutoff":0.2},"extra":true},"slide":true,)"
      R"("ext":{"a":1},"unknown":[1,2]},{"at":1.50,"pitch":60,"vel":0.8},{"vel":1},5,)"
      R"({"at":"1","voice":"x"},{"at":2,"voice":"kick","vel":1,"slide":"no"}],)"
      R"("lanes":[{"id":"l1","target":"cutoff","voice":"kick","points":[{"at":0,"v":0.5,"curve":"wobble"},)"
      R"({"v":1},{"at":1.0,"v":"x","curve":"linear","q":1}]},{"target":""}],)"
      R"("source":{"app":"x"},"ext":{"com.orbitrane.steps/1":{"g":[1,2]}},"zzz":"kept at end"})";
  ob::Diagnostics diags;
  EXPECT_EQ(readAndWrite(doc, &diags), ob::writeJson(parse(doc)));
  EXPECT_FALSE(diags.empty());
  // The indented form survives as well.
  auto clip = ob::clip::readClip(parse(doc), diags);
  EXPECT_EQ(ob::dumpJson(ob::clip::writeClip(*clip)), ob::dumpJson(parse(doc)));
}

TEST(ClipWriter, KeptMembersReturnToTheirPlaces) {
  // A wrongly typed member replaces the writer's own value in place; members
  // the writer does not produce come after its own, in document order.
  EXPECT_EQ(readAndWrite(R"({"kind":"clip","spec":"1.0","a":1,"length":"long","grid":"0/4","b":2})"),
            R"({"kind":"clip","spec":"1.0","length":"long","grid":"0/4","notes":[],"a":1,"b":2})");
  // A bad seed comes back after the writer's members; a bad extensions
  // member stays as written in the writer's place.
  EXPECT_EQ(readAndWrite(R"({"kind":"clip","seed":5,"extensions":"none","notes":[{"at":0,"voice":"v"}]})"),
            R"({"kind":"clip","spec":"1.0","extensions":"none","length":4,"grid":"1/16",)"
            R"("notes":[{"at":0,"voice":"v","vel":1}],"seed":5})");
  // Spellings come back only where values did not change.
  ob::Diagnostics d;
  auto clip =
      ob::clip::readClip(parse(R"({"kind":"clip","length":4.0,"notes":[{"at":1.50,"pitch":60.0}]})"), d);
  ASSERT_TRUE(clip);
  clip->notes[0].pitch = 61;
  EXPECT_EQ(
      ob::writeJson(ob::clip::writeClip(*clip)),
      R"({"kind":"clip","spec":"1.0","length":4.0,"grid":"1/16","notes":[{"at":1.50,"pitch":61,"vel":1}]})");
  // Values of "ext" and "source" that the writer would leave out come back
  // as read.
  EXPECT_EQ(
      readAndWrite(
          R"({"kind":"clip","ext":"odd","source":null,"notes":[{"at":0,"pitch":1,"ext":[5]},{"at":1,"pitch":1,"ext":{}}]})"),
      R"({"kind":"clip","spec":"1.0","length":4,"grid":"1/16","notes":[{"at":0,"pitch":1,"vel":1,"ext":[5]},)"
      R"({"at":1,"pitch":1,"vel":1,"ext":{}}],"ext":"odd","source":null})");
  // A newer format version is read and written as this build's.
  EXPECT_EQ(readAndWrite(R"({"kind":"clip","spec":"1.3"})"),
            R"({"kind":"clip","spec":"1.0","length":4,"grid":"1/16","notes":[]})");
}

TEST(ClipModel, CopyAndMove) {
  ob::clip::Note a;
  a.voice = "kick";
  a.rand.emplace();
  a.rand->vel = 0.5;
  a.set.push_back({"k", ob::makeJsonDouble(1)});
  ob::clip::Note b = a;
  ASSERT_TRUE(b.rand);
  EXPECT_EQ(b.rand->vel, 0.5);
  ob::clip::Note c;
  ob::clip::Note d = c;
  EXPECT_FALSE(d.rand);
  ob::clip::Note moved = std::move(a);
  EXPECT_EQ(moved.voice, "kick");
  EXPECT_TRUE(a.voice.empty());  // NOLINT(bugprone-use-after-move)
  EXPECT_TRUE(a.set.empty());    // NOLINT(bugprone-use-after-move)
}

// Deterministic generator of clip-like documents with members of every kind
// in every place, good and bad.
class DocGen {
 public:
  explicit DocGen(std::uint64_t seed) : state_(seed * 0x9e3779b97f4a7c15ull + 1) {}

  std::string clip() {
    std::string out = R"({"kind":"clip")";
    const char* keys[] = {"spec",   "id",    "plugin", "formatVersion", "seed",  "extensions",
                          "length", "grid",  "tempo",  "meter",         "swing", "voices",
                          "sounds", "notes", "lanes",  "source",        "ext",   "other"};
    for (const char* k : keys)
      if (pick(3) != 0) out += std::string(",\"") + k + "\":" + member(k);
    return out + "}";
  }

 private:
  std::uint64_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  int pick(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

  std::string scalar() {
    switch (pick(9)) {
      case 0: return "0";
      case 1: return "1.50";
      case 2: return "-2e0";
      case 3: return "\"1/16\"";
      case 4: return "\"voice\"";
      case 5: return "true";
      case 6: return "null";
      case 7: return "-nan";
      default: return "4.0";
    }
  }
  std::string any(int depth) {
    if (depth > 2 || pick(3) == 0) return scalar();
    if (pick(2) == 0) return "[" + any(depth + 1) + "," + any(depth + 1) + "]";
    return "{\"a\":" + any(depth + 1) + ",\"b\":" + any(depth + 1) + "}";
  }
  std::string object(std::initializer_list<const char*> keys) {
    std::string out = "{";
    bool first = true;
    for (const char* k : keys) {
      if (pick(3) == 0) continue;
      if (!first) out += ",";
      first = false;
      out += std::string("\"") + k + "\":" + value(k);
    }
    return out + "}";
  }
  std::string list(const char* element) {
    std::string out = "[";
    int n = pick(4);
    for (int i = 0; i < n; ++i) {
      if (i != 0) out += ",";
      out += pick(6) == 0 ? any(1) : value(element);
    }
    return out + "]";
  }
  std::string value(const std::string& k) {
    if (pick(8) == 0) return any(1);
    if (k == "note")
      return object({"at", "nudge", "len", "vel", "rel", "pitch", "expr", "rand", "voice", "tune", "sound",
                     "set", "add", "slide", "ext", "x"});
    if (k == "tempo") return object({"at", "bpm", "x"});
    if (k == "meter") return object({"at", "num", "den"});
    if (k == "swingEntry") return object({"bar", "grid", "amount", "voice"});
    if (k == "lane") return object({"id", "target", "voice", "instance", "points", "x"});
    if (k == "points") return list("point");
    if (k == "point") return object({"at", "v", "curve", "x"});
    if (k == "expr") return "{\"p\":" + scalar() + ",\"c\":[[0,1]," + any(2) + "]}";
    if (k == "rand") return object({"vel", "nudge", "pan", "params", "x"});
    if (k == "set" || k == "add" || k == "params" || k == "voices" || k == "sounds")
      return "{\"k1\":" + scalar() + ",\"k2\":" + scalar() + "}";
    if (k == "voice" || k == "sound" || k == "target" || k == "id" || k == "instance")
      return pick(2) == 0 ? "\"v\"" : "\"\"";
    if (k == "curve") return pick(2) == 0 ? "\"linear\"" : "\"wiggle\"";
    if (k == "slide") return pick(2) == 0 ? "true" : "false";
    return scalar();
  }
  std::string member(const std::string& k) {
    if (k == "spec") return pick(2) == 0 ? "\"1.0\"" : "\"2.1\"";
    if (k == "seed") return pick(2) == 0 ? "\"00000000000000aB\"" : "\"xyz\"";
    if (k == "extensions") return R"(["com.tessaline.voices/1",3,"a/0"])";
    if (k == "grid") return pick(2) == 0 ? "\"3/8\"" : "\"0/8\"";
    if (k == "tempo") return list("tempo");
    if (k == "meter") return list("meter");
    if (k == "swing") return list("swingEntry");
    if (k == "notes") return list("note");
    if (k == "lanes") return list("lane");
    return value(k);
  }

  std::uint64_t state_;
};

TEST(ClipWriter, WritingIsAFixpointOverGeneratedDocuments) {
  for (std::uint64_t seed = 1; seed <= 400; ++seed) {
    DocGen gen(seed);
    const std::string text = gen.clip();
    ob::Diagnostics d1;
    auto first = ob::clip::readClip(parse(text), d1);
    ASSERT_TRUE(first) << text;
    ob::JsonValue once = ob::clip::writeClip(*first);
    ob::Diagnostics d2;
    auto second = ob::clip::readClip(once, d2);
    ASSERT_TRUE(second) << text;
    ob::JsonValue twice = ob::clip::writeClip(*second);
    EXPECT_EQ(ob::writeJson(twice), ob::writeJson(once)) << text;
    // Written text always parses back.
    ob::JsonValue reparsed;
    std::string err;
    EXPECT_TRUE(ob::parseJson(ob::dumpJson(twice), reparsed, err)) << err << " for " << text;
    // Every top-level member that carries something comes back.
    const ob::JsonValue doc = parse(text);
    for (const auto& m : doc.members) {
      bool empty = (m.value.isArray() && m.value.elements.empty()) ||
                   (m.value.isObject() && m.value.members.empty()) ||
                   (m.value.isString() && m.value.text.empty());
      if (!empty) {
        EXPECT_NE(once.find(m.key), nullptr) << m.key << " lost from " << text;
      }
    }
  }
}

}  // namespace clip_writer_test
