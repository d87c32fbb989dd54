#pragma once
// Names of the project files the editor opens and saves.

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "document/diagnostics.h"
#include "document/project/kept_document.h"
#include "editor/said_list.h"

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

// A status text about a file (with its whole, when it names a list) and
// where the file's name lies in it.
struct FileStatus : SaidLine {
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

// The archive entries the open of the file left out, from its findings.
ob::LeftOutOfFile leftOutOf(const std::filesystem::path& file, const ob::Diagnostics& diagnostics);

// What the status line says of them: empty for none; else the entry and
// why for one ("left out future/a.bin, which a save does not hold
// (entries ...)"), or the count and their names for several ("left out 5
// entries: a, b, c and 2 more, which ..."), each with why where it is not
// the first's, which ends the line.
SaidLine leftOutSummary(const ob::LeftOutOfFile& leftOut);

// What a project lacks, as one line of the status line: what its samples
// lack (as unplayableSummary or leftOutSamples say it), then the entries
// its file left out; empty when it lacks nothing.
SaidLine lacksLine(std::string_view samples, const ob::LeftOutOfFile& leftOut);

// After an open: what the project lacks first, so that a short status line
// still shows it, then the file; or only "Opened " and the file.
FileStatus openedStatus(const SaidLine& lacks, const std::filesystem::path& path);

// What a save over the opened file asks first: that the file holds them
// (the first few named), that the save writes it without them, and how to
// keep them.
std::string saveWithoutQuestion(std::string_view fileName, const ob::LeftOutOfFile& leftOut);

// What follows "Saved " and the file's name after a save over it wrote it
// without them: " without future/a.bin", or " without 5 entries: a.bin,
// b.bin, c.bin and 2 more"; empty for none.
SaidLine savedWithout(const ob::LeftOutOfFile& leftOut);

// What the status line says when the user kept the file as it was: "Kept
// big.project.orbi as it was: not saved".
FileStatus keptFileStatus(const std::filesystem::path& path);

}  // namespace orbi
