#pragma once
// A factory kit as a state the plug-in loads, so each one can be rendered
// without a state file.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orbi::host {

// The project document of the kit library's "builtin:" + number with the
// factory samples the plug-in starts with. False with the library's reason
// for a number that names no built-in kit.
bool factoryKitState(std::string_view number, std::vector<std::uint8_t>& state, std::string& error);

}  // namespace orbi::host
