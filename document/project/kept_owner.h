#pragma once
// Which owner a record a load kept has, by where it stands in the document:
// the one table of the places a load keeps records at, each with the token
// that names its owner and where the owner's own part of the path ends.
// Every load asks it of every record it keeps; a place it does not know
// holds its record with nothing a project holds, and the checks of every
// load fail on it.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "document/project/kept_record.h"

namespace ob {

struct OwnerPlace {
  KeptOwnerKind kind = KeptOwnerKind::Document;
  std::size_t key = 0;   // the token naming the owner: its record's key, or the macro's name
  std::size_t step = 0;  // a step's: the token of the step's key
  std::size_t end = 0;   // the tokens up to and with the owner's own
  // A list of the audition's whose elements each have their own owner,
  // which the element says (a note: its voice and time).
  bool byElement = false;
};

// The owner's place of a record kept at `path` (unescaped tokens from the
// document's root); none for a place no load keeps a record at.
std::optional<OwnerPlace> ownerPlaceOf(const std::vector<std::string>& path);

// The macro a key names ("macro1" .. "macro4"), or -1.
int macroOfKey(const std::string& key);

}  // namespace ob
