#pragma once
// One rendered preview of the bench and what it was rendered from. A
// rebuild only names what each buffer should show; the buffer renders when
// that differs from what it holds, and never while it still matches, so a
// drag that leaves a picture's sound alone costs nothing. Main thread.

#include <cstdint>
#include <vector>

#include "engine/model/project.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace orbi {

// Everything a preview's samples depend on.
struct PreviewKey {
  ob::Sound sound;
  std::int64_t seed = 0;
  int frames = 0;
  std::uint32_t sampleEdits = 0;  // the editor's count of pool and slot-table changes
  bool trimReversed = false;      // a reversed whole sound loses its silent tail

  bool sameAs(const PreviewKey& other) const;
};

class PreviewBuffer {
 public:
  static constexpr double kRate = 22050.0;
  static constexpr int kShortFrames = 8820;  // 0.4 s

  // Names what the buffer should show; it turns stale when that differs
  // from what it holds or is about to render.
  void request(const PreviewKey& key);
  bool stale() const { return stale_; }
  // Renders what was requested; the caller hands the new pointer on.
  void render(const ob::SamplePoolSnapshot& snapshot);

  const float* data() const { return samples_.empty() ? nullptr : samples_.data(); }
  int frames() const { return static_cast<int>(samples_.size()); }

 private:
  std::vector<float> samples_;
  PreviewKey key_;
  bool hasKey_ = false;
  bool stale_ = false;
};

}  // namespace orbi
