#include "document/package/unpack_limits.h"

#include <algorithm>
#include <string>
#include <utility>

#include "document/reading/document_limits.h"
#include "engine/pool/sample_limits.h"

namespace ob {

// The samples' files a pool holds are what a save writes beside the largest
// document and kept entries a load takes, within the reader's total.
static_assert(kPoolFileBudgetBytes + kMaxDocumentTextBytes + kKeptEntriesBudget ==
              zip::Limits{}.maxTotalSize);

bool claimsTooMuchGrowth(const zip::DirectoryRecord& record) {
  return std::uint64_t(record.size) > kMaxUnpackRatio * record.packedSize;
}

std::string overpackedText() {
  return "the file claims to unpack to more than " + std::to_string(kMaxUnpackRatio) +
         " times its packed size, past what this build unpacks";
}

void reportOvergrownDocument(Diagnostics& diagnostics, std::string_view entryName) {
  std::string path = "/";
  path += entryName;
  diagnostics.error("document-unreadable", std::move(path),
                    "The document claims to unpack to more than 1000 times its packed size; not unpacked");
}

bool isOversizedDocument(std::uint64_t textBytes) { return textBytes > kMaxDocumentTextBytes; }

void reportOversizedDocument(Diagnostics& diagnostics, std::string path) {
  diagnostics.error("document-too-large", std::move(path),
                    "The document is larger than " + sizeText(kMaxDocumentTextBytes) +
                        "; a real one is well under a megabyte");
}

void reportCrowdedDocument(Diagnostics& diagnostics, std::string path, std::string_view parseError) {
  diagnostics.error("document-too-large", std::move(path),
                    "The " + std::string(parseError) + "; no real one comes near, so it is not read");
}

namespace {

zip::DirectoryRecord recordOf(const zip::StoredEntry& entry) {
  zip::DirectoryRecord record;
  record.packedSize = static_cast<std::uint32_t>(entry.payload.size());
  record.size = entry.form.size;
  return record;
}

}  // namespace

bool fitsAfterKept(const std::vector<zip::StoredEntry>& kept, const zip::StoredEntry& entry) {
  KeptEntryBudget budget;
  for (const zip::StoredEntry& before : kept) budget.fits(recordOf(before));
  return budget.fits(recordOf(entry));
}

bool KeptEntryBudget::fits(const zip::DirectoryRecord& record) {
  const std::uint64_t cost = std::max<std::uint64_t>(record.packedSize, record.size);
  if (cost > kKeptEntriesBudget - taken_) return false;
  taken_ += cost;
  return true;
}

bool KeptEntryBudget::admit(const zip::DirectoryRecord& record, Diagnostics& diagnostics) {
  if (fits(record)) return true;
  diagnostics.warn("entry-dropped", "/" + record.name,
                   "Entries this build does not read are kept up to " + sizeText(kKeptEntriesBudget) +
                       " in all; left out");
  return false;
}

}  // namespace ob
