#include "resources/factory_gen/logo.h"

#include <algorithm>
#include <cmath>

#include "resources/factory_gen/det_math.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

namespace gen {
namespace {

constexpr std::uint8_t kAccentR = 0x8D, kAccentG = 0xC6, kAccentB = 0x3F;

// Coverage of one sub-sample point by the picture's shapes (0 or 1).
bool covered(double x, double y) {
  const double c = kLogoSize / 2.0;
  const double dx = x - c, dy = y - c;
  const double r = std::sqrt(dx * dx + dy * dy);
  // The orbiting dot sits up and to the right on the ring.
  const double angle = -kPi / 4.0;
  const double orbit = 86.0;
  const double px = c + orbit * detCos(angle), py = c + orbit * detSin(angle);
  const double dot = std::sqrt((x - px) * (x - px) + (y - py) * (y - py));
  if (dot <= 22.0) return true;
  if (dot <= 31.0) return false;  // a gap in the ring around the dot
  if (r >= orbit - 8.0 && r <= orbit + 8.0) return true;
  return r <= 30.0;  // the body the ring circles
}

void collect(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

std::vector<std::uint8_t> drawLogoPng() {
  constexpr int kSub = 4;
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kLogoSize) * kLogoSize * 4, 0);
  for (int y = 0; y < kLogoSize; ++y) {
    for (int x = 0; x < kLogoSize; ++x) {
      int hits = 0;
      for (int sy = 0; sy < kSub; ++sy)
        for (int sx = 0; sx < kSub; ++sx)
          hits += covered(x + (sx + 0.5) / kSub, y + (sy + 0.5) / kSub) ? 1 : 0;
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * kLogoSize + x) * 4];
      p[0] = kAccentR;
      p[1] = kAccentG;
      p[2] = kAccentB;
      p[3] = static_cast<std::uint8_t>((hits * 255 + kSub * kSub / 2) / (kSub * kSub));
    }
  }
  std::vector<std::uint8_t> png;
  stbi_write_png_to_func(collect, &png, kLogoSize, kLogoSize, 4, rgba.data(), kLogoSize * 4);
  return png;
}

}  // namespace gen
