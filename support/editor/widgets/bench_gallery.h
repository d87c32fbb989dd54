#pragma once
// Whole bench pages set up the way the controller would fill them, for the
// pixel snapshots and the benchmark: a drum with eight hits (locks, random
// variations, micro-timing, a silent step and retrigs), its diagram, five
// chain tiles, two drawer rows and two velocity routes; and a sampler in
// the slices view with three velocity layers.

#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "editor/widgets/bench/bench_page.h"
#include "engine/model/project.h"
#include "engine/params/param_name.h"
#include "support/editor/widgets/anatomy_gallery.h"
#include "support/editor/widgets/sampler_gallery.h"

namespace orbi::bench::testing {

inline constexpr int kPreviewFrames = 8820;
inline constexpr int kVariations = 8;

// A short drum: a noise click over a sine falling in pitch, decaying; the
// seed moves the pitch, the decay and the noise.
inline std::vector<float> drumHit(int seed) {
  std::vector<float> out(kPreviewFrames);
  std::uint32_t noise = 2463534242u + static_cast<std::uint32_t>(seed) * 2654435761u;
  const double pitch = 60.0 + 9.0 * (seed % 7);
  const double decay = 0.07 + 0.015 * (seed % 5);
  double phase = 0.0;
  for (int i = 0; i < kPreviewFrames; ++i) {
    const double t = i / 22050.0;
    phase += 2.0 * 3.14159265358979 * pitch * (1.0 + 3.0 * std::exp(-t * 40.0)) / 22050.0;
    noise ^= noise << 13;
    noise ^= noise >> 17;
    noise ^= noise << 5;
    const double click = (static_cast<double>(noise) / 4294967295.0 * 2.0 - 1.0) * std::exp(-t * 300.0);
    out[static_cast<std::size_t>(i)] = static_cast<float>(std::exp(-t / decay) * std::sin(phase) * 0.9 + 0.4 * click);
  }
  return out;
}

// The grid's previews: the base sound, one per step, eight variations per
// step; the grid keeps pointers into them.
struct GridPreviews {
  GridPreviews() : base(drumHit(0)) {
    for (int k = 0; k < HitsGrid::kCells; ++k) {
      steps[static_cast<std::size_t>(k)] = drumHit(k + 1);
      for (int v = 0; v < kVariations; ++v)
        variations[static_cast<std::size_t>(k)][static_cast<std::size_t>(v)] = drumHit(17 + k * 8 + v);
    }
  }
  void handVariations(HitsGrid& grid, int step) const {
    std::vector<std::pair<const float*, int>> list;
    for (const std::vector<float>& v : variations[static_cast<std::size_t>(step)])
      list.emplace_back(v.data(), static_cast<int>(v.size()));
    grid.setCellVariations(step, list);
  }
  std::vector<float> base;
  std::array<std::vector<float>, HitsGrid::kCells> steps;
  std::array<std::array<std::vector<float>, kVariations>, HitsGrid::kCells> variations;
};

inline BenchPage::TrackRow trackRow(const char* label, std::uint32_t stepBits, bool muted = false, int choke = -1) {
  BenchPage::TrackRow row;
  row.label = label;
  for (std::size_t k = 0; k < row.steps.size(); ++k) row.steps[k] = (stepBits >> k) & 1u;
  row.muted = muted;
  row.chokeGroup = choke;
  return row;
}

inline std::vector<BenchPage::TrackRow> trackRows(int count) {
  const std::array<BenchPage::TrackRow, ob::kMaxTracks> all = {
      trackRow("Kick", 0x1515), trackRow("Snare", 0x1010),       trackRow("Hat", 0x5555, false, 0),
      trackRow("TRK 4", 0x0000), trackRow("Open hat", 0x2222, false, 0), trackRow("Clap", 0x9010, true),
      trackRow("Tom", 0x0480),   trackRow("Rim", 0x0842)};
  return {all.begin(), all.begin() + count};
}

// Rows written into the drawer and copied into its faders, as the
// controller does.
inline void fillDrawer(ParamDrawer& drawer, std::vector<ParamDrawer::Row> rows) {
  drawer.rows = std::move(rows);
  for (std::size_t i = 0; i < drawer.faders.size(); ++i) {
    SlotFader& f = drawer.faders[i];
    const ParamDrawer::Row row = i < drawer.rows.size() ? drawer.rows[i] : ParamDrawer::Row{};
    f.id = row.index;
    f.label = row.label;
    f.unit = row.unit;
    f.paramLo = row.paramLo;
    f.paramHi = row.paramHi;
    f.displayLo = row.displayLo;
    f.displayHi = row.displayHi;
    f.value = row.value;
    f.base = row.base;
    f.locked = row.locked;
  }
}

inline ParamDrawer::Row drawerRow(int index, const char* label, float lo, float hi, float value, float base,
                                  bool locked) {
  return {index, label, "", lo, hi, lo, hi, value, base, static_cast<std::uint8_t>(locked ? 1 : 0), 1};
}

inline void fillChain(ChainStrip& chain, bool allStages) {
  chain.stageActive.fill(allStages ? 1 : 0);
  chain.stageActive[static_cast<std::size_t>(ob::chainstage::Stage::AMP)] = 1;
  chain.stageActive[static_cast<std::size_t>(ob::chainstage::Stage::FILTER)] = 1;
  chain.transient.strike = 0.4f;
  chain.transient.body = -0.3f;
  chain.amp.attack = 0.01f;
  chain.amp.hold = 0.1f;
  chain.amp.decay = 0.4f;
  chain.drive.drive = 4.0f;
  chain.drive.bits = 8.0f;
  chain.drive.rate = 0.2f;
  chain.filter.filters[0] = {2000.0f, 0.4f, 0};
  chain.filter.filters[1] = {120.0f, 0.0f, 1};
  chain.room.mix = 0.4f;
  chain.room.size = 0.6f;
  chain.room.damp = 0.3f;
}

inline std::vector<VelocityTile::Candidate> candidates() {
  return {{0, "exc1_level"}, {1, "exc1_tone"}, {2, "res_decay"}, {3, "flt_cutoff"}, {4, "amp_decay"}};
}

// The drum page: eight hits on the even steps (all sixteen with random
// variations when every step should carry them), step 4 selected.
struct DrumPage {
  explicit DrumPage(int tracks = 6, bool variationsEverywhere = false) : diagramPreview(graph::testing::previewOfBody(22050)) {
    page.hitsTitle = "Kick / hit 5";
    page.rateLabel = "1/16";
    page.rows = trackRows(tracks);
    page.selectedTrack = 0;
    fillGrid(variationsEverywhere);
    graph::testing::fillDiagram(page.anatomy, diagramPreview);
    fillChain(page.chain, true);
    fillDrawer(page.drawer, {drawerRow(10, ob::paramNameOfKey(ob::kMachineDrum, "exc1_level"), 0, 1, 0.7f, 0.9f, true),
                             drawerRow(11, ob::paramNameOfKey(ob::kMachineDrum, "exc2_level"), 0, 1, 0.6f, 0.6f, true)});
    VelocityTile::Model m;
    m.routes = {{3, "flt_cutoff", 0.4f}, {0, "exc1_level", -0.8f}};
    m.candidates = candidates();
    page.velocity.setModel(std::move(m));
  }

  void fillGrid(bool variationsEverywhere) {
    HitsGrid& g = page.grid;
    g.setBaseWaveform(previews.base.data(), kPreviewFrames);
    for (int k = 0; k < HitsGrid::kCells; k += 2) g.cells[static_cast<std::size_t>(k)].sounds = 1;
    auto cell = [&g](int k) -> HitsGrid::Cell& { return g.cells[static_cast<std::size_t>(k)]; };
    cell(2).velocity = 0.55f;
    cell(4).hasLocks = 1;
    cell(4).retrigCount = 2;
    cell(4).retrigTicks = 12;
    g.setCellWaveform(4, previews.steps[4].data(), kPreviewFrames);
    cell(6).hasRandom = 1;
    cell(6).hasLocks = 1;
    previews.handVariations(g, 6);
    cell(8).micro = 0.35f;
    cell(10).sounds = 0;
    cell(10).silent = 1;
    cell(12).retrigCount = 4;
    cell(12).retrigTicks = 6;
    cell(12).retrigRamp = -96;
    cell(14).micro = -0.3f;
    cell(14).retrigCount = 3;
    cell(14).retrigTicks = 12;
    cell(14).retrigRamp = 80;
    if (variationsEverywhere)
      for (int k = 0; k < HitsGrid::kCells; ++k) {
        cell(k).sounds = 1;
        cell(k).hasRandom = 1;
        previews.handVariations(g, k);
      }
    g.selectedStep = 4;
    g.count = 16;
    g.loopLength = 14;
    g.playStep = 2;
  }

  std::vector<float> diagramPreview;
  GridPreviews previews;
  BenchPage page;
};

// The sampler page in the slices view, three velocity layers.
struct SamplerPage {
  explicit SamplerPage(int tracks = 8) : samples(sample::testing::decayingBursts(88200)) {
    page.hitsTitle = "Break / base";
    page.rateLabel = "1/8";
    page.rows = trackRows(tracks);
    page.selectedTrack = 2;
    page.showAnatomy = false;
    page.showSampler = true;
    sample::testing::fillSamplerPanel(page.sampler, SampleView::kSlices, samples);
    HitsGrid& g = page.grid;
    g.setBaseWaveform(samples.data(), 8820);
    for (int k = 0; k < HitsGrid::kCells; k += 4) g.cells[static_cast<std::size_t>(k)].sounds = 1;
    g.cells[6].sounds = 1;
    g.cells[6].velocity = 0.4f;
    fillChain(page.chain, false);
    fillDrawer(page.drawer, {drawerRow(20, "root", 24, 96, 60, 60, false), drawerRow(21, "voices", 1, 8, 4, 4, false),
                             drawerRow(22, "pan", -1, 1, 0.2f, 0.2f, false)});
    VelocityTile::Model m;
    m.sampleBased = true;
    m.zoneCount = 3;
    m.layerMode = VelocityTile::kVelocityRoundRobin;
    m.zoneVelMax = {40, 90, 127};
    m.zoneSlots = {2, 5, 7};
    m.slotNames = {"kick", "", "break soft", "", "", "break mid", "", "break hard"};
    m.routes = {{4, "amp_decay", 0.3f}};
    m.candidates = candidates();
    page.velocity.setModel(std::move(m));
  }

  std::vector<float> samples;
  BenchPage page;
};

}  // namespace orbi::bench::testing
