#include "editor/said_list.h"

namespace orbi {
namespace {

// Names joined as a sentence joins them, and where each lies in the text.
struct Joined {
  std::string text;
  std::vector<ui::TextSpan> names;
};

Joined joined(const std::vector<std::string>& names, std::size_t count, std::string_view last) {
  Joined out;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out.text += i + 1 == count && last.empty() ? " and " : ", ";
    out.names.push_back({out.text.size(), names[i].size()});
    out.text += names[i];
  }
  out.text.append(last);
  return out;
}

// All of them when few ("and 1 more" says no more than the name it stands
// for), else the first `named` and how many more.
Joined brief(const std::vector<std::string>& names, std::size_t named) {
  if (names.size() <= named + 1) return joined(names, names.size(), {});
  return joined(names, named, " and " + std::to_string(names.size() - named) + " more");
}

std::vector<ui::TextSpan> shifted(std::vector<ui::TextSpan> names, std::size_t by) {
  for (ui::TextSpan& name : names) name.from += by;
  return names;
}

}  // namespace

SaidList sayList(const std::vector<std::string>& names, std::size_t named) {
  return {brief(names, named).text, joined(names, names.size(), {}).text};
}

namespace {

SaidForm joinedForms(const SaidForm& first, const SaidForm& then) {
  SaidForm form{first.text + then.text,
                then.listsEnd != 0 ? first.text.size() + then.listsEnd : first.listsEnd, first.names};
  for (const ui::TextSpan& name : shifted(then.names, first.text.size())) form.names.push_back(name);
  return form;
}

}  // namespace

SaidLine& operator+=(SaidLine& line, const SaidLine& more) {
  std::vector<SaidForm> fewer;
  for (std::size_t i = 1; i <= std::max(line.fewer.size(), more.fewer.size()); ++i)
    fewer.push_back(joinedForms(line.form(i), more.form(i)));
  line.fewer = std::move(fewer);
  if (!line.whole.empty() || !more.whole.empty()) line.whole = line.wholeText() + more.wholeText();
  SaidForm joined = joinedForms(line.form(0), more.form(0));
  line.text = std::move(joined.text);
  line.listsEnd = joined.listsEnd;
  line.names = std::move(joined.names);
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
  const auto around = [&](const Joined& list) {
    return SaidForm{std::string(head).append(list.text).append(tail), head.size() + list.text.size(),
                    shifted(list.names, head.size())};
  };
  const Joined first = brief(names, kNamesOnTheLine);
  SaidForm shown = around(first);
  SaidLine line{std::move(shown.text), {}, shown.listsEnd, {}, std::move(shown.names)};
  if (const Joined all = joined(names, names.size(), {}); all.text != first.text)
    line.whole = around(all).text;
  std::string shorter = first.text;
  for (std::size_t named = kNamesOnTheLine - 1; named >= 1; --named) {
    Joined fewer = brief(names, named);
    if (fewer.text == shorter) continue;
    shorter = fewer.text;
    line.fewer.push_back(around(fewer));
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
