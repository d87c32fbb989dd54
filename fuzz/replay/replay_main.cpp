// Runs a fuzz target over stored inputs without libFuzzer: each file named,
// or each file in each folder named, goes through the target once. The
// sanitizers of the build it is part of turn any fault into a failed run,
// and an input that holds more memory at its peak than the target's limit
// fails it too, so the seed corpora are checked by every test run, with
// any compiler.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "support/allocation_counter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Set up once, before the first input, where a target needs it.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

// Runs the input; false when it cannot be read or holds more than `limit`
// bytes at its peak.
bool replayFile(const std::filesystem::path& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ob::test::resetPeakLiveBytes();
  const std::size_t before = ob::test::liveBytes();
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  const std::size_t peak = ob::test::peakLiveBytes() - before;
  if (peak <= limit) return true;
  std::fprintf(stderr, "%s held %.1f MiB at its peak, past the %.0f MiB an input may\n", path.c_str(),
               static_cast<double>(peak) / kMiB, static_cast<double>(limit) / kMiB);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || std::strcmp(argv[1], "--memory-limit-mb") != 0) {
    std::fprintf(stderr, "usage: %s --memory-limit-mb N <input file or folder>...\n", argv[0]);
    return 2;
  }
  const std::size_t limit = static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10)) << 20;
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  std::size_t replayed = 0;
  bool failed = false;
  for (int i = 3; i < argc; ++i) {
    const std::filesystem::path arg = argv[i];
    std::error_code error;
    if (std::filesystem::is_directory(arg, error)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg, error)) {
        if (!entry.is_regular_file()) continue;
        failed = !replayFile(entry.path(), limit) || failed;
        ++replayed;
      }
      if (error) {
        std::fprintf(stderr, "cannot list %s: %s\n", arg.c_str(), error.message().c_str());
        return 1;
      }
    } else {
      failed = !replayFile(arg, limit) || failed;
      ++replayed;
    }
  }
  std::printf("replayed %zu inputs\n", replayed);
  // An empty corpus would make the run prove nothing.
  return replayed > 0 && !failed ? 0 : 1;
}
