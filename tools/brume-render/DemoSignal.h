#pragma once
// The built-in test signal: two bars of drums (kick, snare, hi-hat) under a
// four-chord pad, followed by one second of silence so that delays and
// filters can ring out. Deterministic for a given rate and tempo.

#include "tools/brume-render/StereoAudio.h"

StereoAudio MakeDemoSignal(int rate, double tempo);
