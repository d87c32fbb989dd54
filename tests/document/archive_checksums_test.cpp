// CRC-32 and SHA-256 against their published check values.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "document/archive/crc32.h"
#include "document/archive/sha256.h"
#include "support/document/archive_rig.h"

namespace archive_checksums_test {

using namespace archive_test;

std::string sha(const std::string& s) {
  return ob::sha256Hex(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

std::uint32_t crc(const Bytes& b) { return ob::zip::crc32(b.data(), b.size()); }

// Bitwise reference: the register shifted one bit at a time.
std::uint32_t crcBitwise(const Bytes& b) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::uint8_t byte : b) {
    c ^= byte;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

TEST(Crc32, CheckValues) {
  EXPECT_EQ(crc(bytesOf("123456789")), 0xCBF43926u);
  EXPECT_EQ(crc({}), 0u);
  EXPECT_EQ(ob::zip::crc32(nullptr, 0), 0u);
  EXPECT_EQ(crc(bytesOf("The quick brown fox jumps over the lazy dog")), 0x414FA339u);
  EXPECT_EQ(crc(Bytes(32, 0)), 0x190A55ADu);
  EXPECT_EQ(crc(Bytes(32, 0xFF)), 0xFF6CAB0Bu);
}

// Every path (the CPU's own and the tables), whole and continued from the
// CRC of a first part.
TEST(Crc32, MatchesBitwiseReferenceAtEveryLengthAndAlignment) {
  const Bytes data = randomBytes(1200, 1);
  for (std::size_t start = 0; start < 17; ++start)
    for (std::size_t n = 0; start + n <= data.size(); n += 1 + n / 16) {
      SCOPED_TRACE(std::to_string(start) + "+" + std::to_string(n));
      const std::uint8_t* from = data.data() + start;
      const std::uint32_t expected =
          crcBitwise(Bytes(data.begin() + std::ptrdiff_t(start), data.begin() + std::ptrdiff_t(start + n)));
      ASSERT_EQ(ob::zip::crc32(from, n), expected);
      ASSERT_EQ(ob::zip::portableCrc32(from, n), expected);
      const std::size_t split = n * 5 / 8;
      ASSERT_EQ(ob::zip::crc32(from + split, n - split, ob::zip::crc32(from, split)), expected);
    }
}

TEST(Sha256, FipsExamples) {
  EXPECT_EQ(sha(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(
      sha("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrs"
          "mnopqrstnopqrstu"),
      "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
  EXPECT_EQ(sha(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, PaddingBoundaries) {
  // Lengths around the one-or-two final block boundary (55/56) and the
  // block size, against known digests of runs of 'a'.
  EXPECT_EQ(sha(std::string(55, 'a')), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
  EXPECT_EQ(sha(std::string(56, 'a')), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
  EXPECT_EQ(sha(std::string(63, 'a')), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34");
  EXPECT_EQ(sha(std::string(64, 'a')), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
  EXPECT_EQ(sha(std::string(119, 'a')), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb");
}

TEST(Sha256, BlockFunctionAndTextForm) {
  // One compression of the padded "abc" block gives the FIPS digest words.
  std::uint8_t block[64] = {'a', 'b', 'c', 0x80};
  block[63] = 24;
  std::uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                            0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  ob::sha256Block(state, block);
  EXPECT_EQ(state[0], 0xba7816bfu);
  EXPECT_EQ(state[7], 0xf20015adu);
  std::uint32_t portable[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                               0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  ob::portableSha256Blocks()(portable, block, 1);
  EXPECT_TRUE(std::equal(state, state + 8, portable));
  // The CPU's own path given the bytes in random pieces, against the
  // portable one given them whole.
  std::mt19937 rng(207);
  for (std::size_t n : {0u, 1u, 55u, 56u, 64u, 77u, 4096u, 70000u}) {
    for (int round = 0; round < 8; ++round, n += rng() % 300) {
      SCOPED_TRACE(std::to_string(n) + " bytes, round " + std::to_string(round));
      const Bytes b = randomBytes(n, std::uint32_t(n));
      const std::string hex = ob::sha256Hex(b.data(), b.size());
      ASSERT_EQ(hex.size(), 64u);
      EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos);
      ob::Sha256 whole(ob::portableSha256Blocks()), pieces;
      whole.add(b.data(), b.size());
      for (std::size_t at = 0; at < n;) {
        const std::size_t piece = std::min<std::size_t>(n - at, rng() % 3 == 0 ? rng() % 64 : rng() % 4000);
        pieces.add(b.data() + at, piece);
        at += piece;
      }
      ASSERT_EQ(pieces.hex(), whole.hex());
      ASSERT_EQ(hex, whole.hex());
    }
  }
}

}  // namespace archive_checksums_test
