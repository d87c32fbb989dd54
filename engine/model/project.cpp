#include "engine/model/project.h"

#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "engine/model/utf8_text.h"

namespace ob {

std::unique_ptr<Project> makeProject() {
  // Value-initialisation zero-fills the whole block (padding included)
  // before the member defaults are written, so copies compare bytewise.
  return std::unique_ptr<Project>(new (std::nothrow) Project());
}

void initPatterns(Pattern* patterns, int n) {
  for (int i = 0; i < n; ++i) std::construct_at(&patterns[i]);
}

void initTracks(Track* tracks, int n) {
  for (int i = 0; i < n; ++i) std::construct_at(&tracks[i]);
}

void initSounds(Sound* sounds, int n) {
  for (int i = 0; i < n; ++i) std::construct_at(&sounds[i]);
}

void initSteps(Step* steps, int n) {
  for (int i = 0; i < n; ++i) std::construct_at(&steps[i]);
}

std::uint64_t defaultSeedOr(const Pattern& pattern) {
  return pattern.seed != 0 ? pattern.seed : kDefaultPatternSeed;
}

int countSetSteps(const Pattern& pattern) {
  int n = 0;
  for (const Track& track : pattern.tracks)
    for (const Step& step : track.steps)
      if (step.active) ++n;
  return n;
}

void copyBoundedString(char* dest, const char* source, std::size_t capacity) {
  if (dest == nullptr || capacity == 0) return;
  std::size_t n = 0;
  if (source != nullptr) {
    // One byte past the room says whether a character is cut there.
    while (n < capacity && source[n] != '\0') ++n;
    n = utf8Prefix(std::string_view(source, n), capacity - 1).size();
    // Source and destination may be the same field.
    std::memmove(dest, source, n);
  }
  dest[n] = '\0';
}

}  // namespace ob
