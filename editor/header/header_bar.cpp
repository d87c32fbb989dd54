#include "editor/header/header_bar.h"

#include <array>
#include <atomic>

#include "content/factory/factory_content.h"
#include "content/tools/home_folder.h"
#include "editor/editor_context.h"
#include "editor/project_files.h"
#include "engine/session/engine_host.h"
#include "plugin/descriptor.h"
#include "ui/header/header.h"

namespace orbi {

namespace {

constexpr std::array<std::string_view, 2> kPages{"BENCH", "SAMPLES"};

constexpr std::array<ui::ShortcutRow, 3> kEditingRows{{
    {"Ctrl+C", "Copy the selected hit or track"},
    {"Ctrl+V", "Paste onto the selected hit or track"},
    {"Delete", "Clear the selected hit or track"},
}};
constexpr std::array<ui::ShortcutGroup, 1> kShortcutGroups{{{"Editing", kEditingRows}}};

const ui::FileFilter& orbiProjectFilter() {
  static const ui::FileFilter filter{
      "Orbi project", {kProjectExtension}, {projectFamilyEndings().begin(), projectFamilyEndings().end()}};
  return filter;
}

std::vector<ui::HeaderItem> makeProjectItems() {
  ui::HeaderItem open;
  open.section = ui::HeaderSection::Document;
  open.entry = ui::MenuEntry("Open project...", kOpenProject);
  open.dialog = ui::ItemDialog::Open;
  open.filters = {orbiProjectFilter(), {"Legacy project", {"obp", "json"}}};
  ui::HeaderItem save;
  save.section = ui::HeaderSection::Document;
  save.entry = ui::MenuEntry("Save project...", kSaveProject);
  save.dialog = ui::ItemDialog::Save;
  save.filters = {orbiProjectFilter()};
  return {std::move(open), std::move(save)};
}

ui::AboutInfo aboutOrbitrane() {
  const clap_plugin_descriptor_t* d = ob::clap::pluginDescriptor();
  static const std::string manual = std::string(d->url) + "/orbitrane/manual";
  const ob::EmbeddedBytes logo = ob::factorySymbolPng();
  ui::AboutInfo about;
  about.productName = d->name;
  about.version = d->version;
  about.manualUrl = manual;
  about.logo = {logo.data, logo.size};
  return about;
}

ui::HeaderDocument kitDocument(std::string_view name, bool modified, std::string_view folder) {
  ui::HeaderDocument kit;
  kit.kind = ui::DocumentKind::Delegated;
  kit.label = "Kit";
  kit.name = name;
  kit.modified = modified;
  kit.canStep = true;
  kit.browsable = true;
  kit.canSave = true;
  kit.confirmDiscard = false;
  kit.folder = folder;
  return kit;
}

// A shorter form of the status text differs from it only inside its lists,
// which lie before a file's name or after it: the name keeps its place from
// the start or from the end. A form in which it is neither has none.
ui::StatusForm shorterStatus(std::string_view text, StatusName name, const SaidForm& said) {
  const std::string_view form = said.text;
  ui::StatusForm shorter{form};
  shorter.keep = said.listsEnd;
  shorter.names = said.names;
  if (name.length == 0 || name.from + name.length > text.size()) return shorter;
  const std::string_view head = text.substr(0, name.from + name.length);
  const std::string_view tail = text.substr(name.from);
  if (form.starts_with(head))
    shorter.yieldFrom = name.from;
  else if (form.ends_with(tail))
    shorter.yieldFrom = form.size() - tail.size();
  else
    return shorter;
  shorter.yieldLength = name.length;
  return shorter;
}

}  // namespace

HeaderBar::HeaderBar(EditorContext& context, EngineHost& host)
    : host_(host), bpm_(makeBpmParam(context)), hostTempo_(host), projectItems_(makeProjectItems()) {}

const ui::HeaderModel& HeaderBar::fillModel(const HeaderBarInput& input) {
  kitName_.assign(input.kitName);
  homeFolder_ = ob::homeFolder().string();
  ui::HeaderModel& m = model_;
  m = ui::HeaderModel{};
  m.about = aboutOrbitrane();
  m.document = kitDocument(kitName_, input.kitModified, homeFolder_);
  m.canUndo = input.canUndo;
  m.canRedo = input.canRedo;
  m.showUndoRedo = true;
  m.status.primary.text = input.statusText;
  m.status.primary.tone = input.statusError ? ui::StatusTone::Error : ui::StatusTone::Plain;
  m.status.primary.yieldFrom = input.statusName.from;
  m.status.primary.yieldLength = input.statusName.length;
  m.status.primary.whole = input.statusWhole;
  m.status.primary.keep = input.statusListsEnd;
  m.status.primary.names = input.statusNames;
  statusForms_.clear();
  for (const SaidForm& form : input.statusFewer)
    statusForms_.push_back(shorterStatus(input.statusText, input.statusName, form));
  m.status.primary.fewer = statusForms_;
  m.pages = kPages;
  m.page = static_cast<std::uint32_t>(input.page);
  ui::HeaderTransport transport;
  const bool playing = host_.playing();
  transport.state.playing = playing;
  transport.state.position = playing ? host_.engine.playheadStep() * 0.25 : 0.0;
  if (hostTempo_.driving()) {
    transport.tempo = &hostTempo_;
    transport.options.tempoMode = ui::TempoMode::ReadOnly;
  } else {
    transport.tempo = &bpm_;
  }
  transport.options.tempoTooltip = transport.tempo->spec().help.c_str();
  m.transport = transport;
  m.items = projectItems_;
  m.shortcutGroups = kShortcutGroups;
  // The embedded window has no controls of its own: the header takes undo,
  // redo, save and open from the keyboard because we ask it to.
  m.keyboard = true;
  return m;
}

HeaderBarResult HeaderBar::readResult(const ui::HeaderResult& header, EditorPage shown) {
  HeaderBarResult r;
  r.page = header.page ? static_cast<EditorPage>(*header.page) : shown;
  r.pageChanged = header.page.has_value();
  r.anchor = header.documentField;
  if (header.transport.play) {
    host_.internalPlay.store(host_.playing() ? 0 : 1, std::memory_order_relaxed);
  }
  if (header.action) {
    switch (*header.action) {
      case ui::HeaderAction::New: r.newKit = true; break;
      case ui::HeaderAction::Save:
      case ui::HeaderAction::SaveAs: r.saveKit = true; break;
      case ui::HeaderAction::Undo: r.undo = true; break;
      case ui::HeaderAction::Redo: r.redo = true; break;
      case ui::HeaderAction::Previous: r.kitStep = -1; break;
      case ui::HeaderAction::Next: r.kitStep = 1; break;
      case ui::HeaderAction::Browse: r.browseKits = true; break;
      default: break;
    }
  }
  if (header.itemFile) {
    if (header.itemFile->command == kOpenProject) r.openPath = header.itemFile->path;
    if (header.itemFile->command == kSaveProject) r.savePath = header.itemFile->path;
  }
  return r;
}

HeaderBarResult HeaderBar::draw(const HeaderBarInput& input, const ui::FrameInfo& frame, ui::Rect& content) {
  const ui::HeaderModel& model = fillModel(input);
  const ui::Rect band = content.takeTop(ui::headerHeight(model));
  ui::HeaderResult header;
  ui::drawHeader(header, frame, band, model);
  tempoField_ = header.transport.tempoField;
  return readResult(header, input.page);
}

}  // namespace orbi
