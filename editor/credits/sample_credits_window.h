#pragma once
// The one-line credits strip under the header: for every factory sample
// set a loaded slot comes from, the set's name, author and licence, with a
// tooltip, as a link to the licence page when the set has one. It reads
// the sample table and changes nothing. Main thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "document/factory/sample_credits.h"
#include "engine/model/project.h"
#include "ui/geometry.h"

namespace orbi {

class SampleCreditsWindow {
 public:
  // The distinct factory sets (1..4) of the loaded slots, first seen first.
  static std::vector<std::uint32_t> usedSets(const ob::Project& project);
  // The set's name alone when compact, else name, author and licence.
  static std::string rowText(const ob::SampleCreditRow& row, bool compact);
  // "<set> by <author> · <licence> · attribution required" (or "· public
  // domain"), then the licence link on a line of its own.
  static std::string tooltipText(const ob::SampleCreditRow& row);

  void draw(const ui::Rect& band, const ob::Project& project);

 private:
  // The tooltips handed to this frame's items, which keep no copy.
  std::string tooltips_[ob::kSampleCreditRowCount];
};

}  // namespace orbi
