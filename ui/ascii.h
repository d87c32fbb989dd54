#pragma once
// Byte-wise text comparisons in which only the ASCII letters ignore case,
// as file endings are compared.

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace orbi::ui {

constexpr char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool endsWithIgnoringCase(std::string_view text, std::string_view ending) {
  if (ending.size() > text.size()) return false;
  return std::equal(ending.begin(), ending.end(), text.end() - static_cast<std::ptrdiff_t>(ending.size()),
                    [](char a, char b) { return asciiLower(a) == asciiLower(b); });
}

constexpr bool startsWithIgnoringCase(std::string_view text, std::string_view start) {
  return start.size() <= text.size() &&
         std::equal(start.begin(), start.end(), text.begin(),
                    [](char a, char b) { return asciiLower(a) == asciiLower(b); });
}

}  // namespace orbi::ui
