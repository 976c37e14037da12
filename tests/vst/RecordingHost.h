#pragma once
// A host callback that records every request a plug-in makes and answers
// from settings the test controls. One host is active at a time; the
// callback (a plain function, as hosts pass it) forwards to it.
// Recording is thread-safe: stress tests call in from several threads.

#include <mutex>
#include <string>
#include <vector>

#include "vst/VstAbi.h"

struct HostCall {
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  float opt;
  AEffect* effect;
  std::vector<VstEvent> events;  // copies, for audioMasterProcessEvents
};

class RecordingHost {
 public:
  RecordingHost();
  ~RecordingHost();
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                            float opt);

  // ---- Answers -------------------------------------------------------------
  std::string product = "Recording Host";
  VstIntPtr vendorVersion = 20304;  // 2.3.4
  bool answerTime = true;           // false: audioMasterGetTime returns null
  VstTimeInfo time{};               // returned for audioMasterGetTime
  VstIntPtr processEventsAnswer = 1;
  bool canSizeWindow = false;       // canDo("sizeWindow") and audioMasterSizeWindow answer 1

  // ---- Record ----------------------------------------------------------------
  std::vector<HostCall> Calls() const;
  int Count(VstInt32 opcode) const;
  std::vector<HostCall> CallsOf(VstInt32 opcode) const;
  void Clear();

 private:
  VstIntPtr Answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

  mutable std::mutex mutex_;
  std::vector<HostCall> calls_;
};
