// The rebuild: the tracks strip, the titles, the rate pill and the grid
// written from the project, and the small operations the panels share.

#include <algorithm>
#include <cstring>

#include "editor/bench/bench_controller.h"
#include "editor/editor_context.h"
#include "editor/widgets/bench/bench_page.h"
#include "engine/clock/step_rate.h"
#include "engine/model/project.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace orbi {
namespace {

bool hasRandomAmount(const ob::ParamLock* list, int count) {
  for (int i = 0; i < std::min(count, ob::kListCapacity); ++i)
    if (list[i].param < ob::kSoundParamSlots && list[i].value > 0.0f) return true;
  return false;
}

}  // namespace

std::string BenchController::trackLabel(int track) const {
  if (track < 0 || track >= ob::kMaxTracks) return {};
  const ob::Pattern& p = pattern();
  const int sound = p.tracks[track].soundIndex;
  const std::string numbered = "TRK " + std::to_string(track + 1);
  if (sound < 0 || sound >= ob::kMaxTracks) return numbered;
  const char* name = p.kit.sounds[sound].name;
  const std::size_t length = strnlen(name, sizeof p.kit.sounds[sound].name);
  return length == 0 ? numbered : std::string(name, length);
}

// The grid's record of each step; the pictures of the hits come with the
// previews.
void BenchController::writeStepRecords(const ob::Track& track) {
  const bool trackRandom = hasRandomAmount(track.trackRands, track.trackRandCount);
  for (int k = 0; k < ob::kStepsPerTrack; ++k) {
    const ob::Step& step = track.steps[k];
    HitsGrid::Cell& cell = page->grid.cells[static_cast<std::size_t>(k)];
    const bool active = step.active != 0;
    cell.sounds = active && step.velocity > 0;
    cell.hasLocks = step.lockCount > 0;
    cell.hasRandom = active && (trackRandom || hasRandomAmount(step.rands, step.randCount));
    cell.silent = active && step.velocity == 0;
    cell.velocity = static_cast<float>(step.velocity) / 127.0f;
    cell.micro = static_cast<float>(step.micro) / 64.0f;
    cell.retrigCount = step.count;
    cell.retrigTicks = ob::retrigTicks(step);
    cell.retrigRamp = step.velCurve;
  }
}

void BenchController::rebuild() {
  builtSampleEdits_ = sampleEdits_;
  const ob::Pattern& p = pattern();
  const int t = context->selectedTrack();
  const int count = ob::tracksInUse(p);

  std::vector<BenchPage::TrackRow> rows(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    BenchPage::TrackRow& row = rows[static_cast<std::size_t>(i)];
    const ob::Track& track = p.tracks[i];
    row.label = trackLabel(i);
    row.muted = (p.muteMask >> i) & 1u;
    row.chokeGroup = track.chokeGroup < ob::kChokeGroups ? track.chokeGroup : -1;
    for (int k = 0; k < ob::kStepsPerTrack; ++k)
      row.steps[static_cast<std::size_t>(k)] = track.steps[k].active ? 1 : 0;
  }
  page->rows = std::move(rows);
  page->selectedTrack = t;

  const int s = context->selectedStep();
  const std::string label = trackLabel(t);
  page->hitsTitle = s < 0 ? label + " / base" : label + " / hit " + std::to_string(s + 1);

  page->grid.selectedStep = s;
  page->grid.count = std::clamp<int>(p.length, 1, ob::kStepsPerTrack);
  if (t >= 0 && t < count) {
    const ob::Track& track = p.tracks[t];
    page->grid.loopLength =
        std::clamp<int>(track.length == 0 ? p.length : track.length, 1, ob::kStepsPerTrack);
    page->rateLabel = ob::stepRate(track.rate).label;
    writeStepRecords(track);
  }
  buildPreviews();
  buildPanels();
  if (!planHanded_ || plan_ != handedPlan_) handPreviews();
}

ob::Sound BenchController::isolateHalf(const ob::Sound& sound, int half) {
  ob::Sound out = sound;
  auto silence = [&out](const char* key) {
    const int i = ob::findParamIndex(out.machine, key);
    if (i >= 0) out.params[i] = 0.0f;
  };
  silence("voice_rev");
  if (half != kHit) silence("exc1_type");
  if (half != kSecondHit) silence("exc2_type");
  if (half != kBody) silence("res_type");
  return out;
}

std::string BenchController::retargetKey(std::string_view key, std::string_view prefix) {
  constexpr std::string_view kHitPrefix = "exc1_";
  if (!key.starts_with(kHitPrefix)) return std::string(key);
  return std::string(prefix) + std::string(key.substr(kHitPrefix.size()));
}

}  // namespace orbi
