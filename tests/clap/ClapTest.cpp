// Brume.clap through a host of the tests' own: the entry and factory, the
// ports, parameters and texts as the VST 2.4 plug-in has them, renders
// equal to the VST 2.4 plug-in's, events at their sample times, and the
// state (with damaged states loading whole or not at all).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "clap/ClapParameters.h"
#include "effect/FactoryPresets.h"
#include "effect/Kestrel.h"
#include "effect/MatrixChoices.h"
#include "framework/IStateChunk.h"
#include "tests/Vst24Reference.h"
#include "tests/clap/ClapHost.h"

namespace {

using namespace clap_host;
using Values = std::vector<double>;
using Bytes = StateBytes;

constexpr double kRate = 48000.0;
constexpr int kOddCount = static_cast<int>(sizeof kOddBlocks / sizeof kOddBlocks[0]);

using BlockEvents = std::function<void(int start, int frames, EventList&)>;

// The values as a state loaded once processing runs, as the VST 2.4 render
// gets them after its start-up.
Stereo RenderClap(const Values& values, const Stereo& in, const int* blocks, int count, bool inPlace = false,
                  const BlockEvents& extras = {}, double tempo = 0.0) {
  Module module(BRUME_CLAP_PATH);
  Instance plugin(module);
  EXPECT_TRUE(plugin.Activate(kRate, 8192));
  EXPECT_TRUE(plugin.Load(ProgramChunk(values)));
  const int frames = static_cast<int>(in.left.size());
  Stereo out = inPlace ? in : Stereo{std::vector<float>(frames), std::vector<float>(frames)};
  ForEachBlock(frames, blocks, count, [&](int start, int n) {
    float* inputs[] = {const_cast<float*>(&(inPlace ? out : in).left[start]),
                       const_cast<float*>(&(inPlace ? out : in).right[start])};
    float* outputs[] = {&out.left[start], &out.right[start]};
    EventList events;
    if (extras) extras(start, n, events);
    plugin.Process(inputs, outputs, static_cast<uint32_t>(n), &events, tempo);
  });
  return out;
}

}  // namespace

TEST(ClapModule, EntryFactoryDescriptorPortsAndParameters) {
  Module module(BRUME_CLAP_PATH);
  ASSERT_TRUE(module.Entry()) << module.Error();
  const clap::PluginEntry& entry = *module.Entry();
  // Repeated init and deinit, and a factory whatever init said.
  EXPECT_TRUE(entry.init(""));
  entry.deinit();
  EXPECT_EQ(entry.get_factory("no.such-factory"), nullptr);
  const clap::PluginFactory* factory = module.Factory();
  ASSERT_TRUE(factory);
  ASSERT_EQ(factory->get_plugin_count(factory), 1u);
  EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
  const clap::PluginDescriptor& d = *factory->get_plugin_descriptor(factory, 0);
  EXPECT_STREQ(d.id, "com.orvendale.brume");
  EXPECT_STREQ(d.name, "Brume");
  EXPECT_STREQ(d.vendor, "Orvendale");
  EXPECT_STREQ(d.version_text, KESTREL_VERSION);
  std::vector<std::string> features;
  for (const char* const* f = d.features; *f; ++f) features.emplace_back(*f);
  EXPECT_EQ(features[0], "audio-effect");
  EXPECT_NE(std::find(features.begin(), features.end(), "stereo"), features.end());
  EXPECT_EQ(factory->create_plugin(factory, nullptr, d.id), nullptr);

  Instance plugin(module);
  ASSERT_TRUE(plugin.Valid());
  const auto* ports = plugin.Get<clap::PluginAudioPorts>(clap::kAudioPortsId);
  ASSERT_TRUE(ports);
  for (bool input : {true, false}) {
    ASSERT_EQ(ports->count(plugin.Plugin(), input), 1u);
    clap::AudioPortInfo info{};
    ASSERT_TRUE(ports->get(plugin.Plugin(), 0, input, &info));
    EXPECT_TRUE(info.flags & clap::kAudioPortIsMain);
    EXPECT_EQ(info.channel_count, 2u);
    EXPECT_STREQ(info.port_type, "stereo");
  }
  const auto* notes = plugin.Get<clap::PluginNotePorts>(clap::kNotePortsId);
  clap::NotePortInfo note{};
  ASSERT_TRUE(notes && notes->count(plugin.Plugin(), true) == 1 && notes->get(plugin.Plugin(), 0, true, &note));
  EXPECT_EQ(note.supported_dialects, clap::kNoteDialectClap | clap::kNoteDialectMidi);

  // Every parameter: its index as id, automatable, its VST 2.4 name, range
  // and default, and the VST 2.4 display (with its unit) as text.
  Kestrel effect(&ReferenceHost, nullptr);
  AEffect* e = effect.Effect();
  const auto* params = plugin.Get<clap::PluginParams>(clap::kParamsId);
  ASSERT_TRUE(params);
  ASSERT_EQ(params->count(plugin.Plugin()), static_cast<uint32_t>(kParameterCount + 1));
  for (int i = 0; i < kParameterCount; ++i) {
    clap::ParamInfo info{};
    ASSERT_TRUE(params->get_info(plugin.Plugin(), static_cast<uint32_t>(i), &info));
    const IParameter& p = *effect.Parameter(i);
    EXPECT_EQ(info.id, static_cast<uint32_t>(i));
    EXPECT_TRUE(info.flags & clap::kParamIsAutomatable);
    EXPECT_STREQ(info.name, p.Name());
    EXPECT_EQ(info.min_value, p.Minimum());
    EXPECT_EQ(info.max_value, p.Maximum());
    EXPECT_EQ(info.default_value, p.Default());
    EXPECT_EQ(plugin.Value(static_cast<uint32_t>(i)), p.Default()) << i;
    const double value = p.Minimum() + 0.37 * (p.Maximum() - p.Minimum());
    char display[64] = {}, text[256] = {};
    effect.Parameter(i)->SetClamped(value);
    e->dispatcher(e, effGetParamDisplay, i, 0, display, 0.0f);
    const char* label = p.Label();  // UTF-8, as CLAP texts are (VST 2.4 gives the host's code page)
    ASSERT_TRUE(params->value_to_text(plugin.Plugin(), info.id, value, text, sizeof text));
    const std::string expected = p.ValueTextCount() == 0 && label[0] ? std::string(display) + " " + label : display;
    EXPECT_EQ(text, expected) << i;
    // Read back, the text shows as itself.
    double back = 0.0;
    char again[256] = {};
    ASSERT_TRUE(params->text_to_value(plugin.Plugin(), info.id, text, &back)) << text;
    ASSERT_TRUE(params->value_to_text(plugin.Plugin(), info.id, back, again, sizeof again));
    EXPECT_STREQ(again, text) << i;
  }
  clap::ParamInfo filter{}, bypass{};
  ASSERT_TRUE(params->get_info(plugin.Plugin(), kFilterFreq1, &filter));
  EXPECT_STREQ(filter.module, "Filter 1");
  ASSERT_TRUE(params->get_info(plugin.Plugin(), brume_clap::kBypassParamId, &bypass));
  EXPECT_EQ(bypass.flags & (clap::kParamIsBypass | clap::kParamIsStepped), clap::kParamIsBypass | clap::kParamIsStepped);
  EXPECT_FALSE(params->get_info(plugin.Plugin(), kParameterCount + 1, &bypass));

  // flush while inactive takes values into the store, and reports nothing
  // unasked; while active it plays them at once.
  EventList in;
  in.Param(0, kGain, -6.0);
  in.Param(0, brume_clap::kBypassParamId, 1.0);
  OutputLog log;
  params->flush(plugin.Plugin(), in.Input(), &log.output);
  EXPECT_EQ(plugin.Value(kGain), -6.0);
  EXPECT_EQ(plugin.Value(brume_clap::kBypassParamId), 1.0);
  EXPECT_TRUE(log.entries.empty());
  ASSERT_TRUE(plugin.Activate(kRate, 256));
  EventList back;
  back.Param(3, kGain, -3.0);
  params->flush(plugin.Plugin(), back.Input(), &log.output);
  EXPECT_EQ(plugin.Value(kGain), -3.0);
}

TEST(ClapRender, SameSamplesAsTheVst24PluginForStartUpValuesAndEveryFactoryProgram) {
  const Stereo in = TestInput(static_cast<int>(kRate / 2));
  const int steady[] = {256};
  std::vector<Values> all = {StartUpValues<double>()};
  for (int p = 0; p < kFactoryPresetCount; ++p) all.push_back(ProgramValues<double>(p));
  for (size_t k = 0; k < all.size(); ++k) {
    const char* what = k == 0 ? "start-up values" : FactoryPresetAt(static_cast<int>(k - 1)).name;
    const Stereo vst2 = RenderReference(all[k], in, kOddBlocks, kOddCount, kRate);
    EXPECT_TRUE(RenderClap(all[k], in, kOddBlocks, kOddCount) == vst2) << what << ", mixed blocks";
    EXPECT_TRUE(RenderClap(all[k], in, steady, 1, /*inPlace*/ true) == vst2) << what << ", 256, in place";
  }
  // 64-bit buffers where the host gives them, as the VST 2.4 double path.
  const Values values = ProgramValues<double>(11);
  std::vector<double> l(in.left.begin(), in.left.end()), r(in.right.begin(), in.right.end());
  std::vector<double> l2 = l, r2 = r, ol(l.size()), orr(l.size());
  Kestrel effect(&ReferenceHost, nullptr);
  StartReference(effect, values, kRate);
  AEffect* e = effect.Effect();
  Module module(BRUME_CLAP_PATH);
  Instance plugin(module);
  ASSERT_TRUE(plugin.Activate(kRate, 8192));
  ASSERT_TRUE(plugin.Load(ProgramChunk(values)));
  ForEachBlock(static_cast<int>(l.size()), kOddBlocks, kOddCount, [&](int start, int n) {
    double* in2[] = {&l[start], &r[start]};
    double* out2[] = {&ol[start], &orr[start]};
    e->processDoubleReplacing(e, in2, out2, n);
    double* io[] = {&l2[start], &r2[start]};
    plugin.ProcessDouble(io, io, static_cast<uint32_t>(n));
  });
  EXPECT_TRUE(l2 == ol && r2 == orr);
}

// Parameter values, notes and the mod wheel act at their sample times; the
// tempo comes from the transport.
TEST(ClapRender, EventsActAtTheirSampleTimesAndTheTempoComesFromTheTransport) {
  const Stereo in = TestInput(12000);
  const int fifties[] = {50}, blocks[] = {1000};
  const BlockEvents ramp = [](int start, int frames, EventList& events) {
    for (int t = (start + 49) / 50 * 50; t < start + frames; t += 50)
      events.Param(static_cast<uint32_t>(t - start), kGain, -20.0 + 30.0 * t / 12000.0);
  };
  const Values values = ProgramValues<double>(2);
  const Stereo a = RenderClap(values, in, kOddBlocks, kOddCount, false, ramp);
  EXPECT_TRUE(RenderClap(values, in, fifties, 1, false, ramp) == a);
  EXPECT_FALSE(RenderClap(values, in, kOddBlocks, kOddCount) == a) << "the automation changed nothing";

  const Stereo flat{std::vector<float>(3000, 0.25f), std::vector<float>(3000, 0.25f)};
  const int at = 1234;
  const BlockEvents note = [&](int start, int frames, EventList& events) {
    if (at >= start && at < start + frames) events.Note(static_cast<uint32_t>(at - start), true, 60, 0.8);
  };
  const BlockEvents wheel = [&](int start, int frames, EventList& events) {
    if (at >= start && at < start + frames) events.Midi(static_cast<uint32_t>(at - start), 0xB0, 1, 127);
  };
  for (auto [source, extras] : {std::pair{int(ModSource::MidiGate), note}, std::pair{int(ModSource::ModWheel), wheel}}) {
    const int first = FirstDifference(RenderClap(GatedBy(source), flat, blocks, 1),
                                      RenderClap(GatedBy(source), flat, blocks, 1, false, extras));
    EXPECT_GE(first, at) << source;
    EXPECT_LE(first, at + 2) << source;
  }

  // In 1 through Delay 1 (one quarter) to Out 1, all wet: the echo comes a
  // quarter of the transport's tempo later, of 120 BPM without one.
  Values echo = StartUpValues<double>();
  echo[AudioInIndex(1)] = AudioSource::In1, echo[AudioOutIndex(1)] = AudioDestination::Delay1;
  echo[AudioAmountIndex(1)] = 100;
  echo[AudioInIndex(2)] = AudioSource::Delay1, echo[AudioOutIndex(2)] = AudioDestination::Out1;
  echo[AudioAmountIndex(2)] = 100;
  echo[kDelayLengthQuarters1] = 1;
  echo[kDryWetMix] = 100;
  const Stereo noise = TestInput(40000);
  const auto firstSound = [](const Stereo& s) {
    return static_cast<double>(std::find_if(s.left.begin(), s.left.end(), [](float x) { return x != 0.0f; }) -
                               s.left.begin());
  };
  const double none = firstSound(RenderClap(echo, noise, kOddBlocks, kOddCount));
  ASSERT_GT(none, 1000.0);
  EXPECT_NEAR(firstSound(RenderClap(echo, noise, kOddBlocks, kOddCount, false, {}, 80.0)) / none, 1.5, 0.05);
  EXPECT_TRUE(RenderClap(echo, noise, kOddBlocks, kOddCount, false, {}, 120.0) == RenderClap(echo, noise, kOddBlocks, kOddCount));
}

// The state: Brume's state bytes (the VST 2.4 program chunk, then the
// bypass), taken and given through streams of a few bytes per call; bypass
// survives; damaged states load whole or not at all, as VST 2.4 decides.
TEST(ClapState, SaveAndLoadAsTheVst24ChunkWithBypassAndDamagedStatesChangeNothing) {
  Kestrel effect(&ReferenceHost, nullptr);
  AEffect* e = effect.Effect();
  e->dispatcher(e, effSetProgram, 0, 9, nullptr, 0.0f);
  const Bytes program = Vst2Chunk(e);
  Module module(BRUME_CLAP_PATH);
  Instance plugin(module);
  ASSERT_TRUE(plugin.Activate(kRate, 256));
  const Bytes startUp = plugin.Save();
  ASSERT_FALSE(startUp.empty());
  ASSERT_TRUE(plugin.Load(program));  // while active
  EXPECT_EQ(plugin.Save(1), StateWithBypass(program, false));
  EXPECT_EQ(plugin.Value(kFilterFreq1), effect.Parameter(kFilterFreq1)->Value());

  std::vector<float> io(256, 0.25f);
  float* channels[] = {io.data(), io.data()};
  EventList bypass;
  bypass.Param(0, brume_clap::kBypassParamId, 1.0);
  plugin.Process(channels, channels, 256, &bypass);
  EXPECT_EQ(plugin.Value(brume_clap::kBypassParamId), 1.0);
  const Bytes saved = plugin.Save();
  EXPECT_EQ(saved, StateWithBypass(program, true));
  Instance reopened(module);
  ASSERT_TRUE(reopened.Activate(kRate, 256));
  ASSERT_TRUE(reopened.Load(saved));
  EXPECT_EQ(reopened.Value(brume_clap::kBypassParamId), 1.0);
  std::vector<float> in(256, 0.25f), out(256);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out.data(), out.data()};
  reopened.Process(ins, outs, 256);
  EXPECT_EQ(out, in) << "bypassed: the output is the input";

  std::mt19937 random(20261208);
  int accepted = 0, refused = 0;
  for (int round = 0; round < 400; ++round) {
    e->dispatcher(e, effSetProgram, 0, static_cast<VstIntPtr>(random() % 20), nullptr, 0.0f);
    const Bytes start = Vst2Chunk(e);
    ASSERT_TRUE(plugin.Load(start));
    Bytes damaged = DamagedState(start, random);
    const bool vst2 = e->dispatcher(e, effSetChunk, 1, static_cast<VstIntPtr>(damaged.size()), damaged.data(), 0.0f) == 1;
    const bool clap = plugin.Load(damaged, 1 + static_cast<int>(random() % 300));
    ASSERT_EQ(clap, vst2) << round;
    ASSERT_EQ(plugin.Save(), StateWithBypass(vst2 ? Vst2Chunk(e) : start, false)) << round;
    plugin.Process(channels, channels, 256);
    (clap ? accepted : refused)++;
  }
  EXPECT_GT(accepted, 50);
  EXPECT_GT(refused, 50);
}

// The factory programs as files (resources/presets, scripts/make-presets.sh):
// each is what the plug-in saves for that program, and loads as it.
TEST(ClapState, ThePresetFilesAreTheFactoryProgramsStates) {
  Kestrel effect(&ReferenceHost, nullptr);
  AEffect* e = effect.Effect();
  Module module(BRUME_CLAP_PATH);
  Instance plugin(module);
  for (int p = 0; p < kFactoryPresetCount; ++p) {
    std::string name = FactoryPresetAt(p).name;
    while (!name.empty() && name.back() == ' ') name.pop_back();
    char file[512];
#ifdef _WIN32
    const char* root = "Z:" KESTREL_SOURCE_DIR;  // the source tree through Wine's drive for /
#else
    const char* root = KESTREL_SOURCE_DIR;
#endif
    std::snprintf(file, sizeof file, "%s/resources/presets/%02d %s.brume", root, p + 1, name.c_str());
    std::ifstream in(file, std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    e->dispatcher(e, effSetProgram, 0, p, nullptr, 0.0f);
    const Bytes expected = StateWithBypass(Vst2Chunk(e), false);
    EXPECT_EQ(bytes, expected) << file;
    ASSERT_TRUE(plugin.Load(bytes)) << file;
    EXPECT_EQ(plugin.Save(), expected) << file;
  }
}

