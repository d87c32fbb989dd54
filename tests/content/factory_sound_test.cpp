// Measured character of the factory sounds: dynamics, brightness, pitch
// order, ring time, and split halves that rebuild the whole sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "content/factory/factory_content.h"
#include "content/tools/hit_body_split.h"
#include "document/factory/factory_catalogue.h"
#include "document/wav/wav.h"

namespace factory_sound_test {

constexpr double kRate = 48000.0;

const ob::FactorySampleRow* rowOf(const std::string& stem) {
  for (const ob::FactorySampleRow& r : ob::kFactorySampleCatalogue)
    if (stem + ".wav" == r.fileName) return &r;
  return nullptr;
}

std::vector<float> decode(const std::string& file) {
  ob::DecodedWav wav;
  const std::vector<std::uint8_t> bytes = ob::factorySampleBytes(file);
  EXPECT_TRUE(ob::decodeWav(bytes, wav)) << file;
  return wav.left;
}

struct Halves {
  std::vector<float> hit, body, whole;
  std::int32_t fade = 0;
};

// Lays the two halves over each other: the whole is as long as the
// catalogue says, so the overlap is what both have beyond it.
Halves rebuild(const ob::FactorySampleRow& row) {
  Halves h;
  h.hit = decode(ob::hitHalfName(row.fileName));
  h.body = decode(ob::bodyHalfName(row.fileName));
  const std::size_t n = static_cast<std::size_t>(row.lengthMs) * 48;
  h.fade = static_cast<std::int32_t>(h.hit.size() + h.body.size()) - static_cast<std::int32_t>(n);
  h.whole.assign(n, 0.0f);
  for (std::size_t i = 0; i < h.hit.size() && i < n; ++i) h.whole[i] += h.hit[i];
  const std::size_t start = n - std::min(n, h.body.size());
  for (std::size_t i = 0; i < h.body.size() && start + i < n; ++i) h.whole[start + i] += h.body[i];
  return h;
}

// The whole sound of any catalogue stem, rebuilt from its halves when split.
std::vector<float> sound(const std::string& stem) {
  const ob::FactorySampleRow* row = rowOf(stem);
  EXPECT_NE(row, nullptr) << stem;
  if (!row) return {};
  if (!row->split) return decode(row->fileName);
  return rebuild(*row).whole;
}

double rms(const std::vector<float>& x, std::size_t frames) {
  double s = 0.0;
  const std::size_t n = std::min(frames, x.size());
  for (std::size_t i = 0; i < n; ++i) s += static_cast<double>(x[i]) * x[i];
  return n ? std::sqrt(s / n) : 0.0;
}

void fft(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const double ang = -2.0 * M_PI / static_cast<double>(len);
    const std::complex<double> wl(std::cos(ang), std::sin(ang));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w(1.0);
      for (std::size_t k = 0; k < len / 2; ++k) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        w *= wl;
      }
    }
  }
}

// Hann-windowed magnitude spectrum of `size` frames from `from` on.
std::vector<double> spectrum(const std::vector<float>& x, std::size_t from, std::size_t size) {
  std::vector<std::complex<double>> a(size);
  for (std::size_t i = 0; i < size; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / size);
    a[i] = from + i < x.size() ? w * x[from + i] : 0.0;
  }
  fft(a);
  std::vector<double> mag(size / 2);
  for (std::size_t k = 0; k < size / 2; ++k) mag[k] = std::abs(a[k]);
  return mag;
}

// Spectral centroid of the first 85 ms, where the stroke shows, in Hz.
double centroid(const std::vector<float>& x) {
  const std::size_t size = 4096;
  const std::vector<double> mag = spectrum(x, 0, size);
  double num = 0.0, den = 0.0;
  for (std::size_t k = 1; k < mag.size(); ++k) {
    num += mag[k] * k * kRate / size;
    den += mag[k];
  }
  return den > 0.0 ? num / den : 0.0;
}

// The strongest frequency between 40 Hz and 1 kHz once the stroke is over.
double pitch(const std::vector<float>& x) {
  const std::size_t size = 32768;
  const std::vector<double> mag = spectrum(x, 2400, size);
  std::size_t best = 0;
  for (std::size_t k = 40 * size / 48000; k < 1000 * size / 48000; ++k)
    if (mag[k] > mag[best]) best = k;
  return best * kRate / size;
}

// Seconds until the level stays 40 dB under the peak (1 ms blocks).
double ringTime(const std::vector<float>& x) {
  double peak = 0.0;
  for (float v : x) peak = std::max(peak, static_cast<double>(std::fabs(v)));
  std::size_t last = 0;
  for (std::size_t i = 0; i < x.size(); ++i)
    if (std::fabs(x[i]) > peak * 0.01) last = i;
  return last / kRate;
}

TEST(FactorySound, SofterStrokesAreQuieterAndDarker) {
  const std::vector<std::vector<std::string>> groups = {
      {"ac_kick_p", "ac_kick_f", "ac_kick_ff"},
      {"ac_kick2_p", "ac_kick2_f"},
      {"ac_snare_ghost", "ac_snare_mp", "ac_snare_f", "ac_snare_ff"},
      {"ac_snoff_p", "ac_snoff_f"},
      {"ac_hitom_p", "ac_hitom_f", "ac_hitom_ff"},
      {"ac_lotom_pp", "ac_lotom_mp", "ac_lotom_ff"},
      {"ac_hhcl_p", "ac_hhcl_f"},
      {"ac_hhop_p", "ac_hhop_f", "ac_hhop_ff"},
      {"ac_ride_mp", "ac_ride_ff"},
      {"ac_crash_p", "ac_crash_ff"},
      {"ac_cow_p", "ac_cow_mp", "ac_cow_ff"},
      {"bs_kick_p", "bs_kick_f", "bs_kick_ff"},
      {"bs_snare_ghost", "bs_snare_mp", "bs_snare_f", "bs_snare_ff"},
      {"bs_hhcl_p", "bs_hhcl_f"},
      {"bs_hhop_p", "bs_hhop_f"},
  };
  for (const auto& group : groups) {
    double lastRms = 0.0, lastCentroid = 0.0;
    for (const std::string& stem : group) {
      SCOPED_TRACE(stem);
      const std::vector<float> x = sound(stem);
      const double r = rms(x, 9600);
      const double c = centroid(x);
      EXPECT_GT(r, lastRms * 1.15);
      EXPECT_GT(c, lastCentroid * 1.03);
      lastRms = r;
      lastCentroid = c;
    }
  }
}

TEST(FactorySound, HatsAndCymbalsAreBrighterThanKicksAndToms) {
  const std::vector<std::string> low = {"ac_kick_p",   "ac_kick_ff", "ac_kick2_f", "ac_hitom_ff",
                                        "ac_lotom_ff", "bs_kick_ff", "bs_tom_hi",  "bs_tom_lo",
                                        "tp_low",      "ac_hitom_p"};
  const std::vector<std::string> high = {"ac_hhcl_p",  "ac_hhcl_f",   "ac_hhop_p",    "ac_hhop_ff",
                                         "ac_hhfoot",  "ac_ride_mp",  "ac_ride_ff",   "ac_ride_bell",
                                         "ac_crash_p", "ac_crash_ff", "ac_crash2_ff", "bs_hhcl_p",
                                         "bs_hhop_f",  "bs_ride",     "bs_crash",     "bs_china"};
  double brightestLow = 0.0;
  for (const std::string& s : low) brightestLow = std::max(brightestLow, centroid(sound(s)));
  for (const std::string& s : high) EXPECT_GT(centroid(sound(s)), 2.0 * brightestLow) << s;
}

TEST(FactorySound, TunedDrumsRiseInPitchFromLowToHigh) {
  const double low = pitch(sound("tp_low")), mid = pitch(sound("tp_mid")), high = pitch(sound("tp_high"));
  EXPECT_LT(low, mid);
  EXPECT_LT(mid, high);
  EXPECT_LT(pitch(sound("ac_lotom_mp")), pitch(sound("ac_hitom_f")));
  EXPECT_LT(pitch(sound("bs_tom_lo")), pitch(sound("bs_tom_hi")));
  EXPECT_LT(pitch(sound("wp_conga_lo")), pitch(sound("wp_conga")));
  EXPECT_LT(pitch(sound("wp_conga")), pitch(sound("wp_conga_hi")));
  EXPECT_LT(pitch(sound("wp_bongo_lo")), pitch(sound("wp_bongo_hi")));
  // Kicks sit lowest of all.
  EXPECT_LT(pitch(sound("ac_kick_f")), pitch(sound("ac_lotom_mp")));
}

TEST(FactorySound, CrashesRingLongerThanClosedHats) {
  double longestHat = 0.0;
  for (const char* s : {"ac_hhcl_p", "ac_hhcl_f", "bs_hhcl_p", "bs_hhcl_f", "ac_hhfoot"})
    longestHat = std::max(longestHat, ringTime(sound(s)));
  for (const char* s : {"ac_crash_p", "ac_crash_ff", "ac_crash2_ff", "bs_crash", "bs_china"})
    EXPECT_GT(ringTime(sound(s)), 4.0 * longestHat) << s;
  EXPECT_GT(ringTime(sound("ac_hhop_f")), 2.0 * longestHat);
}

// The stored halves of every split row are the two crossfaded parts of one
// sound: cutting the rebuilt whole at the same point gives them back, and
// the analysis finds that point again.
TEST(FactorySound, HitAndBodyRebuildTheWholeSound) {
  for (const ob::FactorySampleRow& row : ob::kFactorySampleCatalogue) {
    if (!row.split) continue;
    SCOPED_TRACE(row.fileName);
    const Halves h = rebuild(row);
    ASSERT_GT(h.fade, 0);
    ASSERT_EQ(h.fade % 2, 0);
    ASSERT_LE(h.fade, 140);
    const std::int32_t n = static_cast<std::int32_t>(h.whole.size());

    ob::SplitPoint point;
    point.fade = h.fade;
    point.split = static_cast<std::int32_t>(h.hit.size()) - h.fade / 2;
    std::vector<float> hit(static_cast<std::size_t>(point.hitLength()), 0.0f);
    std::vector<float> body(static_cast<std::size_t>(point.bodyLength(n)), 0.0f);
    ASSERT_EQ(hit.size(), h.hit.size());
    ASSERT_EQ(body.size(), h.body.size());
    ob::renderHitBodyHalves(h.whole.data(), n, point, hit.data(), body.data());
    double worst = 0.0;
    for (std::size_t i = 0; i < hit.size(); ++i)
      worst = std::max(worst, static_cast<double>(std::fabs(hit[i] - h.hit[i])));
    for (std::size_t i = 0; i < body.size(); ++i)
      worst = std::max(worst, static_cast<double>(std::fabs(body[i] - h.body[i])));
    EXPECT_LE(worst, 3.0 / 32768.0);

    ob::SplitParams params;
    params.tags = row.tags;
    const ob::SplitPoint again = ob::findHitBodySplit(h.whole.data(), n, kRate, params);
    EXPECT_NEAR(again.split, point.split, 64);
    EXPECT_EQ(again.fade, point.fade);
    // The hit carries the attack: it holds the loudest sample.
    double hitPeak = 0.0, bodyPeak = 0.0;
    for (float v : h.hit) hitPeak = std::max(hitPeak, static_cast<double>(std::fabs(v)));
    for (float v : h.body) bodyPeak = std::max(bodyPeak, static_cast<double>(std::fabs(v)));
    EXPECT_GE(hitPeak, bodyPeak * 0.5);
    double sum = 0.0;
    for (float v : h.whole) sum += v;
    EXPECT_LT(std::fabs(sum / n), 1e-3);
    EXPECT_LE(std::fabs(h.whole.back()), 4.0 / 32768.0);
  }
}

}  // namespace factory_sound_test
