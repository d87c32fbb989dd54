// LFO reach, breathe and the LFO chips of the node graphs, and the velocity
// tile's layer split.

#include <algorithm>
#include <cmath>

#include "editor/bench/bench_controller.h"
#include "editor/editor_context.h"
#include "engine/params/param_tables.h"

namespace orbi {
namespace {

constexpr int kShapeCount = 6;
constexpr int kTrigModeCount = 5;

bool isLfo(int lfo) { return lfo == 0 || lfo == 1; }

}  // namespace

void BenchController::lfoReach(int param, float amount) {
  const int t = validTrack();
  if (t < 0) return;
  const ob::Lfo* lfos = pattern().tracks[t].lfos;
  const auto reaches = [&](int i) { return lfos[i].enabled && lfos[i].dest == param; };
  int chosen = reaches(0) ? 0 : reaches(1) ? 1 : !lfos[0].enabled ? 0 : !lfos[1].enabled ? 1 : -1;
  if (chosen < 0) return;  // both reach other parameters
  const ob::Lfo& lfo = lfos[chosen];
  const bool on = amount > 0.0f;
  if (lfo.dest != param) send(command(ob::kEditLfoDest, t, 0, chosen, static_cast<float>(param)));
  if ((lfo.enabled != 0) != on) send(command(ob::kEditLfoEnabled, t, 0, chosen, on ? 1.0f : 0.0f));
  send(command(ob::kEditLfoDepth, t, 0, chosen, amount));
  rebuild();
}

void BenchController::breathe(int param, float amount) {
  const int t = validTrack();
  if (t < 0) return;
  if (const int s = context->selectedStep(); s >= 0)
    send(command(ob::kEditStepRandom, t, s, param, amount));
  else
    send(command(ob::kEditTrackRandom, t, 0, param, amount));
  rebuild();
}

void BenchController::lfoShape(int lfo) {
  const int t = validTrack();
  if (t < 0 || !isLfo(lfo)) return;
  const int shape = pattern().tracks[t].lfos[lfo].shape;
  send(command(ob::kEditLfoShape, t, 0, lfo, static_cast<float>((shape + 1) % kShapeCount)));
  rebuild();
}

void BenchController::lfoTrig(int lfo) {
  const int t = validTrack();
  if (t < 0 || !isLfo(lfo)) return;
  const int mode = pattern().tracks[t].lfos[lfo].trig;
  send(command(ob::kEditLfoMode, t, 0, lfo, static_cast<float>((mode + 1) % kTrigModeCount)));
  rebuild();
}

// Free rate, then the ten note divisions, then free again.
void BenchController::lfoRate(int lfo) {
  const int t = validTrack();
  if (t < 0 || !isLfo(lfo)) return;
  const ob::Lfo& l = pattern().tracks[t].lfos[lfo];
  if (!l.sync) {
    send(command(ob::kEditLfoSync, t, 0, lfo, 1.0f));
    send(command(ob::kEditLfoRateDiv, t, 0, lfo, 0.0f));
  } else if (l.rateDiv + 1 < ob::kDivisionCount) {
    send(command(ob::kEditLfoRateDiv, t, 0, lfo, static_cast<float>(l.rateDiv + 1)));
  } else {
    send(command(ob::kEditLfoSync, t, 0, lfo, 0.0f));
  }
  rebuild();
}

// A new number of layers spreads the velocity range evenly again.
void BenchController::splitLayers(int count, int mode) {
  const int t = validTrack();
  if (t < 0) return;
  const ob::Pattern& p = pattern();
  const int sound = p.tracks[t].soundIndex;
  const int old = sound >= 0 && sound < ob::kMaxTracks ? p.kit.sounds[sound].zoneCount : 0;
  send(command(ob::kEditZoneLayout, t, 0, mode, static_cast<float>(count)));
  if (count != old && count > 0) {
    for (int i = 0; i < count; ++i) {
      const long limit = i == count - 1 ? 127 : std::lround((i + 1) * 127.0 / count);
      send(command(ob::kEditZoneVelMax, t, 0, i, static_cast<float>(limit)));
    }
  }
  rebuild();
}

}  // namespace orbi
