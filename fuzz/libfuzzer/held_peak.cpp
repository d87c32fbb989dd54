// What one input holds of the heap at its peak, held to the limit
// scripts/fuzz.sh gives the target (OB_FUZZ_HELD_LIMIT_MB, from
// fuzz/memory_limits), as the replay of the seeds holds every stored input
// to it. Counted by the sanitizer's allocation hooks from where the input
// began, so that what the fuzzer itself and the allocator's quarantine of
// freed blocks hold, which grow over a long run, count for nothing; the
// resident limit stays a backstop for what no hook sees. Wraps the target's
// entry point (linked with -Wl,--wrap=LLVMFuzzerTestOneInput).
#include <sanitizer/allocator_interface.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<std::int64_t> gLive{0};  // since the hooks went in
std::atomic<std::int64_t> gPeak{0};  // the most since the input began

void onAllocated(const volatile void*, std::size_t bytes) {
  const std::int64_t live =
      gLive.fetch_add(static_cast<std::int64_t>(bytes)) + static_cast<std::int64_t>(bytes);
  std::int64_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
}

void onFreed(const volatile void* block) {
  if (block != nullptr)
    gLive.fetch_sub(
        static_cast<std::int64_t>(__sanitizer_get_allocated_size(const_cast<const void*>(block))));
}

std::int64_t limitBytes() {
  static const std::int64_t limit = [] {
    const char* mb = std::getenv("OB_FUZZ_HELD_LIMIT_MB");
    return mb != nullptr ? std::atoll(mb) << 20 : 0;
  }();
  return limit;
}

}  // namespace

extern "C" int __real_LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int __wrap_LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int hooked = __sanitizer_install_malloc_and_free_hooks(onAllocated, onFreed);
  (void)hooked;
  const std::int64_t before = gLive.load();
  gPeak.store(before);
  const int result = __real_LLVMFuzzerTestOneInput(data, size);
  const std::int64_t held = gPeak.load() - before;
  if (limitBytes() > 0 && held > limitBytes()) {
    std::fprintf(stderr, "==held-peak== the input held %.1f MiB at its peak, past its limit of %lld MiB\n",
                 static_cast<double>(held) / (1 << 20), static_cast<long long>(limitBytes() >> 20));
    std::abort();
  }
  return result;
}
