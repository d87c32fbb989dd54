#include "fuzz/session/content.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>

#include "content/kits/kit_library.h"
#include "document/archive/crc32.h"
#include "document/archive/deflate.h"
#include "document/archive/sha256.h"
#include "document/instance/instance_state.h"
#include "document/json/json_parse.h"
#include "document/json/json_write.h"
#include "document/legacy/legacy_writer.h"
#include "document/little_endian.h"
#include "document/project/project_load.h"
#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/model/pattern_copy.h"
#include "engine/model/project_ids.h"
#include "engine/params/param_tables.h"
#include "support/document/archive_rig.h"
#include "support/document/riff_file.h"

namespace obsession {

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr double kRate = 48000.0;

// How a coding stores a sample: its "fmt " tag (0xFFFE extensible), its
// container bytes, its valid bits and whether it is IEEE float.
struct Form {
  std::uint16_t tag;
  std::uint16_t bytes;
  std::uint16_t valid;
  bool isFloat;
};

Form formOf(std::string_view coding) {
  if (coding == "pcm24") return {1, 3, 24, false};
  if (coding == "f32") return {3, 4, 32, true};
  if (coding == "pcm8") return {1, 1, 8, false};
  if (coding == "pcm32") return {1, 4, 32, false};
  if (coding == "f64") return {3, 8, 64, true};
  if (coding == "pcm12") return {1, 2, 12, false};
  if (coding == "pcm20") return {1, 3, 20, false};
  if (coding == "ext16") return {0xFFFE, 2, 16, false};
  if (coding == "ext24") return {0xFFFE, 3, 24, false};
  if (coding == "ext32") return {0xFFFE, 4, 32, false};
  if (coding == "extf32") return {0xFFFE, 4, 32, true};
  if (coding == "extf64") return {0xFFFE, 8, 64, true};
  return {1, 2, 16, false};
}

// The coding of sample i: "mixed" goes through them all.
std::string_view codingOf(const Action& action, int i) {
  const std::string_view coding = wordOf(action, "coding");
  if (coding != "mixed") return coding;
  static constexpr std::string_view kAll[] = {"pcm16", "f64",   "pcm24", "pcm32", "f32",   "pcm8",  "extf64",
                                              "pcm12", "ext24", "pcm20", "ext16", "ext32", "extf32"};
  return kAll[static_cast<std::size_t>(i) % std::size(kAll)];
}

int channelsOf(std::uint16_t value) { return value >= 1 && value <= 4 ? value : 1 + value % 4; }

// A plain "fmt " body; extensible ones come from fmtOf.
Bytes fmtBody(const Form& form, int channels) {
  if (form.tag == 0xFFFE)
    return obtest::fmtOf(form.tag, static_cast<std::uint16_t>(channels), form.bytes, form.valid,
                         form.isFloat ? 3 : 1);
  Bytes body;
  ob::writeU16LE(body, form.tag);
  ob::writeU16LE(body, static_cast<std::uint16_t>(channels));
  ob::writeU32LE(body, static_cast<std::uint32_t>(kRate));
  ob::writeU32LE(body, static_cast<std::uint32_t>(kRate) * channels * form.bytes);
  ob::writeU16LE(body, static_cast<std::uint16_t>(channels * form.bytes));
  ob::writeU16LE(body, form.valid);
  return body;
}

// Writes one sample in the form, little-endian; gives where the next goes.
std::uint8_t* putSample(std::uint8_t* out, const Form& form, double v) {
  std::uint64_t bits = 0;
  if (form.isFloat && form.bytes == 8) {
    std::memcpy(&bits, &v, 8);
  } else if (form.isFloat) {
    const float f = static_cast<float>(v);
    std::uint32_t word;
    std::memcpy(&word, &f, 4);
    bits = word;
  } else if (form.bytes == 1) {
    bits = static_cast<std::uint8_t>(128 + std::lround(std::clamp(v, -1.0, 1.0) * 127.0));
  } else {
    const double full = static_cast<double>((std::int64_t(1) << (form.valid - 1)) - 1);
    bits =
        static_cast<std::uint32_t>(static_cast<std::int32_t>(std::llround(std::clamp(v, -1.0, 1.0) * full)))
        << (8 * form.bytes - form.valid);
  }
  for (int b = 0; b < form.bytes; ++b) *out++ = static_cast<std::uint8_t>(bits >> (8 * b));
  return out;
}

// The audio of a file of about `bytes`, with the damage asked for: a
// decaying tone, its pitch and phase set by the seed, so that every file is
// its own. Each frame turns the tone's phase and takes down its level by a
// step rather than by a sine and an exponential of its own: a state's files
// are megabytes, built for every input that holds them, which took a third
// of the fuzzer's time.
Bytes audioData(const Form& form, int channels, std::uint64_t bytes, std::string_view damage, unsigned seed) {
  const std::uint64_t frameBytes = static_cast<std::uint64_t>(channels) * form.bytes;
  const std::int64_t frames = static_cast<std::int64_t>(std::max<std::uint64_t>(bytes / frameBytes, 16));
  Bytes data(static_cast<std::size_t>(frames * static_cast<std::int64_t>(frameBytes)));
  const double turn = 2.0 * M_PI * (70.0 + 37.0 * (seed % 29)) / kRate;
  const double turnCos = std::cos(turn), turnSin = std::sin(turn);
  const double fall = std::exp(-3.0 / static_cast<double>(frames));
  // Each channel's tone as a point on a circle of the level's radius.
  std::vector<double> x(static_cast<std::size_t>(channels)), y(x.size());
  for (int c = 0; c < channels; ++c) {
    x[c] = 0.5 * std::cos(static_cast<double>(c) + seed);
    y[c] = 0.5 * std::sin(static_cast<double>(c) + seed);
  }
  const bool hot = form.isFloat && damage == "hot";
  const bool nan = form.isFloat && damage == "nan";
  std::uint8_t* out = data.data();
  for (std::int64_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      double v = y[c];
      if (hot && i % 97 == 5) v = 1e6;
      if (nan && i % 89 == 3) v = std::numeric_limits<double>::quiet_NaN();
      out = putSample(out, form, v);
      const double turned = (x[c] * turnCos - y[c] * turnSin) * fall;
      y[c] = (x[c] * turnSin + y[c] * turnCos) * fall;
      x[c] = turned;
    }
  return data;
}

Bytes textBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

// A WAV file of the coding, channels and size, with the chunks around its
// audio and the damage asked for.
Bytes wavBytes(std::string_view coding, int channels, std::uint64_t bytes, const Action& action,
               unsigned seed) {
  const std::string_view damage = action.op == Op::Import ? wordOf(action, "damage") : "none";
  Form form = formOf(coding);
  if (damage == "badfmt") form.tag = 2;  // ADPCM
  Bytes fmt = fmtBody(form, channels);
  if (damage == "nochannels") fmt[2] = fmt[3] = 0;
  std::vector<std::pair<const char*, Bytes>> chunks;
  if (hasFlag(action, "chunks", "junk")) chunks.emplace_back("JUNK", Bytes(28, 0));
  chunks.emplace_back("fmt ", std::move(fmt));
  if (hasFlag(action, "chunks", "list")) {
    Bytes info = textBytes("INFOINAM");
    ob::writeU32LE(info, 13);
    const Bytes title = textBytes("Session take");
    info.insert(info.end(), title.begin(), title.end());
    info.push_back(0);
    chunks.emplace_back("LIST", std::move(info));
  }
  if (hasFlag(action, "chunks", "odd")) chunks.emplace_back("odd ", textBytes("5byte"));
  Bytes data = audioData(form, channels, bytes, damage, seed);
  const std::size_t dataSize = data.size();
  if (damage != "nodata") chunks.emplace_back("data", std::move(data));
  if (hasFlag(action, "chunks", "cue")) {
    Bytes cue;
    ob::writeU32LE(cue, 1);
    for (const std::uint32_t field : {1u, 0u, 0x61746164u, 0u, 0u, 64u}) ob::writeU32LE(cue, field);
    chunks.emplace_back("cue ", std::move(cue));
  }
  Bytes file = obtest::riffOf(chunks);
  chunks.clear();
  if (damage == "truncated") file.resize(file.size() - dataSize / 2);
  return file;
}

bool writeFile(const fs::path& path, const std::vector<const Bytes*>& pieces) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = true;
  for (const Bytes* piece : pieces)
    ok = ok && std::fwrite(piece->data(), 1, piece->size(), f) == piece->size();
  return std::fclose(f) == 0 && ok;
}

std::string upperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// ---- The project a state or project holds.

// Tokens the written text names are put in by, replaced by the names asked
// for once it is written, so that names a writer would mend reach the load.
constexpr std::string_view kNameTokens[] = {"NAMEPROJECT", "NAMEKITTOKEN", "NAMESOUND", "NAMEPART"};

std::string nameOf(std::string_view kind) {
  if (kind == "e30") {
    std::string name;
    for (int i = 0; i < 30; ++i) name += "\xC3\xA9";
    return name;
  }
  if (kind == "ffe") return "\xFF\xFE";
  if (kind == "long") return std::string(80, 'x');
  return "Session";
}

void replaceAll(std::string& text, std::string_view token, const std::string& with) {
  for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + with.size()))
    text.replace(at, token.size(), with);
}

// A sampler on track t playing slot `slot`, set as the samples page sets it.
void playSlot(ob::Project& project, int t, int slot) {
  ob::Pattern& pattern = project.patterns[0];
  if (pattern.numTracks <= t) pattern.numTracks = static_cast<std::uint8_t>(t + 1);
  pattern.tracks[t].soundIndex = static_cast<std::int8_t>(t);
  ob::initSoundParams(pattern.kit.sounds[t], ob::kMachineSample);
  const auto send = [&](ob::EditKind kind, std::int32_t param, float value) {
    ob::EditCommand command;
    command.kind = kind;
    command.track = static_cast<std::uint32_t>(t);
    command.param = param;
    command.value = value;
    ob::applyEditCommand(project, command);
  };
  send(ob::kEditZoneLayout, 0, 0.0f);
  for (std::int32_t zone = 0; zone < ob::kListCapacity; ++zone) send(ob::kEditZoneSlot, zone, float(slot));
  send(ob::kEditSoundParam, ob::findParamIndex(ob::kMachineSample, "slot"), float(slot));
  pattern.tracks[t].steps[0].active = 1;
}

// Values between the integers: the tempo, swings, the accent, macros and
// every sound's first parameter, a part of the way through its range.
void takeFractions(ob::Project& project) {
  ob::Pattern& pattern = project.patterns[0];
  pattern.bpm = 124.5f;
  pattern.swing = 57.25f;
  pattern.accentAmount = 0.375f;
  for (int m = 0; m < ob::kMacroCount; ++m) pattern.kit.macros[m].value = 0.3125f + 0.125f * m;
  for (int t = 0; t < pattern.numTracks; ++t) {
    pattern.tracks[t].swing = 0.125f;
    ob::Sound& sound = pattern.kit.sounds[t];
    const ob::ParamInfo info = ob::paramInfo(sound.machine, 0);
    if (!info.stepped) sound.params[0] = info.min + 0.3125f * (info.max - info.min);
  }
}

std::unique_ptr<ob::Project> baseProject(std::string_view base) {
  auto project = ob::makeProject();
  ob::buildDemoProject(*project);
  if (base == "blank") {
    ob::Pattern& pattern = project->patterns[0];
    pattern.numTracks = 1;
    for (ob::Track& track : pattern.tracks)
      for (ob::Step& step : track.steps) step.active = 0;
  } else if (base.starts_with("kit")) {
    auto pattern = std::make_unique<ob::Pattern>();
    std::string error;
    if (ob::KitLibrary::loadKit("builtin:" + std::string(base.substr(3)), *pattern, &error))
      ob::copyPatternIntoProject(*project, *pattern);
  }
  project->samples = {};
  project->seed = 0x5e5510f00d;
  return project;
}

void nameEverything(ob::Project& project, bool tokens) {
  if (!tokens) return;
  ob::Pattern& pattern = project.patterns[0];
  ob::copyText(project.name, kNameTokens[0].data());
  ob::copyText(pattern.kit.name, kNameTokens[1].data());
  ob::copyText(pattern.kit.sounds[0].name, kNameTokens[2].data());
  ob::copyText(pattern.name, kNameTokens[3].data());
}

// The audition's notes, then notes no load places on the grid: of a voice
// the kit lacks, between steps, past every step, on a step a note already
// holds, and one without a time. They change the notes' fingerprint, so the
// load places the notes rather than reading the grid.
void addUnplacedNotes(ob::JsonValue& document) {
  ob::JsonValue* audition = document.find("audition");
  const ob::JsonValue* written = audition != nullptr ? audition->find("notes") : nullptr;
  ob::JsonValue notes;
  std::string error;
  if (written == nullptr || !ob::parseJson(ob::writeJson(*written), notes, error) || !notes.isArray()) return;
  const std::string first = !notes.elements.empty() && notes.elements[0].find("voice") != nullptr
                                ? notes.elements[0].find("voice")->text
                                : std::string("none");
  const auto note = [&](std::string voice, double at, double vel) {
    ob::JsonValue n = ob::makeJsonObject();
    if (at >= 0.0) n.set("at", ob::makeJsonDouble(at));
    n.set("voice", ob::makeJsonString(std::move(voice)));
    n.set("vel", ob::makeJsonDouble(vel));
    notes.elements.push_back(std::move(n));
  };
  note("v-none-such", 0.5, 0.75);
  note(first, 0.1003, 0.5);
  note(first, 1000.0, 0.625);
  if (!notes.elements.empty() && notes.elements[0].isObject()) {
    ob::JsonValue again = notes.elements[0];
    again.set("vel", ob::makeJsonDouble(0.375));
    notes.elements.push_back(std::move(again));
  }
  note(first, -1.0, 0.25);
  audition->set("notes", std::move(notes));
}

// The instance document's text: the project with its samples' references,
// a member and a choice of another build where asked, the audition of
// another pattern or with notes no load places where asked, and the names
// put in.
std::string instanceText(const ob::Project& project, const std::vector<std::string>& refs,
                         const Action& action) {
  ob::JsonValue document = ob::writeInstanceState(project, refs, 0, ob::kPluginVersionText, "");
  if (hasFlag(action, "kept", "member")) {
    ob::JsonValue future = ob::makeJsonObject();
    future.set("kept", ob::makeJsonString("as written, \xC3\xA9"));
    future.set("level", ob::makeJsonDouble(0.4375));
    document.set("com.example.future", std::move(future));
  }
  // A choice of a later build, which the load reads otherwise (the sound
  // plays the default) and a save writes back as read.
  ob::JsonValue* sounds = document.find("state") ? document.find("state")->find("sounds") : nullptr;
  if (hasFlag(action, "kept", "choice") && sounds != nullptr && !sounds->members.empty())
    if (ob::JsonValue* params = sounds->members[0].value.find("params"))
      for (ob::JsonMember& param : params->members)
        if (param.value.isString()) {
          param.value = ob::makeJsonString("a-later-kind");
          break;
        }
  if (wordOf(action, "audition") == "stale") {
    auto other = std::make_unique<ob::Project>(project);
    for (ob::Track& track : other->patterns[0].tracks)
      for (int s = 0; s < ob::kStepsPerTrack; s += 3) track.steps[s].active ^= 1;
    const ob::JsonValue written = ob::writeInstanceState(*other, refs, 0, ob::kPluginVersionText, "");
    const ob::JsonValue* audition = written.find("audition");
    ob::JsonValue* own = document.find("audition");
    if (audition != nullptr && own != nullptr && audition->find("notes") != nullptr)
      own->set("notes", *audition->find("notes"));
  }
  if (wordOf(action, "audition") == "unplaced") addUnplacedNotes(document);
  return ob::dumpJson(document);
}

archive_test::RawEntry deflatedEntry(const std::string& name, const std::string& text) {
  const Bytes bytes = textBytes(text);
  archive_test::RawEntry entry = archive_test::storedEntry(name, bytes);
  entry.payload = ob::zip::deflate(bytes.data(), bytes.size());
  entry.method = 8;
  entry.packedSize = static_cast<std::uint32_t>(entry.payload.size());
  return entry;
}

// An entry of another build's, past the budget of entries a load keeps:
// 65 MiB of zeros, packed at under 1000:1 so that it reads as no bomb.
archive_test::RawEntry pastTheBudget() {
  constexpr std::uint32_t kSize = 65u << 20;
  // Its checksum, reckoned once.
  static const std::uint32_t crc = [] {
    const Bytes zeros(1u << 20, 0);
    std::uint32_t sum = 0;
    for (std::uint32_t at = 0; at < kSize; at += zeros.size())
      sum = ob::zip::crc32(zeros.data(), zeros.size(), sum);
    return sum;
  }();
  archive_test::RawEntry entry = archive_test::zeroEntry("future/big.bin", kSize, false);
  entry.crc = crc;
  return entry;
}

}  // namespace

std::string fileNameOf(std::string_view kind, int n, std::string_view ending) {
  const std::string number = std::to_string(n);
  if (kind == "e30") return nameOf("e30") + "-" + number + std::string(ending);
  if (kind == "dots") return "v1.2.take-" + number + std::string(ending);
  return "take-" + number + std::string(ending);
}

fs::path ContentMaker::fresh(const std::string& name) {
  return folder_ / (std::to_string(++made_) + "-" + name);
}

std::uint64_t ContentMaker::takeBudget(std::uint64_t bytes, std::uint16_t sampleBytes) {
  const auto cost = [sampleBytes](std::uint64_t fileBytes) {
    return fileBytes + fileBytes * 4 / sampleBytes;
  };
  const std::uint64_t most = std::min(kLargestSample, kContentBudget - spent_);
  std::uint64_t given = std::min(bytes, most * sampleBytes / (sampleBytes + 4));
  spent_ += cost(given);
  return given;
}

UserFile ContentMaker::wav(const Action& import) {
  const std::uint64_t bytes =
      takeBudget(std::uint64_t(argOf(import, "kib")) << 10, formOf(codingOf(import, 0)).bytes);
  const Bytes file = wavBytes(codingOf(import, 0), channelsOf(argOf(import, "channels")), bytes, import,
                              argOf(import, "seed"));
  UserFile user{ob::sha256Hex(file.data(), file.size()), file.size(),
                fresh(fileNameOf(wordOf(import, "name"), made_ + 1, ".wav"))};
  if (!writeFile(user.path, {&file})) user.size = 0;
  return user;
}

Built ContentMaker::document(const Action& action, bool asState) {
  const std::string_view format = wordOf(action, "format");
  const bool legacy = format.starts_with("legacy");
  const bool package = format == "package" || format == "legacy";
  std::unique_ptr<ob::Project> project = baseProject(wordOf(action, "base"));
  const std::string names = nameOf(wordOf(action, "names"));
  nameEverything(*project, true);
  if (wordOf(action, "values") == "fraction") takeFractions(*project);

  Built built;
  built.isPackage = package;
  built.isLegacy = legacy;
  const int samples = argOf(action, "samples") % 5;
  std::vector<Bytes> files;
  std::vector<std::string> refs;
  std::vector<std::uint64_t> audioBytes;
  for (int i = 0; i < samples; ++i) {
    audioBytes.push_back(takeBudget(std::uint64_t(std::max<std::uint16_t>(argOf(action, "kib"), 1)) << 10,
                                    formOf(codingOf(action, i)).bytes));
    files.push_back(wavBytes(codingOf(action, i), channelsOf(argOf(action, "channels")), audioBytes.back(),
                             action, static_cast<unsigned>(made_ * 7 + i)));
    ob::SampleSlot& slot = project->samples.slots[i];
    ob::copyText(slot.id, ("smp-" + std::to_string(i)).c_str());
    ob::copyText(slot.name, ("s" + std::to_string(i) + ".wav").c_str());
    project->samples.count = static_cast<std::uint8_t>(i + 1);
    playSlot(*project, i, i);
  }
  ob::assignPatternIds(project->patterns[0]);

  // Each file as its entry holds it, some of them damaged as asked.
  archive_test::RawArchive archive;
  std::vector<UserFile> good(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    good[i] = {ob::sha256Hex(files[i].data(), files[i].size()), files[i].size(), {}};
    refs.push_back("asset:" + good[i].digest);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string name = legacy ? "samples/s" + std::to_string(i) + ".wav" : "assets/" + good[i].digest;
    const auto hits = [&](int k) { return i == static_cast<std::size_t>(k) % files.size(); };
    const bool checksum = hasFlag(action, "kept", "checksum") && hits(0);
    const bool bzip2 = hasFlag(action, "kept", "bzip2") && hits(1);
    const bool misnamed = !legacy && hasFlag(action, "kept", "misnamed") && hits(2);
    const bool upper = !legacy && hasFlag(action, "kept", "upper") && hits(3);
    const bool lzma = hasFlag(action, "kept", "lzma") && hits(4);
    const bool deflate = hasFlag(action, "kept", "deflate") && hits(5);
    const bool unknownRef = !legacy && hasFlag(action, "kept", "unknownref") && hits(6);
    // Misnamed, it holds another good WAV file of the same form.
    Bytes payload =
        misnamed ? wavBytes(codingOf(action, static_cast<int>(i)), channelsOf(argOf(action, "channels")),
                            audioBytes[i], action, static_cast<unsigned>(made_ * 7 + i) + 1000u)
                 : files[i];
    archive_test::RawEntry entry = archive_test::storedEntry(upper ? upperCase(name) : name, payload);
    if (checksum) entry.crc ^= 1;
    if (bzip2) entry.method = 12;
    if (lzma) entry.method = 14;
    if (deflate) {
      // Deflated, then cut short of its end.
      entry.payload = ob::zip::deflate(payload.data(), payload.size());
      entry.payload.resize(entry.payload.size() * 3 / 4);
      entry.method = 8;
      entry.packedSize = static_cast<std::uint32_t>(entry.payload.size());
    }
    if (upper) refs[i] = "asset:" + upperCase(good[i].digest);
    if (unknownRef) refs[i] = "x-cloud:" + good[i].digest;
    if (checksum || bzip2 || misnamed || upper || lzma || deflate || unknownRef) {
      good[i].path = fresh("good-" + std::to_string(i) + ".wav");
      writeFile(good[i].path, {&files[i]});
      UserFile stored = good[i];
      if (misnamed) {
        stored = {ob::sha256Hex(payload.data(), payload.size()), payload.size(),
                  fresh("stored-" + std::to_string(i) + ".wav")};
        writeFile(stored.path, {&payload});
      }
      built.damaged.push_back({entry.name, good[i], stored});
    } else {
      built.plays.push_back(good[i]);
    }
    archive.entries.push_back(std::move(entry));
    files[i] = {};
  }

  std::string text = legacy ? ob::writeLegacyProject(*project) : instanceText(*project, refs, action);
  for (const std::string_view token : kNameTokens) replaceAll(text, token, names);
  const std::string documentName = legacy ? "project.json" : "instance.json";
  archive.entries.insert(archive.entries.begin(), deflatedEntry(documentName, text));
  if (hasFlag(action, "kept", "readme")) {
    archive.entries.push_back(archive_test::storedEntry(
        "notes/readme.txt",
        textBytes("Recorded on the tape machine; the snare is \xC3\xA9 and \xFF raw.\n")));
    built.kept.push_back({"notes/readme.txt", false});
  }
  if (hasFlag(action, "kept", "overbudget")) {
    archive.entries.push_back(pastTheBudget());
    built.kept.push_back({"future/big.bin", true});
  }

  built.path = fresh(asState ? "state.obs" : "built.project.orbi");
  FILE* out = std::fopen(built.path.c_str(), "wb");
  const auto put = [&](const Bytes& piece) {
    if (out != nullptr) std::fwrite(piece.data(), 1, piece.size(), out);
  };
  if (asState) put(Bytes{'O', 'B', 'S', '1', 0, 0, 0, 0});
  if (package) {
    archive_test::writeArchive(archive, put);
  } else {
    built.plays.clear();
    built.damaged.clear();
    built.kept.clear();
    put(textBytes(text));
  }
  if (out != nullptr) std::fclose(out);
  return built;
}

}  // namespace obsession
