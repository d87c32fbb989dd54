#include "ui/theme/theme_style.h"

#include <initializer_list>

#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

using namespace palette;
constexpr std::uint32_t kBar = kDarkFill;
constexpr std::uint32_t kFrame = kTrackFill;

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
  set(ImGuiCol_Text, kLight);
  set(ImGuiCol_TextDisabled, kDisabledText);
  c[ImGuiCol_WindowBg] = transparentKeepingRed(c[ImGuiCol_WindowBg]);
  set(ImGuiCol_ChildBg, withAlphaByte(kBlack, 0));
  set(ImGuiCol_PopupBg, withAlphaByte(kModalFill, 0xF2));
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
  set(ImGuiCol_TableBorderLight, withAlphaByte(kBorder, 0x80));
  set(ImGuiCol_TextSelectedBg, withAlphaByte(kAccentDim, 0x99));
  set(ImGuiCol_DragDropTarget, kAccent);
  set(ImGuiCol_NavHighlight, kAccent);
  set(ImGuiCol_ModalWindowDimBg, withAlphaByte(kBlack, 0x99));
}

}  // namespace

void applyTheme(ImGuiStyle& style) {
  applySizes(style);
  applyColours(style.Colors);
}

}  // namespace orbi::ui
