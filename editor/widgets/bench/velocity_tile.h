#pragma once
// The small VELOCITY tile at the bottom of the bench page: what changes as
// a hit gets harder, soft on the left and hard on the right. It edits the
// selected sound's velocity routes (a parameter opening by an amount as the
// velocity rises, drawn as a ramp to a handle on the right edge) and, for
// sounds playing pool samples, its velocity or round-robin layers (zones of
// the velocity range separated by draggable dividers, with a chip cycling
// the layer mode). The bench controller hands it a model on each rebuild
// and installs the callbacks. Main thread, inside the editor's frame.

#include <imgui.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/widgets/number_entry.h"
#include "ui/geometry.h"
#include "ui/interact/interaction.h"
#include "ui/popups/menu.h"

namespace orbi {

class VelocityTile {
 public:
  static constexpr int kMaxZones = 8;
  // Design pixels either side of a divider that take it.
  static constexpr float kDividerReach = 5.0f;

  enum HitKind : int { kNothing = -1, kRoute = 0, kDivider = 1, kZone = 2, kModeChip = 3 };
  enum LayerMode : int { kVelocity = 0, kRoundRobin = 1, kVelocityRoundRobin = 2 };
  enum Popup : int { kNoPopup = 0, kRouteMenu = 1, kAddMenu = 2, kZoneMenu = 3 };
  enum Command : std::uint32_t {
    kTypeValue = 1,
    kRemoveRoute = 2,
    kAddSplit = 2,
    kRemoveSplit = 3,
    kFirstCandidate = 100,
  };

  struct Route {
    int param = -1;       // for the sound's machine
    std::string label;    // the parameter's name
    float amount = 0.0f;  // -1..1
  };
  struct Candidate {
    int param = -1;
    std::string label;
  };
  struct Model {
    bool sampleBased = false;  // zones, dividers and the chip only then
    int zoneCount = 0;         // 0..8
    int layerMode = kVelocity;
    std::vector<int> zoneVelMax;  // ascending, 0..127
    std::vector<int> zoneSlots;
    std::vector<std::string> slotNames;  // by slot index; empty when unnamed
    std::vector<Route> routes;           // at most 8
    std::vector<Candidate> candidates;
  };
  struct Hit {
    int kind = kNothing;
    int index = -1;
  };

  VelocityTile();
  // The entry's callback points back here.
  VelocityTile(const VelocityTile&) = delete;
  VelocityTile& operator=(const VelocityTile&) = delete;

  void setModel(Model m);
  const Model& model() const { return model_; }

  // One frame in the tile's own id scope: the rect, the input, the paint,
  // the popups and the entry.
  void draw(const ui::Rect& r);
  // The steps of draw, in its order, inside the tile's id scope.
  void handleInput();
  void paint(ImDrawList* dl) const;
  void runPopups();

  // Without routes the tile is one line: its title, the zones (or the hint
  // that a right-click adds a route) and the soft-to-hard scale side by
  // side.
  bool folded() const { return model_.routes.empty(); }
  // A sample sound with zones: the zones, dividers and mode chip show.
  bool layered() const { return model_.sampleBased && zones() >= 1; }
  ui::Rect graphRect() const;
  // The mode chip, as wide as its longest word: beside the folded graph,
  // else in the header, left of the scale.
  ui::Rect modeChip() const;
  static float chipWidth();
  // The width the scale right of the folded graph keeps.
  float legendRoom() const;
  static const char* modeWord(int mode);
  // What the scale beside the title says: soft to hard, or how a layered
  // sound's mode picks the layer of each hit.
  const char* legend() const;
  static const char* layeredLegend(int mode);
  Hit hitTest(ImVec2 p) const;
  // The zones the model can back: a short list is never read past its end.
  int zones() const;
  std::string slotLabel(int slot) const;
  // The velocities zone z plays: "vel 1–52".
  std::string velocityRange(int z) const;
  void buildRouteMenu(Hit at);
  void commitTyped(int id, float typed);
  // Where route j's handle is, and where it is drawn and grabbed: a point
  // below the tile is brought up to its bottom edge.
  ImVec2 handlePoint(int j) const;
  ImVec2 shownHandlePoint(int j) const;
  float xOfVelocity(int v) const;

  std::function<void(int param, float amount)> onRoute;  // amount 0 removes
  std::function<void(int zone, int velMax)> onZoneLimit;
  std::function<void(int zone, int slot)> onZoneSlot;
  std::function<void(int count, int mode)> onLayers;

  ui::Rect rect;
  std::string help;
  std::vector<ui::MenuEntry> routeMenu, addMenu, zoneMenu;
  NumberEntry entry;

 private:
  void press(ImVec2 at);
  void drag(const ui::Interaction& it);
  void release(bool click);
  void setRouteAmount(int j, float amount);
  void moveDivider(int i, float x);
  void buildZoneMenu();
  void runRouteMenu();
  void runAddMenu();
  void runZoneMenu();
  void paintZones(ImDrawList* dl, const ui::Rect& g) const;
  void paintRoutes(ImDrawList* dl, const ui::Rect& g) const;

  Model model_;
  // Gesture and popup state, from a press to its release or the popup's
  // close.
  int hoverKind_ = kNothing;
  int hoverIndex_ = -1;
  int dragKind_ = kNothing;
  int dragIndex_ = -1;
  float amountAtPress_ = 0.0f;  // of the grabbed route
  float grabDx_ = 0.0f;         // from the press to the grabbed divider
  int pressedZone_ = -1;
  int pendingPopup_ = kNoPopup;
  int selectedRoute_ = -1;
  int selectedParam_ = -1;
  int popupZone_ = -1;
};

}  // namespace orbi
