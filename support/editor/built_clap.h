#pragma once
// The built Orbitrane.clap, loaded once per test program through dlopen and
// clap_entry as a host loads it, and kept for the program's life.
#include <gtest/gtest.h>

#include <string>

#include "tools/clap_host/test_host.h"

namespace orbi::test {

inline const host::ClapLibrary* builtClap() {
  static std::string error;
  static const host::ClapLibrary* library = host::ClapLibrary::open(OB_CLAP_PATH, error).release();
  EXPECT_NE(library, nullptr) << error;
  return library;
}

inline constexpr char kPluginId[] = "io.tarnex.orbitrane";

}  // namespace orbi::test
