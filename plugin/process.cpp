// The audio thread's block: host transport and input events in, eight stems
// to the auxiliary outputs, their sum and the audition preview to the main
// output, note ends and control signals out in time order.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "engine/clock/tempo.h"
#include "engine/session/engine_host.h"
#include "plugin/input_events.h"
#include "plugin/plugin.h"
#include "plugin/transport_state.h"

namespace ob::clap {

namespace {

// Channel c of a port when it has one, else null.
float* channelOf(const clap_audio_buffer_t& port, std::uint32_t c) {
  if (port.data32 == nullptr || c >= port.channel_count) return nullptr;
  return port.data32[c];
}

// Events that may answer a host note at once.
bool mayEndNote(const clap_event_header_t* e) {
  return e->space_id == CLAP_CORE_EVENT_SPACE_ID &&
         (e->type == CLAP_EVENT_NOTE_ON || e->type == CLAP_EVENT_MIDI);
}
}  // namespace

clap_process_status Plugin::process(const clap_process_t* pr) {
  if (!engineHost) return CLAP_PROCESS_CONTINUE;
  orbi::EngineHost& eh = *engineHost;
  const std::uint32_t frames = pr->frames_count;

  RenderInfo info{};
  const clap_event_transport_t* hostTransport = pr->transport;
  std::uint8_t playing = 0;
  if (hostTransport != nullptr) {
    playing = (hostTransport->flags & CLAP_TRANSPORT_IS_PLAYING) ? 1 : 0;
    const bool hasTempo = (hostTransport->flags & CLAP_TRANSPORT_HAS_TEMPO) != 0;
    if (hasTempo) info.tempo = tempoInRange(hostTransport->tempo);
    // Beats that run at a tempo beyond the range are a timeline the clock
    // could only follow by a jump, and a step, every block: it runs on at
    // the edge of the range instead.
    const bool beyondRange = hasTempo && info.tempo > 0.0 && info.tempo != hostTransport->tempo;
    if (playing && !beyondRange && (hostTransport->flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE)) {
      info.hasBeats = 1;
      info.beats = beatsOf(hostTransport->song_pos_beats);
    }
    if (playing && !hostWasPlaying) eh.internalPlay.store(0, std::memory_order_release);
  }
  hostWasPlaying = playing;
  eh.hostPlaying.store(playing, std::memory_order_release);
  eh.hostTempo.store(playing ? info.tempo : 0.0, std::memory_order_relaxed);
  if (!playing && eh.internalPlay.load(std::memory_order_acquire) != 0) {
    playing = 1;
    info.internalPlay = 1;
    info.tempo = 0.0;
  }
  info.playing = playing;
  info.clockRunning = playing;

  pendingCount = 0;
  pendingEditCount = 0;
  noteEndCount = 0;
  pieceRendered = 0;
  updateTransportPosition(transport, hostTransport, frames);

  const clap_input_events_t* in = pr->in_events;
  const clap_output_events_t* out = pr->out_events;
  const std::uint32_t eventCount = inputEventCount(in);
  // Stems without a port of their own go to scratch, which holds one block
  // of the size activate was given; a longer block is rendered in pieces.
  const std::uint32_t capacity = static_cast<std::uint32_t>(scratch.size() / kStemChannels);
  const bool render = capacity > 0 && frames > 0;
  if (!render) silenceOutputs(pr);

  std::uint32_t next = 0;      // first input event not yet handled
  std::uint32_t lastTime = 0;  // event times never go back
  std::uint32_t start = 0;
  do {
    std::uint32_t end = render ? std::min(frames - start, capacity) + start : frames;
    pieceStart = start;
    while (next < eventCount) {
      const clap_event_header_t* ev = inputEvent(in, next);
      if (ev == nullptr) {
        ++next;
        continue;
      }
      // A host's unordered or late times are held to its own order and to
      // the block.
      std::uint32_t t = std::max(ev->time, lastTime);
      t = frames > 0 ? std::min(t, frames - 1) : 0;
      t = std::max(t, start);
      if (end < frames && t >= end) break;
      if (noteEndCount >= kMaxNoteEnds && mayEndNote(ev)) {
        // Every held note end lies at or before t. With nothing rendered
        // between them and t they can go out now in order; otherwise the
        // piece ends at t and its flush makes room.
        if (render && t > start) {
          end = t;
          break;
        }
        flushOutputEvents(out, static_cast<std::int64_t>(t) + 1);
      }
      lastTime = t;
      handleEvent(ev, t, out);
      ++next;
      if (!render) answerPending(out);
    }
    const bool last = end >= frames;
    if (last)
      for (NoteSlot& slot : noteSlots) slot.used = 0;  // per-note data lives for one block

    if (render) {
      RenderInfo piece = info;
      piece.hasPosition = 0;
      if (transport.valid && transport.position >= 0) {
        piece.hasPosition = 1;
        piece.position = transport.position + start;
      }
      // The clock was set to the host's beats by the first piece and has run
      // on through the earlier ones; a guess at a later piece's beats could
      // only pull it off.
      if (start > 0) piece.hasBeats = 0;
      handOverPending(end, out);
      renderPiece(pr, start, end - start, piece);
      pieceRendered = 1;
    } else {
      answerPending(out);
    }
    flushOutputEvents(out, last ? INT64_MAX : static_cast<std::int64_t>(end));
    start = end;
  } while (start < frames);
  return CLAP_PROCESS_CONTINUE;
}

void Plugin::forgetHostTransport() {
  hostWasPlaying = 0;
  if (!engineHost) return;
  engineHost->hostPlaying.store(0, std::memory_order_release);
  engineHost->hostTempo.store(0.0, std::memory_order_relaxed);
}

void Plugin::handOverPending(std::uint32_t end, const clap_output_events_t* out) {
  Engine& engine = engineHost->engine;
  const std::int32_t base = static_cast<std::int32_t>(pieceStart);
  std::int32_t kept = 0;
  for (std::int32_t i = 0; i < pendingCount; ++i) {
    const Trigger& t = pending[i];
    if (t.time >= end) {
      pending[kept++] = t;  // cut at its time: it starts the next piece
      continue;
    }
    Trigger rebased = t;
    rebased.time = t.time - pieceStart;
    if (t.track >= kMaxTracks || !engine.queueTrigger(rebased))
      queueNoteEnd(t.noteRef, static_cast<std::int32_t>(t.time), out);
  }
  pendingCount = kept;
  kept = 0;
  for (std::int32_t i = 0; i < pendingEditCount; ++i) {
    const BlockEvent& e = pendingEdits[i];
    if (e.time >= static_cast<std::int32_t>(end)) {
      pendingEdits[kept++] = e;
      continue;
    }
    BlockEvent rebased = e;
    rebased.time = e.time - base;
    engine.queueBlockEvent(rebased);
  }
  pendingEditCount = kept;
}

void Plugin::answerPending(const clap_output_events_t* out) {
  // Nothing is rendered: every note-on plays nothing and is answered now.
  // Timed edits wait in the engine for its next block, unless it was never
  // prepared.
  for (std::int32_t i = 0; i < pendingCount; ++i)
    queueNoteEnd(pending[i].noteRef, static_cast<std::int32_t>(pending[i].time), out);
  pendingCount = 0;
  if (!scratch.empty()) {
    for (std::int32_t i = 0; i < pendingEditCount; ++i) {
      BlockEvent e = pendingEdits[i];
      e.time = 0;
      engineHost->engine.queueBlockEvent(e);
    }
  }
  pendingEditCount = 0;
}

void Plugin::silenceOutputs(const clap_process_t* pr) {
  if (pr->audio_outputs == nullptr) return;
  for (std::uint32_t p = 0; p < pr->audio_outputs_count; ++p)
    for (std::uint32_t c = 0; c < pr->audio_outputs[p].channel_count; ++c)
      if (float* ch = channelOf(pr->audio_outputs[p], c)) std::fill_n(ch, pr->frames_count, 0.0f);
}

void Plugin::renderPiece(const clap_process_t* pr, std::uint32_t offset, std::uint32_t frames,
                         const RenderInfo& info) {
  orbi::EngineHost& eh = *engineHost;
  const std::uint32_t capacity = static_cast<std::uint32_t>(scratch.size() / kStemChannels);
  float* stems[kStemChannels];
  for (int k = 0; k < kMaxTracks; ++k) {
    const std::uint32_t port = static_cast<std::uint32_t>(k) + 1;
    float* left = nullptr;
    float* right = nullptr;
    if (pr->audio_outputs != nullptr && pr->audio_outputs_count > port &&
        pr->audio_outputs[port].channel_count >= 2) {
      left = channelOf(pr->audio_outputs[port], 0);
      right = channelOf(pr->audio_outputs[port], 1);
    }
    if (left != nullptr && right != nullptr) {
      stems[2 * k] = left + offset;
      stems[2 * k + 1] = right + offset;
    } else {
      stems[2 * k] = scratch.data() + static_cast<std::size_t>(2 * k) * capacity;
      stems[2 * k + 1] = scratch.data() + static_cast<std::size_t>(2 * k + 1) * capacity;
    }
  }
  eh.engine.processBlock(stems, kMaxTracks, static_cast<int>(frames), info);

  if (pr->audio_outputs == nullptr || pr->audio_outputs_count < 1) return;
  const clap_audio_buffer_t& main = pr->audio_outputs[0];
  float* left = channelOf(main, 0);
  if (left == nullptr) return;
  left += offset;
  float* right = channelOf(main, 1);
  if (right != nullptr) right += offset;
  std::fill_n(left, frames, 0.0f);
  if (right != nullptr && right != left) std::fill_n(right, frames, 0.0f);
  for (int k = 0; k < kMaxTracks; ++k) {
    const float* sl = stems[2 * k];
    for (std::uint32_t i = 0; i < frames; ++i) left[i] += sl[i];
    if (right != nullptr && right != left) {
      const float* sr = stems[2 * k + 1];
      for (std::uint32_t i = 0; i < frames; ++i) right[i] += sr[i];
    }
  }
  eh.preview.mix(left, right, frames);
}

}  // namespace ob::clap
