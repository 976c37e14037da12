// Every thread a busy host runs, at once, on one Brume instance, for
// KESTREL_STRESS_SECONDS (4 s by default): an audio thread (MIDI, then a
// 256-frame block, back to back), a host thread storming every parameter
// (set, get, display text, the matrix page switch), a state thread (program
// changes, bank and program chunks saved and restored, some of them cut
// short) and, on Linux, an editor thread: the editor open in a window of a
// private Xvfb, effEditIdle in a loop while xdotool drags, clicks and turns
// the wheel on it. Run under ThreadSanitizer (label "stress"), which makes
// the process fail on any data race it sees.
//
// The second case is a host model: its automation handler takes the mutex
// its audio thread holds around processReplacing, as some hosts do. A
// plug-in that calls the host while holding what the audio callback waits
// for deadlocks such a host on the first edit; here the handler waits at
// most kStallTimeout and the case fails instead of hanging.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "effect/ParameterIds.h"
#include "tests/vst/PluginFile.h"
#ifndef _WIN32
#include <sys/wait.h>

#include "tests/x11/X11TestHost.h"
#endif

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kBlock = 256;
constexpr auto kStallTimeout = std::chrono::seconds(2);

double StressSeconds() {
  const char* text = std::getenv("KESTREL_STRESS_SECONDS");
  const double seconds = text ? std::atof(text) : 0.0;
  return seconds > 0.0 ? seconds : 4.0;
}

// ---- Host model: thread-safe; records the edits the plug-in reports -------------

struct StressHost {
  VstTimeInfo time{};
  bool lockAroundProcess = false;
  std::mutex processMutex;  // held by the audio thread around processReplacing
  std::atomic<long> automate{0}, stalls{0};
  std::mutex editMutex;
  std::vector<int> openEdits = std::vector<int>(kParameterCount, 0);  // begin minus end, per parameter
  long begins = 0, unbalanced = 0, automateOutsideEdit = 0, endWithoutBegin = 0;
};
StressHost* g_host = nullptr;
thread_local bool t_audioThread = false;

VstIntPtr HostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
  StressHost& host = *g_host;
  if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&host.time);
  if (opcode == audioMasterVersion) return 2400;
  const bool edit = opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit;
  if (!edit) return opcode == audioMasterProcessEvents ? 1 : 0;
  std::unique_lock<std::mutex> process(host.processMutex, std::defer_lock);
  // A real host of this kind would wait for ever here; the timeout turns
  // that into a failure. One stall is the verdict: later calls go unlocked
  // so the run still ends in time. (Polled with try_lock: ThreadSanitizer
  // does not see the clock-based lock that std::timed_mutex uses.)
  if (host.lockAroundProcess && !t_audioThread && host.stalls == 0) {
    const auto limit = Clock::now() + kStallTimeout;
    while (!process.try_lock() && Clock::now() < limit) std::this_thread::sleep_for(std::chrono::microseconds(50));
    if (!process.owns_lock()) ++host.stalls;
  }
  std::lock_guard<std::mutex> guard(host.editMutex);
  if (index < 0 || index >= kParameterCount) return ++host.unbalanced, 0;
  // Open edits per parameter: begin counts up, end down (never below 0).
  int& open = host.openEdits[static_cast<size_t>(index)];
  if (opcode == audioMasterAutomate) {
    ++host.automate;
    host.automateOutsideEdit += open > 0 ? 0 : 1;
  } else if (opcode == audioMasterBeginEdit) {
    ++host.begins, ++open;
  } else {
    if (open > 0) --open;
    else ++host.endWithoutBegin;
  }
  return 0;
}

// ---- Threads ----------------------------------------------------------------------

struct Counts {
  std::atomic<long> blocks{0}, nonFinite{0}, automations{0}, programs{0}, chunkLoads{0}, failedIntactLoads{0},
      damagedLoads{0}, idles{0}, gestures{0}, failedGestures{0};
};

void AudioThread(AEffect* effect, StressHost& host, Counts& counts, const std::atomic<bool>& stop) {
  t_audioThread = true;
  std::vector<float> in[2], out[2];
  for (int c = 0; c < 2; ++c) in[c].resize(kBlock), out[c].resize(kBlock);
  float* ins[2] = {in[0].data(), in[1].data()};
  float* outs[2] = {out[0].data(), out[1].data()};
  std::mt19937 random(1);
  std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
  for (long n = 0; !stop; ++n) {
    VstMidiEvent notes[2] = {};
    for (int i = 0; i < 2; ++i) {
      notes[i].type = kVstMidiType;
      notes[i].byteSize = sizeof(VstMidiEvent);
      notes[i].deltaFrames = static_cast<VstInt32>(random() % kBlock);
      notes[i].midiData[0] = static_cast<char>(i == 0 ? (n % 2 ? 0x90 : 0x80) : 0xB0);
      notes[i].midiData[1] = static_cast<char>(i == 0 ? 36 + random() % 48 : 1);
      notes[i].midiData[2] = static_cast<char>(random() % 128);
    }
    struct {
      VstInt32 numEvents;
      VstIntPtr reserved;
      VstEvent* events[2];
    } list{2, 0, {reinterpret_cast<VstEvent*>(&notes[0]), reinterpret_cast<VstEvent*>(&notes[1])}};
    for (auto& channel : in)
      for (float& v : channel) v = sample(random);
    std::unique_lock<std::mutex> process(host.processMutex, std::defer_lock);
    if (host.lockAroundProcess) process.lock();
    Dispatch(effect, effProcessEvents, 0, 0, &list);
    effect->processReplacing(effect, ins, outs, kBlock);
    if (process.owns_lock()) process.unlock();
    for (auto& channel : out)
      for (float v : channel) counts.nonFinite += std::isfinite(v) ? 0 : 1;
    ++counts.blocks;
  }
}

// Every parameter in turn with random values, the host's own reads and
// display texts, and the matrix page switched back and forth.
void AutomationThread(AEffect* effect, Counts& counts, const std::atomic<bool>& stop) {
  std::mt19937 random(2);
  std::uniform_real_distribution<float> value(0.0f, 1.0f);
  char text[64];
  for (long n = 0; !stop; ++n) {
    const int index = static_cast<int>(n % kParameterCount);
    effect->setParameter(effect, index, value(random));
    (void)effect->getParameter(effect, static_cast<int>(random() % kParameterCount));
    Dispatch(effect, effGetParamDisplay, index, 0, text);
    if (n % 16 == 0) effect->setParameter(effect, kMatrixTab, (n / 16) % 2 ? 1.0f : 0.0f);
    ++counts.automations;
  }
}

// Program changes and chunk round trips, bank (index 0) and program (1);
// every fourth load gets a copy cut short, as a damaged project file would.
// The host's bypass switches on and off meanwhile.
void StateThread(AEffect* effect, Counts& counts, const std::atomic<bool>& stop) {
  std::mt19937 random(3);
  for (long n = 0; !stop; ++n) {
    if (n % 5 == 0) Dispatch(effect, effSetBypass, 0, (n / 5) % 2);
    if (n % 3 == 0) {
      Dispatch(effect, effSetProgram, 0, static_cast<VstIntPtr>(random() % 20));
      ++counts.programs;
      continue;
    }
    const VstInt32 isProgram = n % 2 ? 1 : 0;
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effect, effGetChunk, isProgram, 0, &data);
    if (size <= 0 || !data) {
      ++counts.failedIntactLoads;
      continue;
    }
    // The buffer is the plug-in's; the host keeps a copy, as a project save does.
    std::vector<char> copy(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    const bool damaged = n % 4 == 0;
    const VstIntPtr cut = std::min<VstIntPtr>(size, n % 8 == 0 ? 12 : size / 2 + 1);
    const VstIntPtr loaded = Dispatch(effect, effSetChunk, isProgram, damaged ? cut : size, copy.data());
    if (damaged) ++counts.damagedLoads;
    else counts.failedIntactLoads += loaded == 1 ? 0 : 1;
    ++counts.chunkLoads;
  }
}

#ifndef _WIN32
// Pointer gestures on the editor, in screen coordinates (the host window
// sits at the screen's top-left corner): drags, wheel notches and double
// clicks on read-outs, the page selector, a source menu opened and chosen
// from or dismissed.
std::vector<std::string> GestureScript(std::mt19937& random) {
  static const int kReadOuts[][2] = {{530, 95},  {530, 170}, {530, 270}, {530, 370}, {68, 112}, {155, 112},
                                     {68, 187},  {155, 282}, {215, 282}, {215, 447}, {337, 447}, {500, 447},
                                     {612, 112}, {612, 282}, {700, 357}, {612, 447}};
  std::vector<std::string> args{"xdotool"};
  const auto add = [&](std::initializer_list<std::string> words) { args.insert(args.end(), words); };
  for (int step = 0; step < 12; ++step) {
    const auto& at = kReadOuts[random() % (sizeof kReadOuts / sizeof kReadOuts[0])];
    const std::string x = std::to_string(at[0]), y = std::to_string(at[1]);
    switch (random() % 6) {
      case 0:
      case 1:
        add({"mousemove", x, y, "mousedown", "1", "mousemove", x, std::to_string(at[1] - 9), "mousemove", x,
             std::to_string(at[1] + 5), "mouseup", "1"});
        break;
      case 2: add({"mousemove", x, y, "click", random() % 2 ? "4" : "5"}); break;
      case 3: add({"mousemove", x, y, "click", "--repeat", "2", "--delay", "60", "1"}); break;
      case 4: add({"mousemove", random() % 2 ? "480" : "600", "47", "click", "1"}); break;
      default: {
        // A source menu; then a row of it (it opens below the click) or a
        // click elsewhere that closes it.
        const int menuY = 95 + 25 * static_cast<int>(random() % 4);
        add({"mousemove", "300", std::to_string(menuY), "click", "1"});
        if (random() % 2) add({"mousemove", "330", std::to_string(menuY + 30), "click", "1"});
        else add({"mousemove", "700", "300", "click", "1"});
      }
    }
    add({"sleep", "0.02"});
  }
  return args;
}

bool XdotoolWorks() {
  const pid_t pid = Spawn({"xdotool", "version"});
  int status = 1;
  return pid && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The host's UI thread: X events reach the editor only inside effEditIdle,
// so it idles all the time while one gesture script after the other runs.
void EditorThread(AEffect* effect, Counts& counts, const std::atomic<bool>& stop) {
  std::mt19937 random(4);
  while (!stop) {
    const pid_t pid = Spawn(GestureScript(random));
    if (!pid) {
      ++counts.failedGestures;
      return;
    }
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      Dispatch(effect, effEditIdle);
      ++counts.idles;
      std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    for (int i = 0; i < 5; ++i) Dispatch(effect, effEditIdle), ++counts.idles;
    ++counts.gestures;
    counts.failedGestures += WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
  }
}
#endif

// ---- One run ------------------------------------------------------------------------

void RunStress(bool lockAroundProcess, bool withHostThreads) {
  StressHost host;
  host.lockAroundProcess = lockAroundProcess;
  host.time.sampleRate = 48000.0;
  host.time.tempo = 140.0;
  host.time.flags = kVstTempoValid | kVstTransportPlaying;
  g_host = &host;
  static const PluginFile* file = new PluginFile;  // kept loaded, as hosts keep plug-ins
  ASSERT_TRUE(file->Loaded()) << file->Error();
  AEffect* effect = file->Main()(&HostCallback);
  ASSERT_NE(effect, nullptr);
  Dispatch(effect, effOpen);
  Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
  Dispatch(effect, effSetBlockSize, 0, kBlock);
  Dispatch(effect, effMainsChanged, 0, 1);

  bool editorOpen = false;
#ifndef _WIN32
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 815, 500, 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);
  editorOpen = Dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(parent)) == 1;
  EXPECT_TRUE(editorOpen);
#endif

  Counts counts;
  std::atomic<bool> stop{false}, finished{false};
  // A stuck thread would keep the joins below waiting for ever: end the
  // process with a message instead of leaving it to CTest's timeout.
  std::thread watchdog([&] {
    const auto limit = Clock::now() + std::chrono::duration<double>(StressSeconds() + 60.0);
    while (!finished && Clock::now() < limit) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!finished) std::fprintf(stderr, "stress: threads still running 60 s after the end: hung\n"), std::_Exit(3);
  });
  std::vector<std::thread> threads;
  threads.emplace_back(AudioThread, effect, std::ref(host), std::ref(counts), std::cref(stop));
  if (withHostThreads) {
    threads.emplace_back(AutomationThread, effect, std::ref(counts), std::cref(stop));
    threads.emplace_back(StateThread, effect, std::ref(counts), std::cref(stop));
  }
#ifndef _WIN32
  if (editorOpen) threads.emplace_back(EditorThread, effect, std::ref(counts), std::cref(stop));
#endif
  std::this_thread::sleep_for(std::chrono::duration<double>(StressSeconds()));
  stop = true;
  for (auto& thread : threads) thread.join();
  finished = true;
  watchdog.join();

#ifndef _WIN32
  if (editorOpen) Dispatch(effect, effEditClose);
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
#endif
  Dispatch(effect, effMainsChanged, 0, 0);
  Dispatch(effect, effClose);
  g_host = nullptr;

  EXPECT_EQ(counts.nonFinite.load(), 0);
  EXPECT_GT(counts.blocks.load(), 0);
  EXPECT_EQ(host.stalls.load(), 0) << "an edit called the host while holding what processReplacing waits for: "
                                      "this host would have deadlocked";
  if (withHostThreads) {
    EXPECT_GT(counts.automations.load(), 0);
    EXPECT_GT(counts.programs.load(), 0);
    EXPECT_GT(counts.damagedLoads.load(), 0);
    EXPECT_GT(counts.chunkLoads.load(), counts.damagedLoads.load());
    EXPECT_EQ(counts.failedIntactLoads.load(), 0) << "chunks the plug-in wrote itself always load";
  }
  if (editorOpen) {
    EXPECT_GT(counts.gestures.load(), 0);
    EXPECT_EQ(counts.failedGestures.load(), 0) << "xdotool failed";
    EXPECT_GT(host.automate.load(), 0) << "the editor's gestures reached the host";
    EXPECT_GT(host.begins, 0);
    EXPECT_EQ(host.unbalanced, 0) << "an edit reported for an index out of range";
    int open = 0;
    for (int edits : host.openEdits) open += edits;
    EXPECT_EQ(open, 0) << "a begin edit never ended";
    EXPECT_EQ(host.automateOutsideEdit, 0) << "a value sent outside its begin/end pair";
    EXPECT_EQ(host.endWithoutBegin, 0) << "an end edit the host never saw begin";
  }
  ::testing::Test::RecordProperty("blocks", static_cast<int>(counts.blocks.load()));
  ::testing::Test::RecordProperty("gestures", static_cast<int>(counts.gestures.load()));
  ::testing::Test::RecordProperty("automate", static_cast<int>(host.automate.load()));
}

#ifndef _WIN32
// Skips (rather than fails) where the machine cannot show the editor.
bool EditorCanRun(std::string& why) {
  if (!StartPrivateXvfb()) return why = "Xvfb is not available", false;
  if (!XdotoolWorks()) return why = "xdotool is not available", false;
  return true;
}
#endif

}  // namespace

TEST(Stress, AudioHostStateAndEditorThreadsOnOneInstance) {
#ifndef _WIN32
  std::string why;
  if (!EditorCanRun(why)) GTEST_SKIP() << why;
#endif
  RunStress(false, true);
}

TEST(Stress, EditorEditsDoNotDeadlockAHostThatLocksAroundProcess) {
#ifdef _WIN32
  GTEST_SKIP() << "needs the X11 editor";
#else
  std::string why;
  if (!EditorCanRun(why)) GTEST_SKIP() << why;
  RunStress(true, false);
#endif
}
