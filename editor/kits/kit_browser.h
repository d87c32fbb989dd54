#pragma once
// The kit library of the editor: a popup list of the built-in kits and the
// kit files of a library folder, filtered by a text, from which a click
// loads a kit into the selected part; a save form that names, tags and
// writes the current kit, asking before it replaces another kit's file; a
// blank new kit; stepping to the previous or next kit; the library folder's
// choice; and the test whether the selected part differs from the kit as
// last loaded or saved, which, with the folder chosen, outlives the
// editor's window in the kit session. It changes the project only
// as a whole, through the root view's undo snapshot and whole-project post, and
// keeps its latest message until the frame moves it to the status line.
// Main thread, inside the root view's frame; nothing here throws for
// file-system trouble.

#include <imgui.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "content/kits/kit_library.h"
#include "document/legacy/legacy_writer.h"
#include "editor/kits/kit_session.h"
#include "editor/panel_context.h"
#include "editor/project_files.h"
#include "editor/status_kind.h"
#include "engine/model/machine_change.h"
#include "engine/model/project.h"
#include "ui/controls/virtual_list.h"
#include "ui/geometry.h"

namespace orbi {

// A blank part on the heap: default tracks and kit, no tracks in use, no
// active step, 16 steps at 120 BPM.
std::unique_ptr<ob::Pattern> newEmptyPart();

// The kit file name for a kit name: characters that file systems refuse
// become underscores, an empty name becomes "kit", and ".kit.orbi" follows
// unless the name ends so already (in any case); a name's ".orbi" or ".obk"
// gives way to it.
std::string kitFileName(std::string_view kitName);

class KitBrowser {
 public:
  // What the browser says, with the kit's or file's name in the text,
  // which may give way.
  struct Status : FileStatus {
    StatusKind kind = StatusKind::Done;
    ob::Diagnostics findings;  // a load's, for the host's log
  };

  // The session outlives the browser: a browser of the next window goes on
  // from what it holds.
  KitBrowser(PanelContext& context, KitSession& kitSession) : session(kitSession), ctx_(context) {}

  // The folder dialog's result, then the browser and the save form at the
  // anchor. Every frame.
  void draw(const ui::Rect& anchor);
  // The selected part's kit as it is now becomes the unmodified state, and
  // the library entry given its own: the reference of the built-in kit or
  // the file it was loaded from or saved to; none for a kit that came from
  // elsewhere (new, a project).
  void markClean(const std::string& reference = {});
  // A window's first frame: the clean state the session holds goes on,
  // else the kit as it is now becomes it.
  void resume();
  // Whether the selected part's kit differs from the last clean state; the
  // kit text is built at most once per revision.
  bool isModified(std::uint64_t revision);
  void newKit();
  void prefillSaveForm();
  // Clears the filter, lists the library and selects the part's kit; the
  // browser opens on the next draw.
  void syncSelection();
  // -1 the previous entry of the library, +1 the next, wrapping; from the
  // entry last loaded or saved, else from the first entry of the kit's name.
  void stepKit(int step);

  bool loadKit(const ob::KitEntry& entry);
  // The message of a kit load or a new kit also says what of the user's
  // steps the kit's sounds lack and let go.
  void reportGone(const std::vector<ob::GoneRef>& gone);
  void rescan();
  void applyFilter();
  // The save form's Save: writes the kit under the form's name, unless
  // that replaces a kit file other than this kit's own, which is asked
  // about first (replacing is set and false returned while the question
  // waits). True once written or failed. A file that holds a kit of
  // another name (two names that file names cannot tell apart, as "A/B"
  // and "A_B") is left alone: the kit goes to the first free "name 2",
  // "name 3", ... When that file is this kit's own, the question offers
  // both: replacing it (a rename) or keeping both (beside is set). A name
  // longer than a kit's name holds, or too long for a file name, is
  // refused with saveNotice, and false.
  bool saveKit();
  // The answers to the question: writes over the file asked about, or
  // keeps it and saves beside it (asking again should that replace
  // another kit's file; false then).
  void confirmReplace();
  bool keepBoth();
  // The chosen folder while it exists, else the default "kits" folder,
  // created when missing. Touches the disk: asked at a rescan or a save.
  std::filesystem::path libraryFolder();
  void drawBrowser(const ui::Rect& anchor);
  void drawSavePanel(const ui::Rect& anchor);
  void paintRow(ImDrawList* dl, const ui::ListRow& row) const;
  // The second line of a row: tags, author, and "built-in" or the kit's
  // file, so that a user kit is told from a built-in one of its name.
  static std::string rowDetail(const ob::KitEntry& entry);
  // What the list says of the kit files it left out: the first, why, and
  // how many more; empty when none.
  FileStatus leftOutStatus() const;
  // Whether the form's name is a built-in kit's: the kit saved under it
  // sits beside the built-in one in the library.
  bool namesABuiltInKit(std::string_view name);

  KitSession& session;  // what outlives the window: the clean kit, its entry, the folder chosen
  bool modified = false;
  std::uint64_t lastRevision = 0;
  std::uint64_t comparedRevision = 0;
  std::vector<ob::KitEntry> entries;   // built-in kits first, then the folder's files
  std::vector<std::int32_t> filtered;  // indices into entries of the rows shown
  std::int32_t selectedRow = -1;       // index into filtered
  bool browserPending = false;
  bool revealSelection = false;  // scroll the selected row into view on the next draw
  bool savePending = false;
  std::string filter;
  std::string saveName;
  std::string saveTags;
  std::filesystem::path replacing;       // the save form asks whether to replace this file; empty: not asking
  std::filesystem::path beside;          // with replacing, the file that keeps both; empty: not offered
  std::string replacedKit;               // with beside, the name of the kit the asked-about file holds
  std::string saveNotice;                // why the form's name was refused; shown until the name changes
  std::filesystem::path resolvedFolder;  // the library folder as last resolved, shown in the popup
  std::optional<Status> pendingStatus;   // taken by the frame
  std::vector<ob::KitScanProblem> leftOut;  // kit files the last listing could not read
  // The kit text of a part: a seam so that tests can count the builds.
  std::string (*kitText)(const ob::Pattern&) = &ob::patternToJsonText;

 private:
  ob::Pattern& part();
  std::string kitName();
  void report(std::string text, StatusKind kind, StatusName name = {}) {
    pendingStatus = Status{{{std::move(text), {}}, name}, kind, {}};
  }
  // The verb, the name and, when given, ": " and the reason; the name may
  // give way on the status line.
  void report(std::string_view verb, std::string_view name, std::string_view reason, StatusKind kind);
  // After a load: what the kit lacks (tracks without their samples) and
  // what its file held unread, with the load's findings for the host's log.
  void reportLoaded(const std::string& name, ob::Diagnostics findings);
  // The save form's note, said on the status line too.
  void noteOnForm(std::string note, StatusKind kind) {
    saveNotice = note;
    report(std::move(note), kind);
  }
  // The save form's question, each sentence wrapped to the form's width:
  // the file and what it holds, then what the buttons answer.
  struct Question {
    std::vector<std::string> said;
    std::vector<std::string> asked;
  };
  Question question(float width) const;
  void runBrowser(ImVec2 size);
  void runSavePanel(ImVec2 size, const std::optional<Question>& asking);
  void runReplaceQuestion(ui::Rect r, const Question& asking);
  // Where the form's name saves to; empty without a library folder.
  std::filesystem::path saveTarget(const std::string& fileName);
  // The file the form's name, whose file name comes from base, saves to:
  // its own, or the first numbered one beside a file of another kit.
  std::filesystem::path targetFor(const std::string& base);
  bool replacesAnotherKit(const std::filesystem::path& target) const;
  // Writes to the target, or asks first when that replaces another kit's
  // file (false then).
  bool writeOrAsk(const std::filesystem::path& target);
  // The name of the kit the file holds; none when it holds no readable kit.
  static std::optional<std::string> heldKitName(const std::filesystem::path& file);
  // Whether the file holds a readable kit whose name is not the one given.
  static bool holdsAKitNamedOtherwise(const std::filesystem::path& file, const std::string& name);
  // The index of the entry the part's kit came from, else -1.
  int currentEntry();
  void writeKit(const std::filesystem::path& target);
  void chooseFolder();
  void deleteSelected();

  PanelContext& ctx_;
  bool folderDialogWanted_ = false;        // asked inside the popup, filed in draw's id scope
  std::vector<std::string> builtInNames_;  // listed once: the built-in kits never change
};

}  // namespace orbi
