#include "framework/IParameterStore.h"

#include <cmath>
#include <thread>

IParameterStore::IParameterStore(int count)
    : count_(count > 0 ? count : 0),
      words_((count_ + kBitsPerWord - 1) / kBitsPerWord),
      parameters_(static_cast<size_t>(count_)),
      engineChanged_(new Word[static_cast<size_t>(words_ > 0 ? words_ : 1)]),
      editorChanged_(new Word[static_cast<size_t>(words_ > 0 ? words_ : 1)]),
      takenScratch_(new uint64_t[static_cast<size_t>(words_ > 0 ? words_ : 1)]),
      valueScratch_(new double[static_cast<size_t>(count_ > 0 ? count_ : 1)]) {
  for (int w = 0; w < words_; ++w) {
    engineChanged_[w].store(0, std::memory_order_relaxed);
    editorChanged_[w].store(0, std::memory_order_relaxed);
  }
}

void IParameterStore::Raise(int index) {
  const uint64_t bit = uint64_t{1} << (index % kBitsPerWord);
  // Release: whoever takes the flag also sees the value stored before it.
  engineChanged_[index / kBitsPerWord].fetch_or(bit, std::memory_order_release);
  editorChanged_[index / kBitsPerWord].fetch_or(bit, std::memory_order_release);
}

bool IParameterStore::AnyRaised(const Word* flags) const {
  for (int w = 0; w < words_; ++w)
    if (flags[w].load(std::memory_order_relaxed) != 0) return true;
  return false;
}

bool IParameterStore::SetFromNormalised(int index, double normalised) {
  if (!Valid(index) || std::isnan(normalised)) return false;
  parameters_[static_cast<size_t>(index)].SetFromNormalised(normalised);
  Raise(index);
  return true;
}

bool IParameterStore::SetClamped(int index, double value) {
  if (!Valid(index) || std::isnan(value)) return false;
  parameters_[static_cast<size_t>(index)].SetClamped(value);
  Raise(index);
  return true;
}

void IParameterStore::SetAll(const double* values, bool markEngine) {
  // Odd before the first value is stored, even again after the last.
  setGeneration_.fetch_add(1, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  for (int i = 0; i < count_; ++i) parameters_[static_cast<size_t>(i)].SetClamped(values[i]);
  if (markEngine)
    MarkAllChanged();
  else
    MarkAllChangedForEditor();
  setGeneration_.fetch_add(1, std::memory_order_release);
}

bool IParameterStore::ReadAll(double* values) const {
  constexpr int kAttempts = 100000;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const uint32_t generation = setGeneration_.load(std::memory_order_acquire);
    if (generation & 1u) {
      std::this_thread::yield();  // a set is being written: it takes microseconds
      continue;
    }
    for (int i = 0; i < count_; ++i) values[i] = parameters_[static_cast<size_t>(i)].Value();
    std::atomic_thread_fence(std::memory_order_acquire);
    if (setGeneration_.load(std::memory_order_relaxed) == generation) return true;
  }
  for (int i = 0; i < count_; ++i) values[i] = parameters_[static_cast<size_t>(i)].Value();
  return false;
}

void IParameterStore::MarkChanged(int index) {
  if (Valid(index)) Raise(index);
}

void IParameterStore::MarkChangedForEditor(int index) {
  if (!Valid(index)) return;
  editorChanged_[index / kBitsPerWord].fetch_or(uint64_t{1} << (index % kBitsPerWord), std::memory_order_release);
}

uint64_t IParameterStore::AllBitsOf(int word) const {
  const int bits = count_ - word * kBitsPerWord;
  return bits >= kBitsPerWord ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
}

void IParameterStore::MarkAllChanged() {
  for (int w = 0; w < words_; ++w) {
    engineChanged_[w].fetch_or(AllBitsOf(w), std::memory_order_release);
    editorChanged_[w].fetch_or(AllBitsOf(w), std::memory_order_release);
  }
}

void IParameterStore::MarkAllChangedForEditor() {
  for (int w = 0; w < words_; ++w) editorChanged_[w].fetch_or(AllBitsOf(w), std::memory_order_release);
}
