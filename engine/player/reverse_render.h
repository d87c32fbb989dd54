#pragma once
// One pre-render of a reversed hit: the triggered machine through a voice
// chain of its own into the reverse buffers, chunk by chunk, with the
// modulators it is given advancing as it goes. It may stop between chunks
// and go on later: the samples come out the same however the work is cut.
// Audio thread; nothing here allocates.

#include <cstdint>

#include "engine/chain/voice_chain.h"
#include "engine/machine/machine.h"
#include "engine/player/player_modulation.h"

namespace ob {

class ReverseRender {
 public:
  // Chunk while no modulator moves.
  static constexpr int kStillChunk = 256;

  // Resets the chain for the hit's velocity and the modulators' tempo.
  // Serials of the chunks count on from serialBase.
  void begin(Machine& machine, VoiceChain& chain, PlayerModulation& modulators, float* left, float* right,
             std::int32_t capacity, bool stereo, float velocity, std::uint32_t serialBase);
  // Renders whole chunks until at least target samples are done, the
  // buffers are full or the hit has died away.
  void renderUntil(std::int32_t target);
  // The buffers are full or the hit has died away.
  bool complete() const { return ended_ || length_ >= capacity_; }
  // Once complete: fades the cut end out and the transient's first
  // millisecond in.
  void fade(double sampleRate);

  std::int32_t length() const { return length_; }
  std::int32_t capacity() const { return capacity_; }
  std::uint32_t chunks() const { return chunks_; }
  bool stereo() const { return stereo_; }

 private:
  Machine* machine_ = nullptr;
  VoiceChain* chain_ = nullptr;
  PlayerModulation* modulators_ = nullptr;
  float* left_ = nullptr;
  float* right_ = nullptr;
  std::int32_t capacity_ = 0;
  std::int32_t length_ = 0;
  std::int32_t ownCount_ = 0;
  std::uint32_t serialBase_ = 0;
  std::uint32_t chunks_ = 0;
  bool stereo_ = false;
  bool ended_ = false;
};

}  // namespace ob
