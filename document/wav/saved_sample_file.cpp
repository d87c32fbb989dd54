#include "document/wav/saved_sample_file.h"

#include <algorithm>
#include <cstring>
#include <variant>

#include "document/archive/sha256.h"
#include "document/wav/sample_encoding.h"
#include "document/wav/wav.h"

namespace ob {

namespace {

std::uint64_t audioBytesOf(const RebuiltSampleFile& file, std::span<const float> left,
                           std::span<const float> right) {
  return left.size() * (right.empty() ? 1u : 2u) * std::uint64_t(codedSampleBytes(file.coding));
}

// What encodeWav writes for audio of that many frames, as a file rebuilt
// from it.
RebuiltSampleFile encodedWavFile(std::uint32_t channels, std::int32_t frames, double sampleRate) {
  const std::uint64_t count = frames > 0 ? static_cast<std::uint64_t>(frames) : 0;
  return {encodeWavHeader(channels, count, sampleRate), {}, SampleCoding::Float32, {}};
}

}  // namespace

bool rebuiltWavPart(const RebuiltSampleFile& file, std::span<const float> left, std::span<const float> right,
                    std::uint64_t offset, std::span<std::uint8_t> out) {
  const std::uint64_t head = file.head.size();
  const std::uint64_t audio = audioBytesOf(file, left, right);
  const std::uint64_t size = head + audio + file.tail.size();
  if (offset > size || out.size() > size - offset) return false;
  std::size_t i = 0;
  for (; i < out.size() && offset + i < head; ++i) out[i] = file.head[static_cast<std::size_t>(offset + i)];
  const std::uint32_t sampleBytes = codedSampleBytes(file.coding);
  for (std::uint64_t at = offset + i - head; i < out.size() && at < audio;) {
    const std::uint64_t sample = at / sampleBytes;
    const auto from = static_cast<std::uint32_t>(at % sampleBytes);
    const std::size_t whole =
        std::min<std::uint64_t>((out.size() - i) / sampleBytes, (audio - at) / sampleBytes);
    std::size_t n = 0;
    if (from == 0 && whole > 0) {
      encodeSamplesAs(file.coding, left, right, sample, whole, out.data() + i);
      n = whole * sampleBytes;
    } else {  // a sample the piece's edge cuts
      std::uint8_t coded[8];
      encodeSamplesAs(file.coding, left, right, sample, 1, coded);
      n = std::min<std::size_t>(sampleBytes - from, out.size() - i);
      std::memcpy(out.data() + i, coded + from, n);
    }
    i += n;
    at += n;
  }
  for (; i < out.size(); ++i) out[i] = file.tail[static_cast<std::size_t>(offset + i - head - audio)];
  return true;
}

bool sampleFileBytes(const SampleData& audio, std::uint64_t offset, std::span<std::uint8_t> out) {
  const std::uint64_t size = audio.savedFileBytes();
  if (offset > size || out.size() > size - offset) return false;
  const std::span<const float> right(audio.right);
  return std::visit(
      ForEachForm{
          [&](const MadeSampleFile&) {
            return audio.frames > 0 &&
                   rebuiltWavPart(encodedWavFile(right.empty() ? 1 : 2, audio.frames, audio.sampleRate),
                                  audio.left, right, offset, out);
          },
          [&](const HeldSampleFile& held) {
            std::copy_n(held.bytes.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
            return true;
          },
          [&](const RebuiltSampleFile& rebuilt) {
            return rebuiltWavPart(rebuilt, audio.left, right, offset, out);
          },
          [&](const ReadAgainFile& again) { return again.place->read(offset, out.data(), out.size()); },
          [](const StoredSampleFile&) { return false; },
          [](const KeptSampleFile&) { return false; },
      },
      audio.file);
}

bool isFileOf(std::span<const std::uint8_t> file, const SampleData& audio) {
  if (const auto* packed = std::get_if<StoredSampleFile>(&audio.file))
    return file.size() == packed->size && sha256Hex(file.data(), file.size()) == packed->digest;
  if (file.size() != audio.savedFileBytes()) return false;
  constexpr std::size_t kPiece = 65536;
  std::vector<std::uint8_t> scratch;
  for (std::size_t at = 0; at < file.size(); at += kPiece)
    if (!fileHolds(audio, at, file.subspan(at, std::min(kPiece, file.size() - at)), scratch)) return false;
  return !file.empty() || sampleFileBytes(audio, 0, {});
}

bool fileHolds(const SampleData& audio, std::uint64_t offset, std::span<const std::uint8_t> piece,
               std::vector<std::uint8_t>& scratch) {
  if (const auto* held = std::get_if<HeldSampleFile>(&audio.file)) {
    const std::span<const std::uint8_t> file(held->bytes);
    return offset <= file.size() && piece.size() <= file.size() - offset &&
           std::ranges::equal(piece, file.subspan(static_cast<std::size_t>(offset), piece.size()));
  }
  scratch.resize(piece.size());
  return sampleFileBytes(audio, offset, scratch) && std::ranges::equal(piece, scratch);
}

}  // namespace ob
