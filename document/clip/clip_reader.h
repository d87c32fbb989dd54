#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/clip/clip.h"
#include "document/diagnostics.h"
#include "document/json/json_value.h"

namespace ob::clip {

// Reads a clip document. Nothing is dropped: malformed elements stay in
// their lists marked invalid, members nobody took stay in kept, and each
// finding is a diagnostic with a path from the document's root. Empty only
// when the header check rejects the document (not an object, another kind).
std::optional<Clip> readClip(const JsonValue& document, Diagnostics& diagnostics);
bool readClip(const JsonValue& document, Clip& out, Diagnostics& diagnostics);

// Each note as it is read, with its index among the clip's notes and its
// element as read (valid for the call alone).
using NoteTaker = std::function<void(const Note& note, std::size_t index, const JsonValue& element)>;

// The same read, reporting the same findings (their paths under base, the
// clip's place), for a reader that plays the clip and writes nothing of it
// back: each note goes to take and is not kept, no lane is kept, and
// nothing of the document is kept as read, a note's element among it (its
// source stays empty). However many notes and lanes a clip holds, the read
// holds one of them at a time.
std::optional<Clip> readClipToPlay(const JsonValue& document, Diagnostics& diagnostics, std::string_view base,
                                   const NoteTaker& take);

enum class NamedValuesMode { Numbers, Names, Values };

// Every member becomes an entry whatever its kind; a kind the mode does not
// accept draws "wrong-type" at the member's path.
std::vector<JsonMember> readNamedValues(const JsonValue& object, const std::string& path,
                                        NamedValuesMode mode, Diagnostics& diagnostics);

// One element of "tempo", "meter" or "swing", kept whole and marked invalid
// when it fails its check.
TempoPoint readTempoPoint(const JsonValue& element, const std::string& path, Diagnostics& diagnostics);
MeterPoint readMeterPoint(const JsonValue& element, const std::string& path, Diagnostics& diagnostics);
SwingEntry readSwingEntry(const JsonValue& element, const std::string& path, Diagnostics& diagnostics);
Note readNote(const JsonValue& element, const std::string& path, Diagnostics& diagnostics);
Expression readExpression(const JsonValue& value, const std::string& path, Diagnostics& diagnostics);
NoteRandom readNoteRandom(const JsonValue& object, const std::string& path, Diagnostics& diagnostics);
std::vector<Lane> readLanes(const JsonValue& array, const std::string& path, Diagnostics& diagnostics);

}  // namespace ob::clip
