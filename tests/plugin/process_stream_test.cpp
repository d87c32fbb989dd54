// Random event streams through whole process calls: every host note-on is
// answered by exactly one NOTE_END, output events come in time order within
// the block, and no block allocates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "plugin/ext_params.h"
#include "support/allocation_counter.h"
#include "support/plugin/process_harness.h"
#include "support/sanitized_build.h"

namespace process_stream_test {

using namespace ob::clap;
using ob::test::kSpace;
using ob::test::OutRecord;
using ob::test::ProcessHarness;
using ob::test::put;

using Identity = std::tuple<std::int32_t, std::int16_t, std::int16_t>;  // note id, key, channel

struct Stream {
  std::mt19937 rng;
  ProcessHarness& h;
  std::map<Identity, int> open;  // note-ons not yet answered
  std::int32_t nextId = 0;
  long notes = 0;
  long ends = 0;
  long allocations = 0;
  bool ordered = true;

  Stream(unsigned seed, ProcessHarness& harness) : rng(seed), h(harness) {}

  std::uint32_t pick(std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng); }
  double unit() { return std::uniform_real_distribution<double>(-0.2, 1.2)(rng); }

  void ownPerNote(std::uint32_t time, std::int32_t id) {
    static const std::uint16_t types[] = {kOwnSeed,        kOwnTarget, kOwnValue,
                                          kOwnPanSpread,   kOwnRandom, kOwnSecond,
                                          kOwnSecondValue, kOwnLayer,  77};
    const std::uint16_t type = types[pick(9)];
    const std::uint32_t size = pick(6) == 0 ? 8 + pick(40) : 40;
    OutRecord& r = h.own(type, size, time);
    put<std::int32_t>(r, 16, id);
    put<std::uint32_t>(r, 20, pick(3) == 0 ? pick(100) : pick(9));
    put<std::uint32_t>(r, 24, pick(10));
    put<double>(r, 32, pick(20) == 0 ? std::nan("") : unit() * 10.0 - 5.0);
    if (type == kOwnSecond) put<std::int64_t>(r, 24, static_cast<std::int64_t>(rng()) - 1000);
    if (type == kOwnPanSpread || type == kOwnRandom) put<double>(r, 24, unit());
  }

  void block(std::uint32_t frames, bool withNotes) {
    const std::uint32_t count = withNotes ? (pick(8) == 0 ? 150 + pick(250) : pick(60)) : 0;
    std::vector<std::uint32_t> times(count);
    for (auto& t : times) t = frames > 0 ? pick(frames) : 0;
    std::sort(times.begin(), times.end());
    for (std::uint32_t t : times) {
      switch (pick(10)) {
        case 0:
        case 1:
        case 2: {  // CLAP note-on, sometimes with per-note data first
          const bool withId = pick(4) != 0;
          const std::int32_t id = withId ? nextId++ : -1;
          if (withId && pick(2) == 0)
            for (std::uint32_t i = 0, n = 1 + pick(5); i < n; ++i) ownPerNote(t, id);
          const auto key =
              static_cast<std::int16_t>(pick(4) == 0 ? 24 + pick(4) : (pick(2) ? 60 + pick(8) : pick(128)));
          const auto channel = static_cast<std::int16_t>(pick(16));
          h.queue(ob::test::noteOn(t, key, id, unit(), channel));
          ++open[{id, key, channel}];
          ++notes;
          break;
        }
        case 3: {  // MIDI, velocity 0 sometimes
          const auto key = static_cast<std::uint8_t>(pick(3) == 0 ? 24 + pick(4) : 56 + pick(16));
          const auto vel = static_cast<std::uint8_t>(pick(5) == 0 ? 0 : 1 + pick(127));
          const auto ch = static_cast<std::uint8_t>(pick(16));
          auto e = ob::test::midiOn(t, key, vel, ch);
          if (pick(6) == 0) e.data[0] = static_cast<std::uint8_t>(0x80 | ch);
          h.queue(e);
          if ((e.data[0] & 0xF0) == 0x90 && vel != 0) {
            ++open[{-1, key, ch}];
            ++notes;
          }
          break;
        }
        case 4: {
          clap_event_note_expression_t x{};
          x.header.size = sizeof x;
          x.header.time = t;
          x.header.type = CLAP_EVENT_NOTE_EXPRESSION;
          x.expression_id = static_cast<std::int32_t>(pick(3));
          x.note_id = nextId > 0 && pick(2)
                          ? static_cast<std::int32_t>(pick(static_cast<std::uint32_t>(nextId)))
                          : -1;
          x.key = static_cast<std::int16_t>(60 + pick(8));
          x.value = unit();
          h.queue(x);
          break;
        }
        case 5: {
          clap_event_param_value_t v{};
          v.header.size = sizeof v;
          v.header.time = t;
          v.header.type = CLAP_EVENT_PARAM_VALUE;
          v.param_id = pick(5) == 0 ? pick(1000) : macroParamId(pick(4));
          v.note_id = pick(5) == 0 ? 3 : -1;
          v.value = unit();
          h.queue(v);
          break;
        }
        case 6: {
          OutRecord& r = h.own(kOwnControl, pick(4) == 0 ? 24 : 32, t);
          put<std::uint32_t>(r, 16, pick(10));
          put<std::uint32_t>(r, 20, pick(70));
          put<double>(r, 24, unit());
          break;
        }
        case 7: {
          OutRecord& r = h.own(kOwnPosition, pick(3) == 0 ? 16 : 24, t);
          put<std::uint64_t>(r, 16, static_cast<std::uint64_t>(pick(1u << 30)));
          break;
        }
        case 8: {  // events of no interest: note-offs, another space
          clap_event_note_t off = ob::test::noteOn(t, static_cast<std::int16_t>(60 + pick(8)));
          off.header.type = static_cast<std::uint16_t>(CLAP_EVENT_NOTE_OFF + pick(3));
          h.queue(off);
          OutRecord& r = h.own(kOwnTarget, 40, t);
          r.header.space_id = 0x1234;
          break;
        }
        default:
          ownPerNote(
              t, nextId > 0 ? static_cast<std::int32_t>(pick(static_cast<std::uint32_t>(nextId) + 1)) : 0);
          break;
      }
    }
    const long before = ob::test::allocationCount();
    h.process(frames);
    allocations += ob::test::allocationCount() - before;
    std::uint32_t last = 0;
    for (const OutRecord& r : h.out) {
      if (r.header.time < last || (frames > 0 && r.header.time >= frames)) ordered = false;
      last = r.header.time;
      if (r.header.space_id != CLAP_CORE_EVENT_SPACE_ID) continue;
      EXPECT_EQ(r.header.type, CLAP_EVENT_NOTE_END);
      const auto& e = r.as<clap_event_note_t>();
      auto it = open.find({e.note_id, e.key, e.channel});
      ASSERT_NE(it, open.end()) << "a note end for no open note " << e.note_id << " " << e.key;
      if (--it->second == 0) open.erase(it);
      ++ends;
    }
  }
};

TEST(ProcessStream, EveryNoteOnEndsOnceInTimeOrderWithoutAllocating) {
  // Six seeds already take every rate, block limit and port layout.
  const unsigned seeds = ob::test::kSanitizedBuild ? 6 : 12;
  for (unsigned seed = 1; seed <= seeds; ++seed) {
    ProcessHarness h(true);
    if (seed % 2 == 0) h.helloControlSignals();
    const double rate = seed % 3 == 0 ? 44100.0 : 48000.0;
    const std::uint32_t maxFrames = seed % 4 == 0 ? 0 : 64u << (seed % 4);  // 0 means the default
    ASSERT_TRUE(h.activate(rate, maxFrames, 1536));
    if (seed % 5 == 0) h.setPorts(1, 2);
    if (seed % 5 == 1) h.outputs[4].channel_count = 1;
    Stream s(seed, h);
    for (int b = 0; b < 120; ++b) {
      h.withTransport = s.pick(3) != 0;
      h.transport.flags = s.pick(2) ? CLAP_TRANSPORT_IS_PLAYING : 0u;
      if (s.pick(2)) h.transport.flags |= CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
      if (s.pick(2)) h.transport.flags |= CLAP_TRANSPORT_HAS_SECONDS_TIMELINE;
      h.transport.tempo = 60.0 + s.pick(120);
      h.transport.song_pos_beats = static_cast<clap_beattime>(b) << 31;
      h.transport.song_pos_seconds = static_cast<clap_sectime>(b) << 30;
      const std::uint32_t frames = s.pick(12) == 0 ? 0 : 1 + s.pick(1536);
      s.block(frames, true);
      if (HasFatalFailure()) return;
    }
    // Silence until every hit has rung out.
    h.withTransport = false;
    for (int b = 0; b < 2000 && !s.open.empty(); ++b) s.block(1024, false);
    EXPECT_TRUE(s.open.empty()) << "seed " << seed << ": " << s.open.size() << " notes never ended";
    EXPECT_EQ(s.ends, s.notes) << seed;
    EXPECT_GT(s.notes, 100) << seed;
    EXPECT_TRUE(s.ordered) << seed;
    EXPECT_EQ(s.allocations, 0) << seed;
  }
}

// Notes still sounding when the host deactivates or resets are answered at
// the first block after it: exactly once, whatever the order of the cycles.
TEST(ProcessStream, NotesOpenAcrossDeactivateAndResetEndOnce) {
  for (unsigned seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    ProcessHarness h(true);
    Stream s(seed, h);
    auto activate = [&] {
      const double rate = s.pick(2) ? 44100.0 : 48000.0;
      ASSERT_TRUE(h.activate(rate, 128u << s.pick(4), 1024));
    };
    activate();
    int cycles = 0;
    for (int b = 0; b < 200; ++b) {
      const std::uint32_t lifecycle = s.pick(10);
      if (lifecycle == 0) {
        h.clap->deactivate(h.clap);
        activate();
        ++cycles;
      } else if (lifecycle == 1) {
        h.clap->reset(h.clap);
        ++cycles;
      }
      h.withTransport = s.pick(4) != 0;
      h.transport.flags = s.pick(3) ? CLAP_TRANSPORT_IS_PLAYING : 0u;
      s.block(1 + s.pick(1024), true);
      if (HasFatalFailure()) return;
    }
    h.clap->deactivate(h.clap);
    activate();
    s.block(64, false);
    EXPECT_TRUE(s.open.empty()) << s.open.size() << " notes never ended";
    EXPECT_EQ(s.ends, s.notes);
    EXPECT_GT(cycles, 20);
  }
}

}  // namespace process_stream_test
