#include "document/clip/clip_extensions.h"

namespace ob::clip {

namespace {

// Built in place: GCC 12 misreads the move of a temporary id's short name
// as a write past the id.
void addAtVersion1(std::vector<ExtensionId>& out, const char* name) {
  ExtensionId& id = out.emplace_back();
  id.name = name;
  id.version = 1;
}

}  // namespace

void ExtensionUse::add(const SwingEntry& swing) {
  voices = voices || (!swing.invalid && !swing.voice.empty());
}

void ExtensionUse::add(const Lane& lane) { voices = voices || (!lane.invalid && !lane.voice.empty()); }

void ExtensionUse::add(const Note& n) {
  if (n.invalid) return;
  voices = voices || !n.voice.empty() || n.tune.has_value() || !n.sound.empty();
  perNoteParams = perNoteParams || !n.set.empty() || !n.add.empty();
  noteRandom = noteRandom || (n.rand && (n.rand->pan.has_value() || !n.rand->params.empty()));
  slide = slide || n.slide;
}

std::vector<ExtensionId> ExtensionUse::ids() const {
  std::vector<ExtensionId> out;
  if (voices) addAtVersion1(out, kExtVoices);
  if (perNoteParams) addAtVersion1(out, kExtPerNoteParams);
  if (noteRandom) addAtVersion1(out, kExtNoteRandom);
  if (slide) addAtVersion1(out, kExtSlide);
  return out;
}

std::vector<ExtensionId> usedExtensions(const Clip& clip) {
  ExtensionUse use;
  use.voices = !clip.voices.empty() || !clip.sounds.empty();
  for (const SwingEntry& s : clip.swing) use.add(s);
  for (const Lane& l : clip.lanes) use.add(l);
  for (const Note& n : clip.notes) use.add(n);
  return use.ids();
}

bool declaresExtension(const std::vector<ExtensionId>& ids, std::string_view name) {
  for (const ExtensionId& id : ids)
    if (id.name == name) return true;
  return false;
}

}  // namespace ob::clip
