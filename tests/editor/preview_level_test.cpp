// A track's sound auditioned in the editor (the drum view's click, a
// gesture's end, a half browser landing) is heard at the plug-in's main
// output as loud as the track plays it, and never past full scale: every
// factory kit, every track, through the plug-in's own process call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "content/kits/kit_library.h"
#include "editor/editor_view.h"
#include "editor/editor_wrapper.h"
#include "editor/widgets/bench/bench_page.h"
#include "engine/clock/step_rate.h"
#include "engine/session/engine_host.h"
#include "plugin/plugin.h"
#include "support/editor/wav_writer.h"
#include "support/ui/ui_harness.h"
#include "tools/clap_host/factory_kit.h"
#include "tools/clap_host/test_host.h"

namespace orbi::test {
namespace preview_level_test {

constexpr double kRate = 44100.0;
constexpr std::uint32_t kBlock = 512;
constexpr double kTempo = 120.0;
// Every factory sound is at its loudest within this.
constexpr double kHitSeconds = 0.3;
// Host notes a track is heard from: a noisy sound, or one an LFO or a free
// running oscillator moves, differs from hit to hit.
constexpr int kHits = 3;

double decibels(double ratio) { return 20.0 * std::log10(ratio); }

struct Loudness {
  double peak = 0.0;
  // The loudest block's RMS over both sides: steadier than a peak for a
  // noisy sound.
  double level = 0.0;
};

// One active instance with its editor open as a host opens it, without a
// window, driven through "clap.state" and process like a host, with the
// transport stopped unless it plays the pattern.
class KitRig {
 public:
  KitRig() {
    plugin_ = new ob::clap::Plugin(host_.clapHost(), ob::clap::makeEditor);
    EXPECT_TRUE(plugin_->plugin.init(&plugin_->plugin));
    instance_ = host::Instance::adopt(host_, &plugin_->plugin);
    auto* editor = dynamic_cast<ob::clap::OrbitraneEditor*>(plugin_->editor.get());
    EXPECT_TRUE(editor && editor->create("x11", false));
    view_ = editor ? dynamic_cast<EditorView*>(editor->view()) : nullptr;
    EXPECT_NE(view_, nullptr);
    EXPECT_TRUE(instance_->activate(kRate, kBlock));
    instance_->setTransport(false, kTempo);
  }
  bool ready() const { return view_ != nullptr && instance_->active(); }
  // The factory kit as the host's state, taken in by the engine and the
  // editor, with nothing sounding.
  void load(std::size_t kit) {
    std::string error;
    std::vector<std::uint8_t> state;
    ASSERT_TRUE(host::factoryKitState(std::to_string(kit), state, error)) << error;
    ASSERT_TRUE(instance_->loadState(state, error)) << error;
    instance_->process(kBlock);  // the engine takes the kit in
    instance_->reset();          // and the last kit's hits stop
    harness_.frame(*view_);
  }
  const ob::Pattern& part() const { return plugin_->engineHost->project.patterns[0]; }
  // A WAV file imported and given to the track on the samples page.
  void assignSample(const std::string& path, int track) {
    const std::int32_t slot = view_->samplesPage().loadWav(path);
    ASSERT_GE(slot, 0) << view_->samplesPage().message();
    view_->samplesPage().previewSlot(slot);
    view_->samplesPage().assignToTrack(track);
    for (int pass = 0; pass < 3; ++pass) {
      instance_->process(kBlock);
      instance_->runMainThread(100.0);
    }
  }

  // Selects the track and the step (-1 for none) as the bench does, then
  // runs `hear` on the bench page and the render it asked for, and
  // measures the main output.
  template <typename Hear>
  Loudness audition(int track, int step, Hear&& hear) {
    view_->setSelectedTrack(track);
    view_->setSelectedStep(step);
    hear(view_->benchPage());
    view_->finishRenders();
    return measure(kHitSeconds, 0);
  }
  // A host note at full velocity on the track's key, measured at the
  // track's own output.
  Loudness hit(int track) {
    clap_event_note_t note{};
    note.header.size = sizeof note;
    note.header.type = CLAP_EVENT_NOTE_ON;
    note.note_id = -1;
    note.key = static_cast<std::int16_t>(60 + track);
    note.velocity = 1.0;
    instance_->queueEvent(&note);
    return measure(kHitSeconds, static_cast<std::uint32_t>(track) + 1);
  }
  // Each track over one pass of the pattern from its start, at its own
  // output.
  std::vector<Loudness> playback() {
    double beats = 0.0;
    for (int t = 0; t < part().numTracks; ++t)
      beats = std::max(beats, part().tracks[t].length * ob::rateBeats(part().tracks[t].rate));
    std::vector<Loudness> tracks(ob::kMaxTracks);
    instance_->rewind();
    instance_->setTransport(true, kTempo);
    for (double done = 0.0; done < (beats * 60.0 / kTempo + kHitSeconds) * kRate; done += kBlock) {
      instance_->process(kBlock);
      for (std::uint32_t t = 0; t < ob::kMaxTracks; ++t) tracks[t] = louderOf(tracks[t], blockOf(t + 1));
    }
    instance_->setTransport(false, kTempo);
    instance_->process(kBlock);  // the stop silences every track
    return tracks;
  }

 private:
  static Loudness louderOf(Loudness a, Loudness b) {
    return {std::max(a.peak, b.peak), std::max(a.level, b.level)};
  }
  // The last block at output port `port` (0 the main one, t + 1 track t's).
  Loudness blockOf(std::uint32_t port) const {
    Loudness out;
    double squares = 0.0;
    for (std::uint32_t c = 0; c < 2; ++c)
      for (const float s : instance_->channel(port, c)) {
        out.peak = std::max(out.peak, std::fabs(static_cast<double>(s)));
        squares += static_cast<double>(s) * s;
      }
    out.level = std::sqrt(squares / (2.0 * kBlock));
    return out;
  }
  Loudness measure(double seconds, std::uint32_t port) {
    Loudness out;
    for (double done = 0.0; done < seconds * kRate; done += kBlock) {
      instance_->process(kBlock);
      out = louderOf(out, blockOf(port));
    }
    return out;
  }

  host::TestHost host_;
  ui::UiHarness harness_{1.0f};
  ob::clap::Plugin* plugin_ = nullptr;  // the instance destroys it
  std::unique_ptr<host::Instance> instance_;
  EditorView* view_ = nullptr;
};

// The bench's ways to hear the whole sound: the drum view's sum node for a
// drum, the end of a chain-tile drag for every machine.
void hearWhole(BenchPage& page, const ob::Sound& sound) {
  if (sound.machine == ob::kMachineDrum)
    page.anatomy.onHearBoth();
  else
    page.chain.amp.onGestureEnd();
}

// With no step selected the audition is the sound at full velocity: as loud
// as the track's own hits from host notes at full velocity, within 1 dB of
// the softest and the loudest of them, and never past full scale.
void checkKit(KitRig& rig) {
  const ob::Pattern& part = rig.part();
  ASSERT_GT(part.numTracks, 0);
  // The auditions first, while no track sounds, then each track's notes at
  // its own output.
  std::vector<Loudness> whole(ob::kMaxTracks);
  for (int t = 0; t < part.numTracks; ++t) {
    const ob::Sound& sound = part.kit.sounds[part.tracks[t].soundIndex];
    whole[t] = rig.audition(t, -1, [&](BenchPage& page) { hearWhole(page, sound); });
  }
  for (int t = 0; t < part.numTracks; ++t) {
    const ob::Sound& sound = part.kit.sounds[part.tracks[t].soundIndex];
    SCOPED_TRACE(testing::Message() << part.kit.name << ", track " << t + 1 << " " << sound.name);
    EXPECT_LE(whole[t].peak, 1.0);
    Loudness softest{1e9, 1e9}, loudest;
    for (int n = 0; n < kHits; ++n) {
      const Loudness played = rig.hit(t);
      softest = {std::min(softest.peak, played.peak), std::min(softest.level, played.level)};
      loudest = {std::max(loudest.peak, played.peak), std::max(loudest.level, played.level)};
    }
    ASSERT_GT(softest.level, 0.001);
    EXPECT_GE(decibels(whole[t].level / softest.level), -1.0)
        << whole[t].level << " against " << softest.level;
    EXPECT_LE(decibels(whole[t].level / loudest.level), 1.0)
        << whole[t].level << " against " << loudest.level;
  }
}

TEST(PreviewLevel, ATracksSoundIsHeardAsLoudAsTheTrackPlaysIt) {
  KitRig rig;
  ASSERT_TRUE(rig.ready());
  const std::size_t kits = ob::KitLibrary::listBuiltinKits().size();
  ASSERT_GT(kits, 0u);
  for (std::size_t kit = 0; kit < kits; ++kit) {
    SCOPED_TRACE("kit " + std::to_string(kit));
    ASSERT_NO_FATAL_FAILURE(rig.load(kit));
    checkKit(rig);
  }
}

// The drum view's click with the transport stopped, on the kit where it
// was loudest: the kick's and the snare's previews peak within full scale
// and at most 2 dB over their own hits in a pass of the pattern.
TEST(PreviewLevel, TheDrumOfTheIdmKitIsNoLouderThanItsPattern) {
  const std::vector<ob::KitEntry> kits = ob::KitLibrary::listBuiltinKits();
  const auto idm =
      std::find_if(kits.begin(), kits.end(), [](const ob::KitEntry& e) { return e.name == "IDM Glitch"; });
  ASSERT_NE(idm, kits.end());
  KitRig rig;
  ASSERT_TRUE(rig.ready());
  ASSERT_NO_FATAL_FAILURE(rig.load(static_cast<std::size_t>(idm - kits.begin())));
  const std::vector<Loudness> pattern = rig.playback();
  for (int t : {0, 1}) {
    const ob::Sound& sound = rig.part().kit.sounds[rig.part().tracks[t].soundIndex];
    SCOPED_TRACE(sound.name);
    ASSERT_EQ(sound.machine, ob::kMachineDrum);
    const double preview = rig.audition(t, -1, [](BenchPage& page) { page.anatomy.onHearBoth(); }).peak;
    ASSERT_GT(pattern[t].peak, 0.01);
    EXPECT_LE(preview, 1.0);
    EXPECT_LE(decibels(preview / pattern[t].peak), 2.0) << preview << " against " << pattern[t].peak;
  }
}

// A stereo recording at -30 dBFS on the left and -3 on the right: its track
// is heard on both sides as it plays, not from its left channel alone.
TEST(PreviewLevel, AStereoSampleIsHeardOnBothSidesAsTheTrackPlaysIt) {
  KitRig rig;
  ASSERT_TRUE(rig.ready());
  ASSERT_NO_FATAL_FAILURE(rig.load(0));
  std::vector<float> frames;
  for (const float s : drumHit(kRate, 0.5)) frames.insert(frames.end(), {s * 0.0316f, s * 0.708f});
  const std::string path = testing::TempDir() + "orbi-preview-level-wide.wav";
  writeFile(path, wavBytes(frames, 2, kRate, WavFormat::Float32));
  ASSERT_NO_FATAL_FAILURE(rig.assignSample(path, 0));
  std::remove(path.c_str());
  checkKit(rig);
}

}  // namespace preview_level_test
}  // namespace orbi::test
