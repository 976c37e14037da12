#pragma once
#include <memory>

#include "engine/AudioModule.h"
#include "engine/Inline.h"
#include "engine/LineLimit.h"
#include "engine/LinearRamp.h"

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
// A change of the delay time never makes the read position jump once the
// delay has played. A change of `fine` (the control tick's write, at most
// once per control period) glides the read position
// to the new time over `glideFrames` samples, the control period, so the
// time moves in a line instead of in steps. A change of quarters or tempo
// crossfades, over kCrossfadeSeconds, from the line read at the old time to
// the line read at the new one; a change arriving during a crossfade waits
// for it to end. Before the delay first plays (after construction or a new
// line), and after Settle, a new time holds at once.
//
// Each write into the line goes through LimitLineWrite, so a feedback loop
// that would grow saturates instead (LineLimit.h).
//
// The line is allocated only by SetSampleRate with a changed rate (never
// while processing). Without a line (allocation failed, unusable rate) the
// delay passes its input sum through and Inject/Advance do nothing.
class Delay final : public AudioModule {
 public:
  static constexpr double kMaxSeconds = 12.1;
  static constexpr double kMinimumTempo = 30.0;
  static constexpr double kCrossfadeSeconds = 0.03;

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

  // The four-point cubic through the samples around a read position.
  static KESTREL_HOT_INLINE double Interpolate(const double* line, const ReadPosition& at) {
    const double t = at.fraction;
    const double ym1 = line[at.before];
    const double y0 = line[at.at];
    const double y1 = line[at.after];
    const double y2 = line[at.after2];
    return ((((y0 - y1) * 1.5 + (y2 - ym1) * 0.5) * t + (ym1 - 2.5 * y0 + 2.0 * y1 - 0.5 * y2)) * t +
            (y1 - ym1) * 0.5) *
               t +
           y0;
  }

  void Process() override { Tick(); }
  // The body of Process, for callers that know the concrete type.
  KESTREL_HOT_INLINE void Tick() {
    const double x = InputSum();
    started_ = true;
    if (!line_) {
      output = x;
      return;
    }
    output = Moving() ? ReadMoving(writeIndex) : Interpolate(line_.get(), Locate(writeIndex, delaySamples, length));
    line_[writeIndex] = x;
  }

  // Whether the read position is gliding or crossfading (or about to): the
  // sample loop then reads through ReadMoving.
  bool Moving() const { return jumpPending_ || head_.Active() || fadeLeft_ > 0; }
  // The delayed sample for write position `at` while the time moves, and
  // one sample's step of the glide and the crossfade. Once neither runs it
  // reads exactly what the plain read does.
  double ReadMoving(int at);
  // The time set last holds at once: no glide, no crossfade.
  void Settle();
  // Marks the delay as playing: from now on new times glide or crossfade.
  void Start() { started_ = true; }
  // Samples over which a change of `fine` glides (the control period).
  void SetGlideFrames(int frames) { glideFrames_ = frames > 1 ? frames : 1; }

  void Inject(double v) {
    if (line_) line_[writeIndex] = LimitLineWrite(v * feedback + line_[writeIndex]);
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
  // Sets delaySamples from the current settings; `jump` for a change of
  // quarters, tempo or rate (crossfaded), else a change of fine (glided).
  void Retarget(bool jump);

  std::unique_ptr<double[]> line_;
  // quarters x quarter-beat x rate, the part of the delay time that does not
  // change at control rate (the product keeps the left-to-right order, so
  // multiplying by `fine` later gives the same rounding).
  double unscaledSamples_ = 0.0;

  // The read position's motion. `head_` is where the line is read now (it
  // glides after a change of fine); during a crossfade `tail_` is the old
  // time, faded out by fadeShare_ per sample.
  bool started_ = false;
  bool jumpPending_ = false;
  LinearRamp head_;
  double tail_ = 0.0;
  int glideFrames_ = 1;
  int fadeLeft_ = 0;
  int fadeFrames_ = 1;
  double fadeShare_ = 1.0;
};
