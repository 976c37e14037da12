#pragma once
// A minimal concrete plug-in over IEffectBase that records what the base
// asks of the host and of the effect, plus an editor view that records what
// it is shown.
#include <string>
#include <utility>
#include <vector>

#include "framework/IAttachedEditor.h"
#include "framework/IEffectBase.h"
#include "tests/framework/ChangeProbe.h"

class TestEffect : public IEffectBase {
 public:
  static constexpr int32_t kUniqueId = 0x4272756D;  // "Brum"
  static constexpr int32_t kMakerId = 0x4F727664;   // "Orvd"
  explicit TestEffect(int parameterCount = 4, int presetCount = 8,
                      const char* channels = "1-1 2-2")
      : IEffectBase(parameterCount, channels, presetCount, "Brume", "Brume product", "Orvendale",
                    0x00010203, kUniqueId, kMakerId, 0, true, false, false) {}

  void ParameterChanged(int index) override { changed.push_back(index); }
  // What the audio thread would apply at its next block, and what the
  // editor would take on its next tick (index, real value).
  std::vector<int> Applied() { return AppliedChangesOf(*this); }
  std::vector<std::pair<int, double>> EditorChanges() { return EditorChangesOf(*this); }
  void PresetListEdited() override { ++presetListEdits; }

  void HostBeginGesture(int) override {}
  void HostParameterChanged(int index, double normalised) override {
    automation.emplace_back(index, normalised);
  }
  void HostEndGesture(int) override {}
  void HostRefreshDisplay() override {}
  int HostSamplePosition() override { return 0; }
  double HostTempo() override { return 120.0; }
  void HostTimeSignature(int* n, int* d) override { *n = 4, *d = 4; }
  void HostTransport(ITransportState*) override {}
  void EditorSizeChanged() override {}
  void HostSpecificSetup() override {}
  bool SendMidiEvent(const IMidiEvent& e) override {
    sent.push_back(e);
    return true;
  }
  bool SendMidiEvents(const IMidiEvent* events, int count) override {
    for (int i = 0; i < count; ++i) SendMidiEvent(events[i]);
    return true;
  }

  std::vector<int> changed;
  std::vector<std::pair<int, double>> automation;
  std::vector<IMidiEvent> sent;
  int presetListEdits = 0;
};

struct Push {
  int index;
  double value;
  bool normalised;
};

class RecordingView : public IAttachedEditor {
 public:
  explicit RecordingView(int* destroyed = nullptr) : destroyed_(destroyed) {}
  ~RecordingView() override {
    if (destroyed_) ++*destroyed_;
  }
  void PushParameterToControls(int index, double value, bool isNormalised) override {
    pushes.push_back({index, value, isNormalised});
  }
  void PrepareDrawing() override { prepared = true; }
  int Width() const override { return 815; }
  int Height() const override { return 500; }

  std::vector<Push> pushes;
  bool prepared = false;

 private:
  int* destroyed_;
};
