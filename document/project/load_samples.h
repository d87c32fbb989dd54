#pragma once
// The sample files of one document load, decoded into the fresh pool: each
// file is read and decoded once however many slots name it, and held to
// the pool's limits before it is unpacked (by the size its archive entry
// declares) and before it is decoded (by its header). A file that cannot
// play is kept in its slots as it was stored, for the next save. A file
// that the pool being replaced already holds, byte for byte, is not
// decoded again: the two pools share it. No file is held whole while it is
// read. Main thread.

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
#include "document/wav/wav_pool.h"
#include "engine/pool/sample_pool.h"

namespace ob {

// What became of a slot's file.
enum class SampleFileOutcome : std::uint8_t {
  Loaded,      // the slot plays it
  Missing,     // the file could not be read (the reader said why, or the caller does)
  Unreadable,  // not audio this build reads
  Refused,     // over the pool's limits
  Overpacked,  // claims to unpack beyond reason, so it is never unpacked
  Unpackable,  // held where it cannot be unpacked or checked (see SampleSource::fault)
};

// A slot's file as its document holds it.
struct SampleSource {
  std::uint64_t declaredBytes = 0;  // 0 when none is known
  bool overpacked = false;
  // The file read front to back once, never held whole, checked on the way
  // (see ReadFileOnce), saying why it failed where fault points. Null where
  // the file is had only whole, through read.
  ReadFileOnce once;
  // The file's bytes, as a view of memory that outlives the load or of
  // scratch, or nothing when they cannot be had; asked only where once is
  // null.
  using View = std::optional<std::span<const std::uint8_t>>;
  std::function<View(std::vector<std::uint8_t>& scratch)> read;
  // Where once or read leaves why it gave nothing when the file is there
  // but cannot be had as its document holds it ("its bytes fail their
  // checksum"); null, or left empty, when it is not there at all.
  const std::string* fault = nullptr;
  // The file as stored, for a slot to keep when it cannot play, or to hold
  // as stored (see keepsPackedForm); nothing when it cannot be had. Null
  // where nothing is kept (a bundled sample).
  std::function<std::optional<KeptSampleFile>()> keep;
  // The digest a kept file would carry, so that one the pool being
  // replaced keeps can stand for it; empty when it is not known unread.
  std::string keptDigest;
  // Whether a file the pool being replaced keeps is this one as stored,
  // byte for byte: a name says nothing of bytes that cannot be checked
  // against it. Null where none can stand for it.
  std::function<bool(const KeptSampleFile& held)> keptIs;
  // Whether the file is, byte for byte, the one `same` is asked about
  // piece by piece, found without holding it whole; null when it cannot be
  // read so.
  std::function<bool(const zip::SamePiece& same)> match;
  // Reads the file's bytes where they lie, for its chunks; null when it
  // cannot.
  WavReadAt at;
  // What the load knows of the file beside its bytes (see SampleFileOrigin).
  SampleFileOrigin origin;
  // For a file its archive holds packed, the bytes it takes there; 0 for
  // one stored as it is.
  std::uint64_t packedBytes = 0;
};

class SampleFiles {
 public:
  // shareFrom, when given, is the pool the new one replaces.
  explicit SampleFiles(SamplePool& pool, const SamplePool* shareFrom = nullptr)
      : pool_(pool), shareFrom_(shareFrom) {}

  // Puts the audio of the file known as `key` into pool slot `slot`: the
  // audio already decoded for that key, what the pool being replaced holds
  // of the file, or the file's bytes from the source, read only when the
  // declared size is within the pool's file limit, the file is not
  // overpacked and, when its chunks can be read where they lie, its audio
  // is within the pool's limits. On Unreadable, Refused, Overpacked or
  // Unpackable the slot keeps the file when the source can give it (see
  // kept()); on anything else but Loaded it is left as it was.
  SampleFileOutcome load(const std::string& key, std::int32_t slot, const SampleSource& source);
  // Why the last Refused outcome of `key` was refused.
  SampleRefusal refusal(const std::string& key) const;
  // The decoder's words for an Unreadable outcome of `key`, or the
  // source's for an Unpackable one.
  std::string decodeError(const std::string& key) const;
  // Whether the slots of `key` keep its file.
  bool kept(const std::string& key) const;

 private:
  struct Known {
    SampleFileOutcome outcome = SampleFileOutcome::Missing;
    SampleRefusal refusal = SampleRefusal::None;
    SharedSampleData audio;  // decoded, or kept
    std::string decodeError;
    std::function<void()> putBack;  // see PoolDecode
  };
  static Known loadedAs(SharedSampleData audio);
  // A file that could not be had: Unpackable when the source says why,
  // else Missing.
  static Known notHad(const SampleSource& source);
  Known decode(std::int32_t slot, const SampleSource& source);
  // The same for a file read once (see SampleSource::once), of that layout
  // when it has one.
  Known decodeOnce(const std::optional<WavLayout>& layout, const std::string& notWav,
                   const SampleSource& source);
  // The same for a file had only whole.
  Known decodeWhole(std::int32_t slot, const SampleSource& source);
  // The same for a file held as its archive stores it (see keepsPackedForm).
  Known decodePacked(const WavLayout& layout, const SampleSource& source) const;
  // What a decode came to.
  static Known outcomeOf(PoolDecode decoded, const SampleSource& source);
  // Why a file of that outcome cannot play, as the kept file says it.
  std::string cannotPlay(const Known& known) const;
  // What shareFrom holds of the file: its audio, found from its bytes or a
  // piece at a time, or its file kept for the same reason; null when
  // nothing.
  SharedSampleData held(std::span<const std::uint8_t> file) const;
  SharedSampleData held(const SampleSource& source) const;
  SharedSampleData heldKept(const SampleSource& source, const std::string& why) const;
  SharedSampleData heldPacked(const SampleSource& source) const;

  SamplePool& pool_;
  const SamplePool* shareFrom_;
  std::map<std::string, Known> known_;
  SampleFileCopies copies_;  // of this load's files that their audio cannot give back
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
