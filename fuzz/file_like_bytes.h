#pragma once
// Bytes as a file gives them to the readers: by reads, never whole, so a
// target reaches the code that pulls a file piece by piece.
#include <cstddef>
#include <cstdint>

#include "document/reading/byte_source.h"

namespace obfuzz {

class FileLikeBytes final : public ob::ByteSource {
 public:
  FileLikeBytes(const std::uint8_t* data, std::size_t size) : memory_(data, size) {}
  std::uint64_t size() const override { return memory_.size(); }
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override {
    return memory_.read(offset, out, count);
  }

 private:
  ob::MemoryBytes memory_;
};

}  // namespace obfuzz
