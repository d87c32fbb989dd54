#include "content/factory/factory_content.h"

#include <cstdio>
#include <string>

#include "content/factory/embedded_files.h"
#include "document/factory/factory_catalogue.h"
#include "document/factory/sample_resolver.h"

namespace ob {
namespace {

const EmbeddedFile* findFile(std::string_view name) {
  for (const EmbeddedFile& f : embeddedFactoryFiles())
    if (name == f.name) return &f;
  return nullptr;
}

std::string withSuffix(std::string_view file, std::string_view suffix) {
  const std::size_t dot = file.rfind('.');
  std::string out(file.substr(0, dot));
  out += suffix;
  if (dot != std::string_view::npos) out += file.substr(dot);
  return out;
}

}  // namespace

std::vector<std::uint8_t> factorySampleBytes(std::string_view name) {
  const EmbeddedFile* f = findFile(name);
  if (!f) return {};
  return std::vector<std::uint8_t>(f->data, f->data + f->size);
}

EmbeddedBytes factorySymbolPng() {
  const EmbeddedFile* f = findFile("symbol.png");
  if (!f) return {};
  return {f->data, f->size};
}

void useEmbeddedFactorySamples() {
  setSampleResolver([](const std::string& name) { return factorySampleBytes(name + ".wav"); });
}

std::string hitHalfName(std::string_view file) { return withSuffix(file, "_hit"); }
std::string bodyHalfName(std::string_view file) { return withSuffix(file, "_body"); }

void factorySampleDisplayName(std::uint32_t row, bool isBody, char* buffer, std::size_t capacity) {
  if (!buffer || capacity == 0) return;
  if (row >= kFactorySampleRowCount) {
    buffer[0] = '\0';
    return;
  }
  std::snprintf(buffer, capacity, "%s %s", kFactorySampleCatalogue[row].displayName, isBody ? "body" : "hit");
}

namespace {
// Documents read before plug-in init (or without a plug-in at all) still
// find factory samples. Lives in this file so that any use of the factory
// files links it in.
struct ResolverInstaller {
  ResolverInstaller() { useEmbeddedFactorySamples(); }
};
const ResolverInstaller kResolverInstaller;
}  // namespace

}  // namespace ob
