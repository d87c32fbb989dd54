#include "ui/platform/uri_list.h"

#include <optional>

#include "ui/ascii.h"

namespace orbi::ui {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char l = asciiLower(c);
  return l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
}

std::optional<std::string> percentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int hi = hexDigit(text[i + 1]), lo = hexDigit(text[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    const char c = static_cast<char>(hi << 4 | lo);
    if (c == '\0') return std::nullopt;
    out += c;
    i += 2;
  }
  return out;
}

std::optional<std::string> localPath(std::string_view uri) {
  constexpr std::string_view scheme = "file://";
  if (!startsWithIgnoringCase(uri, scheme)) return std::nullopt;
  uri.remove_prefix(scheme.size());
  const std::size_t slash = uri.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = uri.substr(0, slash);
  if (!host.empty() && !(host.size() == 9 && startsWithIgnoringCase(host, "localhost"))) return std::nullopt;
  std::optional<std::string> path = percentDecoded(uri.substr(slash));
  if (!path || path->empty() || path->front() != '/') return std::nullopt;
  return path;
}

}  // namespace

std::vector<std::string> parseUriList(std::string_view text) {
  std::vector<std::string> paths;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Some sources end the data with a terminating zero.
    while (!line.empty() && line.back() == '\0') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (std::optional<std::string> path = localPath(line)) paths.push_back(std::move(*path));
  }
  return paths;
}

}  // namespace orbi::ui
