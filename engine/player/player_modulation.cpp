#include "engine/player/player_modulation.h"

#include <cmath>
#include <cstring>

#include "engine/chain/voice_chain.h"
#include "engine/fnv.h"
#include "engine/params/param_tables.h"

namespace ob {

namespace {
constexpr double kSmoothingSeconds = 0.02;

bool isKey(const char* id, const char* key) { return id && std::strcmp(id, key) == 0; }

// Bit equality: a NaN equals itself and -0 differs from +0, as a render sees them.
template <typename T>
bool sameBits(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Field by field: the structs have padding.
bool sameBits(const LfoState& a, const LfoState& b) {
  return a.enabled == b.enabled && a.dest == b.dest && sameBits(a.increment, b.increment) &&
         sameBits(a.amplitude, b.amplitude) && a.shape == b.shape && a.mode == b.mode && a.sync == b.sync &&
         a.rateDiv == b.rateDiv && sameBits(a.phase, b.phase) && a.running == b.running &&
         sameBits(a.heldOutput, b.heldOutput) && sameBits(a.randomValue, b.randomValue) &&
         a.randomState == b.randomState;
}

bool sameBits(const ModEnvState& a, const ModEnvState& b) {
  return a.enabled == b.enabled && a.dest == b.dest && sameBits(a.scale, b.scale) &&
         sameBits(a.attack, b.attack) && sameBits(a.hold, b.hold) && sameBits(a.decay, b.decay) &&
         a.sync == b.sync && a.atkDiv == b.atkDiv && a.decDiv == b.decDiv && a.counter == b.counter &&
         a.running == b.running && sameBits(a.output, b.output);
}

// An enabled LFO whose destination is a slot of the block.
bool aimed(const LfoState& lfo) {
  return lfo.enabled && lfo.dest < static_cast<std::uint32_t>(ModLayers::kSlots);
}

// The LFO's shape at its phase, scaled to its depth.
float shapeOutput(const LfoState& lfo) {
  return lfoShapeValue(lfo.shape, lfo.phase, lfo.randomValue) * lfo.amplitude;
}

// Each aimed LFO's output added at its destination (both may aim at one):
// the held value in the hold mode, else the shape.
void addLfoOutputs(const LfoState (&lfos)[2], float* layer) {
  for (const LfoState& lfo : lfos)
    if (aimed(lfo)) layer[lfo.dest] += lfo.mode == kLfoHold ? lfo.heldOutput : shapeOutput(lfo);
}
}  // namespace

float PlayerModulation::paramRange(int index) const {
  if (index < 0 || index >= paramCount(machineType_)) return 1.0f;
  const ParamInfo info = paramInfo(machineType_, index);
  return info.max - info.min;
}

void PlayerModulation::setTempo(double bpm) {
  mod_.tempo = bpm;
  if (bpm == tempo_) return;
  tempo_ = bpm;
  tempoTimes();
}

double PlayerModulation::lfoFrequency(const LfoState& lfo, float rateHz) const {
  if (!lfo.sync) return std::isfinite(rateHz) ? rateHz : 0.0;
  const double period = divisionSeconds(lfo.rateDiv, tempo_);
  return period > 0.0 ? 1.0 / period : 0.0;
}

void PlayerModulation::tempoTimes() {
  if (!(sampleRate_ > 0.0)) return;
  for (LfoState& lfo : lfos_) {
    if (!lfo.enabled || !lfo.sync) continue;
    lfo.increment = 1.0 / divisionSeconds(lfo.rateDiv, tempo_) / sampleRate_;
  }
}

void PlayerModulation::bindLfo(int index, const Lfo& src) {
  if (index < 0 || index > 1) return;
  LfoState& lfo = lfos_[index];
  lfo.enabled = src.enabled;
  lfo.dest = src.dest;
  lfo.shape = src.shape;
  lfo.mode = src.trig;
  lfo.sync = src.sync;
  lfo.rateDiv = src.rateDiv;
  const double frequency = lfoFrequency(lfo, src.rate);
  lfo.increment = sampleRate_ > 0.0 ? frequency / sampleRate_ : 0.0;
  const float depth = std::isfinite(src.depth) ? src.depth : 0.0f;
  lfo.amplitude = paramRange(static_cast<int>(lfo.dest)) * depth * 0.5f;
  lfo.phase = 0.0;
  lfo.running = 1;
  lfo.randomValue = 0.0f;
  // A disabled or re-aimed LFO must not leave its old offset behind.
  rebuildLfoLayer();
}

void PlayerModulation::bindModEnv(int index, const ModEnv& src) {
  if (index < 0 || index > 1) return;
  ModEnvState& env = envs_[index];
  env.enabled = src.enabled;
  env.dest = src.dest;
  env.attack = src.attack;
  env.hold = src.hold;
  env.decay = src.decay;
  env.sync = src.sync;
  env.atkDiv = src.atkDiv;
  env.decDiv = src.decDiv;
  const float depth = std::isfinite(src.depth) ? src.depth : 0.0f;
  env.scale = paramRange(env.dest) * depth;
  if (!env.enabled) env.output = 0.0f;
  rebuildModEnvLayer();
}

void PlayerModulation::rebuildLfoLayer() {
  float* layer = mod_.layers[layer::kLfo];
  std::memset(layer, 0, sizeof(float) * kSlots);
  addLfoOutputs(lfos_, layer);
}

// Between binds the layer is zero outside the enabled LFOs' destinations, so
// the per-update refresh clears only those slots; the sums come out as from
// an empty row.
void PlayerModulation::refreshLfoSlots() {
  float* layer = mod_.layers[layer::kLfo];
  for (const LfoState& lfo : lfos_)
    if (aimed(lfo)) layer[lfo.dest] = 0.0f;
  addLfoOutputs(lfos_, layer);
}

void PlayerModulation::rebuildModEnvLayer() {
  float* layer = mod_.layers[layer::kModEnv];
  std::memset(layer, 0, sizeof(float) * kSlots);
  for (const ModEnvState& env : envs_) {
    if (!env.enabled || env.dest < 0 || env.dest >= kSlots) continue;
    layer[env.dest] += env.output;
  }
}

void PlayerModulation::advanceLfos(int n) {
  for (LfoState& lfo : lfos_) {
    if (!lfo.enabled || !lfo.running) continue;
    const double next = lfo.phase + static_cast<double>(n) * lfo.increment;
    if (lfo.shape == kLfoRandom && std::floor(next) > std::floor(lfo.phase)) {
      lfo.randomState = xorshift32(lfo.randomState);
      lfo.randomValue = static_cast<float>((lfo.randomState >> 8) * 0x1.0p-23 - 1.0);
    }
    if (lfo.mode == kLfoOne && next >= 1.0) {
      lfo.phase = 1.0;
      lfo.running = 0;
    } else if (lfo.mode == kLfoHalf && next >= 0.5) {
      lfo.phase = 0.5;
      lfo.running = 0;
    } else if (lfo.mode == kLfoOne || lfo.mode == kLfoHalf) {
      lfo.phase = next;
    } else {
      lfo.phase = next - std::floor(next);
    }
  }
  refreshLfoSlots();
}

void PlayerModulation::updateEnvOutput(ModEnvState& env) {
  bool ended = false;
  const float level = modEnvLevel(env, sampleRate_, tempo_, ended);
  if (ended) env.running = 0;
  env.output = level * env.scale;
}

void PlayerModulation::advanceModEnvs(int n) {
  for (ModEnvState& env : envs_) {
    if (!env.enabled || !env.running) continue;
    const std::uint64_t c =
        static_cast<std::uint64_t>(env.counter) + static_cast<std::uint64_t>(n > 0 ? n : 0);
    env.counter = c > 0xffffffffull ? 0xffffffffu : static_cast<std::uint32_t>(c);
    updateEnvOutput(env);
  }
  rebuildModEnvLayer();
}

bool PlayerModulation::modulatorsMoving() const {
  if (smoothingActive_ || glideActive_ || anyModEnvRunning()) return true;
  for (const LfoState& lfo : lfos_)
    if (lfo.enabled && lfo.running && lfo.mode != kLfoHold) return true;
  return false;
}

void PlayerModulation::advance(int n) {
  if (n <= 0) return;
  if (glideActive_) glide(n);
  if (lfos_[0].enabled || lfos_[1].enabled) advanceLfos(n);
  if (anyModEnvRunning()) advanceModEnvs(n);
}

void PlayerModulation::retriggerLfos() {
  for (LfoState& lfo : lfos_) {
    if (!lfo.enabled) continue;
    switch (lfo.mode) {
      case kLfoTrig:
      case kLfoOne:
      case kLfoHalf:
        lfo.phase = 0.0;
        lfo.running = 1;
        break;
      case kLfoHold: lfo.heldOutput = shapeOutput(lfo); break;
      default: break;
    }
  }
  rebuildLfoLayer();
}

void PlayerModulation::retriggerModEnvs() {
  for (ModEnvState& env : envs_) {
    if (!env.enabled) continue;
    env.counter = 0;
    env.running = 1;
    updateEnvOutput(env);
  }
  rebuildModEnvLayer();
}

void PlayerModulation::restartForHit() {
  flushPending();
  refreshResolvedParams();
  retriggerLfos();
  retriggerModEnvs();
}

bool PlayerModulation::wantsReverse() const {
  return mod_.value(ownParamCount(machineType_) + voice::kVoiceRev) >= 0.5f;
}

bool PlayerModulation::reverseFollowsTime() const {
  const std::uint32_t rev = static_cast<std::uint32_t>(ownParamCount(machineType_) + voice::kVoiceRev);
  return (lfos_[0].enabled && lfos_[0].dest == rev) || (lfos_[1].enabled && lfos_[1].dest == rev);
}

void PlayerModulation::advanceControlRate(int phase, std::int64_t frames) {
  // With nothing running, applying the time changes no value: skip the walk.
  if (!glideActive_ && !anyLfoRunning() && !anyModEnvRunning()) return;
  std::int64_t untilBoundary = kControlBlock - phase;
  while (frames >= untilBoundary) {
    pending_ += static_cast<std::int32_t>(untilBoundary);
    flushPending();
    frames -= untilBoundary;
    untilBoundary = kControlBlock;
  }
  pending_ += static_cast<std::int32_t>(frames);
}

void PlayerModulation::writeRandomOffsets(const ParamLock* list, int count, std::uint64_t seed) {
  if (!list) return;
  const int named = paramCount(machineType_);
  for (int i = 0; i < count; ++i) {
    const int p = list[i].param;
    const float depth = list[i].value;
    if (p >= kSlots || !(depth > 0.0f) || !std::isfinite(depth) || p >= named) continue;
    const ParamInfo info = paramInfo(machineType_, p);
    const std::uint64_t h = fnv1a64(info.id);
    const std::uint64_t a = hashDraw(h, 1);
    const std::uint64_t b = hashDraw(a ^ seed, 1);
    const std::uint64_t c = hashDraw(b, 1);
    const double u = unitFromDraw(c);
    mod_.layers[layer::kRandom][p] =
        static_cast<float>((2.0 * u - 1.0) * depth * (info.max - info.min) * 0.5);
  }
}

void PlayerModulation::applyHitModulation(const ParamLock* listA, int countA, std::uint64_t seed,
                                          const ParamLock* listB, int countB) {
  std::memset(mod_.layers[layer::kRandom], 0, sizeof(float) * kSlots);
  writeRandomOffsets(listB, countB, seed);
  writeRandomOffsets(listA, countA, seed);
}

void PlayerModulation::applyVelocityDests(float velocity, const ParamLock* dests, int count) {
  float* layer = mod_.layers[layer::kVelocity];
  std::memset(layer, 0, sizeof(float) * kSlots);
  if (!dests || !std::isfinite(velocity)) return;
  for (int i = 0; i < count; ++i) {
    const int p = dests[i].param;
    const float amount = dests[i].value;
    if (p >= kSlots || amount == 0.0f || !std::isfinite(amount)) continue;
    layer[p] = velocity * amount * paramRange(p);
  }
}

void PlayerModulation::refreshResolvedParams() {
  std::memset(mod_.layers[layer::kSmoothing], 0, sizeof(float) * kSlots);
  for (int p = 0; p < kSlots; ++p)
    smoothingTargets_[p] = mod_.layers[layer::kBase][p] + mod_.layers[layer::kMacro][p];
  smoothingActive_ = 0;
}

void PlayerModulation::keepHeldParams() {
  // Nearly every block moves no knob: a branch-free pass over the row (which
  // the compiler can vectorise) tells so before the per-slot walk.
  const float* base = mod_.layers[layer::kBase];
  const float* macro = mod_.layers[layer::kMacro];
  std::uint32_t moved = 0;
  for (int p = 0; p < kSlots; ++p)
    moved |= smoothMask_[p] & (base[p] + macro[p] != smoothingTargets_[p] ? ~0u : 0u);
  if (!moved) return;

  float* offsets = mod_.layers[layer::kSmoothing];
  for (int p = 0; p < kSlots; ++p) {
    if (!smoothFlags_[p]) continue;
    const float now = mod_.layers[layer::kBase][p] + mod_.layers[layer::kMacro][p];
    if (now == smoothingTargets_[p]) continue;
    // NaN never settles; let it through unsmoothed rather than poison the layer.
    if (!std::isfinite(now) || !std::isfinite(smoothingTargets_[p])) {
      smoothingTargets_[p] = now;
      offsets[p] = 0.0f;
      continue;
    }
    offsets[p] += smoothingTargets_[p] - now;
    smoothingTargets_[p] = now;
    smoothingActive_ = 1;
  }
}

void PlayerModulation::decaySmoothing(int n) {
  if (!smoothingActive_) return;
  const float k = static_cast<float>(std::exp(-static_cast<double>(n) / (sampleRate_ * kSmoothingSeconds)));
  float* offsets = mod_.layers[layer::kSmoothing];
  bool any = false;
  for (int p = 0; p < kSlots; ++p) {
    if (offsets[p] == 0.0f) continue;
    offsets[p] *= k;
    if (std::fabs(offsets[p]) <= (std::fabs(smoothingTargets_[p]) + 1.0f) * 0.000001f)
      offsets[p] = 0.0f;
    else
      any = true;
  }
  smoothingActive_ = any ? 1 : 0;
}

void PlayerModulation::glide(int n) {
  if (!glideActive_ || n <= 0) return;
  float* hit = mod_.layers[layer::kHit];
  const std::int32_t k = n < glideRemaining_ ? n : glideRemaining_;
  const float t = glideRemaining_ > 0 ? static_cast<float>(k) / static_cast<float>(glideRemaining_) : 1.0f;
  for (int p = 0; p < kSlots; ++p) hit[p] += (glideTargets_[p] - hit[p]) * t;
  glideRemaining_ -= k;
  if (glideRemaining_ < 1) {
    std::memcpy(hit, glideTargets_, sizeof(float) * kSlots);
    glideRemaining_ = 0;
    glideActive_ = 0;
  }
}

void PlayerModulation::glideTo(const float* targets, int samples) {
  if (!targets) return;
  std::memcpy(glideTargets_, targets, sizeof(float) * kSlots);
  if (samples <= 1) {
    std::memcpy(mod_.layers[layer::kHit], targets, sizeof(float) * kSlots);
    glideRemaining_ = 0;
    glideActive_ = 0;
    return;
  }
  glideRemaining_ = samples;
  glideActive_ = 1;
}

void PlayerModulation::saveModulators(ModulatorSave& out) const {
  out.mod = mod_;
  out.lfos[0] = lfos_[0];
  out.lfos[1] = lfos_[1];
  out.envs[0] = envs_[0];
  out.envs[1] = envs_[1];
  std::memcpy(out.glideTargets, glideTargets_, sizeof glideTargets_);
  std::memcpy(out.smoothingTargets, smoothingTargets_, sizeof smoothingTargets_);
  out.glideRemaining = glideRemaining_;
  out.glideActive = glideActive_;
  out.smoothingActive = smoothingActive_;
}

void PlayerModulation::restoreModulators(const ModulatorSave& in) {
  mod_ = in.mod;
  lfos_[0] = in.lfos[0];
  lfos_[1] = in.lfos[1];
  envs_[0] = in.envs[0];
  envs_[1] = in.envs[1];
  std::memcpy(glideTargets_, in.glideTargets, sizeof glideTargets_);
  std::memcpy(smoothingTargets_, in.smoothingTargets, sizeof smoothingTargets_);
  glideRemaining_ = in.glideRemaining;
  glideActive_ = in.glideActive;
  smoothingActive_ = in.smoothingActive;
}

bool PlayerModulation::sameRenderState(const PlayerModulation& o) const {
  return sameBits(mod_.layers, o.mod_.layers) && sameBits(mod_.tempo, o.mod_.tempo) &&
         machineType_ == o.machineType_ && sameBits(sampleRate_, o.sampleRate_) &&
         sameBits(tempo_, o.tempo_) && chromatic_ == o.chromatic_ &&
         sameBits(glideTargets_, o.glideTargets_) && glideRemaining_ == o.glideRemaining_ &&
         glideActive_ == o.glideActive_ && sameBits(smoothFlags_, o.smoothFlags_) &&
         sameBits(smoothMask_, o.smoothMask_) && sameBits(smoothingTargets_, o.smoothingTargets_) &&
         smoothingActive_ == o.smoothingActive_ && sameBits(lfos_[0], o.lfos_[0]) &&
         sameBits(lfos_[1], o.lfos_[1]) && sameBits(envs_[0], o.envs_[0]) && sameBits(envs_[1], o.envs_[1]);
}

void PlayerModulation::bindModulation(std::uint8_t machineType) {
  machineType_ = machineType;
  std::memset(mod_.layers[layer::kHit], 0, sizeof(float) * kSlots);
  std::memset(mod_.layers[layer::kLfo], 0, sizeof(float) * kSlots);
  float* base = mod_.layers[layer::kBase];
  std::memset(base, 0, sizeof(float) * kSlots);
  const int count = paramCount(machineType);
  for (int p = 0; p < count && p < kSlots; ++p) base[p] = paramInfo(machineType, p).defaultValue;
  for (int p = 0; p < kSlots; ++p) {
    const ParamInfo info = p < count ? paramInfo(machineType, p) : ParamInfo{};
    const bool named = info.id && info.id[0] != '\0';
    smoothFlags_[p] = (named && !info.stepped && !isKey(info.id, "slot") && !isKey(info.id, "slice")) ? 1 : 0;
    smoothMask_[p] = smoothFlags_[p] ? ~0u : 0u;
  }
  refreshResolvedParams();
  lfos_[0].enabled = 0;
  lfos_[1].enabled = 0;
  for (ModEnvState& env : envs_) env = ModEnvState{};
  std::memset(mod_.layers[layer::kModEnv], 0, sizeof(float) * kSlots);
}

}  // namespace ob
