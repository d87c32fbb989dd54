// The outer members of an instance document: fixed order, kept members,
// number spellings, and the audition's findings under "/audition".

#include <gtest/gtest.h>

#include <deque>

#include "document/clip/clip_reader.h"
#include "document/instance/instance_envelope.h"
#include "instance_rig.h"

namespace instance_envelope_test {

using namespace ob;
using obtest::countCode;
using obtest::json;

std::string keys(const JsonValue& v) {
  std::string s;
  for (const JsonMember& m : v.members) s += (s.empty() ? "" : ",") + m.key;
  return s;
}

// A document read here stays for the envelopes that refer to it.
const JsonValue& held(const std::string& text) {
  static std::deque<JsonValue> documents;
  return documents.emplace_back(json(text));
}

InstanceEnvelope readOk(const std::string& text, Diagnostics& diags) {
  std::optional<InstanceEnvelope> env = readInstanceEnvelope(held(text), diags);
  EXPECT_TRUE(env.has_value()) << text;
  return env ? std::move(*env) : InstanceEnvelope{};
}

TEST(InstanceEnvelope, FreshRecordWritesOnlyTheFixedMembers) {
  InstanceEnvelope env;
  EXPECT_EQ(env.specMajor, 1);
  EXPECT_EQ(env.formatVersion, 1);
  EXPECT_EQ(env.scope, "complete");
  EXPECT_TRUE(env.kept.isObject());
  EXPECT_EQ(env.document, nullptr);
  EXPECT_EQ(writeJson(writeInstanceEnvelope(env)),
            R"({"kind":"instance","spec":"1.0","plugin":"","formatVersion":1,)"
            R"("scope":"complete","params":{},"state":{}})");
}

TEST(InstanceEnvelope, EveryMemberInItsPlace) {
  InstanceEnvelope env;
  env.id = "i";
  env.plugin = "orbitrane";
  env.pluginVersion = "0.0.6";
  env.seed = 0x1f;
  env.extensions.push_back({"x.y", 2});
  env.unreadableExtensions.push_back(makeJsonDouble(3));
  const JsonValue meta = json(R"({"name":"k"})"), provenance = json("[]"), state = json("{}"),
                  hints = json("1"), audition = json(R"({"kind":"clip"})"), ext = json(R"({"e":1})"),
                  noExt = makeJsonObject();
  env.meta = &meta;
  env.provenance = &provenance;
  env.params.push_back({"macro1", makeJsonNumber(0.5f)});
  env.state = &state;
  env.hints = &hints;
  env.assets.push_back({"s", makeJsonString("factory:acoustic/a")});
  env.audition = &audition;
  env.ext = &ext;
  env.kept = json(R"({"zz":true})");
  JsonValue w = writeInstanceEnvelope(env);
  EXPECT_EQ(keys(w),
            "kind,spec,id,plugin,formatVersion,pluginVersion,scope,seed,extensions,meta,"
            "provenance,params,state,hints,assets,audition,ext,zz");
  EXPECT_EQ(w.getString("seed", ""), "000000000000001f");
  EXPECT_EQ(writeJson(*w.find("extensions")), R"(["x.y/2","com.tessaline.audition/1",3])");
  EXPECT_EQ(w.find("audition")->getString("kind", ""), "clip");

  // An audition extension already listed, at any version, is not added again.
  env.extensions = {{"com.tessaline.audition", 3}};
  env.unreadableExtensions.clear();
  EXPECT_EQ(writeJson(*writeInstanceEnvelope(env).find("extensions")), R"(["com.tessaline.audition/3"])");
  // An "ext" object without members is left out.
  env.ext = &noExt;
  EXPECT_EQ(writeInstanceEnvelope(env).find("ext"), nullptr);
}

TEST(InstanceEnvelope, ReadsAndWritesBackLosslessly) {
  const std::string text =
      R"({"kind":"instance","spec":"1.0","id":"abc","plugin":"orbitrane","formatVersion":1,)"
      R"("pluginVersion":"0.0.6","scope":"kit","seed":"00000000000000AB",)"
      R"("extensions":["a.b/1",7],"meta":{"name":"n"},"params":{"macro1":1.50,"w":"word"},)"
      R"("state":{"x":1},"assets":{"s":"factory:acoustic/x"},"ext":{"o":{}},"later":[1,2]})";
  Diagnostics diags;
  InstanceEnvelope env = readOk(text, diags);
  EXPECT_EQ(env.id, "abc");
  EXPECT_EQ(env.scope, "kit");
  EXPECT_EQ(env.seed.value_or(0), 0xabu);
  ASSERT_EQ(env.extensions.size(), 1u);
  EXPECT_EQ(env.unreadableExtensions.size(), 1u);
  ASSERT_EQ(env.params.size(), 2u);
  EXPECT_EQ(keys(env.kept), "later");
  EXPECT_EQ(countCode(diags, "bad-extension-id"), 1);

  JsonValue w = writeInstanceEnvelope(env);
  // The seed is written in lower case; the rest as read, 1.50 included.
  std::string expected = text;
  expected.replace(expected.find("00000000000000AB"), 16, "00000000000000ab");
  EXPECT_EQ(writeJson(w), expected);
}

TEST(InstanceEnvelope, BadSeedIsKeptWhereItStood) {
  Diagnostics diags;
  InstanceEnvelope env = readOk(R"({"kind":"instance","plugin":"p","seed":5,"x":[1]})", diags);
  EXPECT_FALSE(env.seed.has_value());
  const Diagnostic* d = obtest::findCode(diags, "bad-seed");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->path, "/seed");
  EXPECT_EQ(d->message,
            "A seed is 16 hex digits; not used, and a save writes the instance's own seed in its place");
  EXPECT_EQ(keys(writeInstanceEnvelope(env)), "kind,spec,plugin,formatVersion,scope,params,state,seed,x");
  // With a seed of its own the writer's place is taken by the kept value.
  env.seed = 9;
  JsonValue w = writeInstanceEnvelope(env);
  EXPECT_EQ(keys(w), "kind,spec,plugin,formatVersion,scope,seed,params,state,x");
  EXPECT_EQ(writeJson(*w.find("seed")), "5");
  EXPECT_EQ(countCode(diags, "bad-seed"), 1);
  Diagnostics d2;
  readOk(R"({"kind":"instance","plugin":"p","seed":"12345"})", d2);
  EXPECT_EQ(countCode(d2, "bad-seed"), 1);
}

TEST(InstanceEnvelope, WrongKindsAreWarnedAndKept) {
  Diagnostics diags;
  InstanceEnvelope env =
      readOk(R"({"kind":"instance","plugin":7,"formatVersion":"2","scope":1,"params":{"a":true,"x/y~":[]},)"
             R"("assets":{"s":"http://x","t":"asset:12"},"extensions":"no"})",
             diags);
  EXPECT_EQ(env.formatVersion, 1);
  EXPECT_EQ(env.scope, "complete");
  EXPECT_EQ(countCode(diags, "wrong-type", "/plugin"), 1);
  EXPECT_EQ(countCode(diags, "instance-without-plugin", "/plugin"), 1);
  const Diagnostic* fv = nullptr;
  for (const Diagnostic& d : diags)
    if (d.path == "/formatVersion") fv = &d;
  ASSERT_NE(fv, nullptr);
  EXPECT_EQ(fv->code, "wrong-type");
  // What a save writes of its own is not kept: the save says which build wrote it.
  EXPECT_EQ(fv->message, "Expected a number; not used, and a save writes its own in its place");
  EXPECT_EQ(countCode(diags, "wrong-type", "/scope"), 1);
  EXPECT_EQ(countCode(diags, "wrong-type", "/params/a"), 1);
  EXPECT_EQ(countCode(diags, "wrong-type", "/params/x~1y~0"), 1);
  EXPECT_EQ(obtest::findCode(diags, "bad-asset-ref")->message,
            "Expected factory:<name> or asset:<sha256>; kept as written, not loaded");
  EXPECT_EQ(countCode(diags, "bad-asset-ref", "/assets/s"), 1);
  EXPECT_EQ(countCode(diags, "bad-asset-ref", "/assets/t"), 1);
  for (const Diagnostic& d : diags) EXPECT_NE(d.severity, Severity::Error) << d.code;
  // The others stored whatever their kind, and written back in place.
  EXPECT_EQ(env.params.size(), 2u);
  EXPECT_EQ(env.assets.size(), 2u);
  JsonValue w = writeInstanceEnvelope(env);
  EXPECT_EQ(keys(w), "kind,spec,plugin,formatVersion,scope,params,state,assets,extensions");
  EXPECT_EQ(writeJson(*w.find("formatVersion")), "1");
  EXPECT_EQ(writeJson(*w.find("scope")), R"("complete")");
  EXPECT_EQ(writeJson(*w.find("plugin")), "7");
  EXPECT_EQ(writeJson(*w.find("params")), R"({"a":true,"x/y~":[]})");
  EXPECT_EQ(writeJson(*w.find("extensions")), R"("no")");
}

TEST(InstanceEnvelope, HeaderFailuresGiveNoEnvelope) {
  Diagnostics diags;
  EXPECT_FALSE(readInstanceEnvelope(held("[]"), diags).has_value());
  EXPECT_FALSE(readInstanceEnvelope(held(R"({"kind":"clip"})"), diags).has_value());
  EXPECT_EQ(countCode(diags, "not-a-document"), 1);
  EXPECT_EQ(countCode(diags, "wrong-kind"), 1);
}

TEST(InstanceEnvelope, AuditionHeaderFindingsAreRebasedAndNeverErrors) {
  // A clip is taken for its reader, which says what its notes hold, once;
  // the envelope says nothing of them.
  Diagnostics diags;
  InstanceEnvelope env =
      readOk(R"({"kind":"instance","plugin":"p","audition":{"kind":"clip","notes":[{"vel":1}]}})", diags);
  ASSERT_NE(env.audition, nullptr);
  EXPECT_EQ(env.audition->getString("kind", ""), "clip");
  EXPECT_EQ(env.kept.members.size(), 0u);
  for (const Diagnostic& d : diags) EXPECT_FALSE(d.path.starts_with("/audition")) << d.path;

  // A clip of the wrong kind: reported, but the envelope read goes on, so
  // nothing of it is an error; the member is kept as written.
  Diagnostics d2;
  InstanceEnvelope bad =
      readOk(R"({"kind":"instance","plugin":"p","audition":{"kind":"instance"},"z":0})", d2);
  EXPECT_EQ(bad.audition, nullptr);
  EXPECT_EQ(countCode(d2, "wrong-kind", "/audition/kind"), 1);
  EXPECT_EQ(countCode(d2, "bad-audition", "/audition"), 1);
  EXPECT_EQ(obtest::errorCount(d2), 0) << obtest::listing(d2);
  EXPECT_EQ(keys(bad.kept), "audition,z");
  EXPECT_EQ(writeJson(*writeInstanceEnvelope(bad).find("audition")), R"({"kind":"instance"})");
}

TEST(InstanceEnvelope, MovesLeaveTheSourceEmpty) {
  Diagnostics diags;
  InstanceEnvelope a = readOk(R"({"kind":"instance","plugin":"p","meta":{"a":1}})", diags);
  a.seed = 4;
  a.formatVersion = 3;
  InstanceEnvelope b = std::move(a);
  EXPECT_EQ(b.plugin, "p");
  EXPECT_EQ(b.seed.value_or(0), 4u);
  EXPECT_TRUE(b.meta->isObject());
  EXPECT_TRUE(b.document->isObject());
  // Written out, the moved-from record is a fresh one.
  EXPECT_EQ(writeJson(writeInstanceEnvelope(a)), writeJson(writeInstanceEnvelope(InstanceEnvelope{})));
  a = std::move(b);
  EXPECT_EQ(a.formatVersion, 3);
  EXPECT_TRUE(b.plugin.empty());
}

}  // namespace instance_envelope_test
