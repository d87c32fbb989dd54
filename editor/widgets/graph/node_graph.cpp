#include "editor/widgets/graph/node_graph.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

#include "editor/widgets/drag_sweep.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/interact/interaction.h"

namespace orbi {

using graph::Layout;
using graph::NodeKind;
using graph::Point;

namespace {

constexpr float kLiveStep = 0.002f;  // smaller live movements are not stored

// The display value as a parameter value, each clamped into its own range.
float clampedParam(const graph::Node& node, float display) {
  const float shown = clampBetween(display, node.displayLo, node.displayHi);
  return clampBetween(graph::displayToParam(node, shown), node.paramLo, node.paramHi);
}

Point pointOf(ImVec2 v) { return {v.x, v.y}; }

}  // namespace

NodeGraph::NodeGraph() {
  entry_.onCommit = [this](int id, float display) { commitTyped(id, display); };
  entry_.shownAt = [this](int id) -> std::optional<NumberEntry::Shown> {
    const Layout l = layout();
    for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
      const std::optional<ui::Rect> handle = nodes[i].id == id ? graph::handleBounds(l, i) : std::nullopt;
      if (handle) return NumberEntry::Shown{*handle, rect_};
    }
    return std::nullopt;
  };
}

const char* NodeGraph::helpText() {
  return "The shape IS the params - drag a handle to reshape the sound.\n"
         "drag: set  /  alt-drag: add an LFO  /  shift-drag: breathe (per hit)  /  right-click a handle: "
         "type  /  "
         "click an LFO chip: shape, trig, rate";
}

Layout NodeGraph::layout() const {
  Layout l;
  l.s = ui::scale();
  l.inner = graph::innerRect(rect_, l.s);
  l.window = window_;
  l.half = {body, mode};
  l.shape = shape;
  l.nodes = nodes;
  return l;
}

void NodeGraph::draw(const ui::Rect& rect) {
  ImGui::PushID(this);
  rect_ = rect;
  handleInput();
  ImDrawList* dl = ImGui::GetWindowDrawList();
  dl->PushClipRect(ImVec2(rect.x, rect.y), ImVec2(rect.x + rect.width, rect.y + rect.height), true);
  paint();
  dl->PopClipRect();
  entry_.draw();
  ImGui::PopID();
}

void NodeGraph::setModel(Model model) {
  body = model.body;
  mode = model.mode;
  shape = model.shape;
  nodes = std::move(model.nodes);
  model.nodes.clear();
  // A model of another half type may arrive mid-gesture (an undo, a state
  // load): indices past the new nodes end their drag without editDone.
  for (int* index : {&valueDrag_, &lfoDrag_, &breatheDrag_, &hovered_, &hoveredChip_}) {
    if (!validNode(*index)) *index = -1;
  }
  const int typed = entry_.openId();
  if (typed < 0) return;
  const Layout l = layout();
  for (const Node& node : nodes) {
    if (node.id == typed && graph::nodePosition(l, node)) return;
  }
  entry_.close();
}

void NodeGraph::setWaveform(const float* samples, int frames, float windowSeconds) {
  samples_ = samples;
  frames_ = frames;
  window_ = windowSeconds > 0.0f ? windowSeconds : 0.4f;
  // Built at a rate of 1 so that positions are frames.
  overview_ = samples && frames > 0 ? ui::WaveOverview({samples, static_cast<std::size_t>(frames)}, 1.0)
                                    : ui::WaveOverview();
}

namespace {

// The live mark's new position, when the modulated value moved it.
std::optional<float> movedLive(const graph::Node& node, float modulated) {
  const float position =
      clamp01NanTo0((modulated - node.paramLo) / std::max(node.paramHi - node.paramLo, 1e-9f));
  if (std::fabs(position - node.liveAmount) > kLiveStep) return position;
  return std::nullopt;
}

}  // namespace

void NodeGraph::pollLive(const std::function<float(int id)>& getter) {
  if (!getter) return;  // nothing to read; positions stay as they were
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (!nodes[i].hasLive || nodes[i].id < 0) continue;
    const float modulated = getter(nodes[i].id);
    if (i >= nodes.size()) break;
    if (const std::optional<float> moved = movedLive(nodes[i], modulated)) nodes[i].liveAmount = *moved;
  }
}

bool NodeGraph::liveMoved(const std::function<float(int id)>& getter) const {
  if (!getter) return false;
  return std::any_of(nodes.begin(), nodes.end(), [&](const graph::Node& node) {
    return node.hasLive && node.id >= 0 && movedLive(node, getter(node.id)).has_value();
  });
}

void NodeGraph::handleInput() {
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = rect_;
  desc.axis = ui::DragAxis::Free;
  desc.cursor = ImGuiMouseCursor_Arrow;
  desc.tooltip = helpText();
  const ui::Interaction it = ui::interact("graph", desc);
  const ImGuiIO& io = ImGui::GetIO();
  const Point mouse = pointOf(io.MousePos);
  const bool down = io.MouseDown[ImGuiMouseButton_Left];

  if (valueDrag_ >= 0 || lfoDrag_ >= 0 || breatheDrag_ >= 0) {
    if (!down) {
      endDrag();
    } else if (io.MouseDelta.x != 0.0f || io.MouseDelta.y != 0.0f) {
      continueDrag(mouse);
    }
  }
  if (it.pressed) {
    handlePress({pointOf(it.pressPos), it.shiftAtPress, it.altAtPress, it.ctrlAtPress, 0});
  } else if (it.doubleClicked) {
    handlePress({mouse, io.KeyShift, io.KeyAlt, io.KeyCtrl, 0});
  }
  if (it.rightClicked) handlePress({mouse, io.KeyShift, io.KeyAlt, io.KeyCtrl, 1});
  if (!down) updateHover(it.hovered, mouse);
}

void NodeGraph::continueDrag(Point p) {
  if (lfoDrag_ >= 0) {
    dragModulation(lfoDrag_, p, lfoReach);
  } else if (breatheDrag_ < 0) {
    dragValue(p);
  } else {
    dragModulation(breatheDrag_, p, breathe);
  }
}

// Once, on the first frame the button is up, and only after a drag that
// sent something: the owner auditions the half on every editDone.
void NodeGraph::endDrag() {
  valueDrag_ = lfoDrag_ = breatheDrag_ = -1;
  if (dragSent_ && editDone) editDone();
  dragSent_ = false;
}

void NodeGraph::updateHover(bool hovered, Point p) {
  hovered_ = hoveredChip_ = -1;
  overChoice_ = overDirection_ = false;
  if (!hovered) return;
  const Layout l = layout();
  hovered_ = graph::grabbedNode(l, p);
  if (hovered_ >= 0) return;
  const std::optional<ui::Rect> chip = graph::choiceChip(l);
  const graph::Node* choice = graph::choiceNode(l);
  if (chip && chip->contains(p) && choice->choices && choice->choiceCount >= 1) {
    overChoice_ = true;
    return;
  }
  hoveredChip_ = graph::chipAt(l, p).node;
  if (hoveredChip_ >= 0) return;
  hovered_ = graph::nearestNode(l, p);
  if (hovered_ >= 0) return;
  const std::optional<ui::Rect> band = graph::directionBand(l);
  overDirection_ = band && band->contains(p);
}

// A press only picks what the drag that follows moves: nothing is sent
// until the pointer moves, and then from the value at the press.
void NodeGraph::handlePress(const Press& press) {
  const Layout l = layout();
  // A handle under the pointer comes before the chips drawn near it.
  const int grabbed = graph::grabbedNode(l, press.p);
  if (grabbed < 0 && pressChoiceChip(l, press.p)) return;
  if (grabbed < 0 && pressLfoChip(l, press.p)) return;
  const int i = graph::nearestNode(l, press.p);
  if (press.button == 1) {
    openEntry(l, i);
    return;
  }
  dragSent_ = false;
  if (i < 0) {
    if (!press.alt && !press.shift) toggleDirection(l, press.p);
    return;
  }
  if (press.alt && lfoReach) {
    lfoDrag_ = i;
  } else if (press.shift && breatheEnabled && breathe) {
    breatheDrag_ = i;
  } else {
    startValueDrag(l, i, press.p);
  }
}

void NodeGraph::startValueDrag(const Layout& l, int i, Point p) {
  valueDrag_ = i;
  const graph::Point handle = *graph::nodePosition(l, nodes[i]);
  dragStart_.value = graph::nodeDisplayValue(nodes[i]);
  dragStart_.y = handle.y;
  handleAtPress_ = graph::dragOrigin(l, nodes[i], handle, dragStart_);
  dragFrom_ = p;
  startDisplay_ = *graph::dragDisplayValue(l, nodes[i], handleAtPress_, dragStart_);
  dragSpan_ = graph::dragSpan(l, nodes[i], handleAtPress_, dragStart_);
}

bool NodeGraph::pressChoiceChip(const Layout& l, Point p) {
  const std::optional<ui::Rect> chip = graph::choiceChip(l);
  if (!chip || !chip->contains(p)) return false;
  const Node node = *graph::choiceNode(l);
  if (node.choices && node.choiceCount >= 1) {
    const int n = node.choiceCount;
    const int current = std::clamp(static_cast<int>(graph::nodeDisplayValue(node) + 0.5f), 0, n - 1);
    const int next = (current + 1) % n;
    if (node.id >= 0 && value) value(node.id, graph::displayToParam(node, static_cast<float>(next)));
    if (editDone) editDone();
  }
  return true;
}

bool NodeGraph::pressLfoChip(const Layout& l, Point p) {
  const graph::ChipHit hit = graph::chipAt(l, p);
  if (hit.node < 0) return false;
  const int lfo = nodes[hit.node].lfo;
  const std::function<void(int)>& send = hit.zone == 0 ? lfoShape : hit.zone == 1 ? lfoTrig : lfoRate;
  if (send) send(lfo);
  return true;
}

bool NodeGraph::toggleDirection(const Layout& l, Point p) {
  const std::optional<ui::Rect> band = graph::directionBand(l);
  if (!band || !band->contains(p)) return false;
  const Node reverse = *graph::firstOfKind(nodes, NodeKind::kReverse);
  if (reverse.id < 0 || !value) return true;
  const float next = graph::nodeDisplayValue(reverse) >= 0.5f ? 0.0f : 1.0f;
  value(reverse.id, graph::displayToParam(reverse, next));
  if (editDone) editDone();
  return true;
}

void NodeGraph::openEntry(const Layout& l, int i) {
  if (!validNode(i)) return;
  const Node& node = nodes[i];
  const std::optional<Point> handle = graph::handlePlace(l, i);
  if (node.id < 0 || !node.label || !handle) return;
  NumberEntry::Request request;
  request.id = node.id;
  request.value = graph::nodeDisplayValue(node);
  request.lo = node.displayLo;
  request.hi = node.displayHi;
  request.label = node.label;
  request.unit = node.unit;
  entry_.open(ImVec2(handle->x, handle->y), request);
}

// The handle moves as far as the pointer did since the press, or slower
// where the picture gives its whole range fewer pixels than the least
// sweep: the value is the one at the press, moved by what that distance
// means at the handle. A handle held at an edge (its value past the axis)
// so moves on from its value, not from the edge.
void NodeGraph::dragValue(Point p) {
  if (!validNode(valueDrag_)) return;
  // A copy: the value callback replaces the nodes.
  const Node node = nodes[valueDrag_];
  if (node.id < 0) return;
  const bool vertical = graph::dragsVertically(node.kind);
  const float s = ui::scale();
  const Point at{
      handleAtPress_.x + (vertical ? p.x - dragFrom_.x : sweptBy(p.x - dragFrom_.x, dragSpan_, s)),
      handleAtPress_.y + (vertical ? sweptBy(p.y - dragFrom_.y, dragSpan_, s) : p.y - dragFrom_.y)};
  const std::optional<float> display = graph::dragDisplayValue(layout(), node, at, dragStart_);
  if (!display || !value) return;
  const float next = clampedParam(node, dragStart_.value + (*display - startDisplay_));
  if (next == node.value) return;
  dragSent_ = true;
  value(node.id, next);
}

void NodeGraph::dragModulation(int i, Point p, const std::function<void(int, float)>& send) {
  if (!validNode(i) || !send) return;
  const Node node = nodes[i];
  if (node.id < 0) return;
  dragSent_ = true;
  send(node.id, graph::modAmount(layout(), node, p));
}

void NodeGraph::commitTyped(int id, float display) {
  for (const Node& node : nodes) {
    if (node.id != id) continue;
    const float v = graph::displayToParam(node, display);
    if (value) value(id, v);
    if (editDone) editDone();
    return;
  }
}

}  // namespace orbi
