// The preset menus of a drum's half browsers: named starting points for
// each half, sectioned by half type, then the factory's recorded halves,
// which take a pool slot only when the user lands on one.

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "content/factory/factory_content.h"
#include "content/factory/factory_preload.h"
#include "document/factory/factory_catalogue.h"
#include "document/factory/sample_credits.h"
#include "document/project/saved_entries.h"
#include "editor/bench/bench_controller.h"
#include "editor/editor_context.h"
#include "editor/widgets/anatomy/half_browser.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"

namespace orbi {
namespace {

constexpr float kUnset = -1.0f;  // the row leaves that key alone
constexpr float kMatchTolerance = 0.0001f;

struct PresetRow {
  const char* name;
  std::array<float, 7> values;  // by the table's columns
};

// Hit rows are stored once under "exc1_" and serve both hits.
constexpr std::array<const char*, 6> kHitColumns = {"exc1_type", "exc1_tone", "exc1_decay",
                                                    "exc1_level", "exc1_aux1", "exc1_aux2"};
constexpr std::array<PresetRow, 17> kHitRows = {{
    {"Silent", {0, kUnset, kUnset, 0, kUnset, kUnset, kUnset}},
    {"Deep thud", {2, 0.09f, 0.05f, 0.6f, 0.75f, 0.333f, kUnset}},
    {"Knock", {2, 0.174f, 0.03f, 0.6f, 0.5f, 0.333f, kUnset}},
    {"Rod", {2, 0.6f, 0.012f, 0.5f, 0.3f, 0.667f, kUnset}},
    {"Soft mallet", {1, 0.15f, 0.012f, 0.5f, kUnset, kUnset, kUnset}},
    {"Beater", {1, 0.5f, 0.003f, 0.5f, kUnset, kUnset, kUnset}},
    {"909 tick", {1, 0.9f, 0.002f, 0.6f, kUnset, kUnset, kUnset}},
    {"Big clap", {5, 0.18f, 0.45f, 0.6f, 0.6f, kUnset, kUnset}},
    {"Clap", {5, 0.2f, 0.3f, 0.6f, 0.171f, kUnset, kUnset}},
    {"Wires", {3, 0.153f, 0.12f, 0.5f, 0.2f, 0.5f, kUnset}},
    {"Shaker", {3, 0.407f, 0.06f, 0.5f, 0.1f, 0.2f, kUnset}},
    {"Crack", {3, 0.576f, 0.02f, 0.5f, 0.35f, 0.8f, kUnset}},
    {"Open hat", {3, 0.62f, 0.28f, 0.55f, 0.2f, 0.25f, kUnset}},
    {"Hat noise", {3, 0.661f, 0.04f, 0.6f, 0.15f, 0.3f, kUnset}},
    {"Air", {6, 0.35f, 0.12f, 0.45f, 0.5f, 0.2f, kUnset}},
    {"808 open", {6, 0.5f, 0.3f, 0.5f, 1, 0, kUnset}},
    {"808 hat", {6, 0.55f, 0.04f, 0.55f, 1, 0, kUnset}},
}};

constexpr std::array<const char*, 7> kBodyColumns = {"res_type",  "res_tune", "res_decay", "res_tone",
                                                     "res_level", "res_aux1", "res_aux2"};
constexpr std::array<PresetRow, 18> kBodyRows = {{
    {"No body", {0, kUnset, kUnset, kUnset, 0, kUnset, kUnset}},
    {"Sub body", {1, 55, 0.35f, 0, 0.9f, 0.583f, 0.114f}},
    {"Tom body", {1, 110, 0.5f, 0, 0.9f, 0.25f, 0.1f}},
    {"808 sub", {1, 45, 1.6f, 0.2f, 0.9f, 0.4f, 0.15f}},
    {"Snare shell", {2, 180, 0.25f, 0.5f, 0.7f, 0.583f, 0.2f}},
    {"Tom shell", {2, 120, 0.6f, 0.35f, 0.8f, 0.4f, 0.3f}},
    {"Rim", {3, 400, 0.06f, 0.6f, 0.8f, 0.3f, kUnset}},
    {"Mallet", {3, 220, 0.3f, 0.4f, 0.8f, 0.1f, kUnset}},
    {"Tom", {3, 110, 0.4f, 0.5f, 0.8f, 0.15f, kUnset}},
    {"Gong", {3, 60, 2.5f, 0.8f, 0.7f, 0.7f, kUnset}},
    {"FM tom", {7, 120, 0.45f, 0.55f, 0.85f, 0.14f, 0.05f}},
    {"FM bell", {7, 320, 1.8f, 0.75f, 0.7f, 0.62f, 0.8f}},
    {"Wave body", {8, 90, 0.4f, 0.33f, 0.85f, 0, kUnset}},
    {"Wave buzz", {8, 70, 0.55f, 0.9f, 0.8f, 1, kUnset}},
    {"808 metal", {5, 320, 0.35f, 0.55f, 0.5f, 0, kUnset}},
    {"Cymbal", {5, 400, 1.6f, 0.4f, 0.5f, 0.4f, kUnset}},
    {"Dark string", {6, 110, 0.6f, 0.25f, 0.9f, kUnset, kUnset}},
    {"Pluck", {6, 220, 1.5f, 0.7f, 0.9f, kUnset, kUnset}},
}};

constexpr std::uint32_t kFirstRecordedRow = 33;
constexpr std::uint32_t kLastRecordedRow = 67;

struct KeptRow {
  ParamWidget::ResolvedPreset preset;
  int type = 0;
};

// The row's pairs the machine resolves, its type and whether the sound
// holds every one of them already.
bool resolveRow(const PresetRow& row, const char* const* columns, std::size_t columnCount, const ob::Sound& sound,
                int typeIndex, std::string_view prefix, const ob::ParamInfo& typeInfo, KeptRow& out, bool& matches) {
  out = {};
  out.preset.name = row.name;
  matches = true;
  bool typed = false;
  for (std::size_t c = 0; c < columnCount; ++c) {
    if (row.values[c] == kUnset) continue;
    const int index = ob::findParamIndex(sound.machine, BenchController::retargetKey(columns[c], prefix));
    if (index < 0) continue;
    out.preset.values.emplace_back(index, row.values[c]);
    if (std::fabs(sound.params[index] - row.values[c]) > kMatchTolerance) matches = false;
    if (index == typeIndex && !typed) {
      out.type = static_cast<int>(std::lroundf(row.values[c]));
      typed = true;
    }
  }
  if (out.preset.values.empty()) return false;
  const float span = typeInfo.max - typeInfo.min + 1.5f;
  if (typeInfo.stepped && typeInfo.labels && out.type >= 0 && static_cast<float>(out.type) < span &&
      static_cast<std::uint32_t>(out.type) < typeInfo.labelCount)
    out.preset.group = typeInfo.labels[out.type];
  return true;
}

}  // namespace

void BenchController::buildHalfPresets(HalfBrowser& browser, const ob::Sound& sound, const char* typeKey,
                                       PanelGroup group, const char* prefix) {
  const int typeIndex = ob::findParamIndex(sound.machine, typeKey);
  if (typeIndex < 0) return;
  ParamSlot slot;
  slot.id = typeIndex;
  slot.info = ob::paramInfo(sound.machine, typeIndex);
  slot.name = ob::paramName(sound.machine, typeIndex);
  slot.value = sound.params[typeIndex];
  browser.setSlots({slot});

  std::vector<KeptRow> kept;
  int matched = -1;  // in table order
  if (sound.machine == ob::kMachineDrum) {
    const bool body = group == PanelGroup::kBody;
    const PresetRow* rows = body ? kBodyRows.data() : kHitRows.data();
    const std::size_t rowCount = body ? kBodyRows.size() : kHitRows.size();
    const char* const* columns = body ? kBodyColumns.data() : kHitColumns.data();
    const std::size_t columnCount = body ? kBodyColumns.size() : kHitColumns.size();
    for (std::size_t r = 0; r < rowCount; ++r) {
      KeptRow row;
      bool matches = false;
      if (!resolveRow(rows[r], columns, columnCount, sound, typeIndex, prefix, slot.info, row, matches)) continue;
      if (matches && matched < 0) matched = static_cast<int>(kept.size());
      kept.push_back(std::move(row));
    }
  }
  // Sorting moves the matched row; follow it by its name's position.
  std::vector<int> order(kept.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return kept[a].type < kept[b].type; });

  std::vector<ParamWidget::ResolvedPreset> presets;
  int current = -1;
  for (int i : order) {
    if (i == matched) current = static_cast<int>(presets.size());
    presets.push_back(std::move(kept[static_cast<std::size_t>(i)].preset));
  }
  appendRecordedHalves(presets, sound, group, prefix);
  browser.setPresets(std::move(presets));
  browser.pinnedPreset = current;
}

void BenchController::appendRecordedHalves(std::vector<ParamWidget::ResolvedPreset>& presets, const ob::Sound& sound,
                                           PanelGroup group, std::string_view prefix) {
  if (sound.machine != ob::kMachineDrum) return;
  const bool body = group == PanelGroup::kBody;
  if (!body && group != PanelGroup::kHit) return;
  const auto index = [&](const char* key) {
    return ob::findParamIndex(sound.machine, body ? std::string(key) : std::string(prefix) + key);
  };
  const int type = index(body ? "res_type" : "type");
  const int aux1 = index(body ? "res_aux1" : "aux1");
  const int level = index(body ? "res_level" : "level");
  const int decay = index(body ? "res_decay" : "decay");
  const int aux2 = index(body ? "res_aux2" : "aux2");
  if (type < 0 || aux1 < 0) return;

  for (std::uint32_t row = kFirstRecordedRow; row <= kLastRecordedRow && row < ob::kFactorySampleRowCount; ++row) {
    const ob::FactorySampleRow& entry = ob::kFactorySampleCatalogue[row];
    if (!entry.split) continue;
    char name[96];
    ob::factorySampleDisplayName(row, body, name, sizeof name);
    ParamWidget::ResolvedPreset preset;
    preset.name = name;
    if (entry.sampleSet < ob::kSampleCreditRowCount) preset.group = ob::sampleCreditsTable[entry.sampleSet].setName;
    preset.filter = [this, row, body, type, aux1, level, decay, aux2,
                     name = preset.name](ParamWidget::ParamPairs& pairs) {
      // A half not in a slot yet takes one only where a save has room for it.
      const std::string full =
          ob::sampleSlotsRefusal(context->project(), context->samplePool(), context->keptDocument(), 1);
      const int slot =
          ob::assignFactorySampleSlot(context->project(), context->samplePool(), row, body, full.empty());
      if (slot < 0 && !full.empty()) {
        context->sayOnStatusLine({"Could not load " + name + ": " + full, {}}, StatusKind::Failed);
        return false;
      }
      if (slot < 0) {
        poolFullPending = 1;
        return false;
      }
      context->publishSamples();
      pairs.emplace_back(type, 4.0f);
      pairs.emplace_back(aux1, static_cast<float>(slot) / 63.0f);
      if (level >= 0) pairs.emplace_back(level, body ? 0.9f : 1.0f);
      if (decay >= 0) pairs.emplace_back(decay, body ? 4.0f : 0.5f);
      if (aux2 >= 0) pairs.emplace_back(aux2, 1.0f / 3.0f);
      return true;
    };
    presets.push_back(std::move(preset));
  }
}

}  // namespace orbi
