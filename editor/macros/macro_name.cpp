#include "editor/macros/macro_name.h"

#include <cstring>

namespace orbi {

std::string macroName(const ob::Kit& kit, int macro) {
  const std::string numbered = "macro " + std::to_string(macro + 1);
  if (macro < 0 || macro >= ob::kMacroCount) return numbered;
  const char* name = kit.macros[macro].name;
  const std::size_t length = strnlen(name, sizeof kit.macros[macro].name);
  return length > 0 ? std::string(name, length) : numbered;
}

}  // namespace orbi
