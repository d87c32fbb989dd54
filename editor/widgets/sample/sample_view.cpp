#include "editor/widgets/sample/sample_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>

#include "editor/widgets/drag_sweep.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/draw/axis.h"
#include "ui/draw/text.h"
#include "ui/draw/waveform.h"

namespace orbi {
namespace {

constexpr float kFadeFlags = 10.0f;  // the fade handles' band along the content's top

constexpr float kTitleStrip = 18.0f;
constexpr std::uint32_t kWaveDim = palette::withAlphaByte(palette::kMuted, 0x59);
constexpr float kPeakHeight = 0.96f;
// Typed start and end keep this much of the sample between them.
constexpr float kSmallestWindow = 0.001f;

bool keyIs(const ParamSlot& slot, const char* key) {
  return slot.info.id && std::strcmp(slot.info.id, key) == 0;
}

}  // namespace

SampleView::SampleView() {
  entry.onCommit = [this](int id, float value) { commitTyped(id, value); };
}

void SampleView::setSample(const float* data, int frames, float duration, const float* rightData) {
  samples = data;
  right = data ? rightData : nullptr;
  frameCount = frames;
  seconds = std::max(duration, 0.0f);
  // The old overview goes first: a long sample's takes a quarter of its
  // audio, and two of them at once would be the peak of an open.
  overview = ui::WaveOverview();
  if (data && frames >= 1) {
    const double rate = seconds > 0.0f ? static_cast<double>(frames) / seconds : 1.0;
    const auto n = static_cast<std::size_t>(frames);
    overview = ui::WaveOverview(std::span<const float>(data, n),
                                right ? std::span<const float>(right, n) : std::span<const float>(), rate);
  }
}

void SampleView::setCannotPlay(std::string_view why) {
  cannotPlayNote_ = why.empty() ? std::string() : "this sample cannot play: " + std::string(why);
}

float SampleView::slotValue(const char* key, float fallback) const {
  const int i = findSlot(key);
  return i < 0 ? fallback : slots[static_cast<std::size_t>(i)].value;
}

float SampleView::linearGain() const {
  const int i = findSlot("gain");
  return i < 0 ? 1.0f : std::pow(10.0f, 0.05f * slots[static_cast<std::size_t>(i)].value);
}

float SampleView::xToFraction(float x) const {
  const ui::Rect c = contentRect();
  if (c.width <= 0.0f) return 0.0f;
  return clamp01NanTo0((x - c.x) / c.width);
}

float SampleView::draggedX(const ui::Interaction& it) const {
  return it.pressPos.x + grabDx_ + sweptBy(it.total.x, grabSpan_, ui::scale());
}

ui::Rect SampleView::body() const {
  const float s = ui::scale();
  ui::Rect b = rect.inset(s, s);
  b.takeTop(kTitleStrip * s);
  return b;
}

ImVec2 SampleView::anchorFor(int slot, float t) const {
  const ui::Rect c = contentRect();
  const float s = ui::scale();
  const float u = clamp01NanTo0(t);
  const float top = c.y + 4.0f * s, bottom = c.y + c.height - 4.0f * s;
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size())
    return {c.x + c.width * u, c.y + c.height / 2.0f};
  const ParamSlot& p = slots[static_cast<std::size_t>(slot)];
  const float start = slotValue("start", 0.0f), end = slotValue("end", 1.0f);
  if (keyIs(p, "start")) return {c.x + c.width * u, top};
  if (keyIs(p, "end")) return {c.x + c.width * u, bottom};
  if (keyIs(p, "fadeIn") || keyIs(p, "fadeOut")) {
    const float span = std::max(end - start, 0.0001f);
    const float at = keyIs(p, "fadeIn") ? clamp01NanTo0(start + span * u) : clamp01NanTo0(end - span * u);
    return {c.x + c.width * at, c.y + 3.0f * s};
  }
  if (keyIs(p, "gain")) return {c.x + c.width * (start + end) / 2.0f, bottom - (c.height - 8.0f * s) * u};
  return {c.x + c.width * u, slot == 0 ? top : bottom};
}

void SampleView::openEntryFor(int slot) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size() || mode == kSlices) return;
  const ParamSlot& p = slots[static_cast<std::size_t>(slot)];
  if (p.id < 0) return;
  NumberEntry::Request request;
  request.id = slot;
  float at = 0.0f;
  if (keyIs(p, "gain")) {
    request.value = p.value;
    request.lo = -24.0f;
    request.hi = 24.0f;
    request.label = slotName(slot);
    request.unit = "dB";
    at = p.normalized();
  } else if (keyIs(p, "fadeIn") || keyIs(p, "fadeOut")) {
    at = clamp01NanTo0(p.value);
    request.value = 100.0f * at;
    request.lo = 0.0f;
    request.hi = 100.0f;
    request.label = slotName(slot);
    request.unit = "%";
  } else {
    const bool timed = seconds > 0.0f;
    const float scale = timed ? 1000.0f * seconds : 100.0f;
    at = clamp01NanTo0(p.value);
    request.value = at * scale;
    request.lo = 0.0f;
    const bool spray = keyIs(p, "spray");
    request.hi = mode == kGrains && spray ? scale / 2.0f : scale;
    request.label = slotName(slot);
    request.unit = timed ? "ms" : "%";
  }
  entry.open(anchorFor(slot, at), request);
}

void SampleView::commitTyped(int slot, float x) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size()) return;
  const ParamSlot& p = slots[static_cast<std::size_t>(slot)];
  if (keyIs(p, "gain")) {
    setParam(slot, x);
    return;
  }
  if (keyIs(p, "fadeIn") || keyIs(p, "fadeOut")) {
    setParam(slot, clamp01NanTo0(x / 100.0f));
    return;
  }
  const float scale = seconds > 0.0f ? 1000.0f * seconds : 100.0f;
  if (!(scale > 0.0f)) return;
  float t = clamp01NanTo0(x / scale);
  if (mode != kGrains) {
    if (keyIs(p, "start") && findSlot("end") >= 0) t = std::min(t, slotValue("end", 1.0f) - kSmallestWindow);
    if (keyIs(p, "end") && findSlot("start") >= 0)
      t = std::max(t, slotValue("start", 0.0f) + kSmallestWindow);
    t = clamp01NanTo0(t);
  }
  setParam(slot, t);
}

void SampleView::paintWave(ImDrawList* dl, const ui::Rect& r, float from, float to,
                           const std::function<float(float)>& gain) const {
  if (!sampleLoaded()) {
    if (cannotPlayNote_.empty())
      ui::drawText(dl, r, "no sample loaded", ui::TextStyle::Small, palette::kMuted, ui::TextAlign::Centre);
    else
      ui::drawText(dl, r, cannotPlayNote_, ui::TextStyle::Small, palette::kWarning, ui::TextAlign::Centre);
    return;
  }
  const double rate = overview.sampleRate();
  const double duration = rate > 0.0 ? static_cast<double>(overview.size()) / rate : 0.0;
  ui::Axis axis;
  axis.lo = 0.0f;
  axis.hi = static_cast<float>(duration);
  axis.pixelLo = r.x;
  axis.pixelHi = r.x + r.width;
  ui::WaveformStyle style;
  style.colour = kWaveDim;
  style.height = kPeakHeight;
  if (gain)
    style.gainAt = [&gain, duration](double time) {
      return duration > 0.0 ? gain(static_cast<float>(time / duration)) : gain(0.0f);
    };
  ui::drawWaveform(dl, r, axis, overview, style);
  const float a = clamp01NanTo0(from), b = clamp01NanTo0(to);
  if (!(b > a)) return;
  const double n = static_cast<double>(frameCount);
  style.colour = palette::kAccent;
  style.from = static_cast<std::uint64_t>(std::floor(n * a));
  style.to = static_cast<std::uint64_t>(std::ceil(n * b));
  ui::drawWaveform(dl, r, axis, overview, style);
}

// Along the bottom, centred, else at either side, where no marker crosses
// it; else in the title row before the pills, or at the top.
void SampleView::drawFooter(ImDrawList* dl, const char* text, float height, int style,
                            std::uint32_t colour) const {
  const ui::Rect c = contentRect();
  const float h = clampTo(height, 0.0f, c.height);
  const auto textStyle = static_cast<ui::TextStyle>(style);
  const ui::Rect bottom{c.x, c.y + c.height - h, c.width, h};
  const ui::Rect top{c.x, c.y + std::min(kFadeFlags * ui::scale(), c.height - h), c.width, h};
  const ui::Rect boxes[] = {bottom, bottom, bottom, titleRow(), top};
  const ui::TextAlign alignments[] = {ui::TextAlign::Centre, ui::TextAlign::Left, ui::TextAlign::Right,
                                      ui::TextAlign::Right, ui::TextAlign::Centre};
  std::vector<ui::Rect> inks;
  for (std::size_t i = 0; i < std::size(boxes); ++i)
    inks.push_back(ui::textInk(boxes[i], text, textStyle, alignments[i]));
  const std::size_t i = barPlacer_.place(inks);
  ui::drawText(dl, boxes[i], text, textStyle, colour, alignments[i]);
}

void SampleView::draw(const ui::Rect& r) {
  ImGui::PushID(this);
  drawFrame(r);
  barPlacer_ = ui::LabelPlacer();
  hintText = hint();
  drawModePills();
  if (mode == kSlices)
    drawSlicesView();
  else if (mode == kGrains)
    drawGrainsView();
  else
    drawWindowView();
  drawPresetMenu();
  drawChopMenu();
  entry.draw(r);
  ImGui::PopID();
}

}  // namespace orbi
