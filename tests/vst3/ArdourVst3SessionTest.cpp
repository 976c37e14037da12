// Brume's VST3 module in Ardour 7 without a screen: Ardour's own scanner
// indexes the bundle; a session (ardour7-lua on the dummy backend) with
// Brume on a track and some values set is saved, then reopened in a new
// process, where every value reads back as it was saved and a factory
// program loads by its name. Skipped where Ardour is not installed.
// Ardour keeps values as floats in its own units, converted from and to
// the normalised values VST3 sends: they match within that precision.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "effect/DefineParameters.h"
#include "effect/FactoryPresets.h"
#include "effect/ParameterIds.h"
#include "framework/IParameterStore.h"
#include "tests/ArdourLua.h"

namespace {

const std::string kScratch = KESTREL_ARDOUR_SCRATCH;
const std::string kEnv = ArdourEnvironment(kScratch);
const char kUid[] = "A45DFD696A03BE2FE20D397DEC1BD18C";

std::string RunArdour(const std::string& name, const std::string& lua) { return RunArdourLua(kScratch, name, lua); }

// Ardour's library folder, where its VST3 scanner lives; empty if none.
std::string ArdourLibraryFolder() {
  for (const char* folder : {"/usr/lib/ardour7", "/usr/lib/x86_64-linux-gnu/ardour7"})
    if (std::ifstream(std::string(folder) + "/ardour-vst3-scanner").good()) return folder;
  return "";
}


// Every value printed in full, and the plug-in found by its class ID once
// Ardour knows the bundle.
const char kHelpers[] = R"(
local function dump(tag, proc)
  for i = 0, %d do print(tag, i, string.format('%%.17g', ARDOUR.LuaAPI.get_processor_param(proc, i, true))) end
end
local function brume()
  local found = false
  for p in ARDOUR.LuaAPI.list_plugins():iter() do
    if p.type == ARDOUR.PluginType.VST3 and p.unique_id == '%s' then found = true end
  end
  return found
end
)";

double Tolerance(const IParameter& p) { return 2e-6 * (p.Maximum() - p.Minimum()) + 1e-9; }

}  // namespace

TEST(ArdourVst3Session, ScannerIndexesTheBundleAndValuesSurviveSaveAndReopenAndProgramsLoadByName) {
#ifdef KESTREL_SANITIZED
  GTEST_SKIP() << "a sanitized plug-in does not load into Ardour";
#endif
  const std::string library = ArdourLibraryFolder();
  if (std::system("command -v ardour7-lua >/dev/null 2>&1") != 0 || library.empty())
    GTEST_SKIP() << "Ardour 7 is not installed";
  ASSERT_EQ(std::system(("rm -rf '" + kScratch + "' && mkdir -p '" + kScratch + "/.vst3' && cp -r '" +
                         BRUME_VST3_BUNDLE + "' '" + kScratch + "/.vst3/'").c_str()),
            0);
  char helpers[1024];
  std::snprintf(helpers, sizeof helpers, kHelpers, kParameterCount - 1, kUid);

  // Ardour learns of the bundle in ~/.vst3 on its first run, then its
  // scanner indexes it, as Ardour's plug-in manager has it do.
  RunArdour("discover", std::string(helpers) + "assert(create_session('" + kScratch +
                            "/first', 'first', 48000))\nprint('known', brume())\nclose_session()\n");
  const std::string scan = RunCommand(kEnv + "LD_LIBRARY_PATH='" + library + "' '" + library +
                               "/ardour-vst3-scanner' -f -v '" + kScratch + "/.vst3/Brume.vst3'");
  EXPECT_NE(scan.find(std::string("uid=\"") + kUid + "\""), std::string::npos) << scan;
  EXPECT_NE(scan.find("vendor=\"Orvendale\""), std::string::npos) << scan;
  EXPECT_NE(scan.find("n_inputs=\"2\" n_outputs=\"2\""), std::string::npos) << scan;
  EXPECT_NE(scan.find("n_midi_inputs=\"1\""), std::string::npos) << scan;

  IParameterStore parameters(kParameterCount);
  DefineParameters(parameters);
  const std::map<int, double> set = {{kFilterFreq1, 1234.0}, {kGain, -6.5}, {kAudioIn1, 3.0}, {kSoftClip, 0.0}};
  std::string create = std::string(helpers) +
      "local s = create_session('" + kScratch + "/session', 'brume', 48000)\nassert(s, 'no session')\n"
      "assert(brume(), 'Brume not listed')\n"
      "local track = Session:new_audio_track(2, 2, nil, 1, 'brume', ARDOUR.PresentationInfo.max_order, "
      "ARDOUR.TrackMode.Normal, true):front()\n"
      "local proc = ARDOUR.LuaAPI.new_plugin(Session, '" + kUid + "', ARDOUR.PluginType.VST3, '')\n"
      "assert(not proc:isnil(), 'Brume not found')\n"
      "assert(track:add_processor_by_index(proc, 0, nil, true))\n";
  for (const auto& [index, value] : set)
    create += "ARDOUR.LuaAPI.set_processor_param(proc, " + std::to_string(index) + ", " + std::to_string(value) + ")\n";
  create += "ARDOUR.LuaAPI.usleep(300000)\ndump('set', proc)\n"
            "Session:save_state('', false, false, false, false, false)\nclose_session()\nprint('saved')\n";
  const std::string created = RunArdour("create", create);
  ASSERT_NE(created.find("saved"), std::string::npos) << created;

  const int preset = 17;  // "filtered delay": routing, filters and delays all set
  const std::string reopen = std::string(helpers) +
      "local s = load_session('" + kScratch + "/session', 'brume')\nassert(s, 'no session')\n"
      "local proc = Session:route_by_name('brume'):nth_plugin(0)\n"
      "assert(not proc:isnil(), 'no plug-in')\n"
      "ARDOUR.LuaAPI.usleep(300000)\ndump('got', proc)\n"
      "local plugin = proc:to_insert():plugin(0)\n"
      "local record = plugin:preset_by_label('" + std::string(FactoryPresetAt(preset).name) + "')\n"
      "assert(record, 'no preset')\nassert(plugin:load_preset(record), 'preset did not load')\n"
      "ARDOUR.LuaAPI.usleep(300000)\ndump('preset', proc)\nclose_session()\n";
  const std::string reopened = RunArdour("reopen", reopen);
  const std::map<int, double> saved = TaggedValues(created, "set"), got = TaggedValues(reopened, "got"),
                              loaded = TaggedValues(reopened, "preset");
  ASSERT_EQ(saved.size(), static_cast<size_t>(kParameterCount)) << created;
  ASSERT_EQ(got.size(), static_cast<size_t>(kParameterCount)) << reopened;
  ASSERT_EQ(loaded.size(), static_cast<size_t>(kParameterCount)) << reopened;
  double presetValues[kParameterCount];
  FactoryPresetValues(preset, presetValues);
  for (int i = 0; i < kParameterCount; ++i) {
    const IParameter& p = *parameters.Parameter(i);
    const auto it = set.find(i);
    const double expected = it != set.end() ? it->second : p.Default();
    EXPECT_NEAR(saved.at(i), expected, Tolerance(p)) << kParameterIdentifiers[i];
    EXPECT_EQ(got.at(i), saved.at(i)) << kParameterIdentifiers[i];
    EXPECT_NEAR(loaded.at(i), p.ClampedValueOf(presetValues[i]), Tolerance(p)) << kParameterIdentifiers[i];
  }
}
