#include "tools/clap_host/window_picture.h"

#include <bit>

#include <stb/stb_image_write.h>

// After our own headers: Xlib defines macros such as None.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace orbi::host {

namespace {

// An 8-bit channel from a pixel and its visual's mask.
std::uint8_t channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const unsigned long top = mask >> shift;
  return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / top);
}

int ignoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::optional<Picture> grabWindow(Display* display, unsigned long window, std::string& error) {
  XWindowAttributes a{};
  XSync(display, False);
  // A window gone between the query and the read is a refusal, not the
  // end of the program that Xlib's default handler would make it.
  auto* previous = XSetErrorHandler(ignoreError);
  XImage* image = nullptr;
  if (XGetWindowAttributes(display, window, &a) && a.map_state == IsViewable)
    image = XGetImage(display, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
  XSync(display, False);
  XSetErrorHandler(previous);
  if (image == nullptr) {
    error = "the server gave no image of window " + std::to_string(window) + " (unmapped or off screen?)";
    return std::nullopt;
  }
  Picture picture{image->width, image->height, {}};
  picture.rgba.resize(static_cast<std::size_t>(picture.width) * picture.height * 4);
  std::uint8_t* out = picture.rgba.data();
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x, out += 4) {
      const unsigned long p = XGetPixel(image, x, y);
      out[0] = channel(p, image->red_mask);
      out[1] = channel(p, image->green_mask);
      out[2] = channel(p, image->blue_mask);
      out[3] = 255;
    }
  XDestroyImage(image);
  return picture;
}

bool writePng(const std::string& path, const Picture& picture, std::string& error) {
  if (stbi_write_png(path.c_str(), picture.width, picture.height, 4, picture.rgba.data(),
                     picture.width * 4) == 0) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace orbi::host
