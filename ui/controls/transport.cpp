#include "ui/controls/transport.h"

#include <imgui.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "ui/context.h"
#include "ui/controls/buttons.h"
#include "ui/controls/rail.h"
#include "ui/draw/icons.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/shortcuts.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

// Design pixels.
constexpr float kPanelSlot = 36.0f;
constexpr float kPanelHeight = 32.0f;
constexpr float kPanelFieldGap = 16.0f;
constexpr float kPlainSlot = 32.0f;
constexpr float kPlainHeight = 36.0f;
constexpr float kPlainButtonGap = 4.0f;
constexpr float kPlainAfterButtons = 16.0f;
constexpr float kPlainFieldGap = 8.0f;
constexpr float kValueField = 92.0f;
constexpr float kPositionField = 104.0f;

constexpr std::uint32_t kSeparator = palette::withAlphaByte(palette::kAccentDim, 0x8C);
constexpr std::uint32_t kPositionPlaying = palette::kAccent;
constexpr std::uint32_t kPositionStopped = palette::kLight;
constexpr std::uint32_t kPositionFill = palette::kTrackFill;
constexpr std::uint32_t kPositionBorder = palette::kBorder;

// Positions past this many bars are shown as this many: whole numbers of
// them still fit a long long.
constexpr double kLongestPosition = 1e15;

struct ButtonSpec {
  const char* id;
  IconPainter glyph;
  const char* tooltip;
  bool on;
  ButtonVariant variant;
  bool TransportResult::*clicked;
};

int buttonCount(const TransportOptions& o) { return 1 + o.showRewind + o.showRecord + o.showLoop; }

bool hasTempo(const TransportOptions& o) { return o.tempoMode != TempoMode::Hidden; }

std::array<float, 3> fieldWidths(const TransportOptions& o, int& count) {
  std::array<float, 3> widths{};
  count = 0;
  if (hasTempo(o)) widths[count++] = kValueField;
  if (o.swing) widths[count++] = kValueField;
  if (o.showPosition) widths[count++] = kPositionField;
  return widths;
}

// Each button takes the next slot of the running rectangle.
void drawButton(const ButtonSpec& b, Rect& row, bool panel, TransportResult& result) {
  const float s = scale();
  if (panel) {
    const Rect slot = row.takeLeft(kPanelSlot * s);
    const PillState pill = pillButton(b.id, slot, b.on, b.tooltip);
    const float d = 0.6f * std::min(slot.width, slot.height);
    const Rect box{slot.x + (slot.width - d) / 2.0f, slot.y + (slot.height - d) / 2.0f, d, d};
    b.glyph(ImGui::GetWindowDrawList(), box, packColour(pillContentColour(pill, b.on)));
    result.*b.clicked = pill.clicked;
    return;
  }
  const Rect slot = row.takeLeft(kPlainSlot * s);
  const float side = std::min(kPlainSlot * s, slot.width);
  const Rect square{slot.x + (slot.width - side) / 2.0f, slot.y + (slot.height - kPlainSlot * s) / 2.0f, side,
                    kPlainSlot * s};
  ButtonStyle style;
  style.variant = b.variant;
  result.*b.clicked = painterButton(b.id, square, b.glyph, b.tooltip, b.on, style);
}

void drawButtons(const TransportState& state, const TransportOptions& o, Rect& row, TransportResult& result) {
  const ButtonSpec all[] = {
      {"rewind", paintRewind, "Back to the start", false, ButtonVariant::Normal, &TransportResult::rewind},
      {"play", state.playing ? IconPainter(paintPause) : IconPainter(paintPlay),
       state.playing ? "Stop (Space)" : "Play (Space)", state.playing, ButtonVariant::Accent,
       &TransportResult::play},
      {"record", paintRecord(state.recording), state.recording ? "Stop recording" : "Record", state.recording,
       state.recording ? ButtonVariant::Danger : ButtonVariant::Normal, &TransportResult::record},
      {"loop", paintLoop, "Loop", state.looping, ButtonVariant::Normal, &TransportResult::loop},
  };
  const bool shown[] = {o.showRewind, true, o.showRecord, o.showLoop};
  const int count = buttonCount(o);
  int drawn = 0;
  for (std::size_t i = 0; i < std::size(all); ++i) {
    if (!shown[i]) continue;
    drawButton(all[i], row, o.panel, result);
    if (o.panel) continue;
    row.takeLeft((++drawn == count ? kPlainAfterButtons : kPlainButtonGap) * scale());
  }
}

// The room before a field (panel) with its separator, or after it (plain).
Rect fieldSlot(Rect& row, float width, bool panel) {
  const float s = scale();
  if (!panel) {
    const Rect slot = row.takeLeft(width * s);
    row.takeLeft(kPlainFieldGap * s);
    return slot;
  }
  const Rect space = row.takeLeft(kPanelFieldGap * s);
  const float x = space.x + space.width / 2.0f;
  const std::array<ImVec2, 2> separator{ImVec2(x, space.y + 0.2f * space.height),
                                        ImVec2(x, space.y + 0.8f * space.height)};
  drawPolyline(ImGui::GetWindowDrawList(), separator, kSeparator, 1.0f);
  return row.takeLeft(width * s);
}

std::array<char, 80> positionText(const TransportState& state) {
  const BarBeatSixteenth p = transportPosition(state);
  std::array<char, 80> text{};
  std::snprintf(text.data(), text.size(), "%lld.%lld.%lld", p.bar, p.beat, p.sixteenth);
  return text;
}

void drawPosition(const Rect& slot, const TransportState& state, bool panel) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const std::array<char, 80> text = positionText(state);
  const std::uint32_t colour = state.playing ? kPositionPlaying : kPositionStopped;
  if (panel) {
    drawText(dl, slot, text.data(), TextStyle::MonoLarge, colour, TextAlign::Centre);
    return;
  }
  const float s = scale();
  const float w = std::min(kPositionField * s, slot.width), h = kPlainHeight * s;
  const Rect box{slot.x + (slot.width - w) / 2.0f, slot.y + (slot.height - h) / 2.0f, w, h};
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = box;
  desc.cursor = ImGuiMouseCursor_Arrow;
  desc.tooltip = "Position: bar, beat, sixteenth";
  interact("position", desc);
  fillRect(dl, box, kPositionFill, 6.0f);
  strokeRect(dl, box, kPositionBorder, 6.0f, 1.0f);
  drawText(dl, box.inset(4.0f * s, 4.0f * s), text.data(), TextStyle::MonoLarge, colour, TextAlign::Centre);
}

void drawFields(const TransportState& state, Param* tempo, const TransportOptions& o, Rect& row,
                TransportResult& result) {
  DragValueOptions field;
  field.align = Align::Centre;
  field.large = true;
  field.bare = o.panel;
  if (tempo) {
    const Rect slot = fieldSlot(row, kValueField, o.panel);
    DragValueOptions options = field;
    options.label = "BPM";
    options.readOnly = o.tempoMode == TempoMode::ReadOnly;
    options.tooltip = o.tempoTooltip;
    result.tempo = dragValue("tempo", slot, *tempo, options);
    result.tempoField = slot;
  }
  if (o.swing) {
    const Rect slot = fieldSlot(row, kValueField, o.panel);
    DragValueOptions options = field;
    options.label = "SWING";
    result.swing = dragValue("swing", slot, *o.swing, options);
  }
  if (o.showPosition) drawPosition(fieldSlot(row, kPositionField, o.panel), state, o.panel);
}

}  // namespace

ImVec2 transportSize(const TransportOptions& options) {
  const float s = scale();
  const float buttons = static_cast<float>(buttonCount(options));
  int count = 0;
  const std::array<float, 3> fields = fieldWidths(options, count);
  float width = 0.0f;
  if (options.panel) {
    width = kPanelSlot * buttons;
    for (int i = 0; i < count; ++i) width += fields[i] + kPanelFieldGap;
    return ImVec2(width * s + 2.0f * railPadding(), kPanelHeight * s);
  }
  width = kPlainSlot * buttons + kPlainButtonGap * (buttons - 1.0f);
  for (int i = 0; i < count; ++i) width += fields[i] + (i == 0 ? kPlainAfterButtons : kPlainFieldGap);
  return ImVec2(width * s, kPlainHeight * s);
}

BarBeatSixteenth transportPosition(const TransportState& state) {
  const double beatLength = 4.0 / std::max(state.denominator, 1);
  const double barLength = std::max(state.numerator, 1) * beatLength;
  // A position that is not a number shows the start.
  double p =
      std::isfinite(state.position) ? std::clamp(state.position, 0.0, kLongestPosition * barLength) : 0.0;
  p += 1e-9;
  const double bar = std::floor(p / barLength);
  p -= bar * barLength;
  const double beat = std::floor(p / beatLength);
  p -= beat * beatLength;
  const double sixteenth = std::floor(p * 4.0);
  return {static_cast<long long>(bar) + 1, static_cast<long long>(beat) + 1,
          static_cast<long long>(sixteenth) + 1};
}

TransportResult drawTransport(const char* id, const Rect& rect, const TransportState& state, Param* tempo,
                              const TransportOptions& options) {
  TransportOptions o = options;
  if (!tempo) o.tempoMode = TempoMode::Hidden;
  if (o.tempoMode == TempoMode::Hidden) tempo = nullptr;
  TransportResult result;
  {
    const ScaleToFit fit(rect, {SizeMode::Natural, 0.0f}, transportSize(o), o.align, Align::Centre);
    ImGui::PushID(id);
    Rect row = fit.rect();
    if (o.panel) {
      drawRailPanel(ImGui::GetWindowDrawList(), row);
      row = row.inset(railPadding(), railPadding());
    }
    drawButtons(state, o, row, result);
    drawFields(state, tempo, o, row, result);
    ImGui::PopID();
  }
  if (o.spaceTogglesPlay && !shortcutsBlocked() && keyPressed(Key::Space)) result.play = true;
  return result;
}

}  // namespace orbi::ui
