#include "ui/controls/number_entry.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "ui/context.h"
#include "ui/draw/text.h"
#include "ui/draw/utf8.h"
#include "ui/frame_requests.h"
#include "ui/interact/tooltip.h"
#include "ui/layout/keep_inside.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr float kTextPx = 12.0f;
// The input is not focused until the frame after the request: the box
// lives through this many frames before an inactive input closes it.
constexpr int kFramesToFocus = 3;
// How long a held commit's note shows.
constexpr double kNoteSeconds = 2.5;
constexpr float kNotePadding = 6.0f;  // design pixels

constexpr std::uint32_t kBoxFill = palette::kTrackFill;
constexpr std::uint32_t kRefusedText = palette::kWarning;
constexpr std::uint32_t kBoxBorder = palette::kAccentDim;

constexpr ImGuiWindowFlags kBoxFlags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                       ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoScrollbar |
                                       ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                                       ImGuiWindowFlags_NoNav;

// The longest prefix of the text, cut between characters, that fits the
// buffer with its NUL.
void copyText(std::string_view text, char (&buffer)[64]) {
  std::size_t n = 0;
  forEachUtf8Char(text, [&](std::size_t at, std::size_t length) {
    if (n == at && at + length < sizeof buffer) n = at + length;
  });
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

struct InputState {
  bool enter = false;
  bool active = false;
  bool deactivated = false;
};

// The box with its text input, in a window of its own over everything.
// A window of the box's look, its corner at topLeft, kept on the display;
// endBoxWindow closes it.
void beginBoxWindow(const char* name, ImVec2 topLeft, ImVec2 size, ImGuiWindowFlags flags) {
  const float s = scale();
  ImGui::SetNextWindowPos(keepInside(topLeft, size, ImGui::GetIO().DisplaySize));
  ImGui::SetNextWindowSize(size);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0.0f, 0.0f));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, s);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 4.0f * s);
  // Dear ImGui would make the box at least 32 pixels high, taller than its input.
  ImGui::PushStyleVar(ImGuiStyleVar_WindowMinSize, ImVec2(0.0f, 0.0f));
  ImGui::PushStyleColor(ImGuiCol_WindowBg, colourToVec4(kBoxFill));
  ImGui::PushStyleColor(ImGuiCol_Border, colourToVec4(kBoxBorder));
  ImGui::Begin(name, nullptr, flags);
}

void endBoxWindow() {
  ImGui::End();
  ImGui::PopStyleColor(2);
  ImGui::PopStyleVar(4);
}

InputState drawBox(UiContext::NumberEntryState& entry) {
  const float s = scale();
  const Rect box = numberEntryBox(entry.anchor, entry.height);
  const ImVec2 size(box.width, box.height);
  beginBoxWindow("##orbi.numberEntry", ImVec2(box.x, box.y), size, kBoxFlags);
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding,
                      ImVec2(6.0f * s, std::max(0.0f, (size.y - kTextPx * s) / 2.0f)));
  pushTextStyle(TextStyle::Mono);
  if (entry.entryFrames == 0) ImGui::SetKeyboardFocusHere();
  ImGui::SetNextItemWidth(-FLT_MIN);
  ImGui::PushID(static_cast<int>(entry.openings));
  const bool refused = entry.refused;
  if (refused) ImGui::PushStyleColor(ImGuiCol_Text, colourToVec4(kRefusedText));
  InputState input;
  input.enter = ImGui::InputText("##value", entry.entryText, sizeof entry.entryText,
                                 ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_AutoSelectAll);
  input.active = ImGui::IsItemActive();
  input.deactivated = ImGui::IsItemDeactivated();
  if (ImGui::IsItemEdited()) entry.refused = false;
  if (refused) ImGui::PopStyleColor();
  ImGui::PopID();
  popTextStyle();
  ImGui::PopStyleVar();
  endBoxWindow();
  return input;
}

// The box asks again, showing the param's word for the refused text, all
// selected so that typing replaces it.
void askAgain(UiContext::NumberEntryState& entry, const std::string& word) {
  copyText(word, entry.entryText);
  entry.entryFrames = 0;
  ++entry.openings;
  entry.refused = true;
}

// Enter: the typed value through the param; text the param refuses with a
// word keeps the box open with that word; other text that is not a number
// closes it. A nan a param's reader lets through would reach the project.
NumberEntryResult commit(UiContext::NumberEntryState& entry, Param& param) {
  const ImGuiID owner = entry.entryId;
  const std::string typed = entry.entryText;
  const std::optional<float> value = param.parse(typed);
  if (!value) {
    if (const std::string word = param.refusal(typed); !word.empty()) {
      askAgain(entry, word);
      return NumberEntryResult::Editing;
    }
  }
  entry.entryId = 0;
  if (!value || std::isnan(*value)) return NumberEntryResult::Cancelled;
  const float held = clampToParam(param.spec(), *value);
  param.beginEdit();
  param.setValue(held);
  param.endEdit();
  if (*value < param.spec().min || *value > param.spec().max) {
    entry.heldNote =
        "held to " + param.format(held) + (*value > param.spec().max ? ", the highest" : ", the lowest");
    entry.noteOwner = owner;
    entry.noteUntil = ImGui::GetTime() + kNoteSeconds;
  }
  return NumberEntryResult::Committed;
}

// What the window shows of the panel; the whole window for none.
Rect shownPart(const Rect& panel) {
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  if (!(panel.width > 0.0f && panel.height > 0.0f)) return {0.0f, 0.0f, display.x, display.y};
  const float x = std::max(panel.x, 0.0f), y = std::max(panel.y, 0.0f);
  return {x, y, std::max(std::min(panel.x + panel.width, display.x) - x, 0.0f),
          std::max(std::min(panel.y + panel.height, display.y) - y, 0.0f)};
}

}  // namespace

void beginNumberEntry(const char* id, ImVec2 anchor, Param& param, float height) {
  UiContext::NumberEntryState& entry = context().numberEntryState();
  entry.heldNote.clear();
  entry.entryId = ImGui::GetID(id);
  entry.anchor = anchor;
  entry.height = height;
  entry.entryFrames = 0;
  ++entry.openings;
  entry.refused = false;
  copyText(param.format(param.value()), entry.entryText);
}

Rect numberEntryBox(ImVec2 anchor, float height) {
  const float s = scale();
  const float w = kNumberEntryWidth * s, h = height > 0.0f ? height : kNumberEntryHeight * s;
  return {anchor.x - w / 2.0f, anchor.y - h / 2.0f, w, h};
}

NumberEntryResult numberEntry(const char* id, Param& param) {
  UiContext::NumberEntryState& entry = context().numberEntryState();
  if (entry.entryId == 0 || entry.entryId != ImGui::GetID(id)) return NumberEntryResult::Closed;
  const InputState input = drawBox(entry);
  const int shown = entry.entryFrames++;
  if (input.enter) return commit(entry, param);
  if (!input.deactivated && (input.active || shown < kFramesToFocus)) return NumberEntryResult::Editing;
  entry.entryId = 0;
  return NumberEntryResult::Cancelled;
}

bool keepHeldNote(const char* id, const Rect& value, const Rect& panel) {
  UiContext::NumberEntryState& entry = context().numberEntryState();
  if (entry.heldNote.empty() || entry.noteOwner != ImGui::GetID(id)) return false;
  entry.noteShown = ImGui::GetFrameCount();
  entry.noteValue = value;
  entry.notePanel = panel;
  return true;
}

Rect placeHeldNote(const Rect& value, ImVec2 size, const Rect& panel, LabelPlacer keepClear, float s) {
  keepClear.block(value);
  const ImVec2 centre(value.x + value.width / 2.0f, value.y + value.height / 2.0f);
  const ImVec2 at = placeTooltip(centre, size, panel, keepClear, s);
  return {at.x, at.y, size.x, size.y};
}

void drawHeldNote() {
  UiContext::NumberEntryState& entry = context().numberEntryState();
  if (entry.heldNote.empty()) return;
  if (ImGui::GetTime() >= entry.noteUntil || entry.noteShown != ImGui::GetFrameCount()) {
    entry.heldNote.clear();
    return;
  }
  // It goes by itself, with no input to draw the frame that clears it.
  requestFrameAt(entry.noteUntil);
  const float s = scale();
  const ImVec2 text = measureText(entry.heldNote, TextStyle::Mono);
  const ImVec2 size(text.x + 2.0f * kNotePadding * s, kNumberEntryHeight * s);
  const Rect box = placeHeldNote(entry.noteValue, size, shownPart(entry.notePanel), tooltipKeepClear(), s);
  beginBoxWindow("##orbi.heldNote", ImVec2(box.x, box.y), size, kBoxFlags | ImGuiWindowFlags_NoInputs);
  const ImVec2 at = ImGui::GetWindowPos();
  const Rect shown{at.x, at.y, size.x, size.y};
  drawText(ImGui::GetWindowDrawList(), shown, entry.heldNote, TextStyle::Mono, kRefusedText,
           TextAlign::Centre);
  endBoxWindow();
  // A tooltip hides the note only where it has no other place.
  keepTooltipClearOf(shown, KeepClear::WhereItCan);
}

}  // namespace orbi::ui
