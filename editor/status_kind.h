#pragma once
// What a line the editor says is: news of what was done; news that
// something was dropped, left out or changed on the way; or a failure or
// refusal. All but the first reach the host's log as well.

#include <cstdint>

namespace orbi {

enum class StatusKind : std::uint8_t { Done, Changed, Failed };

}  // namespace orbi
