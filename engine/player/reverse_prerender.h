#pragma once
// A reversed hit rendered ahead of time, a slice per block, so that the
// block which fires the hit only plays it. The engine predicts what the
// player will hold at the hit (its modulators, and its machine, which must
// not be rendered until then) and starts here on copies of them; at the hit
// the player checks that the hit is exactly that one and takes the result
// (Engine::prepareReverseHits, TrackPlayer::offerPrerender). A hit that
// differs in anything the render reads is rendered in place instead, so the
// sound never depends on whether it was made ahead.
//
// Threads: prepare on the main thread while no block runs; everything else
// on the audio thread, where nothing allocates.

#include <cstdint>
#include <vector>

#include "engine/chain/voice_chain.h"
#include "engine/model/project.h"
#include "engine/player/machine_set.h"
#include "engine/player/player_modulation.h"
#include "engine/player/reverse_render.h"
#include "engine/player/track_player.h"

namespace ob {

class ReversePrerender {
 public:
  // Machines and chain at the rate; buffers of capacity samples, the size
  // of the players' own.
  void prepare(double sampleRate, std::int32_t capacity);

  // Starts on the next hit of a player whose machine will not render before
  // it: a copy of the machine triggered as the hit will trigger it, played
  // with the modulators the hit will have.
  void begin(const TrackPlayer& player, const PlayerModulation& atHit, TrackPlayer::HitInput trigger,
             bool stereo);
  // Begun for this player's hit from the same state, and still valid.
  bool startedFrom(const TrackPlayer& player, const PlayerModulation& atHit,
                   TrackPlayer::HitInput trigger) const;
  // Begun for this player, whose machine has not moved since.
  bool stillFor(const TrackPlayer& player) const {
    return player_ == &player && player.machineEpoch() == epoch_;
  }
  // The hit the player has just started is exactly the one rendered here.
  bool fits(const TrackPlayer& player, bool stereo) const;
  // This block's share when `blocks` blocks are left for the rest (this one
  // included; 1 or less: all of it now). The shares follow an even plan,
  // whatever whole chunks overshoot it.
  void renderShare(std::int64_t blocks);
  // About `samples` more (whole chunks), whenever the hit comes.
  void renderAhead(std::int32_t samples);
  // All that is left, then the fades.
  void finish();
  void cancel() { player_ = nullptr; }
  // Gives the rendered buffers to the player and takes its old ones for the
  // next pre-render; idle again.
  void handOver(std::vector<float>& left, std::vector<float>& right);

  bool active() const { return player_ != nullptr; }
  // The sample memory the copied machine reads through.
  const SamplePoolSnapshot* sampleSnapshot() const { return snapshot_; }
  bool complete() const { return active() && render_.complete(); }
  std::int32_t remaining() const { return active() ? render_.capacity() - render_.length() : 0; }
  std::int32_t length() const { return render_.length(); }
  std::uint32_t chunks() const { return render_.chunks(); }
  bool stereo() const { return render_.stereo(); }

  const MachineSet& machines() const { return machines_; }

 private:
  MachineSet machines_;
  VoiceChain chain_;
  PlayerModulation atHit_;       // the modulators at the hit, as begun
  PlayerModulation modulators_;  // the same, advanced by the render
  std::vector<float> left_;
  std::vector<float> right_;
  ReverseRender render_;
  double sampleRate_ = 44100.0;
  const TrackPlayer* player_ = nullptr;           // null while idle
  const SamplePoolSnapshot* snapshot_ = nullptr;  // the player's at the copy
  std::uint32_t epoch_ = 0;                       // the player's machine count at the copy
  TrackPlayer::HitInput trigger_{};
  std::int32_t planned_ = 0;  // samples due by the end of this block
  bool faded_ = false;
};

}  // namespace ob
