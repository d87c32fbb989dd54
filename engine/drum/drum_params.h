#pragma once

#include "engine/machine/layer_sums.h"
#include "engine/machine/mod_layers.h"

namespace ob::drum_param {

// Own parameter indices of the drum machine, in table order.
inline constexpr int kExc1Type = 0;
inline constexpr int kExc1Tone = 1;
inline constexpr int kExc1Decay = 2;
inline constexpr int kExc1Level = 3;
inline constexpr int kExc1Aux1 = 4;
inline constexpr int kExc1Aux2 = 5;
inline constexpr int kExc1Rev = 6;
inline constexpr int kExc2Type = 7;
inline constexpr int kExc2Tone = 8;
inline constexpr int kExc2Decay = 9;
inline constexpr int kExc2Level = 10;
inline constexpr int kExc2Aux1 = 11;
inline constexpr int kExc2Aux2 = 12;
inline constexpr int kExc2Rev = 13;
inline constexpr int kBleed = 14;
inline constexpr int kResType = 15;
inline constexpr int kResTune = 16;
inline constexpr int kResDecay = 17;
inline constexpr int kResTone = 18;
inline constexpr int kResLevel = 19;
inline constexpr int kResAux1 = 20;
inline constexpr int kResAux2 = 21;
inline constexpr int kResRev = 22;
inline constexpr int kDistAmt = 23;
inline constexpr int kDistBias = 24;
inline constexpr int kDistFold = 25;
inline constexpr int kDistPos = 26;
inline constexpr int kLevel = 27;
inline constexpr int kExc1Width = 28;
inline constexpr int kExc2Width = 29;
inline constexpr int kOwnCount = 30;

// An exciter's seven keys sit at base + offset (base 0 or 7).
inline constexpr int kExcTypeOffset = 0;
inline constexpr int kExcToneOffset = 1;
inline constexpr int kExcDecayOffset = 2;
inline constexpr int kExcLevelOffset = 3;
inline constexpr int kExcAux1Offset = 4;
inline constexpr int kExcAux2Offset = 5;
inline constexpr int kExcRevOffset = 6;

// Choice codes.
enum ExciterType : int { kExcNone = 0, kExcClick, kExcKnock, kExcBpNoise, kExcSample, kExcClap, kExcHpNoise };
enum BodyType : int {
  kBodyNone = 0,
  kBodySine,
  kBodyShell,
  kBodyModal,
  kBodySample,
  kBodyMetal,
  kBodyString,
  kBodyFm,
  kBodyWave
};
enum DistPos : int { kDistInBody = 0, kDistPostMix = 1 };

}  // namespace ob::drum_param

namespace ob {

// The drum's own parameter sums for one render call, read once per call.
struct DrumParamValues {
  // Rounded up to a multiple of the vector width so the sum vectorises;
  // the two spare slots hold sums that belong to no parameter.
  static constexpr int kSlots = 32;
  float v[kSlots];  // left unset: read() fills every slot, once per render

  DrumParamValues() = default;
  explicit DrumParamValues(const ModLayers& mod) { read(mod); }

  void read(const ModLayers& mod) { sumLayerColumns(mod, 0, kSlots, v); }
  float value(int i) const { return v[i]; }
  int choice(int i) const { return roundHalfUp(v[i]); }
  bool flag(int i) const { return v[i] >= 0.5f; }
};

}  // namespace ob
