// State save and load. A load reads into a fresh project and pool and only
// then replaces the running ones, so a state that cannot be read leaves the
// instance exactly as it was.
#include "plugin/ext_state.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "document/archive/zip_directory.h"
#include "document/archive/zip_format.h"
#include "document/archive/zip_stream_walk.h"
#include "document/diagnostics.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "document/reading/private_file.h"
#include "engine/pool/sample_limits.h"
#include "engine/pool/sample_pool.h"
#include "engine/session/engine_host.h"
#include "plugin/host_log.h"
#include "plugin/no_throw.h"
#include "plugin/plugin.h"

namespace ob::clap {

namespace {

constexpr std::size_t kReadPiece = 4096;

bool hasError(const Diagnostics& list) {
  return std::any_of(list.begin(), list.end(),
                     [](const Diagnostic& d) { return d.severity == Severity::Error; });
}

bool save(const clap_plugin_t* p, const clap_ostream_t* stream) {
  Plugin* self = Plugin::from(p);
  if (self == nullptr) return false;
  return guarded("state save", false, [&] { return self->saveState(stream); });
}

bool load(const clap_plugin_t* p, const clap_istream_t* stream) {
  Plugin* self = Plugin::from(p);
  if (self == nullptr) return false;
  return guarded("state load", false, [&] { return self->loadState(stream); });
}

const clap_plugin_state_t kState = {save, load};

// The walk a state's package is followed by as it arrives: held to the
// zip limits every document reader passes, and to the state's own.
zip::StreamWalk packageWalk(std::uint64_t maxBytes) { return zip::StreamWalk(zip::Limits{}, maxBytes); }

// Why the walk refused a package, in the words of the limit it passed.
std::string refusedPackageText(zip::StreamWalk::Verdict verdict) {
  using Verdict = zip::StreamWalk::Verdict;
  const zip::Limits limits;
  const std::string package = "The state's package ";
  switch (verdict) {
    case Verdict::SizesFollowData:
      return package + "holds an entry whose sizes follow its data, which this plug-in never writes";
    case Verdict::PackedSizeWrong:
      return package + "holds an entry whose packed size does not fit its size, which no writer makes";
    case Verdict::Zip64: return package + "holds a Zip64 entry, which this plug-in does not read";
    case Verdict::EntryTooLarge:
      return package + "holds an entry of more than " + sizeText(limits.maxEntrySize);
    case Verdict::TotalTooLarge: return package + "unpacks to more than " + sizeText(limits.maxTotalSize);
    case Verdict::TooManyEntries:
      return package + "holds more than " + std::to_string(limits.maxEntries) + " entries";
    case Verdict::NamesTooLarge:
      return package + "holds more than " + sizeText(zip::kMaxDirectoryBytes) + " of entry names";
    case Verdict::PastSizeLimit: return package + "declares more than " + sizeText(kMaxStateBytes);
    case Verdict::Going:
    case Verdict::Broken: break;
  }
  return package + "is damaged: its records break off";
}

}  // namespace

StateRead readHostStream(const clap_istream_t* stream, ArrivingBytes& document, const StateLimits& limits,
                         std::string* why) {
  const auto refuse = [why](StateRead read, std::string text) {
    if (why != nullptr) *why = std::move(text);
    return read;
  };
  if (stream == nullptr || stream->read == nullptr)
    return refuse(StateRead::StreamFailed, "The host's stream reported an error");
  // The head is checked once a header and a document file's head are in,
  // or the stream has ended; from then on the document may grow to the
  // limit of what its head says it is.
  constexpr std::uint64_t kHeadEnd = kStateHeaderSize + kDocumentHeadBytes;
  std::vector<std::uint8_t> head;  // the stream's first bytes, until they are checked
  bool headChecked = false;
  bool package = false;
  std::uint64_t limit = 0;
  zip::StreamWalk walk = packageWalk(limits.package);
  std::uint8_t piece[kReadPiece];
  for (;;) {
    const std::int64_t got = stream->read(stream, piece, sizeof piece);
    if (got < 0 || static_cast<std::uint64_t>(got) > sizeof piece)
      return refuse(StateRead::StreamFailed, "The host's stream reported an error");
    std::span<const std::uint8_t> fresh(piece, static_cast<std::size_t>(got));
    if (!headChecked) {
      head.insert(head.end(), fresh.begin(), fresh.end());
      if (got != 0 && head.size() < kHeadEnd) continue;
      const std::size_t offset = stateDocumentOffset(head.data(), head.size());
      fresh = std::span<const std::uint8_t>(head).subspan(offset);
      const std::size_t headBytes = std::min<std::size_t>(fresh.size(), kDocumentHeadBytes);
      if (!opensAsDocument(fresh.data(), headBytes))
        return refuse(StateRead::NotAState, fresh.empty()
                                                ? "The state is empty"
                                                : "The state does not begin as a document of this plug-in");
      package = zip::looksLikeZip(fresh.data(), headBytes);
      limit = package ? limits.package : limits.text;
      // A package may be large and its samples are decoded from it: it
      // waits on the disk, not in memory, where the disk takes it.
      if (package) document.keepIn(PrivateFile::create());
      headChecked = true;
    }
    if (!document.append(fresh.data(), fresh.size()) || (got == 0 && !document.finish()))
      return refuse(StateRead::NotKept, "The state could not be kept while it was read");
    // A package this plug-in wrote is walked to its end; one the walk
    // cannot follow could only be read to the limit.
    if (package) {
      if (const auto verdict = walk.take(fresh.data(), fresh.size());
          verdict != zip::StreamWalk::Verdict::Going)
        return refuse(StateRead::Damaged, refusedPackageText(verdict));
    }
    if (document.size() > limit)
      return refuse(StateRead::TooLarge,
                    package ? "The state is larger than " + sizeText(kMaxStateBytes)
                            : "The state's document is larger than " + sizeText(kMaxDocumentTextBytes));
    if (got == 0) return StateRead::Read;
  }
}

bool writeHostStream(const clap_ostream_t* stream, const std::uint8_t* data, std::size_t size) {
  if (stream == nullptr || stream->write == nullptr) return false;
  std::size_t done = 0;
  while (done < size) {
    const std::uint64_t left = size - done;
    const std::int64_t put = stream->write(stream, data + done, left);
    if (put < 1 || static_cast<std::uint64_t>(put) > left) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

std::size_t stateDocumentOffset(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr || size < kStateHeaderSize) return 0;
  return std::memcmp(bytes, kStateMagic, sizeof kStateMagic) == 0 ? kStateHeaderSize : 0;
}

const clap_plugin_state_t* stateExtension() { return &kState; }

bool Plugin::saveState(const clap_ostream_t* stream) {
  if (!engineHost) return false;
  onMainThread();
  std::string why;
  // Laid out and measured before a byte goes to the host: a header without
  // a document, or a document no load accepts, would be a state that loses
  // the session, and the host keeps the one it has.
  const std::unique_ptr<ProjectSave> save =
      ProjectSave::layOut(engineHost->project, engineHost->pool, keptDocument, why);
  if (save) {
    std::uint8_t header[kStateHeaderSize] = {};
    std::memcpy(header, kStateMagic, sizeof kStateMagic);
    HostStreamSink out(stream);
    if (out.write(header) && save->write(out, why)) return true;
    if (out.refused()) why = "the host's stream took no more of it";
  }
  logToHost(host, CLAP_LOG_ERROR, ("the state cannot be saved: " + why).c_str());
  return false;
}

bool Plugin::loadState(const clap_istream_t* stream) {
  if (!engineHost) return false;
  orbi::EngineHost& eh = *engineHost;
  ArrivingBytes document;
  Diagnostics refused;
  try {
    std::string why;
    const StateRead read = readHostStream(stream, document, {}, &why);
    if (read != StateRead::Read)
      refused.error(read == StateRead::StreamFailed || read == StateRead::NotKept ? "state-unreadable"
                                                                                  : "state-rejected",
                    "", why);
  } catch (const std::bad_alloc&) {
    refused.error("out-of-memory", "", "Not enough memory to read the state");
  }
  if (!refused.empty()) {
    publishDiagnostics(refused);
    return false;
  }

  Diagnostics list;
  std::unique_ptr<Project> project = makeProject();
  if (!project) {
    list.error("out-of-memory", "", "Not enough memory to read the state");
    publishDiagnostics(list);
    return false;
  }
  project->seed = eh.sessionSeed;
  SamplePool pool;
  KeptDocument kept;
  std::string error;
  // Samples the running pool holds already are shared, not decoded twice.
  const bool ok =
      readDocument(document.source(), *project, pool, kept, &error, &list, DocumentSource::State, &eh.pool);
  if (!ok && !hasError(list))
    list.error("state-rejected", "", error.empty() ? std::string("The state could not be read") : error);
  publishDiagnostics(list);
  if (!ok) return false;

  if (hello.received) project->seed = hello.seed;
  eh.project = *project;
  keptDocument = std::move(kept);
  // The old pool stays alive until the audio thread has left its samples.
  eh.replacePool(std::move(pool));
  ++eh.stateLoads;
  if (active) eh.postProject(false);
  takeProjectMacros();
  onMainThread();
  if (hostParams != nullptr && hostParams->rescan != nullptr)
    hostParams->rescan(host, CLAP_PARAM_RESCAN_VALUES);
  if (hostVoices != nullptr && hostVoices->changed != nullptr) hostVoices->changed(host);
  return true;
}

}  // namespace ob::clap
