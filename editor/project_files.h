#pragma once
// Names of the project files the editor opens and saves.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace orbi {

// Project files end in "." and this, written as file-dialog filters write it.
inline constexpr char kProjectExtension[] = "project.orbi";

// The path to save to: unchanged when its name already ends in
// ".project.orbi" (exactly), else with its last extension replaced by it.
std::filesystem::path withProjectSuffix(const std::filesystem::path& path);

// The file name as status messages show it (UTF-8).
std::string fileNameOf(const std::filesystem::path& path);

// The status of a refused file action: the verb, the file name, ": " and
// the reason. The status line shows about kStatusLineChars characters
// whole; a longer line gives the name's middle away, down to
// kShortestStatusName characters, so that the reason still shows.
inline constexpr std::size_t kStatusLineChars = 54;
inline constexpr std::size_t kShortestStatusName = 12;
std::string refusalStatus(std::string_view verb, const std::filesystem::path& path, std::string_view reason);

}  // namespace orbi
