#include "document/clip/clip_reader.h"

#include <cmath>
#include <string_view>

#include "document/clip/clip_extensions.h"
#include "document/clip/clip_grid.h"
#include "document/json/json_elements.h"
#include "document/reading/doc_reader.h"
#include "document/reading/document_header.h"
#include "document/reading/json_pointer.h"
#include "document/reading/narrow.h"
#include "document/reading/seed.h"

namespace ob::clip {

namespace {

// A number the reader can use: present, of kind number and finite. A NaN or
// an infinity would poison every time computed from it, so it is treated as
// a member of the wrong kind and kept as written.
std::optional<double> getFinite(DocReader& r, std::string_view name) {
  const JsonValue* v = r.find(name);
  if (v != nullptr && v->isNumber() && !std::isfinite(v->number)) {
    r.warn("wrong-type", r.childPath(name), wrongTypeMessage("a finite number"));
    return std::nullopt;
  }
  return r.getNumber(name);
}

// The writer emits "ext" only as an object with members; any other value is
// left unconsumed so that it comes back from the kept members as read.
bool writtenBack(const JsonValue& ext) { return ext.isObject() && !ext.members.empty(); }

template <typename Record>
Record keptWhole(const JsonValue& element, bool withSource = true) {
  Record rec;
  if (withSource) rec.source = element;
  rec.invalid = true;
  return rec;
}

}  // namespace

TempoPoint readTempoPoint(const JsonValue& e, const std::string& path, Diagnostics& d) {
  if (e.isObject()) {
    DocReader r(&e, path, &d);
    std::optional<double> at = getFinite(r, "at");
    std::optional<double> bpm = getFinite(r, "bpm");
    if (at && bpm && *bpm > 0.0) {
      TempoPoint p;
      p.at = *at;
      p.bpm = *bpm;
      p.kept = r.unconsumedMembers();
      p.source = e;
      return p;
    }
  }
  d.warn("bad-tempo", path, "Expected {at, bpm > 0}; kept as written, not used");
  return keptWhole<TempoPoint>(e);
}

MeterPoint readMeterPoint(const JsonValue& e, const std::string& path, Diagnostics& d) {
  if (e.isObject()) {
    DocReader r(&e, path, &d);
    std::optional<double> at = getFinite(r, "at");
    std::optional<double> num = getFinite(r, "num");
    std::optional<double> den = getFinite(r, "den");
    std::int32_t n = 0;
    std::int32_t dn = 0;
    if (num) n = truncToInt32(*num).value_or(0);
    if (den) dn = truncToInt32(*den).value_or(0);
    if (at && n >= 1 && dn >= 1) {
      MeterPoint p;
      p.at = *at;
      p.num = n;
      p.den = dn;
      p.kept = r.unconsumedMembers();
      p.source = e;
      return p;
    }
  }
  d.warn("bad-meter", path, "Expected {at, num, den}; kept as written, not used");
  return keptWhole<MeterPoint>(e);
}

SwingEntry readSwingEntry(const JsonValue& e, const std::string& path, Diagnostics& d) {
  if (e.isObject()) {
    DocReader r(&e, path, &d);
    std::optional<double> bar = getFinite(r, "bar");
    std::optional<double> amount = getFinite(r, "amount");
    bool gridOk = true;
    std::string grid = "1/16";
    if (r.find("grid") != nullptr) {
      std::optional<std::string> g = r.getString("grid");
      gridOk = g && parseGrid(*g).has_value();
      if (g) grid = std::move(*g);
    }
    std::optional<std::string> voice = r.getString("voice");
    std::optional<std::int32_t> b;
    if (bar) b = truncToInt32(*bar);
    if (b && amount && gridOk) {
      SwingEntry s;
      s.bar = b.value_or(0);
      s.amount = *amount;
      s.grid = std::move(grid);
      if (voice) s.voice = std::move(*voice);
      s.kept = r.unconsumedMembers();
      s.source = e;
      return s;
    }
  }
  d.warn("bad-swing", path, "Expected {bar, grid, amount} with a readable grid; kept as written, not used");
  return keptWhole<SwingEntry>(e);
}

namespace {

// Reads each element in turn, built or read from the list's text, and
// hands its record, with its index and the element as read, to take.
template <typename ReadFn, typename TakeFn>
void readEach(const JsonValue* list, const std::string& path, Diagnostics& d, ReadFn read, TakeFn take) {
  if (list == nullptr) return;
  JsonElements elements(*list);
  for (std::size_t i = 0; const JsonValue* element = elements.next(); ++i)
    take(read(*element, indexPath(path, i), d), i, *element);
}

// A list a reader reads: an array, or one held as its text to be read an
// element at a time (the notes and lanes of an instance's audition).
const JsonValue* getList(DocReader& r, std::string_view name) {
  const JsonValue* list = r.find(name);
  if (list == nullptr || !list->isKept() || !isJsonList(*list)) return r.getArray(name);
  r.markConsumed(name);
  return list;
}

template <typename Record, typename ReadFn>
void readList(const JsonValue* array, const std::string& path, std::vector<Record>& out, Diagnostics& d,
              ReadFn read) {
  if (array == nullptr) return;
  out.reserve(array->elements.size());
  readEach(array, path, d, read,
           [&out](Record&& r, std::size_t, const JsonValue&) { out.push_back(std::move(r)); });
}

LanePoint readLanePoint(const JsonValue& e, const std::string& path, Diagnostics& d) {
  if (e.isObject()) {
    DocReader r(&e, path, &d);
    std::optional<double> at = getFinite(r, "at");
    const JsonValue* v = r.find("v");
    if (at && v != nullptr) {
      LanePoint p;
      p.at = *at;
      p.v = *v;
      r.markConsumed("v");
      if (std::optional<std::string> c = r.getString("curve")) p.curve = std::move(*c);
      if (!p.curve.empty() && p.curve != "step" && p.curve != "linear" && p.curve != "smooth")
        d.warn("unknown-curve", memberPath(path, "curve"), "Unknown curve, played as step; kept");
      p.kept = r.unconsumedMembers();
      p.source = e;
      return p;
    }
  }
  d.warn("bad-lane-point", path, "Expected {at, v}; kept as written, not used");
  return keptWhole<LanePoint>(e);
}

Lane readLane(const JsonValue& e, const std::string& path, Diagnostics& d) {
  if (e.isObject()) {
    DocReader r(&e, path, &d);
    std::optional<std::string> target = r.getString("target");
    if (target && !target->empty()) {
      Lane lane;
      lane.target = std::move(*target);
      if (auto s = r.getString("id")) lane.id = std::move(*s);
      if (auto s = r.getString("voice")) lane.voice = std::move(*s);
      if (auto s = r.getString("instance")) lane.instance = std::move(*s);
      if (const JsonValue* pts = r.getArray("points"))
        readList(pts, r.childPath("points"), lane.points, d, readLanePoint);
      lane.kept = r.unconsumedMembers();
      lane.source = e;
      return lane;
    }
  }
  d.warn("bad-lane", path, "A lane is an object with a `target`; kept as written, not played");
  return keptWhole<Lane>(e);
}

}  // namespace

std::vector<JsonMember> readNamedValues(const JsonValue& object, const std::string& path,
                                        NamedValuesMode mode, Diagnostics& d) {
  std::vector<JsonMember> out;
  if (!object.isObject()) return out;
  for (const JsonMember& m : object.members) {
    bool ok = false;
    const char* what = "";
    switch (mode) {
      case NamedValuesMode::Numbers:
        ok = m.value.isNumber();
        what = "a number";
        break;
      case NamedValuesMode::Names:
        ok = m.value.isString();
        what = "a name";
        break;
      case NamedValuesMode::Values:
        ok = m.value.isNumber() || m.value.isString();
        what = "a value or choice id";
        break;
    }
    if (!ok) d.warn("wrong-type", memberPath(path, m.key), wrongTypeMessage(what));
    setNamedValue(out, m.key, m.value);
  }
  return out;
}

Expression readExpression(const JsonValue& value, const std::string& path, Diagnostics& d) {
  Expression x;
  x.source = value;
  if (value.isNumber() && std::isfinite(value.number)) {
    x.value = value.number;
    return x;
  }
  if (value.isArray()) {
    x.curve = true;
    for (std::size_t j = 0; j < value.elements.size(); ++j) {
      const JsonValue& p = value.elements[j];
      bool ok = p.isArray() && p.elements.size() == 2 && p.elements[0].isNumber() &&
                p.elements[1].isNumber() && std::isfinite(p.elements[0].number) &&
                std::isfinite(p.elements[1].number);
      if (!ok) {
        d.warn("bad-expression", indexPath(path, j),
               "Expected [beatsFromNoteStart, value]; the expression is kept as written, not "
               "played");
        return keptWhole<Expression>(value);
      }
      x.points.push_back({p.elements[0].number, p.elements[1].number});
    }
    return x;
  }
  d.warn("bad-expression", path, "Expected a number or a curve; kept as written, not played");
  return keptWhole<Expression>(value);
}

NoteRandom readNoteRandom(const JsonValue& object, const std::string& path, Diagnostics& d) {
  NoteRandom rnd;
  DocReader r(&object, path, &d);
  if (auto v = getFinite(r, "vel")) rnd.vel = *v;
  if (auto v = getFinite(r, "nudge")) rnd.nudge = *v;
  rnd.pan = getFinite(r, "pan");
  if (const JsonValue* p = r.getObject("params"))
    rnd.params = readNamedValues(*p, r.childPath("params"), NamedValuesMode::Numbers, d);
  rnd.kept = r.unconsumedMembers();
  rnd.source = object;
  return rnd;
}

namespace {

// A note read only to be played is never written back: it holds no copy
// of its element (withSource false).
Note readNoteAs(const JsonValue& element, const std::string& path, Diagnostics& d, bool withSource) {
  if (!element.isObject()) {
    d.warn("bad-note", path, "Expected a note object; kept as written, not played");
    return keptWhole<Note>(element, withSource);
  }
  DocReader r(&element, path, &d);
  std::optional<double> at = getFinite(r, "at");
  if (!at) {
    d.warn("note-without-at", path, "A note needs `at`; kept as written, not played");
    return keptWhole<Note>(element, withSource);
  }
  Note n;
  n.at = *at;
  if (auto v = getFinite(r, "nudge")) n.nudge = *v;
  n.len = getFinite(r, "len");
  if (auto v = getFinite(r, "vel")) n.vel = *v;
  n.rel = getFinite(r, "rel");
  n.pitch = getFinite(r, "pitch");
  if (const JsonValue* ex = r.getObject("expr")) {
    std::string exprPath = r.childPath("expr");
    for (const JsonMember& m : ex->members)
      setExpression(n.expr, m.key, readExpression(m.value, memberPath(exprPath, m.key), d));
  }
  if (const JsonValue* rnd = r.getObject("rand")) n.rand = readNoteRandom(*rnd, r.childPath("rand"), d);
  if (auto s = r.getString("voice")) n.voice = std::move(*s);
  n.tune = getFinite(r, "tune");
  if (auto s = r.getString("sound")) n.sound = std::move(*s);
  if (const JsonValue* s = r.getObject("set"))
    n.set = readNamedValues(*s, r.childPath("set"), NamedValuesMode::Values, d);
  if (const JsonValue* a = r.getObject("add"))
    n.add = readNamedValues(*a, r.childPath("add"), NamedValuesMode::Numbers, d);
  if (auto b = r.getBool("slide")) n.slide = *b;
  if (const JsonValue* ext = r.find("ext")) {
    n.ext = *ext;
    if (writtenBack(*ext)) r.markConsumed("ext");
  }
  n.kept = r.unconsumedMembers();
  if (withSource) n.source = element;

  if (!n.voice.empty() && n.pitch)
    d.warn("voiced-note-with-pitch", path, "A voiced note carries `voice`, never `pitch`; pitch ignored");
  if (n.voice.empty() && !n.pitch)
    d.warn("note-without-pitch", path, "An unvoiced note needs `pitch`; not played");
  if (n.voice.empty() && n.tune)
    d.warn("tune-without-voice", path, "`tune` belongs to a voiced note; ignored");
  return n;
}

}  // namespace

Note readNote(const JsonValue& element, const std::string& path, Diagnostics& d) {
  return readNoteAs(element, path, d, true);
}

std::vector<Lane> readLanes(const JsonValue& array, const std::string& path, Diagnostics& d) {
  std::vector<Lane> out;
  readList(&array, path, out, d, readLane);
  return out;
}

namespace {

// How a clip is read: its place in the document, and, for a reader that
// plays it, where its notes go instead of into the clip.
struct ClipReading {
  std::string base;
  const NoteTaker* take = nullptr;

  std::string at(const char* member) const { return memberPath(base, member); }
  bool keepsAll() const { return take == nullptr; }
};

std::optional<Clip> readWith(const JsonValue& document, Diagnostics& d, const ClipReading& how) {
  DocumentHeader header = readDocumentHeader(document, "clip", d, how.base);
  if (!header.ok) return std::nullopt;

  DocReader r(&document, how.base, &d);
  r.markConsumed("kind");
  r.markConsumed("spec");
  if (header.extensionsWellFormed) r.markConsumed("extensions");

  Clip clip;
  if (how.keepsAll()) clip.document = document;
  clip.specMajor = static_cast<std::int32_t>(header.specMajor);
  clip.specMinor = static_cast<std::int32_t>(header.specMinor);
  clip.extensions = header.extensions;

  if (auto s = r.getString("id")) clip.id = std::move(*s);
  if (auto s = r.getString("plugin")) clip.plugin = std::move(*s);
  if (const JsonValue* fv = r.find("formatVersion"); fv != nullptr && fv->isNumber()) {
    if (std::optional<std::int32_t> v = truncToInt32(fv->number)) {
      clip.formatVersion = *v;
      r.markConsumed("formatVersion");
    } else {
      r.warn("wrong-type", how.at("formatVersion"), wrongTypeMessage("a whole number within 32 bits"));
    }
  } else {
    r.getNumber("formatVersion");  // reports a member of another kind
  }

  if (const JsonValue* seed = r.find("seed")) {
    std::optional<std::uint64_t> v;
    if (seed->isString()) v = parseSeed(seed->text);
    if (v) {
      clip.seed = *v;
      r.markConsumed("seed");
    } else {
      d.warn("bad-seed", how.at("seed"), "A seed is 16 hex digits; kept as written, not used");
    }
  }

  if (auto len = getFinite(r, "length")) clip.length = *len;

  if (const JsonValue* grid = r.find("grid")) {
    if (grid->isString() && parseGrid(grid->text)) {
      clip.grid = grid->text;
      r.markConsumed("grid");
    } else {
      d.warn("bad-grid", how.at("grid"), "Unreadable grid; kept as written");
    }
  }

  readList(r.getArray("tempo"), how.at("tempo"), clip.tempo, d, readTempoPoint);
  readList(r.getArray("meter"), how.at("meter"), clip.meter, d, readMeterPoint);
  readList(r.getArray("swing"), how.at("swing"), clip.swing, d, readSwingEntry);

  if (const JsonValue* v = r.getObject("voices"))
    clip.voices = readNamedValues(*v, how.at("voices"), NamedValuesMode::Names, d);
  if (const JsonValue* s = r.getObject("sounds"))
    clip.sounds = readNamedValues(*s, how.at("sounds"), NamedValuesMode::Names, d);

  ExtensionUse use;
  use.voices = !clip.voices.empty() || !clip.sounds.empty();
  for (const SwingEntry& s : clip.swing) use.add(s);
  const JsonValue* notes = getList(r, "notes");
  if (notes != nullptr && how.keepsAll()) clip.notes.reserve(JsonElements(*notes).size());
  const auto readOne = [keep = how.keepsAll()](const JsonValue& e, const std::string& at,
                                               Diagnostics& found) { return readNoteAs(e, at, found, keep); };
  readEach(notes, how.at("notes"), d, readOne, [&](Note&& note, std::size_t i, const JsonValue& element) {
    use.add(note);
    if (how.keepsAll())
      clip.notes.push_back(std::move(note));
    else
      (*how.take)(note, i, element);
  });
  readEach(getList(r, "lanes"), how.at("lanes"), d, readLane, [&](Lane&& lane, std::size_t, const JsonValue&) {
    use.add(lane);
    if (how.keepsAll()) clip.lanes.push_back(std::move(lane));
  });

  if (const JsonValue* src = r.find("source")) {
    if (how.keepsAll()) clip.source = *src;
    if (!src->isNull()) r.markConsumed("source");
  }
  if (const JsonValue* ext = r.find("ext")) {
    if (how.keepsAll()) clip.ext = *ext;
    if (writtenBack(*ext)) r.markConsumed("ext");
  }

  clip.kept = r.unconsumedMembers();
  clip.unreadableExtensions = header.unreadableExtensions;

  for (const ExtensionId& id : use.ids()) {
    if (!declaresExtension(clip.extensions, id.name))
      d.note("extension-undeclared", how.at("extensions"),
             "The clip uses " + formatExtensionId(id) + " without declaring it; read as declared");
  }
  return clip;
}

}  // namespace

std::optional<Clip> readClip(const JsonValue& document, Diagnostics& d) { return readWith(document, d, {}); }

std::optional<Clip> readClipToPlay(const JsonValue& document, Diagnostics& diagnostics, std::string_view base,
                                   const NoteTaker& take) {
  return readWith(document, diagnostics, ClipReading{std::string(base), &take});
}

bool readClip(const JsonValue& document, Clip& out, Diagnostics& diagnostics) {
  std::optional<Clip> c = readClip(document, diagnostics);
  if (!c) return false;
  out = std::move(*c);
  return true;
}

}  // namespace ob::clip
