#include "tools/clap_host/wav_stream.h"

#include "document/wav/wav.h"

namespace orbi::host {

namespace {
bool put(std::ofstream& file, const std::vector<std::uint8_t>& bytes) {
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}
}  // namespace

bool WavStream::open(const std::string& path, std::uint32_t channels, double sampleRate, std::string& error) {
  path_ = path;
  channels_ = channels > 1 ? 2 : 1;
  sampleRate_ = sampleRate;
  frames_ = 0;
  file_.open(path, std::ios::binary | std::ios::trunc);
  if (!file_ || !put(file_, ob::encodeWavHeader(channels_, 0, sampleRate_))) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool WavStream::append(const float* left, const float* right, std::uint32_t frames, std::string& error) {
  if (frames_ + frames > ob::maxWavFrames(channels_)) {
    error = path_ + " would be longer than a WAV file can be";
    return false;
  }
  bytes_.clear();
  ob::appendWavFrames(bytes_, left, channels_ == 2 ? right : nullptr, frames);
  if (!put(file_, bytes_)) {
    error = "cannot write " + path_;
    return false;
  }
  frames_ += frames;
  return true;
}

bool WavStream::close(std::string& error) {
  file_.seekp(0);
  const bool ok = put(file_, ob::encodeWavHeader(channels_, frames_, sampleRate_)) && file_.flush();
  file_.close();
  if (!ok || file_.fail()) {
    error = "cannot write " + path_;
    return false;
  }
  return true;
}

}  // namespace orbi::host
