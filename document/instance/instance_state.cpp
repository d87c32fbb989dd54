#include "document/instance/instance_state.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "document/audition/audition_reader.h"
#include "document/audition/audition_writer.h"
#include "document/factory/factory_ref.h"
#include "document/instance/instance_envelope.h"
#include "document/instance/instance_shape.h"
#include "document/instance/keys_as_loaded.h"
#include "document/instance/macro_state.h"
#include "document/instance/sample_state.h"
#include "document/instance/sorted_by_order.h"
#include "document/instance/sound_state.h"
#include "document/instance/state_fields.h"
#include "document/instance/voice_state.h"
#include "document/json/json_parse.h"
#include "document/reading/json_pointer.h"
#include "engine/model/project_ids.h"
#include "engine/model/reach.h"

namespace ob {
namespace {

// The key of the member each record a read took was read from.
struct KeysTaken {
  std::string sounds[kMaxTracks];
  std::string voices[kMaxTracks];
  std::vector<std::string> samples;  // by slot
  MacroDestKeys dests;
  std::map<Records, std::vector<std::string>> listed;  // every member's key of each list
};

std::vector<std::string> memberKeys(const JsonValue* object) {
  std::vector<std::string> keys;
  if (object != nullptr && object->isObject())
    for (const JsonMember& m : object->members) keys.push_back(m.key);
  return keys;
}

std::uint16_t readVersion(const JsonValue& object) {
  const JsonValue* v = object.isObject() ? object.find("version") : nullptr;
  if (v == nullptr || !v->isNumber()) return 1;
  return static_cast<std::uint16_t>(roundClamped(v->number, 0, 65535));
}

std::string_view stringOrEmpty(const JsonValue& object, std::string_view key) {
  const JsonValue* v = object.isObject() ? object.find(key) : nullptr;
  return v != nullptr && v->isString() ? std::string_view(v->text) : std::string_view();
}

void readSamples(const InstanceEnvelope& env, Project& fresh, std::vector<std::string>& refs,
                 std::vector<std::string>& ids, Diagnostics& diagnostics) {
  const JsonValue* samples = env.state->find("samples");
  if (samples != nullptr) readSamplePool(*samples, fresh.samples, ids, diagnostics);
  refs.assign(fresh.samples.count, std::string());
  for (std::size_t i = 0; i < ids.size() && i < refs.size(); ++i) {
    const JsonValue* ref = JsonValue::findMember(env.assets, ids[i]);
    if (ref == nullptr || !ref->isString()) {
      diagnostics.warn("missing-asset", memberPath("/assets", ids[i]),
                       "The sample has no audio in the document; it plays silent");
      continue;
    }
    std::string name;
    if (parseFactoryRef(ref->text, name)) formatFixed(fresh.samples.slots[i].factory, name);
    refs[i] = ref->text;
  }
}

// Sounds in written order into the kit's next free records; returns how many
// loaded.
int readSounds(const JsonValue& state, Project& fresh, const KeysAsLoaded& keys, Diagnostics& diagnostics,
               KeysTaken& taken) {
  Kit& kit = fresh.patterns[0].kit;
  int loaded = 0;
  const JsonValue* sounds = state.find("sounds");
  if (sounds == nullptr || !sounds->isObject()) return 0;
  for (const JsonMember& m : sounds->members) {
    const std::string path = memberPath("/state/sounds", m.key);
    if (loaded >= kMaxTracks) {
      diagnostics.warn("too-many-sounds", path, "A kit holds 8 sounds; kept but not loaded");
      continue;
    }
    if (!m.value.isObject()) {
      diagnostics.warn("wrong-type", path, "Expected a sound; kept but not loaded");
      continue;
    }
    if (!usableId(m.key, kit.sounds, loaded)) {
      diagnostics.warn("unusable-id", path, kUnusableIdMessage);
      continue;
    }
    if (readSound(m.key, m.value, kit.sounds[loaded], fresh.samples, diagnostics, path, keys))
      taken.sounds[loaded++] = m.key;
  }
  return loaded;
}

enum class VoiceTake : std::uint8_t { Taken, NotAVoice, UnusableId, UnknownSound };

// How a load takes a voice beside the tracks it took, and the index of its
// sound (-1: none); room apart. A voice whose sound is unknown is taken
// without one.
VoiceTake takeOfVoice(std::string_view key, const JsonValue& v, const Pattern& pattern, int soundsLoaded,
                      const KeysAsLoaded& keys, int& soundIndex) {
  if (!v.isObject()) return VoiceTake::NotAVoice;
  if (!usableId(key, pattern.tracks, pattern.numTracks)) return VoiceTake::UnusableId;
  soundIndex = -1;
  if (const JsonValue* sound = v.find("sound")) {
    if (sound->isString())
      soundIndex = keys.find(Records::Sounds, pattern.kit.sounds, soundsLoaded, sound->text);
    if (soundIndex < 0) return VoiceTake::UnknownSound;
  }
  return VoiceTake::Taken;
}

// Returns false when the document had voices but none could be loaded.
bool readVoices(const JsonValue& state, Project& fresh, int soundsLoaded, const KeysAsLoaded& keys,
                Diagnostics& diagnostics, KeysTaken& taken) {
  Pattern& pattern = fresh.patterns[0];
  const JsonValue* voices = state.find("voices");
  std::vector<OrderedEntry> entries;
  if (voices != nullptr) entries = sortedByOrder(*voices);
  for (const OrderedEntry& e : entries) {
    const std::string path = memberPath("/state/voices", e.key);
    if (pattern.numTracks >= kMaxTracks) {
      diagnostics.warn("too-many-voices", path, "A kit holds 8 voices; kept but not loaded");
      continue;
    }
    int soundIndex = -1;
    switch (takeOfVoice(e.key, *e.value, pattern, soundsLoaded, keys, soundIndex)) {
      case VoiceTake::NotAVoice:
        diagnostics.warn("wrong-type", path, "Expected a voice; kept but not loaded");
        continue;
      case VoiceTake::UnusableId: diagnostics.warn("unusable-id", path, kUnusableIdMessage); continue;
      // Its track keeps its place, silent, so that every later track keeps
      // its number, note and output; what it names is kept for the save.
      case VoiceTake::UnknownSound:
        diagnostics.warn("unknown-sound", path + "/sound",
                         "The voice's sound is not in this document or did not load; its track keeps its "
                         "place and plays nothing, and the sound it names is kept");
        break;
      case VoiceTake::Taken: break;
    }
    const int t = pattern.numTracks;
    Track& track = pattern.tracks[t];
    initTracks(&track, 1);
    formatFixed(track.id, e.key);
    track.soundIndex = static_cast<std::int8_t>(soundIndex);
    pattern.numTracks = static_cast<std::uint8_t>(t + 1);
    taken.voices[t] = e.key;
    readVoice(*e.value, fresh, t, diagnostics, path);
  }
  if (pattern.numTracks > 0) return true;
  // A project without tracks writes an empty "voices" object; that reads
  // back as the same empty project rather than as a broken document.
  if (voices != nullptr && voices->isObject() && voices->members.empty()) return true;
  diagnostics.error("no-voices", "/state/voices", "The document has no voice this build can load");
  return false;
}

// A sound no voice the load took plays, which a voice it kept out names
// (in "voices", or in "voicesOff", where a save puts such a voice once the
// project has room for it), stays out with that voice, kept as read: else,
// with its voice moved out of the way, a load would take it back into the
// kit as a sound no track plays.
void keepSoundsWithVoicesKeptOut(const JsonValue& state, Project& fresh, KeysTaken& taken, int& soundsLoaded,
                                 const KeysAsLoaded& keys, Diagnostics& diagnostics) {
  Pattern& pattern = fresh.patterns[0];
  bool played[kMaxTracks] = {};
  for (int t = 0; t < tracksInUse(pattern); ++t)
    if (const Sound* sound = soundOfVoice(pattern, t)) played[sound - pattern.kit.sounds] = true;
  bool keptOut[kMaxTracks] = {};
  const auto soundsNamedBy = [&](const JsonValue* voices) {
    if (voices == nullptr || !voices->isObject()) return;
    for (const JsonMember& v : voices->members) {
      if (std::find(taken.voices, taken.voices + pattern.numTracks, v.key) !=
          taken.voices + pattern.numTracks)
        continue;
      const JsonValue* sound = v.value.isObject() ? v.value.find("sound") : nullptr;
      if (sound == nullptr || !sound->isString()) continue;
      const int s = keys.find(Records::Sounds, pattern.kit.sounds, soundsLoaded, sound->text);
      if (s >= 0 && !played[s]) keptOut[s] = true;
    }
  };
  soundsNamedBy(state.find("voices"));
  soundsNamedBy(state.find("voicesOff"));
  int placeOf[kMaxTracks] = {};
  int loaded = 0;
  for (int s = 0; s < soundsLoaded; ++s) {
    if (keptOut[s]) {
      diagnostics.warn("sound-kept-out", memberPath("/state/sounds", taken.sounds[s]),
                       "Only voices kept out play the sound; kept but not loaded");
      continue;
    }
    placeOf[s] = loaded;
    if (loaded != s) {
      pattern.kit.sounds[loaded] = pattern.kit.sounds[s];
      taken.sounds[loaded] = std::move(taken.sounds[s]);
    }
    ++loaded;
  }
  if (loaded == soundsLoaded) return;
  initSounds(pattern.kit.sounds + loaded, soundsLoaded - loaded);
  for (int t = 0; t < tracksInUse(pattern); ++t) {
    std::int8_t& s = pattern.tracks[t].soundIndex;
    if (s >= 0 && s < kMaxTracks) s = static_cast<std::int8_t>(placeOf[s]);
  }
  soundsLoaded = loaded;
}

// The keys of the records taken so far (the first `soundsLoaded` sounds,
// the tracks in use and the samples), where the writer would key them
// otherwise.
KeysAsLoaded recordKeys(const Project& project, const KeysTaken& taken, int soundsLoaded) {
  const Pattern& pattern = project.patterns[0];
  KeysAsLoaded keys;
  keys.listed = taken.listed;
  for (int s = 0; s < soundsLoaded; ++s)
    keys.add(recordsPath(Records::Sounds), std::string(fixedText(pattern.kit.sounds[s].id)), taken.sounds[s]);
  for (int t = 0; t < tracksInUse(pattern); ++t)
    keys.add(recordsPath(Records::Voices), std::string(fixedText(pattern.tracks[t].id)), taken.voices[t]);
  for (std::size_t i = 0; i < taken.samples.size() && i < kSampleSlots; ++i)
    keys.add(recordsPath(Records::Samples), std::string(fixedText(project.samples.slots[i].id)),
             taken.samples[i]);
  return keys;
}

// The kit as a load takes it once the samples are read: sounds, voices
// and macros, each reference found by the key its record was taken by,
// which keys gives at the end, with the keys of the destinations. False
// when no voice loads.
bool readKit(const InstanceEnvelope& env, Project& fresh, Diagnostics& diagnostics, KeysTaken& taken,
             int& sounds, KeysAsLoaded& keys) {
  const JsonValue& state = *env.state;
  for (const Records list : {Records::Sounds, Records::Voices, Records::Samples})
    taken.listed[list] = memberKeys(state.find(recordsPath(list).back()));
  keys = recordKeys(fresh, taken, 0);
  sounds = readSounds(state, fresh, keys, diagnostics, taken);
  keys = recordKeys(fresh, taken, sounds);
  if (!readVoices(state, fresh, sounds, keys, diagnostics, taken)) return false;
  keepSoundsWithVoicesKeptOut(state, fresh, taken, sounds, keys, diagnostics);
  keys = recordKeys(fresh, taken, sounds);
  readStateMacros(env, fresh, fresh.samples, diagnostics, &taken.dests, keys);
  const Pattern& pattern = fresh.patterns[0];
  for (int m = 0; m < kMacroCount; ++m) {
    const Macro& macro = pattern.kit.macros[m];
    for (std::size_t d = 0; d < taken.dests[m].size() && d < macro.destCount; ++d)
      if (std::optional<std::string> key = macroDestKey(pattern, macro.dests[d], keys))
        keys.add(macroDestsPath(m), std::move(*key), taken.dests[m][d]);
  }
  return true;
}

void readMeta(const JsonValue* meta, Kit& kit) {
  if (meta == nullptr) return;
  formatFixed(kit.name, stringOrEmpty(*meta, "name"));
  formatFixed(kit.author, stringOrEmpty(*meta, "author"));
  const JsonValue* tags = meta->isObject() ? meta->find("tags") : nullptr;
  if (tags == nullptr || !tags->isArray()) return;
  for (const JsonValue& t : tags->elements) {
    if (kit.tagCount >= kTagCapacity) break;
    if (!t.isString()) continue;
    formatFixed(kit.tags[kit.tagCount], t.text);
    ++kit.tagCount;
  }
}

bool anyActiveStep(const Pattern& pattern) {
  for (int t = 0; t < tracksInUse(pattern); ++t)
    for (const Step& s : pattern.tracks[t].steps)
      if (s.active != 0) return true;
  return false;
}

JsonValue writeSounds(const Pattern& pattern, const SampleSlotTable& samples, const KeysAsLoaded& keys) {
  JsonValue out = makeJsonObject();
  bool written[kMaxTracks] = {};
  for (int t = 0; t < tracksInUse(pattern); ++t) {
    const std::uint8_t s = static_cast<std::uint8_t>(pattern.tracks[t].soundIndex);
    if (s >= kMaxTracks || written[s]) continue;
    written[s] = true;
    const Sound& sound = pattern.kit.sounds[s];
    JsonValue::setMember(out.members, keys.keyOf(Records::Sounds, fixedText(sound.id)),
                         writeSound(sound, samples, keys));
  }
  // A sound no track plays still belongs to the kit when it has an id (a
  // document may carry one); it is kept rather than lost on the next load.
  for (int s = 0; s < kMaxTracks; ++s) {
    const Sound& sound = pattern.kit.sounds[s];
    const std::string_view id = fixedText(sound.id);
    const std::string_view key = keys.keyOf(Records::Sounds, id);
    if (written[s] || id.empty() || out.find(key) != nullptr) continue;
    written[s] = true;
    out.members.push_back({std::string(key), writeSound(sound, samples, keys)});
  }
  return out;
}

JsonValue writeMeta(const Kit& kit) {
  JsonValue meta = makeJsonObject();
  meta.members.push_back({"name", jsonText(fixedText(kit.name))});
  if (kit.author[0] != '\0') meta.members.push_back({"author", jsonText(fixedText(kit.author))});
  const int tags = kit.tagCount < kTagCapacity ? kit.tagCount : kTagCapacity;
  if (tags > 0) {
    JsonValue arr = makeJsonArray();
    for (int i = 0; i < tags; ++i) arr.push(jsonText(fixedText(kit.tags[i])));
    meta.members.push_back({"tags", std::move(arr)});
  }
  return meta;
}

// The extensions a loaded document declared, which its save declares too,
// in their order, those this build cannot read as written; a member that
// is no list, as read.
void declareAsLoaded(InstanceEnvelope& env, const JsonValue* loaded) {
  const JsonValue* declared = loaded != nullptr ? loaded->find("extensions") : nullptr;
  if (declared != nullptr && !declared->isArray()) env.extensionsAsRead = declared;
  if (declared == nullptr || !declared->isArray()) return;
  for (const JsonValue& e : declared->elements) {
    std::optional<ExtensionId> id = e.isString() ? parseExtensionId(e.text) : std::nullopt;
    if (id)
      env.extensions.push_back(std::move(*id));
    else
      env.unreadableExtensions.push_back(e);
  }
}

// A "params" member that is no object gave the macros nothing: it goes
// back as read while they hold what a load of it gives.
const JsonValue* paramsAsLoaded(const Kit& kit, const JsonValue* loaded) {
  const JsonValue* params = loaded != nullptr ? loaded->find("params") : nullptr;
  if (params == nullptr || params->isObject()) return nullptr;
  for (const Macro& macro : kit.macros)
    if (macro.value != Macro{}.value) return nullptr;
  return params;
}

// The audition a save writes (auditionToWrite), the loaded one read again
// here when it is held as its text.
JsonValue auditionToSave(const Project& project, const LoadedAudition* loaded, const KeysAsLoaded& keys) {
  if (loaded == nullptr || !loaded->audition.isKept())
    return auditionToWrite(project, project.samples, loaded, keys);
  JsonValue read;
  std::string error;
  if (!parseJson(loaded->audition, auditionShape(), read, error))
    return writeAudition(project, project.samples, keys);
  std::optional<JsonValue> anew = auditionAnew(project, project.samples, std::move(read), *loaded, keys);
  return anew ? std::move(*anew) : loaded->audition;
}

}  // namespace

bool voiceALoadTakes(std::string_view key, const JsonValue& voice, const Pattern& pattern, int soundsLoaded,
                     const KeysAsLoaded& keys) {
  int soundIndex = -1;
  if (pattern.numTracks >= kMaxTracks) return false;
  const VoiceTake take = takeOfVoice(key, voice, pattern, soundsLoaded, keys, soundIndex);
  return take == VoiceTake::Taken || take == VoiceTake::UnknownSound;
}

bool soundALoadReads(std::string_view key, const JsonValue& sound, const SampleSlotTable& samples,
                     const KeysAsLoaded& keys) {
  Sound scratch;
  Diagnostics unsaid = Diagnostics::dropping();
  return sound.isObject() && readSound(key, sound, scratch, samples, unsaid, "", keys);
}

const Sound* soundOfVoice(const Pattern& pattern, int track) {
  if (track < 0 || track >= kMaxTracks) return nullptr;
  const std::uint8_t s = static_cast<std::uint8_t>(pattern.tracks[track].soundIndex);
  return s < kMaxTracks ? &pattern.kit.sounds[s] : nullptr;
}

bool readInstanceState(const JsonValue& document, Project& project, std::vector<std::string>& assetRefs,
                       Diagnostics& diagnostics, KeysAsLoaded* keys, bool* auditionGridRead) {
  // However many entries the document holds amiss, it says a few of each kind.
  FindingsBound bound(diagnostics);
  std::optional<InstanceEnvelope> env = readInstanceEnvelope(document, diagnostics);
  if (!env) {
    diagnostics.error("not-an-instance", "", "Not an instance document");
    return false;
  }
  if (env->plugin != kInstancePlugin) {
    diagnostics.error("wrong-plugin", "/plugin",
                      "This document is for \"" + env->plugin + "\", not Orbitrane");
    return false;
  }
  if (env->formatVersion > 1) {
    diagnostics.warn("newer-format", "/formatVersion",
                     "Written by a newer Orbitrane (format " + std::to_string(env->formatVersion) +
                         "); loading what this build knows");
  }
  if (env->state == nullptr || !env->state->isObject()) {
    diagnostics.error("state-unreadable", "/state", "The document has no Orbitrane state");
    return false;
  }

  std::unique_ptr<Project> fresh = makeProject();
  if (!fresh) {
    diagnostics.error("out-of-memory", "", "Not enough memory to read the document");
    return false;
  }
  fresh->patternCount = 1;
  fresh->seed = env->seed.value_or(0);
  const JsonValue& state = *env->state;
  Pattern& pattern = fresh->patterns[0];

  KeysTaken taken;
  readSamples(*env, *fresh, assetRefs, taken.samples, diagnostics);
  int sounds = 0;
  KeysAsLoaded taking;
  if (!readKit(*env, *fresh, diagnostics, taken, sounds, taking)) return false;
  readMeta(env->meta, pattern.kit);

  if (const JsonValue* kit = state.find("kit")) pattern.kit.version = readVersion(*kit);
  if (const JsonValue* proj = state.find("project"); proj != nullptr && proj->isObject()) {
    formatFixed(fresh->name, stringOrEmpty(*proj, "name"));
    formatFixed(fresh->author, stringOrEmpty(*proj, "author"));
    formatFixed(pattern.name, stringOrEmpty(*proj, "part"));
    fresh->version = readVersion(*proj);
  }

  const bool gridRead = env->audition != nullptr && readAudition(*env->audition, *fresh, fresh->samples,
                                                                 diagnostics, "/audition", taking);

  assignPatternIds(pattern);
  // A save writes the notes the grid plays: say so where they differ.
  if (gridRead && !auditionNotesArePlayed(*env->audition, *fresh, fresh->samples, taking))
    diagnostics.note("audition-notes-unplayed", "/audition/notes",
                     "The notes beside the step grid are not the ones it plays; the grid plays, and a save "
                     "writes its notes in their place");
  if (gridRead && !auditionSwingIsPlayed(*env->audition, *fresh, fresh->samples, taking))
    diagnostics.note("audition-swing-unplayed", "/audition/swing",
                     "The swing entries beside the step grid are not the swing it plays; the grid plays, and "
                     "a save writes its swing in their place");
  project = *fresh;
  if (keys != nullptr) *keys = std::move(taking);
  if (auditionGridRead != nullptr) *auditionGridRead = gridRead;
  return true;
}

JsonValue writeInstanceState(const Project& project, const std::vector<std::string>& assetRefs,
                             std::uint32_t kitOnly, std::string_view pluginVersion, std::string_view id,
                             const JsonValue* loaded, const LoadedAudition* loadedAudition, AuditionFor use,
                             const KeysAsLoaded* keysAsLoaded) {
  const KeysAsLoaded& keys = keysAsLoaded != nullptr ? *keysAsLoaded : KeysAsLoaded::none();
  const Pattern& pattern = project.patterns[0];
  const Kit& kit = pattern.kit;
  InstanceEnvelope env;
  env.plugin = kInstancePlugin;
  env.formatVersion = 1;
  env.pluginVersion = std::string(pluginVersion);
  env.id = std::string(id);
  if (project.seed != 0) env.seed = project.seed;
  const JsonValue meta = writeMeta(kit);
  env.meta = &meta;
  for (int i = 0; i < kMacroCount; ++i)
    env.params.push_back({macroName(i), makeJsonNumber(kit.macros[i].value)});
  env.paramsAsRead = paramsAsLoaded(kit, loaded);

  JsonValue state = makeJsonObject();
  state.members.push_back({"sounds", writeSounds(pattern, project.samples, keys)});
  JsonValue voices = makeJsonObject();
  for (int t = 0; t < tracksInUse(pattern); ++t)
    JsonValue::setMember(voices.members, keys.keyOf(Records::Voices, fixedText(pattern.tracks[t].id)),
                         writeVoice(project, t, keys));
  state.members.push_back({"voices", std::move(voices)});
  JsonValue macros = writeStateMacros(project, project.samples, keys);
  if (!macros.members.empty()) state.members.push_back({"macros", std::move(macros)});
  JsonValue samples = writeSamplePool(project.samples, keys);
  if (!samples.members.empty()) state.members.push_back({"samples", std::move(samples)});
  if (kit.version != 1) {
    JsonValue k = makeJsonObject();
    k.members.push_back({"version", makeJsonDouble(kit.version)});
    state.members.push_back({"kit", std::move(k)});
  }
  if (kitOnly == 0) {
    JsonValue p = makeJsonObject();
    p.members.push_back({"name", jsonText(fixedText(project.name))});
    if (project.author[0] != '\0') p.members.push_back({"author", jsonText(fixedText(project.author))});
    if (pattern.name[0] != '\0') p.members.push_back({"part", jsonText(fixedText(pattern.name))});
    if (project.version != 1) p.members.push_back({"version", makeJsonDouble(project.version)});
    state.members.push_back({"project", std::move(p)});
  }
  env.state = &state;

  const int slots = project.samples.count < kSampleSlots ? project.samples.count : kSampleSlots;
  for (int i = 0; i < slots; ++i) {
    const std::string_view sid = fixedText(project.samples.slots[i].id);
    if (sid.empty() || static_cast<std::size_t>(i) >= assetRefs.size() || assetRefs[i].empty()) continue;
    JsonValue::setMember(env.assets, keys.keyOf(Records::Samples, sid), makeJsonString(assetRefs[i]));
  }

  // A loaded audition is read, not kept unknown: every save writes one, so
  // the rewrite a load compares its document with holds one too.
  const bool audition =
      kitOnly == 0 || anyActiveStep(pattern) || (loaded != nullptr && loaded->find("audition") != nullptr);
  declareAsLoaded(env, loaded);
  const bool listed = std::any_of(env.extensions.begin(), env.extensions.end(),
                                  [](const ExtensionId& e) { return e.name == kAuditionExtension; });
  if (audition && !listed) env.extensions.push_back(ExtensionId{kAuditionExtension, 1});

  JsonValue document = writeInstanceEnvelope(env);
  if (audition)
    document.set("audition", use == AuditionFor::LoadRewrite ? auditionBeside(project, project.samples, keys)
                                                             : auditionToSave(project, loadedAudition, keys));
  keepKeysAsLoaded(document, keys);
  return document;
}

bool readInstanceState(const JsonValue& document, Project& project, Diagnostics& diagnostics) {
  std::vector<std::string> refs;
  return readInstanceState(document, project, refs, diagnostics);
}

JsonValue writeInstanceState(const Project& project, std::uint32_t kitOnly, std::string_view pluginVersion) {
  return writeInstanceState(project, {}, kitOnly, pluginVersion, {});
}

}  // namespace ob
