#pragma once
// Dear ImGui 1.86 holds text as 16-bit characters: a character beyond
// U+FFFF (an emoji, a historic script) would become U+FFFD on its way in.
// While text is in its hands, each such character travels as a stand-in
// from a block of rare ideographs (U+3400 to U+4DBF) that this table maps
// back. A character of that block in the text itself takes a stand-in too,
// so that every one Dear ImGui holds is the table's. One table a window,
// in its UI context; main thread.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/store_map.h"

namespace orbi::ui {

class TextStandIns {
 public:
  // The text as Dear ImGui is to hold it. Once every stand-in is given, a
  // character new to the table becomes U+FFFD, as Dear ImGui makes it.
  std::string toImGui(std::string_view utf8);
  // Dear ImGui's text with every stand-in back as its character.
  std::string fromImGui(std::string_view text) const;
  // The bytes fromImGui gives for the text.
  std::size_t sizeBack(std::string_view text) const;

 private:
  char32_t standInFor(char32_t c);
  // The character a stand-in is for, or none (itself).
  char32_t original(char32_t standIn) const;

  std::vector<char32_t> originals_;  // of U+3400, U+3401, ... in turn
  std::unordered_map<char32_t, char32_t> standIns_;
};

inline constexpr std::uint32_t kTextStandInsKey = fourCc("WIDE");

}  // namespace orbi::ui
