#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "document/json/json.h"

namespace json_parse_test {

using ob::JsonKind;
using ob::JsonValue;

// A shape under which every container is kept as text.
const ob::JsonShape& keepingAll() {
  static const ob::JsonShape shape = ob::objectShape({});
  return shape;
}

std::string parseError(std::string_view text) {
  JsonValue v;
  std::string error;
  EXPECT_FALSE(ob::parseJson(text, v, error)) << text;
  // Text that is only checked, never built, fails as the same.
  std::string keptError;
  EXPECT_FALSE(ob::parseJson(text, keepingAll(), v, keptError)) << text;
  EXPECT_EQ(error, keptError) << text;
  return error;
}

JsonValue parseOk(std::string_view text) {
  JsonValue v;
  std::string error;
  EXPECT_TRUE(ob::parseJson(text, v, error)) << text << ": " << error;
  return v;
}

std::string nested(int levels) {
  return std::string(static_cast<std::size_t>(levels), '[') +
         std::string(static_cast<std::size_t>(levels), ']');
}

TEST(JsonParse, EveryMessageHasItsInput) {
  EXPECT_EQ(parseError(""), "empty document");
  EXPECT_EQ(parseError(" \t\r\n "), "empty document");
  EXPECT_EQ(parseError("1 2"), "unexpected content after the document");
  EXPECT_EQ(parseError("true false"), "unexpected content after the document");
  EXPECT_EQ(parseError("truex"), "unexpected content after the document");
  EXPECT_EQ(parseError(nested(257)), "document nested too deep");
  EXPECT_EQ(parseError("tru"), "invalid literal");
  EXPECT_EQ(parseError("nul"), "invalid literal");
  EXPECT_EQ(parseError("fals"), "invalid literal");
  EXPECT_EQ(parseError("+1"), "invalid number");
  EXPECT_EQ(parseError("-"), "invalid number");
  EXPECT_EQ(parseError("1e999"), "invalid number");
  EXPECT_EQ(parseError("1e-400"), "invalid number");
  EXPECT_EQ(parseError(".5"), "invalid number");
  EXPECT_EQ(parseError("[1,]"), "invalid number");
  EXPECT_EQ(parseError("[,1]"), "invalid number");
  EXPECT_EQ(parseError("\"abc"), "unterminated string");
  EXPECT_EQ(parseError("\"abc\\"), "unterminated string");
  EXPECT_EQ(parseError("\"\\u12\""), "truncated \\u escape");
  EXPECT_EQ(parseError("[\"\\u12\"]"), "bad \\u escape");
  EXPECT_EQ(parseError("\"\\uzzzz\""), "bad \\u escape");
  EXPECT_EQ(parseError("\"\\ud83d\\u0041\""), "unpaired surrogate");
  EXPECT_EQ(parseError("\"\\ud83d\\u00\""), "truncated \\u escape");
  EXPECT_EQ(parseError("[1 2]"), "expected ',' or ']'");
  EXPECT_EQ(parseError("[1"), "expected ',' or ']'");
  EXPECT_EQ(parseError("{\"a\":1,}"), "expected key");
  EXPECT_EQ(parseError("{1:2}"), "expected key");
  EXPECT_EQ(parseError("{\"a\" 1}"), "expected ':'");
  EXPECT_EQ(parseError("{\"a\":1 \"b\":2}"), "expected ',' or '}'");
  EXPECT_EQ(parseError("{\"a\":1"), "expected ',' or '}'");
  EXPECT_EQ(parseError("{\"a\":1,\"a\":2}"), "duplicate key \"a\"");
}

TEST(JsonParse, DuplicateKeyIsFoundBeforeTheSecondValue) {
  // The second value is broken; the duplicate is reported first.
  EXPECT_EQ(parseError("{\"k\":1,\"k\":tru}"), "duplicate key \"k\"");
  // Keys compare after unescaping.
  EXPECT_EQ(parseError("{\"a\":1,\"\\u0061\":2}"), "duplicate key \"a\"");
  // And as written: bytes that are no UTF-8 are written alike, as U+FFFD.
  EXPECT_EQ(parseError("{\"a\\ud800\":1,\"a\xFF\":3}"), "duplicate key \"a\xEF\xBF\xBD\"");
  // Same key in different objects is fine.
  parseOk("{\"a\":{\"a\":1},\"b\":{\"a\":2}}");
}

TEST(JsonParse, DuplicateKeyInLargeObject) {
  std::string doc = "{";
  for (int i = 0; i < 100; ++i) doc += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
  JsonValue v = parseOk(doc.substr(0, doc.size() - 1) + "}");
  EXPECT_EQ(v.members.size(), 100u);
  EXPECT_EQ(parseError(doc + "\"k17\":0}"), "duplicate key \"k17\"");
  EXPECT_EQ(parseError(doc + "\"k99\":0}"), "duplicate key \"k99\"");
  EXPECT_EQ(parseError(doc + "\"k\xD3\":0,\"k\xFF\":0}"), "duplicate key \"k\xEF\xBF\xBD\"");
}

TEST(JsonParse, NestingLimit) {
  JsonValue v = parseOk(nested(256));
  int depth = 1;
  for (const JsonValue* p = &v; !p->elements.empty(); p = &p->elements[0]) ++depth;
  EXPECT_EQ(depth, 256);
  EXPECT_EQ(parseError(nested(257)), "document nested too deep");
  std::string objects;
  for (int i = 0; i < 256; ++i) objects += "{\"a\":";
  objects += "1" + std::string(256, '}');
  parseOk(objects);
  EXPECT_EQ(parseError("[" + objects + "]"), "document nested too deep");
}

TEST(JsonParse, ValueLimit) {
  // Every value counts: the containers, the elements and members' values.
  auto zeros = [](std::uint64_t n) {
    std::string list = "[0";
    list.reserve(2 * n + 1);
    for (std::uint64_t i = 1; i < n; ++i) list += ",0";
    return list + "]";
  };
  const std::uint64_t limit = ob::kJsonMaxValues;
  EXPECT_EQ(parseOk(zeros(limit - 1)).elements.size(), limit - 1);
  EXPECT_EQ(parseError(zeros(limit)), ob::kJsonTooManyValues);
  parseOk("{\"a\":" + zeros(limit - 2) + "}");
  EXPECT_EQ(parseError("{\"a\":" + zeros(limit - 1) + "}"), ob::kJsonTooManyValues);
}

TEST(JsonParse, NumbersKeepTheirText) {
  JsonValue v = parseOk("  7  ");
  EXPECT_EQ(v.kind, JsonKind::Number);
  EXPECT_EQ(v.number, 7.0);
  EXPECT_EQ(v.numberText, "7");

  v = parseOk("-0");
  EXPECT_TRUE(std::signbit(v.number));
  EXPECT_EQ(v.numberText, "-0");

  v = parseOk("007");
  EXPECT_EQ(v.number, 7.0);
  EXPECT_EQ(v.numberText, "007");

  EXPECT_EQ(parseError("1e"), "unexpected content after the document");
}

TEST(JsonParse, NumberPrefixRules) {
  JsonValue v = parseOk("[1.,-.5,1e3,2E-2]");
  ASSERT_EQ(v.elements.size(), 4u);
  EXPECT_EQ(v.elements[0].number, 1.0);
  EXPECT_EQ(v.elements[0].numberText, "1.");
  EXPECT_EQ(v.elements[1].number, -0.5);
  EXPECT_EQ(v.elements[2].number, 1000.0);
  EXPECT_EQ(v.elements[3].number, 0.02);
  // An exponent without digits is not part of the number.
  EXPECT_EQ(parseError("[1e]"), "expected ',' or ']'");
  // Words after a minus sign give infinity and NaN.
  v = parseOk("[-inf,-Infinity,-nan]");
  EXPECT_TRUE(std::isinf(v.elements[0].number) && v.elements[0].number < 0);
  EXPECT_EQ(v.elements[0].numberText, "-inf");
  EXPECT_TRUE(std::isinf(v.elements[1].number));
  EXPECT_TRUE(std::isnan(v.elements[2].number));
  // Without the minus they are not numbers.
  EXPECT_EQ(parseError("inf"), "invalid number");
  // Smallest subnormal is in range; below it underflows.
  v = parseOk("5e-324");
  EXPECT_GT(v.number, 0.0);
  EXPECT_EQ(parseError("2e-324"), "invalid number");
  v = parseOk("0e-999");
  EXPECT_EQ(v.number, 0.0);
}

TEST(JsonParse, StringsAndEscapes) {
  EXPECT_EQ(parseOk("\"\\q\"").text, "q");
  EXPECT_EQ(parseOk("\"a\tb\nc\"").text, "a\tb\nc");
  EXPECT_EQ(parseOk("\"\\\"\\\\\\/\\b\\f\\n\\r\\t\"").text, "\"\\/\b\f\n\r\t");
  EXPECT_EQ(parseOk("\"\\ud83d\\ude00\"").text, "\xF0\x9F\x98\x80");
  EXPECT_EQ(parseOk("\"\\uD83D\\uDE00\"").text, "\xF0\x9F\x98\x80");
  // Lone surrogates are encoded on their own (three bytes).
  EXPECT_EQ(parseOk("\"\\ud800\"").text, "\xED\xA0\x80");
  EXPECT_EQ(parseOk("\"\\udc00x\"").text, "\xED\xB0\x80x");
  EXPECT_EQ(parseOk("\"\\u00e9\\u0041\\u20ac\"").text,
            "\xC3\xA9"
            "A\xE2\x82\xAC");
  JsonValue nul = parseOk("\"a\\u0000b\"");
  EXPECT_EQ(nul.text, std::string("a\0b", 3));
  // Malformed UTF-8 passes through.
  EXPECT_EQ(parseOk("\"\xFF\xC3\"").text, "\xFF\xC3");
}

TEST(JsonParse, ObjectsKeepDocumentOrder) {
  JsonValue v = parseOk("{\"z\":1,\"a\":[true,false,null],\"m\":{\"x\":\"y\"}}");
  ASSERT_EQ(v.kind, JsonKind::Object);
  ASSERT_EQ(v.members.size(), 3u);
  EXPECT_EQ(v.members[0].key, "z");
  EXPECT_EQ(v.members[1].key, "a");
  EXPECT_EQ(v.members[2].key, "m");
  ASSERT_NE(v.find("a"), nullptr);
  EXPECT_EQ(v.find("a")->elements.size(), 3u);
  EXPECT_TRUE(v.find("a")->elements[0].boolean);
  EXPECT_EQ(v.find("a")->elements[2].kind, JsonKind::Null);
  EXPECT_EQ(v.find("nope"), nullptr);
  EXPECT_EQ(v.getString("z", "dflt"), "dflt");
  EXPECT_EQ(v.find("m")->getString("x", ""), "y");
  EXPECT_EQ(ob::JsonValue::find(v, "z")->number, 1.0);
  EXPECT_TRUE(ob::jsonGetBool(parseOk("{\"b\":true}"), "b", false));
  EXPECT_FALSE(ob::jsonGetBool(parseOk("{\"b\":1}"), "b", false));
  EXPECT_EQ(parseOk("[1]").find("0"), nullptr);
}

// Random documents of the parser's whole language: odd number spellings,
// escapes, raw control bytes, blanks anywhere, nesting, repeated keys.
class RandomJson {
 public:
  explicit RandomJson(unsigned seed) : rng_(seed) {}

  std::string value(int depth) {
    switch (depth == 0 ? 6 : pick(depth < 6 ? 8 : 4)) {
      case 0: return pickOf({"null", "true", "false", "007", "-0", "1.50", "1e3", "-inf", "2.5E-3", "-.5"});
      case 1: return std::to_string(static_cast<int>(rng_() % 2001) - 1000);
      case 2:
      case 3: return string();
      case 4:
      case 5: {
        std::string out = "[" + blank();
        const int n = pick(5);
        for (int i = 0; i < n; ++i) out += (i ? "," + blank() : "") + value(depth + 1) + blank();
        return out + "]";
      }
      default: {
        std::string out = "{" + blank();
        const int n = pick(5);
        for (int i = 0; i < n; ++i)
          out += (i ? "," + blank() : "") + key(i) + blank() + ":" + blank() + value(depth + 1) + blank();
        return out + "}";
      }
    }
  }

  // A shape over the keys the documents use.
  ob::JsonShape shape(int depth) {
    const int form = depth == 0 ? 4 : pick(depth < 4 ? 6 : 2);
    if (form == 0) return ob::scalarShape();
    if (form == 1) return ob::wholeShape();
    if (form == 2) return ob::arrayShape(shape(depth + 1));
    if (form == 3) return ob::objectOfShape(shape(depth + 1));
    std::vector<ob::JsonShapeMember> members;
    for (const char* k : {"a", "b", "c"})
      if (pick(2) == 0) members.push_back({k, shape(depth + 1)});
    return ob::objectShape(std::move(members));
  }

  std::string damaged(std::string text) {
    const std::size_t at = rng_() % (text.size() + 1);
    switch (pick(3)) {
      case 0: return text.substr(0, at);
      case 1: return text.insert(at, pickOf({",", "\"", "]", "}", ":", "\\u12", "x"}));
      default: return text.erase(at, 1);
    }
  }

 private:
  int pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  std::string pickOf(std::initializer_list<const char*> words) {
    return *(words.begin() + pick(int(words.size())));
  }
  std::string blank() { return pickOf({"", "", " ", "\n  ", "\t"}); }
  std::string string() {
    return "\"" + pickOf({"", "x", "a\\nb", "\\u00e9\\ud83d\\ude00", "\\/\\q", "tab\there", "\\\""}) + "\"";
  }
  // Now and then the key before it again.
  std::string key(int i) { return "\"" + std::string(1, char('a' + i - (i > 0 && pick(12) == 0))) + "\""; }

  std::mt19937 rng_;
};

// What a shape does not build is kept and written compact as its values
// would be; indented, members no reader reads stand as they were read, so
// that the writer's own text comes back byte for byte.
TEST(JsonParse, AShapeKeepsWhatItDoesNotBuildAndWritesItBack) {
  RandomJson random(78);
  JsonValue reused;  // each document parsed over the storage of the one before
  for (int i = 0; i < 3000; ++i) {
    const ob::JsonShape shape = random.shape(0);
    std::string text = random.value(0);
    if (i % 3 == 0) text = random.damaged(text);
    SCOPED_TRACE(text);
    JsonValue whole;
    JsonValue kept;
    std::string error;
    std::string keptError;
    const bool ok = ob::parseJson(text, whole, error);
    ASSERT_EQ(ok, ob::parseJson(text, shape, kept, keptError));
    EXPECT_EQ(error, keptError);
    std::string overError;
    ASSERT_EQ(ok, ob::parseJsonOver(text, reused, overError));
    EXPECT_EQ(error, overError);
    if (!ok) continue;
    EXPECT_EQ(ob::writeJson(whole), ob::writeJson(kept));
    EXPECT_EQ(ob::writeJson(reused), ob::writeJson(whole));
    JsonValue again;
    ASSERT_TRUE(ob::parseJson(ob::dumpJson(kept), again, error)) << ob::dumpJson(kept);
    EXPECT_EQ(ob::writeJson(again), ob::writeJson(whole));
    for (const int depth : {0, 3}) {
      std::string written;
      ob::writeJsonPretty(whole, depth, written);
      JsonValue read;
      ASSERT_TRUE(ob::parseJson(written, shape, read, error));
      std::string rewritten;
      ob::writeJsonPretty(read, depth, rewritten);
      EXPECT_EQ(rewritten, written);
    }
  }
}

TEST(JsonValueModel, BuildingAndCopying) {
  JsonValue o;
  o.set("a", ob::makeJsonDouble(1));
  o.set("b", ob::makeJsonString("x"));
  o.set("a", ob::makeJsonBool(true));  // replaced in place
  ASSERT_EQ(o.kind, JsonKind::Object);
  ASSERT_EQ(o.members.size(), 2u);
  EXPECT_EQ(o.members[0].key, "a");
  EXPECT_EQ(o.members[0].value.kind, JsonKind::Bool);

  JsonValue copy = o;
  copy.find("b")->text = "changed";
  EXPECT_EQ(o.find("b")->text, "x");

  JsonValue moved = std::move(copy);
  EXPECT_TRUE(copy.members.empty());
  EXPECT_EQ(moved.members.size(), 2u);

  JsonValue arr;
  arr.push(ob::makeJsonDouble(1));
  JsonValue::push(arr, ob::makeJsonNull());
  EXPECT_EQ(arr.kind, JsonKind::Array);
  EXPECT_EQ(arr.elements.size(), 2u);

  std::vector<ob::JsonMember> members;
  JsonValue::setMember(members, "k", ob::makeJsonDouble(1));
  JsonValue::setMember(members, "k", ob::makeJsonDouble(2));
  ASSERT_EQ(members.size(), 1u);
  EXPECT_EQ(JsonValue::findMember(members, "k")->number, 2.0);

  EXPECT_EQ(ob::formatUnsigned(0), "0");
  EXPECT_EQ(ob::formatUnsigned(18446744073709551615ull), "18446744073709551615");
}

}  // namespace json_parse_test
