#pragma once
// Names of the project files the editor opens and saves.

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "document/diagnostics.h"

namespace orbi {

// Project files end in "." and this, written as file-dialog filters write it.
inline constexpr char kProjectExtension[] = "project.orbi";

// The project files' family of endings, which a saved name gives up for
// kProjectExtension: the product's own and the older project formats'.
const std::array<std::string, 3>& projectFamilyEndings();

// The path to save to: its name kept whole, with ".project.orbi" added
// unless it ends so already (in any case); only an ending of the family
// (".orbi", ".obp", ".json") is replaced.
std::filesystem::path withProjectSuffix(const std::filesystem::path& path);

// The file name as status messages show it (UTF-8).
std::string fileNameOf(const std::filesystem::path& path);

// Where a file's name lies in a status text (bytes): the header's status
// line lets it give way in its middle when the whole text does not fit, so
// that a reason after it still shows.
struct StatusName {
  std::size_t from = 0;
  std::size_t length = 0;
};

// A status text about a file and where its name lies in it.
struct FileStatus {
  std::string text;
  StatusName name;
};

// The verb and the file name, then ": " and the reason when there is one:
// "Could not open song.obp: no such file".
FileStatus fileStatus(std::string_view verb, const std::filesystem::path& path, std::string_view reason = {});

// What an open says of the samples it left out, from the load's findings:
// empty when every slot plays; else the finding itself for one slot, or
// the count and the first finding for several ("2 samples play silent,
// the first: ...").
std::string leftOutSamples(const ob::Diagnostics& diagnostics);

// The archive entries an open left out, which no save holds.
struct LeftOutEntries {
  std::size_t count = 0;
  std::string first;  // the first one's name
  std::string why;    // why the first, in lower-case words
};
LeftOutEntries leftOutEntries(const ob::Diagnostics& diagnostics);

// What an open says of them: empty for none; else the entry and why for
// one ("future/a.bin is left out, and a save will not hold it (entries
// ...)"), or the count and the first for several.
std::string leftOutSummary(const LeftOutEntries& leftOut);

// What a save over the opened file asks first: that the file holds them,
// and that the save writes it without them.
std::string saveWithoutQuestion(std::string_view fileName, const LeftOutEntries& leftOut);

}  // namespace orbi
