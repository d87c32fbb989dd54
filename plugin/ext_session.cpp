// The timer callback, the session hello and the audition switch.
#include "plugin/extensions.h"
#include "plugin/no_throw.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {

void onTimer(const clap_plugin_t* p, clap_id timerId) {
  Plugin* self = Plugin::from(p);
  if (self == nullptr) return;
  guardedVoid("on_timer", [&] { self->onTimer(timerId); });
}

bool hello(const clap_plugin_t* p, const SessionHelloRecord* record) {
  Plugin* self = Plugin::from(p);
  if (self == nullptr) return false;
  return guarded("session hello", false, [&] { return self->receiveHello(record); });
}

void auditionSet(const clap_plugin_t* p, bool on) {
  if (Plugin* self = Plugin::from(p)) self->setAudition(on);
}

const clap_plugin_timer_support_t kTimer = {onTimer};
const PluginSession kSession = {hello};
const PluginAudition kAudition = {auditionSet};

}  // namespace

const clap_plugin_timer_support_t* timerExtension() { return &kTimer; }
const PluginSession* sessionExtension() { return &kSession; }
const PluginAudition* auditionExtension() { return &kAudition; }

}  // namespace ob::clap
