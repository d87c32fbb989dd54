#pragma once
// The keys of one object as the parser reads them, to refuse one said twice.
// Members kept as text are never stored, so a key is held as its hash and
// where its text starts, and a hash met again is settled by reading both
// texts: a few words a key, whatever the key. Keys are compared as a
// writer spells them, bytes that are no UTF-8 as U+FFFD: two that differ
// only there would be written as one key twice.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace ob {

class JsonSeenKeys {
 public:
  explicit JsonSeenKeys(std::string_view text) : text_(text) {}

  // False when this object had the key already; `key` is as a writer
  // spells it (mendedUtf8), `at` is where its opening quote stands.
  bool insert(std::string_view key, std::size_t at);

 private:
  struct Key {
    std::size_t hash = 0;
    std::size_t at = 0;
  };
  static constexpr std::size_t kScanned = 16;  // a scan beats hashing up to here

  bool same(const Key& seen, std::string_view key) const;
  bool inTable(const Key& key, std::string_view text) const;
  void place(std::uint32_t index);
  void grow();

  std::string_view text_;
  Key few_[kScanned];
  std::size_t count_ = 0;
  std::vector<Key> many_;             // every key, once past kScanned
  std::vector<std::uint32_t> table_;  // open addressing: index into many_ + 1, 0 when free
};

}  // namespace ob
