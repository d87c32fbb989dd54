#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ob {
class ByteSource;
}

namespace ob::zip {

// Decodes one whole raw DEFLATE stream (no zlib or gzip wrapper), appending
// to `output`, which never grows past `declaredSize` bytes of decoded data.
// Stops after the final block. On failure returns false, sets `error` to a
// short reason and leaves what was decoded so far in `output`. A stream that
// ends short of the declared size is not an error here.
bool inflate(const std::uint8_t* input, std::size_t inputLength, std::size_t declaredSize,
             std::vector<std::uint8_t>& output, std::string& error);

// The same with the stream at [offset, offset + inputLength) of a source: a
// source not held in memory is read a piece at a time, so that only the
// output grows. A source that cannot be read fails with "the archive
// cannot be read".
bool inflate(const ByteSource& source, std::uint64_t offset, std::uint64_t inputLength,
             std::size_t declaredSize, std::vector<std::uint8_t>& output, std::string& error);

// A raw DEFLATE stream decoded front to back only as far as it is read,
// holding DEFLATE's 32 KiB window and a piece beyond it, never the whole
// output: a file's head is read without unpacking the file, or the whole
// file handed on in pieces without holding it. Never decodes past the
// declared size.
class StreamInflater {
 public:
  using Piece = std::function<void(std::span<const std::uint8_t> bytes)>;

  // The stream at [offset, offset + length) of source, which must outlive
  // it; `piece`, when given, is handed every byte decoded once, in order.
  StreamInflater(const ByteSource& source, std::uint64_t offset, std::uint64_t length,
                 std::uint64_t declaredSize, Piece piece = {});
  ~StreamInflater();
  StreamInflater(const StreamInflater&) = delete;
  StreamInflater& operator=(const StreamInflater&) = delete;

  // count bytes of the output from offset, decoding as far as they need;
  // false for bytes already left behind (reads go front to back, 32 KiB at
  // most), past the output's end, or past where the stream fails.
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count);
  // Decodes the rest: the output's whole size, or nothing with the
  // decoder's reason.
  std::optional<std::uint64_t> finish(std::string& error);

 private:
  struct Decoder;
  std::unique_ptr<Decoder> decoder_;
};

}  // namespace ob::zip
