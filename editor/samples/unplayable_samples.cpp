#include "editor/samples/unplayable_samples.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "editor/said_list.h"
#include "engine/model/project.h"
#include "engine/model/reach.h"
#include "engine/pool/sample_pool.h"

namespace orbi {
namespace {

// The slots in use whose sample cannot play, in order.
std::vector<std::int32_t> unplayableSlots(const ob::Project& project, const ob::SamplePool& pool) {
  std::vector<std::int32_t> slots;
  const int count = std::min<int>(project.samples.count, ob::kSampleSlots);
  for (std::int32_t i = 0; i < count; ++i)
    if (cannotPlayReason(pool, i) != nullptr) slots.push_back(i);
  return slots;
}

}  // namespace

std::string listedSlots(const std::vector<std::int32_t>& slots) {
  std::vector<std::string> runs;
  for (std::size_t i = 0; i < slots.size();) {
    std::size_t last = i;
    while (last + 1 < slots.size() && slots[last + 1] == slots[last] + 1) ++last;
    if (last < i + 2) last = i;
    runs.push_back(std::to_string(slots[i]));
    if (last > i) runs.back().append("-").append(std::to_string(slots[last]));
    i = last + 1;
  }
  // Numbers are short: all of them, so that none is counted unnamed.
  return sayList(runs, runs.size()).whole;
}

const std::string* cannotPlayReason(const ob::SamplePool& pool, std::int32_t slot) {
  if (slot < 0 || slot >= pool.slotCount() || !pool.slots[slot] || !pool.slots[slot]->data) return nullptr;
  const ob::KeptSampleFile* kept = pool.slots[slot]->data->kept();
  return kept != nullptr ? &kept->why : nullptr;
}

std::string unplayableSummary(const ob::Project& project, const ob::SamplePool& pool) {
  const std::vector<std::int32_t> slots = unplayableSlots(project, pool);
  if (slots.empty()) return {};
  const std::int32_t first = slots.front();
  const char* name = project.samples.slots[first].name;
  std::string firstSlot = "slot " + std::to_string(first);
  if (name[0] != '\0')
    firstSlot.append(" (").append(name, strnlen(name, sizeof project.samples.slots[0].name)).append(")");
  const std::string& why = *cannotPlayReason(pool, first);
  if (slots.size() == 1) return firstSlot + " cannot play: " + why;
  return "slots " + listedSlots(slots) + " cannot play; " + firstSlot + ": " + why;
}

std::string silentTracksSummary(const ob::Project& project) {
  const ob::Pattern& pattern = project.patterns[0];
  std::vector<std::int32_t> silent;
  for (int t = 0; t < ob::tracksInUse(pattern); ++t)
    if (static_cast<std::uint8_t>(pattern.tracks[t].soundIndex) >= ob::kMaxTracks) silent.push_back(t + 1);
  if (silent.empty()) return {};
  if (silent.size() == 1)
    return "track " + listedSlots(silent) + " plays no sound: its voice names none of the kit's";
  return "tracks " + listedSlots(silent) + " play no sound: their voices name none of the kit's";
}

std::string lacksSummary(const ob::Project& project, std::string samples) {
  std::string line = silentTracksSummary(project);
  if (!line.empty() && !samples.empty()) line += "; ";
  return line + samples;
}

std::string unplayableLine(const ob::Project& project, const ob::SamplePool& pool) {
  std::string line = unplayableSummary(project, pool);
  if (!line.empty()) line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
  return line;
}

}  // namespace orbi
