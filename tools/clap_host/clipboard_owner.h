#pragma once
// Text on the X clipboard as another program puts it there: a child
// process of the host's own owns CLIPBOARD and hands the text to whoever
// asks, as UTF8_STRING, until the owner is destroyed or another program
// takes the clipboard. A process apart, so that it answers while the
// editor, on the host's thread, waits for the text.
#include <sys/types.h>

#include <memory>
#include <string>

namespace orbi::host {

class ClipboardOwner {
 public:
  // Null, with the reason in error, when no process could take the
  // clipboard.
  static std::unique_ptr<ClipboardOwner> offer(const std::string& text, std::string& error);
  ~ClipboardOwner();
  ClipboardOwner(const ClipboardOwner&) = delete;
  ClipboardOwner& operator=(const ClipboardOwner&) = delete;

 private:
  explicit ClipboardOwner(pid_t child) : child_(child) {}
  pid_t child_;
};

}  // namespace orbi::host
