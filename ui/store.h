#pragma once
// Typed per-window objects kept by the UI context under 32-bit keys. Asking
// for a type under a key that holds another type replaces the object with a
// fresh one. Keys in use: 'KCMD' (consumed shortcuts), 'HOVR' (the tooltip's
// hover clock), 'TIPS' (the frame's tooltip), 'FDLG' (the file-dialog
// queue), 'FCHS' (the in-editor file chooser), 'DROP' (the drop state),
// 'PICT' (the pictures), 'EDIT' (the edits of held controls), 'NEXT' (the
// frame requests), 'WIDE' (the text input's stand-ins).

#include <cstdint>
#include <memory>

#include "ui/context.h"
#include "ui/store_map.h"

namespace orbi::ui {

// One address per type: the tag an entry's object was made with.
template <typename T>
const void* storeTypeTag() {
  static const char tag = 0;
  return &tag;
}

// The context's object of type T under the key, default-constructed on
// first use; it lives as long as the context.
template <typename T>
T& store(UiContext& ui, std::uint32_t key) {
  StoreEntry& entry = ui.stores()[key];
  if (entry.type != storeTypeTag<T>() || !entry.object) {
    entry.object = std::make_shared<T>();
    entry.type = storeTypeTag<T>();
  }
  return *static_cast<T*>(entry.object.get());
}

// The context's object of type T under the key, or null when there is none
// (nothing is made).
template <typename T>
T* findStore(UiContext& ui, std::uint32_t key) {
  const auto it = ui.stores().find(key);
  if (it == ui.stores().end() || it->second.type != storeTypeTag<T>()) return nullptr;
  return static_cast<T*>(it->second.object.get());
}

}  // namespace orbi::ui
