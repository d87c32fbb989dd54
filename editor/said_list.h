#pragma once
// How the editor names a list of things it dropped, kept or left out: its
// status line gives how many and names the first few, and the line's hover
// and the host's log name every one. Each name stays whole: every text the
// status line may show says where its names lie. Main thread.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ui/header/text_span.h"

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

// A text the status line may show, and where its last list ends: what a
// line too short for all of it shows whole before it cuts the rest.
struct SaidForm {
  std::string text;
  std::size_t listsEnd = 0;         // 0: it names no list
  std::vector<ui::TextSpan> names;  // where each name it shows lies in the text
};

// What the status line says, and the same with every list it names named
// whole: what its hover shows and the host's log hears; and shorter forms
// of the text for a line too short for it, which name fewer of the names,
// each name still whole, and count the rest.
struct SaidLine {
  std::string text;
  std::string whole;         // empty when the text names its lists whole
  std::size_t listsEnd = 0;  // as SaidForm's
  // The text with one name fewer of each list than the form before, down
  // to one ("a, b and 3 more", then "a and 4 more"); empty when none.
  std::vector<SaidForm> fewer = {};
  std::vector<ui::TextSpan> names = {};  // where the text's names lie

  const std::string& wholeText() const { return whole.empty() ? text : whole; }
  // Form i: the text for 0, then the fewer ones, the last for any later i.
  SaidForm form(std::size_t i) const {
    return i == 0 || fewer.empty() ? SaidForm{text, listsEnd, names} : fewer[std::min(i, fewer.size()) - 1];
  }
};

// Appends to the text, the whole and each shorter form alike, the shorter
// forms of both in step.
SaidLine& operator+=(SaidLine& line, const SaidLine& more);
SaidLine& operator+=(SaidLine& line, std::string_view more);

// The head, the names and the tail: one name alone ("left out a.bin,
// which ..."), several after how many there are and what they are ("left
// out 5 entries: a, b, c and 2 more, which ..."; "lost 4: ..." without a
// noun). Empty for no names.
SaidLine sayLine(std::string_view head, const std::vector<std::string>& names, std::string_view tail = {},
                 std::string_view noun = {});

// The head, the names and the tail, without the count: "no sample for
// Kick, Snare, Tom and 2 more". Empty for no names.
SaidLine sayNames(std::string_view head, const std::vector<std::string>& names, std::string_view tail = {});

}  // namespace orbi
