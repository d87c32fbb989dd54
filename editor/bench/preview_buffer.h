#pragma once
// One rendered preview of the bench and what it was rendered from. A
// rebuild only names what each buffer should show; the buffer renders when
// that differs from what it holds, and never while it still matches, so a
// drag that leaves a picture's sound alone costs nothing. A render may go
// in pieces over several frames; the samples shown change only once all
// of the new ones are in. Main thread.

#include <cstdint>
#include <vector>

#include "engine/model/project.h"
#include "engine/player/offline_render.h"
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

class PreviewBuffer;

// A render in pieces, lent to one buffer at a time. It goes on with the
// request it began with even when a newer one comes (a drag names one
// every frame), so that every render ends; the buffer then stays stale for
// the next pass. It starts over for another buffer, or when the pool
// changed under it.
struct PreviewWork {
  ob::OfflineRender render;
  const PreviewBuffer* owner = nullptr;
  std::uint32_t request = 0;      // the owner's request count at the start
  std::uint32_t sampleEdits = 0;  // of the key it renders
  bool trimReversed = false;
};

class PreviewBuffer {
 public:
  static constexpr double kRate = 22050.0;
  static constexpr int kShortFrames = 8820;  // 0.4 s

  // Names what the buffer should show; it turns stale when that differs
  // from what it holds or is about to render.
  void request(const PreviewKey& key);
  bool stale() const { return stale_; }
  // Renders what was requested at once; the caller hands the new pointer on.
  void render(const ob::SamplePoolSnapshot& snapshot);
  // A piece of about `frames` of a render of what was requested; true once
  // its samples are in (the buffer stays stale when a newer request came
  // meanwhile), and the caller hands the new pointer on. The snapshot keeps
  // its audio until then, unless a request with a new pool comes.
  bool renderPiece(PreviewWork& work, const ob::SamplePoolSnapshot& snapshot, int frames);

  const float* data() const { return samples_.empty() ? nullptr : samples_.data(); }
  int frames() const { return static_cast<int>(samples_.size()); }

 private:
  // The finished render's samples become the buffer's.
  void adopt(ob::OfflineRender& render, bool trimReversed);

  std::vector<float> samples_;
  PreviewKey key_;
  bool hasKey_ = false;
  bool stale_ = false;
  std::uint32_t requests_ = 0;  // counts the keys named
};

}  // namespace orbi
