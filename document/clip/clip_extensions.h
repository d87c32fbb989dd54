#pragma once
#include <vector>

#include "document/clip/clip.h"
#include "document/reading/extension_id.h"

namespace ob::clip {

inline constexpr const char* kExtVoices = "com.tessaline.voices";
inline constexpr const char* kExtPerNoteParams = "com.tessaline.per-note-params";
inline constexpr const char* kExtNoteRandom = "com.tessaline.note-random";
inline constexpr const char* kExtSlide = "com.tessaline.slide";

// What a clip's valid content needs of the extensions, gathered record by
// record, so that a reader that keeps no list of notes learns it as well.
struct ExtensionUse {
  bool voices = false;
  bool perNoteParams = false;
  bool noteRandom = false;
  bool slide = false;

  void add(const SwingEntry& swing);
  void add(const Note& note);
  void add(const Lane& lane);
  // Each at version 1, in the order voices, per-note params, note random, slide.
  std::vector<ExtensionId> ids() const;
};

// The extensions that the clip's valid content needs.
std::vector<ExtensionId> usedExtensions(const Clip& clip);

// True when a list holds an id of that name (versions are not compared).
bool declaresExtension(const std::vector<ExtensionId>& ids, std::string_view name);

}  // namespace ob::clip
