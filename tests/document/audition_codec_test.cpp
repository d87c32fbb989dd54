#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/instance/instance_state.h"
#include "document/json/json.h"
#include "engine/model/demo_project.h"
#include "engine/model/project.h"

namespace audition_codec_test {

// The demo through a whole instance document and back: the pattern travels
// only as the audition clip, so every step coming back proves that the
// instance state writes and reads it.
TEST(AuditionCodec, InstanceDocumentCarriesThePattern) {
  auto demo = ob::makeProject();
  ob::buildDemoProject(*demo);
  demo->patterns[0].tracks[3].steps[6].micro = -20;
  demo->patterns[0].seed = 77;
  const ob::JsonValue doc = ob::writeInstanceState(*demo, 0, "0.0.6");
  ASSERT_NE(doc.find("audition"), nullptr);

  ob::JsonValue reread;
  std::string error;
  ASSERT_TRUE(ob::parseJson(ob::dumpJson(doc), reread, error)) << error;
  auto loaded = ob::makeProject();
  ob::Diagnostics d;
  ASSERT_TRUE(ob::readInstanceState(reread, *loaded, d)) << ob::joinDiagnosticMessages(d);
  for (const ob::Diagnostic& x : d) EXPECT_NE(x.code.rfind("audition", 0), 0u) << x.code;

  const ob::Pattern& a = demo->patterns[0];
  const ob::Pattern& b = loaded->patterns[0];
  EXPECT_EQ(b.bpm, a.bpm);
  EXPECT_EQ(b.swing, a.swing);
  EXPECT_EQ(b.seed, a.seed);
  EXPECT_EQ(b.accentAmount, a.accentAmount);
  EXPECT_EQ(b.length, a.length);
  ASSERT_EQ(b.numTracks, a.numTracks);
  for (int t = 0; t < a.numTracks; ++t) {
    for (int s = 0; s < ob::kStepsPerTrack; ++s) {
      const ob::Step& x = a.tracks[t].steps[s];
      const ob::Step& y = b.tracks[t].steps[s];
      SCOPED_TRACE("track " + std::to_string(t) + " step " + std::to_string(s));
      EXPECT_EQ(x.active, y.active);
      EXPECT_EQ(x.velocity, y.velocity);
      EXPECT_EQ(x.micro, y.micro);
      EXPECT_EQ(x.lengthTicks, y.lengthTicks);
      EXPECT_EQ(x.lockCount, y.lockCount);
      EXPECT_EQ(x.randCount, y.randCount);
      EXPECT_EQ(x.count, y.count);
      EXPECT_EQ(x.velCurve, y.velCurve);
    }
  }
}

}  // namespace audition_codec_test
