#pragma once
// Plain records through which host notes, timed host events and the host
// transport reach the engine, and through which the engine's note ends and
// control signals go back. All fixed size, filled and read on the audio
// thread.

#include <cstdint>
#include <type_traits>

#include "engine/model/edit_command.h"

namespace ob {
namespace clap {

// The host note a hit answers. Id and key both negative: none.
struct NoteRef {
    std::int32_t noteId = -1;
    std::int16_t key = -1;
    std::int16_t channel = -1;

    bool isNone() const { return noteId < 0 && key < 0; }
    void clear() { noteId = -1; key = -1; channel = -1; }
};

struct NoteEnd {
    std::int32_t time = 0;  // sample in the block
    NoteRef note;
};

static_assert(sizeof(NoteRef) == 8);

}  // namespace clap

struct ParamValue {
    std::uint16_t param = 0;  // combined parameter index
    float value = 0.0f;       // value, offset or depth by list
};

// One host hit, queued into the engine's trigger list before the block.
struct Trigger {
    std::int8_t track = -1;         // 0..7; negative = none
    std::uint8_t sound = 255;       // 0..7 overrides the track's sound
    std::uint8_t note = 60;
    std::uint8_t absoluteCount = 0;
    ParamValue absolute[8];         // absolute parameter values
    std::int32_t time = 0;          // sample in the block
    float velocity = 0.0f;          // 0..1
    float noteOffset = 0.0f;        // added to the note
    std::uint8_t relativeCount = 0;
    ParamValue relative[8];         // parameter offsets
    std::uint8_t hasPan = 0;
    float pan = 0.0f;
    std::uint8_t hasHash = 0;
    std::uint64_t hash = 0;
    std::uint8_t hasRoundRobin = 0;
    std::uint64_t roundRobin = 0;
    float panRandom = 0.0f;
    std::uint8_t randomCount = 0;
    ParamValue randoms[8];          // value = random depth
    std::uint8_t hasGlide = 0;
    std::int32_t glideSamples = 0;
    std::uint8_t glideAbsoluteCount = 0;
    std::uint8_t glideRelativeCount = 0;
    ParamValue glideAbsolute[8];
    ParamValue glideRelative[8];
    clap::NoteRef noteRef;
};

// A timed edit: kind 1 (sound parameter) or kind 8 (macro value).
struct BlockEvent {
    EditCommand command;
    std::int32_t time = 0;
};

struct ControlSignal {
    std::int32_t time = 0;
    std::int8_t track = 0;
    float value = 0.0f;
};

// What the plug-in tells the engine about the transport for each block.
struct RenderInfo {
    std::uint8_t playing = 0;       // host transport or internal play runs
    std::uint8_t clockRunning = 0;
    std::uint8_t internalPlay = 0;
    double tempo = 0.0;             // BPM; 0 or less: the pattern's tempo
    std::uint8_t hasBeats = 0;
    double beats = 0.0;             // host song position in quarter notes
    std::uint8_t hasPosition = 0;
    std::int64_t position = 0;      // host sample position
};

static_assert(std::is_trivially_copyable_v<Trigger>);
static_assert(std::is_trivially_copyable_v<BlockEvent>);
static_assert(std::is_trivially_copyable_v<ControlSignal>);
static_assert(std::is_trivially_copyable_v<RenderInfo>);

}  // namespace ob
