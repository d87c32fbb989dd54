// Note ends and control signals: held per block and merged into the host's
// output queue in time order, the instance's own note ends first among
// equal times, then the engine's, then the control signals.
#include "plugin/output_events.h"

#include <algorithm>
#include <climits>

#include "engine/session/engine_host.h"
#include "plugin/own_events.h"
#include "plugin/plugin.h"

namespace ob::clap {

void sendNoteEnd(const clap_output_events_t* out, std::int32_t time, const NoteRef& ref) {
  if (out == nullptr || out->try_push == nullptr) return;
  clap_event_note_t ev{};
  ev.header.size = sizeof ev;
  ev.header.time = static_cast<std::uint32_t>(std::max(time, 0));
  ev.header.space_id = CLAP_CORE_EVENT_SPACE_ID;
  ev.header.type = CLAP_EVENT_NOTE_END;
  ev.header.flags = 0;
  ev.note_id = ref.noteId;
  ev.port_index = 0;
  ev.channel = ref.channel;
  ev.key = ref.key;
  ev.velocity = 0.0;
  out->try_push(out, &ev.header);
}

void sendControlSignal(const clap_output_events_t* out, std::uint16_t eventSpace, std::int32_t time,
                       const ControlSignal& signal) {
  if (out == nullptr || out->try_push == nullptr || eventSpace == kNoEventSpace) return;
  ControlSignalEvent ev{};
  ev.header.size = sizeof ev;
  ev.header.time = static_cast<std::uint32_t>(std::max(time, 0));
  ev.header.space_id = eventSpace;
  ev.header.type = kOwnSignalOut;
  ev.header.flags = 0;
  ev.reserved = 0;
  ev.signal = signal.track;
  ev.value = static_cast<double>(signal.value);
  out->try_push(out, &ev.header);
}

bool insertNoteEnd(NoteEnd* list, std::int32_t& count, std::int32_t capacity, const NoteEnd& end) {
  if (count < 0) count = 0;
  if (count >= capacity) return false;
  std::int32_t i = count;
  while (i > 0 && list[i - 1].time > end.time) {
    list[i] = list[i - 1];
    --i;
  }
  list[i] = end;
  ++count;
  return true;
}

void Plugin::queueNoteEnd(const NoteRef& ref, std::int32_t time, const clap_output_events_t* out) {
  if (insertNoteEnd(noteEnds, noteEndCount, kMaxNoteEnds, NoteEnd{time, ref})) return;
  // Process cuts the block before the list can fill; should it fill anyway
  // the host still hears of the note.
  sendNoteEnd(out, time, ref);
}

void Plugin::flushOutputEvents(const clap_output_events_t* out, std::int64_t limit) {
  // The instance's note ends due before the limit.
  std::int32_t own = 0;
  const std::int32_t held = std::clamp(noteEndCount, 0, kMaxNoteEnds);
  while (own < held && noteEnds[own].time < limit) ++own;

  // The engine's ended notes of the piece, in block time and in time order
  // (kept stable, so equal times stay in the order the hits ended).
  NoteEnd ended[Engine::kMaxNoteEnds];
  std::int32_t endedCount = 0;
  const ControlSignal* signals = nullptr;
  std::int32_t signalCount = 0;
  if (pieceRendered && engineHost) {
    const Engine& engine = engineHost->engine;
    const std::int32_t n = std::clamp(engine.noteEndCount, 0, Engine::kMaxNoteEnds);
    for (std::int32_t i = 0; i < n; ++i) {
      NoteEnd e = engine.noteEnds[i];
      e.time += static_cast<std::int32_t>(pieceStart);
      insertNoteEnd(ended, endedCount, Engine::kMaxNoteEnds, e);
    }
    if (eventSpace != kNoEventSpace) {
      signals = engine.controlSignals();
      signalCount = std::clamp(engine.controlSignalCount, 0, engine.controlSignalCapacity());
    }
  }

  if (out != nullptr) {
    std::int32_t a = 0, b = 0, c = 0;
    const std::int32_t base = static_cast<std::int32_t>(pieceStart);
    for (;;) {
      const std::int64_t ta = a < own ? noteEnds[a].time : INT64_MAX;
      const std::int64_t tb = b < endedCount ? ended[b].time : INT64_MAX;
      const std::int64_t tc = c < signalCount ? static_cast<std::int64_t>(signals[c].time) + base : INT64_MAX;
      if (a >= own && b >= endedCount && c >= signalCount) break;
      if (ta <= tb && ta <= tc) {
        sendNoteEnd(out, noteEnds[a].time, noteEnds[a].noteRef);
        ++a;
      } else if (tb <= tc) {
        sendNoteEnd(out, ended[b].time, ended[b].noteRef);
        ++b;
      } else {
        sendControlSignal(out, eventSpace, static_cast<std::int32_t>(tc), signals[c]);
        ++c;
      }
    }
  }

  // What was due is gone; later note ends move to the front.
  std::copy(noteEnds + own, noteEnds + held, noteEnds);
  noteEndCount = held - own;
  pieceRendered = 0;
}

}  // namespace ob::clap
