#include "document/instance/kept_records.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "document/instance/instance_state.h"
#include "document/instance/keys_as_loaded.h"
#include "document/json/json_parse.h"
#include "document/json/json_write.h"
#include "engine/model/project.h"

namespace ob {
namespace {

constexpr std::string_view kRecordLists[] = {"sounds", "voices", "samples"};

// A list of a document's state, when it is an object; Value is JsonValue,
// const or not.
template <typename Value>
Value* listOf(Value& document, std::string_view list) {
  Value* state = document.find("state");
  Value* records = state != nullptr ? state->find(list) : nullptr;
  return records != nullptr && records->isObject() ? records : nullptr;
}

// What the foreign-member pass keeps of a list: the records its rewrite
// lacks, where both are objects.
double lowestKept(const JsonValue& loaded, const JsonValue& rewritten, std::string_view list) {
  const JsonValue* records = listOf(loaded, list);
  const JsonValue* written = listOf(rewritten, list);
  double lowest = kNoOrder;
  if (records == nullptr || written == nullptr) return lowest;
  for (const JsonMember& m : records->members)
    if (written->find(m.key) == nullptr) lowest = std::min(lowest, sortOrderOf(m.value));
  return lowest;
}

void orderNoHigher(JsonValue* records, double lowest) {
  if (records == nullptr) return;
  for (JsonMember& m : records->members) {
    JsonValue* order = m.value.find("order");
    // Written afresh: a loaded spelling would read back as another number.
    if (order != nullptr && order->isNumber() && order->number > lowest) *order = makeJsonDouble(lowest);
  }
}

}  // namespace

KeptRecordOrders keptRecordOrders(const JsonValue& loaded, const JsonValue& rewritten) {
  return {lowestKept(loaded, rewritten, "voices"), lowestKept(loaded, rewritten, "samples")};
}

void keepRecordsLast(std::vector<ForeignMember>& kept) {
  for (ForeignMember& m : kept)
    m.last = m.path.size() == 3 && m.path[0] == "state" &&
             std::find(std::begin(kRecordLists), std::end(kRecordLists), m.path[1]) != std::end(kRecordLists);
}

void keepVoicesOut(JsonValue& written, const std::vector<ForeignMember>& kept) {
  JsonValue* state = written.find("state");
  JsonValue* voices = listOf(written, "voices");
  if (voices == nullptr) return;
  std::vector<std::string> keys;
  for (const ForeignMember& m : kept)
    if (m.path.size() == 3 && m.path[0] == "state" && m.path[1] == "voices" && voices->find(m.path[2]))
      keys.push_back(m.path[2]);
  const auto isKept = [&](const JsonMember& m) { return std::ranges::count(keys, m.key) > 0; };
  if (keys.empty() || voices->members.size() - keys.size() >= static_cast<std::size_t>(kMaxTracks)) return;
  // The sounds and voices as a load of the save reads them, the kept ones'
  // text and all: each kept voice a load could take (an object) is tried
  // beside the project's alone.
  JsonValue both = makeJsonObject();
  if (const JsonValue* sounds = state->find("sounds")) both.set("sounds", *sounds);
  JsonValue tried = makeJsonObject();
  for (const JsonMember& m : voices->members)
    if (!isKept(m) || m.value.isObject() || m.value.isKept()) tried.members.push_back(m);
  both.set("voices", std::move(tried));
  JsonValue trial;
  std::string error;
  if (!parseJson(writeJson(both), trial, error)) return;
  std::vector<JsonMember>& trialVoices = trial.find("voices")->members;
  const auto firstKept = std::stable_partition(trialVoices.begin(), trialVoices.end(),
                                               [&](const JsonMember& m) { return !isKept(m); });
  std::vector<JsonMember> held(std::make_move_iterator(firstKept),
                               std::make_move_iterator(trialVoices.end()));
  trialVoices.erase(firstKept, trialVoices.end());
  const int played = voicesALoadTakes(trial);
  JsonValue out = makeJsonObject();
  for (JsonMember& record : held) {
    trialVoices.push_back(std::move(record));
    if (voicesALoadTakes(trial) > played)
      out.set(trialVoices.back().key, *voices->find(trialVoices.back().key));
    trialVoices.pop_back();
  }
  JsonValue* off = state->find("voicesOff");
  // One kept as read, as its text; a voice it holds already is not written over.
  if (off != nullptr && off->isKept() && !parseJson(JsonValue(*off), wholeShape(), *off, error)) return;
  if (off != nullptr && !off->isObject()) return;
  std::erase_if(out.members,
                [&](const JsonMember& m) { return off != nullptr && off->find(m.key) != nullptr; });
  if (out.members.empty()) return;
  std::erase_if(voices->members, [&](const JsonMember& m) { return out.find(m.key) != nullptr; });
  if (off == nullptr) {
    const auto at = std::find_if(state->members.begin(), state->members.end(),
                                 [](const JsonMember& m) { return m.key == "voices"; });
    state->members.insert(at + 1, {"voicesOff", makeJsonObject()});
    off = state->find("voicesOff");
  }
  for (JsonMember& m : out.members) off->set(m.key, std::move(m.value));
}

void makeRoomForKeptRecords(JsonValue& written, const std::vector<ForeignMember>& kept) {
  for (const ForeignMember& m : kept) {
    const std::vector<std::string> list(m.path.begin(), m.path.end() - (m.path.empty() ? 0 : 1));
    bool omitted =
        list == std::vector<std::string>{"state", "samples"} || list == std::vector<std::string>{"assets"};
    for (int i = 0; i < kMacroCount; ++i) omitted = omitted || list == macroDestsPath(i);
    JsonValue* at = &written;
    for (std::size_t i = 0; omitted && i < list.size() && at->isObject(); ++i) {
      if (at->find(list[i]) == nullptr) at->members.push_back({list[i], makeJsonObject()});
      at = at->find(list[i]);
    }
  }
}

void orderBeforeKept(JsonValue& written, const KeptRecordOrders& kept) {
  orderNoHigher(listOf(written, "voices"), kept.voices);
  orderNoHigher(listOf(written, "samples"), kept.samples);
}

}  // namespace ob
