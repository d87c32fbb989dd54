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

}  // namespace

std::vector<ExtensionId> usedExtensions(const Clip& clip) {
  std::vector<ExtensionId> out;
  if (needsVoices(clip)) out.emplace_back(kExtVoices, 1);
  if (needsPerNoteParams(clip)) out.emplace_back(kExtPerNoteParams, 1);
  if (needsNoteRandom(clip)) out.emplace_back(kExtNoteRandom, 1);
  if (needsSlide(clip)) out.emplace_back(kExtSlide, 1);
  return out;
}

bool declaresExtension(const std::vector<ExtensionId>& ids, std::string_view name) {
  for (const ExtensionId& id : ids)
    if (id.name == name) return true;
  return false;
}

}  // namespace ob::clip
