#include "document/instance/instance_shape.h"

#include "document/audition/audition_groove.h"
#include "document/instance/macro_state.h"
#include "document/instance/state_fields.h"
#include "engine/model/project.h"

namespace ob {
namespace {

JsonShape scalars() { return objectOfShape(scalarShape()); }

JsonShape object(std::vector<JsonShapeMember> members) { return objectShape(std::move(members)); }

// Members read as scalars, by name.
std::vector<JsonShapeMember> named(std::initializer_list<const char*> keys) {
  std::vector<JsonShapeMember> members;
  for (const char* key : keys) members.push_back({key, scalarShape()});
  return members;
}

JsonShape namedObject(std::initializer_list<const char*> keys, std::vector<JsonShapeMember> more = {}) {
  std::vector<JsonShapeMember> members = named(keys);
  for (JsonShapeMember& m : more) members.push_back(std::move(m));
  return objectShape(std::move(members));
}

JsonShape zones() { return arrayShape(namedObject({"sample", "velMax"})); }

JsonShape sound() {
  return namedObject({"name", "machine"},
                     {{"params", scalars()},
                      {"velocity", scalars()},
                      {"layers", namedObject({"mode"}, {{"zones", zones()}, {"zonesOff", zones()}})}});
}

JsonShape voice() {
  const JsonShape lfo = namedObject({"dest", "rate", "shape", "depth", "trig", "sync", "division"});
  const JsonShape env =
      namedObject({"dest", "attack", "hold", "decay", "depth", "sync", "attackDivision", "decayDivision"});
  return namedObject({"order", "sound", "gain", "pan", "swing", "chromatic", "rate", "choke", "muted"},
                     {{"lfos", object({{"lfo1", lfo}, {"lfo2", lfo}})},
                      {"lfosOff", object({{"lfo1", lfo}, {"lfo2", lfo}})},
                      {"modEnvs", object({{"env1", env}, {"env2", env}})},
                      {"modEnvsOff", object({{"env1", env}, {"env2", env}})},
                      {"breathe", scalars()}});
}

JsonShape macros() {
  const JsonShape macro = namedObject(
      {"name"},
      {{"dests", objectOfShape(namedObject({"voice", "param", "target"}))}, {kDestsOffKey, scalars()}});
  std::vector<JsonShapeMember> members;
  for (int i = 0; i < kMacroCount; ++i) members.push_back({macroName(i), macro});
  return objectShape(std::move(members));
}

JsonShape sample() {
  return namedObject({"order", "name", "source"},
                     {{"tags", arrayShape(scalarShape())}, {"slices", arrayShape(scalarShape())}});
}

JsonShape state() {
  return object({{"sounds", objectOfShape(sound())},
                 {"voices", objectOfShape(voice())},
                 {"voicesOff", objectOfShape(namedObject({"sound"}))},
                 {"macros", macros()},
                 {"samples", objectOfShape(sample())},
                 {"kit", namedObject({"version"})},
                 {"project", namedObject({"name", "author", "part", "version"})}});
}

// The clip reader reads the notes and lanes an element at a time; the
// audition's own steps, whole.
JsonShape audition() {
  return namedObject({"kind", "spec", "id", "plugin", "formatVersion", "seed", "length", "grid", "source"},
                     {{"extensions", arrayShape(scalarShape())},
                      {"tempo", arrayShape(namedObject({"at", "bpm"}))},
                      {"meter", arrayShape(namedObject({"at", "num", "den"}))},
                      {"swing", arrayShape(namedObject({"bar", "grid", "amount", "voice"}))},
                      {"voices", scalars()},
                      {"sounds", scalars()},
                      {"notes", elementsShape(kAuditionNotesRead)},
                      {"lanes", elementsShape(kJsonMostEntriesRead)},
                      {"ext", object({{stepsExtensionKey(), wholeShape()}})}});
}

JsonShape document() {
  return namedObject({"kind", "spec", "id", "plugin", "formatVersion", "pluginVersion", "scope", "seed"},
                     {{"extensions", arrayShape(scalarShape())},
                      {"meta", namedObject({"name", "author"}, {{"tags", arrayShape(scalarShape())}})},
                      {"params", scalars()},
                      {"state", state()},
                      {"assets", scalars()},
                      {"audition", audition()},
                      {"kitFileKept", namedObject({"kit", "text"}, {{"gone", arrayShape(wholeShape())}})}});
}

}  // namespace

const JsonShape& instanceDocumentShape() {
  static const JsonShape shape = document();
  return shape;
}

const JsonShape& auditionShape() {
  static const JsonShape shape = audition();
  return shape;
}

}  // namespace ob
