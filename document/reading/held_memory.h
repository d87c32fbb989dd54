#pragma once
// Bytes the plug-in must keep in memory, because no private file takes
// them (see PrivateFile): held open like a private file, so that a sample
// whose file lies in them reads it again from there rather than from a
// copy of its own. They lie in pages mapped for them alone, which grow by
// being remapped, never copied; the pages that no holder reads again are
// given back once their owner is done with them, and those a reader has
// passed as it reads them (see ByteSource::giveBack). Main thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "document/reading/byte_source.h"

namespace ob {

class HeldMemory final : public ByteSource, public std::enable_shared_from_this<HeldMemory> {
 public:
  static std::shared_ptr<HeldMemory> create() { return std::shared_ptr<HeldMemory>(new HeldMemory); }
  ~HeldMemory() override;
  HeldMemory(const HeldMemory&) = delete;
  HeldMemory& operator=(const HeldMemory&) = delete;

  // Adds the bytes at the end. Throws std::bad_alloc when there is no room.
  void append(const std::uint8_t* bytes, std::size_t count);
  // Adds the whole of the source at the end, read straight into place;
  // false, adding nothing, when it cannot all be read. Throws as append.
  bool appendAll(const ByteSource& source);
  // Gives back the pages of every byte that no holder of heldOpen() reads
  // again (see lend): from then on only those read true.
  void giveBackUnlent();

  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override;
  std::span<const std::uint8_t> inMemory() const override { return {data_, size_}; }
  std::shared_ptr<const ByteSource> heldOpen() const override { return weak_from_this().lock(); }
  std::shared_ptr<ByteSource> heldOpenToGiveBack() override { return weak_from_this().lock(); }
  void lend(std::uint64_t offset, std::uint64_t count) const override { lent_.emplace_back(offset, count); }
  void giveBack(std::uint64_t offset, std::uint64_t count) override;
  void putBack(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) override;

 private:
  HeldMemory() = default;
  // Room for count more bytes, doubling the mapping as it grows.
  void reserve(std::size_t count);

  std::uint8_t* data_ = nullptr;  // page-aligned, capacity_ bytes mapped
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  // The stretches that holders read again, as offset and count (see lend).
  mutable std::vector<std::pair<std::uint64_t, std::uint64_t>> lent_;
};

}  // namespace ob
