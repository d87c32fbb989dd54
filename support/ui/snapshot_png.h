#pragma once
// Pictures of frames as PNG files, in and out, and how many pixels of two
// pictures differ (support/ui/stored_picture.h compares with stored ones).

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "ui/platform/render_surface.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace orbi::ui::test {

// A channel further off than this counts the pixel as different.
inline constexpr int kChannelTolerance = 2;

inline bool writePng(const std::filesystem::path& path, const FramePixels& p) {
  return stbi_write_png(path.c_str(), p.width, p.height, 4, p.rgba.data(), p.width * 4) != 0;
}

inline std::optional<FramePixels> readPng(const std::filesystem::path& path) {
  int w = 0, h = 0, channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 4);
  if (!data) return std::nullopt;
  FramePixels p{w, h, std::vector<std::uint8_t>(data, data + static_cast<std::size_t>(w) * h * 4)};
  stbi_image_free(data);
  return p;
}

// How many pixels of two pictures of one size differ beyond the tolerance.
inline std::size_t differentPixels(const FramePixels& a, const FramePixels& b) {
  std::size_t different = 0;
  for (std::size_t i = 0; i + 3 < a.rgba.size() && i + 3 < b.rgba.size(); i += 4) {
    int worst = 0;
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(a.rgba[i + c] - b.rgba[i + c]));
    different += worst > kChannelTolerance;
  }
  return different;
}

}  // namespace orbi::ui::test
