#pragma once
// Plays an activated instance's transport for a while and keeps what it
// writes to its outputs.
#include <cstdint>
#include <vector>

#include "tools/clap_host/test_host.h"

namespace orbi::host {

struct RenderRequest {
  std::uint32_t blockFrames = 512;
  double tempo = 120.0;
  double seconds = 16.0;
  bool keepAux = false;
};

struct Rendered {
  std::vector<float> left, right;          // main output
  std::vector<std::vector<float>> aux;     // 2 per auxiliary port when kept
  std::uint64_t frames = 0;
  std::uint64_t outEvents = 0;
};

// Renders round(seconds x rate) frames in blocks with the transport
// playing, running the host's main thread between blocks.
Rendered render(Instance& instance, const RenderRequest& request);

}  // namespace orbi::host
