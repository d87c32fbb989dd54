// What the editor said an edit let go of what a load kept: the instance
// holds it no more until an undo brings it back, and no save holds it.
#include "fuzz/session/session.h"

#include <algorithm>
#include <map>

#include "document/json/json_parse.h"
#include "document/project/kept_let_go.h"
#include "editor/editor_view.h"
#include "editor/let_go_report.h"
#include "engine/session/engine_host.h"
#include "plugin/plugin.h"

namespace obsession {

namespace {

// A value's compact text, built or held as it was read.
std::string compact(const ob::JsonValue& value) {
  const std::string text = ob::writeJson(value);
  ob::JsonValue parsed;
  std::string error;
  return ob::parseJson(text, parsed, error) ? ob::writeJson(parsed) : text;
}

// The members a record puts back, each by its key and compact text.
std::vector<std::pair<std::string, std::string>> membersOf(const ob::KeptRecord& record) {
  if (record.value.kind != ob::JsonKind::KeptMembers) return {{record.path.back(), compact(record.value)}};
  std::vector<std::pair<std::string, std::string>> members;
  ob::JsonValue run;
  std::string error;
  if (ob::parseJson(ob::writeJson(record.value), run, error))
    for (const ob::JsonMember& m : run.members) members.emplace_back(m.key, ob::writeJson(m.value));
  return members;
}

std::string pathText(const std::vector<std::string>& path) {
  std::string text;
  for (const std::string& token : path) text += "/" + token;
  return text;
}

// Whether a line the editor said names `name` among what an edit let go
// ("let go 3 kept: a, b and c, which a load kept unapplied"): whole, between
// the list's separators.
bool namedAsLetGo(const std::string& line, const std::string& name) {
  const std::size_t end = line.find(", which a load kept unapplied");
  if (end == std::string::npos || name.empty()) return false;
  const std::string list = line.substr(0, end + 2);
  for (std::size_t at = list.find(name); at != std::string::npos; at = list.find(name, at + 1)) {
    const std::string_view before = std::string_view(list).substr(0, at);
    const std::string_view after = std::string_view(list).substr(at + name.size());
    const bool starts = before.ends_with(": ") || before.ends_with(", ") || before.ends_with(" and ") ||
                        before.ends_with("et go ");
    if (starts && (after.starts_with(", ") || after.starts_with(" and "))) return true;
  }
  return false;
}

}  // namespace

std::string HeldRecords::keyOf(const ob::KeptRecord& r) {
  std::string key = std::to_string(static_cast<int>(r.place)) + ' ' +
                    std::to_string(static_cast<int>(r.owner.kind)) + ' ' + r.owner.id + ' ' +
                    std::to_string(r.owner.index) + (r.owner.timed ? " t" : " -");
  for (const std::string& token : r.path) key += "/" + token;
  return key + ' ' + ob::writeJson(r.value);
}

HeldRecords::HeldRecords(const std::vector<ob::KeptRecord>& records) {
  for (const ob::KeptRecord& r : records) keys_.insert(keyOf(r));
}

void Session::noteKeptBefore() {
  keptBefore_ = hosted_->plugin().keptDocument.records;
  ownedBefore_ = ob::anyOwned(ob::recordsOf(keptBefore_));
  if (!ownedBefore_) return;
  if (!projectBefore_) projectBefore_ = std::make_unique<ob::Project>();
  *projectBefore_ = hosted_->engineHost().project;
}

void Session::checkSaidGone(const Action& action) {
  std::vector<std::string> lines = hosted_->takeSaid();
  const HeldRecords held(ob::recordsOf(hosted_->plugin().keptDocument.records).records);
  if (action.op == Op::Undo) std::erase_if(saidGone_, [&](const ob::KeptRecord& r) { return held.has(r); });
  const bool saidAny = std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return line.find("which a load kept unapplied") != std::string::npos;
  });
  if (saidAny && ownedBefore_ && !replaced_) {
    const HeldRecords known(saidGone_);
    const std::vector<ob::KeptRecord>& before = ob::recordsOf(keptBefore_).records;
    // Each named as the editor names it, by the project the edit found; a
    // name two records share tells neither.
    std::vector<std::vector<std::string>> names;
    std::map<std::string, int> uses;
    for (const ob::KeptRecord& r : before) {
      names.push_back(orbi::letGoNames({r}, *projectBefore_));
      for (const std::string& n : names.back()) ++uses[n];
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
      const ob::KeptRecord& r = before[i];
      if (r.owner.kind == ob::KeptOwnerKind::Document || known.has(r) || names[i].empty()) continue;
      const bool said = std::all_of(names[i].begin(), names[i].end(), [&](const std::string& n) {
        return uses[n] == 1 && std::any_of(lines.begin(), lines.end(),
                                           [&](const std::string& l) { return namedAsLetGo(l, n); });
      });
      if (said) saidGone_.push_back(r);
    }
  }
  for (const ob::KeptRecord& r : saidGone_)
    if (held.has(r))
      broken("the editor said an edit let go what the instance still holds",
             orbi::letGoNames({r}, *projectBefore_).front());
  for (std::string& line : lines) saidSinceLoad_.push_back(std::move(line));
}

void Session::checkHoldsNoneOf(const std::vector<ob::KeptRecord>& letGo, obfuzz::PointerWalk& saved) {
  for (const ob::KeptRecord& r : letGo) {
    // Elements go by their text, which a save may write again of its own.
    if (r.path.empty() || r.place == ob::KeptPlace::Element) continue;
    if (r.place == ob::KeptPlace::InPlace) {
      const ob::JsonValue* at = saved.at(r.path, r.path.size());
      if (at != nullptr && compact(*at) == compact(r.value))
        broken("a save holds a value read otherwise that an edit said it let go", pathText(r.path));
      continue;
    }
    // Where the save would put it: its place, or the list's "...Off" sibling.
    const std::vector<std::string> list(r.path.begin(), r.path.end() - 1);
    std::vector<std::vector<std::string>> places{list};
    if (r.place == ob::KeptPlace::Record && !list.empty()) {
      places.push_back(list);
      places.back().back() += "Off";
    }
    for (const auto& [key, text] : membersOf(r))
      for (std::vector<std::string> place : places) {
        place.push_back(key);
        const ob::JsonValue* at = saved.at(place, place.size());
        if (at != nullptr && compact(*at) == text)
          broken("a save holds what an edit said it let go", pathText(place));
      }
  }
}

}  // namespace obsession
