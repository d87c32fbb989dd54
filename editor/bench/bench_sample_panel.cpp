// The sampler panel of a sampler or granular sound: the sample view with
// its slots, chips and chop markers, the SPEED, TONE or GRAINS and AMP
// lanes, and the drawer rows for what no lane shows.

#include <algorithm>
#include <array>
#include <string_view>

#include "editor/bench/bench_controller.h"
#include "editor/bench/sound_values.h"
#include "editor/editor_context.h"
#include "editor/samples/unplayable_samples.h"
#include "editor/widgets/bench/bench_page.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"

namespace orbi {
namespace {

struct LaneRow {
  std::string_view key;
  BenchController::Lane sampler;
  BenchController::Lane granular;
};

using L = BenchController::Lane;

// Keys whose lane does not depend on the slices view; the rest below.
constexpr std::array<LaneRow, 17> kLanes = {{
    {"slot", L::kSampleView, L::kSampleView},
    {"attack", L::kAmp, L::kAmp},
    {"decay", L::kAmp, L::kAmp},
    {"level", L::kAmp, L::kAmp},
    {"normalize", L::kTitleStrip, L::kTitleStrip},
    {"tune", L::kSpeed, L::kSpeed},
    {"spread", L::kSpeed, L::kSpeed},
    {"position", L::kNone, L::kSampleView},
    {"spray", L::kNone, L::kSampleView},
    {"size", L::kNone, L::kGrains},
    {"density", L::kNone, L::kGrains},
    {"crush", L::kTone, L::kNone},
    {"srr", L::kTone, L::kNone},
    {"lp", L::kTone, L::kNone},
    {"window_mode", L::kTitleStrip, L::kNone},
    {"loop", L::kTitleStrip, L::kNone},
    {"reverse", L::kTitleStrip, L::kNone},
}};

bool isWindowKey(std::string_view key) {
  return key == "start" || key == "end" || key == "fadeIn" || key == "fadeOut";
}

}  // namespace

BenchController::Lane BenchController::laneOf(int machine, std::string_view key, bool slicesOn) {
  const bool granular = machine == ob::kMachineGranular;
  if (machine != ob::kMachineSample && !granular) return Lane::kNone;
  if (key == "gain") return granular || !slicesOn ? Lane::kSampleView : Lane::kNone;
  if (isWindowKey(key)) return !granular && !slicesOn ? Lane::kSampleView : Lane::kNone;
  if (key == "slice") return !granular && slicesOn ? Lane::kSampleView : Lane::kNone;
  for (const LaneRow& row : kLanes)
    if (row.key == key) return granular ? row.granular : row.sampler;
  return Lane::kNone;
}

void BenchController::fillSlots(ParamWidget& widget, const ob::Sound& s,
                                std::initializer_list<const char*> keys) const {
  std::vector<ParamSlot> slots;
  for (const char* key : keys) {
    const int i = ob::findParamIndex(s.machine, key);
    if (i < 0) continue;
    ParamSlot slot;
    slot.id = i;
    slot.info = ob::paramInfo(s.machine, i);
    slot.name = ob::paramName(s.machine, i);
    slot.value = s.params[i];
    slot.logScale = std::string_view(key) == "lp" ? 1 : 0;
    slots.push_back(slot);
  }
  widget.setSlots(std::move(slots));
  const ob::Pattern& p = pattern();
  const int t = context->selectedTrack();
  const int step = context->selectedStep();
  for (std::size_t k = 0; k < widget.slots.size(); ++k)
    widget.modMarks[k] = modulationSummary(p, p.tracks[t].soundIndex, t, step, s.machine, widget.slots[k].id);
}

void BenchController::addFlagChip(const char* key) {
  if (!chipsBeingBuilt_) return;
  const int i = ob::findParamIndex(panelSound_.machine, key);
  if (i < 0) return;
  SampleView::Chip chip;
  chip.label = ob::paramName(panelSound_.machine, i);
  chip.on = panelSound_.params[i] >= 0.5f ? 1 : 0;
  chip.value = static_cast<std::uint32_t>(i);
  chipsBeingBuilt_->push_back(std::move(chip));
}

std::vector<SampleView::Chip> BenchController::sampleFlagChips(const ob::Sound& s) {
  std::vector<SampleView::Chip> chips;
  const ob::Sound held = panelSound_;
  panelSound_ = s;
  chipsBeingBuilt_ = &chips;
  if (s.machine == ob::kMachineSample) {
    addFlagChip("loop");
    addFlagChip("reverse");
  }
  addFlagChip("normalize");
  chipsBeingBuilt_ = nullptr;
  panelSound_ = held;
  return chips;
}

void BenchController::buildSamplePanel(const ob::Sound& s) {
  SamplerLanes& lanes = page->sampler;
  SampleView& view = lanes.sampleView;
  const bool sampler = s.machine == ob::kMachineSample;
  const bool slicesOn = sampler && soundValue(s, "window_mode") >= 0.5f;

  const int slotKey = ob::findParamIndex(s.machine, "slot");
  const int slot = slotKey >= 0 ? static_cast<int>(s.params[slotKey] + 0.5f) : -1;
  const ob::SamplePool& pool = context->samplePool();
  const ob::SamplePoolSlot* audio = slot >= 0 && slot < static_cast<int>(pool.slots.size())
                                        ? pool.slots[static_cast<std::size_t>(slot)].get()
                                        : nullptr;
  float seconds = 0.0f;
  if (audio && audio->frames > 0 && audio->sampleRate > 0.0)
    seconds = static_cast<float>(audio->frames / audio->sampleRate);
  const float* data = audio && !audio->left.empty() ? audio->left.data() : nullptr;
  const int frames = audio ? audio->frames : 0;
  const bool stereo = data && frames > 0 && audio->right.size() >= static_cast<std::size_t>(frames);
  const float* right = stereo ? audio->right.data() : nullptr;
  // The summary of a long recording costs more than the rest of a rebuild:
  // made again only for other audio.
  if (data != view.samples || right != view.right || frames != view.frameCount || seconds != view.seconds ||
      sampleViewEdits_ != sampleEdits_) {
    view.setSample(data, frames, seconds, right);
    sampleViewEdits_ = sampleEdits_;
  }
  const std::string* why = cannotPlayReason(pool, slot);
  view.setCannotPlay(why != nullptr ? std::string_view(*why) : std::string_view());

  view.markers = nullptr;
  view.markerCount = 0;
  if (!slicesOn) {
    view.hasMarkers = sampler ? 1 : 0;
    view.slicesOn = 0;
    view.mode = sampler ? SampleView::kWindow : SampleView::kGrains;
    view.title = sampler ? "SAMPLE" : "GRAINS";
    if (sampler)
      fillSlots(view, s, {"start", "end", "fadeIn", "fadeOut", "gain"});
    else
      fillSlots(view, s, {"position", "spray", "gain"});
  } else {
    view.hasMarkers = 1;
    view.slicesOn = 1;
    view.mode = SampleView::kSlices;
    view.title = "SAMPLE";
    if (slot >= 0 && slot < ob::kSampleSlots) {
      const ob::SampleSlot& table = context->project().samples.slots[slot];
      if (table.sliceCount > 0) {
        view.markers = table.slices;
        view.markerCount = std::min<int>(table.sliceCount, ob::kMaxSlices);
      }
    }
    fillSlots(view, s, {"slice"});
  }
  view.chips = sampleFlagChips(s);

  // Each lane names itself in its title strip.
  lanes.speed.title = "SPEED";
  lanes.tone.title = "TONE";
  lanes.grains.title = "GRAINS";
  lanes.amp.title = "AMP";
  lanes.mode = sampler ? SamplerLanes::kTone : SamplerLanes::kGrains;
  if (sampler)
    fillSlots(lanes.tone, s, {"crush", "srr", "lp"});
  else
    fillSlots(lanes.grains, s, {"size", "density"});
  fillSlots(lanes.amp, s, {"attack", "decay", "level"});
  lanes.speed.sampleSeconds = std::max(seconds, 0.0f);
  if (sampler)
    fillSlots(lanes.speed, s, {"tune"});
  else
    fillSlots(lanes.speed, s, {"tune", "spread"});

  buildDrawerRows(s, kitSound_);
  relayOut();
}

}  // namespace orbi
