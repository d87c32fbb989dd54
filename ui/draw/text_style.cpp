#include "ui/draw/text_style.h"

namespace orbi::ui {

TextStyleSpec textStyleSpec(TextStyle style) {
  switch (style) {
    case TextStyle::Caption: return {10.0f, FontId::InterRegular, 0.0f, false};
    case TextStyle::Small: return {11.0f, FontId::InterRegular, 0.0f, false};
    case TextStyle::Heading: return {14.0f, FontId::InterBold, 1.1f, true};
    case TextStyle::Title: return {22.0f, FontId::InterRegular, 0.0f, false};
    case TextStyle::Mono:
    case TextStyle::MonoValue: return {12.0f, FontId::JetBrainsMono, 0.0f, false};
    case TextStyle::MonoBold: return {12.0f, FontId::JetBrainsMonoBold, 0.0f, false};
    case TextStyle::MonoLarge: return {20.0f, FontId::JetBrainsMonoBold, 0.0f, false};
    case TextStyle::Body: break;
  }
  return {12.0f, FontId::InterRegular, 0.0f, false};
}

}  // namespace orbi::ui
