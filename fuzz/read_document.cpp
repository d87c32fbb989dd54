// Any bytes given to the document load, into a pool of small limits: no
// crash, a failure leaves the caller's project, pool and kept document
// alone, and a success is a project inside the model's ranges that saves,
// keeping what the load read, that a state's load follows to its end, and
// whose save loads back to all the load built, with notes that play its
// grid, and saves again the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "document/archive/zip_format.h"
#include "document/archive/zip_stream_walk.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "document/project/sanitize_project.h"
#include "engine/pool/sample_pool.h"
#include "fuzz/audition_notes.h"
#include "fuzz/round_trip.h"

namespace {

// Limits a few kilobytes reach, so that small inputs take the paths of
// samples and pools past them: a packed sample of a megabyte is one.
constexpr std::uint64_t kMiB = std::uint64_t(1) << 20;
constexpr ob::SampleLimits kSmallLimits{kMiB, 4 * kMiB, 2 * kMiB, 8 * kMiB};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto project = ob::makeProject();
  project->seed = 42;
  project->patterns[0].numTracks = 3;
  auto before = std::make_unique<ob::Project>(*project);
  ob::SamplePool pool;
  pool.setLimits(kSmallLimits);
  ob::KeptDocument kept;
  ob::Diagnostics diagnostics;
  std::string error;
  const bool ok = ob::readDocument(data, size, *project, pool, kept, &error, &diagnostics);
  if (!ok) {
    if (error.empty()) std::abort();
    if (std::memcmp(before.get(), project.get(), sizeof(ob::Project)) != 0) std::abort();
    if (!pool.slots.empty() || !kept.loadedDocument.isNull()) std::abort();
    return 0;
  }
  if (project->seed == 0) std::abort();
  if (pool.slots.size() > static_cast<std::size_t>(ob::kSampleSlots)) std::abort();
  if (ob::sanitizeProject(*project) != 0) std::abort();

  const std::vector<std::uint8_t> saved = ob::writeProjectDocument(*project, pool, kept);
  if (saved.empty()) std::abort();
  const obfuzz::Loaded first{*project, obfuzz::samplesOf(pool), kept};
  const ob::JsonValue savedDocument = obfuzz::documentOf(ob::MemoryBytes(saved.data(), saved.size()));
  if (!obfuzz::keepsWhatTheLoadRead(data, size, saved, first, diagnostics, &savedDocument)) std::abort();
  // What a file load takes, a host's state load takes too.
  if (ob::zip::looksLikeZip(saved.data(), saved.size()) &&
      ob::zip::StreamWalk({}, ob::zip::Limits{}.maxArchiveBytes).follow(saved.data(), saved.size()) !=
          ob::zip::StreamWalk::Verdict::Going)
    std::abort();
  auto again = ob::makeProject();
  ob::SamplePool againPool;
  againPool.setLimits(kSmallLimits);
  ob::KeptDocument againKept;
  ob::Diagnostics refound;
  if (!ob::readDocument(saved, *again, againPool, againKept, &error, &refound)) std::abort();
  const obfuzz::Loaded second{*again, obfuzz::samplesOf(againPool), againKept};
  if (!obfuzz::sameLoad(first, second) || !obfuzz::notesSayWhatPlays(second)) std::abort();
  if (!obfuzz::notesPlayTheGrid(savedDocument, *again, againKept.keysAsLoaded)) std::abort();
  if (ob::writeProjectDocument(*again, againPool, againKept) != saved) std::abort();
  return 0;
}
