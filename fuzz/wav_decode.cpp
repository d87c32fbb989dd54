// Decoder must never crash or read out of bounds; what it decodes must be
// consistent, finite and within the sample limit, the same when read once
// front to back a piece at a time, and survive an encode and decode
// unchanged; and what the pool holds of the file, rebuilt from its audio or
// not, must give the file back byte for byte, as must the audio of what a
// decode passes for a held state to give back.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/wav/wav.h"
#include "document/wav/wav_pool.h"
#include "engine/pool/sample_limits.h"

namespace {

// Decoded from a copy whose bytes read as zeros once the decode passes them,
// as a held state gives them back: what it did not put back is what its
// audio codes back to, and nothing is read after it was passed.
void passedBytesComeBack(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> given(data, data + size);
  const ob::WavBytesAt write = [&](std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    std::memcpy(given.data() + offset, bytes.data(), bytes.size());
  };
  const ob::WavPassing passing{
      [&](std::uint64_t offset, std::uint64_t count) { std::memset(given.data() + offset, 0, count); },
      write};
  const ob::WavReadAt read = [&](std::uint64_t offset, std::uint8_t* out, std::size_t count) {
    if (offset > size || count > size - offset) return false;
    std::memcpy(out, given.data() + offset, count);
    return true;
  };
  const std::optional<ob::WavLayout> layout = ob::wavLayout(size, read);
  ob::DecodedWav wav, whole;
  if (!layout) return;
  const bool decoded = ob::decodeWavAudio(*layout, read, wav, nullptr, &passing);
  if (decoded != ob::decodeWav(data, size, whole) || (decoded && wav.left != whole.left)) std::abort();
  if (decoded && wav.givesBack)
    ob::codeFramesAgain(wav.coding, wav.left, wav.right, wav.audioOffset, wav.left.size(), write);
  if (std::memcmp(given.data(), data, size) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  passedBytesComeBack(data, size);
  ob::DecodedWav wav;
  std::string error;
  if (!ob::decodeWav(data, size, wav, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  const std::size_t frames = static_cast<std::size_t>(wav.frames);
  if (wav.frames < 0 || wav.left.size() != frames) std::abort();
  if (!wav.right.empty() && wav.right.size() != frames) std::abort();
  if (!(wav.sampleRate >= 1.0)) std::abort();
  float largest = 0.0f;
  for (const std::vector<float>* channel : {&wav.left, &wav.right})
    for (float x : *channel) {
      if (!(std::fabs(x) <= ob::kMaxSampleMagnitude)) std::abort();
      largest = std::max(largest, std::fabs(x));
    }
  if (wav.peak != largest) std::abort();

  // As a deflated entry is read: front to back, never more than a piece.
  std::uint64_t next = 0;
  const ob::WavReadAt forward = [&](std::uint64_t offset, std::uint8_t* out, std::size_t count) {
    if (offset < next || count > ob::kWavReadPiece || offset > size || count > size - offset) return false;
    std::memcpy(out, data + offset, count);
    next = offset + count;
    return true;
  };
  const ob::WavReadAt anywhere = [&](std::uint64_t offset, std::uint8_t* out, std::size_t count) {
    if (offset > size || count > size - offset) return false;
    std::memcpy(out, data + offset, count);
    return true;
  };
  const std::optional<ob::WavLayout> layout = ob::wavLayout(size, anywhere);
  ob::DecodedWav once;
  if (!layout || !ob::decodeWavAudio(*layout, forward, once)) std::abort();
  if (once.frames != wav.frames || once.left != wav.left || once.right != wav.right ||
      once.audioOffset != wav.audioOffset || once.coding != wav.coding)
    std::abort();

  const float* right = wav.right.empty() ? nullptr : wav.right.data();
  const auto bytes = ob::encodeWav(wav.left.data(), right, wav.frames, wav.sampleRate);
  ob::DecodedWav back;
  if (!ob::decodeWav(bytes.data(), bytes.size(), back, &error)) std::abort();
  if (back.frames != wav.frames || back.sampleRate != wav.sampleRate) std::abort();
  if (back.right.size() != wav.right.size()) std::abort();
  if (frames && std::memcmp(back.left.data(), wav.left.data(), frames * sizeof(float)) != 0) std::abort();
  if (right && std::memcmp(back.right.data(), right, frames * sizeof(float)) != 0) std::abort();

  const std::span<const std::uint8_t> file(data, size);
  const ob::PoolDecode held = ob::decodeForPool(ob::SamplePool{}, -1, file);
  if (held.audio && !ob::isFileOf(file, *held.audio)) std::abort();
  return 0;
}
