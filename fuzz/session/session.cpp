#include "fuzz/session/session.h"
#include "fuzz/session/user_edits.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "content/kits/kit_library.h"
#include "document/archive/sha256.h"
#include "document/archive/zip_format.h"
#include "document/byte_sink.h"
#include "document/project/project_save.h"
#include "document/project/saved_entries.h"
#include "editor/editor_view.h"
#include "editor/project_files.h"
#include "engine/session/engine_host.h"
#include "plugin/ext_state.h"
#include "plugin/plugin.h"

namespace obsession {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using Bytes = std::vector<std::uint8_t>;

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A name as the editor's fields give it: valid UTF-8, cut at a character
// within the command's text.
void nameInto(char (&text)[24], std::string_view kind) {
  std::string name = kind == "e30" ? std::string() : kind == "long" ? std::string(40, 'y') : "Edited";
  if (kind == "e30")
    for (int i = 0; i < 30; ++i) name += "\xC3\xA9";
  std::size_t keep = std::min(name.size(), sizeof text - 1);
  while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
  std::memset(text, 0, sizeof text);
  std::memcpy(text, name.data(), keep);
}

}  // namespace

Session::Session(Outside& outside, const DataFiles& data)
    : outside_(outside), data_(data), maker_(outside.files()) {
  heapBase_ = heapBytes();
  diskBase_ = unnamedFileBytes();
  mappingsBase_ = mappingsHeld();
  hosted_ = std::make_unique<Hosted>(outside_);
  hosted_->openEditor();
  hosted_->pass();
  // Measured as every action finds it: with its editor drawn, whose first
  // frame builds what each later one draws with.
  hosted_->frame();
  const Need need = needOf(hosted_->engineHost().pool, hosted_->plugin().keptDocument);
  const std::uint64_t held = heapBytes() - heapBase_ + unnamedFileBytes() - diskBase_ + mappedBytes();
  const auto allowed = static_cast<std::uint64_t>(kHeldShare * static_cast<double>(need.total()));
  constant_ = (held > allowed ? held - allowed : 0) + kSlack;
  if (verbose())
    std::fprintf(stderr, "start: held %s, need %s, constant %s\n", mib(held).c_str(),
                 mib(need.total()).c_str(), mib(constant_).c_str());
  hosted_->takeLog();
}

Session::~Session() { hosted_.reset(); }

void Session::run(std::span<const Action> actions) {
  for (const Action& action : actions) {
    trace_.push_back(describe(action, data_.names));
    const Need before = needOf(hosted_->engineHost().pool, hosted_->plugin().keptDocument);
    const std::uint64_t ringingBefore = retired_;
    replaced_ = false;
    hosted_->takeLog();
    noteKeptBefore();
    HistoryBefore history = historyNow();
    markPeak();
    perform(action);
    hosted_->pass();
    followHistory(action, std::move(history));
    if (outside_.takeWritePastFileSizeLimit())
      broken("the plug-in wrote past the file-size limit, which ends its host", "a write failed with EFBIG");
    if (replaced_ && processing_) retired_ += before.audio;
    checkHoldings(before, ringingBefore, replaced_);
    checkStatusLine();
    checkSaidGone(action);
    for (const SaveToCheck& save : std::exchange(saves_, {})) checkSave(save);
  }
  // A host saves its session at the end, whatever came before.
  trace_.push_back("(the host's last save)");
  if (pending_) answer(Action{Op::Answer, {1}});
  Action last{Op::SaveState, {}};
  saveState(last);
  for (const SaveToCheck& save : std::exchange(saves_, {})) checkSave(save);
  trace_.push_back("(the instance destroyed)");
  hosted_.reset();
  if (const MappingsHeld left = mappingsHeld(); left != mappingsBase_)
    broken("mappings outlived the instance", std::to_string(left.count) + " mappings of " + mib(left.bytes) +
                                                 " held, " + std::to_string(mappingsBase_.count) +
                                                 " before it");
}

orbi::EditorView& Session::editor() {
  if (hosted_->view() == nullptr && !hosted_->openEditor()) broken("the editor", "gui.create failed");
  // A user works in an editor whose frames run: it has caught up with
  // what the host did.
  hosted_->frame();
  return *hosted_->view();
}

void Session::perform(const Action& action) {
  switch (action.op) {
    case Op::LoadState: loadState(action); break;
    case Op::LoadFile: loadFile(action); break;
    case Op::Open: open(action); break;
    case Op::Import: {
      UserFile file;
      outside_.asAnotherProgram([&] { file = maker_.wav(action); });
      import(file.path, &file, wordOf(action, "damage"));
      break;
    }
    case Op::ImportGood: importGood(action); break;
    case Op::Reimport:
      if (!imported_.empty()) {
        const UserFile file = imported_[imported_.size() - 1 - argOf(action, "which") % imported_.size()];
        import(file.path, &file, "none");
      }
      break;
    case Op::Assign: {
      orbi::SamplesPage& page = editor().samplesPage();
      const int track = trackInUse(hosted_->engineHost().project, argOf(action, "track"));
      if (track < 0) break;
      page.previewSlot(argOf(action, "slot") % std::max(1, hosted_->engineHost().pool.slotCount()));
      page.assignToTrack(track);
      break;
    }
    case Op::Edit: {
      ob::EditCommand command;
      command.kind = static_cast<std::uint8_t>(argOf(action, "kind") % ob::kEditKindCount);
      command.track = argOf(action, "track") % ob::kMaxTracks;
      command.step = argOf(action, "step") % ob::kStepsPerTrack;
      command.param = argOf(action, "param") % ob::kSoundParamSlots;
      command.value = static_cast<float>(static_cast<std::int16_t>(argOf(action, "value"))) / 100.0f;
      nameInto(command.text, wordOf(action, "text"));
      // As the editor's gestures and the host send it, where they can.
      edit(command);
      break;
    }
    case Op::Step: {
      ob::EditCommand command;
      command.kind = ob::kEditToggleStep;
      command.track = argOf(action, "track") % ob::kMaxTracks;
      command.step = argOf(action, "step") % ob::kStepsPerTrack;
      edit(command);
      break;
    }
    case Op::Undo: editor().undo(); break;
    case Op::Redo: editor().redo(); break;
    case Op::Kit: kit(action); break;
    case Op::Paste: paste(action); break;
    case Op::Editor:
      if (wordOf(action, "do") != "open") hosted_->closeEditor();
      if (wordOf(action, "do") != "close") hosted_->openEditor();
      break;
    case Op::SaveState: saveState(action); break;
    case Op::SaveProject: saveProject(action); break;
    case Op::Answer: answer(action); break;
    case Op::Activate: {
      static constexpr double kRates[] = {48000.0, 44100.0, 96000.0, 8000.0, 192000.0};
      const std::uint16_t block = argOf(action, "block");
      activate(kRates[argOf(action, "rate") % std::size(kRates)],
               block == 0 ? 512 : std::min<std::uint32_t>(block, 4096));
      break;
    }
    case Op::Deactivate: deactivate(); break;
    case Op::Start: start(); break;
    case Op::Stop: stop(); break;
    case Op::Block: blocks(action); break;
    case Op::Pause:
      for (int i = 0; i < 1 + argOf(action, "passes") % 100; ++i) hosted_->pass();
      break;
    case Op::File: touchOpenedFile(action); break;
    case Op::TmpDir: {
      const std::string_view to = wordOf(action, "to");
      outside_.setTempFolder(to == "missing" ? TempFolder::Missing
                             : to == "file"  ? TempFolder::AFile
                             : to == "unset" ? TempFolder::Unset
                                             : TempFolder::Private);
      break;
    }
    case Op::Disk:
      outside_.setDiskBudget(wordOf(action, "state") == "full"
                                 ? std::optional<std::uint64_t>(std::uint64_t(argOf(action, "kib")) << 10)
                                 : std::nullopt);
      break;
    case Op::FileSize: {
      const std::uint16_t kib = argOf(action, "kib");
      outside_.setFileSizeLimit(kib == 0 ? std::nullopt
                                         : std::optional<std::uint64_t>(std::uint64_t(kib) << 10));
      break;
    }
    case Op::Count: break;
  }
}

bool Session::inTheLog(const std::string& said) {
  const std::vector<std::string> log = hosted_->takeLog();
  return std::find(log.begin(), log.end(), "editor-status : " + said) != log.end();
}

// ---- A user's actions.

void Session::loadState(const Action& action) {
  Built built;
  outside_.asAnotherProgram([&] { built = maker_.document(action, true); });
  markPeak();
  const bool loaded = hosted_->loadState(built.path, argOf(action, "piece"));
  const std::vector<std::string> log = hosted_->takeLog();
  if (!loaded) broken("a state this build wrote did not load", joined(log));
  tookLoad(std::move(built), false, {});
  lastLoad_->said = log;
}

void Session::loadFile(const Action& action) {
  if (data_.names.empty()) return;
  const std::string& name = data_.names[argOf(action, "file") % data_.names.size()];
  Built built;
  built.path = data_.folder / name;
  {
    const Bytes bytes = readFile(built.path);
    const std::size_t offset = ob::clap::stateDocumentOffset(bytes.data(), bytes.size());
    built.isPackage = ob::zip::looksLikeZip(bytes.data() + offset, bytes.size() - offset);
  }
  if (wordOf(action, "as") == "state") {
    markPeak();
    const bool loaded = hosted_->loadState(built.path, 4096);
    const std::vector<std::string> log = hosted_->takeLog();
    if (!loaded) return;  // refused whole, and said so
    tookLoad(std::move(built), false, {});
    lastLoad_->said = log;
    return;
  }
  const fs::path folder = outside_.files() / ("p" + std::to_string(++made_));
  const fs::path copy = folder / name;
  outside_.asAnotherProgram([&] {
    fs::create_directories(folder);
    fs::copy_file(built.path, copy);
  });
  orbi::EditorView& view = editor();
  markPeak();
  if (!view.openProject(copy)) return;
  const std::vector<std::string> log = hosted_->takeLog();
  tookLoad(std::move(built), true, copy);
  lastLoad_->said = log;
}

void Session::open(const Action& action) {
  Built built;
  const std::string_view format = wordOf(action, "format");
  const std::string ending = format == "legacy" ? ".obp" : format == "legacytext" ? ".json" : ".project.orbi";
  const fs::path folder = outside_.files() / ("p" + std::to_string(++made_));
  const fs::path file = folder / fileNameOf(wordOf(action, "name"), made_, ending);
  outside_.asAnotherProgram([&] {
    built = maker_.document(action, false);
    fs::create_directories(folder);
    fs::copy_file(built.path, file);
  });
  orbi::EditorView& view = editor();
  markPeak();
  const bool opened = view.openProject(file);
  const std::vector<std::string> log = hosted_->takeLog();
  if (!opened) broken("a project this build wrote did not open", view.statusText() + joined(log));
  tookLoad(std::move(built), true, file);
  lastLoad_->said = log;
}

void Session::tookLoad(Built built, bool openedFile, const fs::path& opened) {
  replaced_ = true;
  held_ = built.plays;
  damaged_ = built.damaged;
  importedSince_.clear();
  openLeftOut_.clear();
  if (openedFile) {
    opened_ = opened;
    for (const KeptEntry& entry : built.kept)
      if (entry.pastBudget) openLeftOut_.push_back(entry.name);
  }
  lastLoad_.reset();
  hosted_->takeSaid();
  saidSinceLoad_.clear();
  saidGone_.clear();
  const std::uint64_t before = heapBytes();
  const ob::KeptDocument& now = hosted_->plugin().keptDocument;
  lastLoad_ = LastLoad{std::move(built), {}, {}, 0};
  if (!now.loadedDocument.isNull()) lastLoad_->kept.loadedDocument = ob::makeJsonObject();
  lastLoad_->kept.records = now.records;
  lastLoad_->kept.auditionVoices = now.auditionVoices;
  lastLoad_->keptCost = heapBytes() - before;
}

void Session::import(const fs::path& file, const UserFile* known, std::string_view damage) {
  orbi::SamplesPage& page = editor().samplesPage();
  markPeak();
  const std::int32_t slot = page.loadWav(file.string());
  const ob::SamplePool& pool = hosted_->engineHost().pool;
  if (slot < 0) {
    if (page.message().empty()) broken("an import was refused without a word", file.filename().string());
    if (!inTheLog(page.message())) broken("a refused import is not in the host's log", page.message());
    const bool room =
        pool.slotCount() < ob::kSampleSlots &&
        ob::sampleSlotsRefusal(hosted_->engineHost().project, pool, hosted_->plugin().keptDocument, 1)
            .empty();
    if (damage == "none" && room && known != nullptr && known->size > 0)
      broken("a good WAV file was refused", page.message());
    return;
  }
  if (known == nullptr) return;
  imported_.push_back(*known);
  importedSince_.insert(known->digest);
  if (std::none_of(held_.begin(), held_.end(), [&](const UserFile& f) { return f.digest == known->digest; }))
    held_.push_back(*known);
  // Importing the file itself mends every slot that kept a copy of it: the
  // file its entry's name or its reference says, or the bytes it stores.
  for (const auto& s : pool.slots) {
    const ob::KeptSampleFile* kept = s && s->data ? s->data->kept() : nullptr;
    if (kept == nullptr) continue;
    const std::string ref = lowerCase(kept->ref);
    if (lowerCase(kept->digest) == known->digest || ref == "asset:" + known->digest ||
        (kept->method == 0 && ob::sha256Hex(kept->stored.data(), kept->stored.size()) == known->digest))
      broken("an import of a file leaves a slot that kept a copy of it unplayed", kept->why);
  }
  std::erase_if(damaged_, [&](const DamagedSample& d) {
    return d.good.digest == known->digest || d.stored.digest == known->digest;
  });
}

void Session::importGood(const Action& action) {
  if (damaged_.empty()) return;
  const DamagedSample damaged = damaged_[argOf(action, "which") % damaged_.size()];
  const UserFile& file = wordOf(action, "copy") == "stored" ? damaged.stored : damaged.good;
  import(file.path, &file, "none");
}

void Session::edit(const ob::EditCommand& command) {
  orbi::EditorView& view = editor();
  markPeak();
  // A gesture's commands in the one frame the editor sends them in, as one
  // undo step.
  for (ob::EditCommand& sent : userEdits(view.project(), command)) view.apply(sent);
}

void Session::kit(const Action& action) {
  const std::vector<ob::KitEntry> kits = ob::KitLibrary::listBuiltinKits();
  if (kits.empty()) return;
  orbi::EditorView& view = editor();
  markPeak();
  view.kitBrowser().loadKit(kits[argOf(action, "number") % kits.size()]);
}

void Session::paste(const Action& action) {
  orbi::EditorView& view = editor();
  const int from = trackInUse(view.project(), argOf(action, "from"));
  const int to = trackInUse(view.project(), argOf(action, "to"));
  if (from < 0 || to < 0) return;
  const bool step = wordOf(action, "what") == "step";
  view.setSelectedTrack(from);
  if (step) view.setSelectedStep(argOf(action, "step") % ob::kStepsPerTrack);
  view.editActions().copy();
  view.setSelectedTrack(to);
  if (step) view.setSelectedStep(argOf(action, "onto") % ob::kStepsPerTrack);
  markPeak();
  view.editActions().paste();
}

void Session::saveState(const Action& action) {
  const fs::path file = outside_.files() / ("host-state-" + std::to_string(++made_) + ".obs");
  markPeak();
  const bool saved = hosted_->saveState(file, argOf(action, "piece"));
  if (!saved) broken("the host's state save failed", joined(hosted_->takeLog()));
  saves_.push_back({file, true, false, {}});
}

void Session::saveProject(const Action& action) {
  if (pending_) answer(Action{Op::Answer, {1}});
  const std::string_view to = wordOf(action, "to");
  fs::path target;
  if (to == "over" && !opened_.empty()) target = opened_;
  if (to == "again" && !lastNew_.empty()) target = lastNew_;
  if (target.empty()) {
    target = outside_.files() / fileNameOf(wordOf(action, "name"), ++made_, ".project.orbi");
    lastNew_ = target;
  }
  // The file the editor writes: an older project saved "over" goes beside
  // it as a .project.orbi.
  target = orbi::withProjectSuffix(target);
  const PendingSave save{target, digestOfFile(target)};
  orbi::EditorView& view = editor();
  outside_.takeRefusedWrite();
  markPeak();
  const bool saved = view.saveProject(target);
  if (!saved && view.saveQuestion().asking()) {
    pending_ = save;
    return;
  }
  finishProjectSave(save, saved, {});
}

void Session::answer(const Action& action) {
  if (hosted_->view() == nullptr || !hosted_->view()->saveQuestion().asking()) return;
  const std::string how(wordOf(action, "key"));
  outside_.takeRefusedWrite();
  markPeak();
  hosted_->answer(how);
  if (!pending_ || hosted_->view()->saveQuestion().asking()) return;
  const PendingSave save = *std::exchange(pending_, std::nullopt);
  const std::optional<std::string> after = digestOfFile(save.target);
  finishProjectSave(save, after && after != save.before, how);
}

namespace {

// Counts what a writer gives it.
class CountingSink final : public ob::ByteSink {
  bool put(std::span<const std::uint8_t>) override { return true; }
};

}  // namespace

bool Session::pastFileSizeLimit() {
  const std::optional<std::uint64_t> limit = outside_.fileSizeLimit();
  if (!limit) return false;
  const orbi::EngineHost& eh = hosted_->engineHost();
  std::string why;
  const auto save = ob::ProjectSave::layOut(eh.project, eh.pool, hosted_->plugin().keptDocument, why);
  CountingSink size;
  return save && save->write(size, why) && size.written() > *limit;
}

void Session::finishProjectSave(const PendingSave& save, bool wrote, const std::string& answeredWith) {
  const bool refused = outside_.takeRefusedWrite();
  const orbi::EditorView& view = *hosted_->view();
  if (verbose())
    outside_.asAnotherProgram([&] {
      std::fprintf(stderr, "  project save: %s%s\n", view.statusText().c_str(),
                   refused ? " (a write was refused)" : "");
    });
  std::error_code ec;
  for (fs::directory_iterator it(save.target.parent_path(), ec), end; !ec && it != end; it.increment(ec))
    if (it->path().filename().string().find(".tmp-") != std::string::npos)
      broken("a save left its temporary file behind", it->path().filename().string());
  if (!wrote) {
    const bool failed = view.statusText().starts_with("Could not save ");
    if (!failed && !answeredWith.empty()) return;  // the user chose not to save
    if (!failed) broken("a project save neither saved nor said why", view.statusText());
    if (!inTheLog(view.statusText()))
      broken("a failed project save is not in the host's log", view.statusText());
    // Only the disk, a limit, or a folder that is gone may stop a save.
    std::error_code ec;
    if (!refused && !pastFileSizeLimit() && fs::is_directory(save.target.parent_path(), ec))
      broken("a project save failed with the disk whole and no limit passed", view.statusText());
    if (digestOfFile(save.target) != save.before) broken("a failed save changed the file", view.statusText());
    return;
  }
  const bool overOpened = !openLeftOut_.empty() && save.target == opened_;
  saves_.push_back({save.target, false, overOpened, answeredWith});
}

// ---- A host's actions.

void Session::activate(double rate, std::uint32_t block) {
  if (active_) deactivate();
  const std::uint64_t before = heapBytes();
  markPeak();
  if (!hosted_->clap()->activate(hosted_->clap(), rate, 1, block)) broken("activate", "refused");
  active_ = true;
  maxBlock_ = block;
  // What the engine takes for the rate and the block is the instance's own
  // cost, not its content's: the constant grows by the most it took. It
  // sizes its buffers anew in place of those the last activation took.
  const std::uint64_t after = heapBytes() + activated_;
  const auto cost = activationCost_.try_emplace({rate, block}, after > before ? after - before : 0).first;
  activated_ = cost->second;
  activation_ = std::max(activation_, activated_);
}

void Session::deactivate() {
  if (!active_) return;
  stop();
  hosted_->clap()->deactivate(hosted_->clap());
  active_ = false;
  retired_ = 0;
}

void Session::start() {
  if (!active_ || processing_) return;
  processing_ = hosted_->clap()->start_processing(hosted_->clap());
}

void Session::stop() {
  if (!processing_) return;
  hosted_->clap()->stop_processing(hosted_->clap());
  processing_ = false;
  retired_ = 0;
}

void Session::blocks(const Action& action) {
  if (!active_) activate(48000.0, 512);
  start();
  const int count = 1 + argOf(action, "count") % 64;
  const std::uint32_t frames = 1 + argOf(action, "frames") % maxBlock_;
  std::vector<float> buffers(18u * frames);
  float* channels[18];
  for (int c = 0; c < 18; ++c) channels[c] = buffers.data() + c * frames;
  clap_audio_buffer_t outputs[9] = {};
  for (int port = 0; port < 9; ++port) {
    outputs[port].data32 = channels + 2 * port;
    outputs[port].channel_count = 2;
  }
  clap_event_transport_t transport{};
  transport.header.size = sizeof transport;
  transport.header.type = CLAP_EVENT_TRANSPORT;
  const bool playing = wordOf(action, "play") == "playing";
  transport.flags = CLAP_TRANSPORT_HAS_TEMPO | (playing ? CLAP_TRANSPORT_IS_PLAYING : 0u);
  transport.tempo = argOf(action, "tempo") > 0 ? argOf(action, "tempo") / 10.0 : 120.0;
  clap_output_events_t out{nullptr,
                           [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};
  const bool aside = wordOf(action, "thread") == "other";
  for (int b = 0; b < count; ++b) {
    statetest::EventList in;
    for (int key = 0; key < 8 && b == 0; ++key)
      if ((argOf(action, "keys") >> key) & 1u) {
        clap_event_note_t note{};
        note.header.size = sizeof note;
        note.header.type = CLAP_EVENT_NOTE_ON;
        note.note_id = -1;
        note.key = static_cast<std::int16_t>(60 + key);
        note.velocity = 0.9;
        in.add(note);
      }
    in.events.reserve(in.events.size());
    clap_process_t process{};
    process.frames_count = frames;
    process.steady_time = -1;
    process.transport = &transport;
    process.audio_outputs = outputs;
    process.audio_outputs_count = 9;
    process.in_events = &in.list;
    process.out_events = &out;
    std::uint64_t allocations = 0;
    const auto block = [&] {
      takeAllocationCount();
      hosted_->clap()->process(hosted_->clap(), &process);
      allocations = takeAllocationCount();
    };
    if (aside) {
      std::thread audio(block);
      audio.join();
    } else {
      block();
    }
    if (allocations > 0) broken("a block allocated", std::to_string(allocations) + " allocations");
  }
}

// ---- The outside world's.

void Session::touchOpenedFile(const Action& action) {
  if (opened_.empty()) return;
  const std::string_view what = wordOf(action, "do");
  outside_.asAnotherProgram([&] {
    std::error_code ec;
    const std::uint64_t size = fs::exists(opened_, ec) ? fs::file_size(opened_, ec) : 0;
    if (what == "change" && size > 0) {
      std::fstream f(opened_, std::ios::in | std::ios::out | std::ios::binary);
      f.seekp(static_cast<std::streamoff>(size / 2));
      f.write("changed outside", 15);
    } else if (what == "truncate") {
      fs::resize_file(opened_, size / 2, ec);
    } else if (what == "remove") {
      fs::remove(opened_, ec);
    } else if (what == "replace") {
      std::ofstream(opened_, std::ios::binary | std::ios::trunc) << "{\"kind\": \"instance\"}";
    } else if (what == "folder") {
      fs::remove_all(opened_.parent_path(), ec);
    }
  });
}

}  // namespace obsession
