#include "document/archive/sha256_blocks.h"

#if defined(__x86_64__)
#include <immintrin.h>

namespace ob::sha256 {
namespace {

#define OB_SHA_TARGET __attribute__((target("sha,sse4.1,ssse3")))

// Four message words, read big-endian.
OB_SHA_TARGET inline __m128i loadWords(const std::uint8_t* bytes, __m128i bigEndian) {
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)), bigEndian);
}

// Four rounds: the message words plus their constants, two rounds an
// instruction, the state held as ABEF and CDGH.
OB_SHA_TARGET inline void fourRounds(__m128i& abef, __m128i& cdgh, __m128i words, int group) {
  __m128i sum = _mm_add_epi32(words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRound + 4 * group)));
  cdgh = _mm_sha256rnds2_epu32(cdgh, abef, sum);
  sum = _mm_shuffle_epi32(sum, 0x0E);
  abef = _mm_sha256rnds2_epu32(abef, cdgh, sum);
}

// The next four message words from the sixteen before them, oldest first.
OB_SHA_TARGET inline __m128i nextWords(__m128i w0, __m128i w1, __m128i w2, __m128i w3) {
  return _mm_sha256msg2_epu32(_mm_add_epi32(_mm_sha256msg1_epu32(w0, w1), _mm_alignr_epi8(w3, w2, 4)), w3);
}

}  // namespace

OB_SHA_TARGET void x86Blocks(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count) {
  const __m128i bigEndian = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
  const __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  const __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
  for (; count > 0; --count, blocks += 64) {
    const __m128i abefBefore = abef, cdghBefore = cdgh;
    __m128i w0 = loadWords(blocks, bigEndian), w1 = loadWords(blocks + 16, bigEndian);
    __m128i w2 = loadWords(blocks + 32, bigEndian), w3 = loadWords(blocks + 48, bigEndian);
    fourRounds(abef, cdgh, w0, 0);
    fourRounds(abef, cdgh, w1, 1);
    fourRounds(abef, cdgh, w2, 2);
    fourRounds(abef, cdgh, w3, 3);
    for (int group = 4; group < 16; group += 4) {
      w0 = nextWords(w0, w1, w2, w3);
      fourRounds(abef, cdgh, w0, group);
      w1 = nextWords(w1, w2, w3, w0);
      fourRounds(abef, cdgh, w1, group + 1);
      w2 = nextWords(w2, w3, w0, w1);
      fourRounds(abef, cdgh, w2, group + 2);
      w3 = nextWords(w3, w0, w1, w2);
      fourRounds(abef, cdgh, w3, group + 3);
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

#undef OB_SHA_TARGET

}  // namespace ob::sha256

#endif
