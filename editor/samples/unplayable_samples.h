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
// "track 1 plays no sound" or "tracks 1 and 3 play no sound": the tracks in
// use whose voice names no sound of the kit (a load found none of the name
// it gave), which play nothing; empty when every track has one.
std::string silentTracksSummary(const ob::Project& project);

// What cannot play, the silent tracks first; then `samples`, what the
// samples lack (unplayableSummary, or what an open says), joined.
std::string lacksSummary(const ob::Project& project, std::string samples);

// The same as a line of its own: "Slot 3 (Tone.wav) cannot play: ...".
std::string unplayableLine(const ob::Project& project, const ob::SamplePool& pool);

}  // namespace orbi
