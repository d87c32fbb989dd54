#pragma once
// Opens a value held as its text one level at a time, in time linear in
// that text however deep a walk goes: the text a parse checked is scanned
// once for where each array and object ends, and each level is then laid
// out from that, its members held as their pieces of the same text. A
// parse of each level would check all below it again at every step down.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/json/json_parse.h"
#include "document/json/json_value.h"

namespace obfuzz {

class KeptTextIndex {
 public:
  // The value's entries, its nested arrays and objects held as their text;
  // false where its text is not one a parse checked.
  bool openOneLevel(const ob::JsonValue& value, ob::JsonValue& built) {
    if (!value.isKept() || !value.kept->whole) return false;
    const std::string& whole = *value.kept->whole;
    const std::string_view text = value.keptText();
    const auto& ends = endsOf(value.kept->whole);
    std::size_t at = static_cast<std::size_t>(text.data() - whole.data());
    std::size_t end = at + text.size();
    at = skipBlanks(whole, at, end);
    bool object = value.kind == ob::JsonKind::KeptMembers;
    if (!object) {
      if (at >= end || (whole[at] != '{' && whole[at] != '[')) return false;
      object = whole[at] == '{';
      ++at;
      --end;
    }
    built = object ? ob::makeJsonObject() : ob::makeJsonArray();
    std::string error;
    while ((at = skipBlanks(whole, at, end)) < end) {
      std::string key;
      if (object) {
        const std::size_t keyEnd = skipScalar(whole, at, end);
        ob::JsonValue name;
        if (!ob::parseJson(std::string_view(whole).substr(at, keyEnd - at), name, error) || !name.isString())
          return false;
        key = std::move(name.text);
        at = skipBlanks(whole, keyEnd, end);
        if (at >= end || whole[at] != ':') return false;
        at = skipBlanks(whole, at + 1, end);
      }
      if (at >= end) return false;
      ob::JsonValue entry;
      std::size_t after;
      if (whole[at] == '{' || whole[at] == '[') {
        const auto found = std::lower_bound(ends.begin(), ends.end(), std::pair<std::size_t, std::size_t>(at, 0));
        if (found == ends.end() || found->first != at || found->second >= end) return false;
        after = found->second + 1;
        entry = ob::makeJsonKept(ob::JsonKind::Kept, *value.kept, std::string_view(whole).substr(at, after - at));
      } else {
        after = skipScalar(whole, at, end);
        if (!ob::parseJson(std::string_view(whole).substr(at, after - at), entry, error)) return false;
      }
      if (object)
        built.members.push_back({std::move(key), std::move(entry)});
      else
        built.elements.push_back(std::move(entry));
      at = skipBlanks(whole, after, end);
      if (at < end && whole[at] == ',') ++at;
    }
    return true;
  }

 private:
  static bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

  static std::size_t skipBlanks(const std::string& text, std::size_t at, std::size_t end) {
    while (at < end && blank(text[at])) ++at;
    return at;
  }

  // Past a string, number or literal starting at `at`.
  static std::size_t skipScalar(const std::string& text, std::size_t at, std::size_t end) {
    if (text[at] != '"') {
      while (at < end && text[at] != ',' && text[at] != ':' && text[at] != ']' && text[at] != '}' &&
             !blank(text[at]))
        ++at;
      return at;
    }
    for (++at; at < end && text[at] != '"'; ++at)
      if (text[at] == '\\') ++at;
    return std::min(at + 1, end);
  }

  // Where each array and object of the text starts and ends, by start.
  const std::vector<std::pair<std::size_t, std::size_t>>& endsOf(const std::shared_ptr<const std::string>& held) {
    auto [found, fresh] = ends_.try_emplace(held);
    std::vector<std::pair<std::size_t, std::size_t>>& ends = found->second;
    if (!fresh) return ends;
    std::vector<std::size_t> open;
    // Found by the C library, whose search the fuzzer's comparison tracing
    // leaves alone: a text of megabytes is scanned in a blink.
    const char* text = held->c_str();
    std::size_t most = 0;
    for (const char* at = std::strpbrk(text, "{["); at != nullptr; at = std::strpbrk(at + 1, "{[")) ++most;
    ends.reserve(most);
    for (const char* at = std::strpbrk(text, "\"{}[]"); at != nullptr; at = std::strpbrk(at + 1, "\"{}[]")) {
      const char c = *at;
      if (c == '"') {
        // To the closing quote: the first one no backslash escapes.
        for (at = std::strpbrk(at + 1, "\"\\"); at != nullptr && *at == '\\'; at = std::strpbrk(at + 2, "\"\\"))
          if (at[1] == '\0') return ends;
        if (at == nullptr) return ends;
      } else if (c == '{' || c == '[') {
        open.push_back(ends.size());
        ends.emplace_back(static_cast<std::size_t>(at - text), held->size());
      } else if (!open.empty()) {
        ends[open.back()].second = static_cast<std::size_t>(at - text);
        open.pop_back();
      }
    }
    return ends;
  }

  // Held with the texts, which outlive no walk of theirs otherwise.
  std::map<std::shared_ptr<const std::string>, std::vector<std::pair<std::size_t, std::size_t>>> ends_;
};

}  // namespace obfuzz
