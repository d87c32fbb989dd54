#pragma once
// A small host for the process tests: an instance made by the factory,
// an event registry, nine stereo outputs (or fewer, or odd ones), an input
// list and an output queue that store without allocating once reserved.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/session/engine_host.h"
#include "plugin/clap/abi.h"
#include "plugin/descriptor.h"
#include "plugin/extensions.h"
#include "plugin/own_events.h"
#include "plugin/plugin.h"

namespace ob::test {

inline constexpr std::uint16_t kSpace = 0x4f42;

// One event copied whole, header first.
struct OutRecord {
  clap_event_header_t header;
  std::uint8_t payload[64];

  template <typename T>
  const T& as() const {
    return *reinterpret_cast<const T*>(&header);
  }
};

class ProcessHarness {
 public:
  explicit ProcessHarness(bool registry = true) : registryOn_(registry) {
    std::memset(&host_, 0, sizeof host_);
    host_.clap_version = CLAP_VERSION;
    host_.host_data = this;
    host_.name = "process-test";
    host_.vendor = "test";
    host_.url = "";
    host_.version = "1";
    host_.get_extension = &ProcessHarness::getExtension;
    host_.request_restart = [](const clap_host_t*) {};
    host_.request_process = [](const clap_host_t*) {};
    host_.request_callback = [](const clap_host_t*) {};
    registry_.query = &ProcessHarness::query;
    const clap_plugin_factory_t* f = ob::clap::pluginFactory();
    clap = f->create_plugin(f, &host_, ob::clap::kPluginId);
    self = ob::clap::Plugin::from(clap);
    clap->init(clap);
    in_.reserve(4096);
    out.reserve(16384);
    inList_.ctx = this;
    inList_.size = [](const clap_input_events_t* l) {
      return static_cast<std::uint32_t>(static_cast<ProcessHarness*>(l->ctx)->in_.size());
    };
    inList_.get = [](const clap_input_events_t* l, std::uint32_t i) -> const clap_event_header_t* {
      auto& v = static_cast<ProcessHarness*>(l->ctx)->in_;
      return i < v.size() ? &v[i].header : nullptr;
    };
    outQueue_.ctx = this;
    outQueue_.try_push = [](const clap_output_events_t* q, const clap_event_header_t* e) {
      auto* h = static_cast<ProcessHarness*>(q->ctx);
      if (h->out.size() >= h->out.capacity()) return false;  // never grows inside process
      OutRecord r{};
      std::memcpy(&r, e, e->size < sizeof r ? e->size : sizeof r);
      h->out.push_back(r);
      return true;
    };
    transport.header.size = sizeof transport;
    transport.header.type = CLAP_EVENT_TRANSPORT;
  }
  ~ProcessHarness() {
    if (clap != nullptr) clap->destroy(clap);
  }
  ProcessHarness(const ProcessHarness&) = delete;
  ProcessHarness& operator=(const ProcessHarness&) = delete;

  // Hello with the control-signal feature, before activate.
  void helloControlSignals() {
    static const char* const features[] = {ob::clap::kFeatureControlSignals};
    ob::clap::SessionHelloRecord r{};
    r.size = sizeof r;
    r.seed = 77;
    r.version = 1;
    r.features = features;
    r.featureCount = 1;
    ob::clap::sessionExtension()->hello(clap, &r);
  }

  bool activate(double rate, std::uint32_t maxFrames, std::uint32_t bufferFrames = 0) {
    frames_ = bufferFrames > 0 ? bufferFrames : (maxFrames > 0 ? maxFrames : 512);
    buffers.assign(kChannels, std::vector<float>(frames_, 0.0f));
    for (int i = 0; i < kChannels; ++i) pointers_[i] = buffers[i].data();
    setPorts(ob::clap::kOutputPorts, 2);
    return clap->activate(clap, rate, 0, maxFrames);
  }

  // n ports of `channels` channels each; port p uses buffers 2p and 2p + 1.
  void setPorts(std::uint32_t n, std::uint32_t channels) {
    ports = n;
    for (int p = 0; p < ob::clap::kOutputPorts; ++p) {
      outputs[p] = clap_audio_buffer_t{};
      outputs[p].data32 = pointers_ + 2 * p;
      outputs[p].channel_count = channels;
    }
  }

  template <typename T>
  void queue(const T& event) {
    OutRecord r{};
    std::memcpy(&r.header, &event, sizeof event < sizeof r ? sizeof event : sizeof r);
    in_.push_back(r);
  }

  // A raw own-space event of `size` bytes with fields written by the caller.
  OutRecord& own(std::uint16_t type, std::uint32_t size, std::uint32_t time) {
    OutRecord r{};
    r.header.size = size;
    r.header.time = time;
    r.header.space_id = kSpace;
    r.header.type = type;
    in_.push_back(r);
    return in_.back();
  }

  clap_process_status process(std::uint32_t frames, bool keepOut = false) {
    if (fillGarbage)
      for (auto& b : buffers) std::fill(b.begin(), b.end(), 123.0f);  // the plug-in must overwrite it
    if (!keepOut) out.clear();
    clap_process_t pr{};
    pr.frames_count = frames;
    pr.transport = withTransport ? &transport : nullptr;
    pr.audio_outputs = ports > 0 ? outputs : nullptr;
    pr.audio_outputs_count = ports;
    pr.in_events = &inList_;
    pr.out_events = withOutQueue ? &outQueue_ : nullptr;
    const clap_process_status s = clap->process(clap, &pr);
    in_.clear();
    return s;
  }

  const clap_plugin_t* clap = nullptr;
  ob::clap::Plugin* self = nullptr;
  std::vector<std::vector<float>> buffers;
  clap_audio_buffer_t outputs[ob::clap::kOutputPorts] = {};
  std::uint32_t ports = ob::clap::kOutputPorts;
  clap_event_transport_t transport{};
  bool withTransport = false;
  bool withOutQueue = true;
  bool fillGarbage = true;
  std::vector<OutRecord> out;

 private:
  static const void* getExtension(const clap_host_t* h, const char* id) {
    auto* self = static_cast<ProcessHarness*>(h->host_data);
    if (self->registryOn_ && std::strcmp(id, CLAP_EXT_EVENT_REGISTRY) == 0) return &self->registry_;
    return nullptr;
  }
  static bool query(const clap_host_t*, const char* name, std::uint16_t* id) {
    if (std::strcmp(name, ob::clap::kEventSpaceName) != 0) return false;
    *id = kSpace;
    return true;
  }

  bool registryOn_;
  clap_host_t host_;
  clap_host_event_registry_t registry_{};
  clap_input_events_t inList_{};
  clap_output_events_t outQueue_{};
  std::vector<OutRecord> in_;
  static constexpr int kChannels = 2 * ob::clap::kOutputPorts;
  float* pointers_[kChannels] = {};
  std::uint32_t frames_ = 0;
};

inline clap_event_note_t noteOn(std::uint32_t time, std::int16_t key, std::int32_t noteId = -1,
                                double velocity = 0.8, std::int16_t channel = 0) {
  clap_event_note_t e{};
  e.header.size = sizeof e;
  e.header.time = time;
  e.header.type = CLAP_EVENT_NOTE_ON;
  e.note_id = noteId;
  e.key = key;
  e.channel = channel;
  e.port_index = 0;
  e.velocity = velocity;
  return e;
}

inline clap_event_midi_t midiOn(std::uint32_t time, std::uint8_t key, std::uint8_t velocity,
                                std::uint8_t channel = 0) {
  clap_event_midi_t e{};
  e.header.size = sizeof e;
  e.header.time = time;
  e.header.type = CLAP_EVENT_MIDI;
  e.data[0] = static_cast<std::uint8_t>(0x90 | channel);
  e.data[1] = key;
  e.data[2] = velocity;
  return e;
}

template <typename T>
void put(OutRecord& r, std::uint32_t offset, T value) {
  std::memcpy(reinterpret_cast<std::uint8_t*>(&r) + offset, &value, sizeof value);
}

}  // namespace ob::test
