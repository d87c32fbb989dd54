// The root view's edits: undo snapshots by each command's rule, the frame
// clock that coalesces them, undo and redo, a full command ring, and a host
// state load under the open editor.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/json/json.h"
#include "document/wav/wav.h"
#include "editor/bench/bench_controller.h"
#include "editor/undo_rule.h"
#include "editor_rig.h"
#include "engine/model/machine_change.h"
#include "engine/params/param_tables.h"
#include "engine/sampler/sample_machine.h"
#include "plugin/ext_state.h"
#include "support/editor/wav_writer.h"

namespace orbi::test {
namespace editor_view_test {

constexpr int kFramesPerSecond = 60;

ob::EditCommand editOfKind(ob::EditKind kind, float value) {
  ob::EditCommand c;
  c.kind = kind;
  c.value = value;
  switch (kind) {
    case ob::kEditMacroDest:
      c.param = 0;
      c.step = 2;
      break;                                         // macro 0 onto parameter 2 of track 0
    case ob::kEditVelocityDest: c.param = 3; break;  // velocity route to parameter 3
    case ob::kEditTrackRandom: c.param = 1; break;   // breathing amount of parameter 1
    case ob::kEditZoneVelMax: c.param = 0; break;
    default: break;
  }
  return c;
}

class DragKinds : public ::testing::TestWithParam<ob::EditKind> {};

TEST_P(DragKinds, ATwoSecondDragIsOneUndoStep) {
  EditorRig rig;
  rig.frames(1);
  for (int i = 0; i < 2 * kFramesPerSecond; ++i) {
    ob::EditCommand c = editOfKind(GetParam(), 0.01f * static_cast<float>(i % 90) + 0.05f);
    rig.view().apply(c);
    rig.frames(1);
  }
  EXPECT_EQ(rig.view().undoHistory().size(), 1u);

  // A pause of 450 ms or more starts another step.
  rig.frames(28);
  ob::EditCommand c = editOfKind(GetParam(), 0.5f);
  rig.view().apply(c);
  EXPECT_EQ(rig.view().undoHistory().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DragKinds,
                         ::testing::Values(ob::kEditSoundParam, ob::kEditMacroDest, ob::kEditVelocityDest,
                                           ob::kEditTrackRandom, ob::kEditTrackLength, ob::kEditZoneVelMax));

TEST(UndoRules, MuteEditsNeverEnterTheHistory) {
  for (const ob::EditKind kind : {ob::kEditMuteTrack, ob::kEditMuteMask}) {
    SCOPED_TRACE(static_cast<int>(kind));
    EditorRig rig;
    rig.frames(1);
    ob::EditCommand step = editOfKind(ob::kEditToggleStep, 0.0f);
    rig.view().apply(step);
    rig.view().undo();
    ASSERT_EQ(rig.view().redoHistory().size(), 1u);
    ob::EditCommand mute = editOfKind(kind, 1.0f);
    rig.view().apply(mute);
    EXPECT_TRUE(rig.view().undoHistory().empty());
    EXPECT_EQ(rig.view().redoHistory().size(), 1u);
  }
  EXPECT_EQ(undoRuleOf(editOfKind(ob::kEditMuteTrack, 1.0f)), UndoRule::None);
}

TEST(UndoRules, StepFieldsByWhatADragMoves) {
  ob::EditCommand c = editOfKind(ob::kEditStepField, 1.0f);
  for (const ob::StepField field : {ob::kStepVelocity, ob::kStepMicro, ob::kStepPanValue}) {
    c.param = field;
    EXPECT_EQ(undoRuleOf(c), UndoRule::Continuous) << int(field);
  }
  for (const ob::StepField field : {ob::kStepSlide, ob::kStepMuted, ob::kStepPanLocked}) {
    c.param = field;
    EXPECT_EQ(undoRuleOf(c), UndoRule::Snapshot) << int(field);
  }
}

TEST(UndoRules, OneFrameTakesAtMostOneSnapshot) {
  EditorRig rig;
  rig.frames(1);
  const ob::Project initial = rig.project();
  // A tool that sends one command per target in one frame.
  for (std::uint32_t step = 0; step < 6; ++step) {
    ob::EditCommand c = editOfKind(ob::kEditToggleStep, 0.0f);
    c.step = step;
    rig.view().apply(c);
  }
  EXPECT_EQ(rig.view().undoHistory().size(), 1u);
  rig.frames(1);
  ob::EditCommand c = editOfKind(ob::kEditToggleStep, 0.0f);
  c.step = 9;
  rig.view().apply(c);
  EXPECT_EQ(rig.view().undoHistory().size(), 2u);
  // Two undos: the later frame's edit, then all six of the first.
  rig.view().undo();
  rig.view().undo();
  EXPECT_TRUE(sameBytes(rig.project(), initial));
}

TEST(UndoRules, ASnapshotEditLeavesTheCoalescingStampAlone) {
  EditorRig rig;
  rig.frames(1);
  ob::EditCommand drag = soundParamEdit(0.2f);
  rig.view().apply(drag);  // snapshot 1, stamp now
  rig.frames(12);          // 200 ms
  ob::EditCommand toggle = editOfKind(ob::kEditToggleStep, 0.0f);
  rig.view().apply(toggle);  // snapshot 2
  rig.frames(12);            // 400 ms after the drag's edit
  drag.value = 0.3f;
  rig.view().apply(drag);
  EXPECT_EQ(rig.view().undoHistory().size(), 2u);
}

TEST(UndoRules, TheHistoryKeeps32Steps) {
  EditorRig rig;
  const ob::Project first = rig.project();
  for (int i = 0; i < 40; ++i) {
    rig.frames(1);
    ob::EditCommand c = editOfKind(ob::kEditToggleStep, 0.0f);
    c.step = static_cast<std::uint32_t>(i % 16);
    rig.view().apply(c);
  }
  EXPECT_EQ(rig.view().undoHistory().size(), kUndoDepth);
  for (std::size_t i = 0; i < kUndoDepth; ++i) rig.view().undo();
  const std::uint64_t revision = rig.view().revision();
  rig.view().undo();
  EXPECT_EQ(rig.view().revision(), revision);
  // The eight oldest steps are gone: the project is not back at the start.
  EXPECT_FALSE(sameBytes(rig.project(), first));
}

TEST(UndoRedo, EmptyHistoriesDoNothing) {
  EditorRig rig;
  rig.frames(1);
  const std::uint64_t revision = rig.view().revision();
  rig.view().undo();
  rig.view().redo();
  EXPECT_EQ(rig.view().revision(), revision);
}

TEST(UndoRedo, RoundTripRestoresBothStates) {
  EditorRig rig;
  rig.activate();
  rig.frames(1);
  const ob::Project before = rig.project();
  ob::EditCommand c = soundParamEdit(0.77f);
  rig.view().apply(c);
  const ob::Project after = rig.project();
  rig.view().undo();
  EXPECT_TRUE(sameBytes(rig.project(), before));
  rig.audioBlock();
  EXPECT_TRUE(sameBytes(rig.engineHost().engine.project(), before));
  rig.view().redo();
  EXPECT_TRUE(sameBytes(rig.project(), after));
  rig.audioBlock();
  EXPECT_TRUE(sameBytes(rig.engineHost().engine.project(), after));
}

TEST(UndoRedo, AnEditJustAfterAnUndoIsKept) {
  EditorRig rig;
  rig.frames(1);
  ob::EditCommand c = soundParamEdit(0.25f);
  rig.view().apply(c);
  rig.frames(40);
  c.value = 0.5f;
  rig.view().apply(c);
  rig.frames(1);
  rig.view().undo();
  rig.frames(12);  // 200 ms
  c.value = 0.9f;
  rig.view().apply(c);
  EXPECT_TRUE(rig.view().redoHistory().empty());
  rig.view().redo();
  EXPECT_EQ(rig.project().patterns[0].kit.sounds[rig.view().selectedSound()].params[0], 0.9f);
  // The edit is one undo step of its own.
  rig.view().undo();
  EXPECT_EQ(rig.project().patterns[0].kit.sounds[rig.view().selectedSound()].params[0], 0.25f);
}

// Where the first slice of the selected sampler ends, as a hit started now
// on the audio thread would play it: through the snapshot the engine reads.
std::int32_t audibleSliceEnd(EditorRig& rig) {
  const ob::SamplePoolSnapshot* published = rig.engineHost().engine.sampleSet().newest();
  if (published == nullptr) return -1;
  ob::ModLayers mod;
  const ob::Sound& sound = rig.project().patterns[0].kit.sounds[rig.view().selectedSound()];
  for (int i = 0; i < ob::SampleMachine::kParamCount; ++i) mod.layers[0][i] = sound.params[i];
  ob::SampleMachine machine;
  machine.prepare(44100.0);
  machine.setSnapshot(published);
  machine.trigger(60.0f, 1.0f);
  float block[64] = {};
  machine.renderMono(block, 64, mod);
  return machine.windowEnd();
}

// Frames and audio blocks interleaved, as the two threads run them.
void settle(EditorRig& rig) {
  for (int i = 0; i < 4; ++i) {
    rig.frames(3);
    rig.audioBlock();
  }
}

TEST(UndoRedo, ChopMarkersReachTheAudioBothWays) {
  EditorRig rig;
  rig.activate();
  rig.frames(1);
  ob::Sound& sound = rig.project().patterns[0].kit.sounds[rig.view().selectedSound()];
  ob::initSoundParams(sound, ob::kMachineSample);
  sound.params[ob::findParamIndex(ob::kMachineSample, "slot")] = 0.0f;
  sound.params[ob::findParamIndex(ob::kMachineSample, "window_mode")] = 1.0f;
  rig.view().commitProject(true);
  rig.view().refresh();
  settle(rig);
  ASSERT_EQ(rig.view().bench().selectedSampleSlot(), 0);
  const std::int32_t frames = rig.engineHost().pool.slots.at(0)->frames;
  ASSERT_GT(frames, 1000);
  const std::int32_t whole = frames;
  const auto chopped = static_cast<std::int32_t>(static_cast<double>(frames) * 0.1f);

  EXPECT_EQ(audibleSliceEnd(rig), whole);
  rig.view().benchPage().sampler.sampleView.onSliceAdd(0.1f);
  settle(rig);
  EXPECT_EQ(audibleSliceEnd(rig), chopped);
  rig.view().undo();
  ASSERT_EQ(rig.project().samples.slots[0].sliceCount, 0);
  settle(rig);
  EXPECT_EQ(audibleSliceEnd(rig), whole) << "undo";
  rig.view().redo();
  settle(rig);
  EXPECT_EQ(audibleSliceEnd(rig), chopped) << "redo";
  // Straight after one another, before the audio thread answered either.
  rig.view().undo();
  rig.view().redo();
  rig.view().undo();
  settle(rig);
  EXPECT_EQ(audibleSliceEnd(rig), whole) << "three in a row";
}

// Every way the editor writes steps without an edit command counts as a
// groove edit: the next kit brings its sounds and leaves these steps be.
TEST(GrooveEdits, StepsWrittenDirectlySurviveTheNextKit) {
  const struct {
    const char* name;
    std::function<void(EditorRig&)> edit;
  } cases[] = {
      {"delete a row",
       [](EditorRig& rig) {
         rig.view().setSelectedStep(-1);
         rig.view().editActions().clear();
       }},
      {"delete a step",
       [](EditorRig& rig) {
         rig.view().setSelectedStep(0);
         rig.view().editActions().clear();
       }},
      {"paste a row",
       [](EditorRig& rig) {
         rig.view().setSelectedTrack(2);
         rig.view().editActions().copy();
         rig.view().setSelectedTrack(0);
         rig.view().editActions().paste();
       }},
      {"paste a step",
       [](EditorRig& rig) {
         rig.view().setSelectedStep(3);
         rig.view().editActions().copy();
         rig.view().setSelectedStep(0);
         rig.view().editActions().paste();
       }},
      {"fill slices across trigs",
       [](EditorRig& rig) {
         ob::Sound& sound = rig.project().patterns[0].kit.sounds[rig.view().selectedSound()];
         ob::initSoundParams(sound, ob::kMachineSample);
         sound.params[ob::findParamIndex(ob::kMachineSample, "window_mode")] = 1.0f;
         ob::SampleSlot& slot = rig.project().samples.slots[0];
         slot.sliceCount = 3;
         slot.slices[1] = 0.3f;
         slot.slices[2] = 0.6f;
         rig.view().bench().runTrackMenuAction(0, BenchController::kFillLinear);
       }},
  };
  const std::filesystem::path library =
      std::filesystem::temp_directory_path() / ("orbi-groove-" + std::to_string(::getpid()));
  std::filesystem::create_directories(library);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EditorRig rig;
    rig.frames(1);
    rig.view().kitBrowser().session.folder = library;
    const ob::Pattern& part = rig.project().patterns[0];
    ASSERT_EQ(part.grooveEdited, 0);
    rig.view().setSelectedTrack(0);
    const ob::Pattern before = part;
    c.edit(rig);
    ASSERT_NE(std::memcmp(part.tracks[0].steps, before.tracks[0].steps, sizeof before.tracks[0].steps), 0);
    const ob::Pattern edited = part;
    rig.view().stepKit(1);
    ASSERT_STRNE(part.kit.name, edited.kit.name) << "a kit was loaded";
    // The steps stay; their locks name the same parameters on the kit's
    // sound, and those it has no parameter for are gone.
    const int machineBefore = edited.kit.sounds[edited.tracks[0].soundIndex].machine;
    const int machineAfter = part.kit.sounds[part.tracks[0].soundIndex].machine;
    for (int s = 0; s < ob::kStepsPerTrack; ++s) {
      const ob::Step& now = part.tracks[0].steps[s];
      const ob::Step& was = edited.tracks[0].steps[s];
      EXPECT_EQ(now.active, was.active) << s;
      EXPECT_EQ(now.velocity, was.velocity) << s;
      std::vector<std::string> kept;
      for (int i = 0; i < was.lockCount; ++i) {
        const char* key = ob::paramInfo(machineBefore, was.locks[i].param).id;
        if (ob::findParamIndex(machineAfter, key) >= 0) kept.push_back(key);
      }
      std::vector<std::string> keys;
      for (int i = 0; i < now.lockCount; ++i)
        keys.push_back(ob::paramInfo(machineAfter, now.locks[i].param).id);
      EXPECT_EQ(keys, kept) << s;
    }
    if (ob::sameMachineKind(machineBefore, machineAfter)) {
      EXPECT_EQ(std::memcmp(part.tracks[0].steps, edited.tracks[0].steps, sizeof edited.tracks[0].steps), 0);
    }
    EXPECT_EQ(part.bpm, edited.bpm);
  }
  std::filesystem::remove_all(library);
}

TEST(EngineCopy, AFullRingStillReachesTheEngine) {
  EditorRig rig;
  rig.activate();
  rig.frames(1);
  const std::uint64_t revision = rig.view().revision();
  const int edits = ob::Engine::kCommandRingSize + 100;
  for (int i = 0; i < edits; ++i) {
    ob::EditCommand c = soundParamEdit(static_cast<float>(i % 97) / 97.0f, i % 8);
    rig.view().apply(c);
  }
  EXPECT_EQ(rig.view().revision(), revision + edits);
  rig.audioBlock();
  EXPECT_TRUE(sameBytes(rig.engineHost().engine.project(), rig.project()));
  // The ring drains as well: later edits arrive one by one again.
  ob::EditCommand c = soundParamEdit(0.123f, 5);
  rig.view().apply(c);
  rig.audioBlock();
  EXPECT_TRUE(sameBytes(rig.engineHost().engine.project(), rig.project()));
}

TEST(Selection, OutOfRangeIndexesCountAsNone) {
  EditorRig rig;
  rig.frames(1);
  for (const int track : {-1, 8, 200}) {
    rig.view().setSelectedTrack(track);
    EXPECT_EQ(rig.view().selectedSound(), -1) << track;
  }
  rig.view().setSelectedTrack(0);
  EXPECT_EQ(rig.view().selectedSound(), rig.project().patterns[0].tracks[0].soundIndex);
}

TEST(Selection, PartsAndRefresh) {
  EditorRig rig;
  rig.frames(1);
  ob::Pattern& part = rig.project().patterns[0];
  rig.view().setSelectedTrack(part.numTracks + 2);
  rig.view().setSelectedStep(5);
  rig.view().selectPart(rig.project().patternCount);  // ignored
  EXPECT_EQ(rig.view().selectedCell(), 5);
  EXPECT_EQ(rig.view().selectedStep(), -1);  // no hit of a track outside the part
  rig.view().selectPart(0);
  EXPECT_EQ(rig.view().selectedTrack(), part.numTracks - 1);
  EXPECT_EQ(rig.view().selectedCell(), -1);

  // A step belongs to the track it was chosen on: the samples page's assign
  // (to that track too) and a refresh that takes the track away forget it.
  for (const int track : {0, 1}) {
    rig.view().setSelectedTrack(1);
    rig.view().setSelectedStep(5);
    rig.view().samplesPage().assignToTrack(track);
    EXPECT_EQ(rig.view().selectedCell(), -1) << track;
  }
  rig.view().setSelectedTrack(part.numTracks - 1);
  rig.view().setSelectedStep(5);
  --part.numTracks;  // as an undo of the track's adding does
  rig.view().refresh();
  EXPECT_EQ(rig.view().selectedCell(), -1);

  part.numTracks = 0;
  rig.view().setSelectedTrack(3);
  rig.view().selectPart(0);
  EXPECT_EQ(rig.view().selectedTrack(), 0);

  rig.view().setSelectedStep(16);
  rig.view().refresh();
  EXPECT_EQ(rig.view().selectedCell(), -1);
  rig.view().setSelectedStep(-1);
  rig.view().refresh();
  EXPECT_EQ(rig.view().selectedStep(), -1);
}

TEST(Mute, ToggleFollowsTheMask) {
  EditorRig rig;
  rig.frames(1);
  const std::uint8_t before = rig.project().patterns[0].muteMask;
  rig.view().toggleMute(1);
  EXPECT_EQ(rig.project().patterns[0].muteMask, before ^ 2u);
  rig.view().toggleMute(1);
  EXPECT_EQ(rig.project().patterns[0].muteMask, before);
  rig.view().toggleMute(-1);
  rig.view().toggleMute(rig.project().patterns[0].numTracks);
  EXPECT_EQ(rig.project().patterns[0].muteMask, before);
  EXPECT_TRUE(rig.view().undoHistory().empty());
}

// A state stream over a byte vector, as a host hands one.
struct Bytes {
  std::vector<std::uint8_t> data;
  std::size_t read = 0;
};

bool saveState(EditorRig& rig, Bytes& saved) {
  clap_ostream_t out{&saved, [](const clap_ostream_t* s, const void* b, std::uint64_t n) -> std::int64_t {
                       auto* bytes = static_cast<Bytes*>(s->ctx);
                       const auto* p = static_cast<const std::uint8_t*>(b);
                       bytes->data.insert(bytes->data.end(), p, p + n);
                       return static_cast<std::int64_t>(n);
                     }};
  return ob::clap::stateExtension()->save(rig.clap(), &out);
}

bool loadState(EditorRig& rig, Bytes saved) {
  clap_istream_t in{&saved, [](const clap_istream_t* s, void* b, std::uint64_t n) -> std::int64_t {
                      auto* bytes = static_cast<Bytes*>(s->ctx);
                      const std::size_t count = std::min<std::size_t>(n, bytes->data.size() - bytes->read);
                      std::memcpy(b, bytes->data.data() + bytes->read, count);
                      bytes->read += count;
                      return static_cast<std::int64_t>(count);
                    }};
  return ob::clap::stateExtension()->load(rig.clap(), &in);
}

TEST(StateLoad, AnOpenEditorStartsOverOnTheLoadedProject) {
  EditorRig rig;
  rig.frames(1);
  // A sample that the load will refuse: the status line names its slot.
  std::vector<float> hot(64, 0.5f);
  hot[3] = 1e30f;
  ob::SampleAudio damaged;
  damaged.file = ob::HeldSampleFile{ob::encodeWav(hot.data(), nullptr, 64, 44100.0), {}};
  ob::SampleSlotTable& table = rig.project().samples;
  const int slot = table.count;
  ASSERT_EQ(slot, rig.engineHost().pool.replaceSlot(static_cast<std::uint32_t>(slot), std::move(damaged)));
  ob::copyText(table.slots[slot].name, "hot.wav");
  table.count = static_cast<std::uint8_t>(slot + 1);
  Bytes saved;
  ASSERT_TRUE(saveState(rig, saved));

  ob::EditCommand c = soundParamEdit(0.4f);
  rig.view().apply(c);
  rig.frames(40);
  c.value = 0.6f;
  rig.view().apply(c);
  rig.view().undo();
  rig.view().setSelectedStep(7);
  ASSERT_FALSE(rig.view().undoHistory().empty());
  ASSERT_FALSE(rig.view().redoHistory().empty());

  ASSERT_TRUE(loadState(rig, saved));
  rig.frames(1);
  EXPECT_TRUE(rig.view().statusText().starts_with("Slot " + std::to_string(slot) +
                                                  " (hot.wav) cannot play: float samples far past"))
      << rig.view().statusText();
  // Once the slot plays again, the line no longer says it cannot.
  std::vector<float> fine(64, 0.5f);
  ob::SampleAudio good;
  good.file = ob::HeldSampleFile{ob::encodeWav(fine.data(), nullptr, 64, 44100.0), {}};
  ASSERT_EQ(slot, rig.engineHost().pool.replaceSlot(static_cast<std::uint32_t>(slot), std::move(good)));
  rig.view().publishSamples();
  EXPECT_EQ(rig.view().statusText(), "");
  EXPECT_TRUE(rig.view().undoHistory().empty());
  EXPECT_TRUE(rig.view().redoHistory().empty());
  EXPECT_EQ(rig.view().selectedStep(), -1);
  EXPECT_EQ(rig.view().selectedPart(), 0);
  // Undo cannot bring the replaced project back.
  const ob::Project loaded = rig.project();
  rig.view().undo();
  EXPECT_TRUE(sameBytes(rig.project(), loaded));
}

// A state whose samples hold 1,000 entries no load reads (another build's,
// or damaged) loads, keeping them. Imports fill what a save holds beside
// them; the next is refused before it changes anything, saying why on the
// page and in the host's log, and the state saved loads again.
TEST(StateLoad, ImportsStopWhereTheSaveWouldPassWhatItsLoadReads) {
  EditorRig rig;
  rig.frames(1);
  Bytes state;
  ASSERT_TRUE(saveState(rig, state));
  ob::JsonValue document;
  std::string error;
  ASSERT_TRUE(ob::parseJson(std::string(state.data.begin() + 8, state.data.end()), document, error)) << error;
  ob::JsonValue unread = ob::makeJsonObject();
  for (int i = 0; i < 1000; ++i) unread.set("other" + std::to_string(i), ob::makeJsonDouble(i));
  document.find("state")->set("samples", std::move(unread));
  std::erase_if(document.members, [](const ob::JsonMember& m) { return m.key == "assets"; });
  const std::string text = ob::writeJson(document);
  ASSERT_TRUE(loadState(rig, {{text.begin(), text.end()}}));
  const std::filesystem::path wav = std::filesystem::temp_directory_path() / "orbi-many-imports.wav";
  writeFile(wav, wavBytes(tone(44100.0, 0.05, 1), 1, 44100.0, WavFormat::Pcm16));
  int imported = 0;
  for (int i = 0; i < 30; ++i) imported += rig.view().samplesPage().loadWav(wav.string()) >= 0;
  std::filesystem::remove(wav);
  EXPECT_EQ(imported, int(ob::kJsonMostEntriesRead) - 1000);
  EXPECT_EQ(
      rig.host.logLines.back().text,
      "editor-status : Could not load orbi-many-imports.wav: a save holds at most 1024 samples, and this "
      "one would hold 1025 (1000 kept unread from its last load)");
  Bytes saved;
  ASSERT_TRUE(saveState(rig, saved));
  ASSERT_TRUE(loadState(rig, saved));
  EXPECT_EQ(rig.project().samples.count, imported);
}

}  // namespace editor_view_test
}  // namespace orbi::test
