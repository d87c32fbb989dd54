#include "document/audition/kept_notes.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string_view>

#include "document/audition/audition_groove.h"
#include "document/audition/place_notes.h"
#include "document/clip/clip_reader.h"
#include "document/json/json_elements.h"

namespace ob {
namespace {

constexpr std::string_view kKeptBack = "unplayed";

}  // namespace

std::size_t notesKeptBack(const JsonValue& audition) {
  const JsonValue* ext = audition.isObject() ? audition.find("ext") : nullptr;
  const JsonValue* groove = ext != nullptr && ext->isObject() ? ext->find(stepsExtensionKey()) : nullptr;
  const JsonValue* count = groove != nullptr && groove->isObject() ? groove->find(kKeptBack) : nullptr;
  const JsonValue* notes = audition.isObject() ? audition.find("notes") : nullptr;
  if (count == nullptr || !count->isNumber() || notes == nullptr) return 0;
  const double n = count->number;
  const std::size_t held = JsonElements(*notes).size();
  return n >= 1.0 && n <= static_cast<double>(held) && n == std::floor(n) ? static_cast<std::size_t>(n) : 0;
}

void markNotesKeptBack(JsonValue& groove, std::size_t count) {
  if (!groove.isObject()) return;
  std::erase_if(groove.members, [](const JsonMember& m) { return m.key == kKeptBack; });
  if (count == 0) return;
  const auto print = std::find_if(groove.members.begin(), groove.members.end(),
                                  [](const JsonMember& m) { return m.key == "notes"; });
  groove.members.insert(print == groove.members.end() ? groove.members.begin() : print + 1,
                        JsonMember{std::string(kKeptBack), makeJsonDouble(static_cast<double>(count))});
}

void notesKeptUnplayed(const JsonValue& loaded, bool gridRead, std::size_t played,
                       const std::vector<clip::Note>& written, const std::vector<std::string>& voices,
                       const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys,
                       const KeptNoteTaker& keep) {
  const JsonValue* notes = loaded.isObject() ? loaded.find("notes") : nullptr;
  if (notes == nullptr || JsonElements(*notes).size() <= (gridRead ? played : 0)) return;
  // The load's placement and the one after the written notes, each on a
  // grid of its own, go along the list together: one read of the notes.
  std::unique_ptr<Project> asLoadedGrid = makeProject();
  std::unique_ptr<Project> afterWrittenGrid = makeProject();
  if (!asLoadedGrid || !afterWrittenGrid) return;
  *asLoadedGrid = project;
  *afterWrittenGrid = project;
  Diagnostics unsaid = Diagnostics::dropping();
  NotePlacer asLoaded(*asLoadedGrid, samples, keys, unsaid, "");
  NotePlacer afterWritten(*afterWrittenGrid, samples, keys, unsaid, "");
  for (std::size_t i = 0; i < written.size(); ++i) afterWritten.place(written[i], i);
  const auto removed = [&](const clip::Note& note) {
    return std::find(voices.begin(), voices.end(), note.voice) != voices.end() &&
           voiceIndexByName(project, keys, note.voice) < 0;
  };
  // Each the load left off the grid goes back, as read, while after the
  // written notes it takes no step.
  const clip::NoteTaker back = [&](const clip::Note& note, std::size_t index, const JsonValue& element) {
    const bool unplaced = gridRead ? index >= played : !asLoaded.place(note, index);
    if (!unplaced || removed(note) || afterWritten.place(note, written.size() + index)) return;
    keep(element, note);
  };
  clip::readClipToPlay(loaded, unsaid, "", back);
}

}  // namespace ob
