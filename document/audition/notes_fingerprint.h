#pragma once
// The fingerprint that ties the step grid saved beside an audition's notes to
// those notes: a hash of the notes' compact JSON text with every number in
// the writer's own spelling, so re-spelling a number (1.0 as 1) keeps it,
// and changing any value changes it.

#include <cstdint>
#include <memory>
#include <string>

#include "document/json/json_value.h"
#include "engine/fnv.h"

namespace ob {

// 16 lower-case hex digits of the FNV-1a 64 hash of the canonical text;
// empty when that text does not read back as JSON.
std::string notesFingerprint(const JsonValue& notes);

// The same fingerprint taken the long way round (write, parse, drop the
// number spellings, write again); notesFingerprint must always agree.
std::string notesFingerprintByReparse(const JsonValue& notes);

// The canonical text of one note as it stands in its list, the text the
// fingerprint hashes: two notes are the same note, however their numbers
// are spelled, exactly when their texts are equal.
class CanonicalNote {
 public:
  CanonicalNote();
  ~CanonicalNote();
  // The note's text, valid until the next call; null when it has none (it
  // does not read back as JSON).
  const std::string* of(const JsonValue& note);

 private:
  struct Numbers;
  std::unique_ptr<Numbers> numbers_;  // spellings remembered from note to note
  std::string piece_;
};

// The fingerprint of a list of notes given one at a time, as they are
// read from a list's text or made by a writer: notesFingerprint of the
// list, holding no more than one note's text.
class NotesFingerprint {
 public:
  void add(const JsonValue& note);
  std::string finish();

 private:
  CanonicalNote canonical_;
  std::uint64_t hash_ = kFnvOffsetBasis;
  bool any_ = false;
  bool failed_ = false;
};

}  // namespace ob
