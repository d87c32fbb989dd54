#include "document/json/json_kept_write.h"

#include <cstddef>

#include "document/json/json_lex.h"
#include "document/json/json_number.h"
#include "document/json/json_out.h"
#include "document/json/json_write.h"

namespace ob {
namespace {

// A cursor over checked text: every read below succeeds.
class KeptText {
 public:
  KeptText(std::string_view text, JsonOut& out) : text_(text), out_(out) {}

  void value(int depth, bool pretty) {
    skipBlanks();
    const char c = text_[pos_];
    if (c == '[') {
      if (pretty && !flatArray())
        prettyArray(depth);
      else
        compactArray();
    } else if (c == '{') {
      object(depth, pretty);
    } else {
      scalar();
    }
  }

  // Members up to the end of the text.
  void members(int depth, bool pretty) {
    for (bool first = true;; first = false) {
      skipBlanks();
      if (pos_ >= text_.size()) return;
      if (text_[pos_] == ',') {
        ++pos_;
        skipBlanks();
      }
      if (!first) out_ += pretty ? ",\n" : ",";
      member(depth, pretty);
    }
  }

 private:
  void skipBlanks() { pos_ = skipJsonBlanks(text_, pos_); }

  void string() {
    scratch_.clear();
    readJsonString(text_, pos_, scratch_);
    putJsonQuoted(scratch_, out_);
  }

  void scalar() {
    const char c = text_[pos_];
    if (c == '"') return string();
    std::size_t n = 0;
    if (c == 't' || c == 'n') n = 4;
    if (c == 'f') n = 5;
    if (n != 0) {
      out_.append(text_.substr(pos_, n));
      pos_ += n;
      return;
    }
    double d = 0.0;
    parseJsonNumberPrefix(text_.data() + pos_, text_.data() + text_.size(), d, n);
    putJsonNumber(d, text_.substr(pos_, n), out_);
    pos_ += n;
  }

  // Where a scalar starting at `at` ends.
  std::size_t scalarEnd(std::size_t at) const {
    const char c = text_[at];
    if (c == '"') {
      for (++at; text_[at] != '"'; ++at)
        if (text_[at] == '\\') ++at;
      return at + 1;
    }
    if (c == 't' || c == 'n') return at + 4;
    if (c == 'f') return at + 5;
    double d = 0.0;
    std::size_t n = 0;
    parseJsonNumberPrefix(text_.data() + at, text_.data() + text_.size(), d, n);
    return at + n;
  }

  // Whether the array at the cursor holds no array or object: only its
  // scalars are passed over, so each byte is looked at here at most once.
  bool flatArray() const {
    for (std::size_t at = skipJsonBlanks(text_, pos_ + 1);;) {
      const char c = text_[at];
      if (c == ']') return true;
      if (c == '[' || c == '{') return false;
      at = skipJsonBlanks(text_, scalarEnd(at));
      if (text_[at] == ',') at = skipJsonBlanks(text_, at + 1);
    }
  }

  // Calls each() for every element or member, the cursor on it.
  template <typename Each>
  void items(char close, Each each) {
    ++pos_;
    skipBlanks();
    for (bool first = true; text_[pos_] != close; first = false) {
      each(first);
      skipBlanks();
      if (text_[pos_] == ',') {
        ++pos_;
        skipBlanks();
      }
    }
    ++pos_;
  }

  void compactArray() {
    out_ += '[';
    items(']', [this](bool first) {
      if (!first) out_ += ',';
      value(0, false);
    });
    out_ += ']';
  }

  void prettyArray(int depth) {
    out_ += "[\n";
    items(']', [this, depth](bool first) {
      if (!first) out_ += ",\n";
      out_.append(2 * (static_cast<std::size_t>(depth) + 1), ' ');
      value(depth + 1, true);
    });
    out_ += '\n';
    out_.append(2 * static_cast<std::size_t>(depth), ' ');
    out_ += ']';
  }

  void object(int depth, bool pretty) {
    pretty = pretty && text_[skipJsonBlanks(text_, pos_ + 1)] != '}';  // {} either way
    out_ += pretty ? "{\n" : "{";
    items('}', [this, depth, pretty](bool first) {
      if (!first) out_ += pretty ? ",\n" : ",";
      member(depth, pretty);
    });
    if (pretty) {
      out_ += '\n';
      out_.append(2 * static_cast<std::size_t>(depth), ' ');
    }
    out_ += '}';
  }

  // One member of an object at nesting depth, the cursor on its key.
  void member(int depth, bool pretty) {
    if (pretty) out_.append(2 * (static_cast<std::size_t>(depth) + 1), ' ');
    string();
    skipBlanks();
    ++pos_;  // the colon
    out_ += pretty ? ": " : ":";
    value(depth + 1, pretty);
  }

  std::string_view text_;
  JsonOut& out_;
  std::size_t pos_ = 0;
  std::string scratch_;
};

}  // namespace

// A value made in code without its text has none to lay out.
void writeKeptCompact(std::string_view text, JsonOut& out) {
  if (text.empty())
    out += "null";
  else
    KeptText(text, out).value(0, false);
}

void writeKeptPretty(std::string_view text, int depth, JsonOut& out) {
  if (text.empty())
    out += "null";
  else
    KeptText(text, out).value(depth < 0 ? 0 : depth, true);
}

void writeKeptMembersCompact(std::string_view text, JsonOut& out) { KeptText(text, out).members(0, false); }

void writeKeptMembersPretty(std::string_view text, int depth, JsonOut& out) {
  KeptText(text, out).members(depth < 0 ? 0 : depth, true);
}

}  // namespace ob
