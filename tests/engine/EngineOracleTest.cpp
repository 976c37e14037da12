#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/ReferenceLoop.h"

namespace {

using namespace engine_test;

// Draws the same random settings into both engines: one generator per
// engine, seeded alike, so every draw matches.
struct Twin {
  std::unique_ptr<Engine> engine = std::make_unique<Engine>();
  std::mt19937 rng;
  double Uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); }
  int Pick(int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); }

  // `unreadDelays`: no row reads a crusher or a delay.
  void RandomRow(int row, bool unreadDelays = false) {
    Engine& e = *engine;
    const double amounts[] = {1.0, -1.0, 0.5, 0.0, Uniform(-1.2, 1.2)};
    const int quietSources[] = {0, kIn1, kIn2, kFilter1Src, kFilter2Src};
    Route(e, row, unreadDelays ? quietSources[Pick(0, 4)] : Pick(0, 8), Pick(0, 10), amounts[Pick(0, 4)]);
    Modulate(e, row, Pick(0, 7), Pick(0, 24), Pick(0, 3) ? Uniform(-1.0, 1.0) : 0.0);
  }
  // Bases within (and sometimes beyond) each target's range.
  void RandomSettings() {
    Engine& e = *engine;
    for (int target = 1; target <= 24; ++target) {
      Modulator* m = e.ModulationTarget(target);
      const double span = m->maximum - m->minimum;
      m->base = Pick(0, 9) ? Uniform(m->minimum, m->maximum) : Uniform(m->minimum - span, m->maximum + span);
    }
    e.delayLeft.SetQuarters(Pick(0, 16));
    e.delayRight.SetQuarters(Pick(0, 16));
    e.SetControlRateChoice(Pick(0, 5));
    e.envFollower.SetAttack(Uniform(0.0, 0.05));
    e.envFollower.SetRelease(Uniform(0.0, 0.5));
    e.envelopeInputGain = Uniform(0.0, 4.0);
    e.dryWetMix = Uniform(0.0, 1.0);
    e.softClip = Pick(0, 1);
  }
  // A parameter edit between blocks.
  void RandomEdit(ReferenceLoop* oracle) {
    switch (Pick(0, 7)) {
      case 0: RandomRow(Pick(0, 11)); break;
      case 1: RandomSettings(); break;
      case 2: engine->ResetLfoPhases(); break;
      case 3: engine->SetControlRateChoice(Pick(0, 5)); break;
      case 4: oracle ? oracle->Reset(*engine, 44100.0) : (void)engine->Reset(44100.0); break;
      case 5: {  // state written from outside, as tests and presets do
        Modulator* m = engine->ModulationTarget(Pick(1, 24));
        m->smoothed = m->base;
        break;
      }
      case 6:  // module settings written directly
        engine->filterLeft.SetCutoff(Uniform(50.0, 18000.0));
        engine->panRight.position = Uniform(0.0, 1.0);
        engine->crusherLeft.SetRate(Uniform(0.01, 1.0));
        engine->lfoRight.SetShape(Uniform(0.0, 1.0));
        break;
      default: break;
    }
  }
};

// Runs the fast engine and the reference loop on twin engines through many
// random routings, settings, block sizes, tempos, MIDI and edits between
// blocks; every output sample and, at the end, every module's state must
// match to the bit.
TEST(EngineOracle, FastLoopMatchesTheReferenceLoopToTheBit) {
  for (unsigned trial = 0; trial < 24; ++trial) {
    Twin fast, slow;
    fast.rng.seed(trial);
    slow.rng.seed(trial);
    ReferenceLoop oracle;
    // Low rates make the 12.1 s lines short enough to wrap within the test.
    const double rates[] = {44100.0, 2000.0, 1000.0};
    const double rate = rates[trial % 3];
    fast.engine->Reset(rate);
    oracle.Reset(*slow.engine, rate);
    for (Twin* t : {&fast, &slow}) {
      // Every fourth trial starts with crushers and delays that no row reads.
      for (int row = 0; row < Engine::kMatrixRows; ++row)
        if (t->Pick(0, 2)) t->RandomRow(row, trial % 4 == 1);
      t->RandomSettings();
    }
    IMidiEventQueue fastMidi(256), slowMidi(256);
    std::mt19937 rng(1000 + trial);
    const int total = trial % 3 ? 16000 : 6000;
    StereoBuffer in(total), fastOut(total), slowOut(total);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    for (int i = 0; i < total; ++i) {
      const bool silent = (i / 1500) % 3 == 2;
      in.left[i] = silent ? 0.0 : noise(rng);
      in.right[i] = silent ? 0.0 : noise(rng) * 0.3;
    }
    for (int start = 0; start < total;) {
      const int frames = std::min<int>(std::uniform_int_distribution<int>(1, 700)(rng), total - start);
      const double tempo = std::uniform_int_distribution<int>(0, 3)(rng) ? 120.0 : std::uniform_real_distribution<double>(0.0, 300.0)(rng);
      for (int k = std::uniform_int_distribution<int>(0, 3)(rng); k > 0; --k) {
        const uint8_t status[] = {0x90, 0x80, 0xB0, 0xE0};
        IMidiEvent event;
        event.offset = std::uniform_int_distribution<int>(0, frames + 5)(rng);
        event.status = status[std::uniform_int_distribution<int>(0, 3)(rng)];
        event.data1 = static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 2)(rng));
        event.data2 = static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 127)(rng));
        fastMidi.Add(event);
        slowMidi.Add(event);
      }
      const double* inputs[2] = {in.left.data() + start, in.right.data() + start};
      double* fastOutputs[2] = {fastOut.left.data() + start, fastOut.right.data() + start};
      double* slowOutputs[2] = {slowOut.left.data() + start, slowOut.right.data() + start};
      fast.engine->Process(inputs, fastOutputs, frames, tempo, fastMidi);
      oracle.Process(*slow.engine, inputs, slowOutputs, frames, tempo, slowMidi);
      for (int i = start; i < start + frames; ++i) {
        ASSERT_EQ(std::memcmp(&fastOut.left[i], &slowOut.left[i], sizeof(double)), 0)
            << "trial " << trial << " frame " << i << ": " << fastOut.left[i] << " vs " << slowOut.left[i];
        ASSERT_EQ(std::memcmp(&fastOut.right[i], &slowOut.right[i], sizeof(double)), 0)
            << "trial " << trial << " frame " << i << ": " << fastOut.right[i] << " vs " << slowOut.right[i];
      }
      ASSERT_EQ(ReferenceLoop::FirstDifference(ReferenceLoop::Snapshot(*fast.engine, fast.engine->ControlCounter(), false),
                                               ReferenceLoop::Snapshot(*slow.engine, oracle.Counter(), false)),
                -1)
          << "module state differs, trial " << trial << " after frame " << start + frames;
      start += frames;
      if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) {
        fast.RandomEdit(nullptr);
        slow.RandomEdit(&oracle);
      }
    }
    // The reference loop keeps the control counter itself.
    ASSERT_EQ(ReferenceLoop::FirstDifference(ReferenceLoop::Snapshot(*fast.engine, fast.engine->ControlCounter()),
                                             ReferenceLoop::Snapshot(*slow.engine, oracle.Counter())),
              -1)
        << "state differs, trial " << trial;
  }
}

}  // namespace
