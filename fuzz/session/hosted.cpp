#include "fuzz/session/hosted.h"

#include <cstdio>
#include <utility>

#include "editor/editor_view.h"
#include "editor/editor_wrapper.h"
#include "fuzz/session/outside.h"
#include "support/ui/ui_harness.h"
#include "ui/context.h"

namespace obsession {

namespace {

// A host's session file, read into the plug-in in pieces.
struct FileIn {
  FILE* file;
  std::size_t piece;
  static std::int64_t read(const clap_istream_t* s, void* buffer, std::uint64_t size) {
    auto* self = static_cast<FileIn*>(s->ctx);
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, self->piece));
    const std::size_t got = std::fread(buffer, 1, n, self->file);
    return std::ferror(self->file) ? -1 : static_cast<std::int64_t>(got);
  }
};

// And written from it, taking at most a piece a call: the host's file,
// which no fault of the plug-in's reaches.
struct FileOut {
  FILE* file;
  std::size_t piece;
  Outside& outside;
  static std::int64_t write(const clap_ostream_t* s, const void* buffer, std::uint64_t size) {
    auto* self = static_cast<FileOut*>(s->ctx);
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, self->piece));
    bool written = false;
    self->outside.asAnotherProgram([&] { written = std::fwrite(buffer, 1, n, self->file) == n; });
    return written ? static_cast<std::int64_t>(n) : -1;
  }
};

const clap_plugin_gui_t* guiOf(const clap_plugin_t* clap) {
  return static_cast<const clap_plugin_gui_t*>(clap->get_extension(clap, CLAP_EXT_GUI));
}

}  // namespace

Hosted::Hosted(Outside& outside) : outside_(outside) {
  ob::clap::setPluginEditorFactory(ob::clap::makeEditor);
  instance_ = std::make_unique<statetest::Instance>(host_);
  if (!instance_->initialised) {
    std::fprintf(stderr, "session: the instance did not initialise\n");
    std::abort();
  }
}

Hosted::~Hosted() {
  closeEditor();
  instance_.reset();
}

orbi::ui::UiHarness& Hosted::harness() {
  if (!harness_) harness_ = std::make_unique<orbi::ui::UiHarness>();
  return *harness_;
}

bool Hosted::openEditor() {
  if (view() != nullptr) return true;
  orbi::ui::ContextScope scope(harness().ui());
  const clap_plugin_gui_t* gui = guiOf(clap());
  return gui != nullptr && gui->create(clap(), CLAP_WINDOW_API_X11, false);
}

void Hosted::closeEditor() {
  if (view() == nullptr) return;
  orbi::ui::ContextScope scope(harness().ui());
  guiOf(clap())->destroy(clap());
}

orbi::EditorView* Hosted::view() {
  auto* editor = dynamic_cast<ob::clap::OrbitraneEditor*>(plugin().editor.get());
  return editor != nullptr ? dynamic_cast<orbi::EditorView*>(editor->view()) : nullptr;
}

bool Hosted::loadState(const std::filesystem::path& file, std::size_t piece) {
  FileIn in{std::fopen(file.c_str(), "rb"), piece > 0 ? piece : 4096};
  if (in.file == nullptr) return false;
  const clap_istream_t stream{&in, FileIn::read};
  const auto* state = static_cast<const clap_plugin_state_t*>(clap()->get_extension(clap(), CLAP_EXT_STATE));
  const bool loaded = state->load(clap(), &stream);
  std::fclose(in.file);
  return loaded;
}

bool Hosted::saveState(const std::filesystem::path& file, std::size_t piece) {
  FileOut out{std::fopen(file.c_str(), "wb"), piece > 0 ? piece : SIZE_MAX, outside_};
  if (out.file == nullptr) return false;
  const clap_ostream_t stream{&out, FileOut::write};
  const auto* state = static_cast<const clap_plugin_state_t*>(clap()->get_extension(clap(), CLAP_EXT_STATE));
  const bool saved = state->save(clap(), &stream);
  bool closed = false;
  outside_.asAnotherProgram([&] { closed = std::fclose(out.file) == 0; });
  return closed && saved;
}

void Hosted::pass() { clap()->on_main_thread(clap()); }

void Hosted::frame() {
  orbi::EditorView* shown = view();
  if (shown == nullptr) return;
  harness().frame(*shown);
  if (shown->saveQuestion().asking()) return;
  quietItems_.clear();
  for (const orbi::ui::ItemRecord& item : harness().drawLog().items()) quietItems_.insert(item.id);
}

bool Hosted::answer(std::string_view how) {
  orbi::EditorView* shown = view();
  if (shown == nullptr || !shown->saveQuestion().asking()) return false;
  orbi::ui::UiHarness& ui = harness();
  // A popup opens a frame after it is asked for, and shows the frame after.
  for (int i = 0; i < 3; ++i) ui.frame(*shown);
  if (how == "return" || how == "escape") {
    const orbi::ui::Key key = how == "return" ? orbi::ui::Key::Enter : orbi::ui::Key::Escape;
    ui.setKey(key, true);
    ui.frame(*shown);
    ui.setKey(key, false);
    ui.frame(*shown);
    return true;
  }
  // The question's buttons: what its frames hold that the frames before
  // it did not, in the order they were made.
  std::vector<orbi::ui::Rect> buttons;
  for (const orbi::ui::ItemRecord& item : ui.drawLog().items())
    if (item.hitArea.width > 0 && item.hitArea.height > 0 && !quietItems_.contains(item.id))
      buttons.push_back(item.hitArea);
  const std::size_t which = static_cast<std::size_t>(how.back() - '1');
  if (which >= buttons.size()) return true;
  const orbi::ui::Rect& button = buttons[which];
  ui.movePointer({button.x + button.width / 2, button.y + button.height / 2});
  ui.frame(*shown);
  ui.setButton(ImGuiMouseButton_Left, true);
  ui.frame(*shown);
  ui.setButton(ImGuiMouseButton_Left, false);
  ui.frame(*shown);
  ui.pointerAway();
  ui.frame(*shown);
  return true;
}

std::vector<std::string> Hosted::takeLog() {
  std::vector<std::string> lines;
  for (auto& [severity, text] : host_.logLines) {
    if (text.starts_with("editor-status")) said_.push_back(text);
    lines.push_back(std::move(text));
  }
  host_.logLines.clear();
  return lines;
}

std::vector<std::string> Hosted::takeSaid() {
  takeLog();
  return std::exchange(said_, {});
}

}  // namespace obsession
