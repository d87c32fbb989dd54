// Reading a file the user named: only a regular file is read, its size is
// checked before anything is read, and its first bytes before the rest.
#include "document/reading/regular_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

#include "document/reading/private_file.h"
#include "project_rig.h"
#include "support/document/scoped_temporary_folders.h"
#include "support/scoped_env.h"

namespace reading_file_test {

namespace fs = std::filesystem;
using ob::FileReadStatus;

using obtest::writeSparse;

TEST(RegularFile, ReadsARegularFileWhole) {
  obtest::TempDir dir;
  const std::vector<std::uint8_t> bytes = obtest::toneWav(3);
  obtest::writeFile(dir / "tone.wav", bytes);
  std::vector<std::uint8_t> out;
  EXPECT_EQ(ob::readRegularFile(dir / "tone.wav", out, bytes.size()), FileReadStatus::Read);
  EXPECT_EQ(out, bytes);
  obtest::writeFile(dir / "empty", {});
  EXPECT_EQ(ob::readRegularFile(dir / "empty", out, 16), FileReadStatus::Read);
  EXPECT_TRUE(out.empty());
}

// A named pipe with no writer would block an ordinary open for good, and a
// device never ends: both are refused from the open descriptor at once.
TEST(RegularFile, RefusesWhatIsNoRegularFile) {
  obtest::TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
  obtest::writeFile(dir / "plain", obtest::bytesOf("x"));
  const struct {
    fs::path path;
    FileReadStatus status;
  } cases[] = {
      {dir / "pipe", FileReadStatus::NotARegularFile},
      {"/dev/zero", FileReadStatus::NotARegularFile},
      {dir.path(), FileReadStatus::NotARegularFile},
      {dir / "missing", FileReadStatus::Missing},
      {dir / "plain" / "inside", FileReadStatus::Missing},
      {dir / std::string(300, 'n'), FileReadStatus::CannotOpen},  // a name too long
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::vector<std::uint8_t> out = {1, 2, 3};
    EXPECT_EQ(ob::readRegularFile(c.path, out, 1u << 20), c.status);
    EXPECT_TRUE(out.empty());
  }
  // The superuser reads whatever the mode says.
  if (::geteuid() != 0) {
    ASSERT_EQ(::chmod((dir / "plain").c_str(), 0), 0);
    std::vector<std::uint8_t> out;
    EXPECT_EQ(ob::readRegularFile(dir / "plain", out, 1u << 20), FileReadStatus::Forbidden);
  }
}

TEST(RegularFile, ALargerFileIsRefusedBeforeAnythingIsRead) {
  obtest::TempDir dir;
  constexpr std::uint64_t kCap = 1u << 20;
  writeSparse(dir / "big.wav", "RIFF", 3ull << 30);
  writeSparse(dir / "just.wav", "RIFF", kCap + 1);
  writeSparse(dir / "fits.wav", "RIFF", kCap);
  std::vector<std::uint8_t> out;
  EXPECT_EQ(ob::readRegularFile(dir / "big.wav", out, kCap), FileReadStatus::TooLarge);
  EXPECT_EQ(out.capacity(), 0u);
  EXPECT_EQ(ob::readRegularFile(dir / "just.wav", out, kCap), FileReadStatus::TooLarge);
  EXPECT_EQ(ob::readRegularFile(dir / "fits.wav", out, kCap), FileReadStatus::Read);
  EXPECT_EQ(out.size(), kCap);
}

TEST(RegularFile, TheFirstBytesAreCheckedBeforeTheRest) {
  obtest::TempDir dir;
  writeSparse(dir / "long.bin", "not a wave file at all", 8u << 20);
  obtest::writeFile(dir / "short.bin", obtest::bytesOf("RIFF"));
  std::string seen;
  bool accept = false;
  const ob::FileHeaderCheck check{12, [&](const std::uint8_t* data, std::size_t count) {
                                    seen.assign(reinterpret_cast<const char*>(data), count);
                                    return accept;
                                  }};
  std::vector<std::uint8_t> out;
  EXPECT_EQ(ob::readRegularFile(dir / "long.bin", out, 1u << 30, check), FileReadStatus::RefusedHeader);
  EXPECT_EQ(seen, "not a wave f");
  EXPECT_TRUE(out.empty());
  EXPECT_LE(out.capacity(), 12u) << "the body was never read";

  accept = true;
  EXPECT_EQ(ob::readRegularFile(dir / "long.bin", out, 1u << 30, check), FileReadStatus::Read);
  EXPECT_EQ(out.size(), 8u << 20);
  EXPECT_EQ(std::string(out.begin(), out.begin() + 22), "not a wave file at all");
  // A file shorter than the header shows what it has.
  EXPECT_EQ(ob::readRegularFile(dir / "short.bin", out, 1u << 30, check), FileReadStatus::Read);
  EXPECT_EQ(seen, "RIFF");
  EXPECT_EQ(out, obtest::bytesOf("RIFF"));
}

// A private file is nobody's but its holder's: its folder shows no name
// for it, it reads back what was appended, and a folder that takes no file
// gives none rather than one that fails later.
TEST(PrivateFile, KeepsWhatIsAppendedWhereNothingElseReachesIt) {
  obtest::TempDir dir;
  ob::test::ScopedEnv tmpdir("TMPDIR", dir.path().string());
  const std::shared_ptr<ob::PrivateFile> file = ob::PrivateFile::create();
  ASSERT_NE(file, nullptr);
  const std::vector<std::uint8_t> tone = obtest::toneWav(3);
  ASSERT_TRUE(file->append(tone.data(), tone.size()));
  ASSERT_TRUE(file->append(tone.data(), 7));
  EXPECT_TRUE(fs::is_empty(dir.path()));
  std::vector<std::uint8_t> out(tone.size());
  ASSERT_TRUE(file->read(0, out.data(), out.size()));
  EXPECT_EQ(out, tone);
  EXPECT_EQ(file->size(), tone.size() + 7);
  EXPECT_FALSE(file->read(tone.size(), out.data(), 8)) << "past its end";
  EXPECT_EQ(file->heldOpen().get(), file.get());

  tmpdir.set((dir / "missing").string());
  EXPECT_NE(ob::PrivateFile::create(), nullptr) << "a $TMPDIR of no folder gives way to the system's";
  const ob::test::WithoutSystemTemporaryFolders none;
  EXPECT_EQ(ob::PrivateFile::create(), nullptr);
}

}  // namespace reading_file_test
