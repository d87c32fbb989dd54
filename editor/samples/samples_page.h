#pragma once
// The "SAMPLES" page: the 64 slots of the sample pool as an eight-by-eight
// grid, a toolbar to import WAV files, assign the selected slot to a track,
// filter by tag, edit the slot's tags and split a recording into a hit and
// a body, a preview of the selected slot's waveform, and WAV files dropped
// on the grid. Imports and splits write the pool and the sample table and
// publish the pool; tag edits take an undo snapshot and post the project;
// assigning goes through edit commands, and what it lets go is said on the
// status line. Failures show on the page's own footer line, and reach the
// host's log. Main thread only.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/gone_report.h"
#include "editor/status_kind.h"
#include "ui/draw/wave_overview.h"
#include "ui/geometry.h"

namespace ob {
struct Pattern;
}  // namespace ob

namespace orbi {

class EditorContext;

class SamplesPage {
 public:
  static constexpr std::int32_t kSlots = 64;
  static constexpr std::int32_t kMaxTags = 8;
  static constexpr std::size_t kTagBytes = 23;
  // Brightness of a loaded slot the tag filter leaves out.
  static constexpr float kFilteredOut = 0.4f;

  explicit SamplesPage(EditorContext& context);

  void draw(const ui::Rect& rect);

  // Imports one WAV file into a new slot and publishes the pool; the slot,
  // or -1 with the reason on the footer line, which also names the slots
  // that kept a copy of the file unplayed and now play it. A slot a save
  // would hold past what a load reads, beside what the last load kept, is
  // refused before the file is read (sampleSlotsRefusal); so is a split's.
  std::int32_t loadWav(std::string_view utf8Path);
  bool slotLoaded(std::int32_t slot) const;
  // Selects the slot and, when the pool holds its audio, plays it through
  // the preview as it is (samplePreview).
  void previewSlot(std::int32_t slot);
  // Splits the selected slot into a hit and a body and previews the hit.
  void splitSlot();
  // Trimmed, not empty, not already there, while the slot has room.
  void addTag(std::int32_t slot, std::string_view text);
  void removeTag(std::int32_t slot, std::int32_t index);
  // The distinct tags of the slots in use, sorted.
  std::vector<std::string> collectTags() const;
  // The selected slot becomes the sound of track `track` of the part,
  // played by the sample machine at every velocity (one undo step); a
  // sampler keeps its other settings. The track is selected.
  void assignToTrack(std::int32_t track);

  // How bright slot i's cell is drawn: dimmed when the filter leaves a
  // loaded slot out.
  float cellBrightness(std::int32_t slot) const;

  std::int32_t selected() const { return selected_; }
  const std::string& message() const { return message_; }
  const std::string& tagFilter() const { return tagFilter_; }
  void setTagFilter(std::string tag) { tagFilter_ = std::move(tag); }

  // A column as wide as a button with the label wants, off the row's left
  // side, and the gap after it.
  static ui::Rect takeButtonColumn(ui::Rect& row, std::string_view label);

  // The selected slot's audio as the preview draws it: one overview a
  // channel, the right one empty for mono.
  struct SlotOverviews {
    ui::WaveOverview left;
    ui::WaveOverview right;
  };

  // How the preview shows a slot's level: the waveform is drawn to its own
  // peak over both channels, so a quiet recording still shows its shape,
  // and the true level is written beside it.
  struct PreviewLevel {
    float gain = 1.0f;  // on the waveform
    std::string text;   // "peak -23.4 dBFS", or "silent"
  };
  static PreviewLevel previewLevel(const SlotOverviews& overviews);

 private:
  void drawToolbar(const ui::Rect& row);
  void runAssignMenu();
  void runFilterMenu();
  void runTagsMenu();
  void runNewTagDialog();
  void takeLoadResult();
  void requestLoad();
  void drawGrid(const ui::Rect& grid);
  void drawCell(std::int32_t slot, const ui::Rect& cell);
  void takeDroppedFiles(const ui::Rect& grid);
  void drawPreview(ui::Rect band);
  void drawFooter(const ui::Rect& band);
  // What the footer says of the slots that play the newly imported slot's
  // audio besides it: those whose kept copy the import replaced, and any
  // such copy of another name it could not keep beside them.
  // What the assign onto the sound lets go, named: its velocity layers,
  // then what a sampler lacks; and what it holds to a sampler's ranges.
  GoneNames goneWithAssign(const ob::Pattern& part, int soundIndex) const;
  // The slot's name, or its number when it holds nothing.
  std::string slotName(std::int32_t slot) const;
  std::string alsoPlaysIn(std::string_view name, std::int32_t slot, const std::vector<bool>& wereKept,
                          const std::vector<std::string>& dropped) const;
  // The footer line, which the host's log hears too unless it is news of
  // what was simply done.
  void say(std::string text, StatusKind kind);
  // The selected slot's overviews, rebuilt when the slot, the pool or its
  // audio changed since they were built.
  const SlotOverviews& selectedOverviews();

  EditorContext& context_;
  std::int32_t selected_ = 0;
  std::string tagFilter_;   // empty: every slot
  std::string newTagText_;  // the "Add tag" dialog's field
  std::int32_t tagSlot_ = -1;
  std::string message_;  // the last import's or split's failure, or what an import repaired

  // What the cached overview was built from. The pool's change count
  // catches new audio that lands where freed audio was, with its length.
  struct OverviewKey {
    std::int32_t slot = -1;
    std::uint32_t poolChanges = 0;
    const float* left = nullptr;
    const float* right = nullptr;
    std::int32_t frames = 0;
    bool operator==(const OverviewKey&) const = default;
  };
  OverviewKey overviewKey_;
  SlotOverviews overviews_;
};

}  // namespace orbi
