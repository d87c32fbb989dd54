#pragma once
// The audio side of the instrument: the engine's own project copy, the
// sixteen track players (two per track), the step clock and the block
// buffers. The main thread reaches it only through lock-free hand-over
// points: the edit-command ring, a second ring for the host's parameter
// flush, the one-slot project mailbox (replaced copies come back through
// the retire ring), the seed mailbox and the sample-set handshake.
//
// Threads: prepare, loadProject, enableControlSignals run on the main thread
// while no block is processed. postCommand, postProject, drainRetired,
// handOverSeed and the display reads run on the main thread at any time.
// postHostCommand is the parameter flush's (one caller at a time, never
// during a block). Everything else is the audio thread's.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/chain/fade_out_ramp.h"
#include "engine/clock/step_clock.h"
#include "engine/clock/step_event.h"
#include "engine/engine/spsc_ring.h"
#include "engine/model/edit_command.h"
#include "engine/model/host_records.h"
#include "engine/model/project.h"
#include "engine/player/reverse_prerender.h"
#include "engine/player/track_player.h"
#include "engine/pool/sample_pool_snapshot.h"
#include "engine/pool/sample_set_handshake.h"

namespace ob {

// One whole-project post. The keep-position flag and the command-ring mark
// travel inside the allocation with the project they belong to.
struct PostedProject {
  Project project;
  std::uint8_t keepPosition = 0;
  // The editor ring's write index when the project was posted: commands
  // before it are already in the project, commands from it on are not.
  std::int32_t commandMark = 0;
};

class Engine {
 public:
  // Two a track: a sounding hit rings out on one while the next sound starts.
  static constexpr int kPlayers = 2 * kMaxTracks;
  // A record for every player's old hit, and some to publish into.
  static_assert(kSampleRecords >= kPlayers + 4);
  static constexpr int kCommandRingSize = 1024;
  static constexpr int kHostRingSize = 256;
  static constexpr int kRetireSlots = 8;
  static constexpr int kMaxTriggers = 64;
  static constexpr int kMaxBlockEvents = 64;
  static constexpr int kMaxNoteEnds = 80;
  static constexpr int kParams = 64;
  // Frames between two publications of the modulated-parameter display.
  static constexpr int kDisplayPeriod = 256;

  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // ---- Main thread, no block running
  // Rate (44,100 when not above 0) and largest block (512 when not above 0);
  // sizes every buffer, prepares the players and restarts on the demo project.
  // Host notes still open end at the next block, as after a reset.
  void prepare(double sampleRate, int maxBlock);
  // Copies the project in and restarts. Also empties the edit ring and the
  // mailbox: everything queued so far is superseded by this copy.
  void loadProject(const Project& project);
  void enableControlSignals(bool on);

  // ---- Main thread, any time
  // Editor's edit after it applied the command to its own copy. False when
  // the ring is full (the command is dropped).
  bool postCommand(const EditCommand& command);
  // Whole project: copies it into a heap post and hands it over; a post the
  // audio thread never took is freed here.
  void postProject(const Project& project, bool keepPosition);
  // Frees the copies the audio thread retired; returns how many.
  int drainRetired();
  // Samples reach the engine only through the handshake's records.
  SampleSetHandshake& sampleSet() { return sampleSet_; }
  const SampleSetHandshake& sampleSet() const { return sampleSet_; }
  void handOverSeed(std::uint64_t seed);
  void setAuditionMode(bool on) { auditionMode_.store(on ? 1 : 0, std::memory_order_relaxed); }
  // Reversed hits of the pattern are rendered ahead of their step, a slice a
  // block (on by default). Off, each renders inside the block that fires it;
  // the sound is the same either way. While no block runs.
  void setSpreadReverse(bool on);
  // Display values, as the audio thread last published them (a block old).
  float modulatedParam(std::uint32_t track, std::uint32_t param) const;
  std::int32_t playheadStep() const { return playheadStep_.load(std::memory_order_relaxed); }
  std::int64_t playheadPass() const { return playheadPass_.load(std::memory_order_relaxed); }

  // ---- The host's parameter flush (audio thread while active, main thread
  // otherwise; never during a block). A ring of its own, drained before the
  // editor's, so the two producers never share one.
  bool postHostCommand(const EditCommand& command);

  // ---- Audio thread
  // Queues for the next block; false when the list is full.
  bool queueTrigger(const Trigger& trigger);
  bool queueBlockEvent(const BlockEvent& event);
  // Eight stereo stems: channels[2t] left and [2t + 1] right of track t, for
  // t below pairCount. Does nothing without channels.
  void processBlock(float* const* channels, int pairCount, int frames, const RenderInfo& info);
  // One block mixed into left/right (either may be null). Returns frames.
  int process(float* left, float* right, int frames, const RenderInfo& info);
  void reset();
  // Processing stops or the instance deactivates: no block follows to ring
  // a voice out, so every voice ends here and lets go of the samples it
  // read; host notes still open end at the next block. On whichever thread
  // the host stops processing (the main thread while it deactivates),
  // never during a block.
  void endVoices();

  // Zone slot for a hit of the sound at velocity 0..1, or -1 for a sound
  // without zones or a machine that plays no samples. Round-robin modes
  // advance the counter.
  static int pickLayerZone(const Sound& sound, float velocity, std::uint8_t& counter);
  // The hit's sample slot (layer 1) set to the zone's, when the sound has
  // zones: every hit of the sound plays its layer, offline renders too.
  static void writeLayerZone(PlayerModulation& player, const Sound& sound, float velocity,
                             std::uint8_t& counter);

  // ---- Results of the last block, read by the plug-in afterwards
  Trigger triggers[kMaxTriggers];
  std::int32_t triggerCount = 0;
  BlockEvent blockEvents[kMaxBlockEvents];
  std::int32_t blockEventCount = 0;
  NoteEnd noteEnds[kMaxNoteEnds];
  std::int32_t noteEndCount = 0;
  const ControlSignal* controlSignals() const { return controlSignals_.data(); }
  std::int32_t controlSignalCount = 0;
  int controlSignalCapacity() const { return static_cast<int>(controlSignals_.size()); }

  // ---- Inspection (audio thread, or while no block runs)
  const Project& project() const { return project_; }
  const Pattern& pattern() const { return project_.patterns[0]; }
  double sampleRate() const { return sampleRate_; }
  int maxBlock() const { return maxBlock_; }
  TrackPlayer& player(int index) { return players_[index]; }
  TrackPlayer& activePlayer(int track) { return *active_[track]; }
  TrackPlayer& sparePlayer(int track) { return *spare_[track]; }
  int playerIndex(const TrackPlayer& p) const { return static_cast<int>(&p - players_); }
  int boundSound(int track) const { return boundSound_[track]; }
  float hitPan(int track) const { return hitPan_[track]; }
  float activeGainL(int track) const { return activeGainL_[track]; }
  float activeGainR(int track) const { return activeGainR_[track]; }
  const NoteRef& pendingNoteEnd(int playerIndex) const { return pendingNoteEnd_[playerIndex]; }
  std::uint64_t hitCounter() const { return hitCounter_; }
  std::int64_t hostPosition() const { return hostPosition_; }
  const StepClock& clock() const { return clock_; }
  const ReversePrerender& prerender(int track) const { return prerenders_[track]; }
  int pendingCommands() const { return commandRing_.size(); }
  bool mailboxFull() const { return projectMailbox_.load(std::memory_order_acquire) != nullptr; }

 private:
  // ---- Block processing steps (audio thread)
  void applyEdit(const EditCommand& command);
  void applyMacros();
  void selectPattern(bool keepPosition);
  void rebuildPlayers();
  void rebindTrack(int track, int sound);
  void renderTrack(TrackPlayer& player, int track, float gainL, float gainR, float* left, float* right,
                   int frames, int offset);
  void clearOutputs(float* left, float* right, int frames);

  // ---- Hits (audio thread)
  void fireHit(const Trigger& trigger);
  void stepHit(const StepEvent& event);
  void slide(const StepEvent& event);
  void logTrigger(const NoteRef& ref);
  void flushNoteEnd(int playerIndex);
  void flushEndedNotes();
  void clearLockLayer(PlayerModulation& player);

  void sizeBuffers();
  void preparePlayers();
  void carryPendingNoteEnds();
  // Takes a posted project when the retire ring has room. False when one
  // waits but cannot be taken yet.
  bool takeMailbox();
  void takeSeed();
  void checkSampleSet();
  // Tells the main thread every record a machine or pre-render may still
  // read through.
  void reportReading();
  void drainCommands();
  void runPiece(float* left, float* right, int base, int frames, const RenderInfo& info, bool first);
  void renderSegment(float* left, float* right, int from, int to);
  void sendControlSignals(int base, int frames);
  void publishDisplay(int frames);
  void stopTracksFrom(int firstTrack);
  void followTrackRemoval(int removed, int last);
  void applySeedRule();
  void chokeOthers(int track);
  // A step hit's writes into the modulators, shared by the hit and its
  // forecast: the lock layer and the random offsets (true when a lock sets
  // the sample slot), then the velocity routes and the layer zone.
  bool writeStepLocks(PlayerModulation& player, const Step& step, const Track& track, std::uint64_t hash);
  void writeStepRoutes(PlayerModulation& player, const Sound& sound, float velocity, bool lockOnSlot,
                       std::uint8_t& counter);
  void glideToNextStep(PlayerModulation& player, const StepEvent& event);

  // Reverse pre-renders ahead of their hits (engine_reverse.cpp).
  void prepareReverseHits(int frames);
  // While the transport is stopped: those of the step it will start on.
  void prepareStartHits(int frames, double tempo);
  void forecastStartHit(int track, double tempo);
  void cancelReverseHits();
  // The track's next step hit after a block of `frames` that produced the
  // events from firstEvent on: at, from the block's first sample.
  static bool nextStepHit(const StepClock& clock, const StepEventList& events, int firstEvent, int track,
                          int frames, StepEvent& hit, std::int64_t& at);
  bool hostNoteFirst(int track, std::int64_t at) const;
  bool forecastStepHit(int track, const StepEvent& hit, std::int64_t at, bool timed);
  int activeTrackCount() const;
  // Points the player at the record the block took.
  void giveSnapshot(TrackPlayer& player);
  void resetPlayer(TrackPlayer& player);
  void startPlayerHit(TrackPlayer& player, float note, float velocity);
  void stopPlayers();
  void fadeAfterStop(TrackPlayer& player, float* left, float* right, int frames);

  // Hand-over points.
  SpscRing<EditCommand, kCommandRingSize> commandRing_;
  SpscRing<EditCommand, kHostRingSize> hostRing_;
  SampleSetHandshake sampleSet_;
  std::atomic<std::int32_t> playheadStep_{0};
  std::atomic<std::int64_t> playheadPass_{0};
  std::atomic<PostedProject*> projectMailbox_{nullptr};
  PostedProject* retireRing_[kRetireSlots] = {};
  std::atomic<std::int32_t> retireWrite_{0};
  std::atomic<std::int32_t> retireRead_{0};
  std::atomic<std::uint64_t> seedValue_{0};
  std::atomic<std::uint8_t> seedPending_{0};
  std::atomic<std::uint8_t> auditionMode_{0};
  std::atomic<float> modDisplay_[kMaxTracks][kParams];

  // Audio-thread state.
  double sampleRate_ = 44100.0;
  int maxBlock_ = 512;
  std::uint8_t wasPlaying_ = 0;
  std::int64_t hostPosition_ = 0;
  Project project_;
  std::int32_t currentPattern_ = 0;
  TrackPlayer players_[kPlayers];
  TrackPlayer* active_[kMaxTracks];
  TrackPlayer* spare_[kMaxTracks];
  float activeGainL_[kMaxTracks] = {};
  float activeGainR_[kMaxTracks] = {};
  float spareGainL_[kMaxTracks] = {};
  float spareGainR_[kMaxTracks] = {};
  // Players fading out after a transport stop; each stops when its fade ends.
  FadeOutRamp stopFade_[kPlayers];
  NoteRef pendingNoteEnd_[kPlayers];
  // Host notes of players cleared outside a block (a reset, or a prepare
  // after a deactivate that cut them short); reported at the start of the
  // next block.
  NoteRef carriedNoteEnds_[kPlayers];
  std::int32_t carriedCount_ = 0;
  std::int32_t noteEndTime_ = 0;
  std::uint8_t controlSignalsOn_ = 0;
  std::vector<float> followerInput_;  // kMaxTracks rows of maxBlock
  float follower_[kMaxTracks] = {};
  float lastSent_[kMaxTracks];  // -1 until a level is sent
  float followerDecay_ = 0.0f;
  std::vector<ControlSignal> controlSignals_;
  std::int8_t boundSound_[kMaxTracks];  // -1: no sound bound
  std::uint8_t roundRobin_[kMaxTracks] = {};
  std::uint64_t hitCounter_ = 0;
  std::uint8_t seedSet_ = 0;
  std::uint64_t takenSeed_ = 0;
  float hitPan_[kMaxTracks] = {};
  StepClock clock_;
  StepEventList stepEvents_;

  // The next step hit of each track and its pre-render when it plays
  // reversed (audio thread).
  struct ReverseTarget {
    std::uint8_t known = 0;  // forecast made for this hit
    std::int64_t trackStep = 0;
    std::int32_t subIndex = 0;
    std::uint8_t patternIndex = 0;
    std::int64_t due = 0;  // host sample of the hit
  };
  ReverseTarget reverseTargets_[kMaxTracks];
  ReversePrerender prerenders_[kMaxTracks];
  PlayerModulation hitForecast_;  // a player's modulators as a hit will leave them
  // While stopped: the clock as a start would run its first sample, what
  // that sample brought, and each track's machine count at its forecast.
  StepClock startClock_;
  StepEventList startEvents_;
  std::uint32_t startEpoch_[kMaxTracks] = {};
  std::uint8_t startProbed_ = 0;  // startClock_ holds the start as things are
  std::uint8_t spreadReverse_ = 1;
  std::uint8_t reverseRecheck_ = 0;  // something changed: forecasts are made again
  double reverseTempo_ = 0.0;        // of the last forecasts; a change is such a thing
  std::vector<float> scratchL_;
  std::vector<float> scratchR_;
  float* const* trackOutputs_ = nullptr;
  int trackOutputCount_ = 0;
  int pieceBase_ = 0;       // offset of the piece being processed in the host block
  int nextTrigger_ = 0;     // first trigger not yet fired in this block
  int nextBlockEvent_ = 0;  // first block event not yet applied
  int nextStepEvent_ = 0;
  int displayFrames_ = 0;
  std::uint8_t displayDirty_ = 1;
};

}  // namespace ob
