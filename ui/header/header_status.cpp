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

std::string fitForm(const StatusForm& form, float width) {
  const std::string bounded = boundedText(form.text);
  const std::string_view text = bounded;
  const std::size_t from = std::min(form.yieldFrom, text.size());
  const std::size_t length = std::min(form.yieldLength, text.size() - from);
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

// Whether a name holds the byte at `at`.
bool inName(std::size_t at, std::span<const TextSpan> names) {
  return std::any_of(names.begin(), names.end(),
                     [at](const TextSpan& n) { return n.from <= at && at < n.from + n.length; });
}

// Where a cut before the byte at `at` leaves the text: after the word
// before it, without the separators between them, unless a name holds one.
std::size_t endBefore(std::string_view text, std::size_t at, std::span<const TextSpan> names) {
  constexpr std::string_view kSeparators = " ,;:";
  while (at > 0 && kSeparators.find(text[at - 1]) != std::string_view::npos && !inName(at - 1, names)) --at;
  return at;
}

// A line cut at its end, and how many bytes of its text it shows.
struct Cut {
  std::string line;
  std::size_t shown = 0;
};

// The text cut where the most of it fits the width with an ellipsis after
// it: between whole words, never inside a name; the ellipsis alone where
// not even the first word fits.
Cut cutBetweenWords(std::string_view text, float width, std::span<const TextSpan> names) {
  std::vector<std::size_t> ends;  // each longer than the one before
  for (std::size_t at = 1; at < text.size(); ++at) {
    if (text[at] != ' ' || text[at - 1] == ' ' || inName(at, names)) continue;
    if (const std::size_t end = endBefore(text, at, names); end > 0 && (ends.empty() || end > ends.back()))
      ends.push_back(end);
  }
  const auto shownTo = [&](std::size_t end) { return std::string(text.substr(0, end)).append(kEllipsis); };
  // Fewer bytes never make the line wider: the longest that fits, by halving.
  std::size_t lo = 0, hi = ends.size();
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (fits(shownTo(ends[mid]), width))
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo == 0) return {std::string(kEllipsis), 0};
  return {shownTo(ends[lo - 1]), ends[lo - 1]};
}

// The names of a form where its line lies: as they were, or moved with the
// text after its yielding part where the line cut that; one in that part
// is cut in its middle already.
std::vector<TextSpan> namesInLine(const StatusForm& form, std::size_t textSize, std::size_t lineSize) {
  std::vector<TextSpan> names;
  const std::size_t yieldEnd = form.yieldFrom + form.yieldLength;
  for (TextSpan name : form.names) {
    if (lineSize != textSize && name.from + name.length > form.yieldFrom) {
      if (name.from < yieldEnd) continue;
      name.from = name.from + lineSize - textSize;
    }
    names.push_back(name);
  }
  return names;
}

// The names in the text from `from` on, from there.
std::vector<TextSpan> namesFrom(std::span<const TextSpan> names, std::size_t from) {
  std::vector<TextSpan> after;
  for (const TextSpan& name : names) {
    const std::size_t end = name.from + name.length;
    if (end <= from) continue;
    const std::size_t start = std::max(name.from, from);
    after.push_back({start - from, end - start});
  }
  return after;
}

// The text and its shorter forms, longest first.
std::vector<StatusForm> formsOf(const StatusMessage& message) {
  std::vector<StatusForm> forms{
      {message.text, message.yieldFrom, message.yieldLength, message.keep, message.names}};
  forms.insert(forms.end(), message.fewer.begin(), message.fewer.end());
  return forms;
}

// A form's lines in the place, and how many bytes of its text they show.
struct Laid {
  std::vector<std::string> lines;
  std::size_t shown = 0;
};

// On one line when it fits so, its yielding part cut if need be; else
// broken between words over the rows, the rest cut between words at the
// end of the last.
Laid lay(const StatusForm& form, float width, int rows) {
  std::string line = fitForm(form, width);
  if (fits(line, width)) return {{std::move(line)}, form.text.size()};
  const std::string text = boundedText(form.text);
  if (rows < 2) {
    Cut cut = cutBetweenWords(line, width, namesInLine(form, text.size(), line.size()));
    return {{std::move(cut.line)}, cut.shown};
  }
  const std::vector<std::string_view> wrapped = wrapText(text, TextStyle::Small, width);
  if (wrapped.size() <= static_cast<std::size_t>(rows))
    return {{wrapped.begin(), wrapped.end()}, text.size()};
  Laid laid{{wrapped.begin(), wrapped.begin() + (rows - 1)}, 0};
  const std::size_t last = static_cast<std::size_t>(wrapped[rows - 1].data() - text.data());
  Cut cut = cutBetweenWords(std::string_view(text).substr(last), width, namesFrom(form.names, last));
  laid.lines.push_back(std::move(cut.line));
  laid.shown = last + cut.shown;
  return laid;
}

// How many lines of the Small style the place holds.
int rowsIn(const Rect& rect) {
  const float line = measureText("Ag", TextStyle::Small).y;
  return line > 0.0f ? std::max(1, static_cast<int>(rect.height / (line + 2.0f * scale()))) : 1;
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

std::vector<std::string> statusLines(const StatusMessage& message, float width, int rows) {
  const std::vector<StatusForm> forms = formsOf(message);
  for (const StatusForm& form : forms)
    if (Laid laid = lay(form, width, rows); laid.shown >= form.keep) return std::move(laid.lines);
  return lay(forms.back(), width, rows).lines;
}

std::string fitStatusText(const StatusMessage& message, float width) {
  return statusLines(message, width, 1).front();
}

void drawStatus(const char* id, const Rect& rect, const HeaderStatus& status) {
  const StatusMessage& message = shownStatus(status);
  if (message.text.empty() || rect.width <= 0.0f || rect.height <= 0.0f) return;
  const std::vector<std::string> lines = statusLines(message, rect.width, rowsIn(rect));
  const bool shortened =
      lines.size() != 1 || lines.front() != message.text || !fits(lines.front(), rect.width);
  const float pitch = rect.height / static_cast<float>(lines.size() + 1);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // Each line centred on its share of the place, the whole centred on it.
    const float centre = rect.y + pitch * static_cast<float>(i + 1);
    const Rect row{rect.x, centre - pitch / 2.0f, rect.width, pitch};
    drawText(ImGui::GetWindowDrawList(), lines.size() == 1 ? rect : row, lines[i], TextStyle::Small,
             statusColour(message.tone), status.align);
  }
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
