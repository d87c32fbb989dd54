#pragma once
// What the host told the instance in its session hello.
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/clap/own_extensions.h"

namespace ob::clap {

struct SessionHello {
  bool received = false;
  std::uint64_t seed = 0;
  std::uint32_t version = 0;
  std::vector<std::string> features;
};

// Stores a host's hello. False, with nothing changed, for a null record, a
// size below 20 or a version above maxVersion. May throw on allocation.
bool storeSessionHello(SessionHello& hello, const SessionHelloRecord* record, std::uint32_t maxVersion);
bool sessionHasFeature(const SessionHello& hello, const char* name);

}  // namespace ob::clap
