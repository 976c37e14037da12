// A small Windows host for the editor tests under Wine: it loads the
// plug-in, gives each instance a top-level window named "Kestrel Host <n>",
// opens and closes editors as told, and logs every host callback.
//
// usage: kestrel_gui_host <plugin.dll> <command file> <log file> [dpi-aware|dpi-unaware]
// (dpi-aware: the host's windows are per-monitor DPI-aware and report the
// display's DPI; dpi-unaware: they report 96 whatever the display; neither:
// the system's default.)
// The command file is read every 30 ms; each new line is one command:
//   load <n> | open <n> | close <n> | unload <n> | set <n> <index> <value>
//   | param <n> <index> | class | quit
// Log lines: "automate <n> <index> <value>", "begin <n> <index>",
// "end <n> <index>" and one answer line per command.
#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "vst/VstAbi.h"

namespace {
constexpr int kSlots = 3;
struct Slot {
  AEffect* effect = nullptr;
  HWND frame = nullptr;
};
Slot g_slots[kSlots];
FILE* g_log = nullptr;
HMODULE g_plugin = nullptr;
std::string g_commandFile;
size_t g_commandsDone = 0;

void Log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(g_log, format, args);
  va_end(args);
  std::fputc('\n', g_log);
  std::fflush(g_log);
}

int SlotOf(AEffect* effect) {
  for (int n = 0; n < kSlots; ++n)
    if (effect && g_slots[n].effect == effect) return n;
  return -1;
}

VstIntPtr HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  switch (opcode) {
    case audioMasterCanDo:
      return ptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0 ? 1 : 0;
    case audioMasterSizeWindow: {
      // The frame takes the editor's new size, as a host's container does.
      const int n = SlotOf(effect);
      Log("sizeWindow %d %d %d", n, index, static_cast<int>(value));
      if (n >= 0 && g_slots[n].frame)
        SetWindowPos(g_slots[n].frame, nullptr, 0, 0, index, static_cast<int>(value), SWP_NOMOVE | SWP_NOZORDER);
      return 1;
    }
    case audioMasterAutomate: Log("automate %d %d %.6f", SlotOf(effect), index, opt); return 0;
    case audioMasterBeginEdit: Log("begin %d %d", SlotOf(effect), index); return 1;
    case audioMasterEndEdit: Log("end %d %d", SlotOf(effect), index); return 1;
    case audioMasterVersion: return 2400;
    default: return 0;
  }
}

VstIntPtr Dispatch(int n, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
  AEffect* effect = g_slots[n].effect;
  return effect ? effect->dispatcher(effect, opcode, 0, value, ptr, opt) : 0;
}

bool ClassRegistered() {
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  return GetClassInfoExA(g_plugin, "KestrelWndClass", &info) != 0;
}

HWND EditorOf(int n) {
  return g_slots[n].frame ? FindWindowExA(g_slots[n].frame, nullptr, "KestrelWndClass", "Kestrel") : nullptr;
}

void Open(int n) {
  ERect* rect = nullptr;
  Dispatch(n, effEditGetRect, 0, &rect);
  if (!rect) {
    Log("opened %d failed", n);
    return;
  }
  if (!g_slots[n].frame) {
    char title[32];
    std::snprintf(title, sizeof title, "Kestrel Host %d", n);
    // Side by side, so that two editors never cover each other.
    g_slots[n].frame = CreateWindowExA(WS_EX_APPWINDOW, "KestrelTestHost", title, WS_POPUP | WS_VISIBLE,
                                       (n - 1) * 840, 0, rect->right - rect->left, rect->bottom - rect->top,
                                       nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  const VstIntPtr result = Dispatch(n, effEditOpen, 0, g_slots[n].frame);
  RECT placed{};
  HWND editor = EditorOf(n);
  if (editor) {
    GetWindowRect(editor, &placed);
    MapWindowPoints(HWND_DESKTOP, g_slots[n].frame, reinterpret_cast<POINT*>(&placed), 2);
  }
  Log("opened %d result=%d editor=%d at %ld %ld %ld %ld rect %d %d %d %d", n, static_cast<int>(result),
      editor != nullptr, placed.left, placed.top, placed.right, placed.bottom, rect->top, rect->left, rect->bottom,
      rect->right);
}

void Run(const std::string& line) {
  std::istringstream words(line);
  std::string command;
  int n = 0;
  words >> command >> n;
  if (n < 0 || n >= kSlots) n = 0;
  if (command == "load") {
    auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(
        reinterpret_cast<void*>(GetProcAddress(g_plugin, "VSTPluginMain")));
    g_slots[n].effect = entry ? entry(HostCallback) : nullptr;
    Dispatch(n, effOpen);
    Dispatch(n, effSetSampleRate, 0, nullptr, 44100.0f);
    Log("loaded %d flags=0x%x", n, g_slots[n].effect ? g_slots[n].effect->flags : 0);
  } else if (command == "open") {
    Open(n);
  } else if (command == "close") {
    const VstIntPtr result = Dispatch(n, effEditClose);
    Log("closed %d result=%d editor=%d", n, static_cast<int>(result), EditorOf(n) != nullptr);
  } else if (command == "unload") {
    Dispatch(n, effClose);
    g_slots[n].effect = nullptr;
    Log("unloaded %d editor=%d", n, EditorOf(n) != nullptr);
    if (g_slots[n].frame) DestroyWindow(g_slots[n].frame);
    g_slots[n].frame = nullptr;
  } else if (command == "set" || command == "param") {
    int index = 0;
    float value = 0.0f;
    words >> index >> value;
    AEffect* effect = g_slots[n].effect;
    if (effect && command == "set") effect->setParameter(effect, index, value);
    Log("param %d %d %.6f", n, index, effect ? effect->getParameter(effect, index) : -1.0f);
  } else if (command == "class") {
    Log("class %d", ClassRegistered());
  } else if (command == "quit") {
    for (int slot = 0; slot < kSlots; ++slot)
      if (g_slots[slot].effect) Dispatch(slot, effClose);
    Log("quit");
    PostQuitMessage(0);
  }
}

void CALLBACK PollCommands(HWND, UINT, UINT_PTR, DWORD) {
  std::ifstream file(g_commandFile);
  std::string line;
  for (size_t number = 0; std::getline(file, line); ++number)
    if (number >= g_commandsDone) {
      ++g_commandsDone;
      Run(line);
    }
}
}  // namespace

// The DPI awareness of the windows this (the only UI) thread makes: a
// HiDPI-aware host draws for each monitor's DPI itself, an unaware one
// leaves the stretching to Windows. The thread's context rather than the
// process's: Wine fixes the process's at start-up. Looked up at run time,
// as older systems lack the call.
bool SetWindowsDpiAwareness(bool aware) {
  using SetContext = HANDLE(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleA("user32.dll");
  auto set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
  auto context = [](intptr_t value) { return reinterpret_cast<HANDLE>(value); };
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, then the first version; or
  // DPI_AWARENESS_CONTEXT_UNAWARE.
  if (!set) return false;
  if (!aware) return set(context(-1)) != nullptr;
  return set(context(-4)) != nullptr || set(context(-3)) != nullptr;
}

int main(int argc, char** argv) {
  const char* awareness = argc == 5 ? argv[4] : "";
  const bool aware = std::strcmp(awareness, "dpi-aware") == 0, unaware = std::strcmp(awareness, "dpi-unaware") == 0;
  if (argc != 4 && !aware && !unaware) {
    std::fprintf(stderr, "usage: kestrel_gui_host <plugin.dll> <command file> <log file> [dpi-aware|dpi-unaware]\n");
    return 2;
  }
  g_log = std::fopen(argv[3], "wb");  // LF line ends: the log is read on Linux
  g_plugin = LoadLibraryA(argv[1]);
  if (!g_log || !g_plugin) {
    std::fprintf(stderr, "kestrel_gui_host: cannot open the log or load %s\n", argv[1]);
    return 1;
  }
  g_commandFile = argv[2];
  if ((aware || unaware) && !SetWindowsDpiAwareness(aware)) {
    std::fprintf(stderr, "kestrel_gui_host: cannot set the windows' DPI awareness\n");
    return 1;
  }
  WNDCLASSA frameClass{};
  frameClass.lpfnWndProc = DefWindowProcA;
  frameClass.hInstance = GetModuleHandleA(nullptr);
  frameClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  frameClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  frameClass.lpszClassName = "KestrelTestHost";
  RegisterClassA(&frameClass);
  SetTimer(nullptr, 0, 30, PollCommands);
  Log("ready");
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  std::fclose(g_log);
  return 0;
}
