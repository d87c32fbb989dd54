#include "ui/drop/drop_zone.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/ui/ui_harness.h"
#include "ui/draw/draw_log.h"
#include "ui/drop/drop_state.h"

namespace orbi::ui {
namespace drop_zone_test {

using Paths = std::vector<std::string>;

const Rect kZone{100, 100, 200, 50};

// A drag over the window as a drop source reports it between frames.
class DropZones : public testing::Test {
 protected:
  DropState& drop() { return dropState(harness_.ui()); }

  void dragOver(Paths paths, ImVec2 point) {
    drop().enter();
    drop().paths = std::move(paths);
    drop().point = point;
  }

  DropZoneResult zoneInFrame(const Rect& rect, std::initializer_list<std::string_view> endings) {
    DropZoneResult result;
    harness_.frame([&] { result = dropZone(rect, endings); });
    return result;
  }

  UiHarness harness_;
};

TEST_F(DropZones, EndingsMatchWithoutRegardToLetterCase) {
  struct Case {
    std::string path;
    std::vector<std::string_view> endings;
    bool matches;
  };
  for (const Case& c : {Case{"/s/KICK.WAV", {".wav"}, true}, Case{"/s/kick.Wav", {".wav"}, true},
                        Case{"/s/kick.wavx", {".wav"}, false}, Case{"/s/kick.aif", {".wav", ".aif"}, true},
                        Case{"wav", {".wav"}, false},    // the ending is longer than the path
                        Case{"/s/notes.txt", {}, true},  // no endings: every file
                        Case{"/s/\xC3\x89T\xC3\x89.WAV", {".wav"}, true}}) {
    SCOPED_TRACE(c.path);
    dragOver({c.path}, ImVec2(150, 120));
    DropZoneResult result;
    harness_.frame([&] { result = dropZone(kZone, std::span<const std::string_view>(c.endings)); });
    EXPECT_EQ(result.hovering, c.matches);
    EXPECT_EQ(result.paths, c.matches ? Paths{c.path} : Paths{});
  }
}

TEST_F(DropZones, OnlyMatchingPathsAreOfferedInDragOrder) {
  dragOver({"/s/b.wav", "/s/readme.txt", "/s/a.WAV"}, ImVec2(150, 120));
  const DropZoneResult result = zoneInFrame(kZone, {".wav"});
  EXPECT_TRUE(result.hovering);
  EXPECT_FALSE(result.dropped);
  EXPECT_EQ(result.paths, (Paths{"/s/b.wav", "/s/a.WAV"}));
}

TEST_F(DropZones, AHoveredZoneShowsAFocusRing) {
  const auto ringFills = [&] {
    std::vector<Rect> rects;
    for (const DrawRecord* r : harness_.drawLog().find(DrawOp::FillRect))
      if (r->colour == 0x1F8DC63Fu) rects.push_back(r->rect);
    return rects;
  };
  dragOver({"/s/kick.wav"}, ImVec2(150, 120));
  ASSERT_TRUE(zoneInFrame(kZone, {".wav"}).hovering);
  const std::vector<Rect> hovered = ringFills();
  ASSERT_EQ(hovered.size(), 1u);
  EXPECT_FLOAT_EQ(hovered[0].x, kZone.x);
  EXPECT_FLOAT_EQ(hovered[0].width, kZone.width);
  // Nothing to take, or dropped: no ring.
  zoneInFrame(kZone, {".aif"});
  EXPECT_TRUE(ringFills().empty());
  drop().dropped = true;
  ASSERT_TRUE(zoneInFrame(kZone, {".wav"}).dropped);
  EXPECT_TRUE(ringFills().empty());
}

TEST_F(DropZones, TheRightAndBottomEdgesAreOutside) {
  struct Case {
    ImVec2 point;
    bool inside;
  };
  for (const Case& c : {Case{{100, 100}, true}, Case{{299.5f, 149.5f}, true}, Case{{300, 120}, false},
                        Case{{150, 150}, false}, Case{{99.9f, 120}, false}, Case{{150, 99.9f}, false}}) {
    SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y);
    dragOver({"/s/kick.wav"}, c.point);
    EXPECT_EQ(zoneInFrame(kZone, {".wav"}).hovering, c.inside);
  }
}

TEST_F(DropZones, OverlappingZonesBothSeeTheDrop) {
  dragOver({"/s/kick.wav"}, ImVec2(150, 120));
  drop().dropped = true;
  DropZoneResult first, second;
  harness_.frame([&] {
    first = dropZone(kZone, {".wav"});
    second = dropZone(Rect{120, 110, 40, 40}, {".WAV"});
  });
  for (const DropZoneResult* r : {&first, &second}) {
    EXPECT_TRUE(r->dropped);
    EXPECT_FALSE(r->hovering);
    EXPECT_EQ(r->paths, Paths{"/s/kick.wav"});
  }
  EXPECT_EQ(drop().outcome, DropOutcome::Taken);
  // Offered to that frame only.
  EXPECT_FALSE(zoneInFrame(kZone, {".wav"}).dropped);
}

TEST_F(DropZones, ADropIsOfferedOnceEvenWhenItsFrameThrows) {
  dragOver({"/s/kick.wav"}, ImVec2(150, 120));
  drop().dropped = true;
  int offered = 0;
  EXPECT_THROW(harness_.frame([&] {
    if (dropZone(kZone, {".wav"}).dropped) ++offered;
    throw std::runtime_error("the view broke after taking the drop");
  }),
               std::runtime_error);
  harness_.frame([&] {
    if (dropZone(kZone, {".wav"}).dropped) ++offered;
  });
  EXPECT_EQ(offered, 1);
  EXPECT_EQ(drop().outcome, DropOutcome::Taken);
  EXPECT_FALSE(drop().over);
}

TEST_F(DropZones, ADropOutsideEveryZoneIsGoneAfterItsFrame) {
  dragOver({"/s/kick.wav"}, ImVec2(500, 500));
  drop().dropped = true;
  EXPECT_FALSE(zoneInFrame(kZone, {".wav"}).dropped);
  EXPECT_EQ(drop().outcome, DropOutcome::Ignored);
  EXPECT_FALSE(drop().over);
  EXPECT_FALSE(drop().dropped);
  EXPECT_TRUE(drop().paths.empty());
  // Moving onto the zone afterwards finds nothing.
  drop().point = ImVec2(150, 120);
  const DropZoneResult later = zoneInFrame(kZone, {".wav"});
  EXPECT_FALSE(later.hovering || later.dropped);
}

TEST_F(DropZones, AcceptanceFollowsTheLastFinishedFrame) {
  dragOver({"/s/kick.wav"}, ImVec2(500, 500));
  zoneInFrame(kZone, {".wav"});
  EXPECT_FALSE(drop().accepted);
  // The pointer reaches the zone: nothing accepts it until a frame has
  // seen the zone match.
  drop().point = ImVec2(150, 120);
  bool acceptedDuringFrame = true;
  harness_.frame([&] {
    dropZone(kZone, {".wav"});
    acceptedDuringFrame = drop().accepted;
  });
  EXPECT_FALSE(acceptedDuringFrame);
  EXPECT_TRUE(drop().accepted);
  // A frame without a matching zone withdraws it.
  zoneInFrame(kZone, {".aif"});
  EXPECT_FALSE(drop().accepted);
}

TEST_F(DropZones, LeavingClearsTheDrag) {
  dragOver({"/s/kick.wav"}, ImVec2(150, 120));
  zoneInFrame(kZone, {".wav"});
  ASSERT_TRUE(drop().accepted);
  drop().leave();
  const DropZoneResult result = zoneInFrame(kZone, {".wav"});
  EXPECT_FALSE(result.hovering);
  EXPECT_FALSE(drop().accepted);
  EXPECT_TRUE(drop().paths.empty());
}

}  // namespace drop_zone_test
}  // namespace orbi::ui
