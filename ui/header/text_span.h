#pragma once
// Where a name lies in a status text, in bytes: the status line cuts
// between whole words and names, never inside one.

#include <cstddef>

namespace orbi::ui {

struct TextSpan {
  std::size_t from = 0;
  std::size_t length = 0;

  bool operator==(const TextSpan&) const = default;
};

}  // namespace orbi::ui
