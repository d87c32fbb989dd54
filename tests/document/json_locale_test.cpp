// Documents must read and write the same under any host locale: a host that
// sets a comma-decimal LC_NUMERIC must not change a single byte.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "document/json/json.h"

namespace {

namespace fs = std::filesystem;

// Switches LC_NUMERIC to a comma-decimal locale: the installed one, or one
// generated into a temporary directory. Returns false when neither works.
bool useCommaLocale() {
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE"};
    for (const char* n : names)
        if (std::setlocale(LC_NUMERIC, n)) return true;
    const fs::path dir = fs::temp_directory_path() / "ob_json_locale";
    std::error_code ec;
    fs::create_directories(dir, ec);
    const std::string cmd = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() +
                            "' >/dev/null 2>&1";
    (void)std::system(cmd.c_str());
    if (!fs::exists(dir / "de_DE.UTF-8")) return false;
    setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

const char* kDoc =
    "{\"tempo\":120.5,\"gain\":-0.25,\"small\":1.5e-07,\"list\":[0.1,2.75,1e3]}";

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

}  // namespace

TEST(JsonLocale, CommaDecimalLocaleChangesNothing) {
    if (!useCommaLocale()) GTEST_SKIP() << "no comma-decimal locale available";
    // Guard against a vacuous run: the locale really uses a comma.
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    expectSameBytes();
    std::setlocale(LC_NUMERIC, "C");
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
        EXPECT_FALSE(std::regex_search(body, m, banned))
            << entry.path() << " uses " << m.str();
    }
    EXPECT_GE(files, 4);
}
