#include "support/ui/stored_picture.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <utility>
#include <vector>

#include "support/ui/snapshot_png.h"

namespace orbi::ui::test {
namespace {

bool channelsDiffer(const std::uint8_t* a, const std::uint8_t* b) {
  for (int c = 0; c < 3; ++c)
    if (std::abs(a[c] - b[c]) > kPictureChannelTolerance) return true;
  return false;
}

// Sizes the 8-connected patch of changed pixels that holds `start`, and
// clears it from the mask.
std::size_t takePatch(std::vector<std::uint8_t>& changed, int width, int height, int start) {
  std::size_t size = 0;
  std::vector<int> open{start};
  changed[start] = 0;
  while (!open.empty()) {
    const int at = open.back();
    open.pop_back();
    ++size;
    const int x = at % width, y = at / width;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const int nx = x + dx, ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
        const int next = ny * width + nx;
        if (!changed[next]) continue;
        changed[next] = 0;
        open.push_back(next);
      }
  }
  return size;
}

}  // namespace

PictureDifference comparePictures(const FramePixels& drawn, const FramePixels& stored) {
  PictureDifference d;
  if (drawn.width != stored.width || drawn.height != stored.height ||
      drawn.rgba.size() != stored.rgba.size()) {
    d.sameSize = false;
    return d;
  }
  const int pixels = drawn.width * drawn.height;
  std::vector<std::uint8_t> changed(static_cast<std::size_t>(pixels));
  d.marked = drawn;
  for (int i = 0; i < pixels; ++i) {
    const std::size_t at = static_cast<std::size_t>(i) * 4;
    changed[i] = channelsDiffer(&drawn.rgba[at], &stored.rgba[at]);
    d.changedPixels += changed[i];
    for (int c = 0; c < 3; ++c)
      d.marked.rgba[at + c] = changed[i] ? 255 : static_cast<std::uint8_t>(drawn.rgba[at + c] / 4);
  }
  for (int i = 0; i < pixels; ++i) {
    if (!changed[i]) continue;
    const std::size_t size = takePatch(changed, drawn.width, drawn.height, i);
    if (size <= d.largestPatch) continue;
    d.largestPatch = size;
    d.patchX = i % drawn.width;
    d.patchY = i / drawn.width;
  }
  return d;
}

bool renewingPictures() { return std::getenv("ORBI_REWRITE_SNAPSHOTS") != nullptr; }

std::string checkStoredPicture(const FramePixels& drawn, const std::filesystem::path& stored,
                               const std::filesystem::path& keepIn) {
  std::ostringstream failure;
  if (renewingPictures()) {
    std::error_code ec;
    std::filesystem::create_directories(stored.parent_path(), ec);
    if (!writePng(stored, drawn)) failure << "could not store " << stored;
    return failure.str();
  }
  const std::optional<FramePixels> expected = readPng(stored);
  if (!expected) {
    failure << "no stored picture " << stored << "; store it with ORBI_REWRITE_SNAPSHOTS=1";
    return failure.str();
  }
  const PictureDifference d = comparePictures(drawn, *expected);
  if (withinPolicy(d)) return {};
  const std::filesystem::path kept = keepIn / stored.stem();
  const std::string drawnFile = kept.string() + ".drawn.png", markedFile = kept.string() + ".diff.png";
  writePng(drawnFile, drawn);
  if (!d.sameSize) {
    failure << "drawn " << drawn.width << "x" << drawn.height << ", stored " << expected->width << "x"
            << expected->height << " in " << stored << "; drawn now: " << drawnFile;
    return failure.str();
  }
  writePng(markedFile, d.marked);
  failure << d.changedPixels << " pixels differ from " << stored << ", " << d.largestPatch
          << " of them touching around (" << d.patchX << ", " << d.patchY << "); drawn now: " << drawnFile
          << ", changes marked: " << markedFile;
  return failure.str();
}

}  // namespace orbi::ui::test
