// Factory-sample generator: synthesises every sound of the factory
// catalogue, splits the split rows into hit and body halves, draws the logo,
// and writes the files, a source file that embeds them and a SHA-256
// manifest into the folder given as its argument. Deterministic: the same
// program writes the same bytes on every run.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "content/tools/hit_body_split.h"
#include "document/archive/sha256.h"
#include "document/factory/factory_catalogue.h"
#include "resources/factory_gen/dsp.h"
#include "resources/factory_gen/logo.h"
#include "resources/factory_gen/voices.h"
#include "resources/factory_gen/wav16.h"

namespace {

constexpr double kPeakTarget = 0.891;    // -1 dBFS for the loudest of an instrument
constexpr std::size_t kAttackRamp = 24;  // 0.5 ms from zero into the attack

struct Sound {
  const ob::FactorySampleRow* row;
  std::string stem;
  gen::Buffer signal;
};

struct OutFile {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

std::string stemOf(const char* fileName) {
  std::string s(fileName);
  const std::size_t dot = s.rfind('.');
  return dot == std::string::npos ? s : s.substr(0, dot);
}

double peakOf(const gen::Buffer& b) {
  double p = 0.0;
  for (double x : b) p = std::max(p, std::fabs(x));
  return p;
}

// Starts the sound from zero, takes out any DC and fades the tail to silence.
void finish(gen::Buffer& b) {
  const std::size_t n = b.size();
  for (std::size_t i = 0; i < kAttackRamp && i < n; ++i)
    b[i] *= 0.5 - 0.5 * gen::detCos(gen::kPi * static_cast<double>(i) / kAttackRamp);
  const double r = 1.0 - gen::kTwoPi * 12.0 / gen::kRate;
  double x1 = 0.0, y1 = 0.0;
  for (double& v : b) {
    const double y = v - x1 + r * y1;
    x1 = v;
    y1 = y;
    v = y;
  }
  const std::size_t fade = std::min<std::size_t>(n / 5, gen::framesOf(0.06));
  for (std::size_t k = 0; k < fade; ++k) {
    const double w = 0.5 + 0.5 * gen::detCos(gen::kPi * static_cast<double>(k + 1) / fade);
    b[n - fade + k] *= w;
  }
}

std::vector<std::int16_t> quantise(const float* x, std::size_t n) {
  std::vector<std::int16_t> q(n);
  for (std::size_t i = 0; i < n; ++i) {
    double v = std::floor(static_cast<double>(x[i]) * 32768.0 + 0.5);
    v = std::clamp(v, -32768.0, 32767.0);
    q[i] = static_cast<std::int16_t>(v);
  }
  return q;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

bool writeText(const std::string& path, const std::string& text) {
  return writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string embedSource(const std::vector<OutFile>& files, const std::string& dir) {
  std::string asmText, decls, table;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string sym = "ob_factory_file_" + std::to_string(i);
    asmText += "    \".globl " + sym + "\\n\"\n    \".hidden " + sym + "\\n\"\n    \".type " + sym +
               ", @object\\n\"\n    \".balign 16\\n\"\n    \"" + sym + ":\\n\"\n    \".incbin \\\"" + dir +
               "/" + files[i].name + "\\\"\\n\"\n    \".size " + sym + ", " +
               std::to_string(files[i].bytes.size()) + "\\n\"\n";
    decls += "extern \"C\" __attribute__((visibility(\"hidden\"))) const std::uint8_t " + sym + "[];\n";
    table +=
        "    {\"" + files[i].name + "\", " + sym + ", " + std::to_string(files[i].bytes.size()) + "u},\n";
  }
  std::string out;
  out += "// Written by the factory-sample generator; do not edit.\n";
  out += "#include \"content/factory/embedded_files.h\"\n\n";
  out += "__asm__(\n    \".pushsection .rodata.ob_factory, \\\"a\\\", @progbits\\n\"\n" + asmText +
         "    \".popsection\\n\");\n\n";
  out += decls;
  out +=
      "\nnamespace ob {\nnamespace {\nconst EmbeddedFile kFiles[] = {\n" + table + "};\n}  // namespace\n\n";
  out +=
      "std::span<const EmbeddedFile> embeddedFactoryFiles() { return {kFiles, sizeof kFiles / sizeof "
      "kFiles[0]}; }\n\n";
  out += "}  // namespace ob\n";
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [--report]\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const bool report = argc > 2 && std::string(argv[2]) == "--report";

  std::vector<Sound> sounds;
  std::map<std::string, double> groupPeak;
  for (const ob::FactorySampleRow& row : ob::kFactorySampleCatalogue) {
    Sound s{&row, stemOf(row.fileName), {}};
    const std::size_t frames = static_cast<std::size_t>(row.lengthMs) * 48;
    s.signal = gen::synthesise(s.stem, frames);
    if (s.signal.size() != frames) {
      std::fprintf(stderr, "factory generator: no recipe for %s\n", s.stem.c_str());
      return 1;
    }
    finish(s.signal);
    double& peak = groupPeak[gen::levelGroup(s.stem)];
    peak = std::max(peak, peakOf(s.signal));
    sounds.push_back(std::move(s));
  }

  std::vector<OutFile> files;
  std::size_t total = 0;
  for (Sound& s : sounds) {
    const double gain = kPeakTarget / groupPeak[gen::levelGroup(s.stem)];
    std::vector<float> whole(s.signal.size());
    for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<float>(s.signal[i] * gain);
    // The stored whole is what a 16-bit file can hold.
    const std::vector<std::int16_t> q = quantise(whole.data(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<float>(q[i]) / 32768.0f;
    if (report) {
      // Level of the natural decay just before the closing fade.
      const std::size_t n = whole.size();
      const std::size_t fadeStart = n - std::min<std::size_t>(n / 5, gen::framesOf(0.06));
      double tail = 0.0;
      for (std::size_t i = fadeStart - n / 10; i < fadeStart; ++i)
        tail = std::max(tail, std::fabs(static_cast<double>(whole[i])));
      std::fprintf(stderr, "%-18s peak %.3f  tail %.1f dB\n", s.stem.c_str(), peakOf(s.signal) * gain,
                   20.0 * std::log10(tail + 1e-12));
    }
    if (!s.row->split) {
      files.push_back({s.row->fileName, gen::encodeWav16(q, 48000)});
      continue;
    }
    ob::SplitParams params;
    params.tags = s.row->tags;
    const ob::HitBodyHalves halves =
        ob::splitHitBody(whole.data(), nullptr, static_cast<std::int32_t>(whole.size()), gen::kRate, params);
    if (!halves.usable()) {
      std::fprintf(stderr, "factory generator: %s does not split\n", s.stem.c_str());
      return 1;
    }
    files.push_back({s.stem + "_hit.wav",
                     gen::encodeWav16(quantise(halves.hitLeft.data(), halves.hitLeft.size()), 48000)});
    files.push_back({s.stem + "_body.wav",
                     gen::encodeWav16(quantise(halves.bodyLeft.data(), halves.bodyLeft.size()), 48000)});
  }
  files.push_back({"symbol.png", gen::drawLogoPng()});
  std::sort(files.begin(), files.end(), [](const OutFile& a, const OutFile& b) { return a.name < b.name; });

  std::string manifest;
  for (const OutFile& f : files) {
    if (!writeFile(dir + "/" + f.name, f.bytes)) {
      std::fprintf(stderr, "factory generator: cannot write %s/%s\n", dir.c_str(), f.name.c_str());
      return 1;
    }
    manifest += ob::sha256Hex(f.bytes.data(), f.bytes.size()) + "  " + f.name + "\n";
    total += f.bytes.size();
  }
  if (!writeText(dir + "/factory.sha256", manifest) ||
      !writeText(dir + "/factory_files.cpp", embedSource(files, dir))) {
    std::fprintf(stderr, "factory generator: cannot write into %s\n", dir.c_str());
    return 1;
  }
  if (report) std::fprintf(stderr, "%zu files, %zu bytes\n", files.size(), total);
  return 0;
}
