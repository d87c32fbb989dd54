#include "content/tools/sample_import.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "content/tools/pool_rollback.h"
#include "content/tools/utf8_fit.h"
#include "document/wav/wav_pool.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"

namespace ob {

namespace {

std::int32_t fail(std::string* error, std::string why) {
  if (error) *error = std::move(why);
  return -1;
}

bool readWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
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
  if (!readWholeFile(path, bytes)) return fail(error, "cannot open the file");

  std::string decodeError;
  const std::int32_t slot = loadWav(pool, std::move(bytes), &decodeError);
  if (slot < 0) return fail(error, decodeError.empty() ? "not a readable WAV" : decodeError);
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
