#include "document/reading/forward_reader.h"

#include <algorithm>

namespace ob {

bool ForwardReader::read(std::uint64_t offset, std::uint8_t* out, std::size_t count) {
  if (offset > size_ || count > size_ - offset) return false;
  if (piece_ && offset > handedOn_ && !handOnTo(offset)) return false;
  if (!source_->read(offset_ + offset, out, count)) return false;
  const std::uint64_t end = offset + count;
  if (piece_ && end > handedOn_) {
    const auto skip = static_cast<std::size_t>(handedOn_ - offset);
    piece_(std::span<const std::uint8_t>(out + skip, count - skip));
    handedOn_ = end;
  }
  return true;
}

bool ForwardReader::handOnTo(std::uint64_t end) {
  constexpr std::uint64_t kPiece = std::uint64_t(1) << 20;
  while (handedOn_ < end) {
    const auto n = static_cast<std::size_t>(std::min(kPiece, end - handedOn_));
    const auto bytes = source_->view(offset_ + handedOn_, n, scratch_);
    if (!bytes) return false;
    if (piece_) piece_(*bytes);
    handedOn_ += n;
  }
  return true;
}

}  // namespace ob
