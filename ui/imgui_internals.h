#pragma once
// The framework's one way into Dear ImGui's internals: the members of its
// context, windows and popups that the frame's recovery, its request for
// the next frame, the interaction and the popup placement read, and the
// functions beside them.
// None of it is a stable interface; it is read as Dear ImGui 1.86 (Debian
// 12's) lays it out, and another release stops the build here rather than
// compiling against fields that mean something else. Only the framework's
// own files (and its tests) include this; code outside ui/ goes through
// ui/imgui_adapter.h.

#include <imgui.h>

#if IMGUI_VERSION_NUM != 18600
#error "orbi-ui reads Dear ImGui 1.86's internals (IMGUI_VERSION_NUM 18600); this imgui.h is another release"
#endif

#include <imgui_internal.h>
