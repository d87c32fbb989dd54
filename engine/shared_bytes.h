#pragma once
// Bytes made once and never changed after, which every holder shares
// rather than copies: a file kept as it was stored can go from a sample to
// the entries a save writes beside it without a second copy of it being
// made, and without anyone changing what another still holds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ob {

class SharedBytes {
 public:
  SharedBytes() = default;
  // Takes the bytes, from here on unchanged: made from them wherever bytes
  // are asked for.
  SharedBytes(std::vector<std::uint8_t> bytes)
      : bytes_(bytes.empty() ? nullptr
                             : std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes))) {}

  std::span<const std::uint8_t> view() const {
    return bytes_ ? std::span<const std::uint8_t>(*bytes_) : std::span<const std::uint8_t>();
  }
  // Viewed wherever a view of bytes is asked for.
  operator std::span<const std::uint8_t>() const { return view(); }
  const std::uint8_t* data() const { return view().data(); }
  std::size_t size() const { return view().size(); }
  bool empty() const { return size() == 0; }
  auto begin() const { return view().begin(); }
  auto end() const { return view().end(); }

  bool operator==(const SharedBytes& other) const {
    return bytes_ == other.bytes_ || std::ranges::equal(view(), other.view());
  }

 private:
  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;  // null when empty
};

}  // namespace ob
