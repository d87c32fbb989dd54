// The editor's audition: an offline render of the sound, scaled by the
// clamped gain, handed to the preview at the host's rate once all of it
// is in, however many frames the render took.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <filesystem>

#include "editor_rig.h"
#include "engine/engine/audition_preview.h"
#include "engine/player/render_sound_offline.h"
#include "support/editor/wav_writer.h"

namespace orbi::test {
namespace audition_test {

// What the preview plays, one frame per sample at a rate step of 1.
std::vector<float> played(ob::AuditionPreview& preview, std::size_t frames) {
  std::vector<float> out(frames, 0.0f);
  preview.mix(out.data(), nullptr, static_cast<std::uint32_t>(frames));
  for (float& s : out) s /= ob::AuditionPreview::kGain;
  return out;
}

TEST(Audition, PlaysTheRenderTimesTheClampedGain) {
  EditorRig rig;
  rig.activate(44100.0);
  rig.frames(1);
  const ob::Sound& sound = rig.project().patterns[0].kit.sounds[0];
  std::vector<float> direct;
  const int published = rig.engineHost().samples.currentIndex();
  ASSERT_GE(published, 0);
  ob::renderSoundOffline(sound, &rig.engineHost().samples.snapshot(published), 44100.0, 88200, direct, 0.8f);
  const std::size_t n = 4096;

  struct Case {
    float gain, applied;
  };
  std::uint32_t index = rig.view().auditionIndex();
  for (const Case c : {Case{1.0f, 1.0f}, Case{0.5f, 0.5f}, Case{3.0f, 2.0f}, Case{-1.0f, 0.0f}}) {
    SCOPED_TRACE(c.gain);
    rig.view().audition(sound, 0.8f, c.gain);
    rig.frames(1);
    EXPECT_NE(rig.view().auditionIndex(), index);
    index = rig.view().auditionIndex();
    EXPECT_EQ(rig.view().auditionBuffer(index).size(), 88200u);
    const std::vector<float> out = played(rig.engineHost().preview, n);
    double peak = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_NEAR(out[i], direct[i] * c.applied, 1e-6f) << i;
      peak = std::max(peak, std::fabs(static_cast<double>(out[i])));
    }
    if (c.applied > 0.0f) {
      EXPECT_GT(peak, 0.01);
    }
  }
}

TEST(Audition, StepsAtTheHostRate) {
  EditorRig rig;
  rig.activate(48000.0);
  rig.frames(1);
  rig.view().audition(rig.project().patterns[0].kit.sounds[0], 1.0f, 1.0f);
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
  rig.view().audition(part.kit.sounds[1], 1.0f, 1.0f);  // replaced before it is heard
  rig.frames(1);
  rig.view().audition(part.kit.sounds[4], 0.9f, 0.5f);
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
  const std::vector<float> out = played(preview, direct.size());
  // The preview stops before its last sample, which it would only blend towards.
  for (std::size_t i = 0; i + 1 < direct.size(); ++i) ASSERT_FLOAT_EQ(out[i], direct[i] * 0.5f) << i;
}

float peakOf(const std::vector<float>& samples) {
  float peak = 0.0f;
  for (float s : samples) peak = std::max(peak, std::fabs(s));
  return peak;
}

// A two-file drop: the second import lands while the first one's publish
// still waits for the audio thread, and must be heard all the same.
TEST(Audition, EachImportOfOneDropPreviewsItsOwnAudio) {
  EditorRig rig;
  rig.activate(44100.0);
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
    EXPECT_GT(peakOf(played(rig.engineHost().preview, 4096)), 0.1f);
  }
  EXPECT_TRUE(rig.engineHost().samples.publishPending());  // the second publish still waits
  std::filesystem::remove_all(folder);
}

}  // namespace audition_test
}  // namespace orbi::test
