#include "engine/pool/sample_limits.h"

namespace ob {

std::string sizeText(std::uint64_t bytes) {
  constexpr std::uint64_t kMiB = std::uint64_t(1) << 20;
  constexpr std::uint64_t kGiB = std::uint64_t(1) << 30;
  if (bytes >= kGiB && bytes % kGiB == 0) return std::to_string(bytes / kGiB) + " GiB";
  if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  return std::to_string(bytes) + " bytes";
}

std::string sampleRefusalText(SampleRefusal refusal, const SampleLimits& limits) {
  switch (refusal) {
    case SampleRefusal::None: break;
    case SampleRefusal::FileTooLarge:
      return "the file is larger than " + sizeText(limits.sampleFileBytes) +
             ", the most a sample's file may be";
    case SampleRefusal::SampleTooLarge:
      return "the sample would take more than " + sizeText(limits.sampleDecodedBytes) +
             " decoded, the most one sample may";
    case SampleRefusal::PoolFull:
      return "the samples would take more than " + sizeText(limits.poolDecodedBytes) +
             " decoded together, the most the pool holds";
    case SampleRefusal::FilesOverBudget:
      return "the samples' files would take more than " + sizeText(limits.poolFileBytes) +
             " together, the most a saved project holds";
  }
  return {};
}

}  // namespace ob
