#pragma once
#include <memory>

#include "engine/AudioModule.h"
#include "engine/Inline.h"

// Tempo-synchronised delay line, 12.1 s long, read with four-point cubic
// interpolation. The delay time is `quarters` quarter-beats at `tempo`,
// times `fine`.
//
// Per sample the sample loop calls Process (reads the delayed value, then
// writes the input sum at the write position), Inject (adds the paired
// feedback node's output, scaled by `feedback`, at the same position) and
// Advance (moves the write position).
//
// The read position always stays inside the line: the delay time is limited
// to the line's length minus two samples, so a setting longer than the line
// (slow tempo, many quarters, fine 2) plays at the longest delay the line
// holds instead of reading outside it. A delay time of exactly zero reads
// the slot about to be overwritten, i.e. delays by the whole line.
//
// The line is allocated only by SetSampleRate with a changed rate (never
// while processing). Without a line (allocation failed, unusable rate) the
// delay passes its input sum through and Inject/Advance do nothing.
class Delay final : public AudioModule {
 public:
  static constexpr double kMaxSeconds = 12.1;
  static constexpr double kMinimumTempo = 30.0;

  Delay();

  // Where the line is read: the four samples around the delayed position
  // and the fraction between the middle two. Shared with the paired loop,
  // which must read exactly the same places.
  struct ReadPosition {
    int before, at, after, after2;
    double fraction;
  };
  static KESTREL_HOT_INLINE ReadPosition Locate(int writeIndex, double delaySamples, int length) {
    double r = writeIndex - delaySamples;
    if (r < 0.0) r = r + length;
    int i = static_cast<int>(r);
    if (i >= length) {  // r rounded up to `length` after the wrap
      i = 0;
      r = 0.0;
    }
    ReadPosition p;
    p.fraction = r - i;
    p.at = i;
    p.before = (i - 1 < 0) ? length - 1 : i - 1;
    p.after = i + 1 >= length ? i + 1 - length : i + 1;
    p.after2 = i + 2 >= length ? i + 2 - length : i + 2;
    return p;
  }

  void Process() override { Tick(); }
  // The body of Process, for callers that know the concrete type.
  KESTREL_HOT_INLINE void Tick() {
    const double x = InputSum();
    if (!line_) {
      output = x;
      return;
    }
    const ReadPosition at = Locate(writeIndex, delaySamples, length);
    const double t = at.fraction;
    const double ym1 = line_[at.before];
    const double y0 = line_[at.at];
    const double y1 = line_[at.after];
    const double y2 = line_[at.after2];
    line_[writeIndex] = x;
    output = ((((y0 - y1) * 1.5 + (y2 - ym1) * 0.5) * t + (ym1 - 2.5 * y0 + 2.0 * y1 - 0.5 * y2)) * t +
              (y1 - ym1) * 0.5) *
                 t +
             y0;
  }

  void Inject(double v) {
    if (line_) line_[writeIndex] = v * feedback + line_[writeIndex];
  }
  void Advance() {
    if (!line_) return;
    writeIndex = writeIndex + 1;
    if (writeIndex >= length) writeIndex -= length;
  }

  // Reallocates and clears the line only when the rate differs from the
  // current one (or no line exists yet); an unchanged rate keeps the echoes.
  void SetSampleRate(double rate) override;
  // Tempos below 30 BPM (including 0, negatives and NaN) count as 30.
  void SetTempo(double t);
  void SetQuarters(int n);
  void SetFine(double f);

  bool HasLine() const { return line_ != nullptr; }
  // The line itself, for the engine's planned loop, which reads and writes
  // it exactly as Process, Inject and Advance do. Null without a line.
  double* Line() { return line_.get(); }
  double LineSample(int index) const { return (line_ && index >= 0 && index < length) ? line_[index] : 0.0; }
  // Zeroes the line (used to recover from a non-finite value in it).
  void ClearLine();

  double tempo = 120.0;
  const double maxSeconds = kMaxSeconds;
  double fine = 1.0;
  double feedback = 0.0;
  double delaySamples = 5512.5;
  int length = 0;
  int quarters = 1;
  int writeIndex = 0;

 private:
  void UpdateDelayTime();

  std::unique_ptr<double[]> line_;
  // quarters x quarter-beat x rate, the part of the delay time that does not
  // change at control rate (the product keeps the left-to-right order, so
  // multiplying by `fine` later gives the same rounding).
  double unscaledSamples_ = 0.0;
};
