#include "ui/theme/colour.h"

namespace orbi::ui {

ImVec4 colourToVec4(std::uint32_t argb) {
  auto channel = [argb](int shift) { return static_cast<float>((argb >> shift) & 0xFFu) / 255.0f; };
  return ImVec4(channel(16), channel(8), channel(0), channel(24));
}

std::uint32_t lerpColor(std::uint32_t a, std::uint32_t b, float t) {
  const float k = t > 0.0f ? (t < 1.0f ? t : 1.0f) : 0.0f;  // NaN blends nothing
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float ca = static_cast<float>((a >> shift) & 0xFFu);
    const float cb = static_cast<float>((b >> shift) & 0xFFu);
    out |= static_cast<std::uint32_t>(ca + (cb - ca) * k + 0.5f) << shift;
  }
  return out;
}

}  // namespace orbi::ui
