#pragma once
// The display tests' stored pictures: a picture drawn now is compared with
// the one stored under tests/data/, or, with ORBI_REWRITE_SNAPSHOTS set,
// stored in its place (look at it before committing it).
//
// One policy for every picture: each channel may be off by a little, for
// the software renderer's rounding, which scatters lone pixels along the
// edges of shapes and glyphs; but no changed pixels may form a connected
// patch larger than a few glyph strokes. A moved or missing handle, label
// or line leaves such a patch, however small a share of the picture it is.

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>

#include "ui/platform/render_surface.h"

namespace orbi::ui::test {

// A channel further off than this counts its pixel as changed.
inline constexpr int kPictureChannelTolerance = 2;
// The most changed pixels that may touch one another (8-connected).
inline constexpr std::size_t kLargestChangedPatch = 20;

struct PictureDifference {
  bool sameSize = true;
  std::size_t changedPixels = 0;
  std::size_t largestPatch = 0;  // pixels in the largest 8-connected patch of changed pixels
  int patchX = 0, patchY = 0;    // a pixel of that patch
  FramePixels marked;            // changed pixels white over the drawn picture darkened
};

PictureDifference comparePictures(const FramePixels& drawn, const FramePixels& stored);

inline bool withinPolicy(const PictureDifference& d) {
  return d.sameSize && d.largestPatch <= kLargestChangedPatch;
}

// Whether ORBI_REWRITE_SNAPSHOTS asks for the pictures to be stored anew.
bool renewingPictures();

// Compares the drawn picture with the stored file, or stores it when
// renewing. Empty when it matches (or was stored); otherwise what failed,
// where the largest change is, and where the drawn picture and the marked
// difference were left (in keepIn).
std::string checkStoredPicture(const FramePixels& drawn, const std::filesystem::path& stored,
                               const std::filesystem::path& keepIn);

// EXPECT_TRUE(matchesStoredPicture(*drawn, dataDir / "ui_snapshots" / "x.png"));
inline testing::AssertionResult matchesStoredPicture(const FramePixels& drawn,
                                                     const std::filesystem::path& stored) {
  const std::string failure = checkStoredPicture(drawn, stored, testing::TempDir());
  if (failure.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << failure;
}

}  // namespace orbi::ui::test
