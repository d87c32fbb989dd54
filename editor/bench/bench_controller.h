#pragma once
// Binds the bench page to the project. The page and its views never touch
// the project: every gesture leaves a view through a function object that
// wire() installs once, becomes edit commands applied through the editor
// context, and ends in a rebuild that writes what the views show from the
// project again. Main thread, inside the editor's frame or a handler
// called from it.

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "editor/bench/preview_buffer.h"
#include "editor/render_budget.h"
#include "editor/widgets/chain/stage.h"
#include "editor/widgets/graph/graph_model.h"
#include "editor/widgets/param_widget.h"
#include "editor/widgets/sample/sample_view.h"
#include "engine/engine/output_gains.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"
#include "ui/geometry.h"
#include "ui/popups/menu.h"

namespace orbi {

class BenchPage;
class EditorContext;
class HalfBrowser;
class NodeGraph;

// The panel a half preset belongs to.
enum class PanelGroup : int { kHit = 8, kBody = 9 };

class BenchController {
 public:
  // Track menu command ids.
  enum MenuCommand : std::uint32_t {
    kRemoveTrack = 1,
    kFillLinear = 2,
    kFillRandom = 3,
    kDuplicateTrack = 4,
    kLife = 5,
    kNoChoke = 10,
    kFirstChoke = 11,  // 11..18 choke group 0..7
  };
  // The halves of a modelled drum, for auditions and previews.
  enum Half : int { kHit = 0, kSecondHit = 1, kBody = 2 };

  // Where a sampler or granular parameter is edited.
  enum class Lane : int { kNone, kSampleView, kTitleStrip, kSpeed, kTone, kGrains, kAmp };

  // A random amount on a parameter index.
  struct RandomAmount {
    int param = 0;
    float amount = 0.0f;
  };

  struct AddTrackChoice {
    std::uint8_t machine = 0;
    bool chosen = false;
  };

  // Both outlive the controller; nothing is installed until wire().
  BenchController(EditorContext& context, BenchPage& page);
  BenchController(const BenchController&) = delete;
  BenchController& operator=(const BenchController&) = delete;

  // Installs every handler of the page and its views; once, last in the
  // root view's constructor.
  void wire();
  // The page shows the project as it is now.
  void rebuild();
  // The bench page of the editor's frame: the live values of the graphs,
  // the page, then the popups it asked for.
  void drawPage(const ui::Rect& r);
  // The engine's modulated value of a parameter of the track selected now;
  // empty while no track 0..7 is selected.
  std::function<float(int)> tickLive() const;
  // Whether the engine's values would move a live mark of the page now.
  bool liveMoved() const;

  // ---- Writes shared by the handlers
  // A lock of the selected step while it is active, else the sound itself.
  void setParamValue(int index, float value);
  // The same by key, for the selected sound's machine; an unknown key does
  // nothing.
  void setParamByName(std::string_view key, float value);
  void setStepField(int step, int field, float value);

  // ---- Reads
  // The sound the track plays at the selected step, its locks applied.
  ob::Sound soundAtSelection(const ob::Pattern& pattern, int track) const;
  // The pool slot the selected sampler plays through its window, else -1.
  int selectedSampleSlot() const;
  std::string trackLabel(int track) const;
  float stepLevel() const;
  // How the selected track's hit at the selected step reaches the main
  // output: the track's gain at the step's pan.
  ob::OutputGains trackOutput() const;

  // ---- Tracks: the add-track popup and the track menu
  void drawTrackMenu();
  AddTrackChoice addTrackPopup();
  void addTrackOf(std::uint8_t machine);
  // Builds the menu for the track and opens it on the next frame.
  void trackMenuEntries(int track);
  void runTrackMenuAction(int track, int id);
  void setChokeGroup(int track, int group);
  bool hasLife(const ob::Pattern& pattern, int track) const;
  static std::string removeTrackBlocker(const ob::TrackRemovalStatus& status);
  void fillSlicesAcrossTrigs(int track, bool random);

  // ---- Chain stages and auditions
  void bindChainStages();
  void addStage(ob::chainstage::Stage stage);
  void audition();
  void auditionWithParam(int half);

  // ---- Chop markers of the selected sample
  void moveChop(int marker, float position);
  void addChop(float position);
  void removeChop(int marker);
  void onDetectChops();
  void onDivideChops(int n);
  void clearChops();
  void applyChops(int slot, const float* positions, int count);

  // ---- Modulation and layers
  void lfoReach(int param, float amount);
  void breathe(int param, float amount);
  void lfoShape(int lfo);
  void lfoRate(int lfo);
  void lfoTrig(int lfo);
  void splitLayers(int count, int mode);

  // ---- Panels of the selected sound, the last step of a rebuild
  void buildPanels();
  void buildChainPanel(const ob::Sound& sound);
  void buildSamplePanel(const ob::Sound& sound);
  static Lane laneOf(int machine, std::string_view key, bool slicesOn);
  // One slot a key the machine has, with its modulation marks.
  void fillSlots(ParamWidget& widget, const ob::Sound& sound, std::initializer_list<const char*> keys) const;
  std::vector<SampleView::Chip> sampleFlagChips(const ob::Sound& sound);
  // Appends to the chips being built; nothing for a key the machine lacks.
  void addFlagChip(const char* key);
  // prefix + key in the sound being built; 0 when the machine lacks it.
  float readParamByKey(std::string_view prefix, std::string_view key) const;
  const char* slotName(int slot) const { return slot >= 0 && slot < ob::kSampleSlots ? slotNames[slot] : ""; }
  int slotNameCount() const { return slotNameCount_; }

  // ---- Drum halves: presets, models and modulation marks
  void buildHalfPresets(HalfBrowser& browser, const ob::Sound& sound, const char* typeKey, PanelGroup group,
                        const char* prefix);
  void appendRecordedHalves(std::vector<ParamWidget::ResolvedPreset>& presets, const ob::Sound& sound,
                            PanelGroup group, std::string_view prefix);
  // paramBase 0 for the hit, 7 for the second hit; ignored for the body.
  void buildHalfModel(NodeGraph& graph, const ob::Sound& sound, bool isBody, int halfType,
                      int paramBase) const;
  static graph::Shape halfShape(const ob::Sound& sound, bool isBody, int paramBase);
  // The lock (at the hit of step, -1 none), LFO range, envelope range and
  // macro target of one parameter of a track, in parameter units.
  static ParamWidget::ModMarks modulationSummary(const ob::Pattern& pattern, int soundIndex, int track,
                                                 int step, int machine, int param);
  void decorateNode(graph::Node& node) const;

  // ---- Rendered previews
  void buildPreviews();
  int halfPreviewFrames(const ob::Sound& sound, bool isBody, int paramBase) const;
  // The track's random amounts, then the step's (step -1: none).
  static std::vector<RandomAmount> effectiveRandoms(const ob::Track& track, int step);
  static ob::Sound applyRandomDraws(const ob::Sound& sound, const std::vector<RandomAmount>& randoms,
                                    std::int64_t seed);
  void buildHitShapes(const ob::Sound& sound);
  // Renders the stale previews within the frame's budget, in passes: a
  // pass starts once 100 ms of the frame clock have passed since the last
  // one started and goes over the pictures in order, as many frames as it
  // takes; each view shows its new picture as soon as it is in. Pictures
  // a pass has gone by wait for the next. Asks for the next frame while
  // any picture is stale.
  void renderPreviews(double nowMs, RenderBudget& budget);
  // The graphs that show the selected track's live values; null for the
  // second hit while there is none.
  std::array<NodeGraph*, 3> liveGraphs() const;
  // Renders whatever is stale now.
  void flushPreviews();
  // A picture the page shows is stale (also while a pass waits for its time).
  bool previewsPending() const;
  // The editor changed the pool or its slot table.
  void samplesChanged() { ++sampleEdits_; }
  // Passes that rendered something.
  int previewRenders() const { return previewRenders_; }

  // ---- Operations shared with the panels
  // A copy of a drum with the other halves silenced, never reversed.
  static ob::Sound isolateHalf(const ob::Sound& sound, int half);
  // "exc1_tone" with "exc2_" gives "exc2_tone"; other keys stay.
  static std::string retargetKey(std::string_view key, std::string_view prefix);

  EditorContext* context;
  BenchPage* page;
  std::uint8_t addPopupPending = 0;
  ui::Rect addTrackAnchor;
  std::vector<ui::MenuEntry> trackMenu;  // of the track menu last opened
  int trackMenuTrack = -1;
  std::uint8_t trackMenuPending = 0;
  std::uint8_t poolFullPending = 0;
  // One 32-bit seed for the random slice fill; the platform's random
  // device unless replaced.
  std::function<std::uint32_t()> seedSource;
  // Names of the pool slots, "slot %d" for an unnamed one; the graphs'
  // slot choices point here, so the storage never moves.
  char slotNames[ob::kSampleSlots][64] = {};

 private:
  // One step of the pass renderPreviews describes; true when it handed a
  // view a new picture.
  bool renderPreviewPass(double nowMs, RenderBudget& budget);
  ob::Pattern& pattern() const;
  // The selected track when it is a track of the part, else -1.
  int validTrack() const;
  void send(ob::EditCommand command);
  // The same for an edit that adds entries to the saved document's lists
  // (saveRefusalAfter): one a save could not hold is not sent, and the
  // status line says why ("Could not " + what). True when sent.
  bool sendUnlessSaveRefuses(ob::EditCommand command, std::string_view what);
  ob::EditCommand command(std::uint8_t kind, int track, int step, int index, float value) const;
  void setDrumParam(const char* key, float value);
  void retrigCount(int step, int count);
  void retrigRate(int step, bool up);
  void solo(int track);
  void toggleChip(int index);
  void writeStarterValues(ob::Sound& sound) const;
  void writeStepRecords(const ob::Track& track);
  void wirePage();
  void wireGrid();
  void wireAnatomy();
  void wireDrawerAndRoom();
  void wireVelocity();
  void wireSampler();

  void refreshSnapshot();
  void relayOut();
  void buildSlotNames();
  void buildVelocityModel(const ob::Sound& kitSound);
  void buildDrawerRows(const ob::Sound& sound, const ob::Sound& kitSound);
  void copyRowsToFaders();
  void buildDrum(const ob::Sound& sound);
  void requestHalfPreviews(const ob::Sound& sound);
  void handPreviews();
  void handPlanned(const std::function<bool(const PreviewBuffer&)>& renewed);
  // Every buffer the views show now, in the order a pass renders them
  // (self is the controller, const or not).
  template <typename Self, typename Visit>
  static void forEachPlanned(Self& self, Visit&& visit);
  // What each view shows of the buffers, written by the rebuild.
  struct PreviewPlan {
    bool grid = false;
    std::array<std::uint8_t, 16> cells{};  // 0 none, 1 a waveform, 2 eight variations
    bool drum = false;
    bool secondHit = false;
    bool operator==(const PreviewPlan&) const = default;
  };
  PreviewKey keyOf(const ob::Sound& sound, int frames, std::int64_t seed = 0, bool trim = false) const;

  ob::SamplePoolSnapshot snapshot_;
  int slotNameCount_ = 0;
  std::array<const char*, ob::kSampleSlots> slotNamePointers_{};  // into slotNames
  // The sound the panel builders are working on, with and without locks.
  ob::Sound panelSound_;
  ob::Sound kitSound_;
  std::vector<SampleView::Chip>* chipsBeingBuilt_ = nullptr;

  PreviewBuffer basePreview_;
  std::array<PreviewBuffer, 16> stepPreviews_;
  std::array<std::array<PreviewBuffer, 8>, 16> variationPreviews_;
  std::array<PreviewBuffer, 3> halfPreviews_;  // by Half
  PreviewBuffer wholePreview_;
  PreviewPlan plan_;
  PreviewPlan handedPlan_;
  bool planHanded_ = false;
  std::uint32_t sampleEdits_ = 0;
  std::uint32_t builtSampleEdits_ = 0;   // as the last rebuild saw them
  std::uint32_t sampleViewEdits_ = ~0u;  // when the sample view's audio was last handed over
  double lastRenderMs_ = -1e300;         // when the last pass started
  int previewRenders_ = 0;
  // The pass under way: the next picture to look at, whether it rendered
  // anything yet, and the render it lends the picture it works on.
  bool passOpen_ = false;
  std::size_t passCursor_ = 0;
  bool passRendered_ = false;
  PreviewWork work_;
};

}  // namespace orbi
