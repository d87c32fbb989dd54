// The root view's frame: catching up with a state load, housekeeping for
// the engine host, the playhead, the panels' messages, the header, the
// editing shortcuts, the header's results, what lies under the header and
// the panels' messages of the frame.
#include <algorithm>
#include <bit>

#include "editor/editor_view.h"
#include "engine/session/engine_host.h"
#include "ui/frame_requests.h"
#include "ui/shortcuts.h"

namespace orbi {

namespace {

constexpr float kSlowestPlayheadBpm = 20.0f;

double msPerStep(float bpm) { return std::max(60000.0 / std::max(bpm, kSlowestPlayheadBpm) * 0.25, 1.0); }

}  // namespace

void EditorView::frame(const ui::FrameInfo& frame) {
  nowMs_ = frame.time * 1000.0;
  shownMacros_ = hostMacros();
  // The host loaded a state under the open editor, or while none was open.
  if (session_.seenStateLoads != host_.stateLoads) followStateLoad();
  if (!started_) {
    bench_.rebuild();
    kitBrowser_.resume();
    started_ = true;
  }
  keepHouse(frame.time);
  followPlayhead();
  takePanelStatus();  // what was said since the last frame
  ui::Rect content = frame.content;
  const HeaderBarResult header = drawHeaderBar(frame, content);
  handleEditShortcuts();
  runHeaderResults(header);
  if (const std::optional<SaveQuestion::Answered> answered = saveQuestion_.draw()) takeAnswer(*answered);
  drawBelowHeader(content);
  // What the panels said of the frame's edits, with all those let go: one message.
  takePanelStatus();
  sayWhatWasLetGo();
  runRenders();
}

void EditorView::followStateLoad() {
  session_.seenStateLoads = host_.stateLoads;
  startOver();
  refresh();
  // What the status line said the project lacked follows the new one.
  followLacks();
  if (statusLacks_.empty()) showLacks();
}

void EditorView::runRenders() {
  RenderBudget budget(renderShareMs_);
  audition_.run(budget);
  if (audition_.pending()) ui::requestFrame();
  if (page_ == EditorPage::Bench) bench_.renderPreviews(nowMs_, budget);
}

bool EditorView::rendersPending() const {
  return audition_.pending() || (page_ == EditorPage::Bench && bench_.previewsPending());
}

void EditorView::finishRenders() {
  audition_.finish();
  bench_.flushPreviews();
}

bool EditorView::wantsFrame() {
  // The playhead moves while playing and goes once playback stops.
  if (host_.playing() || playhead_ >= 0.0f) return true;
  // The host loaded a state or moved a macro: the project changed under us.
  if (session_.seenStateLoads != host_.stateLoads || hostMacros() != shownMacros_) return true;
  // A sound still rings or an LFO runs: the live marks move.
  return page_ == EditorPage::Bench && bench_.liveMoved();
}

EditorView::MacroValues EditorView::hostMacros() const {
  MacroValues values;
  const ob::Macro* macros = host_.project.patterns[0].kit.macros;
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = std::bit_cast<std::uint32_t>(macros[i].value);
  return values;
}

void EditorView::takePanelStatus() {
  if (macroPanel_.pendingNotice) {
    setStatus(std::move(*macroPanel_.pendingNotice), StatusKind::Changed);
    macroPanel_.pendingNotice.reset();
  }
  if (!kitBrowser_.pendingStatus) return;
  KitBrowser::Status& status = *kitBrowser_.pendingStatus;
  // What a load found reaches the host's log before what the line says of it.
  if (report_ && !status.findings.empty()) report_(status.findings);
  setStatus(std::move(status), status.kind);
  kitBrowser_.pendingStatus.reset();
}

void EditorView::openKitSaveForm() {
  kitPanelRect_ = kitAnchor_;
  kitBrowser_.prefillSaveForm();
}

void EditorView::browseKits() {
  kitPanelRect_ = kitAnchor_;
  kitBrowser_.syncSelection();
}

void EditorView::keepHouse(double time) {
  if (time < nextHousekeeping_) return;
  nextHousekeeping_ += housekeepingInterval_;
  // No catching up after a stall.
  if (time >= nextHousekeeping_) nextHousekeeping_ = time + housekeepingInterval_;
  host_.mainThreadPass();
}

void EditorView::followPlayhead() {
  playheadStepChanged_ = -1;
  const float before = playhead_;
  if (!host_.playing()) {
    shownStep_ = lastStep_ = prevStep_ = -1;
    playhead_ = -1.0f;
    if (before >= 0.0f) benchPage_.grid.playStep = -1;  // once, as playback stops
    return;
  }
  const std::int32_t counter = host_.engine.playheadStep();
  if (counter != lastStep_) {
    prevStep_ = lastStep_;
    prevStepTime_ = lastStepTime_;
    lastStep_ = counter;
    lastStepTime_ = nowMs_;
  }
  const double fraction = std::clamp((nowMs_ - lastStepTime_) / msPerStep(playingTempo()), 0.0, 1.0);
  playhead_ = static_cast<float>(lastStep_ + fraction);
  if (lastStep_ != shownStep_) {
    shownStep_ = lastStep_;
    playheadStepChanged_ = shownStep_;
    benchPage_.grid.playStep = shownStep_;
  }
}

float EditorView::playingTempo() const {
  // The host's transport plays the pattern at its own tempo.
  const double hostTempo = host_.hostTempo.load(std::memory_order_relaxed);
  return hostTempo > 0.0 ? static_cast<float>(hostTempo) : host_.project.patterns[selectedPart_].bpm;
}

void EditorView::handleEditShortcuts() {
  // Undo, redo, open and save belong to the header, which acts on them
  // earlier in the frame.
  const std::optional<ui::Shortcut> shortcut = ui::shortcutPressed();
  if (!shortcut) return;
  switch (*shortcut) {
    case ui::Shortcut::Copy: editActions_.copy(); break;
    case ui::Shortcut::Paste: editActions_.paste(); break;
    case ui::Shortcut::Delete: editActions_.clear(); break;
    default: break;
  }
}

}  // namespace orbi
