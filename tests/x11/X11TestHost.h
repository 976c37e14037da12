#pragma once
// A small X11 host for Brume.so: a private Xvfb, a top-level window sized
// from effEditGetRect, the editor opened inside it and effEditIdle called at
// a chosen rate, every host callback recorded. The pointer is driven with
// xdotool and the screen read with ImageMagick's import, as a user's tools
// would see it.

#include <X11/Xlib.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "raster/MemoryBitmap.h"
#include "tests/vst/PluginFile.h"
#include "tests/vst/RecordingHost.h"
#include "tests/x11/PrivateXvfb.h"

class X11TestHost {
 public:
  // depth 0: the screen's default visual; else a TrueColor visual of that
  // depth (TopLevel() is 0 when the screen has none).
  explicit X11TestHost(const PluginFile& plugin, int depth = 0);
  ~X11TestHost();
  X11TestHost(const X11TestHost&) = delete;
  X11TestHost& operator=(const X11TestHost&) = delete;

  AEffect* Effect() const { return effect_; }
  RecordingHost& Calls() { return calls_; }
  Display* XDisplay() const { return display_; }
  Window TopLevel() const { return window_; }

  // effEditGetRect's width and height (0 x 0 without a rectangle).
  void EditorRect(int* width, int* height) const;
  bool OpenEditor();
  void CloseEditor();
  // The host's window's children (the editor, once open).
  int ChildCount() const;
  // `count` effEditIdle calls, 1000 / hz ms apart.
  void Idle(int count, int hz = 25);
  // effClose, with the editor as it is.
  void ClosePlugin();
  // What some hosts do before effEditClose.
  void DestroyTopLevel();
  // Runs a shell command while idling at hz (0: without idling); false when it fails or takes
  // longer than 20 s (it is killed then).
  bool Run(const std::string& command, int hz = 25);
  bool Xdotool(const std::string& arguments) { return Run("xdotool " + arguments); }
  // Idles at 25 Hz until `done` holds (true) or 20 s pass (false): what a
  // command's events lead to may take longer on a busy machine.
  bool IdleUntil(const std::function<bool()>& done);
  // The screen's top-left corner of the editor's size, optionally saved.
  std::unique_ptr<raster::MemoryBitmap> Screenshot(const std::string& savePng = "");
  float Param(int index) const { return effect_->getParameter(effect_, index); }

 private:
  RecordingHost calls_;
  AEffect* effect_ = nullptr;
  Display* display_ = nullptr;
  Window window_ = 0;
  Colormap colormap_ = 0;
  bool editorOpen_ = false;
};
