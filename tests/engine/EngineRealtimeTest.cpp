#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "engine/Engine.h"
#include "tests/engine/EngineTestSupport.h"

// Every allocation in this executable goes through these replacements; while
// `gCounting` is set, each one is counted. The process call runs with
// counting on and must leave the count at zero.
namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

void* CountedAllocate(std::size_t size) {
  if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (size == 0) size = 1;
  return std::malloc(size);
}
}  // namespace

void* operator new(std::size_t size) {
  if (void* p = CountedAllocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = CountedAllocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace engine_test;

class CountingScope {
 public:
  CountingScope() {
    gAllocations = 0;
    gCounting = true;
  }
  ~CountingScope() { gCounting = false; }
  long Count() const { return gAllocations.load(); }
};

TEST(EngineRealtime, CounterSeesAllocations) {
  long seen = 0;
  {
    CountingScope scope;
    int* volatile probe = new int(3);  // volatile: the pair cannot be optimised away
    seen = scope.Count();
    delete probe;
  }
  EXPECT_EQ(seen, 1);
}

TEST(EngineRealtime, ProcessNeverAllocates) {
  auto engine = std::make_unique<Engine>();
  Engine& e = *engine;
  ASSERT_TRUE(e.Reset(44100.0));
  ApplyDefaultBases(e);
  for (int row = 0; row < Engine::kMatrixRows; ++row) {
    Route(e, row, 1 + row % 8, 1 + (row * 3) % 10, 0.5);
    Modulate(e, row, 1 + row % 7, 1 + (row * 5) % 24, 0.3);
  }
  e.SetControlRateChoice(0);  // every sample a control tick: all setters run
  IMidiEventQueue midi(1024);
  StereoBuffer in(512, 0.25), out(512);
  for (int i = 0; i < 512; ++i) in.left[i] = (i % 37) * 0.01;
  const double* inputs[2] = {in.left.data(), in.right.data()};
  double* outputs[2] = {out.left.data(), out.right.data()};

  for (int block = 0; block < 20; ++block) {
    for (int k = 0; k < 40; ++k) {
      IMidiEvent ev;
      ev.offset = k * 13;
      ev.status = static_cast<uint8_t>(k % 3 == 0 ? 0x90 : (k % 3 == 1 ? 0x80 : 0xB0));
      ev.data1 = static_cast<uint8_t>(k % 3 == 2 ? 1 : 40 + k);
      ev.data2 = static_cast<uint8_t>(k * 3);
      midi.Add(ev);  // queue growth happens here, outside the block
    }
    e.softClip = (block % 2) == 0;
    e.delayLeft.SetQuarters(block % 16);
    CountingScope scope;
    e.Process(inputs, outputs, 512, 90.0 + block, midi);
    ASSERT_EQ(scope.Count(), 0) << "block " << block;
  }
}

TEST(EngineRealtime, ResetAtAnUnchangedRateDoesNotAllocateEither) {
  auto engine = std::make_unique<Engine>();
  ASSERT_TRUE(engine->Reset(48000.0));
  CountingScope scope;
  ASSERT_TRUE(engine->Reset(48000.0));
  EXPECT_EQ(scope.Count(), 0);
}

}  // namespace
