#pragma once
// The sample files of one document load, decoded into the fresh pool: each
// file is read and decoded once however many slots name it, and held to
// the pool's limits before it is unpacked (by the size its archive entry
// declares) and before it is decoded (by its header). A file that the pool
// being replaced already holds, byte for byte, is not decoded again: the
// two pools share its audio. Main thread.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/diagnostics.h"
#include "document/package/package.h"
#include "document/wav/wav.h"
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
  // shareFrom, when given, is the pool the new one replaces.
  explicit SampleFiles(SamplePool& pool, const SamplePool* shareFrom = nullptr)
      : pool_(pool), shareFrom_(shareFrom) {}

  // The file's bytes, as a view of memory that outlives the load or of
  // scratch, or nothing when they cannot be had.
  using View = std::optional<std::span<const std::uint8_t>>;
  using Read = std::function<View(std::vector<std::uint8_t>& scratch)>;
  // Whether the file is, byte for byte, the one `same` is asked about
  // piece by piece, found without holding the file whole; false when it
  // differs or cannot be read that way.
  using SamePiece = PackageReader::SamePiece;
  using Match = std::function<bool(const SamePiece& same)>;

  // A sample file as a document holds it: its declared size (0 when none
  // is known) and the ways it can be read.
  struct File {
    std::uint64_t declaredBytes = 0;
    Read read;          // whole
    Match match = {};   // a piece at a time, when it can be
    WavReadAt at = {};  // where its bytes lie, when they can be read so
  };

  // Puts the audio of the file known as `key` into pool slot `slot`: the
  // audio already decoded for that key, audio of the pool being replaced
  // that the file is found to be, or the file's bytes read whole. A file
  // over the pool's limits is refused before it is read, by its declared
  // size and, when its chunks can be read where they lie, by what its audio
  // decodes to. On anything but Loaded the slot is left as it was;
  // refusal() then says why for Refused.
  SampleFileOutcome load(const std::string& key, std::int32_t slot, const File& file);
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
  Known decode(std::int32_t slot, const File& file) const;
  // The audio shareFrom holds for exactly this file, or null.
  SharedSampleData held(std::span<const std::uint8_t> file) const;
  SharedSampleData held(std::uint64_t size, const Match& match) const;

  SamplePool& pool_;
  const SamplePool* shareFrom_;
  std::map<std::string, Known> known_;
};

// The warning for a slot whose file the pool refused, at path:
// "sample-too-large" for a file or a sample over its limit,
// "samples-over-budget" when the pool's budget is spent.
void reportRefusedSample(Diagnostics& diagnostics, std::string path, SampleRefusal refusal,
                         const SampleLimits& limits);

}  // namespace ob
