#include "content/tools/sample_import.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "content/tools/pool_rollback.h"
#include "content/tools/utf8_fit.h"
#include "document/archive/sha256.h"
#include "document/package/unpack_limits.h"
#include "document/reading/regular_file.h"
#include "document/wav/wav.h"
#include "document/wav/wav_pool.h"
#include "engine/model/project.h"
#include "engine/pool/sample_limits.h"
#include "engine/pool/sample_pool.h"

namespace ob {

namespace {

std::int32_t fail(std::string* error, std::string why) {
  if (error) *error = std::move(why);
  return -1;
}

// The file opened, or why not. Anything but a regular file is refused
// without waiting on it, a file the pool would not take (over its file
// limit, or past what a saved project holds with the files it has) before
// it is read, and a file that does not open like a WAV file after its
// first bytes.
std::optional<std::string> openWavFile(const SamplePool& pool, const std::filesystem::path& path,
                                       RegularFile& file) {
  std::string notWav;
  const FileHeaderCheck header{kWavTagBytes, [&notWav](const std::uint8_t* data, std::size_t count) {
                                 return opensAsWav(data, count, &notWav);
                               }};
  switch (file.open(path, pool.limits().sampleFileBytes, header)) {
    case FileReadStatus::Read: break;
    case FileReadStatus::Missing:
    case FileReadStatus::Forbidden:
    case FileReadStatus::CannotOpen: return "cannot open the file";
    case FileReadStatus::NotARegularFile: return "not a regular file";
    case FileReadStatus::TooLarge: return sampleRefusalText(SampleRefusal::FileTooLarge, pool.limits());
    case FileReadStatus::RefusedHeader: return notWav;
    case FileReadStatus::ReadFailed: return "cannot read the file";
  }
  if (const SampleRefusal refusal = pool.refusalForNewFile(file.size()); refusal != SampleRefusal::None)
    return sampleRefusalText(refusal, pool.limits());
  return std::nullopt;
}

// Whether a slot keeps, unplayed, a file or reference a load could not
// play (see KeptSampleFile).
bool keepsAFile(const SamplePool& pool) {
  for (const auto& slot : pool.slots)
    if (slot && slot->data && slot->data->kept()) return true;
  return false;
}

// Whether a kept reference names the file of this digest: "asset:" and its
// digits in either case, whatever kept it from playing (a load follows only
// lower-case ones).
bool namesTheFile(std::string_view ref, std::string_view digest) {
  constexpr std::string_view kAsset = "asset:";
  if (!ref.starts_with(kAsset) || ref.size() != kAsset.size() + digest.size()) return false;
  return std::equal(digest.begin(), digest.end(), ref.begin() + kAsset.size(), [](char d, char r) {
    return d == static_cast<char>(std::tolower(static_cast<unsigned char>(r)));
  });
}

// Whether a slot keeps this very file unplayed: its reference names the
// file's digest, or the load read the bytes it keeps and they are the
// file's.
bool keepsTheFile(const KeptSampleFile& kept, const std::string& digest) {
  return namesTheFile(kept.ref, digest) || kept.bytesDigest == digest;
}

// Whether what a slot kept goes with the import: only a reference, or a
// file of the import's name, whose bytes the import's replace in a save.
bool goesWithTheImport(const KeptSampleFile& kept, const std::string& digest) {
  return kept.digest.empty() || kept.digest == digest;
}

// A file a slot kept under a name other than the import's digest, which no
// save writes once the slot plays the import, goes beside the project's
// other entries as it was stored, its bytes shared rather than copied, or
// is named as dropped past their budget.
void keepBeside(const KeptSampleFile& kept, EntriesBeside& beside) {
  zip::StoredEntry entry{"assets/" + kept.digest, kept.stored,
                         zip::PackedForm{kept.method, kept.flags, kept.crc, std::uint32_t(kept.size)}};
  if (fitsAfterKept(beside.entries, entry))
    beside.entries.push_back(std::move(entry));
  else
    beside.dropped.push_back(std::move(entry.name));
}

// Every slot that keeps the file of this digest unplayed plays the imported
// one: its bytes are what the reference names, or what it kept, so the
// save writes them under their digest, and a load plays them again. A slot
// whose file would be lost so keeps it where there is no place beside.
void answerKeptSlots(SamplePool& pool, std::int32_t imported, const std::string& digest,
                     EntriesBeside* beside) {
  const SharedSampleData audio = pool.slots[static_cast<std::size_t>(imported)]->data;
  std::vector<SharedSampleData> setAside;  // each once, however many slots shared it
  for (std::int32_t i = 0; i < pool.slotCount(); ++i) {
    const SharedSampleData held =
        pool.slots[static_cast<std::size_t>(i)] ? pool.slots[static_cast<std::size_t>(i)]->data : nullptr;
    if (!held || !held->kept() || !keepsTheFile(*held->kept(), digest)) continue;
    if (!goesWithTheImport(*held->kept(), digest)) {
      if (beside == nullptr) continue;
      if (std::find(setAside.begin(), setAside.end(), held) == setAside.end()) setAside.push_back(held);
    }
    pool.replaceAudio(i, audio);
  }
  for (const SharedSampleData& held : setAside) keepBeside(*held->kept(), *beside);
}

constexpr std::size_t kComparedPiece = std::size_t(1) << 16;

// Whether a sample's file holds the bytes of the file being imported.
bool holdsTheFile(const SampleData& held, const RegularFile& file) {
  if (held.kept() || held.frames < 1 || held.savedFileBytes() != file.size()) return false;
  std::vector<std::uint8_t> x(kComparedPiece), y(kComparedPiece);
  for (std::uint64_t at = 0; at < file.size(); at += kComparedPiece) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kComparedPiece, file.size() - at));
    if (!file.read(at, x.data(), n) || !sampleFileBytes(held, at, std::span(y.data(), n)) ||
        !std::equal(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n), y.begin()))
      return false;
  }
  return true;
}

// A sample a slot already plays from the very same file: the import of it
// again plays that one, as a load of the save (which writes the file once)
// would, rather than decoding and holding a second copy.
SharedSampleData sameFileHeld(const SamplePool& pool, const RegularFile& file) {
  for (const auto& slot : pool.slots)
    if (slot && slot->data && holdsTheFile(*slot->data, file)) return slot->data;
  return nullptr;
}

std::string digestOf(const RegularFile& file) {
  Sha256 hash;
  std::vector<std::uint8_t> piece(kComparedPiece);
  for (std::uint64_t at = 0; at < file.size(); at += kComparedPiece) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kComparedPiece, file.size() - at));
    if (!file.read(at, piece.data(), n)) return {};
    hash.add(piece.data(), n);
  }
  return hash.hex();
}

}  // namespace

std::string_view fileNamePart(std::string_view path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::int32_t importWavFile(SamplePool& pool, Project& project, const std::filesystem::path& path,
                           std::string* error, EntriesBeside* beside) {
  // Checked first so that a full pool never takes in audio the sample table
  // has no row for.
  if (pool.slotCount() >= kSampleSlots) return fail(error, "the sample pool is full");

  // Read where it lies while it is decoded, never whole.
  RegularFile file;
  if (std::optional<std::string> why = openWavFile(pool, path, file)) return fail(error, std::move(*why));

  // Hashed, as it is read, only when a slot may keep this very file.
  const bool keeps = keepsAFile(pool);
  SharedSampleData audio = sameFileHeld(pool, file);
  std::string digest = audio && keeps ? digestOf(file) : std::string();
  if (!audio) {
    PoolDecode decoded = decodeForPool(pool, -1, file, nullptr, keeps);
    digest = std::move(decoded.digest);
    if (!decoded.audio) return fail(error, decoded.error.empty() ? "not a readable WAV" : decoded.error);
    // A data chunk without one whole frame decodes, but would make a slot
    // that never sounds and that every page takes for empty. Documents
    // still carry such a sample through as written; only a new import
    // refuses it.
    if (decoded.audio->frames < 1) return fail(error, "the file holds no audio");
    audio = std::move(decoded.audio);
  }
  SampleRefusal refusal = SampleRefusal::None;
  const std::int32_t slot = pool.append(std::move(audio), &refusal);
  if (slot < 0) return fail(error, sampleRefusalText(refusal, pool.limits()));
  if (slot >= kSampleSlots) {
    dropUnpublishedSlot(pool, slot);
    return fail(error, "the sample pool is full");
  }

  const std::u8string utf8 = path.u8string();
  const std::string_view full(reinterpret_cast<const char*>(utf8.data()), utf8.size());
  SampleSlot record{};
  // A file's name is bytes; what of it is not UTF-8 reads as U+FFFD, as a
  // save would write it.
  copyText(record.name, mendedUtf8(fileNamePart(full)).c_str());
  project.samples.slots[slot] = record;
  if (project.samples.count < slot + 1) project.samples.count = static_cast<std::uint8_t>(slot + 1);
  if (!digest.empty()) answerKeptSlots(pool, slot, digest, beside);
  return slot;
}

}  // namespace ob
