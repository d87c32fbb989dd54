#pragma once
// The style of popups: padding and rounding as given (design units, times
// the UI scale) and the framework's spacing, for as long as the scope lives.

namespace orbi::ui {

class StyleVarScope {
 public:
  StyleVarScope(float padding, float rounding);
  ~StyleVarScope();
  StyleVarScope(const StyleVarScope&) = delete;
  StyleVarScope& operator=(const StyleVarScope&) = delete;
};

}  // namespace orbi::ui
