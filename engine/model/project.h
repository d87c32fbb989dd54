#pragma once
// The project record: one flat, fixed-size block with no pointers, so a copy
// is a single byte copy (undo snapshots, the engine's mailbox, documents).
// Field order and widths are part of the record's identity; the size checks
// below guard them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

#include "engine/clock/tempo.h"

namespace ob {

inline constexpr int kMaxTracks = 8;
inline constexpr int kStepsPerTrack = 16;
inline constexpr int kTrackRateCount = 6;    // step-rate codes 0..5; any other plays as 1 (sixteenths)
inline constexpr int kListCapacity = 8;      // locks, randoms, zones, routes, macro dests
inline constexpr int kSoundParamSlots = 64;  // a sound's parameter array
inline constexpr int kMacroCount = 4;
inline constexpr int kSampleSlots = 64;
inline constexpr int kMaxSlices = 64;
inline constexpr int kTagCapacity = 8;
inline constexpr std::uint8_t kNoParam = 255;  // empty list entry
inline constexpr std::uint8_t kNoChokeGroup = 255;
inline constexpr std::uint8_t kNoTrack = 255;  // empty macro destination
inline constexpr std::uint64_t kDefaultPatternSeed = 0x5a17c3e9d04b88f1ull;
// The step-rate code of sixteenths: a track's rate unless set, and what any
// code past the table of rates (engine/clock/step_rate.h) plays as.
inline constexpr std::uint8_t kSixteenthRate = 1;
// Choke groups 0..7: one for each track at most.
inline constexpr int kChokeGroups = kMaxTracks;

// Entry of every parameter list: step locks, step and track random depths,
// velocity destinations.
struct ParamLock {
  std::uint8_t param = kNoParam;  // combined parameter index 0..63
  float value = 0.0f;

  bool operator==(const ParamLock&) const = default;
};

struct Step {
  std::uint8_t active = 0;
  std::uint8_t muted = 0;
  std::uint8_t slide = 0;
  std::uint8_t note = 60;
  std::uint8_t velocity = 100;
  std::int8_t micro = 0;          // -64..63
  std::uint16_t lengthTicks = 1;  // ticks of 1/24 step, 1..1536
  std::uint8_t lockCount = 0;
  ParamLock locks[kListCapacity];
  std::uint8_t count = 0;       // retrig hits inside the step, 0..32
  std::uint16_t rateTicks = 0;  // ticks between retrig hits, 1..192
  std::int8_t velCurve = 0;
  std::uint8_t randCount = 0;
  ParamLock rands[kListCapacity];  // value = random depth
  float randVel = 0.0f;
  float randTime = 0.0f;
  float randPan = 0.0f;
  std::uint8_t panLocked = 0;
  float panValue = 0.0f;

  bool operator==(const Step&) const = default;
};

struct Lfo {
  std::uint8_t enabled = 0;
  std::uint8_t dest = 0;   // combined parameter index
  float rate = 1.0f;       // Hz, 0.01..50
  std::uint8_t shape = 0;  // 0..5 sine, tri, sawup, sawdown, square, random
  float depth = 0.0f;      // -1..1
  std::uint8_t trig = 0;   // mode 0..4 free, trig, hold, one, half
  std::uint8_t sync = 0;
  std::uint8_t rateDiv = 5;  // tempo division 0..9

  bool operator==(const Lfo&) const = default;
};

struct ModEnv {
  std::uint8_t enabled = 0;
  std::uint8_t dest = 0;
  float attack = 0.0f;  // s, 0..8
  float hold = 0.0f;    // s, 0..8
  float decay = 0.2f;   // s, 0..16
  float depth = 0.0f;   // -1..1
  std::uint8_t sync = 0;
  std::uint8_t atkDiv = 2;
  std::uint8_t decDiv = 5;

  bool operator==(const ModEnv&) const = default;
};

// An LFO or envelope holds something while it is on or has settings of its
// own; where one switched off aims is none of them, as whatever switches it
// on aims it anew.
template <class Modulator>
bool holdsSomething(const Modulator& modulator) {
  Modulator aimless = modulator;
  aimless.dest = Modulator{}.dest;
  return modulator.enabled != 0 || !(aimless == Modulator{});
}

struct Track {
  char id[24] = {};
  Step steps[kStepsPerTrack];
  std::uint16_t length = 16;           // 1..16
  std::uint8_t rate = kSixteenthRate;  // step-rate code, below kTrackRateCount
  std::uint8_t chromatic = 0;
  float swing = -1.0f;          // negative: follow the pattern
  std::int8_t soundIndex = -1;  // kit sound 0..7, -1 none
  float gain = 1.0f;
  float pan = 0.0f;
  std::uint8_t chokeGroup = kNoChokeGroup;
  Lfo lfos[2];
  ModEnv modEnvs[2];
  std::uint8_t trackRandCount = 0;
  ParamLock trackRands[kListCapacity];
};

struct Sound {
  char id[24] = {};
  std::uint8_t machine = 3;  // 0 sample, 1 va, 2 granular, 3 drum
  float params[kSoundParamSlots] = {};
  std::uint8_t zoneCount = 0;               // 0..8
  std::uint8_t mode = 0;                    // layer mode: 0 velocity, 1 roundrobin, 2 velrr
  std::uint8_t slot[kListCapacity] = {};    // sample-table slot of each zone
  std::uint8_t velMax[kListCapacity] = {};  // highest velocity a zone answers
  std::uint8_t velDestCount = 0;
  ParamLock velDests[kListCapacity];  // value = velocity amount -1..1
  char name[48] = {};
};

struct MacroDest {
  std::uint8_t track = kNoTrack;
  std::uint8_t param = 0;
  float target = 0.0f;
};

struct Macro {
  char name[24] = {};
  float value = 0.0f;  // read clamped to 0..1
  std::uint8_t destCount = 0;
  MacroDest dests[kListCapacity];
};

struct Kit {
  Sound sounds[kMaxTracks];
  Macro macros[kMacroCount];
  char name[48] = {};
  std::uint16_t version = 1;
  char author[48] = {};
  char tags[kTagCapacity][24] = {};
  std::uint8_t tagCount = 0;
};

struct Pattern {
  Track tracks[kMaxTracks];
  Kit kit;
  char name[24] = {};
  std::uint8_t numTracks = 0;  // tracks 0..numTracks-1 are in use
  std::uint8_t grooveEdited = 0;
  std::uint8_t muteMask = 0;  // bit t = track t muted
  std::uint16_t length = 16;
  float swing = 50.0f;        // percent, 50 = straight
  float bpm = kDefaultTempo;  // not positive: the default wherever a tempo is needed
  float accentAmount = 0.0f;
  std::uint8_t accentEvery = 4;
  float accentCurve = 0.5f;
  std::uint64_t seed = 0;  // 0: kDefaultPatternSeed
};

struct SampleSlot {
  char id[24] = {};
  char factory[24] = {};  // factory sample stem; empty for user audio
  char name[64] = {};     // in use when not empty
  char tags[kTagCapacity][24] = {};
  std::uint8_t tagCount = 0;
  std::uint16_t sliceCount = 0;  // 0..64
  float slices[kMaxSlices] = {};
  std::uint8_t src = 0;  // where the audio came from
};

struct SampleSlotTable {
  SampleSlot slots[kSampleSlots];
  std::uint8_t count = 0;  // slots 0..count-1 are in use
};

struct Project {
  Pattern patterns[1];
  std::uint8_t patternCount = 1;
  SampleSlotTable samples;
  char name[48] = {};
  std::uint16_t version = 1;
  char author[48] = {};
  std::uint64_t seed = 0;  // instance seed
};

static_assert(std::is_trivially_copyable_v<ParamLock>);
static_assert(std::is_trivially_copyable_v<Step>);
static_assert(std::is_trivially_copyable_v<Lfo>);
static_assert(std::is_trivially_copyable_v<ModEnv>);
static_assert(std::is_trivially_copyable_v<Track>);
static_assert(std::is_trivially_copyable_v<Sound>);
static_assert(std::is_trivially_copyable_v<Macro>);
static_assert(std::is_trivially_copyable_v<Kit>);
static_assert(std::is_trivially_copyable_v<Pattern>);
static_assert(std::is_trivially_copyable_v<SampleSlot>);
static_assert(std::is_trivially_copyable_v<SampleSlotTable>);
static_assert(std::is_trivially_copyable_v<Project>);
static_assert(std::is_standard_layout_v<Project>);
static_assert(sizeof(ParamLock) == 8);
static_assert(sizeof(Step) == 168);
static_assert(sizeof(Lfo) == 20);
static_assert(sizeof(ModEnv) == 24);
static_assert(sizeof(Track) == 2892);
static_assert(sizeof(Sound) == 416);
static_assert(sizeof(Macro) == 96);
static_assert(sizeof(Kit) == 4004);
static_assert(sizeof(Pattern) == 27200);
static_assert(sizeof(SampleSlot) == 568);
static_assert(sizeof(SampleSlotTable) == 36356);
static_assert(sizeof(Project) == 63672);

// A new zero-filled, default-constructed project; null when out of memory.
std::unique_ptr<Project> makeProject();

// Bulk default construction in place.
void initPatterns(Pattern* patterns, int n);
void initTracks(Track* tracks, int n);
void initSounds(Sound* sounds, int n);
void initSteps(Step* steps, int n);

// The pattern's seed, or kDefaultPatternSeed when it is 0.
std::uint64_t defaultSeedOr(const Pattern& pattern);

// Active steps over all eight tracks and sixteen steps.
int countSetSteps(const Pattern& pattern);

// Copies at most capacity-1 bytes of a NUL-terminated source, cut at a
// character's boundary (utf8_text.h), and ends the field with a NUL; a null
// or empty source gives an empty field.
void copyBoundedString(char* dest, const char* source, std::size_t capacity);

template <std::size_t N>
void copyText(char (&dest)[N], const char* source) {
  copyBoundedString(dest, source, N);
}

}  // namespace ob
