#pragma once
// Elementary functions computed with plain IEEE arithmetic only, so that the
// generated factory files come out bit-identical on every machine: the C
// library picks different code paths (with or without fused multiply-add)
// per processor, and its last bits may differ between versions.

#include <cmath>
#include <cstdint>

namespace gen {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 6.28318530717958647692;
inline constexpr double kLn2 = 0.69314718055994530942;

// e^x for |x| up to about 700; 0 below -745.
inline double detExp(double x) {
  if (x < -745.0) return 0.0;
  if (x > 709.0) x = 709.0;
  // x = k ln2 + r, |r| <= ln2 / 2, then e^r by its series.
  const double k = std::floor(x / kLn2 + 0.5);
  const double r = x - k * kLn2;
  double term = 1.0, sum = 1.0;
  for (int n = 1; n < 20; ++n) {
    term *= r / n;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(k));  // exact scaling by 2^k
}

// Natural logarithm of x > 0; -inf for 0 or less.
inline double detLog(double x) {
  if (!(x > 0.0)) return -HUGE_VAL;
  int e = 0;
  double m = std::frexp(x, &e);  // exact: x = m 2^e, m in [0.5, 1)
  if (m < 0.70710678118654752440) {
    m *= 2.0;
    --e;
  }
  // ln m = 2 atanh(s), s = (m - 1) / (m + 1), |s| < 0.172.
  const double s = (m - 1.0) / (m + 1.0);
  const double s2 = s * s;
  double term = s, sum = 0.0;
  for (int n = 1; n < 40; n += 2) {
    sum += term / n;
    term *= s2;
  }
  return 2.0 * sum + e * kLn2;
}

inline double detPow(double base, double expo) {
  if (base <= 0.0) return 0.0;
  return detExp(expo * detLog(base));
}

namespace detail {
// Series on |x| <= pi / 4.
inline double sinSeries(double x) {
  const double x2 = x * x;
  double term = x, sum = x;
  for (int n = 1; n < 12; ++n) {
    term *= -x2 / ((2.0 * n) * (2.0 * n + 1.0));
    sum += term;
  }
  return sum;
}
inline double cosSeries(double x) {
  const double x2 = x * x;
  double term = 1.0, sum = 1.0;
  for (int n = 1; n < 12; ++n) {
    term *= -x2 / ((2.0 * n - 1.0) * (2.0 * n));
    sum += term;
  }
  return sum;
}
}  // namespace detail

// sin and cos for arguments of moderate size (phases are kept wrapped).
inline double detSin(double x) {
  const double q = std::floor(x / (kPi / 2.0) + 0.5);
  const double r = x - q * (kPi / 2.0);
  const long long quadrant = static_cast<long long>(q) & 3;
  switch (quadrant) {
    case 0: return detail::sinSeries(r);
    case 1: return detail::cosSeries(r);
    case 2: return -detail::sinSeries(r);
    default: return -detail::cosSeries(r);
  }
}
inline double detCos(double x) { return detSin(x + kPi / 2.0); }

inline double detTanh(double x) {
  if (x > 20.0) return 1.0;
  if (x < -20.0) return -1.0;
  const double e = detExp(2.0 * x);
  return (e - 1.0) / (e + 1.0);
}

}  // namespace gen
