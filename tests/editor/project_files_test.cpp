// Opening and saving project files from the editor, and the names it
// saves under.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

#include "document/archive/sha256.h"
#include "document/archive/zip_writer.h"
#include "document/instance/instance_state.h"
#include "document/json/json_write.h"
#include "document/package/package.h"
#include "document/project/project_save.h"
#include "document/wav/wav.h"
#include "editor/project_files.h"
#include "editor_rig.h"
#include "engine/model/demo_project.h"
#include "support/ui/ui_harness.h"
#include "ui/context.h"
#include "ui/draw/text.h"
#include "ui/header/header_status.h"

namespace orbi::test {
namespace project_files_test {

namespace fs = std::filesystem;

std::vector<char> fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProjectFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("orbi-editor-files-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    rig.frames(1);
  }
  void TearDown() override { fs::remove_all(folder); }
  float& firstParam() { return rig.project().patterns[0].kit.sounds[rig.view().selectedSound()].params[0]; }

  fs::path folder;
  EditorRig rig;
};

// A name is kept whole; only the project family's own endings give way,
// and endings are compared in any case.
TEST(ProjectSuffix, KeepsTheNameWholeAndReplacesOnlyTheFamilysEndings) {
  struct Case {
    const char* given;
    const char* saved;
  };
  for (const Case c :
       {Case{"beat", "beat.project.orbi"}, Case{"Song ft. Anna", "Song ft. Anna.project.orbi"},
        Case{"Mix 2024.03.15", "Mix 2024.03.15.project.orbi"}, Case{"v2.0", "v2.0.project.orbi"},
        Case{"beat.v2", "beat.v2.project.orbi"}, Case{"Backup 1.4", "Backup 1.4.project.orbi"},
        Case{"Backup 1.5", "Backup 1.5.project.orbi"}, Case{"a.b.c", "a.b.c.project.orbi"},
        Case{".hidden", ".hidden.project.orbi"}, Case{"beat.json", "beat.project.orbi"},
        Case{"beat.OBP", "beat.project.orbi"}, Case{"beat.Orbi", "beat.project.orbi"},
        Case{"x.kit.orbi", "x.kit.project.orbi"}, Case{".json", ".json.project.orbi"},
        Case{"kit.PROJECT.ORBI", "kit.PROJECT.ORBI"}, Case{"SONG.PROJECT.ORBI", "SONG.PROJECT.ORBI"},
        Case{"x.project.orbi", "x.project.orbi"}}) {
    SCOPED_TRACE(c.given);
    EXPECT_EQ(withProjectSuffix(fs::path("/some/dir") / c.given), fs::path("/some/dir") / c.saved);
  }
  EXPECT_EQ(fileNameOf("/a/b/song.project.orbi"), "song.project.orbi");
}

// Over random names of letters, digits, blanks and dots: a completed name
// is complete, and a name without an ending of the family is the start of
// its file's name, so that two such names never share a file.
TEST(ProjectSuffix, TwoNamesNeverBecomeOneFile) {
  std::mt19937 random(0x5EED);
  const std::string alphabet = "aBo.j 1rnpstbcO.";
  const auto endsInTheFamily = [](std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& ending : projectFamilyEndings())
      if (name.size() > ending.size() && name.ends_with("." + ending)) return true;
    return name.ends_with(".project.orbi");
  };
  std::map<fs::path, std::string> files;
  for (int i = 0; i < 4000; ++i) {
    std::string name(1 + random() % 12, ' ');
    for (char& c : name) c = alphabet[random() % alphabet.size()];
    if (name == "." || name == ".." || name.find_first_not_of(' ') == std::string::npos) continue;
    SCOPED_TRACE(name);
    const fs::path saved = withProjectSuffix(fs::path("/d") / name);
    EXPECT_EQ(withProjectSuffix(saved), saved);
    if (endsInTheFamily(name)) continue;
    EXPECT_EQ(saved.filename().string(), name + ".project.orbi");
    const auto [at, added] = files.emplace(saved, name);
    EXPECT_TRUE(added || at->second == name) << at->second << " and " << name << " share " << saved;
  }
  EXPECT_GT(files.size(), 1000u);
}

TEST_F(ProjectFiles, SaveChangeOpenGivesTheSavedProject) {
  rig.activate();
  firstParam() = 0.31f;
  ASSERT_TRUE(rig.view().saveProject(folder / "song"));
  EXPECT_EQ(rig.view().statusText(), "Saved song.project.orbi");
  EXPECT_FALSE(rig.view().statusError());
  ASSERT_TRUE(fs::exists(folder / "song.project.orbi"));

  ob::EditCommand c = soundParamEdit(0.9f);
  rig.view().apply(c);
  rig.view().setSelectedStep(3);
  ASSERT_FALSE(rig.view().undoHistory().empty());
  const std::uint64_t revision = rig.view().revision();

  ASSERT_TRUE(rig.view().openProject(folder / "song.project.orbi"));
  EXPECT_EQ(rig.view().statusText(), "Opened song.project.orbi");
  EXPECT_FALSE(rig.view().statusError());
  EXPECT_FLOAT_EQ(firstParam(), 0.31f);
  EXPECT_TRUE(rig.view().undoHistory().empty());
  EXPECT_TRUE(rig.view().redoHistory().empty());
  EXPECT_EQ(rig.view().selectedStep(), -1);
  EXPECT_GT(rig.view().revision(), revision);
  rig.audioBlock();
  EXPECT_TRUE(sameBytes(rig.engineHost().engine.project(), rig.project()));

  // What was opened saves to the same bytes.
  ASSERT_TRUE(rig.view().saveProject(folder / "again.project.orbi"));
  EXPECT_EQ(fileBytes(folder / "again.project.orbi"), fileBytes(folder / "song.project.orbi"));
}

TEST_F(ProjectFiles, AFailedOpenChangesNothing) {
  std::ofstream(folder / "bad.project.orbi", std::ios::binary) << "{ not a project";
  struct Case {
    const char* name;
    const char* reason;  // what the reason starts with; empty: any
  };
  for (const Case c : {Case{"bad.project.orbi", ""}, Case{"missing.project.orbi", "no such file"}}) {
    SCOPED_TRACE(c.name);
    ob::EditCommand edit = soundParamEdit(0.55f);
    rig.view().apply(edit);
    const ob::Project before = rig.project();
    const std::size_t undo = rig.view().undoHistory().size();
    EXPECT_FALSE(rig.view().openProject(folder / c.name));
    const std::string prefix = std::string("Could not open ") + c.name + ": ";
    ASSERT_EQ(rig.view().statusText().rfind(prefix, 0), 0u) << rig.view().statusText();
    EXPECT_EQ(rig.view().statusText().rfind(prefix + c.reason, 0), 0u) << rig.view().statusText();
    EXPECT_GT(rig.view().statusText().size(), prefix.size());
    EXPECT_TRUE(rig.view().statusError());
    EXPECT_TRUE(sameBytes(rig.project(), before));
    EXPECT_EQ(rig.view().undoHistory().size(), undo);
    rig.frames(30);
  }
}

// An open that leaves samples out says which and why: they play silent,
// and a user who hears nothing is not left to guess. Their files outlast
// edits, undo and redo: the next save holds them.
TEST_F(ProjectFiles, AnOpenSaysWhichSamplesItLeftOutAndWhy) {
  std::vector<float> hot(64, 0.5f);
  hot[9] = 1e30f;
  const std::vector<std::uint8_t> damaged = ob::encodeWav(hot.data(), nullptr, 64, 44100.0);
  const std::vector<float> fine(64, 0.25f);
  struct Case {
    const char* file;
    int damagedSlots;
    const char* reason;  // the status after the name; empty: none
  };
  for (const Case c :
       {Case{"fine.project.orbi", 0, ""},
        Case{"one.project.orbi", 1, "Slot 0 (s0.wav) cannot play: float samples far past full scale"},
        Case{"two.project.orbi", 2, "Slots 0 and 1 cannot play; slot 0 (s0.wav): float samples far past"}}) {
    SCOPED_TRACE(c.file);
    ob::Project project;
    ob::buildDemoProject(project);
    ob::SamplePool pool;
    project.samples.count = 3;
    for (int i = 0; i < 3; ++i) {
      ob::copyText(project.samples.slots[i].name, ("s" + std::to_string(i) + ".wav").c_str());
      ob::SampleAudio audio;
      audio.file = ob::HeldSampleFile{
          i < c.damagedSlots ? damaged : ob::encodeWav(fine.data(), nullptr, 64, 44100.0), {}};
      ASSERT_EQ(i, pool.replaceSlot(static_cast<std::uint32_t>(i), std::move(audio)));
    }
    const std::vector<std::uint8_t> bytes = ob::writeProjectDocument(project, pool, {});
    std::ofstream(folder / c.file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(rig.view().openProject(folder / c.file));
    const std::string opened = std::string("Opened ") + c.file;
    if (*c.reason == '\0') {
      EXPECT_EQ(rig.view().statusText(), opened);
      EXPECT_FALSE(rig.view().statusError());
    } else {
      // What was left out first, so that a short status line shows it.
      EXPECT_TRUE(rig.view().statusText().starts_with(c.reason)) << rig.view().statusText();
      EXPECT_TRUE(rig.view().statusText().ends_with("; opened " + std::string(c.file)));
      EXPECT_TRUE(rig.view().statusError());
    }
    ob::EditCommand duplicate{};
    duplicate.kind = ob::kEditDuplicateTrack;
    rig.view().apply(duplicate);
    rig.view().undo();
    rig.view().redo();
    ASSERT_TRUE(rig.view().saveProject(folder / "again"));
    const std::vector<char> again = fileBytes(folder / "again.project.orbi");
    ob::Diagnostics d;
    const auto saved = ob::readPackage(reinterpret_cast<const std::uint8_t*>(again.data()), again.size(),
                                       "instance.json", d);
    const std::string digest = ob::sha256Hex(damaged.data(), damaged.size());
    ASSERT_TRUE(saved);
    const std::vector<std::uint8_t>* kept = ob::findAsset(*saved, digest);
    EXPECT_EQ(kept != nullptr, c.damagedSlots > 0);
    EXPECT_TRUE(kept == nullptr || *kept == damaged);
    int naming = 0;
    for (const ob::JsonMember& m : saved->document.find("assets")->members)
      naming += m.value.text == "asset:" + digest;
    EXPECT_EQ(naming, c.damagedSlots);
    // Opened again and mended, the slots play: the line follows them.
    ASSERT_TRUE(rig.view().openProject(folder / c.file));
    for (int i = 0; i < c.damagedSlots; ++i) {
      ob::SampleAudio good;
      good.file = ob::HeldSampleFile{ob::encodeWav(fine.data(), nullptr, 64, 44100.0), {}};
      ASSERT_EQ(i, rig.engineHost().pool.replaceSlot(static_cast<std::uint32_t>(i), std::move(good)));
    }
    rig.view().publishSamples();
    EXPECT_EQ(rig.view().statusText(), c.damagedSlots > 0 ? "" : opened);
    rig.frames(2);
  }
}

// An open that leaves an entry of the file out (past what a load keeps
// unread) names it on the status line and in the host's log, and a save
// over that file asks before it writes the file without it.
TEST_F(ProjectFiles, AnOpenSaysWhichEntriesItLeftOutAndASaveOverTheFileAsks) {
  ob::Project project;
  ob::buildDemoProject(project);
  ob::Diagnostics d;
  const std::vector<std::uint8_t> bytes =
      *ob::zip::writeZip({{"instance.json", ob::writeProjectDocument(project, {}, {})},
                          {"future/a.bin", std::vector<std::uint8_t>(65u << 20), true}},
                         d);
  const fs::path file = folder / "big.project.orbi";
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(rig.view().openProject(file));
  // What was left out first; the whole line is in its tooltip.
  const std::string leftOut =
      "Left out future/a.bin, which a save does not hold (entries this build does not read are kept up to "
      "64 MiB in all)";
  EXPECT_EQ(rig.view().statusText(), leftOut + "; opened big.project.orbi");
  rig.frames(1);
  const ui::ItemRecord* hover = rig.harness.drawLog().findItem("status");
  ASSERT_NE(hover, nullptr);
  EXPECT_EQ(hover->tooltip, rig.view().statusText());
  int logged = 0;
  for (const auto& line : rig.host.logLines) logged += line.text.starts_with("entry-dropped /future/a.bin: ");
  EXPECT_EQ(logged, 1);
  // A new editor, as a host makes when its window opens again, says so.
  EditorSession session;
  EXPECT_EQ(EditorView(rig.engineHost(), rig.plugin().keptDocument, session).statusText(), leftOut);

  const std::vector<char> before = fileBytes(file);
  EXPECT_FALSE(rig.view().saveProject(file));
  rig.frames(2);
  EXPECT_TRUE(rig.view().saveQuestion().asking());
  EXPECT_NE(rig.view().saveQuestion().text().find("save under another name"), std::string::npos);
  EXPECT_EQ(fileBytes(file), before);
  rig.harness.setKey(ui::Key::Enter, true);
  rig.frames(1);
  rig.harness.setKey(ui::Key::Enter, false);
  rig.frames(1);
  EXPECT_FALSE(rig.view().saveQuestion().asking());
  EXPECT_EQ(fileBytes(file), before) << "Return keeps the file";
  EXPECT_EQ(rig.view().statusText(), "Kept big.project.orbi as it was: not saved");
  EXPECT_FALSE(rig.view().saveProject(file));
  EXPECT_TRUE(rig.view().answerSaveQuestion(SaveAnswer::SaveWithout));
  EXPECT_EQ(rig.view().statusText(), "Saved big.project.orbi without future/a.bin");
  EXPECT_LT(fileBytes(file).size(), before.size());
  EXPECT_TRUE(rig.view().saveProject(file));  // the file holds nothing left out any more
}

// A project without samples whose save could not also hold the factory's
// (its samples hold 1,000 entries no load reads) opens without them, and
// the status line and the host's log say why.
TEST_F(ProjectFiles, AnOpenSaysWhyItAddedNoFactorySamples) {
  ob::Project project;
  ob::buildDemoProject(project);
  ob::JsonValue document = ob::writeInstanceState(project, 0, "0.0.6");
  ob::JsonValue unread = ob::makeJsonObject();
  for (int i = 0; i < 1000; ++i) unread.set("other" + std::to_string(i), ob::makeJsonDouble(i));
  document.find("state")->set("samples", std::move(unread));
  std::ofstream(folder / "kept.project.orbi") << ob::writeJson(document);
  ASSERT_TRUE(rig.view().openProject(folder / "kept.project.orbi"));
  EXPECT_EQ(rig.project().samples.count, 0);
  const std::string why =
      "The factory's samples were not added: the save's document holds more than 1024 entries at "
      "/state/samples";
  EXPECT_TRUE(rig.view().statusText().starts_with(why)) << rig.view().statusText();
  EXPECT_TRUE(rig.view().statusText().ends_with("; opened kept.project.orbi"));
  EXPECT_TRUE(rig.host.logLines.back().text.starts_with("editor-status : " + why));
}

// Entries left out of several: the status line names the first few and
// how many, its hover and the host's log all of them, and so do the
// question and the save after it.
TEST_F(ProjectFiles, AnOpenNamesTheFirstFewEntriesItLeftOutAndAllInTheHover) {
  ob::Project project;
  ob::buildDemoProject(project);
  const std::vector<std::uint8_t> document = ob::writeProjectDocument(project, {}, {});
  const std::vector<std::string> names = {"f/a.bin", "f/b.bin", "f/c.bin", "f/d.bin", "f/e.bin"};
  std::vector<ob::zip::EntryView> views{{"instance.json", document}};
  for (const std::string& name : names) views.push_back({name, document});
  ob::Diagnostics d;
  std::vector<std::uint8_t> bytes = *ob::zip::writeZipViews(views, d);
  // Each of their local headers damaged: the open leaves them out.
  for (std::size_t at = 0; at + 32 < bytes.size(); ++at)
    if (std::memcmp(&bytes[at], "PK\x03\x04", 4) == 0 && std::memcmp(&bytes[at + 30], "f/", 2) == 0)
      bytes[at + 3] = 7;
  const fs::path file = folder / "five.project.orbi";
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
  ASSERT_TRUE(rig.view().openProject(file));
  const std::string why =
      ", which a save does not hold (the entry's header is damaged); opened five.project.orbi";
  EXPECT_EQ(rig.view().statusText(), "Left out 5 entries: f/a.bin, f/b.bin, f/c.bin and 2 more" + why);
  const std::string whole = "Left out 5 entries: f/a.bin, f/b.bin, f/c.bin, f/d.bin and f/e.bin" + why;
  EXPECT_EQ(rig.view().statusWhole(), whole);
  rig.frames(1);
  EXPECT_EQ(rig.harness.drawLog().findItem("status")->tooltip, whole);
  EXPECT_EQ(rig.host.logLines.back().text, "editor-status : " + whole);
  EXPECT_FALSE(rig.view().saveProject(file));
  EXPECT_NE(rig.view().saveQuestion().text().find("opened: f/a.bin, f/b.bin, f/c.bin and 2 more ("),
            std::string::npos);
  EXPECT_TRUE(rig.view().answerSaveQuestion(SaveAnswer::SaveWithout));
  const std::string saved = "Saved five.project.orbi without 5 entries: f/a.bin, f/b.bin, f/c.bin";
  EXPECT_EQ(rig.view().statusText(), saved + " and 2 more");
  EXPECT_EQ(rig.view().statusWhole(), saved + ", f/d.bin and f/e.bin");
}

// A list on the status line says "and 2 more", never "and 1 more"; a line
// gives how many a list holds, and what follows it follows its whole too.
TEST(SaidList, NamesFourWholeAndCountsPastThem) {
  EXPECT_EQ(sayList({"a", "b", "c", "d"}).brief, "a, b, c and d");
  EXPECT_EQ(sayList({"a", "b", "c", "d", "e"}).brief, "a, b, c and 2 more");
  EXPECT_EQ(sayLine("lost ", {"a"}, ", why").text, "lost a, why");
  SaidLine line = sayLine("lost ", {"a", "b", "c", "d", "e"}, ", why", "things");
  line += "; ";
  line += sayLine("kept ", {"f", "g"});
  EXPECT_EQ(line.text, "lost 5 things: a, b, c and 2 more, why; kept 2: f and g");
  EXPECT_EQ(line.whole, "lost 5 things: a, b, c, d and e, why; kept 2: f and g");
}

// At any width the status line shows one of a line's forms whole, or cut
// between whole words and names, never inside one, with an ellipsis; every
// line it draws fits its place.
TEST(SaidList, TheStatusLineCutsBetweenWholeWordsAndNames) {
  std::vector<std::string> words;
  std::istringstream sample(
      "Hit 1 Level Body Length Drive (voice chain) step Twenty-three byte name! of \xC3\x9C"
      "ber");
  for (std::string word; sample >> word;) words.push_back(word);
  std::mt19937 random(101);
  ui::UiHarness harness;
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<std::string> names(1 + random() % 7);
    for (std::string& name : names)
      for (unsigned w = 0, n = 1 + random() % 4; w < n; ++w)
        name += (w ? " " : "") + words[random() % words.size()];
    SaidLine line = sayLine("Closed hat lost ", names, ", which its machine lacks; undo brings them back");
    if (trial % 2)
      line += sayLine("; let go ", {names.back(), names.front()}, ", which a load kept unapplied");
    std::vector<ui::StatusForm> fewer;
    for (const SaidForm& form : line.fewer) fewer.push_back({form.text, 0, 0, form.listsEnd, form.names});
    ui::StatusMessage message{line.text, {}};
    message.keep = line.listsEnd;
    message.fewer = fewer;
    message.names = line.names;
    const float width = 100.0f + static_cast<float>(random() % 900);
    const int rows = 1 + static_cast<int>(random() % 2);
    SCOPED_TRACE(testing::Message() << line.text << " in " << width << " on " << rows);
    std::string shown;
    harness.frame([&] {
      for (const std::string& drawn : ui::statusLines(message, width, rows)) {
        EXPECT_FALSE(ui::fitTextToWidth(drawn, ui::TextStyle::Small, width).truncated) << drawn;
        shown += (shown.empty() ? "" : " ") + drawn;
      }
    });
    const auto cutWell = [&](const SaidForm& form) {
      if (shown == form.text) return true;
      const std::string_view ellipsis = "\xE2\x80\xA6";
      if (!shown.ends_with(ellipsis)) return false;
      const std::size_t cut = shown.size() - ellipsis.size();
      if (!form.text.starts_with(shown.substr(0, cut))) return false;
      const bool inName = std::any_of(form.names.begin(), form.names.end(), [cut](const ui::TextSpan& n) {
        return n.from < cut && cut < n.from + n.length;
      });
      return cut == 0 || (!inName && std::string_view(" ,;:").find(form.text[cut]) != std::string_view::npos);
    };
    bool found = false;
    for (std::size_t i = 0; i <= line.fewer.size(); ++i) found = found || cutWell(line.form(i));
    EXPECT_TRUE(found) << shown;
  }
}

// A file's status names it whole and says where the name lies, for the
// status line to shorten it only where it has to.
TEST(FileStatus, NamesTheFileAndSaysWhereItsNameLies) {
  const FileStatus refused = fileStatus("Could not open ", "/a/Song ft. Anna.obp", "no such file");
  EXPECT_EQ(refused.text, "Could not open Song ft. Anna.obp: no such file");
  EXPECT_EQ(refused.text.substr(refused.name.from, refused.name.length), "Song ft. Anna.obp");
  const FileStatus saved = fileStatus("Saved ", "/a/b/\xC3\x9C.project.orbi");
  EXPECT_EQ(saved.text, "Saved \xC3\x9C.project.orbi");
  EXPECT_EQ(saved.text.substr(saved.name.from, saved.name.length), "\xC3\x9C.project.orbi");
}

// The status line drawn in the last frame: the text drawn in the header's
// band that starts as the status does.
const ui::DrawRecord* statusLine(EditorRig& rig, std::string_view start) {
  const ui::DrawRecord* line = nullptr;
  for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::Text))
    if (r->text.starts_with(start) && r->rect.y < 60.0f) line = r;
  return line;
}

// While the header has room, a refused file's name is shown whole.
TEST_F(ProjectFiles, AShortNameShowsWholeWhileTheHeaderHasRoom) {
  std::ofstream(folder / "notproj.project.orbi", std::ios::binary) << "not a project at all";
  EXPECT_FALSE(rig.view().openProject(folder / "notproj.project.orbi"));
  EXPECT_EQ(rig.view().statusText(), "Could not open notproj.project.orbi: not a project file");
  rig.frames(1);
  const ui::DrawRecord* line = statusLine(rig, "Could not open ");
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text, rig.view().statusText());
}

// However long its name, a file refused for any of these reasons says so on
// the header's status line, whole.
TEST_F(ProjectFiles, ARefusedOpenShowsItsReasonWholeOnTheStatusLine) {
  const std::string name = "Warehouse Set Final Mix For Friday Night";
  fs::create_directory(folder / (name + ".obp"));
  ASSERT_EQ(::mkfifo((folder / (name + ".json")).c_str(), 0644), 0);
  std::ofstream(folder / (name + " empty.project.orbi"), std::ios::binary).flush();
  std::ofstream(folder / (name + " zeros.project.orbi"), std::ios::binary).flush();
  fs::resize_file(folder / (name + " zeros.project.orbi"), 1u << 16);
  struct Case {
    std::string file;
    const char* reason;
  };
  const Case cases[] = {
      {name + ".obp", "not a regular file"},
      {name + ".json", "not a regular file"},
      {name + " empty.project.orbi", "the file is empty"},
      {name + " zeros.project.orbi", "not a project file"},
      {name + " gone.project.orbi", "no such file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_FALSE(rig.view().openProject(folder / c.file));
    const std::string status = rig.view().statusText();
    EXPECT_TRUE(status.starts_with("Could not open ")) << status;
    EXPECT_TRUE(status.ends_with(std::string(": ") + c.reason)) << status;
    rig.frames(1);
    const ui::DrawRecord* line = statusLine(rig, "Could not open ");
    ASSERT_NE(line, nullptr) << "the status line is drawn";
    // The name gives way in its middle; the reason shows whole.
    EXPECT_TRUE(line->text.ends_with(std::string(": ") + c.reason)) << line->text;
    EXPECT_TRUE(line->text.starts_with("Could not open Warehouse")) << line->text;
    ui::ContextScope scope(rig.harness.ui());
    EXPECT_FALSE(ui::fitTextToWidth(line->text, line->style, line->rect.width).truncated) << line->text;
  }
}

TEST_F(ProjectFiles, AFailedSaveLeavesTheOldFile) {
  const fs::path target = folder / "Full disk.project.orbi";
  std::ofstream(target, std::ios::binary) << "an older project";
  const std::vector<char> old = fileBytes(target);
  firstParam() = 0.77f;
  const std::uint64_t revision = rig.view().revision();
  ::signal(SIGXFSZ, SIG_IGN);  // the disk fills up half way through the save
  rlimit limit{};
  ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &limit));
  const rlim_t unlimited = std::exchange(limit.rlim_cur, 64);
  ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &limit));
  const bool saved = rig.view().saveProject(target);
  limit.rlim_cur = unlimited;
  ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &limit));
  EXPECT_FALSE(saved);
  EXPECT_EQ(rig.view().statusText().rfind("Could not save " + target.filename().string() + ": ", 0), 0u);
  EXPECT_TRUE(rig.view().statusError());
  EXPECT_EQ(fileBytes(target), old);
  EXPECT_EQ(rig.view().revision(), revision);

  // The host's log hears it once, as the editor says it, and a failed
  // import on the samples page too.
  EXPECT_EQ(rig.view().samplesPage().loadWav((folder / "gone.wav").string()), -1);
  for (const std::string& said : {rig.view().statusText(), rig.view().samplesPage().message()}) {
    int logged = 0;
    for (const auto& line : rig.host.logLines)
      logged += line.severity == CLAP_LOG_ERROR && line.text == "editor-status : " + said;
    EXPECT_EQ(logged, 1) << said;
  }
}

}  // namespace project_files_test
}  // namespace orbi::test
