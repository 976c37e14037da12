// The control port's reader on hand-made sequences, each copied into a heap
// block of exactly its size, so a read past the end is a sanitizer report
// under the linux-asan preset.
#include <gtest/gtest.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "lv2/ControlSequence.h"
#include "tests/lv2/Lv2Host.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) { b.insert(b.end(), reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 4); }
void Put64(Bytes& b, uint64_t v) { b.insert(b.end(), reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 8); }
void Pad(Bytes& b) { b.resize((b.size() + 7) & ~size_t{7}); }
uint32_t Get32(const Bytes& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}
void Set32(Bytes& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }

class Lv2ControlSequence : public ::testing::Test {
 protected:
  Lv2ControlSequence() : u_(MapControlUrids(urids_.Map())) {}

  // Atom header and body of an empty frame-timed sequence.
  Bytes Sequence() const {
    Bytes b;
    Put32(b, 8), Put32(b, u_.sequence), Put32(b, 0), Put32(b, 0);
    return b;
  }
  // An event whose body header states `declared` bytes (the body given may
  // be shorter: the sequence then ends inside it).
  static void Event(Bytes& b, int64_t frames, uint32_t type, const Bytes& body, uint32_t declared) {
    Put64(b, static_cast<uint64_t>(frames));
    Put32(b, declared), Put32(b, type);
    b.insert(b.end(), body.begin(), body.end());
  }
  static void Event(Bytes& b, int64_t frames, uint32_t type, const Bytes& body) {
    Event(b, frames, type, body, static_cast<uint32_t>(body.size()));
    Pad(b);
  }
  // A time:Position object body: id, otype, then the properties.
  Bytes Position() const {
    Bytes o;
    Put32(o, 0), Put32(o, u_.timePosition);
    return o;
  }
  static void Property(Bytes& o, uint32_t key, uint32_t type, const Bytes& value, uint32_t declared) {
    Put32(o, key), Put32(o, 0), Put32(o, declared), Put32(o, type);
    o.insert(o.end(), value.begin(), value.end());
  }
  // A number atom's body in `type` (Float, Double, Int or Long).
  Bytes Bpm(uint32_t type, double bpm) const {
    const float f = static_cast<float>(bpm);
    const int32_t i = static_cast<int32_t>(bpm);
    const int64_t l = static_cast<int64_t>(bpm);
    const void* v = type == u_.atomFloat ? static_cast<const void*>(&f) : type == u_.atomDouble ? &bpm
                    : type == u_.atomInt ? static_cast<const void*>(&i) : &l;
    const size_t size = type == u_.atomFloat || type == u_.atomInt ? 4 : 8;
    return Bytes(static_cast<const uint8_t*>(v), static_cast<const uint8_t*>(v) + size);
  }
  // The sequence's stated size becomes what the bytes hold.
  static void Close(Bytes& b) { Set32(b, 0, static_cast<uint32_t>(b.size() - 8)); }

  std::vector<ControlEvent> Read(const Bytes& bytes) const {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    std::vector<ControlEvent> events;
    for (ControlSequence s(reinterpret_cast<const LV2_Atom_Sequence*>(exact.get()), u_); !s.AtEnd(); s.Advance())
      events.push_back(s.Current());
    return events;
  }

  UridMap urids_;
  ControlUrids u_;
  const Bytes noteOn_{0x90, 60, 100};
};

bool Same(const ControlEvent& a, const ControlEvent& b) {
  return a.kind == b.kind && a.frames == b.frames && a.status == b.status && a.data1 == b.data1 &&
         a.data2 == b.data2 && a.tempo == b.tempo;
}
ControlEvent Midi(int64_t frames, uint8_t status, uint8_t d1 = 0, uint8_t d2 = 0) {
  ControlEvent e;
  e.frames = frames, e.status = status, e.data1 = d1, e.data2 = d2;
  return e;
}
ControlEvent Tempo(int64_t frames, double bpm) {
  ControlEvent e;
  e.kind = ControlEvent::kTempo, e.frames = frames, e.tempo = bpm;
  return e;
}

TEST_F(Lv2ControlSequence, AnObjectEventShorterThanItsObjectHeaderIsSkipped) {
  Bytes b = Sequence();
  Event(b, 0, u_.object, {1, 0, 0, 0});  // the id only; the otype would be past the end
  Close(b);
  EXPECT_TRUE(Read(b).empty());
  Bytes next = Sequence();
  Event(next, 0, u_.blank, {1, 0, 0, 0});
  Event(next, 5, u_.midiEvent, noteOn_);
  Close(next);
  ASSERT_EQ(Read(next).size(), 1u);
  EXPECT_TRUE(Same(Read(next)[0], Midi(5, 0x90, 60, 100)));
}

TEST_F(Lv2ControlSequence, ABpmValueRunningPastTheEndOfItsObjectIsIgnored) {
  Bytes o = Position();
  Property(o, u_.beatsPerMinute, u_.atomDouble, Bytes(4, 0x40), 8);  // half of its double
  Bytes b = Sequence();
  Event(b, 0, u_.object, o);
  Close(b);
  EXPECT_TRUE(Read(b).empty());
}

TEST_F(Lv2ControlSequence, APropertyHeaderPartlyOutsideItsObjectIsIgnoredAndTheNextEventRead) {
  Bytes o = Position();
  Put32(o, u_.beatsPerMinute), Put32(o, 0);  // key and context; the value's header is missing
  Bytes b = Sequence();
  Event(b, 0, u_.object, o);
  Event(b, 7, u_.midiEvent, {0x80, 60, 0});
  Close(b);
  const std::vector<ControlEvent> got = Read(b);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_TRUE(Same(got[0], Midi(7, 0x80, 60, 0)));
}

TEST_F(Lv2ControlSequence, AnEventHeaderOrMidiBytesStraddlingTheSequenceEndAreNotRead) {
  Bytes header = Sequence();
  Event(header, 1, u_.midiEvent, noteOn_);
  Put64(header, 9);  // the next event's time, without its body header
  Close(header);
  ASSERT_EQ(Read(header).size(), 1u);

  Bytes midi = Sequence();
  Event(midi, 1, u_.midiEvent, {0x90}, 3);  // states three bytes, holds one
  Close(midi);
  EXPECT_TRUE(Read(midi).empty());
}

TEST_F(Lv2ControlSequence, NothingButAFrameTimedSequenceHasEvents) {
  Bytes b = Sequence();
  Event(b, 1, u_.midiEvent, noteOn_);
  Close(b);
  ASSERT_EQ(Read(b).size(), 1u);
  Bytes notSequence = b, beatTimed = b, tooShort = Sequence();
  Set32(notSequence, 4, u_.atomFloat);
  Set32(beatTimed, 8, urids_.Id(LV2_ATOM__beatTime));
  Set32(tooShort, 0, 4);
  tooShort.resize(12);
  EXPECT_TRUE(Read(notSequence).empty());
  EXPECT_TRUE(Read(beatTimed).empty());
  EXPECT_TRUE(Read(tooShort).empty());
  EXPECT_TRUE(ControlSequence(nullptr, u_).AtEnd());
}

// Random well-formed sequences (MIDI of one to three bytes, tempos in the
// four number types, tempos of the wrong size, other atoms) read back
// exactly; then random words, bytes and
// lengths are overwritten (the stated size always matching the block, as
// the host's buffer would) and the reader must stay inside.
TEST_F(Lv2ControlSequence, FuzzedSequencesAreReadWithinTheirBounds) {
  std::mt19937 random(20240611u);
  auto below = [&random](uint32_t n) { return static_cast<uint32_t>(random() % n); };
  const uint32_t types[] = {u_.atomFloat, u_.atomDouble, u_.atomInt, u_.atomLong};
  const uint32_t interesting[] = {0u, 1u, 3u, 4u, 8u, 15u, 16u, 24u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFF8u};
  int tempos = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes b = Sequence();
    std::vector<ControlEvent> expected;
    int64_t frames = 0;
    for (uint32_t n = below(7); n > 0; --n) {
      frames += below(64);
      switch (below(4)) {
        case 0: {
          const Bytes message(noteOn_.begin(), noteOn_.begin() + 1 + below(3));
          Event(b, frames, u_.midiEvent, message);
          expected.push_back(Midi(frames, 0x90, message.size() > 1 ? 60 : 0, message.size() > 2 ? 100 : 0));
          break;
        }
        case 1: {  // a tempo, in any number type, maybe after another key
          const uint32_t type = types[below(4)];
          const double bpm = 20.0 + below(280);
          Bytes o = Position(), value = Bpm(type, bpm);
          if (below(2)) Property(o, u_.atomInt, u_.atomInt, Bpm(u_.atomInt, 1.0), 4), Pad(o);
          Property(o, u_.beatsPerMinute, type, value, static_cast<uint32_t>(value.size()));
          Event(b, frames, below(2) ? u_.object : u_.blank, o);
          expected.push_back(Tempo(frames, bpm));
          break;
        }
        case 2: {  // a tempo of the wrong size (a double called a float)
          Bytes o = Position();
          Property(o, u_.beatsPerMinute, u_.atomFloat, Bpm(u_.atomDouble, 90.0), 8);
          Event(b, frames, u_.object, o);
          break;
        }
        default:
          Event(b, frames, u_.atomLong, Bpm(u_.atomLong, 5.0));
      }
    }
    Close(b);
    const std::vector<ControlEvent> clean = Read(b);
    ASSERT_EQ(clean.size(), expected.size()) << "round " << round;
    for (size_t i = 0; i < clean.size(); ++i) ASSERT_TRUE(Same(clean[i], expected[i])) << round << " " << i;

    for (uint32_t m = 1 + below(4); m > 0; --m) {
      const size_t words = b.size() / 4;
      switch (below(3)) {
        case 0: Set32(b, 4 * below(static_cast<uint32_t>(words)), interesting[below(11)]); break;
        case 1: Set32(b, 4 * below(static_cast<uint32_t>(words)), below(16)); break;
        default: b[below(static_cast<uint32_t>(b.size()))] = static_cast<uint8_t>(random());
      }
    }
    // The block is as long as the sequence says (at most 4 KB): cut, or
    // filled with noise.
    uint32_t stated = std::min<uint32_t>(Get32(b, 0), 4096);
    Set32(b, 0, stated);
    const size_t kept = b.size();
    b.resize(8 + stated);
    for (size_t i = kept; i < b.size(); ++i) b[i] = static_cast<uint8_t>(random());
    for (const ControlEvent& e : Read(b)) {
      if (e.kind != ControlEvent::kTempo) continue;
      ASSERT_TRUE(std::isfinite(e.tempo) && e.tempo > 0.0) << round;
      ++tempos;
    }
  }
  EXPECT_GT(tempos, 1000) << "the damaged sequences still hold readable tempos";
}

}  // namespace
