#include "editor/gone_report.h"

#include "engine/params/param_info.h"
#include "engine/params/param_tables.h"

namespace orbi {
namespace {

std::string paramLabel(int machine, int param) {
  if (const ob::ParamDescriptor* d = ob::findParamDescriptor(machine, param); d && d->label[0] != '\0')
    return d->label;
  const char* key = ob::paramInfo(machine, param).id;
  return key[0] != '\0' ? key : "parameter " + std::to_string(param);
}

std::string number(int n) { return std::to_string(n + 1); }

std::string nameOf(const ob::GoneRef& g) {
  const std::string label = paramLabel(g.machine, g.param);
  switch (g.kind) {
    case ob::GoneKind::Lock: return "step " + number(g.where) + " lock of " + label;
    case ob::GoneKind::StepRandom: return "step " + number(g.where) + " random amount of " + label;
    case ob::GoneKind::TrackRandom: return "random amount of " + label;
    case ob::GoneKind::VelocityRoute: return "velocity route to " + label;
    case ob::GoneKind::MacroDest: return "macro " + number(g.where) + " on " + label;
    case ob::GoneKind::Lfo: return "LFO " + number(g.where) + " on " + label;
    case ob::GoneKind::ModEnv: return "envelope " + number(g.where) + " on " + label;
  }
  return label;
}

bool severalTracks(const std::vector<ob::GoneRef>& gone) {
  int first = ob::kNoTrack;
  for (const ob::GoneRef& g : gone) {
    if (g.track == ob::kNoTrack) continue;
    if (first == ob::kNoTrack) first = g.track;
    if (g.track != first) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> goneNames(const std::vector<ob::GoneRef>& gone) {
  const bool tracked = severalTracks(gone);
  std::vector<std::string> names;
  for (const ob::GoneRef& g : gone)
    names.push_back(tracked && g.track != ob::kNoTrack ? "track " + number(g.track) + " " + nameOf(g)
                                                       : nameOf(g));
  return names;
}

SaidLine goneReport(std::string_view who, std::string_view why, const std::vector<std::string>& names) {
  const std::string undo = names.size() == 1 ? "; undo brings it back" : "; undo brings them back";
  return sayLine(std::string(who) + " lost ", names, ", " + std::string(why) + undo);
}

}  // namespace orbi
