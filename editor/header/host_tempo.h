#pragma once
// The header's tempo while the host's transport plays the pattern at the
// host's own tempo: that tempo, shown in the tempo field and never edited
// from it (the project's tempo is not what the host plays). Main thread.

#include <optional>
#include <string>
#include <string_view>

#include "ui/controls/param.h"

namespace orbi {

struct EngineHost;

class HostTempo final : public ui::Param {
 public:
  explicit HostTempo(const EngineHost& host);

  // The host's transport plays and gives a tempo: the engine follows it.
  bool driving() const { return value() > 0.0f; }

  const ui::ParamSpec& spec() const override { return desc_; }
  float value() const override;
  void setValue(float) override {}
  void beginEdit() override {}
  void endEdit() override {}
  // Whole BPM without decimals, any other with one: 90, 127.5.
  std::string format(float v) const override;
  std::optional<float> parse(std::string_view) const override { return std::nullopt; }

 private:
  const EngineHost& host_;
  ui::ParamSpec desc_;
};

}  // namespace orbi
