#include "tools/clap_host/test_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "document/reading/regular_file.h"
#include "plugin/ext_state.h"

namespace orbi::host {

// ---- library -----------------------------------------------------------------

std::unique_ptr<ClapLibrary> ClapLibrary::open(const std::string& path, std::string& error) {
  std::unique_ptr<ClapLibrary> lib(new ClapLibrary());
  lib->handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (lib->handle_ == nullptr) {
    const char* why = dlerror();
    error = std::string("cannot load ") + path + ": " + (why != nullptr ? why : "unknown error");
    return nullptr;
  }
  lib->entry_ = static_cast<const clap_plugin_entry_t*>(dlsym(lib->handle_, "clap_entry"));
  if (lib->entry_ == nullptr) {
    error = path + " has no clap_entry";
    return nullptr;
  }
  if (!clap_version_is_compatible(lib->entry_->clap_version)) {
    error = path + " was built for an incompatible CLAP version";
    return nullptr;
  }
  if (lib->entry_->init == nullptr || !lib->entry_->init(path.c_str())) {
    error = path + ": the entry's init failed";
    return nullptr;
  }
  lib->initialised_ = true;
  return lib;
}

ClapLibrary::~ClapLibrary() {
  if (initialised_ && entry_->deinit != nullptr) entry_->deinit();
  if (handle_ != nullptr) dlclose(handle_);
}

const clap_plugin_factory_t* ClapLibrary::factory() const {
  if (entry_ == nullptr || entry_->get_factory == nullptr) return nullptr;
  return static_cast<const clap_plugin_factory_t*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
}

// ---- host ----------------------------------------------------------------------

TestHost::TestHost(HostOptions options) : options_(options), nextTimerId_(options.firstTimerId) {
  std::memset(&host_, 0, sizeof host_);
  host_.clap_version = options_.version;
  host_.host_data = this;
  host_.name = "orbi-clap-host";
  host_.vendor = "Tarnex";
  host_.url = "";
  host_.version = "1.0";
  host_.get_extension = getExtension;
  host_.request_restart = requestRestart;
  host_.request_process = requestProcess;
  host_.request_callback = requestCallback;
  log_.log = log;
  timer_.register_timer = registerTimer;
  timer_.unregister_timer = unregisterTimer;
  posixFd_.register_fd = registerFd;
  posixFd_.modify_fd = modifyFd;
  posixFd_.unregister_fd = unregisterFd;
  registry_.query = querySpace;
  params_.rescan = rescan;
  params_.clear = clear;
  params_.request_flush = requestFlush;
  voices_.changed = voicesChangedCb;
  audioPorts_.is_rescan_flag_supported = audioPortFlagSupported;
  audioPorts_.rescan = audioPortsRescan;
  gui_.resize_hints_changed = guiHintsChanged;
  gui_.request_resize = guiRequestResize;
  gui_.request_show = guiRequestShow;
  gui_.request_hide = guiRequestHide;
  gui_.closed = guiClosed;
}

TestHost* TestHost::self(const clap_host_t* h) {
  return h != nullptr ? static_cast<TestHost*>(h->host_data) : nullptr;
}

const void* TestHost::getExtension(const clap_host_t* h, const char* id) {
  TestHost* t = self(h);
  if (t == nullptr || id == nullptr) return nullptr;
  const HostOptions& o = t->options_;
  if (o.log && std::strcmp(id, CLAP_EXT_LOG) == 0) return &t->log_;
  if (o.timerSupport && std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &t->timer_;
  if (o.posixFdSupport && std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0) return &t->posixFd_;
  if (o.eventRegistry && std::strcmp(id, CLAP_EXT_EVENT_REGISTRY) == 0) return &t->registry_;
  if (o.params && std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &t->params_;
  if (o.voices && std::strcmp(id, "com.tessaline.voices/1") == 0) return &t->voices_;
  if (o.audioPorts && std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &t->audioPorts_;
  if (o.gui && std::strcmp(id, CLAP_EXT_GUI) == 0) return &t->gui_;
  return nullptr;
}

void TestHost::requestRestart(const clap_host_t* h) {
  if (TestHost* t = self(h)) ++t->restartRequests;
}
void TestHost::requestProcess(const clap_host_t* h) {
  if (TestHost* t = self(h)) ++t->processRequests;
}
void TestHost::requestCallback(const clap_host_t* h) {
  if (TestHost* t = self(h)) {
    ++t->callbackRequests;
    t->callbackPending = true;
  }
}

void TestHost::log(const clap_host_t* h, clap_log_severity severity, const char* msg) {
  TestHost* t = self(h);
  if (t == nullptr) return;
  t->logLines.push_back({severity, msg != nullptr ? msg : ""});
  if (t->options_.echoLog) std::fprintf(stderr, "log[%d]: %s\n", severity, msg != nullptr ? msg : "");
}

bool TestHost::registerTimer(const clap_host_t* h, std::uint32_t periodMs, clap_id* id) {
  TestHost* t = self(h);
  if (t == nullptr || id == nullptr) return false;
  ++t->registerCalls;
  // CLAP lets a host raise periods it cannot serve; 0 would never advance.
  const std::uint32_t period = std::max<std::uint32_t>(periodMs, 1);
  *id = t->nextTimerId_++;
  t->timers.push_back({*id, period, t->clockMs + period});
  return true;
}

bool TestHost::unregisterTimer(const clap_host_t* h, clap_id id) {
  TestHost* t = self(h);
  if (t == nullptr) return false;
  auto it = std::find_if(t->timers.begin(), t->timers.end(),
                         [&](const HostTimer& timer) { return timer.id == id; });
  if (it == t->timers.end()) return false;
  t->timers.erase(it);
  t->unregistered.push_back(id);
  return true;
}

bool TestHost::registerFd(const clap_host_t* h, int fd, clap_posix_fd_flags_t flags) {
  TestHost* t = self(h);
  if (t == nullptr || fd < 0) return false;
  // One registration per descriptor, as CLAP asks.
  for (const HostFd& f : t->fds)
    if (f.fd == fd) return false;
  t->fds.push_back({fd, flags});
  return true;
}

bool TestHost::modifyFd(const clap_host_t* h, int fd, clap_posix_fd_flags_t flags) {
  TestHost* t = self(h);
  if (t == nullptr) return false;
  for (HostFd& f : t->fds)
    if (f.fd == fd) {
      f.flags = flags;
      return true;
    }
  return false;
}

bool TestHost::unregisterFd(const clap_host_t* h, int fd) {
  TestHost* t = self(h);
  if (t == nullptr) return false;
  auto it = std::find_if(t->fds.begin(), t->fds.end(), [&](const HostFd& f) { return f.fd == fd; });
  if (it == t->fds.end()) return false;
  t->fds.erase(it);
  t->unregisteredFds.push_back(fd);
  return true;
}

bool TestHost::querySpace(const clap_host_t* h, const char* name, std::uint16_t* id) {
  TestHost* t = self(h);
  if (t == nullptr || name == nullptr || id == nullptr) return false;
  t->spaceQueries.emplace_back(name);
  if (std::strcmp(name, "com.tessaline.events/1") != 0) return false;
  *id = t->options_.eventSpaceId;
  return true;
}

void TestHost::rescan(const clap_host_t* h, std::uint32_t flags) {
  if (TestHost* t = self(h)) {
    ++t->paramRescans;
    t->lastRescanFlags = flags;
  }
}
void TestHost::clear(const clap_host_t*, clap_id, std::uint32_t) {}
void TestHost::requestFlush(const clap_host_t* h) {
  if (TestHost* t = self(h)) ++t->paramFlushRequests;
}
void TestHost::voicesChangedCb(const clap_host_t* h) {
  if (TestHost* t = self(h)) ++t->voicesChanged;
}
bool TestHost::audioPortFlagSupported(const clap_host_t*, std::uint32_t) { return true; }
void TestHost::audioPortsRescan(const clap_host_t* h, std::uint32_t flags) {
  if (TestHost* t = self(h)) {
    ++t->audioPortRescans;
    t->lastAudioPortRescanFlags = flags;
  }
}

void TestHost::guiHintsChanged(const clap_host_t* h) {
  if (TestHost* t = self(h)) ++t->gui.hintChanges;
}
bool TestHost::guiRequestResize(const clap_host_t* h, std::uint32_t width, std::uint32_t height) {
  TestHost* t = self(h);
  if (t == nullptr) return false;
  t->gui.resizes.emplace_back(width, height);
  return true;
}
bool TestHost::guiRequestShow(const clap_host_t* h) {
  TestHost* t = self(h);
  if (t == nullptr) return false;
  ++t->gui.shows;
  return true;
}
bool TestHost::guiRequestHide(const clap_host_t* h) {
  TestHost* t = self(h);
  if (t == nullptr) return false;
  ++t->gui.hides;
  return true;
}
void TestHost::guiClosed(const clap_host_t* h, bool wasDestroyed) {
  if (TestHost* t = self(h)) t->gui.closed.push_back(wasDestroyed);
}

// ---- instance ------------------------------------------------------------------

namespace {

struct InList {
  const std::vector<std::vector<std::uint8_t>>* events;
};

std::uint32_t inSize(const clap_input_events_t* list) {
  return static_cast<std::uint32_t>(static_cast<const InList*>(list->ctx)->events->size());
}

const clap_event_header_t* inGet(const clap_input_events_t* list, std::uint32_t index) {
  const auto& events = *static_cast<const InList*>(list->ctx)->events;
  if (index >= events.size()) return nullptr;
  return reinterpret_cast<const clap_event_header_t*>(events[index].data());
}

bool outPush(const clap_output_events_t* list, const clap_event_header_t* event) {
  if (event == nullptr || event->size < sizeof(clap_event_header_t)) return false;
  auto* out = static_cast<std::vector<OutEvent>*>(list->ctx);
  OutEvent e;
  e.header = *event;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(event);
  e.bytes.assign(bytes, bytes + event->size);
  out->push_back(std::move(e));
  return true;
}

// A file written as a host writes the state into its project: a piece a
// call, as it comes.
std::int64_t fileStreamWrite(const clap_ostream_t* s, const void* buffer, std::uint64_t size) {
  auto* out = static_cast<std::ofstream*>(s->ctx);
  out->write(static_cast<const char*>(buffer), static_cast<std::streamsize>(size));
  return *out ? static_cast<std::int64_t>(size) : -1;
}

struct OutStream {
  std::vector<std::uint8_t>* bytes;
};
std::int64_t streamWrite(const clap_ostream_t* s, const void* buffer, std::uint64_t size) {
  auto* out = static_cast<OutStream*>(s->ctx);
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  out->bytes->insert(out->bytes->end(), p, p + size);
  return static_cast<std::int64_t>(size);
}

struct InStream {
  const std::vector<std::uint8_t>* bytes;
  std::size_t at;
};
std::int64_t streamRead(const clap_istream_t* s, void* buffer, std::uint64_t size) {
  auto* in = static_cast<InStream*>(s->ctx);
  const std::size_t left = in->bytes->size() - in->at;
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, left));
  if (n > 0) std::memcpy(buffer, in->bytes->data() + in->at, n);
  in->at += n;
  return static_cast<std::int64_t>(n);
}

// A file read as a host reads the state from its project: a piece a call.
std::int64_t fileStreamRead(const clap_istream_t* s, void* buffer, std::uint64_t size) {
  auto* in = static_cast<std::ifstream*>(s->ctx);
  in->read(static_cast<char*>(buffer), static_cast<std::streamsize>(std::min<std::uint64_t>(size, 1u << 20)));
  return in->bad() ? -1 : static_cast<std::int64_t>(in->gcount());
}

}  // namespace

std::unique_ptr<Instance> Instance::create(const ClapLibrary& library, TestHost& host, const char* pluginId,
                                           std::string& error) {
  const clap_plugin_factory_t* factory = library.factory();
  if (factory == nullptr) {
    error = "the library has no plug-in factory";
    return nullptr;
  }
  const clap_plugin_t* plugin = factory->create_plugin(factory, host.clapHost(), pluginId);
  if (plugin == nullptr) {
    error = "the factory made no instance";
    return nullptr;
  }
  std::unique_ptr<Instance> instance(new Instance(host));
  instance->plugin_ = plugin;
  if (!plugin->init(plugin)) {
    error = "the instance's init failed";
    return nullptr;  // the destructor still destroys the instance
  }
  return instance;
}

std::unique_ptr<Instance> Instance::adopt(TestHost& host, const clap_plugin_t* plugin) {
  std::unique_ptr<Instance> instance(new Instance(host));
  instance->plugin_ = plugin;
  return instance;
}

Instance::~Instance() {
  if (plugin_ == nullptr) return;
  deactivate();
  plugin_->destroy(plugin_);
}

bool Instance::activate(double sampleRate, std::uint32_t maxFrames, std::uint32_t outputPorts) {
  if (active_) return false;
  if (!plugin_->activate(plugin_, sampleRate, 1, maxFrames)) return false;
  active_ = true;
  sampleRate_ = sampleRate;
  // A host that names no largest block still renders blocks of its own.
  maxFrames_ = maxFrames > 0 ? maxFrames : 4096;
  ports_ = outputPorts;
  buffers_.assign(static_cast<std::size_t>(ports_) * 2, std::vector<float>(maxFrames_, 0.0f));
  pointers_.resize(buffers_.size());
  outputs_.assign(ports_, clap_audio_buffer_t{});
  for (std::size_t i = 0; i < buffers_.size(); ++i) pointers_[i] = buffers_[i].data();
  for (std::uint32_t p = 0; p < ports_; ++p) {
    outputs_[p].data32 = pointers_.data() + p * 2;
    outputs_[p].channel_count = 2;
  }
  if (!plugin_->start_processing(plugin_)) return false;
  processing_ = true;
  return true;
}

void Instance::deactivate() {
  if (!active_) return;
  stopProcessing();
  plugin_->deactivate(plugin_);
  active_ = false;
}

void Instance::stopProcessing() {
  if (processing_) plugin_->stop_processing(plugin_);
  processing_ = false;
}

bool Instance::startProcessing() {
  if (!active_ || processing_) return processing_;
  processing_ = plugin_->start_processing(plugin_);
  return processing_;
}

void Instance::reset() { plugin_->reset(plugin_); }

void Instance::setTransport(bool playing, double tempo) {
  playing_ = playing;
  tempo_ = tempo;
}

void Instance::queueEvent(const void* event) {
  const auto* header = static_cast<const clap_event_header_t*>(event);
  const auto* bytes = static_cast<const std::uint8_t*>(event);
  inEvents_.emplace_back(bytes, bytes + header->size);
}

clap_process_status Instance::process(std::uint32_t frames) {
  if (!processing_) {
    for (auto& b : buffers_) std::fill(b.begin(), b.end(), 0.0f);
    outEvents_.clear();
    return CLAP_PROCESS_CONTINUE;
  }
  frames = std::min(frames, maxFrames_);
  // A plug-in may be activated without a rate; the clock still needs one.
  const double rate = sampleRate_ > 0.0 ? sampleRate_ : 44100.0;
  const double seconds = static_cast<double>(playedFrames_) / rate;
  const double beats = seconds * tempo_ / 60.0;
  std::memset(&transport_, 0, sizeof transport_);
  transport_.header.size = sizeof transport_;
  transport_.header.type = CLAP_EVENT_TRANSPORT;
  transport_.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE |
                     CLAP_TRANSPORT_HAS_TIME_SIGNATURE | (playing_ ? CLAP_TRANSPORT_IS_PLAYING : 0u);
  if (seconds_) transport_.flags |= CLAP_TRANSPORT_HAS_SECONDS_TIMELINE;
  transport_.song_pos_beats = static_cast<clap_beattime>(std::llround(beats * CLAP_BEATTIME_FACTOR));
  transport_.song_pos_seconds = static_cast<clap_sectime>(std::llround(seconds * CLAP_SECTIME_FACTOR));
  transport_.tempo = tempo_;
  transport_.bar_number = static_cast<std::int32_t>(beats / 4.0);
  transport_.bar_start = static_cast<clap_beattime>(transport_.bar_number) * 4 * CLAP_BEATTIME_FACTOR;
  transport_.tsig_num = 4;
  transport_.tsig_denom = 4;

  for (auto& b : buffers_) std::fill(b.begin(), b.end(), 0.0f);
  InList inList{&inEvents_};
  clap_input_events_t in{&inList, inSize, inGet};
  outEvents_.clear();
  clap_output_events_t out{&outEvents_, outPush};

  clap_process_t pr{};
  pr.steady_time = steadyTime_;
  pr.frames_count = frames;
  pr.transport = &transport_;
  pr.audio_outputs = outputs_.data();
  pr.audio_outputs_count = ports_;
  pr.in_events = &in;
  pr.out_events = &out;
  const clap_process_status status = plugin_->process(plugin_, &pr);
  inEvents_.clear();
  steadyTime_ += frames;
  if (playing_) playedFrames_ += frames;
  return status;
}

void Instance::runMainThread(double elapsedMs, bool catchUp) {
  const double now = host_.clockMs += elapsedMs;
  const auto* timerExt = extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
  // Timers may unregister during the loop; work on a copy of the ids.
  std::vector<clap_id> due;
  for (HostTimer& t : host_.timers) {
    while (t.dueMs <= now) {
      due.push_back(t.id);
      ++t.fired;
      t.dueMs += t.periodMs;
      if (!catchUp && t.dueMs <= now) t.dueMs = now + t.periodMs;
    }
  }
  if (timerExt != nullptr && timerExt->on_timer != nullptr)
    for (clap_id id : due) timerExt->on_timer(plugin_, id);
  if (host_.callbackPending) {
    host_.callbackPending = false;
    plugin_->on_main_thread(plugin_);
  }
}

bool Instance::saveState(std::vector<std::uint8_t>& bytes, std::string& error) {
  bytes.clear();
  OutStream ctx{&bytes};
  return saveState(clap_ostream_t{&ctx, streamWrite}, error);
}

bool Instance::saveStateFile(const std::string& path, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out && saveState(clap_ostream_t{&out, fileStreamWrite}, error) && out.flush()) return true;
  if (error.empty()) error = "cannot write " + path;
  out.close();
  std::remove(path.c_str());  // a part of a state is none
  return false;
}

bool Instance::saveState(const clap_ostream_t& stream, std::string& error) {
  const auto* state = extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  if (state == nullptr || state->save == nullptr) {
    error = "the plug-in has no state extension";
    return false;
  }
  if (!state->save(plugin_, &stream)) {
    error = "the plug-in could not save its state";
    return false;
  }
  return true;
}

bool Instance::loadState(const std::vector<std::uint8_t>& bytes, std::string& error) {
  InStream ctx{&bytes, 0};
  return loadState(clap_istream_t{&ctx, streamRead}, error);
}

bool Instance::loadStateFile(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  return loadState(clap_istream_t{&in, fileStreamRead}, error);
}

bool Instance::loadState(const clap_istream_t& stream, std::string& error) {
  const auto* state = extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  if (state == nullptr || state->load == nullptr) {
    error = "the plug-in has no state extension";
    return false;
  }
  if (!state->load(plugin_, &stream)) {
    error = "the plug-in refused the state";
    return false;
  }
  return true;
}

// ---- files and levels ------------------------------------------------------------

void LevelMeter::add(const float* left, const float* right, std::size_t frames) {
  for (const float* channel : {left, right}) {
    if (channel == nullptr) continue;
    for (std::size_t i = 0; i < frames; ++i) {
      const double v = channel[i];
      peak_ = std::max(peak_, std::fabs(v));
      sumOfSquares_ += v * v;
    }
    samples_ += frames;
  }
}

Level LevelMeter::level() const {
  Level level;
  level.peak = peak_;
  level.rms = samples_ > 0 ? std::sqrt(sumOfSquares_ / static_cast<double>(samples_)) : 0.0;
  return level;
}

bool readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  // The largest state the plug-in takes; scripts and recordings are far smaller.
  switch (ob::readRegularFile(path, bytes, ob::clap::kMaxStateBytes)) {
    case ob::FileReadStatus::Read: return true;
    case ob::FileReadStatus::NotARegularFile: error = path + " is not a regular file"; break;
    case ob::FileReadStatus::TooLarge: error = path + " is too large"; break;
    case ob::FileReadStatus::ReadFailed: error = "cannot read " + path; break;
    default: error = "cannot open " + path; break;
  }
  return false;
}

}  // namespace orbi::host
