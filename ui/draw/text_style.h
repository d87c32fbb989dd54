#pragma once
// The nine named text styles: each picks a font, a design size, a tracking
// and whether letters are drawn in capitals.

#include <cstdint>

#include "ui/theme/fonts.h"

namespace orbi::ui {

enum class TextStyle : std::uint32_t {
  Caption,
  Small,
  Body,
  Heading,
  Title,
  Mono,
  MonoValue,  // equal to Mono; the drag field uses this one, the text field Mono
  MonoBold,
  MonoLarge,
};
inline constexpr int kTextStyleCount = 9;

// Where text sits across its box; any other value is taken as Left.
enum class TextAlign : std::uint32_t { Left, Centre, Right };

struct TextStyleSpec {
  float px;  // design size in pixels
  FontId font;
  float tracking;  // extra space after each character, design pixels
  bool upperCase;  // ASCII letters drawn as capitals
};

// Any value outside the nine gives Body.
TextStyleSpec textStyleSpec(TextStyle style);

}  // namespace orbi::ui
