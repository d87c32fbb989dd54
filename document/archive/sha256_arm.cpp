#include "document/archive/sha256_blocks.h"

#if defined(__aarch64__)
#include <arm_neon.h>

namespace ob::sha256 {

#if defined(__clang__)
#define OB_SHA_TARGET __attribute__((target("sha2")))
#else
#define OB_SHA_TARGET __attribute__((target("+crypto")))
#endif

#if defined(__clang__) && !defined(__ARM_FEATURE_SHA2)
// Clang before 16 declares these intrinsics only where the whole build
// assumes the extension; its builtins serve a function that enables it
// (50 names four unsigned 32-bit lanes).
OB_SHA_TARGET inline uint32x4_t vsha256hq_u32(uint32x4_t abcd, uint32x4_t efgh, uint32x4_t wk) {
  return uint32x4_t(__builtin_neon_vsha256hq_v(int8x16_t(abcd), int8x16_t(efgh), int8x16_t(wk), 50));
}
OB_SHA_TARGET inline uint32x4_t vsha256h2q_u32(uint32x4_t efgh, uint32x4_t abcd, uint32x4_t wk) {
  return uint32x4_t(__builtin_neon_vsha256h2q_v(int8x16_t(efgh), int8x16_t(abcd), int8x16_t(wk), 50));
}
OB_SHA_TARGET inline uint32x4_t vsha256su0q_u32(uint32x4_t w0, uint32x4_t w1) {
  return uint32x4_t(__builtin_neon_vsha256su0q_v(int8x16_t(w0), int8x16_t(w1), 50));
}
OB_SHA_TARGET inline uint32x4_t vsha256su1q_u32(uint32x4_t w0, uint32x4_t w2, uint32x4_t w3) {
  return uint32x4_t(__builtin_neon_vsha256su1q_v(int8x16_t(w0), int8x16_t(w2), int8x16_t(w3), 50));
}
#endif

OB_SHA_TARGET void armBlocks(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count) {
  uint32x4_t abcd = vld1q_u32(state), efgh = vld1q_u32(state + 4);
  for (; count > 0; --count, blocks += 64) {
    const uint32x4_t abcdBefore = abcd, efghBefore = efgh;
    uint32x4_t w[4];
    for (int i = 0; i < 4; ++i) w[i] = vreinterpretq_u32_u8(vrev32q_u8(vld1q_u8(blocks + 16 * i)));
    for (int group = 0; group < 16; ++group) {
      uint32x4_t& words = w[group % 4];
      const uint32x4_t sum = vaddq_u32(words, vld1q_u32(kRound + 4 * group));
      // The words four groups on, from these and the twelve after them.
      if (group < 12)
        words = vsha256su1q_u32(vsha256su0q_u32(words, w[(group + 1) % 4]), w[(group + 2) % 4],
                                w[(group + 3) % 4]);
      const uint32x4_t abcdThen = abcd;
      abcd = vsha256hq_u32(abcd, efgh, sum);
      efgh = vsha256h2q_u32(efgh, abcdThen, sum);
    }
    abcd = vaddq_u32(abcd, abcdBefore);
    efgh = vaddq_u32(efgh, efghBefore);
  }
  vst1q_u32(state, abcd);
  vst1q_u32(state + 4, efgh);
}

#undef OB_SHA_TARGET

}  // namespace ob::sha256

#endif
