#pragma once
// A height shared out among bands in the order of their needs: each give
// raises a band towards a height as far as what is left allows, so the
// bands asked first keep their room when there is too little for all.
// Pixels.

#include <algorithm>
#include <cmath>

namespace orbi::ui {

class HeightSharer {
 public:
  // What is left may start below zero (less than the fixed bands take):
  // then nothing is given.
  explicit HeightSharer(float left) : left_(left) {}

  // Up to the height, as far as what is left goes.
  void give(float& band, float upTo) {
    const float taken = std::max(0.0f, std::min(upTo - band, left_));
    band += taken;
    left_ -= taken;
  }
  // Up to the height in steps of whole rows.
  void giveRows(float& band, float upTo, float row) {
    if (row <= 0.0f) return give(band, upTo);
    give(band, std::min(upTo, band + std::floor(std::max(left_, 0.0f) / row + 1e-4f) * row));
  }
  // Up to the height, or nothing when what is left does not reach it.
  void giveAll(float& band, float upTo) {
    if (upTo - band <= left_ + 1e-4f) give(band, upTo);
  }
  // A band that takes its height whatever is left.
  void take(float height) { left_ -= height; }
  float left() const { return std::max(left_, 0.0f); }

 private:
  float left_;
};

}  // namespace orbi::ui
