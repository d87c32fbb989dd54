#pragma once
// The editor's root view: the one object the editor window draws, and the
// one through which every page reaches the project. It owns the selection,
// the undo and redo histories, the clipboard, the status line and the
// audition buffers, and it is where an edit leaves the editor: apply
// changes the editor copy and queues the same command for the audio
// thread; commitProject posts a whole copy. Main thread only.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/project/kept_document.h"
#include "editor/audition.h"
#include "editor/bench/bench_controller.h"
#include "editor/credits/sample_credits_window.h"
#include "editor/editor_clipboard.h"
#include "editor/editor_context.h"
#include "editor/editor_session.h"
#include "editor/header/header_bar.h"
#include "editor/kits/kit_browser.h"
#include "editor/macros/macro_panel.h"
#include "editor/panel_host.h"
#include "editor/project_files.h"
#include "editor/render_budget.h"
#include "editor/samples/samples_page.h"
#include "editor/save_question.h"
#include "editor/undo_history.h"
#include "editor/widgets/bench/bench_page.h"
#include "ui/geometry.h"
#include "ui/view.h"

namespace orbi {

class EditorView : public ui::View, public EditorContext {
 public:
  // Hands the findings of a load the editor makes to the host's log.
  using HostReport = std::function<void(const ob::Diagnostics&)>;

  // All three outlive the view: the instance's engine host, what the last
  // document load kept for the next save, and what the editor's windows
  // hand on to the next.
  EditorView(EngineHost& host, ob::KeptDocument& kept, EditorSession& session, HostReport report = {});
  // What the kit browser had yet to say still reaches the host's log.
  ~EditorView() override;

  // The frame (editor_frame.cpp): housekeeping, the playhead, the panels'
  // messages, the header and its results, the editing shortcuts,
  // the credits and macros bands and the page, then the renders due (the
  // audition first, then the bench's pictures) within the frame's share.
  void frame(const ui::FrameInfo& frame) override;
  // Between frames: the transport plays, or the host changed the project
  // (a state load, a macro), or a live value moved.
  bool wantsFrame() override;

  ob::Project& project() override;
  EngineHost& host() override { return host_; }
  ob::SamplePool& samplePool() override;
  ob::KeptDocument& keptDocument() override { return kept_; }
  EditorClipboard& clipboard() override { return clipboard_; }
  UndoHistory& undoHistory() override { return undoHistory_; }
  std::int32_t selectedPart() const override { return selectedPart_; }
  std::int32_t selectedTrack() const override { return selectedTrack_; }
  std::int32_t selectedCell() const override { return selectedCell_; }
  std::int32_t selectedSound() const override;
  void setSelectedTrack(std::int32_t track) override {
    selectedTrack_ = track;
    selectedCell_ = -1;
  }
  void setSelectedStep(std::int32_t step) override { selectedCell_ = step; }
  void selectPart(std::int32_t part) override;
  void apply(ob::EditCommand& command) override;
  void pushUndo() override;
  void pushUndoCoalesced() override;
  void commitProject(bool keepPosition) override;
  void markReplaced(const ob::ReplacedOwners& replaced) override;
  void publishSamples() override;
  void toggleMute(std::int32_t track) override;
  void audition(const ob::Sound& sound, float level, ob::OutputGains gains) override;
  void refresh() override;
  void benchChanged() override {}
  // As a diagnostic "editor-status" with an empty path: a warning for
  // Changed, an error for Failed.
  void tellHost(std::string_view text, StatusKind kind) override;
  void sayOnStatusLine(SaidLine said, StatusKind kind) override { setStatus(std::move(said), kind); }

  // Each only when its history holds something; the restored project is
  // posted with the play position kept.
  void undo();
  void redo();
  const UndoHistory& redoHistory() const { return redoHistory_; }
  EditActions& editActions() { return editActions_; }

  EditorPage page() const { return page_; }
  // Shows the bench or the samples page from this frame on; the bench is
  // rebuilt as it comes back.
  void showPage(EditorPage page);
  HeaderBar& headerBar() { return headerBar_; }
  SamplesPage& samplesPage() { return samplesPage_; }

  // Project files (editor_files.cpp). A failure changes nothing but the
  // status line. An open tells the host's log what it found. A save over
  // the file opened last, when its open left entries out, first asks
  // (saveQuestion) and saves only once the user says so: from a frame, or
  // answerSaveQuestion where none is drawn. What the open left out is kept
  // with the instance's kept document, so a reopened editor asks too.
  bool openProject(const std::filesystem::path& path);
  bool saveProject(const std::filesystem::path& path);
  const SaveQuestion& saveQuestion() const { return saveQuestion_; }
  // True when the answer saved the file.
  bool answerSaveQuestion(SaveAnswer answer);

  // Kit commands; the save form and the browser open under the header's
  // kit field from the next frame.
  void newKit() { kitBrowser_.newKit(); }
  void openKitSaveForm();
  void browseKits();
  // -1 the previous kit of the library, +1 the next.
  void stepKit(int step) { kitBrowser_.stepKit(step); }
  // The selected part differs from the kit as last loaded, saved or opened.
  bool kitModified() { return kitBrowser_.isModified(revision_); }
  MacroPanel& macroPanel() { return macroPanel_; }
  KitBrowser& kitBrowser() { return kitBrowser_; }
  // The header's kit field in the latest frame, its arrows at the right.
  const ui::Rect& kitField() const { return kitAnchor_; }

  // The status line, whose news the host's log hears too (tellHost): the
  // whole of what it says (SaidLine) is what the line's hover shows and the
  // log hears. Everything the editor says there comes this way.
  void setStatus(SaidLine said, StatusKind kind, StatusName name = {});
  void setStatus(FileStatus status, StatusKind kind) { setStatus(std::move(status), kind, status.name); }
  void setStatus(std::string text, StatusKind kind, StatusName name = {}) {
    setStatus(SaidLine{std::move(text), {}}, kind, name);
  }
  void setStatus(std::string text, bool error, StatusName name = {}) {
    setStatus(std::move(text), error ? StatusKind::Failed : StatusKind::Done, name);
  }
  const std::string& statusText() const { return status_.text; }
  // Empty when the text says it whole.
  const std::string& statusWhole() const { return status_.whole; }
  bool statusError() const { return statusError_; }

  // Renders are waiting for later frames: an audition, or pictures of the
  // bench shown now (also while their 100 ms between renders runs).
  bool rendersPending() const;
  // Whatever is pending, now.
  void finishRenders();
  // Milliseconds of each frame for renders; 0 gives one piece a frame.
  void setRenderShare(double ms) { renderShareMs_ = ms; }

  std::uint64_t revision() const { return revision_; }
  double nowMs() const { return nowMs_; }
  // Steps plus the fraction towards the next, -1 while stopped; the step
  // the playhead entered this frame, else -1.
  float playhead() const { return playhead_; }
  std::int32_t playheadStepChanged() const { return playheadStepChanged_; }
  const std::vector<float>& auditionBuffer(int index) const { return audition_.buffer(index); }
  std::uint32_t auditionIndex() const { return audition_.index(); }
  BenchPage& benchPage() { return benchPage_; }
  BenchController& bench() { return bench_; }

 private:
  // Pushes a copy of the editor project (the oldest goes beyond 32) and
  // empties the redo history.
  void pushSnapshot();
  // The last coalesced edit lies less than 450 ms back.
  bool coalescing() const;
  // An edit's snapshot: one frame takes at most one.
  void snapshotForEdit();
  // Undo and redo: the newest state of one history replaces the project,
  // which goes to the other.
  void restore(UndoHistory& from, UndoHistory& to);
  // Undo and redo close the coalescing window: the next drag starts a
  // snapshot of its own.
  void endCoalescing();
  // What a fresh project asks of the view: no history, the first part, no
  // step, no macro selected and the kit as it came as the clean state.
  void startOver();
  // What the project lacks now: the slots whose sample cannot play, and
  // why, then the entries its file left out (lacksLine).
  SaidLine lacks() const;
  // The status line says what the project lacks, and keeps saying what
  // holds as samples come in, after any load: a repair clears it. The host
  // hears it unless it heard it before (a reopened editor says it again).
  void showLacks(bool tell = true);
  // The status line alone: everything else says it through setStatus.
  void showStatus(SaidLine said, bool error, StatusName name);
  // The host loaded a state: the histories hold another project and the
  // selection may point past it.
  void followStateLoad();
  // What the load and the kit's file kept with an owner that the edit just
  // made took or replaced goes (ob::letGoOnEdit), to be said with what the
  // edit says, or on its own at the frame's end (sayWhatWasLetGo).
  void letGoWhatTheEditTook();
  // The next edit starts from the project and what is kept as they are.
  void keptFollowsProject();
  void sayWhatWasLetGo();
  void followLacks();
  // Writes the project file; a save over the opened file leaves it
  // holding no entry the open left out.
  bool writeProject(const std::filesystem::path& target);
  bool takeAnswer(const SaveQuestion::Answered& answered);

  // Frame stages (editor_frame.cpp).
  // The macros the host moves, as bits: a NaN equals itself.
  using MacroValues = std::array<std::uint32_t, ob::kMacroCount>;
  MacroValues hostMacros() const;
  void keepHouse(double time);
  void followPlayhead();
  // The tempo the pattern plays at now: the host's while its transport
  // drives the engine, else the part's own.
  float playingTempo() const;
  void handleEditShortcuts();
  // What the kit browser and the macros panel had to say, onto the status
  // line.
  void takePanelStatus();
  void runRenders();
  // The header and what it reports, and the bands and page under it
  // (editor_header.cpp).
  HeaderBarResult drawHeaderBar(const ui::FrameInfo& frame, ui::Rect& content);
  void runHeaderResults(const HeaderBarResult& header);
  void runKitCommands(const HeaderBarResult& header);
  void drawBelowHeader(ui::Rect content);

  EngineHost& host_;
  ob::KeptDocument& kept_;
  EditorSession& session_;
  HostReport report_;
  SaveQuestion saveQuestion_;
  double nowMs_ = 0.0;    // the frame's time: the clock of undo coalescing
  bool started_ = false;  // the first frame's start-up work is done
  std::uint64_t revision_ = 0;
  std::int32_t selectedPart_ = 0;
  std::int32_t selectedTrack_ = 0;
  // The step last chosen; the bench edits it only while it holds a hit.
  std::int32_t selectedCell_ = -1;
  double housekeepingInterval_ = 1.0 / 30.0;
  double nextHousekeeping_ = 0.0;
  std::int32_t lastStep_ = -1, prevStep_ = -1;
  double lastStepTime_ = 0.0, prevStepTime_ = 0.0;
  std::int32_t shownStep_ = -1;
  float playhead_ = -1.0f;
  std::int32_t playheadStepChanged_ = -1;
  UndoHistory undoHistory_;
  UndoHistory redoHistory_;
  double lastCoalescedPush_ = 0.0;
  // nowMs of the last snapshot an edit took; NaN when none since the last
  // undo or redo.
  double lastEditSnapshot_;
  EditorClipboard clipboard_;
  EditActions editActions_;
  EditorPage page_ = EditorPage::Bench;
  HeaderBar headerBar_;
  SampleCreditsWindow credits_;
  PanelHost panelHost_;
  MacroPanel macroPanel_;
  BenchPage benchPage_;
  BenchController bench_;
  SamplesPage samplesPage_;
  KitBrowser kitBrowser_;
  ui::Rect kitPanelRect_;  // where the kit browser's popups open
  ui::Rect kitAnchor_;     // the header's kit field in the latest frame
  SaidLine status_;
  bool statusError_ = false;
  StatusName statusName_;  // the file name in the status text, which may give way
  // What the status text says the project lacks, which it follows; empty
  // when it follows nothing.
  std::string statusLacks_;
  Audition audition_;
  // The project as the last edit left it, while anything kept has an owner
  // an edit may take; what was kept then; what the edit under way replaced
  // wholesale; and the names of what edits let go, not said yet.
  std::unique_ptr<ob::Project> beforeEdit_;
  ob::SharedKeptRecords keptBeforeEdit_;
  std::shared_ptr<const ob::KitFileKept> kitBeforeEdit_;
  ob::ReplacedOwners replaced_;
  std::vector<std::string> letGo_;
  double renderShareMs_ = RenderBudget::kFrameShareMs;
  // The macros as the last frame drew them.
  MacroValues shownMacros_{};
};

}  // namespace orbi
