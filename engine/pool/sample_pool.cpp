#include "engine/pool/sample_pool.h"

#include <algorithm>
#include <utility>

#include "engine/model/project.h"
#include "engine/pool/sample_limits.h"

namespace ob {

SamplePoolSlot::SamplePoolSlot(SharedSampleData audio) : data(std::move(audio)) {
  if (!data) return;
  left = data->left;
  right = data->right;
  sampleRate = data->sampleRate;
  frames = data->frames;
  peak = data->peak;
  bytes = data->heldBytes();
}

SamplePool& SamplePool::operator=(SamplePool&& other) {
  if (this == &other) return *this;
  adoptSlots(std::move(other.slots));
  other.slots.clear();
  limits_ = other.limits_;
  for (auto& d : other.displaced_) displace(std::move(d));
  other.displaced_.clear();
  return *this;
}

// Only slots whose audio a published snapshot shows need to outlive their
// replacement; a slot without frames is never shown.
void SamplePool::displace(std::unique_ptr<SamplePoolSlot> old) {
  if (old && old->published && old->frames > 0) displaced_.push_back(std::move(old));
}

void SamplePool::markPublished(std::uint32_t generation) {
  for (auto& s : slots) {
    if (!s || s->published) continue;
    s->published = true;
    s->shownSince = generation;
  }
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

bool SamplePool::holdsElsewhere(const SampleData* audio, std::int32_t except) const {
  for (std::int32_t i = 0; i < slotCount(); ++i)
    if (i != except && slots[i] && slots[i]->data.get() == audio) return true;
  return false;
}

template <typename Visit>
void SamplePool::forEachSample(Visit visit) const {
  for (std::int32_t i = 0; i < slotCount(); ++i) {
    const SampleData* audio = slots[i] ? slots[i]->data.get() : nullptr;
    bool counted = false;  // at an earlier slot that shares it
    for (std::int32_t j = 0; j < i && audio && !counted; ++j)
      counted = slots[j] && slots[j]->data.get() == audio;
    if (audio && !counted) visit(*audio);
  }
}

std::uint64_t SamplePool::decodedBytes() const {
  std::uint64_t total = 0;
  forEachSample([&](const SampleData& audio) { total += audio.decodedBytes(); });
  return total;
}

std::uint64_t SamplePool::savedFileBytes() const {
  std::uint64_t total = 0;
  forEachSample([&](const SampleData& audio) { total += audio.savedFileBytes(); });
  return total;
}

SampleRefusal SamplePool::refusalForFile(std::uint64_t fileBytes) const {
  return fileBytes > limits_.sampleFileBytes ? SampleRefusal::FileTooLarge : SampleRefusal::None;
}

SampleRefusal SamplePool::refusalForNewFile(std::uint64_t fileBytes) const {
  if (const SampleRefusal file = refusalForFile(fileBytes); file != SampleRefusal::None) return file;
  const std::uint64_t held = std::min(savedFileBytes(), limits_.poolFileBytes);
  return fileBytes > limits_.poolFileBytes - held ? SampleRefusal::FilesOverBudget : SampleRefusal::None;
}

SampleRefusal SamplePool::refusalForAudio(std::uint64_t decodedBytes, std::int32_t into) const {
  if (decodedBytes > limits_.sampleDecodedBytes) return SampleRefusal::SampleTooLarge;
  std::uint64_t held = this->decodedBytes();
  // The audio the slot lets go no longer counts, unless another slot keeps it.
  if (into >= 0 && into < slotCount() && slots[into] && slots[into]->data &&
      !holdsElsewhere(slots[into]->data.get(), into))
    held -= slots[into]->data->decodedBytes();
  return decodedBytes > limits_.poolDecodedBytes - std::min(held, limits_.poolDecodedBytes)
             ? SampleRefusal::PoolFull
             : SampleRefusal::None;
}

SampleRefusal SamplePool::refusalFor(const SampleData& audio, std::int32_t into) const {
  if (holdsElsewhere(&audio, into)) return SampleRefusal::None;
  // A kept file is no file of this pool's: it goes back as it came.
  const SampleRefusal file = refusalForFile(audio.kept() ? 0 : audio.savedFileBytes());
  return file != SampleRefusal::None ? file : refusalForAudio(audio.decodedBytes(), into);
}

std::int32_t SamplePool::append(SampleAudio audio, SampleRefusal* why) {
  return append(makeSampleData(std::move(audio)), why);
}

std::int32_t SamplePool::append(SharedSampleData audio, SampleRefusal* why) {
  if (!audio) audio = makeSampleData({});
  SampleRefusal refusal = refusalFor(*audio, -1);
  if (refusal == SampleRefusal::None && !holdsElsewhere(audio.get(), -1))
    refusal = refusalForNewFile(audio->savedFileBytes());
  if (why) *why = refusal;
  if (refusal != SampleRefusal::None) return -1;
  slots.push_back(std::make_unique<SamplePoolSlot>(std::move(audio)));
  return static_cast<std::int32_t>(slots.size()) - 1;
}

std::int32_t SamplePool::replaceSlot(std::uint32_t index, SampleAudio audio, std::string* error) {
  if (index >= static_cast<std::uint32_t>(kSamplePoolSlots))
    return replaceSlot(index, SharedSampleData{}, error);
  return replaceSlot(index, makeSampleData(std::move(audio)), error);
}

std::int32_t SamplePool::replaceSlot(std::uint32_t index, SharedSampleData audio, std::string* error) {
  if (index >= static_cast<std::uint32_t>(kSamplePoolSlots)) {
    if (error) *error = "sample slot index out of range";
    return -1;
  }
  const auto i = static_cast<std::int32_t>(index);
  if (!audio) audio = makeSampleData({});
  const SampleRefusal refusal = refusalFor(*audio, i);
  if (refusal != SampleRefusal::None) {
    if (error) *error = sampleRefusalText(refusal, limits_);
    return -1;
  }
  slot(i);
  install(i, std::make_unique<SamplePoolSlot>(std::move(audio)));
  return i;
}

bool SamplePool::replaceAudio(std::int32_t index, SampleAudio audio, SampleRefusal* why) {
  if (index < 0 || index >= kSamplePoolSlots) return false;
  return replaceAudio(index, makeSampleData(std::move(audio)), why);
}

bool SamplePool::replaceAudio(std::int32_t index, SharedSampleData audio, SampleRefusal* why) {
  if (index < 0 || index >= kSamplePoolSlots) return false;
  if (!audio) audio = makeSampleData({});
  const SampleRefusal refusal = refusalFor(*audio, index);
  if (why) *why = refusal;
  if (refusal != SampleRefusal::None) return false;
  SamplePoolSlot* existing = slot(index);
  auto fresh = std::make_unique<SamplePoolSlot>(std::move(audio));
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
