// Kit 7 ("Modern Acoustic") with every sample asset replaced by one file a
// user might bring, loaded as a state and played through the plug-in:
// damaged float files never reach the output at absurd levels, the odd bit
// depths converters write are heard as plain 16-bit files are, and a large
// one travels without a second copy of the state.
#include <gtest/gtest.h>
#include <malloc.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "content/tools/sample_import.h"
#include "document/archive/crc32.h"
#include "document/archive/sha256.h"
#include "document/archive/zip_reader.h"
#include "document/archive/zip_writer.h"
#include "document/json/json_value.h"
#include "document/package/package.h"
#include "document/project/project_save.h"
#include "document/reading/regular_file.h"
#include "document/wav/wav.h"
#include "document/wav/wav_header.h"
#include "document/wav/wav_pool.h"
#include "plugin/arriving_bytes.h"
#include "support/allocation_counter.h"
#include "support/document/scoped_temporary_folders.h"
#include "support/plugin/process_harness.h"
#include "support/plugin/state_harness.h"
#include "support/resident_peak.h"
#include "support/sanitized_build.h"
#include "support/scoped_env.h"
#include "tools/clap_host/factory_kit.h"

namespace state_samples_test {

using namespace statetest;
using Bytes = std::vector<std::uint8_t>;

constexpr double kRate = 48000.0;

// The kit-7 state, every sample of it the given WAV file.
Bytes kitStateWithEverySample(const Bytes& wav) {
  Bytes text;
  std::string error;
  EXPECT_TRUE(orbi::host::factoryKitState("7", text, error)) << error;
  ob::Diagnostics diagnostics;
  std::optional<ob::JsonValue> document = ob::parseDocumentText(text.data(), text.size(), "", diagnostics);
  if (!document) {
    ADD_FAILURE() << "the kit's state does not read back";
    return {};
  }
  ob::Package package;
  package.document = std::move(*document);
  const std::string ref = ob::assetRefFor(package, wav);
  ob::JsonValue* assets = package.document.find("assets");
  EXPECT_TRUE(assets != nullptr && !assets->members.empty());
  if (assets != nullptr)
    for (ob::JsonMember& asset : assets->members) asset.value = ob::makeJsonString(ref);
  const std::optional<Bytes> packed = ob::writePackage(package, diagnostics);
  EXPECT_TRUE(packed.has_value());
  Bytes chunk = {'O', 'B', 'S', '1', 0, 0, 0, 0};
  if (packed) chunk.insert(chunk.end(), packed->begin(), packed->end());
  return chunk;
}

struct Heard {
  bool finite = true;
  float peak = 0.0f;
  double rms = 0.0;
  Bytes saved;  // the state the instance saves afterwards
};

// Half a second of the kit's groove (its first three steps) from a fresh
// instance holding the state.
Heard play(const Bytes& chunk) {
  FakeHost host;
  Instance inst(host);
  EXPECT_TRUE(loadChunk(inst, chunk));
  EXPECT_TRUE(inst.activate(kRate, 256));
  inst.engineHost().internalPlay.store(1);
  Heard heard;
  const std::vector<float> out = renderMain(inst, static_cast<int>(kRate / 2 / 256));
  for (float x : out) {
    if (!std::isfinite(x)) {
      heard.finite = false;
      continue;
    }
    heard.peak = std::max(heard.peak, std::fabs(x));
    heard.rms += static_cast<double>(x) * x;
  }
  heard.rms = std::sqrt(heard.rms / static_cast<double>(out.size()));
  heard.saved = saveChunk(inst);
  return heard;
}

// The saved state holds the file byte for byte, and every sample names it.
void expectEverySampleSaved(const Bytes& chunk, const Bytes& wav) {
  ASSERT_GT(chunk.size(), 8u) << "the state was saved";
  ob::Diagnostics d;
  const auto package = ob::readPackage(chunk.data() + 8, chunk.size() - 8, "instance.json", d);
  const std::string digest = ob::sha256Hex(wav.data(), wav.size());
  ASSERT_TRUE(package && ob::findAsset(*package, digest));
  EXPECT_EQ(*ob::findAsset(*package, digest), wav);
  for (const ob::JsonMember& asset : package->document.find("assets")->members)
    EXPECT_EQ(asset.value.text, "asset:" + digest);
}

// A decaying 150 Hz hit at half scale, at the given depth: integers at the
// top of containers of the given bytes.
Bytes pcmHit(int depth, int containerBytes, int channels, int frames = static_cast<int>(kRate / 2)) {
  Bytes wav;
  ob::writeWavHeader(wav, ob::kWavFormatPcm, static_cast<std::uint16_t>(channels),
                     static_cast<std::uint32_t>(kRate), static_cast<std::uint16_t>(depth),
                     static_cast<std::uint32_t>(frames * channels * containerBytes),
                     static_cast<std::uint16_t>(containerBytes));
  const double full = static_cast<double>((std::int64_t{1} << (depth - 1)) - 1);
  wav.reserve(wav.size() + static_cast<std::size_t>(frames * channels * containerBytes));
  for (int i = 0; i < frames; ++i) {
    const double v = 0.5 * std::sin(2.0 * M_PI * 150.0 * i / kRate) * std::exp(-4.0 * i / kRate);
    const auto word = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v * full)))
                      << (8 * containerBytes - depth);
    for (int c = 0; c < channels; ++c)
      for (int b = 0; b < containerBytes; ++b) wav.push_back(static_cast<std::uint8_t>(word >> (8 * b)));
  }
  return wav;
}

Bytes floatFile(std::uint16_t bits, const std::vector<double>& cycle,
                int frames = static_cast<int>(kRate / 2)) {
  const std::uint16_t bytes = bits / 8;
  Bytes wav;
  ob::writeWavHeader(wav, ob::kWavFormatFloat, 1, static_cast<std::uint32_t>(kRate), bits,
                     static_cast<std::uint32_t>(frames * bytes));
  wav.reserve(wav.size() + static_cast<std::size_t>(frames) * bytes);
  for (int i = 0; i < frames; ++i) {
    const double v = cycle[static_cast<std::size_t>(i) % cycle.size()];
    std::uint64_t word = 0;
    if (bits == 32) {
      const float f = static_cast<float>(v);
      std::uint32_t u;
      std::memcpy(&u, &f, 4);
      word = u;
    } else {
      std::memcpy(&word, &v, 8);
    }
    for (int b = 0; b < bytes; ++b) wav.push_back(static_cast<std::uint8_t>(word >> (8 * b)));
  }
  return wav;
}

TEST(StateSamples, DamagedFloatFilesNeverReachTheOutput) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> rareSpike(4000, 0.5), lateNan(1 << 19, 0.5), lateSpike(1 << 19, 0.5);
  rareSpike[1234] = 1e38;
  // Found only once the megabytes before them were decoded (and given back).
  lateNan.back() = nan;
  lateSpike.back() = 1e38;
  struct Case {
    const char* name;
    Bytes wav;
  };
  const Case cases[] = {
      {"32-bit: NaN, infinities, 1e38 and 0.5", floatFile(32, {nan, inf, -inf, 1e38, -1e38, 0.5, 0.5, 0.5})},
      {"32-bit: a rare 1e38 among 0.5", floatFile(32, rareSpike)},
      {"32-bit: a NaN after 2 MiB", floatFile(32, lateNan, 1 << 19)},
      {"32-bit: 1e38 after 2 MiB", floatFile(32, lateSpike, 1 << 19)},
      {"64-bit: 1e300 and 0.5", floatFile(64, {1e300, 0.5, -0.5})},
      {"64-bit: 1e39 and 0.5", floatFile(64, {-1e39, 0.5, 0.5, -0.5})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Heard heard = play(kitStateWithEverySample(c.wav));
    EXPECT_TRUE(heard.finite);
    EXPECT_LT(heard.peak, 4.0f);
    // What cannot play is kept: the next save holds it as it came.
    expectEverySampleSaved(heard.saved, c.wav);
  }
}

// 12 bits in 16-bit containers and 20 in 24-bit ones, as converters write
// them, play as loud as the same hit in 16 bits.
TEST(StateSamples, OddBitDepthsAreHeardAsSixteenBitsAre) {
  const Heard reference = play(kitStateWithEverySample(pcmHit(16, 2, 1)));
  ASSERT_GT(reference.rms, 0.01);
  struct Case {
    const char* name;
    int depth, containerBytes, channels;
  };
  for (const Case& c : {Case{"12 bits", 12, 2, 1}, Case{"12 bits, stereo", 12, 2, 2},
                        Case{"20 bits", 20, 3, 1}, Case{"20 bits, stereo", 20, 3, 2}}) {
    SCOPED_TRACE(c.name);
    const Heard heard = play(kitStateWithEverySample(pcmHit(c.depth, c.containerBytes, c.channels)));
    EXPECT_TRUE(heard.finite);
    EXPECT_NEAR(20.0 * std::log10(heard.rms / reference.rms), 0.0, 0.05);
  }
}

// Whether a file with no name in `folder`, open in this process, holds
// all of `size` bytes but those that wait for one batch: where the plug-in
// keeps a state while it arrives.
bool keptUnnamedIn(const std::filesystem::path& folder, std::uintmax_t size) {
  std::error_code ec;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
    const std::string target = std::filesystem::read_symlink(fd.path(), ec).string();
    if (!ec && target.starts_with(folder.string()) && target.ends_with(" (deleted)") &&
        std::filesystem::file_size(fd.path(), ec) + ob::clap::kArrivingFileBatch > size &&
        std::filesystem::file_size(fd.path(), ec) <= size)
      return true;
  }
  return false;
}

// A state read from memory that, once all of it is given, looks where the
// plug-in keeps it.
struct WatchedStream {
  const Bytes& chunk;
  std::filesystem::path folder;
  std::size_t at = 0;
  bool inFile = false;
  clap_istream_t stream{this, [](const clap_istream_t* s, void* out, std::uint64_t size) -> std::int64_t {
                          auto* self = static_cast<WatchedStream*>(s->ctx);
                          const auto n = static_cast<std::size_t>(
                              std::min<std::uint64_t>({size, 4096, self->chunk.size() - self->at}));
                          if (n == 0) self->inFile = keptUnnamedIn(self->folder, self->chunk.size() - 8);
                          std::memcpy(out, self->chunk.data() + self->at, n);
                          self->at += n;
                          return static_cast<std::int64_t>(n);
                        }};
};

// A state's package waits in a file only the plug-in reaches while it
// arrives, and is read from there rather than held in memory beside its
// samples; where no such file can be made, or the disk fills half way, it
// is held in memory and loads all the same. Its save goes to the host a
// piece at a time, with no copy of its own.
TEST(StateSamples, ALargeStateWaitsOnTheDiskAndGoesOutInPieces) {
  Bytes wav;
  constexpr std::uint32_t kAudioBytes = 8u << 20;
  ob::writeWavHeader(wav, ob::kWavFormatPcm, 2, 48000, 16, kAudioBytes);
  std::mt19937 noise(9);
  for (std::uint32_t i = 0; i < kAudioBytes; ++i) wav.push_back(static_cast<std::uint8_t>(noise()));
  const Bytes chunk = kitStateWithEverySample(wav);
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("ob_state_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  ob::test::ScopedEnv tmpdir("TMPDIR", folder.string());
  const ob::test::WithoutSystemTemporaryFolders onlyTmpdir;
  const struct {
    const char* name;
    std::filesystem::path folder;
    rlim_t largestFile;
  } ways[] = {{"in a private file", folder, RLIM_INFINITY},
              {"with no folder for one", folder / "missing", RLIM_INFINITY},
              {"on a disk that fills", folder, 1u << 20}};
  std::vector<Bytes> saves;
  ::signal(SIGXFSZ, SIG_IGN);
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    tmpdir.set(way.folder.string());
    FakeHost host;
    Instance inst(host);
    WatchedStream in{chunk, way.folder};
    rlimit unlimited{};
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &unlimited));
    rlimit limited = unlimited;
    limited.rlim_cur = std::min(way.largestFile, unlimited.rlim_max);
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &limited));
    ob::test::resetPeakLiveBytes();
    const std::size_t before = ob::test::liveBytes();
    const bool loaded = inst.extension<clap_plugin_state_t>(CLAP_EXT_STATE)->load(inst.clap, &in.stream);
    const std::size_t loadPeak = ob::test::peakLiveBytes() - before;
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &unlimited));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(in.inFile, way.largestFile == RLIM_INFINITY && way.folder == folder);
    // The sample is decoded as it is read, its file never held beside its
    // audio (twice the file), nor, on the disk, the state.
    EXPECT_LT(loadPeak, 2 * wav.size() + (in.inFile ? 0 : chunk.size()) + wav.size() / 4);
    saves.push_back(saveChunk(inst));
    EXPECT_EQ(saves.back(), saves.front());
    expectEverySampleSaved(saves.back(), wav);

    struct Digest {
      ob::Sha256 hash;
      clap_ostream_t stream{this, [](const clap_ostream_t* s, const void* bytes, std::uint64_t size) {
                              static_cast<Digest*>(s->ctx)->hash.add(static_cast<const std::uint8_t*>(bytes),
                                                                     static_cast<std::size_t>(size));
                              return static_cast<std::int64_t>(size);
                            }};
    } out;
    ob::test::resetPeakLiveBytes();
    const std::size_t held = ob::test::liveBytes();
    ASSERT_TRUE(inst.extension<clap_plugin_state_t>(CLAP_EXT_STATE)->save(inst.clap, &out.stream));
    EXPECT_LT(ob::test::peakLiveBytes() - held, chunk.size() / 4);
    EXPECT_EQ(out.hash.hex(), ob::sha256Hex(saves.back().data(), saves.back().size()));
  }
  std::filesystem::remove_all(folder);
}

// A host that stops processing or deactivates runs no block to ring a
// voice out: the next load frees the samples the voices played, leaving
// what a fresh instance holds, and nothing of them plays once it starts.
TEST(StateSamples, TheLoadAfterTheHostStopsFreesWhatTheVoicesPlayed) {
  const Bytes wav = floatFile(32, {0.25, -0.25}, 4 << 20);
  Bytes kit;
  std::string error;
  ASSERT_TRUE(orbi::host::factoryKitState("7", kit, error)) << error;
  EventList keys;
  for (std::int16_t key = 60; key <= 67; ++key) keys.add(ob::test::noteOn(0, key));
  for (const bool deactivate : {false, true}) {
    SCOPED_TRACE(deactivate ? "deactivated" : "stopped");
    FakeHost host;
    Instance inst(host);
    ASSERT_TRUE(inst.activate(kRate, 256));
    const std::size_t fresh = ob::test::liveBytes();  // with the factory samples a kit state holds
    ASSERT_TRUE(loadChunk(inst, kitStateWithEverySample(wav)));
    ASSERT_TRUE(inst.clap->start_processing(inst.clap));
    renderMain(inst, 8, 256, &keys);
    ASSERT_TRUE(inst.engineHost().engine.activePlayer(7).isSounding());
    deactivate ? inst.deactivate() : inst.clap->stop_processing(inst.clap);
    ASSERT_TRUE(loadChunk(inst, kit));
    EXPECT_LT(ob::test::liveBytes(), fresh + wav.size() / 2);
    ASSERT_TRUE(!deactivate || inst.activate(kRate, 256));
    ASSERT_TRUE(inst.clap->start_processing(inst.clap));
    const std::vector<float> after = renderMain(inst, 20);
    EXPECT_EQ(*std::max_element(after.begin(), after.end()), 0.0f);
  }
}

// What the unnamed files in `folder` open in this process take on the disk.
std::uint64_t unnamedBytesIn(const std::filesystem::path& folder) {
  std::uint64_t bytes = 0;
  std::error_code ec;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
    const std::string target = std::filesystem::read_symlink(fd.path(), ec).string();
    struct stat st {};
    if (!ec && target.starts_with(folder.string()) && target.ends_with(" (deleted)") &&
        ::stat(fd.path().c_str(), &st) == 0)
      bytes += static_cast<std::uint64_t>(st.st_blocks) * 512;
  }
  return bytes;
}

// Whether a state waits in a private file or, where none takes it, in
// memory, a sample's file is read again from there, never copied out of
// it, and one its audio gives back is given back as it is decoded: the
// load peaks at about what the instance then holds, memory and disk
// together (sampled while it loads, so never above the true peak).
TEST(StateSamples, HeldInMemoryAStateIsNotCopiedOutOfItself) {
  if (ob::test::kSanitizedBuild) GTEST_SKIP() << "resident memory, measured where the sanitizers add none";
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("ob_held_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const ob::test::WithoutSystemTemporaryFolders onlyTmpdir;
  for (const int bits : {32, 16, 64}) {
    const int frames = 4 << 20;  // 64-bit floats finer than 32 are read again
    const Bytes wav = bits == 16 ? pcmHit(16, 2, 1, frames) : floatFile(bits, {0.1, -0.25}, frames);
    const Bytes chunk = kitStateWithEverySample(wav);
    for (const bool inFile : {false, true}) {
      SCOPED_TRACE(testing::Message() << bits << " bits, " << (inFile ? "in a file" : "in memory"));
      ob::test::ScopedEnv tmpdir("TMPDIR", inFile ? folder.string() : "/nonexistent");
      InStream in(chunk);
      FakeHost host;
      Instance inst(host);
      const auto held = [&] { return ob::test::statusBytes("VmRSS") + unnamedBytesIn(folder); };
      ::malloc_trim(0);  // what was freed before is not taken again unseen
      std::ofstream("/proc/self/clear_refs") << "5";
      const std::uint64_t before = held();
      std::atomic<std::uint64_t> peak = before;
      {
        const std::jthread watch([&](std::stop_token stop) {
          while (!stop.stop_requested()) peak = std::max<std::uint64_t>(peak, held());
        });
        ASSERT_TRUE(inst.extension<clap_plugin_state_t>(CLAP_EXT_STATE)->load(inst.clap, &in.stream));
      }
      peak = std::max<std::uint64_t>(peak, ob::test::statusBytes("VmHWM"));
      EXPECT_LT(peak - before, 1.3 * (held() - before));
      expectEverySampleSaved(saveChunk(inst), wav);
    }
  }
  std::filesystem::remove_all(folder);
}

// The kit-7 state of one sample, its entry stored in the `form` given (a
// checksum or a method no load takes), so that the load keeps it unplayed.
Bytes kitStateKeeping(const Bytes& wav, ob::zip::PackedForm form) {
  const Bytes chunk = kitStateWithEverySample(wav);
  ob::Diagnostics d;
  const auto entries = ob::zip::readZip(chunk.data() + 8, chunk.size() - 8, d);
  std::vector<ob::zip::EntryView> views;
  for (const ob::zip::Entry& e : entries.value()) views.push_back({e.name, e.data, e.compress});
  views.back().packed = form;  // the asset
  Bytes state = ob::zip::writeZipViews(views, d).value();
  state.insert(state.begin(), chunk.begin(), chunk.begin() + 8);
  return state;
}

// Loads the state, imports the file into the plug-in's pool as the samples
// page does, and saves through the host and as "Save project" does, each
// save loaded again to hold both files as they came. Under the file-size
// limit (set here, in a child this ends) only the project file passes it,
// and is refused with the limit, the older one kept.
void loadImportAndSave(const Bytes& state, const std::filesystem::path& file, bool held, bool limited) {
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = limited ? 1000 << 10 : limit.rlim_cur;  // as `ulimit -f 1000` sets it
  ::setrlimit(RLIMIT_FSIZE, &limit);
  FakeHost host;
  Instance inst(host);
  ASSERT_TRUE(loadChunk(inst, state));
  ASSERT_TRUE(inst.engineHost().pool.slots.at(0)->data->kept());
  const ob::KeptSampleFile kept = *inst.engineHost().pool.slots[0]->data->kept();
  const std::int32_t slot = ob::importWavFile(inst.engineHost().pool, inst.project(), file);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(!inst.engineHost().pool.slots[slot]->data->heldBytes().empty(), held) << "the copy is in memory";
  const Bytes hostSave = saveChunk(inst);
  const std::filesystem::path project = file.parent_path() / "song.project.orbi";
  std::ofstream(project) << "older";
  std::string why;
  ob::saveDocumentFile(project, inst.project(), inst.engineHost().pool, inst.self->keptDocument, &why);
  EXPECT_EQ(why.ends_with("bytes, the file-size limit the host runs under"), limited) << why;
  Bytes projectFile, imported;
  ob::readRegularFile(project, projectFile, std::uint64_t(1) << 30);
  ob::readRegularFile(file, imported, std::uint64_t(1) << 30);
  EXPECT_EQ(projectFile == Bytes({'o', 'l', 'd', 'e', 'r'}), limited);
  for (const Bytes& saved :
       limited ? std::vector<Bytes>{hostSave} : std::vector<Bytes>{hostSave, projectFile}) {
    FakeHost again;
    Instance reloaded(again);
    ASSERT_TRUE(loadChunk(reloaded, saved));
    const auto& slots = reloaded.engineHost().pool.slots;
    EXPECT_TRUE(slots.at(0)->data->kept() && *slots[0]->data->kept() == kept) << "kept as stored";
    EXPECT_TRUE(ob::isFileOf(imported, *slots.at(slot)->data)) << "the import byte for byte";
  }
}

// Each kind of kept sample, then an import whose file is copied aside: into
// $TMPDIR, into the system's folder where $TMPDIR names a file, into memory
// where no folder takes it, and into memory under a file-size limit
// smaller than the samples, which the host lives through.
TEST(StateSamples, AKeptSampleAndAnImportBothSaveWhereverTheCopyGoes) {
  const Bytes kept = floatFile(32, {0.25, -0.5}, 300000);
  const std::uint32_t crc = ob::zip::crc32(kept.data(), kept.size());
  const auto size = static_cast<std::uint32_t>(kept.size());
  const struct {
    ob::zip::PackedForm form;
    Bytes import;
  } combinations[] = {{{0, 0, crc ^ 1, size}, floatFile(64, {0.1}, 150000)},  // a failing checksum
                      {{12, 0, crc, size}, pcmHit(32, 4, 1, 300000)}};        // bzip2
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("ob_copies_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "plain") << "a file";
  ob::test::ScopedEnv tmpdir("TMPDIR");
  for (const auto& c : combinations) {
    const Bytes state = kitStateKeeping(kept, c.form);
    std::ofstream(dir / "import.wav", std::ios::binary)
        .write(reinterpret_cast<const char*>(c.import.data()), static_cast<std::streamsize>(c.import.size()));
    for (const std::string way : {"", "plain", "missing", "limited"}) {
      SCOPED_TRACE(std::to_string(c.form.method) + ": " + way);
      tmpdir.set((dir / (way == "limited" ? "" : way)).string());
      std::optional<ob::test::WithoutSystemTemporaryFolders> none;
      if (way == "missing") none.emplace();
      if (way != "limited")
        loadImportAndSave(state, dir / "import.wav", way == "missing", false);
      else
        EXPECT_EXIT((loadImportAndSave(state, dir / "import.wav", true, true), std::_Exit(HasFailure())),
                    ::testing::ExitedWithCode(0), "")
            << "the host lives";
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace state_samples_test
