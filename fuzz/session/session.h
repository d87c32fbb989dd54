#pragma once
// One session: a fresh plug-in instance with its editor open, through
// which the actions of an input run in order, each followed by the host's
// main-thread pass and the checks of what the instance then holds, and each
// save by the checks of what it wrote. A broken rule ends the process with
// the rule, what broke it and the actions that led there.
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "document/reading/byte_source.h"
#include "fuzz/kept_findings.h"
#include "fuzz/session/actions.h"
#include "fuzz/session/content.h"
#include "fuzz/session/hosted.h"
#include "fuzz/session/mappings.h"
#include "fuzz/session/outside.h"
#include "fuzz/session/rules.h"

namespace obsession {

// What the instance may hold past what its content needs: this share of
// it, and a constant over what it held at the start.
inline constexpr double kHeldShare = 1.3;
inline constexpr std::uint64_t kSlack = 8ull << 20;

// OB_SESSION_VERBOSE set: each action's measures on standard error.
bool verbose();
std::string mib(std::uint64_t bytes);
// Lines of a log under a message, indented.
std::string joined(const std::vector<std::string>& lines);

struct DataFiles {
  std::filesystem::path folder;
  std::vector<std::string> names;  // sorted
};

// Records as held, to ask whether one is among them as it is.
class HeldRecords {
 public:
  explicit HeldRecords(const std::vector<ob::KeptRecord>& records);
  bool has(const ob::KeptRecord& r) const { return keys_.contains(keyOf(r)); }
  const std::set<std::string>& keys() const { return keys_; }

 private:
  static std::string keyOf(const ob::KeptRecord& r);
  std::set<std::string> keys_;
};

class Session {
 public:
  Session(Outside& outside, const DataFiles& data);
  ~Session();
  void run(std::span<const Action> actions);

 private:
  // What the user knows of what the instance holds.
  struct LastLoad {
    Built built;
    std::vector<std::string> said;  // the load's findings, as logged
    // What the load kept for the next save as it kept it then, whatever
    // later actions do to the instance's: the members it kept unknown, the
    // values it read otherwise and the voices the project had (its document
    // only as being there: the checks read it from the file).
    ob::KeptDocument kept;
    std::uint64_t keptCost = 0;  // the heap `kept` takes, the target's own
  };
  // What an undo or a redo brings back: what the instance held as the
  // edit it takes back began, or as the undo it takes back did.
  struct Held {
    std::unique_ptr<ob::Project> project;
    std::set<std::string> records;
    std::string kitFile;               // the kit file's kept part: its reference, records and what went
    std::vector<std::string> entries;  // the names of the entries the load kept
    std::uint64_t cost = 0;            // the heap it takes, the target's own
  };
  // The editor's histories as the action began.
  struct HistoryBefore {
    Held held;
    std::size_t undo = 0;
    std::size_t redo = 0;
    const void* newest = nullptr;  // the undo history's newest entry
  };
  // A project save that waits for the question's answer.
  struct PendingSave {
    std::filesystem::path target;
    std::optional<std::string> before;  // the file's digest before the save
  };
  // What a save wrote, checked once the action's measures are taken.
  struct SaveToCheck {
    std::filesystem::path file;
    bool state = false;
    bool overOpened = false;   // over the file whose open left entries out
    std::string answeredWith;  // the question's answer; empty when none was asked
  };

  void perform(const Action& action);
  // A user's.
  void loadState(const Action& action);
  void loadFile(const Action& action);
  void open(const Action& action);
  void import(const std::filesystem::path& file, const UserFile* known, std::string_view damage);
  void importGood(const Action& action);
  // A value edited as the editor's gestures and the host send it.
  void edit(const ob::EditCommand& command);
  void saveState(const Action& action);
  void saveProject(const Action& action);
  void answer(const Action& action);
  void kit(const Action& action);
  void paste(const Action& action);
  // A host's.
  void activate(double rate, std::uint32_t block);
  void deactivate();
  void start();
  void stop();
  void blocks(const Action& action);
  // The outside world's.
  void touchOpenedFile(const Action& action);

  orbi::EditorView& editor();
  // After a load that replaced the project and pool: what the user now has.
  void tookLoad(Built built, bool openedFile, const std::filesystem::path& opened);
  void replacedWhilePlaying();
  // The end of a project save (at once, or once answered).
  // The project file a save writes now would pass the file-size limit.
  bool pastFileSizeLimit();
  void finishProjectSave(const PendingSave& save, bool wrote, const std::string& answeredWith);

  // The checks.
  // `ringingBefore`: what a voice could read as the action began, which
  // its peak may still hold (a stop frees it only as it ends them).
  void checkHoldings(const Need& before, std::uint64_t ringingBefore, bool replacing);
  void checkStatusLine();
  // Whether the host's log heard what the editor said since the action
  // began, as its own line ("editor-status"); takes the log.
  bool inTheLog(const std::string& said);
  void checkSave(const SaveToCheck& save);
  // Checks the saved package's entries against those of the last load,
  // read from `loaded` (null when there was none); gives its document's text.
  std::string checkSavedFiles(const std::vector<std::uint8_t>& document, const SaveToCheck& save,
                              const ob::ByteSource* loaded);
  // What the last load read and kept, the save keeps, whatever came since.
  void checkKeepsWhatTheLoadRead(const ob::ByteSource& loaded, const std::vector<std::uint8_t>& document);
  // A value the load read otherwise is saved as it was read, unless an edit
  // since changed what plays there; gives their paths.
  std::vector<std::vector<std::string>> checkValuesReadOtherwise(obfuzz::PointerWalk& saved);
  // The records the last load kept that edits let go since, each said so.
  std::vector<ob::KeptRecord> checkLetGoSaid();
  // What an edit let go, said, the save holds none of.
  void checkHoldsNoneOf(const std::vector<ob::KeptRecord>& letGo, obfuzz::PointerWalk& saved);
  // What the instance holds of what the load kept, and the project, as an
  // action begins; then what the editor said the action let go of it,
  // which the instance holds no more until an undo brings it back.
  void noteKeptBefore();
  void checkSaidGone(const Action& action);
  void checkAudition(const std::string& text, const ob::Project& played, const ob::KeysAsLoaded& keys);
  // The undo and redo histories followed through an action: the entry it
  // made, or the one an undo or a redo took, which must bring back exactly
  // what the instance held when it was made.
  Held heldNow();
  std::uint64_t historiesCost() const;
  HistoryBefore historyNow();
  void followHistory(const Action& action, HistoryBefore before);
  void checkBroughtBack(const Held& expected, const Held& before, const char* by);
  [[noreturn]] void broken(const std::string& rule, const std::string& detail);

  Outside& outside_;
  const DataFiles& data_;
  ContentMaker maker_;
  std::unique_ptr<Hosted> hosted_;
  std::vector<std::string> trace_;

  std::optional<LastLoad> lastLoad_;
  std::vector<UserFile> held_;          // files the slots play that the user brought
  std::vector<DamagedSample> damaged_;  // entries kept unplayed, not yet mended
  std::vector<UserFile> imported_;
  std::set<std::string> importedSince_;         // digests of the files imported since the last load
  std::vector<std::string> saidSinceLoad_;      // what the editor's status line said since the last load
  ob::SharedKeptRecords keptBefore_;            // the instance's as the action began
  bool ownedBefore_ = false;                    // they held records an edit can let go
  std::unique_ptr<ob::Project> projectBefore_;  // the project then, when they did
  std::vector<ob::KeptRecord> saidGone_;        // said let go since the last load, and not undone
  // What the instance held at each entry of the editor's undo and redo
  // histories, newest last; none for one the target did not see made.
  std::deque<std::optional<Held>> undoHeld_;
  std::deque<std::optional<Held>> redoHeld_;
  std::filesystem::path opened_;          // the project file opened last
  std::vector<std::string> openLeftOut_;  // the entries its open left out
  std::filesystem::path lastNew_;
  std::optional<PendingSave> pending_;
  std::vector<SaveToCheck> saves_;
  int made_ = 0;

  bool active_ = false;
  bool processing_ = false;
  std::uint32_t maxBlock_ = 512;
  std::uint64_t retired_ = 0;  // audio of pools replaced while voices may ring
  bool replaced_ = false;      // the action replaced the project and pool

  std::uint64_t heapBase_ = 0;
  std::uint64_t diskBase_ = 0;
  MappingsHeld mappingsBase_;  // none the instance made: all go with it
  std::uint64_t constant_ = 0;
  std::uint64_t activation_ = 0;  // the most an activation took
  std::uint64_t activated_ = 0;   // what the last one took, which the next gives back
  // What an activation at a rate and a block took the first time: another
  // at the same takes no more, so that one that kept what it took before
  // shows as the instance holding more.
  std::map<std::pair<double, std::uint32_t>, std::uint64_t> activationCost_;
};

}  // namespace obsession
