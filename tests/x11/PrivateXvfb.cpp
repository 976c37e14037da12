#include "tests/x11/PrivateXvfb.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "raster/PngReader.h"
// Xlib last: its macros clash with the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace {
pid_t g_xvfb = 0;

void StopXvfb() {
  if (g_xvfb > 0) kill(g_xvfb, SIGTERM), waitpid(g_xvfb, nullptr, 0);
  g_xvfb = 0;
}

}  // namespace

pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : 0;
}

bool StartPrivateXvfb() {
  if (g_xvfb) return true;
  const char* depth = std::getenv("KESTREL_XVFB_DEPTH");
  int fds[2];
  if (pipe(fds) != 0) return false;
  // Xvfb writes its display number to the descriptor once it accepts clients.
  const std::string fd = std::to_string(fds[1]);
  const std::string screen = std::string("2560x1600x") + (depth ? depth : "24");
  g_xvfb = fork();
  if (g_xvfb == 0) {
    // The server goes with the test, even when a timeout kills the test.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (g_xvfb < 0) g_xvfb = 0;
  close(fds[1]);
  std::string number;
  pollfd wait{fds[0], POLLIN, 0};
  char c;
  while (g_xvfb && poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) {
    StopXvfb();
    return false;
  }
  setenv("DISPLAY", (":" + number).c_str(), 1);
  std::atexit(StopXvfb);
  return true;
}

bool SetXftDpi(int dpi) {
  // The root window's RESOURCE_MANAGER property is what xrdb writes and
  // what each new connection reads as its resource database.
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  const Window root = DefaultRootWindow(display);
  if (dpi > 0) {
    const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\nXft.antialias:\t1\n";
    XChangeProperty(display, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.c_str()), static_cast<int>(resources.size()));
  } else {
    XDeleteProperty(display, root, XA_RESOURCE_MANAGER);
  }
  XSync(display, False);
  XCloseDisplay(display);
  return true;
}

std::unique_ptr<raster::MemoryBitmap> ReadPngFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return raster::ReadPngFromMemory(bytes.data(), bytes.size());
}

bool RunShellCommand(const std::string& command, const std::function<void()>& tick) {
  const pid_t pid = Spawn({"sh", "-c", command});
  if (!pid) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return false;
    }
    if (tick) tick();
    else std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::unique_ptr<raster::MemoryBitmap> ScreenshotTopLeft(int width, int height, const std::string& savePng) {
  const std::string file = savePng.empty() ? "x11-screen-" + std::to_string(getpid()) + ".png" : savePng;
  const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+0+0";
  if (!RunShellCommand("import -silent -window root -crop " + crop + " +repage png:" + file, nullptr)) return nullptr;
  auto image = ReadPngFile(file);
  if (savePng.empty()) unlink(file.c_str());
  return image;
}

int OpenDescriptorCount() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}
