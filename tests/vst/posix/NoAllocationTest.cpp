// The three audio callbacks of Brume never allocate: every allocation
// function of the process is counted while a callback runs (operator new in
// all its forms, and, outside sanitizer builds whose runtimes own malloc,
// glibc's malloc family), for every factory program, in every precision and
// mode, with MIDI arriving between blocks and a block longer than the
// announced size.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "tests/vst/PluginFile.h"

// The replacements below pair operator new with malloc on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<bool> g_armed{false};
std::atomic<long> g_allocations{0};
inline void Note() {
  if (g_armed.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

#if !defined(KESTREL_SANITIZED)
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size) {
  Note();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  Note();
  return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
  Note();
  return __libc_realloc(p, size);
}
void* memalign(size_t alignment, size_t size) {
  Note();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
  Note();
  *out = __libc_memalign(alignment, size);
  return *out ? 0 : 12;  // ENOMEM
}
void* aligned_alloc(size_t alignment, size_t size) {
  Note();
  return __libc_memalign(alignment, size);
}
void free(void* p) { __libc_free(p); }
}
#endif

void* operator new(size_t size) {
  Note();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  Note();
  return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new(size_t size, std::align_val_t alignment) {
  Note();
  void* p = nullptr;
  if (posix_memalign(&p, static_cast<size_t>(alignment), size ? size : 1) == 0) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

// A host that answers without allocating.
VstTimeInfo g_time = [] {
  VstTimeInfo t{};
  t.sampleRate = 44100.0;
  t.tempo = 128.0;
  t.timeSigNumerator = 4;
  t.timeSigDenominator = 4;
  t.flags = kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying;
  return t;
}();

VstIntPtr QuietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&g_time);
  if (opcode == audioMasterVersion) return 2400;
  return 0;
}

struct Block {
  static constexpr int kFrames = 256;
  float inF[2][kFrames * 2], outF[2][kFrames * 2];
  double inD[2][kFrames * 2], outD[2][kFrames * 2];
  float* insF[2] = {inF[0], inF[1]};
  float* outsF[2] = {outF[0], outF[1]};
  double* insD[2] = {inD[0], inD[1]};
  double* outsD[2] = {outD[0], outD[1]};
  Block() {
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < kFrames * 2; ++i) {
        inF[c][i] = static_cast<float>(((i * 7919 + c * 104729) % 2000) / 1000.0 - 1.0) * 0.5f;
        inD[c][i] = inF[c][i];
      }
  }
};

void SendNotes(AEffect* effect, int block) {
  VstMidiEvent events[3] = {};
  const unsigned char messages[3][3] = {{0x90, 60, 100}, {0xB0, 1, 90}, {0x80, 60, 0}};
  for (int i = 0; i < 3; ++i) {
    events[i].type = kVstMidiType;
    events[i].byteSize = sizeof(VstMidiEvent);
    events[i].deltaFrames = (block * 37 + i * 80) % Block::kFrames;
    std::memcpy(events[i].midiData, messages[i], 3);
  }
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[3];
  } list{3, 0, {reinterpret_cast<VstEvent*>(&events[0]), reinterpret_cast<VstEvent*>(&events[1]),
                reinterpret_cast<VstEvent*>(&events[2])}};
  Dispatch(effect, effProcessEvents, 0, 0, &list);
}

}  // namespace

TEST(AudioCallbacks, NeverAllocateForAnyFactoryProgram) {
  PluginFile file;
  ASSERT_TRUE(file.Loaded()) << file.Error();
  AEffect* effect = file.Main()(&QuietHost);
  ASSERT_NE(effect, nullptr);
  Dispatch(effect, effOpen);
  Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
  Dispatch(effect, effSetBlockSize, 0, Block::kFrames);
  Dispatch(effect, effMainsChanged, 0, 1);
  static Block block;
  for (int program = -1; program < 20; ++program) {
    if (program >= 0) Dispatch(effect, effSetProgram, 0, program);
    g_allocations = 0;
    for (int b = 0; b < 12; ++b) {
      SendNotes(effect, b);
      g_armed = true;
      switch (b % 4) {
        case 0: effect->processReplacing(effect, block.insF, block.outsF, Block::kFrames); break;
        case 1: effect->process(effect, block.insF, block.outsF, Block::kFrames); break;
        case 2: effect->processDoubleReplacing(effect, block.insD, block.outsD, Block::kFrames); break;
        default:  // longer than announced, and an empty block
          effect->processReplacing(effect, block.insF, block.outsF, Block::kFrames * 2);
          effect->processDoubleReplacing(effect, block.insD, block.outsD, 0);
          break;
      }
      g_armed = false;
    }
    EXPECT_EQ(g_allocations.load(), 0) << "program " << program;
  }
  Dispatch(effect, effClose);
}

TEST(AudioCallbacks, TheCounterSeesAllocations) {
  g_allocations = 0;
  g_armed = true;
  void* p = std::malloc(16);
  auto* q = new int(3);
  g_armed = false;
  delete q;
  std::free(p);
  EXPECT_GE(g_allocations.load(), 1);
}
