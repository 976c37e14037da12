#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "effect/Kestrel.h"
#include "gui/headless/HeadlessEditor.h"
#include "tests/vst/RecordingHost.h"

// Brume with the headless editor, opened the way a host opens it (every
// parameter applied once), recording what it tells the host.
class EditorFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HeadlessEditor& Editor() { return *editor_; }
  Kestrel& Plugin() { return *plugin_; }
  double Value(int param) { return plugin_->Parameter(param)->Value(); }
  double Normalised(int param) { return plugin_->Parameter(param)->Normalised(); }
  void Click(int x, int y, bool shift = false);
  void Drag(int x, int y, int toX, int toY, bool shift = false);
  // Pixels of the backing store inside bounds brighter than the panel grey:
  // text ink.
  int InkIn(const IBounds& bounds);
  // The host's begin-edit (B), automate (A) and end-edit (E) calls in order.
  std::string Gestures();

  RecordingHost host_;
  std::unique_ptr<Kestrel> plugin_;
  HeadlessEditor* editor_ = nullptr;
};
