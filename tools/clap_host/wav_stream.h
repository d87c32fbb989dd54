#pragma once
// A 32-bit float WAV file written as a render goes: the header goes first
// with no frames and is rewritten with the final count on close, so no
// render is held whole in memory.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace orbi::host {

class WavStream {
 public:
  // One channel, or two; false with a reason when the file cannot be made.
  bool open(const std::string& path, std::uint32_t channels, double sampleRate, std::string& error);
  // right is read only by a two-channel stream. False with a reason when the
  // file cannot take the frames or a WAV header could not count them.
  bool append(const float* left, const float* right, std::uint32_t frames, std::string& error);
  // Rewrites the header for the frames appended and closes the file.
  bool close(std::string& error);

 private:
  std::ofstream file_;
  std::string path_;
  std::uint32_t channels_ = 1;
  double sampleRate_ = 0.0;
  std::uint64_t frames_ = 0;
  std::vector<std::uint8_t> bytes_;  // one block, reused
};

}  // namespace orbi::host
