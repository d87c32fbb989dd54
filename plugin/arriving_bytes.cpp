#include "plugin/arriving_bytes.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace ob::clap {

ArrivingBytes::~ArrivingBytes() { std::free(data_); }

bool ArrivingBytes::keepIn(std::shared_ptr<PrivateFile> file) {
  if (!file || file_ || (size_ > 0 && !file->append(data_, size_))) return false;
  file_ = std::move(file);
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = 0;
  memory_ = MemoryBytes(nullptr, 0);
  return true;
}

void ArrivingBytes::reserve(std::size_t count) {
  if (count <= capacity_ - size_) return;
  std::size_t wanted = capacity_ < 4096 ? 4096 : capacity_;
  while (wanted - size_ < count) {
    if (wanted > SIZE_MAX / 2) throw std::bad_alloc();
    wanted *= 2;
  }
  void* grown = std::realloc(data_, wanted);
  if (grown == nullptr) throw std::bad_alloc();
  data_ = static_cast<std::uint8_t*>(grown);
  capacity_ = wanted;
}

bool ArrivingBytes::takeBackFromFile() {
  const std::shared_ptr<PrivateFile> file = std::move(file_);
  const auto held = static_cast<std::size_t>(file->size());
  reserve(held);
  if (!file->read(0, data_, held)) return false;
  size_ = held;
  return true;
}

bool ArrivingBytes::append(const std::uint8_t* bytes, std::size_t count) {
  if (count == 0) return true;
  if (file_) {
    if (file_->append(bytes, count)) return true;
    // A disk that refuses them costs the load memory, never the load.
    if (!takeBackFromFile()) return false;
  }
  reserve(count);
  std::memcpy(data_ + size_, bytes, count);
  size_ += count;
  memory_ = MemoryBytes(data_, size_);
  return true;
}

const ByteSource& ArrivingBytes::source() const {
  if (file_) return *file_;
  return memory_;
}

}  // namespace ob::clap
