#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "document/json/json.h"
#include "document/params/param_values.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace param_values_test {

ob::JsonValue parse(const std::string& text) {
  ob::JsonValue v;
  std::string err;
  EXPECT_TRUE(ob::parseJson(text, v, err)) << err << " in " << text;
  return v;
}

ob::Sound makeSound(int machine) {
  ob::Sound s;
  ob::initSoundParams(s, machine);
  return s;
}

int idx(const ob::Sound& s, const char* key) {
  int i = ob::findParamIndex(s.machine, key);
  EXPECT_GE(i, 0) << key;
  return i;
}

class ParamValues : public ::testing::Test {
 protected:
  void SetUp() override {
    table = std::make_unique<ob::SampleSlotTable>();
    empty = std::make_unique<ob::SampleSlotTable>();
    for (int i = 0; i < 40; ++i) ob::copyText(table->slots[i].id, ("smp" + std::to_string(i)).c_str());
    ob::copyText(table->slots[3].id, "tom");
    table->slots[5].id[0] = '\0';  // a slot without an id
    table->count = 40;
  }

  // Writes the value, checks the JSON text, reads it back and checks the value.
  void roundTrip(const ob::Sound& s, int index, float value, const std::string& json, float readBack) {
    ob::JsonValue v = ob::writeParamValue(s, index, value, *table);
    EXPECT_EQ(ob::writeJson(v), json) << "index " << index;
    float out = -99.0f;
    EXPECT_TRUE(ob::readParamValue(s, index, v, *table, out)) << json;
    EXPECT_EQ(out, readBack) << json;
  }

  std::unique_ptr<ob::SampleSlotTable> table;
  std::unique_ptr<ob::SampleSlotTable> empty;
};

TEST_F(ParamValues, ChoiceWordsForEveryMachine) {
  ob::Sound sampler = makeSound(ob::kMachineSample);
  roundTrip(sampler, idx(sampler, "loop"), 1.0f, R"("loop")", 1.0f);
  roundTrip(sampler, idx(sampler, "window_mode"), 0.0f, R"("range")", 0.0f);
  roundTrip(sampler, idx(sampler, "flt_type"), 2.0f, R"("bp")", 2.0f);

  ob::Sound va = makeSound(ob::kMachineVa);
  roundTrip(va, idx(va, "wave1"), 2.0f, R"("tri")", 2.0f);
  roundTrip(va, idx(va, "mode"), 1.0f, R"("hp")", 1.0f);

  ob::Sound gran = makeSound(ob::kMachineGranular);
  roundTrip(gran, idx(gran, "normalize"), 1.0f, R"("on")", 1.0f);
  roundTrip(gran, idx(gran, "fx_shape"), 2.0f, R"("fold")", 2.0f);

  ob::Sound drum = makeSound(ob::kMachineDrum);
  roundTrip(drum, idx(drum, "exc1_type"), 3.0f, R"("bp-noise")", 3.0f);
  roundTrip(drum, idx(drum, "res_type"), 8.0f, R"("wave")", 8.0f);
  roundTrip(drum, idx(drum, "dist_pos"), 1.0f, R"("post-mix")", 1.0f);

  // A word is exact and case-sensitive; labels are not words.
  float out = 5.0f;
  ob::ParamValueRefusal why = ob::ParamValueRefusal::None;
  EXPECT_FALSE(ob::readParamValue(drum, idx(drum, "exc1_type"), parse(R"("BP-NOISE")"), *table, out, &why));
  EXPECT_EQ(why, ob::ParamValueRefusal::UnknownWord);
  EXPECT_FALSE(ob::readParamValue(drum, idx(drum, "exc1_type"), parse(R"("noise burst")"), *table, out));
  EXPECT_EQ(out, 5.0f) << "a refused value leaves the output alone";
}

TEST_F(ParamValues, NumbersAndValuesBetweenSteps) {
  ob::Sound va = makeSound(ob::kMachineVa);
  // Not a whole step above the minimum: a number, not a word.
  roundTrip(va, idx(va, "mode"), 1.5f, "1.5", 1.5f);
  roundTrip(va, idx(va, "cutoff"), 2000.0f, "2000", 2000.0f);
  roundTrip(va, idx(va, "reso"), 0.1f, "0.1", 0.1f);
  // Beyond the word list, or negative zero: the number, which reads back
  // as it was, unclamped.
  roundTrip(va, idx(va, "mode"), 7.0f, "7", 7.0f);
  roundTrip(va, idx(va, "mode"), -0.0f, "-0", -0.0f);
  float out = 0.0f;
  EXPECT_TRUE(ob::readParamValue(va, idx(va, "mode"), parse("7"), *table, out));
  EXPECT_EQ(out, 7.0f);
  // A stepped row without words (the sampler's slice) stays a number.
  ob::Sound sampler = makeSound(ob::kMachineSample);
  roundTrip(sampler, idx(sampler, "slice"), 3.0f, "3", 3.0f);
}

TEST_F(ParamValues, SampleIdsForSlotSelectors) {
  ob::Sound sampler = makeSound(ob::kMachineSample);
  EXPECT_EQ(ob::sampleParamKind(sampler, 0), 1);
  EXPECT_EQ(ob::sampleParamKind(sampler, 1), 0);
  roundTrip(sampler, 0, 3.0f, R"("tom")", 3.0f);
  roundTrip(sampler, 0, 39.0f, R"("smp39")", 39.0f);
  // The slot has no id: numbered past the 39 slots a document carries,
  // where a load finds an empty slot rather than another's sample.
  roundTrip(sampler, 0, 5.0f, "39", 39.0f);
  roundTrip(sampler, 0, 40.0f, "40", 40.0f);  // beyond the table's count

  ob::Sound gran = makeSound(ob::kMachineGranular);
  EXPECT_EQ(ob::sampleParamKind(gran, 0), 1);
  roundTrip(gran, 0, 2.0f, R"("smp2")", 2.0f);

  ob::Sound va = makeSound(ob::kMachineVa);
  EXPECT_EQ(ob::sampleParamKind(va, 0), 0);
  roundTrip(va, 0, 3.0f, "3", 3.0f);

  float out = 0.0f;
  EXPECT_FALSE(ob::readParamValue(sampler, 0, parse(R"("tom")"), *empty, out));
  EXPECT_FALSE(ob::readParamValue(va, 0, parse(R"("tom")"), *table, out));
  EXPECT_FALSE(ob::readParamValue(sampler, 0, parse(R"("")"), *table, out));
}

TEST_F(ParamValues, DrumSampleSelectorsFollowTheirType) {
  ob::Sound drum = makeSound(ob::kMachineDrum);
  const int exc1Type = idx(drum, "exc1_type"), exc1Aux = idx(drum, "exc1_aux1");
  const int exc2Type = idx(drum, "exc2_type"), exc2Aux = idx(drum, "exc2_aux1");
  const int resType = idx(drum, "res_type"), resAux = idx(drum, "res_aux1");
  EXPECT_EQ(ob::sampleParamKind(drum, exc1Aux), 0);
  roundTrip(drum, exc1Aux, 0.5f, "0.5", 0.5f);

  drum.params[exc1Type] = 4.0f;
  EXPECT_EQ(ob::sampleParamKind(drum, exc1Aux), 2);
  EXPECT_EQ(ob::sampleParamKind(drum, idx(drum, "exc1_aux2")), 0);
  // Slot 5, which has no id.
  roundTrip(drum, exc1Aux, 5.0f / 63.0f, "0.61904764", 39.0f / 63.0f);
  // 0.5 x 63 + 0.5 = 32: slot 32's id, which reads back as 32 / 63.
  roundTrip(drum, exc1Aux, 0.5f, R"("smp32")", 32.0f / 63.0f);
  roundTrip(drum, exc1Aux, 7.0f, "7", 7.0f);           // clamped to slot 63, beyond the table
  roundTrip(drum, exc1Aux, -2.0f, R"("smp0")", 0.0f);  // clamped to slot 0
  drum.params[exc1Type] = 3.6f;                        // rounds to 4
  EXPECT_EQ(ob::sampleParamKind(drum, exc1Aux), 2);

  drum.params[exc2Type] = 4.0f;
  EXPECT_EQ(ob::sampleParamKind(drum, exc2Aux), 2);
  drum.params[resType] = 4.0f;
  EXPECT_EQ(ob::sampleParamKind(drum, resAux), 2);
  roundTrip(drum, resAux, 3.0f / 63.0f, R"("tom")", 3.0f / 63.0f);
  drum.params[resType] = 5.0f;
  EXPECT_EQ(ob::sampleParamKind(drum, resAux), 0);
  drum.params[resType] = 1e30f;  // out of any table
  EXPECT_EQ(ob::sampleParamKind(drum, resAux), 0);
  EXPECT_EQ(ob::sampleParamKind(drum, -1), 0);
  EXPECT_EQ(ob::sampleParamKind(drum, 64), 0);
  // Drum code 9 counts as the drum.
  drum.machine = 9;
  EXPECT_EQ(ob::sampleParamKind(drum, exc2Aux), 2);
}

// A sample loaded by a key longer than its id field is named by that key;
// the id it was cut to (as an older build wrote its references) names it
// too, unless it names another, one the load kept unread.
TEST_F(ParamValues, SamplesGoByTheKeysTheyWereLoadedBy) {
  ob::Sound sampler = makeSound(ob::kMachineSample);
  const std::string longId = "a-very-long-sample-identifier-beyond-the-field";
  ob::copyText(table->slots[7].id, longId.c_str());
  const std::string cut(ob::fixedText(table->slots[7].id));
  ob::KeysAsLoaded keys;
  keys.add(ob::recordsPath(ob::Records::Samples), cut, longId);
  keys.listed[ob::Records::Samples] = {longId};
  float out = 0.0f;
  EXPECT_TRUE(ob::readParamValue(sampler, 0, ob::makeJsonString(longId), *table, out, nullptr, keys));
  EXPECT_EQ(out, 7.0f);
  out = 0.0f;
  EXPECT_TRUE(ob::readParamValue(sampler, 0, ob::makeJsonString(cut), *table, out, nullptr, keys));
  EXPECT_EQ(out, 7.0f);
  for (const std::string& another : {cut, cut + "-another"}) {
    keys.listed[ob::Records::Samples] = {longId, another};
    EXPECT_FALSE(ob::readParamValue(sampler, 0, ob::makeJsonString(cut), *table, out, nullptr, keys))
        << another;
  }
  EXPECT_EQ(ob::writeParamValue(sampler, 0, 7.0f, *table, keys).text, longId);
}

TEST_F(ParamValues, NonFiniteAndHostileValuesAreRefused) {
  ob::Sound drum = makeSound(ob::kMachineDrum);
  const int tune = idx(drum, "res_tune");
  ob::ParamValueRefusal why = ob::ParamValueRefusal::None;
  float out = 1.0f;
  EXPECT_FALSE(ob::readParamValue(drum, tune, parse("-nan"), *table, out, &why));
  EXPECT_EQ(why, ob::ParamValueRefusal::NotFinite);
  EXPECT_FALSE(ob::readParamValue(drum, tune, parse("-inf"), *table, out, &why));
  EXPECT_EQ(why, ob::ParamValueRefusal::NotFinite);
  EXPECT_FALSE(ob::readParamValue(drum, tune, parse("1e39"), *table, out, &why));
  EXPECT_EQ(why, ob::ParamValueRefusal::OutOfRange);
  EXPECT_FALSE(ob::readParamValue(drum, tune, parse("true"), *table, out, &why));
  EXPECT_EQ(why, ob::ParamValueRefusal::NotAValue);
  EXPECT_FALSE(ob::readParamValue(drum, tune, parse("[1]"), *table, out, &why));
  EXPECT_EQ(out, 1.0f);
  EXPECT_TRUE(ob::readParamValue(drum, tune, parse("-3.4e38"), *table, out, &why));
  EXPECT_EQ(why, ob::ParamValueRefusal::None);

  // Writing hostile stored values never leaves a slot range; a choice's
  // value beyond its words is the number it is.
  drum.params[idx(drum, "exc1_type")] = 4.0f;
  const int aux = idx(drum, "exc1_aux1");
  EXPECT_EQ(ob::writeJson(ob::writeParamValue(drum, aux, -1e30f, *table)), R"("smp0")");
  EXPECT_EQ(ob::writeJson(ob::writeParamValue(drum, aux, static_cast<float>(std::nan("")), *table)), "null");
  ob::Sound sampler = makeSound(ob::kMachineSample);
  EXPECT_EQ(ob::writeJson(ob::writeParamValue(sampler, 0, 3e9f, *table)), "3e+09");
  EXPECT_EQ(ob::writeJson(ob::writeParamValue(sampler, idx(sampler, "loop"), -1e30f, *table)), "-1e+30");
  // Index outside the machine: the empty row, a plain number.
  EXPECT_EQ(ob::writeJson(ob::writeParamValue(sampler, 60, 0.25f, *table)), "0.25");
}

}  // namespace param_values_test
