#pragma once
// A kit library on disk for the kit browser's tests: a temporary folder
// that is also the current directory and holds the user's data folder
// (where the default kits folder goes), a library folder inside it filled
// with kit files that the library itself wrote, and one file that is no kit.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "content/kits/kit_library.h"
#include "editor/kits/kit_browser.h"
#include "support/scoped_env.h"
#include "tests/editor/shell_rig.h"

namespace orbi::test {

namespace fs = std::filesystem;

// A fresh folder made the current directory, with the user's data folder
// (where the default kits folder goes) inside it; all undone at the end.
class TempHome {
 public:
  TempHome() : previous_(fs::current_path()) {
    std::random_device seed;
    path_ = fs::temp_directory_path() /
            ("orbi-kits-" + std::to_string(::getpid()) + "-" + std::to_string(seed()));
    fs::create_directories(path_);
    fs::current_path(path_);
    dataHome_.set((path_ / "data").string());
  }
  ~TempHome() {
    std::error_code ec;
    fs::current_path(previous_, ec);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;
  const fs::path& path() const { return path_; }
  // The default kit library folder while this home stands.
  fs::path kitsFolder() const { return path_ / "data" / "Orbitrane" / "kits"; }

 private:
  fs::path previous_;
  fs::path path_;
  ob::test::ScopedEnv dataHome_{"XDG_DATA_HOME"};
};

inline std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct KitSpec {
  const char* file;
  const char* name;
  const char* author;
  const char* tags;
};

// Writes a kit file through the library: a drum track per kit, its sound
// named after the kit so that a load can be recognised.
inline void writeKit(const fs::path& folder, const KitSpec& spec) {
  auto part = newEmptyPart();
  part->numTracks = 1;
  ob::initSoundParams(part->kit.sounds[0], ob::kMachineDrum);
  ob::copyText(part->kit.sounds[0].name, spec.name);
  part->tracks[0].soundIndex = 0;
  ob::setKitName(part->kit, spec.name);
  ob::copyText(part->kit.author, spec.author);
  ob::setKitTags(part->kit, spec.tags);
  std::string error;
  if (!ob::KitLibrary::saveKitFile(ob::kitPathToUtf8(folder / spec.file), *part, &error))
    ADD_FAILURE() << error;
}

inline const std::vector<KitSpec>& libraryKits() {
  static const std::vector<KitSpec> kits = {
      {"dark.kit.orbi", "Dark Live", "X", "dark, live"},
      {"glass.kit.orbi", "Glass", "Mira", "bright, vintage"},
      {"echo.kit.orbi",
       "\xC3\x89"
       "cho",
       "", "dub"},
  };
  return kits;
}

class KitRig : public ShellRig {
 public:
  KitRig() : library(home.path() / "library") {
    fs::create_directories(library);
    for (const KitSpec& k : libraryKits()) writeKit(library, k);
    std::ofstream(library / "broken.kit.orbi") << "{ not a kit";
    root.addTrack(ob::kMachineDrum, "Start");
    browser.session.folder = library;
    body = [this] { browser.draw(anchor); };
    step();
  }
  // The first entry with the name; -1 when none.
  int entryNamed(const std::string& name) const {
    for (std::size_t i = 0; i < browser.entries.size(); ++i)
      if (browser.entries[i].name == name) return static_cast<int>(i);
    return -1;
  }
  std::vector<std::string> filteredNames() const {
    std::vector<std::string> out;
    for (int i : browser.filtered) out.push_back(browser.entries[i].name);
    return out;
  }
  std::string kitName() { return root.pattern().kit.name; }
  std::string status() const { return browser.pendingStatus ? browser.pendingStatus->text : std::string(); }
  bool statusIsError() const {
    return browser.pendingStatus && browser.pendingStatus->kind == StatusKind::Failed;
  }

  TempHome home;
  fs::path library;
  FakeRoot root;
  KitSession kitSession;
  KitBrowser browser{root, kitSession};
  ui::Rect anchor{40.0f, 40.0f, 400.0f, 24.0f};
};

}  // namespace orbi::test
