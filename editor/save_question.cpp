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

std::optional<std::filesystem::path> SaveQuestion::draw() {
  if (text_.empty()) return std::nullopt;
  if (std::exchange(opening_, false)) ui::openPopup(kPopup);
  const ui::DialogResult answer = ui::messageDialog(kPopup, "Entries left out", text_, "Save", "Cancel");
  if (answer == ui::DialogResult::Open) return std::nullopt;
  text_.clear();
  if (answer != ui::DialogResult::Accepted) return std::nullopt;
  return std::move(target_);
}

}  // namespace orbi
