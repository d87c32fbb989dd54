// A sound that changes machine takes what refers to its parameters along:
// locks, random depths, velocity routes, macro destinations and the LFO and
// envelope targets name the same parameter afterwards, or are gone. Over
// random projects and random changes, on the editor's copy and on the
// engine's.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/engine/engine.h"
#include "engine/model/edit_command.h"
#include "engine/model/machine_change.h"
#include "engine/model/pattern_copy.h"
#include "engine/model/project.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"

namespace model_machine_change_test {

using namespace ob;

EditCommand machineChange(std::uint32_t track, int machine) {
  EditCommand c;
  c.kind = kEditMachine;
  c.track = track;
  c.param = machine;
  return c;
}

std::uint8_t indexOf(int machine, const char* key) {
  const int i = findParamIndex(machine, key);
  EXPECT_GE(i, 0) << key;
  return static_cast<std::uint8_t>(i);
}

// An index that names no parameter shows as "<none>".
std::string keyOf(int machine, int index) {
  const std::string key = paramInfo(machine, index).id;
  return key.empty() ? "<none>" : key;
}

int machineOfTrack(const Pattern& p, int track) {
  const int s = p.tracks[track].soundIndex;
  return s >= 0 && s < kMaxTracks ? p.kit.sounds[s].machine : -1;
}

// A modulator as one word: "none" for one that holds nothing, else whether
// it is on and the key it aims at.
template <class Modulator>
std::string modulatorWord(const Modulator& m, int machine) {
  if (!holdsSomething(m)) return "none";
  return std::string(m.enabled ? "on:" : "off:") + keyOf(machine, m.dest);
}

// Every reference of the pattern by key, in order, each list on its own
// line; the lines of steps switched off say so.
std::vector<std::string> references(const Pattern& p) {
  std::vector<std::string> out;
  const auto list = [&](const std::string& where, int machine, const ParamLock* entries, int count) {
    std::string line = where + ":";
    for (int i = 0; i < count; ++i) line += " " + keyOf(machine, entries[i].param);
    out.push_back(line);
  };
  for (int t = 0; t < p.numTracks; ++t) {
    const int m = machineOfTrack(p, t);
    if (m < 0) continue;
    const Track& track = p.tracks[t];
    const std::string name = "track " + std::to_string(t);
    for (int s = 0; s < kStepsPerTrack; ++s) {
      const std::string step = name + " step " + std::to_string(s) + (track.steps[s].active ? "" : " (off)");
      list(step + " locks", m, track.steps[s].locks, track.steps[s].lockCount);
      list(step + " rands", m, track.steps[s].rands, track.steps[s].randCount);
    }
    list(name + " rands", m, track.trackRands, track.trackRandCount);
    for (int i = 0; i < 2; ++i) {
      out.push_back(name + " lfo: " + modulatorWord(track.lfos[i], m));
      out.push_back(name + " env: " + modulatorWord(track.modEnvs[i], m));
    }
    const Sound& sound = p.kit.sounds[track.soundIndex];
    bool first = true;  // a sound's routes once, with the first track playing it
    for (int u = 0; u < t; ++u) first = first && p.tracks[u].soundIndex != track.soundIndex;
    if (first) list(name + " routes", m, sound.velDests, sound.velDestCount);
  }
  for (int k = 0; k < kMacroCount; ++k) {
    std::string line = "macro " + std::to_string(k) + ":";
    for (int i = 0; i < p.kit.macros[k].destCount; ++i) {
      const MacroDest& d = p.kit.macros[k].dests[i];
      const int m = d.track < p.numTracks ? machineOfTrack(p, d.track) : -1;
      line += " " + std::to_string(d.track) + "/" + (m < 0 ? "-" : keyOf(m, d.param));
    }
    out.push_back(line);
  }
  return out;
}

// What each key more than one machine has among its own parameters means
// to a user on each, as the editor shows it: a reference follows its key
// where the words are the same, and goes where they differ.
struct Meaning {
  const char* key;
  const char* means;
  std::vector<int> machines;
};
const std::vector<Meaning> kSharedKeys = {
    {"level", "overall output level", {kMachineDrum, kMachineSample, kMachineVa, kMachineGranular}},
    {"tune", "transposition in semitones", {kMachineSample, kMachineGranular}},
    {"tune", "oscillator pitch in Hz", {kMachineVa}},
    {"attack", "amp fade-in time in seconds", {kMachineSample, kMachineVa, kMachineGranular}},
    {"decay", "amp fade-out time in seconds", {kMachineSample, kMachineVa, kMachineGranular}},
    {"slot", "which sample of the pool it plays", {kMachineSample, kMachineGranular}},
    {"normalize", "raise the source to full level, off or on", {kMachineSample, kMachineGranular}},
    {"gain", "level trim in dB", {kMachineSample, kMachineGranular}},
};

const char* meaningOf(int machine, const std::string& key) {
  for (const Meaning& m : kSharedKeys)
    if (key == m.key && std::find(m.machines.begin(), m.machines.end(), machine) != m.machines.end())
      return m.means;
  return nullptr;
}

// Both name one row of the common voice parameters.
bool oneCommonRow(int from, int i, int to, int j) {
  return i >= ownParamCount(from) && i - ownParamCount(from) == j - ownParamCount(to);
}

// Whether a reference by key follows it from one machine to the other.
bool followsItsKey(int from, int to, const std::string& key) {
  const int i = findParamIndex(from, key), j = findParamIndex(to, key);
  if (j < 0) return false;
  if (oneCommonRow(from, i, to, j)) return true;
  const char* a = meaningOf(from, key);
  const char* b = meaningOf(to, key);
  return a != nullptr && b != nullptr && std::string(a) == b;
}

// What the references of the changed sound must become: each parameter the
// new machine lacks is dropped from its line, a modulator on one goes whole.
// `said` counts those of them a user reaches: all but what steps switched
// off hold.
std::vector<std::string> expectedAfter(const Pattern& before, int sound, int newMachine,
                                       int* said = nullptr) {
  Pattern p = before;
  std::vector<std::string> lines = references(p);
  std::vector<std::string> out;
  for (const std::string& line : lines) {
    // Lines of other sounds' tracks stay as they were.
    const bool ofTrack = line.rfind("track ", 0) == 0;
    const bool ofMacro = line.rfind("macro ", 0) == 0;
    bool affected = false;
    if (ofTrack) affected = p.tracks[std::stoi(line.substr(6))].soundIndex == sound;
    if (!affected && !ofMacro) {
      out.push_back(line);
      continue;
    }
    const std::size_t colon = line.find(':');
    std::string kept = line.substr(0, colon + 1);
    std::string rest = line.substr(colon + 1);
    const bool modulator = line.find(" lfo:") != std::string::npos || line.find(" env:") != std::string::npos;
    std::size_t at = 0;
    while (at < rest.size()) {
      const std::size_t next = rest.find(' ', at + 1);
      const std::string word =
          rest.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
      at = next == std::string::npos ? rest.size() : next;
      std::string key = word;
      bool onSound = affected;
      if (ofMacro) {
        const std::size_t slash = word.find('/');
        const int track = std::stoi(word.substr(0, slash));
        key = word.substr(slash + 1);
        onSound = track < p.numTracks && p.tracks[track].soundIndex == sound;
      }
      if (modulator && key != "none") key = key.substr(key.find(':') + 1);
      if (!onSound || key == "none" || followsItsKey(before.kit.sounds[sound].machine, newMachine, key)) {
        kept += " " + word;
        continue;
      }
      if (modulator) kept += " none";
      if (said != nullptr && line.find("(off)") == std::string::npos) ++*said;
    }
    out.push_back(kept);
  }
  return out;
}

std::unique_ptr<Project> oneDrumTrack() {
  auto project = makeProject();
  Pattern& p = project->patterns[0];
  p.numTracks = 1;
  p.tracks[0].soundIndex = 0;
  initSoundParams(p.kit.sounds[0], kMachineDrum);
  return project;
}

// A project of random machines and references, each naming a parameter its
// sound has; now and then two tracks share a sound.
std::unique_ptr<Project> randomProject(std::mt19937& rng) {
  auto project = makeProject();
  Pattern& p = project->patterns[0];
  p.numTracks = static_cast<std::uint8_t>(1 + rng() % kMaxTracks);
  for (int t = 0; t < p.numTracks; ++t) {
    p.tracks[t].soundIndex = static_cast<std::int8_t>(t > 0 && rng() % 5 == 0 ? rng() % t : t);
    initSoundParams(p.kit.sounds[t], static_cast<int>(rng() % kMachineTypeCount));
  }
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const auto inRange = [&](int machine, int k) {
    const ParamInfo row = paramInfo(machine, k);
    return row.min + (row.max - row.min) * unit(rng);
  };
  const auto param = [&](int track) {
    return static_cast<int>(rng() % paramCount(machineOfTrack(p, track)));
  };
  for (int t = 0; t < p.numTracks; ++t) {
    Track& track = p.tracks[t];
    for (Step& step : track.steps) {
      step.active = static_cast<std::uint8_t>(rng() % 2);
      for (int i = 0; i < 3; ++i) {
        const int k = param(t);
        setStepLock(step, k, inRange(machineOfTrack(p, t), k));
      }
      setParamListEntry(step.rands, step.randCount, param(t), 0.3f);
    }
    for (int i = 0; i < 4; ++i) setParamListEntry(track.trackRands, track.trackRandCount, param(t), 0.2f);
    for (Lfo& lfo : track.lfos) {
      lfo.enabled = static_cast<std::uint8_t>(rng() % 2);
      lfo.dest = static_cast<std::uint8_t>(param(t));
      lfo.rate = 0.5f + unit(rng);
    }
    for (ModEnv& env : track.modEnvs) {
      env.enabled = static_cast<std::uint8_t>(rng() % 2);
      env.dest = static_cast<std::uint8_t>(param(t));
    }
    Sound& sound = p.kit.sounds[track.soundIndex];
    for (int i = 0; i < 3; ++i) {
      const int k = param(t);
      if (sound.velDestCount < kListCapacity && rng() % 2)
        sound.velDests[sound.velDestCount++] = ParamLock{static_cast<std::uint8_t>(k), 0.5f};
    }
  }
  for (Macro& macro : p.kit.macros) {
    for (int i = 0; i < 6; ++i) {
      const int t = static_cast<int>(rng() % p.numTracks);
      const int k = param(t);
      bool present = false;
      for (int j = 0; j < macro.destCount; ++j)
        present |= macro.dests[j].track == t && macro.dests[j].param == k;
      if (!present)
        macro.dests[macro.destCount++] = MacroDest{static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(k),
                                                   inRange(machineOfTrack(p, t), k)};
    }
  }
  return project;
}

void expectInRange(int machine, int param, float value) {
  const ParamInfo row = paramInfo(machine, param);
  EXPECT_GE(value, row.min) << row.id;
  EXPECT_LE(value, row.max) << row.id;
}

// Every locked value and macro target lies in its parameter's range.
void expectValuesInRange(const Pattern& p) {
  for (int t = 0; t < p.numTracks; ++t) {
    const int m = machineOfTrack(p, t);
    for (const Step& step : p.tracks[t].steps)
      for (int i = 0; i < step.lockCount; ++i) expectInRange(m, step.locks[i].param, step.locks[i].value);
  }
  for (const Macro& macro : p.kit.macros)
    for (int i = 0; i < macro.destCount; ++i)
      expectInRange(machineOfTrack(p, macro.dests[i].track), macro.dests[i].param, macro.dests[i].target);
}

// Every key two machines share, bar a common voice parameter, is listed
// above with what it means on each, and a reference follows it exactly
// where that is the same.
TEST(MachineChange, AKeyTwoMachinesShareFollowsWhereItMeansTheSame) {
  for (const Meaning& m : kSharedKeys)
    for (int machine : m.machines) EXPECT_GE(findParamIndex(machine, m.key), 0) << m.key;
  for (int from = 0; from < kMachineTypeCount; ++from)
    for (int to = 0; to < kMachineTypeCount; ++to) {
      if (from == to) continue;
      const ParamIndexMap map = paramIndexMap(from, to);
      for (int i = 0; i < paramCount(from); ++i) {
        const std::string key = paramInfo(from, i).id;
        const int j = findParamIndex(to, key);
        SCOPED_TRACE(key + " from " + machineTypeName(from) + " to " + machineTypeName(to));
        const bool listed =
            j < 0 || oneCommonRow(from, i, to, j) || (meaningOf(from, key) && meaningOf(to, key));
        EXPECT_TRUE(listed) << "a shared key is listed with its meaning on each";
        EXPECT_EQ(map.to[i], followsItsKey(from, to, key) ? j : kNoParam);
      }
    }
}

TEST(MachineChange, ReferencesFollowTheirKeysOnBothCopies) {
  std::mt19937 rng(0x5eed);
  auto engine = std::make_unique<Engine>();
  engine->prepare(44100.0, 64);
  std::vector<float> left(64), right(64);
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(testing::Message() << "project " << round);
    auto editor = randomProject(rng);
    Pattern& p = editor->patterns[0];
    engine->loadProject(*editor);
    for (int change = 0; change < 10; ++change) {
      const std::uint32_t track = rng() % p.numTracks;
      const int machine = static_cast<int>(rng() % kMachineTypeCount);
      SCOPED_TRACE(testing::Message() << "track " << track << " to " << machineTypeName(machine));
      const int sound = p.tracks[track].soundIndex;
      const bool changes = !sameMachineKind(p.kit.sounds[sound].machine, machine);
      int said = 0;
      const std::vector<std::string> expected =
          changes ? expectedAfter(p, sound, machine, &said) : references(p);
      // What goes or is held is listed beforehand, one entry a reference a
      // user reaches.
      const std::vector<GoneRef> goes = machineChangeGoes(p, sound, machine);
      const auto held = std::count_if(goes.begin(), goes.end(), [](const GoneRef& g) { return g.held; });
      EXPECT_EQ(goes.size() - held, static_cast<std::size_t>(said));
      for (const GoneRef& g : goes)
        if (g.held)
          expectInRange(machine, findParamIndex(machine, paramInfo(g.machine, g.param).id), g.heldTo);
      const EditCommand c = machineChange(track, machine);
      applyEditCommand(*editor, c);
      ASSERT_TRUE(engine->postCommand(c));
      EXPECT_EQ(references(p), expected);
      for (const std::string& line : references(p)) EXPECT_EQ(line.find("<none>"), std::string::npos) << line;
      expectValuesInRange(p);
      if (change % 3 == 2 || change == 9) {
        engine->process(left.data(), right.data(), 64, RenderInfo{});
        EXPECT_EQ(std::memcmp(&engine->project(), editor.get(), sizeof(Project)), 0);
        for (int t = 0; t < p.numTracks; ++t)
          EXPECT_EQ(engine->activePlayer(t).machineType(), machineOfTrack(p, t)) << "track " << t;
      }
    }
  }
}

// The mix-ups of a synthesiser made a sampler: "Room" on the room send and
// "Grit" on the drive keep their parameters; the cutoff the sampler lacks
// leaves its macro, its lock and its LFO, and so does the tune, a pitch in
// hertz where the sampler's is in semitones; an attack past the sampler's
// range is held to it, and said; an index that named nothing goes as well.
TEST(MachineChange, ASynthBecomingASamplerKeepsItsNamedReferences) {
  auto project = makeProject();
  Pattern& p = project->patterns[0];
  p.numTracks = 2;
  p.tracks[0].soundIndex = 0;
  p.tracks[1].soundIndex = 1;
  initSoundParams(p.kit.sounds[0], kMachineVa);
  initSoundParams(p.kit.sounds[1], kMachineVa);
  Macro& room = p.kit.macros[0];
  Macro& grit = p.kit.macros[1];
  room.destCount = 2;
  room.dests[0] = {0, indexOf(kMachineVa, "space_mix"), 0.6f};
  room.dests[1] = {1, indexOf(kMachineVa, "space_mix"), 0.4f};
  grit.destCount = 4;
  grit.dests[0] = {0, indexOf(kMachineVa, "cutoff"), 500.0f};
  grit.dests[1] = {0, indexOf(kMachineVa, "tune"), 440.0f};
  grit.dests[2] = {0, indexOf(kMachineVa, "fx_drive"), 6.0f};
  grit.dests[3] = {0, 60, 1.0f};
  Step& step = p.tracks[0].steps[2];
  step.active = 1;
  setStepLock(step, indexOf(kMachineVa, "cutoff"), 900.0f);
  setStepLock(step, indexOf(kMachineVa, "tune"), 220.0f);
  setStepLock(step, indexOf(kMachineVa, "flt_cutoff"), 3000.0f);
  setStepLock(step, indexOf(kMachineVa, "attack"), 0.8f);
  p.tracks[0].lfos[0] = Lfo{1, indexOf(kMachineVa, "tune"), 2.0f, 0, 0.5f, 0, 0, 5};
  p.tracks[0].lfos[1] = Lfo{1, indexOf(kMachineVa, "level"), 2.0f, 0, 0.5f, 0, 0, 5};

  const std::vector<GoneRef> goes = machineChangeGoes(p, 0, kMachineSample);
  std::vector<std::string> said;
  for (const GoneRef& g : goes)
    said.push_back(std::string(g.held ? "held " : "gone ") + paramInfo(kMachineVa, g.param).id);
  EXPECT_EQ(said, (std::vector<std::string>{"gone cutoff", "gone tune", "gone ", "gone tune", "gone cutoff",
                                            "gone tune", "held attack"}));
  EXPECT_EQ(goes.back().heldTo, 0.5f);

  applyEditCommand(*project, machineChange(0, kMachineSample));
  ASSERT_EQ(room.destCount, 2);
  EXPECT_EQ(room.dests[0].param, indexOf(kMachineSample, "space_mix"));
  EXPECT_EQ(room.dests[0].target, 0.6f);
  EXPECT_EQ(room.dests[1].param, indexOf(kMachineVa, "space_mix"));  // the other track is still a synth
  ASSERT_EQ(grit.destCount, 1);
  EXPECT_EQ(grit.dests[0].param, indexOf(kMachineSample, "fx_drive"));
  EXPECT_EQ(grit.dests[1].track, kNoTrack);
  // No value in hertz lands on the semitones.
  ASSERT_EQ(step.lockCount, 2);
  EXPECT_EQ(step.locks[0].param, indexOf(kMachineSample, "flt_cutoff"));
  EXPECT_EQ(step.locks[0].value, 3000.0f);
  EXPECT_EQ(step.locks[1].param, indexOf(kMachineSample, "attack"));
  EXPECT_EQ(step.locks[1].value, 0.5f);
  EXPECT_EQ(step.locks[2].param, kNoParam);
  EXPECT_TRUE(p.tracks[0].lfos[0] == Lfo{});  // not left aimed at what now sits at its index
  EXPECT_EQ(p.tracks[0].lfos[1].enabled, 1);
  EXPECT_EQ(p.tracks[0].lfos[1].dest, indexOf(kMachineSample, "level"));
  EXPECT_EQ(p.tracks[0].lfos[1].depth, 0.5f);
}

// A track that comes into use starts with no macro moving it.
TEST(MachineChange, ANewTrackTakesNoMacroLeftOnItsIndex) {
  auto project = oneDrumTrack();
  Pattern& p = project->patterns[0];
  p.kit.macros[0].destCount = 3;
  p.kit.macros[0].dests[0] = {1, 30, 0.5f};
  p.kit.macros[0].dests[1] = {0, 30, 0.5f};
  p.kit.macros[0].dests[2] = {2, 31, 0.5f};
  EditCommand add;
  add.kind = kEditAddTrack;
  add.param = kMachineSample;
  applyEditCommand(*project, add);
  ASSERT_EQ(p.numTracks, 2);
  ASSERT_EQ(p.kit.macros[0].destCount, 2);
  EXPECT_EQ(p.kit.macros[0].dests[0].track, 0);
  EXPECT_EQ(p.kit.macros[0].dests[1].track, 2);
  EditCommand duplicate;
  duplicate.kind = kEditDuplicateTrack;
  duplicate.track = 0;
  applyEditCommand(*project, duplicate);
  ASSERT_EQ(p.numTracks, 3);
  ASSERT_EQ(p.kit.macros[0].destCount, 1);
  EXPECT_EQ(p.kit.macros[0].dests[0].track, 0);
}

// Two tracks on one sound both play its new machine at once.
TEST(MachineChange, EveryTrackOfTheSoundTakesTheNewMachineInTheEngine) {
  auto project = makeProject();
  Pattern& p = project->patterns[0];
  p.numTracks = 3;
  for (int t = 0; t < 3; ++t) initSoundParams(p.kit.sounds[t], kMachineDrum);
  p.tracks[0].soundIndex = 0;
  p.tracks[1].soundIndex = 1;
  p.tracks[2].soundIndex = 0;
  auto engine = std::make_unique<Engine>();
  engine->prepare(44100.0, 64);
  engine->loadProject(*project);
  ASSERT_TRUE(engine->postCommand(machineChange(0, kMachineGranular)));
  std::vector<float> left(64), right(64);
  engine->process(left.data(), right.data(), 64, RenderInfo{});
  EXPECT_EQ(engine->activePlayer(0).machineType(), kMachineGranular);
  EXPECT_EQ(engine->activePlayer(1).machineType(), kMachineDrum);
  EXPECT_EQ(engine->activePlayer(2).machineType(), kMachineGranular);
}

// A kit load keeps the user's steps; their locks play the kit's sounds on
// the parameters that mean the same, held to their ranges; the hits of a
// track the kit lacks go with it; all of it listed.
TEST(MachineChange, KeptStepsOfAKitLoadFollowTheKitsMachines) {
  auto project = oneDrumTrack();
  Pattern& p = project->patterns[0];
  p.grooveEdited = 1;
  p.numTracks = 2;
  p.tracks[1].soundIndex = 1;
  initSoundParams(p.kit.sounds[0], kMachineVa);
  p.tracks[0].steps[0].active = 1;
  setStepLock(p.tracks[0].steps[0], indexOf(kMachineVa, "tune"), 55.0f);
  setStepLock(p.tracks[0].steps[0], indexOf(kMachineVa, "amp_decay"), 0.5f);
  setStepLock(p.tracks[0].steps[0], indexOf(kMachineVa, "attack"), 0.8f);
  for (int s : {2, 10}) p.tracks[1].steps[s].active = 1;
  Pattern kit = p;
  kit.numTracks = 1;
  initSoundParams(kit.kit.sounds[0], kMachineSample);
  for (Step& s : kit.tracks[0].steps) s = Step{};
  std::vector<GoneRef> gone;
  copyPatternIntoProject(*project, kit, &gone);
  const Step& kept = p.tracks[0].steps[0];
  EXPECT_EQ(kept.active, 1);
  ASSERT_EQ(kept.lockCount, 2);
  EXPECT_TRUE(kept.locks[0] == (ParamLock{indexOf(kMachineSample, "amp_decay"), 0.5f}));
  EXPECT_TRUE(kept.locks[1] == (ParamLock{indexOf(kMachineSample, "attack"), 0.5f}));
  EXPECT_EQ(gone, (std::vector<GoneRef>{
                      {GoneKind::Lock, kMachineVa, indexOf(kMachineVa, "tune"), 0, 0},
                      {GoneKind::Lock, kMachineVa, indexOf(kMachineVa, "attack"), 0, 0, true, 0.5f},
                      {GoneKind::Hit, 0, kNoParam, 1, 2},
                      {GoneKind::Hit, 0, kNoParam, 1, 10}}));
}

}  // namespace model_machine_change_test
