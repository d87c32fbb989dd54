#pragma once
// Per-note data a host attaches to a note id before its note-on; lives for
// one block.
#include <cstdint>

namespace ob::clap {

struct NoteValue {
  std::uint32_t param = 0xFFFFFFFF;
  std::uint8_t offset = 0;  // 1: added to the sound's value, else replaces it
  double value = 0.0;
};

struct NoteRandom {
  std::uint32_t param = 0xFFFFFFFF;
  double amount = 0.0;
};

struct NoteData {
  static constexpr int kListCapacity = 16;

  std::int32_t noteId = -1;
  std::uint8_t hasSeed = 0;
  std::uint64_t seed = 0;
  std::uint8_t hasTarget = 0;
  std::uint32_t track = 0xFFFFFFFF;
  std::uint32_t sound = 0;
  double pitchOffset = 0.0;
  std::uint32_t valueCount = 0;
  NoteValue values[kListCapacity];
  double panSpread = 0.0;
  std::uint32_t randomCount = 0;
  NoteRandom randoms[kListCapacity];
  std::uint8_t hasSecond = 0;
  std::uint32_t secondReservedA = 0xFFFFFFFF;
  std::int64_t secondDelay = 0;
  std::uint64_t secondReservedB = 0;
  std::uint32_t secondCount = 0;
  NoteValue secondValues[kListCapacity];
  std::uint8_t hasLayer = 0;
  std::uint64_t layer = 0;
};

struct NoteSlot {
  std::uint8_t used = 0;
  NoteData data;
};

}  // namespace ob::clap
