#pragma once
// The framework's tooltip box: padded, rounded, the text in the default
// text style wrapped at 320 design pixels.

#include <string_view>

namespace orbi::ui {

// Shows the text near the pointer while the last item is hovered (also a
// disabled one) and the context's hover clock allows it; nothing for empty
// text. Inside a frame, after the item.
void tooltip(std::string_view text);

}  // namespace orbi::ui
