#pragma once
// Reading a host's input events: bounds-checked access to the list, typed
// views of core events that check the size the host gave before anything of
// the payload is read, and the macro parameter ids.
#include <cstdint>
#include <cstring>

#include "plugin/clap/abi.h"

namespace ob::clap {

inline constexpr int kMacroCount = 4;

// The macro's host parameter id: a 31-multiplier string hash of "macro1"
// .. "macro4", so the ids stay the same in every saved host project.
std::uint32_t macroParamId(int index);
// The macro index 0..3 for a parameter id, else -1.
int macroIndexForParamId(clap_id id);

// Events of a host list; a null list or null callbacks hold none.
std::uint32_t inputEventCount(const clap_input_events_t* in);
// Null for an index past the end or when the host returns none.
const clap_event_header_t* inputEvent(const clap_input_events_t* in, std::uint32_t index);

// The event as a core event of the given type when it is one and the host
// made it at least as large as that record; else null.
template <typename T>
const T* coreEvent(const clap_event_header_t* event, std::uint16_t type) {
  if (event == nullptr || event->space_id != CLAP_CORE_EVENT_SPACE_ID || event->type != type ||
      event->size < sizeof(T))
    return nullptr;
  return reinterpret_cast<const T*>(event);
}

// A host parameter value aimed at one of the macros.
struct MacroValue {
  int index = -1;        // 0..3
  double value = 0.0;    // as the host sent it, not clamped
  std::int32_t noteId = -1;
  std::uint32_t time = 0;
};
// True for a core PARAM_VALUE event whose parameter is a macro.
bool readMacroValue(const clap_event_header_t* event, MacroValue& out);

// Little-endian field of an event payload at a byte offset the caller has
// checked against the event's size.
template <typename T>
T eventField(const clap_event_header_t* event, std::uint32_t offset) {
  T value;
  std::memcpy(&value, reinterpret_cast<const std::uint8_t*>(event) + offset, sizeof value);
  return value;
}

}  // namespace ob::clap
