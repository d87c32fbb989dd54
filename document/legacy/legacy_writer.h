#pragma once
// Writer of the legacy project format, streamed from fixed templates with a
// fixed two-blank indentation so the same project always gives the same
// bytes. Its main use is the kit text: one pattern with its groove cleared,
// which the kit browser compares to tell whether a kit has unsaved changes.

#include <string>
#include <string_view>

#include "engine/model/project.h"

namespace ob {

// The whole document, appended to out / returned.
void writeLegacyProject(std::string& out, const Project& project);
std::string writeLegacyProject(const Project& project);

// The levels, each appending to out.
void writeLegacyPattern(std::string& out, const Pattern& pattern);
void writeLegacyTracks(std::string& out, const Pattern& pattern);
void writeLegacyKit(std::string& out, const Pattern& pattern);
void writeLegacySound(std::string& out, const Sound& sound);
void writeLegacySteps(std::string& out, const Step& step, int index, int machineType);

// An integral value below 1e15 in magnitude as a plain integer, anything else
// with six significant digits ("%g" form); no locale is consulted. Values
// without a JSON form are written as null.
std::string formatLegacyNumber(double value);
void appendLegacyNumber(std::string& out, double value);

// JSON string escapes, without the enclosing quotes; UTF-8 passes unchanged.
std::string escapeJsonString(std::string_view text);

// The kit text of a pattern: its kit and sound design, not its groove.
std::string patternToJsonText(const Pattern& pattern);

}  // namespace ob
