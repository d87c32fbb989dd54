#pragma once
// Dear ImGui frames without a window: a UI context with no platform or
// renderer back end, its atlas built on the CPU under a dummy texture id,
// the input of each frame scripted, and what the frame drew kept for the
// test (the draw data and the primitives' draw log).
//
// Dear ImGui decides what is hovered at the start of a frame from the
// windows of the frame before, so nothing is hovered on the first frame; an
// auto-sized window (a popup, a tooltip) lays itself out hidden on its first
// frame and shows on the next. frames() steps such extra frames.
//
// Frames go through the window's own root window (background, view,
// in-editor file chooser, end of the drop frame), and the file-dialog pump
// runs after each, so whole views run without a display.

#include <imgui.h>

#include <cfloat>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/context.h"
#include "ui/dialogs/file_dialog_pump.h"
#include "ui/draw/draw_log.h"
#include "ui/frame_requests.h"
#include "ui/keys.h"
#include "ui/view.h"

namespace orbi::ui {

class UiHarness {
 public:
  static constexpr float kDisplayWidth = 960.0f;  // at display scale 1
  static constexpr float kDisplayHeight = 940.0f;

  explicit UiHarness(float displayScale = 1.0f);

  UiContext& ui() { return ui_; }
  // What the primitives drew in the last frame.
  const DrawLog& drawLog() const { return log_; }

  // Input, applied from the next frame on until changed.
  void movePointer(ImVec2 point) { pointer_ = point; }
  void pointerAway();
  void setButton(ImGuiMouseButton button, bool down);
  void setKey(Key key, bool down);
  void setMods(std::uint8_t mods) { mods_ = mods; }
  // Presses the chord's modifiers and key; releaseKeys() lets everything go.
  void pressChord(KeyChord chord);
  void releaseKeys();
  // One-shot input, taken by the next frame only.
  void scrollWheel(float vertical, float horizontal = 0.0f);
  void typeText(std::string_view utf8);

  // One frame at 1/60 s: the body runs inside the full-size root window,
  // with this harness's context current (the previous one is restored
  // after). Returns the frame's draw data, valid until the next frame.
  const ImDrawData& frame(const std::function<void()>& body = {});
  // One frame of a root view, as the embedded window draws it: the first
  // has dt 0 and time 0.
  const ImDrawData& frame(View& view);
  // Draw the frame decoration around later views.
  void setFramed(bool framed) { framed_ = framed; }
  // Several frames with the same body; returns the last one's draw data.
  const ImDrawData& frames(int count, const std::function<void()>& body = {});

  // Clicks the item with the id text: one frame of the body to find it in
  // the log, then, with the pointer at the centre of its hit area, a frame
  // to hover it, one with the left button down and one with it up. False,
  // and no click, when the body registered no such item.
  bool clickItem(std::string_view idText, const std::function<void()>& body);

  // The root window's draw list: during the body, and after the frame
  // until the next one.
  ImDrawList* rootDrawList() const { return rootDrawList_; }
  // How many times the atlas texture would have been uploaded.
  int atlasUploads() const { return atlasUploads_; }
  // What the last frame said of the next, as a window reads it.
  const NextFrameRequest& nextFrameRequest() const { return nextFrameRequest_; }

  // The pump run after every frame; destroying it is what closing the
  // window does to a chooser that still runs. Later frames pump nothing.
  const FileDialogPump* fileDialogPump() const { return pump_.get(); }
  void destroyFileDialogPump() { pump_.reset(); }

 private:
  void applyInput(ImGuiIO& io);

  UiContext ui_;
  DrawLog log_;
  ImVec2 pointer_{-FLT_MAX, -FLT_MAX};
  bool buttons_[ImGuiMouseButton_COUNT] = {};
  bool keys_[static_cast<int>(Key::Count)] = {};
  std::uint8_t mods_ = kModNone;
  float wheel_ = 0.0f, wheelH_ = 0.0f;
  std::string text_;
  ImDrawList* rootDrawList_ = nullptr;
  bool framed_ = false;
  int frames_ = 0;
  double time_ = 0.0;
  int atlasUploads_ = 0;
  NextFrameRequest nextFrameRequest_;
  std::unique_ptr<FileDialogPump> pump_ = std::make_unique<FileDialogPump>();
};

}  // namespace orbi::ui
