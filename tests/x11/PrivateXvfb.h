#pragma once
// What every X11 test host of this tree needs beside its plug-in: a private
// Xvfb, programs (xdotool, import) run while the editor keeps ticking, and
// PNG files read back for comparisons.

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "raster/MemoryBitmap.h"

// The X server of the test process: Xvfb at the depth named by
// KESTREL_XVFB_DEPTH (24 by default), started once, DISPLAY pointed at it.
bool StartPrivateXvfb();
// Puts Xft.dpi into the server's resource database (0 takes it out again),
// as xrdb -merge would; connections opened afterwards see it.
bool SetXftDpi(int dpi);
// Starts a program (argv[0] looked up on PATH); its process id, 0 on failure.
pid_t Spawn(const std::vector<std::string>& args);
// Runs a shell command, calling tick (when set) every few milliseconds
// until it exits; false when it fails or takes longer than 20 s (it is
// killed then).
bool RunShellCommand(const std::string& command, const std::function<void()>& tick);
// The screen's top-left width x height pixels as ImageMagick's import reads
// them (without ticking: the screen shows what the editor put there),
// also saved to savePng when one is named; null on failure.
std::unique_ptr<raster::MemoryBitmap> ScreenshotTopLeft(int width, int height, const std::string& savePng = "");
// PNG decoding of a file (committed artwork, screenshots).
std::unique_ptr<raster::MemoryBitmap> ReadPngFile(const std::string& path);
// Open file descriptors of this process (a display connection left open
// shows here).
int OpenDescriptorCount();
