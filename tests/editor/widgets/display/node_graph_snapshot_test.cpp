// Node graphs on screen: drawn through OpenGL (Mesa's software renderer
// under the test runner's X server), read back and compared with stored
// pictures.

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

#include "support/ui/stored_picture.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/window_harness.h"

namespace orbi {
namespace node_graph_snapshot_test {

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
  ui::test::WindowHarness host;
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

  EXPECT_TRUE(ui::test::matchesStoredPicture(*drawn, storedPath(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Halves, NodeGraphSnapshotTest,
                         ::testing::Values(Snapshot{"sine_body", graph::testing::sineBodyModel, true},
                                           Snapshot{"band_pass_hit", graph::testing::bandPassHitModel,
                                                    false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace node_graph_snapshot_test
}  // namespace orbi
