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

namespace {

SaidForm joinedForms(const SaidForm& first, const SaidForm& then) {
  return {first.text + then.text, then.listsEnd != 0 ? first.text.size() + then.listsEnd : first.listsEnd};
}

}  // namespace

SaidLine& operator+=(SaidLine& line, const SaidLine& more) {
  std::vector<SaidForm> fewer;
  for (std::size_t i = 1; i <= std::max(line.fewer.size(), more.fewer.size()); ++i)
    fewer.push_back(joinedForms(line.form(i), more.form(i)));
  line.fewer = std::move(fewer);
  if (!line.whole.empty() || !more.whole.empty()) line.whole = line.wholeText() + more.wholeText();
  const SaidForm joined = joinedForms(line.form(0), more.form(0));
  line.text = joined.text;
  line.listsEnd = joined.listsEnd;
  return line;
}

SaidLine& operator+=(SaidLine& line, std::string_view more) {
  for (SaidForm& form : line.fewer) form.text += more;
  if (!line.whole.empty()) line.whole += more;
  line.text += more;
  return line;
}

SaidLine sayNames(std::string_view head, const std::vector<std::string>& names, std::string_view tail) {
  if (names.empty()) return {};
  const auto around = [&](std::string_view list) { return std::string(head).append(list).append(tail); };
  const SaidList said = sayList(names);
  SaidLine line{around(said.brief), {}, head.size() + said.brief.size()};
  if (said.brief != said.whole) line.whole = around(said.whole);
  std::string shorter = said.brief;
  for (std::size_t named = kNamesOnTheLine - 1; named >= 1; --named) {
    std::string brief = sayList(names, named).brief;
    if (brief == shorter) continue;
    shorter = std::move(brief);
    line.fewer.push_back({around(shorter), head.size() + shorter.size()});
  }
  return line;
}

SaidLine sayLine(std::string_view head, const std::vector<std::string>& names, std::string_view tail,
                 std::string_view noun) {
  std::string lead(head);
  if (names.size() > 1) {
    lead += std::to_string(names.size());
    if (!noun.empty()) lead.append(" ").append(noun);
    lead += ": ";
  }
  return sayNames(lead, names, tail);
}

}  // namespace orbi
