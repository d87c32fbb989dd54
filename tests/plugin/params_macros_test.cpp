// The four macros through "clap.params": ids, info, value text both ways,
// the flush while active and while inactive, and the main-thread
// synchronisation with the editor-side project.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <thread>

#include "engine/model/edit_command.h"
#include "plugin/ext_params.h"
#include "support/plugin/state_harness.h"

namespace params_macros_test {

using namespace statetest;
using ob::clap::macroIndexForParamId;
using ob::clap::macroParamId;

constexpr clap_id kMacro1 = 3213221349u;

const clap_plugin_params_t* paramsOf(Instance& inst) {
  return inst.extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
}

float projectMacro(Instance& inst, int i) { return inst.project().patterns[0].kit.macros[i].value; }

void flush(Instance& inst, const EventList& events) {
  paramsOf(inst)->flush(inst.clap, &events.list, nullptr);
}

std::string toText(Instance& inst, clap_id id, double value) {
  char buf[64];
  std::memset(buf, 'x', sizeof buf);
  if (!paramsOf(inst)->value_to_text(inst.clap, id, value, buf, sizeof buf)) return "<false>";
  return buf;
}

// The parsed value, or -1 when the call refuses the text.
double fromText(Instance& inst, clap_id id, const char* text) {
  double v = -7.0;
  if (!paramsOf(inst)->text_to_value(inst.clap, id, text, &v)) return -1.0;
  return v;
}

TEST(MacroParams, IdsHashTheMacroNames) {
  EXPECT_EQ(macroParamId(0), kMacro1);
  for (std::uint32_t n = 0; n < 4; ++n) {
    EXPECT_EQ(macroParamId(n), kMacro1 + n);
    EXPECT_EQ(macroIndexForParamId(kMacro1 + n), static_cast<int>(n));
  }
  EXPECT_EQ(macroIndexForParamId(kMacro1 - 1), -1);
  EXPECT_EQ(macroIndexForParamId(kMacro1 + 4), -1);
  EXPECT_EQ(macroIndexForParamId(0), -1);
  EXPECT_EQ(macroIndexForParamId(CLAP_INVALID_ID), -1);
}

TEST(MacroParams, InfoCountAndValues) {
  FakeHost host;
  Instance inst(host);
  ASSERT_TRUE(inst.initialised);
  const auto* params = paramsOf(inst);
  ASSERT_NE(params, nullptr);
  EXPECT_EQ(params->count(inst.clap), 4u);
  for (std::uint32_t n = 0; n < 4; ++n) {
    clap_param_info_t info;
    std::memset(&info, 0x5a, sizeof info);
    ASSERT_TRUE(params->get_info(inst.clap, n, &info));
    EXPECT_EQ(info.id, kMacro1 + n);
    EXPECT_EQ(info.flags, static_cast<std::uint32_t>(CLAP_PARAM_IS_AUTOMATABLE));
    EXPECT_EQ(info.cookie, nullptr);
    EXPECT_EQ(std::string(info.name), "Macro " + std::to_string(n + 1));
    EXPECT_STREQ(info.module, "Macros");
    EXPECT_EQ(info.min_value, 0.0);
    EXPECT_EQ(info.max_value, 1.0);
    EXPECT_EQ(info.default_value, 0.0);
    // Zero-filled behind the texts.
    EXPECT_EQ(info.name[sizeof info.name - 1], '\0');
    EXPECT_EQ(info.module[sizeof info.module - 1], '\0');
  }
  clap_param_info_t info{};
  EXPECT_FALSE(params->get_info(inst.clap, 4, &info));
  EXPECT_FALSE(params->get_info(inst.clap, 0, nullptr));

  inst.self->macroCurrent[3] = 0.25f;
  double v = -1.0;
  ASSERT_TRUE(params->get_value(inst.clap, kMacro1 + 3, &v));
  EXPECT_DOUBLE_EQ(v, 0.25);
  EXPECT_FALSE(params->get_value(inst.clap, 12345, &v));
  EXPECT_FALSE(params->get_value(inst.clap, kMacro1, nullptr));
}

TEST(MacroParams, ValueText) {
  FakeHost host;
  Instance inst(host);
  EXPECT_EQ(toText(inst, kMacro1, 0.456), "46 %");
  EXPECT_EQ(toText(inst, kMacro1 + 1, 0.0), "0 %");
  EXPECT_EQ(toText(inst, kMacro1 + 3, 1.0), "100 %");
  EXPECT_EQ(toText(inst, 99, 0.5), "<false>");
  // A buffer too small for the whole text is refused, not cut.
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_FALSE(paramsOf(inst)->value_to_text(inst.clap, kMacro1, 1.0, small, sizeof small));
  EXPECT_EQ(small[0], '\0');
  EXPECT_FALSE(paramsOf(inst)->value_to_text(inst.clap, kMacro1, 1.0, nullptr, 10));

  EXPECT_DOUBLE_EQ(fromText(inst, kMacro1, "150"), 1.0);
  EXPECT_DOUBLE_EQ(fromText(inst, kMacro1, "-5"), 0.0);
  EXPECT_DOUBLE_EQ(fromText(inst, kMacro1, "46 %"), 0.46);
  EXPECT_DOUBLE_EQ(fromText(inst, kMacro1 + 2, "  12.5%"), 0.125);
  EXPECT_DOUBLE_EQ(fromText(inst, kMacro1, "+30"), 0.3);
  EXPECT_DOUBLE_EQ(fromText(inst, kMacro1, ".5"), 0.005);
  EXPECT_DOUBLE_EQ(fromText(inst, kMacro1, "5e1"), 0.5);
  EXPECT_DOUBLE_EQ(fromText(inst, kMacro1, "1e999"), 1.0);
  EXPECT_DOUBLE_EQ(fromText(inst, kMacro1, "-1e999"), 0.0);
  EXPECT_DOUBLE_EQ(fromText(inst, kMacro1, "1e-999"), 0.0);
  // Not a number: refused rather than read as 0.
  for (const char* t : {"abc", "", " ", "%", "-", ".", "inf", "nan", "-inf", "Macro 1"})
    EXPECT_EQ(fromText(inst, kMacro1, t), -1.0) << t;
  EXPECT_EQ(fromText(inst, kMacro1, nullptr), -1.0);
  EXPECT_EQ(fromText(inst, 7, "50"), -1.0);
  // Text and value agree both ways.
  for (int pct = 0; pct <= 100; ++pct) {
    const std::string t = toText(inst, kMacro1, pct / 100.0);
    EXPECT_DOUBLE_EQ(fromText(inst, kMacro1, t.c_str()), pct / 100.0) << t;
  }
}

TEST(MacroParams, FlushWhileActiveFeedsTheEngineThroughItsOwnRing) {
  FakeHost host;
  Instance inst(host);
  ASSERT_TRUE(inst.activate());
  runBlock(inst);
  EventList events;
  events.add(paramValue(kMacro1 + 1, 1.7));
  // Ignored: other ids, other types, other spaces, short records, no number.
  events.add(paramValue(4242, 0.5));
  clap_event_param_value_t mod = paramValue(kMacro1, 0.9);
  mod.header.type = CLAP_EVENT_PARAM_MOD;
  events.add(mod);
  clap_event_param_value_t foreign = paramValue(kMacro1 + 2, 0.9);
  foreign.header.space_id = 0x4f42;
  events.add(foreign);
  clap_event_param_value_t shortRecord = paramValue(kMacro1 + 3, 0.9);
  shortRecord.header.size = sizeof(clap_event_header_t);
  events.add(shortRecord);
  events.add(paramValue(kMacro1, std::numeric_limits<double>::quiet_NaN()));
  flush(inst, events);

  EXPECT_EQ(inst.self->macroCurrent[1], 1.0f);
  EXPECT_EQ(inst.self->macroCurrent[0], 0.0f);
  EXPECT_EQ(inst.self->macroCurrent[2], 0.0f);
  EXPECT_EQ(inst.self->macroCurrent[3], 0.0f);
  // The editor's ring stays empty: the flush has a ring of its own.
  EXPECT_EQ(inst.engineHost().engine.pendingCommands(), 0);
  // The editor-side project learns it in the next pass, without a rescan.
  EXPECT_EQ(projectMacro(inst, 1), 0.0f);
  runBlock(inst);
  EXPECT_EQ(inst.engineHost().engine.pattern().kit.macros[1].value, 1.0f);
  EXPECT_EQ(inst.engineHost().engine.pattern().kit.macros[0].value, 0.0f);
  inst.pass();
  EXPECT_EQ(projectMacro(inst, 1), 1.0f);
  EXPECT_EQ(host.rescans, 0);
  // Null lists are nothing to do.
  paramsOf(inst)->flush(inst.clap, nullptr, nullptr);
}

TEST(MacroParams, FlushWhileInactiveSurvivesAStateLoadAndActivate) {
  FakeHost host;
  Instance inst(host);
  EventList events;
  events.add(paramValue(kMacro1 + 3, 0.4));
  flush(inst, events);
  EXPECT_FLOAT_EQ(inst.self->macroCurrent[3], 0.4f);
  EXPECT_FLOAT_EQ(projectMacro(inst, 3), 0.4f);
  inst.pass();
  EXPECT_EQ(host.rescans, 0);
  ASSERT_TRUE(inst.activate());
  EXPECT_FLOAT_EQ(inst.engineHost().engine.pattern().kit.macros[3].value, 0.4f);
  inst.deactivate();

  // A value flushed while inactive must not overrule a state loaded later.
  FakeHost otherHost;
  Instance other(otherHost);
  other.project().patterns[0].kit.macros[3].value = 0.8f;
  const std::vector<std::uint8_t> chunk = saveChunk(other);
  events.events.clear();
  events.add(paramValue(kMacro1 + 3, 0.1));
  flush(inst, events);
  ASSERT_TRUE(loadChunk(inst, chunk));
  ASSERT_TRUE(inst.activate());
  runBlock(inst);
  EXPECT_FLOAT_EQ(inst.engineHost().engine.pattern().kit.macros[3].value, 0.8f);
  EXPECT_FLOAT_EQ(inst.self->macroCurrent[3], 0.8f);
}

TEST(MacroParams, PassFollowsTheEditorAndTheHost) {
  FakeHost host;
  Instance inst(host);
  ASSERT_TRUE(inst.activate());
  inst.pass();
  EXPECT_EQ(host.rescans, 0);

  // The editor moves macro 3: the host is told once.
  ob::EditCommand edit{};
  edit.kind = ob::kEditMacroValue;
  edit.param = 2;
  edit.value = 0.75f;
  ASSERT_TRUE(inst.engineHost().applyEdit(edit));
  inst.pass();
  EXPECT_FLOAT_EQ(inst.self->macroCurrent[2], 0.75f);
  EXPECT_EQ(host.rescans, 1);
  EXPECT_EQ(host.rescanFlags, CLAP_PARAM_RESCAN_VALUES);
  inst.pass();
  EXPECT_EQ(host.rescans, 1);

  // The host moves macro 1 while the editor does not: the project follows,
  // no rescan.
  EventList events;
  events.add(paramValue(kMacro1, 0.3));
  flush(inst, events);
  inst.pass();
  EXPECT_FLOAT_EQ(projectMacro(inst, 0), 0.3f);
  EXPECT_EQ(host.rescans, 1);

  // Both move the same macro before a pass: the editor's value wins.
  events.events.clear();
  events.add(paramValue(kMacro1 + 1, 0.9));
  flush(inst, events);
  edit.param = 1;
  edit.value = 0.2f;
  ASSERT_TRUE(inst.engineHost().applyEdit(edit));
  inst.pass();
  EXPECT_FLOAT_EQ(projectMacro(inst, 1), 0.2f);
  EXPECT_FLOAT_EQ(inst.self->macroCurrent[1], 0.2f);
  EXPECT_EQ(host.rescans, 2);

  // A value that is no number never reaches the project.
  inst.self->macroCurrent[0] = std::numeric_limits<float>::quiet_NaN();
  inst.pass();
  EXPECT_FLOAT_EQ(projectMacro(inst, 0), 0.3f);
  EXPECT_FLOAT_EQ(inst.self->macroCurrent[0], 0.3f);
  EXPECT_EQ(host.rescans, 3);
  inst.pass();
  EXPECT_EQ(host.rescans, 3);
}

TEST(MacroParams, NoHostParamsNoRescan) {
  FakeHost host;
  host.withParams = false;
  Instance inst(host);
  EXPECT_EQ(inst.self->hostParams, nullptr);
  inst.project().patterns[0].kit.macros[0].value = 0.5f;
  inst.pass();
  EXPECT_FLOAT_EQ(inst.self->macroCurrent[0], 0.5f);
  EXPECT_EQ(host.rescans, 0);
}

// The host's audio thread flushes and processes while its main thread runs
// passes; once both stop, one pass brings the project to the last value.
TEST(MacroParams, FlushOnTheAudioThreadBesideThePass) {
  FakeHost host;
  Instance inst(host);
  ASSERT_TRUE(inst.activate());
  std::atomic<bool> done{false};
  std::thread audio([&] {
    EventList events;
    for (int i = 0; i <= 2000; ++i) {
      events.events.clear();
      events.add(paramValue(kMacro1 + 2, (i % 101) / 100.0));
      flush(inst, events);
      if (i % 4 == 0) runBlock(inst, 32);
    }
    runBlock(inst, 32);
    done = true;
  });
  while (!done) inst.pass();
  audio.join();
  inst.pass();
  const float last = (2000 % 101) / 100.0f;
  EXPECT_FLOAT_EQ(inst.self->macroCurrent[2], last);
  EXPECT_FLOAT_EQ(projectMacro(inst, 2), last);
  EXPECT_FLOAT_EQ(inst.engineHost().engine.pattern().kit.macros[2].value, last);
  EXPECT_EQ(host.rescans, 0);
}

}  // namespace params_macros_test
