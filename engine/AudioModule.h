#pragma once
#include <string>

// Base of every signal-engine object. Each module produces one value per
// tick (`output`) and reads up to twelve other modules through weighted
// input links, which the routing rows (Connection) make and break.
//
// Besides the twelve slots the module keeps a compact, slot-ordered list of
// the occupied ones, so the per-sample input sum touches only live links.
// Both views are updated together by SetInput/SetInputAmount; the slot
// order of the sum, and so its rounding, is the same as a plain loop over
// all twelve slots.
//
// Threading: links and settings are changed by the parameter handler and
// read by the sample loop; both run on the audio thread (or under the
// plug-in's processing lock), never at the same time.
class AudioModule {
 public:
  static constexpr int kInputSlots = 12;

  AudioModule();
  virtual ~AudioModule() = default;
  AudioModule(const AudioModule&) = delete;
  AudioModule& operator=(const AudioModule&) = delete;

  // One tick. The base behaviour is the plain input sum.
  virtual void Process() { output = InputSum(); }
  // Empties every input slot; the slot amounts stay.
  virtual void ClearInputs();
  virtual void SetSampleRate(double rate) { sampleRate = rate; }

  void SetName(const std::string& newName) { name = newName; }
  const std::string& Name() const { return name; }

  // Link editing, bounds-checked (a slot outside 0..11 is ignored).
  void SetInput(int slot, AudioModule* source);
  void SetInputAmount(int slot, double amount);
  AudioModule* Input(int slot) const;
  double InputAmount(int slot) const;
  int ActiveInputCount() const { return activeCount_; }
  // Grows by one at every link or amount edit, so a loop that planned its
  // sums from the links can tell when to plan again.
  unsigned LinkVersion() const { return linkVersion_; }

  // Weighted sum of the linked inputs, slots in ascending order, each step
  // `product + running sum`. Reads the sources' current outputs, so a module
  // linked into itself sees its previous tick as long as the caller sums
  // before overwriting `output`.
  double InputSum() const {
    double sum = 0.0;
    for (int j = 0; j < activeCount_; ++j) sum = *activeOutputs_[j] * activeAmounts_[j] + sum;
    return sum;
  }

  std::string name;
  double output = 0.0;
  double sampleRate = 0.0;

 private:
  void RebuildActiveList();

  AudioModule* inputs_[kInputSlots];
  double inputAmounts_[kInputSlots];
  // Compact view of the occupied slots, in slot order.
  const double* activeOutputs_[kInputSlots];
  double activeAmounts_[kInputSlots];
  int activeCount_ = 0;
  unsigned linkVersion_ = 0;
};
