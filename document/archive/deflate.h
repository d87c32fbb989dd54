#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ob::zip {

// Raw DEFLATE stream of the input: one final block with the fixed Huffman
// codes, greedy LZ77 matches over hash chains within a 32 KiB window.
// Never fails; an empty input gives the two bytes 03 00.
std::vector<std::uint8_t> deflate(const std::uint8_t* input, std::size_t length);

}  // namespace ob::zip
