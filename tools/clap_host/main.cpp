// orbi-clap-host: renders a CLAP instrument with its transport playing and
// writes its outputs to WAV files as the render goes; with --gui it opens
// the instrument's editor in a window of its own instead.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/wav/wav.h"
#include "engine/clock/tempo.h"
#include "plugin/clap/own_extensions.h"
#include "plugin/output_ports.h"
#include "tools/clap_host/factory_kit.h"
#include "tools/clap_host/gui_command.h"
#include "tools/clap_host/reload.h"
#include "tools/clap_host/render.h"
#include "tools/clap_host/resident_memory.h"
#include "tools/clap_host/test_host.h"
#include "tools/clap_host/timed_actions.h"
#include "tools/clap_host/wav_stream.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: orbi-clap-host PLUGIN.clap [options]\n"
               "  --id ID            plug-in id (default: the factory's first)\n"
               "  --rate HZ          sample rate (48000)\n"
               "  --block FRAMES     block size (512)\n"
               "  --tempo BPM        transport tempo (%g)\n"
               "  --seconds S        time to render (8 bars at the tempo)\n"
               "  --bars N           bars of 4/4 to render (8)\n"
               "  --out FILE         main output WAV (out.wav)\n"
               "  --aux PREFIX       also write PREFIX1.wav .. PREFIX8.wav\n"
               "  --seed HEX         send a session hello with this seed\n"
               "  --feature NAME     list NAME in the session hello (repeatable)\n"
               "  --load-state FILE  load this state before activating; given again,\n"
               "                     the reloads take the states in turn\n"
               "  --kit N            load factory kit N (0..8) before activating\n"
               "  --save-state FILE  save the state after rendering\n"
               "  --memory           print the memory this process holds, and its peak,\n"
               "                     after the state is loaded and after it is saved\n"
               "  --reload N         load the state N times more, and print the memory\n"
               "                     this process holds before and after\n"
               "  --reload-while W   inactive (before activating, the default), stopped\n"
               "                     (active, processing stopped), paused (processing\n"
               "                     started, no process calls) or playing\n"
               "  --reload-every S   seconds of timer (or of playing) between loads (1)\n"
               "  --at S:note=KEY    a note-on of KEY S seconds into the render (repeatable)\n"
               "  --at S:load=FILE   load this state S seconds into the render, and print\n"
               "                     the memory this process then holds (repeatable)\n"
               "  --at S:STEP        stop, start, deactivate or activate (again, and start)\n"
               "                     the instance S seconds into the render; no block is\n"
               "                     processed while it is stopped; memory prints what the\n"
               "                     process holds (repeatable)\n"
               "  --no-timer         offer no timer support\n"
               "  --quiet-log        do not echo the plug-in's log\n"
               "GUI mode (on an X display):\n"
               "  --gui              open the editor; without a script or snapshot it\n"
               "                     stays until its window is closed\n"
               "  --scale S          hand the editor this scale\n"
               "  --play             run the transport at the tempo\n"
               "  --script FILE      steps to run, one a line (repeatable)\n"
               "  --steps TEXT       steps separated by ';' (repeatable)\n"
               "  --snapshot FILE    a PNG of the editor window at the end\n"
               "  --out FILE         also write the main output as the editor plays\n",
               static_cast<double>(ob::kDefaultTempo));
}

bool parseNumber(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(out);
}

// The line that sums up a written main output.
void printLevel(const std::string& path, std::uint64_t frames, double rate, const orbi::host::Level& level) {
  auto db = [](double v) { return v > 0.0 ? 20.0 * std::log10(v) : -INFINITY; };
  std::printf("%s: %.2f s at %.0f Hz, peak %.6f (%.2f dBFS), RMS %.6f (%.2f dBFS)\n", path.c_str(),
              static_cast<double>(frames) / rate, rate, level.peak, db(level.peak), level.rms, db(level.rms));
}

// What the process holds now and held at most since the last such line,
// after `what`, when asked for.
void printMemory(bool asked, const char* what) {
  if (!asked) return;
  const orbi::host::Resident r = orbi::host::residentMemory();
  std::printf("%s: resident %.1f MiB, peak %.1f MiB\n", what, orbi::host::mebibytes(r.now),
              orbi::host::mebibytes(r.peak));
  std::fflush(stdout);
  orbi::host::resetResidentPeak();
}

// The state after the run, when a file is named for it, streamed into it.
bool saveStateFile(orbi::host::Instance& instance, const std::string& path, bool memory) {
  if (path.empty()) return true;
  printMemory(memory, "before the state save");
  std::string error;
  if (!instance.saveStateFile(path, error)) {
    std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
    return false;
  }
  printMemory(memory, "state saved");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orbi::host;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
    usage();
    return argc < 2 ? 2 : 0;
  }
  const std::string path = argv[1];
  std::string id, outPath = "out.wav", auxPrefix, loadPath, savePath, kit;
  std::vector<std::string> morePaths;  // further --load-state files, for the reloads
  double rate = 48000.0, block = 512.0, tempo = ob::kDefaultTempo, seconds = -1.0, bars = 8.0;
  bool hello = false;
  std::uint64_t seed = 0;
  std::vector<std::string> features;
  HostOptions options;
  options.echoLog = true;
  bool gui = false;
  bool outGiven = false;
  bool memory = false;
  GuiCommand guiCommand;
  ReloadRequest reload;
  std::vector<TimedAction> actions;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    auto number = [&](double& v) {
      if (!hasValue || !parseNumber(argv[++i], v)) {
        std::fprintf(stderr, "orbi-clap-host: %s needs a number\n", a.c_str());
        std::exit(2);
      }
    };
    auto text = [&](std::string& v) {
      if (!hasValue) {
        std::fprintf(stderr, "orbi-clap-host: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      v = argv[++i];
    };
    if (a == "--id")
      text(id);
    else if (a == "--rate")
      number(rate);
    else if (a == "--block")
      number(block);
    else if (a == "--tempo")
      number(tempo);
    else if (a == "--seconds")
      number(seconds);
    else if (a == "--bars")
      number(bars);
    else if (a == "--out") {
      text(outPath);
      outGiven = true;
    } else if (a == "--aux")
      text(auxPrefix);
    else if (a == "--load-state")
      text(loadPath.empty() ? loadPath : morePaths.emplace_back());
    else if (a == "--kit")
      text(kit);
    else if (a == "--save-state")
      text(savePath);
    else if (a == "--reload") {
      double times = 0.0;
      number(times);
      reload.times = static_cast<int>(std::clamp(times, 0.0, 1e6));
    } else if (a == "--reload-while") {
      std::string when;
      text(when);
      if (!parseReloadWhen(when, reload.when)) {
        std::fprintf(stderr, "orbi-clap-host: --reload-while takes inactive, stopped, paused or playing\n");
        return 2;
      }
    } else if (a == "--reload-every")
      number(reload.secondsBetween);
    else if (a == "--at") {
      std::string at;
      text(at);
      TimedAction action;
      if (!parseTimedAction(at, action)) {
        std::fprintf(stderr, "orbi-clap-host: --at takes S:note=KEY, S:load=FILE or S:STEP\n");
        return 2;
      }
      actions.push_back(action);
    } else if (a == "--no-timer")
      options.timerSupport = false;
    else if (a == "--quiet-log")
      options.echoLog = false;
    else if (a == "--memory")
      memory = true;
    else if (a == "--gui")
      gui = true;
    else if (a == "--scale")
      number(guiCommand.options.scale);
    else if (a == "--play")
      guiCommand.play = true;
    else if (a == "--snapshot")
      text(guiCommand.snapshot);
    else if (a == "--steps") {
      std::string steps;
      text(steps);
      guiCommand.script += steps + "\n";
    } else if (a == "--script") {
      std::string file;
      text(file);
      std::vector<std::uint8_t> bytes;
      std::string error;
      if (!readFile(file, bytes, error)) {
        std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
        return 2;
      }
      guiCommand.script.append(bytes.begin(), bytes.end());
      guiCommand.script += "\n";
    } else if (a == "--feature") {
      std::string f;
      text(f);
      features.push_back(f);
      hello = true;
    } else if (a == "--seed") {
      std::string s;
      text(s);
      char* end = nullptr;
      seed = std::strtoull(s.c_str(), &end, 16);
      if (s.empty() || *end != '\0') {
        std::fprintf(stderr, "orbi-clap-host: --seed needs hexadecimal digits\n");
        return 2;
      }
      hello = true;
    } else {
      std::fprintf(stderr, "orbi-clap-host: unknown option %s\n", a.c_str());
      usage();
      return 2;
    }
  }
  if (rate <= 0.0 || block < 1.0 || block > 1 << 20 || tempo <= 0.0 || bars < 0.0) {
    std::fprintf(stderr, "orbi-clap-host: rate, block and tempo must be positive\n");
    return 2;
  }
  if (!kit.empty() && !loadPath.empty()) {
    std::fprintf(stderr, "orbi-clap-host: --kit and --load-state both set the state; give one\n");
    return 2;
  }
  if (gui && !actions.empty()) {
    std::fprintf(stderr, "orbi-clap-host: --at times a render, not the editor: use --steps there\n");
    return 2;
  }
  if (seconds < 0.0) seconds = bars * 4.0 * 60.0 / tempo;
  RenderRequest request;
  request.blockFrames = static_cast<std::uint32_t>(block);
  request.tempo = tempo;
  request.seconds = seconds;
  if (framesToRender(request, rate) > ob::maxWavFrames(2)) {
    std::fprintf(stderr, "orbi-clap-host: %.0f s is longer than a WAV file can hold\n", seconds);
    return 2;
  }

  std::string error;
  std::unique_ptr<ClapLibrary> library = ClapLibrary::open(path, error);
  if (!library) {
    std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
    return 1;
  }
  const clap_plugin_factory_t* factory = library->factory();
  if (factory == nullptr || factory->get_plugin_count(factory) == 0) {
    std::fprintf(stderr, "orbi-clap-host: %s offers no plug-in\n", path.c_str());
    return 1;
  }
  if (id.empty()) id = factory->get_plugin_descriptor(factory, 0)->id;

  TestHost host(options);
  std::unique_ptr<Instance> instance = Instance::create(*library, host, id.c_str(), error);
  if (!instance) {
    std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
    return 1;
  }
  if (hello) {
    const auto* session = instance->extension<ob::clap::PluginSession>(ob::clap::kExtSession);
    std::vector<const char*> names;
    for (const std::string& f : features) names.push_back(f.c_str());
    ob::clap::SessionHelloRecord record{};
    record.size = sizeof record;
    record.seed = seed;
    record.version = 1;
    record.features = names.empty() ? nullptr : names.data();
    record.featureCount = static_cast<std::int32_t>(names.size());
    if (session == nullptr || !session->hello(instance->plugin(), &record))
      std::fprintf(stderr, "orbi-clap-host: the plug-in took no session hello\n");
  }
  // A state file is streamed as a host reads it from its project.
  std::vector<std::uint8_t> kitState;
  std::size_t loads = 0;
  const StateLoad loadState = [&](std::string& why) {
    const std::size_t turn = loads++ % (morePaths.size() + 1);
    if (!kit.empty()) return instance->loadState(kitState, why);
    return instance->loadStateFile(turn == 0 ? loadPath : morePaths[turn - 1], why);
  };
  if (!loadPath.empty() || !kit.empty()) {
    if ((!kit.empty() && !factoryKitState(kit, kitState, error)) || !loadState(error)) {
      std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
      return 1;
    }
    printMemory(memory, "state loaded");
  }
  auto reloadOrSay = [&] {
    if (reloadState(*instance, loadState, reload, request, error)) return true;
    std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
    return false;
  };
  if (reload.times > 0 && loadPath.empty() && kit.empty()) {
    std::fprintf(stderr, "orbi-clap-host: --reload needs --load-state or --kit\n");
    return 2;
  }
  if (reload.times > 0 && reload.when == ReloadWhen::Inactive && !reloadOrSay()) return 1;
  if (!instance->activate(rate, static_cast<std::uint32_t>(block))) {
    std::fprintf(stderr, "orbi-clap-host: the plug-in did not activate\n");
    return 1;
  }
  if (reload.times > 0 && reload.when != ReloadWhen::Inactive && !reloadOrSay()) return 1;
  if (gui) {
    guiCommand.options.blockFrames = static_cast<std::uint32_t>(block);
    guiCommand.tempo = tempo;
    // Asked for, the main output is written as the editor plays it: the
    // transport's tracks and the editor's auditions.
    WavStream guiOut;
    LevelMeter guiMeter;
    std::uint64_t guiFrames = 0;
    bool recorded = true;
    if (outGiven) {
      if (!guiOut.open(outPath, 2, rate, error)) {
        std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
        return 1;
      }
      guiCommand.options.onBlock = [&](const Instance& in, std::uint32_t n) {
        guiMeter.add(in.channel(0, 0).data(), in.channel(0, 1).data(), n);
        recorded = recorded && guiOut.append(in.channel(0, 0).data(), in.channel(0, 1).data(), n, error);
        guiFrames += n;
      };
    }
    const int status = runGui(*instance, guiCommand);
    if (outGiven) {
      if (!(recorded && guiOut.close(error))) {
        std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
        return 1;
      }
      printLevel(outPath, guiFrames, rate, guiMeter.level());
    }
    return status == 0 && !saveStateFile(*instance, savePath, memory) ? 1 : status;
  }
  WavStream mainOut;
  std::vector<WavStream> auxOut(auxPrefix.empty() ? 0 : ob::clap::kOutputPorts - 1);
  bool opened = mainOut.open(outPath, 2, rate, error);
  for (std::size_t t = 0; opened && t < auxOut.size(); ++t)
    opened = auxOut[t].open(auxPrefix + std::to_string(t + 1) + ".wav", 2, rate, error);
  if (!opened) {
    std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
    return 1;
  }
  LevelMeter meter;
  Timeline timeline(std::move(actions));
  bool written = timeline.runDue(*instance, 0.0, error);
  std::uint64_t rendered = 0;
  const std::uint64_t frames =
      !written ? 0 : renderBlocks(*instance, request, [&](const Instance& in, std::uint32_t n) {
        meter.add(in.channel(0, 0).data(), in.channel(0, 1).data(), n);
        written = mainOut.append(in.channel(0, 0).data(), in.channel(0, 1).data(), n, error);
        for (std::uint32_t t = 0; written && t < auxOut.size(); ++t)
          written = auxOut[t].append(in.channel(t + 1, 0).data(), in.channel(t + 1, 1).data(), n, error);
        rendered += n;
        written = written && timeline.runDue(*instance, static_cast<double>(rendered) / rate, error);
        return written;
      });
  written = written && mainOut.close(error);
  for (WavStream& out : auxOut) written = written && out.close(error);
  if (!written) {
    std::fprintf(stderr, "orbi-clap-host: %s\n", error.c_str());
    return 1;
  }
  if (!saveStateFile(*instance, savePath, memory)) return 1;
  printLevel(outPath, frames, rate, meter.level());
  return 0;
}
