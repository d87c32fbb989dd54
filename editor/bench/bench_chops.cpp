// Chop markers of the selected sample. They belong to the pool slot, not
// the sound, so each edit writes the editor copy directly: its own undo
// snapshot, the whole project posted, the pool published.

#include <algorithm>
#include <array>
#include <cmath>

#include "content/tools/transients.h"
#include "editor/bench/bench_controller.h"
#include "editor/editor_context.h"
#include "engine/pool/sample_pool.h"

namespace orbi {
namespace {

constexpr float kMoveMargin = 0.001f;  // a moved marker keeps this from its neighbours
constexpr float kLastMarker = 0.999f;
constexpr float kAddMargin = 0.002f;  // a new marker this close to another is refused

}  // namespace

void BenchController::applyChops(int slot, const float* positions, int count) {
  if (slot < 0 || slot >= ob::kSampleSlots) return;
  context->pushUndo();
  ob::SampleSlot& s = context->project().samples.slots[slot];
  s.sliceCount = static_cast<std::uint16_t>(std::clamp(count, 0, ob::kMaxSlices));
  std::copy_n(positions, s.sliceCount, s.slices);
  context->commitProject(true);
  context->publishSamples();
  context->benchChanged();
}

void BenchController::moveChop(int marker, float position) {
  const int slot = selectedSampleSlot();
  if (slot < 0) return;
  ob::SampleSlot& s = context->project().samples.slots[slot];
  const int n = std::min<int>(s.sliceCount, ob::kMaxSlices);
  if (marker < 1 || marker >= n) return;
  const float lo = s.slices[marker - 1] + kMoveMargin;
  const float hi = marker + 1 < n ? s.slices[marker + 1] - kMoveMargin : kLastMarker;
  // Neighbours closer than two margins leave no room: the marker stays
  // rather than jump past one of them.
  if (lo > hi) return;
  context->pushUndoCoalesced();
  s.slices[marker] = position > hi ? hi : std::max(position, lo);
  context->commitProject(true);
  context->publishSamples();
  context->benchChanged();
}

void BenchController::addChop(float position) {
  const int slot = selectedSampleSlot();
  if (slot < 0) return;
  const float p = std::clamp(position, 0.0f, 1.0f);
  const ob::SampleSlot& s = context->project().samples.slots[slot];
  std::array<float, ob::kMaxSlices> list{};
  int n = std::min<int>(s.sliceCount, ob::kMaxSlices);
  std::copy_n(s.slices, n, list.begin());
  if (n == 0) n = 1;  // a slot without markers starts from the one at 0
  const auto end = list.begin() + n;
  if (n >= ob::kMaxSlices || std::any_of(list.begin(), end, [p](float m) { return std::fabs(m - p) < kAddMargin; }))
    return;
  const auto at = std::find_if(list.begin(), end, [p](float m) { return m >= p; });
  std::copy_backward(at, end, end + 1);
  *at = p;
  applyChops(slot, list.data(), n + 1);
}

void BenchController::removeChop(int marker) {
  const int slot = selectedSampleSlot();
  if (slot < 0) return;
  ob::SampleSlot& s = context->project().samples.slots[slot];
  const int n = std::min<int>(s.sliceCount, ob::kMaxSlices);
  if (marker < 1 || marker >= n) return;
  context->pushUndo();
  std::copy(s.slices + marker + 1, s.slices + n, s.slices + marker);
  s.sliceCount = static_cast<std::uint16_t>(n - 1);
  context->commitProject(true);
  context->publishSamples();
  context->benchChanged();
}

void BenchController::onDetectChops() {
  const int slot = selectedSampleSlot();
  if (slot < 0) return;
  const ob::SamplePool& pool = context->samplePool();
  if (slot >= pool.slotCount() || !pool.slots[static_cast<std::size_t>(slot)]) return;
  const ob::SamplePoolSlot& audio = *pool.slots[static_cast<std::size_t>(slot)];
  const int frames = std::min<int>(audio.frames, static_cast<int>(audio.left.size()));
  if (frames <= 0) return;
  std::array<float, ob::kMaxSlices> positions{};
  const int n = ob::detectTransients(audio.left.data(), frames, audio.sampleRate, positions.data(), ob::kMaxSlices);
  if (n > 0) applyChops(slot, positions.data(), n);
}

void BenchController::onDivideChops(int n) {
  const int slot = selectedSampleSlot();
  if (slot < 0) return;
  std::array<float, ob::kMaxSlices> positions{};
  std::int32_t count = 0;
  ob::divideSlices(positions.data(), &count, n);
  if (count > 0) applyChops(slot, positions.data(), count);
}

void BenchController::clearChops() {
  const int slot = selectedSampleSlot();
  if (slot < 0) return;
  applyChops(slot, nullptr, 0);
}

}  // namespace orbi
