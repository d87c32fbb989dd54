// The main flows of the editor worked with real X input in the test host's
// window: the same plug-in code as the built Orbitrane.clap, made in this
// process so that the positions come from the editor's own layout. Each
// flow is checked on the saved state and, where it changes the sound, on
// what the built .clap renders from that state. One editor opening serves
// several flows; each checks only its own effect. Skips without DISPLAY.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "editor/editor_view.h"
#include "editor/editor_wrapper.h"
#include "engine/model/project.h"
#include "plugin/plugin.h"
#include "tools/clap_host/render.h"

// After our own headers: Xlib defines macros such as None.
#include "support/editor/editor_session.h"

namespace orbi::test {
namespace {

// Where the popups open beside their anchors, and the add-track popup's
// size and rows, at scale 1.
constexpr float kPopupGap = 4.0f;
constexpr float kPopupPadX = 10.0f, kPopupPadY = 8.0f;
constexpr float kAddPopupHeight = 100.0f;
constexpr float kAddRowHeight = 24.0f;
// The kit field's buttons from its right end (save, next, previous), and
// the kit browser's rows under its header, path and filter bands.
constexpr float kFieldButton = 24.0f, kFieldButtonGap = 4.0f;
constexpr float kBrowserListTop = 20.0f + 14.0f + 4.0f + 24.0f + 8.0f;
constexpr float kBrowserRow = 40.0f;

constexpr double kRenderTempo = 120.0;
constexpr double kStepSeconds = 60.0 / kRenderTempo / 4.0;

// One bar of the state at 120 BPM through the built .clap: the left channel
// of a track's auxiliary output.
std::vector<float> renderedTrack(const std::vector<std::uint8_t>& state, int track) {
  host::TestHost renderHost;
  std::string error;
  std::unique_ptr<host::Instance> instance = host::Instance::create(*builtClap(), renderHost, kPluginId, error);
  EXPECT_NE(instance, nullptr) << error;
  if (!instance || !instance->activate(kSampleRate, kBlockFrames)) return {};
  EXPECT_TRUE(instance->loadState(state, error)) << error;
  host::RenderRequest request;
  request.tempo = kRenderTempo;
  request.seconds = 16 * kStepSeconds;
  request.keepAux = true;
  return host::render(*instance, request).aux[2 * track];
}

float peakOf(const std::vector<float>& audio) {
  float peak = 0.0f;
  for (const float v : audio) peak = std::max(peak, std::abs(v));
  return peak;
}

// The RMS of a minus b over step's sixteenth.
double differenceInStep(const std::vector<float>& a, const std::vector<float>& b, int step) {
  const auto first = static_cast<std::size_t>(step * kStepSeconds * kSampleRate);
  const std::size_t last =
      std::min({a.size(), b.size(), static_cast<std::size_t>((step + 1) * kStepSeconds * kSampleRate)});
  double sum = 0.0;
  for (std::size_t i = first; i < last; ++i) sum += static_cast<double>(a[i] - b[i]) * (a[i] - b[i]);
  return last > first ? std::sqrt(sum / static_cast<double>(last - first)) : 0.0;
}

class EditorFlows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
    plugin = new ob::clap::Plugin(host.clapHost(), ob::clap::makeEditor);
    ASSERT_TRUE(plugin->plugin.init(&plugin->plugin));
    instance = host::Instance::adopt(host, &plugin->plugin);
    ASSERT_TRUE(instance->activate(kSampleRate, kBlockFrames));
    std::string error;
    host::GuiOptions options;
    options.blockFrames = kBlockFrames;
    session = host::GuiSession::open(*instance, options, error);
    ASSERT_NE(session, nullptr) << error;
    ASSERT_TRUE(session->runFrames(3));
    ASSERT_NE(view(), nullptr);
  }
  void TearDown() override {
    session.reset();
    instance.reset();
  }

  EditorView* view() {
    return dynamic_cast<EditorView*>(dynamic_cast<ob::clap::OrbitraneEditor&>(*plugin->editor).view());
  }
  const ob::Pattern& part() { return view()->project().patterns[view()->selectedPart()]; }
  std::vector<std::uint8_t> state() {
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(instance->saveState(bytes, error)) << error;
    return bytes;
  }
  void click(const ui::Rect& r, unsigned button = 1) {
    session->click(static_cast<int>(r.x + r.width / 2), static_cast<int>(r.y + r.height / 2), button);
  }
  void key(const std::string& chord) {
    std::string error;
    ASSERT_TRUE(session->key(chord, error)) << error;
  }

  const ui::test::XHost keepDriver;
  host::TestHost host;
  ob::clap::Plugin* plugin = nullptr;
  std::unique_ptr<host::Instance> instance;
  std::unique_ptr<host::GuiSession> session;
};

// An empty cell of the selected track, -1 when every shown cell holds a hit.
int emptyStep(const ob::Track& track, const HitsGrid::Geometry& g) {
  for (int i = 0; i < g.count; ++i)
    if (!track.steps[i].active) return i;
  return -1;
}

TEST_F(EditorFlows, GridTracksAndUndoThroughClicks) {
  const int track = view()->selectedTrack();
  BenchPage& bench = view()->benchPage();

  {
    SCOPED_TRACE("a click on an empty cell adds the hit, ctrl+z removes it");
    const std::vector<std::uint8_t> before = state();
    const HitsGrid::Geometry g = bench.grid.geometry(bench.rects.hitsGrid);
    const int step = emptyStep(part().tracks[track], g);
    ASSERT_GE(step, 0);
    click(g.cell(step));
    EXPECT_TRUE(part().tracks[track].steps[step].active);
    const std::vector<std::uint8_t> added = state();
    EXPECT_NE(added, before);
    // The sound changes where the new hit starts, and not before it.
    const std::vector<float> was = renderedTrack(before, track), is = renderedTrack(added, track);
    EXPECT_GT(differenceInStep(is, was, step), 0.01);
    for (int earlier = 0; earlier < step; ++earlier) EXPECT_LT(differenceInStep(is, was, earlier), 1e-4);
    key("ctrl+z");
    EXPECT_FALSE(part().tracks[track].steps[step].active);
    EXPECT_EQ(state(), before);
  }
  {
    SCOPED_TRACE("alt-click on a track row silences its auxiliary output");
    ASSERT_GT(peakOf(renderedTrack(state(), track)), 0.01f) << "the track is silent to begin with";
    const ui::Rect row = bench.rowRect(track);
    std::string error;
    ASSERT_TRUE(session->clickHolding("Alt_L", static_cast<int>(row.x + row.width / 2),
                                      static_cast<int>(row.y + row.height / 2), error))
        << error;
    EXPECT_TRUE((part().muteMask >> track) & 1u);
    EXPECT_EQ(peakOf(renderedTrack(state(), track)), 0.0f);
    ASSERT_TRUE(session->clickHolding("Alt_L", static_cast<int>(row.x + row.width / 2),
                                      static_cast<int>(row.y + row.height / 2), error))
        << error;
    EXPECT_FALSE((part().muteMask >> track) & 1u) << "a second alt-click brings it back";
  }
  {
    SCOPED_TRACE("+ TRACK, Sample adds a sampler track");
    const int tracks = part().numTracks;
    ASSERT_LT(tracks, ob::kMaxTracks);
    click(bench.rects.addRow);
    const ui::Rect anchor = view()->bench().addTrackAnchor;
    // Under the anchor where it fits, else over it.
    const bool below = anchor.y + anchor.height + kPopupGap + kAddPopupHeight <= static_cast<float>(session->height());
    const float top = below ? anchor.y + anchor.height + kPopupGap : anchor.y - kPopupGap - kAddPopupHeight;
    const int sampleRow = 1;  // Drum, Sample, Granul
    session->click(static_cast<int>(anchor.x + kPopupPadX + 40.0f),
                   static_cast<int>(top + kPopupPadY + kAddRowHeight * (sampleRow + 0.5f)));
    ASSERT_EQ(part().numTracks, tracks + 1);
    const ob::Track& added = part().tracks[tracks];
    ASSERT_GE(added.soundIndex, 0);
    EXPECT_EQ(part().kit.sounds[added.soundIndex].machine, ob::kMachineSample);
  }
}

TEST_F(EditorFlows, KitsFromTheHeader) {
  KitBrowser& kits = view()->kitBrowser();
  const auto kitName = [&] {
    const ob::Kit& kit = part().kit;
    return std::string(kit.name, strnlen(kit.name, sizeof kit.name));
  };
  key("ctrl+o");
  ASSERT_TRUE(session->runFrames(2));
  int second = -1;  // the second built-in kit's row
  for (int row = 0, builtIns = 0; row < static_cast<int>(kits.filtered.size()) && second < 0; ++row)
    if (kits.entries[kits.filtered[row]].builtIn && ++builtIns == 2) second = row;
  ASSERT_GE(second, 0);
  const std::string wanted = kits.entries[kits.filtered[second]].name;
  ASSERT_NE(kitName(), wanted);
  const ui::Rect field = view()->kitField();
  session->click(static_cast<int>(field.x + kPopupPadX + 60.0f),
                 static_cast<int>(field.y + field.height + kPopupGap + kPopupPadY + kBrowserListTop +
                                  kBrowserRow * (second + 0.5f)));
  ASSERT_TRUE(session->runFrames(2));
  EXPECT_EQ(kitName(), wanted);
  ASSERT_TRUE(view()->headerBar().model().document);
  EXPECT_EQ(view()->headerBar().model().document->name, wanted) << "the header shows the new kit";

  const auto arrow = [&](int fromRight) {
    const ui::Rect f = view()->kitField();
    const float x = f.x + f.width - kFieldButton * (fromRight + 0.5f) - kFieldButtonGap * fromRight;
    session->click(static_cast<int>(x), static_cast<int>(f.y + f.height / 2));
    EXPECT_TRUE(session->runFrames(2));
    return kitName();
  };
  const std::string next = arrow(1);
  EXPECT_NE(next, wanted) << "> steps to another kit";
  EXPECT_EQ(arrow(2), wanted) << "< steps back";
}

}  // namespace
}  // namespace orbi::test
