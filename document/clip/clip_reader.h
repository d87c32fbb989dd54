#pragma once
#include <optional>
#include <string>
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

enum class NamedValuesMode { Numbers, Names, Values };

// Every member becomes an entry whatever its kind; a kind the mode does not
// accept draws "wrong-type" at the member's path.
std::vector<JsonMember> readNamedValues(const JsonValue& object, const std::string& path,
                                        NamedValuesMode mode, Diagnostics& diagnostics);

Note readNote(const JsonValue& element, const std::string& path, Diagnostics& diagnostics);
Expression readExpression(const JsonValue& value, const std::string& path, Diagnostics& diagnostics);
NoteRandom readNoteRandom(const JsonValue& object, const std::string& path, Diagnostics& diagnostics);
std::vector<Lane> readLanes(const JsonValue& array, const std::string& path, Diagnostics& diagnostics);

}  // namespace ob::clip
