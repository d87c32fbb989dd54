#pragma once
// The product's colours, 0xAARRGGBB, each named once: the framework's
// controls, its theme and the editor's pages all draw with these. A
// translucent use of a palette colour replaces its alpha byte
// (withAlphaByte), so a tint stays the colour it is a tint of.

#include <cstdint>

namespace orbi::ui::palette {

// The alpha byte of colour replaced by alpha; red, green and blue stay.
constexpr std::uint32_t withAlphaByte(std::uint32_t colour, std::uint8_t alpha) {
  return (colour & 0x00FFFFFFu) | static_cast<std::uint32_t>(alpha) << 24;
}

// Greens, from the accent down to the darkest fills.
inline constexpr std::uint32_t kAccent = 0xFF8DC63F;         // values, curves, fills, the selection
inline constexpr std::uint32_t kAccentHovered = 0xFFA4D165;  // hovered or dragged handles, live positions
inline constexpr std::uint32_t kAccentDim = 0xFF5A8A1A;      // held and focused borders, separators
inline constexpr std::uint32_t kGreenDeep = 0xFF3E5827;      // selected and held fills
inline constexpr std::uint32_t kGreenHover = 0xFF2F4121;     // hovered fills
inline constexpr std::uint32_t kGreenSoft = 0xFF2D3D20;      // loaded and selected rows
inline constexpr std::uint32_t kGreenButton = 0xFF25331A;    // buttons and fields at rest
inline constexpr std::uint32_t kTrackFill = 0xFF202C19;      // tracks, pills and frames
inline constexpr std::uint32_t kBorder = 0xFF2A3520;
inline constexpr std::uint32_t kModalFill = 0xFF1F2A15;  // popups and modal windows
inline constexpr std::uint32_t kDarkFill = 0xFF1A2214;   // bars and rows
// A panel's body, top to bottom.
inline constexpr std::uint32_t kPanelTop = 0xFF1C2A14;
inline constexpr std::uint32_t kPanelUpper = 0xFF11190C;
inline constexpr std::uint32_t kPanelBottom = 0xFF0D1309;
inline constexpr std::uint32_t kTilePanel = 0xB30D1108;
inline constexpr std::uint32_t kBackground = 0xFF0E1208;  // behind everything; text on the accent

// Text.
inline constexpr std::uint32_t kLight = 0xFFF0EED8;         // bright text, cold handles
inline constexpr std::uint32_t kMuted = 0xFF8A8870;         // titles, labels, hints
inline constexpr std::uint32_t kDisabledText = 0xFF5D5F4A;  // read-only values, placeholders

// Signals.
inline constexpr std::uint32_t kWarning = 0xFFD0A828;     // notices, retrig chips
inline constexpr std::uint32_t kDanger = 0xFFC84830;      // errors, recording, the playhead, closing
inline constexpr std::uint32_t kDangerDeep = 0xFF6E3C24;  // a dangerous button's fill

inline constexpr std::uint32_t kWhite = 0xFFFFFFFF;
inline constexpr std::uint32_t kBlack = 0xFF000000;

// These carry no alpha: each use gives its own.
inline constexpr std::uint32_t kGlow = 0xD8A251;  // the warm glow fading inward from a display's frame
// The modulation colours.
inline constexpr std::uint32_t kLfoBlue = 0x4A9EFF;
inline constexpr std::uint32_t kEnvelopeGreen = 0x4AFF7A;
inline constexpr std::uint32_t kMacroOrange = 0xFF9A4A;

}  // namespace orbi::ui::palette
