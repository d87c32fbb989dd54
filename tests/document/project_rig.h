#pragma once
// What the project load and save tests work on: generated WAV audio, a
// temporary folder, a resolver over made-up factory audio, and pool checks.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

#include "document/archive/zip_index.h"
#include "document/archive/zip_writer.h"
#include "document/factory/factory_catalogue.h"
#include "document/factory/factory_sample.h"
#include "document/factory/sample_resolver.h"
#include "document/little_endian.h"
#include "document/package/package.h"
#include "document/project/kept_document.h"
#include "document/wav/wav.h"
#include "document/wav/wav_pool.h"
#include "engine/pool/sample_pool.h"
#include "instance_rig.h"  // countCode
#include "support/document/riff_file.h"

namespace obtest {

// A pool slot's view as a list, to compare with one.
template <typename T>
std::vector<std::remove_const_t<T>> listOf(std::span<T> view) {
  return {view.begin(), view.end()};
}

// A decaying stereo tone; seed and length make every sample distinct.
inline std::vector<std::uint8_t> toneWav(int seed, int frames = 2000, bool stereo = true) {
  std::vector<float> l(static_cast<std::size_t>(frames)), r(l.size());
  for (int i = 0; i < frames; ++i) {
    const float env = std::exp(-3.0f * static_cast<float>(i) / static_cast<float>(frames));
    l[i] = env * std::sin(0.01f * static_cast<float>((seed + 1) * i));
    r[i] = env * std::cos(0.013f * static_cast<float>((seed + 2) * i));
  }
  return ob::encodeWav(l.data(), stereo ? r.data() : nullptr, frames, 44100.0);
}

// Pseudo-random bytes, as recorded PCM is.
inline std::vector<std::uint8_t> noiseBytes(std::size_t count, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> bytes(count);
  for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(rng());
  return bytes;
}

// 64-bit float samples of these values.
inline std::vector<std::uint8_t> doubleBytes(const std::vector<double>& values) {
  std::vector<std::uint8_t> bytes(values.size() * 8);
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

inline std::vector<std::uint8_t> bytesOf(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

inline std::vector<std::uint8_t> zipOf(std::vector<ob::zip::Entry> entries) {
  ob::Diagnostics d;
  auto bytes = ob::zip::writeZip(entries, d);
  EXPECT_TRUE(bytes.has_value());
  return bytes ? *bytes : std::vector<std::uint8_t>{};
}

inline std::vector<std::uint8_t> readFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A file of the given size holding head and then a hole, so that a large
// one costs no disk.
inline void writeSparse(const std::filesystem::path& path, std::string_view head, std::uint64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
  ::close(fd);
}

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("ob_projectdoc_" + std::to_string(rd()) + "_" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  std::size_t fileCount() const {
    std::size_t n = 0;
    for (auto& e : std::filesystem::directory_iterator(path_)) (void)e, ++n;
    return n;
  }

 private:
  std::filesystem::path path_;
};

// Installs a resolver over generated audio for the given factory names and
// puts the previous one back at the end.
class FakeFactory {
 public:
  FakeFactory() : previous_(ob::sampleResolver()) {
    ob::setSampleResolver([this](const std::string& name) {
      auto it = bytes_.find(name);
      return it == bytes_.end() ? std::vector<std::uint8_t>{} : it->second;
    });
  }
  ~FakeFactory() { ob::setSampleResolver(previous_); }
  // The sample-table entry of catalogue row/part, with generated audio behind it.
  ob::SampleSlot add(std::uint32_t row, std::uint32_t part, int seed) {
    ob::SampleSlot slot = ob::makeFactorySampleSlot(row, part);
    bytes_[slot.factory] = toneWav(seed, 1500, false);
    return slot;
  }
  const std::vector<std::uint8_t>& bytes(const std::string& name) { return bytes_[name]; }

 private:
  ob::SampleResolver previous_;
  std::map<std::string, std::vector<std::uint8_t>> bytes_;
};

// Everything a load may change in a pool and its kept document, for
// before/after comparisons.
struct PoolPicture {
  std::string document;
  std::size_t foreign = 0;
  std::vector<std::string> kept;
  std::vector<std::vector<std::uint8_t>> slotBytes;
  std::vector<const void*> slotAddresses;
  bool operator==(const PoolPicture&) const = default;
};

inline PoolPicture pictureOf(const ob::SamplePool& pool, const ob::KeptDocument& kept,
                             std::string (*dump)(const ob::JsonValue&)) {
  PoolPicture p;
  p.document = dump(kept.loadedDocument);
  p.foreign = ob::recordsOf(kept.records).records.size();
  for (const auto& e : kept.keptEntries) p.kept.push_back(e.name);
  for (const auto& s : pool.slots) {
    p.slotBytes.push_back(s ? std::vector<std::uint8_t>(s->bytes.begin(), s->bytes.end())
                            : std::vector<std::uint8_t>{});
    p.slotAddresses.push_back(s.get());
  }
  return p;
}

// An archive's entry as stored there, never unpacked: method, CRC-32,
// unpacked size, payload and flags.
using StoredEntry =
    std::tuple<std::uint16_t, std::uint32_t, std::uint32_t, std::vector<std::uint8_t>, std::uint16_t>;
inline std::optional<StoredEntry> storedEntry(const std::vector<std::uint8_t>& archive,
                                              std::string_view name) {
  const ob::MemoryBytes source(archive.data(), archive.size());
  ob::Diagnostics d;
  const std::optional<ob::zip::ArchiveIndex> index = ob::zip::ArchiveIndex::open(source, d, {});
  const ob::zip::LocatedEntry* entry = index ? index->find(name) : nullptr;
  if (entry == nullptr || !index->stored(*entry)) return std::nullopt;
  return StoredEntry{entry->record.method, entry->record.crc, entry->record.size, *index->stored(*entry),
                     entry->record.flags};
}

// The reference a saved document's "assets" gives a sample id; empty when none.
inline std::string savedAssetRef(const std::vector<std::uint8_t>& saved, std::string_view id) {
  const ob::MemoryBytes source(saved.data(), saved.size());
  ob::Diagnostics d;
  std::optional<ob::PackageReader> reader = ob::PackageReader::open(source, "instance.json", d);
  const ob::JsonValue* assets = reader ? reader->package().document.find("assets") : nullptr;
  const ob::JsonValue* ref = assets != nullptr ? assets->find(id) : nullptr;
  return ref != nullptr && ref->isString() ? ref->text : std::string();
}

}  // namespace obtest
