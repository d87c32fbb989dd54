#pragma once
// The shared recipe of the built-in kits: each kit is described as data
// (voices, parameter tables, grooves, room and trim) and one builder turns
// the description into a whole pattern. Main thread; every call builds a
// fresh value.

#include <cstdint>
#include <initializer_list>

#include "engine/clock/tempo.h"
#include "engine/model/project.h"

namespace ob {

struct KitParam {
  const char* key;
  float value;
};

struct KitZone {
  std::uint8_t slot;    // pool slot
  std::uint8_t velMax;  // highest velocity the zone answers
};

// One voice: sound k and track k.
struct KitVoice {
  const char* name = "";
  std::uint8_t machine = 3;
  std::initializer_list<KitParam> params = {};
  float gain = 1.0f;
  float pan = 0.0f;
  bool chromatic = false;
  const char* steps = nullptr;  // null: silent in the groove
  float roomAmount = 0.0f;      // only read when inRoom
  bool inRoom = false;
  std::initializer_list<KitZone> zones = {};
};

struct KitRoom {
  float a = 0.0f;
  float b = 0.0f;
  float damp = 0.0f;
  float mixScale = 0.0f;
};

struct KitRecipe {
  const char* name = "";
  std::initializer_list<const char*> tags = {};
  float tempo = ob::kDefaultTempo;
  float swing = 50.0f;
  bool hasTrim = false;
  float trimExponent = 0.0f;  // gains times 10^e
  bool hasRoom = false;
  KitRoom room = {};
  std::initializer_list<KitVoice> voices = {};
};

struct RoomSend {
  std::int32_t sound;
  float amount;
};

// Steps 1 to 8 of the recipe: the default pattern, tags and names, the
// voices, tempo, trim, room and step strings. Extras, default macros and
// ids are the caller's.
Pattern buildKitFromRecipe(const KitRecipe& recipe);

// Sets "space_size", "space_mix" and "space_damp" of the listed sounds from
// the two size figures, the damping and the mix scale. Amounts of 0 or less
// are skipped; only keys the sound's machine has are written.
void applyRoom(Pattern& pattern, float a, float b, float damp, float mixScale,
               std::initializer_list<RoomSend> sends);
void applyRoom(Pattern& pattern, float a, float b, float damp, float mixScale, const RoomSend* sends,
               int count);

// "X" 118, "x" 96, "o" 56; any other character leaves the step alone. Stops
// at the string's end or after sixteen steps.
void applyStepString(Track& track, const char* steps);

// Macros 0..2: "Room" (space_mix 0.45), "Body" (bleed 0.2), "Grit"
// (dist_amt 0.9), one destination per track in use whose sound has the
// key; a macro without destinations stays unnamed.
void addDefaultKitMacros(Pattern& pattern);

// The number of built-in kits (9).
std::int32_t factoryKitCount();

// Built-in kit 0..8; any larger index gives the default pattern unchanged.
Pattern makeFactoryKit(std::uint32_t index);

}  // namespace ob
