# Writes a C++ source that carries files inside the binary: each file is
# assembled into read-only data with .incbin (hidden symbols, so a shared
# object exports none of them) and listed in a table of EmbeddedResource
# records, returned by the function the caller names.
#
#   ob_write_embed_source(OUTPUT <file.cpp> HEADER <include> FUNCTION <qualified name>
#                         PREFIX <symbol prefix> ENTRIES <name> <path> [<name> <path> ...])
#
# The header must declare the EmbeddedResource record (name, bytes) and the
# function, returning std::span<const EmbeddedResource>. Paths are absolute.
function(ob_write_embed_source)
  cmake_parse_arguments(arg "" "OUTPUT;HEADER;FUNCTION;PREFIX" "ENTRIES" ${ARGN})
  list(LENGTH arg_ENTRIES count)
  math(EXPR last "${count} / 2 - 1")
  set(assembly "")
  set(declarations "")
  set(table "")
  foreach(i RANGE ${last})
    math(EXPR name_at "${i} * 2")
    math(EXPR path_at "${i} * 2 + 1")
    list(GET arg_ENTRIES ${name_at} name)
    list(GET arg_ENTRIES ${path_at} path)
    set(sym "${arg_PREFIX}_${i}")
    string(APPEND assembly
      "    \".globl ${sym}\\n\"\n    \".hidden ${sym}\\n\"\n    \".balign 16\\n\"\n"
      "    \"${sym}:\\n\"\n    \".incbin \\\"${path}\\\"\\n\"\n"
      "    \".globl ${sym}_end\\n\"\n    \".hidden ${sym}_end\\n\"\n    \"${sym}_end:\\n\"\n")
    string(APPEND declarations
      "extern \"C\" __attribute__((visibility(\"hidden\"))) const std::uint8_t ${sym}[], ${sym}_end[];\n")
    string(APPEND table "    {\"${name}\", {${sym}, ${sym}_end}},\n")
  endforeach()
  string(REGEX REPLACE "::[^:]*$" "" ns "${arg_FUNCTION}")
  string(REGEX REPLACE "^.*::" "" fn "${arg_FUNCTION}")
  file(CONFIGURE OUTPUT ${arg_OUTPUT} @ONLY CONTENT [[
// Written by CMake (ob_write_embed_source); do not edit.
#include "@arg_HEADER@"

__asm__(
    ".pushsection .rodata.@arg_PREFIX@, \"a\", @progbits\n"
@assembly@    ".popsection\n");

@declarations@
namespace @ns@ {
namespace {
const EmbeddedResource kEntries[] = {
@table@};
}  // namespace

std::span<const EmbeddedResource> @fn@() { return kEntries; }

}  // namespace @ns@
]])
endfunction()
