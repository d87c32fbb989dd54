#pragma once
// What a load says it kept, a save keeps: a member a finding calls kept
// (kept as written, kept but not applied, loaded or played, kept with a
// default in its place) is in the saved document where it was, as it was
// read; an element of an array, among the elements of the same array,
// whose writer may order them anew.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "document/diagnostics.h"
#include "document/json/json_parse.h"
#include "document/json/json_write.h"
#include "fuzz/kept_text_index.h"

namespace obfuzz {

// Whether the finding says the member at its path is kept, rather than
// something about it (the rest of a document, entries up to a budget).
inline bool saysKept(const ob::Diagnostic& d) {
  for (std::string_view words :
       {"kept as written", "kept but not", "kept, ", "and kept", "file is kept", "reference is kept"})
    if (d.message.find(words) != std::string::npos) return true;
  return false;
}

// The tokens of a JSON pointer, unescaped; none for the empty path.
inline std::vector<std::string> pointerTokens(std::string_view path) {
  std::vector<std::string> tokens;
  while (!path.empty() && path[0] == '/') {
    path.remove_prefix(1);
    const std::size_t end = path.find('/');
    std::string token;
    for (std::size_t i = 0; i < std::min(end, path.size()); ++i) {
      if (path[i] == '~' && i + 1 < path.size() && (path[i + 1] == '0' || path[i + 1] == '1')) {
        token += path[++i] == '0' ? '~' : '/';
      } else {
        token += path[i];
      }
    }
    tokens.push_back(std::move(token));
    path.remove_prefix(std::min(end, path.size()));
  }
  return tokens;
}

// Builds the value's own entries only, what they hold kept as its text
// until a walk enters it: a deep member built whole costs many times
// its text. Laid out from the index where it can be, else parsed.
inline bool openOneLevel(const ob::JsonValue& value, ob::JsonValue& built, KeptTextIndex& index) {
  if (index.openOneLevel(value, built)) return true;
  static const ob::JsonShape object = ob::withMostEntries(ob::objectOfShape(ob::scalarShape()), UINT32_MAX);
  static const ob::JsonShape array = ob::withMostEntries(ob::arrayShape(ob::scalarShape()), UINT32_MAX);
  std::string error;
  // Members held as their text are written as the object of them.
  if (value.kind == ob::JsonKind::KeptMembers)
    return ob::parseJson(ob::writeJson(value), object, built, error);
  const std::string_view text = value.keptText();
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  const bool isArray = first != std::string_view::npos && text[first] == '[';
  return ob::parseJson(value, isArray ? array : object, built, error);
}

// Walks a document a parse to a shape built, building from its text each
// value held as text that a walk enters, once however often it enters it.
class PointerWalk {
 public:
  explicit PointerWalk(const ob::JsonValue& root) : root_(&root) {}

  // The value at the first `count` tokens, or null.
  const ob::JsonValue* at(const std::vector<std::string>& tokens, std::size_t count) {
    return open(heldAt(tokens, count));
  }

  // The same as the document holds it, its text where it is held as text:
  // a value only written needs no building.
  const ob::JsonValue* heldAt(const std::vector<std::string>& tokens, std::size_t count) {
    return count == 0 ? root_ : held(at(tokens, count - 1), tokens[count - 1]);
  }

  // The member or element of `at` the token names, or null.
  const ob::JsonValue* into(const ob::JsonValue* at, const std::string& token) {
    return open(held(at, token));
  }

  // The same as `at` holds it. Members held as their text, keys and all,
  // are looked into as an object of them.
  const ob::JsonValue* held(const ob::JsonValue* at, const std::string& token) {
    if (at == nullptr) return nullptr;
    if (!at->isArray()) {
      for (const ob::JsonMember& m : at->members) {
        if (m.value.kind != ob::JsonKind::KeptMembers) {
          if (m.key == token) return &m.value;
        } else if (const ob::JsonValue* member = open(&m.value); member && member->find(token)) {
          return member->find(token);
        }
      }
      return nullptr;
    }
    const bool digits =
        !token.empty() && token.size() < 10 && token.find_first_not_of("0123456789") == std::string::npos;
    const std::size_t index = digits ? std::stoul(token) : at->elements.size();
    return index < at->elements.size() ? &at->elements[index] : nullptr;
  }

  // Whether a list this walk reached holds an element written as `text`:
  // its elements written once, however many findings look into it.
  bool holdsElement(const ob::JsonValue& list, const std::string& text) {
    auto [at, fresh] = elementTexts_.try_emplace(&list);
    if (fresh)
      for (const ob::JsonValue& e : list.elements) at->second.insert(ob::writeJson(e));
    return at->second.contains(text);
  }

 private:
  const ob::JsonValue* open(const ob::JsonValue* value) {
    if (value == nullptr || !value->isKept()) return value;
    auto [at, fresh] = built_.try_emplace(value);
    if (fresh && !openOneLevel(*value, at->second, index_)) at->second = ob::JsonValue{};
    return at->second.isNull() ? nullptr : &at->second;
  }

  const ob::JsonValue* root_;
  std::map<const ob::JsonValue*, ob::JsonValue> built_;
  std::map<const ob::JsonValue*, std::set<std::string>> elementTexts_;
  KeptTextIndex index_;
};

// Whether a save keeps, as `text`, what a load read at the path: there,
// or for a voice record kept out, in the state's "voicesOff", and for a
// macro destination kept unapplied, in its macro's "destsOff", out of the
// way of a load that would apply it; set apart under its own key, or
// under a key of its own ("-2" on) where the other list held that key.
inline bool keptAt(PointerWalk& saved, const std::vector<std::string>& tokens, const std::string& text) {
  const auto holds = [&](const std::vector<std::string>& at) {
    const ob::JsonValue* value = saved.heldAt(at, at.size());
    return value != nullptr && ob::writeJson(*value) == text;
  };
  if (holds(tokens)) return true;
  std::vector<std::string> off = tokens;
  std::size_t list = 0;
  if (tokens.size() >= 3 && tokens[0] == "state" && tokens[1] == "voices")
    list = 1;
  else if (tokens.size() >= 5 && tokens[0] == "state" && tokens[1] == "macros" && tokens[3] == "dests")
    list = 3;
  else
    return false;
  off[list] = list == 1 ? "voicesOff" : "destsOff";
  if (holds(off)) return true;
  const std::vector<std::string> apartPath(off.begin(), off.begin() + static_cast<std::ptrdiff_t>(list) + 1);
  const ob::JsonValue* apart = saved.heldAt(apartPath, apartPath.size());
  if (apart == nullptr || !apart->isObject()) return false;
  const std::string ownPrefix = tokens[list + 1] + "-";
  for (const ob::JsonMember& m : apart->members) {
    if (m.key.rfind(ownPrefix, 0) != 0) continue;
    off[list + 1] = m.key;
    if (holds(off)) return true;
  }
  return false;
}

// Whether the element of a list that holds the member the finding names
// is in the saved list whole, as read: an element kept as written goes
// back beside those a save writes, at another place in the list.
inline bool elementKeptWhole(const std::vector<std::string>& tokens, PointerWalk& was, PointerWalk& is) {
  for (std::size_t n = tokens.size() - 1; n-- > 0;) {
    const ob::JsonValue* list = was.at(tokens, n);
    if (list == nullptr || !list->isArray()) continue;
    const ob::JsonValue* element = was.at(tokens, n + 1);
    if (element == nullptr) return false;
    const std::string text = ob::writeJson(*element);
    const ob::JsonValue* saved = is.at(tokens, n);
    return saved != nullptr && is.holdsElement(*saved, text);
  }
  return false;
}

// Whether the member the finding names is in the saved document as the
// read one held it.
inline bool keptAsRead(const ob::Diagnostic& d, PointerWalk& was, PointerWalk& is) {
  const std::vector<std::string> tokens = pointerTokens(d.path);
  if (tokens.empty()) return true;
  const ob::JsonValue* parent = was.at(tokens, tokens.size() - 1);
  const ob::JsonValue* value = was.held(parent, tokens.back());
  if (value == nullptr) return true;  // no member of the document: an archive's entry
  const std::string text = ob::writeJson(*value);
  if (!parent->isArray()) {
    return keptAt(is, tokens, text) || elementKeptWhole(tokens, was, is);
  }
  const ob::JsonValue* savedParent = is.at(tokens, tokens.size() - 1);
  if (savedParent == nullptr) return false;
  return is.holdsElement(*savedParent, text);
}

inline bool keepsWhatItSaidItKept(const ob::Diagnostics& findings, const ob::JsonValue& read,
                                  const ob::JsonValue& saved) {
  PointerWalk was(read);
  PointerWalk is(saved);
  for (const ob::Diagnostic& d : findings) {
    if (!saysKept(d) || keptAsRead(d, was, is)) continue;
    std::fprintf(stderr, "the save lost what the load said it kept: %s\n", d.path.c_str());
    return false;
  }
  return true;
}

}  // namespace obfuzz
