#pragma once
// The bench page's band showing the selected sound's voice chain: a tile
// for each active stage, left to right in chain order, and at the right end
// an add-stage tile whose popup offers the stages not shown. The bench
// controller writes the flags and the tiles' values before each frame and
// installs their callbacks. Main thread, inside the editor's frame.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/widgets/chain/amp_tile.h"
#include "editor/widgets/chain/drive_tile.h"
#include "editor/widgets/chain/filter_tile.h"
#include "editor/widgets/chain/room_tile.h"
#include "editor/widgets/chain/stage.h"
#include "editor/widgets/chain/transient_tile.h"
#include "ui/geometry.h"
#include "ui/popups/menu.h"

namespace orbi {

class ChainStrip {
 public:
  ChainStrip() = default;
  // The tiles' entries point back into them.
  ChainStrip(const ChainStrip&) = delete;
  ChainStrip& operator=(const ChainStrip&) = delete;

  void draw(const ui::Rect& r);
  void drawAddStage(const ui::Rect& a);
  // Where the tiles of the active stages go in the strip, in stage order;
  // an inactive stage's rectangle is empty. Also the add-stage tile's.
  struct Layout {
    std::array<ui::Rect, ob::chainstage::kStageCount> tiles{};
    ui::Rect addStage;
  };
  Layout layout(const ui::Rect& r) const;

  std::function<void(ob::chainstage::Stage)> onAddStage;
  RoomTile room;
  TransientTile transient;
  AmpTile amp;
  DriveTile drive;
  FilterTile filter;
  std::array<std::uint8_t, ob::chainstage::kStageCount> stageActive{};  // in stage order
  std::vector<ui::MenuEntry> addStageEntries;                           // rebuilt by every draw
  std::string tooltipText;
  ui::Rect rect;

 private:
  void drawTile(ob::chainstage::Stage stage, const ui::Rect& r);
};

}  // namespace orbi
