#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/IParameter.h"

// The plug-in's parameters and, for each of the two readers of their
// values, a changed flag per parameter: the audio thread applies what
// changed to the engine at the start of its next block, the editor shows it
// on its next tick. Writers only store a value and raise two flags, so a
// change costs the same from any thread and never waits.
//
// Threads:
//  - SetFromNormalised, SetClamped, SetAll, MarkChanged, MarkAllChanged:
//    any thread, the audio thread included; no lock, no allocation.
//  - TakeEngineChanges: one consumer at a time (the audio thread, or a
//    thread holding the plug-in's processing lock).
//  - TakeEditorChanges: the editor's thread.
//  - Parameter definitions are written while the effect is built, before
//    any other thread can reach the store.
class IParameterStore {
 public:
  explicit IParameterStore(int count);

  int Count() const { return count_; }
  IParameter* Parameter(int index) { return Valid(index) ? &parameters_[static_cast<size_t>(index)] : nullptr; }
  const IParameter* Parameter(int index) const {
    return Valid(index) ? &parameters_[static_cast<size_t>(index)] : nullptr;
  }

  // False for an invalid index or a NaN, which change nothing.
  bool SetFromNormalised(int index, double normalised);
  bool SetClamped(int index, double value);
  // A whole parameter set (one value per parameter, already limited to the
  // ranges): every value is written before any is announced, and the
  // engine's reader leaves changes for its next block while a set is being
  // written, so the engine never runs a block on half of one set.
  void SetAll(const double* values);

  void MarkChanged(int index);
  void MarkAllChanged();
  // Only the editor's flags: it shows every value again.
  void MarkAllChangedForEditor();

  // Calls apply(index) for each parameter changed since the last call, in
  // index order. False, with nothing taken, while a set is being written.
  template <typename Apply>
  bool TakeEngineChanges(Apply&& apply) {
    if (setsInProgress_.load(std::memory_order_acquire) != 0) return false;
    Take(engineChanged_.get(), apply);
    return true;
  }
  template <typename Show>
  void TakeEditorChanges(Show&& show) {
    Take(editorChanged_.get(), show);
  }
  bool EngineChangesPending() const { return AnyRaised(engineChanged_.get()); }

 private:
  using Word = std::atomic<uint64_t>;
  static constexpr int kBitsPerWord = 64;

  bool Valid(int index) const { return index >= 0 && index < count_; }
  void Raise(int index);
  // The flags of every parameter that word `word` holds.
  uint64_t AllBitsOf(int word) const;
  bool AnyRaised(const Word* flags) const;
  template <typename Each>
  void Take(Word* flags, Each& each) {
    for (int w = 0; w < words_; ++w) {
      // A cheap look first: most blocks find nothing to take.
      if (flags[w].load(std::memory_order_relaxed) == 0) continue;
      uint64_t bits = flags[w].exchange(0, std::memory_order_acq_rel);
      while (bits) {
        const int bit = __builtin_ctzll(bits);
        bits &= bits - 1;
        each(w * kBitsPerWord + bit);
      }
    }
  }

  int count_;
  int words_;
  std::vector<IParameter> parameters_;
  std::unique_ptr<Word[]> engineChanged_;
  std::unique_ptr<Word[]> editorChanged_;
  std::atomic<int> setsInProgress_{0};
};
