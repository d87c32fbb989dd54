// Runs a fuzz target over stored inputs without libFuzzer: each file named,
// or each file in each folder named, goes through the target once. The
// sanitizers of the build it is part of turn any fault into a failed run,
// so the seed corpora are checked by every test run, with any compiler.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool replayFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <input file or folder>...\n", argv[0]);
    return 2;
  }
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg = argv[i];
    std::error_code error;
    if (std::filesystem::is_directory(arg, error)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg, error)) {
        if (!entry.is_regular_file()) continue;
        if (!replayFile(entry.path())) return 1;
        ++replayed;
      }
      if (error) {
        std::fprintf(stderr, "cannot list %s: %s\n", arg.c_str(), error.message().c_str());
        return 1;
      }
    } else if (!replayFile(arg)) {
      return 1;
    } else {
      ++replayed;
    }
  }
  std::printf("replayed %zu inputs\n", replayed);
  // An empty corpus would make the run prove nothing.
  return replayed > 0 ? 0 : 1;
}
