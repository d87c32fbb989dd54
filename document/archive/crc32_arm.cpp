#include "document/archive/crc32_blocks.h"

#if defined(__aarch64__)
#include <cstring>

// Clang declares the CRC32 intrinsics only where the whole build assumes
// the extension; its builtins serve a function that enables it.
#if defined(__clang__)
#define OB_CRC_TARGET __attribute__((target("crc")))
#define OB_CRC32_WORD __builtin_arm_crc32d
#define OB_CRC32_BYTE __builtin_arm_crc32b
#else
#include <arm_acle.h>
#define OB_CRC_TARGET __attribute__((target("+crc")))
#define OB_CRC32_WORD __crc32d
#define OB_CRC32_BYTE __crc32b
#endif

namespace ob::zip::crc {

OB_CRC_TARGET std::uint32_t armInstructions(std::uint32_t reg, const std::uint8_t* bytes,
                                            std::size_t length) {
  for (; length >= 8; bytes += 8, length -= 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    reg = OB_CRC32_WORD(reg, word);
  }
  for (; length > 0; ++bytes, --length) reg = OB_CRC32_BYTE(reg, *bytes);
  return reg;
}

}  // namespace ob::zip::crc

#undef OB_CRC_TARGET
#undef OB_CRC32_WORD
#undef OB_CRC32_BYTE

#endif
