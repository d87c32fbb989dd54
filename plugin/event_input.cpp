// Input events of a block: host notes become triggers, macro values and
// control signals become timed engine edits, and per-note data of the own
// event space waits in a note slot for its note-on.
#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>

#include "engine/dsp/unit_range.h"
#include "engine/model/project.h"
#include "engine/session/engine_host.h"
#include "plugin/event_input.h"
#include "plugin/ext_params.h"
#include "plugin/input_events.h"
#include "plugin/own_events.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {

constexpr int kTriggerList = kListCapacity;  // a trigger's value, offset and random lists
// The project's limits, as the unsigned fields of host events hold them.
constexpr std::uint32_t kTrackLimit = kMaxTracks;
constexpr std::uint32_t kParamLimit = kSoundParamSlots;
constexpr int kFirstMacroKey = 24;
constexpr int kFirstTrackKey = 60;

// Finite also once narrowed to the float the engine keeps.
bool finite(double v) { return std::isfinite(v) && std::fabs(v) <= static_cast<double>(FLT_MAX); }

// Appends one per-note value to an absolute or offset list of a trigger.
void takeValue(const NoteValue& v, TriggerValue* absolute, std::uint8_t& absoluteCount, TriggerValue* offsets,
               std::uint8_t& offsetCount) {
  if (v.param >= kParamLimit || !finite(v.value)) return;
  const TriggerValue entry{static_cast<std::uint16_t>(v.param), static_cast<float>(v.value)};
  if (v.offset == 1) {
    if (offsetCount < kTriggerList) offsets[offsetCount++] = entry;
  } else if (absoluteCount < kTriggerList) {
    absolute[absoluteCount++] = entry;
  }
}

void appendValue(NoteValue* list, std::uint32_t& count, const clap_event_header_t* e) {
  if (count >= NoteData::kListCapacity) return;
  NoteValue& v = list[count++];
  v.param = eventField<std::uint32_t>(e, 20);
  v.offset = eventField<std::uint32_t>(e, 24) == 1 ? 1 : 0;
  v.value = eventField<double>(e, 32);
}

}  // namespace

bool queueEdit(Plugin& plugin, const BlockEvent& event) {
  if (plugin.pendingEditCount < 0) plugin.pendingEditCount = 0;
  if (plugin.pendingEditCount >= kMaxPending) return false;
  plugin.pendingEdits[plugin.pendingEditCount++] = event;
  return true;
}

bool pushMacroToEngine(Plugin& plugin, int index, double value, std::uint32_t time) {
  if (index < 0 || index >= kMacroCount) return false;
  BlockEvent ev{};
  ev.command.kind = kEditMacroValue;
  ev.command.param = index;
  ev.command.value = static_cast<float>(clamp01NanTo0(value));
  ev.time = static_cast<std::int32_t>(time);
  return queueEdit(plugin, ev);
}

void applyPositionEvent(TransportState& transport, const clap_event_header_t* event,
                        std::uint16_t eventSpace) {
  if (event == nullptr || eventSpace == kNoEventSpace || event->space_id != eventSpace ||
      event->type != kOwnPosition)
    return;
  if (event->size < kOwnPositionSize) return;
  transport.byEvent = 1;
  const std::int64_t p = static_cast<std::int64_t>(eventField<std::uint64_t>(event, 16) -
                                                   static_cast<std::uint64_t>(event->time));
  // As with the host's transport: a position no block could run on from is
  // none.
  if (!withinHostPositionLimit(p)) return;
  if (transport.valid && p == transport.position) return;
  transport.position = p;
  transport.valid = 1;
}

void Plugin::handleEvent(const clap_event_header_t* event, std::uint32_t time,
                         const clap_output_events_t* out) {
  if (event == nullptr || !engineHost) return;
  if (event->space_id != CLAP_CORE_EVENT_SPACE_ID) {
    if (eventSpace == kNoEventSpace || event->space_id != eventSpace) return;
    if (event->type == kOwnPosition) {
      applyPositionEvent(transport, event, eventSpace);
    } else if (event->type == kOwnControl) {
      if (event->size < kOwnControlSize) return;
      const std::uint32_t track = eventField<std::uint32_t>(event, 16);
      const std::uint32_t param = eventField<std::uint32_t>(event, 20);
      const double value = eventField<double>(event, 24);
      if (track >= kTrackLimit || param >= kParamLimit || !finite(value)) return;
      BlockEvent ev{};
      ev.command.kind = kEditSoundParam;
      ev.command.track = track;
      ev.command.param = static_cast<std::int32_t>(param);
      ev.command.value = static_cast<float>(value);
      ev.time = static_cast<std::int32_t>(time);
      queueEdit(*this, ev);
    } else {
      handleSlotEvent(event);
    }
    return;
  }

  switch (event->type) {
    case CLAP_EVENT_NOTE_ON:
      if (const auto* n = coreEvent<clap_event_note_t>(event, CLAP_EVENT_NOTE_ON))
        noteOn(NoteRef{n->note_id, n->key, n->channel}, n->velocity, time, out);
      break;
    case CLAP_EVENT_NOTE_EXPRESSION: {
      const auto* x = coreEvent<clap_event_note_expression_t>(event, CLAP_EVENT_NOTE_EXPRESSION);
      if (x == nullptr || x->expression_id != CLAP_NOTE_EXPRESSION_PAN || std::isnan(x->value)) break;
      for (int i = pendingCount - 1; i >= 0; --i) {
        Trigger& t = pending[i];
        if (t.time != time) continue;
        const bool match = x->note_id >= 0 ? t.noteRef.noteId == x->note_id : t.noteRef.key == x->key;
        if (!match) continue;
        t.hasPan = 1;
        t.pan = static_cast<float>(std::clamp(2.0 * x->value - 1.0, -1.0, 1.0));
        break;
      }
      break;
    }
    case CLAP_EVENT_PARAM_VALUE: {
      const auto* pv = coreEvent<clap_event_param_value_t>(event, CLAP_EVENT_PARAM_VALUE);
      // A value that is no number would poison the project and the sound.
      if (pv == nullptr || pv->note_id >= 0 || !std::isfinite(pv->value)) break;
      const int index = macroIndexForParamId(pv->param_id);
      if (index < 0) break;
      // The main-thread pass reads and writes it while blocks run.
      std::atomic_ref<float>(macroCurrent[index])
          .store(static_cast<float>(clamp01NanTo0(pv->value)), std::memory_order_relaxed);
      pushMacroToEngine(*this, index, pv->value, time);
      break;
    }
    case CLAP_EVENT_MIDI: {
      const auto* m = coreEvent<clap_event_midi_t>(event, CLAP_EVENT_MIDI);
      if (m == nullptr || (m->data[0] & 0xF0) != 0x90 || m->data[2] == 0) break;
      const NoteRef ref{-1, static_cast<std::int16_t>(m->data[1]),
                        static_cast<std::int16_t>(m->data[0] & 0x0F)};
      noteOn(ref, m->data[2] / 127.0, time, out);
      break;
    }
    default:
      // Note-offs, chokes and the rest: a hit always plays to its end.
      break;
  }
}

bool Plugin::handleSlotEvent(const clap_event_header_t* e) {
  std::uint32_t minSize = 0;
  switch (e->type) {
    case kOwnSeed: minSize = kOwnSeedSize; break;
    case kOwnTarget: minSize = kOwnTargetSize; break;
    case kOwnValue: minSize = kOwnValueSize; break;
    case kOwnPanSpread: minSize = kOwnPanSpreadSize; break;
    case kOwnRandom: minSize = kOwnRandomSize; break;
    case kOwnSecond: minSize = kOwnSecondSize; break;
    case kOwnSecondValue: minSize = kOwnValueSize; break;
    case kOwnLayer: minSize = kOwnLayerSize; break;
    default: return false;
  }
  if (e->size < minSize) return true;
  NoteData* d = findSlot(eventField<std::int32_t>(e, kOwnNoteIdAt));
  if (d == nullptr) return true;
  switch (e->type) {
    case kOwnSeed:
      d->hasSeed = 1;
      d->seed = eventField<std::uint64_t>(e, 24);
      break;
    case kOwnTarget:
      d->hasTarget = 1;
      d->track = eventField<std::uint32_t>(e, 20);
      d->sound = eventField<std::uint32_t>(e, 24);
      d->pitchOffset = eventField<double>(e, 32);
      break;
    case kOwnValue: appendValue(d->values, d->valueCount, e); break;
    case kOwnPanSpread: d->panSpread = eventField<double>(e, 24); break;
    case kOwnRandom:
      if (d->randomCount < NoteData::kListCapacity) {
        NoteRandom& r = d->randoms[d->randomCount++];
        r.param = eventField<std::uint32_t>(e, 20);
        r.amount = eventField<double>(e, 24);
      }
      break;
    case kOwnSecond:
      d->hasSecond = 1;
      d->secondReservedA = eventField<std::uint32_t>(e, 20);
      d->secondDelay = eventField<std::int64_t>(e, 24);
      d->secondReservedB = eventField<std::uint64_t>(e, 32);
      break;
    case kOwnSecondValue: appendValue(d->secondValues, d->secondCount, e); break;
    case kOwnLayer:
      d->hasLayer = 1;
      d->layer = eventField<std::uint64_t>(e, 24);
      break;
    default: break;
  }
  return true;
}

NoteData* Plugin::findSlot(std::int32_t noteId) {
  if (noteId < 0) return nullptr;
  for (NoteSlot& s : noteSlots)
    if (s.used && s.data.noteId == noteId) return &s.data;
  for (NoteSlot& s : noteSlots) {
    if (s.used) continue;
    s.used = 1;
    s.data = NoteData{};
    s.data.noteId = noteId;
    return &s.data;
  }
  return nullptr;
}

void Plugin::noteOn(const NoteRef& ref, double velocity, std::uint32_t time,
                    const clap_output_events_t* out) {
  const std::int32_t at = static_cast<std::int32_t>(time);
  if (ref.key >= kFirstMacroKey && ref.key < kFirstMacroKey + kMacroCount) {
    // Per-note data of a macro key is used up like any note's.
    Trigger discarded;
    mapNoteToTrigger(ref.noteId, ref.key, velocity, discarded);
    const int m = ref.key - kFirstMacroKey;
    const bool wasOn = macroKeyToggles[m] != 0;
    macroKeyToggles[m] = wasOn ? 0 : 1;
    const double value =
        wasOn ? static_cast<double>(std::atomic_ref<float>(macroCurrent[m]).load(std::memory_order_relaxed))
              : velocity;
    pushMacroToEngine(*this, m, value, time);
    queueNoteEnd(ref, at, out);
    return;
  }
  Trigger trigger;
  if (mapNoteToTrigger(ref.noteId, ref.key, velocity, trigger) && pendingCount < kMaxPending) {
    trigger.noteRef = ref;
    trigger.time = time;
    pending[pendingCount++] = trigger;
    return;
  }
  queueNoteEnd(ref, at, out);
}

bool Plugin::mapNoteToTrigger(std::int32_t noteId, std::int16_t key, double velocity, Trigger& trigger) {
  NoteSlot* slot = nullptr;
  if (noteId >= 0)
    for (NoteSlot& s : noteSlots)
      if (s.used && s.data.noteId == noteId) {
        slot = &s;
        break;
      }
  static const NoteData kDefaultData{};
  const NoteData& d = slot != nullptr ? slot->data : kDefaultData;

  trigger.note = 60;
  trigger.sound = 255;
  trigger.gain = static_cast<float>(clamp01NanTo0(velocity));
  trigger.hasSeed = d.hasSeed;
  trigger.seed = d.seed;
  trigger.hasLayer = d.hasLayer;
  trigger.layer = d.layer;
  trigger.panSpread = d.panSpread > 0.0 && finite(d.panSpread) ? static_cast<float>(d.panSpread) : 0.0f;

  bool result;
  if (d.hasTarget) {
    trigger.track = d.track < kTrackLimit ? static_cast<std::uint8_t>(d.track) : 255;
    trigger.sound = d.sound < kTrackLimit ? static_cast<std::uint8_t>(d.sound) : 255;
    trigger.pitchOffset = finite(d.pitchOffset) ? static_cast<float>(d.pitchOffset) : 0.0f;
    const std::uint32_t values = std::min<std::uint32_t>(d.valueCount, NoteData::kListCapacity);
    for (std::uint32_t i = 0; i < values; ++i)
      takeValue(d.values[i], trigger.absolute, trigger.absoluteCount, trigger.offsets, trigger.offsetCount);
    const std::uint32_t randoms = std::min<std::uint32_t>(d.randomCount, NoteData::kListCapacity);
    for (std::uint32_t i = 0; i < randoms && trigger.randomCount < kTriggerList; ++i) {
      const NoteRandom& r = d.randoms[i];
      if (r.param >= kParamLimit) continue;
      const double doubled = 2.0 * std::max(r.amount, 0.0);
      const double amount = finite(doubled) ? doubled : 0.0;
      trigger.randoms[trigger.randomCount++] =
          TriggerRandom{static_cast<std::uint8_t>(r.param), static_cast<float>(amount)};
    }
    if (d.hasSecond) {
      trigger.hasSecond = 1;
      trigger.secondDelay =
          static_cast<std::uint32_t>(std::clamp<std::int64_t>(d.secondDelay, 0, 2147483647));
      const std::uint32_t second = std::min<std::uint32_t>(d.secondCount, NoteData::kListCapacity);
      for (std::uint32_t i = 0; i < second; ++i)
        takeValue(d.secondValues[i], trigger.secondAbsolute, trigger.secondAbsoluteCount,
                  trigger.secondOffsets, trigger.secondOffsetCount);
    }
    result = trigger.track < kMaxTracks;
  } else if (key >= kFirstTrackKey && key < kFirstTrackKey + kMaxTracks) {
    trigger.track = static_cast<std::uint8_t>(key - kFirstTrackKey);
    result = true;
  } else {
    trigger.track = 255;
    result = false;
  }
  if (slot != nullptr) slot->used = 0;
  return result;
}

}  // namespace ob::clap
