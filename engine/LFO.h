#pragma once
#include <memory>

#include "engine/AudioModule.h"
#include "engine/Wavetables.h"

// Wavetable LFO with a continuous morph over ten shapes. Output is the
// bipolar table value mapped to 0..1. Every LFO of the process reads one
// shared, read-only copy of the tables (2049 doubles each; the extra entry
// repeats entry 0 so the linear interpolation at the last entry wraps),
// built by the first LFO constructed (thread-safe); no trigonometry runs
// per tick.
//
// The first construction allocates the tables and may throw std::bad_alloc.
class LFO final : public AudioModule {
 public:
  static constexpr int kTableLength = Wavetables::kLength;       // 2048
  static constexpr int kStoredLength = Wavetables::kLength + 1;  // 2049

  LFO();

  void Process() override {
    double r = phase + phaseOffset * kTableLength;
    if (r >= kTableLength) r = r - kTableLength;
    // Settings outside their ranges (negative or NaN offset) are folded back
    // into the table rather than read out of bounds.
    if (!(r >= 0.0 && r < kTableLength)) r = Wrap(r);
    AdvancePhase();  // the value of this tick is read at the position before the advance
    const int i = static_cast<int>(r);
    const double t = r - i;
    const double a = (lowerTable_[i + 1] - lowerTable_[i]) * t + lowerTable_[i];
    const double b = (upperTable_[i + 1] - upperTable_[i]) * t + upperTable_[i];
    output = (a * (1.0 - shapeFraction) + b * shapeFraction + 1.0) * 0.5;
  }

  // A tick whose value nobody reads: only the phase moves on, exactly as in
  // Process. The sample loop uses it for the frames between control ticks.
  void AdvancePhase() {
    phase = phase + increment;
    if (phase >= kTableLength) phase = phase - kTableLength;
    if (!(phase >= 0.0 && phase < kTableLength)) phase = Wrap(phase);  // negative, huge or NaN rate
  }

  // Rate and shape change through the setters, which keep increment and the
  // table selection in step; phase and phaseOffset are plain fields.
  void SetSampleRate(double fs) override;
  void SetRate(double r);
  // 0 sine ... 1 table 9; k/9 plays table k, cross-fading in between.
  void SetShape(double s);
  void ResetPhase() { phase = 0.0; }

  // Entry n (0..2048) of table `index` (0..9); 0 outside.
  double TableEntry(int index, int n) const;

  double phase = 0.0;  // read position in entries, 0 <= phase < 2048
  double increment = 1000.0 * 2048.0 / 44100.0;
  double shape = 0.0;
  double shapeFraction = 0.0;
  double rate = 1000.0;
  double phaseOffset = 0.0;  // cycles, 0..1
  int shapeUpper = 0;
  int shapeLower = 0;

 private:
  static double Wrap(double position);
  const double* Table(int index) const { return tables_ + index * kStoredLength; }

  const double* tables_;
  const double* lowerTable_ = nullptr;
  const double* upperTable_ = nullptr;
};
