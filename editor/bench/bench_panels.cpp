// The panels of the selected sound, the last step of every rebuild: which
// views show, the room and chain tiles, the velocity tile, the drawer rows
// and, by machine, the sample panel or the drum's halves.

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/bench/bench_controller.h"
#include "editor/bench/sound_values.h"
#include "editor/editor_context.h"
#include "editor/widgets/bench/bench_page.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"
#include "engine/session/engine_host.h"

namespace orbi {
namespace {

int nearest(float v) { return nearestWhole(v); }

}  // namespace

float BenchController::readParamByKey(std::string_view prefix, std::string_view key) const {
  std::string full(prefix);
  full += key;
  return soundValue(panelSound_, full);
}

// The page's rectangles follow the new drawer rows at once; text is
// measured with the frame's fonts, so only inside a frame.
void BenchController::relayOut() {
  if (ImGui::GetCurrentContext()) page->layout();
}

void BenchController::refreshSnapshot() {
  context->samplePool().snapshot(snapshot_, context->project().samples);
}

void BenchController::buildSlotNames() {
  const ob::SampleSlotTable& table = context->project().samples;
  slotNameCount_ = std::min<int>(table.count, ob::kSampleSlots);
  for (int i = 0; i < ob::kSampleSlots; ++i) {
    const ob::SampleSlot& slot = table.slots[i];
    if (slot.name[0] != '\0') {
      const std::size_t n = strnlen(slot.name, sizeof slotNames[i] - 1);  // at most 63 characters
      std::memcpy(slotNames[i], slot.name, n);
      slotNames[i][n] = '\0';
    } else
      std::snprintf(slotNames[i], sizeof slotNames[i], "slot %d", i);
  }
}

void BenchController::buildVelocityModel(const ob::Sound& k) {
  VelocityTile::Model m;
  m.sampleBased = k.machine == ob::kMachineSample || k.machine == ob::kMachineGranular;
  m.zoneCount = std::min<int>(k.zoneCount, VelocityTile::kMaxZones);
  m.layerMode = k.mode;
  for (int z = 0; z < m.zoneCount; ++z) {
    m.zoneSlots.push_back(k.slot[z]);
    m.zoneVelMax.push_back(k.velMax[z]);
  }
  for (int i = 0; i < ob::kSampleSlots; ++i) m.slotNames.emplace_back(i < slotNameCount_ ? slotNames[i] : "");
  for (int r = 0; r < std::min<int>(k.velDestCount, ob::kListCapacity); ++r) {
    const int param = k.velDests[r].param;
    m.routes.push_back({param, ob::paramName(k.machine, param), k.velDests[r].value});
  }
  const int count = std::min(ob::paramCount(k.machine), ob::kSoundParamSlots);
  for (int i = 0; i < count; ++i) {
    const ob::ParamInfo info = ob::paramInfo(k.machine, i);
    if (info.min < info.max) m.candidates.push_back({i, ob::paramName(k.machine, i)});
  }
  page->velocity.setModel(std::move(m));
}

void BenchController::buildPanels() {
  refreshSnapshot();
  buildSlotNames();

  const ob::Pattern& p = pattern();
  const int t = context->selectedTrack();
  if (t < 0 || t >= ob::kMaxTracks) return;
  const int soundIndex = p.tracks[t].soundIndex;
  if (soundIndex < 0 || soundIndex >= ob::kMaxTracks) return;
  panelSound_ = soundAtSelection(p, t);
  kitSound_ = p.kit.sounds[soundIndex];
  const ob::Sound& s = panelSound_;

  RoomTile& room = page->chain.room;
  const double rate = context->host().hostSampleRate;
  room.sampleRate = rate > 0.0 ? rate : 44100.0;
  room.size = clamp01NanTo0(readParamByKey("", "space_size"));
  room.mix = clamp01NanTo0(readParamByKey("", "space_mix"));
  room.damp = clamp01NanTo0(readParamByKey("", "space_damp"));
  buildChainPanel(s);
  buildVelocityModel(kitSound_);

  const bool drum = s.machine == ob::kMachineDrum;
  const bool sampled = s.machine == ob::kMachineSample || s.machine == ob::kMachineGranular;
  page->showAnatomy = drum;
  page->showSampler = sampled;
  page->showDrawer = drum || sampled;
  if (sampled) {
    buildSamplePanel(s);
    return;
  }
  page->sampler.sampleView.setSample(nullptr, 0, 0.0f);
  page->sampler.sampleView.markers = nullptr;
  page->sampler.sampleView.markerCount = 0;
  plan_.drum = false;
  plan_.secondHit = false;
  if (drum) buildDrum(s);
}

// Display ranges by parameter, each row named as its parameter.
void BenchController::buildDrawerRows(const ob::Sound& s, const ob::Sound& k) {
  std::vector<ParamDrawer::Row>& rows = page->drawer.rows;
  rows.clear();
  const std::uint8_t locked = context->selectedStep() >= 0 ? 1 : 0;
  const auto row = [&](int index, float displayLo, float displayHi, bool continuous) {
    const ob::ParamInfo info = ob::paramInfo(s.machine, index);
    ParamDrawer::Row r;
    r.index = index;
    r.label = ob::paramName(s.machine, index);
    r.paramLo = info.min;
    r.paramHi = info.max;
    r.displayLo = displayLo;
    r.displayHi = displayHi;
    r.value = s.params[index];
    r.base = k.params[index];
    r.locked = locked;
    r.continuous = continuous ? 1 : 0;
    rows.push_back(std::move(r));
  };
  if (s.machine == ob::kMachineDrum) {
    if (const int i = ob::findParamIndex(s.machine, "exc1_level"); i >= 0) row(i, 0.0f, 1.0f, true);
    const int e2 = nearest(readParamByKey("", "exc2_type"));
    if (const int i = ob::findParamIndex(s.machine, "exc2_level"); i >= 0 && e2 != 0)
      row(i, 0.0f, 1.0f, true);
  } else {
    const bool slicesOn = s.machine == ob::kMachineSample && readParamByKey("", "window_mode") >= 0.5f;
    const int own = std::min(ob::ownParamCount(s.machine), ob::kSoundParamSlots);
    for (int i = 0; i < own; ++i) {
      const ob::ParamInfo info = ob::paramInfo(s.machine, i);
      if (laneOf(s.machine, info.id, slicesOn) == Lane::kNone) row(i, info.min, info.max, info.stepped == 0);
    }
  }
  copyRowsToFaders();
}

void BenchController::copyRowsToFaders() {
  const std::vector<ParamDrawer::Row>& rows = page->drawer.rows;
  for (std::size_t i = 0; i < page->drawer.faders.size(); ++i) {
    SlotFader& f = page->drawer.faders[i];
    const ParamDrawer::Row r = i < rows.size() ? rows[i] : ParamDrawer::Row{};
    if (f.entry.openId() >= 0 && f.entry.openId() != r.index) f.entry.close();
    f.id = r.index;
    f.label = r.label;
    f.unit = r.unit;
    f.paramLo = r.paramLo;
    f.paramHi = r.paramHi;
    f.displayLo = r.displayLo;
    f.displayHi = r.displayHi;
    f.value = r.value;
    f.base = r.base;
    f.locked = r.locked;
  }
}

void BenchController::buildDrum(const ob::Sound& s) {
  AnatomyView& a = page->anatomy;
  buildDrawerRows(s, kitSound_);
  relayOut();
  buildHalfPresets(a.hitBrowser, s, "exc1_type", PanelGroup::kHit, "exc1_");
  buildHalfPresets(a.bodyBrowser, s, "res_type", PanelGroup::kBody, "exc1_");

  a.bleed = clamp01NanTo0(readParamByKey("", "bleed"));
  a.bodyLevel = clamp01NanTo0(readParamByKey("", "res_level"));
  a.socket.drive = clamp01NanTo0(readParamByKey("", "dist_amt"));
  a.socket.bias = clamp01NanTo0(readParamByKey("", "dist_bias"));
  a.socket.fold = clamp01NanTo0(readParamByKey("", "dist_fold"));
  a.socket.position = nearest(readParamByKey("", "dist_pos"));

  const int e2 = nearest(readParamByKey("", "exc2_type"));
  a.hasSecondHit = e2 != 0;
  a.hitBrowser.title = e2 != 0 ? "HIT 1" : "HIT";
  a.secondHitBrowser.title = "HIT 2";
  if (e2 != 0) {
    buildHalfPresets(a.secondHitBrowser, s, "exc2_type", PanelGroup::kHit, "exc2_");
    buildHalfModel(a.secondHitGraph, s, false, e2, 7);
  }
  buildHalfModel(a.hitGraph, s, false, nearest(readParamByKey("", "exc1_type")), 0);
  buildHalfModel(a.bodyGraph, s, true, nearest(readParamByKey("", "res_type")), 0);
  buildHitShapes(s);
  a.reversed = readParamByKey("", "voice_rev") >= 0.5f;
  requestHalfPreviews(s);
}

}  // namespace orbi
