#include "editor/said_list.h"

namespace orbi {
namespace {

std::string joined(const std::vector<std::string>& names, std::size_t count, std::string_view last) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out += i + 1 == count && last.empty() ? " and " : ", ";
    out += names[i];
  }
  return out.append(last);
}

}  // namespace

SaidList sayList(const std::vector<std::string>& names, std::size_t named) {
  SaidList said;
  said.whole = joined(names, names.size(), {});
  // "and 1 more" says no more than the name it stands for.
  if (names.size() <= named + 1) {
    said.brief = said.whole;
  } else {
    const std::size_t more = names.size() - named;
    said.brief = joined(names, named, " and " + std::to_string(more) + " more");
  }
  return said;
}

SaidLine& operator+=(SaidLine& line, const SaidLine& more) {
  if (!line.whole.empty() || !more.whole.empty()) line.whole = line.wholeText() + more.wholeText();
  line.text += more.text;
  return line;
}

SaidLine& operator+=(SaidLine& line, std::string_view more) {
  if (!line.whole.empty()) line.whole += more;
  line.text += more;
  return line;
}

SaidLine sayLine(std::string_view head, const std::vector<std::string>& names, std::string_view tail,
                 std::string_view noun) {
  if (names.empty()) return {};
  std::string lead(head);
  if (names.size() > 1) {
    lead += std::to_string(names.size());
    if (!noun.empty()) lead.append(" ").append(noun);
    lead += ": ";
  }
  const SaidList said = sayList(names);
  SaidLine line{lead + said.brief + std::string(tail), {}};
  if (said.brief != said.whole) line.whole = lead + said.whole + std::string(tail);
  return line;
}

}  // namespace orbi
