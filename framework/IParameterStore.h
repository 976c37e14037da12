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
  // ranges). The engine's reader never applies half of one: see
  // TakeEngineChanges. Concurrent SetAll calls from two threads may still
  // interleave their values; callers serialise them (the plug-in lock).
  // Without `markEngine` only the editor's flags rise: for a writer that
  // plays the values to the engine itself (the audio thread, at an offset).
  void SetAll(const double* values, bool markEngine = true);
  // Every value at one moment between whole sets, never part of one and
  // part of another (any thread; it retries while a set is written and
  // never holds a writer up). False after many retries while sets kept
  // coming, with the values read last in `values`.
  bool ReadAll(double* values) const;

  void MarkChanged(int index);
  // Only the editor's flag: a value the engine hears another way (an
  // adapter's timed event) is shown.
  void MarkChangedForEditor(int index);
  void MarkAllChanged();
  // Only the editor's flags: it shows every value again.
  void MarkAllChangedForEditor();

  // Calls apply(index, value) for each parameter changed since the last
  // call, in index order, with the value it had when the changes were
  // taken. The values are copied and checked against the set generation
  // before any is applied: a SetAll that starts or ends while they are read
  // leaves every flag raised for the next call. False, with nothing
  // applied, when a set was being written.
  template <typename Apply>
  bool TakeEngineChanges(Apply&& apply) {
    if (!AnyRaised(engineChanged_.get())) return true;  // most blocks
    const uint32_t generation = setGeneration_.load(std::memory_order_acquire);
    if (generation & 1u) return false;  // a set is being written
    uint64_t* taken = takenScratch_.get();
    for (int w = 0; w < words_; ++w) taken[w] = engineChanged_[w].exchange(0, std::memory_order_acq_rel);
    double* values = valueScratch_.get();
    ForEachBit(taken, [&](int index) { values[index] = parameters_[static_cast<size_t>(index)].Value(); });
    std::atomic_thread_fence(std::memory_order_acquire);
    if (setGeneration_.load(std::memory_order_relaxed) != generation) {
      for (int w = 0; w < words_; ++w)
        if (taken[w]) engineChanged_[w].fetch_or(taken[w], std::memory_order_release);
      return false;
    }
    ForEachBit(taken, [&](int index) { apply(index, values[index]); });
    return true;
  }
  template <typename Show>
  void TakeEditorChanges(Show&& show) {
    for (int w = 0; w < words_; ++w) {
      // A cheap look first: most ticks find nothing to take.
      if (editorChanged_[w].load(std::memory_order_relaxed) == 0) continue;
      const uint64_t bits = editorChanged_[w].exchange(0, std::memory_order_acq_rel);
      ForEachBitOf(bits, w, show);
    }
  }
  bool EngineChangesPending() const { return AnyRaised(engineChanged_.get()); }
  // Grows by two with every SetAll (odd while one is written): a reader
  // that remembers it can tell that the values it takes next include a
  // whole set, such as a program or a loaded state.
  uint32_t SetGeneration() const { return setGeneration_.load(std::memory_order_acquire); }

 private:
  using Word = std::atomic<uint64_t>;
  static constexpr int kBitsPerWord = 64;

  bool Valid(int index) const { return index >= 0 && index < count_; }
  void Raise(int index);
  // The flags of every parameter that word `word` holds.
  uint64_t AllBitsOf(int word) const;
  bool AnyRaised(const Word* flags) const;
  template <typename Each>
  static void ForEachBitOf(uint64_t bits, int word, Each& each) {
    while (bits) {
      const int bit = __builtin_ctzll(bits);
      bits &= bits - 1;
      each(word * kBitsPerWord + bit);
    }
  }
  template <typename Each>
  void ForEachBit(const uint64_t* words, Each&& each) const {
    for (int w = 0; w < words_; ++w) ForEachBitOf(words[w], w, each);
  }

  int count_;
  int words_;
  std::vector<IParameter> parameters_;
  std::unique_ptr<Word[]> engineChanged_;
  std::unique_ptr<Word[]> editorChanged_;
  // Odd while a SetAll writes its values (a sequence lock): the engine's
  // reader never applies values read across a change of it.
  std::atomic<uint32_t> setGeneration_{0};
  // The engine reader's copies (one reader at a time), sized once.
  std::unique_ptr<uint64_t[]> takenScratch_;
  std::unique_ptr<double[]> valueScratch_;
};
