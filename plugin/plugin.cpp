#include "plugin/plugin.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "content/factory/factory_content.h"
#include "content/factory/factory_preload.h"
#include "document/project/project_save.h"
#include "engine/engine/sample_rates.h"
#include "engine/model/demo_project.h"
#include "engine/session/engine_host.h"
#include "plugin/descriptor.h"
#include "plugin/ext_params.h"
#include "plugin/ext_state.h"
#include "plugin/extensions.h"
#include "plugin/host_log.h"

namespace ob::clap {

namespace {

// A rate as the host gave it: 7999.999 is not rounded to 8000, and a whole
// number prints without decimals, 200000 as such rather than as 2e+05.
std::string rateText(double rate) {
  const double size = std::fabs(rate);
  const std::chars_format format =
      rate == 0.0 || (size >= 1e-6 && size < 1e15) ? std::chars_format::fixed : std::chars_format::general;
  char text[64];
  const std::to_chars_result written = std::to_chars(text, text + sizeof text, rate, format);
  return written.ec == std::errc() ? std::string(text, written.ptr) : std::string("?");
}

std::uint32_t randomDraw(std::random_device& device) {
  try {
    return static_cast<std::uint32_t>(device());
  } catch (...) {
    return 0;  // an unusable device counts as a draw of 0
  }
}

std::uint64_t drawSessionSeed() {
  try {
    std::random_device device;
    const std::uint32_t first = randomDraw(device);
    const std::uint32_t second = randomDraw(device);
    return sessionSeedFrom(first, second);
  } catch (...) {
    return sessionSeedFrom(0, 0);
  }
}

template <typename T>
const T* hostExtension(const clap_host_t* host, const char* id) {
  if (host == nullptr || host->get_extension == nullptr) return nullptr;
  return static_cast<const T*>(host->get_extension(host, id));
}

}  // namespace

std::uint64_t sessionSeedFrom(std::uint32_t first, std::uint32_t second) {
  const std::uint64_t seed = (static_cast<std::uint64_t>(first) << 32) ^ second;
  return seed != 0 ? seed : 1;
}

std::uint16_t queryEventSpace(const clap_host_t* host) {
  const auto* registry = hostExtension<clap_host_event_registry_t>(host, CLAP_EXT_EVENT_REGISTRY);
  if (registry == nullptr || registry->query == nullptr) return kNoEventSpace;
  std::uint16_t id = kNoEventSpace;
  if (!registry->query(host, kEventSpaceName, &id)) return kNoEventSpace;
  return id;
}

Plugin::Plugin(const clap_host_t* h, EditorFactory factory) : host(h), editorFactory(factory) {
  std::memset(&plugin, 0, sizeof plugin);
  plugin.desc = pluginDescriptor();
  plugin.plugin_data = this;
  fillPluginCallbacks(plugin);
}

Plugin::~Plugin() = default;

bool Plugin::init() {
  // The engine host is built first so nothing below runs without it; a
  // failure leaves the instance without one and init reports false.
  useEmbeddedFactorySamples();
  std::unique_ptr<orbi::EngineHost> fresh = orbi::EngineHost::create();
  if (!fresh) return false;
  // A repeated init: nothing may keep pointing into the engine host it
  // replaces, and the earlier timer is given back.
  editor.reset();
  if (hostTimer != nullptr && hostTimer->unregister_timer != nullptr && timerId != CLAP_INVALID_ID)
    hostTimer->unregister_timer(host, timerId);
  timerId = CLAP_INVALID_ID;
  engineHost = std::move(fresh);
  orbi::EngineHost& eh = *engineHost;
  buildDemoProject(eh.project);
  eh.sessionSeed = drawSessionSeed();
  preloadFactorySamples(eh.project, eh.pool);
  // What plays is what a load of the instance's save plays: the seed that
  // save would give the demo, rather than none.
  eh.project.seed = seedASaveWrites(eh.project, eh.pool, keptDocument);
  eh.internalPlay.exchange(0, std::memory_order_acq_rel);
  takeProjectMacros();
  if (editorFactory != nullptr) {
    std::unique_ptr<PluginEditor> made = editorFactory(host, eh, keptDocument);
    editor = std::move(made);
  }
  eventSpace = queryEventSpace(host);
  hostParams = hostExtension<clap_host_params_t>(host, CLAP_EXT_PARAMS);
  hostVoices = hostExtension<HostVoices>(host, kExtVoices);
  hostTimer = hostExtension<clap_host_timer_support_t>(host, CLAP_EXT_TIMER_SUPPORT);
  hostAudioPorts = hostExtension<clap_host_audio_ports_t>(host, CLAP_EXT_AUDIO_PORTS);
  takePortNames();  // what the host's first scan will see
  if (hostTimer != nullptr && hostTimer->register_timer != nullptr) {
    clap_id id = CLAP_INVALID_ID;
    timerId = hostTimer->register_timer(host, kTimerPeriodMs, &id) ? id : CLAP_INVALID_ID;
  }
  return true;
}

bool Plugin::activate(double sampleRate, std::uint32_t /*minFrames*/, std::uint32_t maxFrames) {
  if (!engineHost) return false;
  // 0 is a host that names no rate: the engine's default. Any other rate the
  // engine cannot run is refused before anything changes.
  if (sampleRate != 0.0 && !runsAtSampleRate(sampleRate)) {
    char line[160];
    std::snprintf(line, sizeof line, "cannot run at a sample rate of %s Hz; the rate must be %g to %g Hz",
                  rateText(sampleRate).c_str(), kLowestSampleRate, kHighestSampleRate);
    logToHost(host, CLAP_LOG_ERROR, line);
    return false;
  }
  orbi::EngineHost& eh = *engineHost;
  // The engine and the scratch buffer agree on the largest block, 512 when
  // the host names none, so a stem never lands outside scratch.
  const int maxBlock =
      maxFrames == 0 ? 512 : static_cast<int>(std::min<std::uint32_t>(maxFrames, INT_MAX / kStemChannels));
  scratch.assign(static_cast<std::size_t>(kStemChannels) * static_cast<std::size_t>(maxBlock), 0.0f);
  eh.engine.prepare(sampleRate, maxBlock);
  eh.hostSampleRate = sampleRate > 0.0 ? sampleRate : 44100.0;
  transport.sampleRate = sampleRate;
  // No block runs now, so the publish never has to wait.
  eh.publishSamples();
  eh.engine.loadProject(eh.project);
  const bool auditionOn = audition.load(std::memory_order_acquire) != 0;
  eh.engine.setAuditionMode(auditionOn);
  if (hello.received) eh.engine.handOverSeed(hello.seed);
  eh.engine.enableControlSignals(sessionHasFeature(hello, kFeatureControlSignals) &&
                                 eventSpace != kNoEventSpace);
  active = 1;
  return true;
}

void Plugin::deactivate() {
  forgetHostTransport();
  active = 0;
  if (!engineHost) return;
  // A host may deactivate without stopping processing first.
  engineHost->engine.endVoices();
  engineHost->mainThreadPass();
}

void Plugin::stopProcessing() {
  forgetHostTransport();
  if (engineHost) engineHost->engine.endVoices();
}

void Plugin::reset() {
  if (engineHost) engineHost->engine.reset();
}

const void* Plugin::getExtension(const char* id) const {
  if (id == nullptr) return nullptr;
  if (editor) {
    if (const void* ext = editor->getExtension(id)) return ext;
  }
  const std::string_view name(id);
  if (name == CLAP_EXT_PARAMS) return paramsExtension();
  if (name == CLAP_EXT_STATE) return stateExtension();
  if (name == CLAP_EXT_AUDIO_PORTS) return audioPortsExtension();
  if (name == CLAP_EXT_NOTE_PORTS) return notePortsExtension();
  if (name == CLAP_EXT_TIMER_SUPPORT) return timerExtension();
  if (name == kExtSession) return sessionExtension();
  if (name == kExtAudition) return auditionExtension();
  if (name == kExtVoices) return voicesExtension();
  if (name == kExtDiagnostics) return diagnosticsExtension();
  return nullptr;
}

void Plugin::onMainThread() {
  if (!engineHost) return;
  engineHost->mainThreadPass();
  syncMacros();
  syncPortNames();
}

void Plugin::onTimer(clap_id id) {
  if (editor && editor->onTimer(id)) return;
  onMainThread();
}

bool Plugin::receiveHello(const SessionHelloRecord* record) {
  if (!storeSessionHello(hello, record, 1)) return false;
  if (engineHost) {
    engineHost->sessionSeed = hello.seed;
    // The host's seed plays from now on, and a save writes it.
    engineHost->project.seed = hello.seed;
    engineHost->engine.setAuditionMode(audition.load(std::memory_order_acquire) != 0);
    engineHost->engine.handOverSeed(hello.seed);
  }
  return true;
}

void Plugin::setAudition(bool on) {
  audition.exchange(on ? 1 : 0, std::memory_order_acq_rel);
  if (engineHost) engineHost->engine.setAuditionMode(on);
}

void Plugin::publishDiagnostics(const Diagnostics& list) {
  Diagnostics copy = list;
  diagnostics = std::move(copy);
  if (!sessionHasFeature(hello, kFeatureDiagnostics)) logDiagnosticsToHost(host, diagnostics);
}

}  // namespace ob::clap
