#pragma once
#include <cstdint>

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

// Reads the control port's atom sequence, which the host (or another
// plug-in's output routed to it) may have filled with anything: every
// header and body is checked to lie inside the sequence, and every property
// inside its object, before a byte of it is read. What is malformed, of a
// type not listed here or of the wrong size is skipped; what is left comes
// out as MIDI messages and tempos with their frame times.
//
// Pure and allocation-free: the audio thread walks a sequence in place.

struct ControlUrids {
  LV2_URID sequence = 0, frameTime = 0, midiEvent = 0, object = 0, blank = 0, timePosition = 0,
           beatsPerMinute = 0, atomFloat = 0, atomDouble = 0, atomInt = 0, atomLong = 0;
};
ControlUrids MapControlUrids(LV2_URID_Map* map);

struct ControlEvent {
  enum Kind { kMidi, kTempo };
  Kind kind = kMidi;
  int64_t frames = 0;
  uint8_t status = 0, data1 = 0, data2 = 0;  // kMidi; missing data bytes are 0
  double tempo = 0.0;                        // kTempo: finite and positive BPM
};

class ControlSequence {
 public:
  // `sequence` may be null, or not a frame-timed atom:Sequence at all:
  // then there are no events.
  ControlSequence(const LV2_Atom_Sequence* sequence, const ControlUrids& urids);

  bool AtEnd() const { return !haveEvent_; }
  const ControlEvent& Current() const { return event_; }
  void Advance();

 private:
  // Reads the event at offset_ into event_ when it is one we use.
  bool Decode(const LV2_Atom_Event& header, const uint8_t* body);
  bool DecodeTempo(const uint8_t* object, uint32_t size);

  const ControlUrids& urids_;
  const uint8_t* events_ = nullptr;  // the sequence's first event
  uint64_t size_ = 0;                // bytes from events_ to the sequence's end
  uint64_t offset_ = 0;              // of the next event to look at
  bool haveEvent_ = false;
  ControlEvent event_;
};
