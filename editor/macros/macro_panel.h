#pragma once
// The macros panel: the selected part's four macros as cells with a name
// and a value fader, the selected macro's destinations as rows with a
// target slider, a parameter browser that adds destinations and a popup
// that renames a macro. It never writes the project: every change is an
// edit command handed to the root view, which takes the undo snapshot. Main
// thread, inside the root view's frame.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/column_layout.h"
#include "editor/panel_context.h"
#include "editor/widgets/row_window.h"
#include "engine/model/project.h"
#include "ui/geometry.h"

namespace orbi {

class MacroPanel {
 public:
  // One parameter the browser offers; the texts come from its descriptor.
  struct BrowserItem {
    std::uint32_t param = 0;  // combined index of the sound's machine
    std::string label;
    std::string group;
    std::string help;
  };
  // The browser's answer for one frame.
  struct BrowserChoice {
    std::int32_t param = -1;
    bool chosen = false;
  };
  // What a destination row shows.
  struct DestinationInfo {
    float base = 0.0f;  // the parameter's stored value
    float min = 0.0f;
    float max = 1.0f;
    std::string label;
    const char* unit = "";  // the parameter's, static
  };

  // Where the browser's headers and cells go, relative to its content.
  struct BrowserLayout {
    struct Placed {
      ui::Rect rect;
      int item = -1;  // index into the items; -1 for a group header
      std::string_view group;
    };
    std::vector<Placed> placed;
    float height = 0.0f;
  };

  // Heights of the panel's content, the add row counted in the title strip:
  // the cells alone (least), the cells and one row of the selected macro's
  // list (floor), with its first three rows (comfort), with every row at
  // its least (full) and at its most height (wanted), and the least row, by
  // which the list grows.
  using Heights = BandHeight;

  explicit MacroPanel(PanelContext& context) : ctx_(context) {}

  Heights contentHeights();
  // Lays out, draws and runs the cells, the destination rows, the browser
  // and the rename popup inside r. Once per frame. While no macro is
  // selected the hint goes into hintStrip, while one is the add row; each
  // into r when the strip is empty.
  void draw(const ui::Rect& r, const ui::Rect& hintStrip = {});
  // Lists the selected track's continuous parameters and opens the browser
  // for macro m from the next draw; nothing opens without a sound or such a
  // parameter.
  void openParamBrowser(int m);
  void showParamBrowser(std::string title, std::vector<BrowserItem> items);
  BrowserChoice drawParamBrowser(const ui::Rect& anchor);
  void renamePopup();
  static DestinationInfo describeDestination(const ob::Pattern& part, const ob::MacroDest& d);

  // The macro whose destinations are listed; -1 none. The root view clears
  // it when the part changes or a project opens.
  std::int32_t selectedMacro = -1;
  // The cells as laid out in the latest frame: the popups' anchors.
  std::array<ui::Rect, ob::kMacroCount> cellRects{};
  struct Browser {
    std::vector<BrowserItem> items;
    std::string title;
  } browser;
  std::int32_t browserMacro = -1;  // the macro the browser adds to; kept after it closes
  std::int32_t browserTrack = -1;  // the track whose sound it lists
  std::int32_t renameMacro = -1;   // -1 while no rename popup is up
  bool renamePending = false;      // open the popup and focus the field on the next pass
  std::string renameText;
  // What the rename field left out of a name typed or pasted past what a
  // macro's name holds, or why a destination was not added, said once; the
  // frame moves it to the status line.
  std::optional<std::string> pendingNotice;
  bool renameCutSaid = false;  // the rename up now has said that it left some out

 private:
  ob::Pattern* part();
  // The selected macro of the part, null for none.
  const ob::Macro* selected();
  // The list's rows at the pitch, or its "no destinations" line.
  static float listHeight(int count, float row);
  const ob::Sound* soundOfTrack(int track);
  void send(ob::EditKind kind, std::uint32_t track, std::uint32_t step, std::int32_t param, float value);
  void drawCell(int i, const ob::Kit& kit);
  void drawHint(const ui::Rect& list, const ui::Rect& hintStrip);
  // "+ add destination", right-aligned in the title strip or centred in a
  // row of its own.
  void drawAddRow(const ui::Rect& r, bool inStrip);
  // "macro full: 8 destinations" in the title strip, in the add row's place.
  void drawFull(const ui::Rect& strip);
  // The rows from the top, at most 20 design pixels each; whole rows of 16
  // at least when not all fit.
  void drawList(const ui::Rect& list, const ob::Pattern& part, const ob::Macro& macro);
  // False when the row was removed: the rows below wait for the next frame.
  bool drawDestinationRow(int j, const ui::Rect& row, const ob::Pattern& part, const ob::Macro& macro);
  BrowserChoice runParamBrowser(ui::Rect content, const BrowserLayout& layout);
  void addChosenDestination(const BrowserChoice& choice);

  PanelContext& ctx_;
  std::string cellLabel_;        // of the cell being drawn, kept for the frame
  std::string valueLabel_;       // its value while its fader is dragged or pointed at
  float atPress_ = 0.0f;         // the dragged fader's or target's 0..1 position at its press
  bool browserOpening_ = false;  // the browser opens on the next draw
  RowWindow rows_;               // the destination rows shown
  std::int32_t listMacro_ = -1;  // the macro whose rows they are
};

}  // namespace orbi
