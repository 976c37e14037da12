#pragma once
#include <vector>

#include "framework/IParameterStore.h"
#include "framework/IPreset.h"
#include "framework/IStateChunk.h"

// Program slots and their chunks, for any plug-in format: a fixed number of
// named slots, each holding one program in the parameter chunk format, the
// current slot, and the program and bank chunk bodies.
//
// Chunks come from hosts and project files and are untrusted: every read is
// bounds-checked by IStateChunk, names are cut to the slot size, and a
// program or bank is decoded and checked whole before anything changes
// (all or nothing). Values reach the parameter store as one finished set.
//
// Threads: one caller at a time (the plug-in's lock); the store itself may
// be read and set meanwhile by any thread.
class PresetBank {
 public:
  PresetBank(IParameterStore& parameters, int slotCount);

  int Count() const { return static_cast<int>(slots_.size()); }
  const IPreset* Slot(int index) const;
  int Current() const { return current_; }
  const char* Name(int index) const;  // empty for an invalid index

  // The store's current values as one program (appended).
  bool WriteProgram(IStateChunk& chunk) const;
  // One program from `position` on into the store; the position after it,
  // or -1 (nothing changes) when it is short or holds a non-finite value.
  int ReadProgram(const IStateChunk& chunk, int position);
  bool WriteBank(IStateChunk& chunk) const;
  // Every slot from `position` on; -1 and nothing changes on bad data. The
  // store ends as the bank leaves the current slot.
  int ReadBank(const IStateChunk& chunk, int position);

  // Fills up to `count` uninitialised slots with the current values.
  void FillEmpty(const char* name, int count);
  // The first uninitialised slot gets `name` and the values; parameters not
  // named (or given as kKeepCurrent) keep their current value.
  struct NamedValue {
    int index;
    double value;
  };
  static constexpr double kKeepCurrent = 9.999e-8;
  void AddProgram(const char* name, const NamedValue* values, int count);
  // Makes `index` current and loads it into the store; a slot never used
  // keeps the current values as a new user preset. False for a bad index.
  bool Load(int index);
  // The current values (and a new name, unless null or empty) into the
  // current slot.
  void StoreCurrent(const char* name);
  void NextUserPresetName(char* out) const;  // out holds IPreset::kNameSize

 private:
  int DecodeProgram(const IStateChunk& chunk, int position, double* out) const;

  IParameterStore& parameters_;
  std::vector<IPreset> slots_;
  int current_ = 0;
};
