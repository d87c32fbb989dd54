#pragma once
// How the editor names a list of things it dropped, kept or left out: its
// status line names the first few and how many more there are, and the
// line's hover and the host's log name every one. Each name stays whole.
// Main thread.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orbi {

// How many names a status line gives before it counts the rest.
inline constexpr std::size_t kNamesOnTheLine = 3;

struct SaidList {
  std::string brief;  // "a, b, c and 2 more", or all of them when few: "a, b and c"
  std::string whole;  // "a, b, c, d and e"
};

// The names joined as a sentence joins them ("a", "a and b", "a, b and
// c"), the brief naming at most `named` of them; empty for none.
SaidList sayList(const std::vector<std::string>& names, std::size_t named = kNamesOnTheLine);

// What the status line says, and the same with every list it names named
// whole: what its hover shows and the host's log hears.
struct SaidLine {
  std::string text;
  std::string whole;  // empty when the text names its lists whole

  const std::string& wholeText() const { return whole.empty() ? text : whole; }
};

// Appends to the text and to the whole alike.
SaidLine& operator+=(SaidLine& line, const SaidLine& more);
SaidLine& operator+=(SaidLine& line, std::string_view more);

// A line that names the list between a head and a tail: the text for the
// status line names the first few, the whole names them all.
SaidLine sayLine(std::string_view head, const std::vector<std::string>& names, std::string_view tail = {});

}  // namespace orbi
