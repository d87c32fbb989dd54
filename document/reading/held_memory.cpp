#include "document/reading/held_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace ob {

namespace {

constexpr std::size_t kFirstMapping = 65536;

}  // namespace

HeldMemory::~HeldMemory() {
  if (data_ != nullptr) ::munmap(data_, capacity_);
}

void HeldMemory::reserve(std::size_t count) {
  if (count <= capacity_ - size_) return;
  std::size_t wanted = std::max(capacity_, kFirstMapping);
  while (wanted - size_ < count) {
    if (wanted > SIZE_MAX / 2) throw std::bad_alloc();
    wanted *= 2;
  }
  // Pages past the bytes are never touched, so they take no memory.
  void* grown = data_ == nullptr
                    ? ::mmap(nullptr, wanted, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                    : ::mremap(data_, capacity_, wanted, MREMAP_MAYMOVE);
  if (grown == MAP_FAILED) throw std::bad_alloc();
  data_ = static_cast<std::uint8_t*>(grown);
  capacity_ = wanted;
}

void HeldMemory::append(const std::uint8_t* bytes, std::size_t count) {
  if (count == 0) return;
  reserve(count);
  std::memcpy(data_ + size_, bytes, count);
  size_ += count;
}

bool HeldMemory::appendAll(const ByteSource& source) {
  const auto count = static_cast<std::size_t>(source.size());
  if (count == 0) return true;
  reserve(count);
  if (!source.read(0, data_ + size_, count)) return false;
  size_ += count;
  return true;
}

bool HeldMemory::read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
  if (offset > size_ || count > size_ - offset) return false;
  if (count > 0) std::memcpy(out, data_ + offset, count);
  return true;
}

void HeldMemory::giveBack(std::uint64_t offset, std::uint64_t count) {
  // Whole pages only: one that other bytes share stays.
  const std::uint64_t page = pageBytes();
  const std::uint64_t from = (offset + page - 1) / page * page;
  const std::uint64_t to = std::min<std::uint64_t>(offset + count, capacity_) / page * page;
  if (data_ != nullptr && to > from) ::madvise(data_ + from, to - from, MADV_DONTNEED);
}

void HeldMemory::putBack(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) {
  if (offset <= size_ && count <= size_ - offset && count > 0) std::memcpy(data_ + offset, bytes, count);
}

void HeldMemory::giveBackUnlent() {
  std::sort(lent_.begin(), lent_.end());
  std::uint64_t unlentFrom = 0;
  for (const auto& [offset, count] : lent_) {
    if (offset > unlentFrom) giveBack(unlentFrom, offset - unlentFrom);
    unlentFrom = std::max(unlentFrom, offset + count);
  }
  if (capacity_ > unlentFrom) giveBack(unlentFrom, capacity_ - unlentFrom);
}

}  // namespace ob
