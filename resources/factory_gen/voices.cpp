#include "resources/factory_gen/voices.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace gen {
namespace {

// Dynamic markings and the stroke strength they stand for.
struct Dynamic {
  std::string_view suffix;
  double velocity;
};
constexpr std::array<Dynamic, 6> kDynamics{
    {{"ghost", 0.18}, {"pp", 0.25}, {"p", 0.38}, {"mp", 0.58}, {"f", 0.8}, {"ff", 1.0}}};

double bright(double velocity, double lo, double hi) { return lo * detPow(hi / lo, velocity); }

// Soft limiting that grows with the stroke: louder hits gain overtones.
void saturate(Buffer& b, double drive) {
  if (drive <= 0.0) return;
  for (double& v : b) v = detTanh(drive * v) / drive;
}

Buffer filtered(Buffer b, std::initializer_list<Biquad> chain) {
  for (Biquad f : chain) f.run(b);
  return b;
}

// ---------------------------------------------------------------- membranes

// Ratios of the first modes of an ideal circular membrane.
constexpr std::array<double, 8> kMembrane{1.0, 1.594, 2.136, 2.296, 2.653, 2.918, 3.156, 3.501};

struct DrumSpec {
  double f0;        // fundamental, Hz
  double tau;       // decay of the fundamental, s
  int modes;        // how many membrane modes
  double modeFall;  // gain fall per mode
  double tauFall;   // decay shortening per mode (ratio power)
  double bend;      // pitch raise of a full stroke
  double bendTau;
  double stickGain;         // attack noise
  double stickLo, stickHi;  // its low-pass range from soft to hard
  double stickTau;
  double darken;  // how much softer strokes lose the upper modes
  std::uint32_t seed;
};

Buffer membrane(std::size_t frames, const DrumSpec& s, double v) {
  Buffer out(frames, 0.0);
  for (int k = 0; k < s.modes && k < static_cast<int>(kMembrane.size()); ++k) {
    const double r = kMembrane[static_cast<std::size_t>(k)];
    Mode m;
    m.hz = s.f0 * r;
    m.gain = detPow(s.modeFall, k) * detPow(v, s.darken * (r - 1.0));
    m.tau = s.tau * detPow(r, -s.tauFall);
    m.bend = s.bend * v;
    m.bendTau = s.bendTau;
    addMode(out, m);
  }
  Rng rng(s.seed);
  Buffer stick = noiseBurst(frames, rng, 0.0002, s.stickTau);
  stick = filtered(std::move(stick), {Biquad::lowPass(bright(v, s.stickLo, s.stickHi), 0.7),
                                      Biquad::highPass(s.f0 * 1.5, 0.7)});
  mixInto(out, stick, s.stickGain * detPow(v, 1.6));
  for (double& x : out) x *= v;
  return out;
}

struct KickSpec {
  double f0, tau, bend, bendTau;
  double headGain;  // the second head's knock around 1.5 f0
  double clickGain, clickLo, clickHi;
  double drive;
  std::uint32_t seed;
};

Buffer kick(std::size_t frames, const KickSpec& s, double v) {
  Buffer out(frames, 0.0);
  const double bend = s.bend * (0.55 + 0.45 * v);
  addMode(out, {s.f0, 1.0, s.tau, bend, s.bendTau, 0});
  addMode(out, {s.f0 * 1.594, 0.35 * v, s.tau * 0.3, bend * 0.7, s.bendTau, 0});
  addMode(out, {s.f0 * 2.136, 0.12 * v, s.tau * 0.16, bend * 0.5, s.bendTau, 0});
  addMode(out, {s.f0 * 2.653, 0.06 * v * v, s.tau * 0.1, bend * 0.5, s.bendTau, 0});
  addMode(out, {s.f0 * 1.52, s.headGain, s.tau * 0.45, 0.0, 0.05, 0});
  Rng rng(s.seed);
  Buffer click = noiseBurst(frames, rng, 0.0001, 0.0035);
  click = filtered(std::move(click),
                   {Biquad::lowPass(bright(v, s.clickLo, s.clickHi), 0.8), Biquad::highPass(250.0, 0.7)});
  mixInto(out, click, s.clickGain * detPow(v, 1.4));
  for (double& x : out) x *= v;
  saturate(out, s.drive * v);
  return out;
}

struct SnareSpec {
  DrumSpec head;
  double wireGain, wireTau, wireLo, wireHi;
  double drive;
};

Buffer snare(std::size_t frames, const SnareSpec& s, double v) {
  Buffer out = membrane(frames, s.head, v);
  if (s.wireGain > 0.0) {
    Rng rng(s.head.seed ^ 0x5a5a1234u);
    // The wires answer the bottom head a moment after the stroke.
    Buffer wires = noiseBurst(frames, rng, 0.0015, s.wireTau * (0.7 + 0.3 * v), framesOf(0.0008));
    wires = filtered(std::move(wires), {Biquad::lowPass(bright(v, s.wireLo, s.wireHi), 0.7),
                                        Biquad::highPass(1500.0, 0.6), Biquad::highPass(900.0, 0.6)});
    mixInto(out, wires, s.wireGain * v * (0.35 + 0.65 * v));
  }
  saturate(out, s.drive * v);
  return out;
}

// A rim or wood click: a few stiff modes and a sharp noise tick.
struct ClickSpec {
  std::array<double, 5> hz;
  std::array<double, 5> gain;
  std::array<double, 5> tau;
  double noiseGain, noiseHp, noiseTau;
  std::uint32_t seed;
};

void addClick(Buffer& out, const ClickSpec& s, double v, std::int64_t start, double level) {
  for (std::size_t k = 0; k < s.hz.size(); ++k) {
    if (s.gain[k] == 0.0) continue;
    Partial p;
    p.hz = s.hz[k];
    p.gain = level * s.gain[k] * detPow(v, 0.5 * detLog(s.hz[k] / s.hz[0]) / kLn2);
    p.tau = s.tau[k];
    p.start = start;
    addPartial(out, p);
  }
  Rng rng(s.seed + static_cast<std::uint32_t>(start));
  Buffer tick = noiseBurst(out.size(), rng, 0.0001, s.noiseTau, start);
  tick = filtered(std::move(tick), {Biquad::highPass(s.noiseHp, 0.7)});
  mixInto(out, tick, level * s.noiseGain);
}

// ------------------------------------------------------------------- metals

struct MetalSpec {
  int count;
  double lo, hi;    // partial range, Hz
  double tau;       // decay at 1 kHz
  double tauSlope;  // higher partials die faster: tau (f / 1 kHz)^-slope
  double spread;    // random spread of the decays
  double tilt;      // gain falls as f^-tilt
  double darken;    // soft strokes lose gain per octave above lo
  double noiseGain, noiseTau, noiseHp;
  double attackGain;  // broadband stick or chick noise at the start
  double attackTau;
  double highPass;
  std::uint32_t seed;
  double bloom = 0.0;  // how long the top of the range takes to build up, s
};

Buffer metal(std::size_t frames, const MetalSpec& s, double v) {
  Buffer out(frames, 0.0);
  Rng rng(s.seed);
  for (int i = 0; i < s.count; ++i) {
    Partial p;
    p.hz = rng.logRange(s.lo, s.hi);
    const double octaves = detLog(p.hz / s.lo) / kLn2;
    p.gain = rng.range(0.35, 1.0) * detPow(p.hz / s.lo, -s.tilt) * detPow(v, s.darken * octaves);
    p.tau = s.tau * detPow(p.hz / 1000.0, -s.tauSlope) * rng.range(1.0 - s.spread, 1.0 + s.spread);
    p.phase = rng.unit() * kTwoPi;
    // Energy spreads upwards from the struck point, faster after a hard
    // stroke.
    p.bloom = s.bloom * (p.hz / s.hi) * rng.range(0.5, 1.5) / (0.5 + v);
    addPartial(out, p);
  }
  // Normalise the partial cloud so that the count does not set the level.
  double peak = 0.0;
  for (std::size_t i = 0; i < frames && i < 4800; ++i) peak = std::max(peak, out[i] < 0 ? -out[i] : out[i]);
  if (peak > 0.0)
    for (double& x : out) x /= peak;
  if (s.noiseGain > 0.0) {
    Buffer wash = noiseBurst(frames, rng, 0.0005, s.noiseTau);
    wash = filtered(std::move(wash),
                    {Biquad::highPass(s.noiseHp, 0.7), Biquad::lowPass(bright(v, 5000.0, 16000.0), 0.7)});
    mixInto(out, wash, s.noiseGain);
  }
  if (s.attackGain > 0.0) {
    Buffer tick = noiseBurst(frames, rng, 0.0002, s.attackTau);
    tick = filtered(std::move(tick),
                    {Biquad::highPass(s.noiseHp, 0.7), Biquad::lowPass(bright(v, 4000.0, 16000.0), 0.7)});
    mixInto(out, tick, s.attackGain * v);
  }
  out = filtered(std::move(out), {Biquad::highPass(s.highPass, 0.7), Biquad::highPass(s.highPass, 0.7)});
  for (double& x : out) x *= v;
  return out;
}

MetalSpec closedHat(std::uint32_t seed, double tau) {
  return {48, 3000.0, 14500.0, tau, 0.25, 0.35, 0.2, 0.45, 0.4, tau * 0.8, 4500.0, 0.6, 0.004, 2500.0, seed};
}
MetalSpec openHat(std::uint32_t seed, double tau) {
  return {64, 2900.0, 15000.0, tau, 0.3, 0.35, 0.15, 0.45, 0.35, tau * 0.7, 4500.0, 0.5, 0.005, 2300.0, seed};
}
MetalSpec ride(std::uint32_t seed, double tau) {
  return {150,  320.0,     14000.0, tau, 0.35,  0.3,   0.05, 0.22,
          0.08, tau * 0.2, 3000.0,  0.5, 0.004, 220.0, seed, 0.006};
}
MetalSpec crash(std::uint32_t seed, double tau) {
  return {190,  260.0,      16000.0, tau, 0.3,  0.35,  0.02, 0.25,
          0.55, tau * 0.45, 1800.0,  1.0, 0.02, 200.0, seed, 0.03};
}

// The ride's stick ping: a few strong partials in the upper middle.
void addPing(Buffer& out, std::uint32_t seed, double v, double level) {
  Rng rng(seed);
  for (int i = 0; i < 8; ++i) {
    Partial p;
    p.hz = rng.logRange(2200.0, 5600.0);
    p.gain = level * rng.range(0.5, 1.0) * detPow(v, 0.8);
    p.tau = rng.range(0.18, 0.35);
    p.phase = rng.unit() * kTwoPi;
    addPartial(out, p);
  }
}

Buffer cowbell(std::size_t frames, double v) {
  Buffer out(frames, 0.0);
  struct Tone {
    double hz, gain, tau;
  };
  const std::array<Tone, 8> tones{{{562.0, 1.0, 0.12},
                                   {845.0, 0.8, 0.1},
                                   {1124.0, 0.2, 0.06},
                                   {1690.0, 0.3, 0.045},
                                   {1462.0, 0.25, 0.04},
                                   {2210.0, 0.2, 0.03},
                                   {2535.0, 0.15, 0.03},
                                   {3380.0, 0.1, 0.02}}};
  Rng rng(0xc0be11u);
  for (const Tone& t : tones) {
    const double darken = detPow(v, 0.9 * detLog(t.hz / 562.0) / kLn2);
    // A quick first fall, then the longer ring of the bell's body.
    addPartial(out, {t.hz, 0.5 * t.gain * darken, 0.025, rng.unit() * kTwoPi, 0});
    addPartial(out, {t.hz, 0.5 * t.gain * darken, t.tau * (0.8 + 0.2 * v), rng.unit() * kTwoPi, 0});
  }
  Buffer body = filtered(out, {Biquad::bandPass(900.0, 0.9)});
  for (std::size_t i = 0; i < frames; ++i) out[i] = 0.5 * out[i] + 0.9 * body[i];
  Buffer tick = noiseBurst(frames, rng, 0.0001, 0.0012);
  tick = filtered(std::move(tick),
                  {Biquad::highPass(2500.0, 0.7), Biquad::lowPass(bright(v, 5000, 14000), 0.7)});
  mixInto(out, tick, 0.5 * v);
  for (double& x : out) x *= v;
  return out;
}

Buffer rideBell(std::size_t frames, double v) {
  Buffer out(frames, 0.0);
  const std::array<double, 8> ratio{1.0, 1.49, 2.04, 2.67, 3.31, 4.18, 5.13, 6.2};
  const std::array<double, 8> gain{1.0, 0.35, 0.6, 0.4, 0.3, 0.25, 0.18, 0.12};
  const std::array<double, 8> tau{0.65, 0.45, 0.5, 0.4, 0.3, 0.25, 0.2, 0.15};
  Rng rng(0xbe11u);
  for (std::size_t k = 0; k < ratio.size(); ++k)
    addPartial(out, {640.0 * ratio[k], 0.3 * gain[k], tau[k], rng.unit() * kTwoPi, 0});
  Buffer wash = metal(frames, ride(0x2001u, 0.5), v);
  mixInto(out, wash, 0.2);
  return out;
}

Buffer china(std::size_t frames, std::uint32_t seed, double v) {
  MetalSpec s{170, 350.0, 12000.0, 0.32, 0.3,   0.4,   0.15, 0.1,
              0.5, 0.35,  1500.0,  1.0,  0.015, 250.0, seed, 0.02};
  Buffer out = metal(frames, s, v);
  // The upturned edge rattles: a hard non-linearity mixes the partials
  // into a trashy spread.
  for (double& x : out) x = detTanh(2.0 * x) / 2.0 * 1.4;
  return out;
}

// ------------------------------------------------------------- timpani

Buffer timpani(std::size_t frames, double f0, double v) {
  Buffer out(frames, 0.0);
  const std::array<double, 6> ratio{1.0, 1.504, 1.742, 2.0, 2.245, 2.494};
  const std::array<double, 6> gain{1.0, 0.5, 0.3, 0.28, 0.18, 0.12};
  const std::array<double, 6> tau{0.56, 0.41, 0.3, 0.26, 0.21, 0.17};
  const double scale = detPow(98.0 / f0, 0.3);
  for (std::size_t k = 0; k < ratio.size(); ++k) {
    Mode m;
    m.hz = f0 * ratio[k];
    m.gain = gain[k] * detPow(v, 0.8 * (ratio[k] - 1.0));
    m.tau = tau[k] * scale;
    m.bend = 0.015;
    m.bendTau = 0.12;
    addMode(out, m);
  }
  // The heavily damped lowest mode gives the thud of the stroke.
  addMode(out, {f0 * 0.62, 0.5, 0.06, 0.0, 0.05, 0});
  Rng rng(static_cast<std::uint32_t>(f0 * 1000.0));
  Buffer mallet = noiseBurst(frames, rng, 0.0015, 0.006);
  mallet = filtered(std::move(mallet), {Biquad::lowPass(1100.0, 0.7), Biquad::lowPass(1400.0, 0.7)});
  mixInto(out, mallet, 0.9);
  for (double& x : out) x *= v;
  return out;
}

// ------------------------------------------------------------- hand drums

Buffer handDrum(std::size_t frames, double f0, double tau, double excLo, double excHi, double bend,
                std::uint32_t seed, double v) {
  DrumSpec s{f0, tau, 6, 0.55, 1.6, bend, 0.04, 0.6, excLo, excHi, 0.003, 0.5, seed};
  return membrane(frames, s, v);
}

Buffer congaMute(std::size_t frames, double v) {
  Buffer out = handDrum(frames, 230.0, 0.045, 1500.0, 4000.0, 0.03, 0x71u, v);
  Rng rng(0x72u);
  Buffer slap = noiseBurst(frames, rng, 0.0002, 0.01);
  slap = filtered(std::move(slap), {Biquad::bandPass(1200.0, 1.0)});
  mixInto(out, slap, 0.9 * v);
  return out;
}

Buffer darbukaTak(std::size_t frames, double v) {
  Buffer out(frames, 0.0);
  ClickSpec s{{620.0, 1340.0, 2380.0, 3650.0, 5100.0},
              {0.6, 1.0, 0.8, 0.5, 0.3},
              {0.06, 0.04, 0.03, 0.02, 0.015},
              1.2,
              2000.0,
              0.002,
              0x7a4u};
  addClick(out, s, v, 0, 0.4);
  addMode(out, {300.0, 0.25, 0.05, 0.02, 0.03, 0});
  for (double& x : out) x *= v;
  return out;
}

Buffer cajon(std::size_t frames, double v) {
  Buffer out(frames, 0.0);
  addMode(out, {88.0, 1.0, 0.085, 0.05, 0.03, 0});
  addMode(out, {235.0, 0.5, 0.06, 0.02, 0.03, 0});
  addMode(out, {410.0, 0.3, 0.04, 0.0, 0.03, 0});
  Rng rng(0xca1u);
  Buffer buzz = noiseBurst(frames, rng, 0.002, 0.06);
  buzz = filtered(std::move(buzz), {Biquad::bandPass(3500.0, 0.8)});
  mixInto(out, buzz, 0.35);
  Buffer slap = noiseBurst(frames, rng, 0.0002, 0.003);
  slap = filtered(std::move(slap), {Biquad::lowPass(3000.0, 0.7)});
  mixInto(out, slap, 0.4);
  for (double& x : out) x *= v;
  return out;
}

Buffer claves(std::size_t frames, double v) {
  Buffer out(frames, 0.0);
  ClickSpec s{{2480.0, 4100.0, 6600.0, 0.0, 0.0},
              {1.0, 0.08, 0.18, 0.0, 0.0},
              {0.055, 0.01, 0.018, 0.1, 0.1},
              0.4,
              3000.0,
              0.0006,
              0xc1au};
  addClick(out, s, v, 0, 1.0);
  for (double& x : out) x *= v;
  return out;
}

Buffer castanets(std::size_t frames, double v) {
  Buffer out(frames, 0.0);
  ClickSpec s{{2050.0, 3350.0, 5200.0, 7400.0, 0.0},
              {1.0, 0.7, 0.5, 0.3, 0.0},
              {0.014, 0.01, 0.007, 0.005, 0.1},
              0.8,
              2500.0,
              0.0012,
              0xca5u};
  addClick(out, s, v, 0, 1.0);
  addClick(out, s, v, framesOf(0.014), 0.75);
  for (double& x : out) x *= v;
  return out;
}

Buffer tambourine(std::size_t frames, double v) {
  Buffer out(frames, 0.0);
  addMode(out, {240.0, 0.35, 0.06, 0.02, 0.03, 0});
  Rng rng(0x7a3bu);
  // Each jingle pair rings with its own partials; the pairs strike a few
  // milliseconds apart as the frame shakes after the stroke.
  std::int64_t at = 0;
  double level = 1.0;
  for (int e = 0; e < 11; ++e) {
    Rng bank(0x3100u + static_cast<std::uint32_t>(e % 4));
    for (int k = 0; k < 10; ++k) {
      Partial p;
      p.hz = bank.logRange(5200.0, 11500.0);
      p.gain = 0.12 * level * bank.range(0.5, 1.0);
      p.tau = bank.range(0.06, 0.12);
      p.phase = rng.unit() * kTwoPi;
      p.start = at;
      addPartial(out, p);
    }
    Buffer tick = noiseBurst(frames, rng, 0.0001, 0.002, at);
    tick = filtered(std::move(tick), {Biquad::highPass(6000.0, 0.7)});
    mixInto(out, tick, 0.3 * level);
    at += framesOf(rng.range(0.008, 0.025));
    level *= 0.8;
  }
  for (double& x : out) x *= v;
  return out;
}

Buffer handClap(std::size_t frames, double v) {
  Buffer out(frames, 0.0);
  Rng rng(0xc1a9u);
  const std::array<double, 4> times{0.0, 0.011, 0.023, 0.036};
  const std::array<double, 4> levels{0.6, 0.75, 0.85, 1.0};
  for (std::size_t k = 0; k < times.size(); ++k) {
    Buffer burst = noiseBurst(frames, rng, 0.0003, 0.005, framesOf(times[k]));
    mixInto(out, burst, levels[k]);
  }
  Buffer tail = noiseBurst(frames, rng, 0.001, 0.07, framesOf(0.036));
  mixInto(out, tail, 0.45);
  out = filtered(std::move(out), {Biquad::bandPass(1150.0, 1.1), Biquad::highPass(400.0, 0.7)});
  for (double& x : out) x *= 2.0 * v;
  return out;
}

// Beads in a gourd: collisions come as a random stream whose rate follows
// the energy of the shake, each ringing the shell's resonances.
Buffer shaken(std::size_t frames, double rise, double tau, double rate, double res1, double q1, double res2,
              double q2, std::uint32_t seed, double v) {
  Buffer hits(frames, 0.0);
  Rng rng(seed);
  const double d = decayFactor(tau);
  const double up = 1.0 / (rise * kRate);
  double energy = 0.0, fall = 1.0;
  bool rising = true;
  for (std::size_t i = 0; i < frames; ++i) {
    if (rising) {
      energy += up;
      if (energy >= 1.0) {
        energy = 1.0;
        rising = false;
      }
    } else {
      fall *= d;
    }
    const double e = energy * fall;
    if (rng.unit() < rate * e / kRate) hits[i] = rng.range(0.3, 1.0) * e * (rng.unit() < 0.5 ? -1.0 : 1.0);
  }
  Buffer a = filtered(hits, {Biquad::bandPass(res1, q1)});
  Buffer b = filtered(hits, {Biquad::bandPass(res2, q2)});
  Buffer out(frames, 0.0);
  for (std::size_t i = 0; i < frames; ++i) out[i] = (a[i] + 0.6 * b[i] + 0.15 * hits[i]) * v;
  return out;
}

// ------------------------------------------------------------- the kits

DrumSpec studioTom(double f0, double tau, std::uint32_t seed) {
  return {f0, tau, 5, 0.5, 1.4, 0.1, 0.07, 0.8, 1200.0, 8000.0, 0.003, 1.2, seed};
}
SnareSpec studioSnare() {
  return {{190.0, 0.12, 8, 0.8, 1.5, 0.06, 0.03, 0.6, 2500.0, 12000.0, 0.0015, 0.6, 0x5e1u},
          0.9,
          0.1,
          3000.0,
          11000.0,
          0.25};
}
SnareSpec snaresOff() {
  return {{172.0, 0.11, 6, 0.7, 1.3, 0.05, 0.04, 0.45, 1500.0, 6000.0, 0.0025, 0.7, 0x5e2u},
          0.0,
          0.1,
          1000.0,
          2000.0,
          0.3};
}
SnareSpec rockSnare() {
  return {{208.0, 0.13, 8, 0.82, 1.4, 0.07, 0.03, 0.7, 3000.0, 14000.0, 0.0012, 0.5, 0x5e3u},
          1.0,
          0.12,
          3500.0,
          14000.0,
          0.3};
}

Buffer rimClick(std::size_t frames, double f0, std::uint32_t seed, double v) {
  Buffer out(frames, 0.0);
  ClickSpec s{{500.0, 1250.0, 2150.0, 3450.0, 5200.0},
              {1.0, 0.8, 0.6, 0.4, 0.2},
              {0.03, 0.02, 0.015, 0.01, 0.006},
              0.6,
              2000.0,
              0.001,
              seed};
  addClick(out, s, v, 0, 0.5);
  addMode(out, {f0, 0.3, 0.05, 0.0, 0.05, 0});
  for (double& x : out) x *= v;
  return out;
}

double velocityOf(std::string_view stem) {
  const std::size_t us = stem.rfind('_');
  if (us == std::string_view::npos) return 0.85;
  const std::string_view suffix = stem.substr(us + 1);
  for (const Dynamic& d : kDynamics)
    if (d.suffix == suffix) return d.velocity;
  return 0.85;
}

using Recipe = std::function<Buffer(std::size_t, double)>;

struct Entry {
  std::string_view instrument;  // the stem without its dynamic marking
  Recipe make;
};

const std::vector<Entry>& recipes() {
  static const std::vector<Entry> table{
      // Studio kit.
      {"ac_kick",
       [](std::size_t n, double v) {
         return kick(n, {50.0, 0.15, 2.6, 0.032, 0.18, 0.7, 1500.0, 9000.0, 0.5, 0x4b01u}, v);
       }},
      {"ac_kick2",
       [](std::size_t n, double v) {
         return kick(n, {62.0, 0.12, 1.2, 0.04, 0.35, 0.6, 900.0, 4000.0, 0.6, 0x4b02u}, v);
       }},
      {"ac_snare", [](std::size_t n, double v) { return snare(n, studioSnare(), v); }},
      {"ac_snare_stick", [](std::size_t n, double v) { return rimClick(n, 190.0, 0x5f1u, v); }},
      {"ac_snoff", [](std::size_t n, double v) { return snare(n, snaresOff(), v); }},
      {"ac_hitom", [](std::size_t n, double v) { return membrane(n, studioTom(150.0, 0.24, 0x701u), v); }},
      {"ac_lotom", [](std::size_t n, double v) { return membrane(n, studioTom(92.0, 0.3, 0x702u), v); }},
      {"ac_hhcl", [](std::size_t n, double v) { return metal(n, closedHat(0x4801u, 0.028 + 0.02 * v), v); }},
      {"ac_hhop", [](std::size_t n, double v) { return metal(n, openHat(0x4801u, 0.16 + 0.14 * v), v); }},
      {"ac_hhfoot",
       [](std::size_t n, double v) {
         Buffer out = metal(n, closedHat(0x4803u, 0.018), v);
         Rng rng(0x4804u);
         Buffer chick = noiseBurst(n, rng, 0.001, 0.012);
         chick = filtered(std::move(chick), {Biquad::bandPass(1600.0, 1.2)});
         mixInto(out, chick, 0.5 * v);
         return out;
       }},
      {"ac_ride",
       [](std::size_t n, double v) {
         Buffer out = metal(n, ride(0x2001u, 0.45 + 0.2 * v), v);
         addPing(out, 0x2002u, v, 0.3 * v);
         return out;
       }},
      {"ac_ride_bell", [](std::size_t n, double v) { return rideBell(n, v); }},
      {"ac_crash", [](std::size_t n, double v) { return metal(n, crash(0x2101u, 0.4 + 0.22 * v), v); }},
      {"ac_crash2",
       [](std::size_t n, double v) {
         MetalSpec s = crash(0x2102u, 0.55);
         s.lo = 300.0;
         s.hi = 15000.0;
         return metal(n, s, v);
       }},
      {"ac_cow", [](std::size_t n, double v) { return cowbell(n, v); }},
      // Timpani.
      {"tp_low", [](std::size_t n, double v) { return timpani(n, 98.0, v); }},
      {"tp_mid", [](std::size_t n, double v) { return timpani(n, 131.0, v); }},
      {"tp_high", [](std::size_t n, double v) { return timpani(n, 175.0, v); }},
      // Hand and world percussion.
      {"wp_conga",
       [](std::size_t n, double v) { return handDrum(n, 205.0, 0.14, 1500.0, 4000.0, 0.04, 0x61u, v); }},
      {"wp_conga_hi",
       [](std::size_t n, double v) { return handDrum(n, 315.0, 0.1, 1800.0, 4500.0, 0.04, 0x62u, v); }},
      {"wp_conga_lo",
       [](std::size_t n, double v) { return handDrum(n, 165.0, 0.18, 1300.0, 3500.0, 0.04, 0x63u, v); }},
      {"wp_conga_mute", [](std::size_t n, double v) { return congaMute(n, v); }},
      {"wp_bongo_hi",
       [](std::size_t n, double v) { return handDrum(n, 450.0, 0.065, 3000.0, 7000.0, 0.03, 0x64u, v); }},
      {"wp_bongo_lo",
       [](std::size_t n, double v) { return handDrum(n, 320.0, 0.085, 2500.0, 6000.0, 0.03, 0x65u, v); }},
      {"wp_darbuka_doom",
       [](std::size_t n, double v) { return handDrum(n, 110.0, 0.14, 800.0, 1600.0, 0.08, 0x66u, v); }},
      {"wp_darbuka_tak", [](std::size_t n, double v) { return darbukaTak(n, v); }},
      {"wp_cajon", [](std::size_t n, double v) { return cajon(n, v); }},
      {"wp_claves", [](std::size_t n, double v) { return claves(n, v); }},
      {"wp_castanets", [](std::size_t n, double v) { return castanets(n, v); }},
      {"wp_tambourine", [](std::size_t n, double v) { return tambourine(n, v); }},
      {"wp_handclap", [](std::size_t n, double v) { return handClap(n, v); }},
      {"wp_maracas",
       [](std::size_t n, double v) {
         return shaken(n, 0.006, 0.045, 5000.0, 4800.0, 4.0, 3100.0, 3.0, 0x3a1u, v);
       }},
      {"wp_shaker",
       [](std::size_t n, double v) {
         return shaken(n, 0.025, 0.09, 9000.0, 6200.0, 2.5, 9000.0, 2.0, 0x3a2u, v);
       }},
      // Rock kit.
      {"bs_kick",
       [](std::size_t n, double v) {
         return kick(n, {55.0, 0.16, 2.8, 0.028, 0.3, 0.85, 2500.0, 11000.0, 0.6, 0x4b11u}, v);
       }},
      {"bs_snare", [](std::size_t n, double v) { return snare(n, rockSnare(), v); }},
      {"bs_snare_rest", [](std::size_t n, double v) { return rimClick(n, 208.0, 0x5f2u, v); }},
      {"bs_hhcl",
       [](std::size_t n, double v) {
         MetalSpec s = closedHat(0x4811u, 0.03 + 0.02 * v);
         s.lo = 2600.0;
         s.hi = 13500.0;
         return metal(n, s, v);
       }},
      {"bs_hhop",
       [](std::size_t n, double v) {
         MetalSpec s = openHat(0x4811u, 0.18 + 0.16 * v);
         s.lo = 2600.0;
         s.hi = 13500.0;
         return metal(n, s, v);
       }},
      {"bs_tom_hi", [](std::size_t n, double v) { return membrane(n, studioTom(128.0, 0.24, 0x711u), v); }},
      {"bs_tom_lo", [](std::size_t n, double v) { return membrane(n, studioTom(80.0, 0.33, 0x712u), v); }},
      {"bs_ride",
       [](std::size_t n, double v) {
         MetalSpec s = ride(0x2011u, 0.56);
         s.lo = 300.0;
         Buffer out = metal(n, s, v);
         addPing(out, 0x2012u, v, 0.25);
         return out;
       }},
      {"bs_crash", [](std::size_t n, double v) { return metal(n, crash(0x2111u, 0.53), v); }},
      {"bs_china", [](std::size_t n, double v) { return china(n, 0x2211u, v); }},
  };
  return table;
}

}  // namespace

std::string levelGroup(std::string_view stem) {
  const std::size_t us = stem.rfind('_');
  if (us != std::string_view::npos) {
    const std::string_view suffix = stem.substr(us + 1);
    for (const Dynamic& d : kDynamics)
      if (d.suffix == suffix) return std::string(stem.substr(0, us));
  }
  return std::string(stem);
}

Buffer synthesise(std::string_view stem, std::size_t frames) {
  const std::string group = levelGroup(stem);
  for (const Entry& e : recipes()) {
    if (e.instrument == group) return e.make(frames, velocityOf(stem));
  }
  return {};
}

}  // namespace gen
