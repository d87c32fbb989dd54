// The built Orbitrane.clap, loaded the way a host loads it: through dlopen
// and clap_entry, driven by the command-line host's library.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "content/kits/kit_library.h"
#include "document/wav/wav.h"
#include "plugin/clap/own_extensions.h"
#include "tools/clap_host/factory_kit.h"
#include "tools/clap_host/render.h"
#include "tools/clap_host/test_host.h"
#include "tools/clap_host/wav_stream.h"

namespace module_test {

using namespace orbi::host;
namespace oc = ob::clap;

constexpr const char* kId = "io.tarnex.orbitrane";

// Loaded once and kept, as a host keeps a plug-in library it uses.
const ClapLibrary* load() {
  static std::string error;
  static const ClapLibrary* lib = ClapLibrary::open(OB_CLAP_PATH, error).release();
  EXPECT_NE(lib, nullptr) << error;
  return lib;
}

// Each output line of a command, without its line end.
std::vector<std::string> commandLines(const std::string& cmd) {
  std::vector<std::string> lines;
  FILE* pipe = popen(cmd.c_str(), "r");
  if (pipe == nullptr) return lines;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    lines.push_back(s);
  }
  EXPECT_EQ(pclose(pipe), 0) << cmd;
  return lines;
}

// The shared libraries the file names as needed.
std::vector<std::string> neededLibraries(const std::string& path) {
  std::vector<std::string> names;
  for (const std::string& line : commandLines("readelf -d '" + path + "'")) {
    if (line.find("(NEEDED)") == std::string::npos) continue;
    const auto open = line.find('[');
    const auto close = line.find(']', open);
    if (open != std::string::npos && close != std::string::npos)
      names.push_back(line.substr(open + 1, close - open - 1));
  }
  return names;
}

std::vector<std::string> definedDynamicSymbols(const std::string& path) {
  std::vector<std::string> names;
  for (const std::string& line : commandLines("nm -D --defined-only '" + path + "'")) {
    const auto space = line.rfind(' ');
    names.push_back(space == std::string::npos ? line : line.substr(space + 1));
  }
  return names;
}

bool allFinite(const std::vector<float>& v) {
  for (float s : v)
    if (!std::isfinite(s)) return false;
  return true;
}

double peakOf(const std::vector<float>& v) {
  double p = 0.0;
  for (float s : v) p = std::max(p, static_cast<double>(std::fabs(s)));
  return p;
}

bool sendHello(const Instance& instance, std::uint32_t size, std::uint64_t seed, std::uint32_t version,
               std::vector<const char*> features = {}) {
  const auto* session = instance.extension<oc::PluginSession>(oc::kExtSession);
  EXPECT_NE(session, nullptr);
  if (session == nullptr) return false;
  oc::SessionHelloRecord record{};
  record.size = size;
  record.seed = seed;
  record.version = version;
  record.features = features.empty() ? nullptr : features.data();
  record.featureCount = static_cast<std::int32_t>(features.size());
  return session->hello(instance.plugin(), &record);
}

TEST(PluginModule, ExportsOnlyTheEntry) {
  const std::vector<std::string> names = definedDynamicSymbols(OB_CLAP_PATH);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "clap_entry");
}

TEST(PluginModule, NeedsOnlyXlibGlAndTheRuntimes) {
  // Dear ImGui, stb and everything of ours are linked in.
  const std::vector<std::string> allowed = {"libX11.so.6",   "libGL.so.1", "libstdc++.so.6",      "libm.so.6",
                                            "libgcc_s.so.1", "libc.so.6",  "ld-linux-x86-64.so.2"};
  const std::vector<std::string> needed = neededLibraries(OB_CLAP_PATH);
  EXPECT_FALSE(needed.empty());
  for (const std::string& name : needed) {
    // Instrumented builds also need their sanitizer runtimes.
    if (name.rfind("libasan", 0) == 0 || name.rfind("libubsan", 0) == 0 || name.rfind("libtsan", 0) == 0)
      continue;
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), name), allowed.end()) << name;
  }
}

TEST(PluginModule, EntryFactoryAndDescriptor) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  const clap_plugin_entry_t* entry = lib->entry();
  EXPECT_EQ(entry->clap_version.major, 1u);
  EXPECT_EQ(entry->clap_version.minor, 2u);
  EXPECT_EQ(entry->clap_version.revision, 10u);
  EXPECT_EQ(entry->get_factory("clap.plugin-factory.x"), nullptr);
  EXPECT_EQ(entry->get_factory("clap.preset-discovery-factory"), nullptr);
  EXPECT_EQ(entry->get_factory(nullptr), nullptr);

  const clap_plugin_factory_t* f = lib->factory();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->get_plugin_count(f), 1u);
  EXPECT_EQ(f->get_plugin_descriptor(f, 1), nullptr);
  const clap_plugin_descriptor_t* d = f->get_plugin_descriptor(f, 0);
  ASSERT_NE(d, nullptr);
  EXPECT_STREQ(d->id, kId);
  EXPECT_STREQ(d->name, "Orbitrane");
  EXPECT_STREQ(d->vendor, "Tarnex");
  EXPECT_STREQ(d->version, "0.0.6");
  EXPECT_STREQ(d->description, "Drum sound design");
  EXPECT_STREQ(d->manual_url, "");
  EXPECT_STREQ(d->support_url, "");
  EXPECT_GT(std::strlen(d->url), 0u);
  ASSERT_NE(d->features, nullptr);
  EXPECT_STREQ(d->features[0], "instrument");
  EXPECT_STREQ(d->features[1], "drum-machine");
  EXPECT_STREQ(d->features[2], "stereo");
  EXPECT_EQ(d->features[3], nullptr);
}

TEST(PluginModule, FactoryRefusesWrongIdsAndOldHosts) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  const clap_plugin_factory_t* f = lib->factory();
  TestHost host;
  EXPECT_EQ(f->create_plugin(f, host.clapHost(), "io.tarnex.orbitrane2"), nullptr);
  EXPECT_EQ(f->create_plugin(f, host.clapHost(), "IO.TARNEX.ORBITRANE"), nullptr);
  EXPECT_EQ(f->create_plugin(f, host.clapHost(), nullptr), nullptr);
  EXPECT_EQ(f->create_plugin(f, nullptr, kId), nullptr);

  HostOptions old;
  old.version = {0, 9, 0};
  TestHost oldHost(old);
  EXPECT_EQ(f->create_plugin(f, oldHost.clapHost(), kId), nullptr);

  HostOptions newer;
  newer.version = {2, 0, 0};
  TestHost newHost(newer);
  std::string error;
  auto instance = Instance::create(*lib, newHost, kId, error);
  EXPECT_TRUE(instance) << error;
}

TEST(PluginModule, LifecycleRendersTheDemoOnMainAndStems) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  TestHost host;
  std::string error;
  {
    auto instance = Instance::create(*lib, host, kId, error);
    ASSERT_TRUE(instance) << error;
    // init: the event space, the timer of 100 ms.
    ASSERT_EQ(host.spaceQueries.size(), 1u);
    EXPECT_EQ(host.spaceQueries[0], "com.tessaline.events/1");
    ASSERT_EQ(host.timers.size(), 1u);
    EXPECT_EQ(host.timers[0].periodMs, 100u);

    ASSERT_TRUE(instance->activate(48000.0, 256));
    RenderRequest request;
    request.blockFrames = 256;
    request.seconds = 4.0;
    request.keepAux = true;
    const Rendered out = render(*instance, request);
    ASSERT_EQ(out.left.size(), 192000u);
    EXPECT_TRUE(allFinite(out.left));
    EXPECT_TRUE(allFinite(out.right));
    EXPECT_GT(peakOf(out.left), 0.01);
    EXPECT_GT(peakOf(out.right), 0.01);

    // The main output is the sum of the eight stems.
    double worst = 0.0;
    for (std::size_t i = 0; i < out.left.size(); ++i) {
      double l = 0.0, r = 0.0;
      for (int t = 0; t < 8; ++t) {
        l += out.aux[2 * t][i];
        r += out.aux[2 * t + 1][i];
      }
      worst = std::max({worst, std::fabs(l - out.left[i]), std::fabs(r - out.right[i])});
    }
    EXPECT_LT(worst, 1e-5);
    int soundingStems = 0;
    for (int t = 0; t < 8; ++t) soundingStems += peakOf(out.aux[2 * t]) > 1e-4 ? 1 : 0;
    EXPECT_GE(soundingStems, 2);
    instance->deactivate();
  }
  // destroy gave the timer back.
  EXPECT_TRUE(host.timers.empty());
  ASSERT_EQ(host.unregistered.size(), 1u);
  EXPECT_EQ(host.unregistered[0], 1u);
}

TEST(PluginModule, SilentWhileTheTransportIsStopped) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  TestHost host;
  std::string error;
  auto instance = Instance::create(*lib, host, kId, error);
  ASSERT_TRUE(instance) << error;
  ASSERT_TRUE(instance->activate(44100.0, 512));
  instance->setTransport(false, 120.0);
  double peak = 0.0;
  for (int b = 0; b < 100; ++b) {
    ASSERT_EQ(instance->process(512), CLAP_PROCESS_CONTINUE);
    peak = std::max({peak, peakOf(instance->channel(0, 0)), peakOf(instance->channel(0, 1))});
  }
  EXPECT_EQ(peak, 0.0);
}

TEST(PluginModule, OnlyAMainPortStillHearsEveryTrack) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  RenderRequest request;
  request.blockFrames = 128;
  request.seconds = 2.0;
  std::vector<float> withStems, mainOnly;
  for (std::uint32_t ports : {9u, 1u}) {
    TestHost host;
    std::string error;
    auto instance = Instance::create(*lib, host, kId, error);
    ASSERT_TRUE(instance) << error;
    ASSERT_TRUE(sendHello(*instance, sizeof(oc::SessionHelloRecord), 0x1234, 1));
    ASSERT_TRUE(instance->activate(48000.0, 128, ports));
    (ports == 9 ? withStems : mainOnly) = render(*instance, request).left;
  }
  ASSERT_EQ(withStems.size(), mainOnly.size());
  EXPECT_GT(peakOf(mainOnly), 0.01);
  double worst = 0.0;
  for (std::size_t i = 0; i < mainOnly.size(); ++i)
    worst = std::max(worst, static_cast<double>(std::fabs(withStems[i] - mainOnly[i])));
  EXPECT_LT(worst, 1e-6);
}

TEST(PluginModule, HostWithoutTimerSupport) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  HostOptions options;
  options.timerSupport = false;
  options.log = false;
  options.eventRegistry = false;
  options.params = false;
  options.voices = false;
  TestHost host(options);
  std::string error;
  {
    auto instance = Instance::create(*lib, host, kId, error);
    ASSERT_TRUE(instance) << error;
    EXPECT_EQ(host.registerCalls, 0);
    ASSERT_TRUE(instance->activate(0.0, 0));  // the host names no rate and no block size
    instance->setTransport(true, 120.0);
    double peak = 0.0;
    for (int b = 0; b < 200; ++b) {
      instance->process(512);
      instance->plugin()->on_main_thread(instance->plugin());
      ASSERT_TRUE(allFinite(instance->channel(0, 0)));
      peak = std::max(peak, peakOf(instance->channel(0, 0)));
    }
    EXPECT_GT(peak, 0.01);
  }
  EXPECT_TRUE(host.unregistered.empty());
}

// A rate the engine cannot run is refused with a line in the host's log and
// leaves the instance as it was; 0 (no rate named) and both edges of the
// range play finite sound.
TEST(PluginModule, SampleRatesTheEngineCannotRunAreRefused) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  TestHost host;
  std::string error;
  auto instance = Instance::create(*lib, host, kId, error);
  ASSERT_TRUE(instance) << error;
  const double inf = std::numeric_limits<double>::infinity();
  for (const double rate : {std::nan(""), inf, -inf, -48000.0, 1.0, 10.0, 7999.0, 192001.0, 1e9}) {
    SCOPED_TRACE(rate);
    const std::size_t lines = host.logLines.size();
    EXPECT_FALSE(instance->activate(rate, 512));
    EXPECT_FALSE(instance->active());
    ASSERT_EQ(host.logLines.size(), lines + 1);
    EXPECT_EQ(host.logLines.back().severity, CLAP_LOG_ERROR);
    EXPECT_NE(host.logLines.back().text.find("sample rate"), std::string::npos) << host.logLines.back().text;
  }
  // The rate is named as given, never rounded into the range it missed.
  const std::pair<double, const char*> named[] = {
      {7999.999, "of 7999.999 Hz;"}, {192000.5, "of 192000.5 Hz;"}, {200000.0, "of 200000 Hz;"},
      {7999.0, "of 7999 Hz;"},       {-44100.0, "of -44100 Hz;"},   {0.0001, "of 0.0001 Hz;"}};
  for (const auto& [rate, words] : named) {
    EXPECT_FALSE(instance->activate(rate, 512));
    EXPECT_NE(host.logLines.back().text.find(words), std::string::npos) << host.logLines.back().text;
  }
  for (const double rate : {0.0, 8000.0, 192000.0}) {
    SCOPED_TRACE(rate);
    ASSERT_TRUE(instance->activate(rate, 512));
    instance->setTransport(true, 120.0);
    instance->rewind();
    LevelMeter meter;
    bool finite = true;
    // Half a second (of 44.1 kHz when no rate was named): the first hits.
    const double played = rate > 0.0 ? rate : 44100.0;
    for (int b = 0; b < static_cast<int>(std::ceil(0.5 * played / 512.0)); ++b) {
      instance->process(512);
      finite = finite && allFinite(instance->channel(0, 0)) && allFinite(instance->channel(0, 1));
      meter.add(instance->channel(0, 0).data(), instance->channel(0, 1).data(), 512);
    }
    EXPECT_TRUE(finite);
    EXPECT_GT(meter.level().peak, 0.01);
    EXPECT_LT(meter.level().peak, 4.0);
    instance->deactivate();
  }
}

TEST(PluginModule, PortsAndExtensionLookup) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  TestHost host;
  std::string error;
  auto instance = Instance::create(*lib, host, kId, error);
  ASSERT_TRUE(instance) << error;
  const clap_plugin_t* p = instance->plugin();
  EXPECT_EQ(p->get_extension(p, "clap.unknown"), nullptr);
  EXPECT_EQ(p->get_extension(p, nullptr), nullptr);
  EXPECT_EQ(p->get_extension(p, "com.tessaline.session/2"), nullptr);
  for (const char* id :
       {"clap.audio-ports", "clap.note-ports", "clap.timer-support", "com.tessaline.session/1",
        "com.tessaline.audition/1", "com.tessaline.voices/1", "com.tessaline.diagnostics/1"})
    EXPECT_NE(p->get_extension(p, id), nullptr) << id;

  const auto* audio = instance->extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
  EXPECT_EQ(audio->count(p, true), 0u);
  EXPECT_EQ(audio->count(p, false), 9u);
  clap_audio_port_info_t info;
  EXPECT_FALSE(audio->get(p, 0, true, &info));
  EXPECT_FALSE(audio->get(p, 9, false, &info));
  ASSERT_TRUE(audio->get(p, 0, false, &info));
  EXPECT_EQ(info.id, 0u);
  EXPECT_STREQ(info.name, "Main");
  EXPECT_EQ(info.flags, CLAP_AUDIO_PORT_IS_MAIN);
  EXPECT_EQ(info.channel_count, 2u);
  EXPECT_STREQ(info.port_type, "stereo");
  EXPECT_EQ(info.in_place_pair, CLAP_INVALID_ID);

  const auto* voices = instance->extension<oc::PluginVoices>(oc::kExtVoices);
  const std::uint32_t tracks = voices->trackCount(p);
  ASSERT_GT(tracks, 0u);
  for (std::uint32_t port = 1; port <= 8; ++port) {
    ASSERT_TRUE(audio->get(p, port, false, &info));
    EXPECT_EQ(info.id, port);
    EXPECT_EQ(info.flags, 0u);
    EXPECT_EQ(info.channel_count, 2u);
    std::string expected = std::to_string(port) + " ";
    oc::VoiceTrackInfo track{};
    track.size = sizeof track;
    if (port - 1 < tracks) {
      ASSERT_TRUE(voices->getTrack(p, port - 1, &track));
      expected += track.soundName;
    }
    EXPECT_EQ(std::string(info.name), expected);
  }

  const auto* notes = instance->extension<clap_plugin_note_ports_t>(CLAP_EXT_NOTE_PORTS);
  EXPECT_EQ(notes->count(p, true), 1u);
  EXPECT_EQ(notes->count(p, false), 0u);
  clap_note_port_info_t note;
  EXPECT_FALSE(notes->get(p, 0, false, &note));
  EXPECT_FALSE(notes->get(p, 1, true, &note));
  ASSERT_TRUE(notes->get(p, 0, true, &note));
  EXPECT_EQ(note.id, 0u);
  EXPECT_EQ(note.supported_dialects, CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI);
  EXPECT_EQ(note.preferred_dialect, CLAP_NOTE_DIALECT_CLAP);
  EXPECT_STREQ(note.name, "Notes");
}

TEST(PluginModule, SessionHelloByteLayout) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  TestHost host;
  std::string error;
  auto instance = Instance::create(*lib, host, kId, error);
  ASSERT_TRUE(instance) << error;
  const auto* session = instance->extension<oc::PluginSession>(oc::kExtSession);
  EXPECT_FALSE(session->hello(instance->plugin(), nullptr));
  EXPECT_FALSE(sendHello(*instance, 19, 5, 1));
  EXPECT_FALSE(sendHello(*instance, 40, 5, 2));
  EXPECT_TRUE(sendHello(*instance, 20, 5, 1));
  EXPECT_TRUE(sendHello(*instance, 20, 6, 0));
  // A record built by hand at the documented offsets.
  std::vector<const char*> features = {"com.tessaline.control-signals/1", nullptr};
  alignas(8) unsigned char raw[40] = {};
  const std::uint32_t size = 40, version = 1;
  const std::uint64_t seed = 0x0123456789abcdefull;
  const char* const* list = features.data();
  const std::int32_t count = 2;
  std::memcpy(raw + 0, &size, 4);
  std::memcpy(raw + 8, &seed, 8);
  std::memcpy(raw + 16, &version, 4);
  std::memcpy(raw + 24, &list, 8);
  std::memcpy(raw + 32, &count, 4);
  EXPECT_TRUE(session->hello(instance->plugin(), reinterpret_cast<const oc::SessionHelloRecord*>(raw)));
  // With control signals announced and an event space given, activate
  // turns them on; rendering still works.
  ASSERT_TRUE(instance->activate(48000.0, 256));
  RenderRequest request;
  request.seconds = 1.0;
  request.blockFrames = 256;
  EXPECT_TRUE(allFinite(render(*instance, request).left));
}

TEST(PluginModule, VoicesRecordsFollowTheProject) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  TestHost host;
  std::string error;
  auto instance = Instance::create(*lib, host, kId, error);
  ASSERT_TRUE(instance) << error;
  const clap_plugin_t* p = instance->plugin();
  const auto* voices = instance->extension<oc::PluginVoices>(oc::kExtVoices);
  const std::uint32_t tracks = voices->trackCount(p);
  ASSERT_GE(tracks, 1u);
  ASSERT_LE(tracks, 8u);
  oc::VoiceTrackInfo track;
  std::memset(&track, 0xAB, sizeof track);
  track.size = 780;
  EXPECT_FALSE(voices->getTrack(p, tracks, &track));
  EXPECT_FALSE(voices->getTrack(p, 0, nullptr));
  for (std::uint32_t t = 0; t < tracks; ++t) {
    std::memset(&track, 0xAB, sizeof track);
    track.size = 12345;
    ASSERT_TRUE(voices->getTrack(p, t, &track));
    EXPECT_EQ(track.size, 12345u);  // left as the caller set it
    EXPECT_EQ(track.trackIndex, t);
    EXPECT_EQ(track.auxPort, t + 1);
    EXPECT_GT(std::strlen(track.trackId), 0u);
    EXPECT_LT(strnlen(track.soundName, 256), 256u);
    const std::string machine = track.machineType;
    EXPECT_TRUE(machine == "sample" || machine == "va" || machine == "granular" || machine == "drum" ||
                (machine.empty() && track.soundName[0] == '\0'))
        << machine;
  }
  const std::uint32_t sounds = voices->soundCount(p);
  ASSERT_GE(sounds, 1u);
  oc::VoiceSoundInfo sound;
  EXPECT_FALSE(voices->getSound(p, sounds, &sound));
  std::uint32_t lastSlot = 0;
  for (std::uint32_t n = 0; n < sounds; ++n) {
    std::memset(&sound, 0xCD, sizeof sound);
    sound.size = 520;
    ASSERT_TRUE(voices->getSound(p, n, &sound));
    EXPECT_EQ(sound.size, 520u);
    EXPECT_LT(sound.soundSlot, 8u);
    if (n > 0) {
      EXPECT_GT(sound.soundSlot, lastSlot);
    }
    lastSlot = sound.soundSlot;
    EXPECT_GT(std::strlen(sound.soundId), 0u);
  }
}

TEST(PluginModule, DiagnosticsStartEmpty) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  TestHost host;
  std::string error;
  auto instance = Instance::create(*lib, host, kId, error);
  ASSERT_TRUE(instance) << error;
  const auto* diag = instance->extension<oc::PluginDiagnostics>(oc::kExtDiagnostics);
  EXPECT_EQ(diag->count(instance->plugin()), 0u);
  oc::DiagnosticInfo info{};
  info.size = sizeof info;
  EXPECT_FALSE(diag->get(instance->plugin(), 0, &info));
  EXPECT_TRUE(host.logLines.empty());
}

TEST(PluginModule, TwoInstancesLiveSideBySide) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  TestHost hostA, hostB;
  std::string error;
  auto a = Instance::create(*lib, hostA, kId, error);
  auto b = Instance::create(*lib, hostB, kId, error);
  ASSERT_TRUE(a && b) << error;
  ASSERT_TRUE(a->activate(48000.0, 64));
  ASSERT_TRUE(b->activate(96000.0, 1024));
  RenderRequest ra, rb;
  ra.blockFrames = 64;
  ra.seconds = 0.5;
  rb.blockFrames = 1024;
  rb.seconds = 0.5;
  EXPECT_EQ(render(*a, ra).frames, 24000u);
  EXPECT_EQ(render(*b, rb).frames, 48000u);
  a.reset();
  EXPECT_EQ(render(*b, rb).frames, 48000u);
}

TEST(PluginModule, StateTravelsThroughTheHostAndABadOneIsRefused) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  TestHost hostA, hostB;
  std::string error;
  auto a = Instance::create(*lib, hostA, kId, error);
  ASSERT_TRUE(a) << error;
  auto b = Instance::create(*lib, hostB, kId, error);
  ASSERT_TRUE(b) << error;

  std::vector<std::uint8_t> saved;
  ASSERT_TRUE(a->saveState(saved, error)) << error;
  ASSERT_GT(saved.size(), 8u);
  EXPECT_EQ(0, std::memcmp(saved.data(), "OBS1\0\0\0\0", 8));
  ASSERT_TRUE(b->loadState(saved, error)) << error;
  std::vector<std::uint8_t> again;
  ASSERT_TRUE(b->saveState(again, error)) << error;
  EXPECT_EQ(saved, again);

  const std::string junk = "OBS1\0\0\0\0not a state";
  EXPECT_FALSE(b->loadState(std::vector<std::uint8_t>(junk.begin(), junk.end()), error));
  EXPECT_EQ(error, "the plug-in refused the state");
  // The refused state left the instance as it was.
  ASSERT_TRUE(b->saveState(again, error)) << error;
  EXPECT_EQ(saved, again);
}

// A load that renames the auxiliary outputs tells the host, names only; a
// load or a pass that changes no name does not.
TEST(PluginModule, RenamedOutputsAskTheHostToRescanTheirNames) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  TestHost host;
  std::string error;
  auto instance = Instance::create(*lib, host, kId, error);
  ASSERT_TRUE(instance) << error;
  const auto* ports = instance->extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
  ASSERT_NE(ports, nullptr);
  auto portName = [&](std::uint32_t index) {
    clap_audio_port_info_t info{};
    EXPECT_TRUE(ports->get(instance->plugin(), index, false, &info));
    return std::string(info.name);
  };
  ASSERT_TRUE(instance->activate(48000.0, 256));
  for (int b = 0; b < 10; ++b) {
    instance->process(256);
    instance->runMainThread(100.0);
  }
  EXPECT_EQ(host.audioPortRescans, 0);

  std::vector<std::uint8_t> same;
  ASSERT_TRUE(instance->saveState(same, error)) << error;
  std::string text(same.begin(), same.end());
  const std::string snare = "\"name\": \"Snare\"";
  const std::size_t at = text.find(snare);
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(portName(2), "2 Snare");
  text.replace(at, snare.size(), "\"name\": \"Clap\"");
  const std::vector<std::uint8_t> renamed(text.begin(), text.end());

  ASSERT_TRUE(instance->loadState(same, error)) << error;
  EXPECT_EQ(host.audioPortRescans, 0);
  ASSERT_TRUE(instance->loadState(renamed, error)) << error;
  EXPECT_EQ(host.audioPortRescans, 1);
  EXPECT_EQ(host.lastAudioPortRescanFlags, CLAP_AUDIO_PORTS_RESCAN_NAMES);
  EXPECT_EQ(portName(2), "2 Clap");
  ASSERT_TRUE(instance->loadState(renamed, error)) << error;
  instance->runMainThread(1000.0);
  EXPECT_EQ(host.audioPortRescans, 1);
  ASSERT_TRUE(instance->loadState(same, error)) << error;
  EXPECT_EQ(host.audioPortRescans, 2);
  EXPECT_EQ(portName(2), "2 Snare");
}

// The command-line host's --kit: every factory kit reaches the plug-in as a
// state and plays, its sounds naming the outputs; a number that names no
// kit is refused with the library's reason.
TEST(PluginModule, EveryFactoryKitPlaysFromItsState) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  const std::size_t kits = ob::KitLibrary::listBuiltinKits().size();
  ASSERT_GT(kits, 0u);
  for (std::size_t k = 0; k < kits; ++k) {
    SCOPED_TRACE("kit " + std::to_string(k));
    std::string error;
    std::vector<std::uint8_t> state;
    ASSERT_TRUE(factoryKitState(std::to_string(k), state, error)) << error;
    TestHost host;
    auto instance = Instance::create(*lib, host, kId, error);
    ASSERT_TRUE(instance) << error;
    ASSERT_TRUE(instance->loadState(state, error)) << error;

    ob::Pattern kit;
    ASSERT_TRUE(ob::KitLibrary::loadKit("builtin:" + std::to_string(k), kit, &error)) << error;
    const auto* ports = instance->extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    clap_audio_port_info_t info{};
    ASSERT_TRUE(ports->get(instance->plugin(), 1, false, &info));
    ASSERT_GE(kit.tracks[0].soundIndex, 0);
    const std::string firstSound = kit.kit.sounds[kit.tracks[0].soundIndex].name;
    EXPECT_NE(std::string(info.name).find(firstSound), std::string::npos) << info.name;

    ASSERT_TRUE(instance->activate(48000.0, 512));
    RenderRequest request;
    request.seconds = 2.0;
    const Rendered out = render(*instance, request);
    EXPECT_TRUE(allFinite(out.left));
    EXPECT_GT(peakOf(out.left), 0.01);
  }
  std::string error;
  std::vector<std::uint8_t> state;
  EXPECT_FALSE(factoryKitState(std::to_string(kits), state, error));
  EXPECT_NE(error.find("no such built-in kit"), std::string::npos) << error;
  EXPECT_FALSE(factoryKitState("/etc/passwd", state, error));
}

// A WAV written block by block is the file encodeWav writes at once.
TEST(PluginModule, StreamedWavIsTheWholeFile) {
  std::vector<float> left(1000), right(1000);
  for (std::size_t i = 0; i < left.size(); ++i) {
    left[i] = std::sin(0.01f * static_cast<float>(i));
    right[i] = 0.25f * left[i];
  }
  const std::string path =
      (std::filesystem::temp_directory_path() / ("orbi-stream-" + std::to_string(::getpid()) + ".wav"))
          .string();
  for (std::uint32_t channels : {1u, 2u}) {
    SCOPED_TRACE(channels);
    std::string error;
    WavStream stream;
    ASSERT_TRUE(stream.open(path, channels, 44100.0, error)) << error;
    for (std::uint32_t at = 0; at < 1000; at += 384)
      ASSERT_TRUE(stream.append(left.data() + at, right.data() + at, std::min(384u, 1000 - at), error))
          << error;
    ASSERT_TRUE(stream.close(error)) << error;
    std::vector<std::uint8_t> file;
    ASSERT_TRUE(readFile(path, file, error)) << error;
    EXPECT_EQ(file, ob::encodeWav(left.data(), channels == 2 ? right.data() : nullptr, 1000, 44100.0));
  }
  std::filesystem::remove(path);
  std::string error;
  WavStream nowhere;
  EXPECT_FALSE(nowhere.open("/nonexistent-folder/out.wav", 2, 44100.0, error));
  EXPECT_FALSE(error.empty());
}

// A host's reset with its transport back at the start: the same session seed
// renders sample for sample what a freshly activated instance renders.
TEST(PluginModule, AfterAResetTheRenderIsAFreshActivations) {
  const ClapLibrary* lib = load();
  ASSERT_NE(lib, nullptr);
  RenderRequest request;
  request.blockFrames = 256;
  request.seconds = 400 * 256 / 48000.0;
  request.keepAux = true;
  auto started = [&](TestHost& host) {
    std::string error;
    auto instance = Instance::create(*lib, host, kId, error);
    EXPECT_TRUE(instance) << error;
    if (instance) {
      EXPECT_TRUE(sendHello(*instance, sizeof(oc::SessionHelloRecord), 42, 1));
      EXPECT_TRUE(instance->activate(48000.0, 256));
    }
    return instance;
  };
  TestHost freshHost, resetHost;
  auto fresh = started(freshHost);
  auto played = started(resetHost);
  ASSERT_TRUE(fresh && played);
  const Rendered expected = render(*fresh, request);
  EXPECT_GT(peakOf(expected.left), 0.01);
  render(*played, request);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    played->reset();
    played->rewind();
    const Rendered again = render(*played, request);
    EXPECT_EQ(again.left, expected.left);
    EXPECT_EQ(again.right, expected.right);
    EXPECT_EQ(again.aux, expected.aux);
  }
}

}  // namespace module_test
