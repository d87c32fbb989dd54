#pragma once
// The transport: rewind, play, record and loop buttons, tempo and swing
// fields and the bar.beat.sixteenth position, fitted into a rectangle. It
// keeps no state: the caller passes the transport each frame and acts on
// what the user did. Two looks: a plain row of square buttons, and a rail
// panel of pill buttons (the header's). Main thread, inside a frame.

#include <imgui.h>

#include <cstdint>

#include "ui/controls/drag_value.h"
#include "ui/controls/param.h"
#include "ui/geometry.h"
#include "ui/layout/scale_to_fit.h"

namespace orbi::ui {

struct TransportState {
  bool playing = false;
  bool recording = false;
  bool looping = false;
  double position = 0.0;         // quarter-note beats
  std::int32_t numerator = 4;    // below 1 counts as 1
  std::int32_t denominator = 4;  // below 1 counts as 1
};

// No enumerator is called None: X11's headers define it away.
enum class TempoMode : std::uint32_t { Editable, ReadOnly, Hidden };

struct TransportOptions {
  bool showRewind = false;
  bool showRecord = false;
  bool showLoop = false;
  bool showPosition = false;
  TempoMode tempoMode = TempoMode::Editable;
  const char* tempoTooltip = nullptr;  // null: the parameter's own help
  Param* swing = nullptr;              // null: no swing field
  bool spaceTogglesPlay = false;
  bool panel = false;          // the rail look
  Align align = Align::Start;  // the fitted bar across the rectangle
};

// All false unless the user acted this frame.
struct TransportResult {
  bool play = false;  // the button, or Space when allowed
  bool rewind = false;
  bool record = false;
  bool loop = false;
  DragValueResult tempo;
  DragValueResult swing;
  Rect tempoField;  // where the tempo field was drawn, empty without one
};

// A null tempo parameter: no tempo field.
TransportResult drawTransport(const char* id, const Rect& rect, const TransportState& state, Param* tempo,
                              const TransportOptions& options);

// The bar's natural size in pixels, before fitting.
ImVec2 transportSize(const TransportOptions& options);

// Bar, beat and sixteenth of the position, each counted from 1.
struct BarBeatSixteenth {
  long long bar = 1;
  long long beat = 1;
  long long sixteenth = 1;
};
BarBeatSixteenth transportPosition(const TransportState& state);

}  // namespace orbi::ui
