// The samples page's drawing: toolbar and its popups, the slot grid with
// its drop zone, the tag line and preview, and the footer.
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "content/tools/home_folder.h"
#include "editor/editor_context.h"
#include "editor/samples/samples_page.h"
#include "editor/samples/unplayable_samples.h"
#include "engine/model/project.h"
#include "ui/context.h"
#include "ui/controls/buttons.h"
#include "ui/dialogs/file_dialog.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/draw/waveform.h"
#include "ui/drop/drop_zone.h"
#include "ui/interact/interaction.h"
#include "ui/popups/dialogs.h"
#include "ui/popups/menu.h"
#include "ui/popups/popup.h"
#include "ui/theme/palette.h"

namespace orbi {

namespace {

constexpr char kLoadDialog[] = "samples.load";
constexpr char kAssignMenu[] = "samples.assign";
constexpr char kFilterMenu[] = "samples.filter";
constexpr char kTagsMenu[] = "samples.tags";
constexpr char kNewTagDialog[] = "samples.newTag";

using ui::palette::kAccent;
using ui::palette::kBorder;
using ui::palette::kLight;
using ui::palette::kMuted;
using ui::palette::kWarning;
using ui::palette::withAlphaByte;

constexpr float kLevelLine = 12.0f;      // the preview's level, above its waveform
constexpr std::uint32_t kFilterAll = 1;  // then 2, 3, ... one per tag
constexpr std::uint32_t kAddTag = 1;
constexpr std::uint32_t kRemoveTagFirst = 100;

constexpr char kHelpLine[] =
    "Granular is its own machine.     Chop a break with the SLICES pill on the sample card.     "
    "The visual (t-SNE) browser is not built yet.";

// The colour with its alpha multiplied by the factor.
std::uint32_t dimmed(std::uint32_t colour, float factor) {
  const float alpha = static_cast<float>(colour >> 24) * factor;
  return withAlphaByte(colour, static_cast<std::uint8_t>(std::lround(alpha)));
}

ImVec2 bottomLeft(const ui::Rect& r) { return {r.x, r.y + r.height}; }

ImDrawList* drawList() { return ImGui::GetWindowDrawList(); }

}  // namespace

ui::Rect SamplesPage::takeButtonColumn(ui::Rect& row, std::string_view label) {
  const float width = std::clamp(ui::iconButtonSize(label, {}).x, 0.0f, std::max(row.width, 0.0f));
  const ui::Rect column{row.x, row.y, width, row.height};
  const float taken = std::min(width + 8.0f * ui::scale(), std::max(row.width, 0.0f));
  row.x += taken;
  row.width -= taken;
  return column;
}

void SamplesPage::draw(const ui::Rect& rect) {
  ImGui::PushID(this);
  const float s = ui::scale();
  ui::Rect area = rect.inset(4.0f * s, 4.0f * s);
  const ui::Rect footer = area.takeBottom(16.0f * s);
  const ui::Rect toolbar = area.takeTop(26.0f * s);
  area.takeTop(8.0f * s);
  const ui::Rect preview = area.takeBottom(110.0f * s);
  area.takeBottom(8.0f * s);
  drawToolbar(toolbar);
  drawGrid(area);
  takeDroppedFiles(area);
  drawPreview(preview);
  drawFooter(footer);
  ImGui::PopID();
}

void SamplesPage::drawToolbar(const ui::Rect& toolbar) {
  ui::Rect row = toolbar;
  const bool loaded = slotLoaded(selected_);
  if (ui::iconButton("load", takeButtonColumn(row, "Load WAV..."), "Load WAV...", {})) requestLoad();
  const ui::Rect assign = takeButtonColumn(row, "Assign to track...");
  if (ui::iconButton("assign", assign, "Assign to track...", {}))
    ui::openPopupAt(kAssignMenu, bottomLeft(assign));
  const std::string filterLabel =
      tagFilter_.empty() ? std::string("Tags: All") : std::string("Tags: ").append(tagFilter_);
  const ui::Rect filter = takeButtonColumn(row, filterLabel);
  if (ui::iconButton("filter", filter, filterLabel, {})) ui::openPopupAt(kFilterMenu, bottomLeft(filter));
  ui::ButtonStyle needsSlot;
  needsSlot.disabled = !loaded;
  const ui::Rect tags = takeButtonColumn(row, "Edit tags...");
  if (ui::iconButton("tags", tags, "Edit tags...", needsSlot)) {
    tagSlot_ = selected_;
    ui::openPopupAt(kTagsMenu, bottomLeft(tags));
  }
  if (ui::iconButton("split", takeButtonColumn(row, "Split hit / body"), "Split hit / body", needsSlot))
    splitSlot();
  takeLoadResult();
  runAssignMenu();
  runFilterMenu();
  runTagsMenu();
  runNewTagDialog();
}

void SamplesPage::requestLoad() {
  ui::FileDialogRequest request;
  request.kind = ui::FileDialogKind::Open;
  request.title = "Load a WAV sample";
  request.filters = {{"WAV audio", {"wav"}}};
  request.folder = ob::homeFolder().string();
  ui::requestFileDialog(kLoadDialog, std::move(request));
}

void SamplesPage::takeLoadResult() {
  const std::optional<ui::FileDialogResult> result = ui::takeFileDialogResult(kLoadDialog);
  if (!result || result->status != ui::FileDialogStatus::Chosen || result->paths.empty()) return;
  if (const std::int32_t slot = loadWav(result->paths.front()); slot >= 0) previewSlot(slot);
}

void SamplesPage::runAssignMenu() {
  const ob::Pattern& part = context_.project().patterns[context_.selectedPart()];
  const int tracks = std::clamp<int>(part.numTracks, 1, ob::kMaxTracks);
  std::vector<ui::MenuEntry> entries;
  for (int t = 0; t < tracks; ++t) {
    const int n = t + 1;
    const int sound = part.tracks[t].soundIndex;
    const char* name = sound >= 0 && sound < ob::kMaxTracks ? part.kit.sounds[sound].name : "";
    const std::string number = std::to_string(n);
    const std::string label = *name ? std::string("Track ").append(number).append(":  ").append(name)
                                    : std::string("T").append(number);
    entries.emplace_back(label, static_cast<std::uint32_t>(n));
  }
  if (const ui::MenuChoice choice = ui::popupMenu(kAssignMenu, entries); choice.command)
    assignToTrack(static_cast<std::int32_t>(*choice.command) - 1);
}

void SamplesPage::runFilterMenu() {
  const std::vector<std::string> tags = collectTags();
  std::vector<ui::MenuEntry> entries;
  entries.emplace_back("All", kFilterAll, tagFilter_.empty());
  for (std::size_t i = 0; i < tags.size(); ++i)
    entries.emplace_back(tags[i], kFilterAll + 1 + static_cast<std::uint32_t>(i), tags[i] == tagFilter_);
  const ui::MenuChoice choice = ui::popupMenu(kFilterMenu, entries);
  if (!choice.command) return;
  if (*choice.command == kFilterAll)
    tagFilter_.clear();
  else if (const std::size_t i = *choice.command - kFilterAll - 1; i < tags.size())
    tagFilter_ = tags[i];
}

void SamplesPage::runTagsMenu() {
  if (!slotLoaded(tagSlot_)) return;
  const ob::SampleSlot& record = context_.project().samples.slots[tagSlot_];
  const int count = std::min<int>(record.tagCount, kMaxTags);
  std::vector<ui::MenuEntry> entries;
  for (int i = 0; i < count; ++i)
    entries.emplace_back(std::string("Remove  \xC3\x97  ").append(record.tags[i]), kRemoveTagFirst + i);
  if (count > 0) entries.push_back(ui::MenuEntry::separator());
  entries.emplace_back("Add tag...", kAddTag, false, count < kMaxTags);
  const ui::MenuChoice choice = ui::popupMenu(kTagsMenu, entries);
  if (!choice.command) return;
  if (*choice.command == kAddTag) {
    newTagText_.clear();
    ui::openPopup(kNewTagDialog);
  } else if (*choice.command >= kRemoveTagFirst) {
    removeTag(tagSlot_, static_cast<std::int32_t>(*choice.command - kRemoveTagFirst));
  }
}

void SamplesPage::runNewTagDialog() {
  if (ui::textEntryDialog(kNewTagDialog, "Tag name:", "", &newTagText_, "Add tag") ==
      ui::DialogResult::Accepted)
    addTag(tagSlot_, newTagText_);
}

void SamplesPage::drawGrid(const ui::Rect& grid) {
  const float s = ui::scale();
  const float cellWidth = grid.width / 8.0f;
  const float cellHeight = std::min(grid.height / 8.0f, 34.0f * s);
  for (std::int32_t i = 0; i < kSlots; ++i) {
    const ui::Rect cell{grid.x + static_cast<float>(i % 8) * cellWidth,
                        grid.y + static_cast<float>(i / 8) * cellHeight, cellWidth, cellHeight};
    drawCell(i, cell.inset(2.0f * s, 2.0f * s));
  }
}

void SamplesPage::drawCell(std::int32_t slot, const ui::Rect& cell) {
  const float s = ui::scale();
  const bool loaded = slotLoaded(slot);
  const bool isSelected = slot == selected_;
  const bool unplayable = loaded && cannotPlayReason(context_.samplePool(), slot) != nullptr;
  const float brightness = cellBrightness(slot);
  ImDrawList* dl = drawList();
  const std::uint32_t fill = isSelected ? withAlphaByte(kAccent, 0x38)
                             : loaded   ? ui::palette::kGreenSoft
                                        : withAlphaByte(ui::palette::kTrackFill, 0x80);
  ui::fillRect(dl, cell, dimmed(fill, brightness), 4.0f);
  const std::uint32_t border = isSelected ? kAccent : unplayable ? kWarning : kBorder;
  ui::strokeRect(dl, cell, dimmed(border, brightness), 4.0f, isSelected ? 1.5f : 1.0f);
  ui::Rect inner = cell.inset(4.0f * s, 1.0f * s);
  const std::string number = std::to_string(slot);
  ui::drawText(dl, inner.takeTop(11.0f * s), unplayable ? number + "  cannot play" : number,
               ui::TextStyle::Small, dimmed(unplayable ? kWarning : kMuted, brightness));
  if (loaded)
    ui::drawText(dl, inner, context_.project().samples.slots[slot].name, ui::TextStyle::Body,
                 dimmed(isSelected ? kLight : kMuted, brightness));
  ui::InteractSpec spec;
  spec.kind = ui::HitKind::Rectangle;
  spec.rect = cell;
  ImGui::PushID(slot);
  const bool clicked = ui::interact("slot", spec).clicked;
  ImGui::PopID();
  // The dialog is asked for in the page's scope, where its answer is taken.
  if (clicked && loaded)
    previewSlot(slot);
  else if (clicked)
    requestLoad();
}

void SamplesPage::takeDroppedFiles(const ui::Rect& grid) {
  const ui::DropZoneResult drop = ui::dropZone(grid, {".wav"});
  if (!drop.dropped) return;
  std::int32_t last = -1;
  for (const std::string& path : drop.paths)
    if (const std::int32_t slot = loadWav(path); slot >= 0) last = slot;
  if (last >= 0) previewSlot(last);
}

void SamplesPage::drawPreview(ui::Rect band) {
  const float s = ui::scale();
  band = band.inset(2.0f * s, 2.0f * s);
  ImDrawList* dl = drawList();
  if (slotLoaded(selected_)) {
    const ob::SampleSlot& record = context_.project().samples.slots[selected_];
    if (record.tagCount > 0) {
      std::string line = std::string("# ").append(record.tags[0]);
      for (int i = 1; i < std::min<int>(record.tagCount, kMaxTags); ++i)
        line.append("   # ").append(record.tags[i]);
      ui::drawText(dl, band.takeTop(16.0f * s), line, ui::TextStyle::Body, kAccent);
    }
  }
  ui::fillRect(dl, band, ui::palette::kTilePanel, 4.0f);
  ui::strokeRect(dl, band, kBorder, 4.0f, 1.0f);
  const ui::Rect inside = band.inset(6.0f * s, 6.0f * s);
  if (const std::string* why =
          slotLoaded(selected_) ? cannotPlayReason(context_.samplePool(), selected_) : nullptr) {
    ui::Rect lines = inside;
    lines.takeTop((lines.height - 36.0f * s) / 2.0f);
    ui::drawText(dl, lines.takeTop(18.0f * s), "This sample cannot play: " + *why, ui::TextStyle::Body,
                 kWarning, ui::TextAlign::Centre);
    ui::drawText(dl, lines.takeTop(18.0f * s), "It is kept, and saved as it came", ui::TextStyle::Body,
                 kMuted, ui::TextAlign::Centre);
    return;
  }
  const SlotOverviews& overviews = selectedOverviews();
  const ui::WaveOverview& overview = overviews.left;
  if (overview.size() < 2) {
    const char* hint = context_.project().samples.count == 0
                           ? "pool is empty - drop a WAV here or Load to begin"
                           : "select a loaded slot to preview";
    ui::drawText(dl, inside, hint, ui::TextStyle::Body, kMuted, ui::TextAlign::Centre);
    return;
  }
  // The level above the waveform, which is drawn to its peak; a stereo
  // slot's left channel above its right, to the same scale.
  const PreviewLevel level = previewLevel(overviews);
  ui::Rect wave = inside;
  ui::drawText(dl, wave.takeTop(kLevelLine * s), level.text, ui::TextStyle::Caption, kMuted,
               ui::TextAlign::Right);
  const double seconds = static_cast<double>(overview.size()) / overview.sampleRate();
  const ui::Axis axis{ui::AxisKind::Linear, 0.0f, static_cast<float>(seconds), wave.x, wave.x + wave.width};
  ui::WaveformStyle style;
  style.colour = kAccent;
  style.gain = level.gain;
  if (overviews.right.empty()) {
    ui::drawWaveform(dl, wave, axis, overview, style);
    return;
  }
  const ui::Rect left = wave.takeTop(wave.height / 2.0f);
  ui::drawWaveform(dl, left, axis, overview, style);
  ui::drawWaveform(dl, wave, axis, overviews.right, style);
}

void SamplesPage::drawFooter(const ui::Rect& band) {
  std::string unplayable;
  if (message_.empty()) unplayable = unplayableLine(context_.project(), context_.samplePool());
  if (!message_.empty() || !unplayable.empty())
    ui::drawText(drawList(), band, message_.empty() ? unplayable : message_, ui::TextStyle::Small, kWarning);
  else
    ui::drawText(drawList(), band, kHelpLine, ui::TextStyle::Small, withAlphaByte(kMuted, 0x99));
}

}  // namespace orbi
