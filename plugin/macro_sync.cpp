// The main-thread pass's macro step: the host's view of the macros and the
// editor-side project are brought together, the project's own moves winning.
#include <atomic>
#include <cmath>

#include "engine/session/engine_host.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {
// Two NaNs count as equal so a NaN never asks for a rescan on every pass.
bool same(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }
}  // namespace

void Plugin::takeProjectMacros() {
  const Macro* macros = engineHost->project.patterns[0].kit.macros;
  for (int i = 0; i < kMacroCount; ++i) {
    const float v = macros[i].value;
    std::atomic_ref<float>(macroCurrent[i]).store(v, std::memory_order_relaxed);
    macroSeen[i] = v;
    macroSent[i] = v;
  }
}

bool Plugin::syncMacros() {
  if (!engineHost) return false;
  Macro* macros = engineHost->project.patterns[0].kit.macros;
  bool changed = false;
  for (int i = 0; i < kMacroCount; ++i) {
    std::atomic_ref<float> current(macroCurrent[i]);
    float& p = macros[i].value;
    const float fromHost = current.load(std::memory_order_relaxed);
    if (!same(p, macroSeen[i])) {
      // Moved by an edit, an undo, a kit or a load: the host follows.
      current.store(p, std::memory_order_relaxed);
      changed = true;
    } else if (!same(fromHost, macroSent[i])) {
      if (std::isfinite(fromHost)) {
        p = fromHost;  // moved by the host
      } else {
        // No number: never copied into the project; the host is shown the
        // project's value instead.
        current.store(p, std::memory_order_relaxed);
        changed = true;
      }
    }
    macroSeen[i] = p;
    macroSent[i] = p;
  }
  if (changed && hostParams != nullptr && hostParams->rescan != nullptr)
    hostParams->rescan(host, CLAP_PARAM_RESCAN_VALUES);
  return changed;
}

}  // namespace ob::clap
