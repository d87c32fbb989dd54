#pragma once
// Items that Dear ImGui draws itself (menu items, text fields) go into the
// draw log like the framework's own, so tests can find them by their text
// and point at them.

namespace orbi::ui {

// Records Dear ImGui's last item under the id text when a draw log is
// attached; nothing otherwise.
void logLastItem(const char* idText);

}  // namespace orbi::ui
