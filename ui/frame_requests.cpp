#include "ui/frame_requests.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "ui/draw/pictures.h"
#include "ui/imgui_internals.h"
#include "ui/store.h"

namespace orbi::ui {
namespace {

// Dear ImGui 1.86's text cursor: shown while its blink clock is at most 0
// (just after typing) and for the first 0.8 s of every 1.2 s after that.
constexpr double kBlinkPeriod = 1.2;
constexpr double kBlinkShown = 0.8;
// A frame asked for at an edge lands a little past it.
constexpr double kPastEdge = 1e-3;

// The requests of the frame under way and what the last frame left.
struct FrameRequests {
  bool again = false;
  double at = std::numeric_limits<double>::infinity();
  std::uint64_t picture = 0;           // the last frame's draw data, digested
  const ImGuiWindow* focus = nullptr;  // the last frame's focused window
};

constexpr std::uint32_t kFrameRequestsKey = fourCc("NEXT");

// A 64-bit digest of byte runs, four independent lanes so that a frame's
// few megabytes of vertices take a fraction of a millisecond.
class Digest {
 public:
  void add(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t left = size;
    for (; left >= 32; p += 32, left -= 32)
      for (int i = 0; i < 4; ++i) lanes_[i] = round(lanes_[i], word(p + 8 * i));
    for (; left >= 8; p += 8, left -= 8) lanes_[0] = round(lanes_[0], word(p));
    std::uint64_t tail = 0;
    if (left > 0) std::memcpy(&tail, p, left);
    lanes_[1] = round(lanes_[1], tail ^ (static_cast<std::uint64_t>(size) << 3));
  }
  template <typename T>
  void addValue(const T& value) {
    add(&value, sizeof value);
  }
  std::uint64_t value() const {
    std::uint64_t h = 0;
    for (int i = 0; i < 4; ++i) h = round(h ^ lanes_[i], static_cast<std::uint64_t>(i));
    return h;
  }

 private:
  static std::uint64_t word(const unsigned char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
  }
  static std::uint64_t round(std::uint64_t lane, std::uint64_t input) {
    lane += input * 0xC2B2AE3D27D4EB4Full;
    lane = (lane << 31) | (lane >> 33);
    return lane * 0x9E3779B185EBCA87ull;
  }
  std::uint64_t lanes_[4] = {0x60EA27EEADC0B5D6ull, 0xC2B2AE3D27D4EB4Full, 0, 0x61C8864E7A143579ull};
};

std::uint64_t digestOf(const ImDrawData& data) {
  Digest d;
  d.addValue(data.DisplayPos);
  d.addValue(data.DisplaySize);
  d.addValue(data.CmdListsCount);
  for (int l = 0; l < data.CmdListsCount; ++l) {
    const ImDrawList& list = *data.CmdLists[l];
    d.add(list.VtxBuffer.Data, static_cast<std::size_t>(list.VtxBuffer.Size) * sizeof(ImDrawVert));
    d.add(list.IdxBuffer.Data, static_cast<std::size_t>(list.IdxBuffer.Size) * sizeof(ImDrawIdx));
    for (const ImDrawCmd& cmd : list.CmdBuffer) {
      d.addValue(cmd.ClipRect);
      d.addValue(cmd.TextureId);
      d.addValue(cmd.VtxOffset);
      d.addValue(cmd.IdxOffset);
      d.addValue(cmd.ElemCount);
      d.addValue(cmd.UserCallback);
      d.addValue(cmd.UserCallbackData);
    }
  }
  return d.value();
}

bool inputHeld(const ImGuiIO& io) {
  // Dear ImGui repeats held keys and follows held buttons by its clock. A
  // modifier held alone repeats nothing: what it changes is drawn when it
  // goes down or up, which wakes the window anyway.
  const auto down = [](bool d) { return d; };
  return std::any_of(std::begin(io.MouseDown), std::end(io.MouseDown), down) ||
         std::any_of(std::begin(io.KeysDown), std::end(io.KeysDown), down);
}

// What Dear ImGui settles only in a later frame.
bool imguiUnsettled(const ImGuiContext& g) {
  if (g.HoveredId != g.HoveredIdPreviousFrame || g.ActiveId != g.ActiveIdPreviousFrame || g.DragDropActive)
    return true;
  for (const ImGuiPopupData& popup : g.OpenPopupStack)
    if (!popup.Window || popup.OpenFrameCount == g.FrameCount) return true;
  for (const ImGuiWindow* w : g.Windows) {
    if (w->Active != w->WasActive) return true;  // appeared or went: the hover moves
    if (!w->Active) continue;
    if (w->HiddenFramesCanSkipItems > 0 || w->HiddenFramesCannotSkipItems > 0 ||
        w->HiddenFramesForRenderOnly > 0 || w->AutoFitFramesX > 0 || w->AutoFitFramesY > 0 ||
        w->ScrollTarget.x != FLT_MAX || w->ScrollTarget.y != FLT_MAX)
      return true;
  }
  return false;
}

// When the active text field's cursor next shows or hides.
double nextBlink(const ImGuiContext& g) {
  if (!g.IO.ConfigInputTextCursorBlink || g.ActiveId == 0 || g.InputTextState.ID != g.ActiveId)
    return std::numeric_limits<double>::infinity();
  const double clock = g.InputTextState.CursorAnim;
  double wait = kBlinkShown - clock;
  if (clock > 0.0) {
    const double phase = std::fmod(clock, kBlinkPeriod);
    wait = phase <= kBlinkShown ? kBlinkShown - phase : kBlinkPeriod - phase;
  }
  return g.Time + wait + kPastEdge;
}

// The current window's requests; null outside any (a model driven
// without a window).
FrameRequests* currentRequests() {
  if (!ImGui::GetCurrentContext()) return nullptr;
  auto* ui = static_cast<UiContext*>(ImGui::GetIO().UserData);
  return ui ? &store<FrameRequests>(*ui, kFrameRequestsKey) : nullptr;
}

}  // namespace

void requestFrame() {
  if (FrameRequests* r = currentRequests()) r->again = true;
}

void requestFrameAt(double time) {
  if (FrameRequests* r = currentRequests()) r->at = std::min(r->at, time);
}

NextFrameRequest takeNextFrameRequest(UiContext& ui) {
  const ImGuiContext& g = *ImGui::GetCurrentContext();
  FrameRequests& r = store<FrameRequests>(ui, kFrameRequestsKey);
  NextFrameRequest next{r.again, std::min(r.at, nextBlink(g))};
  r.again = false;
  r.at = std::numeric_limits<double>::infinity();

  const ImDrawData* data = ImGui::GetDrawData();
  const std::uint64_t picture = data ? digestOf(*data) : 0;
  const Pictures* pictures = findStore<Pictures>(ui, kPicturesKey);
  next.again = next.again || picture != r.picture || g.NavWindow != r.focus || inputHeld(g.IO) ||
               imguiUnsettled(g) || (pictures && pictures->waiting());
  r.picture = picture;
  r.focus = g.NavWindow;
  return next;
}

}  // namespace orbi::ui
