#include "ui/popups/popup_text.h"

#include <imgui.h>

#include "ui/draw/text.h"
#include "ui/theme/colour.h"

namespace orbi::ui {

std::string upperCased(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

void styledText(std::string_view text, TextStyle style, std::uint32_t colour) {
  pushTextStyle(style);
  ImGui::PushStyleColor(ImGuiCol_Text, colourToVec4(colour));
  // An empty view may carry no pointer at all; Dear ImGui would measure it.
  const char* begin = text.empty() ? "" : text.data();
  ImGui::TextUnformatted(begin, begin + text.size());
  ImGui::PopStyleColor();
  popTextStyle();
}

}  // namespace orbi::ui
