#pragma once
// The starting beat a new instance plays before anything is loaded.

#include "engine/model/project.h"

namespace ob {

// Replaces the whole destination record with the demo project; returns it.
Project& buildDemoProject(Project& destination);

}  // namespace ob
