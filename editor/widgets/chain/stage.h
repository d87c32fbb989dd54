#pragma once
// The five stages of the voice chain every drum runs through, in chain
// order. The names are the tiles' titles and the add-stage popup's labels.

#include <cstdint>

namespace ob::chainstage {

enum class Stage : std::uint8_t { TRANSIENT, AMP, DRIVE, FILTER, ROOM };

inline constexpr int kStageCount = 5;

constexpr const char* stageName(Stage stage) {
  switch (stage) {
    case Stage::TRANSIENT: return "TRANSIENT";
    case Stage::AMP: return "AMP";
    case Stage::DRIVE: return "DRIVE";
    case Stage::FILTER: return "FILTER";
    case Stage::ROOM: return "ROOM";
  }
  return "";
}

}  // namespace ob::chainstage
