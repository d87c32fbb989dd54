#include "ui/platform/uri_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orbi::ui {
namespace uri_list_test {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

TEST(UriList, LocalFileAddressesArePercentDecoded) {
  struct Case {
    std::string text;
    Paths paths;
  };
  for (const Case& c : {
           Case{"file:///home/u/kick.wav\r\n", {"/home/u/kick.wav"}},
           Case{"file:///home/u/My%20Kick%25.wav\r\n", {"/home/u/My Kick%.wav"}},
           Case{"file:///s/%C3%A9t%c3%a9.wav", {"/s/\xC3\xA9t\xC3\xA9.wav"}},
           Case{"FILE://LocalHost/s/a.wav\r\n", {"/s/a.wav"}},
           Case{"file://localhost/s/a.wav\r\nfile:///s/b.wav\r\n", {"/s/a.wav", "/s/b.wav"}},
           Case{"file:///s/a.wav\nfile:///s/b.wav", {"/s/a.wav", "/s/b.wav"}},  // bare LF, no final break
           Case{"file:///s/a.wav\r\n\0"s, {"/s/a.wav"}},                        // a terminating zero
       }) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parseUriList(c.text), c.paths);
  }
}

TEST(UriList, CommentsAndForeignEntriesAreSkipped) {
  const std::string list =
      "# dragged from the file manager\r\n"
      "\r\n"
      "file:///s/keep-1.wav\r\n"
      "http://example.org/kick.wav\r\n"
      "file://studio-pc/s/remote.wav\r\n"
      "file://localhost.localdomain/s/remote.wav\r\n"
      "file:relative/kick.wav\r\n"
      "file://\r\n"
      "file://localhost\r\n"
      "smb://share/kick.wav\r\n"
      "#file:///s/commented.wav\r\n"
      "file:///s/keep-2.wav\r\n";
  EXPECT_EQ(parseUriList(list), (Paths{"/s/keep-1.wav", "/s/keep-2.wav"}));
}

TEST(UriList, BadEscapesAndZeroBytesDropTheirEntry) {
  for (const char* bad : {"file:///s/a%00b.wav", "file:///s/a%0", "file:///s/a%", "file:///s/a%zz.wav",
                          "file:///s/a%g1.wav", "file:///s/%2", "file:///s/a%%41.wav"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(parseUriList(std::string(bad) + "\r\nfile:///s/next.wav\r\n"), Paths{"/s/next.wav"});
  }
}

TEST(UriList, EmptyOrWhitespaceListsGiveNothing) {
  for (const char* text : {"", "\r\n", "\r\n\r\n", "#only a comment\r\n"}) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(parseUriList(text).empty());
  }
}

}  // namespace uri_list_test
}  // namespace orbi::ui
