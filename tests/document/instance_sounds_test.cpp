// Sounds (machine, parameter values, velocity routes, layer zones) and the
// sample table, read and written one record at a time.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "document/instance/sample_state.h"
#include "document/instance/sound_state.h"
#include "instance_rig.h"

namespace instance_sounds_test {

using namespace ob;
using obtest::countCode;
using obtest::json;

struct SoundRead {
  Sound sound;
  Diagnostics diags;
  bool ok = false;
};

SoundRead readOne(const std::string& text, const SampleSlotTable* samples = nullptr) {
  static SampleSlotTable empty;
  // Value-initialised, padding zeroed, so a whole record compares bytewise.
  SoundRead r = SoundRead();
  r.ok = readSound("k", json(text), r.sound, samples ? *samples : empty, r.diags, "/state/sounds/k");
  return r;
}

std::unique_ptr<SampleSlotTable> poolWith(std::initializer_list<const char*> ids) {
  auto t = std::make_unique<SampleSlotTable>();
  for (const char* id : ids) {
    copyText(t->slots[t->count].id, id);
    ++t->count;
  }
  return t;
}

TEST(InstanceSounds, MachineWordDecidesTheDefaults) {
  SoundRead g = readOne(R"({"machine":"granular","name":"G","params":{"size":0.5}})");
  ASSERT_TRUE(g.ok);
  Sound defaults;
  initSoundParams(defaults, kMachineGranular);
  EXPECT_EQ(g.sound.machine, kMachineGranular);
  EXPECT_STREQ(g.sound.id, "k");
  EXPECT_STREQ(g.sound.name, "G");
  const int size = findParamIndex(kMachineGranular, "size");
  for (int i = 0; i < kSoundParamSlots; ++i)
    EXPECT_EQ(g.sound.params[i], i == size ? 0.5f : defaults.params[i]) << i;

  // Missing or retired machines: a warning, the record untouched.
  SoundRead none = readOne(R"({"name":"x"})");
  EXPECT_FALSE(none.ok);
  const Diagnostic* d = obtest::findCode(none.diags, "unknown-machine");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->severity, Severity::Warning);
  EXPECT_EQ(d->path, "/state/sounds/k/machine");
  EXPECT_EQ(d->message, "No machine \"\" in this build; the sound is kept but not loaded");
  const Sound fresh = Sound();
  EXPECT_EQ(std::memcmp(&fresh, &none.sound, sizeof fresh), 0);

  for (const char* word : {"fm", "tape", "physical", "noise", "808", "synth"}) {
    const char* note = legacyMachineNote(word);
    if (note == nullptr) continue;
    SoundRead old = readOne(std::string(R"({"machine":")") + word + "\"}");
    EXPECT_EQ(obtest::findCode(old.diags, "unknown-machine")->message,
              std::string("No machine \"") + word + "\" in this build: " + note +
                  "; the sound is kept but not loaded");
  }
}

TEST(InstanceSounds, ParametersInTwoPasses) {
  // An exciter's first aux knob takes a sample id only while the exciter
  // type is "sample": the result must not depend on the member order.
  auto pool = poolWith({"a", "kick"});
  const int type = findParamIndex(kMachineDrum, "exc1_type");
  const int aux = findParamIndex(kMachineDrum, "exc1_aux1");
  for (int order = 0; order < 2; ++order) {
    const std::string a = R"("exc1_aux1":"kick")";
    const std::string b = R"("exc1_type":"sample")";
    SoundRead r =
        readOne(R"({"machine":"drum","params":{)" + (order ? b + "," + a : a + "," + b) + "}}", pool.get());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.sound.params[type], 4.0f);
    EXPECT_EQ(r.sound.params[aux], 1.0f / 63.0f) << "order " << order;
    EXPECT_TRUE(r.diags.empty()) << obtest::listing(r.diags);
  }
  // Without the type the id means nothing: refused after the second pass.
  SoundRead r = readOne(R"({"machine":"drum","params":{"exc1_aux1":"kick"}})", pool.get());
  EXPECT_EQ(countCode(r.diags, "unknown-value", "/state/sounds/k/params/exc1_aux1"), 1);
  EXPECT_EQ(r.sound.params[aux], paramInfo(kMachineDrum, aux).defaultValue);
}

TEST(InstanceSounds, UnknownParametersAndValues) {
  SoundRead r = readOne(R"({"machine":"va","params":{"nope":1,"tune":true,"cutoff":0.25}})");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(countCode(r.diags, "unknown-param", "/state/sounds/k/params/nope"), 1);
  EXPECT_EQ(obtest::findCode(r.diags, "unknown-param")->message, "Unknown parameter, kept but not applied");
  const Diagnostic* v = obtest::findCode(r.diags, "unknown-value");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->path, "/state/sounds/k/params/tune");
  EXPECT_EQ(v->message, "Not a value this parameter takes; kept, default used");
  EXPECT_EQ(r.diags.size(), 2u);
  Sound defaults;
  initSoundParams(defaults, kMachineVa);
  EXPECT_EQ(r.sound.params[findParamIndex(kMachineVa, "tune")],
            defaults.params[findParamIndex(kMachineVa, "tune")]);
  EXPECT_EQ(r.sound.params[findParamIndex(kMachineVa, "cutoff")], 0.25f);
}

TEST(InstanceSounds, VelocityRoutesStopAtEight) {
  const char* keys[] = {"tune",      "detune", "cutoff", "reso", "env_amt",
                        "pitch_env", "attack", "decay",  "level"};
  std::string vel;
  for (const char* k : keys) vel += std::string(vel.empty() ? "" : ",") + "\"" + k + "\":0.5";
  SoundRead r = readOne(R"({"machine":"va","velocity":{)" + vel + R"(,"nope":1,"gain":"x"}})");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.sound.velDestCount, 8);
  EXPECT_EQ(r.sound.velDests[7].param, findParamIndex(kMachineVa, "decay"));
  EXPECT_EQ(countCode(r.diags, "unknown-param", "/state/sounds/k/velocity/level"), 1);
  EXPECT_EQ(countCode(r.diags, "unknown-param", "/state/sounds/k/velocity/nope"), 1);
  EXPECT_EQ(countCode(r.diags, "unknown-param", "/state/sounds/k/velocity/gain"), 1);
  EXPECT_EQ(obtest::findCode(r.diags, "unknown-param")->message,
            "Not a velocity route this sound can take; kept but not applied");
  static SampleSlotTable empty;
  JsonValue w = writeSound(r.sound, empty);
  EXPECT_EQ(w.find("velocity")->members.size(), 8u);

  // Two routes of one parameter: one member with the later amount.
  r.sound.velDests[1].param = r.sound.velDests[0].param;
  r.sound.velDests[1].value = -0.25f;
  JsonValue w2 = writeSound(r.sound, empty);
  EXPECT_EQ(w2.find("velocity")->members.size(), 7u);
  EXPECT_EQ(writeJson(*w2.find("velocity")->find("tune")), "-0.25");
}

TEST(InstanceSounds, LayerZones) {
  auto pool = poolWith({"kick", "snare"});
  auto zones = [&](const std::string& z) {
    return readOne(R"({"machine":"sample","layers":{"mode":"round-robin","zones":)" + z + "}}", pool.get());
  };
  SoundRead a = zones(
      R"([{"sample":3.9},{"sample":-0.5},{"sample":64},{"sample":-1},{"sample":"snare","velMax":300}])");
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.sound.mode, 1);
  ASSERT_EQ(a.sound.zoneCount, 3);
  EXPECT_EQ(a.sound.slot[0], 3);
  EXPECT_EQ(a.sound.slot[1], 0);
  EXPECT_EQ(a.sound.slot[2], 1);
  EXPECT_EQ(a.sound.velMax[0], 127);
  EXPECT_EQ(a.sound.velMax[2], 127);
  EXPECT_EQ(countCode(a.diags, "unknown-sample", "/state/sounds/k/layers/zones/2"), 1);
  EXPECT_EQ(countCode(a.diags, "unknown-sample", "/state/sounds/k/layers/zones/3"), 1);
  EXPECT_EQ(obtest::findCode(a.diags, "unknown-sample")->message,
            "The zone names no sample in the pool; kept but not played");

  SoundRead b = zones(R"([{"sample":"nope"},{"sample":"kick","velMax":-4},{"sample":"nope","velMax":63.5}])");
  EXPECT_EQ(b.sound.zoneCount, 1);
  EXPECT_EQ(b.sound.velMax[0], 0);
  EXPECT_EQ(countCode(b.diags, "unknown-sample", "/state/sounds/k/layers/zones/0"), 1);
  EXPECT_EQ(countCode(b.diags, "unknown-sample", "/state/sounds/k/layers/zones/2"), 1);
  EXPECT_EQ(zones(R"([{"sample":1,"velMax":63.5}])").sound.velMax[0], 64);

  SoundRead c = zones(R"([{"sample":1},5,{"sample":2}])");
  EXPECT_EQ(c.sound.zoneCount, 1);
  EXPECT_TRUE(c.diags.empty());

  // The mode without zones is kept, and written with none.
  SoundRead d = zones("[]");
  EXPECT_EQ(d.sound.mode, 1);
  EXPECT_EQ(writeJson(*writeSound(d.sound, *pool).find("layers")), R"({"mode":"round-robin","zones":[]})");
  EXPECT_EQ(zones(R"([{"sample":0}])").sound.mode, 1);
  EXPECT_EQ(readOne(R"({"machine":"sample","layers":{"mode":"x","zones":[{"sample":0}]}})").sound.mode, 0);

  // Written: ids for slots that have one, numbers for the rest, past the
  // slots a document carries (here "snare" alone).
  Sound s = a.sound;
  s.slot[2] = 40;
  pool->slots[0].id[0] = '\0';
  EXPECT_EQ(writeJson(*writeSound(s, *pool).find("layers")->find("zones")),
            R"([{"sample":3,"velMax":127},{"sample":1,"velMax":127},{"sample":40,"velMax":127}])");
  s.slot[0] = 1;
  EXPECT_EQ(writeJson(writeSound(s, *pool).find("layers")->find("zones")->elements[0]),
            R"({"sample":"snare","velMax":127})");

  // Nine zones keep eight; the same sample id in two slots: the first wins.
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += std::string(i ? "," : "") + R"({"sample":"snare"})";
  auto twin = poolWith({"kick", "kick"});
  SoundRead e = zones("[" + nine + "]");
  EXPECT_EQ(e.sound.zoneCount, 8);
  SoundRead f = readOne(R"({"machine":"sample","layers":{"zones":[{"sample":"kick"}]}})", twin.get());
  EXPECT_EQ(f.sound.slot[0], 0);

  // Zones past the count are reached by nothing, as a zone that comes into
  // use plays the sound's own sample: no save holds them, and those an
  // earlier build saved are kept as read but not applied, which is said.
  auto pair = poolWith({"kick", "snare"});
  Sound split = a.sound;
  split.zoneCount = 2;
  split.slot[5] = 40;
  split.velMax[6] = 90;
  EXPECT_EQ(writeJson(writeSound(split, *pair)).find("zonesOff"), std::string::npos);
  SoundRead g = readOne(
      R"({"machine":"sample","layers":{"zones":[{"sample":0}],"zonesOff":[{"sample":"nope"},{"sample":1,"velMax":9}]}})",
      pair.get());
  EXPECT_EQ(g.sound.zoneCount, 1);
  for (int z = 1; z < kListCapacity; ++z) {
    EXPECT_EQ(g.sound.slot[z], Sound().slot[z]) << z;
    EXPECT_EQ(g.sound.velMax[z], Sound().velMax[z]) << z;
  }
  EXPECT_EQ(countCode(g.diags, "zones-off-unread", "/state/sounds/k/layers/zonesOff"), 1);
}

TEST(InstanceSounds, WrittenMembersInOrder) {
  Sound s;
  initSoundParams(s, kMachineVa);
  copyText(s.name, "Zap");
  SampleSlotTable empty;
  JsonValue w = writeSound(s, empty);
  ASSERT_EQ(w.members.size(), 3u);
  EXPECT_EQ(w.members[0].key, "name");
  EXPECT_EQ(w.members[1].key, "machine");
  EXPECT_EQ(w.members[1].value.text, "va");
  EXPECT_EQ(w.members[2].key, "params");
  EXPECT_EQ(w.members[2].value.members.size(), static_cast<std::size_t>(paramCount(kMachineVa)));
  EXPECT_EQ(w.members[2].value.members[0].key, "tune");
}

TEST(InstanceSamples, OrderedIntoConsecutiveSlots) {
  SampleSlotTable t;
  std::vector<std::string> ids;
  Diagnostics d;
  readSamplePool(json(R"({"c":{},"b":{"order":1,"name":5},"a":{"order":0,"name":"Alpha"},"x":3})"), t, ids,
                 d);
  ASSERT_EQ(t.count, 3);
  EXPECT_STREQ(t.slots[0].id, "a");
  EXPECT_STREQ(t.slots[0].name, "Alpha");
  EXPECT_STREQ(t.slots[1].id, "b");
  EXPECT_STREQ(t.slots[1].name, "b");
  EXPECT_STREQ(t.slots[2].id, "c");
  EXPECT_EQ(ids, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(countCode(d, "wrong-type", "/state/samples/x"), 1);
  EXPECT_EQ(obtest::findCode(d, "wrong-type")->message, "Expected a sample; kept but not loaded");
}

TEST(InstanceSamples, FullPoolAndNonObjects) {
  std::string text = R"({"junk":[],)";
  for (int i = 0; i < 65; ++i)
    text += std::string(i ? "," : "") + "\"s" + std::to_string(i) + R"(":{"order":)" +
            std::to_string(64 - i) + "}";
  text += "}";
  SampleSlotTable t;
  std::vector<std::string> ids;
  Diagnostics d;
  readSamplePool(json(text), t, ids, d);
  EXPECT_EQ(t.count, 64);
  EXPECT_STREQ(t.slots[0].id, "s64");
  EXPECT_STREQ(t.slots[63].id, "s1");
  EXPECT_EQ(countCode(d, "too-many-samples", "/state/samples/s0"), 1);
  EXPECT_EQ(countCode(d, "too-many-samples", "/state/samples/junk"), 1);
  EXPECT_EQ(countCode(d, "too-many-samples"), 2);
  EXPECT_EQ(obtest::findCode(d, "too-many-samples")->message,
            "The pool is full; the sample is kept but not loaded");
}

TEST(InstanceSamples, TagsSlicesAndSources) {
  SampleSlotTable t;
  std::vector<std::string> ids;
  Diagnostics d;
  readSamplePool(json(R"({"a":{"order":0,"tags":["kick",3,"dry"],"slices":[0.1,"x",0.5],"source":"user"},)"
                      R"("b":{"order":1,"source":"nope"},"c":{"order":2,"source":"basalt"},)"
                      R"("d":{"order":3,"source":"worldperc"}})"),
                 t, ids, d);
  EXPECT_TRUE(d.empty());
  EXPECT_EQ(t.slots[0].tagCount, 2);
  EXPECT_STREQ(t.slots[0].tags[1], "dry");
  EXPECT_EQ(t.slots[0].sliceCount, 2);
  EXPECT_EQ(t.slots[0].src, 0);
  EXPECT_EQ(t.slots[1].src, 0);
  EXPECT_EQ(t.slots[2].src, 2);
  EXPECT_EQ(t.slots[3].src, 4);
  JsonValue w = writeSamplePool(t);
  EXPECT_EQ(writeJson(*w.find("a")), R"({"order":0,"name":"a","tags":["kick","dry"],"slices":[0.1,0.5]})");
  EXPECT_EQ(writeJson(*w.find("b")), R"({"order":1,"name":"b"})");
  EXPECT_EQ(writeJson(*w.find("c")), R"({"order":2,"name":"c","source":"basalt"})");
  for (int i = 0; i <= 4; ++i) EXPECT_EQ(parseSampleSource(sampleSourceWord(i)), i == 0 ? 0 : i);
}

TEST(InstanceSamples, EmptyIdsAreLeftOutAndLongKeysStayWhole) {
  SampleSlotTable t;
  std::vector<std::string> ids;
  Diagnostics d;
  const std::string key(30, 'q');
  readSamplePool(json("{\"" + key + R"(":{}})"), t, ids, d);
  EXPECT_EQ(std::string(t.slots[0].id), key.substr(0, 23));
  EXPECT_EQ(ids[0], key);
  // Keys giving no id, or one a slot holds, name no slot of their own.
  readSamplePool(json("{\"\":{},\"\\u0000a\":{},\"" + key + "x\":{}}"), t, ids, d);
  EXPECT_EQ(t.count, 1);
  EXPECT_EQ(obtest::countCode(d, "unusable-id"), 3);

  t.count = 3;
  copyText(t.slots[2].id, "z");
  JsonValue w = writeSamplePool(t);
  ASSERT_EQ(w.members.size(), 2u);
  EXPECT_EQ(w.members[1].key, "z");
  // Its order is the place the next load gives it, past the slot left out.
  EXPECT_EQ(writeJson(*w.members[1].value.find("order")), "1");
  // Two slots with one id: the later value in the earlier place.
  copyText(t.slots[1].id, "z");
  JsonValue w2 = writeSamplePool(t);
  ASSERT_EQ(w2.members.size(), 2u);
  EXPECT_EQ(writeJson(*w2.members[1].value.find("order")), "1");
  EXPECT_TRUE(writeSamplePool(SampleSlotTable{}).members.empty());
}

}  // namespace instance_sounds_test
