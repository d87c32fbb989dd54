#pragma once
// The per-window UI context: its own Dear ImGui context together with the
// framework's state for that window (baked fonts and theme images, display
// scale and scale stack, typed stores, the pushed text styles). Framework
// code never takes it as an argument: it finds it through the current Dear
// ImGui context, whose IO user pointer points here. Everything runs on the
// host's main thread.

#include <imgui.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/geometry.h"
#include "ui/store_map.h"
#include "ui/theme/fonts.h"
#include "ui/theme/skin.h"
#include "ui/theme/theme_atlas.h"

namespace orbi::ui {

class DrawLog;

class UiContext {
 public:
  // Builds the Dear ImGui context, its fonts, theme images and style. A
  // context that was current before stays current (with none, the new one
  // is left current). Throws std::runtime_error for a broken embedded
  // resource; nothing is left behind then.
  UiContext();
  ~UiContext();
  UiContext(const UiContext&) = delete;
  UiContext& operator=(const UiContext&) = delete;

  ImGuiContext* imgui() const { return imgui_; }

  float displayScale() const { return displayScale_; }
  // Throws std::invalid_argument "orbi-ui: display scale must be positive"
  // for a value that is not a positive finite number, keeping the previous
  // scale and style. Otherwise re-applies the style at once; the fonts
  // follow at the next prepareFrame.
  void setDisplayScale(float scale);
  // A fresh default style, the theme, every size times the display scale.
  void applyStyle();

  // The scale-factor stack; pops pair with pushes (an extra pop does nothing).
  void pushScale(float factor);
  void popScale();
  // The display scale times every pushed factor, bottom to top.
  float scale() const;

  // Called outside frames, before NewFrame: bakes the fonts and images again
  // when the display scale changed since the atlas was built, or when
  // pictures loaded since wait for their place in it. Returns true
  // when the atlas texture must be uploaded again (once after construction,
  // and after each rebuild). Inside a frame the atlas is locked and nothing
  // happens until the next call.
  bool prepareFrame();

  const FontFaces& faces() const { return theme_.faces(); }
  ThemeImageRects imageRects() const { return theme_.rects(); }

  // Set by the render surface: a draw callback that switches to additive
  // blending. Null when the renderer has none.
  ImDrawCallback additiveBlendHook() const { return additiveBlendHook_; }
  void setAdditiveBlendHook(ImDrawCallback hook) { additiveBlendHook_ = hook; }

  // Tests attach a log of what the primitives paint; borrowed, may be null.
  DrawLog* drawLog() const { return drawLog_; }
  void setDrawLog(DrawLog* log) { drawLog_ = log; }

  StoreMap& stores() { return stores_; }

  // When each running animation started, in Dear ImGui's time, by its id.
  using AnimationStarts = std::unordered_map<std::uint32_t, double, KeyHash>;
  AnimationStarts& animations() { return animations_; }

  // A face pushed by pushTextStyle, with the scale it had before.
  struct PushedFace {
    ImFont* face;  // null: Dear ImGui's default font was pushed
    float previousScale;
  };
  std::vector<PushedFace>& pushedFaces() { return pushedFaces_; }

  // The window's single number entry (ui/controls/number_entry.h): the
  // control that owns it, where its box sits, the text being typed and
  // how many frames it has been shown.
  struct NumberEntryState {
    ImGuiID entryId = 0;  // 0: closed
    ImVec2 anchor;        // the box is centred on this point
    float height = 0.0f;  // pixels; 0: the usual height
    char entryText[64] = {};
    int entryFrames = 0;
    // Counts openings: each gets an input of its own, which reads the new
    // text even when the box is taken over while its input has the keys.
    unsigned openings = 0;
    // The text is the param's word for a refused entry, shown until edited.
    bool refused = false;
    // After a commit held to the range: what it was held to, the entry
    // that took it, until when (Dear ImGui's clock) that is said, and where
    // its value and panel were in the frame its control last placed them.
    std::string heldNote;
    ImGuiID noteOwner = 0;
    double noteUntil = 0.0;
    int noteShown = -1;
    Rect noteValue;
    Rect notePanel;
  };
  NumberEntryState& numberEntryState() { return numberEntry_; }

 private:
  void rebuildAtlas(ImFontAtlas& atlas);

  ThemeAtlas theme_;
  ImGuiContext* imgui_ = nullptr;
  float displayScale_ = 1.0f;
  float atlasScale_ = 0.0f;  // the scale the atlas was last built at
  bool uploadPending_ = false;
  std::vector<float> scaleFactors_;
  ImDrawCallback additiveBlendHook_ = nullptr;
  DrawLog* drawLog_ = nullptr;
  StoreMap stores_;
  AnimationStarts animations_;
  std::vector<PushedFace> pushedFaces_;
  NumberEntryState numberEntry_;
};

// The UI context of the current Dear ImGui context. One made by UiContext
// must be current.
UiContext& context();

// The current context's scale: every design size is multiplied by it.
float scale();

// Makes a UI context's Dear ImGui context current for its lifetime and then
// restores the one that was current before.
class ContextScope {
 public:
  explicit ContextScope(const UiContext& ui) : previous_(ImGui::GetCurrentContext()) {
    ImGui::SetCurrentContext(ui.imgui());
  }
  ~ContextScope() { ImGui::SetCurrentContext(previous_); }
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

 private:
  ImGuiContext* previous_;
};

}  // namespace orbi::ui
