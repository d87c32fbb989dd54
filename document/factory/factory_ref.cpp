#include "document/factory/factory_ref.h"

namespace ob {

std::string factoryRef(std::string_view name) {
  std::string out(kFactoryRefPrefix);
  out += name;
  return out;
}

bool parseFactoryRef(std::string_view ref, std::string& name) {
  if (ref.size() < kFactoryRefPrefix.size() || ref.substr(0, kFactoryRefPrefix.size()) != kFactoryRefPrefix)
    return false;
  name.assign(ref.substr(kFactoryRefPrefix.size()));
  return !name.empty();
}

}  // namespace ob
