#include "plugin/arriving_bytes.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace ob::clap {

ArrivingBytes::~ArrivingBytes() { std::free(data_); }

void ArrivingBytes::append(const std::uint8_t* bytes, std::size_t count) {
  if (count == 0) return;
  if (count > capacity_ - size_) {
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
  std::memcpy(data_ + size_, bytes, count);
  size_ += count;
}

}  // namespace ob::clap
