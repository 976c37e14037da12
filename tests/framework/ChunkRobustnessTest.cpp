// Randomised robustness of program and bank loading: valid chunks that are
// mutated, truncated or extended, and plain random bytes. Whatever arrives,
// loading must not crash or read out of bounds (run under the sanitizers),
// every parameter must end inside its range and every preset name must stay
// a terminated text of at most 255 characters.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "tests/framework/TestEffect.h"

namespace {

constexpr int kParameters = 24;
constexpr int kPresets = 16;

void DefineParameters(IEffectBase& fx) {
  for (int i = 0; i < kParameters; ++i) {
    IParameter* p = fx.Parameter(i);
    switch (i % 4) {
      case 0: p->DefineDouble("gain", 0.0, -80.0, 10.0, 0.1, "dB"); break;
      case 1: p->DefineBool("switch", true); break;
      case 2: p->DefineEnum("mode", 1, 5); break;
      default: p->DefineDouble("amount", 50.0, 0.0, 100.0, 0.01, "%"); p->SetCurveExponent(2.0);
    }
  }
}

IStateChunk Mutate(const IStateChunk& source, std::mt19937& rng) {
  std::vector<uint8_t> bytes(source.Data(), source.Data() + source.Size());
  std::uniform_int_distribution<int> byte(0, 255);
  switch (rng() % 5) {
    case 0:  // flip a few bytes
      for (int k = 0, n = 1 + static_cast<int>(rng() % 8); k < n && !bytes.empty(); ++k)
        bytes[rng() % bytes.size()] = static_cast<uint8_t>(byte(rng));
      break;
    case 1:  // truncate
      bytes.resize(bytes.empty() ? 0 : rng() % bytes.size());
      break;
    case 2: {  // hostile int32 (a name length, most likely) somewhere
      static const int32_t hostile[] = {-1, 0, 255, 256, 1 << 20, 0x7FFFFFFF, -0x7FFFFFFF - 1, 300};
      if (bytes.size() >= 4) {
        const size_t at = rng() % (bytes.size() - 3);
        const int32_t v = hostile[rng() % 8];
        for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * b));
      }
      break;
    }
    case 3:  // NaN, infinities and huge values where doubles live
      for (int k = 0; k < 4 && bytes.size() >= 8; ++k) {
        static const uint64_t special[] = {0x7FF8000000000000ull, 0x7FF0000000000000ull,
                                           0xFFF0000000000000ull, 0x7FEFFFFFFFFFFFFFull};
        const uint64_t v = special[rng() % 4];
        const size_t at = rng() % (bytes.size() - 7);
        for (int b = 0; b < 8; ++b) bytes[at + b] = static_cast<uint8_t>(v >> (8 * b));
      }
      break;
    default: {  // random bytes of random length
      bytes.resize(rng() % 600);
      for (uint8_t& b : bytes) b = static_cast<uint8_t>(byte(rng));
    }
  }
  IStateChunk out;
  out.AppendBytes(bytes.data(), static_cast<int>(bytes.size()));
  return out;
}

void ExpectSane(const IEffectBase& fx, int iteration) {
  for (int i = 0; i < fx.ParameterCount(); ++i) {
    const IParameter* p = fx.Parameter(i);
    ASSERT_GE(p->Value(), p->Minimum()) << "iteration " << iteration << " parameter " << i;
    ASSERT_LE(p->Value(), p->Maximum()) << "iteration " << iteration << " parameter " << i;
  }
  for (int s = 0; s < fx.PresetCount(); ++s) {
    const char* name = fx.PresetName(s);
    ASSERT_NE(std::memchr(name, '\0', IPreset::kNameSize), nullptr) << "iteration " << iteration;
    if (fx.Preset(s)->initialised) {
      ASSERT_EQ(fx.Preset(s)->values.Size(), kParameters * 8) << "iteration " << iteration;
    }
  }
}

TEST(ChunkRobustness, MutatedTruncatedAndRandomChunks) {
  TestEffect fx(kParameters, kPresets);
  DefineParameters(fx);
  fx.FillEmptyPresets("-", kPresets);
  IStateChunk program, bank;
  fx.SerializeParams(program);
  fx.SerializePresets(bank);

  std::mt19937 rng(20261207);
  int loaded = 0;
  for (int iteration = 0; iteration < 12000; ++iteration) {
    const bool asBank = iteration % 2 == 0;
    const IStateChunk chunk = Mutate(asBank ? bank : program, rng);
    const int start = (rng() % 8 == 0) ? static_cast<int>(rng() % 16) : 0;
    const int end = asBank ? fx.UnserializePresets(chunk, start) : fx.UnserializeParams(chunk, start);
    ASSERT_LE(end, chunk.Size());
    if (end >= 0) ++loaded;
    ExpectSane(fx, iteration);
    if (::testing::Test::HasFatalFailure()) return;
    fx.changed.clear();
  }
  // Some mutations (value flips inside the data) must still load fully.
  EXPECT_GT(loaded, 100);
}

}  // namespace
