#pragma once
// Edit commands: the one small record every change to the music travels in,
// and the one routine that applies it. The editor applies a command to its
// own project copy and posts the same command to the engine, which applies
// it to its copy, so both stay equal. The applier never allocates, blocks or
// fails loudly: a command it cannot apply changes nothing.

#include <cstdint>
#include <type_traits>

#include "engine/clock/tempo.h"  // kMinBpm and kMaxBpm, which the applier keeps the bpm within
#include "engine/model/project.h"

namespace ob {

struct EditCommand {
  std::uint8_t kind = 0;    // 0..49; 50 and above do nothing
  std::uint32_t track = 0;  // for macro destinations: the destination's track
  std::uint32_t step = 0;   // Euclidean rotation; macro destination's parameter
  std::int32_t param = 0;   // parameter, sub-field, modulator/zone/macro index, machine, hits
  float value = 0.0f;
  std::uint8_t pattern = 0;  // carried, not used to select a pattern
  char text[24] = {};        // macro name, added track's sound name
};

static_assert(std::is_trivially_copyable_v<EditCommand>);
static_assert(sizeof(EditCommand) == 48);

// Command kinds by name, for the code that builds commands.
enum EditKind : std::uint8_t {
  kEditToggleStep = 0,
  kEditSoundParam = 1,
  kEditSetStepLock = 2,
  kEditRemoveStepLock = 3,
  kEditTrackGain = 4,
  kEditTrackPan = 5,
  kEditBpm = 6,
  kEditPatternSwing = 7,
  kEditMacroValue = 8,
  kEditStepField = 9,
  kEditMachine = 10,
  kEditStepRandom = 11,
  kEditRemoveStepRandom = 12,
  kEditTrackRandom = 13,
  kEditMuteTrack = 14,
  kEditMuteMask = 15,
  kEditAddTrack = 16,
  kEditRemoveTrack = 17,
  kEditDuplicateTrack = 18,
  kEditLfoEnabled = 19,
  kEditLfoShape = 20,
  kEditLfoDest = 21,
  kEditLfoRate = 22,
  kEditLfoDepth = 23,
  kEditLfoMode = 24,
  kEditLfoSync = 25,
  kEditLfoRateDiv = 26,
  kEditEnvEnabled = 27,
  kEditEnvDest = 28,
  kEditEnvAttack = 29,
  kEditEnvHold = 30,
  kEditEnvDecay = 31,
  kEditEnvDepth = 32,
  kEditEnvSync = 33,
  kEditEnvAtkDiv = 34,
  kEditEnvDecDiv = 35,
  kEditMacroName = 36,
  kEditMacroDest = 37,
  kEditRemoveMacroDest = 38,
  kEditAccent = 39,
  kEditTrackRate = 40,
  kEditTrackLength = 41,
  kEditTrackChromatic = 42,
  kEditTrackSwing = 43,
  kEditEuclid = 44,
  kEditChokeGroup = 45,
  kEditZoneLayout = 46,
  kEditZoneSlot = 47,
  kEditZoneVelMax = 48,
  kEditVelocityDest = 49,
  kEditKindCount = 50,
};

// Step sub-field codes of kEditStepField.
enum StepField : std::uint8_t {
  kStepVelocity = 0,
  kStepNote = 1,
  kStepLengthTicks = 2,
  kStepMicro = 3,
  kStepSlide = 4,
  kStepRetrigCount = 5,
  kStepRateTicks = 6,
  kStepVelCurve = 7,
  kStepMuted = 8,
  kStepRandVel = 9,
  kStepRandTime = 10,
  kStepRandPan = 11,
  kStepPanLocked = 12,
  kStepPanValue = 13,
};

// Applies one command to the project's single pattern.
void applyEditCommand(Project& project, const EditCommand& command);

// The pattern's steps are the user's own from now on: a kit load keeps
// them with the tempo and swing. Every command that changes steps marks
// it; whoever writes steps without a command (paste, clear, fills) calls
// this as well.
void markGrooveEdited(Pattern& pattern);

struct TrackRemovalStatus {
  std::uint8_t status = 0;  // 0 removable, 1 no such track, 2 only track, 3 sound shared
  std::int32_t other = -1;  // status 3: lowest other track playing the sound
};
TrackRemovalStatus trackRemovalStatus(const Pattern& pattern, int track);

// Replaces the value of an existing lock, else appends while fewer than 8.
void setStepLock(Step& step, int param, float value);
// value > 0 sets or appends (while fewer than 8); value <= 0 removes.
void setParamListEntry(ParamLock* list, std::uint8_t& count, int param, float value);
// One step field by sub-field code; other codes do nothing.
void setStepField(Step& step, int subField, float value);

// Bjorklund's pattern of `hits` over `length` (1..16) steps, rotated to begin
// with its first hit; out[i] is 1 for a hit. Returns the number of entries.
int bjorklund(int length, int hits, std::uint8_t* out);
// Euclidean fill of the first min(length, 16) steps.
void euclidFill(Step* steps, int length, int hits, int rotation);

}  // namespace ob
