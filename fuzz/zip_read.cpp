// The zip and package readers must never crash on any bytes; what the zip
// reader accepts has safe, unique names, writes back to the same entries,
// and is what it reads from a file piece by piece.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "document/archive/zip_format.h"
#include "document/archive/zip_reader.h"
#include "document/archive/zip_writer.h"
#include "document/package/package.h"
#include "fuzz/file_like_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ob::zip::Limits limits{64, 1u << 20, 4u << 20};
  ob::Diagnostics diagnostics;
  const auto entries = ob::zip::readZip(data, size, diagnostics, limits);
  ob::Diagnostics fromFileFindings;
  const auto fromFile = ob::zip::readZip(obfuzz::FileLikeBytes(data, size), fromFileFindings, limits);
  if (fromFile.has_value() != entries.has_value() || fromFileFindings.size() != diagnostics.size())
    std::abort();
  for (std::size_t i = 0; entries && i < entries->size(); ++i)
    if ((*fromFile)[i].name != (*entries)[i].name || (*fromFile)[i].data != (*entries)[i].data) std::abort();
  if (!entries) {
    if (diagnostics.empty()) std::abort();
  } else {
    std::set<std::string> names;
    for (const auto& e : *entries) {
      if (!ob::zip::isSafeEntryName(e.name) || !names.insert(e.name).second) std::abort();
      if (e.data.size() > limits.maxEntrySize) std::abort();
    }
    ob::Diagnostics writing;
    const auto bytes = ob::zip::writeZip(*entries, writing);
    if (!bytes) std::abort();
    ob::Diagnostics rereading;
    const auto again = ob::zip::readZip(bytes->data(), bytes->size(), rereading, limits);
    if (!again || !rereading.empty() || again->size() != entries->size()) std::abort();
    for (std::size_t i = 0; i < again->size(); ++i)
      if ((*again)[i].name != (*entries)[i].name || (*again)[i].data != (*entries)[i].data) std::abort();
  }

  ob::Diagnostics packageFindings;
  const auto package = ob::readPackage(data, size, "instance.json", packageFindings, limits);
  if (!package && packageFindings.empty()) std::abort();
  return 0;
}
