#pragma once
// Small PNG pictures made in memory, for tests and benchmarks that draw
// pictures without a stored file.

#include <cstdint>
#include <vector>

#include <stb/stb_image_write.h>

namespace orbi::ui::test {

// The pixel at (x, y) of a test picture, 0xAARRGGBB: every pixel different.
inline std::uint32_t testPixelAt(int x, int y) {
  return 0xFF000000u | static_cast<std::uint32_t>(x * 5) << 16 | static_cast<std::uint32_t>(y * 7) << 8 |
         static_cast<std::uint32_t>((x + y) & 0xFF);
}

// A width by height PNG of testPixelAt.
inline std::vector<std::uint8_t> encodeTestPng(int width, int height) {
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = testPixelAt(x, y);
      rgba.insert(rgba.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                               static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 24)});
    }
  std::vector<std::uint8_t> png;
  stbi_write_png_to_func(
      [](void* out, void* data, int size) {
        auto* bytes = static_cast<const std::uint8_t*>(data);
        static_cast<std::vector<std::uint8_t>*>(out)->insert(
            static_cast<std::vector<std::uint8_t>*>(out)->end(), bytes, bytes + size);
      },
      &png, width, height, 4, rgba.data(), width * 4);
  return png;
}

}  // namespace orbi::ui::test
