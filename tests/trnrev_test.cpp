// Reversing, joining and splitting trains: results, limits, the vehicle and
// slot bookkeeping and the marker invariant.
#include <gtest/gtest.h>

#include "operation/trnrev.h"
#include "tests/trn_fixture.h"

namespace {

class TrnRevTest : public TrnFixture {
 protected:
  void SetUp() override {
    TrnFixture::SetUp();
    Row(0, 40, 10);
  }
  static std::vector<u32> Vehicles(const TrainRec* t) {
    std::vector<u32> v;
    for (u32 i = 0; i < t->VehicleCount; ++i) v.push_back(Trn_Vehicles(t)[i].Vehicle);
    return v;
  }
  static std::vector<i32> CellsX(const TrainRec* t) {
    std::vector<i32> v;
    for (u32 i = 0; i <= t->LastCell; ++i)
      if (Trn_Cells(t)[i].SavedCode != TRN_NO_CODE) v.push_back(Trn_Cells(t)[i].X);
    return v;
  }
};

TEST_F(TrnRevTest, ReverseTurnsSlotsVehiclesAndDirection) {
  TrainRec* t = Place(1, {32, 32, 32}, Line(12, 10, -1, 0, 4), 1, 0);
  TrainVehicle* v = Trn_Vehicles(t);
  v[1].VehFlags = TRN_VEH_PICTURE_TURNED;  // follows no reversal
  ASSERT_EQ(0, Trn_Reverse(t, 1, 0));
  EXPECT_EQ(-1, t->DirX);
  EXPECT_EQ(0, t->DirY);
  EXPECT_TRUE(t->StateFlags & 0x20);
  EXPECT_EQ((std::vector<i32>{10, 11, 12}), CellsX(t));
  // The spare slot stands one step ahead of the old head, without a cell.
  EXPECT_EQ(13, Trn_Cells(t)[3].X);
  EXPECT_EQ(TRN_NO_CODE, Trn_Cells(t)[3].SavedCode);
  EXPECT_EQ((std::vector<u32>{0x102, 0x101, 0x100}), Vehicles(t));
  EXPECT_EQ(u32(TRN_VEH_TURNED), v[0].VehFlags);
  EXPECT_EQ(u32(TRN_VEH_PICTURE_TURNED), v[1].VehFlags);
  EXPECT_EQ(u32(TRN_VEH_TURNED), v[2].VehFlags);
  EXPECT_EQ(0, t->SubCellOffset);  // 96 pixels end on a cell border
  CheckMarkers();
  // Back again: everything as it was.
  ASSERT_EQ(0, Trn_Reverse(t, 1, 0));
  EXPECT_EQ((std::vector<i32>{12, 11, 10}), CellsX(t));
  EXPECT_EQ((std::vector<u32>{0x100, 0x101, 0x102}), Vehicles(t));
  for (u32 i = 0; i < 3; ++i) EXPECT_EQ(i == 1 ? u32(TRN_VEH_PICTURE_TURNED) : 0u, v[i].VehFlags);
  EXPECT_FALSE(t->StateFlags & 0x20);
}

TEST_F(TrnRevTest, ReverseVehicleRules) {
  struct Case {
    std::vector<u32> flags;
    int keepOrder;
    std::vector<u32> wantFlags;  // after one reversal, in the new order
  } cases[] = {
      {{0}, 0, {TRN_VEH_TURNED}},
      {{TRN_VEH_PICTURE_TURNED}, 0, {TRN_VEH_PICTURE_TURNED}},
      {{0, TRN_VEH_TURNED}, 0, {0, TRN_VEH_TURNED}},
      {{0, 1, 0}, 0, {TRN_VEH_TURNED, 1, TRN_VEH_TURNED}},
      // Order kept: only the vehicles with bit 0 turn.
      {{0, 1}, 1, {0, 1 | TRN_VEH_TURNED}},
  };
  for (const Case& c : cases) {
    TrnList_FreeAll();
    Grid_Clear();
    Row(0, 40, 10);
    std::vector<u32> lengths(c.flags.size(), 32);
    TrainRec* t = Place(1, lengths, Line(12, 10, -1, 0, 5), 1, 0);
    for (u32 i = 0; i < t->VehicleCount; ++i) Trn_Vehicles(t)[i].VehFlags = c.flags[i];
    ASSERT_EQ(0, Trn_Reverse(t, 1, c.keepOrder));
    for (u32 i = 0; i < t->VehicleCount; ++i) EXPECT_EQ(c.wantFlags[i], Trn_Vehicles(t)[i].VehFlags) << i;
    // An even or odd count reversed twice is as it was.
    ASSERT_EQ(0, Trn_Reverse(t, 1, c.keepOrder));
    for (u32 i = 0; i < t->VehicleCount; ++i) EXPECT_EQ(c.flags[i], Trn_Vehicles(t)[i].VehFlags) << i;
  }
}

TEST_F(TrnRevTest, ReverseRefusesATrainNotFullyOnTheTrack) {
  TrainRec* t = Place(1, {32, 32}, Line(12, 10, -1, 0, 3), 1, 0);
  // Its tail is still in a depot place: the second slot holds no cell.
  Grid_SetCell(11, 10, 0, kFixH);
  Trn_Cells(t)[1].SavedCode = TRN_NO_CODE;
  EXPECT_EQ(3, Trn_CheckOnTrack(t));
  EXPECT_EQ(1, Trn_Reverse(t, 1, 0));
  EXPECT_EQ(1, t->DirX);
  t->StateFlags |= TRN_OFF_TRACK;
  EXPECT_EQ(1, Trn_CheckOnTrack(t));
}

TEST_F(TrnRevTest, ReverseInsideACellGivesTheTouchedTailCellBack) {
  // Two cells of length, reaching into a third one.
  TrainRec* t = Place(1, {32, 32}, Line(12, 10, -1, 0, 3), 1, 0);
  Trn_Cells(t)[2].SavedCode = kFixH;
  Grid_SetCell(10, 10, 0, t->MarkerCode);
  t->SubCellOffset = 12;
  ASSERT_EQ(0, Trn_Reverse(t, 0, 0));
  EXPECT_EQ(u32(kFixH), Code(10, 10));
  EXPECT_EQ((std::vector<i32>{11, 12}), CellsX(t));
  EXPECT_EQ(0, t->SubCellOffset);
  CheckMarkers();
}

TEST_F(TrnRevTest, JoinAtTheTail) {
  // 7 stands set aside at 20..18; 3 runs east onto its tail from 17.
  TrainRec* ahead = Place(7, {32, 32, 32}, Line(20, 10, -1, 0, 4), 1, 0);
  ahead->StateFlags |= TRN_SET_ASIDE;
  TrnList_UnlinkState(ahead);
  TrainRec* behind = Place(3, {32, 32}, Line(17, 10, -1, 0, 3), 1, 0);
  Trn_Vehicles(behind)[0].Vehicle = 0x200;
  Trn_Vehicles(behind)[1].Vehicle = 0x201;
  ASSERT_EQ(2u, Trn_GetCount());
  ASSERT_EQ(TRN_JOIN_OK, Trn_Join(ahead, behind, 0));
  ASSERT_EQ(1u, Trn_GetCount());
  TrainRec* j = TrnList_GetFirst();
  EXPECT_EQ(3, j->Number);  // the smaller number
  EXPECT_EQ(5u, j->VehicleCount);
  EXPECT_EQ(5u, j->LastCell);
  EXPECT_EQ(160u, j->TailOffset);
  EXPECT_EQ(2, j->SplitPos);
  EXPECT_EQ(1, j->DirX);
  EXPECT_FALSE(j->StateFlags & TRN_SET_ASIDE);
  EXPECT_EQ((std::vector<i32>{20, 19, 18, 17, 16}), CellsX(j));
  EXPECT_EQ((std::vector<u32>{0x100, 0x101, 0x102, 0x200, 0x201}), Vehicles(j));
  // The joined train's marker stands in all five cells at once.
  for (i32 x = 16; x <= 20; ++x) EXPECT_EQ(j->MarkerCode, Code(x, 10)) << x;
  CheckMarkers();
}

TEST_F(TrnRevTest, JoinHeadOn) {
  // 7 stands set aside at 20..22 facing west; 9 runs east head-on from 19.
  TrainRec* ahead = Place(7, {32, 32, 32}, Line(20, 10, 1, 0, 4), -1, 0);
  ahead->StateFlags |= TRN_SET_ASIDE;
  TrnList_UnlinkState(ahead);
  TrainRec* behind = Place(9, {32, 32}, Line(19, 10, -1, 0, 3), 1, 0);
  ASSERT_EQ(TRN_JOIN_OK, Trn_Join(ahead, behind, 1));
  TrainRec* j = TrnList_GetFirst();
  EXPECT_EQ(7, j->Number);
  // The running-on train turned round first and leads: west from 18.
  EXPECT_EQ(-1, j->DirX);
  EXPECT_EQ((std::vector<i32>{18, 19, 20, 21, 22}), CellsX(j));
  CheckMarkers();
}

TEST_F(TrnRevTest, JoinRefusals) {
  struct Case {
    const char* what;
    int want;
  } cases[] = {{"too many vehicles", TRN_JOIN_TOO_LONG},        {"not set aside", TRN_JOIN_NOT_COUPLABLE},
               {"track kinds", TRN_JOIN_TRACK_KINDS},           {"behind has no coupling", TRN_JOIN_BEHIND_NO_COUPLING},
               {"ahead has no coupling", TRN_JOIN_AHEAD_NO_COUPLING}, {"off the track", TRN_JOIN_OFF_TRACK}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TrnList_FreeAll();
    Grid_Clear();
    Row(0, 40, 10);
    const bool many = c.want == TRN_JOIN_TOO_LONG;
    // 120 and 90 vehicles of 4 pixels: 210 vehicles in 27 cells.
    TrainRec* ahead = Place(7, std::vector<u32>(many ? 120 : 2, many ? 4 : 32), Line(30, 10, -1, 0, 16), 1, 0);
    TrainRec* behind = Place(3, std::vector<u32>(many ? 90 : 2, many ? 4 : 32), Line(14, 10, -1, 0, 13), 1, 0);
    if (c.want != TRN_JOIN_NOT_COUPLABLE) ahead->StateFlags |= TRN_SET_ASIDE;
    if (c.want == TRN_JOIN_TRACK_KINDS) behind->PathOption = 4;
    if (c.want == TRN_JOIN_BEHIND_NO_COUPLING) Trn_Vehicles(behind)[0].VehFlags = TRN_VEH_NO_FRONT_COUPLING;
    // The tail end of a turned vehicle is its front.
    if (c.want == TRN_JOIN_AHEAD_NO_COUPLING)
      Trn_Vehicles(ahead)[1].VehFlags = TRN_VEH_TURNED | TRN_VEH_NO_FRONT_COUPLING;
    if (c.want == TRN_JOIN_OFF_TRACK) behind->StateFlags |= TRN_OFF_TRACK;
    EXPECT_EQ(c.want, Trn_Join(ahead, behind, 0));
    EXPECT_EQ(2u, Trn_GetCount());
    if (c.want != TRN_JOIN_OFF_TRACK) CheckMarkers();
  }
}

TEST_F(TrnRevTest, SplitIntoTwoTrainsThatRunApart) {
  TrainRec* t = Place(4, {32, 32, 32, 32}, Line(15, 10, -1, 0, 5), 1, 0);
  t->SplitPos = 1;
  ASSERT_EQ(0, Trn_Split(t, TRN_SPLIT_SPLIT, 0, 0, 0, 2));
  ASSERT_EQ(2u, Trn_GetCount());
  TrainRec* front = TrnList_Find(1, 4);
  ASSERT_TRUE(front);
  TrainRec* rear = front->Next ? front->Next : TrnList_GetFirst();
  if (rear == front) rear = TrnList_GetFirst();
  ASSERT_NE(front, rear);
  EXPECT_EQ((std::vector<i32>{15, 14}), CellsX(front));
  EXPECT_EQ(1, front->DirX);
  EXPECT_EQ((std::vector<u32>{0x100, 0x101}), Vehicles(front));
  // The rear part turned round and heads west from the split.
  EXPECT_EQ((std::vector<i32>{12, 13}), CellsX(rear));
  EXPECT_EQ(-1, rear->DirX);
  EXPECT_EQ(2u, rear->VehicleCount);
  EXPECT_NE(4, rear->Number);
  EXPECT_EQ(64u, front->TailOffset);
  CheckMarkers();
}

TEST_F(TrnRevTest, SplitResultsWithoutASplit) {
  struct Case {
    const char* what;
    std::vector<u32> lengths;
    u32 value;
    i32 position, splitPos;
    int want;
    i32 wantDirX;  // after the call
  } cases[] = {
      {"one vehicle, go on", {32}, TRN_SPLIT_SPLIT | TRN_SPLIT_GO_ON, 1, 0, 11, 1},
      {"one vehicle, reverse", {32}, TRN_SPLIT_SPLIT, 1, 0, 12, -1},
      {"reverse only", {32, 32}, 0, 0, 0, 9, -1},
      {"position beyond, go on", {32, 32}, TRN_SPLIT_SPLIT | TRN_SPLIT_GO_ON, 5, 0, 13, 1},
      {"position beyond, reverse", {32, 32}, TRN_SPLIT_SPLIT, 2, 0, 14, -1},
      {"no position", {32, 32}, TRN_SPLIT_SPLIT, 0, 0, 5, 1},
      {"park", {32, 32}, TRN_SPLIT_PARK, 0, 0, 10, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TrnList_FreeAll();
    Grid_Clear();
    Row(0, 40, 10);
    TrainRec* t = Place(4, c.lengths, Line(15, 10, -1, 0, 4), 1, 0);
    t->SplitPos = c.splitPos;
    EXPECT_EQ(c.want, Trn_Split(t, c.value, 0, 0, 30, c.position));
    EXPECT_EQ(1u, Trn_GetCount());
    EXPECT_EQ(c.wantDirX, t->DirX);
    if (c.want == 10) {
      EXPECT_TRUE(t->StateFlags & TRN_SET_ASIDE);
      EXPECT_EQ(30, t->WaitLeft);
      EXPECT_EQ(u32(TRN_LIST_NONE), t->StateList);
    }
    CheckMarkers();
  }
}

}  // namespace
