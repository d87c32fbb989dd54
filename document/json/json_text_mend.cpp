#include "document/json/json_text_mend.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "document/json/json_lex.h"
#include "document/json/json_parse.h"
#include "document/json/json_quote.h"
#include "document/reading/json_pointer.h"
#include "engine/model/utf8_text.h"

namespace ob {
namespace {

constexpr const char* kNotUtf8 = "Holds bytes that are not UTF-8, read and saved as U+FFFD";

// Whether the text may escape a lone surrogate: it escapes some surrogate,
// which only a string's reading tells from a pair.
bool mayEscapeASurrogate(std::string_view text) {
  for (std::size_t i = text.find('\\'); i != std::string_view::npos && i + 3 < text.size();
       i = text.find('\\', i + 1))
    if (text[i + 1] == 'u' && (text[i + 2] | 0x20) == 'd' && jsonHexDigit(text[i + 3]) >= 8) return true;
  return false;
}

// Where the walk stands in one array or object.
struct Place {
  bool object = false;
  bool expectsKey = false;
  std::uint64_t index = 0;
  std::string key;  // the member's, as mended
};

std::string pathOf(const std::vector<Place>& places) {
  std::string path;
  for (const Place& place : places)
    path = place.object ? memberPath(path, place.key) : indexPath(path, place.index);
  return path;
}

// The walk over the tokens: strings read as the parser reads them, the
// rest only for where it stands.
TextMend walk(std::string_view text, std::string& mended, Diagnostics& found, std::size_t most) {
  std::vector<Place> places;
  std::string scratch;
  std::size_t copied = 0;  // the text before it is in `mended`
  bool mending = false;
  // The path of the last warning: a member's key and value are said once.
  // Past those said whole only the count matters, and no path is made.
  std::optional<std::string> said;
  std::size_t warned = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const char c = text[pos];
    if (c == '"') {
      const std::size_t start = pos;
      scratch.clear();
      if (readJsonString(text, pos, scratch) != nullptr) return TextMend::None;
      Place* top = places.empty() ? nullptr : &places.back();
      const bool valid = isValidUtf8(scratch);
      if (top != nullptr && top->object && top->expectsKey) top->key = valid ? scratch : mendedUtf8(scratch);
      if (valid) continue;
      if (!mending) mended.clear();
      mending = true;
      mended.append(text.substr(copied, start - copied));
      forEachJsonQuotedPiece(scratch,
                             [&mended](const char* bytes, std::size_t n) { mended.append(bytes, n); });
      copied = pos;
      if (mended.size() > most) return TextMend::TooLarge;
      if (warned > kFindingsSaidWhole) {
        found.warn("not-utf8", {}, kNotUtf8);
        continue;
      }
      std::string path = pathOf(places);
      if (said != path) {
        found.warn("not-utf8", path, kNotUtf8);
        ++warned;
      }
      said = std::move(path);
      continue;
    }
    if (c == '{' || c == '[') {
      if (places.size() >= static_cast<std::size_t>(kJsonMaxDepth)) return TextMend::None;
      places.push_back({c == '{', c == '{', 0, {}});
    } else if ((c == '}' || c == ']') && !places.empty()) {
      places.pop_back();
    } else if (c == ',' && !places.empty()) {
      places.back().expectsKey = places.back().object;
      ++places.back().index;
    } else if (c == ':' && !places.empty()) {
      places.back().expectsKey = false;
    }
    ++pos;
  }
  if (!mending) return TextMend::None;
  mended.append(text.substr(copied));
  return mended.size() > most ? TextMend::TooLarge : TextMend::Mended;
}

}  // namespace

TextMend mendJsonText(std::string_view text, std::string& mended, Diagnostics* diagnostics,
                      std::size_t most) {
  if (isValidUtf8(text) && !mayEscapeASurrogate(text)) return TextMend::None;
  Diagnostics found;
  TextMend result = TextMend::None;
  {
    const FindingsBound bound(found);
    result = walk(text, mended, found, most);
  }
  if (result != TextMend::Mended) mended = std::string();
  if (result == TextMend::Mended && diagnostics != nullptr)
    for (const Diagnostic& d : found) diagnostics->append(d);
  return result;
}

}  // namespace ob
