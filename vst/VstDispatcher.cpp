// The dispatcher: the host's entry for everything except audio and
// parameter values. Every pointer and index the host passes is checked
// before use; a request that cannot be served answers 0.
#include <cstdio>
#include <cstring>
#include <new>

#include "framework/HostText.h"
#include "framework/ITrace.h"
#include "framework/NumberFormat.h"
#include "gui/IEmbeddedWindow.h"
#include "vst/IVstBinding.h"

namespace {

constexpr VstIntPtr kIdentifyAnswer = 0x4E764566;  // 'NvEf'
constexpr VstIntPtr kVendorSpecificAnswer = 0xBEEF;
constexpr VstIntPtr kVstVersion = 2400;
constexpr int kVendorSpecificDisplayText = 7;
// A host's display scale: index 'PreS', value 'AeCs', the factor in opt.
constexpr VstInt32 kVendorScaleIndex = 0x50726553;
constexpr VstIntPtr kVendorScaleValue = 0x41654373;

// Capability texts and whether answering 1 needs MIDI.
struct Capability {
  const char* text;
  bool needsMidi;
};
constexpr Capability kCapabilities[] = {
    {"receiveVstTimeInfo", false}, {"sendVstEvents", true},       {"sendVstMidiEvent", true},
    {"receiveVstEvents", true},    {"receiveVstMidiEvent", true}, {"supportsViewDpiScaling", false},
    {"bypass", false},
};

// Exact comparison of a host text with a known one that never reads more
// than the known text's length plus its terminator.
bool SameText(const char* hostText, const char* known) {
  return std::strncmp(hostText, known, std::strlen(known) + 1) == 0;
}

// The texts a host asks for land in buffers it sized by the VST 2.4
// conventions, not by this plug-in's own text sizes (which it keeps whole
// everywhere else). Each copy is cut to the characters the widely used
// wrappers allow for, then the NUL. Parameter names get more than the SDK's
// 8 characters: hosts reserve room for longer ones.
enum class HostText { kProgramName, kParameterName, kParameterLabel, kParameterDisplay, kEffectName, kVendor, kProduct };
constexpr int kHostTextLength[] = {24, 16, 8, 24, 32, 64, 64};

void CopyToHost(char* out, const char* text, HostText kind) {
  CopyTextForHost(out, text, kHostTextLength[static_cast<int>(kind)] + 1);
}

}  // namespace

VstIntPtr IVstBinding::VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                     float opt) {
  IVstBinding* plugin = FromEffect(effect);
  if (!plugin) return 0;
  try {
    if (opcode == effClose) {
      {
        LockGuard guard(*plugin);
        TracePoint("IVstBinding::VSTDispatcher", __LINE__, "%d(%s):%d:%d", opcode, "", index,
                   static_cast<int>(value));
      }
      // The lock lives inside the object, so it is released before the
      // object goes; the host must not call from another thread now.
      delete plugin;
      return 0;
    }
    // Editor idle, keys and close run without the plug-in lock: the editor
    // reaches the plug-in only through its lock-free edit path, and calls
    // the host (automation, edit gestures) with nothing held.
    if (opcode == effEditIdle) return plugin->EditIdle();
    if (opcode == effVendorSpecific && index == kVendorScaleIndex && value == kVendorScaleValue)
      return plugin->EditScale(opt);
    if (opcode == effEditClose) return plugin->EditClose();
    if (opcode == effEditKeyDown || opcode == effEditKeyUp)
      return plugin->EditKey(index, static_cast<int>(value), TruncateToInt(opt),
                             opcode == effEditKeyDown);
    // Often sent from the audio thread: it must not wait while another
    // thread holds the plug-in lock for a state load.
    if (opcode == effProcessEvents) return plugin->ProcessEvents(static_cast<const VstEvents*>(ptr));
    LockGuard guard(*plugin);
    if (opcode == effIdle) return 0;
    TracePoint("IVstBinding::VSTDispatcher", __LINE__, "%d(%s):%d:%d", opcode, "", index, static_cast<int>(value));
    return plugin->Dispatch(opcode, index, value, ptr, opt);
  } catch (...) {
    // Nothing may cross into the host; out of memory on a chunk is the
    // likely cause, and the answer is a plain failure.
    return 0;
  }
}

VstIntPtr IVstBinding::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  IParameter* parameter = Parameter(index);  // null for an invalid index
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effOpen:
      HostSpecificSetup();
      NotifyAllParametersChanged();
      return 0;
    case effSetProgram:
      return SetProgram(value);
    case effGetProgram:
      return CurrentPreset();
    case effSetProgramName:
      if (text) {
        // The host's text need not end within a slot name's length: no
        // more than that is read.
        char name[IPreset::kNameSize];
        CopyText(name, text, IPreset::kNameSize);
        ModifyCurrentPreset(name);
        editedSinceLoad_ = false;  // the slot now holds the current values
        PresetListEdited();
      }
      return 0;
    case effGetProgramName:
      if (text) CopyToHost(text, PresetName(CurrentPreset()), HostText::kProgramName);
      return 0;
    case effGetParamLabel:
      if (parameter && text) CopyToHost(text, parameter->Label(), HostText::kParameterLabel);
      return 0;
    case effGetParamDisplay:
      if (parameter && text) {
        char display[IParameter::kTextSize];
        parameter->DisplayText(parameter->Value(), false, display, true);
        CopyToHost(text, display, HostText::kParameterDisplay);
      }
      return 0;
    case effGetParamName:
      if (parameter && text) CopyToHost(text, parameter->Name(), HostText::kParameterName);
      return 0;
    case effSetSampleRate:
      // A refused rate leaves the stored rate and the running engine as
      // they are: no reset at a rate the engine would not take.
      if (StoreSampleRate(opt)) ClearProcessingState();
      return 0;
    case effSetBlockSize:
      SetBlockFrames(static_cast<int>(value < 1 ? BlockFrames() : value > kMaxBlockFrames ? kMaxBlockFrames : value));
      ClearProcessingState();
      return 0;
    case effMainsChanged:
      ActivationChanged(value != 0);
      if (value == 0) ClearProcessingState();
      return 0;
    case effEditGetRect:
      if (!ptr || !EditorView()) return 0;
      EditorRectNow();
      *static_cast<ERect**>(ptr) = &editorRect_;
      return 1;
    case effEditOpen:
      return EditOpen(ptr);
    case effIdentify:
      return kIdentifyAnswer;
    case effGetChunk:
      return GetChunk(index == 0, ptr);
    case effSetChunk:
      return SetChunk(index == 0, value, ptr);
    case effCanBeAutomated:
      return 1;
    case effString2Parameter:
      return StringToParameter(index, text);
    case effGetProgramNameIndexed:
      if (!text) return 0;
      CopyToHost(text, PresetName(index), HostText::kProgramName);
      return text[0] != '\0' ? 1 : 0;
    case effGetInputProperties:
      return PinProperties(true, index, static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties:
      return PinProperties(false, index, static_cast<VstPinProperties*>(ptr));
    case effGetPlugCategory:
      return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement:
      return SetSpeakerArrangement(reinterpret_cast<const VstSpeakerArrangement*>(value),
                                   static_cast<const VstSpeakerArrangement*>(ptr));
    case effGetEffectName:
      if (!text) return 0;
      CopyToHost(text, EffectName(), HostText::kEffectName);
      return 1;
    case effGetVendorString:
      if (!text) return 0;
      CopyToHost(text, MakerName(), HostText::kVendor);
      return 1;
    case effGetProductString:
      if (!text) return 0;
      CopyToHost(text, ProductName(), HostText::kProduct);
      return 1;
    case effVendorSpecific: {
      if (index != kVendorSpecificDisplayText || !text) return 0;
      const IParameter* shown = value >= 0 && value < ParameterCount() ? Parameter(static_cast<int>(value)) : nullptr;
      if (shown) {
        char display[IParameter::kTextSize];
        shown->DisplayText(opt, true, display, true);
        CopyToHost(text, display, HostText::kParameterDisplay);
      }
      return kVendorSpecificAnswer;
    }
    case effCanDo:
      return CanDo(text);
    case effSetBypass:
      // Soft bypass: the effect crossfades to its input and keeps running.
      hostBypass_.store(value != 0, std::memory_order_relaxed);
      return 1;
    case effGetVstVersion:
      return kVstVersion;
    case effGetMidiKeyName: {
      auto* key = static_cast<MidiKeyName*>(ptr);
      if (!key) return 0;
      key->keyName[0] = '\0';
      const bool named = KeyNameFor(key->thisKeyNumber, key->keyName);
      key->keyName[kVstMaxNameLen - 1] = '\0';
      return named ? 1 : 0;
    }
    case effGetSpeakerArrangement:
      if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement_;
      if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement_;
      return 1;
    default:
      // effEditIdle and effIdle never get here; effProcessVarIo,
      // tail size, parameter properties, program begin/end, start/stop
      // and precision announcements need nothing from this plug-in.
      return 0;
  }
}

VstIntPtr IVstBinding::CanDo(const char* text) {
  if (!text) return 0;
  TracePoint("IVstBinding::VSTDispatcher", __LINE__, "VSTCanDo(%s)", text);
  for (const Capability& capability : kCapabilities)
    if ((!capability.needsMidi || doesMidi_) && SameText(text, capability.text)) return 1;
  return 0;
}

VstIntPtr IVstBinding::PinProperties(bool input, int index, VstPinProperties* pin) const {
  const int count = input ? InputChannelCount() : OutputChannelCount();
  if (!pin || index < 0 || index >= count) return 0;
  pin->flags = kVstPinIsActive;
  if (index % 2 == 0 && index + 1 < count) pin->flags |= kVstPinIsStereo;
  std::snprintf(pin->label, sizeof pin->label, "%s %d", input ? "Input" : "Output", index + 1);
  return 1;
}

VstIntPtr IVstBinding::SetSpeakerArrangement(const VstSpeakerArrangement* input,
                                             const VstSpeakerArrangement* output) {
  // The proposed counts only decide which channels are connected; a count
  // outside 0..channels is limited to it.
  if (input) {
    const int total = InputChannelCount();
    const int c = input->numChannels < 0 ? 0 : input->numChannels > total ? total : input->numChannels;
    ConnectInputs(0, c, true);
    ConnectInputs(c, total - c, false);
  }
  if (output) {
    const int total = OutputChannelCount();
    const int c = output->numChannels < 0 ? 0 : output->numChannels > total ? total : output->numChannels;
    ConnectOutputs(0, c, true);
    ConnectOutputs(c, total - c, false);
  }
  return 1;
}

VstIntPtr IVstBinding::ProcessEvents(const VstEvents* events) {
  if (!events) return 0;
  TracePoint("IVstBinding::VSTDispatcher", __LINE__, "%d(%s):%d:%d", effProcessEvents, "", 0, 0);
  // No lock: the effect takes the events without waiting (often this is
  // the audio thread itself, and the lock's holder may be reallocating).
  QueueMidiEvents(*events);
  // Not ours to interpret: handed back, with nothing held.
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    VstEvent* event = events->events[i];
    if (event && event->type != kVstMidiType) SendEventToHost(event);
  }
  return 1;
}

void IVstBinding::QueueMidiEvents(const VstEvents& events) {
  for (VstInt32 i = 0; i < events.numEvents; ++i) {
    VstEvent* event = events.events[i];
    if (!event || event->type != kVstMidiType) continue;
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
    IMidiEvent message;
    // Frames from the next block's start, as the host stamped them: the
    // processing core places them within that block.
    message.offset = midi->deltaFrames;
    message.status = static_cast<uint8_t>(midi->midiData[0]);
    message.data1 = static_cast<uint8_t>(midi->midiData[1]);
    message.data2 = static_cast<uint8_t>(midi->midiData[2]);
    HandleMidiEvent(message);
  }
}

// The attached view's window, when the view has one (a view that does not
// is never opened: effEditOpen answers 0).
static IEmbeddedWindow* WindowOf(IAttachedEditor* view) { return dynamic_cast<IEmbeddedWindow*>(view); }

VstIntPtr IVstBinding::EditOpen(void* parentWindow) {
  IEmbeddedWindow* window = WindowOf(EditorView());
  // The window's display may say another scale than the rectangle the host
  // was given: the host learns the size the window really has.
  const ERect said = editorRect_;
  if (!window || !window->OpenWindow(parentWindow)) return 0;
  EditorDidOpen();
  EditorSizeChanged();
  if (said.right != editorRect_.right || said.bottom != editorRect_.bottom) AskHostToResize();
  return 1;
}

VstIntPtr IVstBinding::EditScale(float factor) {
  IEmbeddedWindow* window = WindowOf(EditorView());
  if (!window || !(factor > 0.0f)) return 0;
  window->SetHostScale(factor);  // a change reaches EditorResized
  return 1;
}

void IVstBinding::EditorRectNow() {
  IEmbeddedWindow* window = WindowOf(EditorView());
  if (window && !window->GetWindow()) window->QuerySystemScale();
  EditorSizeChanged();
}

void IVstBinding::EditorResized() {
  EditorSizeChanged();
  IEmbeddedWindow* window = WindowOf(EditorView());
  if (window && window->GetWindow()) AskHostToResize();
}

void IVstBinding::AskHostToResize() {
  // Only a host that says it can: others ignore the call or, worse,
  // misread it.
  char sizeWindow[] = "sizeWindow";
  if (CallHost(audioMasterCanDo, 0, 0, sizeWindow, 0.0f) != 1) return;
  CallHost(audioMasterSizeWindow, editorRect_.right, editorRect_.bottom, nullptr, 0.0f);
}

VstIntPtr IVstBinding::EditIdle() {
  if (IEmbeddedWindow* window = WindowOf(EditorView())) window->IdleWindow();
  return 0;
}

VstIntPtr IVstBinding::EditKey(int character, int virtualKey, int modifiers, bool down) {
  IEmbeddedWindow* window = WindowOf(EditorView());
  return window && window->HostKey(character, virtualKey, modifiers, down) ? 1 : 0;
}

VstIntPtr IVstBinding::EditClose() {
  IAttachedEditor* view = EditorView();
  if (!view) return 0;
  {
    LockGuard guard(*this);
    TracePoint("IVstBinding::EditClose", __LINE__, "%d", effEditClose);
    EditorWillClose();
  }
  // Outside the lock: a drag the close cuts short ends with the host's
  // end-edit call.
  if (IEmbeddedWindow* window = WindowOf(view)) window->CloseWindow();
  return 1;
}
