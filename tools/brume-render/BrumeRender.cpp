#include "tools/brume-render/BrumeRender.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "framework/SampleRateRange.h"
#include "tools/brume-render/AudioFile.h"
#include "tools/brume-render/DemoSignal.h"
#include "tools/brume-render/PluginInstance.h"
#include "tools/brume-render/ProgressBar.h"
#include "tools/brume-render/RenderOptions.h"

namespace {

int Fail(std::ostream& err, int status, const std::string& message) {
  err << "brume-render: " << message << '\n';
  return status;
}

std::vector<std::string> ProgramNames(PluginInstance& plugin) {
  std::vector<std::string> names;
  for (int i = 0; i < plugin.ProgramCount(); ++i) names.push_back(plugin.ProgramName(i));
  return names;
}

void Render(PluginInstance& plugin, const StereoAudio& input, StereoAudio& output, int block, std::ostream& err) {
  output.rate = input.rate;
  output.Resize(input.Frames());
  ProgressBar progress(err, input.Frames());
  for (std::size_t done = 0; done < input.Frames();) {
    const int n = static_cast<int>(std::min<std::size_t>(block, input.Frames() - done));
    plugin.Process(&input.left[done], &input.right[done], &output.left[done], &output.right[done], n);
    done += n;
    progress.Update(done);
  }
  progress.Finish();
}

}  // namespace

int RunBrumeRender(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                   const std::string& defaultPlugin) {
  RenderOptions options;
  std::string error;
  if (!ParseRenderOptions(argc, argv, options, error)) return Fail(err, 2, error);
  if (options.help) {
    out << RenderUsage();
    return 0;
  }
  const std::string pluginPath = options.plugin.empty() ? defaultPlugin : options.plugin;
  const std::string outPath = options.outPath.empty() ? DefaultOutputPath(options) : options.outPath;

  StereoAudio input;
  if (!options.listPresets) {
    if (!IsSupportedOutputPath(outPath))
      return Fail(err, 2, "cannot write '" + outPath + "': the output must end in .wav or .flac");
    if (options.inPath.empty()) {
      input = MakeDemoSignal(options.rate, options.tempo);
    } else {
      if (!ReadAudioFile(options.inPath, input, error)) return Fail(err, 1, error);
      // The plug-in would keep its previous rate for one it refuses, and the
      // file would be rendered at the wrong rate without a word.
      if (!IsSupportedSampleRate(input.rate))
        return Fail(err, 1, "'" + options.inPath + "' is at " + std::to_string(input.rate) +
                                " Hz; Brume runs at " + std::to_string(static_cast<int>(kMinSampleRate)) + " to " +
                                std::to_string(static_cast<int>(kMaxSampleRate)) + " Hz (brume-render does not resample)");
      if (options.rateGiven && options.rate != input.rate)
        return Fail(err, 2, "--rate " + std::to_string(options.rate) + " differs from the " +
                                std::to_string(input.rate) + " Hz of '" + options.inPath +
                                "' (brume-render does not resample)");
    }
  }

  PluginInstance plugin;
  if (!plugin.Load(pluginPath, error)) return Fail(err, 1, error);
  const std::vector<std::string> names = ProgramNames(plugin);

  if (options.listPresets) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      char number[32];
      std::snprintf(number, sizeof number, "%3zu  ", i);
      out << number << names[i] << '\n';
    }
    return 0;
  }

  std::string presetText = "start-up settings";
  if (!options.preset.empty()) {
    const int index = FindPreset(names, options.preset);
    if (index < 0)
      return Fail(err, 1, "unknown preset '" + options.preset + "' (brume-render --list-presets shows them)");
    plugin.SelectProgram(index);
    presetText = "preset " + std::to_string(index) + " \"" + names[index] + "\"";
  }

  StereoAudio output;
  plugin.Start(input.rate, options.block, options.tempo);
  Render(plugin, input, output, options.block, err);
  plugin.Close();

  if (!WriteAudioFile(outPath, output, error)) return Fail(err, 1, error);
  out << "wrote " << outPath << " (" << output.Frames() << " frames at " << output.rate << " Hz, " << presetText
      << ")\n";
  return 0;
}
