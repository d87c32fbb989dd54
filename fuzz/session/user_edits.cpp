#include "fuzz/session/user_edits.h"

#include <algorithm>
#include <cmath>

#include "engine/clock/step_rate.h"
#include "engine/model/machine_change.h"
#include "engine/model/reach.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"

namespace obsession {

namespace {

using Edits = std::vector<ob::EditCommand>;

constexpr int kShapes = 6;
constexpr int kModes = 5;
constexpr std::uint8_t kAddable[] = {ob::kMachineDrum, ob::kMachineSample, ob::kMachineGranular};

using ob::tracksInUse;

const ob::Sound* soundOf(const ob::Pattern& p, int track) {
  const int s = p.tracks[track].soundIndex;
  return s >= 0 && s < ob::kMaxTracks ? &p.kit.sounds[s] : nullptr;
}

int machineOf(const ob::Pattern& p, int track) {
  const ob::Sound* sound = soundOf(p, track);
  return sound != nullptr ? sound->machine : ob::kMachineDrum;
}

int paramsOf(const ob::Pattern& p, int track) {
  return std::min(ob::paramCount(machineOf(p, track)), ob::kSoundParamSlots);
}

bool isDrum(const ob::Pattern& p, int track) {
  return ob::sameMachineKind(machineOf(p, track), ob::kMachineDrum);
}

bool sampleBased(const ob::Pattern& p, int track) {
  const int m = machineOf(p, track);
  return m == ob::kMachineSample || m == ob::kMachineGranular;
}

ob::EditCommand edit(std::uint8_t kind, int track, int step, int param, float value) {
  ob::EditCommand c;
  c.kind = kind;
  c.track = static_cast<std::uint32_t>(track);
  c.step = static_cast<std::uint32_t>(step);
  c.param = param;
  c.value = value;
  return c;
}

// A drum's node graphs take an LFO's reach on a parameter: the LFO that
// reaches it, else one switched off, aimed there, on while the reach is.
Edits reach(const ob::Track& track, int t, int param, float amount) {
  const auto reaches = [&](int i) { return track.lfos[i].enabled && track.lfos[i].dest == param; };
  const int chosen = reaches(0)               ? 0
                     : reaches(1)             ? 1
                     : !track.lfos[0].enabled ? 0
                     : !track.lfos[1].enabled ? 1
                                              : -1;
  if (chosen < 0) return {};
  const ob::Lfo& lfo = track.lfos[chosen];
  const bool on = amount > 0.0f;
  Edits out;
  if (lfo.dest != param) out.push_back(edit(ob::kEditLfoDest, t, 0, chosen, static_cast<float>(param)));
  if ((lfo.enabled != 0) != on) out.push_back(edit(ob::kEditLfoEnabled, t, 0, chosen, on ? 1.0f : 0.0f));
  out.push_back(edit(ob::kEditLfoDepth, t, 0, chosen, amount));
  return out;
}

// The chips of an LFO switched on: its shape, its mode, its rate (free,
// then the divisions it steps through while synced).
Edits lfoChip(const ob::Track& track, const ob::EditCommand& c) {
  const int i = c.param & 1;
  const ob::Lfo& lfo = track.lfos[i];
  if (!lfo.enabled) return {};
  const auto held = [](float v, int count) {
    return static_cast<float>(static_cast<int>(std::fabs(v)) % count);
  };
  switch (c.kind) {
    case ob::kEditLfoShape: return {edit(c.kind, static_cast<int>(c.track), 0, i, held(c.value, kShapes))};
    case ob::kEditLfoMode: return {edit(c.kind, static_cast<int>(c.track), 0, i, held(c.value, kModes))};
    case ob::kEditLfoSync:
      if (lfo.sync) return {edit(c.kind, static_cast<int>(c.track), 0, i, 0.0f)};
      return {edit(c.kind, static_cast<int>(c.track), 0, i, 1.0f),
              edit(ob::kEditLfoRateDiv, static_cast<int>(c.track), 0, i, 0.0f)};
    case ob::kEditLfoRateDiv:
      if (!lfo.sync) return {};
      return {edit(c.kind, static_cast<int>(c.track), 0, i, held(c.value, ob::kDivisionCount))};
    default: return {};
  }
}

// The grid's gestures on a hit: micro-timing, the retrigger's count (never
// one: a drag gives none or two and up, with the rate it is drawn at), its
// ramp, and its rate on the chip that shows with repeats.
Edits onHit(const ob::Step& step, const ob::EditCommand& c) {
  const int t = static_cast<int>(c.track);
  const int s = static_cast<int>(c.step);
  switch (c.param & 0xff) {
    case ob::kStepMicro:
    case ob::kStepVelCurve: return {c};
    case ob::kStepRetrigCount: {
      const int count = std::clamp(static_cast<int>(c.value), 0, 32);
      Edits out{edit(c.kind, t, s, ob::kStepRetrigCount, count == 1 ? 0.0f : static_cast<float>(count))};
      if (count >= 2 && step.rateTicks == 0)
        out.push_back(edit(c.kind, t, s, ob::kStepRateTicks, static_cast<float>(ob::kDefaultRetrigTicks)));
      return out;
    }
    case ob::kStepRateTicks:
      if (step.count < 2) return {};
      return {c};
    default: return {};
  }
}

// The velocity tile's layers: a split added or removed, the velocity range
// spread evenly again; a mode chosen while layered.
Edits layers(const ob::Sound& sound, const ob::EditCommand& c) {
  const int t = static_cast<int>(c.track);
  const int now = std::min<int>(sound.zoneCount, ob::kListCapacity);
  const int asked = std::clamp(static_cast<int>(c.value), 0, ob::kListCapacity);
  if (asked == now) {
    if (now == 0) return {};
    return {edit(c.kind, t, 0, std::abs(c.param) % 3, static_cast<float>(now))};
  }
  const int count = asked > now ? now + 1 : now - 1;
  Edits out{edit(c.kind, t, 0, sound.mode, static_cast<float>(count))};
  for (int i = 0; i < count; ++i) {
    const long top = i == count - 1 ? 127 : std::lround((i + 1) * 127.0 / count);
    out.push_back(edit(ob::kEditZoneVelMax, t, 0, i, static_cast<float>(top)));
  }
  return out;
}

}  // namespace

int trackInUse(const ob::Project& project, int asked) {
  const int n = tracksInUse(project.patterns[0]);
  return n > 0 ? std::abs(asked) % n : -1;
}

std::vector<ob::EditCommand> userEdits(const ob::Project& project, ob::EditCommand c) {
  const ob::Pattern& p = project.patterns[0];
  const int t = trackInUse(project, static_cast<int>(c.track));
  switch (c.kind) {
    case ob::kEditMacroValue:
      // The macro panel's fader and the host's parameter events hold it to
      // its range; the model stores what it is sent.
      c.value = std::clamp(c.value, 0.0f, 1.0f);
      return {c};
    case ob::kEditBpm:
    case ob::kEditMacroName:
    case ob::kEditRemoveMacroDest: return {c};
    case ob::kEditMuteMask:
      c.value =
          static_cast<float>(static_cast<unsigned>(std::max(c.value, 0.0f)) & ((1u << tracksInUse(p)) - 1u));
      return {c};
    case ob::kEditAddTrack:
      c.param = kAddable[static_cast<std::size_t>(std::abs(c.param)) % std::size(kAddable)];
      return {c};
    default: break;
  }
  if (t < 0) return {};
  c.track = static_cast<std::uint32_t>(t);
  const ob::Track& track = p.tracks[t];
  const ob::Step& step = track.steps[c.step % ob::kStepsPerTrack];
  const int params = paramsOf(p, t);
  const ob::Sound* sound = soundOf(p, t);
  switch (c.kind) {
    case ob::kEditToggleStep:
    case ob::kEditTrackRandom:
    case ob::kEditMuteTrack:
    case ob::kEditRemoveTrack:
    case ob::kEditDuplicateTrack:
    case ob::kEditTrackRate:
    case ob::kEditTrackLength:
    case ob::kEditChokeGroup:
    case ob::kEditVelocityDest:
    case ob::kEditSoundParam: return {c};
    case ob::kEditMacroDest: c.step %= static_cast<std::uint32_t>(std::max(params, 1)); return {c};
    case ob::kEditSetStepLock: return step.active ? Edits{c} : Edits{};
    case ob::kEditStepRandom: return step.active && isDrum(p, t) ? Edits{c} : Edits{};
    case ob::kEditStepField: return step.active ? onHit(step, c) : Edits{};
    case ob::kEditLfoDest:
    case ob::kEditLfoEnabled:
    case ob::kEditLfoDepth:
      if (!isDrum(p, t) || params == 0) return {};
      return reach(track, t, c.param % params, std::clamp(c.value, 0.0f, 1.0f));
    case ob::kEditLfoShape:
    case ob::kEditLfoMode:
    case ob::kEditLfoSync:
    case ob::kEditLfoRateDiv: return isDrum(p, t) ? lfoChip(track, c) : Edits{};
    case ob::kEditZoneLayout: return sound && sampleBased(p, t) ? layers(*sound, c) : Edits{};
    case ob::kEditZoneSlot:
    case ob::kEditZoneVelMax:
      return sound && sampleBased(p, t) && c.param < sound->zoneCount ? Edits{c} : Edits{};
    default: return {};  // no control sends it
  }
}

}  // namespace obsession
