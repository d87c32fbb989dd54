#include "document/factory/factory_sample.h"

#include <algorithm>
#include <cstring>

namespace ob {
namespace {

// Copies at most capacity - 1 bytes and always terminates.
template <std::size_t N>
void copyCut(char (&field)[N], std::string_view text) {
  const std::size_t n = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

std::string_view partSuffix(std::uint32_t part) {
  if (part == kFactoryPartHit) return "_hit";
  if (part == kFactoryPartBody) return "_body";
  return {};
}

}  // namespace

std::string_view fileStem(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
}

std::string factorySampleNameOf(const FactorySampleRow& row, std::uint32_t part) {
  std::string name(fileStem(row.fileName ? row.fileName : ""));
  name += partSuffix(part);
  return name;
}

SampleSlot makeFactorySampleSlotFrom(const FactorySampleRow& row, std::uint32_t part) {
  // Value-initialised, padding too, so a slot made here compares bytewise
  // with its copies, whatever the caller's memory held.
  SampleSlot slot = SampleSlot();
  std::string name = row.displayName ? row.displayName : "";
  if (part == kFactoryPartHit) name += " hit";
  if (part == kFactoryPartBody) name += " body";
  copyCut(slot.name, name);
  copyCut(slot.factory, factorySampleNameOf(row, part));

  std::string_view words = row.tags ? row.tags : "";
  std::size_t i = 0;
  while (i < words.size() && slot.tagCount < kTagCapacity) {
    while (i < words.size() && words[i] == ' ') ++i;
    std::size_t end = i;
    while (end < words.size() && words[end] != ' ') ++end;
    if (end > i) copyCut(slot.tags[slot.tagCount++], words.substr(i, end - i));
    i = end;
  }
  if (slot.tagCount < kTagCapacity) {
    if (part == kFactoryPartHit)
      copyCut(slot.tags[slot.tagCount++], "hit");
    else if (part == kFactoryPartBody)
      copyCut(slot.tags[slot.tagCount++], "body");
  }
  slot.src = static_cast<std::uint8_t>(row.sampleSet);
  return slot;
}

}  // namespace ob
