#pragma once
// Fitting UTF-8 text into fixed-size name fields without cutting a
// character in half: the engine's rule, which every text field keeps.

#include "engine/model/utf8_text.h"
