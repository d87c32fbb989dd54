#include "document/json/json_seen_keys.h"

#include <functional>
#include <string>

#include "document/json/json_lex.h"
#include "engine/model/utf8_text.h"

namespace ob {

bool JsonSeenKeys::same(const Key& seen, std::string_view key) const {
  std::string text;
  std::size_t pos = seen.at;
  readJsonString(text_, pos, text);  // read before, so it reads again
  return (isValidUtf8(text) ? text : mendedUtf8(text)) == key;
}

bool JsonSeenKeys::inTable(const Key& key, std::string_view text) const {
  const std::size_t mask = table_.size() - 1;
  for (std::size_t slot = key.hash & mask; table_[slot] != 0; slot = (slot + 1) & mask) {
    const Key& seen = many_[table_[slot] - 1];
    if (seen.hash == key.hash && same(seen, text)) return true;
  }
  return false;
}

void JsonSeenKeys::place(std::uint32_t index) {
  const std::size_t mask = table_.size() - 1;
  std::size_t slot = many_[index].hash & mask;
  while (table_[slot] != 0) slot = (slot + 1) & mask;
  table_[slot] = index + 1;
}

void JsonSeenKeys::grow() {
  table_.assign(table_.empty() ? 4 * kScanned : 2 * table_.size(), 0);
  for (std::uint32_t i = 0; i < many_.size(); ++i) place(i);
}

bool JsonSeenKeys::insert(std::string_view key, std::size_t at) {
  const Key k{std::hash<std::string_view>{}(key), at};
  if (count_ < kScanned) {
    for (std::size_t i = 0; i < count_; ++i)
      if (few_[i].hash == k.hash && same(few_[i], key)) return false;
    few_[count_++] = k;
    return true;
  }
  if (many_.empty()) many_.assign(few_, few_ + kScanned);
  if (table_.empty()) grow();
  if (inTable(k, key)) return false;
  many_.push_back(k);
  if (2 * many_.size() > table_.size())
    grow();
  else
    place(static_cast<std::uint32_t>(many_.size() - 1));
  return true;
}

}  // namespace ob
