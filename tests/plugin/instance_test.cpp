// The instance record driven directly: seed rule, hello storage, diagnostics
// records and the host log, voices of edited projects, the retired-pool
// hand-back, and callbacks that keep exceptions away from the host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/session/engine_host.h"
#include "plugin/descriptor.h"
#include "plugin/extensions.h"
#include "plugin/host_log.h"
#include "plugin/plugin.h"
#include "plugin/session_hello.h"
#include "tools/clap_host/test_host.h"

namespace instance_test {

using namespace ob::clap;
using orbi::host::HostOptions;
using orbi::host::TestHost;

// An instance made by the factory and destroyed through its callback.
struct Made {
  explicit Made(TestHost& host) {
    const clap_plugin_factory_t* f = pluginFactory();
    clap = f->create_plugin(f, host.clapHost(), kPluginId);
    self = Plugin::from(clap);
  }
  ~Made() {
    if (clap != nullptr) clap->destroy(clap);
  }
  const clap_plugin_t* clap = nullptr;
  Plugin* self = nullptr;
};

// One block with no outputs and no transport.
void runBlock(Plugin& p, std::uint32_t frames = 64) {
  clap_process_t pr{};
  pr.frames_count = frames;
  EXPECT_EQ(p.plugin.process(&p.plugin, &pr), CLAP_PROCESS_CONTINUE);
}

SessionHelloRecord helloRecord(std::uint64_t seed, std::uint32_t version,
                               const std::vector<const char*>& features) {
  SessionHelloRecord r{};
  r.size = sizeof r;
  r.seed = seed;
  r.version = version;
  r.features = features.empty() ? nullptr : features.data();
  r.featureCount = static_cast<std::int32_t>(features.size());
  return r;
}

ob::Diagnostic diagnostic(ob::Severity s, std::string code, std::string path, std::string message) {
  ob::Diagnostic d;
  d.severity = s;
  d.code = std::move(code);
  d.path = std::move(path);
  d.message = std::move(message);
  return d;
}

TEST(PluginSeed, TwoDrawsMakeOneNonZeroSeed) {
  EXPECT_EQ(sessionSeedFrom(0, 0), 1u);
  EXPECT_EQ(sessionSeedFrom(1, 0), 1ull << 32);
  EXPECT_EQ(sessionSeedFrom(0, 7), 7u);
  EXPECT_EQ(sessionSeedFrom(0xdeadbeef, 0x01234567), (0xdeadbeefull << 32) ^ 0x01234567ull);
  EXPECT_EQ(sessionSeedFrom(0xffffffff, 0xffffffff), 0xffffffffffffffffull);
}

TEST(PluginHello, StoresRefusesAndReplaces) {
  SessionHello hello;
  std::vector<const char*> features = {"a", nullptr, "com.tessaline.diagnostics/1"};
  SessionHelloRecord r = helloRecord(42, 1, features);
  ASSERT_TRUE(storeSessionHello(hello, &r, 1));
  EXPECT_TRUE(hello.received);
  EXPECT_EQ(hello.seed, 42u);
  ASSERT_EQ(hello.features.size(), 2u);  // the null entry is skipped
  EXPECT_TRUE(sessionHasFeature(hello, "com.tessaline.diagnostics/1"));
  EXPECT_FALSE(sessionHasFeature(hello, "com.tessaline.diagnostics/"));
  EXPECT_FALSE(sessionHasFeature(hello, "com.tessaline.diagnostics/12"));
  EXPECT_FALSE(sessionHasFeature(hello, nullptr));

  // Refusals leave the earlier hello whole.
  SessionHelloRecord newer = helloRecord(7, 2, {});
  EXPECT_FALSE(storeSessionHello(hello, &newer, 1));
  SessionHelloRecord tiny = helloRecord(7, 1, {});
  tiny.size = 19;
  EXPECT_FALSE(storeSessionHello(hello, &tiny, 1));
  EXPECT_FALSE(storeSessionHello(hello, nullptr, 1));
  EXPECT_EQ(hello.seed, 42u);
  EXPECT_EQ(hello.features.size(), 2u);

  // Size 20: seed and version, no features, even with a list behind it.
  SessionHelloRecord small = helloRecord(9, 0, features);
  small.size = 20;
  ASSERT_TRUE(storeSessionHello(hello, &small, 1));
  EXPECT_EQ(hello.seed, 9u);
  EXPECT_EQ(hello.version, 0u);
  EXPECT_TRUE(hello.features.empty());
  // 35 bytes do not reach the count's end.
  SessionHelloRecord partial = helloRecord(9, 1, features);
  partial.size = 35;
  ASSERT_TRUE(storeSessionHello(hello, &partial, 1));
  EXPECT_TRUE(hello.features.empty());
  SessionHelloRecord negative = helloRecord(9, 1, features);
  negative.featureCount = -3;
  ASSERT_TRUE(storeSessionHello(hello, &negative, 1));
  EXPECT_TRUE(hello.features.empty());
}

TEST(PluginHello, ReachesTheEngineHost) {
  TestHost host;
  Made m(host);
  ASSERT_TRUE(m.clap->init(m.clap));
  const auto* session = sessionExtension();
  SessionHelloRecord r = helloRecord(0xfeedface12345678ull, 1, {});
  ASSERT_TRUE(session->hello(m.clap, &r));
  EXPECT_EQ(m.self->engineHost->sessionSeed, 0xfeedface12345678ull);
  EXPECT_TRUE(m.self->hello.received);
  auditionExtension()->set(m.clap, true);
  EXPECT_EQ(m.self->audition.load(), 1);
  auditionExtension()->set(m.clap, false);
  EXPECT_EQ(m.self->audition.load(), 0);
}

TEST(PluginDiagnostics, RecordsAreCutToTheCallersSize) {
  ob::Diagnostic d =
      diagnostic(ob::Severity::Warning, "unknown-param", "/state/sounds/0", std::string(600, 'm'));
  d.detail = std::string(300, 'd');
  d.index = 3;

  // Size 4: only the size comes back.
  DiagnosticInfo small;
  std::memset(&small, 0x5A, sizeof small);
  small.size = 4;
  ASSERT_TRUE(toDiagnosticInfo(d, &small));
  EXPECT_EQ(small.size, 4u);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&small);
  for (std::size_t i = 4; i < sizeof small; ++i) ASSERT_EQ(bytes[i], 0x5A) << i;

  // Size 12: size, severity and index; the code untouched.
  DiagnosticInfo mid;
  std::memset(&mid, 0x5A, sizeof mid);
  mid.size = 12;
  ASSERT_TRUE(toDiagnosticInfo(d, &mid));
  EXPECT_EQ(mid.severity, 1u);
  EXPECT_EQ(mid.index, 3);
  EXPECT_EQ(static_cast<unsigned char>(mid.code[0]), 0x5A);

  DiagnosticInfo full;
  std::memset(&full, 0x5A, sizeof full);
  full.size = 5000;  // larger records get 972 bytes
  ASSERT_TRUE(toDiagnosticInfo(d, &full));
  EXPECT_EQ(full.size, 5000u);
  EXPECT_STREQ(full.code, "unknown-param");
  EXPECT_STREQ(full.path, "/state/sounds/0");
  EXPECT_EQ(std::strlen(full.message), 511u);
  EXPECT_EQ(std::strlen(full.detail), 127u);

  DiagnosticInfo none;
  none.size = 3;
  EXPECT_FALSE(toDiagnosticInfo(d, &none));
  EXPECT_FALSE(toDiagnosticInfo(d, nullptr));

  // Severities beyond the three map to error; no index reads as -1.
  ob::Diagnostic odd = d;
  odd.severity = static_cast<ob::Severity>(9);
  odd.index = ob::kDiagnosticNoIndex;
  full.size = sizeof full;
  ASSERT_TRUE(toDiagnosticInfo(odd, &full));
  EXPECT_EQ(full.severity, 2u);
  EXPECT_EQ(full.index, -1);
}

TEST(PluginDiagnostics, PublishedListIsReadableAndLoggedWithoutTheFeature) {
  TestHost host;
  Made m(host);
  ASSERT_TRUE(m.clap->init(m.clap));
  ob::Diagnostics list;
  list.append(diagnostic(ob::Severity::Note, "n-code", "/a", "first"));
  list.append(diagnostic(ob::Severity::Warning, "w-code", "/b/c", "second"));
  list.append(diagnostic(ob::Severity::Error, "state-rejected", "", "The state could not be read"));

  m.self->publishDiagnostics(list);  // no hello yet: logged
  ASSERT_EQ(host.logLines.size(), 3u);
  EXPECT_EQ(host.logLines[0].severity, CLAP_LOG_INFO);
  EXPECT_EQ(host.logLines[0].text, "n-code /a: first");
  EXPECT_EQ(host.logLines[1].severity, CLAP_LOG_WARNING);
  EXPECT_EQ(host.logLines[1].text, "w-code /b/c: second");
  EXPECT_EQ(host.logLines[2].severity, CLAP_LOG_ERROR);
  EXPECT_EQ(host.logLines[2].text, "state-rejected : The state could not be read");

  const PluginDiagnostics* ext = diagnosticsExtension();
  EXPECT_EQ(ext->count(m.clap), 3u);
  DiagnosticInfo info{};
  info.size = sizeof info;
  ASSERT_TRUE(ext->get(m.clap, 1, &info));
  EXPECT_STREQ(info.code, "w-code");
  EXPECT_FALSE(ext->get(m.clap, 3, &info));

  // A hello without the feature keeps the logging.
  std::vector<const char*> keep = {"com.tessaline.control-signals/1"};
  SessionHelloRecord other = helloRecord(1, 1, keep);
  ASSERT_TRUE(m.self->receiveHello(&other));
  m.self->publishDiagnostics(list);
  EXPECT_EQ(host.logLines.size(), 6u);

  // One that lists it stops the logging; the list is still replaced.
  std::vector<const char*> diag = {"com.tessaline.diagnostics/1"};
  SessionHelloRecord withFeature = helloRecord(1, 1, diag);
  ASSERT_TRUE(m.self->receiveHello(&withFeature));
  ob::Diagnostics one;
  one.append(diagnostic(ob::Severity::Note, "only", "", "x"));
  m.self->publishDiagnostics(one);
  EXPECT_EQ(host.logLines.size(), 6u);
  EXPECT_EQ(ext->count(m.clap), 1u);
}

TEST(PluginDiagnostics, HostWithoutLogGetsNothing) {
  HostOptions options;
  options.log = false;
  TestHost host(options);
  Made m(host);
  ASSERT_TRUE(m.clap->init(m.clap));
  ob::Diagnostics list;
  list.append(diagnostic(ob::Severity::Error, "e", "", "m"));
  m.self->publishDiagnostics(list);
  EXPECT_TRUE(host.logLines.empty());
  EXPECT_EQ(diagnosticsExtension()->count(m.clap), 1u);
}

// Every query of the own extensions fills a record whose first four bytes
// give the caller's size: a caller with an older, shorter record gets the
// leading bytes of the whole record and nothing past its size.
TEST(PluginOwnExtensions, QueriesWriteNoMoreThanTheCallersSize) {
  TestHost host;
  Made m(host);
  ASSERT_TRUE(m.clap->init(m.clap));
  ob::Diagnostics list;
  list.append(diagnostic(ob::Severity::Warning, "w-code", "/b", std::string(600, 'm')));
  m.self->publishDiagnostics(list);
  const PluginVoices* voices = voicesExtension();
  const PluginDiagnostics* diagnostics = diagnosticsExtension();
  const struct Query {
    const char* name;
    std::size_t full;
    std::function<bool(void*)> ask;
  } queries[] = {
      {"getTrack", sizeof(VoiceTrackInfo),
       [&](void* r) { return voices->getTrack(m.clap, 0, static_cast<VoiceTrackInfo*>(r)); }},
      {"getSound", sizeof(VoiceSoundInfo),
       [&](void* r) { return voices->getSound(m.clap, 0, static_cast<VoiceSoundInfo*>(r)); }},
      {"diagnostics get", sizeof(DiagnosticInfo),
       [&](void* r) { return diagnostics->get(m.clap, 0, static_cast<DiagnosticInfo*>(r)); }},
  };
  constexpr std::size_t kGuard = 64;
  constexpr unsigned char kUntouched = 0x5A;
  for (const Query& q : queries) {
    SCOPED_TRACE(q.name);
    // The whole record, as a caller of today's size gets it.
    std::vector<unsigned char> whole(q.full, kUntouched);
    const auto wholeSize = static_cast<std::uint32_t>(q.full);
    std::memcpy(whole.data(), &wholeSize, sizeof wholeSize);
    ASSERT_TRUE(q.ask(whole.data()));
    for (const std::size_t size : {std::size_t{4}, std::size_t{8}, std::size_t{100}, q.full - 1, q.full}) {
      SCOPED_TRACE(size);
      std::vector<unsigned char> record(size + kGuard, kUntouched);
      const auto declared = static_cast<std::uint32_t>(size);
      std::memcpy(record.data(), &declared, sizeof declared);
      ASSERT_TRUE(q.ask(record.data()));
      std::uint32_t after = 0;
      std::memcpy(&after, record.data(), sizeof after);
      EXPECT_EQ(after, declared);
      EXPECT_TRUE(std::equal(record.begin() + 4, record.begin() + static_cast<std::ptrdiff_t>(size),
                             whole.begin() + 4));
      EXPECT_TRUE(std::all_of(record.begin() + static_cast<std::ptrdiff_t>(size), record.end(),
                              [&](unsigned char b) { return b == kUntouched; }))
          << "written past the caller's size";
    }
    // A size that cannot even hold itself gets nothing.
    std::vector<unsigned char> tiny(q.full, kUntouched);
    tiny[0] = 3;
    tiny[1] = tiny[2] = tiny[3] = 0;
    EXPECT_FALSE(q.ask(tiny.data()));
    EXPECT_TRUE(std::all_of(tiny.begin() + 4, tiny.end(), [&](unsigned char b) { return b == kUntouched; }));
  }
  // The one record a host hands in is read no further than its size: a
  // hello of the smallest size, in a block of just that size.
  const auto smallest = std::make_unique<unsigned char[]>(kHelloMinSize);
  const SessionHelloRecord full = helloRecord(0x1234, 1, {});
  std::memcpy(smallest.get(), &full, kHelloMinSize);
  const auto smallestSize = static_cast<std::uint32_t>(kHelloMinSize);
  std::memcpy(smallest.get(), &smallestSize, sizeof smallestSize);
  ASSERT_TRUE(sessionExtension()->hello(m.clap, reinterpret_cast<const SessionHelloRecord*>(smallest.get())));
  EXPECT_EQ(m.self->hello.seed, 0x1234u);
  EXPECT_TRUE(m.self->hello.features.empty());
}

TEST(PluginVoices, FollowTheEditorSideProject) {
  TestHost host;
  Made m(host);
  ASSERT_TRUE(m.clap->init(m.clap));
  ob::Project& project = m.self->engineHost->project;
  ob::Pattern& pattern = project.patterns[0];
  pattern.numTracks = 8;
  for (auto& s : pattern.kit.sounds) s.id[0] = '\0';
  std::strcpy(pattern.kit.sounds[0].id, "kick");
  std::strcpy(pattern.kit.sounds[0].name, "Kick");
  pattern.kit.sounds[0].machine = 3;
  std::strcpy(pattern.kit.sounds[3].id, "hat");
  std::strcpy(pattern.kit.sounds[3].name, "Hat");
  pattern.kit.sounds[3].machine = 0;
  pattern.tracks[1].soundIndex = 3;
  pattern.tracks[2].soundIndex = -1;
  std::memset(pattern.tracks[0].id, 'x', sizeof pattern.tracks[0].id);  // no terminator
  pattern.tracks[0].soundIndex = 0;

  const PluginVoices* voices = voicesExtension();
  EXPECT_EQ(voices->trackCount(m.clap), 8u);
  VoiceTrackInfo t{};
  t.size = sizeof t;
  EXPECT_FALSE(voices->getTrack(m.clap, 8, &t));
  ASSERT_TRUE(voices->getTrack(m.clap, 0, &t));
  EXPECT_EQ(std::string(t.trackId), std::string(24, 'x'));
  EXPECT_STREQ(t.soundName, "Kick");
  EXPECT_STREQ(t.machineType, "drum");
  ASSERT_TRUE(voices->getTrack(m.clap, 1, &t));
  EXPECT_STREQ(t.soundName, "Hat");
  EXPECT_STREQ(t.machineType, "sample");
  EXPECT_EQ(t.auxPort, 2u);
  ASSERT_TRUE(voices->getTrack(m.clap, 2, &t));
  EXPECT_STREQ(t.soundName, "");
  EXPECT_STREQ(t.machineType, "");

  EXPECT_EQ(voices->soundCount(m.clap), 2u);
  VoiceSoundInfo s{};
  s.size = sizeof s;
  ASSERT_TRUE(voices->getSound(m.clap, 1, &s));
  EXPECT_EQ(s.soundSlot, 3u);
  EXPECT_STREQ(s.soundId, "hat");
  EXPECT_STREQ(s.soundName, "Hat");
  EXPECT_FALSE(voices->getSound(m.clap, 2, &s));

  // Port names: index and the name of track index-1's sound.
  const clap_plugin_audio_ports_t* ports = audioPortsExtension();
  clap_audio_port_info_t info;
  ASSERT_TRUE(ports->get(m.clap, 2, false, &info));
  EXPECT_STREQ(info.name, "2 Hat");
  ASSERT_TRUE(ports->get(m.clap, 3, false, &info));
  EXPECT_STREQ(info.name, "3 ");
  pattern.numTracks = 1;
  ASSERT_TRUE(ports->get(m.clap, 2, false, &info));
  EXPECT_STREQ(info.name, "2 ");
  EXPECT_EQ(voices->trackCount(m.clap), 1u);
}

TEST(PluginLifecycle, ActivateWithoutRateUsesTheDefault) {
  TestHost host;
  Made m(host);
  ASSERT_TRUE(m.clap->init(m.clap));
  EXPECT_EQ(m.self->transport.sampleRate, 48000.0);
  EXPECT_EQ(m.self->engineHost->internalPlay.load(), 0);
  ASSERT_TRUE(m.clap->activate(m.clap, 0.0, 0, 0));
  EXPECT_EQ(m.self->engineHost->hostSampleRate, 44100.0);
  EXPECT_EQ(m.self->transport.sampleRate, 0.0);
  EXPECT_EQ(m.self->active, 1);
  EXPECT_EQ(m.self->scratch.size(), 16u * 512u);
  m.clap->deactivate(m.clap);
  EXPECT_EQ(m.self->active, 0);
  ASSERT_TRUE(m.clap->activate(m.clap, 96000.0, 1, 100));
  EXPECT_EQ(m.self->engineHost->hostSampleRate, 96000.0);
  EXPECT_EQ(m.self->scratch.size(), 1600u);
  EXPECT_EQ(m.self->eventSpace, host.options().eventSpaceId);
  EXPECT_NE(m.self->hostParams, nullptr);
  EXPECT_NE(m.self->hostVoices, nullptr);
  EXPECT_NE(m.self->hostTimer, nullptr);
}

TEST(PluginLifecycle, BlocksLongerThanPreparedStayInsideScratch) {
  TestHost host;
  Made m(host);
  ASSERT_TRUE(m.clap->init(m.clap));
  ASSERT_TRUE(m.clap->activate(m.clap, 48000.0, 1, 32));
  m.self->engineHost->internalPlay.store(1);  // play without a host transport
  std::vector<float> l(1000), r(1000);
  float* ch[2] = {l.data(), r.data()};
  clap_audio_buffer_t out{};
  out.data32 = ch;
  out.channel_count = 2;
  clap_process_t pr{};
  pr.frames_count = 1000;  // the host promised at most 32
  pr.audio_outputs = &out;
  pr.audio_outputs_count = 1;
  float peak = 0.0f;
  for (int b = 0; b < 50; ++b) {
    EXPECT_EQ(m.clap->process(m.clap, &pr), CLAP_PROCESS_CONTINUE);
    for (float s : l) {
      ASSERT_TRUE(std::isfinite(s));
      peak = std::max(peak, std::fabs(s));
    }
  }
  EXPECT_GT(peak, 0.0f);
}

// The main-thread pass, run by whichever driver the host offers.
class RetiredPools : public ::testing::TestWithParam<bool> {};

TEST_P(RetiredPools, FreedOnThePassAfterABlockTookTheNextOrAtOnceBetweenBlocks) {
  const bool viaTimer = GetParam();
  HostOptions options;
  options.timerSupport = viaTimer;
  TestHost host(options);
  Made m(host);
  ASSERT_TRUE(m.clap->init(m.clap));
  ASSERT_EQ(host.timers.size(), viaTimer ? 1u : 0u);
  auto pass = [&] {
    if (viaTimer)
      timerExtension()->on_timer(m.clap, host.timers[0].id);
    else
      m.clap->on_main_thread(m.clap);
  };
  // A pool to replace the current one with; what it replaces has audio.
  auto somePool = [] {
    ob::SamplePool pool;
    ob::SampleAudio audio;
    audio.left.assign(64, 0.5f);
    pool.append(std::move(audio));
    return pool;
  };
  ASSERT_TRUE(m.clap->activate(m.clap, 48000.0, 1, 64));
  orbi::EngineHost& eh = *m.self->engineHost;
  runBlock(*m.self);  // the audio thread takes the first sample set
  ASSERT_TRUE(eh.takenGeneration() == eh.samples.publishedGeneration());

  eh.engine.sampleSet().enterBlock();  // as the audio thread does, meanwhile
  eh.replacePool(somePool());
  ASSERT_EQ(eh.samples.retired().size(), 1u);
  // Until a block takes the new publication nothing is ever freed.
  for (int i = 0; i < 300; ++i) pass();
  ASSERT_EQ(eh.samples.retired().size(), 1u);

  runBlock(*m.self);  // takes the new publication
  pass();
  EXPECT_TRUE(eh.samples.retired().empty());

  // Between blocks nothing waits, whether the host stops processing or not.
  runBlock(*m.self);
  m.clap->stop_processing(m.clap);
  eh.replacePool(somePool());
  EXPECT_TRUE(eh.samples.retired().empty());
  ASSERT_TRUE(m.clap->start_processing(m.clap));
  runBlock(*m.self);
  eh.replacePool(somePool());
  EXPECT_TRUE(eh.samples.retired().empty());
  m.clap->deactivate(m.clap);
  EXPECT_TRUE(eh.samples.retired().empty());
}

INSTANTIATE_TEST_SUITE_P(Driver, RetiredPools, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Timer" : "OnMainThread"; });

class ThrowingEditor : public PluginEditor {
 public:
  const void* getExtension(const char*) override { throw std::runtime_error("editor lookup"); }
  bool onTimer(clap_id) override { throw std::runtime_error("editor timer"); }
};

std::unique_ptr<PluginEditor> throwingEditorFactory(const clap_host_t*, orbi::EngineHost&,
                                                    ob::KeptDocument&) {
  return std::make_unique<ThrowingEditor>();
}

std::unique_ptr<PluginEditor> failingEditorFactory(const clap_host_t*, orbi::EngineHost&, ob::KeptDocument&) {
  throw std::bad_alloc();
}

class ClaimingEditor : public PluginEditor {
 public:
  explicit ClaimingEditor(int* timers) : timers_(timers) {}
  const void* getExtension(const char* id) override {
    return std::strcmp(id, "clap.gui") == 0 ? this : nullptr;
  }
  bool onTimer(clap_id id) override {
    ++*timers_;
    return id == 77;
  }
  int* timers_;
};

int claimedTimers = 0;
std::unique_ptr<PluginEditor> claimingEditorFactory(const clap_host_t*, orbi::EngineHost&,
                                                    ob::KeptDocument&) {
  return std::make_unique<ClaimingEditor>(&claimedTimers);
}

TEST(PluginCallbacks, NoExceptionCrossesIntoTheHost) {
  TestHost host;
  auto* p = new Plugin(host.clapHost(), throwingEditorFactory);
  const clap_plugin_t* clap = &p->plugin;
  ASSERT_TRUE(clap->init(clap));
  EXPECT_EQ(clap->get_extension(clap, "clap.audio-ports"), nullptr);
  timerExtension()->on_timer(clap, 1);
  clap->destroy(clap);

  // An editor factory that fails makes init fail; destroy still cleans up.
  auto* q = new Plugin(host.clapHost(), failingEditorFactory);
  EXPECT_FALSE(q->plugin.init(&q->plugin));
  q->plugin.destroy(&q->plugin);
}

TEST(PluginCallbacks, WithoutAnEngineHostNothingRuns) {
  TestHost host;
  auto* p = new Plugin(host.clapHost(), nullptr);
  const clap_plugin_t* clap = &p->plugin;
  // init never ran (or failed): activate refuses and the rest stay quiet.
  EXPECT_FALSE(clap->activate(clap, 48000.0, 1, 64));
  runBlock(*p);
  clap->reset(clap);
  clap->on_main_thread(clap);
  EXPECT_EQ(voicesExtension()->trackCount(clap), 0u);
  clap_audio_port_info_t info;
  ASSERT_TRUE(audioPortsExtension()->get(clap, 1, false, &info));
  EXPECT_STREQ(info.name, "1 ");
  clap->destroy(clap);
}

TEST(PluginCallbacks, TheEditorIsAskedFirst) {
  TestHost host;
  auto* p = new Plugin(host.clapHost(), claimingEditorFactory);
  const clap_plugin_t* clap = &p->plugin;
  ASSERT_TRUE(clap->init(clap));
  EXPECT_EQ(clap->get_extension(clap, "clap.gui"), p->editor.get());
  EXPECT_EQ(clap->get_extension(clap, "clap.note-ports"), notePortsExtension());
  claimedTimers = 0;
  timerExtension()->on_timer(clap, 77);
  timerExtension()->on_timer(clap, p->timerId);
  EXPECT_EQ(claimedTimers, 2);
  clap->destroy(clap);
}

TEST(PluginTransport, PositionFollowsTheHostOrTheBlockLengths) {
  TransportState t;
  t.sampleRate = 48000.0;
  // No host transport: nothing moves until something was playing.
  updateTransportPosition(t, nullptr, 256);
  EXPECT_EQ(t.position, 0);
  EXPECT_EQ(t.valid, 0);

  clap_event_transport_t host{};
  host.flags = CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_SECONDS_TIMELINE;
  host.song_pos_seconds = 2 * CLAP_SECTIME_FACTOR;
  updateTransportPosition(t, &host, 256);
  EXPECT_EQ(t.valid, 1);
  EXPECT_EQ(t.position, 96000);

  // Beats at a tempo when the host gives no seconds: 3 beats at 90 BPM.
  host.flags = CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
  host.tempo = 90.0;
  host.song_pos_beats = 3 * CLAP_BEATTIME_FACTOR;
  updateTransportPosition(t, &host, 128);
  EXPECT_EQ(t.position, 96000);
  EXPECT_EQ(t.expected, 96256);

  // The host vanishes while playing: the position runs on by block lengths.
  updateTransportPosition(t, nullptr, 64);
  EXPECT_EQ(t.position, 96128);
  updateTransportPosition(t, nullptr, 64);
  EXPECT_EQ(t.position, 96192);

  // A stopped host with no timeline keeps the last position.
  host.flags = 0;
  updateTransportPosition(t, &host, 64);
  EXPECT_EQ(t.playing, 0);
  updateTransportPosition(t, &host, 64);
  EXPECT_EQ(t.position, 96256);

  // Once a position event arrived only block lengths and events move it.
  t.byEvent = 1;
  host.flags = CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_SECONDS_TIMELINE;
  host.song_pos_seconds = 0;
  updateTransportPosition(t, &host, 64);
  EXPECT_EQ(t.position, 96256);
  updateTransportPosition(t, &host, 64);
  EXPECT_EQ(t.position, 96320);
}

// Beats become a position only at a tempo that is a finite number above 0.
TEST(PluginTransport, BeatsAtNoUsableTempoGiveNoPosition) {
  clap_event_transport_t host{};
  host.flags = CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
  host.song_pos_beats = 3 * CLAP_BEATTIME_FACTOR;
  for (double tempo : {std::numeric_limits<double>::infinity(), std::nan(""), 0.0, -90.0}) {
    SCOPED_TRACE(tempo);
    TransportState t;
    host.tempo = tempo;
    updateTransportPosition(t, &host, 256);
    EXPECT_EQ(t.valid, 0);
  }
}

// Control signals the engine emitted over a second of the playing demo.
int controlSignalsAfterActivate(bool registry, bool announce) {
  HostOptions options;
  options.eventRegistry = registry;
  TestHost host(options);
  Made m(host);
  EXPECT_TRUE(m.clap->init(m.clap));
  EXPECT_EQ(m.self->eventSpace, registry ? options.eventSpaceId : kNoEventSpace);
  std::vector<const char*> features;
  if (announce) features.push_back("com.tessaline.control-signals/1");
  SessionHelloRecord r = helloRecord(5, 1, features);
  EXPECT_TRUE(m.self->receiveHello(&r));
  EXPECT_TRUE(m.clap->activate(m.clap, 48000.0, 1, 256));
  m.self->engineHost->internalPlay.store(1);
  int signals = 0;
  for (int b = 0; b < 188; ++b) {
    runBlock(*m.self, 256);
    signals += m.self->engineHost->engine.controlSignalCount;
  }
  return signals;
}

TEST(PluginLifecycle, ControlSignalsNeedTheFeatureAndAnEventSpace) {
  EXPECT_GT(controlSignalsAfterActivate(true, true), 0);
  EXPECT_EQ(controlSignalsAfterActivate(true, false), 0);
  EXPECT_EQ(controlSignalsAfterActivate(false, true), 0);
}

}  // namespace instance_test
