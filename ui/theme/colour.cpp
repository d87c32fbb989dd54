#include "ui/theme/colour.h"

#include <cmath>

#include "ui/clamp.h"

namespace orbi::ui {

namespace {

std::uint32_t byte(float v) { return static_cast<std::uint32_t>(std::lround(clamp01NanTo0(v) * 255.0f)); }

}  // namespace

ImVec4 colourToVec4(std::uint32_t argb) {
  auto channel = [argb](int shift) { return static_cast<float>((argb >> shift) & 0xFFu) / 255.0f; };
  return ImVec4(channel(16), channel(8), channel(0), channel(24));
}

std::uint32_t lerpColor(std::uint32_t a, std::uint32_t b, float t) {
  const float k = clamp01NanTo0(t);  // NaN blends nothing
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float ca = static_cast<float>((a >> shift) & 0xFFu);
    const float cb = static_cast<float>((b >> shift) & 0xFFu);
    out |= static_cast<std::uint32_t>(ca + (cb - ca) * k + 0.5f) << shift;
  }
  return out;
}

std::uint32_t hsvToArgb(float hue, float saturation, float value, float alpha) {
  if (!std::isfinite(hue)) hue = 0.0f;
  saturation = clamp01NanTo0(saturation);
  value = clamp01NanTo0(value);
  const float h = (hue - std::floor(hue)) * 6.0f;
  const int sector = static_cast<int>(h);
  const float f = std::fabs(std::fmod(h, 2.0f) - 1.0f);
  const float c = value * saturation;
  const float x = (1.0f - f) * c;
  const float m = value - c;
  float r = c, g = 0.0f, b = x;
  switch (sector) {
    case 0: r = c, g = x, b = 0.0f; break;
    case 1: r = x, g = c, b = 0.0f; break;
    case 2: r = 0.0f, g = c, b = x; break;
    case 3: r = 0.0f, g = x, b = c; break;
    case 4: r = x, g = 0.0f, b = c; break;
    default: break;
  }
  return byte(alpha) << 24 | byte(r + m) << 16 | byte(g + m) << 8 | byte(b + m);
}

}  // namespace orbi::ui
