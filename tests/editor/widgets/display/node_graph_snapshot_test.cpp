// Node graphs on screen: drawn through OpenGL (Mesa's software renderer
// under the test runner's X server), read back and compared with stored
// pictures. A small difference is allowed for rounding in the renderer.
// ORBI_REWRITE_SNAPSHOTS=1 stores what is drawn now instead of comparing.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "editor/widgets/graph/node_graph.h"
#include "support/editor/widgets/graph_gallery.h"
#include "ui/platform/embedded_window.h"
#include "ui/view.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

// After our own headers: Xlib defines macros such as None.
#include "support/ui/x_host.h"

namespace orbi {
namespace {

constexpr int kChannelTolerance = 2;
constexpr double kDifferentShare = 0.002;
constexpr unsigned kWidth = 360;
constexpr unsigned kHeight = 240;

class GraphView : public ui::View {
 public:
  explicit GraphView(NodeGraph::Model model) { graph.setModel(std::move(model)); }
  void frame(const ui::FrameInfo& frame) override {
    graph.draw(frame.content.inset(10.0f, 10.0f));
    ++frames;
  }
  NodeGraph graph;
  int frames = 0;
};

struct Snapshot {
  const char* name;
  std::function<NodeGraph::Model()> model;
  bool withPreview;
};

void PrintTo(const Snapshot& s, std::ostream* os) { *os << s.name; }

std::filesystem::path storedPath(const Snapshot& s) {
  return std::filesystem::path(OB_TEST_DATA_DIR) / "ui_snapshots" /
         (std::string("node_graph_") + s.name + ".png");
}

class NodeGraphSnapshotTest : public ::testing::TestWithParam<Snapshot> {
 protected:
  void SetUp() override {
    if (!ui::test::haveDisplay() || !host.display()) GTEST_SKIP() << "no X display";
  }
  ui::test::XHost host;
};

TEST_P(NodeGraphSnapshotTest, MatchesTheStoredPicture) {
  GraphView view(GetParam().model());
  const std::vector<float> preview = graph::testing::previewOfBody(22050);
  if (GetParam().withPreview) view.graph.setWaveform(preview.data(), static_cast<int>(preview.size()), 1.0f);
  const Window parent = host.makeParent(0, 0, kWidth, kHeight);
  ui::EmbeddedWindow window(view, {false, 60});
  window.setSize(kWidth, kHeight);
  ASSERT_TRUE(window.attach(parent));
  ui::test::pumpUntil(window, [&] { return view.frames >= 3; });
  window.captureNextFrame();
  std::optional<ui::FramePixels> drawn;
  ui::test::pumpUntil(window, [&] { return (drawn = window.takeCapture()).has_value(); });
  ASSERT_TRUE(drawn);

  const std::filesystem::path stored = storedPath(GetParam());
  if (std::getenv("ORBI_REWRITE_SNAPSHOTS")) {
    ASSERT_TRUE(
        stbi_write_png(stored.c_str(), drawn->width, drawn->height, 4, drawn->rgba.data(), drawn->width * 4));
    GTEST_SKIP() << "rewrote " << stored;
  }
  int w = 0, h = 0, channels = 0;
  unsigned char* expected = stbi_load(stored.c_str(), &w, &h, &channels, 4);
  ASSERT_TRUE(expected) << "no stored picture at " << stored << "; run with ORBI_REWRITE_SNAPSHOTS=1";
  ASSERT_EQ(drawn->width, w);
  ASSERT_EQ(drawn->height, h);
  std::size_t different = 0;
  for (std::size_t i = 0; i < drawn->rgba.size(); i += 4) {
    int worst = 0;
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(drawn->rgba[i + c] - expected[i + c]));
    different += worst > kChannelTolerance;
  }
  stbi_image_free(expected);
  const double share = static_cast<double>(different) / (drawn->rgba.size() / 4);
  if (share > kDifferentShare) {
    const auto actual = std::filesystem::path(::testing::TempDir()) / stored.filename();
    stbi_write_png(actual.c_str(), drawn->width, drawn->height, 4, drawn->rgba.data(), drawn->width * 4);
    ADD_FAILURE() << different << " pixels differ from " << stored << "; drawn now: " << actual;
  }
}

INSTANTIATE_TEST_SUITE_P(Halves, NodeGraphSnapshotTest,
                         ::testing::Values(Snapshot{"sine_body", graph::testing::sineBodyModel, true},
                                           Snapshot{"band_pass_hit", graph::testing::bandPassHitModel,
                                                    false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orbi
