#include <gtest/gtest.h>

#include "document/diagnostics.h"
#include "instance_rig.h"

TEST(Diagnostics, AddersFillTheRecord) {
  ob::Diagnostics list;
  list.error("zip-unreadable", "", "The archive cannot be read");
  list.warn("wrong-type", "/params/macro1", "Expected a number");
  list.note("info", "/a", "Just so you know");
  list.add(ob::Severity::Warning, "moved", "/b", "Carried", "extra");
  ASSERT_EQ(list.size(), 4u);
  const ob::Diagnostic& e = list[0];
  EXPECT_EQ(e.severity, ob::Severity::Error);
  EXPECT_EQ(static_cast<std::uint32_t>(e.severity), 2u);
  EXPECT_EQ(e.code, "zip-unreadable");
  EXPECT_TRUE(e.detail.empty());
  EXPECT_TRUE(e.path.empty());
  EXPECT_EQ(e.index, 0xFFFFFFFFu);
  EXPECT_EQ(e.message, "The archive cannot be read");
  EXPECT_EQ(static_cast<std::uint32_t>(list[1].severity), 1u);
  EXPECT_EQ(list[1].path, "/params/macro1");
  EXPECT_EQ(static_cast<std::uint32_t>(list[2].severity), 0u);
  EXPECT_EQ(list[3].detail, "extra");
  EXPECT_EQ(list[3].index, 0xFFFFFFFFu);
}

TEST(Diagnostics, JoinKeepsListOrderAndAllSeverities) {
  ob::Diagnostics empty;
  EXPECT_EQ(ob::joinDiagnosticMessages(empty), "");

  ob::Diagnostics one;
  one.error("not-an-instance", "/kind", "Not an instance document");
  EXPECT_EQ(ob::joinDiagnosticMessages(one), "Not an instance document (/kind)");

  ob::Diagnostics two;
  two.warn("missing-asset", "/assets/s1", "The archive has no such asset; the sample plays silent");
  two.error("document-unreadable", "", "Broken");
  EXPECT_EQ(ob::joinDiagnosticMessages(two),
            "The archive has no such asset; the sample plays silent (/assets/s1); Broken");

  ob::Diagnostics mixed;
  mixed.note("n", "/a", "first");
  mixed.warn("w", "/b", "second");
  mixed.error("e", "", "third");
  EXPECT_EQ(ob::joinDiagnosticMessages(mixed), "first (/a); second (/b); third");
}

TEST(Diagnostics, BlankRecordsAddNothing) {
  ob::Diagnostics list;
  list.note("blank", "", "");
  list.warn("w", "", "real");
  list.note("blank", "", "");
  list.error("e", "/p", "");
  EXPECT_EQ(ob::joinDiagnosticMessages(list), "real;  (/p)");
}

// A document's text in a message: whole while short; past the limit its
// start, cut where a character starts, and an ellipsis, whatever the
// characters' widths.
TEST(Diagnostics, AQuotedTextIsWholeWhileShortAndItsStartOtherwise) {
  const std::string ellipsis = "\xE2\x80\xA6";
  for (const std::string unit : {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\xA5\x81"}) {
    for (std::size_t length = 0; length < 3 * ob::kLongestQuote; length += 7) {
      std::string text;
      while (text.size() < length) text += unit;
      SCOPED_TRACE(testing::Message() << unit.size() << "-byte characters, " << text.size() << " bytes");
      const std::string quoted = ob::quotedText(text);
      if (text.size() <= ob::kLongestQuote) {
        EXPECT_EQ(quoted, text);
        continue;
      }
      ASSERT_TRUE(quoted.ends_with(ellipsis));
      const std::string start = quoted.substr(0, quoted.size() - ellipsis.size());
      EXPECT_LE(start.size(), ob::kLongestQuote);
      EXPECT_GT(start.size() + unit.size(), ob::kLongestQuote) << "no more cut than a character";
      EXPECT_TRUE(text.starts_with(start));
      EXPECT_EQ(start.size() % unit.size(), 0u) << "a character split";
    }
  }
}

// While a bound is open, a list takes each code's first findings whole and
// the next as it comes, which at the bound's end says how many more of its
// code there were; other codes are counted apart, errors always taken, and
// a list without a bound, or that keeps nothing, takes none of this.
TEST(Diagnostics, ABoundSaysAFewOfEachKindAndCountsTheRest) {
  for (const std::size_t n : {std::size_t(0), ob::kFindingsSaidWhole, ob::kFindingsSaidWhole + 1,
                              ob::kFindingsSaidWhole + 2, std::size_t(5000)}) {
    SCOPED_TRACE(n);
    ob::Diagnostics list, dropped = ob::Diagnostics::dropping();
    {
      ob::FindingsBound bound(list);
      ob::FindingsBound inner(list);
      for (std::size_t i = 0; i < n; ++i) {
        list.warn("bad-lane", "/lanes/" + std::to_string(i), "Kept");
        if (i % 2 == 0) list.note("other", "", "Also");
        if (i % 1000 == 0) list.error("broken", "", "Said");
      }
    }
    const std::size_t taken = std::min(n, ob::kFindingsSaidWhole + 1);
    EXPECT_EQ(obtest::countCode(list, "bad-lane"), int(taken));
    EXPECT_EQ(obtest::countCode(list, "other"), int(std::min((n + 1) / 2, ob::kFindingsSaidWhole + 1)));
    EXPECT_EQ(obtest::countCode(list, "broken"), int((n + 999) / 1000));
    std::string last;
    for (const ob::Diagnostic& d : list)
      if (d.code == "bad-lane") last = d.message;
    EXPECT_EQ(last, n <= taken
                        ? std::string(n ? "Kept" : "")
                        : "Kept; and " + std::to_string(n - taken) + " more like it after it, not listed");
    list.warn("bad-lane", "/after", "Unbound");
    EXPECT_EQ(obtest::countCode(list, "bad-lane", "/after"), 1);
    dropped.warn("bad-lane", "", "Kept");
    EXPECT_TRUE(dropped.empty());
  }
}
