#include "tools/clap_host/render.h"

#include <algorithm>
#include <cmath>

#include "plugin/output_ports.h"

namespace orbi::host {

std::uint64_t framesToRender(const RenderRequest& request, double sampleRate) {
  return static_cast<std::uint64_t>(std::llround(std::max(0.0, request.seconds) * sampleRate));
}

std::uint64_t renderBlocks(Instance& instance, const RenderRequest& request, const BlockSink& sink) {
  const double rate = instance.sampleRate();
  const std::uint64_t total = framesToRender(request, rate);
  instance.setTransport(true, request.tempo);
  const std::uint32_t block = std::max<std::uint32_t>(request.blockFrames, 1);
  std::uint64_t done = 0;
  while (done < total) {
    const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(block, total - done));
    instance.process(n);
    if (!sink(instance, n)) break;
    done += n;
    instance.runMainThread(1000.0 * n / rate);
  }
  return done;
}

Rendered render(Instance& instance, const RenderRequest& request) {
  Rendered out;
  const std::uint64_t total = framesToRender(request, instance.sampleRate());
  out.left.reserve(total);
  out.right.reserve(total);
  if (request.keepAux) {
    out.aux.resize(ob::clap::kStemChannels);
    for (auto& ch : out.aux) ch.reserve(total);
  }
  auto keep = [](std::vector<float>& to, const std::vector<float>& from, std::uint32_t n) {
    to.insert(to.end(), from.begin(), from.begin() + n);
  };
  out.frames = renderBlocks(instance, request, [&](const Instance& in, std::uint32_t n) {
    keep(out.left, in.channel(0, 0), n);
    keep(out.right, in.channel(0, 1), n);
    if (request.keepAux)
      for (std::uint32_t p = 1; p < static_cast<std::uint32_t>(ob::clap::kOutputPorts); ++p)
        for (std::uint32_t c = 0; c < 2; ++c) keep(out.aux[(p - 1) * 2 + c], in.channel(p, c), n);
    out.outEvents += in.outEvents().size();
    return true;
  });
  return out;
}

}  // namespace orbi::host
