#pragma once
// How many entries a save writes in a list of its document: the project's
// own records and those the last load kept there unread, together, against
// the most a load reads there (instanceDocumentShape). An action that adds
// records to a list asks first and is refused when they would pass that,
// before anything changes: else its save would be one its load refuses.
// Main thread.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ob {

class SamplePool;
struct KeptDocument;
struct Project;

// A list by the keys of the objects that lead to it from the document's root.
using SavedList = std::vector<std::string_view>;

struct SavedEntries {
  std::size_t written = 0;  // by a save of the project as it is
  std::size_t kept = 0;     // of them, records the last load kept unread
  std::size_t most = 0;     // the most a load reads there

  // Why `more` entries do not fit beside them, in lower-case words that
  // name the list by `what` ("samples") and its limit; empty when they do.
  std::string refusal(std::size_t more, std::string_view what) const;
};

// Each list, as a save of the project writes it.
std::vector<SavedEntries> savedEntries(const Project& project, const SamplePool& pool,
                                       const KeptDocument& kept, const std::vector<SavedList>& lists);

// Why `more` new sample slots do not fit a save: each writes a record in
// "/state/samples" and, holding audio, its file's reference in "/assets".
// Empty when they fit.
std::string sampleSlotsRefusal(const Project& project, const SamplePool& pool, const KeptDocument& kept,
                               std::size_t more);

}  // namespace ob
