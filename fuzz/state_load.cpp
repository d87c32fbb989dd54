// Any bytes as a host's saved state: no crash; a refused state leaves the
// instance exactly as it was and says why; an accepted one saves, keeping
// what the load read, and the saved chunk loads back to all the load
// built, with notes that play its grid, and saves again the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "engine/session/engine_host.h"
#include "fuzz/audition_notes.h"
#include "fuzz/round_trip.h"
#include "plugin/clap/abi.h"
#include "plugin/ext_state.h"
#include "plugin/plugin.h"

namespace {

struct Reader {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at;
  std::size_t piece;
};

std::int64_t readPiece(const clap_istream_t* s, void* buffer, std::uint64_t size) {
  auto* r = static_cast<Reader*>(s->ctx);
  std::size_t n = r->size - r->at;
  if (n > size) n = static_cast<std::size_t>(size);
  if (n > r->piece) n = r->piece;
  if (n > 0) std::memcpy(buffer, r->data + r->at, n);
  r->at += n;
  return static_cast<std::int64_t>(n);
}

std::int64_t writeAll(const clap_ostream_t* s, const void* buffer, std::uint64_t size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(s->ctx);
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  out->insert(out->end(), p, p + size);
  return static_cast<std::int64_t>(size);
}

bool load(ob::clap::Plugin& plugin, const std::uint8_t* data, std::size_t size, std::size_t piece) {
  Reader r{data, size, 0, piece};
  clap_istream_t stream{&r, readPiece};
  return plugin.loadState(&stream);
}

// One instance for the whole run, as a host keeps its plug-in.
ob::clap::Plugin* instance() {
  static ob::clap::Plugin* plugin = [] {
    auto* p = new ob::clap::Plugin(nullptr, nullptr);
    if (!p->init()) std::abort();
    return p;
  }();
  return plugin;
}

}  // namespace

// The instance is made before the first input, whose cost it is not.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  instance();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ob::clap::Plugin& plugin = *instance();
  orbi::EngineHost& eh = *plugin.engineHost;
  auto before = std::make_unique<ob::Project>(eh.project);
  const std::size_t slots = eh.pool.slots.size();
  const std::size_t retired = eh.samples.retired().size();

  // Pieces of a few bytes now and then, as some hosts deliver them.
  const std::size_t piece = size > 0 && (data[0] & 1) ? 1 + data[0] % 7 : 4096;
  if (!load(plugin, data, size, piece)) {
    if (std::memcmp(before.get(), &eh.project, sizeof(ob::Project)) != 0) std::abort();
    if (eh.pool.slots.size() != slots || eh.samples.retired().size() != retired) std::abort();
    if (plugin.diagnostics.empty()) std::abort();
    bool anyError = false;
    for (const ob::Diagnostic& d : plugin.diagnostics)
      anyError = anyError || d.severity == ob::Severity::Error;
    if (!anyError) std::abort();
    return 0;
  }
  std::vector<std::uint8_t> saved;
  clap_ostream_t out{&saved, writeAll};
  if (!plugin.saveState(&out)) std::abort();
  if (saved.size() < ob::clap::kStateHeaderSize ||
      std::memcmp(saved.data(), ob::clap::kStateMagic, sizeof ob::clap::kStateMagic) != 0)
    std::abort();
  const std::size_t offset = ob::clap::stateDocumentOffset(data, size);
  const std::vector<std::uint8_t> document(saved.begin() + ob::clap::kStateHeaderSize, saved.end());
  // What the first load built, held past the second.
  const auto firstProject = std::make_unique<ob::Project>(eh.project);
  const ob::KeptDocument firstKept = std::move(plugin.keptDocument);
  const obfuzz::Loaded first{*firstProject, obfuzz::samplesOf(eh.pool), firstKept};
  const ob::JsonValue savedDocument = obfuzz::documentOf(ob::MemoryBytes(document.data(), document.size()));
  if (!obfuzz::keepsWhatTheLoadRead(data + offset, size - offset, document, first, plugin.diagnostics,
                                    &savedDocument))
    std::abort();
  if (!load(plugin, saved.data(), saved.size(), 4096)) std::abort();
  const obfuzz::Loaded second{eh.project, obfuzz::samplesOf(eh.pool), plugin.keptDocument};
  if (!obfuzz::sameLoad(first, second) || !obfuzz::notesSayWhatPlays(second)) std::abort();
  if (!obfuzz::notesPlayTheGrid(savedDocument, eh.project, plugin.keptDocument.keysAsLoaded)) std::abort();
  std::vector<std::uint8_t> again;
  clap_ostream_t out2{&again, writeAll};
  if (!plugin.saveState(&out2) || again != saved) std::abort();
  // No block ever runs here: what a load retires goes with the load.
  if (!eh.samples.retired().empty()) std::abort();
  return 0;
}
