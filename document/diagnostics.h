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

// While a FindingsBound is open, the findings of one code said whole: as
// many as a pool has sample slots, so that every slot a document leaves
// silent is still named.
inline constexpr std::size_t kFindingsSaidWhole = 64;

struct Diagnostic {
  Severity severity = Severity::Note;
  std::string code;    // kebab-case, fixed per finding
  std::string detail;  // extra machine-readable text; empty from every adder
  std::string path;    // JSON pointer; empty for the document as a whole
  std::uint32_t index = kDiagnosticNoIndex;
  std::string message;  // one sentence for the user
};

class FindingsBound;

class Diagnostics {
 public:
  Diagnostics() = default;
  // A copy or a move takes the findings, never an open bound.
  Diagnostics(const Diagnostics& other) : items_(other.items_), dropping_(other.dropping_) {}
  Diagnostics(Diagnostics&& other) noexcept : items_(std::move(other.items_)), dropping_(other.dropping_) {}
  Diagnostics& operator=(const Diagnostics& other);
  Diagnostics& operator=(Diagnostics&& other) noexcept;

  // A list that keeps nothing, for a read whose findings nobody reads.
  static Diagnostics dropping();

  void add(Severity severity, std::string code, std::string path, std::string message,
           std::string detail = {});
  void error(std::string code, std::string path, std::string message);
  void warn(std::string code, std::string path, std::string message);
  void note(std::string code, std::string path, std::string message);

  // Appends an already built record unchanged (moving findings between lists).
  void append(Diagnostic d);

  const std::vector<Diagnostic>& items() const { return items_; }
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const Diagnostic& operator[](std::size_t i) const { return items_[i]; }
  std::vector<Diagnostic>::const_iterator begin() const { return items_.begin(); }
  std::vector<Diagnostic>::const_iterator end() const { return items_.end(); }

 private:
  friend class FindingsBound;
  bool admits(const Diagnostic& d);

  std::vector<Diagnostic> items_;
  bool dropping_ = false;
  FindingsBound* bound_ = nullptr;  // the bound open on this list, if any; not owned
};

// Bounds what one read says of each kind, so that a document of a million
// malformed entries gives a list (and a host's log) of a few hundred lines:
// while the bound lives, the list takes kFindingsSaidWhole findings of any
// one code whole and the next one as it comes; of that code's further
// findings it only counts how many, and when the bound ends the one taken
// last says so. Errors are always taken. A bound opened on a list that has
// one already leaves it to that one.
class FindingsBound {
 public:
  explicit FindingsBound(Diagnostics& list);
  ~FindingsBound();
  FindingsBound(const FindingsBound&) = delete;
  FindingsBound& operator=(const FindingsBound&) = delete;

 private:
  friend class Diagnostics;
  struct Kind {
    std::string code;
    std::size_t taken = 0;
    std::size_t last = 0;      // where the last one taken stands in the list
    std::uint64_t untold = 0;  // those after it, counted only
  };
  Diagnostics* list_;  // null when another bound holds the list
  std::vector<Kind> kinds_;
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
