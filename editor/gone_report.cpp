#include "editor/gone_report.h"

#include "editor/macros/macro_name.h"
#include "editor/widgets/widget_support.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"

namespace orbi {
namespace {

std::string number(int n) { return std::to_string(n + 1); }

std::string nameOf(const ob::GoneRef& g, const ob::Kit& kit) {
  const std::string name = g.kind == ob::GoneKind::Hit ? std::string() : ob::paramName(g.machine, g.param);
  switch (g.kind) {
    case ob::GoneKind::Lock: return "step " + number(g.where) + " lock of " + name;
    case ob::GoneKind::StepRandom: return "step " + number(g.where) + " random amount of " + name;
    case ob::GoneKind::TrackRandom: return "random amount of " + name;
    case ob::GoneKind::VelocityRoute: return "velocity route to " + name;
    case ob::GoneKind::MacroDest: return macroName(kit, g.where) + " on " + name;
    case ob::GoneKind::Lfo: return "LFO " + number(g.where) + " on " + name;
    case ob::GoneKind::ModEnv: return "envelope " + number(g.where) + " on " + name;
    case ob::GoneKind::Hit: return "step " + number(g.where) + " hit";
  }
  return name;
}

// The value it now holds, as the parameter's control shows it.
std::string heldValue(const ob::GoneRef& g) {
  const ob::ParamInfo row = ob::paramInfo(g.machine, g.param);
  return valueText(g.heldTo, row.max - row.min, row.unit);
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

GoneNames goneNames(const std::vector<ob::GoneRef>& gone, const ob::Kit& kit) {
  const bool tracked = severalTracks(gone);
  GoneNames names;
  for (const ob::GoneRef& g : gone) {
    const bool withTrack = g.track != ob::kNoTrack && (tracked || g.kind == ob::GoneKind::Hit);
    std::string name = withTrack ? "track " + number(g.track) + " " + nameOf(g, kit) : nameOf(g, kit);
    if (g.held)
      names.held.push_back(name + " held to " + heldValue(g));
    else
      names.gone.push_back(std::move(name));
  }
  return names;
}

SaidLine goneReport(std::string_view who, std::string_view why, const GoneNames& names) {
  std::vector<std::string> all = names.gone;
  all.insert(all.end(), names.held.begin(), names.held.end());
  if (all.empty()) return {};
  // One list, what went first: the line's start names them, however short.
  std::string head(who);
  if (names.held.empty())
    head += " lost ";
  else if (names.gone.empty())
    head += " changed ";
  else
    head += " lost " + std::to_string(names.gone.size()) + " and changed " +
            std::to_string(names.held.size()) + ": ";
  if (all.size() > 1 && (names.gone.empty() || names.held.empty())) head += std::to_string(all.size()) + ": ";
  const std::string because = names.gone.empty() ? std::string() : ", " + std::string(why);
  return sayNames(head, all,
                  because + (all.size() == 1 ? "; undo brings it back" : "; undo brings them back"));
}

}  // namespace orbi
