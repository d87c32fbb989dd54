// The samples page's actions: importing, previewing, splitting, tags and
// assigning a slot to a track.
#include "editor/samples/samples_page.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <set>

#include "content/tools/sample_import.h"
#include "content/tools/sample_split.h"
#include "content/tools/utf8_fit.h"
#include "document/package/unpack_limits.h"
#include "document/project/kept_document.h"
#include "document/project/saved_entries.h"
#include "editor/editor_context.h"
#include "editor/gone_report.h"
#include "editor/samples/sample_preview.h"
#include "editor/samples/unplayable_samples.h"
#include "editor/save_trial.h"
#include "engine/engine/audition_preview.h"
#include "engine/model/machine_change.h"
#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_limits.h"
#include "engine/pool/sample_pool.h"
#include "engine/session/engine_host.h"
#include "ui/controls/value_text.h"

namespace orbi {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The rate the preview plays at before a host has given one.
constexpr double kUnknownOutputRate = 44100.0;

// The pool's audio of the slot, or null when it holds none. Read without
// SamplePool::slot, which grows the pool up to the index it is asked for.
const ob::SamplePoolSlot* poolAudio(const ob::SamplePool& pool, std::int32_t slot) {
  if (slot < 0 || slot >= static_cast<std::int32_t>(pool.slots.size())) return nullptr;
  const ob::SamplePoolSlot* audio = pool.slots[slot].get();
  return audio && audio->frames > 0 && audio->left.size() >= static_cast<std::size_t>(audio->frames)
             ? audio
             : nullptr;
}

// A name field of the project as text: up to its zero, never past it.
template <std::size_t N>
std::string fieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

}  // namespace

SamplesPage::SamplesPage(EditorContext& context) : context_(context) {}

bool SamplesPage::slotLoaded(std::int32_t slot) const {
  const ob::SampleSlotTable& table = context_.project().samples;
  return slot >= 0 && slot < kSlots && slot < table.count && table.slots[slot].name[0] != '\0';
}

std::int32_t SamplesPage::loadWav(std::string_view utf8Path) {
  std::string error =
      ob::sampleSlotsRefusal(context_.project(), context_.samplePool(), context_.keptDocument(), 1);
  if (!error.empty()) {
    say("Could not load " + std::string(ob::fileNamePart(utf8Path)) + ": " + error, StatusKind::Failed);
    return -1;
  }
  const std::filesystem::path path(std::u8string(utf8Path.begin(), utf8Path.end()));
  ob::EntriesBeside beside{context_.keptDocument().keptEntries};
  // Which slots held a copy that could not play, which the import may mend.
  const ob::SamplePool& pool = context_.samplePool();
  std::vector<bool> wereKept(static_cast<std::size_t>(pool.slotCount()));
  for (std::int32_t i = 0; i < pool.slotCount(); ++i)
    wereKept[static_cast<std::size_t>(i)] =
        pool.slots[i] && pool.slots[i]->data && pool.slots[i]->data->kept();
  const std::int32_t slot =
      ob::importWavFile(context_.samplePool(), context_.project(), path, &error, &beside);
  if (slot < 0) {
    say("Could not load " + std::string(ob::fileNamePart(utf8Path)) + ": " + error, StatusKind::Failed);
    return -1;
  }
  context_.publishSamples();
  say(alsoPlaysIn(ob::fileNamePart(utf8Path), slot, wereKept, beside.dropped), StatusKind::Changed);
  return slot;
}

std::string SamplesPage::alsoPlaysIn(std::string_view name, std::int32_t slot,
                                     const std::vector<bool>& wereKept,
                                     const std::vector<std::string>& dropped) const {
  const ob::SamplePool& pool = context_.samplePool();
  std::vector<std::int32_t> others;
  for (std::int32_t i = 0; i < pool.slotCount() && static_cast<std::size_t>(i) < wereKept.size(); ++i)
    if (i != slot && wereKept[static_cast<std::size_t>(i)] && pool.slots[i] &&
        pool.slots[i]->data == pool.slots[slot]->data)
      others.push_back(i);
  if (others.empty()) return {};
  std::string text = std::string(name) + " also plays in slot" + (others.size() > 1 ? "s " : " ") +
                     listedSlots(others) + ", in place of the copy of it that could not play";
  for (const std::string& entry : dropped)
    text += "; its copy " + entry + " is left out (entries this build does not read are kept up to " +
            ob::sizeText(ob::kKeptEntriesBudget) + " in all)";
  return text;
}

void SamplesPage::say(std::string text, StatusKind kind) {
  message_ = std::move(text);
  context_.tellHost(message_, kind);
}

void SamplesPage::previewSlot(std::int32_t slot) {
  selected_ = slot;
  const ob::SamplePoolSlot* audio = poolAudio(context_.samplePool(), slot);
  if (!audio) return;
  std::vector<float> samples = samplePreview(*audio);
  EngineHost& host = context_.host();
  const double outputRate = host.hostSampleRate > 0.0 ? host.hostSampleRate : kUnknownOutputRate;
  // At its own level: both sides of the output get the sample as it is.
  host.preview.publish(samples.data(), static_cast<std::uint32_t>(samples.size()),
                       audio->sampleRate / outputRate, ob::OutputGains{});
}

void SamplesPage::splitSlot() {
  // The halves are two new slots.
  std::string error =
      ob::sampleSlotsRefusal(context_.project(), context_.samplePool(), context_.keptDocument(), 2);
  ob::SplitResult split;
  if (error.empty())
    split = ob::splitSampleIntoHitAndBody(context_.samplePool(), context_.project(), selected_, &error);
  if (split.hitSlot < 0) {
    const char* name = slotLoaded(selected_) ? context_.project().samples.slots[selected_].name : "";
    say("Could not split " + std::string(name) + ": " + error, StatusKind::Failed);
    return;
  }
  context_.publishSamples();
  message_.clear();
  previewSlot(split.hitSlot);
}

void SamplesPage::addTag(std::int32_t slot, std::string_view text) {
  if (!slotLoaded(slot)) return;
  ob::SampleSlot& record = context_.project().samples.slots[slot];
  if (record.tagCount >= kMaxTags) return;
  // Cut at a character boundary: a tag is never stored as broken UTF-8.
  const std::string_view tag = ob::utf8Prefix(trimmed(text), kTagBytes);
  if (tag.empty()) return;
  for (int i = 0; i < record.tagCount; ++i)
    if (tag == record.tags[i]) return;
  context_.pushUndo();
  char* stored = record.tags[record.tagCount];
  std::memset(stored, 0, sizeof record.tags[0]);
  std::memcpy(stored, tag.data(), tag.size());
  ++record.tagCount;
  context_.commitProject(true);
}

void SamplesPage::removeTag(std::int32_t slot, std::int32_t index) {
  if (!slotLoaded(slot)) return;
  ob::SampleSlot& record = context_.project().samples.slots[slot];
  if (index < 0 || index >= record.tagCount) return;
  context_.pushUndo();
  for (int i = index; i + 1 < record.tagCount; ++i)
    std::memcpy(record.tags[i], record.tags[i + 1], sizeof record.tags[i]);
  --record.tagCount;
  std::memset(record.tags[record.tagCount], 0, sizeof record.tags[0]);
  context_.commitProject(true);
}

std::vector<std::string> SamplesPage::collectTags() const {
  const ob::SampleSlotTable& table = context_.project().samples;
  std::set<std::string> tags;
  const int count = std::min<int>(table.count, kSlots);
  for (int s = 0; s < count; ++s) {
    const ob::SampleSlot& record = table.slots[s];
    for (int i = 0; i < std::min<int>(record.tagCount, kMaxTags); ++i) tags.emplace(record.tags[i]);
  }
  return {tags.begin(), tags.end()};
}

// The commands of one frame share one undo snapshot, and the first of them
// here (a machine or layer change) always takes one: the assign never
// joins a drag made just before it, and undo brings back all it let go.
void SamplesPage::assignToTrack(std::int32_t track) {
  const ob::Pattern& part = context_.project().patterns[context_.selectedPart()];
  const bool isTrack = track >= 0 && track < ob::kMaxTracks;
  const int soundIndex = isTrack ? part.tracks[track].soundIndex : -1;
  if (soundIndex >= 0 && soundIndex < ob::kMaxTracks) {
    const ob::Sound& sound = part.kit.sounds[soundIndex];
    const GoneNames gone = goneWithAssign(part, soundIndex);
    const std::string who = fieldText(sound.name);
    const std::string why = "with " + slotName(selected_) + " assigned";
    std::vector<ob::EditCommand> commands;
    const auto send = [&](ob::EditKind kind, std::int32_t param, float value) {
      ob::EditCommand& command = commands.emplace_back();
      command.kind = kind;
      command.track = static_cast<std::uint32_t>(track);
      command.param = param;
      command.value = value;
    };
    // A sampler keeps its settings (room, decay, level): only the sample changes.
    if (sound.machine != ob::kMachineSample) send(ob::kEditMachine, ob::kMachineSample, ob::kMachineSample);
    // Velocity layers would go on playing their own samples over the base
    // slot: they go. A split made later starts from the sample.
    send(ob::kEditZoneLayout, sound.mode, 0.0f);
    if (const int param = ob::findParamIndex(ob::kMachineSample, "slot"); param >= 0)
      send(ob::kEditSoundParam, param, static_cast<float>(selected_));
    // A sampler's parameters beside those the load kept on the sound may
    // pass what a load of its save reads.
    if (const std::string refused = saveRefusalAfter(context_, commands); !refused.empty()) {
      say("Could not assign " + slotName(selected_) + " to " + who + ": " + refused, StatusKind::Failed);
      return;
    }
    for (ob::EditCommand& command : commands) context_.apply(command);
    if (SaidLine said = goneReport(who, why, gone); !said.text.empty())
      context_.sayOnStatusLine(std::move(said), StatusKind::Changed);
  } else if (isTrack && track < part.numTracks) {
    say("Could not assign " + slotName(selected_) + " to track " + std::to_string(track + 1) +
            ": it plays no sound of the kit's",
        StatusKind::Failed);
  }
  context_.setSelectedTrack(track);
}

GoneNames SamplesPage::goneWithAssign(const ob::Pattern& part, int soundIndex) const {
  const ob::Sound& sound = part.kit.sounds[soundIndex];
  GoneNames gone = goneNames(ob::machineChangeGoes(part, soundIndex, ob::kMachineSample), part.kit);
  if (const int layers = std::min<int>(sound.zoneCount, ob::kListCapacity); layers > 0)
    gone.gone.insert(gone.gone.begin(), "its velocity layers (" + std::to_string(layers) + ")");
  return gone;
}

std::string SamplesPage::slotName(std::int32_t slot) const {
  if (!slotLoaded(slot)) return "slot " + std::to_string(slot);
  return fieldText(context_.project().samples.slots[slot].name);
}

float SamplesPage::cellBrightness(std::int32_t slot) const {
  if (tagFilter_.empty() || !slotLoaded(slot)) return 1.0f;
  const ob::SampleSlot& record = context_.project().samples.slots[slot];
  for (int i = 0; i < std::min<int>(record.tagCount, kMaxTags); ++i)
    if (tagFilter_ == record.tags[i]) return 1.0f;
  return kFilteredOut;
}

SamplesPage::PreviewLevel SamplesPage::previewLevel(const SlotOverviews& overviews) {
  float peak = 0.0f;
  for (const ui::WaveOverview* overview : {&overviews.left, &overviews.right}) {
    const ui::MinMax range = overview->range(0, overview->size());
    peak = std::max({peak, std::fabs(range.min), std::fabs(range.max)});
  }
  // Below this a recording is silence with some noise: drawn as it is.
  constexpr float kSilence = 1e-6f;
  if (!(peak >= kSilence)) return {1.0f, "silent"};
  return {1.0f / peak, "peak " + ui::formatNumber(20.0f * std::log10(peak), 1) + " dBFS"};
}

const SamplesPage::SlotOverviews& SamplesPage::selectedOverviews() {
  const ob::SamplePoolSlot* audio = poolAudio(context_.samplePool(), selected_);
  const bool stereo = audio && audio->right.size() >= static_cast<std::size_t>(audio->frames);
  OverviewKey key;
  if (audio)
    key = {selected_, context_.host().poolChanges, audio->left.data(), stereo ? audio->right.data() : nullptr,
           audio->frames};
  if (!(key == overviewKey_)) {
    overviewKey_ = key;
    overviews_ = {};  // before the new ones are built, as the sample view does
    const auto overviewOf = [&](const float* samples) {
      return samples ? ui::WaveOverview(std::span<const float>(samples, static_cast<std::size_t>(key.frames)),
                                        audio->sampleRate)
                     : ui::WaveOverview();
    };
    overviews_ = {overviewOf(key.left), overviewOf(key.right)};
  }
  return overviews_;
}

}  // namespace orbi
