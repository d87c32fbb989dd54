#pragma once
// A clip in memory: timed notes with tempo, meter and swing entries, named
// voices and sounds, and automation lanes. Every record keeps what the reader
// did not take (kept), the element as read (source) and whether it failed its
// check (invalid: not played, written back as read), so that a load followed
// by a save loses nothing. Times are in beats (quarter notes).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/json/json_value.h"
#include "document/reading/extension_id.h"
#include "engine/clock/tempo.h"

namespace ob::clip {

struct TempoPoint {
  double at = 0.0;
  double bpm = kDefaultTempo;
  JsonValue kept = makeJsonObject();
  JsonValue source;
  bool invalid = false;
};

struct MeterPoint {
  double at = 0.0;
  std::int32_t num = 0;
  std::int32_t den = 0;
  JsonValue kept = makeJsonObject();
  JsonValue source;
  bool invalid = false;
};

struct SwingEntry {
  std::int32_t bar = 0;
  std::string grid = "1/16";
  double amount = 0.5;  // neutral; pattern swing s maps to (s - 50) / 200 + 0.5
  std::string voice;    // empty: the whole clip
  JsonValue kept = makeJsonObject();
  JsonValue source;
  bool invalid = false;
};

struct ExpressionPoint {
  double beatsFromNoteStart = 0.0;
  double value = 0.0;
};

// A per-note expression: one number, or a curve of points.
struct Expression {
  bool curve = false;
  double value = 0.0;
  std::vector<ExpressionPoint> points;
  JsonValue source;
  bool invalid = false;
};

struct NamedExpression {
  std::string name;
  Expression expression;
};

// A note's random amounts ("rand").
struct NoteRandom {
  double vel = 0.0;
  double nudge = 0.0;
  std::optional<double> pan;
  std::vector<JsonMember> params;  // parameter key to a number
  JsonValue kept = makeJsonObject();
  JsonValue source;
};

struct Note {
  double at = 0.0;
  double nudge = 0.0;
  std::optional<double> len;
  double vel = 1.0;
  std::optional<double> rel;
  std::optional<double> pitch;  // an unvoiced note's note number
  std::vector<NamedExpression> expr;
  std::optional<NoteRandom> rand;
  std::string voice;           // the kit voice (track) that plays it
  std::optional<double> tune;  // semitones, for a voiced note
  std::string sound;
  std::vector<JsonMember> set;  // absolute parameter values: number or choice word
  std::vector<JsonMember> add;  // parameter offsets: numbers
  bool slide = false;
  JsonValue ext;
  JsonValue kept = makeJsonObject();
  JsonValue source;
  bool invalid = false;
};

struct LanePoint {
  double at = 0.0;
  JsonValue v;
  std::string curve;  // "step", "linear" or "smooth"; anything else plays as step
  JsonValue kept = makeJsonObject();
  JsonValue source;
  bool invalid = false;
};

struct Lane {
  std::string id;
  std::string target;
  std::string voice;
  std::string instance;
  std::vector<LanePoint> points;
  JsonValue kept = makeJsonObject();
  JsonValue source;
  bool invalid = false;
};

struct Clip {
  std::int32_t specMajor = 1;
  std::int32_t specMinor = 0;
  std::string id;
  std::string plugin;
  std::optional<std::int32_t> formatVersion;
  std::optional<std::uint64_t> seed;
  std::vector<ExtensionId> extensions;
  std::vector<JsonValue> unreadableExtensions;
  double length = 4.0;
  std::string grid = "1/16";
  std::vector<TempoPoint> tempo;
  std::vector<MeterPoint> meter;
  std::vector<SwingEntry> swing;
  std::vector<JsonMember> voices;  // voice name to the sound it plays
  std::vector<JsonMember> sounds;
  std::vector<Note> notes;
  std::vector<Lane> lanes;
  JsonValue source;  // the "source" member, kept whole
  JsonValue ext;     // the "ext" member (extension objects by id)
  JsonValue kept = makeJsonObject();
  JsonValue document;  // the whole document as read
};

// Replaces the entry of that name, or appends one.
void setExpression(std::vector<NamedExpression>& list, std::string_view name, Expression e);
void setNamedValue(std::vector<JsonMember>& list, std::string_view name, JsonValue value);

}  // namespace ob::clip
