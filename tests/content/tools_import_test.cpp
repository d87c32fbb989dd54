#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "content/tools/home_folder.h"
#include "content/tools/kits_folder.h"
#include "content/tools/sample_import.h"
#include "document/archive/sha256.h"
#include "document/wav/wav.h"
#include "document/wav/wav_header.h"
#include "document/wav/wav_pool.h"
#include "engine/model/project.h"
#include "engine/pool/sample_limits.h"
#include "engine/pool/sample_pool.h"
#include "support/allocation_counter.h"
#include "support/scoped_env.h"

namespace tools_import_test {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
struct TempDir {
  fs::path path;
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path = fs::temp_directory_path() / (std::string("ob-tools-") + info->test_suite_name() + "-" +
                                        info->name() + "-" + std::to_string(::getpid()));
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

void writeFile(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> toneWav(int frames = 256, bool stereo = false) {
  std::vector<float> l(frames), r(frames);
  for (int k = 0; k < frames; ++k) {
    l[k] = 0.5f * static_cast<float>(k % 32) / 32.0f;
    r[k] = -l[k];
  }
  return ob::encodeWav(l.data(), stereo ? r.data() : nullptr, frames, 22050.0);
}

struct ImportTest : ::testing::Test {
  TempDir dir;
  ob::SamplePool pool;
  std::unique_ptr<ob::Project> project = ob::makeProject();

  void expectUnchanged(int slots, const ob::Project& before) {
    EXPECT_EQ(pool.slotCount(), slots);
    EXPECT_EQ(std::memcmp(&before, project.get(), sizeof(ob::Project)), 0);
  }
};

TEST_F(ImportTest, ImportsIntoANewSlotWithAFreshRecord) {
  const fs::path file = dir.path / "Snare 01.wav";
  writeFile(file, toneWav(256, true));
  // A stale record where the new slot lands is replaced whole.
  ob::SampleSlot& stale = project->samples.slots[0];
  ob::copyText(stale.id, "smp-old");
  ob::copyText(stale.factory, "old");
  ob::copyText(stale.tags[0], "kick");
  stale.tagCount = 1;
  stale.sliceCount = 3;
  stale.src = 2;

  std::string error;
  ASSERT_EQ(ob::importWavFile(pool, *project, file, &error), 0) << error;
  EXPECT_EQ(pool.slotCount(), 1);
  EXPECT_EQ(pool.slots[0]->frames, 256);
  EXPECT_EQ(pool.slots[0]->right.size(), 256u);
  EXPECT_DOUBLE_EQ(pool.slots[0]->sampleRate, 22050.0);
  const ob::SampleSlot& rec = project->samples.slots[0];
  EXPECT_STREQ(rec.name, "Snare 01.wav");
  EXPECT_STREQ(rec.id, "");
  EXPECT_STREQ(rec.factory, "");
  EXPECT_EQ(rec.tagCount, 0);
  EXPECT_EQ(rec.sliceCount, 0);
  EXPECT_EQ(rec.src, 0);
  EXPECT_EQ(project->samples.count, 1);

  // A second import goes after it; the count never shrinks. The same file
  // plays the audio already held; another of the same audio does not.
  project->samples.count = 5;
  ASSERT_EQ(ob::importWavFile(pool, *project, file, &error), 1);
  EXPECT_EQ(project->samples.count, 5);
  EXPECT_EQ(pool.slots[1]->data, pool.slots[0]->data);
  std::vector<std::uint8_t> chunked = toneWav(256, true);
  for (const char b : {'L', 'I', 'S', 'T', '\4', '\0', '\0', '\0', 'I', 'N', 'F', 'O'})
    chunked.push_back(static_cast<std::uint8_t>(b));
  chunked[4] = static_cast<std::uint8_t>(chunked[4] + 12);  // the RIFF size holds the chunk
  writeFile(dir.path / "Snare 02.wav", chunked);
  ASSERT_EQ(ob::importWavFile(pool, *project, dir.path / "Snare 02.wav", &error), 2) << error;
  EXPECT_NE(pool.slots[2]->data, pool.slots[0]->data);
}

// A load kept a damaged copy of the file, only a reference it could not
// follow (one in upper case), or the file's very bytes under another name:
// the import plays in those slots too, which a save then writes as the
// import, keeping the misnamed entry beside it as stored. A slot that kept
// another file keeps it.
TEST_F(ImportTest, TheFileRepairsTheSlotsThatKeptItUnplayed) {
  const std::vector<std::uint8_t> wav = toneWav();
  writeFile(dir.path / "kick.wav", wav);
  const std::string digest = ob::sha256Hex(wav.data(), wav.size());
  std::string upper = digest;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string misnamed(64, 'b');
  for (const std::string& name : {digest, upper, misnamed, std::string(64, 'a')}) {
    ob::KeptSampleFile kept;
    kept.ref = "asset:" + name;
    kept.why = "its bytes fail their checksum";
    if (name == misnamed) kept.stored = wav, kept.digest = name, kept.bytesDigest = digest;
    pool.append(ob::makeKeptSample(std::move(kept)));
  }
  project->samples.count = 4;
  std::vector<ob::zip::StoredEntry> entries;
  ob::EntriesBeside beside{entries};
  ASSERT_EQ(ob::importWavFile(pool, *project, dir.path / "kick.wav", nullptr, &beside), 4);
  for (const int mended : {0, 1, 2}) EXPECT_EQ(pool.slots[mended]->data, pool.slots[4]->data) << mended;
  EXPECT_EQ(pool.slots[0]->frames, 256);
  EXPECT_TRUE(pool.slots[3]->data->kept());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "assets/" + misnamed);
  EXPECT_EQ(entries[0].payload, wav);
}

TEST_F(ImportTest, FailuresGiveTheirReasonAndChangeNothing) {
  ASSERT_EQ(ob::importWavFile(pool, *project, dir.path / "first.wav"), -1);  // missing
  writeFile(dir.path / "first.wav", toneWav());
  ASSERT_EQ(ob::importWavFile(pool, *project, dir.path / "first.wav"), 0);
  const auto before = *project;

  std::string error;
  EXPECT_EQ(ob::importWavFile(pool, *project, dir.path / "missing.wav", &error), -1);
  EXPECT_EQ(error, "cannot open the file");
  EXPECT_EQ(ob::importWavFile(pool, *project, dir.path, &error), -1);  // a folder
  EXPECT_EQ(error, "not a regular file");

  const fs::path text = dir.path / "notes.wav";
  writeFile(text, {'h', 'e', 'l', 'l', 'o', '\n'});
  EXPECT_EQ(ob::importWavFile(pool, *project, text, &error), -1);
  EXPECT_EQ(error, "not a RIFF/WAVE file");  // the decoder's own words
  const fs::path empty = dir.path / "empty.wav";
  writeFile(empty, {});
  error.clear();
  EXPECT_EQ(ob::importWavFile(pool, *project, empty, &error), -1);
  EXPECT_FALSE(error.empty());

  // No error text asked for: still -1.
  EXPECT_EQ(ob::importWavFile(pool, *project, text), -1);
  expectUnchanged(1, before);
}

// What a chooser or a drop can name besides a WAV file: each is refused at
// once, the pool and project unchanged.
TEST_F(ImportTest, PipesDevicesAndHugeFilesAreRefusedUnread) {
  ASSERT_EQ(::mkfifo((dir.path / "pipe.wav").c_str(), 0644), 0);
  // Over the cap, yet only a header on the disk.
  const fs::path huge = dir.path / "huge.wav";
  writeFile(huge, toneWav());
  fs::resize_file(huge, ob::kMaxSampleFileBytes + 1);
  const fs::path atCap = dir.path / "cap.wav";
  writeFile(atCap, {'n', 'o', 't', ' ', 'r', 'i', 'f', 'f'});
  fs::resize_file(atCap, ob::kMaxSampleFileBytes);
  const auto before = *project;
  const struct {
    fs::path path;
    const char* error;
  } cases[] = {
      {dir.path / "pipe.wav", "not a regular file"},
      {"/dev/zero", "not a regular file"},
      {huge, "the file is larger than 512 MiB, the most a sample's file may be"},
      {atCap, "not a RIFF/WAVE file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string error;
    EXPECT_EQ(ob::importWavFile(pool, *project, c.path, &error), -1);
    EXPECT_EQ(error, c.error);
  }
  expectUnchanged(0, before);
}

// An empty data chunk, or one shorter than a frame (one byte of 16-bit
// audio), is a WAV file with nothing in it to play.
TEST_F(ImportTest, AFileWithoutAWholeFrameIsRefused) {
  for (const std::uint32_t dataBytes : {0u, 1u}) {
    SCOPED_TRACE(dataBytes);
    std::vector<std::uint8_t> bytes = toneWav(4);
    bytes[20] = 1;   // integer PCM
    bytes[32] = 2;   // two bytes a frame
    bytes[34] = 16;  // of 16 bits
    bytes.resize(44 + dataBytes);
    for (int i = 0; i < 4; ++i) bytes[40 + i] = static_cast<std::uint8_t>(dataBytes >> (8 * i));
    const fs::path file = dir.path / "silent.wav";
    writeFile(file, bytes);
    const auto before = *project;
    std::string error;
    EXPECT_EQ(ob::importWavFile(pool, *project, file, &error), -1);
    EXPECT_EQ(error, "the file holds no audio");
    expectUnchanged(0, before);
  }
}

TEST_F(ImportTest, FullPoolIsRefusedBeforeDecoding) {
  const fs::path file = dir.path / "hat.wav";
  writeFile(file, toneWav());
  for (int i = 0; i < 63; ++i) ASSERT_EQ(ob::importWavFile(pool, *project, file), i);
  ASSERT_EQ(ob::importWavFile(pool, *project, file), 63);  // the last free slot
  EXPECT_EQ(project->samples.count, 64);
  const auto before = *project;

  std::string error;
  EXPECT_EQ(ob::importWavFile(pool, *project, file, &error), -1);
  EXPECT_EQ(error, "the sample pool is full");
  expectUnchanged(64, before);  // the pool never grows past 64 slots
}

// An 8-bit file decodes to four times its size: the pool's limits count the
// decoded audio, and a file past them is refused before it is decoded.
TEST_F(ImportTest, TheLimitsCountDecodedMemoryAndRefuseBeforeDecoding) {
  const std::uint32_t frames = 20000;
  std::vector<std::uint8_t> bytes;
  ob::writeWavHeader(bytes, ob::kWavFormatPcm, 1, 22050, 8, frames);
  bytes.resize(bytes.size() + frames, 0x90);
  const fs::path file = dir.path / "eight.wav";
  writeFile(file, bytes);

  ob::SampleLimits limits;
  limits.sampleDecodedBytes = frames * sizeof(float) - 1;
  limits.poolDecodedBytes = 3 * frames * sizeof(float) / 2;
  pool.setLimits(limits);
  const auto before = *project;
  ob::test::resetPeakLiveBytes();
  const std::size_t held = ob::test::liveBytes();
  std::string error;
  EXPECT_EQ(ob::importWavFile(pool, *project, file, &error), -1);
  EXPECT_EQ(error, ob::sampleRefusalText(ob::SampleRefusal::SampleTooLarge, limits));
  EXPECT_LT(ob::test::peakLiveBytes() - held, 2 * std::size_t(frames));
  expectUnchanged(0, before);

  // At the sample limit it is taken; a second one would pass the budget.
  limits.sampleDecodedBytes = frames * sizeof(float);
  pool.setLimits(limits);
  ASSERT_EQ(ob::importWavFile(pool, *project, file, &error), 0) << error;
  EXPECT_EQ(pool.decodedBytes(), frames * sizeof(float));
  std::fill(bytes.end() - frames, bytes.end(), 0x91);
  writeFile(dir.path / "other.wav", bytes);
  EXPECT_EQ(ob::importWavFile(pool, *project, dir.path / "other.wav", &error), -1);
  EXPECT_EQ(error, ob::sampleRefusalText(ob::SampleRefusal::PoolFull, limits));
  EXPECT_EQ(pool.slotCount(), 1);
}

// A file that holds far more than its audio (a chunk no reader plays)
// counts by its size against what a saved project holds: past it, the file
// is refused before it is read, so a save never writes what no load reads.
TEST_F(ImportTest, FilesCountAgainstWhatASaveHolds) {
  std::vector<std::uint8_t> bytes = toneWav();
  const std::uint8_t chunk[8] = {'j', 'u', 'n', 'k', 0, 0, 4, 0};  // 256 KiB
  bytes.insert(bytes.end(), chunk, chunk + 8);
  bytes.resize(bytes.size() + (256u << 10), 0x55);
  ob::SampleLimits limits;
  limits.poolFileBytes = 5 * bytes.size() / 2;
  pool.setLimits(limits);
  // Three files alike but for their padding, each a file of its own.
  std::vector<fs::path> files;
  for (const int fill : {0x55, 0x56, 0x57}) {
    std::fill(bytes.end() - (256u << 10), bytes.end(), fill);
    files.push_back(dir.path / ("padded-" + std::to_string(fill) + ".wav"));
    writeFile(files.back(), bytes);
  }
  ASSERT_EQ(ob::importWavFile(pool, *project, files[0]), 0);
  ASSERT_EQ(ob::importWavFile(pool, *project, files[1]), 1);
  const auto before = *project;
  ob::test::resetPeakLiveBytes();
  const std::size_t held = ob::test::liveBytes();
  std::string error;
  EXPECT_EQ(ob::importWavFile(pool, *project, files[2], &error), -1);
  EXPECT_EQ(error, ob::sampleRefusalText(ob::SampleRefusal::FilesOverBudget, limits));
  EXPECT_LT(ob::test::peakLiveBytes() - held, bytes.size() / 8);
  expectUnchanged(2, before);
}

// A file is decoded where it lies, never read whole: a file of 64-bit
// floats, twice its audio, imports at the cost of its audio, and gives
// itself back byte for byte from the copy made as it was read.
TEST_F(ImportTest, AFileIsDecodedWhereItLies) {
  std::vector<std::uint8_t> bytes;
  const std::uint32_t frames = 1u << 19;
  ob::writeWavHeader(bytes, ob::kWavFormatFloat, 1, 48000, 64, frames * 8);
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double x = std::sin(0.001 * i) / 3.0;
    std::uint8_t word[8];
    std::memcpy(word, &x, sizeof word);
    bytes.insert(bytes.end(), word, word + 8);
  }
  const fs::path file = dir.path / "fine.wav";
  writeFile(file, bytes);
  ob::test::resetPeakLiveBytes();
  const std::size_t held = ob::test::liveBytes();
  std::string error;
  ASSERT_EQ(ob::importWavFile(pool, *project, file, &error), 0) << error;
  EXPECT_LT(ob::test::peakLiveBytes() - held, bytes.size() / 2 + bytes.size() / 8);
  EXPECT_TRUE(ob::isFileOf(bytes, *pool.slots[0]->data));
}

TEST_F(ImportTest, LongNamesAreCutToWholeCharacters) {
  // 70 bytes: cut to the first 63.
  const std::string longName = std::string(66, 'k') + ".wav";
  writeFile(dir.path / longName, toneWav());
  ASSERT_EQ(ob::importWavFile(pool, *project, dir.path / longName), 0);
  EXPECT_EQ(std::string(project->samples.slots[0].name), std::string(63, 'k'));

  // A two-byte character across the 63rd byte is left out rather than split.
  const std::string accented = std::string(62, 'a') + "\xC3\xA9.wav";
  writeFile(dir.path / accented, toneWav());
  ASSERT_EQ(ob::importWavFile(pool, *project, dir.path / accented), 1);
  EXPECT_EQ(std::string(project->samples.slots[1].name), std::string(62, 'a'));

  const std::string fits = std::string(61, 'a') + "\xC3\xA9";
  writeFile(dir.path / fits, toneWav());
  ASSERT_EQ(ob::importWavFile(pool, *project, dir.path / fits), 2);
  EXPECT_EQ(std::string(project->samples.slots[2].name), fits);

  // A name's bytes that are not UTF-8 read as U+FFFD, as a save writes them.
  writeFile(dir.path / "caf\xE9.wav", toneWav());
  ASSERT_EQ(ob::importWavFile(pool, *project, dir.path / "caf\xE9.wav"), 3);
  EXPECT_EQ(std::string(project->samples.slots[3].name), "caf\xEF\xBF\xBD.wav");
}

TEST(FileNamePart, TakesTheTextAfterTheLastSeparator) {
  EXPECT_EQ(ob::fileNamePart("/a/b/Kick.wav"), "Kick.wav");
  EXPECT_EQ(ob::fileNamePart("C:\\drums\\snare.wav"), "snare.wav");
  EXPECT_EQ(ob::fileNamePart("mixed/dir\\hat.wav"), "hat.wav");
  EXPECT_EQ(ob::fileNamePart("plain.wav"), "plain.wav");
  EXPECT_EQ(ob::fileNamePart("dir/"), "");
}

// ------------------------------------------------------------- kits folder

// The current directory is a folder of its own, where nothing may appear.
struct KitsFolderTest : ::testing::Test {
  TempDir dir;
  fs::path previous = fs::current_path();
  ob::test::ScopedEnv dataHome{"XDG_DATA_HOME"};
  ob::test::ScopedEnv home{"HOME"};
  void SetUp() override {
    fs::create_directories(dir.path / "cwd");
    fs::current_path(dir.path / "cwd");
  }
  void TearDown() override {
    fs::current_path(previous);
    EXPECT_TRUE(fs::is_empty(dir.path / "cwd")) << "nothing lands in the current directory";
  }
};

TEST_F(KitsFolderTest, FollowsTheDataHomeAndCreatesItOnce) {
  dataHome.set((dir.path / "data").string());
  const fs::path first = ob::ensureKitsFolder();
  EXPECT_EQ(first, dir.path / "data" / "Orbitrane" / "kits");
  EXPECT_EQ(ob::defaultKitsFolder(), first);
  EXPECT_TRUE(fs::is_directory(first));
  fs::path marker = first / "keep.kit.orbi";
  writeFile(marker, {'{', '}'});
  const fs::path second = ob::ensureKitsFolder();
  EXPECT_EQ(first, second);
  EXPECT_TRUE(fs::exists(marker));  // the existing folder is left alone
}

TEST_F(KitsFolderTest, WithoutAnAbsoluteDataHomeItLivesUnderHome) {
  home.set((dir.path / "home").string());
  for (const std::optional<std::string>& data : {std::optional<std::string>(), std::optional<std::string>(""),
                                                 std::optional<std::string>("rel/data")}) {
    SCOPED_TRACE(data.value_or("(unset)"));
    dataHome.set(data);
    EXPECT_EQ(ob::ensureKitsFolder(), dir.path / "home" / ".local" / "share" / "Orbitrane" / "kits");
  }
}

TEST_F(KitsFolderTest, WithoutAnAbsoluteHomeThePasswordEntryGivesIt) {
  dataHome.set(std::nullopt);
  const passwd* user = ::getpwuid(::getuid());
  if (user == nullptr || user->pw_dir == nullptr || user->pw_dir[0] != '/') GTEST_SKIP() << "no home folder";
  for (const std::optional<std::string>& value :
       {std::optional<std::string>(), std::optional<std::string>(""), std::optional<std::string>("me")}) {
    SCOPED_TRACE(value.value_or("(unset)"));
    home.set(value);
    // Only the path: the user's real home is left alone.
    EXPECT_EQ(ob::homeFolder(), fs::path(user->pw_dir));
    EXPECT_EQ(ob::defaultKitsFolder(), fs::path(user->pw_dir) / ".local" / "share" / "Orbitrane" / "kits");
  }
}

TEST_F(KitsFolderTest, AFolderThatCannotBeMadeIsReportedAndStillReturned) {
  dataHome.set((dir.path / "data").string());
  fs::create_directories(dir.path / "data");
  writeFile(dir.path / "data" / "Orbitrane", {'x'});  // a file in the way
  ::testing::internal::CaptureStderr();
  const fs::path got = ob::ensureKitsFolder();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(got, dir.path / "data" / "Orbitrane" / "kits");
  EXPECT_EQ(err.rfind("orbitrane: cannot create " + got.string() + ": ", 0), 0u) << err;
  EXPECT_EQ(err.back(), '\n');
  EXPECT_FALSE(fs::exists(got));
}

}  // namespace tools_import_test
