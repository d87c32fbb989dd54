#pragma once
// One environment variable set or unset for as long as the scope lives,
// then put back as it was. Header only, so every test program can use it.

#include <stdlib.h>

#include <optional>
#include <string>

namespace ob::test {

class ScopedEnv {
 public:
  explicit ScopedEnv(const char* name) : name_(name) {
    if (const char* value = ::getenv(name)) previous_ = value;
  }
  ScopedEnv(const char* name, const std::optional<std::string>& value) : ScopedEnv(name) { set(value); }
  ~ScopedEnv() { set(previous_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  // Nothing unsets it.
  void set(const std::optional<std::string>& value) {
    if (value)
      ::setenv(name_, value->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

}  // namespace ob::test
