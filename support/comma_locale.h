#pragma once
// A host that sets a comma-decimal LC_NUMERIC (a Qt host on a German
// desktop) must not change what we write or read. This switches the
// process to such a locale for as long as the scope lives: the installed
// de_DE, or one generated into a temporary folder when none is installed.
// Header only, so every test program can use it.

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace ob::test {

class CommaDecimalLocale {
 public:
  CommaDecimalLocale() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    previous_ = current ? current : "C";
    active_ = switchLocale() && std::strcmp(std::localeconv()->decimal_point, ",") == 0;
    if (!active_) std::setlocale(LC_NUMERIC, previous_.c_str());
  }
  ~CommaDecimalLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
  CommaDecimalLocale(const CommaDecimalLocale&) = delete;
  CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

  // False when no comma-decimal locale could be had; the test then skips.
  bool active() const { return active_; }

 private:
  static bool switchLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
      if (std::setlocale(LC_NUMERIC, name)) return true;
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path dir = fs::temp_directory_path(ec) / "ob_comma_locale";
    if (ec) return false;
    fs::create_directories(dir, ec);
    const fs::path made = dir / "de_DE.UTF-8";
    if (!fs::exists(made)) {
      // Made under a name of this process's own and renamed into place, so
      // test programs running side by side never read a half-made one.
      const fs::path own = dir / ("de_DE.UTF-8." + std::to_string(getpid()));
      const std::string command = "localedef -i de_DE -f UTF-8 '" + own.string() + "' >/dev/null 2>&1";
      (void)std::system(command.c_str());
      fs::rename(own, made, ec);
      fs::remove_all(own, ec);
    }
    if (!fs::exists(made)) return false;
    setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  }

  std::string previous_;
  bool active_ = false;
};

}  // namespace ob::test
