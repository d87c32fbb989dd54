#include "ui/theme/theme_style.h"

#include <initializer_list>

#include "ui/theme/colour.h"

namespace orbi::ui {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kAccentDim = 0xFF5A8A1A;
constexpr std::uint32_t kGreenDeep = 0xFF3E5827;
constexpr std::uint32_t kGreenHover = 0xFF2F4121;
constexpr std::uint32_t kGreenButton = 0xFF25331A;
constexpr std::uint32_t kBorder = 0xFF2A3520;
constexpr std::uint32_t kBar = 0xFF1A2214;
constexpr std::uint32_t kFrame = 0xFF202C19;

void applySizes(ImGuiStyle& s) {
  s.WindowPadding = ImVec2(8, 6);
  s.WindowRounding = 0;
  s.WindowBorderSize = 0;
  s.ChildRounding = 8;
  s.PopupRounding = 6;
  s.PopupBorderSize = 1;
  s.FramePadding = ImVec2(6, 4);
  s.FrameRounding = 4;
  s.ItemSpacing = ImVec2(8, 4);
  s.ItemInnerSpacing = ImVec2(4, 4);
  s.ScrollbarSize = 10;
  s.ScrollbarRounding = 5;
  s.GrabRounding = 4;
  s.TabRounding = 4;
}

// Keeps the colour's red channel and clears the rest: the transparent
// colours the theme asks for leave red at the default's value.
ImVec4 transparentKeepingRed(const ImVec4& c) { return ImVec4(c.x, 0, 0, 0); }

void applyColours(ImVec4* c) {
  auto set = [c](ImGuiCol which, std::uint32_t argb) { c[which] = colourToVec4(argb); };
  set(ImGuiCol_Text, 0xFFF0EED8);
  set(ImGuiCol_TextDisabled, 0xFF5D5F4A);
  c[ImGuiCol_WindowBg] = transparentKeepingRed(c[ImGuiCol_WindowBg]);
  set(ImGuiCol_ChildBg, 0x00000000);
  set(ImGuiCol_PopupBg, 0xF21F2A15);
  set(ImGuiCol_Border, kBorder);
  c[ImGuiCol_BorderShadow] = transparentKeepingRed(c[ImGuiCol_BorderShadow]);
  set(ImGuiCol_FrameBg, kFrame);
  set(ImGuiCol_FrameBgHovered, lerpColor(kFrame, kWhite, 0.06f));
  set(ImGuiCol_FrameBgActive, lerpColor(kFrame, kWhite, 0.1f));
  for (ImGuiCol bar :
       {ImGuiCol_TitleBg, ImGuiCol_TitleBgActive, ImGuiCol_TitleBgCollapsed, ImGuiCol_MenuBarBg})
    set(bar, kBar);
  c[ImGuiCol_ScrollbarBg] = transparentKeepingRed(c[ImGuiCol_ScrollbarBg]);
  set(ImGuiCol_ScrollbarGrab, kGreenDeep);
  set(ImGuiCol_ScrollbarGrabHovered, kAccentDim);
  set(ImGuiCol_ScrollbarGrabActive, kAccent);
  set(ImGuiCol_CheckMark, kAccent);
  set(ImGuiCol_SliderGrab, kAccent);
  set(ImGuiCol_SliderGrabActive, lerpColor(kAccent, kWhite, 0.2f));
  set(ImGuiCol_Button, kGreenButton);
  set(ImGuiCol_ButtonHovered, kGreenHover);
  set(ImGuiCol_ButtonActive, kGreenDeep);
  set(ImGuiCol_Header, kGreenDeep);
  set(ImGuiCol_HeaderHovered, kGreenHover);
  set(ImGuiCol_HeaderActive, kGreenDeep);
  set(ImGuiCol_Separator, kBorder);
  set(ImGuiCol_SeparatorHovered, kAccentDim);
  set(ImGuiCol_SeparatorActive, kAccent);
  c[ImGuiCol_ResizeGrip] = transparentKeepingRed(c[ImGuiCol_ResizeGrip]);
  set(ImGuiCol_ResizeGripHovered, kAccentDim);
  set(ImGuiCol_ResizeGripActive, kAccent);
  set(ImGuiCol_TabHovered, kGreenHover);
  set(ImGuiCol_Tab, kGreenButton);
  set(ImGuiCol_TabActive, kGreenDeep);
  set(ImGuiCol_PlotLines, kAccent);
  set(ImGuiCol_PlotHistogram, kAccent);
  set(ImGuiCol_TableHeaderBg, kBar);
  set(ImGuiCol_TableBorderStrong, kBorder);
  set(ImGuiCol_TableBorderLight, 0x802A3520);
  set(ImGuiCol_TextSelectedBg, 0x995A8A1A);
  set(ImGuiCol_DragDropTarget, kAccent);
  set(ImGuiCol_NavHighlight, kAccent);
  set(ImGuiCol_ModalWindowDimBg, 0x99000000);
}

}  // namespace

void applyTheme(ImGuiStyle& style) {
  applySizes(style);
  applyColours(style.Colors);
}

}  // namespace orbi::ui
