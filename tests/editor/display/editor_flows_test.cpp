// The main flows of the editor worked with real X input in the test host's
// window: the same plug-in code as the built Orbitrane.clap, made in this
// process so that the positions come from the editor's own layout. Each
// flow is checked on the saved state and, where it changes the sound, on
// what the built .clap renders from that state. One editor opening serves
// several flows; each checks only its own effect. Skips without DISPLAY.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include <unistd.h>

#include "document/json/json_parse.h"
#include "document/json/json_write.h"
#include "editor/editor_view.h"
#include "editor/editor_wrapper.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"
#include "plugin/plugin.h"
#include "tools/clap_host/render.h"
#include "tools/clap_host/window_picture.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/platform/embedded_window.h"

// After our own headers: Xlib defines macros such as None.
#include "support/editor/bench_state_gallery.h"
#include "support/editor/built_editor_rig.h"
#include "support/editor/demo_gallery.h"
#include "support/editor/wav_writer.h"
#include "support/scoped_env.h"
#include "support/ui/stored_picture.h"
#include "ui/imgui_internals.h"

namespace orbi::test {
namespace editor_flows_test {

// Where the popups open beside their anchors, at scale 1.
constexpr float kPopupGap = 4.0f;
constexpr float kPopupPadX = 10.0f, kPopupPadY = 8.0f;
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
  std::unique_ptr<host::Instance> instance =
      host::Instance::create(*builtClap(), renderHost, kPluginId, error);
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
    attachLog();
  }
  void reopen(double scale) {
    session.reset();
    host::GuiOptions options;
    options.blockFrames = kBlockFrames;
    options.scale = scale;
    std::string error;
    session = host::GuiSession::open(*instance, options, error);
    ASSERT_NE(session, nullptr) << error;
    ASSERT_TRUE(session->runFrames(3));
    attachLog();
  }
  void TearDown() override {
    session.reset();
    instance.reset();
  }

  ob::clap::OrbitraneEditor& editor() { return dynamic_cast<ob::clap::OrbitraneEditor&>(*plugin->editor); }
  EditorView* view() { return dynamic_cast<EditorView*>(editor().view()); }
  // The window's UI context records what each frame drew and where Dear
  // ImGui placed its own rows and buttons.
  void attachLog() {
    ASSERT_NE(editor().window(), nullptr);
    ASSERT_NE(editor().window()->ui(), nullptr);
    editor().window()->ui()->setDrawLog(&log);
  }
  // The first item of the latest frame that passes the test, waiting a
  // few frames for popups to lay themselves out and show: a popup's first
  // frame places its items but is hidden and takes no clicks.
  template <typename Test>
  const ui::ItemRecord* waitForItem(Test&& test) {
    if (!session->runFrames(2)) return nullptr;
    for (int frame = 0; frame < 12; ++frame) {
      for (const ui::ItemRecord& item : log.items())
        if (test(item)) return &item;
      if (!session->runFrames(1)) break;
    }
    return nullptr;
  }
  // Clicks the middle of the item of the id text.
  void clickItem(const std::string& idText, unsigned button = 1) {
    SCOPED_TRACE(idText);
    const ui::ItemRecord* item = waitForItem([&](const ui::ItemRecord& i) { return i.idText == idText; });
    ASSERT_NE(item, nullptr) << "nothing drawn as " << idText;
    click(item->hitArea, button);
  }
  void clickText(const std::string& text) {
    ASSERT_TRUE(session->runFrames(1));
    for (const ui::DrawRecord* r : log.find(ui::DrawOp::Text))
      if (r->text == text) return click(r->rect);
    ADD_FAILURE() << "no text " << text;
  }
  void openHeaderMenu() {
    const ui::ItemRecord* menu =
        waitForItem([](const ui::ItemRecord& i) { return i.idText == "button" && i.tooltip == "Menu"; });
    ASSERT_NE(menu, nullptr);
    click(menu->hitArea);
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

  const ui::test::WindowHarness keepDriver;
  host::TestHost host;
  ui::DrawLog log;
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
}

// A folder of its own as the user's home, where the in-editor chooser
// starts; the home before comes back at the end.
class HomeFolder {
 public:
  HomeFolder() : path_(std::filesystem::temp_directory_path() / ("orbi_flows_" + std::to_string(getpid()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    if (const char* home = std::getenv("HOME")) before_ = home;
    setenv("HOME", path_.c_str(), 1);
  }
  ~HomeFolder() {
    if (before_)
      setenv("HOME", before_->c_str(), 1);
    else
      unsetenv("HOME");
    std::filesystem::remove_all(path_);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::optional<std::string> before_;
};

// The project saved under the name in the folder (its extension added),
// empty while there is none.
std::filesystem::path savedProject(const std::filesystem::path& folder, const std::string& name) {
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename().string().rfind(name + ".", 0) == 0) return entry.path();
  return {};
}

TEST_F(EditorFlows, ASampleTrackAndProjectFilesThroughTheChooser) {
  const HomeFolder home;
  writeFile(home.path() / "kick.wav", wavBytes(drumHit(kSampleRate, 0.25), 1, kSampleRate, WavFormat::Pcm16));
  const int tracks = part().numTracks;
  ASSERT_LT(tracks, ob::kMaxTracks);
  {
    SCOPED_TRACE("+ TRACK, Sample adds a sampler track");
    click(view()->benchPage().rects.addRow);
    clickItem("Sample");
    ASSERT_EQ(part().numTracks, tracks + 1);
    EXPECT_EQ(view()->selectedTrack(), tracks);
    EXPECT_EQ(part().kit.sounds[part().tracks[tracks].soundIndex].machine, ob::kMachineSample);
  }
  {
    SCOPED_TRACE("SAMPLES, Load WAV... through the chooser, Assign to track...");
    clickText("SAMPLES");
    ASSERT_TRUE(session->runFrames(2));
    ASSERT_EQ(view()->page(), EditorPage::Samples);
    clickItem("load");
    clickItem("kick.wav");
    clickItem("Open");
    ASSERT_TRUE(session->runFrames(2));
    SamplesPage& samples = view()->samplesPage();
    const std::int32_t slot = samples.selected();
    ASSERT_TRUE(samples.slotLoaded(slot)) << "the WAV reached the pool";
    clickItem("assign");
    // "Track 7:  name", or "T7" for a track whose sound has no name.
    const std::string number = std::to_string(tracks + 1);
    const ui::ItemRecord* row = waitForItem([&](const ui::ItemRecord& i) {
      return i.idText.rfind("Track " + number + ":", 0) == 0 || i.idText == "T" + number;
    });
    ASSERT_NE(row, nullptr);
    click(row->hitArea);
    const ob::Sound& sound = part().kit.sounds[part().tracks[tracks].soundIndex];
    EXPECT_EQ(sound.machine, ob::kMachineSample);
    EXPECT_EQ(sound.params[ob::findParamIndex(ob::kMachineSample, "slot")], static_cast<float>(slot));
  }
  {
    SCOPED_TRACE("a hit on the sampler track sounds the WAV");
    clickText("BENCH");
    ASSERT_TRUE(session->runFrames(2));
    ASSERT_EQ(view()->page(), EditorPage::Bench);
    const std::vector<std::uint8_t> silent = state();
    EXPECT_EQ(peakOf(renderedTrack(silent, tracks)), 0.0f);
    BenchPage& bench = view()->benchPage();
    // Half a bar in: a state loaded into a running instance hands its
    // imported audio to the audio thread a few blocks later.
    click(bench.grid.geometry(bench.rects.hitsGrid).cell(4));
    ASSERT_TRUE(part().tracks[tracks].steps[4].active);
    EXPECT_GT(peakOf(renderedTrack(state(), tracks)), 0.05f);
  }
  {
    SCOPED_TRACE("Save project... writes a file that Open project... reads back equal");
    const std::vector<std::uint8_t> saved = state();
    openHeaderMenu();
    clickItem("Save project...");
    ASSERT_NE(waitForItem([](const ui::ItemRecord& i) { return i.idText == "Name"; }), nullptr);
    std::string error;
    key("ctrl+a");
    const std::string name = "flows \xF0\x9F\xA5\x81";  // a character past U+FFFF, kept
    ASSERT_TRUE(session->type(name, error)) << error;
    key("Return");
    std::filesystem::path file;
    for (int frame = 0; frame < 20 && file.empty(); ++frame) {
      ASSERT_TRUE(session->runFrames(1));
      file = savedProject(home.path(), name);
    }
    ASSERT_FALSE(file.empty()) << "no project saved";
    // Changed after saving: the opened file must bring the saved project back.
    BenchPage& bench = view()->benchPage();
    click(bench.grid.geometry(bench.rects.hitsGrid).cell(1));
    ASSERT_NE(state(), saved);
    openHeaderMenu();
    clickItem("Open project...");
    clickItem(file.filename().string());
    clickItem("Open");
    ASSERT_TRUE(session->runFrames(3));
    EXPECT_FALSE(part().tracks[tracks].steps[1].active);
    EXPECT_EQ(state(), saved);
  }
}

// A sample assigned to the demo's closed hat: what a sampler lacks goes,
// the status line names it (all of it on its hover), and so does the host's
// log; the save holds nothing of the hat aimed where nobody aimed it, and
// undo brings it all back.
TEST_F(EditorFlows, WhatAnAssignLetsGoIsSaidAndSavedNowhere) {
  const ob::Project demo = view()->project();
  session->move(static_cast<int>(session->width()) / 2, 4);  // a frame that draws the header
  clickText("SAMPLES");
  view()->samplesPage().previewSlot(5);
  clickItem("assign");
  const ui::ItemRecord* row =
      waitForItem([](const ui::ItemRecord& i) { return i.idText == "Track 3:  Closed hat"; });
  ASSERT_NE(row, nullptr);
  click(row->hitArea);
  const std::string line = view()->statusText();
  EXPECT_TRUE(
      line.starts_with("Closed hat lost 4: Open up on Hit 1 Length, LFO 1 on Hit 1 Tone, "
                       "step 15 lock of Hit 1 and step 15 lock of Hit 1 Length,"))
      << line;
  const ui::ItemRecord* status = waitForItem([](const ui::ItemRecord& i) { return i.idText == "status"; });
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->tooltip, line) << "the line shortened, its hover says it whole";
  EXPECT_TRUE(std::any_of(host.logLines.begin(), host.logLines.end(),
                          [&](const host::LogLine& l) { return l.text.find(line) != std::string::npos; }));
  // The state's text, behind its eight bytes of header.
  const std::vector<std::uint8_t> saved = state();
  ob::JsonValue doc;
  std::string error;
  ASSERT_TRUE(ob::parseJson(std::string(saved.begin() + 8, saved.end()), doc, error)) << error;
  const std::string hat = part().tracks[2].id;
  EXPECT_EQ(ob::writeJson(*doc.find("state")->find("voices")->find(hat)).find("lfo"), std::string::npos);
  EXPECT_EQ(ob::writeJson(*doc.find("state")->find("macros")).find(hat + ":"), std::string::npos);
  const ob::JsonValue& grid = *doc.find("audition")->find("ext")->find("com.orbitrane.steps/1");
  EXPECT_EQ(grid.find("voices")->find(hat)->find("steps")->find("14")->find("locks"), nullptr);
  EXPECT_EQ(ob::writeJson(*doc.find("state")->find("sounds")).find("zonesOff"), std::string::npos);
  key("ctrl+z");
  EXPECT_EQ(std::memcmp(&view()->project(), &demo, sizeof demo), 0) << "undo brings it all back";
}

// Over a state holding a macro destination this build keeps unapplied,
// which a kit coming in lets go: the kit's message says it too.
TEST_F(EditorFlows, KitsFromTheHeader) {
  KitBrowser& kits = view()->kitBrowser();
  const auto kitName = [&] {
    const ob::Kit& kit = part().kit;
    return std::string(kit.name, strnlen(kit.name, sizeof kit.name));
  };
  const std::string kept = R"({"kind":"instance","spec":"1.0","plugin":"orbitrane","formatVersion":1,"state":{
    "sounds":{"s-kick":{"machine":"drum"}},"voices":{"v-kick":{"order":0,"sound":"s-kick"}},"macros":{"macro1":
    {"dests":{"v-kick:tune":{"voice":"v-kick","param":"tune","target":12}}}}}})";
  std::string error;
  ASSERT_TRUE(instance->loadState({kept.begin(), kept.end()}, error)) << error;
  const auto saysAll = [&](const std::string& kit) {
    const std::string said = view()->statusWhole().empty() ? view()->statusText() : view()->statusWhole();
    EXPECT_TRUE(said.starts_with("Loaded " + kit)) << said;
    EXPECT_NE(said.find("let go macro 1 destination v-kick:tune, which"), std::string::npos) << said;
    EXPECT_NE(host.logLines.back().text.find(said), std::string::npos) << "the log hears it whole";
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
  saysAll(wanted);
  key("ctrl+z");  // what it let go comes back, for the arrow's kit to let go

  const auto arrow = [&](int fromRight) {
    const ui::Rect f = view()->kitField();
    const float x = f.x + f.width - kFieldButton * (fromRight + 0.5f) - kFieldButtonGap * fromRight;
    session->click(static_cast<int>(x), static_cast<int>(f.y + f.height / 2));
    EXPECT_TRUE(session->runFrames(2));
    return kitName();
  };
  const std::string next = arrow(1);
  EXPECT_NE(next, wanted) << "> steps to another kit";
  saysAll(next);
  EXPECT_EQ(arrow(2), wanted) << "< steps back";
}

TEST_F(EditorFlows, ATypedTempoReachesTheState) {
  const ui::Rect field = view()->headerBar().tempoField();
  ASSERT_GT(field.width, 0.0f);
  session->doubleClick(static_cast<int>(field.x + field.width / 2),
                       static_cast<int>(field.y + field.height / 2));
  key("ctrl+a");
  std::string error;
  ASSERT_TRUE(session->type("150", error)) << error;
  key("Return");
  EXPECT_FLOAT_EQ(part().bpm, 150.0f);
  // Through the saved state and back into the instance under the editor.
  const std::vector<std::uint8_t> saved = state();
  ASSERT_TRUE(instance->loadState(saved, error)) << error;
  ASSERT_TRUE(session->runFrames(3));
  EXPECT_FLOAT_EQ(part().bpm, 150.0f);
}

// The first node of the graph that edits a parameter, can be typed and
// lies in the graph; -1 for none.
int editableNode(const NodeGraph& graph) {
  const graph::Layout l = graph.layout();
  for (int i = 0; i < static_cast<int>(graph.nodes.size()); ++i) {
    const graph::Node& node = graph.nodes[i];
    if (node.id >= 0 && node.label && graph::nodePosition(l, node)) return i;
  }
  return -1;
}

TEST_F(EditorFlows, TheHitGraphByDragAndTypedEntry) {
  const int track = view()->selectedTrack();
  const auto param = [&](int id) { return part().kit.sounds[part().tracks[track].soundIndex].params[id]; };
  NodeGraph& graph = view()->benchPage().anatomy.hitGraph;
  const int i = editableNode(graph);
  ASSERT_GE(i, 0);
  const int id = graph.nodes[i].id;
  {
    SCOPED_TRACE("a drag on a node changes its parameter and the rendered hit");
    const std::vector<std::uint8_t> before = state();
    const float was = param(id);
    const graph::Point at = *graph::nodePosition(graph.layout(), graph.nodes[i]);
    session->drag(static_cast<int>(at.x), static_cast<int>(at.y), static_cast<int>(at.x) + 30,
                  static_cast<int>(at.y) - 30);
    EXPECT_NE(param(id), was);
    const std::vector<float> a = renderedTrack(before, track), b = renderedTrack(state(), track);
    double most = 0.0;
    for (int step = 0; step < 16; ++step) most = std::max(most, differenceInStep(a, b, step));
    EXPECT_GT(most, 1e-3);
  }
  {
    SCOPED_TRACE("a right-click on a node opens the typed entry, Enter sets the value");
    const graph::Node node = graph.nodes[i];
    const float wanted =
        std::round((node.displayLo + (node.displayHi - node.displayLo) * 0.25f) * 10.0f) / 10.0f;
    ASSERT_GT(std::abs(graph::nodeDisplayValue(node) - wanted), std::abs(wanted) * 0.01f + 1e-3f);
    const graph::Point at = *graph::nodePosition(graph.layout(), node);
    session->click(static_cast<int>(at.x), static_cast<int>(at.y), 3);
    key("ctrl+a");
    std::string error;
    char typed[32];
    std::snprintf(typed, sizeof typed, "%g", wanted);
    ASSERT_TRUE(session->type(typed, error)) << error;
    key("Return");
    ASSERT_TRUE(session->runFrames(2));
    EXPECT_NEAR(graph::nodeDisplayValue(graph.nodes[i]), wanted, std::abs(wanted) * 0.01f + 1e-3f);
  }
}

// Stored pictures of the editor's window (scripts/renew-pictures.sh renews
// them).
std::filesystem::path storedPicture(const std::string& name) {
  return std::filesystem::path(OB_TEST_DATA_DIR) / "editor_pictures" / (name + ".png");
}

class EditorPictures : public EditorFlows {
 protected:
  // Dear ImGui has faded a modal's dimmed background fully in, or out.
  bool dimmingSettled() {
    ui::ContextScope scope(*editor().window()->ui());
    const float dim = ImGui::GetCurrentContext()->DimBgRatio;
    return dim == 0.0f || dim == 1.0f;
  }
  // The pointer parked outside the editor, the transport stopped, the
  // previews rendered, the fades done and the frames settled.
  void compare(const std::string& name) {
    SCOPED_TRACE(name);
    session->move(static_cast<int>(session->width()) + 40, 20);
    ASSERT_TRUE(session->runUntil([&] { return !view()->rendersPending() && dimmingSettled(); }, 60000.0));
    ASSERT_TRUE(session->runFrames(4));
    std::string error;
    const std::optional<host::Picture> drawn = session->picture(error);
    ASSERT_TRUE(drawn) << error;
    // Without a window manager the keyboard follows the pointer.
    session->move(static_cast<int>(session->width()) / 2, 4);
    EXPECT_TRUE(
        ui::test::matchesStoredPicture({drawn->width, drawn->height, drawn->rgba}, storedPicture(name)));
  }
};

TEST_F(EditorPictures, PagesAndPopups) {
  // The kit library shows its folder, in the user's data folder: here one
  // of a fixed name, so that the picture holds.
  const std::filesystem::path data = "/tmp/orbi-pictures-data";
  const ob::test::ScopedEnv dataHome("XDG_DATA_HOME", data.string());
  const auto dismiss = [&] {
    session->click(static_cast<int>(session->width()) - 3, static_cast<int>(session->height()) - 3);
  };
  key("ctrl+o");
  compare("kit_library_1");
  dismiss();
  const BenchPage& bench = view()->benchPage();
  click(bench.rects.addRow);
  compare("add_track_popup_1");
  dismiss();
  click(bench.rowRect(1), 3);
  compare("track_menu_1");
  dismiss();
  const ui::Rect kit = view()->kitField();
  session->click(static_cast<int>(kit.x + kit.width - kFieldButton / 2),
                 static_cast<int>(kit.y + kit.height / 2));
  compare("kit_save_form_1");
  dismiss();
  openHeaderMenu();
  compare("header_menu_1");
  clickItem("Keyboard shortcuts");
  compare("shortcuts_1");
  dismiss();
  {
    // The first macro selected by a click on its name, then its browser.
    const ui::ItemRecord* cell = waitForItem([](const ui::ItemRecord& i) { return i.idText == "cell"; });
    ASSERT_NE(cell, nullptr);
    session->click(static_cast<int>(cell->hitArea.x + cell->hitArea.width / 2),
                   static_cast<int>(cell->hitArea.y + 4));
    clickItem("macro.add");
    compare("macro_browser_1");
    dismiss();
  }
  // Every loadable slot in use is hard to reach by clicks; the notice is
  // what a recorded half asks for then.
  view()->bench().poolFullPending = 1;
  compare("pool_full_1");
  key("Return");
  clickText("SAMPLES");
  clickItem("filter");
  clickItem("kick");
  compare("samples_tag_filter_1");
  std::filesystem::remove_all(data);
}

// Each machine's bench; the drum last, with its second hit on and its first
// step locked and selected, at scale 1 and 1.5.
TEST_F(EditorPictures, BenchMachines) {
  const DemoBench demos[] = {
      {"bench_sampler_window_1", 1, ob::kMachineSample},
      {"bench_sampler_slices_1", 1, ob::kMachineSample, true},
      {"bench_granular_1", 2, ob::kMachineGranular},
      {"bench_synth_1", 3, ob::kMachineVa},
      {"bench_drum_1", 0, kKeepMachine, false, true},
  };
  for (const DemoBench& demo : demos) {
    stageDemoBench(*view(), demo);
    compare(demo.name);
  }
  reopen(1.5);
  compare("bench_drum_1_5");
}

// Benches that were once short of height: a drum with two hits, a kit of
// eight sampler tracks, and a sampler added as the seventh track.
TEST_F(EditorPictures, BenchesOnceShortOfHeight) {
  const std::pair<const char*, BenchState> benches[] = {
      {"bench_idm_glitch_1", BenchState{.kit = 5}},
      {"bench_70s_rock_1", BenchState{.kit = 8}},
      {"bench_new_sample_track_1", BenchState{.machine = BenchMachine::kSamplerWindow, .trackCount = 7}},
  };
  for (const auto& [name, state] : benches) {
    stageBenchState(*view(), state);
    compare(name);
  }
}

}  // namespace editor_flows_test
}  // namespace orbi::test
