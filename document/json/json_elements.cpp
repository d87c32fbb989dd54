#include "document/json/json_elements.h"

#include <string>

#include "document/json/json_lex.h"
#include "document/json/json_parse.h"

namespace ob {
namespace {

// Past the string whose opening quote is at `at`.
std::size_t stringEnd(std::string_view text, std::size_t at) {
  for (++at; at < text.size() && text[at] != '"'; ++at)
    if (text[at] == '\\') ++at;
  return at + 1;
}

// Where the value that starts at `at` in checked text ends.
std::size_t valueEnd(std::string_view text, std::size_t at) {
  int depth = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c == '"') {
      at = stringEnd(text, at);
      if (depth == 0) return at;
      continue;
    }
    if (c == '[' || c == '{') {
      ++depth;
    } else if (c == ']' || c == '}') {
      if (--depth == 0) return at + 1;
    } else if (depth == 0 && c != ',' && !isJsonBlank(c)) {
      while (at < text.size() && text[at] != ',' && text[at] != ']' && text[at] != '}' &&
             !isJsonBlank(text[at]))
        ++at;
      return at;
    }
    ++at;
  }
  return at;
}

}  // namespace

bool isJsonList(const JsonValue& value) {
  if (value.isArray()) return true;
  const std::string_view text = value.kind == JsonKind::Kept ? value.keptText() : std::string_view();
  const std::size_t first = skipJsonBlanks(text, 0);
  return first < text.size() && text[first] == '[';
}

JsonElements::JsonElements(const JsonValue& list) {
  if (list.isArray()) {
    built_ = &list;
  } else if (isJsonList(list)) {
    text_ = list.keptText();
    first_ = at_ = skipJsonBlanks(text_, skipJsonBlanks(text_, 0) + 1);
  }
}

std::size_t JsonElements::size() const {
  if (built_ != nullptr) return built_->elements.size();
  if (first_ >= text_.size() || text_[first_] == ']') return 0;
  std::size_t count = 1;  // and one more after each comma between them
  int depth = 1;
  for (std::size_t at = first_; at < text_.size();) {
    const char c = text_[at];
    if (c == '"') {
      at = stringEnd(text_, at);
      continue;
    }
    if (c == '[' || c == '{') ++depth;
    if (c == ']' || c == '}') --depth;
    if (c == ',' && depth == 1) ++count;
    ++at;
  }
  return count;
}

const JsonValue* JsonElements::next() {
  if (built_ != nullptr) return at_ < built_->elements.size() ? &built_->elements[at_++] : nullptr;
  if (at_ >= text_.size() || text_[at_] == ']') return nullptr;
  const std::size_t end = valueEnd(text_, at_);
  std::string error;
  if (!parseJsonOver(text_.substr(at_, end - at_), current_, error)) return nullptr;
  at_ = skipJsonBlanks(text_, end);
  if (at_ < text_.size() && text_[at_] == ',') at_ = skipJsonBlanks(text_, at_ + 1);
  return &current_;
}

}  // namespace ob
