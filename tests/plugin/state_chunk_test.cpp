// The state chunk through "clap.state": round trips between instances, the
// zip form with user samples, members of newer documents kept, refusals that
// change nothing, and host streams that move few bytes per call or fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "document/archive/zip_format.h"
#include "document/project/project_load.h"
#include "document/wav/wav.h"
#include "document/wav/wav_pool.h"
#include "engine/pool/sample_pool.h"
#include "plugin/ext_state.h"
#include "support/plugin/state_harness.h"

namespace state_chunk_test {

using namespace statetest;
using ob::clap::DiagnosticInfo;
using ob::clap::PluginDiagnostics;

std::string text(const std::vector<std::uint8_t>& bytes, std::size_t from = 0) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end());
}

std::vector<std::uint8_t> bytesOf(const std::string& s) {
  return std::vector<std::uint8_t>(s.begin(), s.end());
}

std::vector<std::uint8_t> withHeader(const std::string& document,
                                     const std::string& second = std::string(4, '\0')) {
  return bytesOf("OBS1" + second + document);
}

// Inserts text right after the first occurrence of anchor.
std::string insertAfter(std::string doc, const std::string& anchor, const std::string& what) {
  const std::size_t at = doc.find(anchor);
  EXPECT_NE(at, std::string::npos) << anchor;
  if (at != std::string::npos) doc.insert(at + anchor.size(), what);
  return doc;
}

std::vector<ob::clap::DiagnosticInfo> diagnosticsOf(Instance& inst) {
  const auto* ext = inst.extension<PluginDiagnostics>(ob::clap::kExtDiagnostics);
  std::vector<DiagnosticInfo> out;
  if (ext == nullptr) return out;
  for (std::uint32_t i = 0; i < ext->count(inst.clap); ++i) {
    DiagnosticInfo info{};
    info.size = sizeof info;
    if (ext->get(inst.clap, i, &info)) out.push_back(info);
  }
  return out;
}

bool hasCode(const std::vector<DiagnosticInfo>& list, const char* code, std::uint32_t severity) {
  for (const DiagnosticInfo& d : list)
    if (std::strcmp(d.code, code) == 0 && d.severity == severity) return true;
  return false;
}

// Sample ids are handed out by a load, so a fresh and a loaded project
// differ there; the pattern and the sample names must not.
void expectSameContent(const ob::Project& a, const ob::Project& b) {
  EXPECT_EQ(std::memcmp(&a.patterns[0], &b.patterns[0], sizeof a.patterns[0]), 0);
  ASSERT_EQ(a.samples.count, b.samples.count);
  for (int i = 0; i < a.samples.count; ++i) {
    EXPECT_STREQ(a.samples.slots[i].name, b.samples.slots[i].name);
    EXPECT_STREQ(a.samples.slots[i].factory, b.samples.slots[i].factory);
  }
}

// Moves the demo away from what a fresh instance holds, so a load is seen.
void editSomething(Instance& inst) {
  ob::Project& p = inst.project();
  p.patterns[0].bpm = 97.0f;
  p.patterns[0].kit.macros[2].value = 0.625f;
  p.patterns[0].tracks[1].steps[3].active = 1;
  if (inst.self->active) inst.engineHost().postProject(false);
  inst.pass();
}

// Everything a failed load must leave alone.
struct Before {
  explicit Before(Instance& inst)
      : project(inst.project()),
        slots(inst.engineHost().pool.slots.size()),
        firstSlot(slots > 0 ? inst.engineHost().pool.slots[0].get() : nullptr),
        generation(inst.engineHost().engine.sampleSet().newestGeneration()),
        retired(inst.engineHost().samples.retired().size()) {
    for (int i = 0; i < 4; ++i) macros[i] = inst.self->macroCurrent[i];
  }
  void expectSame(Instance& inst) const {
    EXPECT_TRUE(sameProject(project, inst.project()));
    EXPECT_EQ(inst.engineHost().pool.slots.size(), slots);
    if (slots > 0) {
      EXPECT_EQ(inst.engineHost().pool.slots[0].get(), firstSlot);
    }
    EXPECT_EQ(inst.engineHost().engine.sampleSet().newestGeneration(), generation);
    EXPECT_EQ(inst.engineHost().samples.retired().size(), retired);
    EXPECT_FALSE(inst.engineHost().engine.mailboxFull());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(inst.self->macroCurrent[i], macros[i]);
  }
  ob::Project project;
  std::size_t slots;
  const ob::SamplePoolSlot* firstSlot;
  std::uint32_t generation;
  std::size_t retired;
  float macros[4];
};

TEST(StateChunk, HeaderThenTheInstanceDocument) {
  FakeHost host;
  Instance a(host);
  ASSERT_TRUE(a.initialised);
  bool ok = false;
  const std::vector<std::uint8_t> chunk = saveChunk(a, &ok);
  ASSERT_TRUE(ok);
  ASSERT_GT(chunk.size(), 8u);
  EXPECT_EQ(std::memcmp(chunk.data(), "OBS1\0\0\0\0", 8), 0);
  const std::string doc = text(chunk, 8);
  EXPECT_EQ(doc.front(), '{');
  EXPECT_NE(doc.find("\"kind\": \"instance\""), std::string::npos);
  EXPECT_EQ(ob::clap::stateDocumentOffset(chunk.data(), chunk.size()), 8u);
  EXPECT_EQ(ob::clap::stateDocumentOffset(chunk.data() + 8, chunk.size() - 8), 0u);
  EXPECT_EQ(ob::clap::stateDocumentOffset(chunk.data(), 7), 0u);
}

TEST(StateChunk, SaveLoadSaveGivesTheSameBytes) {
  FakeHost hostA, hostB;
  Instance a(hostA);
  editSomething(a);
  const std::vector<std::uint8_t> first = saveChunk(a);
  ASSERT_FALSE(first.empty());

  Instance b(hostB);
  ASSERT_TRUE(loadChunk(b, first));
  expectSameContent(a.project(), b.project());
  EXPECT_EQ(saveChunk(b), first);
  FakeHost hostC;
  Instance c(hostC);
  ASSERT_TRUE(loadChunk(c, saveChunk(b)));
  EXPECT_TRUE(sameProject(b.project(), c.project()));
  // The host hears about new values and voices once; the new macros are what
  // it reads.
  EXPECT_EQ(hostB.rescans, 1);
  EXPECT_EQ(hostB.rescanFlags, CLAP_PARAM_RESCAN_VALUES);
  EXPECT_EQ(hostB.voicesChanged, 1);
  EXPECT_FLOAT_EQ(b.self->macroCurrent[2], 0.625f);
  const auto* params = b.extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  double v = -1.0;
  ASSERT_TRUE(params->get_value(b.clap, 3213221349u + 2, &v));
  EXPECT_DOUBLE_EQ(v, 0.625);
  // A later pass finds nothing to tell.
  b.pass();
  EXPECT_EQ(hostB.rescans, 1);
}

TEST(StateChunk, HelloSeedReplacesTheDocumentSeed) {
  FakeHost hostA, hostB;
  Instance a(hostA);
  const std::vector<std::uint8_t> chunk = saveChunk(a);
  Instance b(hostB);
  ob::clap::SessionHelloRecord hello{};
  hello.size = sizeof hello;
  hello.seed = 0x1234567890abcdefull;
  hello.version = 1;
  const auto* session = b.extension<ob::clap::PluginSession>(ob::clap::kExtSession);
  ASSERT_TRUE(session->hello(b.clap, &hello));
  ASSERT_TRUE(loadChunk(b, chunk));
  EXPECT_EQ(b.project().seed, 0x1234567890abcdefull);
}

TEST(StateChunk, UserSamplesTravelAsAZipPackage) {
  FakeHost hostA, hostB;
  Instance a(hostA);
  orbi::EngineHost& eh = a.engineHost();
  // One second of a decaying 220 Hz tone as the user's own recording.
  std::vector<float> audio(44100);
  for (std::size_t i = 0; i < audio.size(); ++i)
    audio[i] = 0.5f * std::sin(2.0 * M_PI * 220.0 * i / 44100.0) * std::exp(-3.0 * i / 44100.0);
  const int index = eh.project.samples.count;
  ASSERT_LT(index, ob::kSampleSlots);
  ASSERT_GE(ob::replaceSlotWav(eh.pool, index, ob::encodeWav(audio.data(), nullptr, 44100, 44100.0)), 0);
  ob::SampleSlot& slot = eh.project.samples.slots[index];
  slot = ob::SampleSlot{};
  std::snprintf(slot.name, sizeof slot.name, "%s", "my-tone");
  eh.project.samples.count = static_cast<std::uint8_t>(index + 1);

  const std::vector<std::uint8_t> first = saveChunk(a);
  ASSERT_GT(first.size(), 12u);
  EXPECT_EQ(first[8], 'P');
  EXPECT_EQ(first[9], 'K');

  Instance b(hostB);
  ASSERT_TRUE(loadChunk(b, first));
  const ob::SamplePool& pool = b.engineHost().pool;
  ASSERT_GT(pool.slots.size(), static_cast<std::size_t>(index));
  ASSERT_NE(pool.slots[index], nullptr);
  ASSERT_EQ(pool.slots[index]->frames, 44100);
  for (std::size_t i = 0; i < audio.size(); i += 997) EXPECT_FLOAT_EQ(pool.slots[index]->left[i], audio[i]);
  EXPECT_STREQ(b.project().samples.slots[index].name, "my-tone");
  EXPECT_EQ(saveChunk(b), first);
}

TEST(StateChunk, MembersOfANewerDocumentSurviveLoadAndSave) {
  FakeHost hostA, hostB;
  Instance a(hostA);
  std::string doc = text(saveChunk(a), 8);
  doc = insertAfter(doc, "\"pluginVersion\": \"0.0.6\",",
                    "\n  \"futureTop\": {\"mode\": \"wide\", \"n\": [1, 2]},");
  doc = insertAfter(doc, "\"exc1_type\": \"click\",", "\n          \"future_knob\": 0.25,");

  Instance b(hostB);
  ASSERT_TRUE(loadChunk(b, withHeader(doc)));
  // Kept, not applied: the load says so as a warning.
  EXPECT_TRUE(hasCode(diagnosticsOf(b), "unknown-param", 1));
  const std::string again = text(saveChunk(b), 8);
  EXPECT_NE(again.find("\"futureTop\""), std::string::npos);
  EXPECT_NE(again.find("\"mode\": \"wide\""), std::string::npos);
  EXPECT_NE(again.find("\"future_knob\": 0.25"), std::string::npos);
  // And once more through a third instance.
  FakeHost hostC;
  Instance c(hostC);
  ASSERT_TRUE(loadChunk(c, withHeader(again)));
  EXPECT_EQ(text(saveChunk(c), 8), again);
}

TEST(StateChunk, HeaderIsOptionalAndItsSecondWordIgnored) {
  FakeHost hostA;
  Instance a(hostA);
  editSomething(a);
  const std::vector<std::uint8_t> chunk = saveChunk(a);
  const std::string doc = text(chunk, 8);
  {
    FakeHost h;
    Instance b(h);
    ASSERT_TRUE(loadChunk(b, bytesOf(doc)));
    expectSameContent(a.project(), b.project());
  }
  {
    FakeHost h;
    Instance b(h);
    ASSERT_TRUE(loadChunk(b, withHeader(doc, "\x01\x02\x03\x04")));
    expectSameContent(a.project(), b.project());
  }
}

TEST(StateChunk, BadChunksAreRefusedWithoutAChange) {
  FakeHost hostA;
  Instance a(hostA);
  const std::vector<std::uint8_t> good = saveChunk(a);
  const std::string doc = text(good, 8);

  std::vector<std::pair<const char*, std::vector<std::uint8_t>>> bad;
  bad.emplace_back("empty", std::vector<std::uint8_t>{});
  bad.emplace_back("header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 8));
  bad.emplace_back("truncated", std::vector<std::uint8_t>(good.begin(), good.begin() + good.size() / 2));
  std::string corrupt = doc;
  corrupt[corrupt.find("\"state\"") + 9] = '#';
  bad.emplace_back("corrupted", withHeader(corrupt));
  std::vector<std::uint8_t> noise(4000);
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
  bad.emplace_back("noise", noise);
  bad.emplace_back("another plug-in", withHeader(insertAfter(
                                          [&] {
                                            std::string d = doc;
                                            d.replace(d.find("\"orbitrane\""), 11, "\"other\"");
                                            return d;
                                          }(),
                                          "", "")));
  bad.emplace_back("a clip", bytesOf("{\"kind\": \"clip\", \"notes\": []}"));
  bad.emplace_back("zip of nothing", bytesOf(std::string("PK\x05\x06", 4) + std::string(18, '\0')));

  for (const auto& [name, bytes] : bad) {
    SCOPED_TRACE(name);
    FakeHost host;
    Instance b(host);
    ASSERT_TRUE(b.activate());
    editSomething(b);
    runBlock(b);
    b.pass();
    const Before before(b);
    const ob::Project sounding = b.engineHost().engine.project();
    const int rescans = host.rescans;
    const std::size_t logged = host.logLines.size();
    EXPECT_FALSE(loadChunk(b, bytes));
    before.expectSame(b);
    EXPECT_EQ(host.rescans, rescans);
    EXPECT_EQ(host.voicesChanged, 0);
    // The reasons are published and, without a hello, logged.
    const auto found = diagnosticsOf(b);
    ASSERT_FALSE(found.empty());
    bool anyError = false;
    for (const DiagnosticInfo& d : found) anyError = anyError || d.severity == 2;
    EXPECT_TRUE(anyError);
    EXPECT_GT(host.logLines.size(), logged);
    // The running sound carries on with what it had.
    runBlock(b);
    EXPECT_TRUE(sameProject(b.engineHost().engine.project(), sounding));
  }
}

// Bytes no reader understands are a rejected state, in the reader's own
// words; a file load of the same bytes keeps its own code.
TEST(StateChunk, TextNoReaderUnderstandsIsARejectedState) {
  const std::string chunks[] = {"{hello", " {]", std::string("OBS1\0\0\0\0{hello", 14)};
  for (const std::string& chunk : chunks) {
    SCOPED_TRACE(chunk);
    const std::string document =
        chunk.size() > 8 && chunk.compare(0, 4, "OBS1") == 0 ? chunk.substr(8) : chunk;
    auto fileProject = ob::makeProject();
    ob::SamplePool filePool;
    ob::KeptDocument fileKept;
    std::string fileError;
    ob::Diagnostics fileList;
    ASSERT_FALSE(
        ob::readDocument(bytesOf(document), *fileProject, filePool, fileKept, &fileError, &fileList));
    ASSERT_FALSE(fileError.empty());
    ASSERT_EQ(fileList.size(), 1u);
    EXPECT_EQ(fileList[0].code, "legacy-unreadable");

    FakeHost host;
    Instance inst(host);
    EXPECT_FALSE(loadChunk(inst, bytesOf(chunk)));
    const auto found = diagnosticsOf(inst);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_STREQ(found[0].code, "state-rejected");
    EXPECT_EQ(found[0].severity, 2u);
    EXPECT_STREQ(found[0].path, "");
    EXPECT_EQ(std::string(found[0].message), fileError);
  }
}

// The one error of a refused state.
void expectRejected(Instance& inst, const std::string& words) {
  const auto found = diagnosticsOf(inst);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_STREQ(found[0].code, "state-rejected");
  EXPECT_EQ(found[0].severity, 2u);
  EXPECT_NE(std::string(found[0].message).find(words), std::string::npos) << found[0].message;
}

bool loadEndless(Instance& inst, statetest::EndlessStream& in) {
  return inst.extension<clap_plugin_state_t>(CLAP_EXT_STATE)->load(inst.clap, &in.stream);
}

// However long the stream, a state whose first bytes begin no document is
// refused once its head is in, and changes nothing.
TEST(StateChunk, AStreamThatBeginsNoDocumentIsRefusedAtItsHead) {
  const std::string header("OBS1\0\0\0\0", 8);
  const std::pair<std::string, char> streams[] = {
      {"", '\0'}, {header, '\0'}, {"", ' '}, {header, ' '}, {"hello", ' '}, {"[]", ' '}, {"PK", '\0'},
  };
  for (const auto& [head, fill] : streams) {
    SCOPED_TRACE(testing::Message() << "head \"" << head.substr(0, 4) << "\", fill " << int(fill));
    FakeHost host;
    Instance inst(host);
    const Before before(inst);
    statetest::EndlessStream in(head, fill);
    EXPECT_FALSE(loadEndless(inst, in));
    EXPECT_LE(in.given, ob::clap::kStateHeaderSize + 2 * ob::kDocumentHeadBytes);
    before.expectSame(inst);
    expectRejected(inst, "does not begin as a document");
  }
  // Whole chunks too short to be one.
  const std::pair<std::vector<std::uint8_t>, const char*> chunks[] = {
      {{}, "is empty"},
      {bytesOf(header), "is empty"},
      {bytesOf("hello"), "does not begin as a document"},
      {bytesOf("[]"), "does not begin as a document"},
      {withHeader("\"kind\""), "does not begin as a document"},
  };
  for (const auto& [chunk, words] : chunks) {
    SCOPED_TRACE(words);
    FakeHost host;
    Instance inst(host);
    EXPECT_FALSE(loadChunk(inst, chunk, 3));
    expectRejected(inst, words);
  }
}

// A package whose records break off into bytes that are none, declare more
// than a package may hold or sizes no writer gives, is refused there, however
// long the stream: one of zeros after such a head goes no further than it.
TEST(StateChunk, APackageThatBreaksOffIsRefusedWhereItDoes) {
  const std::string header("OBS1\0\0\0\0", 8);
  const std::string local("PK\x03\x04", 4);
  const std::string empty = std::string("PK\x05\x06", 4) + std::string(18, '\0');
  // A local header of an unnamed entry: its flags, method and sizes.
  const auto entry = [&](char flags, char method, std::uint32_t packed, std::uint32_t size) {
    std::string head = local + std::string{20, 0, flags, 0, method} + std::string(9, 0);
    for (const std::uint32_t field : {packed, size})
      for (int shift = 0; shift < 32; shift += 8) head += static_cast<char>(field >> shift);
    return head + std::string(4, 0);
  };
  std::string empties;
  for (int i = 0; i <= 10000; ++i) empties += entry(0, 0, 0, 0);
  constexpr std::uint32_t kLie = 0xBFFFFF00;  // within the state's limit
  FakeHost documentHost;
  Instance documentInstance(documentHost);
  const std::string document = text(saveChunk(documentInstance), ob::clap::kStateHeaderSize);
  const auto size = static_cast<std::uint32_t>(document.size());
  const std::pair<std::string, const char*> heads[] = {
      {local, "package is damaged"},
      {header + local, "package is damaged"},
      {empty, "package is damaged"},
      {header + empty, "package is damaged"},
      {header + entry(8, 0, 0, 0), "whose sizes follow its data"},
      {header + entry(8, 8, 0, 0), "whose sizes follow its data"},
      {header + entry(8, 0, 1u << 30, 1u << 30), "whose sizes follow its data"},
      {header + entry(0, 0, 0xFFFFFFFF, 0xFFFFFFFF), "holds a Zip64 entry"},
      {header + entry(0, 0, 0xFEFEFEFE, 0xFEFEFEFE), "an entry of more than 1 GiB"},
      {header + entry(0, 0, kLie, 0), "packed size does not fit its size"},
      {header + entry(0, 8, kLie, 0), "packed size does not fit its size"},
      {header + entry(0, 0, size, size) + document + entry(0, 0, kLie, 0), "packed size does not fit"},
      {header + empties, "holds more than 10000 entries"},
  };
  for (const auto& [head, words] : heads) {
    SCOPED_TRACE(testing::Message() << "head of " << head.size() << " bytes: " << words);
    FakeHost host;
    Instance inst(host);
    const Before before(inst);
    statetest::EndlessStream in(head, '\0');
    EXPECT_FALSE(loadEndless(inst, in));
    EXPECT_LE(in.given, head.size() + ob::clap::kStateHeaderSize + 2 * ob::kDocumentHeadBytes);
    before.expectSame(inst);
    expectRejected(inst, words);
  }
}

// A document's text is refused while it is read, as soon as it passes its
// limit, with the header or without.
TEST(StateChunk, DocumentTextPastItsLimitStopsTheReading) {
  for (const std::string& head : {std::string("OBS1\0\0\0\0{", 9), std::string("\n{")}) {
    FakeHost host;
    Instance inst(host);
    const Before before(inst);
    statetest::EndlessStream in(head, ' ');
    EXPECT_FALSE(loadEndless(inst, in));
    EXPECT_GT(in.given, ob::kMaxDocumentTextBytes);
    EXPECT_LE(in.given, ob::clap::kStateHeaderSize + ob::kMaxDocumentTextBytes + ob::kDocumentHeadBytes);
    before.expectSame(inst);
    expectRejected(inst, "document is larger than");
  }
}

// Each kind of document is read up to its own limit and not a byte further.
TEST(StateChunk, EachDocumentIsReadToItsOwnLimit) {
  FakeHost hostA;
  Instance a(hostA);
  const std::vector<std::uint8_t> saved = saveChunk(a);
  const std::string text = std::string(saved.begin() + 8, saved.end());
  const std::string package = std::string("PK\x05\x06", 4) + std::string(18, '\0');
  const std::pair<std::vector<std::uint8_t>, bool> documents[] = {
      {saved, false}, {bytesOf(text), false}, {withHeader(package), true}, {bytesOf(package), true}};
  for (const auto& [chunk, isPackage] : documents) {
    const std::uint64_t size = chunk.size() - ob::clap::stateDocumentOffset(chunk.data(), chunk.size());
    for (const std::uint64_t limit : {size, size - 1}) {
      SCOPED_TRACE(testing::Message() << (isPackage ? "package" : "text") << " of " << size << ", limit "
                                      << limit << (chunk.size() > size ? ", with header" : ""));
      ob::clap::StateLimits limits;
      (isPackage ? limits.package : limits.text) = limit;
      InStream in(chunk);
      in.maxPerCall = 1000;
      ob::clap::ArrivingBytes bytes;
      const ob::clap::StateRead read = ob::clap::readHostStream(&in.stream, bytes, limits);
      if (limit == size) {
        EXPECT_EQ(read, ob::clap::StateRead::Read);
        std::vector<std::uint8_t> document(bytes.size());
        EXPECT_TRUE(bytes.source().read(0, document.data(), document.size()));
        EXPECT_TRUE(std::ranges::equal(document, std::span(chunk).last(size)));
      } else {
        EXPECT_EQ(read, ob::clap::StateRead::TooLarge);
      }
    }
  }
  // An endless package whose first entry claims more than the limit is refused at its head.
  ob::clap::StateLimits small;
  small.package = 65536;
  std::string claim("PK\x03\x04", 4);
  claim.resize(ob::zip::kLocalHeaderSize, '\0');
  claim[18] = claim[19] = claim[20] = '\x7f';  // the packed size, 0x007f7f7f
  claim[26] = 1;                               // a one-byte name
  statetest::EndlessStream in(claim + "a", '\0');
  ob::clap::ArrivingBytes bytes;
  EXPECT_EQ(ob::clap::readHostStream(&in.stream, bytes, small), ob::clap::StateRead::Damaged);
  EXPECT_LE(in.given, 2 * ob::kDocumentHeadBytes);
}

TEST(StateChunk, StreamsOfOneByteACallWork) {
  FakeHost hostA, hostB;
  Instance a(hostA);
  editSomething(a);
  const std::vector<std::uint8_t> whole = saveChunk(a);
  const auto* state = a.extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  OutStream out;
  out.maxPerCall = 1;
  ASSERT_TRUE(state->save(a.clap, &out.stream));
  EXPECT_EQ(out.bytes, whole);
  EXPECT_GE(out.calls, static_cast<int>(whole.size()));

  Instance b(hostB);
  InStream in(whole);
  in.maxPerCall = 1;
  ASSERT_TRUE(b.extension<clap_plugin_state_t>(CLAP_EXT_STATE)->load(b.clap, &in.stream));
  expectSameContent(a.project(), b.project());
  EXPECT_EQ(in.calls, static_cast<int>(whole.size()) + 1);
}

TEST(StateChunk, FailingStreamsFailTheCall) {
  FakeHost host;
  Instance a(host);
  const std::vector<std::uint8_t> good = saveChunk(a);
  const auto* state = a.extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  for (std::int64_t reply : {0, -1}) {
    OutStream out;
    out.forceReply = true;
    out.reply = reply;
    EXPECT_FALSE(state->save(a.clap, &out.stream));
    EXPECT_EQ(out.calls, 1);
  }
  EXPECT_FALSE(state->save(a.clap, nullptr));

  const Before before(a);
  {
    InStream in(good);
    in.failAt = good.size() / 3;
    in.maxPerCall = 100;
    EXPECT_FALSE(state->load(a.clap, &in.stream));
    const auto found = diagnosticsOf(a);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_STREQ(found[0].code, "state-unreadable");
    EXPECT_STREQ(found[0].message, "The host's stream reported an error");
    EXPECT_EQ(found[0].severity, 2u);
    EXPECT_EQ(host.logLines.back().first, CLAP_LOG_ERROR);
    EXPECT_EQ(host.logLines.back().second, "state-unreadable : The host's stream reported an error");
  }
  {
    InStream in(good);
    in.overclaim = true;
    EXPECT_FALSE(state->load(a.clap, &in.stream));
  }
  EXPECT_FALSE(state->load(a.clap, nullptr));
  before.expectSame(a);
}

TEST(StateChunk, ALoadWhileActiveReachesTheEngineOnce) {
  FakeHost hostA, hostB;
  Instance a(hostA);
  editSomething(a);
  const std::vector<std::uint8_t> chunk = saveChunk(a);

  Instance b(hostB);
  ASSERT_TRUE(b.activate());
  runBlock(b);
  ASSERT_TRUE(loadChunk(b, chunk));
  EXPECT_TRUE(b.engineHost().engine.mailboxFull());
  EXPECT_FALSE(sameProject(b.engineHost().engine.project(), a.project()));
  runBlock(b);
  EXPECT_FALSE(b.engineHost().engine.mailboxFull());
  EXPECT_EQ(b.engineHost().engine.pattern().bpm, 97.0f);
  EXPECT_EQ(b.engineHost().engine.pattern().kit.macros[2].value, 0.625f);
  EXPECT_TRUE(b.engineHost().samples.retired().empty()) << "freed between blocks, processing or not";
}

TEST(StateChunk, ALoadWhileInactiveWaitsForActivate) {
  FakeHost hostA, hostB;
  Instance a(hostA);
  editSomething(a);
  const std::vector<std::uint8_t> chunk = saveChunk(a);

  Instance b(hostB);
  ASSERT_TRUE(b.activate());
  runBlock(b);
  b.deactivate();
  ASSERT_FALSE(b.engineHost().pool.slots.empty());
  const ob::SharedSampleData held = b.engineHost().pool.slots[0]->data;
  ASSERT_TRUE(loadChunk(b, chunk));
  EXPECT_FALSE(b.engineHost().engine.mailboxFull());
  // No block can run: the old pool is gone at once, and the samples it
  // held that the state names too were shared rather than decoded again.
  EXPECT_TRUE(b.engineHost().samples.retired().empty());
  EXPECT_EQ(b.engineHost().pool.slots[0]->data, held);
  ASSERT_TRUE(b.activate());
  expectSameContent(a.project(), b.project());
  EXPECT_EQ(b.engineHost().engine.pattern().bpm, 97.0f);
  EXPECT_EQ(b.engineHost().engine.pattern().kit.macros[2].value, 0.625f);
}

// An instance that loaded the state plays what the one that saved it
// plays, sample for sample: a fresh one, which plays the seed its save
// writes, and one edited under the host's seed.
void expectRestoredAlike(bool greeted) {
  ob::clap::SessionHelloRecord hello{};
  hello.size = sizeof hello;
  hello.seed = 0x5eed;
  hello.version = 1;
  FakeHost hostA, hostB;
  Instance a(hostA), b(hostB);
  ob::Pattern& pat = a.project().patterns[0];
  if (greeted) {
    for (Instance* inst : {&a, &b})
      ASSERT_TRUE(inst->extension<ob::clap::PluginSession>(ob::clap::kExtSession)->hello(inst->clap, &hello));
    pat.bpm = 133.0f;
    pat.tracks[0].steps[2].active = 1;
    pat.kit.sounds[0].params[0] = 0.25f;
  }
  a.pass();
  ASSERT_TRUE(loadChunk(b, saveChunk(a)));

  for (Instance* inst : {&a, &b}) {
    ASSERT_TRUE(inst->activate(48000.0, 256));
    inst->engineHost().internalPlay.store(1);
  }
  const std::vector<float> heardA = renderMain(a, 200);
  const std::vector<float> heardB = renderMain(b, 200);
  double energy = 0.0;
  for (float x : heardA) energy += static_cast<double>(x) * x;
  EXPECT_GT(energy / heardA.size(), 1e-5);
  ASSERT_EQ(heardA.size(), heardB.size());
  std::size_t firstDiff = heardA.size();
  for (std::size_t i = 0; i < heardA.size(); ++i)
    if (heardA[i] != heardB[i]) {
      firstDiff = i;
      break;
    }
  EXPECT_EQ(firstDiff, heardA.size());
}

TEST(StateChunk, ARestoredInstanceSoundsTheSame) {
  expectRestoredAlike(false);
  expectRestoredAlike(true);
}

// The document with every quoted `from` quoted `key` instead.
std::string rekeyed(std::string document, const std::string& from, const std::string& key) {
  const std::string quoted = '"' + from + '"', to = '"' + key + '"';
  for (std::size_t at = 0; (at = document.find(quoted, at)) != std::string::npos; at += to.size())
    document.replace(at, quoted.size(), to);
  return document;
}

// Each track plays on its own port whatever its voice and sound are keyed
// by: a voice keyed past its id field plays as one keyed by the id it is
// cut to, a reference an older build cut to the id's field finds the sound
// it was cut from, and a voice whose sound the load cannot find leaves its
// track silent and every other track where it was.
TEST(StateChunk, EachTrackPlaysOnItsPortWhateverItsKeys) {
  using Keyed = std::string (*)(const std::string& document);
  const Keyed asSaved = [](const std::string& d) { return d; };
  const Keyed kickOf23 = [](const std::string& d) {
    return rekeyed(d, "v-kick", "v-kick" + std::string(17, 'x'));
  };
  const struct {
    const char* what;
    Keyed keyed;
    Keyed alike;     // what it plays as (a voice's key is in its audition's fingerprint)
    int silent = 0;  // the port of a track that plays nothing, 0 for none
  } cases[] = {
      {"voice keyed by 24 bytes",
       [](const std::string& d) { return rekeyed(d, "v-kick", "v-kick" + std::string(18, 'x')); }, kickOf23},
      {"voice keyed by 40 bytes",
       [](const std::string& d) { return rekeyed(d, "v-kick", "v-kick" + std::string(34, 'x')); }, kickOf23},
      {"sound keyed by 30 bytes, named cut to 23",
       [](const std::string& d) {
         const std::string key = "s-kick" + std::string(24, 'x');
         return rekeyed(rekeyed(d, "s-kick", key), "sound\": \"" + key, "sound\": \"" + key.substr(0, 23));
       },
       asSaved},
      {"sound the document lacks",
       [](const std::string& d) { return rekeyed(d, "sound\": \"s-kick", "sound\": \"s-gone"); }, asSaved, 1},
  };
  FakeHost host;
  Instance demo(host);
  const std::string document = text(saveChunk(demo), 8);
  const auto playing = [](const std::string& state) {
    FakeHost h;
    Instance inst(h);
    EXPECT_TRUE(loadChunk(inst, withHeader(state)));
    EXPECT_TRUE(inst.activate(48000.0, 256));
    inst.engineHost().internalPlay.store(1);
    return renderPorts(inst, 400, 256, nullptr, ob::clap::kOutputPorts);  // two seconds: a bar
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<std::vector<float>> played = playing(c.alike(document));
    const std::vector<std::vector<float>> heard = playing(c.keyed(document));
    for (int port = 1; port < ob::clap::kOutputPorts; ++port) {
      SCOPED_TRACE(port);
      double energy = 0.0;
      for (float x : played[port]) energy += static_cast<double>(x) * x;
      if (port <= 6) {
        EXPECT_GT(std::sqrt(energy / played[port].size()), 1e-4);
      }
      if (port == c.silent) {
        EXPECT_TRUE(std::all_of(heard[port].begin(), heard[port].end(), [](float x) { return x == 0.0f; }));
      } else {
        EXPECT_TRUE(heard[port] == played[port]);
      }
    }
  }
}

}  // namespace state_chunk_test
