#include "engine/player/render_sound_offline.h"

#include "engine/player/offline_render.h"

namespace ob {

void renderSoundOffline(const Sound& sound, const SamplePoolSnapshot* snapshot, double sampleRate, int frames,
                        std::vector<float>& out, float velocity) {
  OfflineRender render;
  render.begin(sound, snapshot, sampleRate, frames, velocity);
  render.finish();
  render.takeSamples(out);
}

}  // namespace ob
