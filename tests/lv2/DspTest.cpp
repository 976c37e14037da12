// brume_dsp.so against the VST effect, and the atom port's MIDI and tempo.
#include <gtest/gtest.h>

#include <algorithm>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>

#include <cmath>
#include <vector>

#include "effect/FactoryPresets.h"
#include "effect/ParameterTable.h"
#include "tests/Vst24Reference.h"
#include "tests/lv2/Lv2Host.h"

namespace {

constexpr double kRate = 48000.0;
using Values = std::vector<float>;  // one port value per parameter

// In place: the outputs are the input buffers, as Ardour often passes them.
// With `bypassFrom` at 0 or more, the enabled port is connected and turns
// to 0 at the first block from that frame on.
Stereo RenderLv2(const Values& values, const Stereo& in, const int* blocks, int count, bool inPlace,
                 int bypassFrom = -1) {
  DspLibrary library;
  UridMap urids;
  const LV2_Feature* features[] = {urids.Feature(), nullptr};
  Lv2Instance plugin(library.Descriptor(), kRate, features);
  std::copy(values.begin(), values.end(), plugin.controls);
  float enabled = 1.0f;
  if (bypassFrom >= 0) plugin.descriptor->connect_port(plugin.handle, brume_lv2::kEnabled, &enabled);
  const int frames = static_cast<int>(in.left.size());
  Stereo out = inPlace ? in : Stereo{std::vector<float>(frames), std::vector<float>(frames)};
  plugin.descriptor->activate(plugin.handle);
  ForEachBlock(frames, blocks, count, [&](int start, int n) {
    if (bypassFrom >= 0 && start >= bypassFrom) enabled = 0.0f;
    plugin.Audio(inPlace ? &out.left[start] : &in.left[start], inPlace ? &out.right[start] : &in.right[start],
                 &out.left[start], &out.right[start]);
    plugin.descriptor->run(plugin.handle, static_cast<uint32_t>(n));
  });
  return out;
}

void ExpectSameRender(const Values& values, const char* what) {
  const Stereo in = TestInput(static_cast<int>(kRate * 1.5));
  const Stereo vst = RenderReference(values, in, kOddBlocks, 8, kRate);
  const Stereo lv2 = RenderLv2(values, in, kOddBlocks, 8, /*inPlace*/ false);
  EXPECT_TRUE(vst.left == lv2.left && vst.right == lv2.right) << what;
  EXPECT_NE(vst.left, in.left) << what << ": the effect left the input as it was";
}

// The host's bypass switch (lv2:enabled): unconnected or 1 processes, 0
// crossfades to the input.
TEST(Lv2Dsp, TheEnabledPortBypassesWithACrossfade) {
  const Stereo in = TestInput(9600);
  const int blocks[] = {480};
  const Stereo processed = RenderLv2(ProgramValues<float>(7), in, blocks, 1, false);
  const Stereo out = RenderLv2(ProgramValues<float>(7), in, blocks, 1, false, /*bypassFrom*/ 4800);
  const int faded = 4800 + static_cast<int>(BrumeProcessor::kFadeSeconds * kRate);
  EXPECT_TRUE(std::equal(out.left.begin(), out.left.begin() + 4800, processed.left.begin()));
  EXPECT_NE(out.left[4900], in.left[4900]) << "mid-fade";
  EXPECT_TRUE(std::equal(out.left.begin() + faded, out.left.end(), in.left.begin() + faded));
}

TEST(Lv2Dsp, DescriptorNamesThePluginAndOnlyOne) {
  DspLibrary library;
  ASSERT_NE(library.Descriptor(), nullptr);
  EXPECT_STREQ(library.Descriptor()->URI, brume_lv2::kPluginUri);
  const LV2_Feature* none[] = {nullptr};
  for (double refused : {0.0, 500.0, 1e7, std::nan("")})
    EXPECT_EQ(library.Descriptor()->instantiate(library.Descriptor(), refused, "", none), nullptr) << refused;
}

TEST(Lv2Dsp, RendersWhatTheVstPluginRendersForStartUpValuesAndEveryFactoryProgram) {
  ExpectSameRender(StartUpValues<float>(), "start-up values");
  for (int p = 0; p < kFactoryPresetCount; ++p) ExpectSameRender(ProgramValues<float>(p), FactoryPresetAt(p).name);
}

TEST(Lv2Dsp, OneFrameBlocksInPlaceAndEmptyRunsRenderTheSame) {
  const Values values = ProgramValues<float>(3);
  const Stereo in = TestInput(6000);
  const int ones[] = {1}, withEmpty[] = {0, 700, 0, 0, 1};
  const Stereo vst = RenderReference(values, in, kOddBlocks, 8, kRate);
  const Stereo single = RenderLv2(values, in, ones, 1, /*inPlace*/ true);
  const Stereo empties = RenderLv2(values, in, withEmpty, 5, /*inPlace*/ false);
  EXPECT_TRUE(single.left == vst.left && single.right == vst.right);
  EXPECT_TRUE(empties.left == vst.left && empties.right == vst.right);
}

// ---- The atom port ----------------------------------------------------------

// "Walking Delay": one-quarter delays on both sides, so the tempo moves
// every echo.
// In 1 through Delay 1 (one quarter-beat) to Out 1, all wet: nothing but
// the echo, whose time follows the tempo.
Values QuarterDelay() {
  Values values = StartUpValues<float>();
  values[AudioInIndex(1)] = 1, values[AudioOutIndex(1)] = 7, values[AudioAmountIndex(1)] = 100;  // In 1 -> Delay 1
  values[AudioInIndex(2)] = 7, values[AudioOutIndex(2)] = 1, values[AudioAmountIndex(2)] = 100;  // Delay 1 -> Out 1
  values[kDelayLengthQuarters1] = 1;  // the choice is the count of quarter-beats; 0 plays the whole line
  values[kDryWetMix] = 100;
  return values;
}

struct AtomBuffer {
  alignas(8) uint8_t bytes[4096];
  LV2_Atom_Forge forge;
  LV2_Atom_Forge_Frame frame;
  explicit AtomBuffer(LV2_URID_Map* map) {
    lv2_atom_forge_init(&forge, map);
    lv2_atom_forge_set_buffer(&forge, bytes, sizeof bytes);
    lv2_atom_forge_sequence_head(&forge, &frame, 0);
  }
};

// The left output for the test input, the atoms given in the first block.
std::vector<float> Render(const LV2_Feature* const* features, AtomBuffer* atoms, void* atomPort) {
  DspLibrary library;
  Lv2Instance plugin(library.Descriptor(), kRate, features);
  const Values values = QuarterDelay();
  std::copy(values.begin(), values.end(), plugin.controls);
  const Stereo in = TestInput(40000);
  const int frames = static_cast<int>(in.left.size());
  std::vector<float> outL(frames), outR(frames);
  plugin.descriptor->connect_port(plugin.handle, brume_lv2::kControlIn, atoms ? atoms->bytes : atomPort);
  plugin.descriptor->activate(plugin.handle);
  ForEachBlock(frames, kOddBlocks + 4, 1, [&](int start, int n) {
    plugin.Audio(&in.left[start], &in.right[start], &outL[start], &outR[start]);
    plugin.descriptor->run(plugin.handle, static_cast<uint32_t>(n));
    if (atoms) reinterpret_cast<LV2_Atom*>(atoms->bytes)->size = sizeof(LV2_Atom_Sequence_Body);
  });
  return outL;
}

TEST(Lv2Dsp, TempoComesFromTimePositionInAnyNumberType) {
  UridMap urids;
  const LV2_Feature* features[] = {urids.Feature(), nullptr};
  const std::vector<float> plain = Render(features, nullptr, nullptr);
  std::vector<float> at80[4];

  for (int type = 0; type < 4; ++type) {
    AtomBuffer atoms(urids.Map());
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&atoms.forge, 0);
    lv2_atom_forge_object(&atoms.forge, &object, 0, urids.Id(LV2_TIME__Position));
    lv2_atom_forge_key(&atoms.forge, urids.Id(LV2_TIME__beatsPerMinute));
    if (type == 0) lv2_atom_forge_float(&atoms.forge, 80.0f);
    if (type == 1) lv2_atom_forge_double(&atoms.forge, 80.0);
    if (type == 2) lv2_atom_forge_int(&atoms.forge, 80);
    if (type == 3) lv2_atom_forge_long(&atoms.forge, 80);
    lv2_atom_forge_pop(&atoms.forge, &object);
    lv2_atom_forge_pop(&atoms.forge, &atoms.frame);
    // Sent once, in the first block only: the tempo is kept afterwards.
    at80[type] = Render(features, &atoms, nullptr);
  }
  // All wet: silence until the echo, which comes 120 / 80 times later.
  const auto firstSound = [](const std::vector<float>& v) {
    return static_cast<double>(std::find_if(v.begin(), v.end(), [](float x) { return x != 0.0f; }) - v.begin());
  };
  ASSERT_GT(firstSound(plain), 1000.0);
  EXPECT_NEAR(firstSound(at80[0]) / firstSound(plain), 1.5, 0.05) << "the tempo moves the echo";
  for (int type = 1; type < 4; ++type) EXPECT_EQ(at80[type], at80[0]) << type;

  // Without urid:map the port is a plain float (as lv2apply connects it).
  float notAnAtom = 1e30f;
  const LV2_Feature* none[] = {nullptr};
  EXPECT_EQ(Render(none, nullptr, &notAnAtom), plain);
}

// Host faults, ignored: a maximum block length option without its value,
// and (with urid:map given) the atom port connected to a float.
TEST(Lv2Dsp, AnOptionWithoutAValueAndAnAtomPortThatIsNoSequenceAreIgnored) {
  UridMap urids;
  const LV2_Feature* mapOnly[] = {urids.Feature(), nullptr};
  const std::vector<float> plain = Render(mapOnly, nullptr, nullptr);
  LV2_Options_Option options[] = {
      {LV2_OPTIONS_INSTANCE, 0, urids.Id(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t), urids.Id(LV2_ATOM__Int),
       nullptr},
      {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  const LV2_Feature optionsFeature{LV2_OPTIONS__options, options};
  const LV2_Feature* features[] = {urids.Feature(), &optionsFeature, nullptr};
  float notASequence[2] = {1e30f, 3.0f};  // as an atom header: a huge size, a type that is no sequence
  EXPECT_EQ(Render(features, nullptr, notASequence), plain);
}

// LV2's activate after deactivate forgets what was played: the crusher's
// held sample (Out 1) and the delay's echo (Out 2) end with it. The atom
// port stays unconnected, as hosts without atom ports leave it.
TEST(Lv2Dsp, ActivateAfterDeactivateStartsFromSilence) {
  Values values = StartUpValues<float>();
  values[AudioInIndex(1)] = 1, values[AudioOutIndex(1)] = 3, values[AudioAmountIndex(1)] = 100;  // In 1 -> Crusher 1
  values[AudioInIndex(2)] = 3, values[AudioOutIndex(2)] = 1, values[AudioAmountIndex(2)] = 100;  // Crusher 1 -> Out 1
  values[AudioInIndex(3)] = 1, values[AudioOutIndex(3)] = 7, values[AudioAmountIndex(3)] = 100;  // In 1 -> Delay 1
  values[AudioInIndex(4)] = 7, values[AudioOutIndex(4)] = 2, values[AudioAmountIndex(4)] = 100;  // Delay 1 -> Out 2
  values[kCrusherRate1] = 1;  // a capture every hundred frames
  values[kDryWetMix] = 100;
  DspLibrary library;
  UridMap urids;
  const LV2_Feature* features[] = {urids.Feature(), nullptr};
  Lv2Instance plugin(library.Descriptor(), kRate, features);
  std::copy(values.begin(), values.end(), plugin.controls);
  const Stereo tone = TestInput(static_cast<int>(kRate));
  const std::vector<float> silence(tone.left.size());
  Stereo out{silence, silence};
  auto play = [&](const Stereo& in) {
    ForEachBlock(static_cast<int>(in.left.size()), kOddBlocks, 8, [&](int start, int n) {
      plugin.Audio(&in.left[start], &in.right[start], &out.left[start], &out.right[start]);
      plugin.descriptor->run(plugin.handle, static_cast<uint32_t>(n));
    });
  };
  plugin.descriptor->activate(plugin.handle);
  play(tone);
  ASSERT_NE(out.left, silence);
  ASSERT_NE(out.right, silence);
  plugin.descriptor->deactivate(plugin.handle);
  plugin.descriptor->activate(plugin.handle);
  play(Stereo{silence, silence});
  EXPECT_EQ(out.left, silence) << "a held crusher sample";
  EXPECT_EQ(out.right, silence) << "an echo";
}

// MIDI gate -> Master 1 at -100 %: a note on silences the output from the
// control tick at or after its frame, not before; one stamped past the
// block's end acts on its last frame.
TEST(Lv2Dsp, MidiActsAtItsFrameOffset) {
  Values values = StartUpValues<float>();
  values[AudioInIndex(1)] = 1, values[AudioOutIndex(1)] = 1, values[AudioAmountIndex(1)] = 100;
  values[ModInIndex(1)] = 1, values[ModOutIndex(1)] = 3, values[ModAmountIndex(1)] = -100;
  values[kControlRate] = 0;  // a tick every frame
  values[kDryWetMix] = 100;
  UridMap urids;
  const LV2_Feature* features[] = {urids.Feature(), nullptr};
  DspLibrary library;
  const int frames = 3000;
  auto render = [&](bool note, int64_t noteAt) {
    Lv2Instance plugin(library.Descriptor(), kRate, features);
    std::copy(values.begin(), values.end(), plugin.controls);
    std::vector<float> in(frames, 0.25f), outL(frames), outR(frames);
    AtomBuffer atoms(urids.Map());
    if (note) {
      const uint8_t noteOn[] = {0x90, 60, 100};
      lv2_atom_forge_frame_time(&atoms.forge, noteAt);
      lv2_atom_forge_atom(&atoms.forge, 3, urids.Id(LV2_MIDI__MidiEvent));
      lv2_atom_forge_write(&atoms.forge, noteOn, 3);
    }
    lv2_atom_forge_pop(&atoms.forge, &atoms.frame);
    plugin.descriptor->connect_port(plugin.handle, brume_lv2::kControlIn, atoms.bytes);
    plugin.descriptor->activate(plugin.handle);
    plugin.Audio(in.data(), in.data(), outL.data(), outR.data());
    plugin.descriptor->run(plugin.handle, 1000);
    plugin.Audio(&in[1000], &in[1000], &outL[1000], &outR[1000]);
    plugin.descriptor->run(plugin.handle, frames - 1000);
    return outL;
  };
  const std::vector<float> plain = render(false, 0);
  for (const auto& [noteAt, heard] : {std::pair<int64_t, int>{234, 234}, std::pair<int64_t, int>{100000, 999}}) {
    const std::vector<float> noted = render(true, noteAt);
    int firstDifference = 0;
    while (firstDifference < frames && plain[firstDifference] == noted[firstDifference]) ++firstDifference;
    EXPECT_GE(firstDifference, heard) << noteAt;
    EXPECT_LE(firstDifference, heard + 2) << noteAt;
  }
}

}  // namespace
