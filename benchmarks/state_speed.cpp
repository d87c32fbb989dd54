// The plug-in's state load then save of a 256 MiB state, for each way its
// samples' files store them (32-bit and 64-bit float, 16-bit and 24-bit
// PCM), timed in one run beside `sha256sum` of the same file: one pass over
// the state's bytes by a program made for nothing else. Each state is made
// by the plug-in's own save of four imported stereo files and kept in a
// file, read and written a megabyte a call as a host streams its session.
// Every round loads into a fresh instance and saves it again, then hashes
// the file; the medians of the rounds are reported with the ratio of the
// load and save to the hash, by wall-clock time and by processor time.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "document/wav/sample_encoding.h"
#include "document/wav/wav_header.h"
#include "document/wav/wav_pool.h"
#include "engine/model/project.h"
#include "support/plugin/state_harness.h"

namespace {

using statetest::FakeHost;
using statetest::Instance;

// Four stereo files, each 64 MiB.
constexpr int kSamples = 4;
constexpr std::uint64_t kFileAudioBytes = std::uint64_t(64) << 20;
constexpr int kRounds = 5;

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

// A stereo WAV file of noise stored in that coding. The 64-bit float noise
// is finer than 32 bits, as a file of that depth holds, so its audio does
// not give it back.
std::vector<std::uint8_t> noiseFile(ob::SampleCoding coding, std::mt19937_64& noise) {
  const std::uint32_t sampleBytes = ob::codedSampleBytes(coding);
  const std::uint64_t frames = kFileAudioBytes / (2 * sampleBytes);
  const std::uint64_t samples = 2 * frames;
  const bool isFloat = coding == ob::SampleCoding::Float32 || coding == ob::SampleCoding::Float64;
  std::vector<std::uint8_t> file;
  ob::writeWavHeader(file, isFloat ? ob::kWavFormatFloat : ob::kWavFormatPcm, 2, 48000,
                     static_cast<std::uint16_t>(8 * sampleBytes),
                     static_cast<std::uint32_t>(samples * sampleBytes));
  const std::size_t head = file.size();
  file.resize(head + samples * sampleBytes);
  std::uint8_t* at = file.data() + head;
  for (std::uint64_t i = 0; i < samples; ++i, at += sampleBytes) {
    const std::uint64_t bits = noise();
    if (coding == ob::SampleCoding::Float32) {
      const float x = static_cast<float>(static_cast<std::int32_t>(bits)) * 0x1p-32f;
      std::memcpy(at, &x, sizeof x);
    } else if (coding == ob::SampleCoding::Float64) {
      const double x = static_cast<double>(static_cast<std::int64_t>(bits)) * 0x1p-64;
      std::memcpy(at, &x, sizeof x);
    } else {
      std::memcpy(at, &bits, sampleBytes);
    }
  }
  return file;
}

// The state file of four such files, made by an instance holding them as
// imports; empty when it could not be made.
std::filesystem::path makeState(ob::SampleCoding coding) {
  const std::filesystem::path made = scratchPath("made");
  FakeHost host;
  Instance instance(host);
  std::mt19937_64 noise(89);
  ob::SampleSlotTable& samples = instance.project().samples;
  for (int i = 0; i < kSamples; ++i) {
    const std::uint32_t slot = samples.count;
    if (ob::replaceSlotWav(instance.engineHost().pool, slot, noiseFile(coding, noise)) < 0) return {};
    samples.slots[slot] = {};
    std::snprintf(samples.slots[slot].name, sizeof samples.slots[slot].name, "noise %d.wav", i);
    samples.count = static_cast<std::uint8_t>(slot + 1);
  }
  return saveTo(instance, made) ? made : std::filesystem::path();
}

// Whether two files hold the same bytes: a save after a load writes the
// state it loaded.
bool sameBytes(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::ifstream one(a, std::ios::binary), other(b, std::ios::binary);
  std::vector<char> x(1 << 20), y(1 << 20);
  while (one && other) {
    one.read(x.data(), static_cast<std::streamsize>(x.size()));
    other.read(y.data(), static_cast<std::streamsize>(y.size()));
    if (one.gcount() != other.gcount() || !std::equal(x.begin(), x.begin() + one.gcount(), y.begin()))
      return false;
  }
  return one.eof() && other.eof();
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

// Each round's load and save together.
Spent together(const Spent& a, const Spent& b) {
  Spent sum;
  for (std::size_t i = 0; i < a.wall.size(); ++i) {
    sum.wall.push_back(a.wall[i] + b.wall[i]);
    sum.cpu.push_back(a.cpu[i] + b.cpu[i]);
  }
  return sum;
}

void BM_StateLoadSaveAgainstSha256sum(benchmark::State& state, ob::SampleCoding coding) {
  const std::filesystem::path file = makeState(coding);
  if (file.empty()) {
    state.SkipWithError("the state could not be made");
    return;
  }
  const std::filesystem::path saved = scratchPath("saved");
  const std::string hashCommand = "sha256sum '" + file.string() + "' >/dev/null";
  Spent load, save, hash;
  bool ok = true;
  for (auto _ : state) {
    for (int round = 0; round < kRounds; ++round) {
      {
        // Each save goes to a new file, as a host writes its session anew.
        std::error_code ec;
        std::filesystem::remove(saved, ec);
        FakeHost host;
        Instance instance(host);
        timeInto(load, RUSAGE_SELF, [&] { ok = loadFrom(instance, file) && ok; });
        timeInto(save, RUSAGE_SELF, [&] { ok = saveTo(instance, saved) && ok; });
      }
      timeInto(hash, RUSAGE_CHILDREN, [&] { ok = std::system(hashCommand.c_str()) == 0 && ok; });
    }
  }
  ok = ok && sameBytes(saved, file);
  state.counters["state_MiB"] = double(std::filesystem::file_size(file)) / double(1 << 20);
  std::error_code ec;
  std::filesystem::remove(saved, ec);
  std::filesystem::remove(file, ec);
  if (!ok) state.SkipWithError("a load, a save or the hash failed, or the save is not the state loaded");
  const Spent loadSave = together(load, save);
  state.counters["load_s"] = median(load.wall);
  state.counters["save_s"] = median(save.wall);
  state.counters["load_save_s"] = median(loadSave.wall);
  state.counters["sha256sum_s"] = median(hash.wall);
  state.counters["ratio"] = median(loadSave.wall) / median(hash.wall);
  state.counters["ratio_cpu"] = median(loadSave.cpu) / median(hash.cpu);
}
BENCHMARK_CAPTURE(BM_StateLoadSaveAgainstSha256sum, float32, ob::SampleCoding::Float32)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_StateLoadSaveAgainstSha256sum, float64, ob::SampleCoding::Float64)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_StateLoadSaveAgainstSha256sum, pcm16, ob::SampleCoding::Pcm16)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_StateLoadSaveAgainstSha256sum, pcm24, ob::SampleCoding::Pcm24)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace
