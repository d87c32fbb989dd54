#pragma once
// The editor's one typed-value box. Every widget with a draggable value
// embeds a NumberEntry, opens it on a right-click with a request naming the
// value, its range and its unit, draws it once a frame after its own
// drawing, and gets the typed number through onCommit. The entry deals in
// the display units its owner chose; the owner converts back. The box is
// the framework's single number entry, so opening any entry closes every
// other one without its callback. Main thread, inside the editor's frame.

#include <imgui.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ui/controls/param.h"
#include "ui/geometry.h"

namespace orbi {

class NumberEntry {
 public:
  struct Request {
    int id = -1;         // the owner's own number for the value
    float value = 0.0f;  // in display units
    float lo = 0.0f;     // either order
    float hi = 1.0f;
    const char* label = nullptr;  // copied; may be null
    const char* unit = nullptr;   // kept, not copied; may be null or empty
  };

  // The Param the framework's box edits: a float in the request's range,
  // shown with the decimals its span calls for and the unit.
  class Value final : public ui::Param {
   public:
    const ui::ParamSpec& spec() const override { return spec_; }
    float value() const override { return held_; }
    void setValue(float v) override { held_ = v; }
    void beginEdit() override {}
    void endEdit() override {}
    std::string format(float v) const override;
    // The number that starts the text, in the box's unit: what follows it
    // may be the box's own unit (so the opening text reads back), one that
    // scales it (ms and s, Hz and kHz or k, % where the box shows a
    // fraction), or nothing; any other unit is refused.
    std::optional<float> parse(std::string_view text) const override;
    // For a number with a unit the box cannot read: the units it takes.
    std::string refusal(std::string_view text) const override;

    // Names the value and its range (sorted here) and keeps the unit
    // pointer, which is read only as the box opens.
    void describe(std::string_view name, float lo, float hi, const char* unit);

   private:
    // A box without a unit over a range within -1..1 shows a fraction.
    bool showsAFraction() const;

    ui::ParamSpec spec_;
    float held_ = 0.0f;
    const char* unit_ = "";
  };

  // Where a value is shown: its handle, and the panel it is drawn in.
  struct Shown {
    ui::Rect handle;
    ui::Rect panel;
  };

  // Called inside draw with the request's id and the typed value, kept
  // within the request's range.
  std::function<void(int id, float value)> onCommit;
  // Where the value of the request's id is shown in this frame, none once
  // it is not: a value typed past its range is said to be held beside it,
  // inside its panel, and no longer than it is shown. Without it that is
  // said beside where the box was, while the entry is drawn.
  std::function<std::optional<Shown>(int id)> shownAt;
  Value value;

  // Opens the box centred on the anchor (a screen point: the handle, or
  // the value shown) for the request; a range narrower than a millionth is
  // ignored, leaving an open entry as it was. Opening again replaces the
  // request. A height (pixels) above 0 fits the box to a lower row.
  void open(ImVec2 anchor, const Request& request, float height = 0.0f);
  // Runs the box while open; once a frame, whether open or not. Without
  // shownAt, a note of a value held to its range stays inside the panel
  // (the owner's area; none: the window).
  void draw(const ui::Rect& panel = {});
  // Forgets the request without a callback; the box is no longer drawn.
  void close() { openId_ = -1; }
  // The open request's id; -1 while closed.
  int openId() const { return openId_; }

 private:
  int openId_ = -1;
  float lo_ = 0.0f;  // the request's range, unsorted
  float hi_ = 1.0f;
  ui::Rect box_;          // where the box opened
  int committedId_ = -1;  // the last commit, while a note about it may show
};

}  // namespace orbi
