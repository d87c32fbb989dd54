#include "support/ui/ui_harness.h"

#include <cfloat>
#include <cstdint>
#include <string>

#include "ui/imgui_adapter.h"
#include "ui/root.h"

namespace orbi::ui {
namespace {

// Stands in for a GPU texture; draw commands carry it and nothing reads it.
const ImTextureID kDummyTexture = reinterpret_cast<ImTextureID>(static_cast<std::intptr_t>(1));

constexpr float kFrameSeconds = 1.0f / 60.0f;

}  // namespace

UiHarness::UiHarness(float displayScale) {
  if (displayScale != 1.0f) ui_.setDisplayScale(displayScale);
  ContextScope scope(ui_);
  ImGuiIO& io = ImGui::GetIO();
  // As the OpenGL 3 back end does: large meshes start new vertex offsets.
  io.BackendFlags |= ImGuiBackendFlags_RendererHasVtxOffset;
  ui_.setDrawLog(&log_);
}

void UiHarness::pointerAway() { pointer_ = ImVec2(-FLT_MAX, -FLT_MAX); }

void UiHarness::setButton(ImGuiMouseButton button, bool down) {
  if (button >= 0 && button < ImGuiMouseButton_COUNT) buttons_[button] = down;
}

void UiHarness::setKey(Key key, bool down) {
  if (key > Key::None && key < Key::Count) keys_[keyIndex(key)] = down;
}

void UiHarness::pressChord(KeyChord chord) {
  mods_ = chord.mods;
  setKey(chord.key, true);
}

void UiHarness::releaseKeys() {
  mods_ = kModNone;
  for (bool& down : keys_) down = false;
}

void UiHarness::scrollWheel(float vertical, float horizontal) {
  wheel_ += vertical;
  wheelH_ += horizontal;
}

void UiHarness::typeText(std::string_view utf8) { text_ += utf8; }

void UiHarness::applyInput(ImGuiIO& io) {
  io.MousePos = pointer_;
  for (int b = 0; b < ImGuiMouseButton_COUNT; ++b) io.MouseDown[b] = buttons_[b];
  for (int k = 0; k < static_cast<int>(Key::Count); ++k) io.KeysDown[k] = keys_[k];
  io.KeyCtrl = (mods_ & kModCtrl) != 0;
  io.KeyShift = (mods_ & kModShift) != 0;
  io.KeyAlt = (mods_ & kModAlt) != 0;
  io.KeySuper = (mods_ & kModSuper) != 0;
  io.MouseWheel = wheel_;
  io.MouseWheelH = wheelH_;
  wheel_ = wheelH_ = 0.0f;
  if (!text_.empty()) addInputText(text_);
  text_.clear();
}

const ImDrawData& UiHarness::frame(const std::function<void()>& body) {
  // The body as a view; it also notes the root window's draw list.
  class BodyView final : public View {
   public:
    BodyView(const std::function<void()>& body, ImDrawList*& rootDrawList)
        : body_(body), rootDrawList_(rootDrawList) {}
    void frame(const FrameInfo&) override {
      rootDrawList_ = ImGui::GetWindowDrawList();
      if (body_) body_();
    }

   private:
    const std::function<void()>& body_;
    ImDrawList*& rootDrawList_;
  } view(body, rootDrawList_);
  return frame(view);
}

const ImDrawData& UiHarness::frame(View& view) {
  ContextScope scope(ui_);
  ImGuiIO& io = ImGui::GetIO();
  if (ui_.prepareFrame()) {
    io.Fonts->SetTexID(kDummyTexture);
    ++atlasUploads_;
  }
  io.DisplaySize = ImVec2(kDisplayWidth * ui_.displayScale(), kDisplayHeight * ui_.displayScale());
  io.DeltaTime = kFrameSeconds;
  applyInput(io);
  log_.clear();

  ImGui::NewFrame();
  FrameInfo info;
  info.time = time_;
  info.dt = frames_ == 0 ? 0.0f : kFrameSeconds;
  info.display = {0.0f, 0.0f, io.DisplaySize.x, io.DisplaySize.y};
  info.scale = ui_.displayScale();
  try {
    drawRoot(view, info, framed_);
  } catch (...) {
    abandonFrame(ui_);
    throw;
  }
  ImGui::Render();
  nextFrameRequest_ = takeNextFrameRequest(ui_);
  ++frames_;
  time_ += kFrameSeconds;
  if (pump_) pump_->pump(&ui_);
  return *ImGui::GetDrawData();
}

const ImDrawData& UiHarness::frames(int count, const std::function<void()>& body) {
  for (int i = 1; i < count; ++i) frame(body);
  return frame(body);
}

bool UiHarness::clickItem(std::string_view idText, const std::function<void()>& body) {
  frame(body);
  const ItemRecord* item = log_.findItem(idText);
  if (!item) return false;
  const Rect& area = item->hitArea;
  movePointer(ImVec2(area.x + area.width / 2.0f, area.y + area.height / 2.0f));
  frame(body);
  setButton(ImGuiMouseButton_Left, true);
  frame(body);
  setButton(ImGuiMouseButton_Left, false);
  frame(body);
  return true;
}

}  // namespace orbi::ui
