#pragma once
// "clap.state": the state chunk is a short header and the instance document
// (JSON text, or a zip package when it carries sample assets).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugin/clap/abi.h"

namespace ob::clap {

inline constexpr std::uint8_t kStateMagic[4] = {'O', 'B', 'S', '1'};
inline constexpr std::size_t kStateHeaderSize = 8;  // magic, then four zero bytes
// Larger states are refused rather than read until memory runs out.
inline constexpr std::uint64_t kMaxStateBytes = 0xC0000000ull;

// Reads the whole stream, piece by piece, until a read returns 0. False for a
// null stream, a negative read, a read that claims more than was asked, or a
// state beyond kMaxStateBytes.
bool readHostStream(const clap_istream_t* stream, std::vector<std::uint8_t>& bytes);
// Writes every byte, calling write again for what a call did not take. False
// for a null stream or a call that takes nothing, fails or claims too much.
bool writeHostStream(const clap_ostream_t* stream, const std::uint8_t* data, std::size_t size);

// Where the document starts in a chunk: after the header when the chunk
// starts with the magic (the four bytes after it are not looked at), else at 0.
std::size_t stateDocumentOffset(const std::uint8_t* bytes, std::size_t size);

const clap_plugin_state_t* stateExtension();

}  // namespace ob::clap
