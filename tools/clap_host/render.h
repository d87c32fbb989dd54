#pragma once
// Plays an activated instance's transport for a while and hands on what it
// writes to its outputs, block by block or kept whole.
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/clock/tempo.h"
#include "tools/clap_host/test_host.h"

namespace orbi::host {

struct RenderRequest {
  std::uint32_t blockFrames = 512;
  double tempo = ob::kDefaultTempo;
  double seconds = 16.0;
  bool keepAux = false;
};

struct Rendered {
  std::vector<float> left, right;       // main output
  std::vector<std::vector<float>> aux;  // 2 per auxiliary port when kept
  std::uint64_t frames = 0;
  std::uint64_t outEvents = 0;
};

// round(seconds x rate) frames, none for a negative time.
std::uint64_t framesToRender(const RenderRequest& request, double sampleRate);

// Called after each block with its length; the block's outputs are
// instance.channel(port, c) until the next block. False ends the render.
using BlockSink = std::function<bool(const Instance& instance, std::uint32_t frames)>;

// Renders framesToRender frames in blocks with the transport playing,
// running the host's main thread between blocks. Returns the frames the
// sink took.
std::uint64_t renderBlocks(Instance& instance, const RenderRequest& request, const BlockSink& sink);

// renderBlocks keeping the main output and, with keepAux, the stems.
Rendered render(Instance& instance, const RenderRequest& request);

}  // namespace orbi::host
