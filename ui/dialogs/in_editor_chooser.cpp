#include "ui/dialogs/in_editor_chooser.h"

#include <imgui.h>

#include <cfloat>
#include <string>
#include <utility>

#include "ui/imgui_adapter.h"
#include "ui/interact/item_log.h"
#include "ui/keys.h"
#include "ui/store.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

// The context's end of the session shown.
struct ChooserSlot {
  std::shared_ptr<FileChooserSession> session;
};

ChooserSlot& chooserSlot(UiContext& ui) { return store<ChooserSlot>(ui, kFileChooserKey); }

constexpr const char* kPopupId = "###orbi.fileChooser";

const char* defaultTitle(FileDialogKind kind) {
  switch (kind) {
    case FileDialogKind::Save: return "Save";
    case FileDialogKind::Folder: return "Choose a folder";
    case FileDialogKind::Open: break;
  }
  return "Open";
}

const char* acceptLabel(FileDialogKind kind) {
  switch (kind) {
    case FileDialogKind::Save: return "Save";
    case FileDialogKind::Folder: return "Choose";
    case FileDialogKind::Open: break;
  }
  return "Open";
}

bool isSelected(const FileChooserSession& s, std::size_t index) {
  for (std::size_t i : s.selection)
    if (i == index) return true;
  return false;
}

void drawEntries(FileChooserSession& s, float height) {
  // A folder just shown starts at its top, not where the last one was left.
  if (std::exchange(s.fromTop, false)) scrollNextWindowToTop();
  if (!ImGui::BeginListBox("##entries", ImVec2(-FLT_MIN, height))) return;
  std::optional<std::size_t> opened;
  for (std::size_t i = 0; i < s.entries.size(); ++i) {
    const ChooserEntry& entry = s.entries[i];
    ImGui::PushID(static_cast<int>(i));
    const std::string label = entry.folder ? entry.name + "/" : entry.name;
    if (ImGui::Selectable(label.c_str(), isSelected(s, i), ImGuiSelectableFlags_AllowDoubleClick)) {
      selectEntry(s, i, ImGui::GetIO().KeyCtrl);
      if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) opened = i;
    }
    logLastItem(label.c_str());
    ImGui::PopID();
  }
  ImGui::EndListBox();
  if (opened) {
    selectEntry(s, *opened, false);
    acceptChoice(s);
  }
}

void drawTypeChoice(FileChooserSession& s) {
  const auto& filters = s.request.filters;
  if (s.request.kind == FileDialogKind::Folder || filters.empty()) return;
  const FileFilter& shown = filters[s.filter < filters.size() ? s.filter : 0];
  if (!ImGui::BeginCombo("Type", shown.label.c_str())) return;
  for (std::size_t i = 0; i < filters.size(); ++i) {
    ImGui::PushID(static_cast<int>(i));
    if (ImGui::Selectable(filters[i].label.c_str(), i == s.filter) && i != s.filter) {
      s.filter = i;
      openFolder(s, s.folder);
    }
    logLastItem(filters[i].label.c_str());
    ImGui::PopID();
  }
  ImGui::EndCombo();
}

bool canAccept(const FileChooserSession& s) {
  switch (s.request.kind) {
    case FileDialogKind::Save: return !s.name.empty();
    case FileDialogKind::Folder: return true;
    case FileDialogKind::Open: break;
  }
  return !s.selection.empty();
}

// The notice's wrapped lines and the spacing under them; 0 without one.
float noticeHeight(const FileChooserSession& s) {
  if (s.notice.empty()) return 0.0f;
  const float width = ImGui::GetContentRegionAvail().x;
  return ImGui::CalcTextSize(s.notice.c_str(), nullptr, false, width).y + ImGui::GetStyle().ItemSpacing.y;
}

// Why the last path or name was refused, in the warning colour.
void drawNotice(const FileChooserSession& s) {
  if (s.notice.empty()) return;
  ImGui::PushStyleColor(ImGuiCol_Text, colourToVec4(palette::kWarning));
  ImGui::TextWrapped("%s", s.notice.c_str());
  ImGui::PopStyleColor();
  logLastItem(s.notice.c_str());
}

void drawButtons(FileChooserSession& s, bool enterPressed) {
  drawNotice(s);
  if (!s.replacing.empty()) {
    // Return keeps the file: back to the name, to choose another.
    ImGui::TextWrapped("%s already exists. Replace it?", s.replacing.c_str());
    if (ImGui::Button("Replace")) confirmReplace(s);
    logLastItem("Replace");
    ImGui::SameLine();
    if (ImGui::Button("Back") || enterPressed) s.replacing.clear();
    logLastItem("Back");
    return;
  }
  if (ImGui::Button("Cancel")) cancelChoice(s);
  logLastItem("Cancel");
  ImGui::SameLine();
  const bool enabled = canAccept(s);
  ImGui::BeginDisabled(!enabled);
  const bool clicked = ImGui::Button(acceptLabel(s.request.kind));
  logLastItem(acceptLabel(s.request.kind));
  ImGui::EndDisabled();
  if (enabled && (clicked || enterPressed)) acceptChoice(s);
}

// Up, and the path field: Enter there goes to the path typed. True when
// it did, so that the Enter is not also the accept button's.
bool drawPathRow(FileChooserSession& s) {
  if (ImGui::Button("Up")) openFolder(s, s.folder.parent_path());
  logLastItem("Up");
  ImGui::SameLine();
  ImGui::SetNextItemWidth(-FLT_MIN);
  const bool entered = inputText("##path", s.path, {nullptr, ImGuiInputTextFlags_EnterReturnsTrue}).returned;
  logLastItem("Path");
  if (ImGui::IsItemEdited()) s.notice.clear();  // what it refused is being put right
  if (entered) goToPath(s);
  return entered;
}

void drawBody(FileChooserSession& s) {
  const bool pathEntered = drawPathRow(s);

  const bool saving = s.request.kind == FileDialogKind::Save;
  const bool typed = s.request.kind != FileDialogKind::Folder && !s.request.filters.empty();
  const int rows = 1 + (saving ? 1 : 0) + (typed ? 1 : 0) + (s.replacing.empty() ? 0 : 1);
  drawEntries(s,
              ImGui::GetContentRegionAvail().y - rows * ImGui::GetFrameHeightWithSpacing() - noticeHeight(s));

  bool enterPressed = !pathEntered && (keyPressed(Key::Enter) || keyPressed(Key::KeypadEnter));
  if (saving) {
    if (ImGui::IsWindowAppearing()) ImGui::SetKeyboardFocusHere();
    // Enter in the field accepts through enterPressed; the field only edits.
    inputText("Name", s.name);
    logLastItem("Name");
    if (ImGui::IsItemEdited()) s.notice.clear();
  }
  drawTypeChoice(s);
  if (keyPressed(Key::Escape)) {
    if (!s.replacing.empty())
      s.replacing.clear();
    else
      cancelChoice(s);
    enterPressed = false;
  }
  drawButtons(s, enterPressed && !s.result);
}

}  // namespace

FileChooserSession* activeFileChooser(UiContext& ui) { return chooserSlot(ui).session.get(); }

void drawFileChooser() {
  UiContext& ui = context();
  FileChooserSession* shown = activeFileChooser(ui);
  if (!shown) return;
  FileChooserSession& s = *shown;
  if (!s.shown && !s.abandoned && !s.result) {
    ImGui::OpenPopup(kPopupId);
    s.shown = true;
  }
  const ImGuiIO& io = ImGui::GetIO();
  const float scale = orbi::ui::scale();
  ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Appearing,
                          ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(560.0f * scale, 420.0f * scale), ImGuiCond_Appearing);
  const std::string title =
      (s.request.title.empty() ? std::string(defaultTitle(s.request.kind)) : s.request.title) + kPopupId;
  if (!ImGui::BeginPopupModal(title.c_str(), nullptr,
                              ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoCollapse)) {
    // Closed from outside (another popup took its place): a cancel.
    cancelChoice(s);
    chooserSlot(ui).session.reset();
    return;
  }
  if (!s.abandoned && !s.result) drawBody(s);
  if (s.abandoned || s.result) {
    ImGui::CloseCurrentPopup();
    chooserSlot(ui).session.reset();
  }
  ImGui::EndPopup();
}

InEditorChooser::InEditorChooser(UiContext& ui, const FileDialogRequest& request)
    : InEditorChooser(ui, newChooserSession(request)) {}

InEditorChooser::InEditorChooser(UiContext& ui, std::shared_ptr<FileChooserSession> session)
    : session_(std::move(session)) {
  chooserSlot(ui).session = session_;
}

InEditorChooser::~InEditorChooser() { session_->abandoned = true; }

std::optional<FileDialogResult> InEditorChooser::poll() { return session_->result; }

}  // namespace orbi::ui
