#pragma once
#include <cstdint>
#include <string_view>

namespace ob {

// FNV-1a 64: keys per-parameter random draws, instance seeds and the
// audition's notes fingerprint.
constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

constexpr std::uint64_t fnv1a64(std::string_view bytes, std::uint64_t h = kFnvOffsetBasis) {
  for (char c : bytes) {
    h ^= static_cast<std::uint8_t>(c);
    h *= kFnvPrime;
  }
  return h;
}

// SplitMix64 output function: every random draw of the engine is
// mix(h + k * golden) for a 64-bit hash h and draw number k.
constexpr std::uint64_t splitMix64(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

constexpr std::uint64_t hashDraw(std::uint64_t h, std::uint64_t k) {
  return splitMix64(h + k * 0x9e3779b97f4a7c15ull);
}

// A unit value in [0, 1) from a draw: its top 53 bits.
constexpr double unitFromDraw(std::uint64_t draw) { return static_cast<double>(draw >> 11) * 0x1.0p-53; }

}  // namespace ob
