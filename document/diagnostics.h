#pragma once
// Findings of document readers and writers: a machine-readable code, a JSON
// pointer to the place, and one sentence for the user. Readers append to a
// list owned by whoever started the operation; nothing is removed or reordered.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ob {

enum class Severity : std::uint32_t {
  Note = 0,
  Warning = 1,
  Error = 2,
};

inline constexpr std::uint32_t kDiagnosticNoIndex = 0xFFFFFFFFu;

struct Diagnostic {
  Severity severity = Severity::Note;
  std::string code;    // kebab-case, fixed per finding
  std::string detail;  // extra machine-readable text; empty from every adder
  std::string path;    // JSON pointer; empty for the document as a whole
  std::uint32_t index = kDiagnosticNoIndex;
  std::string message;  // one sentence for the user
};

class Diagnostics {
 public:
  void add(Severity severity, std::string code, std::string path, std::string message,
           std::string detail = {});
  void error(std::string code, std::string path, std::string message);
  void warn(std::string code, std::string path, std::string message);
  void note(std::string code, std::string path, std::string message);

  // Appends an already built record unchanged (moving findings between lists).
  void append(Diagnostic d) { items_.push_back(std::move(d)); }

  const std::vector<Diagnostic>& items() const { return items_; }
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const Diagnostic& operator[](std::size_t i) const { return items_[i]; }
  std::vector<Diagnostic>::const_iterator begin() const { return items_.begin(); }
  std::vector<Diagnostic>::const_iterator end() const { return items_.end(); }

 private:
  std::vector<Diagnostic> items_;
};

// The most of a document's own text (bytes) a message quotes.
inline constexpr std::size_t kLongestQuote = 64;

// A document's text as a message quotes it: whole when short, else its first
// kLongestQuote bytes cut at a character's start and an ellipsis, so a value
// of megabytes never makes a message of megabytes.
std::string quotedText(std::string_view text);

// All messages in list order, "; " between them, each followed by " (path)"
// when it has a path.
std::string joinDiagnosticMessages(const Diagnostics& list);

}  // namespace ob
