#pragma once
// Binds the bench page to the project. The page and its views never touch
// the project: every gesture leaves a view through a function object that
// wire() installs once, becomes edit commands applied through the editor
// context, and ends in a rebuild that writes what the views show from the
// project again. Main thread, inside the editor's frame or a handler
// called from it.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/widgets/chain/stage.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"
#include "ui/geometry.h"
#include "ui/popups/menu.h"

namespace orbi {

class BenchPage;
class EditorContext;

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
  bool selectedStepActive() const;
  float stepLevel() const;
  float trackGain() const;

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

  // ---- Operations shared with the panels
  static int ticksPerStep(int index);
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

 private:
  ob::Pattern& pattern() const;
  // The selected track when it is a track of the part, else -1.
  int validTrack() const;
  void send(ob::EditCommand command);
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
};

}  // namespace orbi
