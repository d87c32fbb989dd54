#pragma once
// Where the writers put their text: onto the end of a string, or only
// counted, so that a document's text is sized before it is written and its
// string holds no room it does not use (text of tens of megabytes, grown by
// doubling, would hold up to twice its size).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ob {

class JsonOut {
 public:
  // Counts when text is null.
  explicit JsonOut(std::string* text = nullptr) : text_(text) {}

  JsonOut& append(const char* bytes, std::size_t count) {
    if (text_ != nullptr)
      text_->append(bytes, count);
    else
      counted_ += count;
    return *this;
  }
  JsonOut& append(std::string_view text) { return append(text.data(), text.size()); }
  JsonOut& append(std::size_t count, char c) {
    if (text_ != nullptr)
      text_->append(count, c);
    else
      counted_ += count;
    return *this;
  }
  JsonOut& operator+=(std::string_view text) { return append(text); }
  JsonOut& operator+=(char c) { return append(1, c); }

  std::size_t counted() const { return counted_; }

 private:
  std::string* text_;
  std::size_t counted_ = 0;
};

// Runs write(JsonOut&) twice: counting, then, when it counts no more than
// `most` bytes, onto the end of out, reserved at the size counted. False,
// with nothing written, when it counts more.
template <typename Write>
bool writeSized(std::string& out, Write write, std::size_t most = SIZE_MAX) {
  JsonOut counter;
  write(counter);
  if (counter.counted() > most) return false;
  out.reserve(out.size() + counter.counted());
  JsonOut to(&out);
  write(to);
  return true;
}

}  // namespace ob
