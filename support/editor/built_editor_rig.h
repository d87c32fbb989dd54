#pragma once
// The built Orbitrane.clap driven end to end: one instance of it in the
// test host, activated, with its editor opened in the host's window on the
// X server the test runner starts. Flow tests derive from BuiltEditorRig,
// open the editor, work it (GuiSession's input or a step script) and check
// the saved state, the rendered sound and pictures. Skips without DISPLAY.
// Tests of the plug-in's own calls take the loaded library alone
// (builtClap).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tools/clap_host/gui_script.h"
#include "tools/clap_host/gui_session.h"
#include "tools/clap_host/test_host.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/window_harness.h"

namespace orbi::test {

// The built Orbitrane.clap, loaded once per test program through dlopen and
// clap_entry as a host loads it, and kept for the program's life.
inline const host::ClapLibrary* builtClap() {
  static std::string error;
  static const host::ClapLibrary* library = host::ClapLibrary::open(OB_CLAP_PATH, error).release();
  EXPECT_NE(library, nullptr) << error;
  return library;
}

inline constexpr char kPluginId[] = "io.tarnex.orbitrane";

inline constexpr double kSampleRate = 48000.0;
inline constexpr std::uint32_t kBlockFrames = 512;

class BuiltEditorRig : public ::testing::Test {
 protected:
  BuiltEditorRig() = default;
  explicit BuiltEditorRig(const host::HostOptions& options) : host(options) {}

  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
    const host::ClapLibrary* library = builtClap();
    ASSERT_NE(library, nullptr);
    std::string error;
    instance = host::Instance::create(*library, host, kPluginId, error);
    ASSERT_NE(instance, nullptr) << error;
    ASSERT_TRUE(instance->activate(kSampleRate, kBlockFrames));
  }
  void TearDown() override {
    session.reset();
    instance.reset();
  }

  // Opens the editor (closing one still open first) and lets it settle.
  void open(host::GuiOptions options = {}) {
    session.reset();
    options.blockFrames = kBlockFrames;
    std::string error;
    session = host::GuiSession::open(*instance, options, error);
    ASSERT_NE(session, nullptr) << error;
    if (host.options().timerSupport)
      ASSERT_TRUE(session->runFrames(3));
    else
      session->runFor(50.0);  // no timer to count its ticks by
  }
  void close() { session.reset(); }

  std::vector<std::uint8_t> state() {
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(instance->saveState(bytes, error)) << error;
    return bytes;
  }
  void run(const std::string& steps) {
    std::string error;
    ASSERT_TRUE(host::runGuiScript(*session, steps, error)) << error;
  }
  host::Picture picture() {
    std::string error;
    std::optional<host::Picture> p = session->picture(error);
    EXPECT_TRUE(p) << error;
    return p ? *p : host::Picture{};
  }

  // Keeps Mesa's driver loaded for the program's life, so that the leak
  // checker still knows what it holds when the program ends.
  ui::test::WindowHarness keepDriver;
  host::TestHost host;
  std::unique_ptr<host::Instance> instance;
  std::unique_ptr<host::GuiSession> session;
};

}  // namespace orbi::test
