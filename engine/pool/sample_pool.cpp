#include "engine/pool/sample_pool.h"

#include <algorithm>
#include <cmath>

#include "document/wav/wav.h"
#include "engine/model/project.h"

namespace ob {

namespace {

// Decodes into a fresh slot. Non-finite samples (only a damaged float file
// holds them) become silence so they never reach the voices.
std::unique_ptr<SamplePoolSlot> decodeSlot(const std::vector<std::uint8_t>& bytes,
                                           std::string* error) {
  DecodedWav wav;
  if (!decodeWav(bytes.data(), bytes.size(), wav, error)) return nullptr;
  auto slot = std::make_unique<SamplePoolSlot>();
  std::size_t frames = std::min<std::size_t>(wav.left.size(), std::max(wav.frames, 0));
  if (!wav.right.empty()) frames = std::min(frames, wav.right.size());
  wav.left.resize(frames);
  if (!wav.right.empty()) wav.right.resize(frames);
  for (float& x : wav.left)
    if (!std::isfinite(x)) x = 0.0f;
  for (float& x : wav.right)
    if (!std::isfinite(x)) x = 0.0f;
  slot->left = std::move(wav.left);
  slot->right = std::move(wav.right);
  slot->sampleRate = wav.sampleRate > 0.0 && std::isfinite(wav.sampleRate) ? wav.sampleRate : 44100.0;
  slot->frames = static_cast<std::int32_t>(frames);
  slot->peak = SamplePool::peakOf(*slot);
  return slot;
}

}  // namespace

SamplePool& SamplePool::operator=(SamplePool&& other) {
  if (this == &other) return *this;
  loadedDocument = std::move(other.loadedDocument);
  foreignMembers = std::move(other.foreignMembers);
  keptEntries = std::move(other.keptEntries);
  adoptSlots(std::move(other.slots));
  other.slots.clear();
  for (auto& d : other.displaced_) displace(std::move(d));
  other.displaced_.clear();
  return *this;
}

// A slot without frames is never published, so only slots with audio need
// to outlive their replacement.
void SamplePool::displace(std::unique_ptr<SamplePoolSlot> old) {
  if (old && old->frames > 0) displaced_.push_back(std::move(old));
}

void SamplePool::adoptSlots(std::vector<std::unique_ptr<SamplePoolSlot>> fresh) {
  for (auto& s : slots) displace(std::move(s));
  slots = std::move(fresh);
}

std::vector<std::unique_ptr<SamplePoolSlot>> SamplePool::takeDisplaced() {
  std::vector<std::unique_ptr<SamplePoolSlot>> out;
  out.swap(displaced_);
  return out;
}

void SamplePool::install(std::int32_t index, std::unique_ptr<SamplePoolSlot> fresh) {
  displace(std::move(slots[index]));
  slots[index] = std::move(fresh);
}

std::int32_t SamplePool::loadWav(std::vector<std::uint8_t> bytes, std::string* error) {
  auto fresh = decodeSlot(bytes, error);
  if (!fresh) return -1;
  fresh->bytes = std::move(bytes);
  slots.push_back(std::move(fresh));
  return static_cast<std::int32_t>(slots.size()) - 1;
}

std::int32_t SamplePool::replaceSlot(std::uint32_t index, std::vector<std::uint8_t> bytes,
                                     std::string* error) {
  if (index >= static_cast<std::uint32_t>(kSamplePoolSlots)) {
    if (error) *error = "sample slot index out of range";
    return -1;
  }
  auto fresh = decodeSlot(bytes, error);
  if (!fresh) return -1;
  fresh->bytes = std::move(bytes);
  const auto i = static_cast<std::int32_t>(index);
  slot(i);
  install(i, std::move(fresh));
  return i;
}

bool SamplePool::addDecoded(std::int32_t index, const std::vector<std::uint8_t>& bytes) {
  SamplePoolSlot* existing = slot(index);
  if (!existing) return false;
  auto fresh = decodeSlot(bytes, nullptr);
  if (!fresh) return false;
  fresh->bytes = bytes;
  fresh->slices = existing->slices;
  install(index, std::move(fresh));
  return true;
}

SamplePoolSlot* SamplePool::slot(std::int32_t index) {
  if (index < 0 || index >= kSamplePoolSlots) return nullptr;
  while (static_cast<std::int32_t>(slots.size()) <= index)
    slots.push_back(std::make_unique<SamplePoolSlot>());
  if (!slots[index]) slots[index] = std::make_unique<SamplePoolSlot>();
  return slots[index].get();
}

float SamplePool::peakOf(const SamplePoolSlot& slot) {
  float peak = 0.0f;
  for (float x : slot.left) peak = std::max(peak, std::fabs(x));
  for (float x : slot.right) peak = std::max(peak, std::fabs(x));
  return peak > 0.0f ? peak : 1.0f;
}

void SamplePool::resetInfo(SamplePoolSnapshot& out) {
  for (SampleSlotInfo& info : out.slots) info = SampleSlotInfo{};
}

std::int32_t SamplePool::snapshot(SamplePoolSnapshot& out, const SampleSlotTable& table) {
  resetInfo(out);
  const int n = std::min<int>(static_cast<int>(slots.size()), kSamplePoolSlots);
  for (int i = 0; i < n; ++i) {
    SamplePoolSlot* s = slots[i].get();
    if (!s || s->frames < 1) continue;
    const SampleSlot& entry = table.slots[i];
    const int count = std::min<int>(entry.sliceCount, kSnapshotMaxSlices);
    s->slices.assign(entry.slices, entry.slices + count);
    // The snapshot keeps its own copy: a reader of another snapshot may still
    // be walking the previous positions.
    std::copy(entry.slices, entry.slices + count, out.sliceData[i]);
    SampleSlotInfo& info = out.slots[i];
    info.left = s->left.data();
    info.frames = s->frames;
    info.sampleRate = s->sampleRate;
    info.slices = count > 0 ? out.sliceData[i] : nullptr;
    info.sliceCount = count;
    info.right = s->right.empty() ? nullptr : s->right.data();
    info.peak = s->peak;
  }
  return static_cast<std::int32_t>(slots.size());
}

}  // namespace ob
