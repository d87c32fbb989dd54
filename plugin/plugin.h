#pragma once
// One plug-in instance: the record the factory allocates, with the CLAP
// plug-in structure first and everything the callbacks share.
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/diagnostics.h"
#include "document/project/kept_document.h"
#include "engine/model/host_records.h"
#include "engine/model/project.h"
#include "plugin/clap/abi.h"
#include "plugin/clap/own_extensions.h"
#include "plugin/host_note.h"
#include "plugin/note_slot.h"
#include "plugin/output_ports.h"
#include "plugin/plugin_editor.h"
#include "plugin/session_hello.h"
#include "plugin/transport_state.h"

namespace orbi {
struct EngineHost;
}

namespace ob::clap {

inline constexpr std::uint32_t kTimerPeriodMs = 100;
inline constexpr int kNoteSlots = 32;
inline constexpr int kMaxPending = 64;
inline constexpr int kMaxNoteEnds = 128;

struct Plugin {
  Plugin(const clap_host_t* host, EditorFactory editorFactory);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  clap_plugin_t plugin;
  const clap_host_t* host;
  const clap_host_params_t* hostParams = nullptr;
  const HostVoices* hostVoices = nullptr;
  const clap_host_timer_support_t* hostTimer = nullptr;
  const clap_host_audio_ports_t* hostAudioPorts = nullptr;
  clap_id timerId = CLAP_INVALID_ID;
  std::unique_ptr<orbi::EngineHost> engineHost;
  // What the last state load keeps for the next state save; main thread.
  KeptDocument keptDocument;
  EditorFactory editorFactory;
  std::unique_ptr<PluginEditor> editor;
  NoteSlot noteSlots[kNoteSlots];
  std::uint16_t eventSpace = kNoEventSpace;
  std::uint8_t active = 0;
  std::uint8_t hostWasPlaying = 0;
  std::uint8_t macroKeyToggles[kMacroCount] = {};
  // The output names as the host last heard them (at init or with a
  // rescan); main thread.
  char portNamesTold[kOutputPorts][CLAP_NAME_SIZE] = {};
  float macroCurrent[kMacroCount] = {};
  float macroSeen[kMacroCount] = {};
  float macroSent[kMacroCount] = {};
  SessionHello hello;
  std::atomic<std::uint8_t> audition{0};
  TransportState transport;
  Diagnostics diagnostics;
  Trigger pending[kMaxPending];
  std::int32_t pendingCount = 0;
  NoteEnd noteEnds[kMaxNoteEnds];
  std::int32_t noteEndCount = 0;
  std::vector<float> scratch;
  // Block offset of the piece being processed (a block longer than scratch,
  // or one cut where the note-end list filled, is rendered in pieces).
  std::uint32_t pieceStart = 0;
  // The engine rendered the current piece: its note ends and control
  // signals are there to be merged.
  std::uint8_t pieceRendered = 0;
  // Timed edits (macro values, control signals) waiting for their piece.
  BlockEvent pendingEdits[kMaxPending];
  std::int32_t pendingEditCount = 0;

  // Lifecycle, main thread. init and activate throw on allocation failure;
  // the CLAP callbacks catch and report false.
  bool init();
  bool activate(double sampleRate, std::uint32_t minFrames, std::uint32_t maxFrames);
  // No block follows: every voice ends, and what the audio thread held is
  // freed now.
  void deactivate();
  void reset();
  const void* getExtension(const char* id) const;
  // The main-thread pass: frees retired project copies and retired sample
  // pools that are due, then synchronises the macros with the host.
  void onMainThread();
  void onTimer(clap_id id);

  // Audio thread.
  clap_process_status process(const clap_process_t* process);
  // No block follows until the host starts processing again: every voice
  // ends now, so the samples no voice can read go with the next load or
  // pass rather than wait for a block that may never come.
  void stopProcessing();
  // No block follows until the host starts processing again, so nothing
  // plays at the host's tempo: the editor shows the project's own, to be
  // edited, and no playhead. Plain stores of lock-free atomics, so the audio
  // thread's stop_processing may call it as well as the main thread's
  // deactivate.
  void forgetHostTransport();

  // Audio thread, inside process: input events (event_input.cpp). Times are
  // block offsets; what goes to the engine is rebased when its piece is
  // rendered.
  void handleEvent(const clap_event_header_t* event, std::uint32_t time, const clap_output_events_t* out);
  bool handleSlotEvent(const clap_event_header_t* event);
  NoteData* findSlot(std::int32_t noteId);
  void noteOn(const NoteRef& ref, double velocity, std::uint32_t time, const clap_output_events_t* out);
  bool mapNoteToTrigger(std::int32_t noteId, std::int16_t key, double velocity, Trigger& trigger);

  // Audio thread: note ends and output events (output_events.cpp).
  void queueNoteEnd(const NoteRef& ref, std::int32_t time, const clap_output_events_t* out);
  // Sends, merged in time order, the held note ends before `limit` and the
  // engine's note ends and control signals of the piece just rendered.
  void flushOutputEvents(const clap_output_events_t* out, std::int64_t limit);

  // Parameters: the flush runs on the audio thread while active, on the main
  // thread otherwise. syncMacros is the pass's macro step; true when the
  // project moved a macro and the host was told.
  void flushParams(const clap_input_events_t* in);
  bool syncMacros();
  // The host's view of the macros starts from the project's values (after
  // init and a state load; main thread).
  void takeProjectMacros();

  // The pass's port step (ext_ports.cpp): when a load or an edit renamed an
  // output, the host is asked to rescan the names. True when one changed.
  bool syncPortNames();

  // State, main thread.
  bool saveState(const clap_ostream_t* stream);
  bool loadState(const clap_istream_t* stream);

  // Own extensions, main thread.
  bool receiveHello(const SessionHelloRecord* record);
  void setAudition(bool on);
  // Replaces the held diagnostics and logs them unless the host reads them
  // through the diagnostics extension.
  void publishDiagnostics(const Diagnostics& list);

  static Plugin* from(const clap_plugin_t* p) {
    return p != nullptr ? static_cast<Plugin*>(p->plugin_data) : nullptr;
  }

 private:
  void renderPiece(const clap_process_t* process, std::uint32_t offset, std::uint32_t frames,
                   const RenderInfo& info);
  // Hands the waiting triggers and edits due before `end` to the engine.
  void handOverPending(std::uint32_t end, const clap_output_events_t* out);
  // Without rendering: waiting note-ons are answered at once.
  void answerPending(const clap_output_events_t* out);
  void silenceOutputs(const clap_process_t* process);
  // Takes the current output names as told; true when one differs.
  bool takePortNames();
};

// Session seed from two random draws; never 0.
std::uint64_t sessionSeedFrom(std::uint32_t first, std::uint32_t second);

// The event space the host's registry gives "com.tessaline.events/1", or
// 0xFFFF when it has none.
std::uint16_t queryEventSpace(const clap_host_t* host);

}  // namespace ob::clap
