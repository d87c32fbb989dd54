// The kit browser's popups: the library list with its filter, folder
// choice and delete, and the save form.

#include <imgui.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "content/tools/kits_folder.h"
#include "editor/kits/kit_browser.h"
#include "editor/popup_area.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/controls/buttons.h"
#include "ui/controls/text_field.h"
#include "ui/dialogs/file_dialog.h"
#include "ui/draw/text.h"
#include "ui/popups/popup.h"

namespace orbi {
namespace {

constexpr const char* kBrowserPopup = "kits.browser";
constexpr const char* kSavePopup = "kits.save";
constexpr const char* kFolderDialog = "kits.folder";

// The save form's bands, top down; its buttons keep to the bottom, where
// the question's "Back" takes the place of "Save".
constexpr float kFormWidth = 360.0f;
constexpr float kHeading = 20.0f;
constexpr float kGap = 4.0f;
constexpr float kField = 24.0f;
constexpr float kLine = 16.0f;  // a line of the question
constexpr float kButtonsGap = 8.0f;
constexpr float kButtons = 24.0f;
constexpr float kFieldsHeight = kHeading + kGap + kField + kGap + kField + kButtonsGap + kButtons;

void heading(ui::Rect band, const char* text) {
  ui::drawText(ImGui::GetWindowDrawList(), band, text, ui::TextStyle::Heading, palette::kLight,
               ui::TextAlign::Left);
}

ui::TextFieldResult textBand(const char* id, const ui::Rect& band, std::string& text, const char* hint,
                             std::size_t maxBytes = 0) {
  ui::TextFieldOptions options;
  options.fit = ui::SizeMode::Fill;
  options.hint = hint;
  options.maxBytes = maxBytes;
  return ui::textField(id, band, text, options);
}

// Opens the popup when its flag asks for it; true while it is open.
bool beginPendingPopup(const char* id, bool& pending, const ui::Rect& anchor, ImVec2 size) {
  if (pending) {
    ui::openPopup(id);
    pending = false;
  }
  return ui::beginAnchoredPopup(id, anchor, size);
}

std::vector<std::string> wrapped(const std::string& text, float width) {
  const std::vector<std::string_view> lines = ui::wrapText(text, ui::TextStyle::Body, width);
  return {lines.begin(), lines.end()};
}

// One band of the rect's top for each line.
void drawLines(ui::Rect& r, const std::vector<std::string>& lines, std::uint32_t colour) {
  for (const std::string& line : lines)
    ui::drawText(ImGui::GetWindowDrawList(), r.takeTop(kLine * ui::scale()), line, ui::TextStyle::Body,
                 colour, ui::TextAlign::Left);
}

}  // namespace

void KitBrowser::draw(const ui::Rect& anchor) {
  ImGui::PushID(this);
  if (const std::optional<ui::FileDialogResult> result = ui::takeFileDialogResult(kFolderDialog)) {
    if (result->status == ui::FileDialogStatus::Chosen && !result->paths.empty()) {
      session.folder = ob::kitPathFromUtf8(result->paths.front());
      rescan();
    }
  }
  drawBrowser(anchor);
  drawSavePanel(anchor);
  if (folderDialogWanted_) chooseFolder();
  ImGui::PopID();
}

void KitBrowser::chooseFolder() {
  folderDialogWanted_ = false;
  ui::FileDialogRequest request;
  request.kind = ui::FileDialogKind::Folder;
  request.title = "Select kit library folder";
  request.folder = ob::kitPathToUtf8(resolvedFolder);
  // Refused while another dialog is pending or open: the click is dropped.
  ui::requestFileDialog(kFolderDialog, std::move(request));
}

void KitBrowser::drawBrowser(const ui::Rect& anchor) {
  const float s = ui::scale();
  const ImVec2 size(540.0f * s, 380.0f * s);
  if (beginPendingPopup(kBrowserPopup, browserPending, anchor, size)) {
    runBrowser(size);
    ui::endPopup();
  }
}

void KitBrowser::runBrowser(ImVec2 size) {
  const float s = ui::scale();
  const PopupArea area(size);
  // Only a cheap look at the disk per frame: a chosen folder that vanished
  // shows the default, which the next rescan resolves.
  std::error_code ec;
  if (!session.folder.empty() && resolvedFolder == session.folder &&
      !std::filesystem::is_directory(session.folder, ec))
    resolvedFolder = ob::defaultKitsFolder();

  ui::Rect r = area.rect();
  ui::Rect header = r.takeTop(20.0f * s);
  ui::ButtonStyle folderStyle;
  folderStyle.tooltip = "Choose the kit library folder to scan";
  if (ui::iconButton("folder", header.takeRight(80.0f * s), "Folder...", folderStyle))
    folderDialogWanted_ = true;
  heading(header, "Kit library");
  ui::drawText(ImGui::GetWindowDrawList(), r.takeTop(14.0f * s), ob::kitPathToUtf8(resolvedFolder),
               ui::TextStyle::Caption, palette::kMuted, ui::TextAlign::Left);
  r.takeTop(4.0f * s);
  if (textBand("filter", r.takeTop(24.0f * s), filter, "filter by name / tag...") ==
      ui::TextFieldResult::Edited)
    applyFilter();
  r.takeTop(8.0f * s);
  ui::Rect bottom = r.takeBottom(26.0f * s);
  r.takeBottom(6.0f * s);

  const bool deletable = selectedRow >= 0 && selectedRow < static_cast<std::int32_t>(filtered.size()) &&
                         !entries[filtered[selectedRow]].builtIn;
  ui::ButtonStyle deleteStyle;
  deleteStyle.disabled = !deletable;
  if (ui::iconButton("delete", bottom.takeLeft(70.0f * s), "Delete", deleteStyle)) deleteSelected();
  if (!leftOut.empty()) {
    bottom.takeLeft(10.0f * s);
    ui::drawText(ImGui::GetWindowDrawList(), bottom, leftOutStatus().text, ui::TextStyle::Caption,
                 palette::kWarning, ui::TextAlign::Left);
  }

  // The kit's own row is brought into view as the browser opens.
  const std::int32_t reveal = std::exchange(revealSelection, false) ? selectedRow : -1;
  const ui::ListResult list = ui::virtualList(
      "list", r, static_cast<std::int32_t>(filtered.size()), selectedRow, 40.0f,
      [this](ImDrawList* dl, const ui::ListRow& row) { paintRow(dl, row); }, reveal);
  if (list.selectionChanged && selectedRow >= 0 && selectedRow < static_cast<std::int32_t>(filtered.size())) {
    const ob::KitEntry entry = entries[filtered[selectedRow]];
    loadKit(entry);
    ui::closePopup();
  }
}

void KitBrowser::paintRow(ImDrawList* dl, const ui::ListRow& row) const {
  if (row.index < 0 || row.index >= static_cast<std::int32_t>(filtered.size())) return;
  const ob::KitEntry& entry = entries[filtered[row.index]];
  const float s = ui::scale();
  ui::Rect inner = row.rect.inset(10.0f * s, 4.0f * s);
  ui::drawText(dl, inner.takeTop(18.0f * s), entry.name, ui::TextStyle::Body, palette::kLight,
               ui::TextAlign::Left);
  ui::drawText(dl, inner, rowDetail(entry), ui::TextStyle::Caption, palette::kMuted, ui::TextAlign::Left);
}

std::string KitBrowser::rowDetail(const ob::KitEntry& entry) {
  std::string line;
  for (const std::string& tag : entry.tags) line += (line.empty() ? "#" : " #") + tag;
  if (!entry.author.empty()) line += (line.empty() ? "by " : "   by ") + entry.author;
  if (!line.empty()) line += "   ";
  if (entry.builtIn) return line + "built-in";
  const std::size_t slash = entry.reference.find_last_of('/');
  return line + entry.reference.substr(slash == std::string::npos ? 0 : slash + 1);
}

// The form grows to show a long question whole.
void KitBrowser::drawSavePanel(const ui::Rect& anchor) {
  const float s = ui::scale();
  const float padding = 2.0f * ui::kPopupPadding * s;
  std::optional<Question> asking;
  float height = kFieldsHeight * s;
  if (!replacing.empty()) {
    asking = question(kFormWidth * s - padding);
    const auto lines = static_cast<float>(asking->said.size() + asking->asked.size());
    height = std::max(height, (kHeading + kGap + kLine * lines + kGap + kButtonsGap + kButtons) * s);
  }
  const ImVec2 size(kFormWidth * s, height + padding);
  if (beginPendingPopup(kSavePopup, savePending, anchor, size)) {
    runSavePanel(size, asking);
    ui::endPopup();
  }
}

KitBrowser::Question KitBrowser::question(float width) const {
  const std::string file = ob::kitPathToUtf8(replacing.filename());
  if (beside.empty())
    return {wrapped(file + " is already in the library.", width),
            wrapped("Replace it with this kit?", width)};
  return {wrapped(file + " holds the kit " + replacedKit + ".", width),
          wrapped("Replace it with this kit, or keep both?", width)};
}

void KitBrowser::runSavePanel(ImVec2 size, const std::optional<Question>& asking) {
  const float s = ui::scale();
  const PopupArea area(size);
  ui::Rect r = area.rect();
  heading(r.takeTop(kHeading * s), "Save kit");
  r.takeTop(kGap * s);
  if (asking) {
    runReplaceQuestion(r, *asking);
    return;
  }
  // The field takes no more than the kit holds, so that the name saved is
  // the name seen; it says when it left some out.
  const ui::TextFieldResult name =
      textBand("name", r.takeTop(kField * s), saveName, "kit name", ob::kKitNameBytes);
  if (name == ui::TextFieldResult::Cut) {
    std::string cut =
        "A kit name holds " + std::to_string(ob::kKitNameBytes) + " bytes: the rest was left out";
    if (saveNotice != cut) noteOnForm(std::move(cut), StatusKind::Changed);
  } else if (name == ui::TextFieldResult::Edited) {
    saveNotice.clear();
  }
  r.takeTop(kGap * s);
  textBand("tags", r.takeTop(kField * s), saveTags, "tags, comma separated");
  ui::Rect buttons = r.takeBottom(kButtons * s);
  ui::ButtonStyle saveStyle;
  saveStyle.tooltip = "Save the kit (sounds, macros and voice config, not the groove) to the library";
  // A save that asks first keeps the form open for the question.
  if (ui::iconButton("save", buttons.takeRight(100.0f * s), "Save", saveStyle) && saveKit()) ui::closePopup();
  const std::string note = !saveNotice.empty() ? saveNotice
                           : namesABuiltInKit(saveName)
                               ? std::string("Sits beside the built-in kit of this name")
                               : std::string();
  if (!note.empty()) {
    buttons.takeRight(8.0f * s);
    ui::drawText(ImGui::GetWindowDrawList(), buttons, note, ui::TextStyle::Caption, palette::kWarning,
                 ui::TextAlign::Left);
  }
}

// In place of the fields: whether to write over another kit's file, or,
// for the kit's own file under another name, also whether to keep both.
void KitBrowser::runReplaceQuestion(ui::Rect r, const Question& asking) {
  const float s = ui::scale();
  drawLines(r, asking.said, palette::kLight);
  r.takeTop(kGap * s);
  drawLines(r, asking.asked, palette::kMuted);
  // "Back" takes the place of "Save", so that a second click there is harmless.
  ui::Rect buttons = r.takeBottom(kButtons * s);
  ui::ButtonStyle backStyle;
  backStyle.tooltip = "Back to the name, to choose another";
  if (ui::iconButton("back", buttons.takeRight(100.0f * s), "Back", backStyle)) {
    replacing.clear();
    return;
  }
  buttons.takeRight(8.0f * s);
  ui::ButtonStyle replaceStyle;
  replaceStyle.tooltip = "Write this kit over the file of the same name";
  if (ui::iconButton("replace", buttons.takeRight(100.0f * s), "Replace", replaceStyle)) {
    confirmReplace();
    ui::closePopup();
    return;
  }
  if (beside.empty()) return;
  buttons.takeRight(8.0f * s);
  ui::ButtonStyle bothStyle;
  const std::string bothTip = "Save this kit beside it, as " + ob::kitPathToUtf8(beside.filename());
  bothStyle.tooltip = bothTip.c_str();
  if (ui::iconButton("keep", buttons.takeRight(100.0f * s), "Keep both", bothStyle) && keepBoth())
    ui::closePopup();
}

}  // namespace orbi
