#pragma once
// The factory files carried inside the plug-in, found by name, and the
// resolver through which documents fetch factory samples. Main thread.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ob {

// A copy of the embedded file of exactly that name; empty when none.
std::vector<std::uint8_t> factorySampleBytes(std::string_view name);

struct EmbeddedBytes {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// The header logo "symbol.png"; null and 0 when it is not embedded.
EmbeddedBytes factorySymbolPng();

// Installs the resolver that maps a factory sample name (no extension) to
// the bytes of "<name>.wav". Runs once at library load; plug-in init calls
// it again.
void useEmbeddedFactorySamples();

// "tp_low.wav" -> "tp_low_hit.wav" / "tp_low_body.wav": the suffix goes
// before the last full stop, or at the end of a name without one.
std::string hitHalfName(std::string_view file);
std::string bodyHalfName(std::string_view file);

// Writes "<display name> hit" or "<display name> body" of a catalogue row
// into buffer (cut to capacity, always terminated); an empty text for a row
// above 67.
void factorySampleDisplayName(std::uint32_t row, bool isBody, char* buffer, std::size_t capacity);

}  // namespace ob
