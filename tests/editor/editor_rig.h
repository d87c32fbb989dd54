#pragma once
// One plug-in instance with its editor open as a host opens it, without a
// window: the root view runs its frames in the headless harness, 60 a
// second, so the frame clock is the harness's. A frame does all its due
// renders, however long they take, unless a test gives it a share.

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "editor/editor_view.h"
#include "editor/editor_wrapper.h"
#include "engine/session/engine_host.h"
#include "plugin/plugin.h"
#include "support/ui/ui_harness.h"
#include "tools/clap_host/test_host.h"

namespace orbi::test {

class EditorRig {
 public:
  // The window at the display scale: 960 x 940 times it.
  explicit EditorRig(float displayScale = 1.0f) : harness(displayScale) {
    plugin_ = new ob::clap::Plugin(host.clapHost(), ob::clap::makeEditor);
    clap_ = &plugin_->plugin;
    EXPECT_TRUE(clap_->init(clap_));
    editor_ = dynamic_cast<ob::clap::OrbitraneEditor*>(plugin_->editor.get());
    EXPECT_NE(editor_, nullptr);
    EXPECT_TRUE(editor_->create("x11", false));
    view_ = dynamic_cast<EditorView*>(editor_->view());
    EXPECT_NE(view_, nullptr);
    if (view_) view_->setRenderShare(std::numeric_limits<double>::infinity());
  }
  ~EditorRig() { clap_->destroy(clap_); }
  EditorRig(const EditorRig&) = delete;
  EditorRig& operator=(const EditorRig&) = delete;

  EditorView& view() { return *view_; }
  EngineHost& engineHost() { return *plugin_->engineHost; }
  ob::Project& project() { return plugin_->engineHost->project; }
  ob::clap::Plugin& plugin() { return *plugin_; }
  const clap_plugin_t* clap() const { return clap_; }
  ob::clap::OrbitraneEditor& editor() { return *editor_; }

  // Frames of the root view; each 1/60 s after the one before.
  void frames(int count) {
    for (int i = 0; i < count; ++i) harness.frame(*view_);
  }
  // Frames until no render waits; how many, at most `limit`.
  int framesUntilRendered(int limit = 100000) {
    int n = 0;
    while (view_->rendersPending() && n < limit) {
      harness.frame(*view_);
      ++n;
    }
    return n;
  }
  // Prepares the engine as an activate does.
  void activate(double rate = 48000.0) { EXPECT_TRUE(clap_->activate(clap_, rate, 1, 512)); }
  // One block of the engine, as the audio thread runs it.
  void audioBlock() {
    std::vector<float> left(512), right(512);
    engineHost().engine.process(left.data(), right.data(), 512, ob::RenderInfo{});
  }
  // One block of the plug-in's process call under a host transport that
  // gives its tempo, playing or stopped.
  void hostBlock(bool playing, double tempo) {
    constexpr std::uint32_t kFrames = 512;
    std::vector<float> channels(18 * kFrames);
    float* pointers[18];
    clap_audio_buffer_t outputs[9] = {};
    for (int c = 0; c < 18; ++c) pointers[c] = channels.data() + c * kFrames;
    for (int port = 0; port < 9; ++port) {
      outputs[port].data32 = pointers + 2 * port;
      outputs[port].channel_count = 2;
    }
    clap_event_transport_t transport{};
    transport.header.size = sizeof transport;
    transport.header.type = CLAP_EVENT_TRANSPORT;
    transport.flags = CLAP_TRANSPORT_HAS_TEMPO | (playing ? CLAP_TRANSPORT_IS_PLAYING : 0u);
    transport.tempo = tempo;
    clap_input_events_t in{
        nullptr, [](const clap_input_events_t*) -> std::uint32_t { return 0; },
        [](const clap_input_events_t*, std::uint32_t) -> const clap_event_header_t* { return nullptr; }};
    clap_output_events_t out{nullptr,
                             [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};
    clap_process_t process{};
    process.frames_count = kFrames;
    process.transport = &transport;
    process.audio_outputs = outputs;
    process.audio_outputs_count = 9;
    process.in_events = &in;
    process.out_events = &out;
    clap_->process(clap_, &process);
  }

  host::TestHost host;
  ui::UiHarness harness;

 private:
  ob::clap::Plugin* plugin_ = nullptr;
  const clap_plugin_t* clap_ = nullptr;
  ob::clap::OrbitraneEditor* editor_ = nullptr;
  EditorView* view_ = nullptr;
};

inline bool sameBytes(const ob::Project& a, const ob::Project& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// A sound-parameter edit of the first track's sound, as a drag sends it.
inline ob::EditCommand soundParamEdit(float value, int param = 0) {
  ob::EditCommand c;
  c.kind = ob::kEditSoundParam;
  c.track = 0;
  c.param = param;
  c.value = value;
  return c;
}

}  // namespace orbi::test
