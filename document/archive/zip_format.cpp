#include "document/archive/zip_format.h"

namespace ob::zip {

bool looksLikeZip(const std::uint8_t* bytes, std::size_t size) {
  if (size < 4 || bytes[0] != 'P' || bytes[1] != 'K') return false;
  return (bytes[2] == 3 && bytes[3] == 4) || (bytes[2] == 5 && bytes[3] == 6);
}

bool isSafeEntryName(std::string_view name) {
  if (name.empty() || name.size() > 65535) return false;
  if (name[0] == '/') return false;
  if (name.size() >= 2 && name[1] == ':') return false;
  std::size_t segmentStart = 0;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || name[i] == '/') {
      if (name.substr(segmentStart, i - segmentStart) == "..") return false;
      segmentStart = i + 1;
      continue;
    }
    const auto c = static_cast<unsigned char>(name[i]);
    if (c == '\\' || c < 0x20) return false;
  }
  return true;
}

}  // namespace ob::zip
