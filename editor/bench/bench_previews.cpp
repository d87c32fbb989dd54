// The bench's pictures of sounds: the grid's hits as the selected track
// plays them (eight variations where random amounts apply), each drum half
// alone and the whole drum. A rebuild only names what each buffer should
// show; the frames render what changed in passes at most 100 ms apart, a
// piece at a time within each frame's budget, so neither a drag that edits
// every frame nor a change of every picture holds the host's UI thread.

#include <algorithm>
#include <cmath>
#include <utility>

#include "editor/bench/bench_controller.h"
#include "editor/bench/sound_values.h"
#include "editor/editor_context.h"
#include "editor/widgets/bench/bench_page.h"
#include "engine/fnv.h"
#include "engine/params/param_tables.h"
#include "ui/frame_requests.h"

namespace orbi {
namespace {

constexpr int kMaxRandoms = 16;
constexpr int kVariations = 8;
constexpr std::int64_t kStepSeedStride = 977;
constexpr double kRenderIntervalMs = 100.0;
constexpr std::uint64_t kGolden = 0x9e3779b97f4a7c15ull;
constexpr int kRecordedHalf = 4;

}  // namespace

std::vector<BenchController::RandomAmount> BenchController::effectiveRandoms(const ob::Track& track,
                                                                             int step) {
  std::vector<RandomAmount> list;
  const auto add = [&list](int param, float amount) {
    if (param >= ob::kSoundParamSlots || !(amount > 0.0f)) return;
    for (RandomAmount& r : list)
      if (r.param == param) {
        r.amount = amount;
        return;
      }
    if (list.size() < kMaxRandoms) list.push_back({param, amount});
  };
  for (int i = 0; i < std::min<int>(track.trackRandCount, ob::kListCapacity); ++i)
    add(track.trackRands[i].param, track.trackRands[i].value);
  if (step >= 0 && step < ob::kStepsPerTrack) {
    const ob::Step& s = track.steps[step];
    for (int i = 0; i < std::min<int>(s.randCount, ob::kListCapacity); ++i)
      add(s.rands[i].param, s.rands[i].value);
  }
  return list;
}

// The same draw the engine makes for a parameter: keyed by the parameter's
// name, so a parameter keeps its draw whatever its index.
ob::Sound BenchController::applyRandomDraws(const ob::Sound& sound, const std::vector<RandomAmount>& randoms,
                                            std::int64_t seed) {
  ob::Sound out = sound;
  const std::uint64_t seedBits = static_cast<std::uint64_t>(seed);
  for (const RandomAmount& r : randoms) {
    if (r.param < 0 || r.param >= ob::kSoundParamSlots) continue;
    const ob::ParamInfo info = ob::paramInfo(sound.machine, r.param);
    const std::uint64_t h = ob::fnv1a64(info.id);
    const std::uint64_t x = ob::splitMix64(h + kGolden);
    const std::uint64_t y = ob::splitMix64((x ^ seedBits) + kGolden);
    const std::uint64_t z = ob::splitMix64(y + kGolden);
    const double u = ob::unitFromDraw(z);
    const double moved = out.params[r.param] + (2.0 * u - 1.0) * r.amount * (info.max - info.min) * 0.5;
    out.params[r.param] = static_cast<float>(
        std::clamp<double>(moved, std::min(info.min, info.max), std::max(info.min, info.max)));
  }
  return out;
}

PreviewKey BenchController::keyOf(const ob::Sound& sound, int frames, std::int64_t seed, bool trim) const {
  PreviewKey key;
  key.sound = sound;
  key.seed = seed;
  key.frames = frames;
  key.sampleEdits = sampleEdits_;
  key.trimReversed = trim;
  return key;
}

void BenchController::buildPreviews() {
  const int t = context->selectedTrack();
  if (t < 0 || t >= ob::kMaxTracks) return;
  const ob::Pattern& p = pattern();
  const ob::Track& track = p.tracks[t];
  if (track.soundIndex < 0 || track.soundIndex >= ob::kMaxTracks) return;
  refreshSnapshot();
  const ob::Sound& kit = p.kit.sounds[track.soundIndex];
  basePreview_.request(keyOf(kit, PreviewBuffer::kShortFrames));
  plan_.grid = true;
  for (int k = 0; k < ob::kStepsPerTrack; ++k) {
    const ob::Step& step = track.steps[k];
    const std::vector<RandomAmount> randoms = effectiveRandoms(track, k);
    std::uint8_t& cell = plan_.cells[static_cast<std::size_t>(k)];
    cell = 0;
    if (!step.active || (step.lockCount == 0 && randoms.empty())) continue;
    const ob::Sound played = withStepLocks(kit, step);
    if (randoms.empty()) {
      stepPreviews_[static_cast<std::size_t>(k)].request(keyOf(played, PreviewBuffer::kShortFrames));
      cell = 1;
      continue;
    }
    for (int v = 0; v < kVariations; ++v) {
      const std::int64_t seed = k * kStepSeedStride + 1 + v;
      variationPreviews_[static_cast<std::size_t>(k)][static_cast<std::size_t>(v)].request(
          keyOf(applyRandomDraws(played, randoms, seed), PreviewBuffer::kShortFrames, seed));
    }
    cell = 2;
  }
}

void BenchController::buildHitShapes(const ob::Sound& sound) {
  const int t = validTrack();
  if (t < 0) return;
  const int s = context->selectedStep();
  const std::vector<RandomAmount> randoms = effectiveRandoms(pattern().tracks[t], s);
  std::vector<graph::Shape> hits, bodies;
  for (int k = 1; !randoms.empty() && k <= kVariations; ++k) {
    const ob::Sound drawn = applyRandomDraws(sound, randoms, s * kStepSeedStride + k);
    hits.push_back(halfShape(drawn, false, 0));
    bodies.push_back(halfShape(drawn, true, 0));
  }
  page->anatomy.hitGraph.setHitShapes(std::move(hits));
  page->anatomy.bodyGraph.setHitShapes(std::move(bodies));
  page->anatomy.hitGraph.breatheEnabled = 1;
  page->anatomy.bodyGraph.breatheEnabled = 1;
}

int BenchController::halfPreviewFrames(const ob::Sound& sound, bool isBody, int paramBase) const {
  const std::string prefix = isBody ? "res_" : paramBase != 0 ? "exc2_" : "exc1_";
  double seconds = std::max(1.15 * soundValue(sound, prefix + "decay"), 0.4);
  if (nearestWhole(soundValue(sound, prefix + "type")) == kRecordedHalf) {
    const int aux1Index = isBody ? ob::findParamIndex(sound.machine, "res_aux1") : paramBase + 4;
    const float aux1 = aux1Index >= 0 && aux1Index < ob::kSoundParamSlots ? sound.params[aux1Index] : 0.0f;
    const ob::SampleSlotInfo& audio =
        snapshot_.slotOrEmpty(std::lround(std::clamp(aux1, 0.0f, 1.0f) * 63.0f));
    if (audio.left && audio.frames > 0)
      seconds = std::max(2.3 * audio.frames / (audio.sampleRate > 0.0 ? audio.sampleRate : 44100.0), seconds);
  }
  return static_cast<int>(std::lround(std::clamp(seconds, 0.4, 5.0) * PreviewBuffer::kRate));
}

void BenchController::requestHalfPreviews(const ob::Sound& s) {
  const bool secondHit = nearestWhole(soundValue(s, "exc2_type")) != 0;
  halfPreviews_[kHit].request(keyOf(isolateHalf(s, kHit), halfPreviewFrames(s, false, 0)));
  if (secondHit)
    halfPreviews_[kSecondHit].request(keyOf(isolateHalf(s, kSecondHit), halfPreviewFrames(s, false, 7)));
  halfPreviews_[kBody].request(keyOf(isolateHalf(s, kBody), halfPreviewFrames(s, true, 0)));
  const bool reversed = soundValue(s, "voice_rev") >= 0.5f;
  wholePreview_.request(
      keyOf(s, reversed ? static_cast<int>(PreviewBuffer::kRate) : PreviewBuffer::kShortFrames, 0, reversed));
  plan_.drum = true;
  plan_.secondHit = secondHit;
}

template <typename Self, typename Visit>
void BenchController::forEachPlanned(Self& self, Visit&& visit) {
  if (self.plan_.grid) {
    visit(self.basePreview_);
    for (std::size_t k = 0; k < self.plan_.cells.size(); ++k) {
      if (self.plan_.cells[k] == 1) visit(self.stepPreviews_[k]);
      if (self.plan_.cells[k] == 2)
        for (auto& v : self.variationPreviews_[k]) visit(v);
    }
  }
  if (self.plan_.drum) {
    visit(self.halfPreviews_[kHit]);
    if (self.plan_.secondHit) visit(self.halfPreviews_[kSecondHit]);
    visit(self.halfPreviews_[kBody]);
    visit(self.wholePreview_);
  }
}

bool BenchController::previewsPending() const {
  bool stale = false;
  forEachPlanned(*this, [&stale](const PreviewBuffer& b) { stale = stale || b.stale(); });
  return stale;
}

void BenchController::renderPreviews(double nowMs, RenderBudget& budget) {
  const bool handed = renderPreviewPass(nowMs, budget);
  // The pictures catch up by themselves, with no input to draw the frames,
  // and the frame that got the last of them has already been drawn.
  if (handed || previewsPending()) ui::requestFrame();
}

bool BenchController::renderPreviewPass(double nowMs, RenderBudget& budget) {
  // The keys count a change of the pool only from the rebuild it brings.
  if (builtSampleEdits_ != sampleEdits_) return false;
  if (!passOpen_) {
    if (!previewsPending() || nowMs - lastRenderMs_ < kRenderIntervalMs) return false;
    lastRenderMs_ = nowMs;
    passOpen_ = true;
    passCursor_ = 0;
    passRendered_ = false;
    refreshSnapshot();
  }
  std::vector<PreviewBuffer*> planned;
  forEachPlanned(*this, [&planned](PreviewBuffer& b) { planned.push_back(&b); });
  std::vector<const PreviewBuffer*> finished;
  while (passCursor_ < planned.size()) {
    PreviewBuffer& b = *planned[passCursor_];
    if (!b.stale()) {
      ++passCursor_;
      continue;
    }
    if (!budget.allows()) break;
    const bool done = b.renderPiece(work_, snapshot_, RenderBudget::kPieceFrames);
    budget.spent();
    passRendered_ = true;
    if (done) {
      finished.push_back(&b);
      ++passCursor_;
    }
  }
  if (!finished.empty())
    handPlanned([&finished](const PreviewBuffer& b) {
      return std::find(finished.begin(), finished.end(), &b) != finished.end();
    });
  if (passCursor_ < planned.size()) return !finished.empty();
  passOpen_ = false;
  if (passRendered_) ++previewRenders_;
  return !finished.empty();
}

void BenchController::flushPreviews() {
  bool rendered = false;
  refreshSnapshot();
  forEachPlanned(*this, [&](PreviewBuffer& b) {
    if (!b.stale()) return;
    b.render(snapshot_);
    rendered = true;
  });
  passOpen_ = false;
  work_.owner = nullptr;  // whatever it was working on is fresh now
  if (!rendered) return;
  ++previewRenders_;
  handPreviews();
}

// Every view gets its buffer's pointer again: a render may have moved it.
void BenchController::handPreviews() {
  page->grid.clearCellWaveforms();
  handPlanned([](const PreviewBuffer&) { return true; });
  handedPlan_ = plan_;
  planHanded_ = true;
}

// The views of the buffers `renewed` picks get their pointers again; the
// others keep theirs, and the summaries built from them.
void BenchController::handPlanned(const std::function<bool(const PreviewBuffer&)>& renewed) {
  HitsGrid& grid = page->grid;
  if (plan_.grid) {
    if (renewed(basePreview_)) grid.setBaseWaveform(basePreview_.data(), basePreview_.frames());
    for (int k = 0; k < ob::kStepsPerTrack; ++k) {
      const std::size_t i = static_cast<std::size_t>(k);
      if (plan_.cells[i] == 1 && renewed(stepPreviews_[i]))
        grid.setCellWaveform(k, stepPreviews_[i].data(), stepPreviews_[i].frames());
      if (plan_.cells[i] != 2 ||
          std::none_of(variationPreviews_[i].begin(), variationPreviews_[i].end(), renewed))
        continue;
      std::array<std::pair<const float*, int>, kVariations> waves;
      for (std::size_t v = 0; v < waves.size(); ++v)
        waves[v] = {variationPreviews_[i][v].data(), variationPreviews_[i][v].frames()};
      grid.setCellVariations(k, waves);
    }
  }
  if (!plan_.drum) return;
  AnatomyView& a = page->anatomy;
  const auto hand = [&renewed](const PreviewBuffer& b, HalfBrowser& browser, NodeGraph& graph) {
    if (!renewed(b)) return;
    browser.setWaveform(b.data(), b.frames());
    graph.setWaveform(b.data(), b.frames(), static_cast<float>(b.frames() / PreviewBuffer::kRate));
  };
  hand(halfPreviews_[kHit], a.hitBrowser, a.hitGraph);
  if (plan_.secondHit) hand(halfPreviews_[kSecondHit], a.secondHitBrowser, a.secondHitGraph);
  hand(halfPreviews_[kBody], a.bodyBrowser, a.bodyGraph);
  if (renewed(wholePreview_)) a.setSumWaveform(wholePreview_.data(), wholePreview_.frames());
}

}  // namespace orbi
