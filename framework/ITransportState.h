#pragma once

// The host's transport record. The caller initialises it; the host binding
// overwrites only the fields the host vouches for.
struct ITransportState {
  double tempo = 120.0;            // beats per minute
  double samplePosition = 0.0;
  double musicalPosition = 0.0;    // quarter notes
  double lastBarStart = 0.0;       // quarter notes
  double cycleStart = 0.0;         // quarter notes
  double cycleEnd = 0.0;           // quarter notes
  int numerator = 4;
  int denominator = 4;
  bool transportRunning = false;
  bool loopEnabled = false;
};
