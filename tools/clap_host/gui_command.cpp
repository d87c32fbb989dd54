#include "tools/clap_host/gui_command.h"

#include <cstdio>

#include "tools/clap_host/gui_script.h"

namespace orbi::host {

namespace {

// Frames for the first layout and the fonts before anything is worked.
constexpr int kSettleFrames = 10;

}  // namespace

int runGui(Instance& instance, const GuiCommand& command) {
  std::string error;
  instance.setTransport(command.play, command.tempo);
  std::unique_ptr<GuiSession> session = GuiSession::open(instance, command.options, error);
  if (!session) {
    std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
    return 1;
  }
  std::printf("editor window %lu, %u x %u\n", session->editorWindow(), session->width(), session->height());
  if (command.script.empty() && command.snapshot.empty()) {
    session->runUntil([&] { return session->closeRequested() || !session->editorOpen(); }, 1e12);
    return 0;
  }
  session->runFrames(kSettleFrames);
  if (!runGuiScript(*session, command.script, error)) {
    std::fprintf(stderr, "orbi-clap-host: script %s\n", error.c_str());
    return 1;
  }
  if (!command.snapshot.empty()) {
    session->runFrames(2);
    std::optional<Picture> picture = session->picture(error);
    if (!picture || !writePng(command.snapshot, *picture, error)) {
      std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s: %d x %d\n", command.snapshot.c_str(), picture->width, picture->height);
  }
  return 0;
}

}  // namespace orbi::host
