#pragma once

#include "effect/ParameterIds.h"

// The twenty factory presets, held as data in the form they were designed:
// the used audio-matrix rows, the used modulation-matrix rows and every other
// setting that differs from its default. Slot order is the program order the
// host shows.

constexpr int kFactoryPresetCount = 20;

struct FactoryRoute {
  int source = 0;       // AudioSource / ModSource value
  int destination = 0;  // AudioDestination / ModTarget value
  double amount = 0.0;  // percent
};

struct FactorySetting {
  int index = -1;  // -1 ends the list
  double value = 0.0;
};

struct FactoryPreset {
  const char* name;
  // Row k is matrix slot k + 1; rows left out are at their defaults
  // (no source, no destination, amount 0).
  FactoryRoute audio[kMatrixSlots];
  FactoryRoute modulation[kMatrixSlots];
  FactorySetting others[24];
};

const FactoryPreset& FactoryPresetAt(int number);  // 0 .. kFactoryPresetCount - 1

// All 106 values of a factory preset, in index order: defaults overlaid with
// the preset's rows and settings.
void FactoryPresetValues(int number, double (&values)[kParameterCount]);
