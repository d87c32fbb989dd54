#include "support/ui/showcase_gallery.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

#include "ui/context.h"
#include "ui/controls/buttons.h"
#include "ui/controls/panel.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/draw/waveform.h"

namespace orbi::ui {
namespace {

constexpr double kRate = 48000.0;

// Half a second of a tuned drum: a falling sine under a decay.
std::vector<float> drumHit() {
  std::vector<float> out(static_cast<std::size_t>(kRate / 2));
  double phase = 0.0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    phase += 2.0 * std::numbers::pi * (50.0 + 140.0 * std::exp(-t * 35.0)) / kRate;
    out[i] = static_cast<float>(0.95 * std::exp(-t * 7.0) * std::sin(phase));
  }
  return out;
}

constexpr const char* kStyleNames[] = {"Caption 10", "Small 11",     "Body 12",     "Heading 14",  "Title 22",
                                       "Mono 12",    "MonoValue 12", "MonoBold 12", "MonoLarge 20"};
static_assert(std::size(kStyleNames) == kTextStyleCount);

}  // namespace

ShowcaseView::ShowcaseView() : sample_(drumHit()), overview_(sample_, kRate) {}

void ShowcaseView::frame(const FrameInfo& frame) {
  ++frames_;
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const float s = scale();
  const Rect area = frame.content;

  // A panel holding a row of buttons and a waveform.
  const float panelHeight = 150.0f * s;
  {
    Panel panel({area.x, area.y, area.width, panelHeight}, "Panel");
    const Rect inner = panel.content();
    const struct {
      const char* label;
      ButtonVariant variant;
    } buttons[] = {
        {"Load", ButtonVariant::Normal}, {"Save", ButtonVariant::Accent}, {"Clear", ButtonVariant::Danger}};
    float x = inner.x;
    for (const auto& b : buttons) {
      ButtonStyle style;
      style.variant = b.variant;
      const ImVec2 size = iconButtonSize(b.label, style);
      iconButton(b.label, {x, inner.y, size.x, size.y}, b.label, style);
      x += size.x + 8.0f * s;
    }
    const float top = inner.y + 32.0f * s;
    const Rect wave{inner.x, top, inner.width, std::max(0.0f, inner.y + inner.height - top)};
    fillRect(dl, wave, 0xFF11190C, 4.0f);
    const Axis axis{AxisKind::Linear, 0.0f, 0.5f, wave.x, wave.x + wave.width};
    drawWaveform(dl, wave, axis, overview_, WaveformStyle{});
  }

  // One line in every text style.
  float y = area.y + panelHeight + 10.0f * s;
  for (int i = 0; i < kTextStyleCount; ++i) {
    const TextStyle style = static_cast<TextStyle>(i);
    const float height = measureText(kStyleNames[i], style).y;
    drawText(dl, {area.x, y, area.width, height}, kStyleNames[i], style, 0xFFF0EED8);
    y += height + 3.0f * s;
  }
}

}  // namespace orbi::ui
