#include "support/ui/showcase_view.h"

#include <imgui.h>

#include <cmath>
#include <iterator>
#include <numbers>

#include "ui/context.h"
#include "ui/controls/rail.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/draw/waveform.h"
#include "ui/theme/painters.h"

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

constexpr const char* kStyleNames[] = {"Caption 10", "Small 11",   "Body 12",        "Heading 14",       "Title 22",
                                       "Mono 12",    "MonoValue 12", "MonoBold 12", "MonoLarge 20"};
static_assert(std::size(kStyleNames) == kTextStyleCount);

}  // namespace

ShowcaseView::ShowcaseView() : sample_(drumHit()), overview_(sample_, kRate) {}

void ShowcaseView::frame(const FrameInfo& frame) {
  ++frames_;
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const float s = scale();
  Rect area = frame.content;

  // A raised panel with a title.
  const Rect panel{area.x, area.y, area.width, 150.0f * s};
  drawShadow(dl, panel, 0.8f, 2.0f);
  const GradientStop body[] = {{0.0f, 0xFF23301B}, {1.0f, 0xFF151D10}};
  fillVerticalGradient(dl, panel, 8.0f * s, body);
  drawText(dl, {panel.x + 12.0f * s, panel.y + 8.0f * s, panel.width, 18.0f * s}, "Panel", TextStyle::Heading,
           0xFF8A8870);

  // Buttons on a rail, the second selected.
  const Rect rail = railRect({panel.x + 12.0f * s, panel.y + 34.0f * s, panel.width, 32.0f * s}, 300.0f * s);
  drawRailPanel(dl, rail);
  const char* labels[] = {"KICK", "SNARE", "HAT"};
  const float pad = railPadding();
  const float pillWidth = (rail.width - 2.0f * pad) / 3.0f;
  for (int i = 0; i < 3; ++i) {
    const Rect pill{rail.x + pad + static_cast<float>(i) * pillWidth, rail.y + pad, pillWidth, rail.height - 2.0f * pad};
    ImGui::PushID(i);
    const PillState state = pillButton("pill", pill, i == 1, nullptr);
    ImGui::PopID();
    drawText(dl, pill, labels[i], TextStyle::Heading, pillContentColour(state, i == 1), TextAlign::Centre);
  }

  // The waveform in the panel's lower part.
  const Rect wave{panel.x + 12.0f * s, panel.y + 76.0f * s, panel.width - 24.0f * s, 64.0f * s};
  fillRect(dl, wave, 0xFF11190C, 4.0f);
  const Axis axis{AxisKind::Linear, 0.0f, 0.5f, wave.x, wave.x + wave.width};
  drawWaveform(dl, wave, axis, overview_, WaveformStyle{});

  // One line in every text style.
  float y = panel.y + panel.height + 10.0f * s;
  for (int i = 0; i < kTextStyleCount; ++i) {
    const TextStyle style = static_cast<TextStyle>(i);
    const float height = measureText(kStyleNames[i], style).y;
    drawText(dl, {area.x, y, area.width, height}, kStyleNames[i], style, 0xFFF0EED8);
    y += height + 3.0f * s;
  }
}

}  // namespace orbi::ui
