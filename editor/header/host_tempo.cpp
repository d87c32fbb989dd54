#include "editor/header/host_tempo.h"

#include <atomic>
#include <cmath>

#include "engine/model/edit_command.h"
#include "engine/session/engine_host.h"
#include "ui/controls/value_text.h"

namespace orbi {

HostTempo::HostTempo(const EngineHost& host) : host_(host) {
  desc_.name = "BPM";
  desc_.min = ob::kMinBpm;
  desc_.max = ob::kMaxBpm;
  desc_.help = "BPM - the host's tempo: its transport is playing the pattern";
}

float HostTempo::value() const { return static_cast<float>(host_.hostTempo.load(std::memory_order_relaxed)); }

std::string HostTempo::format(float v) const { return ui::formatNumber(v, v == std::round(v) ? 0 : 1); }

}  // namespace orbi
