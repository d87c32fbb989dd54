#include "ui/theme/logo.h"

#include <string_view>

#include "ui/theme/embedded_resources.h"

namespace orbi::ui {

std::span<const std::uint8_t> productLogo() {
  for (const EmbeddedResource& resource : embeddedResources())
    if (std::string_view(resource.name) == "orbi-logo.png") return resource.bytes;
  return {};
}

}  // namespace orbi::ui
