#include "document/clip/clip_writer.h"

#include "document/clip/clip_extensions.h"
#include "document/params/number_spellings.h"
#include "document/reading/document_header.h"
#include "document/reading/merge_members.h"
#include "document/reading/seed.h"

namespace ob::clip {

namespace {

JsonValue number(double v) { return makeJsonDouble(v); }

// The writers' own keys are distinct, so they are appended without a search.
void put(JsonValue& obj, const char* key, JsonValue value) {
  obj.members.push_back(JsonMember{key, std::move(value)});
}

JsonValue objectFor(std::size_t members) {
  JsonValue obj = makeJsonObject();
  obj.members.reserve(members);
  return obj;
}
JsonValue text(const std::string& s) { return makeJsonString(s); }

template <typename Record, typename WriteFn>
JsonValue writeList(const std::vector<Record>& list, WriteFn write) {
  JsonValue arr = makeJsonArray();
  arr.elements.reserve(list.size());
  for (const Record& r : list) arr.elements.push_back(write(r));
  return arr;
}

void finish(JsonValue& obj, const JsonValue& kept, const JsonValue& source) {
  mergeMembers(obj, kept, source);
}

}  // namespace

JsonValue writeNamedValues(const std::vector<JsonMember>& members) {
  JsonValue obj = makeJsonObject();
  for (const JsonMember& m : members) obj.set(m.key, m.value);
  return obj;
}

JsonValue writeTempoPoint(const TempoPoint& p) {
  if (p.invalid) return p.source;
  JsonValue obj = objectFor(2);
  put(obj, "at", number(p.at));
  put(obj, "bpm", number(p.bpm));
  finish(obj, p.kept, p.source);
  return obj;
}

JsonValue writeMeterPoint(const MeterPoint& p) {
  if (p.invalid) return p.source;
  JsonValue obj = objectFor(3);
  put(obj, "at", number(p.at));
  put(obj, "num", number(static_cast<double>(p.num)));
  put(obj, "den", number(static_cast<double>(p.den)));
  finish(obj, p.kept, p.source);
  return obj;
}

JsonValue writeSwing(const SwingEntry& s) {
  if (s.invalid) return s.source;
  JsonValue obj = objectFor(4);
  put(obj, "bar", number(static_cast<double>(s.bar)));
  put(obj, "grid", text(s.grid));
  if (!s.voice.empty()) put(obj, "voice", text(s.voice));
  put(obj, "amount", number(s.amount));
  finish(obj, s.kept, s.source);
  return obj;
}

JsonValue writeLanePoint(const LanePoint& p) {
  if (p.invalid) return p.source;
  JsonValue obj = objectFor(3);
  put(obj, "at", number(p.at));
  put(obj, "v", p.v);
  if (!p.curve.empty()) put(obj, "curve", text(p.curve));
  finish(obj, p.kept, p.source);
  return obj;
}

JsonValue writeLane(const Lane& lane) {
  if (lane.invalid) return lane.source;
  JsonValue obj = objectFor(5);
  if (!lane.id.empty()) put(obj, "id", text(lane.id));
  put(obj, "target", text(lane.target));
  if (!lane.voice.empty()) put(obj, "voice", text(lane.voice));
  if (!lane.instance.empty()) put(obj, "instance", text(lane.instance));
  put(obj, "points", writeList(lane.points, writeLanePoint));
  finish(obj, lane.kept, lane.source);
  return obj;
}

JsonValue writeExpression(const Expression& x) {
  if (x.invalid) return x.source;
  JsonValue out;
  if (!x.curve) {
    out = number(x.value);
  } else {
    out = makeJsonArray();
    for (const ExpressionPoint& p : x.points) {
      JsonValue pair = makeJsonArray();
      pair.elements.push_back(number(p.beatsFromNoteStart));
      pair.elements.push_back(number(p.value));
      out.elements.push_back(std::move(pair));
    }
  }
  adoptNumberSpellings(out, x.source);
  return out;
}

JsonValue writeNoteParams(const NoteRandom& r) {
  JsonValue obj = objectFor(4);
  if (r.vel != 0.0) put(obj, "vel", number(r.vel));
  if (r.nudge != 0.0) put(obj, "nudge", number(r.nudge));
  if (r.pan) put(obj, "pan", number(*r.pan));
  if (!r.params.empty()) put(obj, "params", writeNamedValues(r.params));
  finish(obj, r.kept, r.source);
  return obj;
}

JsonValue writeNote(const Note& n) {
  if (n.invalid) return n.source;
  JsonValue obj = objectFor(6);
  put(obj, "at", number(n.at));
  if (n.nudge != 0.0) put(obj, "nudge", number(n.nudge));
  if (!n.voice.empty()) put(obj, "voice", text(n.voice));
  if (n.len) put(obj, "len", number(*n.len));
  if (n.pitch) put(obj, "pitch", number(*n.pitch));
  if (n.tune) put(obj, "tune", number(*n.tune));
  put(obj, "vel", number(n.vel));
  if (n.rel) put(obj, "rel", number(*n.rel));
  if (!n.sound.empty()) put(obj, "sound", text(n.sound));
  if (!n.set.empty()) put(obj, "set", writeNamedValues(n.set));
  if (!n.add.empty()) put(obj, "add", writeNamedValues(n.add));
  if (!n.expr.empty()) {
    JsonValue ex = makeJsonObject();
    for (const NamedExpression& e : n.expr) ex.set(e.name, writeExpression(e.expression));
    put(obj, "expr", std::move(ex));
  }
  if (n.rand) put(obj, "rand", writeNoteParams(*n.rand));
  if (n.slide) put(obj, "slide", makeJsonBool(true));
  if (n.ext.isObject() && !n.ext.members.empty()) put(obj, "ext", n.ext);
  finish(obj, n.kept, n.source);
  return obj;
}

JsonValue writeClip(const Clip& clip) {
  JsonValue obj = objectFor(12);
  put(obj, "kind", text("clip"));
  put(obj, "spec", text(formatSpecVersion()));
  if (!clip.id.empty()) put(obj, "id", text(clip.id));
  if (!clip.plugin.empty()) put(obj, "plugin", text(clip.plugin));
  if (clip.formatVersion) put(obj, "formatVersion", number(static_cast<double>(*clip.formatVersion)));
  if (clip.seed) put(obj, "seed", text(formatSeed(*clip.seed)));

  std::vector<ExtensionId> ids = clip.extensions;
  for (ExtensionId& used : usedExtensions(clip)) {
    if (!declaresExtension(ids, used.name)) ids.push_back(std::move(used));
  }
  if (!ids.empty() || !clip.unreadableExtensions.empty())
    put(obj, "extensions", extensionsToJson(ids, clip.unreadableExtensions));

  put(obj, "length", number(clip.length));
  put(obj, "grid", text(clip.grid));
  if (!clip.tempo.empty()) put(obj, "tempo", writeList(clip.tempo, writeTempoPoint));
  if (!clip.meter.empty()) put(obj, "meter", writeList(clip.meter, writeMeterPoint));
  if (!clip.swing.empty()) put(obj, "swing", writeList(clip.swing, writeSwing));
  if (!clip.voices.empty()) put(obj, "voices", writeNamedValues(clip.voices));
  if (!clip.sounds.empty()) put(obj, "sounds", writeNamedValues(clip.sounds));
  put(obj, "notes", writeList(clip.notes, writeNote));
  if (!clip.lanes.empty()) put(obj, "lanes", writeList(clip.lanes, writeLane));
  if (!clip.source.isNull()) put(obj, "source", clip.source);
  if (clip.ext.isObject() && !clip.ext.members.empty()) put(obj, "ext", clip.ext);
  finish(obj, clip.kept, clip.document);
  return obj;
}

}  // namespace ob::clip
