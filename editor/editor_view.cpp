#include "editor/editor_view.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <limits>
#include <utility>

#include "editor/let_go_report.h"
#include "editor/samples/unplayable_samples.h"
#include "editor/undo_rule.h"
#include "engine/session/engine_host.h"

namespace orbi {

namespace {

constexpr double kNoSnapshot = std::numeric_limits<double>::quiet_NaN();

// The parts a project holds, never more than its record has room for.
int partCount(const ob::Project& project) {
  return std::min<int>(project.patternCount, static_cast<int>(std::size(project.patterns)));
}

// The slice positions are the part of the sample table the audio side
// reads, through the published pool snapshot rather than the project.
bool sameSlices(const ob::SampleSlotTable& a, const ob::SampleSlotTable& b) {
  for (int i = 0; i < ob::kSampleSlots; ++i) {
    const ob::SampleSlot& x = a.slots[i];
    const ob::SampleSlot& y = b.slots[i];
    const int n = std::min<int>(x.sliceCount, ob::kMaxSlices);
    if (x.sliceCount != y.sliceCount || !std::equal(x.slices, x.slices + n, y.slices)) return false;
  }
  return true;
}

// An import or a split fills slots past the table's count and takes no
// snapshot: a table restored from before it keeps them, or it would play
// and save without what the user brought since.
void keepSlotsFilledSince(ob::SampleSlotTable& restored, const ob::SampleSlotTable& current) {
  const int count = std::min<int>(current.count, ob::kSampleSlots);
  for (int i = restored.count; i < count; ++i) restored.slots[i] = current.slots[i];
  restored.count = std::max(restored.count, current.count);
}

}  // namespace

EditorView::EditorView(EngineHost& host, ob::KeptDocument& kept, EditorSession& session, HostReport report)
    : host_(host),
      kept_(kept),
      session_(session),
      report_(std::move(report)),
      lastEditSnapshot_(kNoSnapshot),
      editActions_(*this),
      headerBar_(*this, host),
      panelHost_(*this),
      macroPanel_(panelHost_),
      bench_(*this, benchPage_),
      samplesPage_(*this),
      kitBrowser_(panelHost_, session.kits),
      audition_(host) {
  // Last: the handlers may reach any member.
  bench_.wire();
  keptFollowsProject();
  // A reopened editor says what it said of the project before.
  showLacks(false);
}

EditorView::~EditorView() {
  // What was not said yet reaches the host's log, as a frame's end says it.
  takePanelStatus();
  sayWhatWasLetGo();
}

ob::Project& EditorView::project() { return host_.project; }

ob::SamplePool& EditorView::samplePool() { return host_.pool; }

std::int32_t EditorView::selectedSound() const {
  if (!isTrackIndex(selectedTrack_)) return -1;
  return host_.project.patterns[selectedPart_].tracks[selectedTrack_].soundIndex;
}

void EditorView::selectPart(std::int32_t part) {
  if (part < 0 || part >= partCount(host_.project)) return;
  selectedPart_ = part;
  const int tracks = host_.project.patterns[part].numTracks;
  if (selectedTrack_ >= tracks) selectedTrack_ = std::max(tracks - 1, 0);
  selectedCell_ = -1;
  macroPanel_.selectedMacro = -1;
  bench_.rebuild();
}

void EditorView::pushSnapshot() {
  // An edit made before the frame that catches up with a state load starts
  // from the loaded project, as it would after that frame.
  if (session_.seenStateLoads != host_.stateLoads) followStateLoad();
  undoHistory_.push(host_.project, kept_.records, kept_.kitFile);
  while (undoHistory_.size() > kUndoDepth) undoHistory_.pop_front();
  redoHistory_.clear();
}

void EditorView::snapshotForEdit() {
  // Tools that send one command per target (breathing, adding life) and
  // drags of several values all land in one frame: one undo step.
  if (!undoHistory_.empty() && lastEditSnapshot_ == nowMs_) return;
  pushSnapshot();
  lastEditSnapshot_ = nowMs_;
}

void EditorView::endCoalescing() {
  lastCoalescedPush_ = -std::numeric_limits<double>::infinity();
  lastEditSnapshot_ = kNoSnapshot;
}

void EditorView::pushUndo() { pushSnapshot(); }

bool EditorView::coalescing() const {
  return !undoHistory_.empty() && nowMs_ - lastCoalescedPush_ < kCoalesceWindowMs;
}

void EditorView::pushUndoCoalesced() {
  if (!coalescing()) pushSnapshot();
  lastCoalescedPush_ = nowMs_;
}

void EditorView::apply(ob::EditCommand& command) {
  command.pattern = static_cast<std::uint8_t>(selectedPart_);
  switch (undoRuleOf(command)) {
    case UndoRule::None: break;
    case UndoRule::Continuous:
      if (!coalescing()) snapshotForEdit();
      lastCoalescedPush_ = nowMs_;
      break;
    case UndoRule::Snapshot: snapshotForEdit(); break;
  }
  // A full ring drops the command: the whole project catches the engine up.
  if (!host_.applyEdit(command)) host_.postProject(true);
  ++revision_;
  letGoWhatTheEditTook();
}

void EditorView::commitProject(bool keepPosition) {
  host_.postProject(keepPosition);
  bench_.samplesChanged();
  ++revision_;
  letGoWhatTheEditTook();
}

void EditorView::markReplaced(const ob::ReplacedOwners& replaced) {
  replaced_.kit = replaced_.kit || replaced.kit;
  replaced_.steps.insert(replaced_.steps.end(), replaced.steps.begin(), replaced.steps.end());
}

void EditorView::letGoWhatTheEditTook() {
  const ob::ReplacedOwners replaced = std::exchange(replaced_, {});
  if (beforeEdit_) {
    // What a load since brought is not the edit's to let go.
    if (kept_.records == keptBeforeEdit_) {
      ob::KeptLetGo instance =
          ob::letGoOnEdit(kept_.records, *beforeEdit_, host_.project, replaced, kept_.keysAsLoaded);
      kept_.records = std::move(instance.kept);
      for (std::string& name : letGoNames(instance.gone, *beforeEdit_)) letGo_.push_back(std::move(name));
    }
    if (kept_.kitFile && kept_.kitFile == kitBeforeEdit_) {
      ob::KeptLetGo kit = ob::letGoOnEdit(kept_.kitFile->kept->records, *beforeEdit_, host_.project, replaced,
                                          kept_.kitFile->kept->keysAsLoaded);
      if (!kit.gone.empty()) {
        auto kept = std::make_shared<ob::KeptDocument>(*kept_.kitFile->kept);
        kept->records = std::move(kit.kept);
        auto file = std::make_shared<ob::KitFileKept>(*kept_.kitFile);
        file->kept = std::move(kept);
        for (const ob::KeptRecord& r : kit.gone) file->gone.push_back(r.path);
        kept_.kitFile = std::move(file);
        for (std::string& name : letGoNames(kit.gone, *beforeEdit_)) letGo_.push_back(std::move(name));
      }
    }
  }
  keptFollowsProject();
}

void EditorView::keptFollowsProject() {
  keptBeforeEdit_ = kept_.records;
  kitBeforeEdit_ = kept_.kitFile;
  const bool owned = ob::anyOwned(ob::recordsOf(kept_.records)) ||
                     (kept_.kitFile && ob::anyOwned(ob::recordsOf(kept_.kitFile->kept->records)));
  if (!owned) {
    beforeEdit_.reset();
    return;
  }
  if (beforeEdit_)
    *beforeEdit_ = host_.project;
  else
    beforeEdit_ = std::make_unique<ob::Project>(host_.project);
}

void EditorView::sayWhatWasLetGo() {
  if (letGo_.empty()) return;
  SaidLine line = letGoLine(std::exchange(letGo_, {}));
  for (std::string* text : {&line.text, &line.whole})
    if (!text->empty()) (*text)[0] = static_cast<char>(std::toupper(static_cast<unsigned char>((*text)[0])));
  setStatus(std::move(line), StatusKind::Changed);
}

void EditorView::publishSamples() {
  host_.publishSamples();
  bench_.samplesChanged();
  followLacks();
}

void EditorView::restore(UndoHistory& from, UndoHistory& to) {
  if (from.empty()) return;
  to.push(host_.project, kept_.records, kept_.kitFile);
  const bool slicesChange = !sameSlices(host_.project.samples, from.back().project.samples);
  host_.project = from.back().project;
  kept_.records = std::move(from.back().kept);
  kept_.kitFile = std::move(from.back().kitFile);
  from.pop_back();
  keepSlotsFilledSince(host_.project.samples, to.back().project.samples);
  host_.postProject(true);
  if (slicesChange) host_.publishSamples();
  bench_.samplesChanged();  // the slot table came back with the project
  ++revision_;
  endCoalescing();
  keptFollowsProject();
  refresh();
}

// Redo pushes onto the undo history without its cap: each redo follows an
// undo that made room.
void EditorView::undo() { restore(undoHistory_, redoHistory_); }
void EditorView::redo() { restore(redoHistory_, undoHistory_); }

void EditorView::toggleMute(std::int32_t track) {
  const ob::Pattern& part = host_.project.patterns[selectedPart_];
  if (track < 0 || track >= part.numTracks) return;
  ob::EditCommand command;
  command.kind = ob::kEditMuteTrack;
  command.track = static_cast<std::uint32_t>(track);
  command.value = (part.muteMask >> track) & 1u ? 0.0f : 1.0f;
  apply(command);
}

void EditorView::audition(const ob::Sound& sound, float level, ob::OutputGains gains) {
  audition_.start(sound, level, gains);
}

void EditorView::refresh() {
  const int parts = partCount(host_.project);
  if (selectedPart_ >= parts) selectedPart_ = parts - 1;
  if (selectedPart_ < 0) selectedPart_ = 0;
  const int tracks = host_.project.patterns[selectedPart_].numTracks;
  if (selectedTrack_ >= tracks) setSelectedTrack(std::max(tracks - 1, 0));
  if (selectedCell_ >= ob::kStepsPerTrack) selectedCell_ = -1;
  bench_.rebuild();
}

void EditorView::startOver() {
  bench_.samplesChanged();  // a new pool came with the state
  undoHistory_.clear();
  redoHistory_.clear();
  endCoalescing();
  selectedPart_ = 0;
  selectedCell_ = -1;
  macroPanel_.selectedMacro = -1;
  // What a kit's file kept came with the load, with the kit it was kept with.
  kitBrowser_.markClean(kept_.kitFile ? kept_.kitFile->reference : std::string());
  letGo_.clear();
  replaced_ = {};
  keptFollowsProject();
}

SaidLine EditorView::lacks() const {
  return lacksLine(lacksSummary(host_.project, unplayableSummary(host_.project, host_.pool)), kept_.leftOut);
}

void EditorView::showLacks(bool tell) {
  if (SaidLine line = lacks(); !line.text.empty()) {
    if (tell)
      setStatus(line, StatusKind::Failed);
    else
      showStatus(line, true, {});
    statusLacks_ = std::move(line.text);
  }
}

void EditorView::followLacks() {
  if (statusLacks_.empty() || lacks().text == statusLacks_) return;
  setStatus(std::string(), false);
  showLacks();
}

void EditorView::setStatus(SaidLine said, StatusKind kind, StatusName name) {
  // What the edit let go of what a load kept is said with what it says.
  if (!letGo_.empty() && !said.text.empty()) {
    said += "; ";
    said += letGoLine(std::exchange(letGo_, {}));
    if (kind == StatusKind::Done) kind = StatusKind::Changed;
  }
  tellHost(said.wholeText(), kind);
  showStatus(std::move(said), kind == StatusKind::Failed, name);
}

void EditorView::showStatus(SaidLine said, bool error, StatusName name) {
  status_ = std::move(said);
  statusError_ = error;
  statusName_ = name;
  statusLacks_.clear();
}

void EditorView::tellHost(std::string_view text, StatusKind kind) {
  if (!report_ || kind == StatusKind::Done || text.empty()) return;
  ob::Diagnostics told;
  if (kind == StatusKind::Failed)
    told.error("editor-status", "", std::string(text));
  else
    told.warn("editor-status", "", std::string(text));
  report_(told);
}

}  // namespace orbi
