#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ob::zip {

// Decodes one whole raw DEFLATE stream (no zlib or gzip wrapper), appending
// to `output`, which never grows past `declaredSize` bytes of decoded data.
// Stops after the final block. On failure returns false, sets `error` to a
// short reason and leaves what was decoded so far in `output`. A stream that
// ends short of the declared size is not an error here.
bool inflate(const std::uint8_t* input, std::size_t inputLength, std::size_t declaredSize,
             std::vector<std::uint8_t>& output, std::string& error);

}  // namespace ob::zip
