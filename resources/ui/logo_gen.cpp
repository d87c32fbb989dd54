// Logo generator: writes the header logo, the drawing the factory content
// also carries, as "orbi-logo.png" into the path given as its argument.

#include <cstdio>
#include <fstream>
#include <vector>

#include "resources/factory_gen/logo.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ob_logo_gen <out.png>\n");
    return 2;
  }
  const std::vector<std::uint8_t> png = gen::drawLogoPng();
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  if (!out) {
    std::fprintf(stderr, "logo generator: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
