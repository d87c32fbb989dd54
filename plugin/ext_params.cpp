// "clap.params": the four macros, their value text and the flush.
#include "plugin/ext_params.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/dsp/unit_range.h"
#include "engine/model/edit_command.h"
#include "engine/session/engine_host.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

uint32_t count(const clap_plugin_t*) { return kMacroParams; }

bool getInfo(const clap_plugin_t*, uint32_t index, clap_param_info_t* info) {
  return macroParamInfo(index, info);
}

bool getValue(const clap_plugin_t* p, clap_id id, double* value) {
  Plugin* self = Plugin::from(p);
  const int n = macroIndexForParamId(id);
  if (self == nullptr || n < 0 || value == nullptr) return false;
  *value = static_cast<double>(std::atomic_ref<float>(self->macroCurrent[n]).load(std::memory_order_relaxed));
  return true;
}

bool valueToText(const clap_plugin_t*, clap_id id, double value, char* text, uint32_t capacity) {
  if (macroIndexForParamId(id) < 0) return false;
  return formatMacroText(value, text, capacity);
}

bool textToValue(const clap_plugin_t*, clap_id id, const char* text, double* value) {
  if (macroIndexForParamId(id) < 0 || value == nullptr) return false;
  double v = 0.0;
  if (!parseMacroText(text, v)) return false;
  *value = v;
  return true;
}

// No guard: on the audio thread nothing here allocates or throws.
void flush(const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t*) {
  if (Plugin* self = Plugin::from(p)) self->flushParams(in);
}

const clap_plugin_params_t kParams = {count, getInfo, getValue, valueToText, textToValue, flush};

}  // namespace

clap_id macroParamId(std::uint32_t n) {
  const char name[6] = {'m', 'a', 'c', 'r', 'o', static_cast<char>('1' + n)};
  std::uint32_t h = 0;
  for (char c : name)
    h = h * 31u + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
  return h;
}

int macroIndexForParamId(clap_id id) {
  for (std::uint32_t n = 0; n < kMacroParams; ++n)
    if (macroParamId(n) == id) return static_cast<int>(n);
  return -1;
}

bool macroParamInfo(std::uint32_t n, clap_param_info_t* info) {
  if (n >= kMacroParams || info == nullptr) return false;
  std::memset(info, 0, sizeof *info);
  info->id = macroParamId(n);
  info->flags = CLAP_PARAM_IS_AUTOMATABLE;
  info->cookie = nullptr;
  std::snprintf(info->name, sizeof info->name, "Macro %u", n + 1);
  std::snprintf(info->module, sizeof info->module, "%s", "Macros");
  info->min_value = 0.0;
  info->max_value = 1.0;
  info->default_value = 0.0;
  return true;
}

bool formatMacroText(double value, char* text, std::uint32_t capacity) {
  if (text == nullptr || capacity == 0) return false;
  const int n = std::snprintf(text, capacity, "%.0f %%", value * 100.0);
  // A cut text would name another value.
  if (n < 0 || static_cast<std::uint32_t>(n) >= capacity) {
    text[0] = '\0';
    return false;
  }
  return true;
}

bool parseMacroText(const char* text, double& value) {
  if (text == nullptr) return false;
  const char* s = text;
  while (isBlank(*s)) ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') {
    negative = *s == '-';
    ++s;
  }
  // Only a digit or a point before a digit starts a number: no "inf", no "nan".
  if (!(isDigit(*s) || (*s == '.' && isDigit(s[1])))) return false;
  const char* end = s + std::strlen(s);
  double magnitude = 0.0;
  const auto [stop, ec] = std::from_chars(s, end, magnitude, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: decided by the exponent's sign.
    const char* e = s;
    while (e < stop && *e != 'e' && *e != 'E') ++e;
    const bool tiny = e + 1 < stop && e[1] == '-';
    magnitude = tiny ? 0.0 : 1e300;
  } else if (ec != std::errc()) {
    return false;
  }
  const double percent = negative ? -magnitude : magnitude;
  value = clamp01(percent / 100.0);
  return true;
}

const clap_plugin_params_t* paramsExtension() { return &kParams; }

void Plugin::flushParams(const clap_input_events_t* in) {
  if (in == nullptr || in->size == nullptr || in->get == nullptr) return;
  const std::uint32_t n = in->size(in);
  for (std::uint32_t i = 0; i < n; ++i) {
    const clap_event_header_t* h = in->get(in, i);
    if (h == nullptr || h->space_id != CLAP_CORE_EVENT_SPACE_ID || h->type != CLAP_EVENT_PARAM_VALUE ||
        h->size < sizeof(clap_event_param_value_t))
      continue;
    const auto* ev = reinterpret_cast<const clap_event_param_value_t*>(h);
    const int macro = macroIndexForParamId(ev->param_id);
    // A value that is no number would poison the project and the sound.
    if (macro < 0 || !std::isfinite(ev->value)) continue;
    const float v = static_cast<float>(clamp01(ev->value));
    std::atomic_ref<float>(macroCurrent[macro]).store(v, std::memory_order_relaxed);
    if (!engineHost) continue;
    if (active) {
      // Audio thread: the flush's own ring, never the editor's.
      EditCommand command{};
      command.kind = kEditMacroValue;
      command.param = macro;
      command.value = v;
      engineHost->engine.postHostCommand(command);
    } else {
      // Main thread with no block to come before activate, which copies the
      // editor-side project into the engine: the value goes there at once,
      // and nothing is left queued to overrule a later state load.
      engineHost->project.patterns[0].kit.macros[macro].value = v;
      macroSeen[macro] = v;
      macroSent[macro] = v;
    }
  }
}

}  // namespace ob::clap
