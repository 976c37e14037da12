#pragma once
// A small effect on IVstBinding for testing the binding without the real
// effect: four parameters of every kind, recorded handler calls, and a
// processing step whose output the tests choose.

#include <cstring>
#include <utility>
#include <vector>

#include "framework/IAttachedEditor.h"
#include "gui/IEmbeddedWindow.h"
#include "vst/IVstBinding.h"
#include "tests/framework/ChangeProbe.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

struct TestEffectOptions {
  int parameters = 4;
  const char* channels = "1-1 2-2";
  int presets = 8;
  bool doesMidi = true;
  bool chunks = false;
  bool instrument = false;
  int latency = 0;
  const char* effectName = "Brume";
  const char* productName = "";
  const char* makerName = "Orvendale";
};

enum TestParameter { kTestGain, kTestMode, kTestActive, kTestMix };

class BindingTestEffect : public IVstBinding {
 public:
  static constexpr int32_t kUniqueId = 0x6D706541;

  explicit BindingTestEffect(audioMasterCallback host, TestEffectOptions o = {})
      : IVstBinding(host, o.parameters, o.channels, o.presets, o.effectName, o.productName, o.makerName, 0x00010203, kUniqueId,
                    kUniqueId, o.latency, o.doesMidi, o.chunks, o.instrument) {
    for (int i = 0; i < ParameterCount(); ++i) {
      IParameter* p = Parameter(i);
      switch (i) {
        case kTestGain: p->DefineDouble("Gain", 0.0, -80.0, 10.0, 0.1, "dB"); break;
        case kTestMode:
          p->DefineEnum("Filter Mode Selection", 0, 3);
          p->AddValueText(0, "soft");
          p->AddValueText(1, "hard");
          p->AddValueText(2, "off");
          break;
        case kTestActive: p->DefineBool("Active", true); break;
        case kTestMix: p->DefineDouble("Mix", 50.0, 0.0, 100.0, 0.01, "%"); break;
        default: p->DefineDouble("Spare", 0.0, 0.0, 1.0, 0.01, ""); break;
      }
    }
  }

  void ParameterChanged(int index) override { changed.push_back(index); }
  void ClearProcessingState() override { ++clears; }
  void ActivationChanged(bool active) override { activations.push_back(active); }
  void HandleMidiEvent(const IMidiEvent& event) override { midi.push_back(event); }
  void PresetListEdited() override { ++presetListEdits; }
  bool KeyNameFor(int note, char* name) override {
    if (note != 60) return IVstBinding::KeyNameFor(note, name);
    std::strcpy(name, "Middle C");
    return true;
  }

  void ProcessDouble(double** inputs, double** outputs, int frames) override {
    processedFrames.push_back(frames);
    tempoSeen = HostTempo();
#if defined(__x86_64__) || defined(_M_X64)
    mxcsrSeen = _mm_getcsr();
#endif
    for (int c = 0; c < OutputChannelCount(); ++c)
      for (int i = 0; i < frames; ++i)
        outputs[c][i] = passThrough ? inputs[c < InputChannelCount() ? c : 0][i] * 2.0 : constantOutput;
  }

  // Exposed for tests of the editor-related paths.
  using IEffectBase::SetParameterFromGUI;

  // What the audio thread would apply at its next block, and what the
  // editor would take on its next tick (index, real value).
  std::vector<int> Applied() { return AppliedChangesOf(*this); }
  std::vector<std::pair<int, double>> EditorChanges() { return EditorChangesOf(*this); }

  std::vector<int> changed;
  std::vector<bool> activations;
  std::vector<IMidiEvent> midi;
  std::vector<int> processedFrames;
  int clears = 0;
  int presetListEdits = 0;
  double tempoSeen = -1.0;
  unsigned mxcsrSeen = 0;
  double constantOutput = 0.5;
  bool passThrough = false;
};

// An editor view with a native window, recording what it is asked.
class TestEditorView : public IAttachedEditor, public IEmbeddedWindow {
 public:
  TestEditorView(int width, int height) : width_(width), height_(height) {}
  void PushParameterToControls(int index, double value, bool isNormalised) override {
    pushes.push_back({index, value, isNormalised});
  }
  void PrepareDrawing() override { ++prepared; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void* OpenWindow(void* parent) override {
    parentSeen = parent;
    open = openSucceeds;
    return GetWindow();
  }
  void CloseWindow() override {
    ++closed;
    open = false;
  }
  void* GetWindow() override { return open ? this : nullptr; }
  void Resize(int width, int height) { width_ = width, height_ = height; }

  struct Push {
    int index;
    double value;
    bool normalised;
  };
  std::vector<Push> pushes;
  int prepared = 0;
  int closed = 0;
  void* parentSeen = nullptr;
  bool openSucceeds = true;
  bool open = false;

 private:
  int width_, height_;
};
