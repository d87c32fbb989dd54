#include "document/archive/cpu_features.h"

#if defined(__x86_64__)
#include <cpuid.h>
#elif defined(__aarch64__)
#include <asm/hwcap.h>
#include <sys/auxv.h>
#endif

namespace ob {
namespace {

#if defined(__x86_64__)
struct X86Features {
  bool sse41 = false, ssse3 = false, pclmul = false, sha = false;
};

X86Features askCpuid() {
  X86Features f;
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d)) {
    f.pclmul = (c & bit_PCLMUL) != 0;
    f.ssse3 = (c & bit_SSSE3) != 0;
    f.sse41 = (c & bit_SSE4_1) != 0;
  }
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d)) f.sha = (b & bit_SHA) != 0;
  return f;
}

const X86Features& x86() {
  static const X86Features features = askCpuid();
  return features;
}
#endif

}  // namespace

bool cpuHasSha256Instructions() {
#if defined(__x86_64__)
  return x86().sha && x86().sse41 && x86().ssse3;
#elif defined(__aarch64__)
  return (getauxval(AT_HWCAP) & HWCAP_SHA2) != 0;
#else
  return false;
#endif
}

bool cpuHasCarrylessMultiply() {
#if defined(__x86_64__)
  return x86().pclmul && x86().sse41;
#else
  return false;
#endif
}

bool cpuHasWideVectors() {
#if defined(__x86_64__)
  // The compiler's own check asks the system too, which must save the
  // wide registers for them to be used.
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2;
#else
  return false;
#endif
}

bool cpuHasCrc32Instructions() {
#if defined(__aarch64__)
  return (getauxval(AT_HWCAP) & HWCAP_CRC32) != 0;
#else
  return false;
#endif
}

}  // namespace ob
