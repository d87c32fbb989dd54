#pragma once
// A parameter as the framework's controls see it. Controls never touch the
// project: they are handed a Param, which describes itself with a
// ParamSpec, reports and sets its value, brackets a gesture, and turns
// values into text and typed text back into values. The mappings below are
// pure: no window, no state. Main thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbi::ui {

// How a value is shown and which typed suffixes mean something special.
// Any value past Custom shows the bare number.
enum class ParamUnit : std::uint32_t { Plain, Hertz, Seconds, Percent, Decibels, Cents, Semitones, Custom };

// The curve between a value and its 0..1 position; any other value maps
// everything to 0 (and back to min).
enum class ParamCurve : std::uint32_t { Linear, Logarithmic, Power };

struct ParamSpec {
  std::string name;  // "BPM", "Swing"
  // Either order: clamps take the smaller as the lower bound, while the
  // curves run from min to max as stored.
  float min = 0.0f;
  float max = 1.0f;
  float defaultValue = 0.0f;  // the owner's; nothing here reads it
  ParamUnit unit = ParamUnit::Plain;
  std::string unitLabel;  // shown after the number for Custom, and read back as a suffix
  ParamCurve curve = ParamCurve::Linear;
  float exponent = 1.0f;             // Power only
  bool stepped = false;              // whole numbers only
  int decimals = -1;                 // -1: chosen per unit
  std::string minText;               // shown at or below the lower bound, and typed for it
  std::vector<std::string> choices;  // non-empty: the value is an index into these labels
  std::string help;                  // the controls' tooltip
};

class Param {
 public:
  virtual ~Param() = default;
  // Held by the object and stable while it lives.
  virtual const ParamSpec& spec() const = 0;
  virtual float value() const = 0;
  virtual void setValue(float v) = 0;
  // Around every gesture or typed commit that changes the value.
  virtual void beginEdit() = 0;
  virtual void endEdit() = 0;
  virtual std::string format(float v) const = 0;
  // Nothing for text that is not a value.
  virtual std::optional<float> parse(std::string_view text) const = 0;
  // For text that parse refused: a few words that the number entry shows
  // in its place, so that the user can put it right (a number with a unit
  // the param cannot read); empty when the entry is simply left.
  virtual std::string refusal(std::string_view /*text*/) const { return {}; }
};

// v within the range; a whole number (halves away from zero) when the desc
// is stepped or a choice.
float clampToParam(const ParamSpec& desc, float v);

// The 0..1 position of v along the desc's curve; 0 for an empty range.
float toNormalized(const ParamSpec& desc, float v);
// The value at position t (kept within 0..1), clamped and snapped.
float fromNormalized(const ParamSpec& desc, float t);
float normalizedValue(const Param& param);

}  // namespace orbi::ui
