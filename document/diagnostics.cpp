#include "document/diagnostics.h"

#include <algorithm>
#include <utility>

namespace ob {

Diagnostics& Diagnostics::operator=(const Diagnostics& other) {
  items_ = other.items_;
  dropping_ = other.dropping_;
  return *this;
}

Diagnostics& Diagnostics::operator=(Diagnostics&& other) noexcept {
  items_ = std::move(other.items_);
  dropping_ = other.dropping_;
  return *this;
}

Diagnostics Diagnostics::dropping() {
  Diagnostics list;
  list.dropping_ = true;
  return list;
}

bool Diagnostics::admits(const Diagnostic& d) {
  if (dropping_) return false;
  if (bound_ == nullptr || d.severity == Severity::Error) return true;
  std::vector<FindingsBound::Kind>& kinds = bound_->kinds_;
  auto kind = std::find_if(kinds.begin(), kinds.end(),
                           [&d](const FindingsBound::Kind& k) { return k.code == d.code; });
  if (kind == kinds.end()) kind = kinds.insert(kinds.end(), FindingsBound::Kind{d.code});
  if (kind->taken > kFindingsSaidWhole) {
    ++kind->untold;
    return false;
  }
  ++kind->taken;
  kind->last = items_.size();
  return true;
}

void Diagnostics::append(Diagnostic d) {
  if (admits(d)) items_.push_back(std::move(d));
}

void Diagnostics::add(Severity severity, std::string code, std::string path, std::string message,
                      std::string detail) {
  Diagnostic d;
  d.severity = severity;
  d.code = std::move(code);
  d.detail = std::move(detail);
  d.path = std::move(path);
  d.index = kDiagnosticNoIndex;
  d.message = std::move(message);
  append(std::move(d));
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

FindingsBound::FindingsBound(Diagnostics& list) : list_(list.bound_ == nullptr ? &list : nullptr) {
  if (list_ != nullptr) list_->bound_ = this;
}

FindingsBound::~FindingsBound() {
  if (list_ == nullptr) return;
  list_->bound_ = nullptr;
  for (const Kind& kind : kinds_) {
    if (kind.untold == 0 || kind.last >= list_->items_.size()) continue;
    std::string& message = list_->items_[kind.last].message;
    message += "; and " + std::to_string(kind.untold) + " more like it after it, not listed";
  }
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
