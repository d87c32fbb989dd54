// The block's audio: stems on the auxiliary ports and their sum on the main
// port, the scratch fallback, mono main outputs, the audition preview, the
// transport position and internal play, and blocks longer than activate's.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/plugin/process_harness.h"

namespace process_outputs_test {

using namespace ob::clap;
using ob::test::ProcessHarness;

double peak(const std::vector<float>& v, std::size_t from = 0, std::size_t to = SIZE_MAX) {
  double p = 0.0;
  for (std::size_t i = from; i < std::min(to, v.size()); ++i)
    p = std::max(p, std::fabs(static_cast<double>(v[i])));
  return p;
}

// Six demo tracks struck at the block start.
void strikeAll(ProcessHarness& h, std::uint32_t time = 0) {
  for (int k = 0; k < 6; ++k) h.queue(ob::test::noteOn(time, static_cast<std::int16_t>(60 + k), k));
}

TEST(ProcessOutputs, StemsOnTheirPortsAndTheirSumOnMain) {
  ProcessHarness h;
  ASSERT_TRUE(h.activate(48000.0, 512));
  strikeAll(h);
  h.process(512);
  for (int k = 0; k < 8; ++k) {
    const auto& l = h.buffers[2 * (k + 1)];
    if (k < 6)
      EXPECT_GT(peak(l), 1e-3) << "track " << k;
    else
      EXPECT_EQ(peak(l), 0.0) << "track " << k;  // no such track in the demo: cleared
  }
  for (std::size_t i = 0; i < 512; ++i) {
    for (int c = 0; c < 2; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 8; ++k) sum += h.buffers[2 * (k + 1) + c][i];
      ASSERT_NEAR(h.buffers[c][i], sum, 1e-5 + 1e-5 * std::fabs(sum)) << i;
    }
  }
}

TEST(ProcessOutputs, MissingAndOneChannelPortsFallBackToScratch) {
  ProcessHarness all, mainOnly, odd;
  for (ProcessHarness* h : {&all, &mainOnly, &odd}) ASSERT_TRUE(h->activate(48000.0, 512));
  mainOnly.setPorts(1, 2);
  odd.outputs[3].channel_count = 1;  // track 2's port has one channel
  odd.setPorts(9, 2);
  odd.outputs[3].channel_count = 1;
  for (ProcessHarness* h : {&all, &mainOnly, &odd}) {
    strikeAll(*h);
    h->process(512);
  }
  for (std::size_t i = 0; i < 512; ++i)
    for (int c = 0; c < 2; ++c) {
      ASSERT_NEAR(mainOnly.buffers[c][i], all.buffers[c][i], 1e-6) << i;
      ASSERT_NEAR(odd.buffers[c][i], all.buffers[c][i], 1e-6) << i;
    }
  // The one-channel port is not written at all.
  for (float v : odd.buffers[6]) ASSERT_EQ(v, 123.0f);
  EXPECT_GT(peak(odd.buffers[4]), 1e-3);
}

TEST(ProcessOutputs, MonoMainSumsTheLeftStems) {
  ProcessHarness h;
  ASSERT_TRUE(h.activate(48000.0, 512));
  h.outputs[0].channel_count = 1;
  strikeAll(h);
  h.process(512);
  for (std::size_t i = 0; i < 512; ++i) {
    double sum = 0.0;
    for (int k = 0; k < 8; ++k) sum += h.buffers[2 * (k + 1)][i];
    ASSERT_NEAR(h.buffers[0][i], sum, 1e-5) << i;
    ASSERT_EQ(h.buffers[1][i], 123.0f);  // no right channel given: untouched
  }
}

TEST(ProcessOutputs, AuditionPreviewIsInterpolatedAndStops) {
  ProcessHarness h;
  ASSERT_TRUE(h.activate(44100.0, 256));
  ob::AuditionPreview& preview = h.self->engineHost->preview;
  // Empty and one-frame previews play nothing and read nothing outside.
  for (std::uint32_t length : {0u, 1u}) {
    const float one[1] = {0.5f};
    preview.publish(one, length, 1.0, {1.0f, 1.0f});
    h.process(64);
    EXPECT_EQ(peak(h.buffers[0], 0, 64), 0.0) << length;
  }
  const float ramp[4] = {0.1f, 0.2f, 0.4f, -0.2f};
  preview.publish(ramp, 4, 0.5, {0.8f, 0.5f});
  h.process(16);
  const float expected[6] = {0.1f, 0.15f, 0.2f, 0.3f, 0.4f, 0.1f};
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(h.buffers[0][i], 0.8f * expected[i], 1e-6) << i;
    EXPECT_NEAR(h.buffers[1][i], 0.5f * expected[i], 1e-6) << i;
  }
  // Index 3 is the last frame: reaching it ends the preview.
  for (int i = 6; i < 16; ++i) EXPECT_EQ(h.buffers[0][i], 0.0f) << i;
  EXPECT_EQ(preview.position(), 4.0);
  h.process(16);
  EXPECT_EQ(peak(h.buffers[0], 0, 16), 0.0);
}

TEST(ProcessTransport, PositionFromSecondsBeatsAndBlockLengths) {
  ProcessHarness h;
  ASSERT_TRUE(h.activate(48000.0, 512));
  Plugin& p = *h.self;
  h.withTransport = true;
  h.transport.flags = CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_SECONDS_TIMELINE |
                      CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
  h.transport.tempo = 120.0;
  h.transport.song_pos_seconds = static_cast<clap_sectime>(1.5 * CLAP_SECTIME_FACTOR);
  h.transport.song_pos_beats = static_cast<clap_beattime>(100.0 * CLAP_BEATTIME_FACTOR);
  h.process(128);
  EXPECT_EQ(p.transport.valid, 1);
  EXPECT_EQ(p.transport.position, 72000);  // seconds win over beats
  EXPECT_EQ(p.engineHost->engine.hostPosition(), 72000 + 128);

  h.transport.flags &= ~CLAP_TRANSPORT_HAS_SECONDS_TIMELINE;
  h.transport.song_pos_beats = static_cast<clap_beattime>(3.0 * CLAP_BEATTIME_FACTOR);
  h.process(128);
  EXPECT_EQ(p.transport.position, 72000);  // 3 beats at 120 BPM = 1.5 s

  // Beats without a tempo say nothing: the position runs on by block lengths.
  h.transport.flags &= ~CLAP_TRANSPORT_HAS_TEMPO;
  h.process(100);
  EXPECT_EQ(p.transport.position, 72128);
  h.withTransport = false;
  h.process(64);
  EXPECT_EQ(p.transport.position, 72228);
  h.process(64);
  EXPECT_EQ(p.transport.position, 72292);
}

TEST(ProcessTransport, InternalPlayRunsUntilTheHostPlays) {
  ProcessHarness h;
  ASSERT_TRUE(h.activate(48000.0, 512));
  orbi::EngineHost& eh = *h.self->engineHost;
  h.process(512);
  EXPECT_EQ(peak(h.buffers[0]), 0.0);  // stopped and no notes: silence
  eh.internalPlay.store(1);
  double heard = 0.0;
  for (int i = 0; i < 40; ++i) {
    h.process(512);
    heard = std::max(heard, peak(h.buffers[0]));
  }
  EXPECT_GT(heard, 1e-3);  // the pattern plays on the project's tempo
  EXPECT_EQ(eh.internalPlay.load(), 1);
  EXPECT_EQ(eh.hostPlaying.load(), 0);
  h.withTransport = true;
  h.transport.flags = CLAP_TRANSPORT_IS_PLAYING;
  h.process(512);
  EXPECT_EQ(eh.internalPlay.load(), 0);
  EXPECT_EQ(eh.hostPlaying.load(), 1);
  EXPECT_EQ(h.self->hostWasPlaying, 1);
}

TEST(ProcessPieces, AHostPlayingInLongBlocksSoundsAsInShortOnes) {
  ProcessHarness whole, pieces;
  ASSERT_TRUE(whole.activate(48000.0, 2048));
  ASSERT_TRUE(pieces.activate(48000.0, 100, 2048));
  double heard = 0.0;
  for (int b = 0; b < 30; ++b) {
    for (ProcessHarness* h : {&whole, &pieces}) {
      h->withTransport = true;
      h->transport.flags =
          CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
      h->transport.tempo = 140.0;
      h->transport.song_pos_beats =
          static_cast<clap_beattime>(std::llround(b * 2000 / 48000.0 * 140.0 / 60.0 * CLAP_BEATTIME_FACTOR));
      h->process(2000);
    }
    for (std::size_t i = 0; i < 2000; ++i) {
      ASSERT_NEAR(pieces.buffers[0][i], whole.buffers[0][i], 1e-4) << b << " " << i;
      heard = std::max(heard, std::fabs(static_cast<double>(whole.buffers[0][i])));
    }
  }
  EXPECT_GT(heard, 1e-3);
}

TEST(ProcessPieces, LongerBlocksThanActivateAreRenderedInPieces) {
  ProcessHarness whole, pieces;
  ASSERT_TRUE(whole.activate(48000.0, 1024));
  ASSERT_TRUE(pieces.activate(48000.0, 64, 1024));
  for (ProcessHarness* h : {&whole, &pieces}) {
    h->queue(ob::test::noteOn(150, 60, 1));
    h->queue(ob::test::noteOn(700, 61, 2));
    h->process(1000);
  }
  for (ProcessHarness* h : {&whole, &pieces}) {
    EXPECT_EQ(peak(h->buffers[2], 0, 150), 0.0);
    EXPECT_GT(peak(h->buffers[2], 150, 160), 0.0);
    EXPECT_EQ(peak(h->buffers[4], 0, 700), 0.0);
    EXPECT_GT(peak(h->buffers[4], 700, 710), 0.0);
    for (std::size_t i = 1000; i < 1024; ++i) ASSERT_EQ(h->buffers[0][i], 123.0f);  // past the block
  }
  for (std::size_t i = 0; i < 1000; ++i) ASSERT_NEAR(pieces.buffers[0][i], whole.buffers[0][i], 1e-4) << i;
}

TEST(ProcessPieces, NoMaximumMeansTheDefaultBlock) {
  ProcessHarness h;
  ASSERT_TRUE(h.activate(0.0, 0, 512));
  EXPECT_EQ(h.self->scratch.size(), 16u * 512u);
  h.setPorts(1, 2);
  h.queue(ob::test::noteOn(0, 60, 1));
  h.process(512);
  EXPECT_GT(peak(h.buffers[0]), 1e-3);
}

TEST(ProcessPieces, ZeroFramesAndNoActivationAnswerEveryNote) {
  ProcessHarness idle;  // never activated
  idle.buffers.assign(18, std::vector<float>(64, 0.0f));
  for (int i = 0; i < 18; ++i) idle.outputs[i / 2].data32 = nullptr;
  idle.ports = 0;
  idle.queue(ob::test::noteOn(3, 60, 1));
  idle.queue(ob::test::noteOn(5, 24, 2));
  idle.process(64);
  ASSERT_EQ(idle.out.size(), 2u);
  EXPECT_EQ(idle.out[0].header.time, 3u);
  EXPECT_EQ(idle.out[1].header.time, 5u);

  ProcessHarness h;
  ASSERT_TRUE(h.activate(48000.0, 512));
  h.queue(ob::test::noteOn(0, 61, 7));
  h.process(0);
  ASSERT_EQ(h.out.size(), 1u);
  EXPECT_EQ(h.out[0].as<clap_event_note_t>().note_id, 7);
  EXPECT_EQ(h.out[0].header.time, 0u);
}

}  // namespace process_outputs_test
