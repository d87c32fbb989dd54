#pragma once
// What the samples page plays when a slot is clicked: the slot's own audio,
// not a sound made of it, so it is heard as it is recorded. The preview is
// mono, so a stereo slot's channels are folded into one at the level of
// its louder channel; nothing goes above full scale. Main thread.

#include <vector>

namespace ob {
struct SamplePoolSlot;
}

namespace orbi {

// As long as an audition: enough for any drum hit. A longer sample fades
// out at the cut.
inline constexpr double kSamplePreviewSeconds = 2.0;
// A fold of two channels that cancel is lifted at most this much (+6 dB,
// what a sample heard on one side only needs).
inline constexpr float kMaxFoldGain = 2.0f;

// The first kSamplePreviewSeconds of the slot at its own rate: peaking at
// the slot's own peak over both channels, or at full scale when that is
// higher.
std::vector<float> samplePreview(const ob::SamplePoolSlot& audio);

}  // namespace orbi
