// The plug-in's state load, and its load then save, of a 256 MiB state of
// 32-bit float samples, timed in one run beside `sha256sum` of the same
// file: one pass over the state's bytes by a program made for nothing else.
// The state is made by the plug-in's own save and kept in a file, read and
// written a megabyte a call as a host streams its session. Each of the
// three runs in turn, a fresh instance for every load, and the medians of
// the rounds are reported with their ratios to the hash of the file, by
// wall-clock time and by processor time.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "document/wav/wav.h"
#include "document/wav/wav_pool.h"
#include "engine/model/project.h"
#include "support/plugin/state_harness.h"

namespace {

using statetest::FakeHost;
using statetest::Instance;

// Four stereo samples of noise, each 64 MiB as a file.
constexpr int kSamples = 4;
constexpr std::int32_t kFrames = std::int32_t(8) << 20;
constexpr int kRounds = 3;

std::filesystem::path scratchPath(const char* what) {
  return std::filesystem::temp_directory_path() /
         ("ob_benchmark_state_" + std::to_string(::getpid()) + "_" + what + ".state");
}

std::int64_t fileRead(const clap_istream_t* s, void* buffer, std::uint64_t size) {
  const std::size_t n =
      std::fread(buffer, 1, std::min<std::uint64_t>(size, 1u << 20), static_cast<FILE*>(s->ctx));
  return std::ferror(static_cast<FILE*>(s->ctx)) ? -1 : static_cast<std::int64_t>(n);
}

std::int64_t fileWrite(const clap_ostream_t* s, const void* buffer, std::uint64_t size) {
  return std::fwrite(buffer, 1, size, static_cast<FILE*>(s->ctx)) == size ? static_cast<std::int64_t>(size)
                                                                          : -1;
}

bool saveTo(Instance& instance, const std::filesystem::path& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const clap_ostream_t stream{file, fileWrite};
  const bool saved = instance.extension<clap_plugin_state_t>(CLAP_EXT_STATE)->save(instance.clap, &stream);
  return std::fclose(file) == 0 && saved;
}

bool loadFrom(Instance& instance, const std::filesystem::path& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  const clap_istream_t stream{file, fileRead};
  const bool loaded = instance.extension<clap_plugin_state_t>(CLAP_EXT_STATE)->load(instance.clap, &stream);
  std::fclose(file);
  return loaded;
}

// The state file, made once by an instance holding the samples as imports.
const std::filesystem::path& stateFile() {
  static const std::filesystem::path path = [] {
    const std::filesystem::path made = scratchPath("made");
    FakeHost host;
    Instance instance(host);
    std::mt19937 noise(89);
    const auto level = [&noise] { return static_cast<float>(static_cast<std::int32_t>(noise())) * 0x1p-32f; };
    std::vector<float> left(kFrames), right(kFrames);
    ob::SampleSlotTable& samples = instance.project().samples;
    for (int i = 0; i < kSamples; ++i) {
      for (std::int32_t f = 0; f < kFrames; ++f) left[f] = level(), right[f] = level();
      const std::uint32_t slot = samples.count;
      if (ob::replaceSlotWav(instance.engineHost().pool, slot,
                             ob::encodeWav(left.data(), right.data(), kFrames, 48000.0)) < 0)
        return std::filesystem::path();
      samples.slots[slot] = {};
      std::snprintf(samples.slots[slot].name, sizeof samples.slots[slot].name, "noise %d.wav", i);
      samples.count = static_cast<std::uint8_t>(slot + 1);
    }
    return saveTo(instance, made) ? made : std::filesystem::path();
  }();
  return path;
}

// Wall-clock seconds, and the processor seconds (user and system) of this
// process or of the children it waited for: on a shared machine the second
// leaves out the time others held the core.
struct Spent {
  std::vector<double> wall, cpu;
};

double cpuSeconds(int who) {
  rusage usage{};
  ::getrusage(who, &usage);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

template <typename Step>
void timeInto(Spent& spent, int who, Step&& step) {
  const double cpu0 = cpuSeconds(who);
  const auto t0 = std::chrono::steady_clock::now();
  step();
  spent.wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  spent.cpu.push_back(cpuSeconds(who) - cpu0);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void report(benchmark::State& state, const std::string& name, const Spent& spent, const Spent& hash) {
  state.counters[name + "_s"] = median(spent.wall);
  state.counters[name + "_cpu_s"] = median(spent.cpu);
  state.counters[name + "_over_sha256sum"] = median(spent.wall) / median(hash.wall);
  state.counters[name + "_over_sha256sum_cpu"] = median(spent.cpu) / median(hash.cpu);
}

void BM_StateLoadSaveAgainstSha256sum(benchmark::State& state) {
  const std::filesystem::path& file = stateFile();
  if (file.empty()) {
    state.SkipWithError("the state could not be made");
    return;
  }
  const std::filesystem::path saved = scratchPath("saved");
  const std::string hashCommand = "sha256sum '" + file.string() + "' >/dev/null";
  Spent load, loadSave, hash;
  bool ok = true;
  for (auto _ : state) {
    for (int round = 0; round < kRounds; ++round) {
      {
        FakeHost host;
        Instance instance(host);
        timeInto(load, RUSAGE_SELF, [&] { ok = loadFrom(instance, file) && ok; });
      }
      {
        FakeHost host;
        Instance instance(host);
        timeInto(loadSave, RUSAGE_SELF,
                 [&] { ok = loadFrom(instance, file) && saveTo(instance, saved) && ok; });
      }
      timeInto(hash, RUSAGE_CHILDREN, [&] { ok = std::system(hashCommand.c_str()) == 0 && ok; });
    }
  }
  ok = ok && std::filesystem::file_size(saved) == std::filesystem::file_size(file);
  std::error_code ec;
  std::filesystem::remove(saved, ec);
  if (!ok) state.SkipWithError("a load, a save or the hash failed");
  state.counters["state_MiB"] = double(std::filesystem::file_size(file)) / double(1 << 20);
  state.counters["sha256sum_s"] = median(hash.wall);
  state.counters["sha256sum_cpu_s"] = median(hash.cpu);
  report(state, "load", load, hash);
  report(state, "load_save", loadSave, hash);
}
BENCHMARK(BM_StateLoadSaveAgainstSha256sum)->Unit(benchmark::kSecond)->Iterations(1);

// The state file goes when the program ends.
const struct RemoveStateFile {
  ~RemoveStateFile() {
    std::error_code ec;
    std::filesystem::remove(scratchPath("made"), ec);
  }
} removeStateFile;

}  // namespace
