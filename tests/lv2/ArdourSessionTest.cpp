// Brume's LV2 plug-in in Ardour 7 without a screen (ardour7-lua on the
// dummy backend): a session with Brume on a track and some controls set is
// saved, then reopened in a new process, where every control reads back the
// same and a factory preset loads by its name. Skipped where ardour7-lua is
// not installed. Ardour keeps control values as floats.
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
#include "lv2/BrumeLv2Ids.h"
#include "tests/ArdourLua.h"

namespace {

const std::string kScratch = KESTREL_ARDOUR_SCRATCH;

std::string RunArdour(const std::string& name, const std::string& lua) {
  return RunArdourLua(kScratch, name, lua, std::string("LV2_PATH='") + KESTREL_LV2_PATH + "'");
}

const char kReadAll[] = R"(
local function dump(tag, proc)
  for i = 0, %d do print(tag, i, (ARDOUR.LuaAPI.get_processor_param(proc, i, true))) end
end
)";

}  // namespace

TEST(ArdourSession, ControlsSurviveSaveAndReopenAndFactoryPresetsLoadByName) {
#ifdef KESTREL_SANITIZED
  GTEST_SKIP() << "a sanitized plug-in does not load into Ardour";
#endif
  if (std::system("command -v ardour7-lua >/dev/null 2>&1") != 0) GTEST_SKIP() << "ardour7-lua is not installed";
  ASSERT_EQ(std::system(("rm -rf '" + kScratch + "' && mkdir -p '" + kScratch + "'").c_str()), 0);
  IParameterStore parameters(kParameterCount);
  DefineParameters(parameters);
  // One of each kind: a frequency, a gain, a routing choice, a switch.
  const std::map<int, double> set = {{kFilterFreq1, 1234.0}, {kGain, -6.5}, {kAudioIn1, 3.0}, {kSoftClip, 0.0}};
  char readAll[256];
  std::snprintf(readAll, sizeof readAll, kReadAll, kParameterCount - 1);

  std::string create = std::string(readAll) + "local s = create_session('" + kScratch + "/session', 'brume', 48000)\n"
      "assert(s, 'no session')\n"
      "local track = Session:new_audio_track(2, 2, nil, 1, 'brume', ARDOUR.PresentationInfo.max_order, "
      "ARDOUR.TrackMode.Normal, true):front()\n"
      "local proc = ARDOUR.LuaAPI.new_plugin(Session, '" + brume_lv2::kPluginUri + "', ARDOUR.PluginType.LV2, '')\n"
      "assert(not proc:isnil(), 'Brume not found')\n"
      "assert(track:add_processor_by_index(proc, 0, nil, true))\n";
  for (const auto& [index, value] : set)
    create += "ARDOUR.LuaAPI.set_processor_param(proc, " + std::to_string(index) + ", " + std::to_string(value) + ")\n";
  create += "Session:save_state('', false, false, false, false, false)\nclose_session()\nprint('saved')\n";
  const std::string created = RunArdour("create", create);
  ASSERT_NE(created.find("saved"), std::string::npos) << created;

  const int preset = 17;  // "filtered delay": routing, filters and delays all set
  const std::string reopen = std::string(readAll) + "local s = load_session('" + kScratch + "/session', 'brume')\n"
      "assert(s, 'no session')\n"
      "local proc = Session:route_by_name('brume'):nth_plugin(0)\n"
      "assert(not proc:isnil(), 'no plug-in')\n"
      "dump('got', proc)\n"
      "local plugin = proc:to_insert():plugin(0)\n"
      "local record = plugin:preset_by_label('" + std::string(FactoryPresetAt(preset).name) + "')\n"
      "assert(record, 'no preset')\nassert(plugin:load_preset(record), 'preset did not load')\n"
      "dump('preset', proc)\nclose_session()\n";
  const std::string reopened = RunArdour("reopen", reopen);
  const std::map<int, double> got = TaggedValues(reopened, "got"), loaded = TaggedValues(reopened, "preset");
  ASSERT_EQ(got.size(), static_cast<size_t>(kParameterCount)) << reopened;
  ASSERT_EQ(loaded.size(), static_cast<size_t>(kParameterCount)) << reopened;
  double presetValues[kParameterCount];
  FactoryPresetValues(preset, presetValues);
  for (int i = 0; i < kParameterCount; ++i) {
    const auto it = set.find(i);
    const double expected = it != set.end() ? it->second : parameters.Parameter(i)->Default();
    EXPECT_EQ(static_cast<float>(got.at(i)), static_cast<float>(expected)) << kParameterIdentifiers[i];
    EXPECT_EQ(static_cast<float>(loaded.at(i)), static_cast<float>(presetValues[i])) << kParameterIdentifiers[i];
  }
}
