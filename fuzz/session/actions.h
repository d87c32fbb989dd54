#pragma once
// The actions a session input is read as, in two forms that mean the same:
// bytes (what libFuzzer mutates) and text (what a seed is written in). See
// fuzz/session.cpp for both forms.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace obsession {

enum class Op : std::uint8_t {
  // A user's.
  LoadState,   // a state the target builds, through the host's state load
  LoadFile,    // a stored state or project file, through the same load or "Open project..."
  Open,        // a project file the target builds, through "Open project..."
  Import,      // a WAV file the target builds, through the samples page's "Load WAV..."
  ImportGood,  // the good copy of a file the last built state or project holds damaged
  Reimport,    // a file imported before, imported again
  Assign,      // a slot given to a track on the samples page
  Edit,        // a value edited, as a gesture of the editor or the host sends it (user_edits.h)
  Step,        // a step added or removed
  Undo,
  Redo,
  Kit,          // a factory kit from the kit library
  Editor,       // the editor window closed, opened, or closed and opened again
  SaveState,    // the host saves its session
  SaveProject,  // "Save project..." over the opened file or under another name
  Answer,       // the editor's question answered
  // A host's.
  Activate,
  Deactivate,
  Start,
  Stop,
  Block,  // process blocks, on the main thread or one of the host's
  Pause,  // main-thread passes and no block, without stop_processing
  // The outside world's.
  File,      // the opened project file changed, truncated, removed or replaced
  TmpDir,    // where TMPDIR points
  Disk,      // the disk full now, after a number of bytes, or whole again
  FileSize,  // the process's file-size limit
  // A user's, again: last, so that those above keep their numbers.
  Paste,  // a step or a track copied, then pasted onto another
  Count
};

inline constexpr std::size_t kMaxParams = 12;

struct Action {
  Op op = Op::Count;
  std::array<std::uint16_t, kMaxParams> arg{};
};

// One parameter of an action: a number, or one of some words, or (flags)
// a set of them, written joined by '+'.
struct ParamSpec {
  const char* name;
  std::span<const char* const> words = {};
  bool flags = false;
  // The largest number the byte form gives, 0 for any: sizes the fuzzer
  // picks stay small, so that its inputs run fast, while a seed's text may
  // ask for more.
  std::uint16_t most = 0;
};

struct OpSpec {
  const char* name;
  std::vector<ParamSpec> params;
};

const OpSpec& specOf(Op op);

// A parameter's value by its name, 0 when the action has none of it.
std::uint16_t argOf(const Action& action, std::string_view name);
bool hasFlag(const Action& action, std::string_view name, std::string_view flag);
// The word a worded parameter holds.
std::string_view wordOf(const Action& action, std::string_view name);

// The first byte that marks an input as text.
inline constexpr std::uint8_t kTextMark = '#';

// The actions of an input, at most `limit`; `dataFiles` are the names the
// "file" parameter of LoadFile chooses among.
std::vector<Action> readActions(const std::uint8_t* data, std::size_t size, std::size_t limit,
                                std::span<const std::string> dataFiles);

// The actions in the byte form, each value as held (a text's number past
// its parameter's most is written as it is, and held on reading).
std::vector<std::uint8_t> bytesOf(std::span<const Action> actions);

// An action in the text form, for messages.
std::string describe(const Action& action, std::span<const std::string> dataFiles);

}  // namespace obsession
