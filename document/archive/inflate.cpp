#include "document/archive/inflate.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "document/archive/deflate_tables.h"
#include "document/reading/byte_source.h"

namespace ob::zip {
namespace {

constexpr int kMaxCodeBits = 15;
constexpr int kLitTableBits = 11;
constexpr int kDistTableBits = 10;
constexpr int kLengthTableBits = 7;

constexpr const char* kEndsEarly = "stream ends early";
constexpr const char* kTooMuch = "more data than declared";
constexpr const char* kCannotRead = "the archive cannot be read";

// A stream read from a file comes in pieces of this size.
constexpr std::size_t kInputPiece = std::size_t(64) << 10;
// Bytes kept before the reader's position when a piece is pulled: the bit
// buffer holds at most seven whole bytes, which a stored block hands back.
constexpr std::size_t kKeptBehind = 8;

constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                               11, 4,  12, 3, 13, 2, 14, 1, 15};

// What a decoded symbol means, resolved when the table is built so that the
// data loop does one lookup per symbol.
enum Kind : std::uint8_t {
  kLiteral,    // value = the byte, or the code-length symbol
  kLength,     // value = base length, extra = extra bits
  kEnd,        // end of block
  kDistance,   // value = base distance, extra = extra bits
  kBadSymbol,  // length symbol 286/287, distance symbol 30/31
  kLong,       // code longer than the table: walk the canonical ranges
  kNoMatch,    // no code of up to 15 bits matches
};

struct Entry {
  std::uint16_t value = 0;
  std::uint8_t bits = 0;  // code length
  std::uint8_t kind = kLong;
  std::uint8_t extra = 0;
};

enum class Alphabet { CodeLengths, LitLen, Dist };
enum class Shape { Complete, Incomplete, Oversubscribed };

Entry makeEntry(Alphabet alphabet, int symbol, int bits) {
  Entry e;
  e.bits = std::uint8_t(bits);
  if (alphabet == Alphabet::CodeLengths) {
    e.kind = kLiteral;
    e.value = std::uint16_t(symbol);
  } else if (alphabet == Alphabet::LitLen) {
    if (symbol < 256) {
      e.kind = kLiteral;
      e.value = std::uint16_t(symbol);
    } else if (symbol == 256) {
      e.kind = kEnd;
    } else if (symbol <= 285) {
      e.kind = kLength;
      e.value = kLengthBase[symbol - 257];
      e.extra = kLengthExtra[symbol - 257];
    } else {
      e.kind = kBadSymbol;
    }
  } else if (symbol < 30) {
    e.kind = kDistance;
    e.value = kDistBase[symbol];
    e.extra = kDistExtra[symbol];
  } else {
    e.kind = kBadSymbol;
  }
  return e;
}

// A canonical code: counts and symbols in code order (for the rare codes
// longer than the table), plus a direct table indexed by the next
// tableBits input bits.
struct Code {
  Alphabet alphabet = Alphabet::LitLen;
  int tableBits = 0;
  std::uint16_t count[kMaxCodeBits + 1] = {};
  std::uint16_t symbol[288] = {};
  Entry table[1 << kLitTableBits];

  Shape build(Alphabet a, int bits, const std::uint8_t* lengths, int n) {
    alphabet = a;
    tableBits = bits;
    std::fill(std::begin(count), std::end(count), std::uint16_t(0));
    for (int s = 0; s < n; ++s) ++count[lengths[s]];
    const int size = 1 << tableBits;
    std::fill(table, table + size, Entry{});
    if (count[0] == n) return Shape::Complete;  // empty code: nothing decodes

    int left = 1;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
      left <<= 1;
      left -= count[len];
      if (left < 0) return Shape::Oversubscribed;
    }
    std::uint16_t offset[kMaxCodeBits + 2] = {};
    std::uint32_t next[kMaxCodeBits + 1] = {};
    std::uint32_t code = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
      offset[len + 1] = std::uint16_t(offset[len] + count[len]);
      code = (code + (len > 1 ? count[len - 1] : 0)) << 1;
      next[len] = code;
    }
    for (int s = 0; s < n; ++s) {
      const int len = lengths[s];
      if (!len) continue;
      symbol[offset[len]++] = std::uint16_t(s);
      const std::uint32_t c = next[len]++;
      if (len > tableBits) continue;
      std::uint32_t rev = 0;
      for (int i = 0; i < len; ++i) rev |= ((c >> i) & 1u) << (len - 1 - i);
      const Entry e = makeEntry(a, s, len);
      for (std::uint32_t i = rev; i < std::uint32_t(size); i += 1u << len) table[i] = e;
    }
    return left > 0 ? Shape::Incomplete : Shape::Complete;
  }

  // Canonical decode one bit at a time, most significant code bit first.
  Entry walk(std::uint64_t bits) const {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
      code |= int((bits >> (len - 1)) & 1u);
      const int n = count[len];
      if (code - n < first) return makeEntry(alphabet, symbol[index + (code - first)], len);
      index += n;
      first = (first + n) << 1;
      code <<= 1;
    }
    Entry none;
    none.kind = kNoMatch;
    none.bits = kMaxCodeBits;
    return none;
  }

  Entry lookup(std::uint64_t bits) const {
    const Entry e = table[bits & ((1u << tableBits) - 1)];
    return e.kind == kLong ? walk(bits) : e;
  }
};

struct FixedCodes {
  Code lit;
  Code dist;
  FixedCodes() {
    std::uint8_t lengths[288];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + 288, 8);
    lit.build(Alphabet::LitLen, kLitTableBits, lengths, 288);
    std::fill(lengths, lengths + 30, 5);
    dist.build(Alphabet::Dist, kDistTableBits, lengths, 30);
  }
};

const FixedCodes& fixedCodes() {
  static const FixedCodes codes;  // thread-safe one-time build
  return codes;
}

inline std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}

// A stream that is not held in memory, pulled from its source a piece at a
// time into one buffer.
struct InputFeed {
  const ByteSource* source = nullptr;
  std::uint64_t next = 0;  // source offset of the next byte to pull
  std::uint64_t end = 0;   // source offset after the stream
  std::vector<std::uint8_t> buffer;
  bool failed = false;  // the source could not be read
};

// LSB-first bit reader. Bits past the end of the input read as zero; a
// caller that needs more bits than `count` has run out of input.
struct BitReader {
  const std::uint8_t* in;
  const std::uint8_t* end;
  InputFeed* feed = nullptr;  // null when the whole stream lies in [in, end)
  std::uint64_t buf = 0;
  unsigned count = 0;

  // Afterwards at least 56 bits are held, or all the input that is left.
  void refill() {
    if (end - in < 8 && feed) pull();
    if (end - in >= 8) {
      buf |= load64(in) << count;
      in += (63 - count) >> 3;
      count |= 56;
    } else {
      while (count <= 56 && in < end) {
        buf |= std::uint64_t(*in++) << count;
        count += 8;
      }
    }
  }
  void consume(unsigned n) {
    buf >>= n;
    count -= n;
  }
  std::uint32_t peek(unsigned n) const { return std::uint32_t(buf & ((std::uint64_t(1) << n) - 1)); }
  // Drops the bits of a partly read byte and returns the whole held bytes
  // to the input, so that a stored block's bytes can be read directly.
  void alignToByte() {
    consume(count & 7u);
    in -= count >> 3;
    buf = 0;
    count = 0;
  }
  // The input bytes not yet read, whether held or still in the source.
  std::uint64_t left() const { return std::uint64_t(end - in) + (feed ? feed->end - feed->next : 0); }
  // Moves the unread bytes (and a few before them) to the front of the
  // buffer and fills the rest from the source; false when nothing came.
  bool pull() {
    if (!feed || feed->failed || feed->next >= feed->end) return false;
    std::uint8_t* base = feed->buffer.data();
    const std::size_t behind = std::min<std::size_t>(kKeptBehind, std::size_t(in - base));
    const std::uint8_t* from = in - behind;
    const std::size_t keep = std::size_t(end - from);
    std::memmove(base, from, keep);
    const auto n = std::size_t(std::min<std::uint64_t>(feed->buffer.size() - keep, feed->end - feed->next));
    if (!feed->source->read(feed->next, base + keep, n)) {
      feed->failed = true;
      return false;
    }
    feed->next += n;
    in = base + behind;
    end = base + keep + n;
    return true;
  }
};

// The farthest back a copy reaches, and what a sliding output keeps.
constexpr std::size_t kHistory = 32768;
// A sliding output: the history, then room for the longest stored block
// and a copy past it, many times over so that it slides seldom.
constexpr std::size_t kWindowBytes = kHistory + (std::size_t(192) << 10);

// Decodes into the caller's vector, grown up to the declared size, or
// into a window of its own that slides, handing each byte on before it
// leaves. Decoding goes on where it left off: it stops between symbols once
// the output reaches the point it is asked to, and after the final block.
class Inflater {
 public:
  using Piece = StreamInflater::Piece;

  Inflater(const std::uint8_t* input, std::size_t length, std::size_t declared,
           std::vector<std::uint8_t>& out)
      : bits_{input, input + length}, out_(out), start_(out.size()), pos_(out.size()), size_(out.size()) {
    limit_ = declared > SIZE_MAX - start_ ? SIZE_MAX : start_ + declared;
    data_ = out_.data();
  }
  // Reads the stream from the feed, which starts with an empty buffer.
  Inflater(InputFeed& feed, std::size_t declared, std::vector<std::uint8_t>& out)
      : Inflater(feed.buffer.data(), 0, declared, out) {
    bits_.feed = &feed;
  }

  // Makes the output a window of out's, which must be empty: `piece`, when
  // given, has every byte before it leaves the window or the stream ends.
  void slide(Piece piece) {
    piece_ = std::move(piece);
    window_ = true;
    out_.resize(kWindowBytes);
    data_ = out_.data();
    size_ = std::min(kWindowBytes, limit_);
  }

  // The whole stream into the caller's vector.
  bool run(std::string& error) {
    const char* failure = decodeTo(SIZE_MAX);
    out_.resize(pos_);
    if (failure) {
      error = failure;
      return false;
    }
    return true;
  }

  // Decodes until the output reaches `end` bytes from the stream's first,
  // or the stream ends; nothing, or why it failed.
  const char* decodeTo(std::uint64_t end) {
    if (failure_ == nullptr && !done_) {
      failure_ = decode(end);
      if (failure_ && bits_.feed && bits_.feed->failed) failure_ = kCannotRead;
      if ((done_ || failure_) && window_) handOn();
    }
    return failure_;
  }

  // Output bytes from the stream's first up to those decoded.
  std::uint64_t decoded() const { return dropped_ + (pos_ - start_); }
  // The decoded bytes still held, from the stream's first output byte
  // `decoded() - held().size()`.
  std::span<const std::uint8_t> held() const { return {data_ + start_, pos_ - start_}; }

 private:
  // Room for `count` more bytes of output, never past the declared size.
  bool room(std::size_t count) {
    if (count <= size_ - pos_) return true;
    if (count > limit_ - pos_) return false;
    if (window_) {
      drop();
      return true;
    }
    std::size_t grown = std::max({pos_ + count, size_ + size_ / 2, start_ + std::size_t(32768)});
    grown = std::min(grown, limit_);
    out_.resize(grown);
    data_ = out_.data();
    size_ = grown;
    return true;
  }

  // Hands on what the window holds that it has not yet, and keeps only
  // the history before the decoding position.
  void handOn() {
    if (piece_ && pos_ > given_) piece_(std::span<const std::uint8_t>(data_ + given_, pos_ - given_));
    given_ = pos_;
  }
  void drop() {
    handOn();
    const std::size_t keep = std::min(pos_, kHistory);
    const std::size_t shift = pos_ - keep;
    std::memmove(data_, data_ + shift, keep);
    dropped_ += shift;
    pos_ = keep;
    given_ = keep;
    limit_ -= shift;
    // As a growing output never grows past the declared size, the window
    // never holds room beyond it.
    size_ = std::min(out_.size(), limit_);
  }

  // The output position `end` bytes from the stream's first, where the
  // decoding stops; at most the end of the declared size.
  std::size_t stopAt(std::uint64_t end) const {
    if (end <= dropped_) return start_;
    const std::uint64_t ahead = end - dropped_;
    return ahead > limit_ - start_ ? SIZE_MAX : start_ + static_cast<std::size_t>(ahead);
  }

  const char* decode(std::uint64_t end) {
    for (;;) {
      if (inBlock_) {
        const char* failure = block(*blockLit_, *blockDist_, end);
        if (failure) return failure;
        if (inBlock_) return nullptr;  // stopped where asked
        if (final_) {
          done_ = true;
          return nullptr;
        }
      }
      if (pos_ >= stopAt(end)) return nullptr;
      bits_.refill();
      if (bits_.count < 3) return kEndsEarly;
      final_ = bits_.peek(1);
      const unsigned type = (bits_.buf >> 1) & 3u;
      bits_.consume(3);
      if (type == 0) {
        if (const char* failure = stored()) return failure;
        if (final_) {
          done_ = true;
          return nullptr;
        }
      } else if (type == 1) {
        blockLit_ = &fixedCodes().lit;
        blockDist_ = &fixedCodes().dist;
        inBlock_ = true;
      } else if (type == 2) {
        if (const char* failure = dynamicTables()) return failure;
        blockLit_ = &lit_;
        blockDist_ = &dist_;
        inBlock_ = true;
      } else {
        return "invalid block type";
      }
    }
  }

  const char* stored() {
    bits_.alignToByte();
    while (bits_.end - bits_.in < 4 && bits_.pull()) {
    }
    if (bits_.end - bits_.in < 4) return kEndsEarly;
    const unsigned len = bits_.in[0] | unsigned(bits_.in[1]) << 8;
    const unsigned nlen = bits_.in[2] | unsigned(bits_.in[3]) << 8;
    bits_.in += 4;
    if (len != (~nlen & 0xFFFFu)) return "stored block length does not match its complement";
    if (bits_.left() < len) return kEndsEarly;
    if (!room(len)) return kTooMuch;
    // The block's bytes may span pieces of the input.
    for (std::size_t copied = 0; copied < len;) {
      if (bits_.in == bits_.end && !bits_.pull()) return kEndsEarly;
      const std::size_t n = std::min<std::size_t>(len - copied, std::size_t(bits_.end - bits_.in));
      std::memcpy(data_ + pos_, bits_.in, n);
      pos_ += n;
      bits_.in += n;
      copied += n;
    }
    return nullptr;
  }

  const char* dynamicTables() {
    bits_.refill();
    if (bits_.count < 14) return kEndsEarly;
    const int nlit = int(bits_.peek(5)) + 257;
    bits_.consume(5);
    const int ndist = int(bits_.peek(5)) + 1;
    bits_.consume(5);
    const int ncode = int(bits_.peek(4)) + 4;
    bits_.consume(4);
    if (nlit > 286 || ndist > 30) return "too many length or distance codes";

    std::uint8_t lengths[286 + 30] = {};
    for (int i = 0; i < ncode; ++i) {
      bits_.refill();
      if (bits_.count < 3) return kEndsEarly;
      lengths[kCodeLengthOrder[i]] = std::uint8_t(bits_.peek(3));
      bits_.consume(3);
    }
    if (lengthCode_.build(Alphabet::CodeLengths, kLengthTableBits, lengths, 19) != Shape::Complete)
      return "incomplete code-length code";

    const int total = nlit + ndist;
    std::fill(lengths, lengths + 19, 0);
    for (int i = 0; i < total;) {
      bits_.refill();
      const Entry e = lengthCode_.lookup(bits_.buf);
      if (e.bits > bits_.count) return kEndsEarly;
      if (e.kind == kNoMatch) return "invalid code-length code";
      bits_.consume(e.bits);
      const int sym = e.value;
      if (sym < 16) {
        lengths[i++] = std::uint8_t(sym);
        continue;
      }
      std::uint8_t value = 0;
      unsigned extra = 7, base = 11;
      if (sym == 16) {
        if (i == 0) return "repeat with no previous length";
        value = lengths[i - 1];
        extra = 2;
        base = 3;
      } else if (sym == 17) {
        extra = 3;
        base = 3;
      }
      if (extra > bits_.count) return kEndsEarly;
      const int repeat = int(base + bits_.peek(extra));
      bits_.consume(extra);
      if (i + repeat > total) return "too many lengths";
      std::fill(lengths + i, lengths + i + repeat, value);
      i += repeat;
    }
    if (lengths[256] == 0) return "no end-of-block code";
    if (!usable(lit_.build(Alphabet::LitLen, kLitTableBits, lengths, nlit), lengths, nlit))
      return "invalid literal/length code lengths";
    if (!usable(dist_.build(Alphabet::Dist, kDistTableBits, lengths + nlit, ndist), lengths + nlit, ndist))
      return "invalid distance code lengths";
    return nullptr;
  }

  // Complete codes are usable; of the incomplete ones only a lone code of
  // length 1, which RFC 1951 allows.
  static bool usable(Shape shape, const std::uint8_t* lengths, int n) {
    if (shape == Shape::Complete) return true;
    if (shape == Shape::Oversubscribed) return false;
    int used = 0, ones = 0;
    for (int i = 0; i < n; ++i) {
      used += lengths[i] != 0;
      ones += lengths[i] == 1;
    }
    return used == 1 && ones == 1;
  }

  // The block's symbols until its end, or until the output reaches `end`
  // (the block then goes on at the next call).
  const char* block(const Code& lit, const Code& dist, std::uint64_t end) {
    BitReader b = bits_;  // local copy keeps the hot state in registers
    std::uint8_t* data = data_;
    std::size_t pos = pos_;
    std::size_t size = size_;
    std::size_t stop = stopAt(end);
    const char* failure = nullptr;
    // After room() the window may have slid: everything held is read again.
    const auto reload = [&] {
      data = data_;
      size = size_;
      pos = pos_;
      stop = stopAt(end);
    };
    for (;;) {
      if (pos >= stop) break;
      b.refill();
      Entry e = lit.lookup(b.buf);
      if (e.bits > b.count) {
        failure = kEndsEarly;
        break;
      }
      if (e.kind == kLiteral) {
        b.consume(e.bits);
        if (pos >= size) {
          pos_ = pos;
          if (!room(1)) {
            failure = kTooMuch;
            break;
          }
          reload();
        }
        data[pos++] = std::uint8_t(e.value);
        continue;
      }
      if (e.kind == kEnd) {
        b.consume(e.bits);
        inBlock_ = false;
        break;
      }
      if (e.kind == kNoMatch) {
        failure = "invalid literal/length code";
        break;
      }
      if (e.kind == kBadSymbol) {
        failure = "invalid length symbol";
        break;
      }
      b.consume(e.bits);
      if (e.extra > b.count) {
        failure = kEndsEarly;
        break;
      }
      const std::size_t length = e.value + b.peek(e.extra);
      b.consume(e.extra);

      const Entry d = dist.lookup(b.buf);
      if (d.bits > b.count) {
        failure = kEndsEarly;
        break;
      }
      if (d.kind != kDistance) {
        failure = "invalid distance code";
        break;
      }
      b.consume(d.bits);
      if (d.extra > b.count) {
        failure = kEndsEarly;
        break;
      }
      const std::size_t distance = d.value + b.peek(d.extra);
      b.consume(d.extra);
      if (distance > pos - start_ + dropped_) {
        failure = "distance reaches before the start";
        break;
      }
      if (pos + length + 8 > size) {
        pos_ = pos;
        if (!room(length)) {
          failure = kTooMuch;
          break;
        }
        room(std::min(length + 8, limit_ - pos_));
        reload();
      }
      std::uint8_t* dst = data + pos;
      const std::uint8_t* src = dst - distance;
      if (distance >= 8 && pos + length + 8 <= size) {
        std::uint8_t* const stop8 = dst + length;
        do {
          std::memcpy(dst, src, 8);
          dst += 8;
          src += 8;
        } while (dst < stop8);
      } else if (distance == 1) {
        std::memset(dst, *src, length);
      } else {
        for (std::size_t i = 0; i < length; ++i) dst[i] = src[i];
      }
      pos += length;
    }
    bits_ = b;
    pos_ = pos;
    return failure;
  }

  BitReader bits_;
  std::vector<std::uint8_t>& out_;
  std::size_t start_;  // where the stream's output starts in out_ (0 for a window)
  std::size_t pos_;
  std::size_t size_;
  std::size_t limit_ = 0;  // where the declared size ends in out_
  std::uint8_t* data_ = nullptr;
  bool window_ = false;
  Piece piece_;
  std::size_t given_ = 0;           // window bytes before this were handed on
  std::uint64_t dropped_ = 0;       // output bytes that left the window
  bool inBlock_ = false;            // within a block of codes, at a symbol
  bool final_ = false;              // the block in hand is the last
  bool done_ = false;               // the final block is decoded
  const char* failure_ = nullptr;   // why decoding stopped for good
  const Code* blockLit_ = nullptr;  // the codes of the block in hand
  const Code* blockDist_ = nullptr;
  Code lengthCode_;
  Code lit_;
  Code dist_;
};

}  // namespace

bool inflate(const std::uint8_t* input, std::size_t inputLength, std::size_t declaredSize,
             std::vector<std::uint8_t>& output, std::string& error) {
  Inflater inflater(input, inputLength, declaredSize, output);
  return inflater.run(error);
}

namespace {

// A feed for the stream in source at [offset, offset + length), or none
// when the source is in memory.
std::unique_ptr<InputFeed> feedFor(const ByteSource& source, std::uint64_t offset, std::uint64_t length) {
  if (source.inMemory().data() != nullptr) return nullptr;
  auto feed = std::make_unique<InputFeed>();
  feed->source = &source;
  feed->next = offset;
  feed->end = offset + length;
  feed->buffer.resize(kInputPiece);
  return feed;
}

bool withinSource(const ByteSource& source, std::uint64_t offset, std::uint64_t length) {
  return offset <= source.size() && length <= source.size() - offset;
}

}  // namespace

bool inflate(const ByteSource& source, std::uint64_t offset, std::uint64_t inputLength,
             std::size_t declaredSize, std::vector<std::uint8_t>& output, std::string& error) {
  if (!withinSource(source, offset, inputLength)) {
    error = kEndsEarly;
    return false;
  }
  const std::unique_ptr<InputFeed> feed = feedFor(source, offset, inputLength);
  if (!feed)
    return inflate(source.inMemory().data() + offset, static_cast<std::size_t>(inputLength), declaredSize,
                   output, error);
  Inflater inflater(*feed, declaredSize, output);
  return inflater.run(error);
}

struct StreamInflater::Decoder {
  std::unique_ptr<InputFeed> feed;
  std::vector<std::uint8_t> window;
  std::optional<Inflater> inflater;
  const char* failure = nullptr;  // when the stream lies outside its source
};

StreamInflater::StreamInflater(const ByteSource& source, std::uint64_t offset, std::uint64_t length,
                               std::uint64_t declared, Piece piece)
    : decoder_(std::make_unique<Decoder>()) {
  Decoder& d = *decoder_;
  if (!withinSource(source, offset, length)) {
    d.failure = kEndsEarly;
    return;
  }
  const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(declared, SIZE_MAX));
  d.feed = feedFor(source, offset, length);
  if (d.feed)
    d.inflater.emplace(*d.feed, size, d.window);
  else
    d.inflater.emplace(source.inMemory().data() + offset, static_cast<std::size_t>(length), size, d.window);
  d.inflater->slide(std::move(piece));
}

StreamInflater::~StreamInflater() = default;

bool StreamInflater::read(std::uint64_t offset, std::uint8_t* out, std::size_t count) {
  Decoder& d = *decoder_;
  if (d.failure || count > kHistory || offset > UINT64_MAX - count) return false;
  Inflater& in = *d.inflater;
  if (in.decoded() < offset + count && in.decodeTo(offset + count) != nullptr) return false;
  const std::span<const std::uint8_t> held = in.held();
  const std::uint64_t first = in.decoded() - held.size();
  if (offset < first || offset + count > in.decoded()) return false;
  if (count > 0) std::memcpy(out, held.data() + (offset - first), count);
  return true;
}

std::optional<std::uint64_t> StreamInflater::finish(std::string& error) {
  Decoder& d = *decoder_;
  const char* failure = d.failure ? d.failure : d.inflater->decodeTo(UINT64_MAX);
  if (failure) {
    error = failure;
    return std::nullopt;
  }
  return d.inflater->decoded();
}

}  // namespace ob::zip
