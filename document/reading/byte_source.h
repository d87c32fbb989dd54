#pragma once
// The bytes a document or an archive is read from: held in memory (a host's
// state), or a file read piece by piece where it is needed, so that a file
// is never taken whole to find out what it holds.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace ob {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Exactly count bytes from offset into out; false when they are not all
  // there (past the end, a read error).
  virtual bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const = 0;
  // All the bytes when they are held in memory, so readers need no copy;
  // empty for a file.
  virtual std::span<const std::uint8_t> inMemory() const { return {}; }
  // The source itself, shared, when it stays as it is for as long as a
  // holder of it wants to read it again, in the plug-in's own keeping (a
  // private file); else null.
  virtual std::shared_ptr<const ByteSource> heldOpen() const { return nullptr; }
  // The same for the one reader that may give back what it has passed and
  // put it back (see giveBack), asked of a source its asker may change.
  virtual std::shared_ptr<ByteSource> heldOpenToGiveBack() { return nullptr; }
  // Said by a holder of heldOpen() of the bytes it reads again, so that a
  // source which gives back what no one reads keeps them (see HeldMemory).
  virtual void lend(std::uint64_t offset, std::uint64_t count) const {
    (void)offset;
    (void)count;
  }
  // Gives back the room of the whole pages among these bytes of a source
  // held open, which their one reader has passed and no one reads again
  // unless they are put back; they read as zeros until then. A source that
  // is not the plug-in's own, or cannot, keeps them.
  virtual void giveBack(std::uint64_t offset, std::uint64_t count) {
    (void)offset;
    (void)count;
  }
  // Writes bytes given back again, as they were, for a reader that needs
  // them after all. Throws std::bad_alloc when there is no room for them.
  virtual void putBack(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) {
    (void)offset;
    (void)bytes;
    (void)count;
  }

  // count bytes from offset: a view of the memory, or read into scratch;
  // nothing when they are not all there.
  std::optional<std::span<const std::uint8_t>> view(std::uint64_t offset, std::size_t count,
                                                    std::vector<std::uint8_t>& scratch) const;
};

// The system's page: what a source gives back whole.
std::uint64_t pageBytes();

// Whether a view shows `scratch`, into which it was read, rather than
// memory held elsewhere.
inline bool viewsScratch(std::span<const std::uint8_t> view, const std::vector<std::uint8_t>& scratch) {
  return !view.empty() && view.data() == scratch.data();
}

// The viewed bytes as a vector of their own: scratch itself when the view
// shows it, else a copy.
std::vector<std::uint8_t> ownBytes(std::span<const std::uint8_t> view, std::vector<std::uint8_t>&& scratch);

class MemoryBytes final : public ByteSource {
 public:
  MemoryBytes(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes, size) {}
  explicit MemoryBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override;
  std::span<const std::uint8_t> inMemory() const override { return bytes_; }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace ob
