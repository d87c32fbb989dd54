#pragma once
// Where things sit in a node graph: the time and frequency axes, the
// graph's sub-rectangles, each node's handle, hit tests, and the values a
// drag at a pointer position asks for. Pure functions of the model, the
// inner rectangle and the scale.

#include <optional>
#include <span>
#include <vector>

#include "editor/widgets/graph/graph_model.h"
#include "editor/widgets/graph/graph_shape.h"
#include "ui/geometry.h"

namespace orbi::graph {

struct Point {
  float x = 0.0f;
  float y = 0.0f;
};

// Everything a position in the graph depends on.
struct Layout {
  ui::Rect inner;       // the graph's rectangle inset by the scale
  float s = 1.0f;       // UI scale
  float window = 0.4f;  // seconds across the time axis
  Half half;
  Shape shape;
  std::span<const Node> nodes;
};

ui::Rect innerRect(const ui::Rect& graph, float s);

// The top of the frequency axis: the half's own, raised to the highest
// frequency a handle of it can be set to.
float frequencyHi(const Layout& l);
float xAtTime(const Layout& l, float t);
// The time a drag at x asks for: past the right edge it runs on, growing
// by e every width.
float dragTimeAtX(const Layout& l, float x);
float yForFrequency(const Layout& l, float f);
float frequencyForY(const Layout& l, float y);

ui::Rect toneBand(const Layout& l);
ui::Rect widthBar(const Layout& l);
// The node the choice chip steps through (the first of kind 17, else 14).
const Node* choiceNode(const Layout& l);
std::optional<ui::Rect> choiceChip(const Layout& l);
// The LFO chip beside node i's handle; none without an LFO or room. The
// second form takes the handle's place from the caller.
std::optional<ui::Rect> lfoChip(const Layout& l, int i);
std::optional<ui::Rect> lfoChip(const Layout& l, const Node& node, std::optional<Point> handle);
std::optional<ui::Rect> directionBand(const Layout& l);

// Whether modulation drags of the kind run up and down.
bool dragsVertically(int kind);
// Where the node's value puts its handle on the picture; none for nodes
// the half type does not place. Drags map the pointer from here.
std::optional<Point> nodePosition(const Layout& l, const Node& node);
// Where each node's handle is drawn and taken, in node order: its place on
// the picture, or moved a little across its drag axis where it would lie
// on a handle before it, so that handles never cover one another.
std::vector<std::optional<Point>> handlePlaces(const Layout& l);
std::optional<Point> handlePlace(const Layout& l, int i);
// The radius of the ring a modulated handle wears, scaled: the most a
// handle covers around its place.
inline constexpr float kHandleRingRadius = 6.0f;
// The square a handle covers, ring and all, at its place; none for a node
// without a handle.
ui::Rect handleBounds(Point place, float s);
std::optional<ui::Rect> handleBounds(const Layout& l, int i);

// The node whose handle lies nearest p within 14 scaled pixels (or the
// reach given); -1 none.
int nearestNode(const Layout& l, Point p);
int nearestNode(const Layout& l, Point p, float reach);
// The node whose handle is under p (within 7 scaled pixels): it takes the
// press before a chip drawn near it; -1 none.
int grabbedNode(const Layout& l, Point p);
struct ChipHit {
  int node = -1;
  int zone = 0;  // 0 shape, 1 trigger mode, 2 rate
};
ChipHit chipAt(const Layout& l, Point p);

// Where a value drag started: the value, and the handle's y then.
struct DragStart {
  float value = 0.0f;  // display units
  float y = 0.0f;
};
// The amount kinds that a drag moves by the distance dragged, 120 scaled
// pixels upwards for the whole range, rather than to the pointer: their
// handles hang off a frequency and may sit at an edge.
bool dragsByDistance(const Layout& l, const Node& node);
// The display value a value drag with the pointer at p asks for; none for
// kinds that are not dragged.
std::optional<float> dragDisplayValue(const Layout& l, const Node& node, Point p, DragStart start);
// The pixels along its drag axis over which a value drag of the node's
// handle, taken at the handle, sweeps the whole display range; infinite
// when the drag does not move the value.
float dragSpan(const Layout& l, const Node& node, Point handle, DragStart start);
// Where along its drag axis from the handle a value drag's mapping gives
// the value at the press: the drag runs from there, so that a handle
// clamped into the picture moves on from its value and reaches both ends
// of its range. The handle itself when the mapping never gives the value.
Point dragOrigin(const Layout& l, const Node& node, Point handle, DragStart start);
// The 0..1 amount of a modulation drag with the pointer at p.
float modAmount(const Layout& l, const Node& node, Point p);

}  // namespace orbi::graph
