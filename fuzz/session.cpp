// A sequence of a user's, a host's and the outside world's actions on one
// plug-in instance, through the calls the host and the editor make: every
// save succeeds (or, to a full disk or past a file-size limit, fails saying
// why and leaving the file as it was), keeps every file the user brought
// that still plays, every entry the load kept and every one it left out
// unless that was said (and, over the opened file, asked), writes UTF-8
// documents, and loads into a fresh instance as the project that played,
// sounding the same and saving the same bytes again; after every action
// the instance holds, in memory and private files, within 1.3 times what
// its content needs plus a constant, and a block allocates nothing; every
// undo brings back exactly what the instance held before the edit it takes
// back, and every redo what it held after.
//
// An input is read in one of two forms that mean the same.
//
// Text, for seeds: the first byte is '#', and each line is an action, its
// name then name=value parameters (any left out are 0, a value is a number,
// a word, or words joined by '+'), '#' starting a comment:
//
//   # a kept entry failing its checksum, then a 64-bit float import
//   load-state samples=2 coding=pcm16 kib=64 kept=checksum
//   import coding=f64 kib=128 chunks=list+cue
//   save-state
//   save-project to=new
//
// fuzz/session/actions.cpp lists the actions and their parameters (the
// contents a load-state or open builds: base, samples, coding, channels,
// kib, chunks, kept, names, values, format, audition). load-file loads a
// stored file of fuzz/session/files/ by its name.
//
// Bytes, for libFuzzer: each action is a byte (its index in that list,
// modulo their number) followed by two little-endian bytes for each of its
// parameters, in the order listed; a worded parameter takes its word by
// index (modulo their number), flags as bits.
//
// libFuzzer changes an input by whole actions (fuzz/session/mutate.h) and
// writes what it made in the bytes form, from a text input too.
//
// To make a seed, write the text form into fuzz/corpus/session/; to read
// one, read it. A failing input names the rule it broke, why, and the
// actions that led there in the text form, so a binary input the fuzzer
// found is turned into a seed by copying those lines under a '#' line.
// With OB_SESSION_VERBOSE set, each action's measures (memory, private
// files, the peak, what the content needs) and the editor's status line go
// to standard error.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>

#include "fuzz/session/actions.h"
#include "fuzz/session/factory_samples.h"
#include "fuzz/session/mutate.h"
#include "fuzz/session/outside.h"
#include "fuzz/session/rules.h"
#include "fuzz/session/session.h"

namespace {

// The most actions an input runs: enough for every fault's sequence.
constexpr std::size_t kMostActions = 48;

obsession::DataFiles& dataFiles() {
  static obsession::DataFiles files = [] {
    obsession::DataFiles found{OB_SESSION_FILES, {}};
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(found.folder, error))
      if (entry.is_regular_file()) found.names.push_back(entry.path().filename().string());
    std::sort(found.names.begin(), found.names.end());
    return found;
  }();
  return files;
}

obsession::Outside& outside() {
  static obsession::Outside world;
  return world;
}

std::vector<obsession::Action> actionsOf(const std::uint8_t* data, std::size_t size) {
  return obsession::readActions(data, size, kMostActions, dataFiles().names);
}

// The actions written into the fuzzer's buffer in the bytes form, those
// past its room left off; gives the size written.
std::size_t intoInput(std::vector<obsession::Action> actions, std::uint8_t* data, std::size_t room) {
  std::vector<std::uint8_t> bytes = obsession::bytesOf(actions);
  while (bytes.size() > room && !actions.empty()) {
    actions.pop_back();
    bytes = obsession::bytesOf(actions);
  }
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  return bytes.size();
}

}  // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t room,
                                               unsigned int seed) {
  return intoInput(obsession::mutated(actionsOf(data, size), kMostActions, dataFiles().names.size(), seed),
                   data, room);
}

extern "C" std::size_t LLVMFuzzerCustomCrossOver(const std::uint8_t* a, std::size_t aSize,
                                                 const std::uint8_t* b, std::size_t bSize,
                                                 std::uint8_t* out, std::size_t room, unsigned int seed) {
  return intoInput(obsession::crossed(actionsOf(a, aSize), actionsOf(b, bSize), kMostActions, seed), out,
                   room);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  obsession::watchHeap();
  obsession::decodeFactorySamplesOnce();
  obsession::prepareRenders();
  dataFiles();
  outside();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<obsession::Action> actions = actionsOf(data, size);
  {
    obsession::Session session(outside(), dataFiles());
    session.run(actions);
  }
  outside().restore();
  return 0;
}
