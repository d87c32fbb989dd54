// The samples page over the fake root view: imports of the WAV files
// users record, failures on the footer, drops, a full pool, the split,
// tags with their undo, the tag filter's dimming, assigning a slot to a
// track, and a click on an empty cell.
#include "editor/samples/samples_page.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"
#include "support/editor/wav_writer.h"
#include "support/ui/ui_harness.h"
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
  ASSERT_EQ(context.auditions.size(), 1u);
  EXPECT_EQ(context.auditions[0].sound.machine, ob::kMachineSample);
  EXPECT_EQ(context.auditions[0].sound.params[slotParam()], 1.0f);
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
  EXPECT_EQ(context.auditions.back().sound.params[slotParam()], 1.0f);
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
    return context.undo[edit].samples.slots[0];
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
  page.assignToTrack(2);
  ASSERT_EQ(context.order,
            (std::vector<int>{ob::kEditMachine, ob::kEditSoundParam, test::FakeEditorContext::kSelectTrack}));
  EXPECT_EQ(context.commands[0].track, 2u);
  EXPECT_EQ(context.commands[0].param, ob::kMachineSample);
  EXPECT_EQ(context.commands[1].param, slotParam());
  EXPECT_EQ(context.commands[1].value, 1.0f);
  EXPECT_EQ(context.track, 2);
  const ob::Sound& sound = part.kit.sounds[part.tracks[2].soundIndex];
  EXPECT_EQ(sound.machine, ob::kMachineSample);
  EXPECT_EQ(sound.params[slotParam()], 1.0f);
}

TEST_F(SamplesPageTest, AClickOnAnEmptyCellAsksForAWav) {
  page.loadWav(wav("a.wav"));
  clickCell(0);
  EXPECT_EQ(ui::activeFileChooser(harness.ui()), nullptr);
  EXPECT_EQ(context.auditions.size(), 1u);  // a loaded cell previews
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
  ob::SamplePoolSlot& audio = *context.samplePool().slots[0];
  for (std::size_t i = audio.left.size() / 2; i < audio.left.size(); ++i) audio.left[i] *= 0.25f;
  context.publishSamples();
  EXPECT_LT(tallest(), loud * 0.5f);
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
    for (float& v : context.samplePool().slots[slot]->left) v *= c.gain;
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

}  // namespace samples_page_test
}  // namespace orbi
