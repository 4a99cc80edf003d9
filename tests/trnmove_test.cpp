#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "model/hst.h"
#include "operation/dmsg.h"
#include "operation/sndcat.h"
#include "operation/tracktab.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trnmove.h"
#include "shell/ewin.h"
#include "operation/trnres.h"
#include "platform/check.h"
#include "tests/test_util.h"

namespace {

// A cell code of the shape with the given index (class 0 codes, outside the
// narrow shapes 472..495 that change the turnout classes).
u32 CodeOfIndex(int index) {
  for (u32 s = 0; s < 512; ++s)
    if (Trk_ShapeIndex(s) == index && !(s >= 472 && s <= 495)) return s;
  return 0xFFFF;
}

class TrnMoveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Grid_Init());
    TrnList_Clear();
    Dep_Clear();
    Hst_Clear();
    Dmsg_Clear();
  }
  void TearDown() override {
    TrnList_Clear();
    Dep_Clear();
    Hst_Clear();
    Dmsg_Clear();
    Grid_Exit();
  }

  // A moving train of lastCell + 1 slots and the given length in pixels,
  // its head at (x, y) heading (dx, dy), covering the cells behind the head
  // that its length needs; the other slots hold no cell.
  TrainRec* Train(i32 number, u32 lastCell, u32 tailOffset, i32 x, i32 y, i32 dx, i32 dy, u32 flags = 0,
                  i32 level = 0) {
    TrainRec tmpl;
    std::memset(&tmpl, 0, sizeof tmpl);
    tmpl.Line = tmpl.CurLine = 1;
    tmpl.Number = number;
    tmpl.LastCell = lastCell;
    tmpl.VehicleCount = 3;
    tmpl.MaxSpeed = 60000;
    tmpl.PathOption = 1;
    tmpl.Category = tmpl.HomeCategory = 1;
    tmpl.Type = tmpl.HomeType = 1;
    tmpl.StopTimeMin = 5;
    tmpl.StopTimeMax = 9;
    TrainCompositionEntry comp[3] = {{0x100, 0}, {0x101, 0}, {0x102, 0}};
    EXPECT_EQ(0, TrnList_Create(comp, &tmpl, nullptr, x, y, level));
    TrainRec* t = TrnList_Find(1, number);
    t->TailOffset = tailOffset;
    t->SubCellOffset = 0;
    t->DirX = dx;
    t->DirY = dy;
    t->StopSound = TRN_NONE;
    TrainVehicle* v = Trn_Vehicles(t);
    for (u32 i = 0; i < 3; ++i) v[i].Length = tailOffset / 3;
    const u32 covered = Trn_CoveredCells(t);
    TrainCell* c = Trn_Cells(t);
    for (u32 i = 0; i <= lastCell; ++i) {
      c[i].X = x - dx * i32(i);
      c[i].Y = y - dy * i32(i);
      c[i].Level = level;
      c[i].SavedCode = i < covered ? 0u : u32(TRN_NO_CODE);
      c[i].CellFlags = 0;
    }
    t->StateFlags = flags;
    TrnList_UnlinkOffTrack(t);
    TrnList_EnterStateList(t);
    TrnList_RefreshCellCodes(1);
    return t;
  }

  // One sub-step as the stepping does it.
  static void SubStep(TrainRec* t) {
    if (t->SubCellOffset > 0) {
      t->SubCellOffset -= 4;
      Trn_MoveInCell(t);
    } else {
      Trn_EnterNextCell(t);
    }
  }

  static int HasMessage(u32 kind) {
    for (u32 i = 0; i < Dmsg_Count(); ++i)
      if (Dmsg_Get(i)->Kind == kind) return 1;
    return 0;
  }
};

// ---------------------------------------------------------------- the table through entering

TEST_F(TrnMoveTest, EveryShapeAndDirectionGoesWhereTheTableSays) {
  int checked = 0;
  for (int index = 1; index < TRACK_SHAPE_INDEXES; ++index) {
    const u32 code = CodeOfIndex(index);
    if (code == 0xFFFF) continue;
    for (int d = DIRIDX_N; d <= DIRIDX_NE; ++d) {
      const u16 entry = kTrackConnection[d - 2][index];
      const int dir = entry & 0xFF, cls = entry >> 8;
      // Classes whose objects decide, or that leave the level, have tests of
      // their own; here the ones the table alone decides.
      if (cls != 0 && cls != 1 && cls != 12 && cls != 13 && cls != 15 && cls != 20 && cls != 22 && cls != 23)
        continue;
      SCOPED_TRACE(testing::Message() << "index " << index << " direction " << d);
      TrnList_Clear();
      Dmsg_Clear();
      Grid_Clear();
      int dx, dy;
      Trk_DirStep(d, &dx, &dy);
      const i32 hx = 100, hy = 100;
      Grid_SetCell(hx, hy, 0, 0);
      Grid_SetCell(hx + dx, hy + dy, 0, CellCode(code));
      TrainRec* t = Train(1, 1, 16, hx, hy, dx, dy);
      // Turnouts without a controller reserve the path beyond them, which
      // this one cell lacks; the reservation has tests of its own.
      if (cls == 1) t->PropFlags |= 8;
      const u16 marker = t->MarkerCode;
      Trn_EnterNextCell(t);
      if (dir == 0) {
        EXPECT_EQ(hx, Trn_Cells(t)[0].X);
        EXPECT_EQ(code, Grid_GetCell(hx + dx, hy + dy, 0));
        EXPECT_TRUE(t->StateFlags & TRN_BLOCKED);
        EXPECT_TRUE(HasMessage(6));
      } else {
        int ex = dx, ey = dy;
        if (dir >= 2) Trk_DirStep(dir, &ex, &ey);
        EXPECT_EQ(hx + dx, Trn_Cells(t)[0].X);
        EXPECT_EQ(hy + dy, Trn_Cells(t)[0].Y);
        EXPECT_EQ(ex, t->DirX);
        EXPECT_EQ(ey, t->DirY);
        EXPECT_EQ(marker, Grid_GetCell(hx + dx, hy + dy, 0));
        EXPECT_EQ(code, Trn_Cells(t)[0].SavedCode);
        EXPECT_EQ(28, t->SubCellOffset);
        EXPECT_EQ((ex && ey) ? 7u : 10u, t->StepDecrement);
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 600);
}

TEST_F(TrnMoveTest, TrackKindOfTheTrainFiltersCodes) {
  // Bit 2: only codes 7168..8191; bit 1: below 6144, narrow shapes 472..495
  // apart; bit 4: 8192..12799 and below 4096.
  EXPECT_EQ(1, Trn_TrackKindCheck(2, 7168));
  EXPECT_EQ(0, Trn_TrackKindCheck(2, 100));
  EXPECT_EQ(1, Trn_TrackKindCheck(1, 100 | 0x4000));
  EXPECT_EQ(2, Trn_TrackKindCheck(1, 472));
  EXPECT_EQ(3, Trn_TrackKindCheck(4, 8192));
  EXPECT_EQ(4, Trn_TrackKindCheck(4, 100));
  EXPECT_EQ(0, Trn_TrackKindCheck(0, 100));
  EXPECT_EQ(0, Trn_TrackKindCheck(7, 0x8000));
  int cls = 9;
  EXPECT_EQ(0, Trn_TrackConnection(1, 0, 0xC000, &cls, 1));
  EXPECT_EQ(0, cls);
  // A free-running kind goes on where the track table has no way.
  EXPECT_EQ(1, Trn_TrackConnection(0, 1, 8192, &cls, 4));
  EXPECT_EQ(1, cls);
}

TEST_F(TrnMoveTest, ConnectorWordsMapToDirections) {
  const struct {
    u32 word;
    int dir;
  } cases[] = {{0x04, 4}, {0x08, 5}, {0x01, 2}, {0x02, 3}, {0x20, 7}, {0x40, 8}, {0x80, 9}, {0x10, 6},
               {0x0C, 4}, {0, 0},    {0x8000, 1024}, {0x8008, 1029}, {0x10000, -1}};
  for (const auto& c : cases) EXPECT_EQ(c.dir, Trn_ConnectorToDirection(c.word)) << c.word;
}

// ---------------------------------------------------------------- markers

// Every marker in the grid belongs to exactly one slot with a saved code of
// its train; every other cell of the row holds its own code again.
void ExpectMarkersOwned(const std::map<std::pair<i32, i32>, u32>& own) {
  for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) EXPECT_EQ(1, Trn_CheckMarkers(t)) << t->Number;
  for (const auto& e : own) {
    const u32 g = Grid_GetCell(e.first.first, e.first.second, 0);
    if (g < CELL_TRAIN_FIRST || g > CELL_TRAIN_LAST) {
      EXPECT_EQ(e.second, g) << "cell " << e.first.first;
      continue;
    }
    int owners = 0;
    for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
      const TrainCell* c = Trn_Cells(t);
      for (u32 k = 0; k <= t->LastCell; ++k)
        if (c[k].SavedCode != TRN_NO_CODE && c[k].X == e.first.first && c[k].Y == e.first.second) {
          EXPECT_EQ(t->MarkerCode, g);
          EXPECT_EQ(e.second, c[k].SavedCode);
          ++owners;
        }
    }
    EXPECT_EQ(1, owners) << "cell " << e.first.first;
  }
}

TEST_F(TrnMoveTest, LeftCellsGetTheirCodesBackWhateverLastCellSays) {
  // Length 64 pixels covers three cells right after entering; LastCell 3 fits,
  // 6 is more than the length needs, 1 less: an old file or a template.
  const struct {
    u32 lastCell, tail;
  } cases[] = {{3, 64}, {6, 64}, {1, 96}, {0, 20}, {4, 128}};
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "LastCell " << tc.lastCell << " length " << tc.tail);
    TrnList_Clear();
    Grid_Clear();
    std::map<std::pair<i32, i32>, u32> own;
    for (i32 x = 10; x < 80; ++x) {
      const u32 code = u32((x & 7) << 9);  // shape 0 in eight variants
      Grid_SetCell(x, 20, 0, CellCode(code));
      own[{x, 20}] = code;
    }
    TrainRec* t = Train(1, tc.lastCell, tc.tail, 20, 20, 1, 0);
    for (int step = 0; step < 8 * 30; ++step) {
      SubStep(t);
      ExpectMarkersOwned(own);
      if (HasFailure()) return;
    }
    EXPECT_EQ(50, Trn_Cells(t)[0].X);
    u32 marked = 0;
    for (const auto& e : own)
      if (Grid_GetCell(e.first.first, e.first.second, 0) == t->MarkerCode) ++marked;
    EXPECT_LE(marked, tc.lastCell + 1);
    EXPECT_GE(marked, 1u);
  }
}

TEST_F(TrnMoveTest, TwoTrainsKeepTheirOwnMarkersAndAFollowerWaits) {
  std::map<std::pair<i32, i32>, u32> own;
  for (i32 x = 0; x < 60; ++x) {
    Grid_SetCell(x, 5, 0, 0);
    own[{x, 5}] = 0;
  }
  TrainRec* a = Train(1, 2, 40, 30, 5, 1, 0);
  TrainRec* b = Train(2, 2, 40, 27, 5, 1, 0);
  a->Speed = b->Speed = 1;
  for (int step = 0; step < 8 * 10; ++step) {
    SubStep(b);  // b runs into a, which stands still
    ExpectMarkersOwned(own);
  }
  EXPECT_TRUE(b->StateFlags & TRN_BLOCKED);
  EXPECT_EQ(28, Trn_Cells(b)[0].X);
  EXPECT_EQ(1u, Trn_Cells(a)[0].X - Trn_Cells(b)[0].X - 1);
}

TEST_F(TrnMoveTest, BlockedRetriesPostTheLimitMessageOnce) {
  Grid_SetCell(10, 10, 0, 0);  // nothing beyond: no way on
  TrainRec* t = Train(1, 1, 16, 10, 10, 1, 0);
  t->RetryLimit = 3;
  Trn_EnterNextCell(t);
  ASSERT_TRUE(t->StateFlags & TRN_BLOCKED);
  EXPECT_TRUE(HasMessage(6));
  EXPECT_GE(t->StateList, u32(TRN_LIST_RETRY));
  EXPECT_LE(t->StateList, u32(TRN_LIST_RETRY_LAST));
  Dmsg_Clear();
  for (int i = 0; i < 5; ++i) Trn_EnterNextCell(t);
  u32 n17 = 0;
  for (u32 i = 0; i < Dmsg_Count(); ++i)
    if (Dmsg_Get(i)->Kind == 17) {
      ++n17;
      EXPECT_EQ(3u, Dmsg_Get(i)->Data);
    }
  EXPECT_EQ(1u, n17);
}

TEST_F(TrnMoveTest, ACellOutsideTheGridIsNoWayOn) {
  Grid_SetCell(0, 0, 0, 0);
  TrainRec* t = Train(1, 0, 8, 0, 0, -1, 0);
  Trn_EnterNextCell(t);
  EXPECT_TRUE(t->StateFlags & TRN_BLOCKED);
  EXPECT_TRUE(HasMessage(6));
}

// ---------------------------------------------------------------- turnouts

TEST_F(TrnMoveTest, TurnoutWithoutControllerRefusesTheControlledBranchOnly) {
  // Index 28: from the west (moving east) the controller chooses; moving
  // west through it the branch is fixed; from the south-east it turns west.
  const u32 turnout = CodeOfIndex(28);
  ASSERT_NE(0xFFFFu, turnout);
  Grid_SetCell(50, 50, 0, CellCode(turnout));
  Grid_SetCell(49, 50, 0, 0);
  Grid_SetCell(51, 50, 0, 0);
  Grid_SetCell(51, 51, 0, 0);
  TrainRec* east = Train(1, 0, 8, 49, 50, 1, 0);
  Trn_EnterNextCell(east);
  EXPECT_EQ(49, Trn_Cells(east)[0].X);
  EXPECT_TRUE(east->StateFlags & TRN_BLOCKED);
  EXPECT_TRUE(HasMessage(6));
  EXPECT_EQ(turnout, Grid_GetCell(50, 50, 0));
  TrnList_Clear();
  Grid_SetCell(49, 50, 0, 0);
  TrainRec* west = Train(2, 0, 8, 51, 50, -1, 0);
  Trn_EnterNextCell(west);
  EXPECT_EQ(50, Trn_Cells(west)[0].X);
  EXPECT_EQ(-1, west->DirX);
  TrnList_Clear();
  Grid_SetCell(50, 50, 0, CellCode(turnout));
  TrainRec* diag = Train(3, 0, 8, 51, 51, -1, -1);
  Trn_EnterNextCell(diag);
  EXPECT_EQ(50, Trn_Cells(diag)[0].X);
  EXPECT_EQ(-1, diag->DirX);
  EXPECT_EQ(0, diag->DirY);
}

// ---------------------------------------------------------------- stops

TEST_F(TrnMoveTest, TrainStopsAtAStopForATimeWithinItsBounds) {
  const u32 stopCode = 264;  // stop element: class 6 moving north (index 76)
  for (int trial = 0; trial < 20; ++trial) {
    TrnList_Clear();
    Hst_Clear();
    Grid_Clear();
    for (i32 y = 30; y <= 40; ++y) Grid_SetCell(7, y, 0, 0);
    Grid_SetCell(7, 35, 0, CellCode(stopCode));
    ASSERT_EQ(0, Hst_Set(7, 35, 0, 0, nullptr, 0, nullptr, 1, 0, 1, 0, 1));
    TrainRec* t = Train(1, 1, 16, 7, 36, 0, -1);
    for (int s = 0; s < 8; ++s) SubStep(t);
    ASSERT_TRUE(t->StateFlags & TRN_AT_STOP);
    EXPECT_EQ(u32(TRN_LIST_STOP), t->StateList);
    const i32 wait = TrnList_StopRemaining(t);
    EXPECT_GE(wait, 5);
    EXPECT_LE(wait, 9);
    EXPECT_FALSE(t->StateFlags & TRN_STOP_REVERSE);
  }
  // A stop with a pair list gives its number as the time; a train of a type
  // the stop does not serve passes.
  TrnList_Clear();
  Hst_Clear();
  Grid_Clear();
  for (i32 y = 30; y <= 40; ++y) Grid_SetCell(7, y, 0, 0);
  Grid_SetCell(7, 35, 0, CellCode(stopCode));
  const StopPair pair = {42, 3};
  ASSERT_EQ(0, Hst_Set(7, 35, 0, 1, &pair, 0, nullptr, 1, 0, 1, HST_F_PAIRS, 1));
  TrainRec* t = Train(1, 1, 16, 7, 36, 0, -1);
  for (int s = 0; s < 8; ++s) SubStep(t);
  EXPECT_EQ(42, TrnList_StopRemaining(t));
  TrainRec* other = Train(2, 1, 16, 7, 33, 0, -1);
  other->Type = other->HomeType = 2;
  Grid_SetCell(7, 32, 0, CellCode(stopCode));
  for (int s = 0; s < 8; ++s) SubStep(other);
  EXPECT_FALSE(other->StateFlags & TRN_AT_STOP);
}

// The stop time is drawn from the train's range unless the stop gives one;
// a stop sound shortens the wait by its whole seconds, to no less than 1
// when under 2 would remain.
TEST_F(TrnMoveTest, StopTimesAndStopSoundRules) {
  for (i32 x = 1; x <= 20; ++x) Grid_SetCell(x, 1, 0, 0);
  Snd_ClearCatalogue();
  ASSERT_EQ(0, Snd_AddEntry(1, 5000, u"five.wav", nullptr));
  ASSERT_EQ(0, Snd_AddEntry(2, 999, u"short.wav", nullptr));
  ASSERT_EQ(0, Snd_AddEntry(3, 18000, u"eighteen.wav", nullptr));
  ASSERT_EQ(0, Snd_AddEntry(4, 19000, u"nineteen.wav", nullptr));
  ASSERT_EQ(0, Snd_AddEntry(5, 30000, u"thirty.wav", nullptr));
  struct {
    u32 sound;
    i32 given;  // the stop's own wait, 0: the train's stop time
    int reverse;
    i32 wait;
    const char* what;
  } cases[] = {
      {TRN_NONE, 0, 1, 20, "no sound: the stop time"},
      {1, 0, 0, 15, "a 5 s sound takes 5 s off"},
      {2, 0, 0, 20, "under a second takes nothing off"},
      {3, 0, 0, 2, "2 s left stays 2"},
      {4, 0, 0, 1, "1 s left"},
      {5, 0, 0, 1, "a sound longer than the stop leaves 1 s"},
      {9, 0, 0, 20, "a sound not in the catalogue takes nothing off"},
      {1, 30, 0, 25, "the stop's own wait is shortened too"},
  };
  i32 number = 0;
  for (const auto& c : cases) {
    ++number;
    TrainRec* t = Train(number, 0, 8, 2 * number, 1, 1, 0);
    ASSERT_NE(nullptr, t);
    t->StopTimeMin = t->StopTimeMax = 20;
    t->StopSound = c.sound;
    Trn_StopAtStop(t, c.given, c.reverse);
    EXPECT_EQ(c.wait, TrnList_StopRemaining(t)) << c.what;
    EXPECT_TRUE(t->StateFlags & TRN_AT_STOP) << c.what;
    EXPECT_EQ(c.reverse != 0, (t->StateFlags & TRN_STOP_REVERSE) != 0) << c.what;
  }
  Snd_ClearCatalogue();
}

// ---------------------------------------------------------------- depot places

TEST_F(TrnMoveTest, EnteringADepotPlaceTakesTheTrainOffTheTrack) {
  const u32 depotCode = 136;  // depot element, index 148: east and west
  for (int against = 0; against < 2; ++against) {
    SCOPED_TRACE(against ? "against the place's direction" : "with the place's direction");
    TrnList_Clear();
    Dep_Clear();
    Grid_Clear();
    Dmsg_Clear();
    for (i32 x = 0; x < 30; ++x) Grid_SetCell(x, 3, 0, 0);
    Grid_SetCell(20, 3, 0, CellCode(depotCode));
    DepotPlace p = {};
    p.X = 20;
    p.Y = 3;
    p.Number = 1;
    p.Directions = against ? 4 : 8;
    ASSERT_EQ(0, Dep_InsertPlace(1, u"Nord", nullptr, &p));
    TrainRec* t = Train(1, 3, 64, 19, 3, 1, 0, TRN_IN_SERVICE);
    t->HomeDepot = 1;
    t->HomePlace = 1;
    t->CurLine = 7;
    const u32 v0 = Trn_Vehicles(t)[0].Vehicle;
    Trn_EnterNextCell(t);
    EXPECT_TRUE(t->StateFlags & TRN_OFF_TRACK);
    EXPECT_FALSE(t->StateFlags & TRN_IN_SERVICE);
    EXPECT_EQ(u32(TRN_LIST_OFF_TRACK), t->StateList);
    EXPECT_EQ(1u, t->CurLine);
    EXPECT_EQ(20, Trn_Cells(t)[0].X);
    for (i32 x = 0; x < 30; ++x) EXPECT_EQ(x == 20 ? depotCode : 0u, Grid_GetCell(x, 3, 0)) << x;
    EXPECT_FALSE(HasMessage(10));
    EXPECT_EQ(against ? 0x102u : v0, Trn_Vehicles(t)[0].Vehicle);
    EXPECT_EQ(against ? TRN_VEH_TURNED : 0u, Trn_Vehicles(t)[0].VehFlags & TRN_VEH_TURNED);
  }
}

TEST_F(TrnMoveTest, ForeignAndClosedDepotPlaces) {
  for (i32 x = 0; x < 30; ++x) Grid_SetCell(x, 3, 0, 0);
  Grid_SetCell(20, 3, 0, 136);
  DepotPlace p = {};
  p.X = 20;
  p.Y = 3;
  p.Number = 2;
  p.Directions = 8;
  ASSERT_EQ(0, Dep_InsertPlace(1, u"Nord", nullptr, &p));
  TrainRec* t = Train(1, 1, 16, 19, 3, 1, 0);
  EXPECT_EQ(1, Trn_EnterDepotPlace(t, 20, 3, 0));
  EXPECT_TRUE(HasMessage(10));
  Dep_Clear();
  p.Options = 128 << 8;  // closed
  ASSERT_EQ(0, Dep_InsertPlace(1, u"Nord", nullptr, &p));
  TrainRec* u = Train(2, 1, 16, 9, 3, 1, 0);
  u->CurLine = 9;
  EXPECT_EQ(0, Trn_EnterDepotPlace(u, 20, 3, 0));
  EXPECT_EQ(1u, u->CurLine);  // reset before the refusal
  EXPECT_FALSE(u->StateFlags & TRN_OFF_TRACK);
}

}  // namespace

namespace {

// A cell code whose track table entry, for a train of track kind 1 running
// (dx, dy), gives the class and direction index; 0xFFFF when none does.
u32 CodeForClass(int cls, int dir, i32 dx, i32 dy) {
  for (u32 s = 0; s < 512; ++s) {
    if (s >= 472 && s <= 495) continue;
    int c = -1;
    const int d = Trn_TrackConnection(dx, dy, s, &c, 1);
    if ((dir < 0 || d == dir) && c == cls) return s;
  }
  return 0xFFFF;
}

// ---------------------------------------------------------------- the last reserved cell

class TrnEntryFixture : public TrnMoveTest {
 protected:
  static int Marked(i32 x, i32 y, i32 level = 0) {
    const u32 c = Grid_GetCell(x, y, level);
    return Cell_IsReserved(c) != 0;
  }
};

// A train whose reservation ends at the next cell is refused there by a
// check after the reservation's: the cell keeps its mark and the train its
// hold, so that the next try finds the same path (and no other train can
// take the cell meanwhile).
TEST_F(TrnEntryFixture, ARefusedEntryLeavesTheLastReservedCellMarked) {
  const u32 rampDown = CodeForClass(TRK_CLASS_RAMP_DOWN, 1, 1, 0);
  const u32 rampTop = CodeForClass(TRK_CLASS_RAMP_TOP, 1, 1, 0);
  ASSERT_NE(0xFFFFu, rampDown);
  ASSERT_NE(0xFFFFu, rampTop);
  const struct {
    const char* what;
    u32 code;
    u32 message;
  } cases[] = {
      {"a ramp start without its bottom below", rampDown, TRN_MSG_RAMP_NO_BOTTOM},
      {"a ramp top entered on its own level", rampTop, TRN_MSG_NO_WAY},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    TrnList_Clear();
    Grid_Clear();
    Dmsg_Clear();
    for (i32 x = 5; x <= 10; ++x) Grid_SetCell(x, 5, 0, 0);
    Grid_SetCell(11, 5, 0, CellCode(tc.code | CELL_RESERVED_BIT));
    TrainRec* t = Train(1, 1, 16, 10, 5, 1, 0, TRN_RESERVED);
    t->ReservedCells = 1;
    Trn_EnterNextCell(t);
    EXPECT_EQ(10, Trn_Cells(t)[0].X);
    EXPECT_TRUE(HasMessage(tc.message));
    EXPECT_EQ(tc.code | CELL_RESERVED_BIT, Grid_GetCell(11, 5, 0));
    EXPECT_TRUE(t->StateFlags & TRN_RESERVED);
    // Once the cell lets it on, the train enters the cell it held.
    Grid_SetCell(11, 5, 0, CellCode(0 | CELL_RESERVED_BIT));
    Trn_EnterNextCell(t);
    EXPECT_EQ(11, Trn_Cells(t)[0].X);
    EXPECT_EQ(t->MarkerCode, Grid_GetCell(11, 5, 0));
    EXPECT_EQ(0u, Trn_Cells(t)[0].SavedCode);
    EXPECT_FALSE(t->StateFlags & TRN_RESERVED);
  }
}

// The same at a diagonal step across another train's diagonal.
TEST_F(TrnEntryFixture, ACrossedDiagonalLeavesTheReservedCellMarked) {
  const u32 ne = CodeForClass(TRK_CLASS_PLAIN, 1, 1, -1);
  const u32 nw = CodeForClass(TRK_CLASS_PLAIN, 1, -1, -1);
  ASSERT_NE(0xFFFFu, ne);
  ASSERT_NE(0xFFFFu, nw);
  Grid_SetCell(9, 11, 0, CellCode(ne));
  Grid_SetCell(10, 10, 0, CellCode(ne));
  Grid_SetCell(11, 9, 0, CellCode(ne | CELL_RESERVED_BIT));
  Grid_SetCell(12, 11, 0, CellCode(nw));
  Grid_SetCell(11, 10, 0, CellCode(nw));
  Grid_SetCell(10, 9, 0, CellCode(nw));
  TrainRec* t = Train(1, 1, 16, 10, 10, 1, -1, TRN_RESERVED);
  t->ReservedCells = 1;
  Train(2, 1, 40, 10, 9, -1, -1);  // its head on (10, 9), its tail on (11, 10)
  Trn_EnterNextCell(t);
  EXPECT_EQ(10, Trn_Cells(t)[0].X);
  EXPECT_TRUE(t->StateFlags & TRN_BLOCKED);
  EXPECT_EQ(ne | CELL_RESERVED_BIT, Grid_GetCell(11, 9, 0));
  EXPECT_TRUE(t->StateFlags & TRN_RESERVED);
}

// A reserved cell in the middle of the reservation is simply entered; a
// cell of another train's reservation refuses without a message.
TEST_F(TrnEntryFixture, ReservedCellsAdmitOnlyTheirTrain) {
  for (i32 x = 5; x <= 14; ++x) Grid_SetCell(x, 5, 0, CellCode(x > 10 ? u32(CELL_RESERVED_BIT) : 0u));
  TrainRec* t = Train(1, 1, 16, 10, 5, 1, 0, TRN_RESERVED);
  t->ReservedCells = 4;
  Trn_EnterNextCell(t);
  EXPECT_EQ(11, Trn_Cells(t)[0].X);
  EXPECT_EQ(3u, t->ReservedCells);
  EXPECT_TRUE(Marked(12, 5));
  TrnList_Clear();
  Grid_SetCell(11, 5, 0, CellCode(CELL_RESERVED_BIT));
  for (i32 x = 5; x <= 10; ++x) Grid_SetCell(x, 5, 0, 0);
  TrainRec* other = Train(2, 1, 16, 10, 5, 1, 0);
  Trn_EnterNextCell(other);
  EXPECT_EQ(10, Trn_Cells(other)[0].X);
  EXPECT_TRUE(Marked(11, 5));
  EXPECT_EQ(0u, Dmsg_Count());
}

// ---------------------------------------------------------------- ramps

// Ramps between levels: a ramp start on the upper level leads down to the
// bottom below it, a ramp bottom is passed on its top above.
TEST_F(TrnEntryFixture, RampsLeadBetweenLevelsOrRefuseWithTheirMessage) {
  const u32 rampDown = CodeForClass(TRK_CLASS_RAMP_DOWN, 1, 1, 0);
  const u32 bottomFromEast = CodeForClass(TRK_CLASS_RAMP_BOTTOM, 1, -1, 0);
  const u32 bottom = CodeForClass(TRK_CLASS_RAMP_BOTTOM, -1, 1, 0);
  const u32 top = CodeForClass(TRK_CLASS_RAMP_TOP, 1, 1, 0);
  ASSERT_NE(0xFFFFu, rampDown);
  ASSERT_NE(0xFFFFu, bottomFromEast);
  ASSERT_NE(0xFFFFu, bottom);
  ASSERT_NE(0xFFFFu, top);
  const struct {
    const char* what;
    i32 level;
    u32 next, below, above;  // codes at the next cell, under it and over it
    i32 enteredLevel;        // 1: refused
    i32 dirZ;
    u32 message;
  } cases[] = {
      {"down a ramp", 0, rampDown, bottomFromEast, 0xFFFF, 0, -1, 0},
      {"a ramp start without bottom", 0, rampDown, 0, 0xFFFF, 1, 0, TRN_MSG_RAMP_NO_BOTTOM},
      {"a ramp start on the lowest level", -4, rampDown, 0xFFFF, 0xFFFF, 1, 0, TRN_MSG_RAMP_OFF_LEVELS},
      {"up through a ramp bottom", -1, bottom, 0xFFFF, top, 0, 0, 0},
      {"a ramp bottom without top", -1, bottom, 0xFFFF, 0, 1, 0, TRN_MSG_RAMP_NO_TOP},
      {"a ramp bottom on the highest level", 0, bottom, 0xFFFF, 0xFFFF, 1, 0, TRN_MSG_RAMP_OFF_LEVELS},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    TrnList_Clear();
    Grid_Clear();
    Dmsg_Clear();
    const i32 z = tc.level;
    for (i32 x = 5; x <= 10; ++x) Grid_SetCell(x, 5, z, 0);
    Grid_SetCell(11, 5, z, CellCode(tc.next));
    if (tc.below != 0xFFFF) Grid_SetCell(11, 5, z - 1, CellCode(tc.below));
    if (tc.above != 0xFFFF) Grid_SetCell(11, 5, z + 1, CellCode(tc.above));
    TrainRec* t = Train(1, 1, 16, 10, 5, 1, 0, 0, z);
    const TrainCell* c = Trn_Cells(t);
    Trn_EnterNextCell(t);
    if (tc.enteredLevel == 1) {
      EXPECT_EQ(10, c[0].X);
      EXPECT_TRUE(HasMessage(tc.message));
      EXPECT_EQ(tc.next, Grid_GetCell(11, 5, z));
      continue;
    }
    const i32 level = tc.next == bottom ? z + 1 : z;
    EXPECT_EQ(11, c[0].X);
    EXPECT_EQ(level, c[0].Level);
    EXPECT_EQ(t->MarkerCode, Grid_GetCell(11, 5, level));
    EXPECT_EQ(tc.dirZ, t->DirZ);
    EXPECT_EQ(0u, Dmsg_Count());
  }
}

// ---------------------------------------------------------------- buffer stops and trains meeting

TEST_F(TrnEntryFixture, ABufferStopTurnsTheTrainWithoutEntering) {
  const u32 buffer = CodeForClass(TRK_CLASS_BUFFER, -1, 1, 0);
  ASSERT_NE(0xFFFFu, buffer);
  for (i32 x = 5; x <= 10; ++x) Grid_SetCell(x, 5, 0, 0);
  Grid_SetCell(11, 5, 0, CellCode(buffer));
  TrainRec* t = Train(1, 2, 40, 10, 5, 1, 0);
  Trn_EnterNextCell(t);
  EXPECT_EQ(buffer, Grid_GetCell(11, 5, 0));
  EXPECT_EQ(-1, t->DirX);
  EXPECT_FALSE(t->StateFlags & TRN_BLOCKED);
  EXPECT_EQ(1, Trn_CheckMarkers(t));
}

// What a train does when the next cell holds another train.
TEST_F(TrnEntryFixture, TrainsMeeting) {
  const struct {
    const char* what;
    i32 otherHead, otherDx;  // the other train's head on row 5 and its direction
    u32 otherFlags;
    u32 message;             // 0: refused without a message
  } cases[] = {
      {"head on", 11, -1, 0, TRN_MSG_HEAD_ON},
      {"the tail of a train running away", 12, 1, 0, 0},
      {"a paused train", 12, 1, TRN_PAUSED, TRN_MSG_PAUSED_AHEAD},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.what);
    TrnList_Clear();
    Grid_Clear();
    Dmsg_Clear();
    for (i32 x = 0; x <= 20; ++x) Grid_SetCell(x, 5, 0, 0);
    TrainRec* t = Train(1, 2, 40, 10, 5, 1, 0);
    TrainRec* o = Train(2, 2, 40, tc.otherHead, 5, tc.otherDx, 0, tc.otherFlags);
    Trn_EnterNextCell(t);
    EXPECT_EQ(10, Trn_Cells(t)[0].X);
    EXPECT_TRUE(t->StateFlags & TRN_BLOCKED);
    if (tc.message) EXPECT_TRUE(HasMessage(tc.message));
    else EXPECT_EQ(0u, Dmsg_Count());
    EXPECT_EQ(o->MarkerCode, Grid_GetCell(11, 5, 0));
    EXPECT_EQ(1, Trn_CheckMarkers(t));
    EXPECT_EQ(1, Trn_CheckMarkers(o));
  }
}

// ---------------------------------------------------------------- the marker invariant

TEST_F(TrnEntryFixture, TheMarkerCheckFindsALostMarker) {
  for (i32 x = 5; x <= 15; ++x) Grid_SetCell(x, 5, 0, 0);
  TrainRec* t = Train(1, 2, 40, 10, 5, 1, 0);
  EXPECT_EQ(1, Trn_CheckMarkers(t));
  Grid_SetCell(9, 5, 0, 0);  // a tail cell lost its marker
  EXPECT_EQ(0, Trn_CheckMarkers(t));
  Grid_SetCell(9, 5, 0, t->MarkerCode);
  Trn_Cells(t)[1].SavedCode = t->MarkerCode;  // a slot keeping a marker as its code
  EXPECT_EQ(0, Trn_CheckMarkers(t));
  Trn_Cells(t)[1].SavedCode = 0;
#if ORBA_CHECKS_ON
  // The step itself stops at the broken invariant.
  Grid_SetCell(9, 5, 0, 0);
  EXPECT_DEATH(Trn_MoveInCell(t), "invariant broken");
#endif
}

}  // namespace
