#include "document/reading/merge_members.h"

#include "document/params/number_spellings.h"

namespace ob {

void mergeMembers(JsonValue& target, const JsonValue& kept, const JsonValue& loaded) {
  if (kept.isObject()) {
    for (const JsonMember& m : kept.members) {
      JsonValue* existing = target.isObject() ? target.find(m.key) : nullptr;
      if (existing != nullptr) {
        *existing = m.value;
      } else {
        if (!target.isObject()) target = makeJsonObject();
        target.members.push_back(m);
      }
    }
  }
  adoptNumberSpellings(target, loaded);
}

}  // namespace ob
