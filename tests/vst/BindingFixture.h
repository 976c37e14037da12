#pragma once
// Test fixture: one BindingTestEffect driven through its effect record, as
// a host would, with a recording host callback.

#include <gtest/gtest.h>

#include "tests/vst/BindingTestEffect.h"
#include "tests/vst/RecordingHost.h"

class BindingTest : public ::testing::Test {
 protected:
  void Make(TestEffectOptions options = {}) {
    plugin = new BindingTestEffect(&RecordingHost::Callback, options);
    effect = plugin->Effect();
  }
  void TearDown() override {
    if (effect) Dispatch(effClose);
  }
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }
  double Value(int index) { return plugin->Parameter(index)->Value(); }
  // The parameter-format values stored in a preset slot.
  std::vector<double> SlotValues(int slot) {
    std::vector<double> values;
    const IStateChunk& chunk = plugin->Preset(slot)->values;
    for (int pos = 0; pos >= 0 && pos < chunk.Size();) {
      double v = 0.0;
      pos = chunk.ReadDouble(pos, &v);
      if (pos >= 0) values.push_back(v);
    }
    return values;
  }

  RecordingHost host;
  BindingTestEffect* plugin = nullptr;
  AEffect* effect = nullptr;
};
