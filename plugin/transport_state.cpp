#include "plugin/transport_state.h"

#include <cmath>

namespace ob::clap {

void updateTransportPosition(TransportState& t, const clap_event_transport_t* host, std::uint32_t frames) {
  t.expected = t.position + (t.playing ? static_cast<std::int64_t>(t.lastFrames) : 0);
  t.position = t.expected;
  t.lastFrames = frames;
  if (host == nullptr) return;
  t.playing = (host->flags & CLAP_TRANSPORT_IS_PLAYING) ? 1 : 0;
  if (t.byEvent) return;
  double seconds = 0.0;
  if (host->flags & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE) {
    seconds = secondsOf(host->song_pos_seconds);
  } else if ((host->flags & CLAP_TRANSPORT_HAS_TEMPO) && (host->flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE) &&
             host->tempo > 0.0 && std::isfinite(host->tempo)) {
    seconds = beatsOf(host->song_pos_beats) * 60.0 / host->tempo;
  } else {
    return;
  }
  const double p = std::floor(seconds * t.sampleRate + 0.5);
  // A position no 64-bit count can hold, or run on from, is no position.
  if (!(std::fabs(p) < static_cast<double>(kHostPositionLimit))) return;
  t.valid = 1;
  t.position = static_cast<std::int64_t>(p);
}

}  // namespace ob::clap
