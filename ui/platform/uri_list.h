#pragma once
// Reading the text/uri-list that a file manager offers for dragged files.

#include <string>
#include <string_view>
#include <vector>

namespace orbi::ui {

// The local paths of the list, in order: lines end in CRLF (a bare LF is
// taken too), "#" lines are comments, and only file:// addresses with an
// empty or "localhost" host count. Paths are percent-decoded; an entry
// with %00, a malformed escape or a path that is not absolute is skipped.
std::vector<std::string> parseUriList(std::string_view text);

}  // namespace orbi::ui
