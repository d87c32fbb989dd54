// Durable replaces: the file is synced before the rename and the folder
// after it, a failed sync is a failed save, and temporaries left by a save
// that was killed are cleared by the next one, and nothing else.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "document/project/atomic_file.h"
#include "project_rig.h"

namespace atomic_file_test {

namespace fs = std::filesystem;
using obtest::bytesOf;

std::string textOf(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

std::set<std::string> namesIn(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// What the target held, and what was synced, at each sync.
struct SyncCall {
  bool folder = false;
  ino_t inode = 0;
  off_t size = 0;
  std::string targetThen;
};

TEST(DurableSave, SyncsTheFileBeforeTheRenameAndItsFolderAfter) {
  obtest::TempDir dir;
  const fs::path file = dir / "song.orbi";
  obtest::writeFile(file, bytesOf("old"));
  std::vector<SyncCall> calls;
  auto watch = [&](int fd) {
    struct stat st {};
    EXPECT_EQ(0, ::fstat(fd, &st));
    calls.push_back({S_ISDIR(st.st_mode), st.st_ino, st.st_size, textOf(obtest::readFile(file))});
    return ::fsync(fd);
  };
  std::string error;
  ASSERT_TRUE(ob::writeFileAtomically(file, bytesOf("new bytes"), &error, watch)) << error;
  ASSERT_EQ(2u, calls.size());
  EXPECT_FALSE(calls[0].folder);
  EXPECT_EQ(9, calls[0].size);  // written whole before the sync
  EXPECT_EQ("old", calls[0].targetThen);
  EXPECT_TRUE(calls[1].folder);
  struct stat folder {};
  ASSERT_EQ(0, ::stat(dir.path().c_str(), &folder));
  EXPECT_EQ(folder.st_ino, calls[1].inode);
  EXPECT_EQ("new bytes", calls[1].targetThen);
  EXPECT_EQ(std::set<std::string>{"song.orbi"}, namesIn(dir.path()));
}

TEST(DurableSave, AFailedSyncIsAFailedSave) {
  obtest::TempDir dir;
  const fs::path file = dir / "song.orbi";
  obtest::writeFile(file, bytesOf("old"));
  std::string error;

  // The file's sync fails: the old file stays and the temporary goes.
  int calls = 0;
  auto fileFails = [&](int) {
    ++calls;
    errno = EIO;
    return -1;
  };
  EXPECT_FALSE(ob::writeFileAtomically(file, bytesOf("new"), &error, fileFails));
  EXPECT_EQ("cannot sync the file", error);
  EXPECT_EQ(1, calls);
  EXPECT_EQ("old", textOf(obtest::readFile(file)));
  EXPECT_EQ(std::set<std::string>{"song.orbi"}, namesIn(dir.path()));

  // The folder's sync fails after the rename: reported, nothing left over.
  auto folderFails = [](int fd) {
    struct stat st {};
    ::fstat(fd, &st);
    return S_ISDIR(st.st_mode) ? -1 : 0;
  };
  EXPECT_FALSE(ob::writeFileAtomically(file, bytesOf("newer"), &error, folderFails));
  EXPECT_EQ("cannot sync the folder", error);
  EXPECT_EQ(std::set<std::string>{"song.orbi"}, namesIn(dir.path()));
}

TEST(DurableSave, StaleTemporariesOfTheTargetAreRemovedAndNothingElse) {
  obtest::TempDir dir;
  const fs::path file = dir / "song.orbi";
  obtest::writeFile(file, bytesOf("old"));
  const std::vector<std::string> stale = {"song.orbi.tmp-0123456789ab", "song.orbi.tmp-ffffffffffff"};
  const std::vector<std::string> others = {
      "song.orbi.tmp-0123456789AB",      // upper-case digits
      "song.orbi.tmp-0123456789a",       // one digit short
      "song.orbi.tmp-0123456789abc",     // one too many
      "song.orbi.tmp-0123456789ag",      // not hex
      "song.orbi.tmp-0123456789ab.bak",  // a longer name
      "other.orbi.tmp-0123456789ab",     // another target's
      "xsong.orbi.tmp-0123456789ab",    "song.orbi.tmp0123456789ab", "notes.txt",
  };
  for (const auto& name : stale) obtest::writeFile(dir / name, bytesOf("half a save"));
  for (const auto& name : others) obtest::writeFile(dir / name, bytesOf("keep me"));
  // A folder and a link that look like temporaries are not files of the saver.
  fs::create_directory(dir / "song.orbi.tmp-aaaaaaaaaaaa");
  fs::create_symlink(dir / "notes.txt", dir / "song.orbi.tmp-bbbbbbbbbbbb");

  std::string error;
  ASSERT_TRUE(ob::writeFileAtomically(file, bytesOf("new"), &error)) << error;
  std::set<std::string> expected(others.begin(), others.end());
  expected.insert({"song.orbi", "song.orbi.tmp-aaaaaaaaaaaa", "song.orbi.tmp-bbbbbbbbbbbb"});
  EXPECT_EQ(expected, namesIn(dir.path()));
  for (const auto& name : others) EXPECT_EQ("keep me", textOf(obtest::readFile(dir / name))) << name;
  EXPECT_EQ("new", textOf(obtest::readFile(file)));
}

// Names too long to lend all of themselves to their temporaries: a save of
// one leaves alone the temporary of another's save in progress, and the
// cut temporaries an earlier build left, which name no one target.
TEST(DurableSave, ASaveLeavesTheTemporariesOfOtherLongNamesAlone) {
  obtest::TempDir dir;
  const std::string shared(238, 'p');
  const fs::path a = dir / (shared + "-A.project.orbi");
  const fs::path b = dir / (shared + "-B.project.orbi");
  const std::string earlier = shared + ".tmp-0123456789ab";
  obtest::writeFile(dir / earlier, bytesOf("an earlier build's"));
  bool savedA = false;
  const auto saveAMeanwhile = [&](int fd) {
    if (!std::exchange(savedA, true)) {
      std::string error;
      EXPECT_TRUE(ob::writeFileAtomically(a, bytesOf("A"), &error)) << error;
    }
    return ::fsync(fd);
  };
  std::string error;
  ASSERT_TRUE(ob::writeFileAtomically(b, bytesOf("B"), &error, saveAMeanwhile)) << error;
  EXPECT_EQ("A", textOf(obtest::readFile(a)));
  EXPECT_EQ("B", textOf(obtest::readFile(b)));
  EXPECT_EQ((std::set<std::string>{a.filename().string(), b.filename().string(), earlier}),
            namesIn(dir.path()));
}

// Every name a file may have is saved: the temporary beside it still fits.
TEST(DurableSave, TheLongestNameIsSaved) {
  obtest::TempDir dir;
  const std::string name(static_cast<std::size_t>(::pathconf(dir.path().c_str(), _PC_NAME_MAX)), 'c');
  std::string error;
  ASSERT_TRUE(ob::writeFileAtomically(dir / name, bytesOf("new"), &error)) << error;
  EXPECT_EQ(std::set<std::string>{name}, namesIn(dir.path()));
}

TEST(DurableSave, ASaveKilledHalfWayLeavesATemporaryTheNextSaveClears) {
  obtest::TempDir dir;
  const fs::path file = dir / "song.orbi";
  obtest::writeFile(file, bytesOf("old"));
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Killed between writing the temporary and renaming it.
    std::string error;
    ob::writeFileAtomically(file, bytesOf("never lands"), &error, [](int) {
      ::raise(SIGKILL);
      return 0;
    });
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(child, ::waitpid(child, &status, 0));
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ("old", textOf(obtest::readFile(file)));
  ASSERT_EQ(2u, namesIn(dir.path()).size());

  std::string error;
  ASSERT_TRUE(ob::writeFileAtomically(file, bytesOf("new"), &error)) << error;
  EXPECT_EQ(std::set<std::string>{"song.orbi"}, namesIn(dir.path()));
  EXPECT_EQ("new", textOf(obtest::readFile(file)));
}

}  // namespace atomic_file_test
