#pragma once
// The editor's side of the header: every frame it fills the framework's
// header description from the editor's state (pages, the kit and its
// modified mark, undo and redo, status line, transport with the tempo
// field, the project file actions and the shortcut help), has the
// framework draw it, and hands back what the user asked for as a plain
// record. It keeps nothing between frames but its tempo parameter and the
// description it lends the framework. Main thread only.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editor/header/edit_param.h"
#include "editor/header/host_tempo.h"
#include "editor/project_files.h"
#include "ui/geometry.h"
#include "ui/header/header_model.h"
#include "ui/view.h"

namespace orbi {

class EditorContext;
struct EngineHost;

enum class EditorPage : std::uint32_t { Bench, Samples };

// The project file actions of the header's menu, by command id.
enum ProjectAction : std::uint32_t { kOpenProject = 1, kSaveProject = 2 };

// What the frame tells the header about the editor this frame.
struct HeaderBarInput {
  EditorPage page = EditorPage::Bench;
  bool canUndo = false;
  bool canRedo = false;
  std::string_view kitName;
  bool kitModified = false;
  std::string_view statusText;
  bool statusError = false;
  StatusName statusName;           // gives way in its middle when the line is short
  std::string_view statusWhole;    // the text with its lists named whole, for its hover; empty: the text
  std::size_t statusListsEnd = 0;  // where the text's lists end (SaidLine::listsEnd)
  std::span<const SaidForm> statusFewer;      // shorter forms of the text (SaidLine::fewer)
  std::span<const ui::TextSpan> statusNames;  // where the text's names lie (SaidLine::names)
};

// What the user asked for this frame.
struct HeaderBarResult {
  EditorPage page = EditorPage::Bench;
  bool pageChanged = false;  // a tab was clicked
  bool undo = false;
  bool redo = false;
  bool newKit = false;
  bool saveKit = false;
  bool browseKits = false;
  std::int32_t kitStep = 0;             // -1 previous kit, +1 next
  ui::Rect anchor;                      // the kit field, where the kit panels open
  std::optional<std::string> openPath;  // UTF-8
  std::optional<std::string> savePath;
};

class HeaderBar {
 public:
  HeaderBar(EditorContext& context, EngineHost& host);
  HeaderBar(const HeaderBar&) = delete;
  HeaderBar& operator=(const HeaderBar&) = delete;

  // Takes the header's band off the top of content and draws it there.
  HeaderBarResult draw(const HeaderBarInput& input, const ui::FrameInfo& frame, ui::Rect& content);

  // The description as this frame's input and the engine host make it;
  // valid until the next call.
  const ui::HeaderModel& fillModel(const HeaderBarInput& input);
  // The framework's report turned into the editor's; the play control
  // toggles the internal transport here.
  HeaderBarResult readResult(const ui::HeaderResult& header, EditorPage shown);

  const ui::HeaderModel& model() const { return model_; }
  EditParam& bpm() { return bpm_; }
  // Where the latest frame drew the tempo field.
  const ui::Rect& tempoField() const { return tempoField_; }

 private:
  EngineHost& host_;
  EditParam bpm_;
  HostTempo hostTempo_;  // shown instead while the host's transport plays
  ui::Rect tempoField_;
  std::vector<ui::HeaderItem> projectItems_;
  std::vector<ui::StatusForm> statusForms_;  // the model's shorter status forms point here
  std::string homeFolder_;                   // where the project dialogs start; the model points here
  std::string kitName_;                      // the model's views point here and into the input's strings
  ui::HeaderModel model_;
};

}  // namespace orbi
