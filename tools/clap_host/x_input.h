#pragma once
// Input as a user gives it, sent through XTest on the host's own
// connection: the pointer moved to a point of a window, buttons, key
// chords ("ctrl+shift+z", "Return") and typed text. Each call waits until
// the server has taken the event, so that the receiving client's next
// frame finds it on its own connection: on a loaded machine a flush alone
// let a press and its release reach one frame, where the click was lost.
#include <string>
#include <vector>

struct _XDisplay;

namespace orbi::host {

class XInput {
 public:
  explicit XInput(_XDisplay* display) : display_(display) {}

  // False when the server has no XTest.
  bool available() const;
  // The input a freshly started server has: the keyboard following the
  // pointer, the pointer in the screen's middle. A server that outlives its
  // clients keeps the last one's focus and pointer, which would otherwise
  // decide where a session's first keys go.
  void startAfresh();
  // The pointer to (x, y) of window.
  void moveTo(unsigned long window, int x, int y);
  void button(unsigned button, bool down);
  // The keys of a chord: modifiers first, the key last. False, with the
  // reason, when a name is no key of the keyboard.
  bool chordKeys(const std::string& chord, std::vector<unsigned>& keycodes, std::string& error) const;
  void key(unsigned keycode, bool down);
  // The keys that type one character (Shift first where the keyboard needs
  // it). False for a character the keyboard does not have.
  bool characterKeys(char32_t c, std::vector<unsigned>& keycodes) const;
  // For a character the keyboard lacks: a key code that held no keysym,
  // now bound to the character's; 0 when none is spare. unbind gives it
  // back.
  unsigned bindSpareKey(char32_t c);
  void unbind(unsigned keycode);

 private:
  unsigned keycodeOf(unsigned long keysym) const;
  _XDisplay* display_;
};

}  // namespace orbi::host
