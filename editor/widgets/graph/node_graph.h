#pragma once
// The shape editor of one half of a modelled drum: the half's sound drawn
// as a picture, with a draggable handle per parameter. A drag sets a value,
// an Alt-drag draws an LFO's reach, a Shift-drag a breathe amount, a
// right-click types a value, and a click on a handle's LFO chip steps the
// LFO's shape, trigger mode or rate. Every edit leaves through the
// callbacks; the owner answers by installing a new model, possibly inside
// the callback. Main thread, inside the editor's frame.

#include <functional>
#include <vector>

#include "editor/widgets/graph/graph_layout.h"
#include "editor/widgets/graph/graph_model.h"
#include "editor/widgets/number_entry.h"
#include "ui/draw/wave_overview.h"
#include "ui/geometry.h"

namespace orbi {

class NodeGraph {
 public:
  using Node = graph::Node;
  using Model = graph::Model;
  using Shape = graph::Shape;

  std::function<void(int id, float value)> value;  // parameter units
  std::function<void()> editDone;                  // the end of a gesture
  std::function<void(int id, float amount)> lfoReach;
  std::function<void(int id, float amount)> breathe;
  std::function<void(int lfo)> lfoShape;
  std::function<void(int lfo)> lfoRate;
  std::function<void(int lfo)> lfoTrig;

  bool body = true;
  int mode = 0;
  Shape shape;
  std::vector<Node> nodes;
  // The half's shape in each random variation of the selected hit, drawn as
  // ghosts; written by the owner.
  std::vector<Shape> hitShapes;
  std::uint8_t breatheEnabled = 0;  // written by the owner

  NodeGraph();

  // Once a frame: input, then the picture, then the typed-value box.
  void draw(const ui::Rect& rect);
  // Takes the model's nodes over.
  void setModel(Model model);
  // The rendered preview shown behind the picture (not owned; the caller
  // keeps it alive) and the seconds the time axis spans.
  void setWaveform(const float* samples, int frames, float windowSeconds);
  // Refreshes the live positions from the parameters' modulated values.
  void pollLive(const std::function<float(int id)>& getter);
  // Whether pollLive would move a live mark now.
  bool liveMoved(const std::function<float(int id)>& getter) const;
  void setHitShapes(std::vector<Shape> shapes) { hitShapes = std::move(shapes); }

  const ui::Rect& rect() const { return rect_; }
  float window() const { return window_; }
  // The drag in progress: node index or -1.
  int valueDragNode() const { return valueDrag_; }
  int lfoDragNode() const { return lfoDrag_; }
  int breatheDragNode() const { return breatheDrag_; }
  int hoveredNode() const { return hovered_; }
  int hoveredChipNode() const { return hoveredChip_; }
  bool overChoiceChip() const { return overChoice_; }
  const NumberEntry& entry() const { return entry_; }
  static const char* helpText();
  // Where the nodes lie in the latest draw.
  graph::Layout layout() const;

 private:
  struct Press {
    graph::Point p;
    bool shift = false;
    bool alt = false;
    bool ctrl = false;
    int button = 0;
  };

  bool validNode(int i) const { return i >= 0 && i < static_cast<int>(nodes.size()); }

  void handleInput();
  void continueDrag(graph::Point p);
  void endDrag();
  void updateHover(bool hovered, graph::Point p);
  void handlePress(const Press& press);
  bool pressChoiceChip(const graph::Layout& l, graph::Point p);
  bool pressLfoChip(const graph::Layout& l, graph::Point p);
  bool toggleDirection(const graph::Layout& l, graph::Point p);
  void openEntry(const graph::Layout& l, int i);
  void startValueDrag(const graph::Layout& l, int i, graph::Point p);
  void dragValue(graph::Point p);
  void dragModulation(int i, graph::Point p, const std::function<void(int, float)>& send);
  void commitTyped(int id, float display);

  void paint();

  ui::Rect rect_;
  const float* samples_ = nullptr;  // not owned
  int frames_ = 0;
  float window_ = 0.4f;
  ui::WaveOverview overview_;

  int hovered_ = -1;
  int hoveredChip_ = -1;
  bool overChoice_ = false;
  bool overDirection_ = false;

  int valueDrag_ = -1;
  int lfoDrag_ = -1;
  int breatheDrag_ = -1;
  graph::DragStart dragStart_;
  graph::Point handleAtPress_;  // where the drag's mapping gives the value at the press
  graph::Point dragFrom_;       // the pointer at the press
  float dragSpan_ = 0.0f;       // the pixels over which the drag sweeps the whole range
  float startDisplay_ = 0.0f;   // what the handle's own place asks for
  bool dragSent_ = false;       // the gesture has sent a value

  NumberEntry entry_;
};

}  // namespace orbi
