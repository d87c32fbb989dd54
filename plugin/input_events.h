#pragma once
// Reading a host's input events: bounds-checked access to the list and typed
// views of events that check the size the host gave before anything of the
// payload is read.
#include <cstdint>
#include <cstring>

#include "plugin/clap/abi.h"

namespace ob::clap {

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

// Little-endian field of an event payload at a byte offset the caller has
// checked against the event's size.
template <typename T>
T eventField(const clap_event_header_t* event, std::uint32_t offset) {
  T value;
  std::memcpy(&value, reinterpret_cast<const std::uint8_t*>(event) + offset, sizeof value);
  return value;
}

}  // namespace ob::clap
