#include <gtest/gtest.h>

#include "engine/AudioIO.h"
#include "engine/Connection.h"
#include "engine/Feedback.h"

namespace {

struct Graph {
  Graph() {
    a.output = 2.0;
    b.output = 3.0;
  }
  AudioIO a;
  AudioIO b;
  Feedback sink;
  Feedback other;
};

TEST(Connection, NewRowIsEmptyWithSlotZeroAndUnitAmount) {
  Connection row;
  EXPECT_EQ(row.Source(), nullptr);
  EXPECT_EQ(row.Destination(), nullptr);
  EXPECT_EQ(row.Slot(), 0);
  EXPECT_EQ(row.Amount(), 1.0);
  EXPECT_FALSE(row.SetSlot(12));
  EXPECT_FALSE(row.SetSlot(-1));
  EXPECT_EQ(row.Slot(), 0);
}

TEST(Connection, HalfMadeRowLinksNothingUntilBothEndsAreSet) {
  Graph g;
  Connection row;
  row.SetSlot(3);
  row.SetAmount(0.5);
  row.SetDestination(&g.sink);
  EXPECT_EQ(g.sink.Input(3), nullptr);
  EXPECT_EQ(g.sink.InputAmount(3), 0.0);  // nothing is written until the row is whole
  g.sink.Process();
  EXPECT_EQ(g.sink.output, 0.0);

  row.SetSource(&g.a);
  EXPECT_EQ(g.sink.Input(3), &g.a);
  EXPECT_EQ(g.sink.InputAmount(3), 0.5);
  g.sink.Process();
  EXPECT_EQ(g.sink.output, 1.0);

  Connection sourceOnly;
  sourceOnly.SetSource(&g.b);
  g.sink.Process();
  EXPECT_EQ(g.sink.output, 1.0);
}

TEST(Connection, MovingTheDestinationEmptiesTheOldSlotAndFillsTheSameSlotInTheNew) {
  Graph g;
  Connection row;
  row.SetSlot(5);
  row.SetSource(&g.a);
  row.SetDestination(&g.sink);
  row.SetAmount(0.25);
  row.SetDestination(&g.other);
  EXPECT_EQ(g.sink.Input(5), nullptr);
  EXPECT_EQ(g.sink.InputAmount(5), 0.25);  // stale weight stays, harmless
  EXPECT_EQ(g.other.Input(5), &g.a);
  EXPECT_EQ(g.other.InputAmount(5), 0.25);
  g.sink.Process();
  g.other.Process();
  EXPECT_EQ(g.sink.output, 0.0);
  EXPECT_EQ(g.other.output, 0.5);
}

TEST(Connection, ChangingTheSourceKeepsSlotAndAmount) {
  Graph g;
  Connection row;
  row.SetSlot(2);
  row.SetDestination(&g.sink);
  row.SetSource(&g.a);
  row.SetAmount(-1.0);
  row.SetSource(&g.b);
  EXPECT_EQ(g.sink.Input(2), &g.b);
  EXPECT_EQ(g.sink.ActiveInputCount(), 1);
  g.sink.Process();
  EXPECT_EQ(g.sink.output, -3.0);
}

TEST(Connection, ClearingEitherEndRemovesTheLink) {
  Graph g;
  Connection row;
  row.SetSource(&g.a);
  row.SetDestination(&g.sink);
  row.ClearSource();
  EXPECT_EQ(g.sink.Input(0), nullptr);
  EXPECT_EQ(row.Destination(), &g.sink);
  row.SetSource(&g.a);
  EXPECT_EQ(g.sink.Input(0), &g.a);
  row.ClearDestination();
  EXPECT_EQ(g.sink.Input(0), nullptr);
  EXPECT_EQ(g.sink.ActiveInputCount(), 0);
}

TEST(Connection, ZeroAmountKeepsTheLinkAndSetSlotMovesIt) {
  Graph g;
  Connection row;
  row.SetSource(&g.a);
  row.SetDestination(&g.sink);
  row.SetAmount(0.0);
  EXPECT_EQ(g.sink.Input(0), &g.a);
  g.sink.Process();
  EXPECT_EQ(g.sink.output, 0.0);
  EXPECT_TRUE(row.SetSlot(7));
  EXPECT_EQ(g.sink.Input(0), nullptr);
  EXPECT_EQ(g.sink.Input(7), &g.a);
  EXPECT_EQ(g.sink.InputAmount(7), 0.0);
}

TEST(Connection, TwoRowsWithTheSameEndsAddUp) {
  Graph g;
  Connection first;
  Connection second;
  first.SetSlot(0);
  second.SetSlot(1);
  for (Connection* row : {&first, &second}) {
    row->SetSource(&g.a);
    row->SetDestination(&g.sink);
  }
  first.SetAmount(1.0);
  second.SetAmount(0.5);
  g.sink.Process();
  EXPECT_EQ(g.sink.output, 3.0);
}

TEST(AudioModule, NewModuleIsUnnamedUnlinkedAndSilent) {
  AudioIO m;
  EXPECT_EQ(m.Name(), "no_name");
  m.SetName("in_left");
  EXPECT_EQ(m.Name(), "in_left");
  for (int k = 0; k < AudioModule::kInputSlots; ++k) {
    EXPECT_EQ(m.Input(k), nullptr);
    EXPECT_EQ(m.InputAmount(k), 0.0);
  }
  EXPECT_EQ(m.output, 0.0);
  EXPECT_EQ(m.Input(12), nullptr);
  m.SetInput(12, &m);   // ignored
  m.SetInput(-1, &m);   // ignored
  EXPECT_EQ(m.ActiveInputCount(), 0);
}

TEST(AudioModule, InputSumRunsInSlotOrderWhateverOrderLinksWereMade) {
  // 1e16 + 1 rounds back to 1e16, so only the slot order 0, 1, 2 gives 0;
  // summing slot 1 last would give 1.
  AudioIO big, one, minusBig;
  big.output = 1e16;
  one.output = 1.0;
  minusBig.output = -1e16;
  Feedback sink;
  sink.SetInputAmount(0, 1.0);
  sink.SetInputAmount(1, 1.0);
  sink.SetInputAmount(2, 1.0);
  sink.SetInput(2, &minusBig);
  sink.SetInput(1, &one);
  sink.SetInput(0, &big);
  EXPECT_EQ(sink.InputSum(), 0.0);
  sink.SetInput(1, nullptr);
  sink.SetInputAmount(7, 1.0);
  sink.SetInput(7, &one);
  EXPECT_EQ(sink.InputSum(), 1.0);
}

TEST(AudioModule, ModuleLinkedIntoItselfReadsItsPreviousOutput) {
  AudioIO x;
  x.output = 1.0;
  Feedback node;
  node.SetInput(0, &x);
  node.SetInputAmount(0, 1.0);
  node.SetInput(1, &node);
  node.SetInputAmount(1, 0.5);
  // out(n) = 1 + 0.5 out(n-1): 1, 1.5, 1.75 (not the partial sum of this tick)
  node.Process();
  EXPECT_EQ(node.output, 1.0);
  node.Process();
  EXPECT_EQ(node.output, 1.5);
  node.Process();
  EXPECT_EQ(node.output, 1.75);
}

TEST(AudioModule, ClearInputsKeepsAmounts) {
  Graph g;
  g.sink.SetInput(4, &g.a);
  g.sink.SetInputAmount(4, 0.75);
  g.sink.ClearInputs();
  EXPECT_EQ(g.sink.Input(4), nullptr);
  EXPECT_EQ(g.sink.InputAmount(4), 0.75);
  EXPECT_EQ(g.sink.InputSum(), 0.0);
}

}  // namespace
