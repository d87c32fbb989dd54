#include "engine/clock/clock_math.h"

#include <cmath>

#include "engine/fnv.h"

namespace ob {

namespace {

constexpr std::uint64_t kGolden = 0x9e3779b97f4a7c15ull;

std::uint64_t f(std::uint64_t x) { return splitMix64(x + kGolden); }

}  // namespace

double swingWarp(double t, double s, double a) {
  if (!(s > 0.0)) return t;
  const double pair = 2.0 * s;
  const double start = std::floor(t / pair) * pair;
  const double x = t - start;
  const double split = pair * a;
  if (x < s) return start + split / s * x;
  return start + split + (pair - split) / s * (x - s);
}

std::uint64_t stepHash(std::uint64_t a, std::uint64_t b, double t, std::uint64_t n, std::uint64_t bar) {
  // Positions enter in 1/960-beat units; out-of-range times saturate rather
  // than overflow the conversion.
  double qd = std::floor(t * 960.0 + 0.5);
  if (!(qd == qd)) qd = 0.0;
  if (qd > 9.2e18) qd = 9.2e18;
  if (qd < -9.2e18) qd = -9.2e18;
  const std::uint64_t q = static_cast<std::uint64_t>(static_cast<std::int64_t>(qd));
  const std::uint64_t inner = f(f(f(n) ^ q)) ^ f(f(b) ^ a);
  return f(f(bar) ^ f(inner));
}

}  // namespace ob
