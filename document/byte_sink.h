#pragma once
// Where a writer puts bytes as it makes them, a piece at a time: a file, a
// host's stream, or memory for a caller that wants them whole. A save
// writes through one, so that nothing holds a second copy of what it
// writes. Main thread, like every writer.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ob {

class ByteSink {
 public:
  virtual ~ByteSink() = default;

  // Takes every byte, or false when the destination refuses them; once it
  // has refused, it takes nothing more, so a writer may go on until its
  // next check.
  bool write(std::span<const std::uint8_t> bytes) {
    if (refused_) return false;
    if (!bytes.empty() && !put(bytes)) refused_ = true;
    if (!refused_) written_ += bytes.size();
    return !refused_;
  }
  // The size of everything about to be written, when it is known, so that
  // memory is taken once.
  virtual void expect(std::uint64_t bytes) { (void)bytes; }

  std::uint64_t written() const { return written_; }
  // The destination refused bytes; its owner knows why.
  bool refused() const { return refused_; }

 protected:
  // All of the bytes into the destination, or false.
  virtual bool put(std::span<const std::uint8_t> bytes) = 0;

 private:
  std::uint64_t written_ = 0;
  bool refused_ = false;
};

// Appends to a vector. Throws std::bad_alloc when there is no room.
class VectorSink final : public ByteSink {
 public:
  explicit VectorSink(std::vector<std::uint8_t>& out) : out_(out) {}
  void expect(std::uint64_t bytes) override { out_.reserve(out_.size() + static_cast<std::size_t>(bytes)); }

 private:
  bool put(std::span<const std::uint8_t> bytes) override {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
    return true;
  }

  std::vector<std::uint8_t>& out_;
};

}  // namespace ob
