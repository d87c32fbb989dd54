#include "editor/bench/preview_buffer.h"

#include <cmath>
#include <cstring>

namespace orbi {
namespace {

constexpr float kAudible = 0.0001f;

// The fields a render reads; ids and names never change the audio.
bool sameRender(const ob::Sound& a, const ob::Sound& b) {
  if (a.machine != b.machine || a.zoneCount != b.zoneCount || a.mode != b.mode ||
      a.velDestCount != b.velDestCount)
    return false;
  if (std::memcmp(a.params, b.params, sizeof a.params) != 0) return false;
  if (std::memcmp(a.slot, b.slot, sizeof a.slot) != 0 ||
      std::memcmp(a.velMax, b.velMax, sizeof a.velMax) != 0)
    return false;
  for (int i = 0; i < ob::kListCapacity; ++i)
    if (a.velDests[i].param != b.velDests[i].param || a.velDests[i].value != b.velDests[i].value)
      return false;
  return true;
}

}  // namespace

bool PreviewKey::sameAs(const PreviewKey& other) const {
  return seed == other.seed && frames == other.frames && sampleEdits == other.sampleEdits &&
         trimReversed == other.trimReversed && sameRender(sound, other.sound);
}

void PreviewBuffer::request(const PreviewKey& key) {
  if (hasKey_ && key_.sameAs(key)) return;
  key_ = key;
  hasKey_ = true;
  stale_ = true;
  ++requests_;
}

void PreviewBuffer::render(const ob::SamplePoolSnapshot& snapshot) {
  if (!stale_) return;
  ob::OfflineRender render;
  render.begin(key_.sound, &snapshot, kRate, key_.frames, 1.0f);
  render.finish();
  adopt(render, key_.trimReversed);
  stale_ = false;
}

bool PreviewBuffer::renderPiece(PreviewWork& work, const ob::SamplePoolSnapshot& snapshot, int frames) {
  if (!stale_) return true;
  if (work.owner != this || work.sampleEdits != key_.sampleEdits) {
    work.render.begin(key_.sound, &snapshot, kRate, key_.frames, 1.0f);
    work.owner = this;
    work.request = requests_;
    work.sampleEdits = key_.sampleEdits;
    work.trimReversed = key_.trimReversed;
  }
  if (!work.render.render(frames)) return false;
  work.owner = nullptr;
  adopt(work.render, work.trimReversed);
  stale_ = work.request != requests_;
  return true;
}

void PreviewBuffer::adopt(ob::OfflineRender& render, bool trimReversed) {
  render.takeSamples(samples_);
  if (trimReversed) {
    std::size_t n = samples_.size();
    while (n > static_cast<std::size_t>(kShortFrames) && std::fabs(samples_[n - 1]) < kAudible) --n;
    samples_.resize(n);  // shrinking keeps the storage
  }
}

}  // namespace orbi
