#include "document/reading/byte_source.h"

#include <unistd.h>

#include <cstring>
#include <utility>

namespace ob {

std::optional<std::span<const std::uint8_t>> ByteSource::view(std::uint64_t offset, std::size_t count,
                                                              std::vector<std::uint8_t>& scratch) const {
  const std::uint64_t total = size();
  if (offset > total || count > total - offset) return std::nullopt;
  if (const std::span<const std::uint8_t> memory = inMemory(); memory.data() != nullptr)
    return memory.subspan(static_cast<std::size_t>(offset), count);
  scratch.resize(count);
  if (!read(offset, scratch.data(), count)) return std::nullopt;
  return std::span<const std::uint8_t>(scratch);
}

std::uint64_t pageBytes() { return static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE)); }

std::vector<std::uint8_t> ownBytes(std::span<const std::uint8_t> view, std::vector<std::uint8_t>&& scratch) {
  if (viewsScratch(view, scratch)) return std::move(scratch);
  return std::vector<std::uint8_t>(view.begin(), view.end());
}

bool MemoryBytes::read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
  if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
  if (count > 0) std::memcpy(out, bytes_.data() + offset, count);
  return true;
}

}  // namespace ob
