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

std::string methodName(std::uint16_t method) {
  switch (method) {
    case 0: return "no compression";
    case 1: return "Shrink";
    case 6: return "Implode";
    case 8: return "Deflate";
    case 9: return "Deflate64";
    case 12: return "bzip2";
    case 14: return "LZMA";
    case 93: return "Zstandard";
    case 95: return "XZ";
    case 96: return "JPEG";
    case 97: return "WavPack";
    case 98: return "PPMd";
    default: return "method " + std::to_string(method);
  }
}

}  // namespace ob::zip
