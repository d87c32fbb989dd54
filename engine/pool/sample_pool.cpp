#include "engine/pool/sample_pool.h"

#include <algorithm>
#include <cmath>

#include "engine/model/project.h"
#include "engine/pool/sample_limits.h"

namespace ob {

namespace {

// A fresh slot for the audio. Non-finite samples become silence and the
// rest are held within the sample limit: no damage reaches the voices.
std::unique_ptr<SamplePoolSlot> makeSlot(SampleAudio audio) {
  auto slot = std::make_unique<SamplePoolSlot>();
  std::size_t frames = audio.left.size();
  if (!audio.right.empty()) frames = std::min(frames, audio.right.size());
  audio.left.resize(frames);
  if (!audio.right.empty()) audio.right.resize(frames);
  const auto playable = [](float x) {
    return std::isfinite(x) ? std::clamp(x, -kMaxSampleMagnitude, kMaxSampleMagnitude) : 0.0f;
  };
  for (float& x : audio.left) x = playable(x);
  for (float& x : audio.right) x = playable(x);
  slot->left = std::move(audio.left);
  slot->right = std::move(audio.right);
  slot->sampleRate = audio.sampleRate > 0.0 && std::isfinite(audio.sampleRate) ? audio.sampleRate : 44100.0;
  slot->frames = static_cast<std::int32_t>(frames);
  slot->peak = SamplePool::peakOf(*slot);
  slot->bytes = std::move(audio.bytes);
  return slot;
}

}  // namespace

SamplePool& SamplePool::operator=(SamplePool&& other) {
  if (this == &other) return *this;
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

std::int32_t SamplePool::append(SampleAudio audio) {
  slots.push_back(makeSlot(std::move(audio)));
  return static_cast<std::int32_t>(slots.size()) - 1;
}

std::int32_t SamplePool::replaceSlot(std::uint32_t index, SampleAudio audio, std::string* error) {
  if (index >= static_cast<std::uint32_t>(kSamplePoolSlots)) {
    if (error) *error = "sample slot index out of range";
    return -1;
  }
  const auto i = static_cast<std::int32_t>(index);
  slot(i);
  install(i, makeSlot(std::move(audio)));
  return i;
}

bool SamplePool::replaceAudio(std::int32_t index, SampleAudio audio) {
  SamplePoolSlot* existing = slot(index);
  if (!existing) return false;
  auto fresh = makeSlot(std::move(audio));
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
