#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "document/json/json.h"
#include "engine/model/utf8_text.h"

namespace json_write_test {

using ob::JsonKind;
using ob::JsonValue;

JsonValue parsed(std::string_view text) {
  JsonValue v;
  std::string error;
  EXPECT_TRUE(ob::parseJson(text, v, error)) << text << ": " << error;
  return v;
}

bool reparses(const std::string& text) {
  JsonValue v;
  std::string error;
  return ob::parseJson(text, v, error);
}

TEST(JsonWrite, RoundTripKeepsSpellingsAndOrder) {
  const std::string docs[] = {
      "{\"z\":1.50,\"a\":-0,\"m\":1e3,\"b\":[007,0.1,1E+2,-.5,1.],\"c\":\"s\"}",
      "[true,false,null,{},[],\"\"]",
      "{\"nested\":{\"k\":[{\"x\":2.000}]}}",
  };
  for (const std::string& doc : docs) {
    JsonValue v = parsed(doc);
    EXPECT_EQ(ob::writeJson(v), doc);
    // The indented form reads back to the same compact text.
    EXPECT_EQ(ob::writeJson(parsed(ob::dumpJson(v))), doc);
  }
}

TEST(JsonWrite, ChangedValueDropsSpelling) {
  JsonValue v = parsed("1.50");
  EXPECT_EQ(ob::formatJsonNumber(v), "1.50");
  v.number = 2.0;
  EXPECT_EQ(ob::formatJsonNumber(v), "2");
  v = parsed("007");
  EXPECT_EQ(ob::formatJsonNumber(v), "007");
  v.number = 8.0;
  EXPECT_EQ(ob::formatJsonNumber(v), "8");
}

TEST(JsonWrite, SpellingSurvivesA32BitRoundTrip) {
  JsonValue v = parsed("0.1");
  v.number = static_cast<double>(static_cast<float>(v.number));
  EXPECT_EQ(ob::formatJsonNumber(v), "0.1");
  // A value that is not a float keeps only an exact match.
  v = parsed("0.1");
  v.number = 0.1000000001;
  EXPECT_EQ(ob::formatJsonNumber(v), "0.1000000001");
}

TEST(JsonWrite, ShortestNumberText) {
  EXPECT_EQ(ob::formatJsonNumber(ob::makeJsonNumber(0.1f)), "0.1");
  EXPECT_EQ(ob::makeJsonNumber(0.1f).numberText, "0.1");
  EXPECT_EQ(ob::formatJsonNumber(ob::makeJsonDouble(static_cast<double>(0.1f))), "0.10000000149011612");
  EXPECT_EQ(ob::makeJsonNumber(123456.0f).numberText, "123456");
  EXPECT_EQ(ob::makeJsonNumber(100000.0f).numberText, "1e+05");
  EXPECT_EQ(ob::makeJsonNumber(0.0001f).numberText, "1e-04");
  EXPECT_EQ(ob::makeJsonNumber(-0.0f).numberText, "-0");
  EXPECT_EQ(ob::makeJsonNumber(0.0f).numberText, "0");
  EXPECT_EQ(ob::makeJsonNumber(std::numeric_limits<float>::infinity()).numberText, "");
  EXPECT_EQ(ob::formatJsonNumber(ob::makeJsonDouble(120)), "120");
  EXPECT_EQ(ob::formatJsonNumber(ob::makeJsonDouble(-0.0)), "-0");
  EXPECT_EQ(ob::formatJsonNumber(ob::makeJsonDouble(1e21)), "1e+21");
  EXPECT_EQ(ob::formatJsonNumber(ob::makeJsonDouble(1.5e-7)), "1.5e-07");
  EXPECT_EQ(ob::formatJsonNumber(ob::makeJsonDouble(0.001)), "0.001");
  EXPECT_EQ(ob::formatJsonNumber(ob::makeJsonDouble(1e15)), "1e+15");
  EXPECT_EQ(ob::formatJsonNumber(ob::makeJsonDouble(123456789012)), "123456789012");
  // Every double written reads back to itself.
  const double samples[] = {0.3, 1.0 / 3.0, 5e-324, 1.7976931348623157e308, -2.5e-300, 42.125};
  for (double d : samples) {
    JsonValue back = parsed(ob::formatJsonNumber(ob::makeJsonDouble(d)));
    EXPECT_EQ(back.number, d);
  }
}

TEST(JsonWrite, NonFiniteNumbersNeverReachTheOutput) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ob::writeJson(ob::makeJsonDouble(inf)), "null");
  EXPECT_EQ(ob::writeJson(ob::makeJsonDouble(-inf)), "null");
  EXPECT_EQ(ob::writeJson(ob::makeJsonDouble(std::nan(""))), "null");
  // Spellings read from a document do not smuggle them out either.
  JsonValue v = parsed("[-inf,-Infinity,-nan,1]");
  const std::string compact = ob::writeJson(v);
  EXPECT_EQ(compact, "[null,null,null,1]");
  EXPECT_TRUE(reparses(compact));
  EXPECT_TRUE(reparses(ob::dumpJson(v)));
  // A hand-set spelling that is not a number is ignored.
  JsonValue bad = ob::makeJsonDouble(2.0);
  bad.numberText = "2 ]";
  EXPECT_EQ(ob::formatJsonNumber(bad), "2");
  bad.numberText = "inf";
  bad.number = inf;
  EXPECT_EQ(ob::formatJsonNumber(bad), "null");
  // Unknown kinds write as null.
  JsonValue odd;
  odd.kind = static_cast<JsonKind>(9);
  EXPECT_EQ(ob::writeJson(odd), "null");
}

TEST(JsonWrite, SignOfZeroIsKept) {
  JsonValue v = parsed("-0");
  EXPECT_EQ(ob::writeJson(v), "-0");
  v.number = 0.0;
  EXPECT_EQ(ob::writeJson(v), "0");
}

TEST(JsonWrite, StringEscapes) {
  EXPECT_EQ(ob::quoteJsonString(std::string("\x08", 1)), "\"\\u0008\"");
  EXPECT_EQ(ob::quoteJsonString("\f"), "\"\\u000c\"");
  EXPECT_EQ(ob::quoteJsonString(std::string("\0", 1)), "\"\\u0000\"");
  EXPECT_EQ(ob::quoteJsonString("\x1f"), "\"\\u001f\"");
  EXPECT_EQ(ob::quoteJsonString("a/b"), "\"a/b\"");
  EXPECT_EQ(ob::quoteJsonString("\xC3\xA9\x7F"), "\"\xC3\xA9\x7F\"");
  EXPECT_EQ(ob::quoteJsonString("\"\\\n\r\t"), "\"\\\"\\\\\\n\\r\\t\"");
  // Every byte string is written as UTF-8: what is UTF-8 survives write
  // then read, each run that is not reads back as U+FFFD.
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_TRUE(ob::isValidUtf8(ob::quoteJsonString(all)));
  EXPECT_EQ(parsed(ob::quoteJsonString(all)).text, ob::mendedUtf8(all));
  EXPECT_EQ(parsed(ob::quoteJsonString(all.substr(0, 128))).text, all.substr(0, 128));
  // Keys use the same form.
  JsonValue o;
  o.set("k\"1", ob::makeJsonNull());
  EXPECT_EQ(ob::writeJson(o), "{\"k\\\"1\":null}");
}

TEST(JsonWrite, IndentedLayout) {
  JsonValue v = parsed("{\"a\":[1,2],\"b\":{}}");
  std::string out;
  ob::writeJsonPretty(v, 0, out);
  EXPECT_EQ(out, "{\n  \"a\": [1,2],\n  \"b\": {}\n}");
  EXPECT_EQ(ob::dumpJson(v), out + "\n");

  JsonValue deep = parsed("{\"x\":[[1],{\"y\":true}],\"e\":[],\"s\":{\"t\":\"u\"}}");
  EXPECT_EQ(ob::dumpJson(deep),
            "{\n"
            "  \"x\": [\n"
            "    [1],\n"
            "    {\n"
            "      \"y\": true\n"
            "    }\n"
            "  ],\n"
            "  \"e\": [],\n"
            "  \"s\": {\n"
            "    \"t\": \"u\"\n"
            "  }\n"
            "}\n");
  EXPECT_EQ(ob::dumpJson(parsed("[]")), "[]\n");
  EXPECT_EQ(ob::dumpJson(parsed("{}")), "{}\n");
  EXPECT_EQ(ob::dumpJson(parsed("\"s\"")), "\"s\"\n");

  // At a given depth the outer indent follows it.
  std::string inner;
  ob::writeJsonPretty(parsed("{\"k\":1}"), 2, inner);
  EXPECT_EQ(inner, "{\n      \"k\": 1\n    }");
}

}  // namespace json_write_test
