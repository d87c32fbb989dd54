#pragma once
// The slots that hold a sample which cannot play here (a load refused its
// file, which they keep as it was stored), as the samples page and the
// status line name them. Main thread.

#include <cstdint>
#include <string>
#include <vector>

namespace ob {
class SamplePool;
struct Project;
}  // namespace ob

namespace orbi {

// "3, 5 and 9-12": the slots in order, runs of three or more neighbours as
// ranges, so that what follows the list shows.
std::string listedSlots(const std::vector<std::int32_t>& slots);

// Why slot's sample cannot play, or null when it plays or holds none.
const std::string* cannotPlayReason(const ob::SamplePool& pool, std::int32_t slot);

// Which of the slots in use, and why the first cannot: "slot 3 (Tone.wav) cannot
// play: ..." or "slots 3, 5 and 9-12 cannot play; slot 3 (Tone.wav):
// ..."; empty when every sample plays.
std::string unplayableSummary(const ob::Project& project, const ob::SamplePool& pool);
// The same as a line of its own: "Slot 3 (Tone.wav) cannot play: ...".
std::string unplayableLine(const ob::Project& project, const ob::SamplePool& pool);

}  // namespace orbi
