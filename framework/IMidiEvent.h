#pragma once
#include <cstdint>

// One MIDI message with its frame offset inside the current block.
// Copied by value; 8 bytes like the host's own short MIDI records.
struct IMidiEvent {
  int32_t offset = 0;  // frames from the start of the current block
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
  uint8_t spare = 0;

  // 8 note off, 9 note on, 10 key pressure, 11 controller, 12 program,
  // 13 channel pressure, 14 pitch wheel; 0 for system and invalid status.
  int MessageKind() const { return (status >= 0x80 && status <= 0xEF) ? status >> 4 : 0; }
  // Note number for note off/on and key pressure, -1 otherwise.
  int KeyNumber() const { return (status >= 0x80 && status <= 0xAF) ? data1 : -1; }
  // Velocity for note off/on, -1 otherwise.
  int KeyVelocity() const { return (status >= 0x80 && status <= 0x9F) ? data2 : -1; }
  int ControllerIndex() const { return data1; }
  // Value of controller `controller` scaled to 0..1, or -1.0 when this is
  // not a message for that controller.
  double ControllerValue(int controller) const {
    if (status >= 0xB0 && status <= 0xBF && data1 == controller) return data2 * 0.007874015748031496;
    return -1.0;
  }
};
static_assert(sizeof(IMidiEvent) == 8, "IMidiEvent is an 8-byte record");
