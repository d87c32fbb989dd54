#include "document/archive/crc32.h"

#include "document/archive/cpu_features.h"
#include "document/archive/crc32_blocks.h"

namespace ob::zip {
namespace {

using Run = std::uint32_t (*)(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length);

#if defined(__x86_64__)
// The whole 16-byte steps of a long enough run are folded, the rest sliced.
std::uint32_t x86Run(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length) {
  if (length >= crc::kX86FoldMinimum) {
    const std::size_t folded = length - length % crc::kX86FoldStep;
    reg = crc::x86Folded(reg, bytes, folded);
    bytes += folded;
    length -= folded;
  }
  return crc::portable(reg, bytes, length);
}
#endif

Run chooseRun() {
#if defined(__x86_64__)
  if (cpuHasCarrylessMultiply()) return x86Run;
#elif defined(__aarch64__)
  if (cpuHasCrc32Instructions()) return crc::armInstructions;
#endif
  return crc::portable;
}

}  // namespace

std::uint32_t crc32(const std::uint8_t* bytes, std::size_t length, std::uint32_t before) {
  static const Run run = chooseRun();
  return ~run(~before, bytes, length);
}

std::uint32_t portableCrc32(const std::uint8_t* bytes, std::size_t length, std::uint32_t before) {
  return ~crc::portable(~before, bytes, length);
}

}  // namespace ob::zip
