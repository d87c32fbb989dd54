// Archives made by Info-ZIP zip and Python's zipfile read correctly, and
// ours pass unzip -t and zipfile.testzip(). The tools run at test time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "document/archive/sha256.h"
#include "document/archive/zip_reader.h"
#include "document/archive/zip_stream_walk.h"
#include "document/archive/zip_writer.h"
#include "support/document/archive_rig.h"

namespace archive_zip_interop_test {

using namespace archive_test;
namespace fs = std::filesystem;
namespace zip = ob::zip;

class ZipInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ob-zip-interop-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static void writeFile(const fs::path& p, const Bytes& b) {
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  }
  static Bytes readFile(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
  }
  static int shell(const std::string& cmd) { return std::system(cmd.c_str()); }

  // The files every tool archives: name -> contents.
  static std::map<std::string, Bytes> sampleFiles() {
    return {{"a.txt", compressibleBytes(100000, 1)},
            {"b.bin", randomBytes(5000, 2)},
            {"empty.txt", {}},
            {"sub/c.txt", bytesOf("short text\n")},
            {"sub/deeper/d.json", compressibleBytes(70000, 3)},
            {"zeros.raw", Bytes(200000, 0)}};
  }

  void expectReadsAs(const fs::path& archive, const std::map<std::string, Bytes>& files) {
    const Bytes b = readFile(archive);
    ob::Diagnostics d;
    const auto entries = zip::readZip(b.data(), b.size(), d);
    ASSERT_TRUE(entries) << archive;
    EXPECT_TRUE(d.empty()) << (d.empty() ? "" : d[0].code + " " + d[0].path + " " + d[0].message);
    std::map<std::string, Bytes> got;
    for (const auto& e : *entries) got[e.name] = e.data;
    EXPECT_EQ(got.size(), files.size());
    for (const auto& [name, data] : files) {
      ASSERT_TRUE(got.count(name)) << name;
      EXPECT_EQ(got[name], data) << name;
    }
  }

  fs::path dir_;
};

TEST_F(ZipInterop, InfoZipArchivesRead) {
  const auto files = sampleFiles();
  for (const auto& [name, data] : files) writeFile(dir_ / "in" / name, data);
  // Default, stored, strongest, and without the extra fields (-X); zip adds
  // directory records, which the reader skips.
  const std::vector<std::string> options = {"", "-0", "-9", "-X -1"};
  for (std::size_t i = 0; i < options.size(); ++i) {
    const fs::path out = dir_ / ("infozip" + std::to_string(i) + ".zip");
    ASSERT_EQ(
        shell("cd '" + (dir_ / "in").string() + "' && zip -q -r " + options[i] + " '" + out.string() + "' ."),
        0);
    expectReadsAs(out, files);
  }
  // Written to a pipe, zip puts the sizes after the data (data descriptors)
  // and only the central directory holds them.
  const fs::path streamed = dir_ / "streamed.zip";
  ASSERT_EQ(shell("cd '" + (dir_ / "in").string() + "' && zip -q -r - . | cat > '" + streamed.string() + "'"),
            0);
  expectReadsAs(streamed, files);
  // Stored, zip gives the sizes in the header too; the reader takes them,
  // while a state's stream, which this project never writes so, is refused
  // at the first.
  ASSERT_EQ(
      shell("cd '" + (dir_ / "in").string() + "' && zip -q -r -0 - . | cat > '" + streamed.string() + "'"),
      0);
  expectReadsAs(streamed, files);
  const Bytes stored = readFile(streamed);
  EXPECT_EQ(zip::StreamWalk({}, stored.size()).follow(stored.data(), stored.size()),
            zip::StreamWalk::Verdict::SizesFollowData);
}

TEST_F(ZipInterop, PythonZipfileArchivesRead) {
  const auto files = sampleFiles();
  for (const auto& [name, data] : files) writeFile(dir_ / "in" / name, data);
  std::ofstream script(dir_ / "make.py");
  script << "import sys, os, zipfile\n"
            "src, out = sys.argv[1], sys.argv[2]\n"
            "modes = [(zipfile.ZIP_DEFLATED, 1), (zipfile.ZIP_DEFLATED, 9), (zipfile.ZIP_STORED, None),\n"
            "         (zipfile.ZIP_DEFLATED, 6)]\n"
            "for i, (method, level) in enumerate(modes):\n"
            "    with zipfile.ZipFile(os.path.join(out, 'py%d.zip' % i), 'w', method, compresslevel=level) "
            "as z:\n"
            "        if i == 3:\n"
            "            z.comment = b'archive comment ' * 100\n"
            "        for root, dirs, names in os.walk(src):\n"
            "            for n in sorted(names):\n"
            "                p = os.path.join(root, n)\n"
            "                z.write(p, os.path.relpath(p, src))\n";
  script.close();
  ASSERT_EQ(shell("python3 '" + (dir_ / "make.py").string() + "' '" + (dir_ / "in").string() + "' '" +
                  dir_.string() + "'"),
            0);
  for (int i = 0; i < 4; ++i) expectReadsAs(dir_ / ("py" + std::to_string(i) + ".zip"), files);
}

TEST_F(ZipInterop, OurArchivesPassUnzipAndPython) {
  std::vector<zip::Entry> entries;
  for (const auto& [name, data] : sampleFiles()) {
    zip::Entry e;
    e.name = name;
    e.data = data;
    e.compress = name != "b.bin";
    entries.push_back(std::move(e));
  }
  zip::Entry noisy;
  noisy.name = "assets/noise";
  noisy.data = randomBytes(40000, 9);
  noisy.compress = true;  // does not shrink: stored
  entries.push_back(std::move(noisy));
  ob::Diagnostics d;
  const auto bytes = zip::writeZip(entries, d);
  ASSERT_TRUE(bytes);
  const fs::path archive = dir_ / "ours.zip";
  writeFile(archive, *bytes);

  EXPECT_EQ(shell("unzip -t -qq '" + archive.string() + "' > '" + (dir_ / "unzip.log").string() + "' 2>&1"),
            0);

  std::ofstream script(dir_ / "check.py");
  script << "import sys, zipfile, hashlib\n"
            "with zipfile.ZipFile(sys.argv[1]) as z:\n"
            "    bad = z.testzip()\n"
            "    if bad is not None:\n"
            "        print('BAD', bad)\n"
            "        sys.exit(1)\n"
            "    for info in z.infolist():\n"
            "        print(info.filename, hashlib.sha256(z.read(info)).hexdigest())\n";
  script.close();
  const fs::path listing = dir_ / "listing.txt";
  ASSERT_EQ(shell("python3 '" + (dir_ / "check.py").string() + "' '" + archive.string() + "' > '" +
                  listing.string() + "'"),
            0);
  std::ifstream in(listing);
  std::vector<std::pair<std::string, std::string>> seen;
  std::string name, digest;
  while (in >> name >> digest) seen.emplace_back(name, digest);
  ASSERT_EQ(seen.size(), entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(seen[i].first, entries[i].name);
    EXPECT_EQ(seen[i].second, ob::sha256Hex(entries[i].data.data(), entries[i].data.size()))
        << entries[i].name;
  }

  // unzip extracts exactly our bytes.
  ASSERT_EQ(
      shell("cd '" + dir_.string() + "' && mkdir -p out && cd out && unzip -qq '" + archive.string() + "'"),
      0);
  for (const auto& e : entries) EXPECT_EQ(readFile(dir_ / "out" / e.name), e.data) << e.name;
}

}  // namespace archive_zip_interop_test
