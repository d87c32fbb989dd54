#include "content/kits/factory_kit_builder.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "content/kits/factory_kits.h"
#include "content/tools/utf8_fit.h"
#include "engine/model/project_ids.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

constexpr const char* kKitAuthor = "Orbitrane";
constexpr int kFactoryKitCount = 9;

template <std::size_t N>
void setField(char (&field)[N], std::string_view text) {
  const std::string_view fitted = utf8Prefix(text, N - 1);
  std::fill(field, field + N, '\0');
  std::copy(fitted.begin(), fitted.end(), field);
}

void setParam(Sound& sound, const char* key, float value) {
  const int index = findParamIndex(sound.machine, key);
  if (index >= 0 && index < kSoundParamSlots) sound.params[index] = value;
}

void buildVoice(Pattern& pattern, int k, const KitVoice& voice) {
  Sound& sound = pattern.kit.sounds[k];
  initSoundParams(sound, voice.machine);
  setField(sound.name, voice.name);
  for (const KitParam& p : voice.params) setParam(sound, p.key, p.value);
  if (voice.machine == kMachineSample) {
    sound.zoneCount = 0;
    sound.mode = 0;
    for (const KitZone& z : voice.zones) {
      if (sound.zoneCount >= kListCapacity) break;
      sound.slot[sound.zoneCount] = z.slot;
      sound.velMax[sound.zoneCount] = z.velMax;
      ++sound.zoneCount;
    }
    if (sound.zoneCount > 0) setParam(sound, "slot", static_cast<float>(sound.slot[0]));
  }
  Track& track = pattern.tracks[k];
  track.length = 16;
  track.soundIndex = static_cast<std::int8_t>(k);
  track.gain = voice.gain;
  track.pan = voice.pan;
  track.chromatic = voice.chromatic ? 1 : 0;
  if (pattern.numTracks < k + 1) pattern.numTracks = static_cast<std::uint8_t>(k + 1);
}

struct DefaultMacro {
  const char* name;
  const char* key;
  float target;
};

constexpr DefaultMacro kDefaultMacros[3] = {
    {"Room", "space_mix", 0.45f},
    {"Body", "bleed", 0.2f},
    {"Grit", "dist_amt", 0.9f},
};

}  // namespace

void applyStepString(Track& track, const char* steps) {
  if (steps == nullptr) return;
  for (int s = 0; s < kStepsPerTrack && steps[s] != '\0'; ++s) {
    int velocity = -1;
    switch (steps[s]) {
      case 'X': velocity = 118; break;
      case 'x': velocity = 96; break;
      case 'o': velocity = 56; break;
      default: break;
    }
    if (velocity < 0) continue;
    track.steps[s].active = 1;
    track.steps[s].velocity = static_cast<std::uint8_t>(velocity);
  }
}

void applyRoom(Pattern& pattern, float a, float b, float damp, float mixScale, const RoomSend* sends,
               int count) {
  float size = a * 0.45f + b * 0.55f + 0.1f;
  size = std::clamp(size, 0.15f, 0.9f);
  for (int i = 0; i < count; ++i) {
    const RoomSend& send = sends[i];
    if (!(send.amount > 0.0f)) continue;
    if (send.sound < 0 || send.sound >= kMaxTracks) continue;
    const float mix = std::min(send.amount * mixScale * 3.0f, 0.5f);
    Sound& sound = pattern.kit.sounds[send.sound];
    setParam(sound, "space_size", size);
    setParam(sound, "space_mix", mix);
    setParam(sound, "space_damp", damp);
  }
}

void applyRoom(Pattern& pattern, float a, float b, float damp, float mixScale,
               std::initializer_list<RoomSend> sends) {
  applyRoom(pattern, a, b, damp, mixScale, sends.begin(), static_cast<int>(sends.size()));
}

Pattern buildKitFromRecipe(const KitRecipe& recipe) {
  Pattern pattern{};
  for (const char* tag : recipe.tags) {
    if (pattern.kit.tagCount >= kTagCapacity) break;
    setField(pattern.kit.tags[pattern.kit.tagCount++], tag);
  }
  setField(pattern.kit.name, recipe.name);
  setField(pattern.kit.author, kKitAuthor);

  int k = 0;
  for (const KitVoice& voice : recipe.voices) {
    if (k >= kMaxTracks) break;
    buildVoice(pattern, k, voice);
    ++k;
  }

  pattern.bpm = recipe.tempo;
  pattern.swing = recipe.swing;
  pattern.length = 16;

  if (recipe.hasTrim) {
    const float trim = std::pow(10.0f, recipe.trimExponent);
    for (int t = 0; t < tracksInUse(pattern); ++t) pattern.tracks[t].gain *= trim;
  }

  if (recipe.hasRoom) {
    RoomSend sends[kMaxTracks];
    int count = 0;
    int v = 0;
    for (const KitVoice& voice : recipe.voices) {
      if (v >= kMaxTracks) break;
      if (voice.inRoom) sends[count++] = RoomSend{v, voice.roomAmount};
      ++v;
    }
    applyRoom(pattern, recipe.room.a, recipe.room.b, recipe.room.damp, recipe.room.mixScale, sends, count);
  }

  int t = 0;
  for (const KitVoice& voice : recipe.voices) {
    if (t >= kMaxTracks) break;
    applyStepString(pattern.tracks[t], voice.steps);
    ++t;
  }
  return pattern;
}

void addDefaultKitMacros(Pattern& pattern) {
  for (int m = 0; m < 3; ++m) {
    const DefaultMacro& preset = kDefaultMacros[m];
    Macro& macro = pattern.kit.macros[m];
    macro.value = 0.0f;
    macro.destCount = 0;
    const int tracks = tracksInUse(pattern);
    for (int t = 0; t < tracks && macro.destCount < kListCapacity; ++t) {
      const int soundIndex = pattern.tracks[t].soundIndex;
      if (soundIndex < 0 || soundIndex >= kMaxTracks) continue;
      const int param = findParamIndex(pattern.kit.sounds[soundIndex].machine, preset.key);
      if (param < 0) continue;
      MacroDest& dest = macro.dests[macro.destCount++];
      dest.track = static_cast<std::uint8_t>(t);
      dest.param = static_cast<std::uint8_t>(param);
      dest.target = preset.target;
    }
    if (macro.destCount > 0) setField(macro.name, preset.name);
  }
}

std::int32_t factoryKitCount() { return kFactoryKitCount; }

Pattern makeFactoryKit(std::uint32_t index) {
  Pattern pattern{};
  switch (index) {
    case 0: pattern = buildCrushedTechnoKit(); break;
    case 1: pattern = buildAcidBassAndDrumsKit(); break;
    case 2: pattern = buildLofiHipHopKit(); break;
    case 3: pattern = buildHardRaveKit(); break;
    case 4: pattern = buildPunchHouseKit(); break;
    case 5: pattern = buildIdmGlitchKit(); break;
    case 6: pattern = buildLayeredTrapKit(); break;
    case 7: pattern = buildModernAcousticKit(); break;
    case 8: pattern = build70sRockKit(); break;
    default: return pattern;
  }
  addDefaultKitMacros(pattern);
  assignPatternIds(pattern);
  return pattern;
}

}  // namespace ob
