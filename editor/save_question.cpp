#include "editor/save_question.h"

#include <utility>

#include "ui/popups/dialogs.h"
#include "ui/popups/popup.h"

namespace orbi {

namespace {

constexpr const char* kPopup = "project.saveWithout";

}  // namespace

void SaveQuestion::ask(std::filesystem::path target, std::string text) {
  target_ = std::move(target);
  text_ = std::move(text);
  opening_ = true;
}

std::optional<SaveQuestion::Answered> SaveQuestion::draw() {
  if (text_.empty()) return std::nullopt;
  if (std::exchange(opening_, false)) ui::openPopup(kPopup);
  const ui::DialogResult result =
      ui::messageDialog(kPopup, "Entries left out", text_, "Save anyway", "Cancel", ui::ReturnGives::Cancel);
  if (result == ui::DialogResult::Open) return std::nullopt;
  return answer(result == ui::DialogResult::Accepted ? SaveAnswer::SaveWithout : SaveAnswer::KeepFile);
}

std::optional<SaveQuestion::Answered> SaveQuestion::answer(SaveAnswer answer) {
  if (text_.empty()) return std::nullopt;
  text_.clear();
  opening_ = false;
  return Answered{answer, std::move(target_)};
}

}  // namespace orbi
