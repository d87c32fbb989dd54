#include "document/project/saved_entries.h"

#include <cstdint>
#include <limits>

#include "document/instance/instance_shape.h"
#include "document/json/json_parse.h"
#include "document/project/kept_document.h"
#include "document/project/project_save.h"

namespace ob {
namespace {

const JsonValue* valueAt(const JsonValue& document, const SavedList& list) {
  const JsonValue* at = &document;
  for (std::string_view key : list) {
    at = at->find(key);
    if (at == nullptr) return nullptr;
  }
  return at;
}

// The entries of an array or object, built or held as its text.
std::size_t entriesOf(const JsonValue* list) {
  if (list == nullptr) return 0;
  if (!list->isKept()) return list->isObject() ? list->members.size() : list->elements.size();
  const bool array = list->keptText().starts_with('[');
  const JsonShape each = withMostEntries(array ? arrayShape(scalarShape()) : objectOfShape(scalarShape()),
                                         std::numeric_limits<std::uint32_t>::max());
  JsonValue read;
  std::string error;
  if (!parseJson(*list, each, read, error)) return 0;
  return read.isObject() ? read.members.size() : read.elements.size();
}

// What a load reads of the list at most; a list it does not read has no limit.
std::size_t mostReadIn(const SavedList& list) {
  const JsonShape* shape = &instanceDocumentShape();
  for (std::string_view key : list) {
    shape = shape->member(key);
    if (shape == nullptr) return std::numeric_limits<std::size_t>::max();
  }
  return shape->form == JsonShape::Form::Scalar ? std::numeric_limits<std::size_t>::max() : shape->most;
}

}  // namespace

std::string SavedEntries::refusal(std::size_t more, std::string_view what) const {
  if (written + more <= most) return {};
  std::string text = "a save holds at most " + std::to_string(most) + " " + std::string(what) +
                     ", and this one would hold " + std::to_string(written + more);
  if (kept > 0) text += " (" + std::to_string(kept) + " kept unread from its last load)";
  return text;
}

std::vector<SavedEntries> savedEntries(const Project& project, const SamplePool& pool,
                                       const KeptDocument& kept, const std::vector<SavedList>& lists) {
  // The kept records are what a save with them writes beyond one without.
  const JsonValue written = savedDocument(project, pool, kept);
  const JsonValue own = savedDocument(project, pool, KeptDocument{});
  std::vector<SavedEntries> entries;
  for (const SavedList& list : lists) {
    const std::size_t all = entriesOf(valueAt(written, list));
    const std::size_t mine = entriesOf(valueAt(own, list));
    entries.push_back({all, all > mine ? all - mine : 0, mostReadIn(list)});
  }
  return entries;
}

std::string sampleSlotsRefusal(const Project& project, const SamplePool& pool, const KeptDocument& kept,
                               std::size_t more) {
  const std::vector<SavedEntries> lists =
      savedEntries(project, pool, kept, {{"state", "samples"}, {"assets"}});
  std::string why = lists[0].refusal(more, "samples");
  return why.empty() ? lists[1].refusal(more, "sample references") : why;
}

}  // namespace ob
