// The last state load's findings, readable by the host record by record.
#include "plugin/extensions.h"
#include "plugin/host_log.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {

uint32_t count(const clap_plugin_t* p) {
  const Plugin* self = Plugin::from(p);
  return self != nullptr ? static_cast<uint32_t>(self->diagnostics.size()) : 0;
}

bool get(const clap_plugin_t* p, uint32_t index, DiagnosticInfo* info) {
  const Plugin* self = Plugin::from(p);
  if (self == nullptr || index >= self->diagnostics.size()) return false;
  return toDiagnosticInfo(self->diagnostics[index], info);
}

const PluginDiagnostics kDiagnostics = {count, get};

}  // namespace

const PluginDiagnostics* diagnosticsExtension() { return &kDiagnostics; }

}  // namespace ob::clap
