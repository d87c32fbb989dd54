// The editor's audition: an offline render of the sound, handed to the
// preview at the host's rate once all of it is in, however many frames the
// render took, each side at its clamped gain and never past full scale.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <filesystem>

#include "editor_rig.h"
#include "engine/engine/audition_preview.h"
#include "engine/params/param_tables.h"
#include "engine/player/render_sound_offline.h"
#include "support/editor/wav_writer.h"

namespace orbi::test {
namespace audition_test {

struct Sides {
  std::vector<float> left, right;
};

// What the preview plays on each side, one frame per sample at a rate step
// of 1.
Sides played(ob::AuditionPreview& preview, std::size_t frames) {
  Sides out{std::vector<float>(frames, 0.0f), std::vector<float>(frames, 0.0f)};
  preview.mix(out.left.data(), out.right.data(), static_cast<std::uint32_t>(frames));
  return out;
}

float peakOf(const std::vector<float>& samples) {
  float peak = 0.0f;
  for (float s : samples) peak = std::max(peak, std::fabs(s));
  return peak;
}

// The demo's kick auditioned in the editor of an active instance.
class KickAudition : public testing::Test {
 protected:
  void SetUp() override {
    rig.activate(44100.0);
    rig.frames(1);
  }
  const ob::Sound& kick() { return rig.project().patterns[0].kit.sounds[0]; }
  // The render the preview plays before its gains.
  std::vector<float> direct(float level) {
    std::vector<float> out;
    const ob::SamplePoolSnapshot* published = rig.engineHost().engine.sampleSet().newest();
    EXPECT_NE(published, nullptr);
    ob::renderSoundOffline(kick(), published, 44100.0, 88200, out, level);
    return out;
  }
  EditorRig rig;
};

TEST_F(KickAudition, PlaysTheRenderTimesEachSidesClampedGain) {
  const ob::Sound& sound = kick();
  const std::vector<float> direct = this->direct(0.8f);
  const std::size_t n = 4096;

  ASSERT_LT(peakOf(direct), 1.0f);  // heard whole at a gain of 1
  ASSERT_GT(peakOf(direct), 0.1f);

  struct Case {
    ob::OutputGains gains, applied;
  };
  const float nan = std::nanf("");
  std::uint32_t index = rig.view().auditionIndex();
  for (const Case c : {Case{{1.0f, 1.0f}, {1.0f, 1.0f}}, Case{{0.5f, 0.25f}, {0.5f, 0.25f}},
                       Case{{0.0f, 1.0f}, {0.0f, 1.0f}}, Case{{-1.0f, nan}, {0.0f, 0.0f}}}) {
    SCOPED_TRACE(testing::Message() << c.gains.left << " " << c.gains.right);
    rig.view().audition(sound, 0.8f, c.gains);
    rig.frames(1);
    EXPECT_NE(rig.view().auditionIndex(), index);
    index = rig.view().auditionIndex();
    EXPECT_EQ(rig.view().auditionBuffer(index).size(), 88200u);
    const Sides out = played(rig.engineHost().preview, n);
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_NEAR(out.left[i], direct[i] * c.applied.left, 1e-6f) << i;
      ASSERT_NEAR(out.right[i], direct[i] * c.applied.right, 1e-6f) << i;
    }
    // Heard to its end, so that the next case's start holds no fading tail.
    while (rig.engineHost().preview.playing()) played(rig.engineHost().preview, n);
  }
}

// However loud the track's way to the output, the preview stops at full
// scale: both sides lowered together, the sound's shape and balance kept.
TEST_F(KickAudition, NeverGoesPastFullScale) {
  const ob::Sound& sound = kick();
  const std::vector<float> direct = this->direct(1.0f);
  const float peak = peakOf(direct);
  ASSERT_GT(peak, 0.55f);  // past full scale at a gain of 2

  struct Case {
    ob::OutputGains gains;
    float balance;  // left over right, as heard
  };
  for (const Case c : {Case{{2.0f, 2.0f}, 1.0f}, Case{{9.0f, 0.5f}, Audition::kMaxGain / 0.5f},
                       Case{{1.0f / peak, 0.25f / peak}, 4.0f}}) {
    SCOPED_TRACE(testing::Message() << c.gains.left << " " << c.gains.right);
    rig.view().audition(sound, 1.0f, c.gains);
    rig.frames(1);
    const Sides out = played(rig.engineHost().preview, direct.size());
    const float loud = std::max(peakOf(out.left), peakOf(out.right));
    EXPECT_LE(loud, Audition::kFullScale * (1.0f + 1e-6f));
    EXPECT_GE(loud, 0.999f * Audition::kFullScale);
    EXPECT_NEAR(peakOf(out.left) / peakOf(out.right), c.balance, 1e-3f * c.balance);
    const float scale = peakOf(out.left) / peak;
    for (std::size_t i = 0; i < 44100; i += 97) ASSERT_NEAR(out.left[i], direct[i] * scale, 1e-6f) << i;
  }
}

// A sound still ringing when the two seconds end fades out, not a click.
TEST_F(KickAudition, ASoundCutShortFadesOutAtTheCut) {
  ob::Sound sound = kick();
  sound.params[ob::findParamIndex(ob::kMachineDrum, "res_decay")] = 4.0f;
  rig.view().audition(sound, 1.0f, {1.0f, 0.5f});
  rig.frames(1);
  const std::size_t window = 882;  // the last 20 ms
  const std::vector<float> left = played(rig.engineHost().preview, 88200 + window).left;
  ASSERT_GT(peakOf({left.end() - 3 * window, left.end() - 2 * window}), 0.1f);  // loud until the cut
  float step = 0.0f;
  for (std::size_t i = left.size() - 2 * window; i < left.size(); ++i)
    step = std::max(step, std::fabs(left[i] - left[i - 1]));
  EXPECT_LT(step, 0.02f);
}

TEST(Audition, StepsAtTheHostRate) {
  EditorRig rig;
  rig.activate(48000.0);
  rig.frames(1);
  rig.view().audition(rig.project().patterns[0].kit.sounds[0], 1.0f, ob::OutputGains{});
  rig.frames(1);
  ob::AuditionPreview& preview = rig.engineHost().preview;
  std::vector<float> out(480, 0.0f);
  preview.mix(out.data(), nullptr, 480);
  EXPECT_TRUE(preview.playing());
  EXPECT_NEAR(preview.position(), 480.0 * 44100.0 / 48000.0, 1e-9);
}

// One piece of render a frame: the preview hears nothing until the last
// piece is in, then the sound of one go; a later audition replaces one
// still rendering.
TEST(Audition, InPiecesOverFramesPlaysTheSameSound) {
  EditorRig rig;
  rig.activate(44100.0);
  rig.frames(1);
  rig.view().setRenderShare(0.0);
  const ob::Pattern& part = rig.project().patterns[0];
  ob::AuditionPreview& preview = rig.engineHost().preview;
  std::uint32_t requests = preview.requestCount();
  rig.view().audition(part.kit.sounds[1], 1.0f, ob::OutputGains{});  // replaced before it is heard
  rig.frames(1);
  rig.view().audition(part.kit.sounds[4], 0.9f, {0.5f, 0.5f});
  int frames = 0;
  while (rig.view().rendersPending() && frames < 1000) {
    EXPECT_EQ(preview.requestCount(), requests);
    rig.frames(1);
    ++frames;
  }
  EXPECT_GT(frames, 4);
  EXPECT_EQ(preview.requestCount(), requests + 1);
  std::vector<float> direct;
  ob::renderSoundOffline(part.kit.sounds[4], nullptr, 44100.0, 88200, direct, 0.9f);
  const std::vector<float> out = played(preview, direct.size()).left;
  for (std::size_t i = 0; i < 44100; ++i) ASSERT_FLOAT_EQ(out[i], direct[i] * 0.5f) << i;
}

// A two-file drop: the second import lands before the audio thread took
// the first one's publish, and must be heard all the same.
TEST(Audition, EachImportOfOneDropPreviewsItsOwnAudio) {
  EditorRig rig;
  rig.activate(44100.0);
  rig.audioBlock();  // the audio thread runs: no fence lets anything go
  rig.frames(1);
  char pattern[] = "/tmp/orbi-audition-XXXXXX";
  const std::filesystem::path folder = mkdtemp(pattern);
  SamplesPage& page = rig.view().samplesPage();
  for (const char* name : {"first.wav", "second.wav"}) {
    SCOPED_TRACE(name);
    const std::filesystem::path path = folder / name;
    writeFile(path, wavBytes(drumHit(44100.0, 0.5), 1, 44100.0, WavFormat::Float32));
    const std::int32_t slot = page.loadWav(path.string());
    ASSERT_GE(slot, 0);
    page.previewSlot(slot);
    EXPECT_GT(peakOf(played(rig.engineHost().preview, 4096).left), 0.1f);
  }
  EXPECT_FALSE(rig.engineHost().samples.publishPending()) << "no publish waits for a block";
  std::filesystem::remove_all(folder);
}

}  // namespace audition_test
}  // namespace orbi::test
