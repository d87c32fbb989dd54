// What an undo and a redo bring back: after every undo the instance holds
// exactly what it held before the edit it takes back, after every redo
// what it held after it; the records the load kept, the kit file's kept
// part and the project alike. The slots filled since stay filled.
#include "fuzz/session/session.h"

#include <cstring>

#include "editor/editor_view.h"
#include "engine/session/engine_host.h"
#include "plugin/plugin.h"

namespace obsession {

namespace {

std::string kitFileText(const std::shared_ptr<const ob::KitFileKept>& kit) {
  if (!kit) return {};
  std::string text = kit->reference + "\n";
  const HeldRecords records(ob::recordsOf(kit->kept->records).records);
  for (const std::string& key : records.keys()) text += key + "\n";
  for (const std::vector<std::string>& path : kit->gone) {
    text += "gone";
    for (const std::string& token : path) text += "/" + token;
    text += "\n";
  }
  return text;
}

template <typename T>
bool sameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// What of the project differs from what was expected, empty when nothing
// does: the slots the expected table held are its own, those filled since
// are the ones held before.
std::string projectDifference(const ob::Project& now, const ob::Project& expected,
                              const ob::Project& before) {
  if (!sameBytes(now.patterns, expected.patterns)) return "the pattern";
  if (now.patternCount != expected.patternCount || !sameBytes(now.name, expected.name) ||
      now.version != expected.version || !sameBytes(now.author, expected.author) || now.seed != expected.seed)
    return "the project's name, author, version or seed";
  const ob::SampleSlotTable& slots = now.samples;
  if (slots.count != std::max(expected.samples.count, before.samples.count)) return "the sample slot count";
  for (int i = 0; i < std::min<int>(slots.count, ob::kSampleSlots); ++i) {
    const ob::SampleSlot& wanted =
        i < expected.samples.count ? expected.samples.slots[i] : before.samples.slots[i];
    if (!sameBytes(slots.slots[i], wanted)) return "sample slot " + std::to_string(i + 1);
  }
  return {};
}

// The first of `a` that `b` lacks.
std::string firstAbsent(const std::set<std::string>& a, const std::set<std::string>& b) {
  for (const std::string& key : a)
    if (!b.contains(key)) return key;
  return {};
}

}  // namespace

Session::Held Session::heldNow() {
  const std::uint64_t before = heapBytes();
  Held held;
  held.project = std::make_unique<ob::Project>(hosted_->engineHost().project);
  const ob::KeptDocument& kept = hosted_->plugin().keptDocument;
  held.records = HeldRecords(ob::recordsOf(kept.records).records).keys();
  held.kitFile = kitFileText(kept.kitFile);
  for (const auto* entries : {&kept.keptEntries, &kept.packedSampleFiles})
    for (const ob::zip::StoredEntry& entry : *entries) held.entries.push_back(entry.name);
  held.cost = heapBytes() - std::min(heapBytes(), before);
  return held;
}

std::uint64_t Session::historiesCost() const {
  std::uint64_t cost = 0;
  for (const auto* held : {&undoHeld_, &redoHeld_})
    for (const std::optional<Held>& h : *held) cost += h ? h->cost : 0;
  return cost;
}

Session::HistoryBefore Session::historyNow() {
  HistoryBefore before{heldNow()};
  if (orbi::EditorView* view = hosted_->view()) {
    before.undo = view->undoHistory().size();
    before.redo = view->redoHistory().size();
    before.newest = before.undo > 0 ? &view->undoHistory().back() : nullptr;
  }
  return before;
}

void Session::followHistory(const Action& action, HistoryBefore before) {
  orbi::EditorView* view = hosted_->view();
  const std::size_t undo = view != nullptr ? view->undoHistory().size() : 0;
  const std::size_t redo = view != nullptr ? view->redoHistory().size() : 0;
  const bool undid = action.op == Op::Undo && undo + 1 == before.undo && redo == before.redo + 1;
  const bool redid = action.op == Op::Redo && redo + 1 == before.redo && undo == before.undo + 1;
  if (undid || redid) {
    auto& from = undid ? undoHeld_ : redoHeld_;
    auto& to = undid ? redoHeld_ : undoHeld_;
    if (!from.empty()) {
      if (from.back()) checkBroughtBack(*from.back(), before.held, undid ? "an undo" : "a redo");
      from.pop_back();
    }
    to.push_back(std::move(before.held));
  } else if (undo < before.undo) {
    undoHeld_.clear();  // a load started the histories over
  } else if (undo > 0 && (undo != before.undo || &view->undoHistory().back() != before.newest)) {
    // The first entry the action made holds what it began with; any more
    // hold what it held between its steps, which the target did not see.
    undoHeld_.push_back(std::move(before.held));
    for (std::size_t more = undo - before.undo; more > 1; --more) undoHeld_.push_back(std::nullopt);
  }
  // As many as the editor holds: the oldest go as its own do, and entries
  // made where the target did not follow are known to be there only.
  for (auto [ours, theirs] : {std::pair{&undoHeld_, undo}, std::pair{&redoHeld_, redo}}) {
    while (ours->size() > theirs) ours->pop_front();
    while (ours->size() < theirs) ours->push_front(std::nullopt);
  }
}

void Session::checkBroughtBack(const Held& expected, const Held& before, const char* by) {
  const Held now = heldNow();
  const std::string by_(by);
  if (const std::string lost = firstAbsent(expected.records, now.records); !lost.empty())
    broken(by_ + " did not bring back a record the instance held", lost);
  if (const std::string kept = firstAbsent(now.records, expected.records); !kept.empty())
    broken(by_ + " kept a record the instance did not hold then", kept);
  if (now.kitFile != expected.kitFile)
    broken(by_ + " did not bring back the kit file's kept part",
           "held:\n" + expected.kitFile + "now:\n" + now.kitFile);
  if (now.entries != expected.entries) broken(by_ + " did not bring back the entries the load kept", "");
  if (const std::string differs = projectDifference(*now.project, *expected.project, *before.project);
      !differs.empty())
    broken(by_ + " did not bring back the project", differs);
}

}  // namespace obsession
