#pragma once
// Files carried inside the binary: the five fonts, in the order of FontId,
// followed by the skin texture and the header logo. Defined by a source the
// build writes.

#include <cstdint>
#include <span>

namespace orbi::ui {

struct EmbeddedResource {
  const char* name;  // the name errors report ("Inter Bold", "orbi-skin.png")
  std::span<const std::uint8_t> bytes;
};

// Lives as long as the program; the bytes are read-only data.
std::span<const EmbeddedResource> embeddedResources();

}  // namespace orbi::ui
