#pragma once
// Bytes that arrive a piece at a time, in an amount no one tells in
// advance: a host's state stream. Grown with realloc, which moves a large
// block by remapping its pages rather than copying them, so a state of
// hundreds of megabytes never takes twice its size while it arrives.
#include <cstddef>
#include <cstdint>
#include <span>

namespace ob::clap {

class ArrivingBytes {
 public:
  ArrivingBytes() = default;
  ~ArrivingBytes();
  ArrivingBytes(const ArrivingBytes&) = delete;
  ArrivingBytes& operator=(const ArrivingBytes&) = delete;

  // Throws std::bad_alloc when there is no room for them.
  void append(const std::uint8_t* bytes, std::size_t count);
  void clear() { size_ = 0; }

  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::span<const std::uint8_t> view() const { return {data_, size_}; }

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace ob::clap
