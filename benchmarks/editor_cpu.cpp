// What an open editor costs while nobody touches it: the built plug-in in
// the test host (orbi-clap-host --gui), its instance active and processing
// blocks, the editor left alone for a span of wall time; the CPU of the
// host's every thread (Mesa's rasteriser threads among them) over that span,
// in percent of one core. Three cases: the transport stopped, playing, and
// the editor hidden (the loop and the audio alone). The first frames after
// opening are left out. Needs an X display (run under xvfb-run); without
// one it reports an error.
//
// One iteration a case; its time is the span's wall time. The span is the
// second argument in seconds (60 in the figures; shorter runs are noisier).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

enum Case : int { kStopped = 0, kPlaying = 1, kHidden = 2 };

struct Usage {
  double cpu = 0.0;
  double wall = 0.0;
};

// Runs the host with the steps and gathers the "usage:" lines it prints.
bool runHost(const std::string& options, const std::string& steps, std::vector<Usage>& lines,
             std::string& error) {
  const std::string command = std::string("'") + OB_CLAP_HOST_PATH + "' '" + OB_CLAP_PATH +
                              "' --gui --quiet-log " + options + " --steps '" + steps + "' 2>&1";
  FILE* out = popen(command.c_str(), "r");
  if (!out) {
    error = "the host did not start";
    return false;
  }
  char line[512];
  std::string said;
  while (std::fgets(line, sizeof line, out)) {
    Usage u;
    if (std::sscanf(line, "usage: cpu %lf wall %lf", &u.cpu, &u.wall) == 2)
      lines.push_back(u);
    else
      said += line;
  }
  const int status = pclose(out);
  if (status != 0 || lines.size() != 2) {
    error = "the host failed: " + said;
    return false;
  }
  return true;
}

void BM_EditorCpu(benchmark::State& state) {
  if (!std::getenv("DISPLAY")) {
    state.SkipWithError("no X display");
    return;
  }
  const auto which = static_cast<Case>(state.range(0));
  const long spanMs = state.range(1) * 1000;
  const std::string options = which == kPlaying ? "--play" : "";
  // Thirty frames for the fonts, the first layout and the previews.
  const std::string steps = std::string("frames 30; ") + (which == kHidden ? "hide; " : "") + "usage; wait " +
                            std::to_string(spanMs) + "; usage";
  for (auto _ : state) {
    std::vector<Usage> lines;
    std::string error;
    if (!runHost(options, steps, lines, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    const double wall = lines[1].wall - lines[0].wall;
    state.SetIterationTime(wall);
    state.counters["cpu_percent"] = 100.0 * (lines[1].cpu - lines[0].cpu) / wall;
  }
}
BENCHMARK(BM_EditorCpu)
    ->ArgNames({"case", "seconds"})
    ->Args({kStopped, 60})
    ->Args({kPlaying, 60})
    ->Args({kHidden, 60})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
