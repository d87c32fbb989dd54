#include "fuzz/session/rules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <tuple>
#include <variant>

#include "document/archive/sha256.h"
#include "document/json/json_write.h"
#include "engine/engine/engine.h"

namespace obsession {

namespace {

// What tells one sample from another without reading it all: its length,
// channels, rate and file size, and its first and last frames.
using SampleKey =
    std::tuple<std::int32_t, bool, std::uint64_t, std::uint64_t, std::vector<float>, std::string>;

SampleKey keyOf(const ob::SampleData& audio) {
  std::vector<float> ends;
  const std::size_t n = audio.left.size();
  for (std::size_t i = 0; i < std::min<std::size_t>(n, 16); ++i) ends.push_back(audio.left[i]);
  if (n > 0) ends.push_back(audio.left[n - 1]);
  if (!audio.right.empty()) ends.push_back(audio.right.back());
  std::uint64_t rate;
  std::memcpy(&rate, &audio.sampleRate, sizeof rate);
  return {audio.frames,
          audio.right.empty(),
          rate,
          audio.savedFileBytes(),
          std::move(ends),
          audio.kept() ? audio.kept()->digest + audio.kept()->ref : std::string()};
}

// The part of the sample's file that its audio does not give back.
std::uint64_t fileNeedOf(const ob::SampleData& audio) {
  if (const auto* packed = std::get_if<ob::StoredSampleFile>(&audio.file)) return packed->stored.size();
  if (const auto* rebuilt = std::get_if<ob::RebuiltSampleFile>(&audio.file))
    return rebuilt->head.size() + rebuilt->tail.size();
  return audio.kept() ? audio.kept()->stored.size() : audio.savedFileBytes();
}

}  // namespace

Need needOf(const ob::SamplePool& pool, const ob::KeptDocument& kept) {
  Need need;
  std::set<SampleKey> seen;
  for (const auto& slot : pool.slots) {
    if (!slot || !slot->data || !seen.insert(keyOf(*slot->data)).second) continue;
    need.audio += (slot->data->left.size() + slot->data->right.size()) * sizeof(float);
    need.files += fileNeedOf(*slot->data);
  }
  for (const auto& entries : {&kept.keptEntries, &kept.packedSampleFiles})
    for (const ob::zip::StoredEntry& entry : *entries) need.kept += entry.payload.size();
  for (const ob::JsonValue* text : {&kept.loadedDocument, &kept.loadedAudition})
    if (!text->isNull()) need.kept += ob::jsonTextSize(*text, true);
  return need;
}

namespace {

// One engine renders every project: made and prepared once, before any
// session measures what it holds, and prepared again before each render as
// a host's reset prepares one, which starts its players from nothing at the
// rate their memory was sized for. A new engine a render took a third of
// an input's time, clearing the players' buffers.
constexpr double kRenderRate = 48000.0;
constexpr int kRenderBlock = 256;
constexpr int kRenderBlocks = 32;  // a sixth of a second at 48 kHz: every hit begins

ob::Engine& renderEngine() {
  static const std::unique_ptr<ob::Engine> engine = [] {
    auto made = std::make_unique<ob::Engine>();
    made->prepare(kRenderRate, kRenderBlock);
    return made;
  }();
  return *engine;
}

}  // namespace

void prepareRenders() { renderEngine(); }

std::vector<float> renderOf(const ob::Project& project, const ob::SamplePool& pool) {
  ob::Engine& engine = renderEngine();
  engine.prepare(kRenderRate, kRenderBlock);
  engine.reset();
  engine.drainRetired();
  ob::SampleSetHandshake& handshake = engine.sampleSet();
  const int record = handshake.freeRecord(handshake.known());
  if (record < 0) {
    // Else both renders would be silent and alike.
    std::fprintf(stderr, "session: the render engine has no free sample record\n");
    std::abort();
  }
  ob::SamplePoolSnapshot& snapshot = handshake.records[record];
  ob::SamplePool::resetInfo(snapshot);
  for (int i = 0; i < std::min<int>(pool.slotCount(), ob::kSamplePoolSlots); ++i) {
    const ob::SamplePoolSlot* slot = pool.slots[i].get();
    if (slot == nullptr || slot->frames < 1) continue;
    const ob::SampleSlot& entry = project.samples.slots[i];
    const int slices = std::min<int>(entry.sliceCount, ob::kSnapshotMaxSlices);
    std::copy(entry.slices, entry.slices + slices, snapshot.sliceData[i]);
    snapshot.slots[i] = {slot->left.data(),
                         slot->frames,
                         slot->sampleRate,
                         slices > 0 ? snapshot.sliceData[i] : nullptr,
                         slices,
                         slot->right.empty() ? nullptr : slot->right.data(),
                         slot->peak};
  }
  handshake.publish(record);
  engine.loadProject(project);
  for (int t = 0; t < ob::kMaxTracks; ++t) {
    ob::Trigger hit;
    hit.track = static_cast<std::uint8_t>(t);
    hit.gain = 0.8f;
    engine.queueTrigger(hit);
  }
  ob::RenderInfo info;
  info.playing = info.clockRunning = info.internalPlay = 1;
  std::vector<float> stems(16 * kRenderBlock);
  float* channels[16];
  for (int c = 0; c < 16; ++c) channels[c] = stems.data() + c * kRenderBlock;
  std::vector<float> out;
  out.reserve(2 * kRenderBlock * kRenderBlocks);
  for (int b = 0; b < kRenderBlocks; ++b) {
    engine.processBlock(channels, 8, kRenderBlock, info);
    for (int i = 0; i < kRenderBlock; ++i)
      for (int side = 0; side < 2; ++side) {
        float sum = 0.0f;
        for (int t = 0; t < ob::kMaxTracks; ++t) sum += channels[2 * t + side][i];
        out.push_back(sum);
      }
  }
  return out;
}

std::optional<std::string> digestOfFile(const std::filesystem::path& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return std::nullopt;
  ob::Sha256 hash;
  std::vector<std::uint8_t> piece(1u << 16);
  for (std::size_t n; (n = std::fread(piece.data(), 1, piece.size(), f)) > 0;) hash.add(piece.data(), n);
  std::fclose(f);
  return hash.hex();
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  FILE* f = error ? nullptr : std::fopen(path.c_str(), "rb");
  if (f == nullptr) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);
  return bytes;
}

bool isUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    int follow = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (follow < 0 || i + static_cast<std::size_t>(follow) >= text.size()) return false;
    std::uint32_t point = follow == 0 ? c : c & (0x3F >> follow);
    for (int k = 1; k <= follow; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      point = (point << 6) | (next & 0x3F);
    }
    const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (point < least[follow] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(follow) + 1;
  }
  return true;
}

}  // namespace obsession
