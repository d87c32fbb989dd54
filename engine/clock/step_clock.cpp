#include "engine/clock/step_clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/clock/clock_math.h"
#include "engine/clock/step_rate.h"
#include "engine/clock/tempo.h"
#include "engine/fnv.h"
#include "engine/model/project.h"
#include "engine/model/reach.h"

namespace ob {

namespace {

// Steps a track plays before it wraps. Lengths past the step array (only a
// damaged record holds them) play the steps that exist.
int trackLength(const Track& t) { return std::min<int>(t.length, kStepsPerTrack); }

// k mod n for n > 0, never negative.
std::int64_t wrap(std::int64_t k, std::int64_t n) {
  const std::int64_t m = k % n;
  return m < 0 ? m + n : m;
}

// Largest integer a double converts to without overflow.
constexpr double kMaxIndex = 9.0e15;

}  // namespace

void StepClock::setSampleRate(double rate) { sampleRate = rate > 0.0 ? rate : 44100.0; }

int StepClock::activeTracks() const { return pattern ? tracksInUse(*pattern) : 0; }

void StepClock::reset(const Pattern* p) {
  pattern = p;
  patternIndex = 0;
  untilNextStep = 0.0;
  globalStep = 0;
  stepInPattern = 0;
  patternPass = 0;
  pendingCount = 0;
  for (int t = 0; t < kMaxTracks; ++t) {
    untilTrackStep[t] = 0.0;
    trackStep[t] = 0;
    started[t] = 0;
  }
  if (p) setTempo(effectiveTempo(p->bpm));
  updateStepLengths();
}

void StepClock::setKit(const Pattern* p) {
  pattern = p;
  if (p) setTempo(effectiveTempo(p->bpm));
  updateStepLengths();
}

void StepClock::updateStepLengths() {
  const int n = activeTracks();
  for (int t = 0; t < n; ++t) {
    // Sixteen sixteenths to the whole note.
    trackStepLength[t] = 16.0 * samplesPerSixteenth / stepRate(pattern->tracks[t].rate).stepsPerWhole;
  }
}

void StepClock::setPosition(std::int64_t step) {
  const int len = pattern ? pattern->length : 0;
  if (len == 0) {
    patternPass = 0;
    return;
  }
  stepInPattern = static_cast<std::int32_t>(wrap(step, len));
  patternPass = step / len;
}

std::int64_t StepClock::stepsUntil(double x, double len, double& offset) {
  double k = len > 0.0 ? std::ceil(x - 0.5 / len) : std::ceil(x);
  if (!(k > 0.0)) k = 0.0;
  if (k > kMaxIndex) k = kMaxIndex;
  offset = (k - x) * len;
  return static_cast<std::int64_t>(k);
}

void StepClock::syncTo(double target) {
  if (!pattern || !(samplesPerSixteenth > 0.0) || !std::isfinite(target)) return;
  updateStepLengths();
  const double now = static_cast<double>(globalStep) - untilNextStep / samplesPerSixteenth;
  const double d = (target - now) * samplesPerSixteenth;
  if (std::fabs(d) < 0.5 * samplesPerSixteenth) {
    // Small drift: shift everything in place, nothing is dropped.
    untilNextStep -= d;
    for (int t = 0; t < kMaxTracks; ++t) untilTrackStep[t] -= d;
    for (int i = 0; i < pendingCount; ++i) pending[i].countdown -= d;
    return;
  }
  globalStep = stepsUntil(target, samplesPerSixteenth, untilNextStep);
  if (globalStep < 1) {
    stepInPattern = 0;
    patternPass = 0;
  } else {
    setPosition(globalStep - 1);
  }
  const int n = activeTracks();
  for (int t = 0; t < n; ++t) {
    const double len = trackStepLength[t];
    trackStep[t] = stepsUntil(target * samplesPerSixteenth / len, len, untilTrackStep[t]);
    started[t] = 0;
  }
  pendingCount = 0;
}

void StepClock::process(std::int32_t frames, StepEventList& out) {
  out.clear();
  if (!pattern) return;
  updateStepLengths();
  if (frames < 1) return;
  const int n = activeTracks();
  const int patternLength = pattern->length;
  for (std::int32_t i = 0; i < frames; ++i) {
    // Most samples change nothing but the countdowns: jump over them.
    const std::int32_t quiet = quietSamples(frames - i, n);
    if (quiet > 0) {
      skipQuiet(quiet, n);
      i += quiet - 1;
      continue;
    }
    if (untilNextStep <= 0.0) {
      if (patternLength != 0) {
        stepInPattern = static_cast<std::int32_t>(wrap(globalStep, patternLength));
        patternPass = globalStep / patternLength;
      } else {
        patternPass = 0;
      }
      untilNextStep += samplesPerSixteenth;
      globalStep += 1;
    }
    for (int t = 0; t < n; ++t) {
      if (trackLength(pattern->tracks[t]) == 0 || untilTrackStep[t] > 0.0) continue;
      if (untilTrackStep[t] <= -trackStepLength[t] && trackStepLength[t] > 0.0) {
        // Whole steps went by unplayed (the track had no length): skip them
        // and start again at this boundary instead of firing them all at once.
        double missed = std::floor(-untilTrackStep[t] / trackStepLength[t]);
        if (missed > kMaxIndex) missed = kMaxIndex;
        trackStep[t] += static_cast<std::int64_t>(missed);
        untilTrackStep[t] += missed * trackStepLength[t];
        started[t] = 0;
      }
      if (!started[t]) {
        retrigEvents(t, trackStep[t], untilTrackStep[t]);
        started[t] = 1;
      }
      retrigEvents(t, trackStep[t] + 1, trackStepLength[t] + untilTrackStep[t]);
      trackStep[t] += 1;
      untilTrackStep[t] += trackStepLength[t];
    }
    int kept = 0;
    for (int p = 0; p < pendingCount; ++p) {
      Pending& e = pending[p];
      if (e.countdown < 0.5 && !out.full()) {
        e.event.time = i;
        out.push(e.event);
        continue;
      }
      // A full output list holds the event back; it is due at once in the
      // next block instead of being lost.
      if (!(e.countdown < 0.5)) e.countdown -= 1.0;
      if (kept != p) pending[kept] = e;
      ++kept;
    }
    pendingCount = kept;
    untilNextStep -= 1.0;
    for (int t = 0; t < n; ++t) untilTrackStep[t] -= 1.0;
  }
}

namespace {

// Countdowns this large no longer drop by exactly one a sample; they are
// left to the sample loop.
constexpr double kExactLimit = 4.0e15;

// Samples, at most limit, for which a countdown v lowered by one a sample
// stays above 0.
std::int32_t aboveZeroFor(double v, std::int32_t limit) {
  if (!(v > 0.0) || !(v < kExactLimit)) return 0;
  if (v >= static_cast<double>(limit)) return limit;
  return static_cast<std::int32_t>(std::ceil(v));
}

// Samples, at most limit, for which a countdown c lowered by one a sample
// stays at 0.5 or above.
std::int32_t halfOrAboveFor(double c, std::int32_t limit) {
  if (!(c >= 0.5) || !(c < kExactLimit)) return 0;
  if (c - 0.5 >= static_cast<double>(limit)) return limit;
  auto q = static_cast<std::int32_t>(std::floor(c + 0.5));
  while (q > 0 && !(c - static_cast<double>(q - 1) >= 0.5)) --q;  // c + 0.5 may round up
  return q < limit ? q : limit;
}

}  // namespace

// Samples from now, at most limit, on which the sample loop would neither
// start a step nor release an event. On such samples every countdown just
// drops by one, and each of those subtractions is exact while its operand
// stays above 0 (at or above 0.5 for the event countdowns), so skipping them
// in one subtraction gives the same values bit for bit.
std::int32_t StepClock::quietSamples(std::int32_t limit, int n) const {
  std::int32_t q = aboveZeroFor(untilNextStep, limit);
  for (int t = 0; t < n && q > 0; ++t) {
    if (trackLength(pattern->tracks[t]) == 0) continue;
    q = aboveZeroFor(untilTrackStep[t], q);
  }
  for (int p = 0; p < pendingCount && q > 0; ++p) q = halfOrAboveFor(pending[p].countdown, q);
  return q;
}

std::int32_t StepClock::releaseSample(double countdown) {
  return halfOrAboveFor(countdown, std::numeric_limits<std::int32_t>::max());
}

void StepClock::skipQuiet(std::int32_t frames, int n) {
  const double d = static_cast<double>(frames);
  untilNextStep -= d;
  for (int t = 0; t < n; ++t) {
    if (aboveZeroFor(untilTrackStep[t], frames) == frames) {
      untilTrackStep[t] -= d;
    } else {
      // A track without steps counts on below zero, where a subtraction
      // can round: keep the per-sample sequence.
      for (std::int32_t i = 0; i < frames; ++i) untilTrackStep[t] -= 1.0;
    }
  }
  for (int p = 0; p < pendingCount; ++p) pending[p].countdown -= d;
}

void StepClock::retrigEvents(int t, std::int64_t k, double offset) {
  if (!pattern || t < 0 || t >= kMaxTracks) return;
  const Track& track = pattern->tracks[t];
  const int len = trackLength(track);
  if (len == 0 || (pattern->muteMask >> t) & 1u) return;
  const int s = static_cast<int>(wrap(k, len));
  const Step& step = track.steps[s];
  if (!step.active || step.muted) return;
  const int count = step.count > 1 ? step.count : 1;
  const double nominal = rateBeats(track.rate) * static_cast<double>(k);
  const double samplesPerBeat = 4.0 * samplesPerSixteenth;
  for (int sub = 0; sub < count && pendingCount < kMaxPending; ++sub) {
    const StepResult e = stepEvent(t, k, sub);
    if (step.velocity != 0 && !e.fire) continue;
    double countdown = samplesPerBeat * (e.beats - nominal) + offset;
    if (!(countdown > 0.0)) countdown = 0.0;  // also catches NaN from a damaged tempo
    Pending& p = pending[pendingCount++];
    p.countdown = countdown;
    p.event.track = t;
    p.event.step = &step;
    p.event.note = step.note;
    p.event.velocity = e.velocity;
    p.event.time = 0;
    p.event.fire = step.velocity != 0 ? 1 : 0;
    p.event.stepIndex = s;
    p.event.patternIndex = patternIndex;
    p.event.hash = e.hash;
    p.event.trackStep = k;
    p.event.subIndex = sub;
    p.event.beats = e.beats;
    if (step.velocity == 0) break;
  }
}

StepClock::StepResult StepClock::stepEvent(int t, std::int64_t k, std::int32_t sub) const {
  StepResult r;
  if (!pattern || t < 0 || t >= tracksInUse(*pattern)) return r;
  const Track& track = pattern->tracks[t];
  const int len = trackLength(track);
  if (len == 0) return r;
  const Step& step = track.steps[wrap(k, len)];
  const double B = rateBeats(track.rate);
  const double P = pattern->length;

  const int n = step.count < 2 ? 1 : step.count;
  const double R = retrigTicks(step);

  const double base = static_cast<double>(k) * B;
  const double bar = P * 0.25;
  double barIndex = bar > 0.0 ? std::floor(base / bar + 1e-9) : 0.0;
  if (!(barIndex >= 0.0)) barIndex = 0.0;
  if (barIndex > kMaxIndex) barIndex = kMaxIndex;

  const double x = bar / B;
  const double rr = std::nearbyint(x);
  double inBar;
  if (std::fabs(x - rr) < 1e-9 && rr >= 1.0) {
    inBar = static_cast<double>(wrap(k, static_cast<std::int64_t>(rr))) * B;
  } else {
    inBar = base - barIndex * bar;
  }

  const double ro = sub * (R / kTicksPerStep * B);
  double time = ro + base;

  r.fire = step.active && !step.muted && step.velocity > 0 && !((pattern->muteMask >> t) & 1u) && sub < n &&
           bar - 1e-9 > ro + inBar;

  std::size_t idLen = 0;
  while (idLen < sizeof(track.id) && track.id[idLen] != '\0') ++idLen;
  r.hash = stepHash(seed, defaultSeedOr(*pattern), ro + inBar, fnv1a64(std::string_view(track.id, idLen)),
                    static_cast<std::uint64_t>(static_cast<std::int64_t>(barIndex)));

  // Swing: straight sixteenths following a straight pattern skip the warp.
  const bool followsPattern = track.swing < 0.0f;
  const double sw = followsPattern ? pattern->swing : track.swing;
  if (!(followsPattern && track.rate == kSixteenthRate && pattern->swing == 50.0f)) {
    double amount = (sw - 50.0) / 200.0 + 0.5;
    // Out-of-range swing would fold steps past their pair; NaN keeps straight.
    amount = amount == amount ? std::clamp(amount, 0.0, 1.0) : 0.5;
    const double whole = std::floor(time * 0.25 + 1e-9);
    time = swingWarp(time - 4.0 * whole, rateBeats(track.rate), amount) + 4.0 * whole;
  }

  const double u2 = unitFromDraw(hashDraw(r.hash, 2));
  r.beats = step.randTime * 0.5 * B * (2.0 * u2 - 1.0) + (step.micro * 0.015625 * 0.5 * B + time);
  if (!std::isfinite(r.beats)) r.beats = time;  // a damaged random-time amount

  double factor = 1.0;
  const double A = pattern->accentAmount;
  if (A > 0.0 && pattern->accentEvery != 0) {
    const double K = std::clamp(static_cast<double>(pattern->accentCurve), 0.0, 1.0);
    const double A1 = std::min(1.0, A);
    if (wrap(k, len) % pattern->accentEvery == 0) {
      factor = 1.0 + A1 * K;
    } else {
      factor = 1.0 - (1.0 - K) * A1;
    }
  }
  double v = std::clamp(step.velocity / 127.0 * factor, 0.0, 1.0);

  if (n >= 2 && (sub > 0 || step.velCurve >= 1)) {
    const double cc = step.velCurve / 128.0;
    const double f = static_cast<double>(sub) / (n - 1);
    const double m = cc >= 0.0 ? 1.0 - (1.0 - f) * cc : 1.0 + cc * f;
    v = m < 0.0 ? 0.0 : std::min(1.0, m) * v;
  }

  const double u1 = unitFromDraw(hashDraw(r.hash, 1));
  double vel = (2.0 * u1 - 1.0) * step.randVel + v;
  vel = vel == vel ? std::clamp(vel, 0.0, 1.0) : v;
  r.velocity = static_cast<float>(vel);
  return r;
}

StepClock::Playable StepClock::nextPlayableStep(int t, std::int64_t k, std::int32_t sub) const {
  Playable none;
  if (!pattern || t < 0 || t >= tracksInUse(*pattern)) return none;
  const int len = trackLength(pattern->tracks[t]);
  if (len == 0) return none;
  if (stepEvent(t, k, sub + 1).fire) return {true, k, sub + 1};
  for (int j = 1; j <= len; ++j) {
    if (stepEvent(t, k + j, 0).fire) return {true, k + j, 0};
  }
  return none;
}

}  // namespace ob
