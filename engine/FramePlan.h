#pragma once
// The sample loop's plan of one frame, rebuilt whenever a link changes
// (never per sample): for each module that sums inputs, the terms of its
// sum as (source, amount) pairs in slot order, and whether the left and
// right instances of the crushers and the filters may run as the two lanes
// of one SSE2 register (they may unless the right one reads the left one's
// output of the same sample).
struct FramePlan {
  // The modules an audio sum can read, as indexes into the loop's array of
  // current outputs. The pairs sit in adjacent, 16-byte aligned entries.
  // kZero always holds +0.0; it pads the shorter of a pair's sums (adding
  // 0 x 0 = +0 never changes a sum that starts at +0.0).
  enum Source { kInLeft, kInRight, kCrusherLeft, kCrusherRight, kFilterLeft, kFilterRight, kDelayLeft, kDelayRight,
                kSourceCount, kZero = kSourceCount, kSlots };

  struct Terms {
    int count = 0;
    int source[12] = {};
    double amount[12] = {};
  };

  // The sums of a left/right pair, term by term in SSE2 lanes.
  struct PairTerms {
    int count = 0;
    int left[12] = {};
    int right[12] = {};
    alignas(16) double amount[12][2] = {};
  };

  // False when some link reads a module outside Source or a right module
  // reads its left partner's current output: the loop then ticks module by
  // module.
  bool paired = false;
  // Whether any sum reads a delay's output; if not, the loop interpolates
  // only the block's last frame (the outputs are state, nothing else).
  bool delaysRead = true;
  // Crushers with no inputs whose outputs no sum reads: each capture takes
  // the same value, so the loop only steps their phases.
  bool crushersIdle = false;
  // Sum of the summing modules' link versions when the plan was made.
  unsigned version = ~0u;
  Terms delay[2], crusher[2], filter[2], feedback[2], master[2];
  PairTerms crusherPair, filterPair, masterPair;
};
