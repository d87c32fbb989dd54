#include "fuzz/session/mutate.h"

#include <algorithm>
#include <array>
#include <random>
#include <string_view>

namespace obsession {

namespace {

using Random = std::mt19937;

std::size_t below(Random& random, std::size_t n) {
  return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
}

// How often a new action is of each kind: those that load, edit and save
// most, as what a user does between two saves is what loses things, and a
// built state or project most of all, whose content has the most kinds.
constexpr std::array<std::uint8_t, static_cast<std::size_t>(Op::Count)> kWeights = {
    8,  // load-state
    5,  // load-file
    4,  // open
    2,  // import
    1,  // import-good
    1,  // reimport
    3,  // assign
    4,  // edit
    2,  // step
    3,  // undo
    2,  // redo
    4,  // kit
    1,  // editor
    3,  // save-state
    2,  // save-project
    1,  // answer
    1,  // activate
    1,  // deactivate
    1,  // start
    1,  // stop
    1,  // block
    1,  // pause
    1,  // file
    1,  // tmpdir
    1,  // disk
    1,  // file-size
    3,  // paste
};

Op anOp(Random& random) {
  std::discrete_distribution<std::size_t> pick(kWeights.begin(), kWeights.end());
  return static_cast<Op>(pick(random));
}

// A value of a parameter where actions differ: its ends, a few small
// numbers, or any it may hold.
std::uint16_t aValue(const ParamSpec& param, std::size_t files, Random& random) {
  if (std::string_view(param.name) == "file") return static_cast<std::uint16_t>(below(random, files));
  if (!param.words.empty() && param.flags) {
    const std::uint16_t all = static_cast<std::uint16_t>((1u << param.words.size()) - 1);
    // One kind alone, every kind at once, or (most often) several.
    switch (below(random, 4)) {
      case 0: return static_cast<std::uint16_t>(1u << below(random, param.words.size()));
      case 1: return all;
      default: return static_cast<std::uint16_t>(below(random, all + 1u));
    }
  }
  if (!param.words.empty()) return static_cast<std::uint16_t>(below(random, param.words.size()));
  const std::size_t most = param.most == 0 ? 0xFFFF : param.most;
  switch (below(random, 6)) {
    case 0: return 0;
    case 1: return 1;
    case 2: return static_cast<std::uint16_t>(most);
    case 3: return static_cast<std::uint16_t>(below(random, 8));
    case 4: return static_cast<std::uint16_t>(below(random, std::min<std::size_t>(most, 256) + 1));
    default: return static_cast<std::uint16_t>(below(random, most + 1));
  }
}

bool loads(Op op) { return op == Op::LoadState || op == Op::LoadFile || op == Op::Open; }

// What a user does to what a load brought that may let go of what it
// kept, each making an undo step: edits, a kit, a slot assigned, a paste.
constexpr Op kChanges[] = {Op::Assign, Op::Edit, Op::Step, Op::Kit, Op::Paste};

// An action of a kind `among` takes, drawn by the weights.
template <typename Among>
Op anOp(Random& random, Among among) {
  std::array<std::uint8_t, kWeights.size()> weights{};
  for (std::size_t op = 0; op < kWeights.size(); ++op)
    if (among(static_cast<Op>(op))) weights[op] = kWeights[op];
  std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
  return static_cast<Op>(pick(random));
}

Action anAction(std::size_t files, Random& random, Op op) {
  Action action;
  action.op = op;
  const OpSpec& spec = specOf(action.op);
  for (std::size_t i = 0; i < spec.params.size(); ++i) action.arg[i] = aValue(spec.params[i], files, random);
  return action;
}

Action anAction(std::size_t files, Random& random) { return anAction(files, random, anOp(random)); }

// Every size the action asks for at its most (the samples a state holds
// and each one's length), in the form that carries them (a package, the
// first format): what the largest content does is reached in one step
// rather than by one parameter and then another.
void atItsLargest(Action& action) {
  const OpSpec& spec = specOf(action.op);
  for (std::size_t i = 0; i < spec.params.size(); ++i) {
    if (spec.params[i].most != 0) action.arg[i] = spec.params[i].most;
    if (std::string_view(spec.params[i].name) == "format") action.arg[i] = 0;
  }
}

// The bit of a flag among a parameter's words.
std::uint16_t wordBit(const ParamSpec& param, std::string_view word) {
  for (std::size_t i = 0; i < param.words.size(); ++i)
    if (word == param.words[i]) return static_cast<std::uint16_t>(1u << i);
  return 0;
}

// A change of what a load brought (each kind alike, as a fault needs the
// one that lets go of what it kept), and what may follow it, each half the
// time: the same change again (a second kit, a second paste), an import
// (which an undo keeps), its undo (and then, a third of the time, the redo).
std::vector<Action> aChangeAndWhatFollows(std::size_t files, Random& random) {
  const Op change = kChanges[below(random, std::size(kChanges))];
  std::vector<Action> then{anAction(files, random, change)};
  if (below(random, 2) == 0) then.push_back(anAction(files, random, change));
  if (below(random, 2) == 0) then.push_back(anAction(files, random, Op::Import));
  if (below(random, 2) == 0) {
    then.push_back(Action{Op::Undo, {}});
    if (below(random, 3) == 0) then.push_back(Action{Op::Redo, {}});
  }
  return then;
}

// One of the input's loads (a fresh one where it has none, and now and
// then beside those it has) bringing every kind of entry a load keeps, or
// members beside its own, a third of the time at its largest, and right
// after it a change of what it brought with what may follow it, through
// which every undo must bring back what the change let go and the next
// save, the host's last at least, must still hold what the load kept and
// what the change did not say it let go. Drawn from all actions, a load
// that keeps several kinds of owner and then the change that lets go of
// some of them come once in thousands of inputs, each taking a second; a
// change, an import and an undo after it, never.
void follow(std::vector<Action>& actions, std::size_t files, Random& random) {
  std::vector<std::size_t> loadsAt;
  for (std::size_t i = 0; i < actions.size(); ++i)
    if (loads(actions[i].op)) loadsAt.push_back(i);
  std::size_t load;
  if (loadsAt.empty() || below(random, 4) == 0) {
    load = below(random, actions.size() + 1);
    actions.insert(actions.begin() + static_cast<std::ptrdiff_t>(load),
                   anAction(files, random, anOp(random, loads)));
  } else {
    load = loadsAt[below(random, loadsAt.size())];
  }
  // Every kind, or only members beside what it had: each kind of entry
  // kept makes a sample of its own kept unplayed, and a load of every kind
  // never holds samples that play at their largest.
  const OpSpec& spec = specOf(actions[load].op);
  const bool everyKind = below(random, 2) == 0;
  for (std::size_t i = 0; i < spec.params.size(); ++i)
    if (const ParamSpec& param = spec.params[i]; std::string_view(param.name) == "kept")
      actions[load].arg[i] = everyKind ? static_cast<std::uint16_t>((1u << param.words.size()) - 1)
                                       : actions[load].arg[i] | wordBit(param, "member");
  if (below(random, 3) == 0) atItsLargest(actions[load]);
  const std::vector<Action> then = aChangeAndWhatFollows(files, random);
  actions.insert(actions.begin() + static_cast<std::ptrdiff_t>(load + 1), then.begin(), then.end());
}

// One parameter changed: a flag turned over, or another value.
void changeAParameter(Action& action, std::size_t files, Random& random) {
  const OpSpec& spec = specOf(action.op);
  if (spec.params.empty()) return;
  const std::size_t i = below(random, spec.params.size());
  const ParamSpec& param = spec.params[i];
  if (param.flags && below(random, 2) == 0)
    action.arg[i] = static_cast<std::uint16_t>(action.arg[i] ^ (1u << below(random, param.words.size())));
  else
    action.arg[i] = aValue(param, files, random);
}

bool sized(const Action& action) {
  const std::vector<ParamSpec>& params = specOf(action.op).params;
  return std::any_of(params.begin(), params.end(), [](const ParamSpec& p) { return p.most != 0; });
}

// One of the actions that have sizes at its largest.
void largest(std::vector<Action>& actions, Random& random) {
  std::vector<std::size_t> sizedAt;
  for (std::size_t i = 0; i < actions.size(); ++i)
    if (sized(actions[i])) sizedAt.push_back(i);
  if (!sizedAt.empty()) atItsLargest(actions[sizedAt[below(random, sizedAt.size())]]);
}

enum class Change { Insert, Remove, Repeat, Swap, Replace, Parameter, Largest, Follow, Count };
constexpr std::array<std::uint8_t, static_cast<std::size_t>(Change::Count)> kChangeWeights = {
    4,   // insert
    2,   // remove
    2,   // repeat
    2,   // swap
    1,   // replace
    5,   // parameter
    3,   // largest
    10,  // follow
};

}  // namespace

std::vector<Action> mutated(std::vector<Action> actions, std::size_t limit, std::size_t files,
                            std::uint32_t seed) {
  Random random(seed);
  if (actions.size() > limit) actions.resize(limit);
  std::discrete_distribution<std::size_t> pick(kChangeWeights.begin(), kChangeWeights.end());
  Change change = static_cast<Change>(pick(random));
  if (actions.empty()) change = Change::Insert;
  if (actions.size() < 2 && change == Change::Swap) change = Change::Parameter;
  if (actions.size() >= limit &&
      (change == Change::Insert || change == Change::Repeat || change == Change::Follow))
    change = Change::Remove;
  const std::size_t at = below(random, actions.size());
  const auto anywhere = [&] {
    return actions.begin() + static_cast<std::ptrdiff_t>(below(random, actions.size() + 1));
  };
  switch (change) {
    case Change::Insert: actions.insert(anywhere(), anAction(files, random)); break;
    case Change::Remove: actions.erase(actions.begin() + static_cast<std::ptrdiff_t>(at)); break;
    case Change::Repeat: {
      const Action again = actions[at];
      actions.insert(anywhere(), again);
      break;
    }
    case Change::Swap: std::swap(actions[at], actions[below(random, actions.size())]); break;
    case Change::Replace: actions[at] = anAction(files, random); break;
    case Change::Parameter: changeAParameter(actions[at], files, random); break;
    case Change::Largest: largest(actions, random); break;
    case Change::Follow: follow(actions, files, random); break;
    case Change::Count: break;
  }
  if (actions.size() > limit) actions.resize(limit);
  return actions;
}

std::vector<Action> crossed(const std::vector<Action>& a, const std::vector<Action>& b, std::size_t limit,
                            std::uint32_t seed) {
  Random random(seed);
  const std::size_t head = below(random, a.size() + 1);
  const std::size_t tail = below(random, b.size() + 1);
  std::vector<Action> joined(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(head));
  joined.insert(joined.end(), b.end() - static_cast<std::ptrdiff_t>(tail), b.end());
  if (joined.size() > limit) joined.resize(limit);
  return joined;
}

}  // namespace obsession
