#pragma once
// A host made of plain counters for driving instances in the parameter and
// state tests and the session fuzz target, and memory streams that can hand
// over few bytes per call or fail on purpose.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "engine/session/engine_host.h"
#include "plugin/clap/abi.h"
#include "plugin/clap/own_extensions.h"
#include "plugin/descriptor.h"
#include "plugin/plugin.h"

namespace statetest {

struct FakeHost {
  bool withParams = true;
  bool withVoices = true;
  bool withLog = true;
  int rescans = 0;
  std::uint32_t rescanFlags = 0;
  int voicesChanged = 0;
  std::vector<std::pair<int, std::string>> logLines;

  FakeHost() {
    host.clap_version = CLAP_VERSION;
    host.host_data = this;
    host.name = "state test host";
    host.vendor = "tests";
    host.url = "";
    host.version = "1";
    host.get_extension = &FakeHost::extension;
    host.request_restart = [](const clap_host_t*) {};
    host.request_process = [](const clap_host_t*) {};
    host.request_callback = [](const clap_host_t*) {};
    params.rescan = [](const clap_host_t* h, std::uint32_t flags) {
      FakeHost* self = from(h);
      ++self->rescans;
      self->rescanFlags = flags;
    };
    params.clear = [](const clap_host_t*, clap_id, std::uint32_t) {};
    params.request_flush = [](const clap_host_t*) {};
    voices.changed = [](const clap_host_t* h) { ++from(h)->voicesChanged; };
    log.log = [](const clap_host_t* h, clap_log_severity s, const char* msg) {
      from(h)->logLines.emplace_back(static_cast<int>(s), msg != nullptr ? msg : "");
    };
  }
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  const clap_host_t* clapHost() const { return &host; }

  clap_host_t host{};
  clap_host_params_t params{};
  ob::clap::HostVoices voices{};
  clap_host_log_t log{};

 private:
  static FakeHost* from(const clap_host_t* h) { return static_cast<FakeHost*>(h->host_data); }
  static const void* extension(const clap_host_t* h, const char* id) {
    FakeHost* self = from(h);
    if (self->withParams && std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &self->params;
    if (self->withVoices && std::strcmp(id, ob::clap::kExtVoices) == 0) return &self->voices;
    if (self->withLog && std::strcmp(id, CLAP_EXT_LOG) == 0) return &self->log;
    return nullptr;
  }
};

// An instance made by the factory, initialised, destroyed through its callback.
struct Instance {
  explicit Instance(FakeHost& host) {
    const clap_plugin_factory_t* f = ob::clap::pluginFactory();
    clap = f->create_plugin(f, host.clapHost(), ob::clap::kPluginId);
    self = ob::clap::Plugin::from(clap);
    initialised = clap != nullptr && clap->init(clap);
  }
  ~Instance() {
    if (clap != nullptr) clap->destroy(clap);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  template <typename T>
  const T* extension(const char* id) const {
    return static_cast<const T*>(clap->get_extension(clap, id));
  }
  orbi::EngineHost& engineHost() { return *self->engineHost; }
  ob::Project& project() { return self->engineHost->project; }
  bool activate(double rate = 48000.0, std::uint32_t maxFrames = 256) {
    return clap->activate(clap, rate, 1, maxFrames);
  }
  void deactivate() { clap->deactivate(clap); }
  void pass() { clap->on_main_thread(clap); }

  const clap_plugin_t* clap = nullptr;
  ob::clap::Plugin* self = nullptr;
  bool initialised = false;
};

// Events handed to process or flush.
struct EventList {
  std::vector<std::vector<std::uint8_t>> events;
  clap_input_events_t list{this, &EventList::sizeOf, &EventList::getAt};

  template <typename E>
  void add(const E& e) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&e);
    events.emplace_back(p, p + sizeof e);
  }

 private:
  static std::uint32_t sizeOf(const clap_input_events_t* l) {
    return static_cast<std::uint32_t>(static_cast<const EventList*>(l->ctx)->events.size());
  }
  static const clap_event_header_t* getAt(const clap_input_events_t* l, std::uint32_t i) {
    const auto* self = static_cast<const EventList*>(l->ctx);
    if (i >= self->events.size()) return nullptr;
    return reinterpret_cast<const clap_event_header_t*>(self->events[i].data());
  }
};

inline clap_event_param_value_t paramValue(clap_id id, double value) {
  clap_event_param_value_t e{};
  e.header.size = sizeof e;
  e.header.space_id = CLAP_CORE_EVENT_SPACE_ID;
  e.header.type = CLAP_EVENT_PARAM_VALUE;
  e.param_id = id;
  e.note_id = -1;
  e.port_index = -1;
  e.channel = -1;
  e.key = -1;
  e.value = value;
  return e;
}

// One block with no outputs and no events.
inline void runBlock(Instance& inst, std::uint32_t frames = 64) {
  EventList none;
  clap_output_events_t out{nullptr,
                           [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};
  clap_process_t pr{};
  pr.frames_count = frames;
  pr.steady_time = -1;
  pr.in_events = &none.list;
  pr.out_events = &out;
  inst.clap->process(inst.clap, &pr);
}

// Each output port's audio over `blocks` blocks of `frames` (the main
// port, then a track's each), left and right interleaved; `first`, when
// given, are the first block's events.
inline std::vector<std::vector<float>> renderPorts(Instance& inst, int blocks, std::uint32_t frames = 256,
                                                   const EventList* first = nullptr, int ports = 1) {
  std::vector<std::vector<float>> channels(static_cast<std::size_t>(ports) * 2, std::vector<float>(frames));
  std::vector<float*> data;
  for (std::vector<float>& c : channels) data.push_back(c.data());
  std::vector<clap_audio_buffer_t> buffers(static_cast<std::size_t>(ports));
  for (std::size_t p = 0; p < buffers.size(); ++p) {
    buffers[p].data32 = data.data() + 2 * p;
    buffers[p].channel_count = 2;
  }
  std::vector<std::vector<float>> out(buffers.size());
  EventList none;
  clap_output_events_t events{nullptr,
                              [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};
  for (int b = 0; b < blocks; ++b) {
    clap_process_t pr{};
    pr.frames_count = frames;
    pr.steady_time = -1;
    pr.audio_outputs = buffers.data();
    pr.audio_outputs_count = static_cast<std::uint32_t>(buffers.size());
    pr.in_events = b == 0 && first != nullptr ? &first->list : &none.list;
    pr.out_events = &events;
    inst.clap->process(inst.clap, &pr);
    for (std::size_t p = 0; p < out.size(); ++p)
      for (std::uint32_t i = 0; i < frames; ++i) {
        out[p].push_back(channels[2 * p][i]);
        out[p].push_back(channels[2 * p + 1][i]);
      }
  }
  return out;
}

// The main output alone.
inline std::vector<float> renderMain(Instance& inst, int blocks, std::uint32_t frames = 256,
                                     const EventList* first = nullptr) {
  return std::move(renderPorts(inst, blocks, frames, first).front());
}

// Output stream into memory. maxPerCall caps what one call takes; reply,
// when set, is returned instead (0 or negative: a failing host).
struct OutStream {
  std::vector<std::uint8_t> bytes;
  std::size_t maxPerCall = std::numeric_limits<std::size_t>::max();
  bool forceReply = false;
  std::int64_t reply = 0;
  int calls = 0;
  clap_ostream_t stream{this, &OutStream::write};

 private:
  static std::int64_t write(const clap_ostream_t* s, const void* buffer, std::uint64_t size) {
    auto* self = static_cast<OutStream*>(s->ctx);
    ++self->calls;
    if (self->forceReply) return self->reply;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, self->maxPerCall));
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    self->bytes.insert(self->bytes.end(), p, p + n);
    return static_cast<std::int64_t>(n);
  }
};

// Input stream from memory. failAt: once this many bytes were delivered the
// next read returns -1. overclaim: reads report one byte more than asked.
struct InStream {
  explicit InStream(std::vector<std::uint8_t> b) : bytes(std::move(b)) {}
  std::vector<std::uint8_t> bytes;
  std::size_t at = 0;
  std::size_t maxPerCall = std::numeric_limits<std::size_t>::max();
  std::size_t failAt = std::numeric_limits<std::size_t>::max();
  bool overclaim = false;
  int calls = 0;
  clap_istream_t stream{this, &InStream::read};

 private:
  static std::int64_t read(const clap_istream_t* s, void* buffer, std::uint64_t size) {
    auto* self = static_cast<InStream*>(s->ctx);
    ++self->calls;
    if (self->at >= self->failAt) return -1;
    if (self->overclaim) return static_cast<std::int64_t>(size) + 1;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(
        {size, self->maxPerCall, self->bytes.size() - self->at, self->failAt - self->at}));
    if (n > 0) std::memcpy(buffer, self->bytes.data() + self->at, n);
    self->at += n;
    return static_cast<std::int64_t>(n);
  }
};

// A stream that never ends: head, then fill bytes for as long as it is
// read, counting what it gave, so a test sees how far a reader went
// without holding the bytes itself.
struct EndlessStream {
  EndlessStream(std::string h, char f) : head(std::move(h)), fill(f) {}
  std::string head;
  char fill;
  std::uint64_t given = 0;
  clap_istream_t stream{this, &EndlessStream::read};

 private:
  static std::int64_t read(const clap_istream_t* s, void* buffer, std::uint64_t size) {
    auto* self = static_cast<EndlessStream*>(s->ctx);
    auto* out = static_cast<char*>(buffer);
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, 1u << 20));
    std::memset(out, self->fill, n);
    for (std::uint64_t at = self->given; at < self->head.size() && at < self->given + n; ++at)
      out[at - self->given] = self->head[static_cast<std::size_t>(at)];
    self->given += n;
    return static_cast<std::int64_t>(n);
  }
};

inline std::vector<std::uint8_t> saveChunk(Instance& inst, bool* ok = nullptr) {
  const auto* state = inst.extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  OutStream out;
  const bool saved = state != nullptr && state->save(inst.clap, &out.stream);
  if (ok != nullptr) *ok = saved;
  return saved ? out.bytes : std::vector<std::uint8_t>{};
}

inline bool loadChunk(Instance& inst, const std::vector<std::uint8_t>& bytes,
                      std::size_t maxPerCall = std::numeric_limits<std::size_t>::max()) {
  const auto* state = inst.extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  InStream in(bytes);
  in.maxPerCall = maxPerCall;
  return state != nullptr && state->load(inst.clap, &in.stream);
}

inline bool sameProject(const ob::Project& a, const ob::Project& b) {
  return std::memcmp(&a, &b, sizeof(ob::Project)) == 0;
}

}  // namespace statetest
