#include <gtest/gtest.h>

#include <string>

#include "document/diagnostics.h"
#include "document/json/json.h"
#include "document/reading/document_header.h"

namespace reading_header_test {

ob::JsonValue parse(const std::string& text) {
  ob::JsonValue v;
  std::string err;
  EXPECT_TRUE(ob::parseJson(text, v, err)) << err << " in " << text;
  return v;
}

struct Checked {
  ob::DocumentHeader header;
  ob::Diagnostics diags;
};

Checked check(const std::string& text, const char* kind = "clip") {
  Checked c;
  c.header = ob::readDocumentHeader(parse(text), kind, c.diags);
  return c;
}

TEST(DocumentHeader, RejectsNonObjectsAndOtherKinds) {
  Checked a = check("[1]");
  EXPECT_FALSE(a.header.ok);
  ASSERT_EQ(a.diags.size(), 1u);
  EXPECT_EQ(a.diags[0].severity, ob::Severity::Error);
  EXPECT_EQ(a.diags[0].code, "not-a-document");
  EXPECT_EQ(a.diags[0].path, "");
  EXPECT_EQ(a.diags[0].message, "Expected a JSON object");

  Checked b = check(R"({"kind":"instance","spec":7})");
  EXPECT_FALSE(b.header.ok);
  ASSERT_EQ(b.diags.size(), 1u) << "spec is not examined after a wrong kind";
  EXPECT_EQ(b.diags[0].code, "wrong-kind");
  EXPECT_EQ(b.diags[0].path, "/kind");
  EXPECT_EQ(b.diags[0].message, R"(Expected kind "clip", found "instance")");

  Checked c = check(R"({"spec":"1.0"})");
  EXPECT_FALSE(c.header.ok);
  EXPECT_EQ(c.diags[0].message, R"(Expected kind "clip", found "")");
  Checked d = check(R"({"kind":5})");
  EXPECT_FALSE(d.header.ok);
  EXPECT_EQ(d.diags[0].message, R"(Expected kind "clip", found "")");
}

TEST(DocumentHeader, SpecVersions) {
  Checked ok = check(R"({"kind":"clip","spec":"1.0"})");
  EXPECT_TRUE(ok.header.ok);
  EXPECT_TRUE(ok.diags.empty());
  EXPECT_EQ(ok.header.kind, "clip");

  Checked minor = check(R"({"kind":"clip","spec":"1.07"})");
  EXPECT_TRUE(minor.diags.empty());
  EXPECT_EQ(minor.header.specMajor, 1u);
  EXPECT_EQ(minor.header.specMinor, 7u);

  Checked newer = check(R"({"kind":"clip","spec":"2.3"})");
  EXPECT_TRUE(newer.header.ok);
  ASSERT_EQ(newer.diags.size(), 1u);
  EXPECT_EQ(newer.diags[0].code, "spec-newer-major");
  EXPECT_EQ(newer.diags[0].severity, ob::Severity::Warning);
  EXPECT_EQ(newer.diags[0].message,
            "Document uses spec 2.3, newer than 1.0; known fields are read and the rest is kept");
  EXPECT_EQ(newer.header.specMajor, 2u);

  Checked missing = check(R"({"kind":"clip"})");
  EXPECT_TRUE(missing.header.ok);
  ASSERT_EQ(missing.diags.size(), 1u);
  EXPECT_EQ(missing.diags[0].severity, ob::Severity::Note);
  EXPECT_EQ(missing.diags[0].code, "spec-missing");
  EXPECT_EQ(missing.diags[0].path, "/spec");
  EXPECT_EQ(missing.diags[0].message, "No spec version, read as 1.0");

  for (const char* bad : {R"("1")", "1.0", R"("1.")", R"(".1")", R"("-1.0")", R"("1.-0")", R"("1.0 ")",
                          R"("+1.0")", R"("1.0a")", R"("99999999999.0")", R"("3.x")"}) {
    Checked c = check(std::string(R"({"kind":"clip","spec":)") + bad + "}");
    EXPECT_TRUE(c.header.ok) << bad;
    ASSERT_EQ(c.diags.size(), 1u) << bad;
    EXPECT_EQ(c.diags[0].code, "bad-spec-version") << bad;
    EXPECT_EQ(c.diags[0].message, "Unreadable spec version, read as 1.0");
    EXPECT_EQ(c.header.specMajor, 1u) << bad;
    EXPECT_EQ(c.header.specMinor, 0u) << bad;
  }
  EXPECT_EQ(ob::formatSpecVersion(), "1.0");
}

TEST(DocumentHeader, ExtensionLists) {
  Checked c = check(R"({"kind":"clip","spec":"1.0","extensions":["a.b/2",5,"noslash","c/1"]})");
  EXPECT_TRUE(c.header.ok);
  EXPECT_TRUE(c.header.extensionsWellFormed);
  ASSERT_EQ(c.header.extensions.size(), 2u);
  EXPECT_EQ(c.header.extensions[0], (ob::ExtensionId{"a.b", 2}));
  EXPECT_EQ(c.header.extensions[1], (ob::ExtensionId{"c", 1}));
  ASSERT_EQ(c.header.unreadableExtensions.size(), 2u);
  ASSERT_EQ(c.diags.size(), 2u);
  EXPECT_EQ(c.diags[0].code, "bad-extension-id");
  EXPECT_EQ(c.diags[0].path, "/extensions/1");
  EXPECT_EQ(c.diags[1].path, "/extensions/2");
  EXPECT_EQ(c.diags[1].message, "Unreadable extension id, ignored and kept");
  // Written back: readable ids first, then the unreadable entries as written.
  EXPECT_EQ(ob::writeJson(ob::extensionsToJson(c.header.extensions, c.header.unreadableExtensions)),
            R"(["a.b/2","c/1",5,"noslash"])");

  Checked bad = check(R"({"kind":"clip","spec":"1.0","extensions":"x/1"})");
  EXPECT_TRUE(bad.header.ok);
  EXPECT_FALSE(bad.header.extensionsWellFormed);
  ASSERT_EQ(bad.diags.size(), 1u);
  EXPECT_EQ(bad.diags[0].code, "wrong-type");
  EXPECT_EQ(bad.diags[0].path, "/extensions");
  EXPECT_EQ(bad.diags[0].message, "Expected a list of extension ids; kept as written");
}

}  // namespace reading_header_test
