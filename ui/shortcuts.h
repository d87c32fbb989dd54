#pragma once
// The editor's keyboard shortcuts: a fixed table of key chords, asked once
// per frame by whoever acts on them. A shortcut that one part of the frame
// acted on is marked consumed, so a later part of the same frame does not
// act on it again.

#include <array>
#include <cstdint>
#include <optional>

#include "ui/keys.h"
#include "ui/store_map.h"

namespace orbi::ui {

enum class Shortcut : std::uint32_t { Undo, Redo, Copy, Paste, Save, Open, Delete };

struct ShortcutEntry {
  KeyChord chord;
  Shortcut command;
};

// Searched in this order; only the first pressed chord counts.
inline constexpr std::array<ShortcutEntry, 7> shortcutTable{{
    {{Key::Z, kModCtrl}, Shortcut::Undo},
    {{Key::Z, kModCtrl | kModShift}, Shortcut::Redo},
    {{Key::C, kModCtrl}, Shortcut::Copy},
    {{Key::V, kModCtrl}, Shortcut::Paste},
    {{Key::S, kModCtrl}, Shortcut::Save},
    {{Key::O, kModCtrl}, Shortcut::Open},
    {{Key::Delete, kModNone}, Shortcut::Delete},
}};

// The shortcut taken this frame, kept in the context's store.
struct Consumed {
  int frame = -1;  // Dear ImGui frame count; -1 when nothing was consumed
  Shortcut command = Shortcut::Undo;
};
inline constexpr std::uint32_t kConsumedKey = fourCc("KCMD");

// True while a text field has the keyboard or any popup is open at any
// level: the keys then belong to them.
bool shortcutsBlocked();

// The first table entry pressed this frame (no key repeat), unless blocked
// or already consumed this frame.
std::optional<Shortcut> shortcutPressed();

// Records that the command was acted on in the current frame.
void markShortcutConsumed(Shortcut command);

}  // namespace orbi::ui
