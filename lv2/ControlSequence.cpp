#include "lv2/ControlSequence.h"

#include <cmath>
#include <cstring>

#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

namespace {

// Atoms and events start on 64-bit boundaries.
uint64_t Padded(uint64_t size) { return (size + 7) & ~uint64_t{7}; }

// Headers are copied out rather than cast in place: the bytes need not be
// aligned for the struct when a host got the layout wrong.
template <typename T>
T ReadAt(const uint8_t* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

}  // namespace

ControlUrids MapControlUrids(LV2_URID_Map* map) {
  auto id = [map](const char* uri) { return map->map(map->handle, uri); };
  ControlUrids u;
  u.sequence = id(LV2_ATOM__Sequence);
  u.frameTime = id(LV2_ATOM__frameTime);
  u.midiEvent = id(LV2_MIDI__MidiEvent);
  u.object = id(LV2_ATOM__Object);
  u.blank = id(LV2_ATOM__Blank);
  u.timePosition = id(LV2_TIME__Position);
  u.beatsPerMinute = id(LV2_TIME__beatsPerMinute);
  u.atomFloat = id(LV2_ATOM__Float);
  u.atomDouble = id(LV2_ATOM__Double);
  u.atomInt = id(LV2_ATOM__Int);
  u.atomLong = id(LV2_ATOM__Long);
  return u;
}

ControlSequence::ControlSequence(const LV2_Atom_Sequence* sequence, const ControlUrids& urids) : urids_(urids) {
  if (!sequence) return;
  const auto* bytes = reinterpret_cast<const uint8_t*>(sequence);
  const auto atom = ReadAt<LV2_Atom>(bytes);
  if (atom.type == 0 || atom.type != urids.sequence || atom.size < sizeof(LV2_Atom_Sequence_Body)) return;
  // Beat-timed sequences have no frames to play at.
  const auto body = ReadAt<LV2_Atom_Sequence_Body>(bytes + sizeof(LV2_Atom));
  if (body.unit != 0 && body.unit != urids.frameTime) return;
  events_ = bytes + sizeof(LV2_Atom_Sequence);
  size_ = atom.size - sizeof(LV2_Atom_Sequence_Body);
  Advance();
}

void ControlSequence::Advance() {
  haveEvent_ = false;
  while (!haveEvent_ && offset_ + sizeof(LV2_Atom_Event) <= size_) {
    const auto header = ReadAt<LV2_Atom_Event>(events_ + offset_);
    const uint64_t bodyAt = offset_ + sizeof(LV2_Atom_Event);
    // A body past the end leaves no trustworthy place for a next event.
    if (header.body.size > size_ - bodyAt) break;
    offset_ = bodyAt + Padded(header.body.size);
    haveEvent_ = Decode(header, events_ + bodyAt);
  }
  if (!haveEvent_) offset_ = size_;
}

bool ControlSequence::Decode(const LV2_Atom_Event& header, const uint8_t* body) {
  event_ = ControlEvent();
  event_.frames = header.time.frames;
  const uint32_t size = header.body.size;
  if (header.body.type == urids_.midiEvent && size > 0) {
    event_.status = body[0];
    event_.data1 = size > 1 ? body[1] : 0;
    event_.data2 = size > 2 ? body[2] : 0;
    return true;
  }
  if (header.body.type == urids_.object || header.body.type == urids_.blank) return DecodeTempo(body, size);
  return false;
}

// A time:Position object's time:beatsPerMinute, in any of the four number
// types at its exact size; the first such property decides.
bool ControlSequence::DecodeTempo(const uint8_t* object, uint32_t size) {
  if (size < sizeof(LV2_Atom_Object_Body) || ReadAt<LV2_Atom_Object_Body>(object).otype != urids_.timePosition)
    return false;
  for (uint64_t at = sizeof(LV2_Atom_Object_Body); at + sizeof(LV2_Atom_Property_Body) <= size;) {
    const auto property = ReadAt<LV2_Atom_Property_Body>(object + at);
    const uint64_t valueAt = at + sizeof(LV2_Atom_Property_Body);
    if (property.value.size > size - valueAt) return false;
    at = valueAt + Padded(property.value.size);
    if (property.key != urids_.beatsPerMinute) continue;
    const uint8_t* value = object + valueAt;
    const LV2_URID type = property.value.type;
    const uint32_t bytes = property.value.size;
    double tempo = 0.0;
    if (type == urids_.atomFloat && bytes == sizeof(float)) tempo = ReadAt<float>(value);
    else if (type == urids_.atomDouble && bytes == sizeof(double)) tempo = ReadAt<double>(value);
    else if (type == urids_.atomInt && bytes == sizeof(int32_t)) tempo = ReadAt<int32_t>(value);
    else if (type == urids_.atomLong && bytes == sizeof(int64_t)) tempo = static_cast<double>(ReadAt<int64_t>(value));
    if (!(std::isfinite(tempo) && tempo > 0.0)) return false;
    event_.kind = ControlEvent::kTempo;
    event_.tempo = tempo;
    return true;
  }
  return false;
}
