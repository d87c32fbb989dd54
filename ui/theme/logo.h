#pragma once
// The product's logo as PNG bytes, for the header's menu button and About
// window.

#include <cstdint>
#include <span>

namespace orbi::ui {

// The embedded "orbi-logo.png"; empty when the build carries none. The
// bytes live as long as the program, as pictures need.
std::span<const std::uint8_t> productLogo();

}  // namespace orbi::ui
