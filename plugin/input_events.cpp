#include "plugin/input_events.h"

namespace ob::clap {

std::uint32_t macroParamId(int index) {
  const char name[6] = {'m', 'a', 'c', 'r', 'o', static_cast<char>('1' + index)};
  std::uint32_t h = 0;
  for (char c : name)
    h = h * 31u + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
  return h;
}

int macroIndexForParamId(clap_id id) {
  for (int i = 0; i < kMacroCount; ++i)
    if (macroParamId(i) == id) return i;
  return -1;
}

std::uint32_t inputEventCount(const clap_input_events_t* in) {
  if (in == nullptr || in->size == nullptr || in->get == nullptr) return 0;
  return in->size(in);
}

const clap_event_header_t* inputEvent(const clap_input_events_t* in, std::uint32_t index) {
  if (in == nullptr || in->get == nullptr) return nullptr;
  return in->get(in, index);
}

bool readMacroValue(const clap_event_header_t* event, MacroValue& out) {
  const auto* pv = coreEvent<clap_event_param_value_t>(event, CLAP_EVENT_PARAM_VALUE);
  if (pv == nullptr) return false;
  const int index = macroIndexForParamId(pv->param_id);
  if (index < 0) return false;
  out.index = index;
  out.value = pv->value;
  out.noteId = pv->note_id;
  out.time = pv->header.time;
  return true;
}

}  // namespace ob::clap
