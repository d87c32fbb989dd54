#include "editor/macros/macro_panel.h"

#include <imgui.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

#include "editor/macros/macro_name.h"
#include "editor/widgets/drag_sweep.h"
#include "editor/widgets/widget_support.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"
#include "ui/context.h"
#include "ui/controls/value_text.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/interact/tooltip.h"

namespace orbi {
namespace {

constexpr float kTargetKnob = 4.0f;  // a destination's target knob, radius
constexpr float kReadoutGap = 6.0f;  // between a cell's name and its value

// Design heights of the content.
constexpr float kInset = 2.0f;
constexpr float kCellBand = 34.0f;
constexpr float kListGap = 4.0f;
constexpr float kLine = 16.0f;  // the add row and "no destinations"
constexpr float kLeastRow = 16.0f;
constexpr float kMostRow = 20.0f;
constexpr int kRowsShown = 3;  // whenever the page keeps its own floors beside them

constexpr std::uint32_t kDimFill = palette::withAlphaByte(palette::kAccent, 0x8C);
constexpr std::uint32_t kKnobRim = palette::withAlphaByte(palette::kBackground, 0x99);
constexpr std::uint32_t kTargetBar = palette::withAlphaByte(palette::kAccent, 0x59);

std::string_view fieldText(const char* field, std::size_t capacity) {
  return {field, strnlen(field, capacity)};
}

ui::Interaction area(const char* id, const ui::Rect& r, ImGuiMouseCursor cursor) {
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = r;
  desc.cursor = cursor;
  return ui::interact(id, desc);
}

// A held button whose pointer moved sideways this frame: a press alone
// sets nothing.
bool dragMoves(const ui::Interaction& it) { return it.held && !it.pressed && it.delta.x != 0.0f; }

// The 0..1 position dragged to: the one at the press moved as far along
// the strip as the pointer moved, and on a short strip no faster than the
// least sweep allows.
float draggedAlong(const ui::Interaction& it, float atPress, const ui::Rect& strip) {
  return clamp01NanTo0(atPress + it.total.x / sweepLength(strip.width, ui::scale()));
}

std::string oneDecimal(float v) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 1);
  return std::string(buffer, result.ptr);
}

}  // namespace

ob::Pattern* MacroPanel::part() {
  ob::Project& project = ctx_.project();
  const int p = ctx_.selectedPart();
  if (p < 0 || p >= std::min<int>(project.patternCount, static_cast<int>(std::size(project.patterns))))
    return nullptr;
  return &project.patterns[p];
}

const ob::Sound* MacroPanel::soundOfTrack(int track) {
  const ob::Pattern* pattern = part();
  if (pattern == nullptr || track < 0 || track >= pattern->numTracks) return nullptr;
  const int sound = pattern->tracks[track].soundIndex;
  if (sound < 0 || sound >= ob::kMaxTracks) return nullptr;
  return &pattern->kit.sounds[sound];
}

void MacroPanel::send(ob::EditKind kind, std::uint32_t track, std::uint32_t step, std::int32_t param,
                      float value) {
  ob::EditCommand command;
  command.kind = kind;
  command.track = track;
  command.step = step;
  command.param = param;
  command.value = value;
  ctx_.apply(command);
}

const ob::Macro* MacroPanel::selected() {
  const ob::Pattern* pattern = part();
  if (pattern == nullptr || selectedMacro < 0 || selectedMacro >= ob::kMacroCount) return nullptr;
  return &pattern->kit.macros[selectedMacro];
}

// The add row goes to the title strip the root view gives the panel: the
// heights count none.
float MacroPanel::listHeight(int count, float row) {
  return (count > 0 ? static_cast<float>(count) * row : kLine) * ui::scale();
}

MacroPanel::Heights MacroPanel::contentHeights() {
  const float s = ui::scale();
  const float cells = (2.0f * kInset + kCellBand) * s;
  const ob::Macro* macro = selected();
  if (macro == nullptr) return {cells, cells, cells, cells, cells, kLeastRow * s};
  const int count = std::min<int>(macro->destCount, ob::kListCapacity);
  const float gap = kListGap * s;
  return {cells,
          cells + gap + listHeight(std::min(count, 1), kLeastRow),
          cells + gap + listHeight(std::min(count, kRowsShown), kLeastRow),
          cells + gap + listHeight(count, kLeastRow),
          cells + gap + listHeight(count, kMostRow),
          kLeastRow * s};
}

void MacroPanel::draw(const ui::Rect& r, const ui::Rect& hintStrip) {
  const ob::Pattern* pattern = part();
  if (pattern == nullptr) return;
  const float s = ui::scale();
  ImGui::PushID(this);
  ui::Rect inner = r.inset(kInset * s, kInset * s);
  const ui::Rect band = inner.takeTop(kCellBand * s);
  inner.takeTop(kListGap * s);
  const float w = inner.width / ob::kMacroCount;
  for (int i = 0; i < ob::kMacroCount; ++i) {
    cellRects[i] = {band.x + i * w + 4.0f * s, band.y + 2.0f * s, std::max(w - 8.0f * s, 0.0f),
                    std::max(band.height - 4.0f * s, 0.0f)};
    ImGui::PushID(i);
    drawCell(i, pattern->kit);
    ImGui::PopID();
  }
  if (selectedMacro < 0 || selectedMacro >= ob::kMacroCount) {
    drawHint(inner, hintStrip);
  } else {
    if (listMacro_ != selectedMacro) rows_.reset();
    listMacro_ = selectedMacro;
    const ob::Macro& macro = pattern->kit.macros[selectedMacro];
    // The add row in the title strip, where the hint goes while no macro is
    // selected, else at the bottom of the list.
    const bool inStrip = hintStrip.width > 0.0f && hintStrip.height > 0.0f;
    if (macro.destCount < ob::kListCapacity) {
      if (inStrip) {
        drawAddRow(hintStrip, true);
      } else {
        const float h = std::min(kLine * s, inner.height);
        inner.height -= h;
        drawAddRow({inner.x, inner.y + inner.height, inner.width, h}, false);
      }
    } else if (inStrip) {
      drawFull(hintStrip);
    }
    if (inner.height >= 1.0f) drawList(inner, *pattern, macro);  // a panel cut to its cells has no list
  }
  if (browserMacro >= 0 && browserMacro < ob::kMacroCount)
    addChosenDestination(drawParamBrowser(cellRects[browserMacro]));
  renamePopup();
  ImGui::PopID();
}

void MacroPanel::drawCell(int i, const ob::Kit& kit) {
  const ob::Macro& macro = kit.macros[i];
  const float s = ui::scale();
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const bool selected = selectedMacro == i;
  ui::Rect cell = cellRects[i];
  ui::Rect nameBand = cell.takeTop(14.0f * s);
  cell.takeTop(2.0f * s);
  const ui::Rect strip = cell.takeTop(8.0f * s);

  const ui::Rect faderArea{strip.x, strip.y - 6.0f * s, strip.width, strip.height + 12.0f * s};
  const ui::Interaction fader = area("fader", faderArea, ImGuiMouseCursor_ResizeEW);
  if (fader.pressed) {
    selectedMacro = i;
    atPress_ = clamp01NanTo0(macro.value);
  }
  if (dragMoves(fader)) {
    const float v = draggedAlong(fader, atPress_, strip);
    if (v != macro.value) send(ob::kEditMacroValue, 0, 0, i, v);
  }

  const ui::Interaction whole = area("cell", cellRects[i], ImGuiMouseCursor_Arrow);
  const ImVec2 at = ImGui::GetIO().MousePos;
  const bool onName = nameBand.contains(at);
  if (whole.doubleClicked && onName) {
    selectedMacro = i;
    renameMacro = i;
    renameText = std::string(fieldText(macro.name, sizeof macro.name));
    renamePending = true;
  } else if (whole.clicked) {
    selectedMacro = selectedMacro == i ? -1 : i;
  }

  if (selected) {
    ui::fillCircle(dl, {nameBand.x + 2.5f * s, nameBand.y + nameBand.height / 2.0f}, 2.5f * s,
                   palette::kAccent);
    nameBand.takeLeft(9.0f * s);
  }
  cellLabel_ = macroName(kit, i);
  if (macro.destCount > 0) cellLabel_ += "  (" + std::to_string(macro.destCount) + ")";
  const float value = clamp01NanTo0(macro.value);
  // While the fader is dragged or pointed at, its value, as the host shows
  // the macro: the name gives way on the left.
  if (fader.held || fader.hovered) {
    valueLabel_ = ui::formatNumber(value * 100.0f, 0) + "%";
    const float width = std::min(ui::measureText(valueLabel_, ui::TextStyle::Small).x, nameBand.width);
    ui::drawReadout(dl, nameBand.takeRight(width), valueLabel_, ui::TextStyle::Small, palette::kLight,
                    ui::TextAlign::Right);
    nameBand.takeRight(std::min(kReadoutGap * s, nameBand.width));
  }
  ui::drawText(dl, nameBand, cellLabel_, ui::TextStyle::Small, selected ? palette::kAccent : palette::kMuted,
               ui::TextAlign::Left);

  ui::fillRect(dl, strip, palette::kTrackFill, 4.0f);
  // An empty fill would still show its rounded corners.
  if (strip.width * value >= 1.0f)
    ui::fillRect(dl, {strip.x, strip.y, strip.width * value, strip.height},
                 selected ? palette::kAccent : kDimFill, 4.0f);
  // The right bound wins when the strip is too short for both.
  const float knobX =
      std::min(std::max(strip.x + strip.width * value, strip.x + 5.0f * s), strip.x + strip.width - 5.0f * s);
  const ImVec2 knob{knobX, strip.y + strip.height / 2.0f};
  ui::fillCircle(dl, knob, 5.0f * s, selected ? palette::kAccentHovered : palette::kAccent);
  ui::strokeCircle(dl, knob, 5.0f * s, kKnobRim, 1.0f);
  ui::logHandle(this, "macro " + std::to_string(i + 1), knob, ui::kAlongX, fader.held);
}

void MacroPanel::drawHint(const ui::Rect& list, const ui::Rect& hintStrip) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  constexpr const char* kHint = "click a macro to see its destinations";
  if (hintStrip.width <= 0.0f || hintStrip.height <= 0.0f) {
    ui::drawText(dl, list, kHint, ui::TextStyle::Small, palette::kMuted, ui::TextAlign::Centre);
    return;
  }
  // The strip lies outside the panel's content, where the folded panel has
  // no room for it.
  dl->PushClipRect(ImVec2(hintStrip.x, hintStrip.y),
                   ImVec2(hintStrip.x + hintStrip.width, hintStrip.y + hintStrip.height), false);
  ui::drawText(dl, hintStrip, kHint, ui::TextStyle::Small, palette::kMuted, ui::TextAlign::Right);
  dl->PopClipRect();
}

void MacroPanel::drawAddRow(const ui::Rect& r, bool inStrip) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  constexpr const char* kAdd = "+ add destination";
  const ui::TextAlign align = inStrip ? ui::TextAlign::Right : ui::TextAlign::Centre;
  // In the strip only the words take the click: the rest is the title.
  ui::Rect hit = r;
  if (inStrip) {
    const float width = std::min(ui::measureText(kAdd, ui::TextStyle::Small).x, r.width);
    hit = {r.x + r.width - width, r.y, width, r.height};
  }
  // The strip lies outside the panel's content, whose clip would leave the
  // words neither drawn nor taking the click.
  if (inStrip) ImGui::PushClipRect(ImVec2(r.x, r.y), ImVec2(r.x + r.width, r.y + r.height), false);
  const ui::Interaction it = area("macro.add", hit, ImGuiMouseCursor_Hand);
  ui::drawText(dl, r, kAdd, ui::TextStyle::Small, it.hovered ? palette::kAccentHovered : palette::kAccent,
               align);
  if (inStrip) ImGui::PopClipRect();
  if (it.clicked) openParamBrowser(selectedMacro);
}

// Where "+ add destination" stands while there is room: why it is gone.
void MacroPanel::drawFull(const ui::Rect& strip) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  dl->PushClipRect(ImVec2(strip.x, strip.y), ImVec2(strip.x + strip.width, strip.y + strip.height), false);
  ui::drawText(dl, strip, "macro full: " + std::to_string(ob::kListCapacity) + " destinations",
               ui::TextStyle::Small, palette::kMuted, ui::TextAlign::Right);
  dl->PopClipRect();
}

void MacroPanel::drawList(const ui::Rect& list, const ob::Pattern& pattern, const ob::Macro& macro) {
  const float s = ui::scale();
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const int count = std::min<int>(macro.destCount, ob::kListCapacity);
  if (count == 0) {
    ui::drawText(dl, list, "no destinations", ui::TextStyle::Small, palette::kMuted, ui::TextAlign::Centre);
    return;
  }
  // Too low for every row at its least height: whole rows, the others a
  // wheel turn or a click on the readout away.
  const RowWindow::Shown shown = rows_.layout(list, count, kLeastRow * s, kMostRow * s);
  for (int j = shown.first; j < shown.first + shown.count; ++j) {
    const ui::Rect row{shown.rows.x + 2.0f * s,
                       shown.rows.y + static_cast<float>(j - shown.first) * shown.pitch,
                       std::max(shown.rows.width - 4.0f * s, 0.0f), shown.pitch};
    ImGui::PushID(j);
    const bool kept = drawDestinationRow(j, row, pattern, macro);
    ImGui::PopID();
    if (!kept) break;
  }
  rows_.drive("macro.rows", shown, count);
}

bool MacroPanel::drawDestinationRow(int j, const ui::Rect& row, const ob::Pattern& pattern,
                                    const ob::Macro& macro) {
  const float s = ui::scale();
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ob::MacroDest dest = macro.dests[j];
  const DestinationInfo info = describeDestination(pattern, dest);
  ui::Rect rest = row;
  const ui::Rect label = rest.takeLeft(std::min(0.4f * row.width, row.width));
  const ui::Rect valueRect = rest.takeRight(46.0f * s);
  const ui::Rect slider{label.x + label.width + 2.0f * s, row.y, std::max(rest.width - 4.0f * s, 0.0f),
                        row.height};

  // The knob's radius past either end: a target at an end is taken whole.
  const ui::Interaction drag = area(
      "target", {slider.x - kTargetKnob * s, slider.y, slider.width + 2.0f * kTargetKnob * s, slider.height},
      ImGuiMouseCursor_ResizeEW);
  const float span = info.max > info.min ? info.max - info.min : 1.0f;
  if (drag.pressed) atPress_ = clamp01NanTo0((dest.target - info.min) / span);
  if (dragMoves(drag)) {
    const float v = info.min + (info.max - info.min) * draggedAlong(drag, atPress_, slider);
    if (v != dest.target) {
      send(ob::kEditMacroDest, dest.track, dest.param, selectedMacro, v);
      dest.target = v;  // the row shows the value it sets in this frame
    }
  }
  const ui::Interaction whole = area("row", row, ImGuiMouseCursor_Arrow);
  if (drag.rightClicked || whole.rightClicked) {
    send(ob::kEditRemoveMacroDest, dest.track, dest.param, selectedMacro, 0.0f);
    return false;
  }

  const float current = (dest.target - info.base) * clamp01NanTo0(macro.value) + info.base;
  ui::drawText(dl, label, info.label, ui::TextStyle::Small, palette::kLight, ui::TextAlign::Left);
  // Rows touch: the slider is drawn a pixel in from each, and takes the
  // whole row's height.
  const ui::Rect bar{slider.x, slider.y + s, slider.width, std::max(slider.height - 2.0f * s, 0.0f)};
  ui::fillRect(dl, bar, palette::kTrackFill, 3.0f);
  const float range = info.max > info.min ? info.max - info.min : 1.0f;
  const auto xOf = [&](float v) { return slider.x + slider.width * clamp01NanTo0((v - info.min) / range); };
  const float centre = slider.y + slider.height / 2.0f;
  const float baseX = xOf(info.base), targetX = xOf(dest.target);
  ui::drawLine(dl, {baseX, bar.y}, {baseX, bar.y + bar.height}, palette::kBorder, 1.0f, 0.0f, 0.0f);
  ui::fillRect(dl, {std::min(baseX, targetX), centre - s, std::abs(targetX - baseX), 2.0f * s}, kTargetBar);
  ui::fillCircle(dl, {xOf(current), centre}, 2.5f * s, palette::kAccentHovered);
  ui::fillCircle(dl, {targetX, centre}, kTargetKnob * s, palette::kAccent);
  ui::strokeCircle(dl, {targetX, centre}, kTargetKnob * s, kKnobRim, 1.0f);
  ui::logHandle(this, "target " + std::to_string(j + 1), {targetX, centre}, ui::kAlongX, drag.held);
  // While the target is dragged or pointed at, the value it sets, with
  // its unit; else the value the parameter takes now.
  if (drag.held || drag.hovered) {
    ui::drawReadout(dl, valueRect, valueText(dest.target, span, info.unit), ui::TextStyle::Caption,
                    palette::kLight, ui::TextAlign::Left);
  } else {
    ui::drawText(dl, valueRect, oneDecimal(current), ui::TextStyle::Caption, palette::kMuted,
                 ui::TextAlign::Left);
  }
  return true;
}

MacroPanel::DestinationInfo MacroPanel::describeDestination(const ob::Pattern& pattern,
                                                            const ob::MacroDest& d) {
  DestinationInfo info;
  char fallback[16];
  std::snprintf(fallback, sizeof fallback, "t%d:p%d", d.track + 1, d.param);
  info.label = fallback;
  if (d.track >= ob::kMaxTracks) return info;
  const int soundIndex = pattern.tracks[d.track].soundIndex;
  if (soundIndex < 0 || soundIndex >= ob::kMaxTracks) return info;
  const ob::Sound& sound = pattern.kit.sounds[soundIndex];
  const ob::ParamInfo param = ob::paramInfo(sound.machine, d.param);
  info.base = d.param < ob::kSoundParamSlots ? sound.params[d.param] : 0.0f;
  info.min = param.min;
  info.max = param.max;
  info.unit = param.unit;
  info.label =
      std::string(fieldText(sound.name, sizeof sound.name)) + ": " + ob::paramName(sound.machine, d.param);
  return info;
}

}  // namespace orbi
