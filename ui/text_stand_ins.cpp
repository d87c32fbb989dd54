#include "ui/text_stand_ins.h"

#include "ui/draw/utf8.h"

namespace orbi::ui {
namespace {

// CJK Extension A: rare ideographs that the editor's fonts do not draw (a
// placeholder shows). Dear ImGui drops the Private Use Area from the
// keyboard, so that cannot serve.
constexpr char32_t kFirstStandIn = 0x3400;
constexpr char32_t kLastStandIn = 0x4DBF;
constexpr char32_t kReplacement = 0xFFFD;

bool inStandInBlock(char32_t c) { return c >= kFirstStandIn && c <= kLastStandIn; }

// Calls visit(bytes, code point) for each character; kNoCodePoint for
// bytes that are no UTF-8, which pass as they are.
template <typename Visit>
void forEachCodePoint(std::string_view text, Visit&& visit) {
  forEachUtf8Char(text,
                  [&](std::size_t at, std::size_t n) { visit(text.substr(at, n), utf8CodePoint(text, at)); });
}

}  // namespace

char32_t TextStandIns::standInFor(char32_t c) {
  if (const auto it = standIns_.find(c); it != standIns_.end()) return it->second;
  if (originals_.size() > kLastStandIn - kFirstStandIn) return kReplacement;
  const char32_t standIn = kFirstStandIn + static_cast<char32_t>(originals_.size());
  originals_.push_back(c);
  standIns_.emplace(c, standIn);
  return standIn;
}

char32_t TextStandIns::original(char32_t standIn) const {
  if (!inStandInBlock(standIn) || standIn - kFirstStandIn >= originals_.size()) return standIn;
  return originals_[standIn - kFirstStandIn];
}

std::string TextStandIns::toImGui(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  forEachCodePoint(utf8, [&](std::string_view bytes, char32_t c) {
    if (c != kNoCodePoint && (c > 0xFFFF || inStandInBlock(c)))
      appendUtf8(out, standInFor(c));
    else
      out.append(bytes);
  });
  return out;
}

std::string TextStandIns::fromImGui(std::string_view text) const {
  std::string out;
  out.reserve(text.size());
  forEachCodePoint(text, [&](std::string_view bytes, char32_t c) {
    if (c != kNoCodePoint && inStandInBlock(c))
      appendUtf8(out, original(c));
    else
      out.append(bytes);
  });
  return out;
}

std::size_t TextStandIns::sizeBack(std::string_view text) const {
  std::size_t size = 0;
  forEachCodePoint(text, [&](std::string_view bytes, char32_t c) {
    if (c != kNoCodePoint && inStandInBlock(c)) {
      const char32_t back = original(c);
      size += back > 0xFFFF ? 4 : 3;  // the block's characters take three bytes, like the stand-ins
    } else {
      size += bytes.size();
    }
  });
  return size;
}

}  // namespace orbi::ui
