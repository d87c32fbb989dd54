#include "editor/bench/bench_controller.h"

#include <algorithm>
#include <random>

#include "editor/bench/sound_values.h"
#include "editor/editor_context.h"
#include "editor/save_trial.h"
#include "editor/widgets/bench/bench_page.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"
#include "engine/session/engine_host.h"

namespace orbi {
namespace {

// Any failure of the random device reads as 0; the fill replaces it.
std::uint32_t randomDeviceSeed() {
  try {
    std::random_device device;
    return static_cast<std::uint32_t>(device());
  } catch (...) {
    return 0;
  }
}

bool isStep(int step) { return step >= 0 && step < ob::kStepsPerTrack; }

}  // namespace

BenchController::BenchController(EditorContext& c, BenchPage& p)
    : context(&c), page(&p), seedSource(randomDeviceSeed) {
  for (int i = 0; i < ob::kSampleSlots; ++i) slotNamePointers_[static_cast<std::size_t>(i)] = slotNames[i];
}

ob::Pattern& BenchController::pattern() const {
  ob::Project& project = context->project();
  const int last = std::max(std::min<int>(project.patternCount, std::size(project.patterns)) - 1, 0);
  return project.patterns[std::clamp(context->selectedPart(), 0, last)];
}

int BenchController::validTrack() const {
  const int t = context->selectedTrack();
  const int count = ob::tracksInUse(pattern());
  return t >= 0 && t < count ? t : -1;
}

ob::EditCommand BenchController::command(std::uint8_t kind, int track, int step, int index,
                                         float value) const {
  ob::EditCommand c;
  c.kind = kind;
  c.track = static_cast<std::uint32_t>(std::max(track, 0));
  c.step = static_cast<std::uint32_t>(std::max(step, 0));
  c.param = index;
  c.value = value;
  return c;
}

void BenchController::send(ob::EditCommand c) { context->apply(c); }

bool BenchController::sendUnlessSaveRefuses(ob::EditCommand c, std::string_view what) {
  const std::string why = saveRefusalAfter(*context, std::span(&c, 1));
  if (why.empty()) {
    send(c);
    return true;
  }
  context->sayOnStatusLine({"Could not " + std::string(what) + ": " + why, {}}, StatusKind::Failed);
  return false;
}

// ---- Writes

void BenchController::setParamValue(int index, float value) {
  const int t = validTrack();
  if (t < 0) return;
  if (const int s = context->selectedStep(); s >= 0)
    send(command(ob::kEditSetStepLock, t, s, index, value));
  else
    send(command(ob::kEditSoundParam, t, 0, index, value));
  rebuild();
  context->benchChanged();
}

void BenchController::setParamByName(std::string_view key, float value) {
  const int t = validTrack();
  if (t < 0) return;
  const int index = ob::findParamIndex(soundAtSelection(pattern(), t).machine, key);
  if (index >= 0) setParamValue(index, value);
}

void BenchController::setDrumParam(const char* key, float value) {
  const int index = ob::findParamIndex(ob::kMachineDrum, key);
  if (index >= 0) setParamValue(index, value);
}

void BenchController::setStepField(int step, int field, float value) {
  const int t = validTrack();
  if (t < 0 || !isStep(step)) return;
  send(command(ob::kEditStepField, t, step, field, value));
  rebuild();
}

// ---- Reads

ob::Sound BenchController::soundAtSelection(const ob::Pattern& p, int track) const {
  if (track < 0 || track >= ob::kMaxTracks) return {};
  const ob::Track& tr = p.tracks[track];
  ob::Sound sound = p.kit.sounds[std::clamp<int>(tr.soundIndex, 0, ob::kMaxTracks - 1)];
  // The selected hit is the selected track's; any other plays its base.
  const int s = context->selectedStep();
  if (s < 0 || track != context->selectedTrack()) return sound;
  return withStepLocks(sound, tr.steps[s]);
}

int BenchController::selectedSampleSlot() const {
  const int sound = context->selectedSound();
  const int t = context->selectedTrack();
  if (sound < 0 || t < 0 || t >= ob::kMaxTracks) return -1;
  const ob::Sound s = soundAtSelection(pattern(), t);
  if (s.machine != ob::kMachineSample) return -1;
  const int mode = ob::findParamIndex(s.machine, "window_mode");
  const int slot = ob::findParamIndex(s.machine, "slot");
  if (mode < 0 || s.params[mode] < 0.5f || slot < 0) return -1;
  const int n = static_cast<int>(s.params[slot] + 0.5f);
  return n >= 0 && n < ob::kSampleSlots ? n : -1;
}

float BenchController::stepLevel() const {
  const int s = context->selectedStep();
  if (s < 0) return 1.0f;
  const ob::Step& step = pattern().tracks[context->selectedTrack()].steps[s];
  return step.velocity > 0 ? static_cast<float>(step.velocity) / 127.0f : 1.0f;
}

ob::OutputGains BenchController::trackOutput() const {
  const int t = context->selectedTrack();
  if (t < 0 || t >= ob::kMaxTracks) return {};
  const ob::Track& track = pattern().tracks[t];
  const int s = context->selectedStep();
  const float pan = s >= 0 ? ob::stepPan(track.steps[s], track) : track.pan;
  return ob::trackOutputGains(pan, track.gain);
}

std::function<float(int)> BenchController::tickLive() const {
  const int t = context->selectedTrack();
  if (t < 0 || t >= ob::kMaxTracks) return {};
  const ob::Engine* engine = &context->host().engine;
  return [engine, t](int i) {
    return i < 0 ? 0.0f
                 : engine->modulatedParam(static_cast<std::uint32_t>(t), static_cast<std::uint32_t>(i));
  };
}

std::array<NodeGraph*, 3> BenchController::liveGraphs() const {
  AnatomyView& anatomy = page->anatomy;
  return {&anatomy.hitGraph, anatomy.hasSecondHit ? &anatomy.secondHitGraph : nullptr, &anatomy.bodyGraph};
}

bool BenchController::liveMoved() const {
  const std::function<float(int)> live = tickLive();
  if (!live) return false;
  const std::array<NodeGraph*, 3> graphs = liveGraphs();
  return std::any_of(graphs.begin(), graphs.end(),
                     [&](const NodeGraph* g) { return g && g->liveMoved(live); });
}

void BenchController::drawPage(const ui::Rect& r) {
  // The views may point into pool audio that a change of the pool retires.
  if (builtSampleEdits_ != sampleEdits_) rebuild();
  if (const std::function<float(int)> live = tickLive())
    for (NodeGraph* graph : liveGraphs())
      if (graph) graph->pollLive(live);
  page->draw(r);
  drawTrackMenu();
}

}  // namespace orbi
