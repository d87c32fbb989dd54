#include "document/diagnostics.h"

#include <utility>

namespace ob {

void Diagnostics::add(Severity severity, std::string code, std::string path, std::string message,
                      std::string detail) {
  Diagnostic d;
  d.severity = severity;
  d.code = std::move(code);
  d.detail = std::move(detail);
  d.path = std::move(path);
  d.index = kDiagnosticNoIndex;
  d.message = std::move(message);
  items_.push_back(std::move(d));
}

void Diagnostics::error(std::string code, std::string path, std::string message) {
  add(Severity::Error, std::move(code), std::move(path), std::move(message));
}

void Diagnostics::warn(std::string code, std::string path, std::string message) {
  add(Severity::Warning, std::move(code), std::move(path), std::move(message));
}

void Diagnostics::note(std::string code, std::string path, std::string message) {
  add(Severity::Note, std::move(code), std::move(path), std::move(message));
}

std::string quotedText(std::string_view text) {
  if (text.size() <= kLongestQuote) return std::string(text);
  std::size_t end = kLongestQuote;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) --end;
  return std::string(text.substr(0, end)) + "\xE2\x80\xA6";
}

std::string joinDiagnosticMessages(const Diagnostics& list) {
  std::string out;
  for (const Diagnostic& d : list) {
    // A record with neither message nor path contributes nothing, not
    // even a separator.
    if (d.message.empty() && d.path.empty()) continue;
    if (!out.empty()) out += "; ";
    out += d.message;
    if (!d.path.empty()) {
      out += " (";
      out += d.path;
      out += ')';
    }
  }
  return out;
}

}  // namespace ob
