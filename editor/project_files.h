#pragma once
// Names of the project files the editor opens and saves.

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

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

// The status of a refused file action: the verb, the file name, ": " and
// the reason. The status line shows about kStatusLineChars characters
// whole; a longer line gives the name's middle away, down to
// kShortestStatusName characters, so that the reason still shows.
inline constexpr std::size_t kStatusLineChars = 54;
inline constexpr std::size_t kShortestStatusName = 12;
std::string refusalStatus(std::string_view verb, const std::filesystem::path& path, std::string_view reason);

}  // namespace orbi
