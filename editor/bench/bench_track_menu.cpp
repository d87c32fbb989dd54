// The tracks strip's popups: the add-track choice with the starter values
// of a new sound, the per-track menu and its actions, and the notice that
// the sample pool is full.

#include <imgui.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "editor/bench/bench_controller.h"
#include "editor/editor_context.h"
#include "editor/widgets/bench/bench_page.h"
#include "engine/model/edit_command.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"
#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/popups/dialogs.h"
#include "ui/popups/popup.h"
#include "ui/theme/palette.h"

namespace orbi {
namespace {

constexpr const char* kAddTrackPopup = "bench.addTrack";
constexpr const char* kTrackMenuPopup = "bench.trackMenu";
constexpr const char* kPoolFullPopup = "bench.poolFull";

struct AddRow {
  std::uint8_t machine;
  const char* label;
};
// The synthesiser is not offered.
constexpr std::array<AddRow, 3> kAddRows = {
    {{ob::kMachineDrum, "Drum"}, {ob::kMachineSample, "Sample"}, {ob::kMachineGranular, "Granular"}}};

struct Starter {
  const char* key;
  float value;
};
constexpr Starter kSamplerStart[] = {{"attack", 0.001f}, {"decay", 8.0f}, {"loop", 0.0f}, {"reverse", 0.0f}};
constexpr Starter kSynthStart[] = {{"tune", 55.0f}, {"wave1", 0.0f},   {"wave2", 0.0f}, {"cutoff", 800.0f},
                                   {"reso", 0.3f},  {"env_amt", 0.4f}, {"decay", 0.4f}};
constexpr Starter kGranularStart[] = {
    {"size", 80.0f}, {"density", 30.0f}, {"position", 0.2f}, {"spray", 0.3f}, {"decay", 2.0f}};
constexpr Starter kDrumStart[] = {{"exc1_type", 1.0f},  {"exc1_tone", 0.5f},  {"exc1_decay", 0.003f},
                                  {"exc1_level", 0.5f}, {"bleed", 1.0f},      {"res_type", 1.0f},
                                  {"res_tune", 55.0f},  {"res_decay", 0.35f}, {"res_tone", 0.0f},
                                  {"res_level", 0.9f},  {"res_aux1", 0.583f}, {"res_aux2", 0.114f},
                                  {"level", 0.9f}};

std::span<const Starter> startersOf(int machine) {
  switch (machine) {
    case ob::kMachineSample: return kSamplerStart;
    case ob::kMachineVa: return kSynthStart;
    case ob::kMachineGranular: return kGranularStart;
    default: return kDrumStart;
  }
}

constexpr std::uint32_t kRowFill = ui::palette::kDarkFill;
constexpr std::uint32_t kRowBorder = ui::palette::kBorder;
constexpr std::uint32_t kRowText = ui::palette::kLight;
constexpr std::uint32_t kFillSeedFallback = 0x9E3779B9u;  // stands in for a zero seed

bool hasTrackRandom(const ob::Track& track, int param) {
  for (int i = 0; i < std::min<int>(track.trackRandCount, ob::kListCapacity); ++i)
    if (track.trackRands[i].param == param) return true;
  return false;
}

// A new sound's name: the machine as the add-track popup offers it.
const char* machineWord(int machine) {
  for (const AddRow& row : kAddRows)
    if (row.machine == machine) return row.label;
  return machine == ob::kMachineVa ? "Synth" : "Drum";
}

// What a copy of the named sound is numbered from: the name and 2, or for
// a name that ends in the number of a copy (" 2" to " 9") the name before
// it and the next number.
struct Numbering {
  std::string_view base;
  int first = 2;
};
Numbering copyNumbering(std::string_view name) {
  if (name.size() >= 3 && name[name.size() - 2] == ' ' && name.back() >= '2' && name.back() <= '9')
    return {name.substr(0, name.size() - 2), name.back() - '0' + 1};
  return {name, 2};
}

// The text cut to at most the bytes, at a character's start.
std::string_view cutToBytes(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) --end;
  return text.substr(0, end);
}

// The base when it may stand alone and no other sound the part's tracks
// play has that name, else the base with the first free number from first;
// within the name field either way.
std::string freeSoundName(const ob::Pattern& p, Numbering numbering, bool bare, int renamed) {
  const auto taken = [&](const std::string& name) {
    for (int t = 0; t < ob::tracksInUse(p); ++t) {
      const int s = p.tracks[t].soundIndex;
      if (s < 0 || s >= ob::kMaxTracks || s == renamed) continue;
      const ob::Sound& sound = p.kit.sounds[s];
      if (name == std::string_view(sound.name, strnlen(sound.name, sizeof sound.name))) return true;
    }
    return false;
  };
  constexpr std::size_t kRoom = sizeof(ob::Sound::name) - 1;
  const auto numbered = [&](int n) {
    const std::string number = std::to_string(n);
    std::string name(cutToBytes(numbering.base, kRoom - number.size() - 1));
    name.push_back(' ');
    name.append(number);
    return name;
  };
  if (bare) {
    std::string name(cutToBytes(numbering.base, kRoom));
    if (!taken(name)) return name;
  }
  // Eight tracks take at most eight names: one of the next nine is free.
  int n = std::max(numbering.first, 2);
  while (taken(numbered(n)) && n < numbering.first + ob::kMaxTracks) ++n;
  return numbered(n);
}

// Gives the sound a name no other sound of the part's tracks has.
void nameSound(ob::Pattern& p, int sound, Numbering numbering, bool bare) {
  if (sound < 0 || sound >= ob::kMaxTracks) return;
  ob::copyText(p.kit.sounds[sound].name, freeSoundName(p, numbering, bare, sound).c_str());
}

std::uint32_t xorshift(std::uint32_t x) {
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  return x;
}

}  // namespace

void BenchController::drawTrackMenu() {
  const AddTrackChoice choice = addTrackPopup();
  if (choice.chosen) addTrackOf(choice.machine);

  if (trackMenuPending) {
    ui::openPopupAt(kTrackMenuPopup);
    trackMenuPending = 0;
  }
  const ui::MenuChoice picked = ui::popupMenu(kTrackMenuPopup, trackMenu);
  if (picked.command) runTrackMenuAction(trackMenuTrack, static_cast<int>(*picked.command));

  if (poolFullPending) {
    ui::openPopup(kPoolFullPopup);
    poolFullPending = 0;
  }
  ui::messageDialog(
      kPoolFullPopup, "Sample pool full",
      "Every loadable slot is in use. Free one on the SAMPLES page to load another recorded half.", "OK",
      nullptr);
}

BenchController::AddTrackChoice BenchController::addTrackPopup() {
  if (addPopupPending) {
    ui::openPopup(kAddTrackPopup);
    addPopupPending = 0;
  }
  const float s = ui::scale();
  AddTrackChoice choice;
  if (!ui::beginAnchoredPopup(kAddTrackPopup, addTrackAnchor, ImVec2(180.0f * s, 100.0f * s))) return choice;
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const ImVec2 origin = ImGui::GetCursorScreenPos();
  const float blockHeight = 80.0f * s;
  float y = 0.0f;
  for (int i = 0; i < static_cast<int>(kAddRows.size()); ++i) {
    const ui::Rect row{origin.x, origin.y + y, 160.0f * s,
                       std::min(24.0f * s, std::max(blockHeight - y, 0.0f))};
    ImGui::PushID(i);
    ui::InteractSpec desc;
    desc.kind = ui::HitKind::Rectangle;
    desc.rect = row;
    if (ui::interact(kAddRows[static_cast<std::size_t>(i)].label, desc).pressed) {
      choice.machine = kAddRows[static_cast<std::size_t>(i)].machine;
      choice.chosen = true;
    }
    ImGui::PopID();
    ui::fillRect(dl, row, kRowFill, 4.0f);
    ui::strokeRect(dl, row.inset(0.5f * s, 0.5f * s), kRowBorder, 4.0f, 1.0f / std::max(s, 1e-3f));
    ui::drawText(dl, {row.x + 8.0f * s, row.y, std::max(row.width - 8.0f * s, 0.0f), row.height},
                 kAddRows[static_cast<std::size_t>(i)].label, ui::TextStyle::Body, kRowText);
    y += row.height + 4.0f * s;
  }
  ImGui::Dummy(ImVec2(160.0f * s, blockHeight));
  if (choice.chosen) ui::closePopup();
  ui::endPopup();
  return choice;
}

void BenchController::writeStarterValues(ob::Sound& sound) const {
  for (const Starter& st : startersOf(sound.machine)) {
    const int i = ob::findParamIndex(sound.machine, st.key);
    if (i >= 0) sound.params[i] = st.value;
  }
}

void BenchController::addTrackOf(std::uint8_t machine) {
  ob::Pattern& p = pattern();
  const int n = p.numTracks;
  if (n >= ob::kMaxTracks ||
      !sendUnlessSaveRefuses(command(ob::kEditAddTrack, 0, 0, machine, 0.0f), "add a track"))
    return;
  if (p.numTracks <= n) {
    rebuild();
    return;
  }
  // The new track plays the lowest free sound, which need not be sound n.
  const int sound = p.tracks[n].soundIndex;
  if (sound >= 0 && sound < ob::kMaxTracks) {
    writeStarterValues(p.kit.sounds[sound]);
    nameSound(p, sound, {machineWord(machine), 2}, true);
  }
  context->commitProject(true);
  context->setSelectedTrack(n);
  rebuild();
  context->benchChanged();
}

void BenchController::trackMenuEntries(int track) {
  const ob::Pattern& p = pattern();
  const int count = ob::tracksInUse(p);
  if (track < 0 || track >= count) return;
  std::vector<ui::MenuEntry> entries;
  entries.push_back(ui::MenuEntry::sectionLabel(trackLabel(track)));
  const ob::TrackRemovalStatus removal = ob::trackRemovalStatus(p, track);
  if (removal.status == 0)
    entries.emplace_back("Remove track", kRemoveTrack);
  else
    entries.emplace_back(removeTrackBlocker(removal), kRemoveTrack, false, false);
  if (count < ob::kMaxTracks) entries.emplace_back("Duplicate track", kDuplicateTrack);
  entries.emplace_back(hasLife(p, track) ? "Remove life" : "Add life", kLife);

  const int group = p.tracks[track].chokeGroup;
  std::vector<ui::MenuEntry> choke;
  choke.emplace_back("None", kNoChoke, group == ob::kNoChokeGroup);
  for (int k = 1; k <= ob::kChokeGroups; ++k)
    choke.emplace_back(std::to_string(k), kFirstChoke + k - 1, group == k - 1);
  entries.emplace_back("Choke group", std::move(choke));

  const int slot = selectedSampleSlot();
  if (slot >= 0 && context->project().samples.slots[slot].sliceCount >= 2)
    entries.emplace_back(
        "Fill slices across trigs",
        std::vector<ui::MenuEntry>{{"Linear (in order)", kFillLinear}, {"Random", kFillRandom}});

  trackMenu = std::move(entries);
  trackMenuTrack = track;
  trackMenuPending = 1;
}

std::string BenchController::removeTrackBlocker(const ob::TrackRemovalStatus& status) {
  if (status.status == 2) return "Can't remove - a Part needs one track";
  if (status.status == 3)
    return "Can't remove - track " + std::to_string(status.other + 1) + " uses this sound";
  return "Can't remove this track";
}

bool BenchController::hasLife(const ob::Pattern& p, int track) const {
  if (track < 0 || track >= ob::tracksInUse(p)) return false;
  const ob::Sound sound = soundAtSelection(p, track);
  const int n = std::min(ob::paramCount(sound.machine), ob::kSoundParamSlots);
  for (int i = 0; i < n; ++i) {
    const ob::ParamDescriptor* desc = ob::findParamDescriptor(sound.machine, i);
    if (desc && desc->randomDefault > 0.0f && !hasTrackRandom(p.tracks[track], i)) return false;
  }
  return true;
}

void BenchController::setChokeGroup(int track, int group) {
  if (track < 0 || track >= ob::tracksInUse(pattern())) return;
  send(command(ob::kEditChokeGroup, track, 0, 0, static_cast<float>(group)));
  rebuild();
}

void BenchController::runTrackMenuAction(int track, int id) {
  ob::Pattern& p = pattern();
  const int count = ob::tracksInUse(p);
  const bool valid = track >= 0 && track < count;
  switch (id) {
    case kRemoveTrack: {
      if (!valid || ob::trackRemovalStatus(p, track).status != 0) return;
      const int before = context->selectedTrack();
      send(command(ob::kEditRemoveTrack, track, 0, 0, 0.0f));
      context->commitProject(true);
      const int left = p.numTracks;
      const int sel = before > track ? before - 1 : before;
      context->setSelectedTrack(std::clamp(sel, 0, std::max(left - 1, 0)));
      rebuild();
      context->benchChanged();
      return;
    }
    case kFillLinear:
    case kFillRandom: fillSlicesAcrossTrigs(track, id == kFillRandom); return;
    case kDuplicateTrack:
      if (!valid || count >= ob::kMaxTracks ||
          !sendUnlessSaveRefuses(command(ob::kEditDuplicateTrack, track, 0, 0, 0.0f), "duplicate the track"))
        return;
      // The copy is numbered after its source: two tracks of one name
      // cannot be told apart.
      if (p.numTracks > count) {
        const int copy = p.tracks[count].soundIndex;
        if (copy >= 0 && copy < ob::kMaxTracks) {
          const ob::Sound& sound = p.kit.sounds[copy];
          const std::string name(sound.name, strnlen(sound.name, sizeof sound.name));
          nameSound(p, copy, copyNumbering(name), false);
        }
      }
      context->commitProject(true);
      context->setSelectedTrack(count);
      rebuild();
      context->benchChanged();
      return;
    case kLife: {
      if (!valid) return;
      const bool remove = hasLife(p, track);
      const ob::Sound sound = soundAtSelection(p, track);
      const int n = std::min(ob::paramCount(sound.machine), ob::kSoundParamSlots);
      for (int i = 0; i < n; ++i) {
        const ob::ParamDescriptor* desc = ob::findParamDescriptor(sound.machine, i);
        if (!desc) continue;
        if (desc->randomDefault > 0.0f)
          send(command(ob::kEditTrackRandom, track, 0, i, remove ? 0.0f : desc->randomDefault));
        if (desc->velocityDefault != 0.0f)
          send(command(ob::kEditVelocityDest, track, 0, i, remove ? 0.0f : desc->velocityDefault));
      }
      rebuild();
      return;
    }
    case kNoChoke: setChokeGroup(track, -1); return;
    default:
      if (id >= static_cast<int>(kFirstChoke) && id < static_cast<int>(kFirstChoke) + ob::kChokeGroups)
        setChokeGroup(track, id - static_cast<int>(kFirstChoke));
      return;
  }
}

// The chops are those of the selected sampler's sample: its own track alone
// takes them, as a lock on the sampler's "slice" would be another parameter
// on another machine.
void BenchController::fillSlicesAcrossTrigs(int track, bool random) {
  const int slot = selectedSampleSlot();
  ob::Pattern& p = pattern();
  if (slot < 0 || track != validTrack()) return;
  const int chops = std::min<int>(context->project().samples.slots[slot].sliceCount, ob::kMaxSlices);
  if (chops < 2) return;
  ob::Track& tr = p.tracks[track];
  const int steps = std::min<int>(tr.length == 0 ? ob::kStepsPerTrack : tr.length, ob::kStepsPerTrack);
  std::uint32_t seed = seedSource ? seedSource() : 0;
  if (seed == 0) seed = kFillSeedFallback;
  context->pushUndo();
  const int slice = ob::findParamIndex(ob::kMachineSample, "slice");
  if (slice >= 0) {
    int k = 0;
    for (int i = 0; i < steps; ++i) {
      if (!tr.steps[i].active) continue;
      int chosen;
      if (random) {
        seed = xorshift(seed);
        chosen = static_cast<int>(seed % static_cast<std::uint32_t>(chops));
      } else {
        chosen = k % chops;
      }
      ++k;
      ob::setStepLock(tr.steps[i], slice, static_cast<float>(chosen));
    }
    if (k > 0) ob::markGrooveEdited(p);
  }
  context->commitProject(true);
  rebuild();
  context->benchChanged();
}

}  // namespace orbi
