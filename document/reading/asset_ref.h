#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ob {

enum AssetRefKind : std::uint32_t { kAssetRefFactory = 0, kAssetRefStored = 1 };

// Where a sample's audio lives: a factory sample by name, or a stored asset
// by the SHA-256 of its bytes (64 lower-case hex digits).
struct AssetRef {
  std::uint32_t kind = kAssetRefFactory;
  std::string value;
};

// "factory:" + a non-empty name, or "asset:" + 64 lower-case hex digits.
std::optional<AssetRef> parseAssetRef(std::string_view text);

}  // namespace ob
