#include "tests/effect/KestrelTestHost.h"

#include <cstring>

#include "vst/VstAbi.h"

namespace {

double gTempo = 120.0;
int gTimeRequests = 0;
VstTimeInfo gTimeInfo;

VstIntPtr TestHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (opcode == audioMasterGetTime) {
    ++gTimeRequests;
    std::memset(&gTimeInfo, 0, sizeof gTimeInfo);
    gTimeInfo.sampleRate = 44100.0;
    if (gTempo > 0) {
      gTimeInfo.tempo = gTempo;
      gTimeInfo.flags = kVstTempoValid;
    }
    return reinterpret_cast<VstIntPtr>(&gTimeInfo);
  }
  return 0;
}

}  // namespace

KestrelTestHost::KestrelTestHost(double sampleRate) {
  gTempo = 120.0;
  gTimeRequests = 0;
  effect_ = std::make_unique<Kestrel>(&TestHostCallback);
  IEffectBase::LockGuard lock(*effect_);
  effect_->StoreSampleRate(sampleRate);
  effect_->ClearProcessingState();
  effect_->NotifyAllParametersChanged();
}

KestrelTestHost::~KestrelTestHost() = default;

void KestrelTestHost::SetTempo(double bpm) { gTempo = bpm; }
int KestrelTestHost::TimeRequests() { return gTimeRequests; }
void KestrelTestHost::ResetTimeRequests() { gTimeRequests = 0; }

void KestrelTestHost::Set(int index, double value) {
  IEffectBase::LockGuard lock(*effect_);
  effect_->Parameter(index)->SetClamped(value);
  effect_->ParameterChanged(index);
}

bool KestrelTestHost::LoadPreset(int index) {
  IEffectBase::LockGuard lock(*effect_);
  return effect_->LoadPreset(index);
}

void KestrelTestHost::Process(const double* inL, const double* inR, double* outL, double* outR,
                              int frames) {
  double* inputs[2] = {const_cast<double*>(inL), const_cast<double*>(inR)};
  double* outputs[2] = {outL, outR};
  IEffectBase::LockGuard lock(*effect_);
  effect_->ProcessDouble(inputs, outputs, frames);
}

void KestrelTestHost::ProcessConstant(double left, double right, int frames,
                                      std::vector<double>& outL, std::vector<double>& outR) {
  std::vector<double> inL(frames, left), inR(frames, right);
  outL.assign(frames, 0.0);
  outR.assign(frames, 0.0);
  Process(inL.data(), inR.data(), outL.data(), outR.data(), frames);
}
