#include "document/legacy/legacy_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

#include "document/legacy/legacy_reader.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

void appendEscaped(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    switch (b) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (b < 0x20) {
          out += "\\u00";
          out += kHex[b >> 4];
          out += kHex[b & 15];
        } else {
          out += c;
        }
    }
  }
}

// S(x): a text field, bounded by its capacity even when unterminated.
template <std::size_t N>
void appendText(std::string& out, const char (&field)[N]) {
  out += '"';
  std::size_t n = 0;
  while (n < N && field[n] != '\0') ++n;
  appendEscaped(out, std::string_view(field, n));
  out += '"';
}

void appendUnsigned(std::string& out, unsigned long long v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

void appendSigned(std::string& out, long long v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// G(x): six significant digits of a float.
void appendG(std::string& out, float value) {
  const double v = value;
  if (!std::isfinite(v)) {
    out += "null";
    return;
  }
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
  out.append(buf, r.ptr);
}

// K(i): the key of a combined parameter index for a machine.
void appendKey(std::string& out, int machineType, int index) {
  out += '"';
  appendEscaped(out, paramInfo(machineType, index).id);
  out += '"';
}

void appendWord(std::string& out, const char* word) {
  out += '"';
  out += word;
  out += '"';
}

const char* shapeWord(int code) {
  static constexpr const char* kWords[] = {"sine", "tri", "sawup", "sawdown", "square", "random"};
  return code >= 0 && code < 6 ? kWords[code] : "sine";
}

const char* trigWord(int code) {
  static constexpr const char* kWords[] = {"free", "trig", "hold", "one", "half"};
  return code >= 0 && code < 5 ? kWords[code] : "free";
}

const char* layerWord(int code) {
  if (code == 1) return "roundrobin";
  if (code == 2) return "velrr";
  return "velocity";
}

// One-line list separators: " " before the first element, ", " before later ones.
void listSep(std::string& out, bool first) { out += first ? " " : ", "; }

void writeLfo(std::string& out, const Lfo& l, int machine) {
  out += "{ \"dest\": ";
  appendKey(out, machine, l.dest);
  out += ", \"rate\": ";
  appendLegacyNumber(out, l.rate);
  out += ", \"shape\": ";
  appendWord(out, shapeWord(l.shape));
  out += ", \"depth\": ";
  appendLegacyNumber(out, l.depth);
  out += ", \"trig\": ";
  appendWord(out, trigWord(l.trig));
  if (reachesDivision(l)) {
    out += ", \"sync\": true, \"rateDiv\": ";
    appendUnsigned(out, l.rateDiv);
  }
  out += " }";
}

void writeEnv(std::string& out, const ModEnv& e, int machine) {
  out += "{ \"dest\": ";
  appendKey(out, machine, e.dest);
  out += ", \"attack\": ";
  appendLegacyNumber(out, e.attack);
  out += ", \"hold\": ";
  appendLegacyNumber(out, e.hold);
  out += ", \"decay\": ";
  appendLegacyNumber(out, e.decay);
  out += ", \"depth\": ";
  appendLegacyNumber(out, e.depth);
  if (reachesDivisions(e)) {
    out += ", \"sync\": true, \"atkDiv\": ";
    appendUnsigned(out, e.atkDiv);
    out += ", \"decDiv\": ";
    appendUnsigned(out, e.decDiv);
  }
  out += " }";
}

// {param, value} list on one line; the step lists hug their brackets.
void writeParamList(std::string& out, const ParamLock* list, int count, const char* valueKey, int machine,
                    bool hug) {
  out += '[';
  for (int i = 0; i < count; ++i) {
    if (i > 0)
      out += ", ";
    else if (!hug)
      out += ' ';
    out += "{ \"param\": ";
    appendKey(out, machine, list[i].param);
    out += ", \"";
    out += valueKey;
    out += "\": ";
    appendLegacyNumber(out, list[i].value);
    out += " }";
  }
  out += hug ? "]" : " ]";
}

int clampCount(int count, int cap) { return count < cap ? count : cap; }

// The whole document around one pattern.
void writeDocument(std::string& out, const Project& project, const Pattern& pattern) {
  out += "{\n  \"name\": ";
  appendText(out, project.name);
  out += ",\n";
  if (project.version != 1) {
    out += "  \"version\": ";
    appendUnsigned(out, project.version);
    out += ",\n";
  }
  if (project.author[0] != '\0') {
    out += "  \"author\": ";
    appendText(out, project.author);
    out += ",\n";
  }
  out += "  \"patterns\": [\n";
  writeLegacyPattern(out, pattern);
  out += "\n  ]";
  const SampleSlotTable& table = project.samples;
  const int count = clampCount(table.count, kSampleSlots);
  if (count > 0) {
    out += ",\n  \"samples\": [";
    for (int i = 0; i < count; ++i) {
      const SampleSlot& s = table.slots[i];
      listSep(out, i == 0);
      out += "{ \"name\": ";
      appendText(out, s.name);
      const int tags = clampCount(s.tagCount, kTagCapacity);
      if (tags > 0) {
        out += ", \"tags\": [";
        for (int t = 0; t < tags; ++t) {
          listSep(out, t == 0);
          appendText(out, s.tags[t]);
        }
        out += " ]";
      }
      const int slices = clampCount(s.sliceCount, kMaxSlices);
      if (slices > 0) {
        out += ", \"slices\": [";
        for (int k = 0; k < slices; ++k) {
          listSep(out, k == 0);
          appendG(out, s.slices[k]);
        }
        out += " ]";
      }
      if (s.src != 0) {
        out += ", \"src\": ";
        appendUnsigned(out, s.src);
      }
      out += " }";
    }
    out += " ]";
  }
  out += "\n}\n";
}

}  // namespace

void appendLegacyNumber(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    appendSigned(out, static_cast<long long>(value));
    return;
  }
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
  out.append(buf, r.ptr);
}

std::string formatLegacyNumber(double value) {
  std::string out;
  appendLegacyNumber(out, value);
  return out;
}

std::string escapeJsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendEscaped(out, text);
  return out;
}

void writeLegacySteps(std::string& out, const Step& s, int index, int machine) {
  out += "{ \"i\": ";
  appendSigned(out, index);
  out += ", \"note\": ";
  appendUnsigned(out, s.note);
  out += ", \"velocity\": ";
  appendUnsigned(out, s.velocity);
  out += ", \"micro\": ";
  appendSigned(out, s.micro);
  out += ", \"lengthTicks\": ";
  appendUnsigned(out, s.lengthTicks);
  if (s.slide) out += ", \"slide\": true";
  if (s.muted) out += ", \"muted\": true";
  if (s.lockCount > 0) {
    out += ", \"locks\": ";
    writeParamList(out, s.locks, clampCount(s.lockCount, kListCapacity), "value", machine, true);
  }
  if (s.randCount > 0) {
    out += ", \"rands\": ";
    writeParamList(out, s.rands, clampCount(s.randCount, kListCapacity), "depth", machine, true);
  }
  if (s.randVel > 0.0f) {
    out += ", \"randVel\": ";
    appendLegacyNumber(out, s.randVel);
  }
  if (s.randTime > 0.0f) {
    out += ", \"randTime\": ";
    appendLegacyNumber(out, s.randTime);
  }
  if (s.randPan > 0.0f) {
    out += ", \"randPan\": ";
    appendLegacyNumber(out, s.randPan);
  }
  if (reachesStepPan(s)) {
    out += ", \"panLocked\": true, \"panValue\": ";
    appendLegacyNumber(out, s.panValue);
  }
  if (s.count > 0) {
    out += ", \"retrig\": { \"count\": ";
    appendUnsigned(out, s.count);
    out += ", \"rateTicks\": ";
    appendUnsigned(out, s.rateTicks);
    out += ", \"velCurve\": ";
    appendSigned(out, s.velCurve);
    out += " }";
  }
  out += " }";
}

void writeLegacyTracks(std::string& out, const Pattern& pattern) {
  out += "      \"tracks\": [\n";
  const int n = tracksInUse(pattern);
  for (int t = 0; t < n; ++t) {
    const Track& tr = pattern.tracks[t];
    const int machine = legacyTrackMachine(pattern, t);
    out += "        {\n";
    if (tr.id[0] != '\0') {
      out += "          \"id\": ";
      appendText(out, tr.id);
      out += ",\n";
    }
    out += "          \"soundIndex\": ";
    appendLegacyNumber(out, tr.soundIndex);
    out += ",\n          \"length\": ";
    appendLegacyNumber(out, tr.length);
    out += ",\n          \"gain\": ";
    appendLegacyNumber(out, tr.gain);
    out += ",\n          \"pan\": ";
    appendLegacyNumber(out, tr.pan);
    out += ",\n";
    if (tr.rate != kSixteenthRate) {
      out += "          \"rate\": ";
      appendLegacyNumber(out, tr.rate);
      out += ",\n";
    }
    if (tr.chromatic) out += "          \"chromatic\": true,\n";
    if (tr.swing >= 0.0f) {
      out += "          \"swing\": ";
      appendLegacyNumber(out, tr.swing);
      out += ",\n";
    }
    if (tr.chokeGroup < kNoChokeGroup) {
      out += "          \"chokeGroup\": ";
      appendLegacyNumber(out, tr.chokeGroup);
      out += ",\n";
    }
    if (tr.lfos[0].enabled || tr.lfos[1].enabled) {
      out += "          \"lfos\": [";
      bool first = true;
      for (const Lfo& l : tr.lfos) {
        if (!l.enabled) continue;
        listSep(out, first);
        first = false;
        writeLfo(out, l, machine);
      }
      out += " ],\n";
    }
    if (tr.modEnvs[0].enabled || tr.modEnvs[1].enabled) {
      out += "          \"modEnvs\": [";
      bool first = true;
      for (const ModEnv& e : tr.modEnvs) {
        if (!e.enabled) continue;
        listSep(out, first);
        first = false;
        writeEnv(out, e, machine);
      }
      out += " ],\n";
    }
    if (tr.trackRandCount > 0) {
      out += "          \"trackRands\": ";
      writeParamList(out, tr.trackRands, clampCount(tr.trackRandCount, kListCapacity), "depth", machine,
                     false);
      out += ",\n";
    }
    out += "          \"steps\": [";
    bool first = true;
    for (int i = 0; i < kStepsPerTrack; ++i) {
      if (!tr.steps[i].active) continue;
      listSep(out, first);
      first = false;
      writeLegacySteps(out, tr.steps[i], i, machine);
    }
    out += " ]\n";
    out += t + 1 < n ? "        },\n" : "        }\n";
  }
  out += "      ]";
}

void writeLegacySound(std::string& out, const Sound& sound) {
  out += "{ ";
  if (sound.id[0] != '\0') {
    out += "\"id\": ";
    appendText(out, sound.id);
    out += ", ";
  }
  out += "\"name\": ";
  appendText(out, sound.name);
  out += ", \"machine\": ";
  appendWord(out, machineTypeName(sound.machine));
  out += ", \"params\": {";
  const int n = clampCount(paramCount(sound.machine), kSoundParamSlots);
  for (int i = 0; i < n; ++i) {
    listSep(out, i == 0);
    appendKey(out, sound.machine, i);
    out += ": ";
    appendLegacyNumber(out, sound.params[i]);
  }
  out += " }";
  const int zones = clampCount(sound.zoneCount, kListCapacity);
  if (zones > 0) {
    out += ", \"layers\": { \"mode\": ";
    appendWord(out, layerWord(sound.mode));
    out += ", \"zones\": [";
    for (int z = 0; z < zones; ++z) {
      listSep(out, z == 0);
      out += "{ \"slot\": ";
      appendUnsigned(out, sound.slot[z]);
      out += ", \"velMax\": ";
      appendUnsigned(out, sound.velMax[z]);
      out += " }";
    }
    out += " ] }";
  }
  if (sound.velDestCount > 0) {
    out += ", \"velDests\": ";
    writeParamList(out, sound.velDests, clampCount(sound.velDestCount, kListCapacity), "depth", sound.machine,
                   false);
  }
  out += " }";
}

void writeLegacyKit(std::string& out, const Pattern& pattern) {
  const Kit& kit = pattern.kit;
  const int tracks = tracksInUse(pattern);
  int n = tracks;
  for (int t = 0; t < tracks; ++t) n = std::max(n, std::max<int>(pattern.tracks[t].soundIndex, 0) + 1);
  n = std::min(n, kMaxTracks);

  out += "      \"kit\": {\n        \"name\": ";
  appendText(out, kit.name);
  out += ",\n";
  if (kit.version != 1) {
    out += "        \"version\": ";
    appendUnsigned(out, kit.version);
    out += ",\n";
  }
  if (kit.author[0] != '\0') {
    out += "        \"author\": ";
    appendText(out, kit.author);
    out += ",\n";
  }
  const int tags = clampCount(kit.tagCount, kTagCapacity);
  if (tags > 0) {
    out += "        \"tags\": [";
    for (int t = 0; t < tags; ++t) {
      listSep(out, t == 0);
      appendText(out, kit.tags[t]);
    }
    out += " ],\n";
  }
  out += "        \"sounds\": [\n";
  for (int s = 0; s < n; ++s) {
    out += "          ";
    writeLegacySound(out, kit.sounds[s]);
    out += s + 1 < n ? ",\n" : "\n";
  }
  out += "        ]";
  bool anyMacro = false;
  for (const Macro& m : kit.macros) anyMacro = anyMacro || m.destCount > 0;
  if (anyMacro) {
    out += ",\n        \"macros\": [";
    bool first = true;
    for (const Macro& m : kit.macros) {
      if (m.destCount == 0) continue;
      out += first ? "\n" : ",\n";
      first = false;
      out += "          { \"name\": ";
      appendText(out, m.name);
      out += ", \"value\": ";
      appendLegacyNumber(out, m.value);
      out += ", \"dests\": [";
      const int dests = clampCount(m.destCount, kListCapacity);
      for (int d = 0; d < dests; ++d) {
        const MacroDest& dest = m.dests[d];
        listSep(out, d == 0);
        out += "{ \"track\": ";
        appendUnsigned(out, dest.track);
        out += ", \"param\": ";
        appendKey(out, legacyTrackMachine(pattern, dest.track), dest.param);
        out += ", \"target\": ";
        appendLegacyNumber(out, dest.target);
        out += " }";
      }
      out += " ] }";
    }
    out += "\n        ]";
  }
  out += "\n      }";
}

void writeLegacyPattern(std::string& out, const Pattern& pattern) {
  out += "    {\n";
  if (pattern.name[0] != '\0') {
    out += "      \"name\": ";
    appendText(out, pattern.name);
    out += ",\n";
  }
  out += "      \"bpm\": ";
  appendLegacyNumber(out, pattern.bpm);
  out += ",\n      \"swing\": ";
  appendLegacyNumber(out, pattern.swing);
  out += ",\n      \"length\": ";
  appendLegacyNumber(out, pattern.length);
  out += ",\n      \"numTracks\": ";
  appendLegacyNumber(out, pattern.numTracks);
  out += ",\n";
  writeLegacyTracks(out, pattern);
  out += ",\n";
  writeLegacyKit(out, pattern);
  out += ",\n      \"grooveEdited\": ";
  out += pattern.grooveEdited ? '1' : '0';
  if (pattern.muteMask != 0) {
    out += ",\n      \"muteMask\": ";
    appendUnsigned(out, pattern.muteMask);
  }
  if (pattern.accentAmount > 0.0f) {
    out += ",\n      \"accentAmount\": ";
    appendLegacyNumber(out, pattern.accentAmount);
    out += ",\n      \"accentEvery\": ";
    appendUnsigned(out, pattern.accentEvery);
    out += ",\n      \"accentCurve\": ";
    appendLegacyNumber(out, pattern.accentCurve);
  }
  out += "\n    }";
}

void writeLegacyProject(std::string& out, const Project& project) {
  writeDocument(out, project, project.patterns[0]);
}

std::string writeLegacyProject(const Project& project) {
  std::string out;
  out.reserve(16384);
  writeLegacyProject(out, project);
  return out;
}

std::string patternToJsonText(const Pattern& pattern) {
  // The project-level lines of a fresh one-pattern project are constant, so
  // only the pattern is copied, to clear its groove.
  static const Project kBlank{};
  auto copy = std::make_unique<Pattern>(pattern);
  for (Track& t : copy->tracks) initSteps(t.steps, kStepsPerTrack);
  std::string out;
  out.reserve(16384);
  writeDocument(out, kBlank, *copy);
  return out;
}

}  // namespace ob
