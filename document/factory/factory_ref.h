#pragma once
// "factory:acoustic/<name>" references to samples carried inside the plug-in.
// The word "acoustic" stands for every factory set.

#include <string>
#include <string_view>

namespace ob {

inline constexpr std::string_view kFactoryRefPrefix = "factory:acoustic/";

std::string factoryRef(std::string_view name);

// True when ref is the prefix followed by a non-empty name, which goes to
// name. Another prefix leaves name untouched; the bare prefix stores an empty
// name and returns false.
bool parseFactoryRef(std::string_view ref, std::string& name);

}  // namespace ob
