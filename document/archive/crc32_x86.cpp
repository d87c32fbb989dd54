#include "document/archive/crc32_blocks.h"

#if defined(__x86_64__)
#include <immintrin.h>

namespace ob::zip::crc {
namespace {

#define OB_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

// The constants are x^n mod P for the CRC's polynomial P, bit-reflected as
// the register is and multiplied by x, for the n that carries a 128-bit
// lane over 512 bits (the two of kBy64) or over 128 bits (kBy16), and
// x^64 mod P (kBy8). kBarrett holds P and floor(x^64 / P), reflected, for
// the last reduction to 32 bits.
constexpr long long kBy64Low = 0x154442bd4, kBy64High = 0x1c6e41596;
constexpr long long kBy16Low = 0x1751997d0, kBy16High = 0x0ccaa009e;
constexpr long long kBy8 = 0x163cd6124;
constexpr long long kPolynomial = 0x1db710641, kQuotient = 0x1f7011641;

OB_CLMUL_TARGET inline __m128i load(const std::uint8_t* bytes) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

// The lane carried forward by the constants' distance and added to the
// lane found there.
OB_CLMUL_TARGET inline __m128i fold(__m128i lane, __m128i constants, __m128i there) {
  return _mm_xor_si128(
      _mm_xor_si128(_mm_clmulepi64_si128(lane, constants, 0x00), _mm_clmulepi64_si128(lane, constants, 0x11)),
      there);
}

// The register of the 128 bits of the lane, through 64 bits and Barrett's
// reduction.
OB_CLMUL_TARGET inline std::uint32_t reduce(__m128i lane) {
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
  __m128i x = _mm_xor_si128(_mm_srli_si128(lane, 8),
                            _mm_clmulepi64_si128(lane, _mm_set_epi64x(kBy16High, kBy16Low), 0x10));
  x = _mm_xor_si128(_mm_srli_si128(x, 4),
                    _mm_clmulepi64_si128(_mm_and_si128(x, low32), _mm_set_epi64x(0, kBy8), 0x00));
  const __m128i barrett = _mm_set_epi64x(kQuotient, kPolynomial);
  __m128i t = _mm_and_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10), low32);
  t = _mm_clmulepi64_si128(t, barrett, 0x00);
  return static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(x, t), 1));
}

}  // namespace

OB_CLMUL_TARGET std::uint32_t x86Folded(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length) {
  // Four lanes run side by side over 64 bytes at a time, then fold into one.
  const __m128i by64 = _mm_set_epi64x(kBy64High, kBy64Low), by16 = _mm_set_epi64x(kBy16High, kBy16Low);
  __m128i a = _mm_xor_si128(load(bytes), _mm_cvtsi32_si128(static_cast<int>(reg)));
  __m128i b = load(bytes + 16), c = load(bytes + 32), d = load(bytes + 48);
  bytes += 64;
  length -= 64;
  for (; length >= 64; bytes += 64, length -= 64) {
    a = fold(a, by64, load(bytes));
    b = fold(b, by64, load(bytes + 16));
    c = fold(c, by64, load(bytes + 32));
    d = fold(d, by64, load(bytes + 48));
  }
  __m128i lane = fold(fold(fold(a, by16, b), by16, c), by16, d);
  for (; length >= 16; bytes += 16, length -= 16) lane = fold(lane, by16, load(bytes));
  return reduce(lane);
}

#undef OB_CLMUL_TARGET

}  // namespace ob::zip::crc

#endif
