#pragma once
// A preview that its buffer cuts short, before the sound has died away,
// fades out over its last few milliseconds rather than stopping with a
// click. Main thread.

#include <span>

namespace orbi {

inline constexpr double kPreviewFadeSeconds = 0.02;

// The last kPreviewFadeSeconds of the samples at their rate, one a preview
// plays at (at least one sample, at most all of them), ramp down to
// silence at the last one.
void fadeOutEnd(std::span<float> samples, double sampleRate);

}  // namespace orbi
