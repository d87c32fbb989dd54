#pragma once
// The UI context's maps keyed by 32-bit ids: four-character codes or Dear
// ImGui ids.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>

namespace orbi::ui {

// 'KCMD' as a key: the first character in the highest byte.
constexpr std::uint32_t fourCc(const char (&code)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

// FNV-1a 64 over the key's four bytes, lowest byte first.
struct KeyHash {
  std::size_t operator()(std::uint32_t key) const noexcept {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (int i = 0; i < 4; ++i) {
      h ^= (key >> (8 * i)) & 0xFFu;
      h *= 0x100000001b3ull;
    }
    return static_cast<std::size_t>(h);
  }
};

// Eight buckets to start with, at most one entry per bucket on average.
template <typename Value>
std::unordered_map<std::uint32_t, Value, KeyHash> makeKeyedMap() {
  std::unordered_map<std::uint32_t, Value, KeyHash> map(8);
  map.max_load_factor(1.0f);
  return map;
}

// A typed store entry: the object and the tag of the type it was made as.
struct StoreEntry {
  const void* type = nullptr;
  std::shared_ptr<void> object;
};

using StoreMap = std::unordered_map<std::uint32_t, StoreEntry, KeyHash>;

}  // namespace orbi::ui
