#pragma once
#include <cstddef>
#include <cstdint>
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

}  // namespace ob::zip
