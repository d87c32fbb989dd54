#pragma once
// The elements of a list one at a time, whether it was built or is held as
// the text it was read from (JsonShape::Form::Elements): an element of kept
// text is built when it is reached and dropped at the next, so that a long
// list costs its reader one element at a time.

#include <cstddef>
#include <string_view>

#include "document/json/json_value.h"

namespace ob {

// Whether the value is a list: an array, built or held as its text.
bool isJsonList(const JsonValue& value);

class JsonElements {
 public:
  // The list is not owned and must outlive the cursor; any value that is
  // not a list has no elements.
  explicit JsonElements(const JsonValue& list);

  // How many elements there are, counted without building any.
  std::size_t size() const;
  // The next element, or null past the last. One read from text stays
  // valid until the next call.
  const JsonValue* next();

 private:
  const JsonValue* built_ = nullptr;
  std::string_view text_;  // kept text, checked when it was read
  std::size_t first_ = 0;  // where the first element of text_ starts
  std::size_t at_ = 0;     // the next element's index, or its place in text_
  JsonValue current_;
};

}  // namespace ob
