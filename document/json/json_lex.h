#pragma once
// The pieces of JSON text that the parser and the writer of kept text read
// alike, so that kept text is written as the values it stands for would be.

#include <cstddef>
#include <string>
#include <string_view>

namespace ob {

// Most bytes read are no blank, and their first comparison says so.
inline bool isJsonBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ' && (c == ' ' || c == '\t' || c == '\n' || c == '\r');
}

inline std::size_t skipJsonBlanks(std::string_view text, std::size_t pos) {
  while (pos < text.size() && isJsonBlank(text[pos])) ++pos;
  return pos;
}

// Checked text without the blanks between its tokens: the same values,
// spelled the same, at the size of its compact form.
std::string withoutJsonBlanks(std::string_view checked);

// The value of a hexadecimal digit of either case, or -1.
int jsonHexDigit(char c);

// Reads the string whose opening quote is at pos, unescaped, onto the end of
// out, and moves pos past its closing quote. Null on success, else the
// parser's message for what is wrong, pos then where it was found.
const char* readJsonString(std::string_view text, std::size_t& pos, std::string& out);

}  // namespace ob
