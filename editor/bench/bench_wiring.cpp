// wire(): one handler per callback of the bench page and its views, each
// turning a gesture into edits of the selected part, track or step.

#include <algorithm>

#include "editor/bench/bench_controller.h"
#include "editor/editor_context.h"
#include "editor/widgets/bench/bench_page.h"
#include "engine/clock/step_rate.h"
#include "engine/model/project.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace orbi {
namespace {

bool isStep(int step) { return step >= 0 && step < ob::kStepsPerTrack; }

}  // namespace

void BenchController::wire() {
  wirePage();
  wireGrid();
  wireAnatomy();
  wireDrawerAndRoom();
  bindChainStages();
  wireVelocity();
  wireSampler();
}

void BenchController::wirePage() {
  BenchPage& p = *page;
  p.selectTrack = [this](int track) {
    context->setSelectedTrack(track);
    rebuild();
    context->benchChanged();
  };
  p.toggleMute = [this](int track) {
    context->toggleMute(track);
    rebuild();
  };
  p.soloTrack = [this](int track) { solo(track); };
  p.cycleRate = [this] {
    const int t = validTrack();
    if (t < 0) return;
    const int rate = std::min<int>(pattern().tracks[t].rate, ob::kTrackRateCount - 1);
    send(command(ob::kEditTrackRate, t, 0, 0, static_cast<float>((rate + 1) % ob::kTrackRateCount)));
    rebuild();
  };
  p.addTrack = [this] {
    if (pattern().numTracks >= ob::kMaxTracks) return;
    addPopupPending = 1;
    addTrackAnchor = page->rects.addRow;
  };
  p.openTrackMenu = [this](int track) { trackMenuEntries(track); };
  p.selectStep = [this](int step) {
    if (validTrack() < 0) return;
    context->setSelectedStep(step);
    page->grid.selectedStep = step;
    rebuild();  // rewrites the hits title too
    context->benchChanged();
  };
  p.toggleStep = [this](int step) {
    const int t = validTrack();
    if (t < 0 || !isStep(step)) return;
    send(command(ob::kEditToggleStep, t, step, 0, 0.0f));
    rebuild();
  };
}

void BenchController::solo(int track) {
  const ob::Pattern& p = pattern();
  const int count = ob::tracksInUse(p);
  if (track < 0 || track >= count) return;
  int mask = 0;
  for (int i = 0; i < count; ++i)
    if (i != track) mask |= 1 << i;
  if (p.muteMask == mask) mask = 0;  // already soloed: release it
  send(command(ob::kEditMuteMask, 0, 0, 0, static_cast<float>(mask)));
  rebuild();
}

void BenchController::wireGrid() {
  HitsGrid& g = page->grid;
  g.onMicro = [this](int step, float offset) {
    const int t = validTrack();
    if (t < 0 || !isStep(step)) return;
    send(command(ob::kEditStepField, t, step, ob::kStepMicro, offset * 64.0f));
    rebuild();
  };
  g.onLoopLength = [this](int length) {
    const int t = validTrack();
    if (t < 0) return;
    send(command(ob::kEditTrackLength, t, 0, 0, static_cast<float>(length)));
    rebuild();
  };
  g.onRetrigCount = [this](int step, int count) { retrigCount(step, count); };
  g.onRetrigRamp = [this](int step, int ramp) {
    setStepField(step, ob::kStepVelCurve, static_cast<float>(ramp));
  };
  g.onRetrigRate = [this](int step, bool up) { retrigRate(step, up); };
}

// Repeats that start on a step without a retrig rate store the one it
// plays and is drawn at, so the document says what is heard.
void BenchController::retrigCount(int step, int count) {
  const int t = validTrack();
  if (t < 0 || !isStep(step)) return;
  const bool noRate = pattern().tracks[t].steps[step].rateTicks == 0;
  send(command(ob::kEditStepField, t, step, ob::kStepRetrigCount, static_cast<float>(count)));
  if (count >= 2 && noRate)
    send(command(ob::kEditStepField, t, step, ob::kStepRateTicks,
                 static_cast<float>(HitsGrid::kDefaultRetrigTicks)));
  rebuild();
}

void BenchController::retrigRate(int step, bool up) {
  const int t = validTrack();
  if (t < 0 || !isStep(step)) return;
  const int code = HitsGrid::rateCode(ob::retrigTicks(pattern().tracks[t].steps[step]));
  const int next = (code + (up ? 1 : HitsGrid::kRateCodes - 1)) % HitsGrid::kRateCodes;
  setStepField(step, ob::kStepRateTicks, static_cast<float>(HitsGrid::rateTicks(next)));
}

void BenchController::wireAnatomy() {
  AnatomyView& a = page->anatomy;
  const auto setValue = [this](int index, float value) { setParamValue(index, value); };
  HalfBrowser* browsers[] = {&a.hitBrowser, &a.secondHitBrowser, &a.bodyBrowser};
  NodeGraph* graphs[] = {&a.hitGraph, &a.secondHitGraph, &a.bodyGraph};
  for (int half = kHit; half <= kBody; ++half) {
    browsers[half]->onChange = setValue;
    browsers[half]->onLand = [this, half] { auditionWithParam(half); };
    NodeGraph& graph = *graphs[half];
    graph.value = setValue;
    graph.editDone = [this, half] { auditionWithParam(half); };
    graph.lfoReach = [this](int index, float amount) { lfoReach(index, amount); };
    graph.breathe = [this](int index, float amount) { breathe(index, amount); };
    if (half == kSecondHit) continue;  // the second hit has no LFO chips
    graph.lfoShape = [this](int lfo) { lfoShape(lfo); };
    graph.lfoRate = [this](int lfo) { lfoRate(lfo); };
    graph.lfoTrig = [this](int lfo) { lfoTrig(lfo); };
  }
  a.onSecondHit = [this] {
    setDrumParam("exc2_type", 1.0f);
    setDrumParam("exc2_level", 0.6f);
    audition();
  };
  a.onHearBoth = [this] { audition(); };
  a.onBleed = [this](float v) { setDrumParam("bleed", v); };
  a.onBodyLevel = [this](float v) { setDrumParam("res_level", v); };
  a.onReverse = [this](bool on) {
    setParamByName("voice_rev", on ? 1.0f : 0.0f);
    audition();
  };
  DistBlock& d = a.socket;
  d.onDrive = [this](float v) { setDrumParam("dist_amt", v); };
  d.onBias = [this](float v) { setDrumParam("dist_bias", v); };
  d.onFold = [this](float v) { setDrumParam("dist_fold", v); };
  d.onPosition = [this](int position) { setDrumParam("dist_pos", static_cast<float>(position)); };
  d.onGestureEnd = [this] { audition(); };
}

void BenchController::wireDrawerAndRoom() {
  page->drawer.onChange = [this](int index, float value) { setParamValue(index, value); };
  RoomTile& room = page->chain.room;
  room.onSize = [this](float v) { setParamByName("space_size", v); };
  room.onMix = [this](float v) { setParamByName("space_mix", v); };
  room.onDamp = [this](float v) { setParamByName("space_damp", v); };
  room.onGestureEnd = [this] { audition(); };
}

void BenchController::wireVelocity() {
  VelocityTile& v = page->velocity;
  v.onRoute = [this](int param, float amount) {
    const int t = validTrack();
    if (t < 0) return;
    send(command(ob::kEditVelocityDest, t, 0, param, amount));
    rebuild();
  };
  v.onZoneLimit = [this](int zone, int limit) {
    const int t = validTrack();
    if (t < 0) return;
    send(command(ob::kEditZoneVelMax, t, 0, zone, static_cast<float>(limit)));
    rebuild();
  };
  v.onZoneSlot = [this](int zone, int slot) {
    const int t = validTrack();
    if (t < 0) return;
    send(command(ob::kEditZoneSlot, t, 0, zone, static_cast<float>(slot)));
    rebuild();
  };
  v.onLayers = [this](int count, int mode) { splitLayers(count, mode); };
}

void BenchController::toggleChip(int index) {
  if (index < 0 || index >= ob::kSoundParamSlots) return;
  const int t = context->selectedTrack();
  ob::Sound sound;
  if (t >= 0 && t < ob::kMaxTracks)
    sound = soundAtSelection(pattern(), t);
  else
    ob::initSoundParams(sound, ob::kMachineDrum);
  setParamValue(index, sound.params[index] >= 0.5f ? 0.0f : 1.0f);
}

void BenchController::wireSampler() {
  SamplerLanes& s = page->sampler;
  SampleView& view = s.sampleView;
  const auto setValue = [this](int index, float value) { setParamValue(index, value); };
  view.onChange = setValue;
  view.onSliceMove = [this](int marker, float position) { moveChop(marker, position); };
  view.onSliceAdd = [this](float position) { addChop(position); };
  view.onSliceDelete = [this](int marker) { removeChop(marker); };
  view.onModeToggle = [this](bool slices) {
    const int index = ob::findParamIndex(ob::kMachineSample, "window_mode");
    if (index >= 0) setParamValue(index, slices ? 1.0f : 0.0f);
  };
  view.onDetectTransients = [this] { onDetectChops(); };
  view.onDivide = [this](int n) { onDivideChops(n); };
  view.onClearChops = [this] { clearChops(); };
  view.onChip = [this](int index) { toggleChip(index); };
  SamplerLane* lanes[] = {&s.speed, &s.tone, &s.grains, &s.amp};
  for (SamplerLane* lane : lanes) {
    lane->onChange = setValue;
    lane->onGestureEnd = [this] { audition(); };
  }
}

}  // namespace orbi
