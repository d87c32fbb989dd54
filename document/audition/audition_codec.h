#pragma once
// Hands the audition reader and writer to the instance state.

namespace ob {

// Installs readAudition and writeAudition as the instance state's audition
// codec (main thread; call once before the first state load or save).
void installAuditionCodec();

}  // namespace ob
