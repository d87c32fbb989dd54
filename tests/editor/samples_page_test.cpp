// The samples page over the fake root view: imports of the WAV files
// users record, failures on the footer, drops, a full pool, the split,
// tags with their undo, the tag filter's dimming, assigning a slot to a
// track, and a click on an empty cell.
#include "editor/samples/samples_page.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "content/kits/factory_kit_builder.h"
#include "document/archive/sha256.h"
#include "document/wav/wav.h"
#include "editor/samples/sample_preview.h"
#include "engine/engine/audition_preview.h"
#include "engine/engine/engine.h"
#include "engine/model/pattern_copy.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"
#include "support/editor/wav_writer.h"
#include "support/ui/ui_harness.h"
#include "tests/editor/editor_rig.h"
#include "tests/editor/fake_editor_context.h"
#include "tests/ui/fake_programs.h"
#include "ui/dialogs/in_editor_chooser.h"
#include "ui/draw/draw_log.h"
#include "ui/drop/drop_state.h"
#include "ui/theme/palette.h"

namespace orbi {
namespace samples_page_test {

namespace fs = std::filesystem;
using test::WavFormat;

int slotParam() { return ob::findParamIndex(ob::kMachineSample, "slot"); }

std::vector<float> interleave(const std::vector<float>& left, const std::vector<float>& right) {
  std::vector<float> out;
  for (std::size_t i = 0; i < left.size(); ++i) {
    out.push_back(left[i]);
    out.push_back(right[i]);
  }
  return out;
}

class SamplesPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orbi-samples-XXXXXX";
    folder = mkdtemp(pattern);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }

  std::string wav(const std::string& name, WavFormat format = WavFormat::Pcm16, int channels = 1,
                  double seconds = 0.25) {
    const fs::path path = folder / name;
    test::writeFile(path, test::wavBytes(test::tone(44100.0, seconds, channels), channels, 44100.0, format));
    return path.string();
  }
  std::string broken(const std::string& name) {
    const fs::path path = folder / name;
    ui::test::writeWhole(path, "this is not audio");
    return path.string();
  }
  const ob::SampleSlotTable& table() { return context.project().samples; }

  std::function<void()> body() {
    return [this] { page.draw(rect); };
  }
  void step(int frames = 1) { harness.frames(frames, body()); }
  // The hit areas of the grid's cells, in slot order.
  std::vector<ui::Rect> cells() {
    std::vector<ui::Rect> out;
    for (const ui::ItemRecord& item : harness.drawLog().items())
      if (item.idText == "slot") out.push_back(item.hitArea);
    return out;
  }
  // The cell's fill as the last frame painted it.
  std::uint32_t cellFill(std::int32_t slot) {
    const ui::Rect cell = cells().at(slot);
    for (const ui::DrawRecord* r : harness.drawLog().find(ui::DrawOp::FillRect))
      if (r->rect.x == cell.x && r->rect.y == cell.y && r->rect.width == cell.width &&
          r->rect.height == cell.height)
        return r->colour;
    ADD_FAILURE() << "no fill for slot " << slot;
    return 0;
  }
  void clickAt(ImVec2 point) {
    harness.movePointer(point);
    step();
    harness.setButton(ImGuiMouseButton_Left, true);
    step();
    harness.setButton(ImGuiMouseButton_Left, false);
    step();
  }
  void clickCell(std::int32_t slot) {
    step();
    const ui::Rect cell = cells().at(slot);
    clickAt({cell.x + cell.width / 2.0f, cell.y + cell.height / 2.0f});
  }
  // What the preview plays from now until it ends: nothing unless a new
  // preview was asked for.
  std::vector<float> heardPreview() {
    ob::AuditionPreview& preview = context.host().preview;
    std::vector<float> heard;
    float block[256];
    do {
      std::fill(std::begin(block), std::end(block), 0.0f);
      preview.mix(block, nullptr, 256);
      heard.insert(heard.end(), std::begin(block), std::end(block));
    } while (preview.playing() && heard.size() < 10'000'000u);
    while (!heard.empty() && heard.back() == 0.0f) heard.pop_back();
    return heard;
  }
  // Whether the preview asked for last plays the slot's audio.
  bool previews(std::int32_t slot) {
    const std::vector<float> heard = heardPreview();
    const std::vector<float> expected = samplePreview(*context.samplePool().slots.at(slot));
    if (heard.size() > expected.size() || expected.size() - heard.size() > 1) return false;
    for (std::size_t i = 0; i < heard.size(); ++i)
      if (std::fabs(heard[i] - expected[i]) > 1e-6f) return false;
    return !heard.empty();
  }
  bool textDrawn(std::string_view text, std::uint32_t colour) {
    for (const ui::DrawRecord* r : harness.drawLog().find(ui::DrawOp::Text))
      if (r->text == text && r->colour == colour) return true;
    return false;
  }

  ui::test::FakePrograms programs;  // no chooser program: the in-editor chooser answers
  test::FakeEditorContext context;
  SamplesPage page{context};
  ui::UiHarness harness;
  ui::Rect rect{0.0f, 0.0f, 960.0f, 700.0f};
  fs::path folder;
};

TEST_F(SamplesPageTest, ImportNamesTheSlotAfterTheFileAndPublishes) {
  struct Case {
    const char* name;
    WavFormat format;
    int channels;
  };
  const Case cases[] = {{"kick 16.wav", WavFormat::Pcm16, 1},
                        {"snare24.wav", WavFormat::Pcm24, 1},
                        {"hat-float.WAV", WavFormat::Float32, 1},
                        {"room stereo.wav", WavFormat::Pcm16, 2}};
  int expected = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::int32_t slot = page.loadWav(wav(c.name, c.format, c.channels));
    ASSERT_EQ(slot, expected++);
    EXPECT_STREQ(table().slots[slot].name, c.name);
    EXPECT_EQ(table().slots[slot].src, 0);
    EXPECT_TRUE(page.slotLoaded(slot));
    EXPECT_EQ(context.publishes, expected);
    EXPECT_TRUE(page.message().empty());
    const ob::SamplePoolSlot& audio = *context.samplePool().slots[slot];
    EXPECT_EQ(audio.frames, 11025);
    EXPECT_EQ(audio.right.empty(), c.channels == 1);
  }
  EXPECT_EQ(table().count, 4);
}

TEST_F(SamplesPageTest, ABrokenFileIsReportedOnTheFooterAndClearedByTheNextImport) {
  EXPECT_EQ(page.loadWav(broken("x.wav")), -1);
  const std::string prefix = "Could not load x.wav: ";
  ASSERT_GT(page.message().size(), prefix.size());
  EXPECT_EQ(page.message().rfind(prefix, 0), 0u);
  EXPECT_EQ(page.loadWav((folder / "missing.wav").string()), -1);
  EXPECT_EQ(page.message(), "Could not load missing.wav: cannot open the file");
  EXPECT_EQ(table().count, 0);
  EXPECT_EQ(context.publishes, 0);
  step();
  EXPECT_TRUE(textDrawn(page.message(), 0xFFD0A828));

  EXPECT_EQ(page.loadWav(wav("fine.wav")), 0);
  EXPECT_TRUE(page.message().empty());
  step();
  EXPECT_FALSE(textDrawn("Could not load missing.wav: cannot open the file", 0xFFD0A828));
}

TEST_F(SamplesPageTest, ThreeDroppedFilesOfWhichTheLastFailsPreviewTheSecond) {
  step();
  const ui::Rect first = cells().front();
  ui::DropState& drop = ui::dropState(harness.ui());
  drop.paths = {wav("one.wav"), wav("two.wav"), broken("three.wav"), (folder / "notes.txt").string()};
  drop.point = {first.x + 4.0f, first.y + 4.0f};
  drop.over = true;
  drop.dropped = true;
  step();
  EXPECT_EQ(table().count, 2);
  EXPECT_STREQ(table().slots[1].name, "two.wav");
  EXPECT_EQ(page.selected(), 1);
  EXPECT_TRUE(previews(1));
  EXPECT_EQ(page.message().rfind("Could not load three.wav: ", 0), 0u);
}

TEST_F(SamplesPageTest, AFullPoolRefusesTheImport) {
  for (int s = 0; s < ob::kSampleSlots; ++s) {
    ob::SampleAudio audio;
    audio.left.assign(64, 0.1f);
    context.samplePool().append(std::move(audio));
    std::snprintf(context.project().samples.slots[s].name, 64, "s%d", s);
  }
  context.project().samples.count = ob::kSampleSlots;
  const ob::Project before = context.project();
  EXPECT_EQ(page.loadWav(wav("late.wav")), -1);
  EXPECT_EQ(page.message(), "Could not load late.wav: the sample pool is full");
  EXPECT_EQ(std::memcmp(&before.samples, &table(), sizeof before.samples), 0);
  EXPECT_EQ(context.publishes, 0);
}

TEST_F(SamplesPageTest, SplittingADrumHitGivesTwoSlotsAndPreviewsTheHit) {
  const fs::path path = folder / "tom.wav";
  test::writeFile(path, test::wavBytes(test::drumHit(44100.0, 0.6), 1, 44100.0, WavFormat::Float32));
  ASSERT_EQ(page.loadWav(path.string()), 0);
  page.previewSlot(0);
  page.splitSlot();
  EXPECT_TRUE(page.message().empty()) << page.message();
  ASSERT_EQ(table().count, 3);
  EXPECT_STREQ(table().slots[1].name, "tom hit");
  EXPECT_STREQ(table().slots[2].name, "tom body");
  EXPECT_EQ(page.selected(), 1);
  EXPECT_TRUE(previews(1));
  EXPECT_EQ(context.publishes, 2);

  // One frame of audio cannot be cut in two.
  test::writeFile(folder / "blip.wav", test::wavBytes({0.5f}, 1, 44100.0, WavFormat::Pcm16));
  const std::int32_t blip = page.loadWav((folder / "blip.wav").string());
  ASSERT_EQ(blip, 3);
  page.previewSlot(blip);
  page.splitSlot();
  EXPECT_EQ(page.message(), "Could not split blip.wav: too short to split");
  EXPECT_EQ(table().count, 4);
  EXPECT_EQ(context.publishes, 3);
  EXPECT_EQ(page.selected(), blip);
}

// A slot whose file a load kept because it cannot play says so in its cell,
// and why in the preview and on the footer; a split says why it cannot.
// An import of the file it names plays there too, and the footer says so.
TEST_F(SamplesPageTest, ASampleThatCannotPlaySaysSoAndWhy) {
  ASSERT_EQ(page.loadWav(wav("fine.wav")), 0);
  const std::vector<std::uint8_t> named =
      test::wavBytes(test::tone(44100.0, 0.1, 1), 1, 44100.0, WavFormat::Pcm16);
  test::writeFile(folder / "named.wav", named);
  ob::KeptSampleFile file;
  file.ref = "asset:" + ob::sha256Hex(named.data(), named.size());
  file.why = "float samples far past full scale (+26.0 dBFS; at most +24.1 dBFS is read)";
  ASSERT_EQ(context.samplePool().replaceSlot(1, ob::makeKeptSample(file)), 1);
  ob::copyText(context.project().samples.slots[1].name, "hot.wav");
  context.project().samples.count = 2;
  const std::uint32_t warning = ui::palette::kWarning;
  step();
  EXPECT_TRUE(textDrawn("1  cannot play", warning));
  EXPECT_TRUE(textDrawn("Slot 1 (hot.wav) cannot play: " + file.why, warning));
  clickCell(1);
  EXPECT_TRUE(textDrawn("This sample cannot play: " + file.why, warning));
  page.splitSlot();
  EXPECT_EQ(page.message(), "Could not split hot.wav: " + file.why);
  ASSERT_EQ(page.loadWav((folder / "named.wav").string()), 2);
  EXPECT_EQ(page.message(), "named.wav also plays in slot 1, in place of the copy of it that could not play");
}

TEST_F(SamplesPageTest, TagsAreAddedOnceRemovedAndUndone) {
  ASSERT_EQ(page.loadWav(wav("kick.wav")), 0);
  const ob::SampleSlot& slot = table().slots[0];
  page.addTag(0, "  punchy ");
  ASSERT_EQ(slot.tagCount, 1);
  EXPECT_STREQ(slot.tags[0], "punchy");
  for (const char* ignored : {"punchy", "\tpunchy  ", "   ", ""}) {
    SCOPED_TRACE(ignored);
    page.addTag(0, ignored);
    EXPECT_EQ(slot.tagCount, 1);
  }
  EXPECT_EQ(context.commits, 1);
  page.addTag(0, "dry");
  page.addTag(0, "low");
  page.removeTag(0, 0);
  ASSERT_EQ(slot.tagCount, 2);
  EXPECT_STREQ(slot.tags[0], "dry");
  EXPECT_STREQ(slot.tags[1], "low");
  EXPECT_EQ(slot.tags[2][0], '\0');

  // Each edit took one snapshot, of the tags before it.
  ASSERT_EQ(context.undo.size(), 4u);
  const auto tagsBefore = [&](int edit) -> const ob::SampleSlot& {
    return context.undo[edit].project.samples.slots[0];
  };
  EXPECT_EQ(tagsBefore(3).tagCount, 3);
  EXPECT_STREQ(tagsBefore(3).tags[0], "punchy");
  EXPECT_EQ(tagsBefore(2).tagCount, 2);
  EXPECT_EQ(tagsBefore(1).tagCount, 1);
  EXPECT_EQ(tagsBefore(0).tagCount, 0);

  // Past the end, and on an empty slot, nothing happens.
  page.removeTag(0, 2);
  page.removeTag(5, 0);
  page.addTag(5, "ghost");
  EXPECT_EQ(context.commits, 4);
}

TEST_F(SamplesPageTest, LongTagsAreCutAtACharacterBoundary) {
  ASSERT_EQ(page.loadWav(wav("kick.wav")), 0);
  page.addTag(0, "abcdefghijklmnopqrstuvwxyz1234");
  std::string accents;
  for (int i = 0; i < 13; ++i) accents += "\xC3\xA9";  // é, two bytes each
  page.addTag(0, accents);
  const ob::SampleSlot& slot = table().slots[0];
  ASSERT_EQ(slot.tagCount, 2);
  EXPECT_STREQ(slot.tags[0], "abcdefghijklmnopqrstuvw");
  EXPECT_EQ(std::string(slot.tags[1]), accents.substr(0, 22));
}

TEST_F(SamplesPageTest, EightTagsDisableAddTag) {
  ASSERT_EQ(page.loadWav(wav("kick.wav")), 0);
  for (int i = 0; i < 7; ++i) page.addTag(0, "t" + std::to_string(i));
  const auto addTagOpensTheDialog = [&] {
    EXPECT_TRUE(harness.clickItem("tags", body()));
    step(2);
    EXPECT_TRUE(harness.clickItem("Add tag...", body()));
    step(2);
    const bool open = harness.drawLog().findItem("##accept") != nullptr;
    harness.pointerAway();
    harness.setKey(ui::Key::Escape, true);
    step();
    harness.setKey(ui::Key::Escape, false);
    step(2);
    return open;
  };
  EXPECT_TRUE(addTagOpensTheDialog());
  page.addTag(0, "t7");
  EXPECT_FALSE(addTagOpensTheDialog());
  page.addTag(0, "t8");
  EXPECT_EQ(table().slots[0].tagCount, 8);
}

TEST_F(SamplesPageTest, TheFilterDimsLoadedSlotsWithoutTheTagOnly) {
  for (const char* name : {"a.wav", "b.wav", "c.wav"}) page.loadWav(wav(name));
  page.addTag(1, "kick");
  page.previewSlot(2);
  page.setTagFilter("kick");
  step();
  EXPECT_EQ(cellFill(0), 0x662D3D20u);  // loaded, no tag: 40 %
  EXPECT_EQ(cellFill(1), 0xFF2D3D20u);  // loaded, tagged
  EXPECT_EQ(cellFill(2), 0x168DC63Fu);  // selected (0x38), no tag: 40 %
  EXPECT_EQ(cellFill(3), 0x80202C19u);  // empty: never dimmed
  EXPECT_EQ(cellFill(63), 0x80202C19u);
  page.setTagFilter("");
  step();
  EXPECT_EQ(cellFill(0), 0xFF2D3D20u);
  EXPECT_EQ(page.collectTags(), std::vector<std::string>{"kick"});
}

TEST_F(SamplesPageTest, AssignMakesTheTrackASamplerOfTheSlotAndSelectsIt) {
  for (const char* name : {"a.wav", "b.wav"}) page.loadWav(wav(name));
  page.previewSlot(1);
  ob::Pattern& part = context.project().patterns[0];
  part.numTracks = 3;
  for (int t = 0; t < 3; ++t) part.tracks[t].soundIndex = static_cast<std::int8_t>(t);
  // A synthesiser: its tune in hertz lands nowhere on the sampler's
  // semitones, its attack is held to the sampler's shorter one.
  ob::initSoundParams(part.kit.sounds[2], ob::kMachineVa);
  ob::copyText(part.kit.sounds[2].name, "Bass");
  const std::uint8_t tune = static_cast<std::uint8_t>(ob::findParamIndex(ob::kMachineVa, "tune"));
  ob::Step& step = part.tracks[2].steps[4];
  step.active = 1;
  ob::setStepLock(step, tune, 220.0f);
  ob::setStepLock(step, ob::findParamIndex(ob::kMachineVa, "attack"), 0.8f);
  part.kit.macros[0].dests[part.kit.macros[0].destCount++] = {2, tune, 440.0f};
  part.tracks[2].lfos[0] = ob::Lfo{1, tune, 2.0f, 0, 0.5f, 0, 0, 5};
  page.assignToTrack(2);
  EXPECT_EQ(context.status.wholeText(),
            "Bass lost 3 and changed 1: macro 1 on Tune (Oscillators), LFO 1 on Tune (Oscillators), "
            "step 5 lock of Tune (Oscillators) and step 5 lock of Attack held to 0.500 s, with b.wav "
            "assigned; undo brings them back");
  ASSERT_FALSE(context.order.empty());
  EXPECT_EQ(context.order.front(), ob::kEditMachine);
  EXPECT_EQ(context.order.back(), test::FakeEditorContext::kSelectTrack);
  EXPECT_EQ(context.commands.front().param, ob::kMachineSample);
  for (const ob::EditCommand& c : context.commands) EXPECT_EQ(c.track, 2u);
  EXPECT_EQ(context.track, 2);
  const ob::Sound& sound = part.kit.sounds[part.tracks[2].soundIndex];
  EXPECT_EQ(sound.machine, ob::kMachineSample);
  EXPECT_EQ(sound.params[slotParam()], 1.0f);
}

// A sampler keeps everything but its sample, and layers that would play
// other samples go: whatever the velocity, the assigned slot plays.
TEST_F(SamplesPageTest, AssignToASamplerKeepsItsSettingsAndReplacesItsLayers) {
  for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"}) page.loadWav(wav(name));
  page.previewSlot(3);
  ob::Pattern& part = context.project().patterns[0];
  part.numTracks = 1;
  part.tracks[0].soundIndex = 0;
  ob::Sound& sound = part.kit.sounds[0];
  ob::initSoundParams(sound, ob::kMachineSample);
  const int room = ob::findParamIndex(ob::kMachineSample, "space_mix");
  const int decay = ob::findParamIndex(ob::kMachineSample, "decay");
  sound.params[room] = 0.3f;
  sound.params[decay] = 0.7f;
  sound.zoneCount = 3;
  sound.mode = 2;
  for (int z = 0; z < 3; ++z) sound.slot[z] = static_cast<std::uint8_t>(z);
  const ob::Sound before = sound;

  page.assignToTrack(0);
  EXPECT_EQ(std::count(context.order.begin(), context.order.end(), ob::kEditMachine), 0);
  EXPECT_EQ(context.snapshots + context.coalescedSnapshots, 0);  // the undo step is the commands' own
  EXPECT_EQ(sound.params[slotParam()], 3.0f);
  for (int i = 0; i < ob::kSoundParamSlots; ++i) {
    if (i == slotParam()) continue;
    EXPECT_EQ(sound.params[i], before.params[i]) << i;
  }
  EXPECT_EQ(sound.mode, before.mode);
  for (float velocity : {0.05f, 0.5f, 1.0f}) {
    std::uint8_t counter = 0;
    for (int hit = 0; hit < 4; ++hit) {
      const int zone = ob::Engine::pickLayerZone(sound, velocity, counter);
      EXPECT_TRUE(zone < 0 || zone == 3) << velocity << " hit " << hit << " zone " << zone;
    }
  }
  // The layers went, said; no zone waits past the count, and a split made
  // later starts from the assigned sample.
  EXPECT_NE(context.status.text.find("its velocity layers (3)"), std::string::npos) << context.status.text;
  for (int z = 0; z < ob::kListCapacity; ++z) EXPECT_EQ(sound.slot[z], ob::Sound{}.slot[z]) << z;
  ob::EditCommand split{ob::kEditZoneLayout, 0, 0, sound.mode, 2.0f};
  context.apply(split);
  EXPECT_TRUE(sound.slot[0] == 3 && sound.slot[1] == 3);
}

TEST_F(SamplesPageTest, AClickOnAnEmptyCellAsksForAWav) {
  page.loadWav(wav("a.wav"));
  clickCell(0);
  EXPECT_EQ(ui::activeFileChooser(harness.ui()), nullptr);
  EXPECT_TRUE(previews(0));  // a loaded cell previews
  clickCell(9);
  ui::FileChooserSession* chooser = ui::activeFileChooser(harness.ui());
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(chooser->request.title, "Load a WAV sample");
  ASSERT_EQ(chooser->request.filters.size(), 1u);
  EXPECT_EQ(chooser->request.filters[0].patterns, std::vector<std::string>{"wav"});

  // The chosen file is imported and previewed.
  wav("chosen.wav");
  ui::openFolder(*chooser, folder);
  const auto entry = std::find_if(chooser->entries.begin(), chooser->entries.end(),
                                  [](const ui::ChooserEntry& e) { return e.name == "chosen.wav"; });
  ASSERT_NE(entry, chooser->entries.end());
  ui::selectEntry(*chooser, static_cast<std::size_t>(entry - chooser->entries.begin()), false);
  ui::acceptChoice(*chooser);
  step(3);
  EXPECT_STREQ(table().slots[1].name, "chosen.wav");
  EXPECT_EQ(page.selected(), 1);
}

// "Load WAV..." takes a file by its whole name, dots and an ending in
// capitals included, whichever chooser answers; the chooser programs list
// WAV files whatever the case of their ending.
TEST_F(SamplesPageTest, LoadWavTakesDottedNamesWholeFromEveryChooser) {
  struct Case {
    const char* program;  // empty: the in-editor chooser
    const char* file;
  };
  const Case cases[] = {{"zenity", "Kick 1.5.WAV"}, {"kdialog", "Snare v2.0.wav"}, {"", "Hat ft. Room.Wav"}};
  std::int32_t slot = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    wav(c.file);
    std::error_code ec;
    for (const char* program : {"zenity", "kdialog"}) fs::remove(programs.dir() / program, ec);
    if (*c.program) {
      programs.install(c.program);
      programs.answer(c.program, (folder / c.file).string() + "\n", 0);
    }
    clickCell(slot);
    if (*c.program) {
      ASSERT_TRUE(ui::test::eventually([&] {
        step();
        return page.slotLoaded(slot);
      }));
      const std::vector<std::string> args = programs.arguments(c.program);
      EXPECT_NE(
          std::find_if(args.begin(), args.end(),
                       [](const std::string& a) { return a.find("*.[wW][aA][vV]") != std::string::npos; }),
          args.end())
          << "a filter that lists KICK.WAV";
    } else {
      ui::FileChooserSession* chooser = ui::activeFileChooser(harness.ui());
      ASSERT_NE(chooser, nullptr);
      ui::openFolder(*chooser, folder);
      const auto entry = std::find_if(chooser->entries.begin(), chooser->entries.end(),
                                      [&](const ui::ChooserEntry& e) { return e.name == c.file; });
      ASSERT_NE(entry, chooser->entries.end()) << "listed";
      ui::selectEntry(*chooser, static_cast<std::size_t>(entry - chooser->entries.begin()), false);
      ui::acceptChoice(*chooser);
      step(3);
    }
    EXPECT_STREQ(table().slots[slot].name, c.file);
    ++slot;
  }
}

TEST_F(SamplesPageTest, TheOverviewFollowsAudioReplacedInPlace) {
  // Long enough for the columns to be read from the overview's levels.
  page.loadWav(wav("a.wav", WavFormat::Pcm16, 1, 2.0));
  // The tallest column of the second half of the preview's waveform.
  const auto tallest = [&] {
    step();
    const std::vector<const ui::DrawRecord*> bands = harness.drawLog().find(ui::DrawOp::FillBand);
    EXPECT_EQ(bands.size(), 1u);
    float height = 0.0f;
    for (const ui::DrawRecord* band : bands)
      for (std::size_t i = band->points.size() / 2 + 1; i < band->points.size(); ++i)
        height = std::max(height, band->partners[i].y - band->points[i].y);
    return height;
  };
  const float loud = tallest();
  ASSERT_GT(loud, 0.0f);
  // Same buffer, same length, its second half quieter: what a reload that
  // lands where the freed audio was looks like to the page.
  // Pool audio is never changed once made; only this test writes into it.
  const std::span<const float> shown = context.samplePool().slots[0]->left;
  float* audio = const_cast<float*>(shown.data());
  for (std::size_t i = shown.size() / 2; i < shown.size(); ++i) audio[i] *= 0.25f;
  context.publishSamples();
  EXPECT_LT(tallest(), loud * 0.5f);
}

// The magnitude at one frequency of a stretch of the signal under a Hann window.
double magnitudeAt(const std::vector<float>& x, std::size_t from, std::size_t count, double hz, double rate) {
  double re = 0.0;
  double im = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const double window = 0.5 - 0.5 * std::cos(2.0 * M_PI * (i + 0.5) / count);
    const double phase = 2.0 * M_PI * hz * i / rate;
    re += x[from + i] * window * std::cos(phase);
    im -= x[from + i] * window * std::sin(phase);
  }
  return std::hypot(re, im);
}

// The kick of "Modern Acoustic" plays three velocity layers. Once a tone
// is assigned to it, a soft and a hard hit both sound the tone, and one undo
// brings the layers back.
TEST(SamplesAssign, ALayeredKickPlaysTheAssignedSampleAtEveryVelocity) {
  constexpr double kRate = 44100.0;
  constexpr double kToneHz = 1000.0;
  test::EditorRig rig;
  rig.activate(kRate);
  rig.frames(1);
  std::optional<ob::Pattern> kit;
  for (std::int32_t i = 0; i < ob::factoryKitCount() && !kit; ++i)
    if (ob::Pattern k = ob::makeFactoryKit(static_cast<std::uint32_t>(i));
        std::strcmp(k.kit.name, "Modern Acoustic") == 0)
      kit = k;
  ASSERT_TRUE(kit.has_value());
  ob::copyPatternIntoProject(rig.project(), *kit);
  rig.view().commitProject(false);
  const ob::Pattern& part = rig.project().patterns[0];
  ASSERT_STREQ(part.kit.sounds[part.tracks[0].soundIndex].name, "Kick");
  ASSERT_GT(part.kit.sounds[part.tracks[0].soundIndex].zoneCount, 1);

  // The track's stem after one hit, probed at the tone and at the kick's
  // low body: the share of the tone in the two.
  ob::Engine& engine = rig.engineHost().engine;
  const auto toneShare = [&](float velocity) {
    engine.reset();  // nothing of the hit before rings on
    std::vector<float> stems(16 * 512);
    float* channels[16];
    for (int c = 0; c < 16; ++c) channels[c] = stems.data() + c * 512;
    std::vector<float> track;
    for (int block = 0; block < 12; ++block) {
      if (block == 0) {
        ob::Trigger hit;
        hit.track = 0;
        hit.gain = velocity;
        hit.note = 60;
        EXPECT_TRUE(engine.queueTrigger(hit));
      }
      engine.processBlock(channels, 8, 512, ob::RenderInfo{});
      track.insert(track.end(), channels[0], channels[0] + 512);
    }
    const auto probe = [&](double hz) { return magnitudeAt(track, 512, 4096, hz, kRate); };
    const double tone = probe(kToneHz);
    const double low = probe(60.0) + probe(120.0);
    return tone / (tone + low + 1e-12);
  };
  EXPECT_LT(toneShare(1.0f), 0.1) << "the kick's own layer plays";

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("orbi-assign-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path wav = folder / "tone.wav";
  test::writeFile(wav, test::wavBytes(test::tone(kRate, 1.0, 1, kToneHz), 1, kRate, WavFormat::Pcm16));
  SamplesPage& page = rig.view().samplesPage();
  const std::int32_t slot = page.loadWav(wav.string());
  std::filesystem::remove_all(folder);
  ASSERT_GE(slot, 0);
  page.previewSlot(slot);
  rig.frames(1);

  const ob::Project before = rig.project();
  const std::size_t steps = rig.view().undoHistory().size();
  page.assignToTrack(0);
  EXPECT_EQ(rig.view().undoHistory().size(), steps + 1);
  for (float velocity : {0.1f, 0.6f, 1.0f}) EXPECT_GT(toneShare(velocity), 0.99) << "velocity " << velocity;

  rig.view().undo();
  EXPECT_TRUE(test::sameBytes(rig.project(), before));
  EXPECT_LT(toneShare(1.0f), 0.1);
}

// A quiet recording still shows its shape: the preview is drawn to its own
// peak, as tall as a loud one, and its true level is written above it.
TEST_F(SamplesPageTest, AQuietSlotIsDrawnToItsPeakWithItsLevelWritten) {
  struct Case {
    float gain;  // on the test tone's 0.5
    const char* level;
  };
  float loud = 0.0f;
  for (const Case& c : {Case{1.0f, "peak -6.0 dBFS"}, Case{0.02f, "peak -40.0 dBFS"}, Case{0.0f, "silent"}}) {
    SCOPED_TRACE(c.level);
    const std::int32_t slot = page.loadWav(wav(std::to_string(c.gain) + ".wav", WavFormat::Float32, 1, 1.0));
    ASSERT_GE(slot, 0);
    // Pool audio is never changed once made; only this test writes into it.
    const std::span<const float> made = context.samplePool().slots[slot]->left;
    for (float& v : std::span(const_cast<float*>(made.data()), made.size())) v *= c.gain;
    context.publishSamples();
    page.previewSlot(slot);
    step();
    const std::vector<const ui::DrawRecord*> bands = harness.drawLog().find(ui::DrawOp::FillBand);
    ASSERT_EQ(bands.size(), 1u);
    float top = 1e9f, bottom = -1e9f;
    for (std::size_t i = 0; i < bands[0]->points.size(); ++i) {
      top = std::min(top, bands[0]->points[i].y);
      bottom = std::max(bottom, bands[0]->partners[i].y);
    }
    if (c.gain == 1.0f) loud = bottom - top;
    if (c.gain > 0.0f) {
      EXPECT_NEAR(bottom - top, loud, 2.0f);
    } else {
      EXPECT_LT(bottom - top, 2.0f);
    }
    EXPECT_TRUE(textDrawn(c.level, ui::palette::kMuted)) << c.level;
  }
  EXPECT_GT(loud, 60.0f);
}

// The odd depths converters write load at their level, named as the user
// named them; a float file far past full scale is refused with how far,
// never shown at +760 dBFS.
TEST_F(SamplesPageTest, OddDepthsLoadAtTheirLevelAndHotFloatsAreRefused) {
  struct Case {
    const char* name;
    WavFormat format;
    int channels;
  };
  for (const Case& c :
       {Case{"Snare 12bit v1.2.wav", WavFormat::Pcm12, 1}, Case{"Kick.20bit.final.wav", WavFormat::Pcm20, 2},
        Case{"Tom (ext) 20.wav", WavFormat::Extensible20, 2}, Case{"Hat 12.st.wav", WavFormat::Pcm12, 2}}) {
    SCOPED_TRACE(c.name);
    const std::int32_t slot = page.loadWav(wav(c.name, c.format, c.channels));
    ASSERT_GE(slot, 0) << page.message();
    EXPECT_STREQ(table().slots[slot].name, c.name);
    EXPECT_EQ(context.samplePool().slots[slot]->right.empty(), c.channels == 1);
    page.previewSlot(slot);
    step();
    EXPECT_TRUE(textDrawn("peak -6.0 dBFS", ui::palette::kMuted));
  }

  const float hot[] = {0.5f, 1e38f, -0.25f, std::numeric_limits<float>::infinity()};
  test::writeFile(folder / "Hot.v2.wav", ob::encodeWav(hot, nullptr, 3, 48000.0));
  test::writeFile(folder / "Inf.v2.wav", ob::encodeWav(hot + 2, nullptr, 2, 48000.0));
  const std::int32_t count = table().count;
  EXPECT_EQ(page.loadWav((folder / "Hot.v2.wav").string()), -1);
  EXPECT_EQ(page.message(),
            "Could not load Hot.v2.wav: float samples far past full scale (+760.0 dBFS; at most +24.1 dBFS "
            "is read)");
  EXPECT_EQ(page.loadWav((folder / "Inf.v2.wav").string()), -1);
  EXPECT_EQ(
      page.message(),
      "Could not load Inf.v2.wav: float samples far past full scale (infinite; at most +24.1 dBFS is read)");
  EXPECT_EQ(table().count, count);
}

// A stereo file quiet on the left and loud on the right reads the level
// of its loud side, and each side is drawn, the left above the right, to
// one scale.
TEST_F(SamplesPageTest, AStereoSlotIsMeasuredAndDrawnOnBothChannels) {
  const float quiet = std::pow(10.0f, -30.0f / 20.0f), loud = std::pow(10.0f, -3.0f / 20.0f);
  std::vector<float> left, right;
  for (int i = 0; i < 44100; ++i) {
    const float s = static_cast<float>(std::sin(2.0 * M_PI * 220.0 * i / 44100.0));
    left.push_back(quiet * s);
    right.push_back(loud * s);
  }
  test::writeFile(folder / "wide.wav", test::wavBytes(interleave(left, right), 2, 44100.0, WavFormat::Pcm24));
  const std::int32_t slot = page.loadWav((folder / "wide.wav").string());
  ASSERT_GE(slot, 0);
  page.previewSlot(slot);
  step();
  EXPECT_TRUE(textDrawn("peak -3.0 dBFS", ui::palette::kMuted));
  const std::vector<const ui::DrawRecord*> bands = harness.drawLog().find(ui::DrawOp::FillBand);
  ASSERT_EQ(bands.size(), 2u);
  const auto extent = [](const ui::DrawRecord& band) {
    float top = 1e9f, bottom = -1e9f;
    for (std::size_t i = 0; i < band.points.size(); ++i) {
      top = std::min(top, band.points[i].y);
      bottom = std::max(bottom, band.partners[i].y);
    }
    return std::pair{top, bottom};
  };
  const auto [leftTop, leftBottom] = extent(*bands[0]);
  const auto [rightTop, rightBottom] = extent(*bands[1]);
  EXPECT_LT(leftBottom, rightTop);
  EXPECT_GT(rightBottom - rightTop, 20.0f);
  EXPECT_NEAR((leftBottom - leftTop) / (rightBottom - rightTop), quiet / loud, 0.05f);
}

// The preview plays a slot at its own level, the level the page writes
// for it, whatever its channels, depth or rate, and never above full
// scale: a float file over full scale is brought down to it.
TEST_F(SamplesPageTest, APreviewPlaysTheSampleAtItsOwnLevel) {
  struct Case {
    const char* name;
    float leftDb, rightDb;  // rightDb is NaN for mono
    double rate;
    float heardDb;
  };
  const float mono = std::numeric_limits<float>::quiet_NaN();
  const Case cases[] = {
      {"mono at -6 dBFS", -6.0f, mono, 44100.0, -6.0f},
      {"stereo at -30 and -3 dBFS", -30.0f, -3.0f, 44100.0, -3.0f},
      {"stereo at -12 dBFS both sides", -12.0f, -12.0f, 48000.0, -12.0f},
      {"stereo heard on the right only", -200.0f, -1.0f, 44100.0, -1.0f},
      {"float at +6 dBFS", 6.0f, mono, 44100.0, 0.0f},
      {"float stereo at +12 and +3 dBFS", 12.0f, 3.0f, 96000.0, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool stereo = !std::isnan(c.rightDb);
    std::vector<float> left, right;
    for (int i = 0; i < static_cast<int>(c.rate * 0.5); ++i) {
      // A hit that decays, so the loudest sample is near the start.
      const double t = i / c.rate;
      const float s = static_cast<float>(std::sin(2.0 * M_PI * 110.0 * t) * std::exp(-4.0 * t));
      left.push_back(std::pow(10.0f, c.leftDb / 20.0f) * s);
      if (stereo) right.push_back(std::pow(10.0f, c.rightDb / 20.0f) * s);
    }
    const fs::path path = folder / (std::string(c.name) + ".wav");
    test::writeFile(path, ob::encodeWav(left.data(), stereo ? right.data() : nullptr,
                                        static_cast<std::int32_t>(left.size()), c.rate));
    const std::int32_t slot = page.loadWav(path.string());
    ASSERT_GE(slot, 0) << page.message();
    page.previewSlot(slot);
    const std::vector<float> heard = heardPreview();
    ASSERT_FALSE(heard.empty());
    float peak = 0.0f;
    for (float s : heard) peak = std::max(peak, std::fabs(s));
    EXPECT_NEAR(20.0f * std::log10(peak), c.heardDb, 0.1f);
    EXPECT_LE(peak, 1.0f);
    // Played at the host's rate for as long as the sample lasts.
    const double hostRate = context.host().hostSampleRate;
    EXPECT_NEAR(static_cast<double>(heard.size()), 0.5 * hostRate, 2.0 + c.rate / hostRate);
  }
}

// A long recording previews its first two seconds, faded out at the cut
// rather than stopped with a click.
TEST_F(SamplesPageTest, ALongSamplePreviewsTwoSecondsFadedOut) {
  const std::int32_t slot = page.loadWav(wav("long.wav", WavFormat::Pcm16, 2, 5.0));
  ASSERT_GE(slot, 0);
  page.previewSlot(slot);
  const std::vector<float> heard = heardPreview();
  const double rate = context.host().hostSampleRate;
  EXPECT_NEAR(static_cast<double>(heard.size()), kSamplePreviewSeconds * rate, 2.0);
  float middle = 0.0f, tail = 0.0f;
  for (std::size_t i = heard.size() / 2; i < heard.size() / 2 + 1000; ++i)
    middle = std::max(middle, std::fabs(heard[i]));
  for (std::size_t i = heard.size() - 10; i < heard.size(); ++i) tail = std::max(tail, std::fabs(heard[i]));
  EXPECT_NEAR(middle, 0.5f, 0.01f);
  EXPECT_LT(tail, 0.03f);
}

}  // namespace samples_page_test
}  // namespace orbi
