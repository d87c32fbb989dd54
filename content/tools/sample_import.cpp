#include "content/tools/sample_import.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "content/tools/pool_rollback.h"
#include "content/tools/utf8_fit.h"
#include "document/reading/regular_file.h"
#include "document/wav/wav.h"
#include "document/wav/wav_pool.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"

namespace ob {

namespace {

std::int32_t fail(std::string* error, std::string why) {
  if (error) *error = std::move(why);
  return -1;
}

// The file's bytes, or why there are none. Anything but a regular file is
// refused without waiting on it, a file over the cap without reading it, and
// a file that does not open like a WAV file after its first bytes.
std::optional<std::string> readWavFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out) {
  std::string notWav;
  const FileHeaderCheck header{kWavTagBytes, [&notWav](const std::uint8_t* data, std::size_t count) {
                                 return opensAsWav(data, count, &notWav);
                               }};
  switch (readRegularFile(path, out, kMaxWavFileBytes, header)) {
    case FileReadStatus::Read: return std::nullopt;
    case FileReadStatus::Missing:
    case FileReadStatus::Forbidden:
    case FileReadStatus::CannotOpen: return "cannot open the file";
    case FileReadStatus::NotARegularFile: return "not a regular file";
    case FileReadStatus::TooLarge:
      return "the file is larger than " + std::to_string(kMaxWavFileBytes >> 20) +
             " MiB, the most a sample may be";
    case FileReadStatus::RefusedHeader: return notWav;
    case FileReadStatus::ReadFailed: break;
  }
  return "cannot read the file";
}

}  // namespace

std::string_view fileNamePart(std::string_view path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::int32_t importWavFile(SamplePool& pool, Project& project, const std::filesystem::path& path,
                           std::string* error) {
  // Checked first so that a full pool never takes in audio the sample table
  // has no row for.
  if (pool.slotCount() >= kSampleSlots) return fail(error, "the sample pool is full");

  std::vector<std::uint8_t> bytes;
  if (std::optional<std::string> why = readWavFile(path, bytes)) return fail(error, std::move(*why));

  std::string decodeError;
  std::optional<SampleAudio> audio = decodeSampleAudio(std::move(bytes), &decodeError);
  if (!audio) return fail(error, decodeError.empty() ? "not a readable WAV" : decodeError);
  // A data chunk without one whole frame decodes, but would make a slot that
  // never sounds and that every page takes for empty. Documents still carry
  // such a sample through as written; only a new import refuses it.
  if (audio->left.empty()) return fail(error, "the file holds no audio");
  const std::int32_t slot = pool.append(std::move(*audio));
  if (slot >= kSampleSlots) {
    dropUnpublishedSlot(pool, slot);
    return fail(error, "the sample pool is full");
  }

  const std::u8string utf8 = path.u8string();
  const std::string_view full(reinterpret_cast<const char*>(utf8.data()), utf8.size());
  SampleSlot record{};
  copyText(record.name, std::string(utf8Prefix(fileNamePart(full), sizeof record.name - 1)).c_str());
  project.samples.slots[slot] = record;
  if (project.samples.count < slot + 1) project.samples.count = static_cast<std::uint8_t>(slot + 1);
  return slot;
}

}  // namespace ob
