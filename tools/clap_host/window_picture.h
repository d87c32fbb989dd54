#pragma once
// Pictures of a window as the X server holds it: XGetImage read into RGBA
// and written as PNG. The window must lie wholly on the screen.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace orbi::host {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // rows top to bottom, alpha 255
};

// Null, with the reason in error, when the server refuses the image (a
// window partly off screen, not mapped, gone).
std::optional<Picture> grabWindow(_XDisplay* display, unsigned long window, std::string& error);

bool writePng(const std::string& path, const Picture& picture, std::string& error);

}  // namespace orbi::host
