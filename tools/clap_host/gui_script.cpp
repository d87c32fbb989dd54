#include "tools/clap_host/gui_script.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <vector>

#include "engine/clock/tempo.h"
#include "tools/clap_host/resident_memory.h"

namespace orbi::host {

namespace {

// The words of a step, and the text after its first word for "type".
struct Step {
  std::vector<std::string> words;
  std::string rest;
};

Step parse(const std::string& line) {
  Step step;
  std::istringstream in(line);
  std::string word;
  while (in >> word) step.words.push_back(word);
  if (!step.words.empty()) {
    const std::size_t at = line.find(step.words[0]) + step.words[0].size();
    step.rest = at < line.size() ? line.substr(at + 1) : "";
  }
  return step;
}

bool toInt(const std::string& text, int& out) {
  std::size_t used = 0;
  try {
    out = std::stoi(text, &used);
  } catch (...) {
    return false;
  }
  return used == text.size();
}

// The step's words after the command as numbers: `needed` of them, and up
// to `optional` more (their defaults already in out).
bool numbers(const Step& step, std::size_t needed, std::size_t optional, std::vector<int>& out) {
  const std::size_t given = step.words.size() - 1;
  if (given < needed || given > needed + optional) return false;
  out.resize(needed + optional);
  for (std::size_t i = 0; i < given; ++i)
    if (!toInt(step.words[i + 1], out[i])) return false;
  return true;
}

double seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// What the process has cost so far, for a benchmark to take the difference
// of two such lines.
void printUsage() {
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  std::printf("usage: cpu %.6f wall %.6f\n", seconds(self.ru_utime) + seconds(self.ru_stime), wall);
  std::fflush(stdout);
}

// What the process holds now and held at most since the last such line, for
// a measurement to read the cost of the steps between two of them.
void printMemory() {
  const Resident r = residentMemory();
  std::printf("memory: resident %.1f MiB, peak %.1f MiB\n", mebibytes(r.now), mebibytes(r.peak));
  std::fflush(stdout);
  resetResidentPeak();
}

bool runStep(GuiSession& s, const Step& step, std::string& error) {
  const std::string& command = step.words[0];
  std::vector<int> n;
  auto fail = [&](const char* usage) {
    error = std::string("expected: ") + usage;
    return false;
  };
  if (command == "frames") {
    if (!numbers(step, 1, 0, n) || n[0] < 0) return fail("frames N");
    if (!s.runFrames(n[0])) {
      error = "the editor drew no frames";
      return false;
    }
  } else if (command == "wait") {
    if (!numbers(step, 1, 0, n) || n[0] < 0) return fail("wait MS");
    s.runFor(n[0]);
  } else if (command == "move") {
    if (!numbers(step, 2, 0, n)) return fail("move X Y");
    s.move(n[0], n[1]);
  } else if (command == "press" || command == "release") {
    n = {1};
    if (!numbers(step, 0, 1, n)) return fail("press [BUTTON] or release [BUTTON]");
    command == "press" ? s.press(n[0]) : s.release(n[0]);
  } else if (command == "click") {
    n = {0, 0, 1};
    if (!numbers(step, 2, 1, n)) return fail("click X Y [BUTTON]");
    s.click(n[0], n[1], n[2]);
  } else if (command == "drag") {
    n = {0, 0, 0, 0, 1};
    if (!numbers(step, 4, 1, n)) return fail("drag X1 Y1 X2 Y2 [BUTTON]");
    s.drag(n[0], n[1], n[2], n[3], n[4]);
  } else if (command == "key") {
    if (step.words.size() != 2) return fail("key CHORD");
    return s.key(step.words[1], error);
  } else if (command == "type") {
    return s.type(step.rest, error);
  } else if (command == "clipboard") {
    return s.offerClipboard(step.rest, error);
  } else if (command == "hide" || command == "show") {
    if (step.words.size() != 1) return fail("hide or show");
    if (!(command == "hide" ? s.hide() : s.show())) {
      error = "the plug-in refused";
      return false;
    }
  } else if (command == "reopen") {
    if (step.words.size() != 1) return fail("reopen");
    if (!s.reopen(error)) return false;
    if (!s.runFrames(3)) s.runFor(50.0);  // no timer to count its ticks by
  } else if (command == "play" || command == "stop") {
    n = {static_cast<int>(ob::kDefaultTempo)};
    if (command == "stop" ? step.words.size() != 1 : !numbers(step, 0, 1, n) || n[0] <= 0)
      return fail("play [BPM] or stop");
    s.instance().setTransport(command == "play", n[0]);
  } else if (command == "snapshot") {
    if (step.words.size() != 2) return fail("snapshot FILE.png");
    std::optional<Picture> picture = s.picture(error);
    return picture && writePng(step.words[1], *picture, error);
  } else if (command == "usage") {
    if (step.words.size() != 1) return fail("usage");
    printUsage();
  } else if (command == "memory") {
    if (step.words.size() != 1) return fail("memory");
    printMemory();
  } else {
    error = "unknown step \"" + command + "\"";
    return false;
  }
  return true;
}

}  // namespace

bool runGuiScript(GuiSession& session, const std::string& script, std::string& error) {
  std::istringstream lines(script);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    std::istringstream steps(line.substr(0, line.find('#')));
    std::string text;
    while (std::getline(steps, text, ';')) {
      const Step step = parse(text);
      if (step.words.empty()) continue;
      if (!runStep(session, step, error)) {
        error = "line " + std::to_string(number) + " (" + step.words[0] + "): " + error;
        return false;
      }
    }
  }
  return true;
}

}  // namespace orbi::host
