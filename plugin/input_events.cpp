#include "plugin/input_events.h"

namespace ob::clap {

std::uint32_t inputEventCount(const clap_input_events_t* in) {
  if (in == nullptr || in->size == nullptr || in->get == nullptr) return 0;
  return in->size(in);
}

const clap_event_header_t* inputEvent(const clap_input_events_t* in, std::uint32_t index) {
  if (in == nullptr || in->get == nullptr) return nullptr;
  return in->get(in, index);
}

}  // namespace ob::clap
