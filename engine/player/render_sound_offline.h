#pragma once
// Renders one sound as a single hit on a temporary player of its own, away
// from the engine: the editor's audition and waveform previews. Main thread;
// allocates the player and the result.

#include <vector>

#include "engine/model/project.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

// out holds exactly max(frames, 0) mono samples afterwards. The same sound,
// snapshot, rate, length and velocity always give the same samples. A null
// snapshot leaves sample-based machines silent.
void renderSoundOffline(const Sound& sound, const SamplePoolSnapshot* snapshot, double sampleRate, int frames,
                        std::vector<float>& out, float velocity);

}  // namespace ob
