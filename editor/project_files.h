#pragma once
// Names of the project files the editor opens and saves.

#include <filesystem>
#include <string>

namespace orbi {

// Project files end in "." and this, written as file-dialog filters write it.
inline constexpr char kProjectExtension[] = "project.orbi";

// The path to save to: unchanged when its name already ends in
// ".project.orbi" (exactly), else with its last extension replaced by it.
std::filesystem::path withProjectSuffix(const std::filesystem::path& path);

// The file name as status messages show it (UTF-8).
std::string fileNameOf(const std::filesystem::path& path);

}  // namespace orbi
