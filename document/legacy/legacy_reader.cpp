#include "document/legacy/legacy_reader.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>

#include "document/json/json_parse.h"
#include "document/json/json_text_mend.h"
#include "document/project/sanitize_project.h"
#include "document/reading/document_limits.h"
#include "document/reading/narrow.h"
#include "engine/clock/tempo.h"
#include "engine/model/project_ids.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_limits.h"

namespace ob {
namespace {

// The parsed text, its strings made UTF-8 first (said once it parses), or
// nothing with the parser's message in the error text.
std::optional<JsonValue> parseOrExplain(std::string_view text, std::string* error, Diagnostics* diagnostics) {
  std::string mended;
  Diagnostics mends;
  switch (mendJsonText(text, mended, &mends, kMaxDocumentTextBytes)) {
    case TextMend::None: break;
    case TextMend::Mended: text = mended; break;
    case TextMend::TooLarge:
      if (error != nullptr)
        *error = "document larger than " + sizeText(kMaxDocumentTextBytes) + " once made UTF-8";
      return std::nullopt;
  }
  JsonValue root;
  std::string parseError;
  if (parseJson(text, root, parseError)) {
    if (diagnostics != nullptr)
      for (const Diagnostic& d : mends) diagnostics->append(d);
    return root;
  }
  if (error != nullptr) *error = parseError;
  return std::nullopt;
}

const JsonValue* member(const JsonValue& object, std::string_view key) {
  return object.isObject() ? object.find(key) : nullptr;
}

template <std::size_t N>
void readText(const JsonValue& object, std::string_view key, char (&field)[N]) {
  const JsonValue* v = member(object, key);
  if (v != nullptr && v->isString()) {
    copyText(field, v->text.c_str());
  } else {
    field[0] = '\0';
  }
}

float readF32(const JsonValue& object, std::string_view key, float fallback) {
  const JsonValue* v = member(object, key);
  if (v == nullptr || !v->isNumber()) return fallback;
  return narrowToFloat(v->number).value_or(fallback);
}

// Truncated toward zero and pinned to the field's width; the model's own
// ranges are applied by the project sanitiser after the read.
template <typename T>
T readInt(const JsonValue& object, std::string_view key, T fallback) {
  const JsonValue* v = member(object, key);
  if (v == nullptr || !v->isNumber()) return fallback;
  return static_cast<T>(
      saturateToInt32(v->number, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

bool readBool(const JsonValue& object, std::string_view key) {
  const JsonValue* v = member(object, key);
  return v != nullptr && v->isBool() && v->boolean;
}

const JsonValue* readList(const JsonValue& object, std::string_view key) {
  const JsonValue* v = member(object, key);
  return v != nullptr && v->isArray() ? v : nullptr;
}

// Parameter index of a key string, or -1 (a non-string is the empty key).
int readKey(const JsonValue& object, std::string_view key, int machineType) {
  const JsonValue* v = member(object, key);
  if (v == nullptr || !v->isString()) return findParamIndex(machineType, std::string_view());
  return findParamIndex(machineType, std::string_view(v->text));
}

// What a list entry's value may be: any, or above 0 (a random depth of none
// is no entry, as a state reads it too).
enum class ListValues : std::uint8_t { Any, Positive };

// Appends {param, value} entries to a list up to its capacity; entries whose
// key the machine lacks, or whose value the list does not take, are dropped,
// and one for a parameter the list has gives it its value in place: a state
// keeps one entry a parameter.
void readParamList(const JsonValue* list, std::string_view valueKey, int machineType, std::uint8_t& count,
                   ParamLock (&entries)[kListCapacity], ListValues values = ListValues::Any) {
  if (list == nullptr) return;
  for (const JsonValue& e : list->elements) {
    const int index = readKey(e, "param", machineType);
    const float value = readF32(e, valueKey, 0.0f);
    if (index < 0 || (values == ListValues::Positive && !(value > 0.0f))) continue;
    ParamLock* entry =
        std::find_if(entries, entries + count, [index](const ParamLock& p) { return p.param == index; });
    if (entry == entries + count) {
      if (count >= kListCapacity) break;
      ++count;
    }
    entry->param = static_cast<std::uint8_t>(index);
    entry->value = value;
  }
}

std::uint8_t wordCode(const JsonValue& object, std::string_view key,
                      std::initializer_list<std::string_view> words) {
  const JsonValue* v = member(object, key);
  if (v == nullptr || !v->isString()) return 0;
  std::uint8_t code = 0;
  for (std::string_view w : words) {
    if (v->text == w) return code;
    ++code;
  }
  return 0;
}

// The parameter a modulator aims at: the record's first when the member is
// absent or no key, -1 for a key the track's sound lacks. A modulator aimed
// there is not read: in its place it would move a parameter nobody aimed it
// at (readLegacyPattern says so).
int modulatorDest(const JsonValue& e, int machineType) {
  const JsonValue* key = member(e, "dest");
  return key != nullptr && key->isString() ? findParamIndex(machineType, std::string_view(key->text)) : 0;
}

void readLfo(const JsonValue& e, Lfo& lfo, int machineType) {
  const int dest = modulatorDest(e, machineType);
  if (dest < 0) return;
  lfo.enabled = 1;
  lfo.dest = static_cast<std::uint8_t>(dest);
  lfo.rate = readF32(e, "rate", 1.0f);
  lfo.shape = wordCode(e, "shape", {"sine", "tri", "sawup", "sawdown", "square", "random"});
  lfo.depth = readF32(e, "depth", 0.0f);
  lfo.trig = wordCode(e, "trig", {"free", "trig", "hold", "one", "half"});
  lfo.sync = readBool(e, "sync") ? 1 : 0;
  // A division times only a synced modulator, and only with its sync does
  // an instance document carry it.
  lfo.rateDiv = reachesDivision(lfo) ? readInt<std::uint8_t>(e, "rateDiv", 5) : Lfo{}.rateDiv;
}

void readEnv(const JsonValue& e, ModEnv& env, int machineType) {
  const int dest = modulatorDest(e, machineType);
  if (dest < 0) return;
  env.enabled = 1;
  env.dest = static_cast<std::uint8_t>(dest);
  env.attack = readF32(e, "attack", 0.0f);
  env.hold = readF32(e, "hold", 0.0f);
  env.decay = readF32(e, "decay", 0.2f);
  env.depth = readF32(e, "depth", 0.0f);
  env.sync = readBool(e, "sync") ? 1 : 0;
  env.atkDiv = reachesDivisions(env) ? readInt<std::uint8_t>(e, "atkDiv", 2) : ModEnv{}.atkDiv;
  env.decDiv = reachesDivisions(env) ? readInt<std::uint8_t>(e, "decDiv", 5) : ModEnv{}.decDiv;
}

// A hand-written -1 (or any other value outside the groups) means no group.
std::uint8_t readChokeGroup(const JsonValue& object) {
  const std::int32_t g = readInt<std::int32_t>(object, "chokeGroup", kNoChokeGroup);
  return g >= 0 && g < kChokeGroups ? static_cast<std::uint8_t>(g) : kNoChokeGroup;
}

void readTrack(const JsonValue& t, Pattern& pattern, int index) {
  Track& track = pattern.tracks[index];
  readText(t, "id", track.id);
  track.soundIndex = readInt<std::int8_t>(t, "soundIndex", -1);
  track.length = readInt<std::uint16_t>(t, "length", 16);
  track.rate = readInt<std::uint8_t>(t, "rate", kSixteenthRate);
  track.chromatic = readBool(t, "chromatic") ? 1 : 0;
  track.swing = readF32(t, "swing", -1.0f);
  track.gain = readF32(t, "gain", 1.0f);
  track.pan = readF32(t, "pan", 0.0f);
  track.chokeGroup = readChokeGroup(t);
  const int machine = legacyTrackMachine(pattern, index);
  if (const JsonValue* lfos = readList(t, "lfos")) {
    for (std::size_t j = 0; j < lfos->elements.size() && j < 2; ++j)
      readLfo(lfos->elements[j], track.lfos[j], machine);
  }
  if (const JsonValue* envs = readList(t, "modEnvs")) {
    for (std::size_t j = 0; j < envs->elements.size() && j < 2; ++j)
      readEnv(envs->elements[j], track.modEnvs[j], machine);
  }
  track.trackRandCount = 0;
  readParamList(readList(t, "trackRands"), "depth", machine, track.trackRandCount, track.trackRands);
  if (const JsonValue* steps = readList(t, "steps")) {
    for (const JsonValue& s : steps->elements) {
      const std::int32_t i = readInt<std::int32_t>(s, "i", -1);
      if (i < 0 || i >= kStepsPerTrack) continue;
      readLegacySteps(s, track.steps[i], machine);
    }
  }
}

// What the read of the pattern's tracks left out: the steps whose pan value
// has no lock to play it, and the modulators aimed at a parameter their
// sound lacks.
struct LeftOut {
  int pans = 0;
  int modulators = 0;
};

LeftOut leftOut(const JsonValue& object, const Pattern& pattern) {
  LeftOut out;
  const JsonValue* tracks = readList(object, "tracks");
  for (std::size_t t = 0; tracks != nullptr && t < tracks->elements.size() && t < kMaxTracks; ++t) {
    const JsonValue& track = tracks->elements[t];
    for (const char* list : {"lfos", "modEnvs"}) {
      const JsonValue* modulators = readList(track, list);
      for (std::size_t j = 0; modulators != nullptr && j < modulators->elements.size() && j < 2; ++j)
        if (modulatorDest(modulators->elements[j], legacyTrackMachine(pattern, static_cast<int>(t))) < 0)
          ++out.modulators;
    }
    const JsonValue* steps = readList(track, "steps");
    for (std::size_t k = 0; steps != nullptr && k < steps->elements.size(); ++k) {
      const JsonValue& s = steps->elements[k];
      const std::int32_t i = readInt<std::int32_t>(s, "i", -1);
      if (i >= 0 && i < kStepsPerTrack && !readBool(s, "panLocked") && readF32(s, "panValue", 0.0f) != 0.0f)
        ++out.pans;
    }
  }
  return out;
}

std::string counted(int n, const char* one, const char* many) {
  return formatUnsigned(static_cast<std::uint64_t>(n)) + (n == 1 ? one : many);
}

std::string quoted(std::string_view text) {
  std::string out = "\"";
  out += text;
  out += '"';
  return out;
}

}  // namespace

double jsonGetNumber(const JsonValue& object, std::string_view key, double fallback) {
  const JsonValue* v = member(object, key);
  return v != nullptr && v->isNumber() ? v->number : fallback;
}

int legacyTrackMachine(const Pattern& pattern, int track) {
  if (track < 0 || track >= kMaxTracks) return kMachineDrum;
  const int s = pattern.tracks[track].soundIndex;
  if (s < 0 || s >= kMaxTracks) return kMachineDrum;
  return pattern.kit.sounds[s].machine;
}

void readLegacySteps(const JsonValue& s, Step& step, int machineType) {
  step.active = 1;
  step.muted = readBool(s, "muted") ? 1 : 0;
  step.slide = readBool(s, "slide") ? 1 : 0;
  step.note = readInt<std::uint8_t>(s, "note", 60);
  step.velocity = readInt<std::uint8_t>(s, "velocity", 100);
  step.micro = readInt<std::int8_t>(s, "micro", 0);
  step.lengthTicks = readInt<std::uint16_t>(s, "lengthTicks", 1);
  readParamList(readList(s, "locks"), "value", machineType, step.lockCount, step.locks);
  readParamList(readList(s, "rands"), "depth", machineType, step.randCount, step.rands, ListValues::Positive);
  step.randVel = readF32(s, "randVel", 0.0f);
  step.randTime = readF32(s, "randTime", 0.0f);
  step.randPan = readF32(s, "randPan", 0.0f);
  // A pan plays only locked and no control reaches it otherwise: a value
  // without its lock is not kept (readLegacyPattern says so). A retrigger
  // without its hits keeps its rate and curve, as a state does.
  step.panLocked = readBool(s, "panLocked") ? 1 : 0;
  step.panValue = reachesStepPan(step) ? readF32(s, "panValue", 0.0f) : 0.0f;
  if (const JsonValue* r = member(s, "retrig")) {
    step.count = readInt<std::uint8_t>(*r, "count", 0);
    step.rateTicks = readInt<std::uint16_t>(*r, "rateTicks", 0);
    step.velCurve = readInt<std::int8_t>(*r, "velCurve", 0);
  }
}

bool readLegacySound(const JsonValue& object, Sound& sound, std::string* error) {
  std::string word = "drum";
  if (const JsonValue* m = member(object, "machine"); m != nullptr && m->isString()) word = m->text;
  std::uint8_t machine = kMachineDrum;
  if (!parseMachineType(word, machine)) {
    if (error != nullptr) {
      const JsonValue* name = member(object, "name");
      std::string text = "(";
      text += quoted(name != nullptr && name->isString() ? name->text : "");
      text += ") uses unknown machine ";
      text += quoted(word);
      *error = std::move(text);
      if (const char* note = legacyMachineNote(word)) {
        *error += ": ";
        *error += note;
      }
    }
    return false;
  }
  initSounds(&sound, 1);  // in place: padding included, so copies compare bytewise
  initSoundParams(sound, machine);
  readText(object, "id", sound.id);
  readText(object, "name", sound.name);
  if (const JsonValue* params = member(object, "params"); params != nullptr && params->isObject()) {
    for (const JsonMember& p : params->members) {
      const int index = findParamIndex(machine, std::string_view(p.key));
      if (index < 0) continue;
      sound.params[index] = p.value.isNumber() ? narrowToFloat(p.value.number).value_or(0.0f) : 0.0f;
    }
  }
  sound.zoneCount = 0;
  sound.mode = 0;
  for (int z = 0; z < kListCapacity; ++z) {
    sound.slot[z] = 0;
    sound.velMax[z] = 0;
  }
  if (const JsonValue* layers = member(object, "layers")) {
    sound.mode = wordCode(*layers, "mode", {"velocity", "roundrobin", "velrr"});
    if (const JsonValue* zones = readList(*layers, "zones")) {
      for (const JsonValue& z : zones->elements) {
        if (sound.zoneCount >= kListCapacity) break;
        sound.slot[sound.zoneCount] = readInt<std::uint8_t>(z, "slot", 0);
        sound.velMax[sound.zoneCount] = readInt<std::uint8_t>(z, "velMax", 127);
        ++sound.zoneCount;
      }
    }
  }
  sound.velDestCount = 0;
  readParamList(readList(object, "velDests"), "depth", machine, sound.velDestCount, sound.velDests);
  return true;
}

bool readLegacyKit(const JsonValue& object, Kit& kit, std::string* error) {
  readText(object, "name", kit.name);
  kit.version = readInt<std::uint16_t>(object, "version", 1);
  readText(object, "author", kit.author);
  kit.tagCount = 0;
  if (const JsonValue* tags = readList(object, "tags")) {
    for (const JsonValue& t : tags->elements) {
      if (kit.tagCount >= kTagCapacity) break;
      copyText(kit.tags[kit.tagCount++], t.isString() ? t.text.c_str() : "");
    }
  }
  if (const JsonValue* sounds = readList(object, "sounds")) {
    for (std::size_t s = 0; s < sounds->elements.size() && s < kMaxTracks; ++s) {
      std::string reason;
      if (!readLegacySound(sounds->elements[s], kit.sounds[s], &reason)) {
        if (error != nullptr) *error = "sound " + formatUnsigned(s) + " " + reason;
        return false;
      }
    }
  }
  return true;
}

void readLegacyPatternBody(const JsonValue& object, Pattern& pattern) {
  pattern.bpm = readF32(object, "bpm", kDefaultTempo);
  pattern.swing = readF32(object, "swing", 50.0f);
  pattern.length = readInt<std::uint16_t>(object, "length", 16);
  pattern.numTracks = readInt<std::uint8_t>(object, "numTracks", 0);
  pattern.accentAmount = readF32(object, "accentAmount", 0.0f);
  pattern.accentEvery = readInt<std::uint8_t>(object, "accentEvery", 4);
  pattern.accentCurve = readF32(object, "accentCurve", 0.5f);
  const JsonValue* groove = member(object, "grooveEdited");
  if (groove != nullptr) pattern.grooveEdited = groove->isNumber() && groove->number > 0.5 ? 1 : 0;
  if (const JsonValue* tracks = readList(object, "tracks")) {
    for (std::size_t t = 0; t < tracks->elements.size() && t < kMaxTracks; ++t)
      readTrack(tracks->elements[t], pattern, static_cast<int>(t));
  }
  if (groove == nullptr) pattern.grooveEdited = countSetSteps(pattern) > 0 ? 1 : 0;
}

int readLegacyMacros(const JsonValue& macros, Pattern& pattern) {
  int repeated = 0;
  if (!macros.isArray()) return repeated;
  for (std::size_t m = 0; m < macros.elements.size() && m < kMacroCount; ++m) {
    const JsonValue& e = macros.elements[m];
    Macro& macro = pattern.kit.macros[m];
    readText(e, "name", macro.name);
    macro.value = readF32(e, "value", 0.0f);
    macro.destCount = 0;
    const JsonValue* dests = readList(e, "dests");
    if (dests == nullptr) continue;
    for (const JsonValue& d : dests->elements) {
      const std::int32_t track = readInt<std::int32_t>(d, "track", -1);
      if (track < 0 || track >= kMaxTracks) continue;
      const int param = readKey(d, "param", legacyTrackMachine(pattern, track));
      if (param < 0) continue;
      // One destination a parameter of a track, the first, as a state
      // load applies them.
      if (std::any_of(macro.dests, macro.dests + macro.destCount,
                      [&](const MacroDest& m) { return m.track == track && m.param == param; })) {
        ++repeated;
        continue;
      }
      if (macro.destCount >= kListCapacity) break;
      MacroDest& dest = macro.dests[macro.destCount++];
      dest.track = static_cast<std::uint8_t>(track);
      dest.param = static_cast<std::uint8_t>(param);
      dest.target = readF32(d, "target", 0.0f);
    }
  }
  return repeated;
}

bool readLegacyPattern(const JsonValue& object, Pattern& pattern, std::string* error,
                       Diagnostics* diagnostics, std::string_view path) {
  readText(object, "name", pattern.name);
  const JsonValue* kit = member(object, "kit");
  if (kit != nullptr && !readLegacyKit(*kit, pattern.kit, error)) return false;
  readLegacyPatternBody(object, pattern);
  int repeated = 0;
  if (kit != nullptr) {
    if (const JsonValue* macros = member(*kit, "macros")) repeated = readLegacyMacros(*macros, pattern);
  }
  // Ids are made from names, so the model's ranges must hold first: a
  // track count or sound index out of range would reach past the arrays.
  sanitizePattern(pattern);
  const int made = assignPatternIds(pattern);
  if (made > 0 && diagnostics != nullptr) {
    diagnostics->note("ids-assigned-by-index", std::string(path),
                      formatUnsigned(static_cast<std::uint64_t>(made)) +
                          " voice and sound ids were made from track order and names");
  }
  // Only the tracks in use have a mute an instance document carries.
  pattern.muteMask = static_cast<std::uint8_t>(readInt<std::uint8_t>(object, "muteMask", 0) &
                                               ((1u << pattern.numTracks) - 1u));
  const LeftOut out = leftOut(object, pattern);
  if (out.pans > 0 && diagnostics != nullptr)
    diagnostics->note("step-pan-dropped", std::string(path) + "/tracks",
                      counted(out.pans, " step's pan value", " steps' pan values") +
                          " without the lock play nothing and no control reaches them; not kept");
  if (out.modulators > 0 && diagnostics != nullptr)
    diagnostics->note("modulator-dropped", std::string(path) + "/tracks",
                      counted(out.modulators, " LFO or envelope aims", " LFOs or envelopes aim") +
                          " at a parameter its sound lacks; not kept");
  if (repeated > 0 && diagnostics != nullptr)
    diagnostics->note("macro-dest-duplicate", std::string(path) + "/kit/macros",
                      counted(repeated, " macro destination repeats", " macro destinations repeat") +
                          " an earlier one of its macro on the same track and parameter; the first plays, "
                          "and the rest are not kept");
  return true;
}

bool readLegacyProject(std::string_view text, Project& project, std::string* error,
                       Diagnostics* diagnostics) {
  const std::optional<JsonValue> root = parseOrExplain(text, error, diagnostics);
  return root && readLegacyProject(*root, project, error, diagnostics);
}

bool readLegacyProject(const JsonValue& root, Project& project, std::string* error,
                       Diagnostics* diagnostics) {
  if (!root.isObject()) {
    if (error != nullptr) *error = "root is not an object";
    return false;
  }
  std::construct_at(&project);  // in place, as makeProject makes one
  readText(root, "name", project.name);
  project.version = readInt<std::uint16_t>(root, "version", 1);
  readText(root, "author", project.author);
  if (const JsonValue* patterns = readList(root, "patterns");
      patterns != nullptr && !patterns->elements.empty()) {
    std::string reason;
    if (!readLegacyPattern(patterns->elements[0], project.patterns[0], &reason, diagnostics, "/patterns/0")) {
      if (error != nullptr) *error = "pattern 0: " + reason;
      return false;
    }
  }
  if (const JsonValue* samples = member(root, "samples")) {
    SampleSlotTable& table = project.samples;
    table.count = 0;
    if (samples->isArray()) {
      for (const JsonValue& e : samples->elements) {
        if (table.count >= kSampleSlots) break;
        SampleSlot& slot = table.slots[table.count++];
        if (!e.isObject()) {
          copyText(slot.name, e.isString() ? e.text.c_str() : "");
          continue;
        }
        readText(e, "name", slot.name);
        if (const JsonValue* tags = readList(e, "tags")) {
          for (const JsonValue& t : tags->elements) {
            if (slot.tagCount >= kTagCapacity) break;
            copyText(slot.tags[slot.tagCount++], t.isString() ? t.text.c_str() : "");
          }
        }
        if (const JsonValue* slices = readList(e, "slices")) {
          for (const JsonValue& x : slices->elements) {
            if (slot.sliceCount >= kMaxSlices) break;
            slot.slices[slot.sliceCount++] = x.isNumber() ? narrowToFloat(x.number).value_or(0.0f) : 0.0f;
          }
        }
        const std::int32_t src = readInt<std::int32_t>(e, "src", 0);
        slot.src = src >= 0 && src <= 255 ? static_cast<std::uint8_t>(src) : 0;
      }
    }
  }
  sanitizeProject(project);
  return true;
}

bool loadKitDocument(std::string_view text, Pattern& pattern, std::string* error, Diagnostics* diagnostics) {
  const std::optional<JsonValue> root = parseOrExplain(text, error, diagnostics);
  return root && loadKitDocument(*root, pattern, error, diagnostics);
}

bool loadKitDocument(const JsonValue& root, Pattern& pattern, std::string* error, Diagnostics* diagnostics) {
  std::unique_ptr<Project> fresh = makeProject();
  if (!fresh) {
    if (error != nullptr) *error = "out of memory";
    return false;
  }
  if (!readLegacyProject(root, *fresh, error, diagnostics)) return false;
  pattern = fresh->patterns[0];
  return true;
}

}  // namespace ob
