#include "document/audition/kept_unplayed.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "document/audition/audition_groove.h"
#include "document/clip/clip_extensions.h"
#include "document/clip/clip_reader.h"
#include "document/diagnostics.h"
#include "document/params/number_spellings.h"

namespace ob {
namespace {

using Kept = std::optional<JsonValue>;

// Rebuilds written's members with those of loaded that it lacks and keep
// gives a value for, each after the last member of loaded before it that
// written holds (in front when none did). A member written holds goes to
// both with its loaded value; which one that is, match says (npos: none).
// Written is what a writer made, a few members: the work is loaded's size.
template <typename Match, typename Keep, typename Both>
void mergeMembers(JsonValue& written, JsonValue& loaded, Match match, Keep keep, Both both) {
  if (!written.isObject() || !loaded.isObject()) return;
  std::vector<std::vector<JsonMember>> after(written.members.size() + 1);
  std::size_t anchor = 0;  // 0: in front, i + 1: after written member i
  for (JsonMember& m : loaded.members) {
    if (const std::size_t i = match(written, m); i != std::string::npos) {
      anchor = i + 1;
      both(written.members[i], m.value);
    } else if (Kept value = keep(m)) {
      after[anchor].push_back({m.key, std::move(*value)});
    }
  }
  std::vector<JsonMember> members = std::move(after[0]);
  for (std::size_t i = 0; i < written.members.size(); ++i) {
    members.push_back(std::move(written.members[i]));
    for (JsonMember& m : after[i + 1]) members.push_back(std::move(m));
  }
  written.members = std::move(members);
}

std::size_t keyIn(const JsonValue& written, std::string_view key) {
  const auto at = std::find_if(written.members.begin(), written.members.end(),
                               [key](const JsonMember& w) { return w.key == key; });
  return at == written.members.end() ? std::string::npos
                                     : static_cast<std::size_t>(at - written.members.begin());
}

std::size_t sameKey(const JsonValue& written, const JsonMember& m) { return keyIn(written, m.key); }
Kept every(JsonMember& m) { return std::move(m.value); }
void none(JsonMember&, JsonValue&) {}

bool sameList(const ParamLock* a, const ParamLock* b, int n) {
  for (int i = 0; i < n; ++i)
    if (a[i].param != b[i].param || a[i].value != b[i].value) return false;
  return true;
}

// Whether two steps play and save alike, field by field.
bool sameStep(const Step& a, const Step& b) {
  return a.active == b.active && a.muted == b.muted && a.slide == b.slide && a.note == b.note &&
         a.velocity == b.velocity && a.micro == b.micro && a.lengthTicks == b.lengthTicks &&
         a.lockCount == b.lockCount &&
         sameList(a.locks, b.locks, std::min<int>(a.lockCount, kListCapacity)) && a.count == b.count &&
         a.rateTicks == b.rateTicks && a.velCurve == b.velCurve && a.randCount == b.randCount &&
         sameList(a.rands, b.rands, std::min<int>(a.randCount, kListCapacity)) && a.randVel == b.randVel &&
         a.randTime == b.randTime && a.randPan == b.randPan && a.panLocked == b.panLocked &&
         a.panValue == b.panValue;
}

// A step's entries read as a load reads them, with the sound of its voice.
struct StepReading {
  const Sound& sound;
  const SampleSlotTable& samples;
  const KeysAsLoaded& keys;

  Step read(const JsonValue& value) const {
    Step step;
    Diagnostics unsaid = Diagnostics::dropping();
    readStep(value, step, sound, samples, unsaid, "", keys);
    return step;
  }
  // Whether a lock ("locks") or random amount ("rands") alone would be
  // taken into the step: one that would not never is, wherever it stands.
  bool takes(std::string_view list, const JsonMember& entry) const {
    JsonValue one = makeJsonObject();
    one.members.push_back(entry);
    JsonValue trial = makeJsonObject();
    trial.set(list, std::move(one));
    const Step step = read(trial);
    return (list == "locks" ? step.lockCount : step.randCount) > 0;
  }
};

bool isList(std::string_view key) { return key == "locks" || key == "rands"; }

// Walks a loaded object beside the one written in its place and hands each
// member kept to the sink, where it goes: after the member before it as a
// save writes them (the written one it follows, the kept one before it, or
// none in front). A member written holds goes to `both` with its loaded
// value; which one that is, match says (npos: none).
class KeptWalk {
 public:
  explicit KeptWalk(const KeptMemberSink& sink) : sink_(sink) {}

  template <typename Match, typename Keep, typename Both>
  void members(const JsonValue& written, const JsonValue& loaded, Match match, Keep keep, Both both) {
    if (!written.isObject() || !loaded.isObject()) return;
    std::vector<std::string> last(written.members.size() + 1);  // by anchor: the member a kept one follows
    for (std::size_t i = 0; i < written.members.size(); ++i) last[i + 1] = written.members[i].key;
    std::size_t anchor = 0;  // 0: in front, i + 1: after written member i
    for (const JsonMember& m : loaded.members) {
      if (const std::size_t i = match(written, m); i != std::string::npos) {
        anchor = i + 1;
        at_.push_back(written.members[i].key);
        afters_.push_back(i > 0 ? written.members[i - 1].key : std::string());
        both(written.members[i], m.value);
        at_.pop_back();
        afters_.pop_back();
      } else if (Kept value = keep(m)) {
        at_.push_back(m.key);
        afters_.push_back(last[anchor]);
        sink_(at_, std::move(*value), afters_);
        at_.pop_back();
        afters_.pop_back();
        last[anchor] = m.key;
      }
    }
  }

 private:
  const KeptMemberSink& sink_;
  std::vector<std::string> at_;      // from the grid
  std::vector<std::string> afters_;  // the member each of at_ follows
};

Kept copied(const JsonMember& m) { return m.value; }
void neither(const JsonMember&, const JsonValue&) {}

// A written step keeps of its loaded self each member that reads as
// nothing beside it: none that would change what it plays. A member a
// step reads twice counts where the reader finds it, the first time.
void keptInStep(KeptWalk& walk, const JsonValue& step, const JsonValue& loaded, const StepReading& reading) {
  const Step plays = reading.read(step);
  std::unordered_map<std::string, bool> decided;  // by key: whether it is kept
  const auto keep = [&](const JsonMember& m) -> Kept {
    if (const auto seen = decided.find(m.key); seen != decided.end())
      return seen->second ? copied(m) : std::nullopt;
    Kept kept = m.value;
    if (isList(m.key) && m.value.isObject()) {
      std::erase_if(kept->members, [&](const JsonMember& e) { return reading.takes(m.key, e); });
      if (kept->members.empty()) kept.reset();
    } else {
      JsonValue trial = step;
      trial.members.push_back(m);
      if (!sameStep(reading.read(trial), plays)) kept.reset();
    }
    decided.emplace(m.key, kept.has_value());
    return kept;
  };
  const auto both = [&](const JsonMember& mine, const JsonValue& theirs) {
    if (!isList(mine.key)) return;
    const auto untaken = [&](const JsonMember& m) {
      return reading.takes(mine.key, m) ? std::nullopt : copied(m);
    };
    walk.members(mine.value, theirs, sameKey, untaken, neither);
  };
  walk.members(step, loaded, sameKey, keep, both);
}

// The step a key names, when a load reads its entry as one.
std::optional<int> stepOf(const JsonMember& entry) {
  int s = 0;
  if (!entry.value.isObject() || !readStepKey(entry.key, s)) return std::nullopt;
  return s;
}

// An entry read as a step meets the step as written, however its key is
// spelled.
void keptInSteps(KeptWalk& walk, const JsonValue& steps, const JsonValue& loaded,
                 const StepReading& reading) {
  const auto match = [](const JsonValue& written, const JsonMember& m) {
    const std::optional<int> s = stepOf(m);
    return s ? keyIn(written, formatUnsigned(static_cast<std::uint64_t>(*s))) : sameKey(written, m);
  };
  const auto keep = [](const JsonMember& m) { return stepOf(m) ? std::nullopt : copied(m); };
  walk.members(steps, loaded, match, keep, [&](const JsonMember& mine, const JsonValue& theirs) {
    keptInStep(walk, mine.value, theirs, reading);
  });
}

// Written without an accent, the pattern's is the fresh one: one read as
// that is kept.
Kept accentKept(const JsonMember& m) {
  if (m.key == "unplayed") return std::nullopt;  // the written grid says it anew
  if (m.key != "accent") return copied(m);
  static const Pattern kFresh;
  float amount = 0.0f, curve = kFresh.accentCurve;
  std::uint8_t every = kFresh.accentEvery;
  readAccent(m.value, amount, every, curve);
  if (amount != kFresh.accentAmount || every != kFresh.accentEvery || curve != kFresh.accentCurve)
    return std::nullopt;
  return m.value;
}

bool isAmong(const std::vector<std::string>& ids, std::string_view id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

void keepUnplayedInGroove(const JsonValue& groove, const JsonValue& loaded,
                          const std::vector<std::string>& voices, const Project& project,
                          const SampleSlotTable& samples, const KeysAsLoaded& keys,
                          const KeptMemberSink& sink) {
  KeptWalk walk(sink);
  const auto voiceKept = [&](const JsonMember& m) {
    return isAmong(voices, m.key) ? std::nullopt : copied(m);
  };
  const auto inVoice = [&](const JsonMember& mine, const JsonValue& theirs) {
    const StepReading reading{auditionTrackSound(project, voiceIndexByName(project, keys, mine.key)), samples,
                              keys};
    walk.members(mine.value, theirs, sameKey, copied, [&](const JsonMember& member, const JsonValue& was) {
      if (member.key == "steps") keptInSteps(walk, member.value, was, reading);
    });
  };
  walk.members(groove, loaded, sameKey, accentKept, [&](const JsonMember& mine, const JsonValue& theirs) {
    if (mine.key == "accent") walk.members(mine.value, theirs, sameKey, copied, neither);
    if (mine.key == "voices") walk.members(mine.value, theirs, sameKey, voiceKept, inVoice);
  });
}

namespace {

// The written point takes the place of the first one a load reads, with
// what that one carried unread; all others stay as read.
template <typename Read>
void keepPoints(JsonValue& written, JsonValue& loaded, std::string_view list, Read read) {
  JsonValue* was = loaded.find(list);
  JsonValue* is = written.find(list);
  if (was == nullptr || !was->isArray() || is == nullptr || !is->isArray() || is->elements.size() != 1)
    return;
  Diagnostics unsaid = Diagnostics::dropping();
  JsonValue ours = std::move(is->elements[0]);
  bool placed = false;
  for (JsonValue& e : was->elements) {
    if (placed || read(e, std::string(), unsaid).invalid) continue;
    mergeMembers(ours, e, sameKey, every, none);
    adoptNumberSpellings(ours, e);
    e = std::move(ours);
    placed = true;
  }
  if (!placed) was->elements.insert(was->elements.begin(), std::move(ours));
  *is = std::move(*was);
}

// Declared as loaded, and then what the written declares besides.
void keepDeclared(JsonValue& written, JsonValue& loaded) {
  JsonValue* was = loaded.find("extensions");
  JsonValue* is = written.find("extensions");
  if (was == nullptr || !was->isArray() || is == nullptr || !is->isArray()) return;
  std::vector<ExtensionId> ids;
  for (const JsonValue& e : is->elements)
    if (std::optional<ExtensionId> id = e.isString() ? parseExtensionId(e.text) : std::nullopt)
      ids.push_back(*id);
  appendUndeclared(*was, ids);
  *is = std::move(*was);
}

}  // namespace

std::vector<JsonValue> swingKeptUnplayed(const JsonValue& loaded, const Project& project,
                                         const KeysAsLoaded& keys) {
  std::vector<JsonValue> kept;
  const JsonValue* was = loaded.find("swing");
  if (was == nullptr || !was->isArray()) return kept;
  Diagnostics unsaid = Diagnostics::dropping();
  for (const JsonValue& e : was->elements) {
    const clip::SwingEntry s = clip::readSwingEntry(e, std::string(), unsaid);
    const bool voiced = !s.voice.empty();
    if (s.invalid || s.bar != 0 || (voiced && voiceIndexByName(project, keys, s.voice) < 0))
      kept.push_back(e);
  }
  return kept;
}

void appendUndeclared(JsonValue& declared, const std::vector<ExtensionId>& ids) {
  std::vector<ExtensionId> have;
  for (const JsonValue& e : declared.elements)
    if (std::optional<ExtensionId> id = e.isString() ? parseExtensionId(e.text) : std::nullopt)
      have.push_back(*id);
  for (const ExtensionId& id : ids) {
    if (clip::declaresExtension(have, id.name)) continue;
    declared.elements.push_back(makeJsonString(formatExtensionId(id)));
    have.push_back(id);
  }
}

void keepAsLoaded(JsonValue& written, JsonValue& loaded) {
  if (!loaded.isObject() || !written.isObject()) return;
  keepDeclared(written, loaded);
  keepPoints(written, loaded, "tempo", clip::readTempoPoint);
  keepPoints(written, loaded, "meter", clip::readMeterPoint);
}

}  // namespace ob
