#pragma once
// The dash pattern of dashed lines: dashes and gaps of fixed lengths walked
// along a point list, the pattern carrying over from one segment to the
// next. Only the part of a segment inside a clip box is walked dash by
// dash; the pattern's phase across the rest is computed, so a segment a
// billion pixels long costs no more than its visible part. Segments of
// length 0, or of a length that is not finite, are skipped.

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <span>

namespace orbi::ui {

struct ClipBox {
  double x0, y0, x1, y1;
};

// Where the pattern stands: in a dash or a gap, with this much of it left.
class DashPhase {
 public:
  DashPhase(double dash, double gap) : dash_(dash), gap_(gap), remaining_(dash) {}

  bool drawing() const { return drawing_; }
  double remaining() const { return remaining_; }
  // Uses up a step of at most remaining(); a phase left with 0.001 or less
  // ends.
  void take(double step);
  // Moves the pattern on by a distance of any length without walking it.
  void skip(double distance);

 private:
  void flip();

  double dash_, gap_;
  bool drawing_ = true;
  double remaining_;
};

// Calls emit(from, to) for every dash, or the part of one, that lies along
// the points inside the box. dash and gap are in pixels and positive.
template <typename Emit>
void walkDashes(std::span<const ImVec2> points, double dash, double gap, const ClipBox& box, Emit&& emit);

// The part of the segment from a to b inside the box, as distances from a
// along it; false when it misses the box.
bool clipSegment(ImVec2 a, ImVec2 b, double length, const ClipBox& box, double& from, double& to);

template <typename Emit>
void walkDashes(std::span<const ImVec2> points, double dash, double gap, const ClipBox& box, Emit&& emit) {
  DashPhase phase(dash, gap);
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    const ImVec2 a = points[i], b = points[i + 1];
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0 || !std::isfinite(length)) continue;
    auto at = [&](double t) {
      return ImVec2(static_cast<float>(a.x + dx * t / length), static_cast<float>(a.y + dy * t / length));
    };
    double from = 0.0, to = 0.0;
    if (!clipSegment(a, b, length, box, from, to)) {
      phase.skip(length);
      continue;
    }
    phase.skip(from);
    double t = from;
    while (to - t > 0.001) {
      const double step = std::min(to - t, phase.remaining());
      if (phase.drawing()) emit(at(t), at(t + step));
      phase.take(step);
      t += step;
    }
    phase.skip(length - t);
  }
}

}  // namespace orbi::ui
