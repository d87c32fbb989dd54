#pragma once
// The files carried inside the plug-in: the factory samples and the logo.
// The table is written at build time by the factory-sample generator,
// sorted by name in byte order.

#include <cstddef>
#include <cstdint>
#include <span>

namespace ob {

struct EmbeddedFile {
  const char* name;
  const std::uint8_t* data;
  std::size_t size;
};

std::span<const EmbeddedFile> embeddedFactoryFiles();

}  // namespace ob
