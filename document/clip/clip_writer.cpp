#include "document/clip/clip_writer.h"

#include "document/clip/clip_extensions.h"
#include "document/params/number_spellings.h"
#include "document/reading/document_header.h"
#include "document/reading/merge_members.h"
#include "document/reading/seed.h"

namespace ob::clip {

namespace {

JsonValue number(double v) { return makeJsonDouble(v); }
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
  JsonValue obj = makeJsonObject();
  obj.set("at", number(p.at));
  obj.set("bpm", number(p.bpm));
  finish(obj, p.kept, p.source);
  return obj;
}

JsonValue writeMeterPoint(const MeterPoint& p) {
  if (p.invalid) return p.source;
  JsonValue obj = makeJsonObject();
  obj.set("at", number(p.at));
  obj.set("num", number(static_cast<double>(p.num)));
  obj.set("den", number(static_cast<double>(p.den)));
  finish(obj, p.kept, p.source);
  return obj;
}

JsonValue writeSwing(const SwingEntry& s) {
  if (s.invalid) return s.source;
  JsonValue obj = makeJsonObject();
  obj.set("bar", number(static_cast<double>(s.bar)));
  obj.set("grid", text(s.grid));
  if (!s.voice.empty()) obj.set("voice", text(s.voice));
  obj.set("amount", number(s.amount));
  finish(obj, s.kept, s.source);
  return obj;
}

JsonValue writeLanePoint(const LanePoint& p) {
  if (p.invalid) return p.source;
  JsonValue obj = makeJsonObject();
  obj.set("at", number(p.at));
  obj.set("v", p.v);
  if (!p.curve.empty()) obj.set("curve", text(p.curve));
  finish(obj, p.kept, p.source);
  return obj;
}

JsonValue writeLane(const Lane& lane) {
  if (lane.invalid) return lane.source;
  JsonValue obj = makeJsonObject();
  if (!lane.id.empty()) obj.set("id", text(lane.id));
  obj.set("target", text(lane.target));
  if (!lane.voice.empty()) obj.set("voice", text(lane.voice));
  if (!lane.instance.empty()) obj.set("instance", text(lane.instance));
  obj.set("points", writeList(lane.points, writeLanePoint));
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
  JsonValue obj = makeJsonObject();
  if (r.vel != 0.0) obj.set("vel", number(r.vel));
  if (r.nudge != 0.0) obj.set("nudge", number(r.nudge));
  if (r.pan) obj.set("pan", number(*r.pan));
  if (!r.params.empty()) obj.set("params", writeNamedValues(r.params));
  finish(obj, r.kept, r.source);
  return obj;
}

JsonValue writeNote(const Note& n) {
  if (n.invalid) return n.source;
  JsonValue obj = makeJsonObject();
  obj.set("at", number(n.at));
  if (n.nudge != 0.0) obj.set("nudge", number(n.nudge));
  if (!n.voice.empty()) obj.set("voice", text(n.voice));
  if (n.len) obj.set("len", number(*n.len));
  if (n.pitch) obj.set("pitch", number(*n.pitch));
  if (n.tune) obj.set("tune", number(*n.tune));
  obj.set("vel", number(n.vel));
  if (n.rel) obj.set("rel", number(*n.rel));
  if (!n.sound.empty()) obj.set("sound", text(n.sound));
  if (!n.set.empty()) obj.set("set", writeNamedValues(n.set));
  if (!n.add.empty()) obj.set("add", writeNamedValues(n.add));
  if (!n.expr.empty()) {
    JsonValue ex = makeJsonObject();
    for (const NamedExpression& e : n.expr) ex.set(e.name, writeExpression(e.expression));
    obj.set("expr", std::move(ex));
  }
  if (n.rand) obj.set("rand", writeNoteParams(*n.rand));
  if (n.slide) obj.set("slide", makeJsonBool(true));
  if (n.ext.isObject() && !n.ext.members.empty()) obj.set("ext", n.ext);
  finish(obj, n.kept, n.source);
  return obj;
}

JsonValue writeClip(const Clip& clip) {
  JsonValue obj = makeJsonObject();
  obj.set("kind", text("clip"));
  obj.set("spec", text(formatSpecVersion()));
  if (!clip.id.empty()) obj.set("id", text(clip.id));
  if (!clip.plugin.empty()) obj.set("plugin", text(clip.plugin));
  if (clip.formatVersion) obj.set("formatVersion", number(static_cast<double>(*clip.formatVersion)));
  if (clip.seed) obj.set("seed", text(formatSeed(*clip.seed)));

  std::vector<ExtensionId> ids = clip.extensions;
  for (ExtensionId& used : usedExtensions(clip)) {
    if (!declaresExtension(ids, used.name)) ids.push_back(std::move(used));
  }
  if (!ids.empty() || !clip.unreadableExtensions.empty())
    obj.set("extensions", extensionsToJson(ids, clip.unreadableExtensions));

  obj.set("length", number(clip.length));
  obj.set("grid", text(clip.grid));
  if (!clip.tempo.empty()) obj.set("tempo", writeList(clip.tempo, writeTempoPoint));
  if (!clip.meter.empty()) obj.set("meter", writeList(clip.meter, writeMeterPoint));
  if (!clip.swing.empty()) obj.set("swing", writeList(clip.swing, writeSwing));
  if (!clip.voices.empty()) obj.set("voices", writeNamedValues(clip.voices));
  if (!clip.sounds.empty()) obj.set("sounds", writeNamedValues(clip.sounds));
  obj.set("notes", writeList(clip.notes, writeNote));
  if (!clip.lanes.empty()) obj.set("lanes", writeList(clip.lanes, writeLane));
  if (!clip.source.isNull()) obj.set("source", clip.source);
  if (clip.ext.isObject() && !clip.ext.members.empty()) obj.set("ext", clip.ext);
  finish(obj, clip.kept, clip.document);
  return obj;
}

}  // namespace ob::clip
