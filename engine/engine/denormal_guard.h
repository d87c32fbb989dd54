#pragma once
// Flush-to-zero and denormals-are-zero for the span of one audio block, the
// previous mode restored afterwards. Decaying filters and tails would
// otherwise crawl through denormal values at many times the normal cost.

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define OB_HAS_MXCSR 1
#endif

namespace ob {

class DenormalGuard {
 public:
  DenormalGuard() {
#ifdef OB_HAS_MXCSR
    saved_ = _mm_getcsr();
    _mm_setcsr(saved_ | 0x8040u);  // FTZ (bit 15) and DAZ (bit 6)
#endif
  }
  ~DenormalGuard() {
#ifdef OB_HAS_MXCSR
    _mm_setcsr(saved_);
#endif
  }
  DenormalGuard(const DenormalGuard&) = delete;
  DenormalGuard& operator=(const DenormalGuard&) = delete;

 private:
  unsigned saved_ = 0;
};

}  // namespace ob
