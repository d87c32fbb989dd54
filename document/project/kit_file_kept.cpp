#include "document/project/kit_file_kept.h"

#include <algorithm>
#include <utility>

#include "document/instance/instance_shape.h"
#include "document/instance/instance_state.h"
#include "document/instance/state_fields.h"
#include "document/json/json_parse.h"
#include "document/project/project_load.h"
#include "document/project/sanitize_project.h"

namespace ob {
namespace {

// The kit's records less those at the places given.
SharedKeptRecords withoutPlaces(const SharedKeptRecords& kept,
                                const std::vector<std::vector<std::string>>& gone) {
  if (gone.empty() || !kept) return kept;
  auto held = std::make_shared<KeptRecords>(*kept);
  std::erase_if(held->records, [&](const KeptRecord& r) {
    return std::find(gone.begin(), gone.end(), r.path) != gone.end();
  });
  return held;
}

std::vector<std::vector<std::string>> placesOf(const JsonValue* gone) {
  std::vector<std::vector<std::string>> places;
  if (gone == nullptr || !gone->isArray()) return places;
  for (const JsonValue& place : gone->elements) {
    std::vector<std::string>& path = places.emplace_back();
    if (!place.isArray()) continue;
    for (const JsonValue& token : place.elements)
      if (token.isString()) path.push_back(token.text);
  }
  return places;
}

}  // namespace

std::shared_ptr<const KitFileKept> kitFileKeptOf(std::string reference, std::string text,
                                                 std::vector<std::vector<std::string>> gone) {
  JsonValue document;
  std::string error;
  // Read to the shape its library load read it to: what no reader reads is
  // held as the file's text, blanks and all, for the kit's save to write.
  if (!parseJson(text, instanceDocumentShape(), document, error) || !isInstanceDocument(document))
    return nullptr;
  std::unique_ptr<Project> project = makeProject();
  if (!project) return nullptr;
  Diagnostics unsaid = Diagnostics::dropping();  // its load said it
  std::vector<std::string> refs;
  KeysAsLoaded keys;
  bool gridRead = false;
  if (!readInstanceState(document, *project, refs, unsaid, &keys, &gridRead)) return nullptr;
  sanitizePattern(project->patterns[0]);
  auto kept = std::make_shared<KeptDocument>();
  keepWhatItsRewriteLacks(std::move(document), *project, refs, std::move(keys), gridRead, *kept);
  kept->records = withoutPlaces(kept->records, gone);
  auto kit = std::make_shared<KitFileKept>();
  kit->reference = std::move(reference);
  kit->text = std::move(text);
  kit->kept = std::move(kept);
  kit->gone = std::move(gone);
  return kit;
}

JsonValue writeKitFileKept(const KitFileKept& kit) {
  JsonValue member = makeJsonObject();
  member.set("kit", makeJsonString(kit.reference));
  member.set("text", makeJsonString(kit.text));
  if (!kit.gone.empty()) {
    JsonValue gone = makeJsonArray();
    for (const std::vector<std::string>& path : kit.gone) {
      JsonValue place = makeJsonArray();
      for (const std::string& token : path) place.push(makeJsonString(token));
      gone.push(std::move(place));
    }
    member.set("gone", std::move(gone));
  }
  return member;
}

std::shared_ptr<const KitFileKept> takeKitFileKept(JsonValue& document, Diagnostics& diagnostics) {
  const JsonValue* member = document.isObject() ? document.find(kKitFileKeptKey) : nullptr;
  if (member == nullptr) return nullptr;
  const JsonValue* kit = member->isObject() ? member->find("kit") : nullptr;
  const JsonValue* text = member->isObject() ? member->find("text") : nullptr;
  std::shared_ptr<const KitFileKept> kept;
  if (kit != nullptr && kit->isString() && text != nullptr && text->isString())
    kept = kitFileKeptOf(kit->text, text->text, placesOf(member->find("gone")));
  if (!kept) {
    // Not what this build writes: kept as read, like any member it does not read.
    diagnostics.warn("kit-file-unreadable", std::string("/") + kKitFileKeptKey,
                     "Not a kit's file this build reads; kept as written");
    return nullptr;
  }
  diagnostics.note("kit-file-kept", std::string("/") + kKitFileKeptKey,
                   "What the file of the kit " + kit->text +
                       " held that this build does not read is kept for that kit's saves");
  std::erase_if(document.members, [](const JsonMember& m) { return m.key == kKitFileKeptKey; });
  return kept;
}

}  // namespace ob
