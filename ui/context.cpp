#include "ui/context.h"

#include <cmath>
#include <stdexcept>
#include <utility>

#include "ui/draw/pictures.h"
#include "ui/keys.h"
#include "ui/store.h"
#include "ui/theme/theme_style.h"

namespace orbi::ui {

UiContext::UiContext() : stores_(makeKeyedMap<StoreEntry>()), animations_(makeKeyedMap<double>()) {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  imgui_ = ImGui::CreateContext();
  ImGui::SetCurrentContext(imgui_);
  try {
    ImGuiIO& io = ImGui::GetIO();
    io.UserData = this;
    // Dear ImGui reads and writes no files of its own.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    installKeyMap(io);
    rebuildAtlas(*io.Fonts);
    applyStyle();
  } catch (...) {
    ImGui::DestroyContext(imgui_);
    ImGui::SetCurrentContext(previous);
    throw;
  }
  if (previous) ImGui::SetCurrentContext(previous);
}

UiContext::~UiContext() {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  ImGui::SetCurrentContext(imgui_);
  ImGui::DestroyContext(imgui_);
  ImGui::SetCurrentContext(previous != imgui_ ? previous : nullptr);
}

void UiContext::setDisplayScale(float scale) {
  if (!std::isfinite(scale) || scale <= 0.0f)
    throw std::invalid_argument("orbi-ui: display scale must be positive");
  displayScale_ = scale;
  applyStyle();
}

void UiContext::applyStyle() {
  ContextScope scope(*this);
  ImGuiStyle style;
  applyTheme(style);
  style.ScaleAllSizes(displayScale_);
  ImGui::GetStyle() = style;
}

void UiContext::pushScale(float factor) { scaleFactors_.push_back(factor); }

void UiContext::popScale() {
  if (!scaleFactors_.empty()) scaleFactors_.pop_back();
}

float UiContext::scale() const {
  float s = displayScale_;
  for (float factor : scaleFactors_) s *= factor;
  return s;
}

bool UiContext::prepareFrame() {
  ContextScope scope(*this);
  ImFontAtlas& atlas = *ImGui::GetIO().Fonts;
  if (atlas.Locked) return false;
  const Pictures* pictures = findStore<Pictures>(*this, kPicturesKey);
  if (atlasScale_ != displayScale_ || (pictures && pictures->waiting())) rebuildAtlas(atlas);
  return std::exchange(uploadPending_, false);
}

void UiContext::rebuildAtlas(ImFontAtlas& atlas) {
  theme_.build(atlas, displayScale_, findStore<Pictures>(*this, kPicturesKey));
  atlasScale_ = displayScale_;
  uploadPending_ = true;
}

UiContext& context() { return *static_cast<UiContext*>(ImGui::GetIO().UserData); }

float scale() { return context().scale(); }

}  // namespace orbi::ui
