// Path reservation ahead of trains: the walk, the marks, owners, boxes, the
// recount after a load and the overrun.
#include <gtest/gtest.h>

#include "model/layfile.h"
#include "operation/clock.h"
#include "operation/trnres.h"
#include "tests/trn_fixture.h"

namespace {

class TrnResTest : public TrnFixture {};

// The east-west line 0..30 at y 10 with a crossing at x 12 and the
// north-south line 0..20 at x 12 through it.
class CrossingTest : public TrnResTest {
 protected:
  void SetUp() override {
    TrnResTest::SetUp();
    Row(0, 30, 10);
    Column(12, 0, 20);
    Put(12, 10, kFixCross);
  }
};

TEST_F(CrossingTest, ReservesOneTrainLengthBeyondTheTurnout) {
  // Two cells long, head at 11 heading east.
  TrainRec* t = Place(1, {32, 32}, Line(11, 10, -1, 0, 3), 1, 0);
  ASSERT_EQ(1, Trn_Reserve(t, 1));
  EXPECT_TRUE(t->StateFlags & TRN_RESERVED);
  // The crossing resets the count: it and two cells beyond it.
  EXPECT_EQ(3u, t->ReservedCells);
  for (i32 x = 12; x <= 14; ++x) {
    EXPECT_TRUE(Marked(x, 10)) << x;
    EXPECT_EQ(t, Trn_PathQueryAt(x, 10, 0)) << x;
  }
  EXPECT_FALSE(Marked(15, 10));
  EXPECT_EQ(nullptr, Trn_PathQueryAt(15, 10, 0));
  EXPECT_EQ(t, Trn_ReservationOwner(12, 10, 0, 14, 10, 0));
  EXPECT_EQ(nullptr, Trn_ReservationOwner(12, 10, 0, 15, 10, 0));
  // A normalised read does not see the mark.
  EXPECT_EQ(kFixCross, Grid_GetCellNorm(12, 10, 0));

  Trn_DropReservation(t);
  EXPECT_FALSE(t->StateFlags & TRN_RESERVED);
  for (i32 x = 12; x <= 14; ++x) EXPECT_EQ(x == 12 ? kFixCross : kFixH, Code(x, 10)) << x;
  CheckMarkers();
}

TEST_F(CrossingTest, ASecondTrainWaitsAtTheFirstMarkedCellAndMarksNothing) {
  TrainRec* a = Place(1, {32, 32}, Line(11, 10, -1, 0, 3), 1, 0);
  TrainRec* b = Place(2, {32, 32}, Line(12, 8, 0, -1, 3), 0, 1);
  ASSERT_EQ(1, Trn_Reserve(a, 1));
  // b's path starts with a cell a has marked.
  EXPECT_EQ(0, Trn_Reserve(b, 1));
  EXPECT_FALSE(b->StateFlags & TRN_RESERVED);
  EXPECT_FALSE(Marked(12, 9));
  EXPECT_FALSE(Marked(12, 11));
  // Through train movement: b is refused entering the marked crossing,
  // a enters it and later gives the marks up cell by cell.
  Trn_EnterNextCell(b);  // into (12, 9): plain track
  EXPECT_EQ(9, Trn_Cells(b)[0].Y);
  b->SubCellOffset = 0;
  Trn_EnterNextCell(b);
  EXPECT_EQ(9, Trn_Cells(b)[0].Y) << "b must wait before the marked crossing";
  EXPECT_TRUE(b->StateFlags & TRN_BLOCKED);
  for (int i = 0; i < 3; ++i) {
    a->SubCellOffset = 0;
    Trn_EnterNextCell(a);
    CheckMarkers();
  }
  EXPECT_EQ(14, Trn_Cells(a)[0].X);
  EXPECT_FALSE(a->StateFlags & TRN_RESERVED);
  for (i32 x = 12; x <= 14; ++x) EXPECT_FALSE(Marked(x, 10)) << x;
  // The crossing is free again once a's tail has left it.
  a->SubCellOffset = 0;
  Trn_EnterNextCell(a);
  b->SubCellOffset = 0;
  Trn_EnterNextCell(b);
  EXPECT_EQ(10, Trn_Cells(b)[0].Y);
  CheckMarkers();
}

TEST_F(CrossingTest, APathOfOneCellIsNotMarked) {
  // A depot place right ahead ends the walk at its first cell.
  Grid_SetCell(12, 10, 0, 136);
  TrainRec* t = Place(1, {32, 32}, Line(11, 10, -1, 0, 3), 1, 0);
  EXPECT_EQ(1, Trn_Reserve(t, 1));
  EXPECT_FALSE(t->StateFlags & TRN_RESERVED);
  EXPECT_FALSE(Marked(12, 10));
}

TEST_F(CrossingTest, BoxesCutOrHoldTheReservation) {
  TrainRec* t = Place(1, {32, 32}, Line(11, 10, -1, 0, 3), 1, 0);
  ASSERT_EQ(1, Trn_Reserve(t, 1));
  struct Case {
    i32 x1, y1, x2, y2;
    int want;
  } cases[] = {
      {13, 0, 13, 20, 2},  // cuts through the path
      {11, 10, 14, 10, 0},  // head and path inside
      {20, 0, 25, 20, 1},  // misses it
      {0, 0, 11, 20, 2},  // the head only
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.want, Trn_ReservationVsBox(t, c.x1, c.y1, 0, c.x2, c.y2, 0)) << c.x1 << ".." << c.x2;
  EXPECT_EQ(0, Trn_ReleaseCutReservations(20, 0, 0, 25, 20, 0, 1));
  EXPECT_EQ(0, Trn_ReleaseCutReservations(11, 10, 0, 14, 10, 0, 0));
  EXPECT_TRUE(t->StateFlags & TRN_RESERVED);
  EXPECT_EQ(1, Trn_ReleaseCutReservations(11, 10, 0, 14, 10, 0, 1));
  EXPECT_FALSE(t->StateFlags & TRN_RESERVED);
  EXPECT_FALSE(Marked(13, 10));
  ASSERT_EQ(1, Trn_Reserve(t, 1));
  EXPECT_EQ(1, Trn_ReleaseCutReservations(13, 0, 0, 13, 20, 0, 0));
  EXPECT_FALSE(Marked(12, 10));
}

TEST_F(CrossingTest, RecountAfterLoad) {
  TrainRec* t = Place(1, {32, 32}, Line(11, 10, -1, 0, 3), 1, 0);
  ASSERT_EQ(1, Trn_Reserve(t, 1));
  const u16 version = LayoutFileVersion;
  // Today's files: the count from the train section bounds the walk, the
  // marks ahead are counted.
  LayoutFileVersion = LAY_VERSION;
  t->ReservedCells = 3;
  Trn_RecountReservation(t);
  EXPECT_EQ(3u, t->ReservedCells);
  // Marks of another reservation right behind do not join the count.
  Grid_SetCell(15, 10, 0, kFixH | 0x4000);
  Trn_RecountReservation(t);
  EXPECT_EQ(3u, t->ReservedCells);
  // Without a stored count the marks are walked to their end.
  t->ReservedCells = 0;
  Trn_RecountReservation(t);
  EXPECT_EQ(4u, t->ReservedCells);
  Grid_SetCell(15, 10, 0, kFixH);
  // A file before 14162: the end mark on the second cell ends the count and
  // becomes a plain mark.
  LayoutFileVersion = 0x3700;
  Grid_SetCell(13, 10, 0, kFixH | 0x6000);
  t->ReservedCells = 0;
  Trn_RecountReservation(t);
  EXPECT_EQ(2u, t->ReservedCells);
  EXPECT_EQ(u32(kFixH | 0x4000), Code(13, 10));
  // A later file: bit 13 of a code the train can use is a class bit, never
  // an end mark. 0x2000 | 0 with PathOption 4 is track of the train's kind.
  LayoutFileVersion = LAY_VERSION;
  t->PathOption = 4;
  Grid_SetCell(13, 10, 0, 0x2000 | 0x4000);
  Grid_SetCell(12, 10, 0, 0x2000 | kFixCross | 0x4000);
  t->ReservedCells = 3;
  Trn_RecountReservation(t);
  EXPECT_EQ(0x6000u, Code(13, 10));
  // For a train that cannot use the code, bit 13 is the old end mark.
  t->PathOption = 1;
  Grid_SetCell(12, 10, 0, kFixCross | 0x4000);
  t->ReservedCells = 3;
  Trn_RecountReservation(t);
  EXPECT_EQ(2u, t->ReservedCells);
  EXPECT_EQ(0x4000u, Code(13, 10));
  // Nothing marked: the train holds no reservation.
  Grid_SetCell(12, 10, 0, kFixCross);
  t->ReservedCells = 3;
  Trn_RecountReservation(t);
  EXPECT_FALSE(t->StateFlags & TRN_RESERVED);
  LayoutFileVersion = version;
}

// A ring of ten cells with crossings, shorter than the path a train would
// reserve: the walk meets the train's own tail.
TEST_F(TrnResTest, AWalkThatMeetsTheOwnTailEndsThere) {
  Put(0, 0, kFixCornerTopLeft);
  Put(1, 0, kFixCross);
  Put(2, 0, kFixH);
  Put(3, 0, kFixCornerTopRight);
  Put(3, 1, kFixV);
  Put(3, 2, kFixCornerBottomRight);
  Put(2, 2, kFixCross);
  Put(1, 2, kFixCross);
  Put(0, 2, kFixCornerBottomLeft);
  Put(0, 1, kFixCross);
  TrainRec* t = Place(1, {32, 32, 32}, {{3, 1}, {3, 0}, {2, 0}, {1, 0}}, 0, 1);
  ASSERT_EQ(1, Trn_Reserve(t, 1));
  // Every free cell of the ring, up to the tail at (2, 0).
  EXPECT_EQ(7u, t->ReservedCells);
  EXPECT_TRUE(Marked(1, 0));
  EXPECT_EQ(t->MarkerCode, Code(2, 0));
  Trn_DropReservation(t);
  EXPECT_FALSE(Marked(1, 0));
  EXPECT_FALSE(Marked(3, 2));
  CheckMarkers();
}


// A reservation through a controlled turnout: the branch it records is
// forgotten when the reservation is given back, and a cyclic controller's
// reset gives back the reservations through its cell.
class ControlledTest : public TrnResTest {
 protected:
  void SetUp() override {
    TrnResTest::SetUp();
    Row(0, 11, 10);
    Put(12, 10, kFixCross);
    Put(13, 10, 48);  // west in: east (branch 1), south-east (branch 2)
    Row(14, 30, 10);
    Put(14, 11, 30);  // south-east in, east out
    Row(15, 30, 11);
  }
};

TEST_F(ControlledTest, GivingBackForgetsTheRecordedBranch) {
  ASSERT_EQ(0, Pts_SetById(13, 10, 0, 0, 4, 8, 16, 0, 1, PTS_KIND_BY_LINE2, 0));
  TrainRec* t = Place(1, {32, 32, 32}, Line(11, 10, -1, 0, 4), 1, 0);
  ASSERT_EQ(1, Trn_Reserve(t, 1));
  // Crossing, turnout (kind 22 sends the train south-east) and three cells
  // beyond the crossing's reset count.
  EXPECT_TRUE(Marked(13, 10));
  EXPECT_TRUE(Marked(14, 11));
  EXPECT_FALSE(Marked(14, 10));
  const TurnoutController* c = Pts_Find(13, 10, 0, 0);
  EXPECT_EQ(u32(PTS_RECORD_BRANCH2), Pts_KindData<PtsByLineData>(c)->RecordFlags);
  EXPECT_EQ(t, Trn_PathQueryAt(15, 11, 0));
  Trn_DropReservation(t);
  EXPECT_EQ(0u, Pts_KindData<PtsByLineData>(c)->RecordFlags);
  EXPECT_FALSE(Marked(14, 11));
}

TEST_F(ControlledTest, ACyclicResetGivesBackTheReservationsThroughItsCell) {
  ASSERT_EQ(0, Pts_SetById(13, 10, 0, 0, 4, 8, 16, 0, 1, PTS_KIND_CYCLIC, 0));
  const u32 counts[3] = {1, 1, 0}, times[3] = {0x01000000 | 8u << 16 | 30u << 8 | 15u, 0, 0}, starts[3] = {0, 0, 0};
  ASSERT_EQ(0, Pts_SetCyclic(13, 10, 0, counts, 0, times, starts, 0));
  TrainRec* t = Place(1, {32, 32, 32}, Line(11, 10, -1, 0, 4), 1, 0);
  ASSERT_EQ(1, Trn_Reserve(t, 1));
  ASSERT_TRUE(Marked(13, 10));
  g_simClock.weekday = 1;
  g_simClock.hour = 8;
  g_simClock.minute = 30;
  g_simClock.second = 14;
  Pts_ClockHook();
  EXPECT_TRUE(t->StateFlags & TRN_RESERVED);
  g_simClock.second = 15;
  Pts_ClockHook();
  EXPECT_FALSE(t->StateFlags & TRN_RESERVED);
  EXPECT_FALSE(Marked(13, 10));
  EXPECT_FALSE(Marked(12, 10));
}

}  // namespace

namespace {

// A cell that is only marked for signal notices, inside a reserved path:
// the train gives the rest of its reservation back there instead of
// standing for good before its own marks.
TEST_F(CrossingTest, AMarkedCellInsideThePathDoesNotStrandTheTrain) {
  Grid_SetCell(14, 10, 0, 394);  // east-west, only marked
  TrainRec* t = Place(1, {32, 32, 32}, Line(11, 10, -1, 0, 4), 1, 0);
  for (int i = 0; i < 8; ++i) {
    t->SubCellOffset = 0;
    Trn_EnterNextCell(t);
    CheckMarkers();
  }
  EXPECT_EQ(19, Trn_Cells(t)[0].X);
  for (i32 x = 12; x <= 20; ++x) EXPECT_FALSE(Marked(x, 10)) << x;
}

}  // namespace
