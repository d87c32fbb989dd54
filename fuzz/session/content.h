#pragma once
// What a session's user brings, built from a few parameters so that a small
// input reaches large and damaged content: WAV files of every encoding the
// README lists, with chunks around the audio or damaged, and states and
// project files in every format a load reads, holding samples, kept
// entries of every kind, names of every kind and fractional values. Each
// is written to a file, and what the target knows of it (the good files
// it holds, its entries) is kept beside it.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/session/actions.h"

namespace obsession {

// A sample file the user brought, as the target knows it.
struct UserFile {
  std::string digest;  // SHA-256 of its bytes, lower-case hex
  std::uint64_t size = 0;
  // Where its good bytes lie, for an import of it.
  std::filesystem::path path;
};

// An entry of a built file that no slot plays, which a save keeps.
struct KeptEntry {
  std::string name;
  bool pastBudget = false;  // a load leaves it out, and says so
};

// A sample entry that a load keeps unplayed, with the good file it stands
// for and, where they differ, the file as the entry stores it.
struct DamagedSample {
  std::string entry;
  UserFile good;
  UserFile stored;
};

struct Built {
  std::filesystem::path path;
  bool isPackage = false;
  bool isLegacy = false;
  std::vector<UserFile> plays;  // the files its slots play
  std::vector<DamagedSample> damaged;
  std::vector<KeptEntry> kept;
};

// What the samples one input builds may cost in all, and one of them at
// most: a file's bytes and its audio decoded to 32-bit floats.
inline constexpr std::uint64_t kContentBudget = 128ull << 20;
inline constexpr std::uint64_t kLargestSample = 64ull << 20;

class ContentMaker {
 public:
  explicit ContentMaker(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // The WAV of an import action, written into the folder.
  UserFile wav(const Action& import);
  // The state (with its header) or project of a load-state or open action.
  Built document(const Action& content, bool asState);

 private:
  std::filesystem::path fresh(const std::string& name);
  // The bytes of a file of about `bytes` in containers of `sampleBytes`
  // that the budget still allows.
  std::uint64_t takeBudget(std::uint64_t bytes, std::uint16_t sampleBytes);

  std::filesystem::path folder_;
  std::uint64_t spent_ = 0;
  int made_ = 0;
};

// A file name of the kind ("plain", "e30", "dots"), distinct by n.
std::string fileNameOf(std::string_view kind, int n, std::string_view ending);

}  // namespace obsession
