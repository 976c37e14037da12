// Whole parameter sets against the engine's reader on another thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "framework/IParameterStore.h"

namespace {

constexpr int kCount = 106;

void Define(IParameterStore& store) {
  for (int i = 0; i < kCount; ++i) store.Parameter(i)->DefineDouble("p", 0.0, 0.0, 1000.0, 1.0, "");
}

}  // namespace

// One thread writes sets of all-equal values back to back; the reader keeps
// what it applies in its own copy, which must hold one set only whenever a
// take returns.
TEST(ParameterStoreSets, TheReaderNeverAppliesHalfOfASet) {
  IParameterStore store(kCount);
  Define(store);
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    std::vector<double> set(kCount);
    for (int n = 1; !stop.load(std::memory_order_relaxed); n = n % 999 + 1) {
      std::fill(set.begin(), set.end(), static_cast<double>(n));
      store.SetAll(set.data());
      if (n % 2) std::this_thread::yield();  // room for takes between some sets; others back to back
    }
  });
  std::vector<double> applied(kCount, 0.0);
  int takes = 0, mixed = 0;
  // Bounded both ways: enough takes that found something, or a cap on tries.
  for (long tries = 0; takes < 5000 && tries < 100000000; ++tries) {
    int count = 0;
    const bool took = store.TakeEngineChanges([&](int index, double value) {
      applied[static_cast<size_t>(index)] = value;
      ++count;
    });
    if (!took || count == 0) continue;
    ++takes;
    mixed += std::count(applied.begin(), applied.end(), applied[0]) != kCount ? 1 : 0;
  }
  stop = true;
  writer.join();
  EXPECT_GT(takes, 0);
  EXPECT_EQ(mixed, 0) << "values of two sets applied together, in " << takes << " takes";
}


TEST(ParameterStoreSets, ATakeReportsEachChangeOnceWithItsValue) {
  IParameterStore store(kCount);
  Define(store);
  store.SetClamped(3, 7.0);
  store.SetClamped(70, 2000.0);  // limited to the range
  std::vector<std::pair<int, double>> seen;
  EXPECT_TRUE(store.TakeEngineChanges([&](int i, double v) { seen.emplace_back(i, v); }));
  EXPECT_EQ(seen, (std::vector<std::pair<int, double>>{{3, 7.0}, {70, 1000.0}}));
  seen.clear();
  EXPECT_TRUE(store.TakeEngineChanges([&](int i, double v) { seen.emplace_back(i, v); }));
  EXPECT_TRUE(seen.empty());
}
