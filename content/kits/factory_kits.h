#pragma once
// The nine built-in kits, each as its own builder. Callers go through
// makeFactoryKit, which adds the default macros and the ids.

#include "engine/model/project.h"

namespace ob {

Pattern buildCrushedTechnoKit();
Pattern buildAcidBassAndDrumsKit();
Pattern buildLofiHipHopKit();
Pattern buildHardRaveKit();
Pattern buildPunchHouseKit();
Pattern buildIdmGlitchKit();
Pattern buildLayeredTrapKit();
Pattern buildModernAcousticKit();
Pattern build70sRockKit();

}  // namespace ob
