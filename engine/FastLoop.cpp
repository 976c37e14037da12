// The planned sample loop: the same arithmetic as ticking the modules one
// by one, in the same order and grouping, with the left and right crushers
// and filters run as the two lanes of SSE2 registers (each lane computes
// exactly what the scalar code computes) and the state of the block held in
// locals. SSE2 is the x86-64 baseline; nothing here needs more.
#include <emmintrin.h>

#include "engine/Engine.h"
#include "engine/Inline.h"
#include "engine/LineLimit.h"

namespace {

// A mask lane is all ones where the condition holds.
inline __m128d Select(__m128d mask, __m128d yes, __m128d no) {
  return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
}

inline __m128d Abs(__m128d v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }

// Lanes within `limit` keep their value; the rest (NaN too) become +0.
inline __m128d ZeroBeyond(__m128d v, double limit) { return _mm_and_pd(v, _mm_cmple_pd(Abs(v), _mm_set1_pd(limit))); }
inline __m128d ZeroUnlessFinite(__m128d v) { return ZeroBeyond(v, 1.7976931348623157e308); }
// The input taps' rule (Engine.cpp: Tap).
inline __m128d Tap(__m128d v) { return ZeroBeyond(v, Engine::kRunawayLevel); }

// std::floor per lane, exactly: values of magnitude 2^52 and above (and
// inf, NaN) are integers already and pass through; the rest are rounded to
// the nearest integer by the 2^52 addition, stepped down where that went
// up, and zero keeps the sign of the argument.
inline __m128d Floor(__m128d v) {
  const __m128d signBit = _mm_set1_pd(-0.0);
  const __m128d two52 = _mm_set1_pd(4503599627370496.0);
  const __m128d sign = _mm_and_pd(v, signBit);
  const __m128d magic = _mm_or_pd(two52, sign);
  __m128d r = _mm_sub_pd(_mm_add_pd(v, magic), magic);
  r = _mm_sub_pd(r, _mm_and_pd(_mm_cmpgt_pd(r, v), _mm_set1_pd(1.0)));
  r = _mm_or_pd(r, _mm_and_pd(sign, _mm_cmpeq_pd(r, _mm_setzero_pd())));
  return Select(_mm_cmplt_pd(Abs(v), two52), r, v);
}

inline __m128d SoftClip(__m128d v) {
  const __m128d k27 = _mm_set1_pd(27.0);
  const __m128d num = _mm_mul_pd(_mm_add_pd(_mm_mul_pd(v, v), k27), v);
  const __m128d den = _mm_add_pd(_mm_mul_pd(_mm_mul_pd(v, _mm_set1_pd(9.0)), v), k27);
  return _mm_div_pd(num, den);
}

// Engine::LimitWet per lane: most frames are below the knee and take the
// one comparison.
inline __m128d LimitWetLanes(__m128d v) {
  if (_mm_movemask_pd(_mm_cmpgt_pd(Abs(v), _mm_set1_pd(Engine::kWetKnee))) == 0) return v;
  alignas(16) double lanes[2];
  _mm_store_pd(lanes, v);
  return _mm_set_pd(Engine::LimitWet(lanes[1]), Engine::LimitWet(lanes[0]));
}

inline double Sum(const FramePlan::Terms& terms, const double* outputs) {
  double sum = 0.0;
  for (int j = 0; j < terms.count; ++j) sum = outputs[terms.source[j]] * terms.amount[j] + sum;
  return sum;
}

inline __m128d PairSum(const FramePlan::PairTerms& terms, const double* outputs) {
  __m128d sum = _mm_setzero_pd();
  for (int j = 0; j < terms.count; ++j) {
    const __m128d source = _mm_loadh_pd(_mm_load_sd(outputs + terms.left[j]), outputs + terms.right[j]);
    sum = _mm_add_pd(_mm_mul_pd(source, _mm_load_pd(terms.amount[j])), sum);
  }
  return sum;
}

void Pair(const FramePlan::Terms& left, const FramePlan::Terms& right, FramePlan::PairTerms& pair) {
  pair.count = left.count > right.count ? left.count : right.count;
  for (int j = 0; j < pair.count; ++j) {
    pair.left[j] = j < left.count ? left.source[j] : FramePlan::kZero;
    pair.amount[j][0] = j < left.count ? left.amount[j] : 0.0;
    pair.right[j] = j < right.count ? right.source[j] : FramePlan::kZero;
    pair.amount[j][1] = j < right.count ? right.amount[j] : 0.0;
  }
}



// Settings the loop reads per sample, taken from the modules after every
// control tick.
struct Settings {
  __m128d coefficient, damping;     // filters
  __m128d crushRate, crushLevels;   // crushers
  __m128d idleCapture;              // what a crusher with no inputs captures
  double keep[2], fraction[2];      // filter shape: 1 - fraction, fraction
  int lower[2], upper[2];           // filter shape: response indexes
  __m128d gain, position, leftShare;  // masters, pans (1 - position)
};

}  // namespace

void Engine::UpdatePlan() {
  AudioModule* const summing[10] = {&delayLeft,   &delayRight,   &crusherLeft,  &crusherRight, &filterLeft,
                                    &filterRight, &feedbackLeft, &feedbackRight, &masterLeft,  &masterRight};
  unsigned version = 0;
  for (AudioModule* m : summing) version += m->LinkVersion();
  if (version == plan_.version) return;
  plan_.version = version;
  AudioModule* const sources[FramePlan::kSourceCount] = {&inLeft,     &inRight,     &crusherLeft, &crusherRight,
                                                         &filterLeft, &filterRight, &delayLeft,   &delayRight};
  FramePlan::Terms* const terms[10] = {&plan_.delay[0],    &plan_.delay[1],    &plan_.crusher[0], &plan_.crusher[1],
                                       &plan_.filter[0],   &plan_.filter[1],   &plan_.feedback[0],
                                       &plan_.feedback[1], &plan_.master[0],   &plan_.master[1]};
  bool known = true;
  for (int d = 0; d < 10; ++d) {
    FramePlan::Terms& t = *terms[d];
    t.count = 0;
    for (int slot = 0; slot < AudioModule::kInputSlots; ++slot) {
      const AudioModule* input = summing[d]->Input(slot);
      if (!input) continue;
      int source = 0;
      while (source < FramePlan::kSourceCount && sources[source] != input) ++source;
      if (source == FramePlan::kSourceCount) known = false;
      t.source[t.count] = source < FramePlan::kSourceCount ? source : 0;
      t.amount[t.count] = summing[d]->InputAmount(slot);
      ++t.count;
    }
  }
  auto reads = [](const FramePlan::Terms& t, int source) {
    for (int j = 0; j < t.count; ++j)
      if (t.source[j] == source) return true;
    return false;
  };
  Pair(plan_.crusher[0], plan_.crusher[1], plan_.crusherPair);
  Pair(plan_.filter[0], plan_.filter[1], plan_.filterPair);
  Pair(plan_.master[0], plan_.master[1], plan_.masterPair);
  bool delaysRead = false, crushersRead = false;
  for (const FramePlan::Terms* t : terms)
    for (int j = 0; j < t->count; ++j) {
      delaysRead = delaysRead || t->source[j] == FramePlan::kDelayLeft || t->source[j] == FramePlan::kDelayRight;
      crushersRead =
          crushersRead || t->source[j] == FramePlan::kCrusherLeft || t->source[j] == FramePlan::kCrusherRight;
    }
  plan_.delaysRead = delaysRead;
  plan_.crushersIdle = !crushersRead && plan_.crusher[0].count == 0 && plan_.crusher[1].count == 0;
  plan_.paired = known && !reads(plan_.crusher[1], FramePlan::kCrusherLeft) &&
                 !reads(plan_.filter[1], FramePlan::kFilterLeft);
}

void Engine::ProcessPlanned(const double* inL, const double* inR, double* outL, double* outR, int frames,
                            IMidiEventQueue& midi) {
  if (plan_.delaysRead) {
    if (plan_.crushersIdle)
      ProcessPlannedAs<true, true>(inL, inR, outL, outR, frames, midi);
    else
      ProcessPlannedAs<true, false>(inL, inR, outL, outR, frames, midi);
  } else {
    if (plan_.crushersIdle)
      ProcessPlannedAs<false, true>(inL, inR, outL, outR, frames, midi);
    else
      ProcessPlannedAs<false, false>(inL, inR, outL, outR, frames, midi);
  }
}

template <bool kDelaysRead, bool kCrushersIdle>
void Engine::ProcessPlannedAs(const double* inL, const double* inR, double* outL, double* outR, int frames,
                              IMidiEventQueue& midi) {
  const FramePlan& plan = plan_;
  // Current outputs of the modules the sums read, indexed by FramePlan::Source.
  alignas(16) double out[FramePlan::kSlots] = {
      inLeft.output,     inRight.output,     crusherLeft.output, crusherRight.output,
      filterLeft.output, filterRight.output, delayLeft.output,   delayRight.output, 0.0};
  // Filter responses by StateVariableFilter::Response, left and right lanes.
  alignas(16) double response[4][2];
  for (int k = 0; k < 4; ++k) {
    response[k][0] = filterLeft.response[k];
    response[k][1] = filterRight.response[k];
  }
  __m128d low = _mm_load_pd(response[StateVariableFilter::kLow]);
  __m128d band = _mm_load_pd(response[StateVariableFilter::kBand]);
  __m128d crushPhase = _mm_set_pd(crusherRight.phase, crusherLeft.phase);
  __m128d master = _mm_set_pd(masterRight.output, masterLeft.output);
  double feedbackLeftOut = feedbackLeft.output, feedbackRightOut = feedbackRight.output;
  __m128d leftParts = _mm_set_pd(panRight.leftPart, panLeft.leftPart);
  __m128d rightParts = _mm_set_pd(panRight.rightPart, panLeft.rightPart);

  // Delay lines: position and length per lane; the time follows the
  // control ticks.
  double* const line[2] = {delayLeft.Line(), delayRight.Line()};
  const int lineLength[2] = {delayLeft.length, delayRight.length};
  int writeIndex0 = delayLeft.writeIndex, writeIndex1 = delayRight.writeIndex;
  double delaySamples[2], delayFeedback[2];
  // While a delay's time glides or crossfades, both lines are read through
  // Delay::ReadMoving (the same cubic, scalar) on every frame.
  bool delaysMoving = false;

  Settings set;
  auto readSettings = [&] {
    set.coefficient = _mm_set_pd(filterRight.coefficient, filterLeft.coefficient);
    set.damping = _mm_set_pd(filterRight.damping, filterLeft.damping);
    set.crushRate = _mm_set_pd(crusherRight.rate, crusherLeft.rate);
    set.crushLevels = _mm_set_pd(crusherRight.levels, crusherLeft.levels);
    set.idleCapture = _mm_div_pd(Floor(_mm_mul_pd(set.crushLevels, _mm_setzero_pd())), set.crushLevels);
    const StateVariableFilter* filters[2] = {&filterLeft, &filterRight};
    for (int c = 0; c < 2; ++c) {
      set.keep[c] = 1.0 - filters[c]->shapeFraction;
      set.fraction[c] = filters[c]->shapeFraction;
      set.lower[c] = filters[c]->shapeLower;
      set.upper[c] = filters[c]->shapeUpper;
    }
    delayFeedback[0] = delayLeft.feedback;
    delayFeedback[1] = delayRight.feedback;
    delaySamples[0] = delayLeft.delaySamples;
    delaySamples[1] = delayRight.delaySamples;
    delaysMoving = delayLeft.Moving() || delayRight.Moving();
    set.gain = _mm_set_pd(masterRight.gain, masterLeft.gain);
    set.position = _mm_set_pd(panRight.position, panLeft.position);
    set.leftShare = _mm_sub_pd(_mm_set1_pd(1.0), set.position);
  };
  readSettings();

  const double envelopeGain = envelopeInputGain;
  const bool clip = softClip;
  const __m128d one = _mm_set1_pd(1.0);
  const __m128d tiny = _mm_set1_pd(1e-19);

  // The master sums of the frames whose output stage has not run yet. It
  // runs before a control tick changes the settings, and before the buffer
  // could overflow.
  constexpr int kPendingFrames = 128;
  static_assert(kPendingFrames > Engine::kMaxControlRate + 1, "a whole segment fits the pending sums");
  alignas(16) double masterSums[kPendingFrames][2];
  int pendingStart = 0;

  // Input taps to master sums: the part of a frame the next frame depends on.
  auto audioFrame = [&](int i) KESTREL_LAMBDA_INLINE {
    _mm_store_pd(out + FramePlan::kInLeft, Tap(_mm_loadh_pd(_mm_load_sd(inL + i), inR + i)));
    // Delays: both lines are read (cubic interpolation in lanes) before
    // either is written. The left sum reads the left delay's previous
    // output, the right sum its current one.
    const double delayInputLeft = Sum(plan.delay[0], out);
    double delayInputRight;
    if (delaysMoving) {
      const double left = delayLeft.ReadMoving(writeIndex0);
      const double right = delayRight.ReadMoving(writeIndex1);
      out[FramePlan::kDelayLeft] = left;
      delayInputRight = Sum(plan.delay[1], out);
      out[FramePlan::kDelayRight] = right;
    } else if (kDelaysRead || i == frames - 1) {
      // Unread delay outputs are needed only as the block's final state.
      const Delay::ReadPosition left = Delay::Locate(writeIndex0, delaySamples[0], lineLength[0]);
      const Delay::ReadPosition right = Delay::Locate(writeIndex1, delaySamples[1], lineLength[1]);
      const __m128d ym1 = _mm_loadh_pd(_mm_load_sd(line[0] + left.before), line[1] + right.before);
      const __m128d y0 = _mm_loadh_pd(_mm_load_sd(line[0] + left.at), line[1] + right.at);
      const __m128d y1 = _mm_loadh_pd(_mm_load_sd(line[0] + left.after), line[1] + right.after);
      const __m128d y2 = _mm_loadh_pd(_mm_load_sd(line[0] + left.after2), line[1] + right.after2);
      const __m128d t = _mm_set_pd(right.fraction, left.fraction);
      const __m128d half = _mm_set1_pd(0.5);
      const __m128d c3 =
          _mm_add_pd(_mm_mul_pd(_mm_sub_pd(y0, y1), _mm_set1_pd(1.5)), _mm_mul_pd(_mm_sub_pd(y2, ym1), half));
      const __m128d c2 = _mm_sub_pd(
          _mm_add_pd(_mm_sub_pd(ym1, _mm_mul_pd(_mm_set1_pd(2.5), y0)), _mm_mul_pd(_mm_set1_pd(2.0), y1)),
          _mm_mul_pd(half, y2));
      const __m128d c1 = _mm_mul_pd(_mm_sub_pd(y1, ym1), half);
      const __m128d delayed =
          _mm_add_pd(_mm_mul_pd(_mm_add_pd(_mm_mul_pd(_mm_add_pd(_mm_mul_pd(c3, t), c2), t), c1), t), y0);
      _mm_storel_pd(out + FramePlan::kDelayLeft, delayed);
      delayInputRight = Sum(plan.delay[1], out);
      _mm_storeh_pd(out + FramePlan::kDelayRight, delayed);
    } else {
      delayInputRight = Sum(plan.delay[1], out);
    }

    // Crushers: a capture lane takes the quantised sum, a hold lane keeps
    // its output; the sums are read either way, as the module does.
    const __m128d advanced = _mm_add_pd(crushPhase, set.crushRate);
    const __m128d capture = _mm_cmpnlt_pd(advanced, one);
    // Idle crushers (no inputs, nobody reads them) capture a constant.
    const __m128d quantised =
        kCrushersIdle ? set.idleCapture
                      : _mm_div_pd(Floor(_mm_mul_pd(set.crushLevels, PairSum(plan.crusherPair, out))), set.crushLevels);
    _mm_store_pd(out + FramePlan::kCrusherLeft,
                 Select(capture, quantised, _mm_load_pd(out + FramePlan::kCrusherLeft)));
    crushPhase = Select(capture, _mm_sub_pd(advanced, one), advanced);

    // Filters: four iterations on the same input.
    const __m128d x = PairSum(plan.filterPair, out);
    __m128d high;
    for (int n = 0; n < StateVariableFilter::kOversampling; ++n) {
      low = _mm_add_pd(_mm_add_pd(_mm_mul_pd(set.coefficient, band), tiny), low);
      high = _mm_sub_pd(_mm_sub_pd(x, low), _mm_mul_pd(set.damping, band));
      band = _mm_add_pd(band, SoftClip(_mm_mul_pd(set.coefficient, high)));
    }
    _mm_store_pd(response[StateVariableFilter::kLow], low);
    _mm_store_pd(response[StateVariableFilter::kNotch], _mm_add_pd(low, high));
    _mm_store_pd(response[StateVariableFilter::kBand], band);
    _mm_store_pd(response[StateVariableFilter::kHigh], high);
    out[FramePlan::kFilterLeft] = set.keep[0] * response[set.lower[0]][0] + set.fraction[0] * response[set.upper[0]][0];
    out[FramePlan::kFilterRight] =
        set.keep[1] * response[set.lower[1]][1] + set.fraction[1] * response[set.upper[1]][1];

    // Each line's write position receives its input sum plus the scaled
    // feedback node (the module writes the sum, then adds on top of it).
    // Lane by lane: in a packed pair each line's write would wait for the
    // other lane's feedback (perhaps a filter's output), and a short delay
    // reads that write in the next frame.
    feedbackLeftOut = Sum(plan.feedback[0], out);
    feedbackRightOut = Sum(plan.feedback[1], out);
    line[0][writeIndex0] = LimitLineWrite(feedbackLeftOut * delayFeedback[0] + delayInputLeft);
    line[1][writeIndex1] = LimitLineWrite(feedbackRightOut * delayFeedback[1] + delayInputRight);
    writeIndex0 = writeIndex0 + 1 >= lineLength[0] ? writeIndex0 + 1 - lineLength[0] : writeIndex0 + 1;
    writeIndex1 = writeIndex1 + 1 >= lineLength[1] ? writeIndex1 + 1 - lineLength[1] : writeIndex1 + 1;

    _mm_store_pd(masterSums[i - pendingStart], PairSum(plan.masterPair, out));
  };
  // Masters, pans, soft clip and mix of the frames since `pendingStart`, all
  // processed under the current settings: nothing in the next frames reads
  // them, so they run here as plain throughput work, away from the
  // filters' dependency chains.
  auto outputStage = [&](int end) {
    // The mix in use; while it ramps, each frame takes its own.
    __m128d wet = _mm_set1_pd(mix_.value);
    __m128d dry = _mm_set1_pd(1.0 - mix_.value);
    for (int i = pendingStart; i < end; ++i) {
      if (mix_.Active()) {
        const double mix = NextMix();
        wet = _mm_set1_pd(mix);
        dry = _mm_set1_pd(1.0 - mix);
      }
      master = _mm_mul_pd(set.gain, _mm_load_pd(masterSums[i - pendingStart]));
      rightParts = _mm_mul_pd(master, set.position);
      leftParts = _mm_mul_pd(set.leftShare, master);
      // wet left = right pan's left part + left pan's left part; likewise right.
      __m128d wetPair = _mm_add_pd(_mm_unpackhi_pd(leftParts, rightParts), _mm_unpacklo_pd(leftParts, rightParts));
      wetPair = clip ? SoftClip(wetPair) : LimitWetLanes(wetPair);
      wetPair = ZeroUnlessFinite(wetPair);
      const __m128d in = _mm_loadh_pd(_mm_load_sd(inL + i), inR + i);
      const __m128d mixed = _mm_add_pd(_mm_mul_pd(dry, in), _mm_mul_pd(wet, wetPair));
      _mm_storel_pd(outL + i, mixed);
      _mm_storeh_pd(outR + i, mixed);
    }
    pendingStart = end;
  };

  auto Detect = [&](int i) KESTREL_LAMBDA_INLINE {
    const __m128d tap = Tap(_mm_loadh_pd(_mm_load_sd(inL + i), inR + i));
    envFollower.Detect(_mm_cvtsd_f64(tap), _mm_cvtsd_f64(_mm_unpackhi_pd(tap, tap)), envelopeGain);
  };
  int start = 0;
  while (start < frames) {
    const Segment segment = NextSegment(start, frames);
    if (segment.end - pendingStart > kPendingFrames) outputStage(start);

    // LFO values are read only by control ticks (and kept at the block's end).
    for (int i = start; i < segment.end - 1; ++i) {
      lfoLeft.AdvancePhase();
      lfoRight.AdvancePhase();
      Detect(i);
      audioFrame(i);
    }
    lfoLeft.Process();
    lfoRight.Process();
    Detect(segment.end - 1);
    if (!segment.ticks) audioFrame(segment.end - 1);
    controlCounter_ += segment.audioEnd - start;
    if (segment.ticks) {
      ControlTickAt(segment.tickFrame, midi);
      if (TickWrites()) {  // settings change from this frame on
        outputStage(segment.tickFrame);
        readSettings();
      }
      audioFrame(segment.tickFrame);
    }
    start = segment.end;
  }
  outputStage(frames);
  delayLeft.writeIndex = writeIndex0;
  delayRight.writeIndex = writeIndex1;
  delayLeft.output = out[FramePlan::kDelayLeft];
  delayRight.output = out[FramePlan::kDelayRight];
  inLeft.output = out[FramePlan::kInLeft];
  inRight.output = out[FramePlan::kInRight];
  crusherLeft.output = out[FramePlan::kCrusherLeft];
  crusherRight.output = out[FramePlan::kCrusherRight];
  crusherLeft.phase = _mm_cvtsd_f64(crushPhase);
  crusherRight.phase = _mm_cvtsd_f64(_mm_unpackhi_pd(crushPhase, crushPhase));
  for (int k = 0; k < 4; ++k) {
    filterLeft.response[k] = response[k][0];
    filterRight.response[k] = response[k][1];
  }
  filterLeft.output = out[FramePlan::kFilterLeft];
  filterRight.output = out[FramePlan::kFilterRight];
  alignas(16) double pairs[4][2];
  pairs[0][0] = feedbackLeftOut;
  pairs[0][1] = feedbackRightOut;
  _mm_store_pd(pairs[1], master);
  _mm_store_pd(pairs[2], leftParts);
  _mm_store_pd(pairs[3], rightParts);
  feedbackLeft.output = pairs[0][0];
  feedbackRight.output = pairs[0][1];
  masterLeft.output = pairs[1][0];
  masterRight.output = pairs[1][1];
  panLeft.leftPart = pairs[2][0];
  panRight.leftPart = pairs[2][1];
  panLeft.rightPart = pairs[3][0];
  panRight.rightPart = pairs[3][1];
}
