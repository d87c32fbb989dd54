#include "tools/clap_host/render.h"

#include <algorithm>
#include <cmath>

namespace orbi::host {

Rendered render(Instance& instance, const RenderRequest& request) {
  Rendered out;
  const double rate = instance.sampleRate();
  const auto total = static_cast<std::uint64_t>(std::llround(std::max(0.0, request.seconds) * rate));
  out.left.reserve(total);
  out.right.reserve(total);
  if (request.keepAux) {
    out.aux.resize(16);
    for (auto& ch : out.aux) ch.reserve(total);
  }
  instance.setTransport(true, request.tempo);
  const std::uint32_t block = std::max<std::uint32_t>(request.blockFrames, 1);
  while (out.frames < total) {
    const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(block, total - out.frames));
    instance.process(n);
    const auto& l = instance.channel(0, 0);
    const auto& r = instance.channel(0, 1);
    out.left.insert(out.left.end(), l.begin(), l.begin() + n);
    out.right.insert(out.right.end(), r.begin(), r.begin() + n);
    if (request.keepAux) {
      for (std::uint32_t p = 1; p <= 8; ++p)
        for (std::uint32_t c = 0; c < 2; ++c) {
          const auto& ch = instance.channel(p, c);
          out.aux[(p - 1) * 2 + c].insert(out.aux[(p - 1) * 2 + c].end(), ch.begin(), ch.begin() + n);
        }
    }
    out.outEvents += instance.outEvents().size();
    out.frames += n;
    instance.runMainThread(1000.0 * n / rate);
  }
  return out;
}

}  // namespace orbi::host
