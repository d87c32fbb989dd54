#include "document/reading/file_size_limit.h"

#include <sys/resource.h>

#include "engine/pool/sample_limits.h"

namespace ob {

namespace {

// RLIM_INFINITY when there is none, or it cannot be read.
std::uint64_t largestFile() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return RLIM_INFINITY;
  return limit.rlim_cur;
}

}  // namespace

bool withinFileSizeLimit(std::uint64_t end) {
  const std::uint64_t largest = largestFile();
  return largest == RLIM_INFINITY || end <= largest;
}

std::string fileSizeLimitText() {
  return "the file would be larger than " + sizeText(largestFile()) +
         ", the file-size limit the host runs under";
}

}  // namespace ob
