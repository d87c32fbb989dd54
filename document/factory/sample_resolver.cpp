#include "document/factory/sample_resolver.h"

#include <utility>

namespace ob {

SampleResolver& sampleResolver() {
  // Function-local static: initialised once even when first touched from a
  // static initialiser of another translation unit.
  static SampleResolver hook;
  return hook;
}

void setSampleResolver(SampleResolver fn) { sampleResolver() = std::move(fn); }

std::vector<std::uint8_t> resolveSample(const std::string& name) {
  const SampleResolver& hook = sampleResolver();
  if (!hook) return {};
  return hook(name);
}

}  // namespace ob
