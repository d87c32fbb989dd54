#pragma once
// The instance's main-thread session: everything the plug-in instance owns
// of the sound side and hands to the editor: the engine with its hand-over
// points, the editor-side project, the session seed, the sample pool with
// its publisher and retired pools, the transport flags the editor and
// the process call share, and the audition preview. What a document load
// keeps for the next save lives beside it, with whoever loads documents.

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/engine/audition_preview.h"
#include "engine/engine/engine.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"
#include "engine/pool/sample_set_publisher.h"

namespace orbi {

struct EngineHost {
  ob::Engine engine;
  ob::Project project;  // editor-side copy; main thread only
  std::uint64_t sessionSeed = 0;
  ob::SamplePool pool;  // main thread only
  // Publishes the pool into the engine's records; holds the retired pools.
  ob::SampleSetPublisher samples;
  // Internal transport: the editor turns it on, process clears it when the
  // host starts playing.
  std::atomic<std::uint8_t> internalPlay{1};
  // The host transport plays; written by process (and cleared when
  // processing stops), read by the editor.
  std::atomic<std::uint8_t> hostPlaying{0};
  static_assert(std::atomic<std::uint8_t>::is_always_lock_free);
  // Main thread: the pattern plays, by either transport.
  bool playing() const {
    return internalPlay.load(std::memory_order_relaxed) != 0 ||
           hostPlaying.load(std::memory_order_relaxed) != 0;
  }
  // The tempo the host's transport plays the pattern at, in place of the
  // pattern's own; 0 while it stops or gives none, and once processing
  // stops. Written by process, read by the editor.
  std::atomic<double> hostTempo{0.0};
  static_assert(std::atomic<double>::is_always_lock_free);
  ob::AuditionPreview preview;
  double hostSampleRate = 44100.0;
  // Counts the state loads that replaced the project and pool; an open
  // editor sees it change and starts over on the new project. Main thread.
  std::uint32_t stateLoads = 0;
  // Counts every change of the pool or its slot table that was published
  // (an import, a split, an open, a state load). Caches of pool audio key
  // on it: new audio can land where freed audio was, with its length, and
  // a publication may wait for a free record.
  // Main thread.
  std::uint32_t poolChanges = 0;

  // Heap construction; null when out of memory.
  static std::unique_ptr<EngineHost> create();

  // Main thread: the editor's edit. Applies it to the editor-side copy and
  // posts it to the engine; false when the engine's ring was full (the copies
  // then differ until the next whole-project post).
  bool applyEdit(const ob::EditCommand& command);
  // Main thread: posts the editor-side copy as a whole.
  void postProject(bool keepPosition);
  // Main thread: fills a free snapshot record from the pool and the
  // editor-side sample table and publishes it (deferred to a later pass
  // while every record is still read). False when deferred.
  bool publishSamples();
  // Main thread: the pool is replaced by the given one (a state load or an
  // open) and the new samples published; the old pool is freed once no
  // voice can read it, at once when none rings while no block runs.
  void replacePool(ob::SamplePool&& fresh);
  // Main thread, every pass: frees retired project copies, publishes a
  // deferred snapshot and frees the retired pools no voice can read.
  void mainThreadPass();
  // The sample-set generation the audio thread has taken, as far as the
  // main thread knows.
  std::uint32_t takenGeneration() const { return engine.sampleSet().known().generation; }
};

}  // namespace orbi
