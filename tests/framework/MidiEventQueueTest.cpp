#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "framework/IMidiEventQueue.h"
#include "framework/MidiInbox.h"

namespace {

IMidiEvent At(int offset, uint8_t tag = 0) {
  IMidiEvent e;
  e.offset = offset;
  e.status = 0x90;
  e.data1 = tag;
  return e;
}

std::vector<std::pair<int, int>> Drain(IMidiEventQueue& q) {
  std::vector<std::pair<int, int>> out;
  while (!q.Empty()) {
    out.emplace_back(q.Peek().offset, q.Peek().data1);
    q.Advance();
  }
  return out;
}

TEST(MidiEventQueue, SizeRoundsUpToWholePages) {
  EXPECT_EQ(IMidiEventQueue(1024).Capacity(), 1024);
  EXPECT_EQ(IMidiEventQueue(1).Capacity(), 512);
  EXPECT_EQ(IMidiEventQueue(513).GrowthStep(), 1024);
}

TEST(MidiEventQueue, OrdersByOffsetKeepingArrivalOrderForTies) {
  IMidiEventQueue q(1024);
  q.Add(At(5, 1));
  q.Add(At(2, 2));
  q.Add(At(5, 3));
  q.Add(At(0, 4));
  const std::vector<std::pair<int, int>> want{{0, 4}, {2, 2}, {5, 1}, {5, 3}};
  EXPECT_EQ(Drain(q), want);
}

TEST(MidiEventQueue, InsertionNeverReordersAlreadyReadEvents) {
  IMidiEventQueue q(1024);
  q.Add(At(3, 1));
  q.Add(At(7, 2));
  q.Advance();  // event at 3 has been consumed
  q.Add(At(1, 3));
  const std::vector<std::pair<int, int>> want{{1, 3}, {7, 2}};
  EXPECT_EQ(Drain(q), want);
}

TEST(MidiEventQueue, FullStorageCompactsUnreadEventsToTheStart) {
  IMidiEventQueue q(1024);
  for (int i = 0; i < 1024; ++i) q.Add(At(i, static_cast<uint8_t>(i)));
  for (int i = 0; i < 10; ++i) q.Advance();
  ASSERT_EQ(q.FrontIndex(), 10);
  ASSERT_EQ(q.EndIndex(), 1024);
  q.Add(At(5000, 77));
  EXPECT_EQ(q.Capacity(), 1024);
  EXPECT_EQ(q.FrontIndex(), 0);
  EXPECT_EQ(q.EndIndex(), 1015);
  EXPECT_EQ(q.Peek().offset, 10);
  auto all = Drain(q);
  ASSERT_EQ(all.size(), 1015u);
  EXPECT_EQ(all.back(), std::make_pair(5000, 77));
}

TEST(MidiEventQueue, FullStorageWithNothingReadDropsAndCounts) {
  IMidiEventQueue q(1024);
  for (int i = 0; i < 1030; ++i) q.Add(At(i));
  EXPECT_EQ(q.Capacity(), 1024);  // never grows: it is filled on the audio thread
  EXPECT_EQ(q.Pending(), 1024);
  EXPECT_EQ(q.Dropped(), 6);
  int last = -1;
  while (!q.Empty()) {
    EXPECT_GT(q.Peek().offset, last);
    last = q.Peek().offset;
    q.Advance();
  }
  EXPECT_EQ(last, 1023);
}

TEST(MidiEvent, AccessorsFollowTheStatusByte) {
  IMidiEvent cc;
  cc.status = 0xB3;
  cc.data1 = 1;
  cc.data2 = 127;
  EXPECT_EQ(cc.MessageKind(), 11);
  EXPECT_DOUBLE_EQ(cc.ControllerValue(1), 1.0);
  EXPECT_DOUBLE_EQ(cc.ControllerValue(2), -1.0);
  EXPECT_EQ(cc.KeyNumber(), -1);

  IMidiEvent on;
  on.status = 0x91;
  on.data1 = 60;
  on.data2 = 100;
  EXPECT_EQ(on.MessageKind(), 9);
  EXPECT_EQ(on.KeyNumber(), 60);
  EXPECT_EQ(on.KeyVelocity(), 100);
  EXPECT_DOUBLE_EQ(on.ControllerValue(60), -1.0);

  IMidiEvent pressure;
  pressure.status = 0xA0;
  pressure.data1 = 61;
  EXPECT_EQ(pressure.KeyNumber(), 61);
  EXPECT_EQ(pressure.KeyVelocity(), -1);

  IMidiEvent clock;
  clock.status = 0xF8;
  EXPECT_EQ(clock.MessageKind(), 0);
}

}  // namespace

// Two host threads post into a small ring that the audio thread drains
// slowly, so it is often full and the posters often meet: every event is
// either drained intact, in its poster's order, or counted as dropped.
TEST(MidiInbox, TwoPostersAndAFullRingLoseNothingUncounted) {
  MidiInbox inbox(16);
  constexpr int kPerPoster = 200000;
  std::atomic<int> accepted{0}, finished{0}, ready{0};
  auto poster = [&](uint8_t tag) {
    for (++ready; ready < 2;) {
    }
    for (int n = 0; n < kPerPoster; ++n) {
      IMidiEvent e;
      e.offset = n;
      e.status = static_cast<uint8_t>(0x90 | tag);
      e.data1 = static_cast<uint8_t>(n & 0x7F);
      e.data2 = static_cast<uint8_t>(n >> 7 & 0x7F);
      accepted += inbox.Post(e) ? 1 : 0;
    }
    ++finished;
  };
  std::thread a(poster, 0), b(poster, 1);
  int drained = 0, corrupt = 0, outOfOrder = 0, last[2] = {-1, -1};
  auto take = [&](const IMidiEvent& e) {
    ++drained;
    const int tag = e.status & 0x0F;
    if ((e.status & 0xF0) != 0x90 || tag > 1 || e.data1 != (e.offset & 0x7F) || e.data2 != (e.offset >> 7 & 0x7F)) {
      ++corrupt;
      return;
    }
    outOfOrder += e.offset <= last[tag] ? 1 : 0;
    last[tag] = e.offset;
  };
  // Draining at every turn for a while (room: the posters meet inside the
  // ring), then not at all (full: they meet at its end).
  for (long spin = 0; finished < 2; ++spin) {
    if (spin / 256 % 2 == 0)
      inbox.Drain(take);
    else
      std::this_thread::yield();
  }
  a.join();
  b.join();
  inbox.Drain(take);
  EXPECT_EQ(corrupt, 0);
  EXPECT_EQ(outOfOrder, 0);
  EXPECT_EQ(drained, accepted.load());
  EXPECT_EQ(accepted + inbox.Dropped(), 2L * kPerPoster);
  EXPECT_GT(inbox.Dropped(), 0) << "the ring never filled";
  EXPECT_EQ(inbox.Pending(), 0);
}
