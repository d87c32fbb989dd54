#include "ui/imgui_adapter.h"

#include <imgui_stdlib.h>

#include <algorithm>

#include "ui/context.h"
#include "ui/imgui_internals.h"
#include "ui/store.h"
#include "ui/text_stand_ins.h"

namespace orbi::ui {
namespace {

TextStandIns& standIns() { return store<TextStandIns>(context(), kTextStandInsKey); }

struct Limit {
  const TextStandIns& standIns;
  std::size_t maxBytes;
  bool cut = false;
};

// The start of the character before byte `at` of the text.
int characterBefore(std::string_view text, int at) {
  int start = at - 1;
  while (start > 0 && (static_cast<unsigned char>(text[static_cast<std::size_t>(start)]) & 0xC0) == 0x80)
    --start;
  return start;
}

// Whether the text may hold a character that travels through Dear ImGui as
// a stand-in: one past U+FFFF or one of the stand-ins' block (U+3400 on)
// starts with a byte from 0xE3 up. Text without one goes as it is.
bool mayHoldStandIns(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE3; });
}

// Dear ImGui's undo history holds an edit as it was typed, before the cut:
// undone or redone, it would change characters no longer there and part its
// count of the text from the text. The field's history starts anew instead.
void forgetUndoHistory() {
  ImStb::StbUndoState& history = GImGui->InputTextState.Stb.undostate;
  history.undo_point = 0;
  history.undo_char_point = 0;
  history.redo_point = STB_TEXTEDIT_UNDOSTATECOUNT;
  history.redo_char_point = STB_TEXTEDIT_UNDOCHARCOUNT;
}

// Takes characters off before the cursor, where an edit's typed or pasted
// text ends, then off the end, until the text fits.
int keepWithinLimit(ImGuiInputTextCallbackData* data) {
  Limit& limit = *static_cast<Limit*>(data->UserData);
  if (data->EventFlag != ImGuiInputTextFlags_CallbackEdit) return 0;
  std::size_t size =
      limit.standIns.sizeBack(std::string_view(data->Buf, static_cast<std::size_t>(data->BufTextLen)));
  for (const bool beforeCursor : {true, false}) {
    const std::string_view text(data->Buf, static_cast<std::size_t>(data->BufTextLen));
    const int end = beforeCursor ? data->CursorPos : data->BufTextLen;
    int from = end;
    while (size > limit.maxBytes && from > 0) {
      const int start = characterBefore(text, from);
      size -= limit.standIns.sizeBack(
          text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(from - start)));
      from = start;
    }
    if (from == end) continue;
    data->DeleteChars(from, end - from);
    limit.cut = true;
  }
  if (limit.cut) forgetUndoHistory();
  return 0;
}

}  // namespace

static_assert(kMostTableColumns == IMGUI_TABLE_MAX_COLUMNS);

ImVec2 windowPadding() { return ImGui::GetCurrentWindow()->WindowPadding; }

ImGuiID lastItemId() { return GImGui->LastItemData.ID; }

Rect lastItemRect() {
  const ImRect& r = GImGui->LastItemData.Rect;
  return {r.Min.x, r.Min.y, r.Max.x - r.Min.x, r.Max.y - r.Min.y};
}

ImGuiID lastItemKey() {
  const ImGuiLastItemData& item = GImGui->LastItemData;
  return item.ID != 0 ? item.ID : ImHashData(&item.Rect, sizeof item.Rect);
}

int fontStackDepth() { return GImGui->FontStack.Size; }

void scrollNextWindowToTop() { ImGui::SetNextWindowScroll(ImVec2(-1.0f, 0.0f)); }

void addInputText(std::string_view utf8) {
  ImGui::GetIO().AddInputCharactersUTF8(standIns().toImGui(utf8).c_str());
}

std::string textForImGui(std::string_view utf8) { return standIns().toImGui(utf8); }

std::string textFromImGui(std::string_view text) { return standIns().fromImGui(text); }

TextInputOutcome inputText(const char* label, std::string& text, const TextInput& input) {
  TextStandIns& table = standIns();
  // Most text needs no stand-in: Dear ImGui edits it in place, and only
  // what an edit brought in is mapped back.
  const bool direct = !mayHoldStandIns(text);
  std::string converted = direct ? std::string() : table.toImGui(text);
  std::string& held = direct ? text : converted;
  Limit limit{table, input.maxBytes};
  TextInputOutcome outcome;
  if (input.maxBytes > 0)
    outcome.returned = ImGui::InputTextWithHint(
        label, input.hint, &held, input.flags | ImGuiInputTextFlags_CallbackEdit, keepWithinLimit, &limit);
  else
    outcome.returned = ImGui::InputTextWithHint(label, input.hint, &held, input.flags);
  if (ImGui::IsItemEdited() && (!direct || mayHoldStandIns(held))) text = table.fromImGui(held);
  outcome.cut = limit.cut;
  return outcome;
}

OwnerIdScope::OwnerIdScope(const void* owner) { ImGui::PushOverrideID(ImHashData(&owner, sizeof owner)); }

OwnerIdScope::~OwnerIdScope() { ImGui::PopID(); }

}  // namespace orbi::ui
