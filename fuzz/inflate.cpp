// The inflater must never crash, overrun or outgrow the declared size,
// whatever it decodes must survive our deflate and inflate unchanged, and a
// stream read from a file in pieces, or decoded only as far as it is read,
// must inflate as it does from memory.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "document/archive/deflate.h"
#include "document/archive/inflate.h"
#include "fuzz/file_like_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first two bytes pick the declared size, up to 256 KiB.
  const std::size_t declared = (std::size_t(data[0]) | std::size_t(data[1]) << 8) * 4;
  std::vector<std::uint8_t> out;
  std::string error;
  const bool ok = ob::zip::inflate(data + 2, size - 2, declared, out, error);
  if (out.size() > declared) std::abort();
  std::vector<std::uint8_t> pieces;
  std::string piecesError;
  const obfuzz::FileLikeBytes file(data, size);
  if (ob::zip::inflate(file, 2, size - 2, declared, pieces, piecesError) != ok || pieces != out ||
      piecesError != error)
    std::abort();
  // Decoded only as far as read, then to the end: the same bytes, handed
  // on once each, and the same verdict.
  std::vector<std::uint8_t> handed;
  ob::zip::StreamInflater stream(file, 2, size - 2, declared, [&handed](std::span<const std::uint8_t> p) {
    handed.insert(handed.end(), p.begin(), p.end());
  });
  std::uint8_t head[16];
  const std::size_t at = out.size() / 2;
  const std::size_t count = std::min(sizeof head, out.size() - at);
  if (!stream.read(at, head, count) ||
      (count > 0 && !std::equal(head, head + count, out.begin() + static_cast<std::ptrdiff_t>(at))))
    std::abort();
  std::string streamError;
  const auto streamed = stream.finish(streamError);
  if (streamed.has_value() != ok || streamError != error || handed != out) std::abort();
  if (!ok) {
    if (error.empty()) std::abort();
    return 0;
  }
  const std::vector<std::uint8_t> packed = ob::zip::deflate(out.data(), out.size());
  std::vector<std::uint8_t> again;
  if (!ob::zip::inflate(packed.data(), packed.size(), out.size(), again, error)) std::abort();
  if (again != out) std::abort();
  return 0;
}
