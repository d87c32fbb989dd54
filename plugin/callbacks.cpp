// The instance callbacks the host calls through clap_plugin_t. Each one
// finds its instance and keeps every exception on this side.
#include "engine/session/engine_host.h"
#include "plugin/descriptor.h"
#include "plugin/no_throw.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {

bool cbInit(const clap_plugin_t* p) {
  Plugin* self = Plugin::from(p);
  if (self == nullptr) return false;
  return guarded("init", false, [&] { return self->init(); });
}

void cbDestroy(const clap_plugin_t* p) {
  Plugin* self = Plugin::from(p);
  if (self == nullptr) return;
  guardedVoid("destroy", [&] {
    if (self->hostTimer != nullptr && self->hostTimer->unregister_timer != nullptr &&
        self->timerId != CLAP_INVALID_ID)
      self->hostTimer->unregister_timer(self->host, self->timerId);
    self->timerId = CLAP_INVALID_ID;
    // The editor may still point into the engine host: it goes first.
    self->editor.reset();
    self->engineHost.reset();
  });
  delete self;
}

bool cbActivate(const clap_plugin_t* p, double rate, uint32_t minFrames, uint32_t maxFrames) {
  Plugin* self = Plugin::from(p);
  if (self == nullptr) return false;
  return guarded("activate", false, [&] { return self->activate(rate, minFrames, maxFrames); });
}

void cbDeactivate(const clap_plugin_t* p) {
  Plugin* self = Plugin::from(p);
  if (self == nullptr) return;
  guardedVoid("deactivate", [&] { self->deactivate(); });
}

bool cbStartProcessing(const clap_plugin_t*) { return true; }

void cbStopProcessing(const clap_plugin_t* p) {
  if (Plugin* self = Plugin::from(p)) self->stopProcessing();
}

void cbReset(const clap_plugin_t* p) {
  if (Plugin* self = Plugin::from(p)) self->reset();
}

clap_process_status cbProcess(const clap_plugin_t* p, const clap_process_t* process) {
  Plugin* self = Plugin::from(p);
  if (self == nullptr || process == nullptr) return CLAP_PROCESS_CONTINUE;
  // Nothing in a block allocates; should anything throw regardless, the
  // block is given up quietly rather than crossing into the host.
  try {
    return self->process(process);
  } catch (...) {
    return CLAP_PROCESS_CONTINUE;
  }
}

const void* cbGetExtension(const clap_plugin_t* p, const char* id) {
  Plugin* self = Plugin::from(p);
  if (self == nullptr) return nullptr;
  return guarded("get_extension", static_cast<const void*>(nullptr), [&] { return self->getExtension(id); });
}

void cbOnMainThread(const clap_plugin_t* p) {
  Plugin* self = Plugin::from(p);
  if (self == nullptr) return;
  guardedVoid("on_main_thread", [&] { self->onMainThread(); });
}

}  // namespace

void fillPluginCallbacks(clap_plugin_t& plugin) {
  plugin.init = cbInit;
  plugin.destroy = cbDestroy;
  plugin.activate = cbActivate;
  plugin.deactivate = cbDeactivate;
  plugin.start_processing = cbStartProcessing;
  plugin.stop_processing = cbStopProcessing;
  plugin.reset = cbReset;
  plugin.process = cbProcess;
  plugin.get_extension = cbGetExtension;
  plugin.on_main_thread = cbOnMainThread;
}

}  // namespace ob::clap
