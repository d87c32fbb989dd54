#pragma once
// The editor header's records: the model its caller fills every frame and
// the result it reads back. Spans, string views and the tempo parameter
// are borrowed for the frame; the header keeps none of them.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/controls/param.h"
#include "ui/controls/transport.h"
#include "ui/dialogs/file_dialog.h"
#include "ui/draw/icons.h"
#include "ui/draw/text_style.h"
#include "ui/geometry.h"
#include "ui/header/text_span.h"
#include "ui/popups/menu.h"

namespace orbi::ui {

// What the menu button and the About window show.
struct AboutInfo {
  std::string_view productName;
  std::string_view version;    // empty hides it
  std::string_view manualUrl;  // empty hides "Manual"
  // PNG bytes that live as long as the plug-in (a picture); empty for none.
  std::span<const std::uint8_t> logo;
};

enum class DocumentKind : std::uint32_t {
  File,       // the header runs its own open, save and save-as dialogs
  Delegated,  // new, open, save and save as go back to the caller as actions
};

// The document the header offers to open and save.
struct HeaderDocument {
  DocumentKind kind = DocumentKind::File;
  std::string_view label;  // in front of the field and over its menu section
  std::string_view name;   // empty shows "Untitled"
  std::string_view path;   // last opened from or saved to; empty for none
  bool modified = false;
  bool canStep = false;             // previous and next arrows
  bool browsable = false;           // clicking the name asks the caller to browse
  bool canSave = false;             // the field's save button
  bool confirmDiscard = false;      // ask before dropping unsaved changes
  std::vector<FileFilter> filters;  // of the document's dialogs
  std::string folder;               // where they start when there is no path
};

enum class StatusTone : std::uint32_t { Plain, Notice, Error };  // another value is plain

// A shorter form of a status text, with where its yielding part lies and
// how much of it a place too short for all of it must show (keep bytes).
struct StatusForm {
  std::string_view text;
  std::size_t yieldFrom = 0;
  std::size_t yieldLength = 0;
  std::size_t keep = 0;
  std::span<const TextSpan> names = {};  // as the message's
};

struct StatusMessage {
  std::string_view text;
  std::string_view detail;  // only in the tooltip
  StatusTone tone = StatusTone::Plain;
  // Bytes of the text (a file's name) that give way in their middle when
  // the whole text does not fit its place, so that what follows them (a
  // reason) still shows; none: the text is cut at its end.
  std::size_t yieldFrom = 0;
  std::size_t yieldLength = 0;
  // The text with what it names in brief named in full (a list): the
  // tooltip shows it in the text's place; empty: the text is whole.
  std::string_view whole = {};
  // Shorter forms of the text, tried in order where its first `keep` bytes
  // (its lists) do not show in its place: each names fewer of what its
  // lists name, each name whole.
  std::size_t keep = 0;
  std::span<const StatusForm> fewer = {};
  // Where the names of the text lie: a line too short for it is cut
  // between words, never inside a name.
  std::span<const TextSpan> names = {};
};

struct HeaderStatus {
  StatusMessage primary;
  StatusMessage overlay;  // shown instead of the primary while its text is not empty
  TextAlign align = TextAlign::Left;
};

// The menu's sections, which caller items join by index.
enum class HeaderSection : std::uint32_t { Document, Edit, View, Product, Help };

enum class ItemDialog : std::uint32_t { NoDialog, Open, Save };

// An extra menu item of the caller's.
struct HeaderItem {
  HeaderSection section = HeaderSection::Product;
  MenuEntry entry;  // its command, below 2^31, identifies the item
  ItemDialog dialog = ItemDialog::NoDialog;
  std::vector<FileFilter> filters;  // of its dialog
  bool confirmDiscard = false;      // ask first when the document is modified
};

struct ShortcutRow {
  std::string_view keys;  // "Ctrl+C"
  std::string_view description;
};

struct ShortcutGroup {
  std::string_view title;
  std::span<const ShortcutRow> rows;
};

struct HeaderTransport {
  TransportState state;
  Param* tempo = nullptr;  // null: no tempo field
  TransportOptions options;
};

struct HeaderModel {
  AboutInfo about;
  std::optional<HeaderDocument> document;
  bool canUndo = false;
  bool canRedo = false;
  std::string_view undoLabel;  // "Undo " + label in the tooltip
  std::string_view redoLabel;
  bool showUndoRedo = false;
  HeaderStatus status;
  std::span<const std::string_view> pages;  // the page rail's labels
  std::span<const IconPainter> pageExtras;  // the page rail's icons
  std::uint32_t page = 0;
  std::optional<HeaderTransport> transport;
  bool showSpare = false;  // report the second row's free area
  std::span<const HeaderItem> items;
  std::span<const ShortcutGroup> shortcutGroups;
  float uiSize = 1.0f;
  bool showUiSize = false;
  bool showSettings = false;
  // The header acts on undo, redo, save and open keys, lists them as
  // "General" shortcuts and shows their keys in the menu, as it does for a
  // window with controls of its own. The embedded editor sets it.
  bool keyboard = false;
};

// What the user asked for, by code.
enum class HeaderAction : std::uint32_t {
  New,
  Save,    // a delegated document
  SaveAs,  // a delegated document
  Undo,
  Redo,
  Previous,
  Next,
  Browse,
  Settings,
};

struct ItemFile {
  std::uint32_t command = 0;
  std::string path;
};

// Cleared at the start of every header frame.
struct HeaderResult {
  std::optional<HeaderAction> action;  // the last one set in the frame
  std::optional<std::string> openPath;
  std::optional<std::string> savePath;
  std::optional<std::uint32_t> item;  // chosen without a dialog, or unknown
  std::optional<ItemFile> itemFile;
  std::optional<std::uint32_t> page;
  std::optional<float> uiSize;
  TransportResult transport;
  bool menuOpened = false;
  Rect spare;          // the second row's free area, with showSpare
  Rect documentField;  // where the document field was drawn
};

// Whether the header needs its second row: several pages, a transport or
// a spare area.
bool headerHasSecondRow(const HeaderModel& model);

// 36 design pixels, or 80 with the second row; times the UI scale.
float headerHeight(const HeaderModel& model);

}  // namespace orbi::ui
