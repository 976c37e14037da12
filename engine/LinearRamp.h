#pragma once

// A value that moves in equal steps to a target over a given number of
// frames; the last step lands on the target itself, not on a sum of steps,
// so a finished ramp holds exactly what was asked for.
struct LinearRamp {
  double value = 0.0;
  double target = 0.0;
  double step = 0.0;
  int left = 0;

  // From the current value to `to` over `frames` (at once for 1 or fewer).
  void Start(double to, int frames) {
    target = to;
    if (frames <= 1) {
      Settle(to);
      return;
    }
    step = (to - value) / frames;
    left = frames;
  }
  // One frame's value.
  double Next() {
    if (left > 0) value = --left == 0 ? target : value + step;
    return value;
  }
  void Settle(double v) {
    value = target = v;
    left = 0;
  }
  // Stays where it is now.
  void Stop() { left = 0; }
  bool Active() const { return left > 0; }
};
