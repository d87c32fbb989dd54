#pragma once
// The sample files of one document load, decoded into the fresh pool: each
// file is read and decoded once however many slots name it, and held to
// the pool's limits before it is unpacked (by the size its archive entry
// declares) and before it is decoded (by its header). A file that cannot
// play is kept in its slots as it was stored, for the next save. Main
// thread.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "document/diagnostics.h"
#include "engine/pool/sample_pool.h"

namespace ob {

// What became of a slot's file.
enum class SampleFileOutcome : std::uint8_t {
  Loaded,      // the slot plays it
  Missing,     // the file could not be read (the reader said why, or the caller does)
  Unreadable,  // not audio this build reads
  Refused,     // over the pool's limits
  Overpacked,  // claims to unpack beyond reason, so it is never unpacked
};

// A slot's file as its document holds it.
struct SampleSource {
  std::uint64_t declaredBytes = 0;  // 0 when none is known
  bool overpacked = false;
  // The file's bytes, or nothing when they cannot be had.
  std::function<std::optional<std::vector<std::uint8_t>>()> read;
  // The file as stored, for a slot to keep when it cannot play; nothing
  // when it cannot be had. Null where nothing is kept (a bundled sample).
  std::function<std::optional<KeptSampleFile>()> keep;
};

class SampleFiles {
 public:
  explicit SampleFiles(SamplePool& pool) : pool_(pool) {}

  // Puts the audio of the file known as `key` into pool slot `slot`: the
  // audio already decoded for that key, or the file's bytes from the
  // source, read only when the declared size is within the pool's file
  // limit and the file is not overpacked. On Unreadable, Refused or
  // Overpacked the slot keeps the file when the source can give it (see
  // kept()); on anything else but Loaded it is left as it was.
  SampleFileOutcome load(const std::string& key, std::int32_t slot, const SampleSource& source);
  // Why the last Refused outcome of `key` was refused.
  SampleRefusal refusal(const std::string& key) const;
  // The decoder's words for an Unreadable outcome of `key`.
  std::string decodeError(const std::string& key) const;
  // Whether the slots of `key` keep its file.
  bool kept(const std::string& key) const;

 private:
  struct Known {
    SampleFileOutcome outcome = SampleFileOutcome::Missing;
    SampleRefusal refusal = SampleRefusal::None;
    SharedSampleData audio;  // decoded, or kept
    std::string decodeError;
  };
  Known decode(std::int32_t slot, const SampleSource& source) const;
  // Why a file of that outcome cannot play, as the kept file says it.
  std::string cannotPlay(const Known& known) const;

  SamplePool& pool_;
  std::map<std::string, Known> known_;
};

// The ending of a warning for a slot that plays silent: with "and its file
// is kept" when it is.
std::string playsSilent(bool kept);

// The warning for a slot whose file the pool refused, at path:
// "sample-too-large" for a file or a sample over its limit,
// "samples-over-budget" when the pool's budget is spent.
void reportRefusedSample(Diagnostics& diagnostics, std::string path, SampleRefusal refusal,
                         const SampleLimits& limits, bool kept);
// The warning for one that claims to unpack beyond reason:
// "asset-overpacked".
void reportOverpackedSample(Diagnostics& diagnostics, std::string path, bool kept);

}  // namespace ob
