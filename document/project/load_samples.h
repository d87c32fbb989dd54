#pragma once
// The sample files of one document load, decoded into the fresh pool: each
// file is read and decoded once however many slots name it, and held to
// the pool's limits before it is unpacked (by the size its archive entry
// declares) and before it is decoded (by its header). Main thread.

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
};

class SampleFiles {
 public:
  explicit SampleFiles(SamplePool& pool) : pool_(pool) {}

  // The file's bytes, or nothing when it cannot be had.
  using Read = std::function<std::optional<std::vector<std::uint8_t>>()>;

  // Puts the audio of the file known as `key` into pool slot `slot`: the
  // audio already decoded for that key, or the file's bytes from `read`,
  // asked only when the declared size (0 when none is known) is within the
  // pool's file limit. On anything but Loaded the slot is left as it was;
  // refusal() then says why for Refused.
  SampleFileOutcome load(const std::string& key, std::int32_t slot, std::uint64_t declaredBytes,
                         const Read& read);
  // Why the last Refused outcome of `key` was refused.
  SampleRefusal refusal(const std::string& key) const;
  // The decoder's words for an Unreadable outcome of `key`.
  std::string decodeError(const std::string& key) const;

 private:
  struct Known {
    SampleFileOutcome outcome = SampleFileOutcome::Missing;
    SampleRefusal refusal = SampleRefusal::None;
    SharedSampleData audio;
    std::string decodeError;
  };
  Known decode(std::int32_t slot, std::uint64_t declaredBytes, const Read& read) const;

  SamplePool& pool_;
  std::map<std::string, Known> known_;
};

// The warning for a slot whose file the pool refused, at path:
// "sample-too-large" for a file or a sample over its limit,
// "samples-over-budget" when the pool's budget is spent.
void reportRefusedSample(Diagnostics& diagnostics, std::string path, SampleRefusal refusal,
                         const SampleLimits& limits);

}  // namespace ob
