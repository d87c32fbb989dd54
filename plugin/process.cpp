// The audio thread's block: host transport in, eight stems to the auxiliary
// outputs, their sum and the audition preview to the main output.
#include <algorithm>
#include <cstring>

#include "engine/engine/engine_host.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {
constexpr double kFixedPointScale = 4.656612873077393e-10;  // 2^-31

// Channel c of a port when it has one, else null.
float* channelOf(const clap_audio_buffer_t& port, std::uint32_t c) {
  if (port.data32 == nullptr || c >= port.channel_count) return nullptr;
  return port.data32[c];
}
}  // namespace

clap_process_status Plugin::process(const clap_process_t* pr) {
  if (!engineHost) return CLAP_PROCESS_CONTINUE;
  orbi::EngineHost& eh = *engineHost;
  const std::uint32_t frames = pr->frames_count;

  RenderInfo info{};
  const clap_event_transport_t* hostTransport = pr->transport;
  std::uint8_t playing = 0;
  if (hostTransport != nullptr) {
    playing = (hostTransport->flags & CLAP_TRANSPORT_IS_PLAYING) ? 1 : 0;
    if (hostTransport->flags & CLAP_TRANSPORT_HAS_TEMPO) info.tempo = hostTransport->tempo;
    if (playing && (hostTransport->flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE)) {
      info.hasBeats = 1;
      info.beats = static_cast<double>(hostTransport->song_pos_beats) * kFixedPointScale;
    }
    if (playing && !hostWasPlaying) eh.internalPlay.store(0, std::memory_order_release);
  }
  hostWasPlaying = playing;
  eh.hostPlaying.store(playing, std::memory_order_release);
  if (!playing && eh.internalPlay.load(std::memory_order_acquire) != 0) {
    playing = 1;
    info.internalPlay = 1;
    info.tempo = 0.0;
  }
  info.playing = playing;
  info.clockRunning = playing;

  pendingCount = 0;
  noteEndCount = 0;
  updateTransportPosition(transport, hostTransport, frames);
  for (NoteSlot& slot : noteSlots) slot.used = 0;
  if (transport.valid && transport.position >= 0) {
    info.hasPosition = 1;
    info.position = transport.position;
  }

  // Stems without a port of their own go to scratch, which holds one block
  // of the size activate was given; a longer block is rendered in pieces.
  const std::uint32_t capacity = static_cast<std::uint32_t>(scratch.size() / kStemChannels);
  if (capacity == 0) return CLAP_PROCESS_CONTINUE;
  for (std::uint32_t offset = 0; offset < frames || offset == 0; offset += capacity) {
    const std::uint32_t n = std::min(frames - offset, capacity);
    RenderInfo piece = info;
    if (offset > 0) {
      piece.position += offset;
      const double tempo = info.tempo > 0.0 ? info.tempo : 0.0;
      if (piece.hasBeats && transport.sampleRate > 0.0)
        piece.beats += static_cast<double>(offset) * tempo / (60.0 * transport.sampleRate);
    }
    renderPiece(pr, offset, n, piece);
    if (frames == 0) break;
  }
  return CLAP_PROCESS_CONTINUE;
}

void Plugin::renderPiece(const clap_process_t* pr, std::uint32_t offset, std::uint32_t frames,
                         const RenderInfo& info) {
  orbi::EngineHost& eh = *engineHost;
  const std::uint32_t capacity = static_cast<std::uint32_t>(scratch.size() / kStemChannels);
  float* stems[kStemChannels];
  for (int k = 0; k < kMaxTracks; ++k) {
    const std::uint32_t port = static_cast<std::uint32_t>(k) + 1;
    float* left = nullptr;
    float* right = nullptr;
    if (pr->audio_outputs != nullptr && pr->audio_outputs_count > port &&
        pr->audio_outputs[port].channel_count >= 2) {
      left = channelOf(pr->audio_outputs[port], 0);
      right = channelOf(pr->audio_outputs[port], 1);
    }
    if (left != nullptr && right != nullptr) {
      stems[2 * k] = left + offset;
      stems[2 * k + 1] = right + offset;
    } else {
      stems[2 * k] = scratch.data() + static_cast<std::size_t>(2 * k) * capacity;
      stems[2 * k + 1] = scratch.data() + static_cast<std::size_t>(2 * k + 1) * capacity;
    }
  }
  eh.engine.processBlock(stems, kMaxTracks, static_cast<int>(frames), info);

  if (pr->audio_outputs == nullptr || pr->audio_outputs_count < 1) return;
  const clap_audio_buffer_t& main = pr->audio_outputs[0];
  float* left = channelOf(main, 0);
  if (left == nullptr) return;
  left += offset;
  float* right = channelOf(main, 1);
  if (right != nullptr) right += offset;
  std::fill_n(left, frames, 0.0f);
  if (right != nullptr && right != left) std::fill_n(right, frames, 0.0f);
  for (int k = 0; k < kMaxTracks; ++k) {
    const float* sl = stems[2 * k];
    for (std::uint32_t i = 0; i < frames; ++i) left[i] += sl[i];
    if (right != nullptr && right != left) {
      const float* sr = stems[2 * k + 1];
      for (std::uint32_t i = 0; i < frames; ++i) right[i] += sr[i];
    }
  }
  eh.preview.mix(left, right, frames);
}

}  // namespace ob::clap
