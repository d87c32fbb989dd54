#pragma once
// Plain records through which host notes, timed host events and the host
// transport reach the engine, and through which the engine's note ends and
// control signals go back. All fixed size, filled and read on the audio
// thread.

#include <cstdint>
#include <type_traits>

#include "engine/model/edit_command.h"

namespace ob {

// The host note a hit answers, as the plug-in gave it. Id and key both
// negative: none.
struct NoteRef {
  std::int32_t noteId = -1;
  std::int16_t key = -1;
  std::int16_t channel = -1;

  bool isNone() const { return noteId < 0 && key < 0; }
  void clear() {
    noteId = -1;
    key = -1;
    channel = -1;
  }
};

// A host note whose hit has ended, reported back after the block.
struct NoteEnd {
  std::int32_t time = 0;  // sample offset in the block
  NoteRef noteRef;
};

static_assert(sizeof(NoteRef) == 8);

// {parameter index, value} entry of a trigger's value and offset lists.
struct TriggerValue {
  std::uint16_t param = 0xFFFF;  // combined parameter index; 0xFFFF = none
  float value = 0.0f;
};

// {parameter index, amount} entry of a trigger's random list.
struct TriggerRandom {
  std::uint8_t param = 255;
  float amount = 0.0f;
};

// One hit request built from a note-on, queued into the engine's trigger
// list (64 a block) before the block is processed.
struct Trigger {
  std::uint8_t track = 0;    // 0..7; 255 = none
  std::uint8_t sound = 255;  // kit sound 0..7; 255 = the track's own
  std::uint8_t note = 60;
  std::uint8_t absoluteCount = 0;
  std::uint32_t time = 0;                // sample offset of the note-on in the block
  float gain = 1.0f;                     // velocity 0..1
  TriggerValue absolute[kListCapacity];  // values set for this hit
  float pitchOffset = 0.0f;              // added to the note
  std::uint8_t offsetCount = 0;
  TriggerValue offsets[kListCapacity];  // values added for this hit
  std::uint8_t hasPan = 0;
  float pan = 0.0f;  // -1..1
  std::uint8_t hasSeed = 0;
  std::uint64_t seed = 0;  // replaces the engine's own hit hash
  std::uint8_t hasLayer = 0;
  std::uint64_t layer = 0;  // round-robin choice for zoned sounds
  float panSpread = 0.0f;   // random pan amount
  std::uint8_t randomCount = 0;
  TriggerRandom randoms[kListCapacity];
  std::uint8_t hasSecond = 0;     // a second part (glide) follows
  std::uint32_t secondDelay = 0;  // samples until it is reached
  std::uint8_t secondAbsoluteCount = 0;
  std::uint8_t secondOffsetCount = 0;
  TriggerValue secondAbsolute[kListCapacity];
  TriggerValue secondOffsets[kListCapacity];
  NoteRef noteRef;
};

// A timed edit: kind 1 (sound parameter) or kind 8 (macro value).
struct BlockEvent {
  EditCommand command;
  std::int32_t time = 0;
};

// A per-track level the engine emits while control-signal output is on.
struct ControlSignal {
  std::uint32_t time = 0;  // sample offset in the block
  std::uint8_t track = 0;  // signal index = the track 0..7
  float value = 0.0f;      // 0..1
};

// What the plug-in tells the engine about the transport for each block.
struct RenderInfo {
  std::uint8_t playing = 0;  // host transport or internal play runs
  std::uint8_t clockRunning = 0;
  std::uint8_t internalPlay = 0;
  double tempo = 0.0;  // BPM; 0 or less: the pattern's tempo
  std::uint8_t hasBeats = 0;
  double beats = 0.0;  // host song position in quarter notes
  std::uint8_t hasPosition = 0;
  std::int64_t position = 0;  // host sample position
};

static_assert(std::is_trivially_copyable_v<Trigger>);
static_assert(std::is_trivially_copyable_v<BlockEvent>);
static_assert(std::is_trivially_copyable_v<ControlSignal>);
static_assert(std::is_trivially_copyable_v<RenderInfo>);

}  // namespace ob
