#pragma once
// Events of the plug-in's own event space "com.tessaline.events/1": the
// types a host may send, their smallest sizes and payload offsets, and the
// control-signal event the plug-in sends back.
#include <cstddef>
#include <cstdint>

#include "plugin/clap/abi.h"

namespace ob::clap {

struct TransportState;

enum OwnEventType : std::uint16_t {
  kOwnSeed = 0,
  kOwnPosition = 1,
  kOwnTarget = 100,
  kOwnControl = 101,
  kOwnValue = 200,
  kOwnPanSpread = 300,
  kOwnRandom = 301,
  kOwnSecond = 400,
  kOwnSecondValue = 401,
  kOwnLayer = 500,
  kOwnSignalOut = 701,
};

// Smallest size of each incoming type; a shorter event is ignored.
inline constexpr std::uint32_t kOwnPositionSize = 24;
inline constexpr std::uint32_t kOwnControlSize = 32;
inline constexpr std::uint32_t kOwnSeedSize = 32;
inline constexpr std::uint32_t kOwnTargetSize = 40;
inline constexpr std::uint32_t kOwnValueSize = 40;
inline constexpr std::uint32_t kOwnPanSpreadSize = 32;
inline constexpr std::uint32_t kOwnRandomSize = 32;
inline constexpr std::uint32_t kOwnSecondSize = 40;
inline constexpr std::uint32_t kOwnLayerSize = 32;

// Payload offsets from the start of the event.
inline constexpr std::uint32_t kOwnNoteIdAt = 16;  // every per-note type

// Type 701, a per-track level going out to the host.
struct ControlSignalEvent {
  clap_event_header_t header;  // size 32, type 701, the own space
  std::uint32_t reserved;      // 0
  std::int32_t signal;         // the track
  double value;                // 0..1
};
static_assert(offsetof(ControlSignalEvent, reserved) == 16);
static_assert(offsetof(ControlSignalEvent, signal) == 20);
static_assert(offsetof(ControlSignalEvent, value) == 24);
static_assert(sizeof(ControlSignalEvent) == 32);

// Type 1: the host's sample position at the event sets the block-start
// position. Ignored unless it is a type-1 event of the given space; consumed
// without effect when too short.
void applyPositionEvent(TransportState& transport, const clap_event_header_t* event,
                        std::uint16_t eventSpace);

}  // namespace ob::clap
