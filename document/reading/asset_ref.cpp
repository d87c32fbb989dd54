#include "document/reading/asset_ref.h"

namespace ob {

std::optional<AssetRef> parseAssetRef(std::string_view text) {
  constexpr std::string_view kFactory = "factory:";
  constexpr std::string_view kAsset = "asset:";
  if (text.substr(0, kFactory.size()) == kFactory) {
    std::string_view name = text.substr(kFactory.size());
    if (name.empty()) return std::nullopt;
    return AssetRef{kAssetRefFactory, std::string(name)};
  }
  if (text.substr(0, kAsset.size()) == kAsset) {
    std::string_view hex = text.substr(kAsset.size());
    if (hex.size() != 64) return std::nullopt;
    for (char c : hex) {
      bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
      if (!ok) return std::nullopt;
    }
    return AssetRef{kAssetRefStored, std::string(hex)};
  }
  return std::nullopt;
}

}  // namespace ob
