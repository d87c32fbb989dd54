#include "plugin/session_hello.h"

#include <cstring>

namespace ob::clap {

bool storeSessionHello(SessionHello& hello, const SessionHelloRecord* record, std::uint32_t maxVersion) {
  if (record == nullptr || record->size < kHelloMinSize || record->version > maxVersion) return false;
  // Built aside first so a failed allocation leaves the earlier hello whole.
  std::vector<std::string> features;
  if (record->size >= kHelloFeaturesSize && record->features != nullptr && record->featureCount > 0) {
    features.reserve(static_cast<std::size_t>(record->featureCount));
    for (std::int32_t i = 0; i < record->featureCount; ++i)
      if (const char* f = record->features[i]) features.emplace_back(f);
  }
  hello.features.swap(features);
  hello.received = true;
  hello.seed = record->seed;
  hello.version = record->version;
  return true;
}

bool sessionHasFeature(const SessionHello& hello, const char* name) {
  if (name == nullptr) return false;
  const std::size_t n = std::strlen(name);
  for (const std::string& f : hello.features)
    if (f.size() == n && std::memcmp(f.data(), name, n) == 0) return true;
  return false;
}

}  // namespace ob::clap
