// Documents must read and write the same under any host locale: a host that
// sets a comma-decimal LC_NUMERIC must not change a single byte.
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "document/json/json.h"
#include "support/comma_locale.h"

namespace json_locale_test {

namespace fs = std::filesystem;

const char* kDoc = "{\"tempo\":120.5,\"gain\":-0.25,\"small\":1.5e-07,\"list\":[0.1,2.75,1e3]}";

void expectSameBytes() {
  ob::JsonValue v;
  std::string error;
  ASSERT_TRUE(ob::parseJson(kDoc, v, error)) << error;
  EXPECT_EQ(v.find("tempo")->number, 120.5);
  EXPECT_EQ(v.find("gain")->number, -0.25);
  EXPECT_EQ(ob::writeJson(v), kDoc);
  // Numbers made in code, without a spelling.
  ob::JsonValue made = ob::makeJsonObject();
  made.set("a", ob::makeJsonDouble(0.5));
  made.set("b", ob::makeJsonNumber(2.25f));
  made.set("c", ob::makeJsonDouble(1234.5678));
  EXPECT_EQ(ob::writeJson(made), "{\"a\":0.5,\"b\":2.25,\"c\":1234.5678}");
  EXPECT_EQ(ob::dumpJson(made), "{\n  \"a\": 0.5,\n  \"b\": 2.25,\n  \"c\": 1234.5678\n}\n");
}

TEST(JsonLocale, CommaDecimalLocaleChangesNothing) {
  const ob::test::CommaDecimalLocale comma;
  if (!comma.active()) GTEST_SKIP() << "no comma-decimal locale available";
  expectSameBytes();
}

TEST(JsonLocale, CUtf8LocaleChangesNothing) {
  if (!std::setlocale(LC_ALL, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
  expectSameBytes();
  std::setlocale(LC_ALL, "C");
}

TEST(JsonLocale, NumberCodeUsesNoLocaleDependentCalls) {
  const fs::path root = fs::path(OB_TEST_DATA_DIR).parent_path().parent_path();
  const fs::path dir = root / "document" / "json";
  ASSERT_TRUE(fs::is_directory(dir)) << dir;
  const std::regex banned(
      R"(\b(strto[dfl]|strtold|atof|sto[dfl]|stold|s?n?printf|sscanf|scanf|setlocale|localeconv|[io]?stringstream|std::locale|to_string)\s*\()"
      R"(|\b[io]?stringstream\b)");
  // The pattern does catch the calls it is meant to catch.
  EXPECT_TRUE(std::regex_search(std::string("d = std::strtod(p, &end);"), banned));
  EXPECT_TRUE(std::regex_search(std::string("snprintf (buf, n, \"%g\", d);"), banned));
  EXPECT_TRUE(std::regex_search(std::string("std::ostringstream os;"), banned));
  EXPECT_FALSE(std::regex_search(std::string("std::from_chars(a, b, d);"), banned));
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".cpp" && ext != ".h") continue;
    ++files;
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    std::smatch m;
    const std::string body = text.str();
    EXPECT_FALSE(std::regex_search(body, m, banned)) << entry.path() << " uses " << m.str();
  }
  EXPECT_GE(files, 4);
}

}  // namespace json_locale_test
