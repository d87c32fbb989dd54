#pragma once

namespace ob {

// White-to-pink shaping: fourteen pole/zero sections with corners 5 Hz to
// 40,960 Hz an octave apart, normalised to sqrt(rate / 44100) at 1 kHz.
struct PinkFilter {
  static constexpr int kSections = 14;
  float poles[kSections] = {};
  float zeros[kSections] = {};
  float prevIn[kSections] = {};
  float prevOut[kSections] = {};
  float gain = 1.0f;

  void setup(double rate);
  void clear();

  float process(float x) {
    float u = gain * x;
    for (int k = 0; k < kSections; ++k) {
      // The histories' part first: only one add waits on the previous section.
      const float y = u + (poles[k] * prevOut[k] - zeros[k] * prevIn[k]);
      prevIn[k] = u;
      prevOut[k] = y;
      u = y;
    }
    return u;
  }
};

}  // namespace ob
