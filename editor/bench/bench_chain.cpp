// The chain strip's tiles bound to the selected sound's voice parameters,
// and the two auditions the bench plays after a gesture.

#include <algorithm>

#include "editor/bench/bench_controller.h"
#include "editor/bench/sound_values.h"
#include "editor/editor_context.h"
#include "editor/widgets/bench/bench_page.h"
#include "engine/clock/tempo.h"
#include "engine/params/param_tables.h"
#include "engine/session/engine_host.h"

namespace orbi {

using ob::chainstage::Stage;

void BenchController::bindChainStages() {
  ChainStrip& chain = page->chain;
  const auto byName = [this](const char* key) { return [this, key](float v) { setParamByName(key, v); }; };
  const auto byNumber = [this](const char* key) {
    return [this, key](int v) { setParamByName(key, static_cast<float>(v)); };
  };
  const auto hear = [this] { audition(); };

  chain.transient.onStrike = byName("ts_attack");
  chain.transient.onBody = byName("ts_sustain");
  chain.transient.onGestureEnd = hear;

  chain.amp.onAttack = byName("amp_attack");
  chain.amp.onHold = byName("amp_hold");
  chain.amp.onDecay = byName("amp_decay");
  chain.amp.onSync = [this](bool on) { setParamByName("amp_sync", on ? 1.0f : 0.0f); };
  chain.amp.onAttackDivision = byNumber("amp_atk_div");
  chain.amp.onDecayDivision = byNumber("amp_dec_div");
  chain.amp.onGestureEnd = hear;

  chain.drive.onDrive = byName("fx_drive");
  chain.drive.onShape = byNumber("fx_shape");
  chain.drive.onBits = byName("fx_crush");
  chain.drive.onRate = byName("fx_srr");
  chain.drive.onGestureEnd = hear;

  // Filter 0 is the first filter; any other index the second.
  chain.filter.onCutoff = [this](int f, float v) {
    setParamByName(f == 0 ? "flt_cutoff" : "flt2_cutoff", v);
  };
  chain.filter.onResonance = [this](int f, float v) { setParamByName(f == 0 ? "flt_reso" : "flt2_reso", v); };
  chain.filter.onType = [this](int f, int type) {
    setParamByName(f == 0 ? "flt_type" : "flt2_type", static_cast<float>(type));
  };
  chain.filter.onGestureEnd = hear;

  chain.onAddStage = [this](Stage stage) { addStage(stage); };
}

void BenchController::addStage(Stage stage) {
  switch (stage) {
    case Stage::TRANSIENT: setParamByName("ts_attack", 0.35f); break;
    case Stage::AMP:
      setParamByName("amp_hold", 0.12f);
      setParamByName("amp_decay", 0.35f);
      break;
    case Stage::DRIVE: setParamByName("fx_drive", 2.5f); break;
    case Stage::FILTER: setParamByName("flt_cutoff", 4000.0f); break;
    case Stage::ROOM: setParamByName("space_mix", 0.35f); break;
  }
  audition();
}

void BenchController::audition() {
  const int t = context->selectedTrack();
  if (context->selectedSound() < 0 || t < 0 || t >= ob::kMaxTracks) return;
  context->audition(soundAtSelection(pattern(), t), stepLevel(), trackOutput());
}

void BenchController::auditionWithParam(int half) {
  const int t = context->selectedTrack();
  if (t < 0 || t >= ob::kMaxTracks) return;
  context->audition(isolateHalf(soundAtSelection(pattern(), t), half), stepLevel(), trackOutput());
}

}  // namespace orbi

namespace orbi {
namespace {

int nearestIndex(float v) { return static_cast<int>(v + 0.5f); }

}  // namespace

// The tiles' values, and which stages show: a stage shows only while it
// changes the sound.
void BenchController::buildChainPanel(const ob::Sound& s) {
  ChainStrip& chain = page->chain;
  const auto v = [&s](const char* key) { return soundValue(s, key); };

  chain.transient.strike = v("ts_attack");
  chain.transient.body = v("ts_sustain");

  AmpTile& amp = chain.amp;
  amp.attack = v("amp_attack");
  amp.hold = v("amp_hold");
  amp.decay = v("amp_decay");
  amp.sync = v("amp_sync") >= 0.5f ? 1 : 0;
  amp.attackDivision = std::clamp(nearestIndex(v("amp_atk_div")), 0, ob::kDivisionCount - 1);
  amp.decayDivision = std::clamp(nearestIndex(v("amp_dec_div")), 0, ob::kDivisionCount - 1);
  amp.tempo = ob::effectiveTempo(pattern().bpm);

  chain.drive.drive = v("fx_drive");
  chain.drive.bits = v("fx_crush");
  chain.drive.rate = v("fx_srr");
  chain.drive.shape = nearestIndex(v("fx_shape"));

  FilterTile& filter = chain.filter;
  const double rate = context->host().hostSampleRate;
  filter.sampleRate = rate > 0.0 ? rate : 48000.0;
  filter.filters[0] = {v("flt_cutoff"), v("flt_reso"), nearestIndex(v("flt_type"))};
  filter.filters[1] = {v("flt2_cutoff"), v("flt2_reso"), nearestIndex(v("flt2_type"))};

  const bool transient = !(v("ts_attack") == 0.0f && v("ts_sustain") == 0.0f);
  const bool ampNeutral = v("amp_attack") == 0.0f && v("amp_hold") >= 2.0f && v("amp_decay") >= 8.0f;
  const bool ampActive = amp.sync != 0 || !ampNeutral;
  const bool drive = v("fx_drive") > 1.0f || v("fx_crush") < 16.0f || v("fx_srr") > 0.0f;
  const bool filtered = v("flt_cutoff") < 19999.0f || v("flt2_cutoff") < 19999.0f;
  const bool room = v("space_mix") > 0.0f;
  chain.stageActive = {transient, ampActive, drive, filtered, room};
}

}  // namespace orbi
