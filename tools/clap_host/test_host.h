#pragma once
// A command-line CLAP host for trying the plug-in out of a DAW: loads a
// .clap through dlopen and clap_entry, provides the host side (log, timer
// support, posix fds, event registry, params, voices, audio ports and the
// requests of "clap.gui") and drives one instance block by block on the
// calling thread, which serves as both main and audio thread.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/clock/tempo.h"
#include "plugin/clap/abi.h"
#include "plugin/output_ports.h"

namespace orbi::host {

// A loaded plug-in library. Calls the entry's init on load and deinit on
// destruction.
class ClapLibrary {
 public:
  // Null, with the reason in error, when the file cannot be loaded or has
  // no usable entry.
  static std::unique_ptr<ClapLibrary> open(const std::string& path, std::string& error);
  ~ClapLibrary();
  ClapLibrary(const ClapLibrary&) = delete;
  ClapLibrary& operator=(const ClapLibrary&) = delete;

  const clap_plugin_entry_t* entry() const { return entry_; }
  // The plug-in factory, or null when the library offers none.
  const clap_plugin_factory_t* factory() const;

 private:
  ClapLibrary() = default;
  void* handle_ = nullptr;
  const clap_plugin_entry_t* entry_ = nullptr;
  bool initialised_ = false;
};

struct HostOptions {
  clap_version_t version = CLAP_VERSION;
  bool timerSupport = true;
  bool log = true;
  bool eventRegistry = true;
  bool params = true;
  bool voices = true;
  bool audioPorts = true;
  bool posixFdSupport = true;
  bool gui = true;
  clap_id firstTimerId = 1;  // hosts may hand out 0
  std::uint16_t eventSpaceId = 0x4f42;
  bool echoLog = false;  // also print log lines to standard error
};

struct LogLine {
  clap_log_severity severity;
  std::string text;
};

struct HostFd {
  int fd;
  clap_posix_fd_flags_t flags;
};

struct HostTimer {
  clap_id id;
  std::uint32_t periodMs;
  double dueMs;  // on the host clock
  std::uint64_t fired = 0;
};

// What the plug-in asked of the host's window through "clap.gui", in order
// of arrival. A GUI session acts on the requests it has not seen yet.
struct GuiRequests {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> resizes;
  int shows = 0;
  int hides = 0;
  int hintChanges = 0;
  std::vector<bool> closed;  // was_destroyed of each closed call
};

// The host side handed to the plug-in. Everything the plug-in asks of it is
// recorded for inspection.
class TestHost {
 public:
  explicit TestHost(HostOptions options = {});
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  const clap_host_t* clapHost() const { return &host_; }
  const HostOptions& options() const { return options_; }

  std::vector<LogLine> logLines;
  std::vector<HostTimer> timers;  // registered and not yet unregistered
  std::vector<clap_id> unregistered;
  std::vector<HostFd> fds;  // registered and not yet unregistered
  std::vector<int> unregisteredFds;
  std::vector<std::string> spaceQueries;
  int registerCalls = 0;
  int paramRescans = 0;
  std::uint32_t lastRescanFlags = 0;
  int paramFlushRequests = 0;
  int voicesChanged = 0;
  int audioPortRescans = 0;
  std::uint32_t lastAudioPortRescanFlags = 0;
  int callbackRequests = 0;
  bool callbackPending = false;
  int restartRequests = 0;
  int processRequests = 0;
  GuiRequests gui;
  // Milliseconds since the host started, as the instance's main thread
  // last advanced it; timers fall due on it.
  double clockMs = 0.0;

 private:
  static TestHost* self(const clap_host_t* h);
  static const void* getExtension(const clap_host_t* h, const char* id);
  static void requestRestart(const clap_host_t* h);
  static void requestProcess(const clap_host_t* h);
  static void requestCallback(const clap_host_t* h);
  static void log(const clap_host_t* h, clap_log_severity severity, const char* msg);
  static bool registerTimer(const clap_host_t* h, std::uint32_t periodMs, clap_id* id);
  static bool unregisterTimer(const clap_host_t* h, clap_id id);
  static bool registerFd(const clap_host_t* h, int fd, clap_posix_fd_flags_t flags);
  static bool modifyFd(const clap_host_t* h, int fd, clap_posix_fd_flags_t flags);
  static bool unregisterFd(const clap_host_t* h, int fd);
  static bool querySpace(const clap_host_t* h, const char* name, std::uint16_t* id);
  static void rescan(const clap_host_t* h, std::uint32_t flags);
  static void clear(const clap_host_t* h, clap_id id, std::uint32_t flags);
  static void requestFlush(const clap_host_t* h);
  static void voicesChangedCb(const clap_host_t* h);
  static bool audioPortFlagSupported(const clap_host_t* h, std::uint32_t flag);
  static void audioPortsRescan(const clap_host_t* h, std::uint32_t flags);
  static void guiHintsChanged(const clap_host_t* h);
  static bool guiRequestResize(const clap_host_t* h, std::uint32_t width, std::uint32_t height);
  static bool guiRequestShow(const clap_host_t* h);
  static bool guiRequestHide(const clap_host_t* h);
  static void guiClosed(const clap_host_t* h, bool wasDestroyed);

  HostOptions options_;
  clap_host_t host_;
  clap_host_log_t log_;
  clap_host_timer_support_t timer_;
  clap_host_posix_fd_support_t posixFd_;
  clap_host_event_registry_t registry_;
  clap_host_params_t params_;
  clap_host_audio_ports_t audioPorts_;
  clap_host_gui_t gui_;
  struct {
    void (*changed)(const clap_host_t*);
  } voices_;
  clap_id nextTimerId_;
};

// An output event as the plug-in pushed it, copied whole.
struct OutEvent {
  clap_event_header_t header;
  std::vector<std::uint8_t> bytes;
};

// One instance driven by the host: created, initialised, activated and
// processed with nine stereo outputs (or fewer), then destroyed.
class Instance {
 public:
  // Null, with the reason in error, when the factory refuses or init fails.
  static std::unique_ptr<Instance> create(const ClapLibrary& library, TestHost& host, const char* pluginId,
                                          std::string& error);
  // An instance made in this process for this host, its init already run;
  // it is destroyed with the Instance.
  static std::unique_ptr<Instance> adopt(TestHost& host, const clap_plugin_t* plugin);
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  const clap_plugin_t* plugin() const { return plugin_; }
  template <typename T>
  const T* extension(const char* id) const {
    return static_cast<const T*>(plugin_->get_extension(plugin_, id));
  }

  // Activates and starts processing.
  bool activate(double sampleRate, std::uint32_t maxFrames,
                std::uint32_t outputPorts = ob::clap::kOutputPorts);
  // Stops processing when it runs, then deactivates.
  void deactivate();
  // Activates again as last activated, and starts processing.
  bool reactivate() { return activate(sampleRate_, maxFrames_, ports_); }
  // Processing alone, as a host that suspends an idle plug-in stops and
  // starts it while it stays active.
  void stopProcessing();
  bool startProcessing();
  bool processing() const { return processing_; }

  // The plug-in's reset, as a host calls it on a jump of its transport.
  void reset();
  // Transport for the next blocks; rewind moves it back to its start.
  void setTransport(bool playing, double tempo);
  void rewind() { playedFrames_ = 0; }
  void setSeconds(bool on) { seconds_ = on; }
  // Events handed to the next process call, then dropped.
  void queueEvent(const void* event);
  // One block; the outputs are kept in mainLeft()... until the next block.
  // While the instance is not processing the host calls no process: the
  // block is silence and the transport stands.
  clap_process_status process(std::uint32_t frames);
  // Advances the host clock and fires due timers and a requested
  // main-thread callback. A timer that fell behind fires once per period
  // missed, or, without catchUp, once and then keeps time from now.
  void runMainThread(double elapsedMs, bool catchUp = true);

  const std::vector<float>& channel(std::uint32_t port, std::uint32_t c) const {
    return buffers_[port * 2 + c];
  }
  const std::vector<OutEvent>& outEvents() const { return outEvents_; }
  double sampleRate() const { return sampleRate_; }
  double clockMs() const { return host_.clockMs; }
  TestHost& host() const { return host_; }
  bool active() const { return active_; }

  // State through the plug-in's "clap.state"; false with a reason when it
  // has none or it refuses.
  bool saveState(std::vector<std::uint8_t>& bytes, std::string& error);
  bool loadState(const std::vector<std::uint8_t>& bytes, std::string& error);
  // The same into and from a file, streamed a piece at a time as a host
  // streams its project's copy, so that the host holds no more of it than
  // the plug-in hands over or asks for. A save that fails leaves no file.
  bool saveStateFile(const std::string& path, std::string& error);
  bool loadStateFile(const std::string& path, std::string& error);

 private:
  Instance(TestHost& host) : host_(host) {}
  bool saveState(const clap_ostream_t& stream, std::string& error);
  bool loadState(const clap_istream_t& stream, std::string& error);

  TestHost& host_;
  const clap_plugin_t* plugin_ = nullptr;
  bool active_ = false;
  bool processing_ = false;
  double sampleRate_ = 0.0;
  std::uint32_t maxFrames_ = 0;
  std::uint32_t ports_ = 0;
  std::vector<std::vector<float>> buffers_;
  std::vector<float*> pointers_;
  std::vector<clap_audio_buffer_t> outputs_;
  clap_event_transport_t transport_{};
  bool playing_ = false;
  bool seconds_ = true;
  double tempo_ = ob::kDefaultTempo;
  std::int64_t playedFrames_ = 0;
  std::int64_t steadyTime_ = 0;
  std::vector<std::vector<std::uint8_t>> inEvents_;
  std::vector<OutEvent> outEvents_;
};

// Peak and RMS of one or two channels.
struct Level {
  double peak = 0.0;
  double rms = 0.0;
};

// A Level taken block by block, so a render need not be kept whole.
class LevelMeter {
 public:
  // right may be null.
  void add(const float* left, const float* right, std::size_t frames);
  Level level() const;

 private:
  double peak_ = 0.0;
  double sumOfSquares_ = 0.0;
  std::uint64_t samples_ = 0;
};

bool readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace orbi::host
