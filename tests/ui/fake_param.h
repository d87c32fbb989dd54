#pragma once
// A Param for control tests: it keeps its value, records every edit call in
// order, and formats and reads text by the framework's value text unless a
// test gives it a formatter or a reader of its own.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/controls/param.h"
#include "ui/controls/value_text.h"

namespace orbi::ui::test {

enum class EditCall { Begin, Set, End };

class FakeParam : public Param {
 public:
  explicit FakeParam(ParamSpec desc, float value = 0.0f) : spec_(std::move(desc)), value_(value) {}

  const ParamSpec& spec() const override { return spec_; }
  float value() const override { return value_; }
  void setValue(float v) override {
    calls.push_back(EditCall::Set);
    values.push_back(v);
    value_ = v;
  }
  void beginEdit() override { calls.push_back(EditCall::Begin); }
  void endEdit() override { calls.push_back(EditCall::End); }
  std::string format(float v) const override { return formatter ? formatter(v) : formatParamValue(spec_, v); }
  std::optional<float> parse(std::string_view text) const override {
    return reader ? reader(text) : parseParamText(spec_, text);
  }
  std::string refusal(std::string_view text) const override {
    return reader ? std::string() : paramTextRefusal(spec_, text);
  }

  // Sets the value without recording it, as the owner's model would.
  void reset(float v) {
    value_ = v;
    calls.clear();
    values.clear();
  }

  std::vector<EditCall> calls;
  std::vector<float> values;  // each setValue's argument
  std::function<std::optional<float>(std::string_view)> reader;
  std::function<std::string(float)> formatter;

 private:
  ParamSpec spec_;
  float value_;
};

}  // namespace orbi::ui::test
