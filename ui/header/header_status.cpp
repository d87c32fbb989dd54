#include "ui/header/header_status.h"

#include <imgui.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "ui/context.h"
#include "ui/draw/text.h"
#include "ui/draw/utf8.h"
#include "ui/interact/interaction.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr float kStatusPadding = 4.0f;  // design pixels
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

// The text as far as any header could show it, cut at a character's start
// with an ellipsis: a message that quotes megabytes costs a frame no more
// than a long one does.
std::string boundedText(std::string_view text) {
  if (text.size() <= kLongestStatusBytes) return std::string(text);
  std::size_t end = kLongestStatusBytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) --end;
  std::string out(text.substr(0, end));
  out += kEllipsis;
  return out;
}

// The byte offsets at which the text's characters start, and its end.
std::vector<std::size_t> characterStarts(std::string_view text) {
  std::vector<std::size_t> starts;
  forEachUtf8Char(text, [&](std::size_t at, std::size_t) { starts.push_back(at); });
  starts.push_back(text.size());
  return starts;
}

// The text with its part [from, from + length) cut to keep characters in
// all: its first and last characters around an ellipsis.
std::string cutInTheMiddle(std::string_view text, std::size_t from, std::size_t length, std::size_t keep) {
  const std::string_view part = text.substr(from, length);
  const std::vector<std::size_t> starts = characterStarts(part);
  const std::size_t total = starts.size() - 1;
  std::string out(text.substr(0, from));
  if (total <= keep) {
    out += part;
  } else {
    const std::size_t kept = keep > 1 ? keep - 1 : 0;
    const std::size_t head = (kept + 1) / 2;
    out += part.substr(0, starts[head]);
    out += kEllipsis;
    out += part.substr(starts[total - (kept - head)]);
  }
  out += text.substr(from + length);
  return out;
}

bool fits(std::string_view text, float width) {
  return !fitTextToWidth(text, TextStyle::Small, width).truncated;
}

// The whole text when the message has one, else the full text when it was
// shortened; then the detail: empty for none.
std::string statusTooltip(const StatusMessage& message, bool shortened) {
  std::string tip;
  if (!message.whole.empty())
    tip = boundedText(message.whole);
  else if (shortened)
    tip = boundedText(message.text);
  if (!message.detail.empty()) {
    if (!tip.empty()) tip += '\n';
    tip += boundedText(message.detail);
  }
  return tip;
}

}  // namespace

const StatusMessage& shownStatus(const HeaderStatus& status) {
  return status.overlay.text.empty() ? status.primary : status.overlay;
}

std::uint32_t statusColour(StatusTone tone) {
  switch (tone) {
    case StatusTone::Notice: return palette::kWarning;
    case StatusTone::Error: return palette::kDanger;
    default: return palette::kMuted;
  }
}

float statusWidth(const HeaderStatus& status) {
  const StatusMessage& message = shownStatus(status);
  if (message.text.empty()) return 0.0f;
  return measureText(boundedText(message.text), TextStyle::Small).x + kStatusPadding * scale();
}

std::string fitStatusText(const StatusMessage& message, float width) {
  const std::string bounded = boundedText(message.text);
  const std::string_view text = bounded;
  const std::size_t from = std::min(message.yieldFrom, text.size());
  const std::size_t length = std::min(message.yieldLength, text.size() - from);
  if (fits(text, width) || length == 0) return std::string(text);
  // The most characters of the part that let the whole fit, found by
  // halving: fewer kept never makes the text wider.
  const std::size_t total = characterStarts(text.substr(from, length)).size() - 1;
  if (total <= kShortestYield) return std::string(text);
  std::size_t lo = kShortestYield, hi = total - 1;
  if (!fits(cutInTheMiddle(text, from, length, lo), width)) return cutInTheMiddle(text, from, length, lo);
  while (lo < hi) {
    const std::size_t mid = (lo + hi + 1) / 2;
    if (fits(cutInTheMiddle(text, from, length, mid), width))
      lo = mid;
    else
      hi = mid - 1;
  }
  return cutInTheMiddle(text, from, length, lo);
}

void drawStatus(const char* id, const Rect& rect, const HeaderStatus& status) {
  const StatusMessage& message = shownStatus(status);
  if (message.text.empty() || rect.width <= 0.0f || rect.height <= 0.0f) return;
  const std::string shown = fitStatusText(message, rect.width);
  const bool shortened = shown != message.text || !fits(shown, rect.width);
  drawText(ImGui::GetWindowDrawList(), rect, shown, TextStyle::Small, statusColour(message.tone),
           status.align);
  const std::string tip = statusTooltip(message, shortened);
  if (tip.empty()) return;
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = rect;
  desc.reach = 8.0f;
  desc.cursor = ImGuiMouseCursor_Arrow;
  desc.tooltip = tip.c_str();
  interact(id, desc);
}

}  // namespace orbi::ui
