#pragma once
// The question a save asks before it writes over the file the project was
// opened from, when that open left entries of the file out: the save would
// write the file without them. Keeping the file is the default answer
// (Return and Escape give it). Asked from the frame after the save was
// asked for. Main thread.

#include <filesystem>
#include <optional>
#include <string>

namespace orbi {

enum class SaveAnswer { KeepFile, SaveWithout };

class SaveQuestion {
 public:
  struct Answered {
    SaveAnswer answer;
    std::filesystem::path target;
  };

  // Asks about saving to target from the next frame on, in place of a
  // question still open.
  void ask(std::filesystem::path target, std::string text);
  // Inside a frame: the question while it is asked; the answer on the
  // frame the user gives it.
  std::optional<Answered> draw();
  // The answer of a driver that draws no frames; nothing while nothing is
  // asked.
  std::optional<Answered> answer(SaveAnswer answer);

  bool asking() const { return !text_.empty(); }
  const std::string& text() const { return text_; }

 private:
  std::filesystem::path target_;
  std::string text_;      // empty while nothing is asked
  bool opening_ = false;  // the popup opens with the next frame
};

}  // namespace orbi
