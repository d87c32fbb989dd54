#pragma once
// What the editor calls a macro wherever it names one (its cell, its
// picker, the status line, the log): its own name where it has one, else
// "macro N". Main thread.

#include <string>

#include "engine/model/project.h"

namespace orbi {

std::string macroName(const ob::Kit& kit, int macro);

}  // namespace orbi
