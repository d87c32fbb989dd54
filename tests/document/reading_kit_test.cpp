#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "document/diagnostics.h"
#include "document/json/json.h"
#include "document/params/number_spellings.h"
#include "document/reading/asset_ref.h"
#include "document/reading/doc_reader.h"
#include "document/reading/extension_id.h"
#include "document/reading/json_pointer.h"
#include "document/reading/merge_members.h"
#include "document/reading/narrow.h"
#include "document/reading/parse_int.h"
#include "document/reading/seed.h"

namespace reading_kit_test {

ob::JsonValue parse(const std::string& text) {
  ob::JsonValue v;
  std::string err;
  EXPECT_TRUE(ob::parseJson(text, v, err)) << err << " in " << text;
  return v;
}

std::string keys(const ob::JsonValue& obj) {
  std::string out;
  for (const auto& m : obj.members) out += m.key + ",";
  return out;
}

TEST(DocReader, TypedGettersConsumeOnlyMatchingKinds) {
  ob::JsonValue doc = parse(R"({"a":1.5,"b":"x","c":[1],"d":{},"e":true,"n":"7"})");
  ob::Diagnostics diags;
  ob::DocReader r(&doc, "/root", &diags);
  EXPECT_EQ(r.getNumber("a"), 1.5);
  EXPECT_EQ(r.getString("b"), std::string("x"));
  ASSERT_NE(r.getArray("c"), nullptr);
  EXPECT_NE(r.getObject("d"), nullptr);
  EXPECT_EQ(r.getBool("e"), true);
  EXPECT_FALSE(r.getNumber("missing").has_value());
  EXPECT_TRUE(diags.empty()) << "absent members are silent";

  EXPECT_FALSE(r.getNumber("n").has_value());
  ASSERT_EQ(diags.size(), 1u);
  EXPECT_EQ(diags[0].severity, ob::Severity::Warning);
  EXPECT_EQ(diags[0].code, "wrong-type");
  EXPECT_EQ(diags[0].path, "/root/n");
  EXPECT_EQ(diags[0].message, "Expected a number; kept as written, not applied");
  EXPECT_EQ(keys(r.unconsumedMembers()), "n,");
}

TEST(DocReader, StringGetterOnNumberWarnsAndKeepsMember) {
  ob::JsonValue doc = parse(R"({"name":3,"other":1})");
  ob::Diagnostics diags;
  ob::DocReader r(&doc, "", &diags);
  EXPECT_FALSE(r.getString("name").has_value());
  ASSERT_EQ(diags.size(), 1u);
  EXPECT_EQ(diags[0].message, "Expected a string; kept as written, not applied");
  EXPECT_EQ(diags[0].path, "/name");
  ob::JsonValue kept = r.unconsumedMembers();
  EXPECT_EQ(keys(kept), "name,other,");
  EXPECT_EQ(kept.members[0].value.numberText, "3");
}

TEST(DocReader, PathsEscapeTildeAndSlash) {
  ob::JsonValue doc = parse(R"({"a/b~c":"text"})");
  ob::Diagnostics diags;
  ob::DocReader r(&doc, "/x~y", &diags);
  EXPECT_FALSE(r.getNumber("a/b~c").has_value());
  ASSERT_EQ(diags.size(), 1u);
  EXPECT_EQ(diags[0].path, "/x~y/a~1b~0c");
  EXPECT_EQ(ob::escapePointerToken("~/~1"), "~0~1~01");
  EXPECT_EQ(ob::indexPath("/notes", 12), "/notes/12");
  EXPECT_EQ(ob::DocReader::childPath("", "k"), "/k");
}

TEST(DocReader, UnconsumedMembersKeepOrderAndIgnoreRepeats) {
  ob::JsonValue doc = parse(R"({"a":1,"c":{"deep":[1,2]},"b":2})");
  ob::DocReader r(&doc, "", nullptr);
  r.getNumber("a");
  r.getNumber("a");
  r.markConsumed("b");
  ob::JsonValue kept = r.unconsumedMembers();
  EXPECT_EQ(keys(kept), "c,");
  EXPECT_EQ(ob::writeJson(kept), R"({"c":{"deep":[1,2]}})");
  r.markConsumed("c");
  EXPECT_TRUE(r.unconsumedMembers().isObject());
  EXPECT_TRUE(r.unconsumedMembers().members.empty());

  ob::JsonValue arr = parse("[1,2]");
  ob::DocReader onArray(&arr, "", nullptr);
  EXPECT_EQ(onArray.find("0"), nullptr);
  EXPECT_TRUE(onArray.unconsumedMembers().isObject());
  EXPECT_TRUE(onArray.unconsumedMembers().members.empty());
  ob::DocReader onNull(nullptr, "", nullptr);
  EXPECT_EQ(onNull.getNumber("a"), std::nullopt);
}

TEST(Seeds, ParseExactlySixteenHexDigits) {
  EXPECT_EQ(ob::parseSeed("00000000000000FF"), 255u);
  EXPECT_EQ(ob::parseSeed("ffffffffffffffff"), 0xffffffffffffffffull);
  EXPECT_EQ(ob::parseSeed("0123456789abcdef"), 0x0123456789abcdefull);
  EXPECT_FALSE(ob::parseSeed("000000000000000"));
  EXPECT_FALSE(ob::parseSeed("00000000000000000"));
  EXPECT_FALSE(ob::parseSeed("0000000 00000000"));
  EXPECT_FALSE(ob::parseSeed("000000000000000g"));
  EXPECT_FALSE(ob::parseSeed(""));
  EXPECT_EQ(ob::formatSeed(255), "00000000000000ff");
  EXPECT_EQ(ob::formatSeed(0xDEADBEEFCAFEF00Dull), "deadbeefcafef00d");
  for (std::uint64_t v : {0ull, 1ull, 0x8000000000000000ull, 0x123456789ull})
    EXPECT_EQ(ob::parseSeed(ob::formatSeed(v)), v);
}

TEST(ExtensionIds, ParseAtLastSlash) {
  auto a = ob::parseExtensionId("com.tessaline.audition/1");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->name, "com.tessaline.audition");
  EXPECT_EQ(a->version, 1);
  auto lead = ob::parseExtensionId("x/007");
  ASSERT_TRUE(lead);
  EXPECT_EQ(lead->version, 7);
  auto two = ob::parseExtensionId("a/b/3");
  ASSERT_TRUE(two);
  EXPECT_EQ(two->name, "a/b");
  EXPECT_EQ(two->version, 3);
  for (const char* bad : {"x/0", "x/-1", "x/+1", "/1", "x/", "noslash", "", "x/1a", "x/ 1", "x/99999999999"})
    EXPECT_FALSE(ob::parseExtensionId(bad)) << bad;
  EXPECT_EQ(ob::formatExtensionId({"com.tessaline.audition", 1}), "com.tessaline.audition/1");
  EXPECT_EQ(ob::formatExtensionId({"n", -4}), "n/-4");
}

TEST(AssetRefs, FactoryAndStoredForms) {
  auto f = ob::parseAssetRef("factory:acoustic/kick");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->kind, ob::kAssetRefFactory);
  EXPECT_EQ(f->value, "acoustic/kick");
  std::string hex(64, 'a');
  hex[3] = '7';
  auto s = ob::parseAssetRef("asset:" + hex);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->kind, ob::kAssetRefStored);
  EXPECT_EQ(s->value, hex);
  EXPECT_FALSE(ob::parseAssetRef("asset:" + std::string(64, 'A')));
  EXPECT_FALSE(ob::parseAssetRef("asset:" + std::string(63, 'a')));
  EXPECT_FALSE(ob::parseAssetRef("asset:" + std::string(65, 'a')));
  EXPECT_FALSE(ob::parseAssetRef("factory:"));
  auto nested = ob::parseAssetRef("factory:asset:" + hex);
  ASSERT_TRUE(nested);
  EXPECT_EQ(nested->kind, ob::kAssetRefFactory);
  EXPECT_FALSE(ob::parseAssetRef("kick.wav"));
}

TEST(ParseInt, StopsAndReports) {
  auto r = ob::parseInt("-42xyz");
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.value, -42);
  EXPECT_EQ(r.end, 3u);
  EXPECT_EQ(ob::parseInt("ff", 16).value, 255);
  EXPECT_EQ(ob::parseInt("+1").error, ob::ParseIntError::Invalid);
  EXPECT_EQ(ob::parseInt(" 1").error, ob::ParseIntError::Invalid);
  EXPECT_EQ(ob::parseInt("").error, ob::ParseIntError::Invalid);
  EXPECT_EQ(ob::parseInt("-").error, ob::ParseIntError::Invalid);
  EXPECT_EQ(ob::parseInt("2147483648").error, ob::ParseIntError::OutOfRange);
  EXPECT_EQ(ob::parseInt("-2147483648").value, -2147483647 - 1);
  EXPECT_EQ(ob::parseInt("1", 1).error, ob::ParseIntError::Invalid);
  std::int32_t v = 0;
  EXPECT_TRUE(ob::parseWholeInt("0012", v));
  EXPECT_EQ(v, 12);
  EXPECT_FALSE(ob::parseWholeInt("12 ", v));
}

TEST(Narrowing, RefusesWhatHasNoDefinedConversion) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(ob::narrowToFloat(0.1), 0.1f);
  EXPECT_FALSE(ob::narrowToFloat(nan));
  EXPECT_FALSE(ob::narrowToFloat(-inf));
  EXPECT_FALSE(ob::narrowToFloat(1e39));
  EXPECT_FALSE(ob::narrowToFloat(-1e300));
  EXPECT_EQ(ob::narrowToFloat(3.4e38), 3.4e38f);
  EXPECT_EQ(ob::truncToInt32(4.9), 4);
  EXPECT_EQ(ob::truncToInt32(-4.9), -4);
  EXPECT_EQ(ob::truncToInt32(2147483647.9), 2147483647);
  EXPECT_FALSE(ob::truncToInt32(2147483648.0));
  EXPECT_EQ(ob::truncToInt32(-2147483648.5), -2147483647 - 1);
  EXPECT_FALSE(ob::truncToInt32(-2147483649.0));
  EXPECT_FALSE(ob::truncToInt32(nan));
  EXPECT_EQ(ob::saturateToInt32(1e20, 0, 63), 63);
  EXPECT_EQ(ob::saturateToInt32(-inf, 0, 63), 0);
  EXPECT_EQ(ob::saturateToInt32(nan, -1, 63), -1);
  EXPECT_EQ(ob::saturateToInt32(17.8, 0, 63), 17);
}

TEST(NumberSpellings, AdoptedWhereValuesAreUnchanged) {
  ob::JsonValue loaded = parse(R"({"a":120.0,"b":0.1,"c":[1.50,2.0],"d":[1.0],"e":{"f":1e3},"g":5.0})");
  ob::JsonValue written = ob::makeJsonObject();
  written.set("a", ob::makeJsonDouble(120));
  written.set("b", ob::makeJsonNumber(0.1f));  // went through a float
  written.set("c", parse("[1.5,3]"));
  written.set("d", parse("[1,2]"));  // other length: untouched
  written.set("e", parse(R"({"f":1000})"));
  written.set("g", ob::makeJsonDouble(6));  // changed value keeps its own spelling
  written.set("h", ob::makeJsonDouble(1));  // not in the loaded object
  ob::adoptNumberSpellings(written, loaded);
  EXPECT_EQ(ob::writeJson(written),
            R"({"a":120.0,"b":0.1,"c":[1.50,3],"d":[1,2],"e":{"f":1e3},"g":6,"h":1})");
  EXPECT_EQ(written.find("b")->number, 0.1) << "takes the loaded 64-bit value";
}

TEST(NumberSpellings, FloatMatchNeedsAnExactFloat) {
  // 0.1 as a double is not exactly a float, so a loaded 0.1000000001 is not
  // taken for it even though both round to the same float.
  ob::JsonValue loaded = parse("[0.1000000001]");
  ob::JsonValue written = ob::makeJsonArray();
  written.elements.push_back(ob::makeJsonDouble(0.1));
  ob::adoptNumberSpellings(written, loaded);
  EXPECT_EQ(written.elements[0].numberText, "");

  ob::JsonValue nanLoaded = parse("[-nan]");
  ob::JsonValue nanWritten = ob::makeJsonArray();
  nanWritten.elements.push_back(ob::makeJsonDouble(std::nan("")));
  ob::adoptNumberSpellings(nanWritten, nanLoaded);
  EXPECT_EQ(nanWritten.elements[0].numberText, "");

  ob::JsonValue emptyL = parse("[]");
  ob::JsonValue emptyW = ob::makeJsonArray();
  ob::adoptNumberSpellings(emptyW, emptyL);
  EXPECT_TRUE(emptyW.elements.empty());
}

TEST(MergeMembers, ReplacesInPlaceAppendsRestAndRestoresSpellings) {
  ob::JsonValue loaded = parse(R"({"name":3,"length":4.0,"extra":[1.0,"x"],"z":1})");
  ob::JsonValue target = ob::makeJsonObject();
  target.set("kind", ob::makeJsonString("clip"));
  target.set("name", ob::makeJsonString("writer's"));
  target.set("length", ob::makeJsonDouble(4));
  ob::JsonValue kept = parse(R"({"name":3,"extra":[1.0,"x"]})");
  ob::mergeMembers(target, kept, loaded);
  EXPECT_EQ(ob::writeJson(target), R"({"kind":"clip","name":3,"length":4.0,"extra":[1.0,"x"]})");

  ob::JsonValue nothing;
  ob::mergeMembers(target, nothing, nothing);
  EXPECT_EQ(keys(target), "kind,name,length,extra,");
}

}  // namespace reading_kit_test
