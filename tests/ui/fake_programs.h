#pragma once
// Stand-ins for the desktop's helper programs (zenity, kdialog, xdg-open):
// shell scripts in a fresh folder that is all of PATH while the object
// lives. Each logs its arguments and process id, then prints and exits (or
// dies by a signal) as the test told it, or sleeps until it is killed.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace orbi::ui::test {

inline std::string readWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeWhole(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class FakePrograms {
 public:
  FakePrograms() {
    char pattern[] = "/tmp/orbi-fake-XXXXXX";
    dir_ = mkdtemp(pattern);
    if (const char* path = std::getenv("PATH")) savedPath_ = path;
    setenv("PATH", dir_.c_str(), 1);
  }
  ~FakePrograms() {
    setenv("PATH", savedPath_.c_str(), 1);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  FakePrograms(const FakePrograms&) = delete;
  FakePrograms& operator=(const FakePrograms&) = delete;

  const std::filesystem::path& dir() const { return dir_; }

  void install(const std::string& name) {
    const std::string d = dir_.string();
    std::ostringstream script;
    script << "#!/bin/sh\n"
           << "d='" << d << "'; n='" << name << "'\n"
           << ": > \"$d/$n.args\"\n"
           << "for a in \"$@\"; do printf '%s\\0' \"$a\" >> \"$d/$n.args\"; done\n"
           << "echo $$ >> \"$d/$n.runs\"\n"
           << "echo $$ > \"$d/$n.pid.new\"; /bin/mv \"$d/$n.pid.new\" \"$d/$n.pid\"\n"
           << "if [ -e \"$d/$n.hang\" ]; then exec /bin/sleep 60; fi\n"
           << "if [ -e \"$d/$n.out\" ]; then /bin/cat \"$d/$n.out\"; fi\n"
           << "if [ -e \"$d/$n.signal\" ]; then read s < \"$d/$n.signal\"; kill -$s $$; fi\n"
           << "code=0; if [ -e \"$d/$n.exit\" ]; then read code < \"$d/$n.exit\"; fi\n"
           << "exit $code\n";
    writeWhole(dir_ / name, script.str());
    chmod((dir_ / name).c_str(), 0755);
  }

  void answer(const std::string& name, const std::string& output, int exitCode) {
    writeWhole(dir_ / (name + ".out"), output);
    writeWhole(dir_ / (name + ".exit"), std::to_string(exitCode) + "\n");
  }
  // Prints what it was told, then dies by the signal.
  void dieBy(const std::string& name, int signal) {
    writeWhole(dir_ / (name + ".signal"), std::to_string(signal) + "\n");
  }
  void hang(const std::string& name) { writeWhole(dir_ / (name + ".hang"), ""); }
  void stopHanging(const std::string& name) { std::filesystem::remove(dir_ / (name + ".hang")); }

  bool ran(const std::string& name) const { return std::filesystem::exists(dir_ / (name + ".args")); }
  // How many times it started.
  int runs(const std::string& name) const {
    const std::string log = readWhole(dir_ / (name + ".runs"));
    return static_cast<int>(std::count(log.begin(), log.end(), '\n'));
  }

  // The arguments of the last run, without the program's name.
  std::vector<std::string> arguments(const std::string& name) const {
    std::vector<std::string> args;
    std::istringstream in(readWhole(dir_ / (name + ".args")));
    for (std::string arg; std::getline(in, arg, '\0');) args.push_back(arg);
    return args;
  }

  // The process id of the last run, once it has started; waits up to 10 s.
  std::optional<pid_t> pid(const std::string& name) const {
    for (int i = 0; i < 2000; ++i) {
      const std::string text = readWhole(dir_ / (name + ".pid"));
      if (!text.empty()) return static_cast<pid_t>(std::stol(text));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
  }

 private:
  std::filesystem::path dir_;
  std::string savedPath_;
};

// Polls until the condition holds or 10 s have passed; true when it held.
template <typename Condition>
bool eventually(Condition&& condition) {
  for (int i = 0; i < 2000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return condition();
}

}  // namespace orbi::ui::test
