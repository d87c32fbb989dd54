#pragma once
// Kept text laid out as the writers lay out values: the same bytes the
// compact or the indented form of its values would be, read straight from
// the text, so a save never builds what a load kept. The text is what the
// parser checked; nothing else may be given.

#include <string_view>

namespace ob {

class JsonOut;

// An array or object.
void writeKeptCompact(std::string_view text, JsonOut& out);
// The same at nesting depth, as writeJsonPretty lays it out.
void writeKeptPretty(std::string_view text, int depth, JsonOut& out);
// Members of an object ("key": value, ...), as the object's members are laid
// out: separated by commas, or each on its own line inside an object at
// nesting depth, with no line feed after the last.
void writeKeptMembersCompact(std::string_view text, JsonOut& out);
void writeKeptMembersPretty(std::string_view text, int depth, JsonOut& out);

}  // namespace ob
