#pragma once
// The time one editor frame may spend on offline renders (the audition and
// the bench's previews), so that no frame holds the host's UI thread for
// long: the renders go in small pieces while the frame's share lasts, and
// what is left waits for the next frame. One piece always runs, so the
// work ends however slow the machine. Main thread, one frame.

#include <chrono>

namespace orbi {

class RenderBudget {
 public:
  // The share of a frame: with a piece's own few milliseconds at worst, a
  // frame spends at most about 8 ms on renders.
  static constexpr double kFrameShareMs = 6.0;
  // About this many preview frames make one piece (a few hundred
  // microseconds of the costliest sound).
  static constexpr int kPieceFrames = 4096;

  // The share starts now.
  explicit RenderBudget(double shareMs = kFrameShareMs);
  // Another piece may run: none has run yet, or some of the share is left.
  bool allows() const;
  // Called after each piece.
  void spent() { ++pieces_; }
  int pieces() const { return pieces_; }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point start_;
  double shareMs_;
  int pieces_ = 0;
};

}  // namespace orbi
