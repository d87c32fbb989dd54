#pragma once
// The document box: the document's name with a dot for unsaved changes,
// and optional previous, next and save buttons at its right end. Main
// thread, inside a frame.

#include <string_view>

#include "ui/geometry.h"

namespace orbi::ui {

struct DocumentBoxState {
  std::string_view name;  // empty shows "Untitled" in grey
  bool dirty = false;     // a dot after the name; the save tooltip reads "Save changes"
  bool showNav = false;
  bool showSave = false;
  const char* nameTooltip = nullptr;  // null for none
};

struct DocumentBoxResult {
  bool nameClicked = false;
  bool previous = false;
  bool next = false;
  bool save = false;
};

DocumentBoxResult drawDocumentBox(const char* id, const Rect& rect, const DocumentBoxState& state);

// The natural width in pixels. The name gets 260 design pixels whatever
// it is (a longer one is cut with an ellipsis), so the buttons after it
// stay where they are as one name follows another.
float documentBoxWidth(const DocumentBoxState& state);

}  // namespace orbi::ui
