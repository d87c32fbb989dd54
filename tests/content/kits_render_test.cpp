// The built-in kits played through the engine: every voice that the groove
// fires is heard, voices without a groove stay silent until hit, every kit is
// about as loud as the others without clipping, and a kit read back from its
// kit file sounds exactly like the one built in code.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "content/factory/factory_preload.h"
#include "content/kits/factory_kit_builder.h"
#include "content/kits/kit_library.h"
#include "engine/session/engine_host.h"

namespace kits_render_test {

namespace fs = std::filesystem;

constexpr double kRate = 44100.0;
constexpr int kBlock = 256;
// About -60 dBFS: far above rounding noise, far below any drum hit.
constexpr float kAudibleFloor = 1e-3f;

struct TrackLevels {
  float peak[8] = {};
  double rms[8] = {};
  // The main output: the sum of the eight stems, both sides.
  float mainPeak = 0.0f;
  double mainRms = 0.0;
  bool finite = true;
};

// An engine host playing the kit, with the acoustic set preloaded when the
// kit's sounds need it.
std::unique_ptr<orbi::EngineHost> hostFor(const ob::Pattern& kit, double rate = kRate) {
  auto host = orbi::EngineHost::create();
  if (!host) return host;
  host->engine.prepare(rate, kBlock);
  host->project = ob::Project{};
  host->project.patterns[0] = kit;
  bool samples = false;
  for (int k = 0; k < kit.numTracks; ++k) samples |= kit.kit.sounds[k].machine == ob::kMachineSample;
  if (samples) {
    EXPECT_EQ(ob::preloadFactorySamples(host->project, host->pool), 33);
    host->publishSamples();
  }
  host->engine.loadProject(host->project);
  return host;
}

// Runs the engine for `frames`, calling before(startFrame) ahead of each
// block, and collects each track's peak and RMS.
template <typename Before>
TrackLevels run(orbi::EngineHost& host, int frames, const ob::RenderInfo& info, Before before,
                std::vector<float>* mix = nullptr) {
  TrackLevels out;
  std::vector<float> buf(16 * kBlock);
  float* channels[16];
  for (int c = 0; c < 16; ++c) channels[c] = buf.data() + c * kBlock;
  double sums[8] = {};
  double mainSum = 0.0;
  for (int at = 0; at < frames; at += kBlock) {
    const int n = std::min(kBlock, frames - at);
    before(at);
    host.engine.processBlock(channels, 8, n, info);
    float main[2][kBlock] = {};
    for (int t = 0; t < 8; ++t) {
      for (int side = 0; side < 2; ++side) {
        const float* ch = channels[2 * t + side];
        for (int i = 0; i < n; ++i) {
          if (!std::isfinite(ch[i])) out.finite = false;
          out.peak[t] = std::max(out.peak[t], std::fabs(ch[i]));
          sums[t] += static_cast<double>(ch[i]) * ch[i];
          main[side][i] += ch[i];
        }
      }
      if (mix != nullptr)
        for (int i = 0; i < n; ++i) mix->push_back(channels[2 * t][i] + channels[2 * t + 1][i]);
    }
    for (const float* side : main) {
      for (int i = 0; i < n; ++i) {
        out.mainPeak = std::max(out.mainPeak, std::fabs(side[i]));
        mainSum += static_cast<double>(side[i]) * side[i];
      }
    }
  }
  for (int t = 0; t < 8; ++t) out.rms[t] = std::sqrt(sums[t] / (2.0 * frames));
  out.mainRms = std::sqrt(mainSum / (2.0 * frames));
  return out;
}

ob::RenderInfo playing() {
  ob::RenderInfo info;
  info.playing = 1;
  info.clockRunning = 1;
  info.internalPlay = 1;
  return info;
}

bool hasGroove(const ob::Track& track) {
  for (const ob::Step& s : track.steps)
    if (s.active) return true;
  return false;
}

// Every kit's groove as a host plays it at 120 BPM: two bars, so that the
// second hears what rings over the bar line. Rendered once for the tests that
// read it.
const std::vector<TrackLevels>& grooveLevels() {
  static const std::vector<TrackLevels> levels = [] {
    constexpr double kHostRate = 48000.0;
    ob::RenderInfo info = playing();
    info.tempo = 120.0;
    std::vector<TrackLevels> out;
    for (int i = 0; i < ob::factoryKitCount(); ++i) {
      auto host = hostFor(ob::makeFactoryKit(static_cast<std::uint32_t>(i)), kHostRate);
      if (!host) break;
      out.push_back(run(*host, static_cast<int>(4.0 * kHostRate), info, [](int) {}));
    }
    return out;
  }();
  return levels;
}

TEST(KitRender, EveryGroovedVoiceOfEveryKitIsHeard) {
  ASSERT_EQ(grooveLevels().size(), static_cast<std::size_t>(ob::factoryKitCount()));
  for (int i = 0; i < ob::factoryKitCount(); ++i) {
    SCOPED_TRACE(i);
    const ob::Pattern kit = ob::makeFactoryKit(static_cast<std::uint32_t>(i));
    const TrackLevels& levels = grooveLevels()[static_cast<std::size_t>(i)];
    EXPECT_TRUE(levels.finite);
    for (int t = 0; t < 8; ++t) {
      SCOPED_TRACE(t);
      if (t < kit.numTracks && hasGroove(kit.tracks[t])) {
        EXPECT_GT(levels.peak[t], kAudibleFloor);
        EXPECT_GT(levels.rms[t], kAudibleFloor / 10.0);
        EXPECT_LT(levels.peak[t], 8.0f);
      } else {
        // A voice the groove never fires stays silent, as do the
        // tracks beyond the kit.
        EXPECT_EQ(levels.peak[t], 0.0f);
      }
    }
  }
}

double decibels(double level) { return 20.0 * std::log10(std::max(level, 1e-12)); }

// Stepping from kit to kit keeps the loudness: every kit's groove sits within
// 6 dB of the middle kit's, and none clips the main output.
TEST(KitRender, EveryKitsGrooveIsAboutAsLoudAsTheOthersAndNoneClips) {
  ASSERT_EQ(grooveLevels().size(), static_cast<std::size_t>(ob::factoryKitCount()));
  std::vector<double> loudness;
  for (const TrackLevels& levels : grooveLevels()) {
    SCOPED_TRACE(loudness.size());
    EXPECT_LT(levels.mainPeak, 1.0f) << decibels(levels.mainPeak) << " dBFS";
    loudness.push_back(decibels(levels.mainRms));
  }
  std::vector<double> sorted = loudness;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  for (std::size_t i = 0; i < loudness.size(); ++i) EXPECT_NEAR(loudness[i], median, 6.0) << "kit " << i;
}

TEST(KitRender, EveryVoiceSoundsWhenHit) {
  for (int i = 0; i < ob::factoryKitCount(); ++i) {
    SCOPED_TRACE(i);
    const ob::Pattern kit = ob::makeFactoryKit(static_cast<std::uint32_t>(i));
    auto host = hostFor(kit);
    ASSERT_TRUE(host);
    for (int t = 0; t < kit.numTracks; ++t) {
      SCOPED_TRACE(t);
      const TrackLevels levels = run(*host, 22050, ob::RenderInfo{}, [&](int at) {
        if (at != 0) return;
        ob::Trigger hit;
        hit.track = static_cast<std::uint8_t>(t);
        hit.gain = 1.0f;
        hit.note = 60;
        ASSERT_TRUE(host->engine.queueTrigger(hit));
      });
      EXPECT_TRUE(levels.finite);
      EXPECT_GT(levels.peak[t], kAudibleFloor);
      for (int other = 0; other < 8; ++other) {
        if (other == t) continue;
        EXPECT_EQ(levels.peak[other], 0.0f) << other;
      }
      host->engine.reset();
    }
  }
}

TEST(KitRender, SampleKitsPlayTheirVelocityZones) {
  // Kit 7's kick: a soft hit plays "Kick P" (slot 0), a hard one "Kick FF"
  // (slot 2), so the two differ; both are heard.
  const ob::Pattern kit = ob::makeFactoryKit(7);
  std::vector<float> soft, hard;
  for (float gain : {40.0f / 127.0f, 1.0f}) {
    auto host = hostFor(kit);
    ASSERT_TRUE(host);
    std::vector<float>& mix = gain < 1.0f ? soft : hard;
    const TrackLevels levels = run(
        *host, 8192, ob::RenderInfo{},
        [&](int at) {
          if (at != 0) return;
          ob::Trigger hit;
          hit.track = 0;
          hit.gain = gain;
          host->engine.queueTrigger(hit);
        },
        &mix);
    EXPECT_GT(levels.peak[0], kAudibleFloor);
  }
  EXPECT_NE(soft, hard);
}

TEST(KitRender, AKitReadBackFromItsFileSoundsTheSame) {
  const fs::path dir = fs::temp_directory_path() / ("kits-render-" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  for (int i = 0; i < ob::factoryKitCount(); ++i) {
    SCOPED_TRACE(i);
    const ob::Pattern built = ob::makeFactoryKit(static_cast<std::uint32_t>(i));
    std::string file = "k";
    file += std::to_string(i);
    file += ".kit.orbi";
    const std::string path = (dir / file).string();
    std::string error;
    ASSERT_TRUE(ob::KitLibrary::saveKitFile(path, built, &error)) << error;
    ob::Pattern loaded{};
    ASSERT_TRUE(ob::KitLibrary::loadKitFile(path, loaded, &error)) << error;

    std::vector<float> renders[2];
    for (int which = 0; which < 2; ++which) {
      auto host = hostFor(which == 0 ? built : loaded);
      ASSERT_TRUE(host);
      run(
          *host, 44100, ob::RenderInfo{},
          [&](int at) {
            // Every voice, one after another, a quarter of a beat apart.
            if (at % 4096 != 0) return;
            const int t = at / 4096;
            if (t >= built.numTracks) return;
            ob::Trigger hit;
            hit.track = static_cast<std::uint8_t>(t);
            hit.gain = 0.8f;
            host->engine.queueTrigger(hit);
          },
          &renders[which]);
    }
    ASSERT_EQ(renders[0].size(), renders[1].size());
    EXPECT_TRUE(renders[0] == renders[1]);
    float peak = 0.0f;
    for (float v : renders[0]) peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, kAudibleFloor);
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
}

}  // namespace kits_render_test
