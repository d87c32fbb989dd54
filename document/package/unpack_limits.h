#pragma once
// How much of an untrusted archive a document reader unpacks, inside the
// zip limits: nothing that claims to grow more than 1,000-fold (sample audio
// packs about 1-2:1 and text 5-20:1; only a crafted stream comes near
// DEFLATE's 1,032:1), and of the entries it keeps unread only what fits a
// budget, since those stay in memory and go back at every save. A save is
// held to the same rules before it writes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/archive/zip_directory.h"
#include "document/archive/zip_entry.h"
#include "document/diagnostics.h"

namespace ob {

inline constexpr std::uint64_t kMaxUnpackRatio = 1000;
inline constexpr std::uint64_t kKeptEntriesBudget = std::uint64_t(64) << 20;

// The entry's declared size is more than kMaxUnpackRatio times what it
// takes in the archive.
bool claimsTooMuchGrowth(const zip::DirectoryRecord& record);

// Why a file that claims it is not unpacked, in lower-case words.
std::string overpackedText();

// The error for a document entry that is refused for its claimed growth.
void reportOvergrownDocument(Diagnostics& diagnostics, std::string_view entryName);

// A document's text beyond kMaxDocumentTextBytes (document_limits.h), as
// given, read or declared by an archive entry, is refused unread.
bool isOversizedDocument(std::uint64_t textBytes);
// The error for it: "document-too-large" at path.
void reportOversizedDocument(Diagnostics& diagnostics, std::string path);

// A document its parse refused for how much it holds (isJsonSizeRefusal):
// the parser's words say how much, and where.
void reportCrowdedDocument(Diagnostics& diagnostics, std::string path, std::string_view parseError);

// Entries kept unread for a later save, in archive order: each is taken
// while what is taken so far, each at the larger of its stored and declared
// sizes (what it holds in memory, and what a save declares of it), stays
// within the budget.
class KeptEntryBudget {
 public:
  // Takes the entry when it fits.
  bool fits(const zip::DirectoryRecord& record);
  // The same, dropping one that does not with a warning that names it.
  bool admit(const zip::DirectoryRecord& record, Diagnostics& diagnostics);

 private:
  std::uint64_t taken_ = 0;
};

// Whether an entry kept after these fits the budget, as the load of a save
// that writes them all in this order takes them.
bool fitsAfterKept(const std::vector<zip::StoredEntry>& kept, const zip::StoredEntry& entry);

}  // namespace ob
