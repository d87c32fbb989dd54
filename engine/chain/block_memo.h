#pragma once
#include <limits>

namespace ob {

// Remembers the last input and result of a costly per-block computation
// (an exp or a pow of a parameter), so unchanged parameters cost a compare.
// Reset it whenever the function itself changes, e.g. with the rate.
struct BlockMemo {
  double input = std::numeric_limits<double>::quiet_NaN();
  double output = 0.0;

  void reset() { input = std::numeric_limits<double>::quiet_NaN(); }

  template <class F>
  double get(double in, F&& f) {
    if (!(in == input)) {
      input = in;
      output = f(in);
    }
    return output;
  }
};

}  // namespace ob
