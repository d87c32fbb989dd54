#pragma once
// Reader of the project format that came before the instance document: one
// JSON object that mirrors the project record member by member. Lenient: a
// member that is absent or of the wrong type takes its default, unknown keys
// and surplus list entries are dropped. Only text that is not JSON, a root
// that is not an object and a sound of an unknown machine fail a read.

#include <string>
#include <string_view>

#include "document/diagnostics.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

// Overwrites the project with the document (callers pass a fresh record and
// drop it on failure). The error text, when given, gets the reason of a
// failure and is untouched on success. The findings are the note
// "ids-assigned-by-index" and, for text whose strings are not UTF-8 (read
// as U+FFFD), the warning "not-utf8".
bool readLegacyProject(std::string_view text, Project& project, std::string* error, Diagnostics* diagnostics);
// The same for a document already parsed.
bool readLegacyProject(const JsonValue& root, Project& project, std::string* error, Diagnostics* diagnostics);

// Reads an old kit file: the document's pattern (tracks and kit) replaces the
// caller's pattern on success only.
bool loadKitDocument(std::string_view text, Pattern& pattern, std::string* error, Diagnostics* diagnostics);
bool loadKitDocument(const JsonValue& root, Pattern& pattern, std::string* error, Diagnostics* diagnostics);

// The levels, each on an already located value.
bool readLegacyPattern(const JsonValue& object, Pattern& pattern, std::string* error,
                       Diagnostics* diagnostics, std::string_view path);
bool readLegacyKit(const JsonValue& object, Kit& kit, std::string* error);
bool readLegacySound(const JsonValue& object, Sound& sound, std::string* error);
void readLegacyPatternBody(const JsonValue& object, Pattern& pattern);
// Returns how many destinations repeated an earlier one of their macro on
// the same track and parameter: the first applies, they do not.
int readLegacyMacros(const JsonValue& macros, Pattern& pattern);
void readLegacySteps(const JsonValue& object, Step& step, int machineType);

// The member's number when present and a number, else the fallback.
double jsonGetNumber(const JsonValue& object, std::string_view key, double fallback);

// The machine whose keys a track's lists use: the machine of the kit sound
// the track plays, the drum when it plays none (or the track is not 0..7).
int legacyTrackMachine(const Pattern& pattern, int track);

}  // namespace ob
