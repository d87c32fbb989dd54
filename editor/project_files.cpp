#include "editor/project_files.h"

#include "ui/dialogs/file_dialog.h"

namespace orbi {
namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

bool continuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t characterCount(std::string_view text) {
  std::size_t n = 0;
  for (const char c : text) n += continuesCharacter(c) ? 0 : 1;
  return n;
}

// Byte offset after the first `count` characters.
std::size_t afterCharacters(std::string_view text, std::size_t count) {
  std::size_t at = 0;
  for (; at < text.size(); ++at) {
    if (!continuesCharacter(text[at]) && count-- == 0) break;
  }
  return at;
}

// The first and last characters of the text around an ellipsis, `keep`
// characters in all (the ellipsis among them).
std::string cutInTheMiddle(std::string_view text, std::size_t keep) {
  const std::size_t total = characterCount(text);
  if (total <= keep) return std::string(text);
  const std::size_t kept = keep > 1 ? keep - 1 : 0;
  const std::size_t head = (kept + 1) / 2;
  const std::size_t tail = kept - head;
  std::string out(text.substr(0, afterCharacters(text, head)));
  out += kEllipsis;
  out += text.substr(afterCharacters(text, total - tail));
  return out;
}

}  // namespace

const std::array<std::string, 3>& projectFamilyEndings() {
  static const std::array<std::string, 3> endings{"orbi", "obp", "json"};
  return endings;
}

std::filesystem::path withProjectSuffix(const std::filesystem::path& path) {
  // The save dialog completes a chosen name by the same rule, so the file
  // it asked about replacing is the one written here.
  return ui::withSavedExtension(path, kProjectExtension, projectFamilyEndings());
}

std::string fileNameOf(const std::filesystem::path& path) {
  // Linux paths are bytes: the name is taken as it is, whatever encoding.
  return path.filename().string();
}

std::string refusalStatus(std::string_view verb, const std::filesystem::path& path, std::string_view reason) {
  const std::size_t others = characterCount(verb) + 2 + characterCount(reason);
  const std::size_t room =
      others + kShortestStatusName < kStatusLineChars ? kStatusLineChars - others : kShortestStatusName;
  std::string text(verb);
  text += cutInTheMiddle(fileNameOf(path), room);
  text += ": ";
  text += reason;
  return text;
}

}  // namespace orbi
