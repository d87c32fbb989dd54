#include "fuzz/session/actions.h"

#include <algorithm>
#include <charconv>

namespace obsession {

namespace {

using Words = std::span<const char* const>;

constexpr const char* kBases[] = {"demo", "blank", "kit0", "kit1", "kit2", "kit3",
                                  "kit4", "kit5",  "kit6", "kit7", "kit8"};
constexpr const char* kCodings[] = {"pcm16", "pcm24", "f32",   "pcm8",  "pcm32",  "f64",    "pcm12",
                                    "pcm20", "ext16", "ext24", "ext32", "extf32", "extf64", "mixed"};
constexpr const char* kChunks[] = {"list", "junk", "odd", "cue"};
constexpr const char* kKept[] = {"checksum", "bzip2", "misnamed", "upper",      "readme", "overbudget",
                                 "member",   "lzma",  "deflate",  "unknownref", "choice"};
constexpr const char* kNames[] = {"plain", "e30", "ffe", "long"};
constexpr const char* kValues[] = {"whole", "fraction"};
constexpr const char* kFormats[] = {"package", "text", "legacy", "legacytext"};
constexpr const char* kAuditions[] = {"agrees", "stale", "unplaced"};
constexpr const char* kFileNames[] = {"plain", "e30", "dots"};
constexpr const char* kDamage[] = {"none", "truncated", "nodata", "badfmt", "hot", "nan", "nochannels"};
constexpr const char* kCopies[] = {"good", "stored"};
constexpr const char* kLoadAs[] = {"state", "project"};
constexpr const char* kEditorDo[] = {"reopen", "close", "open"};
constexpr const char* kSaveTo[] = {"over", "new", "again"};
constexpr const char* kAnswers[] = {"return", "escape", "button1", "button2", "button3"};
constexpr const char* kRates[] = {"48000", "44100", "96000", "8000", "192000"};
constexpr const char* kThreads[] = {"main", "other"};
constexpr const char* kKeys[] = {"60", "61", "62", "63", "64", "65", "66", "67"};
constexpr const char* kPlay[] = {"stopped", "playing"};
constexpr const char* kFileDo[] = {"change", "truncate", "remove", "replace", "folder"};
constexpr const char* kTmpDirs[] = {"private", "missing", "file", "unset"};
constexpr const char* kDisk[] = {"whole", "full"};
constexpr const char* kClipped[] = {"step", "track"};

// The largest sample file the byte form asks for, in KiB.
constexpr std::uint16_t kSmallKib = 2048;

// What a built state or project holds, shared by the actions that build one.
std::vector<ParamSpec> contentParams() {
  return {{"base", kBases},
          {"samples", {}, false, 4},
          {"coding", kCodings},
          {"channels"},
          {"kib", {}, false, kSmallKib},
          {"chunks", kChunks, true},
          {"kept", kKept, true},
          {"names", kNames},
          {"values", kValues},
          {"format", kFormats},
          {"audition", kAuditions}};
}

std::vector<ParamSpec> with(std::vector<ParamSpec> params, ParamSpec extra) {
  params.push_back(extra);
  return params;
}

const std::vector<OpSpec>& specs() {
  static const std::vector<OpSpec> table = {
      {"load-state", with(contentParams(), {"piece"})},
      {"load-file", {{"file"}, {"as", kLoadAs}}},
      {"open", with(contentParams(), {"name", kFileNames})},
      {"import",
       {{"coding", kCodings},
        {"channels"},
        {"kib", {}, false, kSmallKib},
        {"chunks", kChunks, true},
        {"damage", kDamage},
        {"name", kFileNames},
        {"seed"}}},
      {"import-good", {{"which"}, {"copy", kCopies}}},
      {"reimport", {{"which"}}},
      {"assign", {{"slot"}, {"track"}}},
      {"edit", {{"kind"}, {"track"}, {"step"}, {"param"}, {"value"}, {"text", kNames}}},
      {"step", {{"track"}, {"step"}}},
      {"undo", {}},
      {"redo", {}},
      {"kit", {{"number"}}},
      {"editor", {{"do", kEditorDo}}},
      {"save-state", {{"piece"}}},
      {"save-project", {{"to", kSaveTo}, {"name", kFileNames}}},
      {"answer", {{"key", kAnswers}}},
      {"activate", {{"rate", kRates}, {"block"}}},
      {"deactivate", {}},
      {"start", {}},
      {"stop", {}},
      {"block",
       {{"count"}, {"frames"}, {"thread", kThreads}, {"keys", kKeys, true}, {"play", kPlay}, {"tempo"}}},
      {"pause", {{"passes"}}},
      {"file", {{"do", kFileDo}}},
      {"tmpdir", {{"to", kTmpDirs}}},
      {"disk", {{"state", kDisk}, {"kib"}}},
      {"file-size", {{"kib"}}},
      {"paste", {{"what", kClipped}, {"from"}, {"step"}, {"to"}, {"onto"}}},
  };
  return table;
}

int paramIndex(const OpSpec& spec, std::string_view name) {
  for (std::size_t i = 0; i < spec.params.size(); ++i)
    if (name == spec.params[i].name) return static_cast<int>(i);
  return -1;
}

// A value read from bytes, held to its parameter: a worded one to its
// words (flags to their bits).
std::uint16_t heldTo(const ParamSpec& param, std::uint16_t value) {
  if (param.words.empty())
    return param.most == 0 ? value : static_cast<std::uint16_t>(value % (param.most + 1u));
  if (param.flags) return static_cast<std::uint16_t>(value & ((1u << param.words.size()) - 1));
  return static_cast<std::uint16_t>(value % param.words.size());
}

std::vector<Action> readBinary(const std::uint8_t* data, std::size_t size, std::size_t limit) {
  std::vector<Action> actions;
  std::size_t at = 0;
  while (at < size && actions.size() < limit) {
    Action action;
    action.op = static_cast<Op>(data[at++] % static_cast<std::uint8_t>(Op::Count));
    const OpSpec& spec = specOf(action.op);
    for (std::size_t i = 0; i < spec.params.size(); ++i) {
      std::uint16_t value = 0;
      for (int b = 0; b < 2; ++b, ++at)
        if (at < size) value = static_cast<std::uint16_t>(value | (data[at] << (8 * b)));
      action.arg[i] = heldTo(spec.params[i], value);
    }
    actions.push_back(action);
  }
  return actions;
}

std::uint16_t number(std::string_view text) {
  unsigned value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return static_cast<std::uint16_t>(std::min(value, 65535u));
}

// A value of the text form: a number, a word, words joined by '+', or, for
// "file", a name among the data files.
std::uint16_t valueOf(const ParamSpec& param, std::string_view text, std::span<const std::string> dataFiles) {
  if (std::string_view(param.name) == "file") {
    for (std::size_t i = 0; i < dataFiles.size(); ++i)
      if (dataFiles[i] == text) return static_cast<std::uint16_t>(i);
    return number(text);
  }
  if (param.words.empty()) return number(text);  // a seed's own number
  if (!param.flags) {
    for (std::size_t i = 0; i < param.words.size(); ++i)
      if (text == param.words[i]) return static_cast<std::uint16_t>(i);
    return heldTo(param, number(text));
  }
  std::uint16_t value = 0;
  while (!text.empty()) {
    const std::size_t plus = text.find('+');
    const std::string_view word = text.substr(0, plus);
    for (std::size_t i = 0; i < param.words.size(); ++i)
      if (word == param.words[i]) value = static_cast<std::uint16_t>(value | (1u << i));
    text = plus == std::string_view::npos ? std::string_view() : text.substr(plus + 1);
  }
  return value;
}

Action readLine(std::string_view line, std::span<const std::string> dataFiles) {
  const std::size_t space = line.find(' ');
  const std::string_view name = line.substr(0, space);
  Action action;
  for (std::size_t op = 0; op < specs().size(); ++op)
    if (name == specs()[op].name) action.op = static_cast<Op>(op);
  if (action.op == Op::Count) return action;
  const OpSpec& spec = specOf(action.op);
  std::string_view rest = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  while (!rest.empty()) {
    const std::size_t end = rest.find(' ');
    const std::string_view token = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    const std::size_t equals = token.find('=');
    if (equals == std::string_view::npos) continue;
    const int i = paramIndex(spec, token.substr(0, equals));
    if (i >= 0)
      action.arg[static_cast<std::size_t>(i)] = valueOf(spec.params[i], token.substr(equals + 1), dataFiles);
  }
  return action;
}

std::vector<Action> readText(std::string_view text, std::size_t limit,
                             std::span<const std::string> dataFiles) {
  std::vector<Action> actions;
  while (!text.empty() && actions.size() < limit) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    line = line.substr(0, line.find('#'));
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t'))
      line.remove_suffix(1);
    if (line.empty()) continue;
    const Action action = readLine(line, dataFiles);
    if (action.op != Op::Count) actions.push_back(action);
  }
  return actions;
}

}  // namespace

const OpSpec& specOf(Op op) { return specs()[static_cast<std::size_t>(op)]; }

std::uint16_t argOf(const Action& action, std::string_view name) {
  const int i = paramIndex(specOf(action.op), name);
  return i < 0 ? 0 : action.arg[static_cast<std::size_t>(i)];
}

bool hasFlag(const Action& action, std::string_view name, std::string_view flag) {
  const OpSpec& spec = specOf(action.op);
  const int i = paramIndex(spec, name);
  if (i < 0) return false;
  const Words words = spec.params[static_cast<std::size_t>(i)].words;
  for (std::size_t w = 0; w < words.size(); ++w)
    if (flag == words[w]) return (action.arg[static_cast<std::size_t>(i)] >> w) & 1u;
  return false;
}

std::string_view wordOf(const Action& action, std::string_view name) {
  const OpSpec& spec = specOf(action.op);
  const int i = paramIndex(spec, name);
  if (i < 0 || spec.params[static_cast<std::size_t>(i)].words.empty()) return {};
  const Words words = spec.params[static_cast<std::size_t>(i)].words;
  return words[action.arg[static_cast<std::size_t>(i)] % words.size()];
}

std::vector<Action> readActions(const std::uint8_t* data, std::size_t size, std::size_t limit,
                                std::span<const std::string> dataFiles) {
  if (size > 0 && data[0] == kTextMark)
    return readText(std::string_view(reinterpret_cast<const char*>(data), size), limit, dataFiles);
  return readBinary(data, size, limit);
}

std::vector<std::uint8_t> bytesOf(std::span<const Action> actions) {
  std::vector<std::uint8_t> bytes;
  for (const Action& action : actions) {
    bytes.push_back(static_cast<std::uint8_t>(action.op));
    for (std::size_t i = 0; i < specOf(action.op).params.size(); ++i) {
      bytes.push_back(static_cast<std::uint8_t>(action.arg[i] & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(action.arg[i] >> 8));
    }
  }
  return bytes;
}

std::string describe(const Action& action, std::span<const std::string> dataFiles) {
  const OpSpec& spec = specOf(action.op);
  std::string text = spec.name;
  for (std::size_t i = 0; i < spec.params.size(); ++i) {
    const ParamSpec& param = spec.params[i];
    const std::uint16_t value = action.arg[i];
    text += ' ';
    text += param.name;
    text += '=';
    if (std::string_view(param.name) == "file" && value < dataFiles.size()) {
      text += dataFiles[value];
    } else if (param.words.empty()) {
      text += std::to_string(value);
    } else if (!param.flags) {
      text += param.words[value % param.words.size()];
    } else {
      std::string joined;
      for (std::size_t w = 0; w < param.words.size(); ++w)
        if ((value >> w) & 1u) joined += (joined.empty() ? "" : "+") + std::string(param.words[w]);
      text += joined.empty() ? "none" : joined;
    }
  }
  return text;
}

}  // namespace obsession
