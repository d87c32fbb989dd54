#pragma once
// What the drawing primitives painted, so widget tests can read it without
// pixels. A UI context with a log attached (tests and benchmarks only; null
// in the product) gets one record per primitive call, in the caller's terms:
// colours 0xAARRGGBB, widths, radii, dashes and gaps as passed, before the
// UI scale is applied; and one record per interactive item, so tests can
// find an item by its id text and point at it.

#include <imgui.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/draw/text_style.h"
#include "ui/geometry.h"

namespace orbi::ui {

enum class DrawOp : std::uint8_t {
  FillRect,
  StrokeRect,
  FillCircle,
  StrokeCircle,
  FillCircleSmooth,
  FillTriangle,
  Polyline,
  StrokePath,
  Line,
  FillUnder,
  FillBetween,
  FillBand,
  TrackedText,
  TextAt,
  Text,
  Picture,  // rect: where the picture was drawn
  FillQuad,
};

struct DrawRecord {
  DrawOp op = DrawOp::FillRect;
  Rect rect;  // rectangles and text boxes
  // Circle centre, triangle and quad corners, line ends, polyline or a band's upper
  // edge, text origin. A band's column i starts at points[i].x.
  std::vector<ImVec2> points;
  // The band's other edge: fillUnder's points on the baseline, fillBetween's
  // lower line, fillBand's b values.
  std::vector<ImVec2> partners;
  std::uint32_t colour = 0;     // the centre colour of a smooth disc
  std::uint32_t rimColour = 0;  // smooth discs only
  float width = 0.0f;           // line width; fillBand's column width
  float radius = 0.0f;          // corner radius (design units) or circle radius (pixels)
  float dash = 0.0f;
  float gap = 0.0f;
  std::string text;
  TextStyle style = TextStyle::Body;
  TextAlign alignment = TextAlign::Left;
  float fontSize = 0.0f;  // tracked text: size and tracking in pixels
  float tracking = 0.0f;
};

// One handle a widget drew this frame: where it is and which drags move it,
// so tests can take every handle of a view without knowing the widget.
struct HandleRecord {
  const void* owner = nullptr;  // the widget that drew it
  std::string name;             // what it sets; one handle a name in its widget
  ImVec2 centre;
  bool horizontal = false;  // a sideways drag sets a value
  bool vertical = false;    // an up or down drag does
  bool held = false;        // the widget is dragging it
};

// One interactive item as it was registered this frame.
struct ItemRecord {
  std::string idText;   // the id text the caller passed
  ImGuiID id = 0;       // Dear ImGui's id of it in the id scope it was made in
  Rect hitArea;         // may have a negative width or height (an empty area)
  int cursor = 0;       // the Dear ImGui cursor it shows while hovered or held
  std::string tooltip;  // empty for none
};

class DrawLog {
 public:
  void add(DrawRecord record) { records_.push_back(std::move(record)); }
  void addItem(ItemRecord item) { items_.push_back(std::move(item)); }
  void addHandle(HandleRecord handle) { handles_.push_back(std::move(handle)); }
  void clear() {
    records_.clear();
    items_.clear();
    handles_.clear();
  }
  std::span<const DrawRecord> records() const { return records_; }
  // The records of one operation, in drawing order.
  std::vector<const DrawRecord*> find(DrawOp op) const;

  std::span<const ItemRecord> items() const { return items_; }
  // The first item registered under the id text, or null.
  const ItemRecord* findItem(std::string_view idText) const;

  std::span<const HandleRecord> handles() const { return handles_; }
  // The handle of the widget with the name, or null.
  const HandleRecord* findHandle(const void* owner, std::string_view name) const;

 private:
  std::vector<DrawRecord> records_;
  std::vector<ItemRecord> items_;
  std::vector<HandleRecord> handles_;
};

// The current UI context's log, or null when none is attached.
DrawLog* activeDrawLog();

// Appends a record of the operation and colour, completed by fill(record),
// when a log is attached; costs one test otherwise.
template <typename Fill>
void logDraw(DrawOp op, std::uint32_t colour, Fill&& fill) {
  if (DrawLog* log = activeDrawLog()) {
    DrawRecord record;
    record.op = op;
    record.colour = colour;
    fill(record);
    log->add(std::move(record));
  }
}

// Which drags move a handle.
enum HandleAxes : std::uint8_t { kAlongX = 1, kAlongY = 2, kAlongBoth = 3 };

// Notes a handle the widget drew that lies inside the current clip
// rectangle: the frame's tooltip keeps off it where it can, and a log, when
// one is attached, records it.
void logHandle(const void* owner, std::string_view name, ImVec2 centre, HandleAxes axes, bool held);

}  // namespace orbi::ui
