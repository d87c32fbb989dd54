#pragma once
// What of a document its readers look at. A parse given a shape builds that
// into values and keeps the rest as the text it was read from, checked but
// never built: the members of an object that the shape does not name, and
// an array or object where the shape expects none. A reader never looks
// there, so it costs what its text costs, and a save writes it back as read.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ob {

// The most entries (elements or members) a reader reads of any one array or
// object: besides an audition's notes, which have a limit of their own,
// this build writes at most 64 where it writes most (a pool's samples, a
// sample's slices, a machine's parameters), so no real document comes near.
inline constexpr std::uint32_t kJsonMostEntriesRead = 1024;

struct JsonShapeMember;

struct JsonShape {
  enum class Form : std::uint8_t {
    Scalar,  // a number, string, bool or null is read; an array or object is kept
    Whole,   // built whatever it holds
    Object,  // built; its members as below
    Array,   // built; each element as `each`
    // Checked and counted as Whole would build it, but held as its text:
    // a long list its reader reads an element at a time (JsonElements).
    Elements,
  };
  Form form = Form::Scalar;
  std::vector<JsonShapeMember> members;  // an object's members read by name
  std::vector<JsonShape> each;           // every element, or every member not named; at most one
  // An array or object built here holding more entries than this makes the
  // parse refuse the document: its readers would read more than any real
  // document holds, at the cost of a value an entry.
  std::uint32_t most = kJsonMostEntriesRead;

  // Whether a value that opens an array (or else an object) is built here.
  bool builds(bool array) const;
  // The shape of an element of an array built here.
  const JsonShape& element() const;
  // The shape of an object's member, or null when no reader looks at it.
  const JsonShape* member(std::string_view key) const;
};

struct JsonShapeMember {
  std::string key;
  JsonShape shape;
};

JsonShape scalarShape();
JsonShape wholeShape();
JsonShape arrayShape(JsonShape each);
// A list read an element at a time, at most `most` of them.
JsonShape elementsShape(std::uint32_t most);
// An object whose named members are read; the rest is kept.
JsonShape objectShape(std::vector<JsonShapeMember> members);
// An object whose every member is read as `each`, whatever its name.
JsonShape objectOfShape(JsonShape each);
// The shape holding at most `most` entries where it is built.
JsonShape withMostEntries(JsonShape shape, std::uint32_t most);

}  // namespace ob
