#include "document/clip/clip_extensions.h"

namespace ob::clip {

namespace {

bool needsVoices(const Clip& clip) {
  if (!clip.voices.empty() || !clip.sounds.empty()) return true;
  for (const SwingEntry& s : clip.swing)
    if (!s.invalid && !s.voice.empty()) return true;
  for (const Lane& l : clip.lanes)
    if (!l.invalid && !l.voice.empty()) return true;
  for (const Note& n : clip.notes)
    if (!n.invalid && (!n.voice.empty() || n.tune.has_value() || !n.sound.empty())) return true;
  return false;
}

bool needsPerNoteParams(const Clip& clip) {
  for (const Note& n : clip.notes)
    if (!n.invalid && (!n.set.empty() || !n.add.empty())) return true;
  return false;
}

bool needsNoteRandom(const Clip& clip) {
  for (const Note& n : clip.notes)
    if (!n.invalid && n.rand && (n.rand->pan.has_value() || !n.rand->params.empty())) return true;
  return false;
}

bool needsSlide(const Clip& clip) {
  for (const Note& n : clip.notes)
    if (!n.invalid && n.slide) return true;
  return false;
}

// Built in place: GCC 12 misreads the move of a temporary id's short name
// as a write past the id.
void addAtVersion1(std::vector<ExtensionId>& out, const char* name) {
  ExtensionId& id = out.emplace_back();
  id.name = name;
  id.version = 1;
}

}  // namespace

std::vector<ExtensionId> usedExtensions(const Clip& clip) {
  std::vector<ExtensionId> out;
  if (needsVoices(clip)) addAtVersion1(out, kExtVoices);
  if (needsPerNoteParams(clip)) addAtVersion1(out, kExtPerNoteParams);
  if (needsNoteRandom(clip)) addAtVersion1(out, kExtNoteRandom);
  if (needsSlide(clip)) addAtVersion1(out, kExtSlide);
  return out;
}

bool declaresExtension(const std::vector<ExtensionId>& ids, std::string_view name) {
  for (const ExtensionId& id : ids)
    if (id.name == name) return true;
  return false;
}

}  // namespace ob::clip
