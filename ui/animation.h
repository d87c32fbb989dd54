#pragma once
// Decaying animation values: a flash that fades after something happened.
// The UI context keeps when each one started (Dear ImGui's time), by a
// 32-bit id of the caller's choosing; an entry is started by storing the
// time under the id.

#include <cstdint>

namespace orbi::ui {

// (1 - elapsed / duration) squared while the animation runs; 0 when there is
// none, and 0 once the duration has passed, forgetting the entry.
float animationState(std::uint32_t id, float duration);

}  // namespace orbi::ui
