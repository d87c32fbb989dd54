// Input events of a block: note-to-trigger mapping with per-note data, the
// macro keys, pan expressions, parameter values, the own event space and the
// note-end list's order, driven on a real instance.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "plugin/event_input.h"
#include "plugin/ext_params.h"
#include "plugin/output_events.h"
#include "support/plugin/process_harness.h"

namespace process_events_test {

using namespace ob::clap;
using ob::test::kSpace;
using ob::test::OutRecord;
using ob::test::ProcessHarness;
using ob::test::put;

struct Fixture {
  ProcessHarness h;
  Plugin& p;
  Fixture() : p(*h.self) {
    p.pendingCount = 0;
    p.pendingEditCount = 0;
    p.noteEndCount = 0;
    p.pieceStart = 0;
  }
  // An own event handed straight to the instance.
  void own(std::uint16_t type, std::uint32_t size, std::int32_t noteId, void (*fill)(OutRecord&) = nullptr,
           std::uint32_t time = 0) {
    OutRecord r{};
    r.header.size = size;
    r.header.time = time;
    r.header.space_id = kSpace;
    r.header.type = type;
    put<std::int32_t>(r, 16, noteId);
    if (fill != nullptr) fill(r);
    p.handleEvent(&r.header, time, nullptr);
  }
  void value(std::uint16_t type, std::int32_t noteId, std::uint32_t param, std::uint32_t mode, double v) {
    OutRecord r{};
    r.header.size = 40;
    r.header.space_id = kSpace;
    r.header.type = type;
    put<std::int32_t>(r, 16, noteId);
    put<std::uint32_t>(r, 20, param);
    put<std::uint32_t>(r, 24, mode);
    put<double>(r, 32, v);
    p.handleEvent(&r.header, 0, nullptr);
  }
  void target(std::int32_t noteId, std::uint32_t track, std::uint32_t sound, double pitch = 0.0) {
    OutRecord r{};
    r.header.size = 40;
    r.header.space_id = kSpace;
    r.header.type = kOwnTarget;
    put<std::int32_t>(r, 16, noteId);
    put<std::uint32_t>(r, 20, track);
    put<std::uint32_t>(r, 24, sound);
    put<double>(r, 32, pitch);
    p.handleEvent(&r.header, 0, nullptr);
  }
  int usedSlots() const {
    int n = 0;
    for (const NoteSlot& s : p.noteSlots) n += s.used;
    return n;
  }
};

clap_event_param_value_t paramValue(std::uint32_t time, clap_id id, double v, std::int32_t noteId = -1) {
  clap_event_param_value_t e{};
  e.header.size = sizeof e;
  e.header.time = time;
  e.header.type = CLAP_EVENT_PARAM_VALUE;
  e.param_id = id;
  e.note_id = noteId;
  e.value = v;
  return e;
}

clap_event_note_expression_t pan(std::uint32_t time, std::int32_t noteId, std::int16_t key, double v) {
  clap_event_note_expression_t e{};
  e.header.size = sizeof e;
  e.header.time = time;
  e.header.type = CLAP_EVENT_NOTE_EXPRESSION;
  e.expression_id = CLAP_NOTE_EXPRESSION_PAN;
  e.note_id = noteId;
  e.key = key;
  e.value = v;
  return e;
}

TEST(ProcessNotes, KeysSixtyToSixtySevenFireTheEightTracks) {
  Fixture f;
  for (int key = 0; key < 128; ++key) {
    ob::Trigger t;
    const bool fires = f.p.mapNoteToTrigger(-1, static_cast<std::int16_t>(key), 0.5, t);
    EXPECT_EQ(fires, key >= 60 && key <= 67) << key;
    EXPECT_EQ(t.track, fires ? key - 60 : 255) << key;
    EXPECT_EQ(t.note, 60);
    EXPECT_EQ(t.sound, 255);
    EXPECT_FLOAT_EQ(t.gain, 0.5f);
  }
  ob::Trigger loud, nan;
  f.p.mapNoteToTrigger(-1, 60, 3.0, loud);
  f.p.mapNoteToTrigger(-1, 60, std::nan(""), nan);
  EXPECT_EQ(loud.gain, 1.0f);
  EXPECT_EQ(nan.gain, 0.0f);
}

TEST(ProcessNotes, PerNoteDataNeedsATargetAndFillsTheTrigger) {
  Fixture f;
  // A value without a target does nothing, and the key still decides.
  f.value(kOwnValue, 5, 3, 0, 0.7);
  ob::Trigger plain;
  EXPECT_TRUE(f.p.mapNoteToTrigger(5, 61, 1.0, plain));
  EXPECT_EQ(plain.track, 1);
  EXPECT_EQ(plain.absoluteCount, 0);
  EXPECT_EQ(f.usedSlots(), 0);  // taken and freed

  // With a target it applies outside 60..67 too.
  f.target(9, 2, 4, -3.5);
  for (int i = 0; i < 9; ++i) f.value(kOwnValue, 9, static_cast<std::uint32_t>(i), 0, 0.1 * i);
  for (int i = 0; i < 3; ++i) f.value(kOwnValue, 9, static_cast<std::uint32_t>(20 + i), 1, 1.0 + i);
  f.value(kOwnValue, 9, 64, 1, 9.0);           // no such parameter
  f.value(kOwnValue, 9, 30, 0, std::nan(""));  // no number
  f.own(kOwnSeed, 32, 9, [](OutRecord& r) { put<std::uint64_t>(r, 24, 0xabcdefull); });
  f.own(kOwnLayer, 32, 9, [](OutRecord& r) { put<std::uint64_t>(r, 24, 3); });
  f.own(kOwnPanSpread, 32, 9, [](OutRecord& r) { put<double>(r, 24, 0.4); });
  f.own(kOwnRandom, 32, 9, [](OutRecord& r) {
    put<std::uint32_t>(r, 20, 7);
    put<double>(r, 24, -0.3);
  });
  f.own(kOwnRandom, 32, 9, [](OutRecord& r) {
    put<std::uint32_t>(r, 20, 64);
    put<double>(r, 24, 0.5);
  });
  f.own(kOwnRandom, 32, 9, [](OutRecord& r) {
    put<std::uint32_t>(r, 20, 8);
    put<double>(r, 24, 0.25);
  });
  f.own(kOwnSecond, 40, 9, [](OutRecord& r) { put<std::int64_t>(r, 24, 1000000000000ll); });
  f.value(kOwnSecondValue, 9, 2, 1, 0.5);
  f.value(kOwnSecondValue, 9, 3, 2, 0.25);
  ob::Trigger t;
  ASSERT_TRUE(f.p.mapNoteToTrigger(9, 30, 0.9, t));
  EXPECT_EQ(t.track, 2);
  EXPECT_EQ(t.sound, 4);
  EXPECT_FLOAT_EQ(t.pitchOffset, -3.5f);
  ASSERT_EQ(t.absoluteCount, 8);  // the ninth absolute value is dropped
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(t.absolute[i].param, i);
    EXPECT_FLOAT_EQ(t.absolute[i].value, 0.1f * i);
  }
  ASSERT_EQ(t.offsetCount, 3);  // while offsets still take theirs
  EXPECT_EQ(t.offsets[2].param, 22);
  EXPECT_FLOAT_EQ(t.offsets[2].value, 3.0f);
  EXPECT_EQ(t.hasSeed, 1);
  EXPECT_EQ(t.seed, 0xabcdefull);
  EXPECT_EQ(t.hasLayer, 1);
  EXPECT_EQ(t.layer, 3u);
  EXPECT_FLOAT_EQ(t.panSpread, 0.4f);
  ASSERT_EQ(t.randomCount, 2);
  EXPECT_EQ(t.randoms[0].param, 7);
  EXPECT_EQ(t.randoms[0].amount, 0.0f);  // -0.3 counts as 0
  EXPECT_EQ(t.randoms[1].param, 8);
  EXPECT_FLOAT_EQ(t.randoms[1].amount, 0.5f);  // doubled
  EXPECT_EQ(t.hasSecond, 1);
  EXPECT_EQ(t.secondDelay, 2147483647u);
  ASSERT_EQ(t.secondOffsetCount, 1);
  ASSERT_EQ(t.secondAbsoluteCount, 1);
  EXPECT_EQ(t.secondOffsets[0].param, 2);
  EXPECT_EQ(t.secondAbsolute[0].param, 3);
  EXPECT_EQ(f.usedSlots(), 0);

  // Seed and layer travel without a target; the key decides the track.
  f.own(kOwnSeed, 32, 11, [](OutRecord& r) { put<std::uint64_t>(r, 24, 5); });
  f.value(kOwnValue, 11, 1, 0, 0.5);
  ob::Trigger keyed;
  EXPECT_FALSE(f.p.mapNoteToTrigger(11, 40, 1.0, keyed));
  EXPECT_EQ(keyed.hasSeed, 1);
  EXPECT_EQ(keyed.absoluteCount, 0);

  // A target track of 8 or more gives no track; a sound of 8 is the track's own.
  f.target(12, 8, 1);
  ob::Trigger none;
  EXPECT_FALSE(f.p.mapNoteToTrigger(12, 60, 1.0, none));
  EXPECT_EQ(none.track, 255);
  f.target(13, 0, 8);
  f.own(kOwnSecond, 40, 13, [](OutRecord& r) { put<std::int64_t>(r, 24, -5); });
  ob::Trigger own;
  EXPECT_TRUE(f.p.mapNoteToTrigger(13, 99, 1.0, own));
  EXPECT_EQ(own.sound, 255);
  EXPECT_EQ(own.secondDelay, 0u);
}

TEST(ProcessNotes, SlotsHoldSixteenEntriesAndThirtyTwoNotes) {
  Fixture f;
  f.target(1, 0, 0);
  for (int i = 0; i < 20; ++i) f.value(kOwnValue, 1, 0, 0, 0.5);
  NoteData* d = f.p.findSlot(1);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->valueCount, 16u);
  // A later single-valued event overwrites the earlier one.
  f.target(1, 5, 0);
  EXPECT_EQ(f.p.findSlot(1)->track, 5u);
  for (int id = 2; id <= 40; ++id) f.target(id, 1, 1);
  EXPECT_EQ(f.usedSlots(), 32);
  EXPECT_EQ(f.p.findSlot(40), nullptr);  // all 32 in use: dropped
  EXPECT_EQ(f.p.findSlot(-1), nullptr);
  // Too short events and unknown types change nothing.
  f.own(kOwnSeed, 31, 3, [](OutRecord& r) { put<std::uint64_t>(r, 24, 5); });
  EXPECT_EQ(f.p.findSlot(3)->hasSeed, 0);
  OutRecord r{};
  r.header.size = 64;
  r.header.space_id = kSpace;
  r.header.type = 77;
  EXPECT_FALSE(f.p.handleSlotEvent(&r.header));
}

TEST(ProcessNotes, PerNoteDataLivesForOneBlock) {
  ProcessHarness h;
  ASSERT_TRUE(h.activate(48000.0, 256));
  OutRecord& t = h.own(kOwnTarget, 40, 0);
  put<std::int32_t>(t, 16, 5);
  put<std::uint32_t>(t, 20, 1);
  h.process(64);
  EXPECT_TRUE(h.out.empty());
  // Key 30 without a target in this block: nothing plays, the note ends at once.
  h.queue(ob::test::noteOn(17, 30, 5));
  h.process(64);
  ASSERT_EQ(h.out.size(), 1u);
  EXPECT_EQ(h.out[0].header.type, CLAP_EVENT_NOTE_END);
  EXPECT_EQ(h.out[0].header.time, 17u);
  const auto& e = h.out[0].as<clap_event_note_t>();
  EXPECT_EQ(e.note_id, 5);
  EXPECT_EQ(e.key, 30);
  EXPECT_EQ(e.header.size, 40u);
  EXPECT_EQ(e.velocity, 0.0);
}

TEST(ProcessNotes, MacroKeysToggleAndEndAtOnce) {
  Fixture f;
  f.p.macroCurrent[0] = 0.3f;
  f.p.noteOn(NoteRef{-1, 24, 0}, 0.9, 10, nullptr);
  f.p.noteOn(NoteRef{-1, 24, 0}, 0.6, 40, nullptr);
  f.p.noteOn(NoteRef{7, 27, 2}, 0.5, 40, nullptr);
  ASSERT_EQ(f.p.pendingEditCount, 3);
  EXPECT_EQ(f.p.pendingEdits[0].command.kind, ob::kEditMacroValue);
  EXPECT_EQ(f.p.pendingEdits[0].command.param, 0);
  EXPECT_FLOAT_EQ(f.p.pendingEdits[0].command.value, 0.9f);  // the press's velocity
  EXPECT_EQ(f.p.pendingEdits[0].time, 10);
  EXPECT_FLOAT_EQ(f.p.pendingEdits[1].command.value, 0.3f);  // released: the host's value
  EXPECT_EQ(f.p.pendingEdits[2].command.param, 3);
  EXPECT_EQ(f.p.pendingCount, 0);
  ASSERT_EQ(f.p.noteEndCount, 3);
  EXPECT_EQ(f.p.noteEnds[0].time, 10);
  EXPECT_EQ(f.p.noteEnds[1].time, 40);
  EXPECT_EQ(f.p.noteEnds[2].noteRef.noteId, 7);
  EXPECT_EQ(f.p.macroKeyToggles[0], 0);
  EXPECT_EQ(f.p.macroKeyToggles[3], 1);
}

TEST(ProcessNotes, MidiNoteOnsAndPanExpressions) {
  Fixture f;
  ProcessHarness& h = f.h;
  (void)h;
  auto midi = ob::test::midiOn(5, 61, 127, 3);
  f.p.handleEvent(&midi.header, 5, nullptr);
  auto silent = ob::test::midiOn(5, 62, 0, 3);  // velocity 0: neither on nor off
  f.p.handleEvent(&silent.header, 5, nullptr);
  auto off = ob::test::midiOn(5, 63, 100, 3);
  off.data[0] = 0x83;
  f.p.handleEvent(&off.header, 5, nullptr);
  ASSERT_EQ(f.p.pendingCount, 1);
  EXPECT_EQ(f.p.noteEndCount, 0);
  const ob::Trigger& t = f.p.pending[0];
  EXPECT_EQ(t.track, 1);
  EXPECT_EQ(t.noteRef.noteId, -1);
  EXPECT_EQ(t.noteRef.key, 61);
  EXPECT_EQ(t.noteRef.channel, 3);
  EXPECT_FLOAT_EQ(t.gain, 1.0f);

  auto a = ob::test::noteOn(5, 61, 4);
  auto b = ob::test::noteOn(5, 61, -1);
  f.p.handleEvent(&a.header, 5, nullptr);
  f.p.handleEvent(&b.header, 5, nullptr);
  // Note id -1: the newest pending trigger with that key and time.
  auto byKey = pan(5, -1, 61, 1.0);
  f.p.handleEvent(&byKey.header, 5, nullptr);
  EXPECT_EQ(f.p.pending[2].hasPan, 1);
  EXPECT_FLOAT_EQ(f.p.pending[2].pan, 1.0f);
  EXPECT_EQ(f.p.pending[1].hasPan, 0);
  auto byId = pan(5, 4, 0, 0.25);
  f.p.handleEvent(&byId.header, 5, nullptr);
  EXPECT_EQ(f.p.pending[1].hasPan, 1);
  EXPECT_FLOAT_EQ(f.p.pending[1].pan, -0.5f);
  auto late = pan(6, -1, 61, 0.0);  // no trigger at that time
  f.p.handleEvent(&late.header, 6, nullptr);
  EXPECT_EQ(f.p.pending[0].hasPan, 0);
  auto tuning = pan(5, -1, 61, 0.0);
  tuning.expression_id = CLAP_NOTE_EXPRESSION_TUNING;
  f.p.handleEvent(&tuning.header, 5, nullptr);
  EXPECT_FLOAT_EQ(f.p.pending[2].pan, 1.0f);
}

TEST(ProcessNotes, MacroParameterValuesAndControlSignals) {
  Fixture f;
  auto v = paramValue(12, macroParamId(1), 1.7);
  f.p.handleEvent(&v.header, 12, nullptr);
  auto perNote = paramValue(12, macroParamId(2), 0.5, 3);  // per-note: not a macro move
  f.p.handleEvent(&perNote.header, 12, nullptr);
  auto other = paramValue(12, 1234, 0.5);
  f.p.handleEvent(&other.header, 12, nullptr);
  auto nan = paramValue(12, macroParamId(1), std::nan(""));  // no number: ignored
  f.p.handleEvent(&nan.header, 12, nullptr);
  EXPECT_FLOAT_EQ(f.p.macroCurrent[1], 1.0f);
  ASSERT_EQ(f.p.pendingEditCount, 1);
  EXPECT_EQ(f.p.pendingEdits[0].command.kind, ob::kEditMacroValue);
  EXPECT_EQ(f.p.pendingEdits[0].command.param, 1);
  EXPECT_FLOAT_EQ(f.p.pendingEdits[0].command.value, 1.0f);
  EXPECT_EQ(f.p.pendingEdits[0].time, 12);

  auto control = [&](std::uint32_t size, std::uint32_t track, std::uint32_t param, double value,
                     std::uint16_t space = kSpace) {
    OutRecord r{};
    r.header.size = size;
    r.header.time = 3;
    r.header.space_id = space;
    r.header.type = kOwnControl;
    put<std::uint32_t>(r, 16, track);
    put<std::uint32_t>(r, 20, param);
    put<double>(r, 24, value);
    f.p.handleEvent(&r.header, 3, nullptr);
  };
  control(32, 8, 1, 0.5);
  control(32, 1, 64, 0.5);
  control(31, 1, 1, 0.5);
  control(32, 1, 1, 0.5, 0x1234);  // another space
  EXPECT_EQ(f.p.pendingEditCount, 1);
  control(32, 7, 63, 0.25);
  ASSERT_EQ(f.p.pendingEditCount, 2);
  const ob::EditCommand& c = f.p.pendingEdits[1].command;
  EXPECT_EQ(c.kind, ob::kEditSoundParam);
  EXPECT_EQ(c.track, 7u);
  EXPECT_EQ(c.param, 63);
  EXPECT_FLOAT_EQ(c.value, 0.25f);
  EXPECT_EQ(f.p.pendingEdits[1].time, 3);
  EXPECT_FALSE(pushMacroToEngine(f.p, 4, 0.5, 0));
  for (int i = 0; i < 100; ++i) pushMacroToEngine(f.p, 0, 0.5, 0);
  EXPECT_EQ(f.p.pendingEditCount, 64);
  EXPECT_FALSE(pushMacroToEngine(f.p, 0, 0.5, 0));
}

TEST(ProcessNotes, OwnEventsNeedARegisteredSpace) {
  ProcessHarness h(false);
  Plugin& p = *h.self;
  EXPECT_EQ(p.eventSpace, kNoEventSpace);
  OutRecord r{};
  r.header.size = 40;
  r.header.space_id = kNoEventSpace;
  r.header.type = kOwnTarget;
  put<std::int32_t>(r, 16, 1);
  p.handleEvent(&r.header, 0, nullptr);
  for (const NoteSlot& s : p.noteSlots) EXPECT_EQ(s.used, 0);
}

TEST(ProcessNoteEnds, HeldInTimeOrderAndMergedOwnFirst) {
  Fixture f;
  f.p.queueNoteEnd(NoteRef{1, 60, 0}, 30, nullptr);
  f.p.queueNoteEnd(NoteRef{2, 60, 0}, 10, nullptr);
  f.p.queueNoteEnd(NoteRef{3, 60, 0}, 10, nullptr);
  ASSERT_EQ(f.p.noteEndCount, 3);
  EXPECT_EQ(f.p.noteEnds[0].noteRef.noteId, 2);
  EXPECT_EQ(f.p.noteEnds[1].noteRef.noteId, 3);
  EXPECT_EQ(f.p.noteEnds[2].noteRef.noteId, 1);

  // The engine's note end at 10 follows the instance's two at 10.
  ob::Engine& e = f.p.engineHost->engine;
  e.noteEndCount = 2;
  e.noteEnds[0] = NoteEnd{25, NoteRef{8, 61, 0}};
  e.noteEnds[1] = NoteEnd{10, NoteRef{9, 61, 0}};
  e.controlSignalCount = 0;
  f.p.pieceRendered = 1;
  f.h.out.clear();
  clap_output_events_t q{&f.h, nullptr};
  q.try_push = [](const clap_output_events_t* l, const clap_event_header_t* ev) {
    auto* h = static_cast<ProcessHarness*>(l->ctx);
    OutRecord r{};
    std::memcpy(&r.header, ev, ev->size);
    h->out.push_back(r);
    return true;
  };
  f.p.flushOutputEvents(&q, 20);  // only what is due before 20 of the held ones
  std::vector<int> ids;
  for (const OutRecord& r : f.h.out)
    ids.push_back(reinterpret_cast<const clap_event_note_t&>(r.header).note_id);
  EXPECT_EQ(ids, (std::vector<int>{2, 3, 9, 8}));
  ASSERT_EQ(f.p.noteEndCount, 1);
  EXPECT_EQ(f.p.noteEnds[0].noteRef.noteId, 1);
  e.noteEndCount = 0;
}

TEST(ProcessNoteEnds, AnOverfullBlockStaysInTimeOrder) {
  ProcessHarness h;
  ASSERT_TRUE(h.activate(48000.0, 512));
  // 200 notes that play nothing, mixed with notes that play, all in one block.
  for (std::uint32_t i = 0; i < 200; ++i) {
    h.queue(ob::test::noteOn(i * 2, 30, static_cast<std::int32_t>(i)));
    if (i % 10 == 0) h.queue(ob::test::noteOn(i * 2, static_cast<std::int16_t>(60 + i / 10 % 6), 1000 + i));
  }
  h.process(512);
  std::vector<int> seen(200, 0);
  std::uint32_t last = 0;
  for (const OutRecord& r : h.out) {
    ASSERT_GE(r.header.time, last);
    last = r.header.time;
    if (r.header.type != CLAP_EVENT_NOTE_END) continue;
    const auto& e = reinterpret_cast<const clap_event_note_t&>(r.header);
    if (e.key == 30) {
      ++seen[static_cast<std::size_t>(e.note_id)];
      EXPECT_EQ(r.header.time, static_cast<std::uint32_t>(e.note_id) * 2);
    }
  }
  for (int n : seen) EXPECT_EQ(n, 1);
}

TEST(ProcessNoteEnds, ControlSignalsFollowTheHelloFeature) {
  for (int mode = 0; mode < 3; ++mode) {
    ProcessHarness h(mode != 2);
    if (mode != 1) h.helloControlSignals();
    ASSERT_TRUE(h.activate(48000.0, 512));
    int signals = 0;
    for (int block = 0; block < 20; ++block) {
      if (block % 4 == 0) h.queue(ob::test::noteOn(0, 60, block));
      h.process(512);
      std::uint32_t last = 0;
      for (const OutRecord& r : h.out) {
        EXPECT_GE(r.header.time, last);
        last = r.header.time;
        if (r.header.space_id != kSpace) continue;
        ++signals;
        ASSERT_EQ(r.header.type, kOwnSignalOut);
        const auto& s = reinterpret_cast<const ControlSignalEvent&>(r.header);
        EXPECT_EQ(s.header.size, 32u);
        EXPECT_EQ(s.header.flags, 0u);
        EXPECT_EQ(s.reserved, 0u);
        EXPECT_GE(s.signal, 0);
        EXPECT_LT(s.signal, 8);
        EXPECT_GE(s.value, 0.0);
        EXPECT_LE(s.value, 1.0);
      }
    }
    if (mode == 0)
      EXPECT_GT(signals, 0);
    else
      EXPECT_EQ(signals, 0) << mode;
  }
}

TEST(ProcessTransport, PositionEvents) {
  ProcessHarness h;
  ASSERT_TRUE(h.activate(48000.0, 512));
  Plugin& p = *h.self;
  OutRecord& shortOne = h.own(kOwnPosition, 23, 0);
  put<std::uint64_t>(shortOne, 16, 5000);
  h.process(256);
  EXPECT_EQ(p.transport.byEvent, 0);
  EXPECT_EQ(p.transport.valid, 0);

  OutRecord& pos = h.own(kOwnPosition, 24, 10);
  put<std::uint64_t>(pos, 16, 1000);
  h.process(256);
  EXPECT_EQ(p.transport.byEvent, 1);
  EXPECT_EQ(p.transport.valid, 1);
  EXPECT_EQ(p.transport.position, 990);

  // From now on a host transport only says whether it plays.
  h.withTransport = true;
  h.transport.flags = CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_SECONDS_TIMELINE;
  h.transport.song_pos_seconds = 100ll << 31;
  h.process(256);
  EXPECT_EQ(p.transport.position, 990);  // not playing before: stays
  h.process(256);
  EXPECT_EQ(p.transport.position, 990 + 256);
  EXPECT_EQ(p.engineHost->engine.hostPosition(), 990 + 512);
}

// The host's tempo is taken, and shown to the editor, held to the engine's
// range; one that is no finite number, or not positive, is none.
TEST(ProcessTransport, HostTempoIsHeldToTheEnginesRange) {
  ProcessHarness h;
  ASSERT_TRUE(h.activate(48000.0, 512));
  h.withTransport = true;
  h.transport.flags = CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_TEMPO;
  const double inf = std::numeric_limits<double>::infinity();
  const std::pair<double, double> takenAs[] = {{140.0, 140.0}, {1e6, ob::kMaxBpm}, {1e-6, ob::kMinBpm},
                                               {inf, 0.0},     {-inf, 0.0},        {std::nan(""), 0.0},
                                               {-120.0, 0.0},  {0.0, 0.0}};
  for (const auto& [given, expected] : takenAs) {
    SCOPED_TRACE(given);
    h.transport.tempo = given;
    h.process(256);
    EXPECT_EQ(h.self->engineHost->hostTempo.load(), expected);
  }
}

// Beats that run at a tempo beyond the range are not followed: however
// short the blocks, the steps come no faster than at the range's edge.
TEST(ProcessTransport, BeatsBeyondTheTempoRangeDoNotDriveTheSteps) {
  auto stepsAfterASecond = [](double tempo) {
    ProcessHarness h;
    EXPECT_TRUE(h.activate(48000.0, 512));
    h.withTransport = true;
    h.transport.flags =
        CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
    h.transport.tempo = tempo;
    const std::uint32_t block = 16;
    for (std::uint32_t at = 0; at < 48000; at += block) {
      const double beats = at / 48000.0 * tempo / 60.0;
      h.transport.song_pos_beats = static_cast<clap_beattime>(beats * CLAP_BEATTIME_FACTOR);
      h.process(block);
    }
    return h.self->engineHost->engine.clock().globalStep;
  };
  const std::int64_t fastest = stepsAfterASecond(ob::kMaxBpm);
  EXPECT_GT(fastest, 16);
  EXPECT_LE(stepsAfterASecond(1e6), fastest + 1);
  EXPECT_LE(stepsAfterASecond(1e9), fastest + 1);
}

// A position event is held to the positions the host transport may give:
// one beyond them is no position, and the blocks run on from the last one.
TEST(ProcessTransport, PositionEventsBeyondAnySongAreNone) {
  ProcessHarness h;
  ASSERT_TRUE(h.activate(48000.0, 512));
  Plugin& p = *h.self;
  // A playing host without a timeline: the events alone place the blocks.
  h.withTransport = true;
  h.transport.flags = CLAP_TRANSPORT_IS_PLAYING;
  const std::uint64_t beyond[] = {0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull,
                                  static_cast<std::uint64_t>(kHostPositionLimit),
                                  static_cast<std::uint64_t>(-kHostPositionLimit)};
  for (const std::uint64_t value : beyond) {
    SCOPED_TRACE(value);
    put<std::uint64_t>(h.own(kOwnPosition, 24, 0), 16, value);
    h.process(256);
    EXPECT_EQ(p.transport.byEvent, 1);
    EXPECT_EQ(p.transport.valid, 0);
  }
  // The last position taken runs on by the blocks' lengths, without a wrap.
  const std::int64_t last = kHostPositionLimit - 1;
  put<std::uint64_t>(h.own(kOwnPosition, 24, 10), 16, static_cast<std::uint64_t>(last) + 10);
  for (int b = 0; b < 4; ++b) h.process(512);
  EXPECT_EQ(p.transport.valid, 1);
  EXPECT_EQ(p.transport.position, last + 3 * 512);
  EXPECT_EQ(p.engineHost->engine.hostPosition(), last + 4 * 512);
  put<std::uint64_t>(h.own(kOwnPosition, 24, 0), 16, 0x7FFFFFFFFFFFFFFFull);
  h.process(512);
  EXPECT_EQ(p.transport.position, last + 4 * 512);
}

TEST(ProcessNotes, NoNumberOrHugeValuesNeverReachTheEngine) {
  Fixture f;
  f.target(3, 1, 1, std::nan(""));
  f.value(kOwnValue, 3, 1, 0, 1e300);
  f.value(kOwnValue, 3, 2, 1, -std::numeric_limits<double>::infinity());
  f.value(kOwnValue, 3, 4, 0, 0.5);
  f.own(kOwnPanSpread, 32, 3,
        [](OutRecord& r) { put<double>(r, 24, std::numeric_limits<double>::infinity()); });
  f.own(kOwnRandom, 32, 3, [](OutRecord& r) {
    put<std::uint32_t>(r, 20, 5);
    put<double>(r, 24, 1e308);
  });
  ob::Trigger t;
  ASSERT_TRUE(f.p.mapNoteToTrigger(3, 0, 1.0, t));
  EXPECT_EQ(t.pitchOffset, 0.0f);
  ASSERT_EQ(t.absoluteCount, 1);
  EXPECT_EQ(t.absolute[0].param, 4);
  EXPECT_EQ(t.offsetCount, 0);
  EXPECT_EQ(t.panSpread, 0.0f);
  ASSERT_EQ(t.randomCount, 1);
  EXPECT_EQ(t.randoms[0].amount, 0.0f);
  auto huge = pan(0, 3, 0, 1e300);
  f.p.pending[0] = t;
  f.p.pending[0].noteRef = NoteRef{3, 0, 0};
  f.p.pending[0].time = 0;
  f.p.pendingCount = 1;
  f.p.handleEvent(&huge.header, 0, nullptr);
  EXPECT_FLOAT_EQ(f.p.pending[0].pan, 1.0f);  // held to the right edge
  auto nan = pan(0, 3, 0, std::nan(""));
  f.p.handleEvent(&nan.header, 0, nullptr);
  EXPECT_FLOAT_EQ(f.p.pending[0].pan, 1.0f);
}

}  // namespace process_events_test
