// Skin generator: draws the editor's tiled background texture, a small dark
// grain that repeats without seams, and writes it as "orbi-skin.png" into
// the path given as its argument. Integer hashing and plain float
// arithmetic only, so every build writes the same bytes.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

namespace {

constexpr int kSize = 64;  // the tile, in pixels
constexpr int kCells = 8;  // lattice cells of the coarse mottle across the tile

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t salt) {
  std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ salt * 0xcb1ab31fu;
  h ^= h >> 15;
  h *= 0x2c1b3c6du;
  h ^= h >> 12;
  h *= 0x297a2d39u;
  return h ^ (h >> 15);
}

float unit(std::uint32_t h) { return static_cast<float>(h >> 8) / 16777216.0f; }

float smooth(float t) { return t * t * (3.0f - 2.0f * t); }

// Value noise whose lattice wraps at the tile's edge, so the tile repeats.
float mottle(int x, int y) {
  const int cell = kSize / kCells;
  const int cx = x / cell, cy = y / cell;
  const float fx = smooth(static_cast<float>(x % cell) / cell);
  const float fy = smooth(static_cast<float>(y % cell) / cell);
  auto at = [](int i, int j) {
    return unit(hash(static_cast<std::uint32_t>(i % kCells), static_cast<std::uint32_t>(j % kCells), 1));
  };
  const float top = at(cx, cy) + (at(cx + 1, cy) - at(cx, cy)) * fx;
  const float bottom = at(cx, cy + 1) + (at(cx + 1, cy + 1) - at(cx, cy + 1)) * fx;
  return top + (bottom - top) * fy;
}

std::uint8_t toByte(float v) {
  const float c = v < 0.0f ? 0.0f : (v > 255.0f ? 255.0f : v);
  return static_cast<std::uint8_t>(c + 0.5f);
}

std::vector<std::uint8_t> drawSkin() {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kSize) * kSize * 4);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const float grain = unit(hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 2)) - 0.5f;
      // A faint diagonal weave, one thread every eight pixels.
      const bool thread = ((x + y) & 7) == 0;
      const float light = 0.55f * mottle(x, y) + 0.3f * grain + (thread ? 0.25f : 0.0f);
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * kSize + x) * 4];
      p[0] = toByte(26.0f + 22.0f * light);
      p[1] = toByte(34.0f + 26.0f * light);
      p[2] = toByte(18.0f + 14.0f * light);
      p[3] = toByte(60.0f + 70.0f * light);
    }
  }
  return rgba;
}

void collect(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_PNG\n", argv[0]);
    return 2;
  }
  const std::vector<std::uint8_t> rgba = drawSkin();
  std::vector<std::uint8_t> png;
  stbi_write_png_to_func(collect, &png, kSize, kSize, 4, rgba.data(), kSize * 4);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  if (png.empty() || !out) {
    std::fprintf(stderr, "skin generator: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
