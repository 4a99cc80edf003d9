// Editing depot places: setting a place on a cell, storing its fields,
// deleting it, stepping through references, the region hooks and the
// report, with the trains that refer to the places.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/dep.h"
#include "model/dwx.h"
#include "model/grid.h"
#include "model/line.h"
#include "model/rngp.h"
#include "model/tp.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trnops.h"
#include "platform/fio.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

// Depot element codes: shape 136 + orientation (the low two bits).
CellCode DepotCode(u32 orientation) { return CellCode(136 + orientation); }

void PutDepotCell(i32 x, i32 y, u32 orientation = 0, i32 level = 0) {
  ASSERT_EQ(1, Grid_SetCell(x, y, level, DepotCode(orientation)));
}

u32 DepotOf(const wch* name) {
  const i32 d = Dep_FindByName(name, 0);
  return d > 0 ? u32(d) : 0;
}

DepotPlaceInfo Info(u32 depot, u32 place) {
  DepotPlaceInfo p = {};
  EXPECT_EQ(0, Dep_GetPlace(depot, place, &p)) << depot << ":" << place;
  return p;
}

// A train off the track of line 1 at the cell, with its home place.
TrainRec* MakeTrain(i32 number, i32 x, i32 y, u16 depot, u16 place) {
  TrainRec t;
  std::memset(&t, 0, sizeof t);
  t.Line = t.CurLine = 1;
  t.Number = number;
  t.LastCell = 1;
  t.VehicleCount = 1;
  t.HomeDepot = depot;
  t.HomePlace = place;
  const TrainCompositionEntry comp = {0x1230u, 0};
  EXPECT_EQ(0, TrnList_Create(&comp, &t, nullptr, x, y, 0));
  return TrnList_Find(1, number);
}

std::string Text(const std::vector<u8>& b) {
  std::string s;
  for (u8 c : b)
    if (c) s += char(c);
  return s;
}

class DepEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    Dep_Clear();
    TrnList_Clear();
    for (i32 x = 10; x < 20; ++x) PutDepotCell(x, 5, u32(x & 3));
    Ewin_ClearModified();
  }
  void TearDown() override {
    TrnList_Clear();
    Dep_Clear();
    Grid_Exit();
  }
};

TEST_F(DepEditTest, SettingAPlaceCreatesJoinsOrMovesIt) {
  ASSERT_EQ(1, Grid_SetCell(30, 5, 0, CellCode(0x0105)));  // a track cell
  const struct {
    i32 x;
    u32 place;
    const wch* name;
    int result;
  } cases[] = {
      {10, 1, u"Nordbahnhof", DEP_SET_NEW},
      {11, 2, u"Nordbahnhof", DEP_SET_NEW},           // joins the depot
      {12, 3, u"Nord", DEP_SET_NEW},                  // by its short name
      {13, 3, u"Nordbahnhof", DEP_SET_MOVED},         // the same place moves
      {11, 4, u"Nordbahnhof", DEP_SET_CELL_TAKEN},
      {30, 1, u"Süd", DEP_SET_NOT_DEPOT_CELL},
      {14, 0, u"Süd", DEP_SET_BAD_NUMBER},
      {14, 100, u"Süd", DEP_SET_BAD_NUMBER},
      {14, 1, u"", DEP_SET_NAME_EMPTY},
      {14, 1, u"S<d", DEP_SET_NAME_BAD},
      {14, 1, u"ABCDEFGHIJKLMNOPQ", DEP_SET_NAME_LONG},
      {14, 1, u"Süd", DEP_SET_NEW},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, Dep_SetPlaceAt(c.x, 5, 0, c.place, c.name)) << c.x << " " << c.place;
  u32 places = 0;
  EXPECT_EQ(2u, Dep_Count(&places));
  EXPECT_EQ(4u, places);
  const u32 nord = DepotOf(u"Nordbahnhof");
  EXPECT_EQ(nord, DepotOf(u"Nord"));
  EXPECT_EQ(3u, Dep_PlaceCount(nord));
  EXPECT_EQ(13, Info(nord, 3).X);
  // The moved place takes the first exit bit of its new cell's orientation
  // (13 & 3 = 1: bits 2 and 1).
  EXPECT_EQ(2u, Info(nord, 3).Directions);
  EXPECT_EQ(0u, Info(nord, 1).Directions);
  EXPECT_TRUE(Ewin_IsModified());
}

TEST_F(DepEditTest, AMovedPlaceTakesItsWaitingTrainsAlong) {
  ASSERT_EQ(0, Dep_SetPlaceAt(10, 5, 0, 1, u"Hafen"));
  const u32 d = DepotOf(u"Hafen");
  TrainRec* waiting = MakeTrain(1, 10, 5, u16(d), 1);
  TrainRec* elsewhere = MakeTrain(2, 40, 5, u16(d), 1);
  ASSERT_EQ(DEP_SET_MOVED, Dep_SetPlaceAt(15, 5, 0, 1, u"Hafen"));
  EXPECT_EQ(15, Trn_Cells(waiting)[0].X);
  EXPECT_EQ(40, Trn_Cells(elsewhere)[0].X);
}

TEST_F(DepEditTest, ADepotJoinsWhenTheDepotLimitIsReached) {
  // Fill the depot list up to its limit; the depots' own short names keep
  // the generator out of it.
  DepotPlace p = {};
  p.Number = 1;
  for (u32 n = 1; n <= DEP_MAX_DEPOTS; ++n) {
    wch name[16], shortName[8];
    for (int k = 0; k < 4; ++k) shortName[k] = wch(u'A' + (n >> (4 * k) & 15));
    shortName[4] = 0;
    name[0] = u'D';
    for (int k = 0; k < 5; ++k) name[1 + k] = shortName[k];
    p.X = i32(1000 + n);
    ASSERT_EQ(0, Dep_InsertPlace(n, name, shortName, &p)) << n;
  }
  EXPECT_EQ(DEP_SET_LIMIT, Dep_SetPlaceAt(10, 5, 0, 1, u"Neu"));
  // A further place of an existing depot is no new depot.
  EXPECT_EQ(DEP_SET_NEW, Dep_SetPlaceAt(10, 5, 0, 2, u"DBAAA"));
  EXPECT_EQ(2u, Dep_PlaceCount(1));
}

TEST_F(DepEditTest, StoringChecksInOrderAndChangesNothingOnRefusal) {
  ASSERT_EQ(0, Dep_SetPlaceAt(10, 5, 0, 1, u"Ost"));
  ASSERT_EQ(0, Dep_SetPlaceAt(11, 5, 0, 2, u"Ost"));
  ASSERT_EQ(0, Dep_SetPlaceAt(12, 5, 0, 1, u"West"));
  const u32 ost = DepotOf(u"Ost");
  const u32 cond[61] = {5};
  const i32 list[41] = {7, -7};
  const struct {
    u32 depot;
    const wch* name;
    const wch* shortName;
    u32 condCount, countA, countB, newPlace, oldPlace;
    int result;
  } cases[] = {
      {0, u"Ost", u"", 0, 0, 0, 1, 1, 1},
      {ost, u"Ost", u"", 0, 0, 0, 1, 0, 7},
      {ost, u"Ost", u"", 0, 0, 0, 100, 1, 8},
      {ost, u"Ost", u"", 61, 0, 0, 1, 1, 11},
      {ost, u"Ost", u"", 0, 41, 0, 1, 1, 12},
      {ost, u"Ost", u"", 0, 0, 41, 1, 1, 13},
      {ost, u"Ost", u"", 0, 0, 0, 1, 5, 2},
      {ost, u"", u"", 0, 0, 0, 1, 1, 4},
      {ost, u"O>t", u"", 0, 0, 0, 1, 1, 5},
      {ost, u"ABCDEFGHIJKLMNOPQ", u"", 0, 0, 0, 1, 1, 6},
      {ost, u"Ost", u"A;", 0, 0, 0, 1, 1, 5},
      {ost, u"Ost", u"ABCDE", 0, 0, 0, 1, 1, 6},
      {ost, u"Ost", u"West", 0, 0, 0, 1, 1, 10},
      {ost, u"West", u"", 0, 0, 0, 1, 1, 3},
      {ost, u"Ost", u"", 0, 0, 0, 2, 1, 9},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.result, Dep_StorePlace(c.depot, c.name, c.shortName, 0, 0, list, c.countB, list, c.countA, cond,
                                       c.condCount, 0, c.newPlace, c.oldPlace))
        << static_cast<int>(&c - cases);
  EXPECT_EQ(0u, Info(ost, 1).CondCount);
  EXPECT_EQ(0u, Info(ost, 1).Options);

  // Stored: the fields, a new name re-linked in name order.
  ASSERT_EQ(0, Dep_StorePlace(ost, u"Zentrum", u"Z", 6, 3000, list, 2, list, 1, cond, 1, 8, 1, 1));
  const DepotPlaceInfo p = Info(ost, 1);
  EXPECT_EQ(6u, p.Options);
  EXPECT_EQ(3000u, p.WaitMs);
  EXPECT_EQ(8u, p.Directions);
  EXPECT_EQ(1u, p.CondCount);
  EXPECT_EQ(1u, p.ListACount);
  EXPECT_EQ(2u, p.ListBCount);
  EXPECT_EQ(ost, DepotOf(u"Z"));
  u32 depot = 0;
  Dep_NextPlace(&depot);
  EXPECT_EQ(DepotOf(u"West"), depot) << "West now sorts before Zentrum";
}

TEST_F(DepEditTest, RenumberingAPlaceRewritesTheTrainsThatNameIt) {
  for (u32 n : {1u, 3u, 6u}) ASSERT_EQ(0, Dep_SetPlaceAt(9 + i32(n), 5, 0, n, u"Mitte"));
  const u32 d = DepotOf(u"Mitte");
  TrainRec* t = MakeTrain(1, 12, 5, u16(d), 3);
  t->TimeA[0] = 0x7F080000;
  t->DepotA[0] = u16(d);
  t->PlaceA[0] = 0x8003;
  t->TimeB[2] = 0x01090000;
  t->DepotB[2] = u16(d);
  t->PlaceB[2] = 1;
  ASSERT_EQ(0, Dep_StorePlace(d, u"Mitte", u"", 0, 0, nullptr, 0, nullptr, 0, nullptr, 0, 0, 7, 3));
  std::vector<u32> order;
  for (u32 dep = 0, n; (n = Dep_NextPlace(&dep)) != 0;) order.push_back(n);
  EXPECT_EQ((std::vector<u32>{1, 6, 7}), order);
  EXPECT_EQ(7, t->HomePlace);
  EXPECT_EQ(0x8007, t->PlaceA[0]);
  EXPECT_EQ(1, t->PlaceB[2]);
  EXPECT_EQ(12, Info(d, 7).X);
}

// Shunting points, timetable points and Dwx points keep depot places in
// their rules and lists: they follow a renumbered place and drop a deleted one.
TEST_F(DepEditTest, PointsThatNameAPlaceFollowItsNumberAndLoseItWhenDeleted) {
  for (u32 n : {1u, 3u, 6u}) ASSERT_EQ(0, Dep_SetPlaceAt(9 + i32(n), 5, 0, n, u"Mitte"));
  const u32 d = DepotOf(u"Mitte");
  // One group: line 5, the depot-place option (word 5: a depot and a place follow).
  const u32 rule[] = {1, 5, LIN_OPT_LETTER17, 5, d, 3};
  ASSERT_EQ(0, Dwx_Create(30, 6, 0, 0, 0xFF, u"W"));
  ASSERT_EQ(0, Dwx_SetRule(30, 6, 0, rule, 6));
  const PackedWeekTime noResets[TP_RESET_TIMES] = {};
  ASSERT_EQ(TP_OK, Tp_Create(31, 6, 0, 0, noResets, 2, 0, 1, 0xFF, 0, u"T"));
  ASSERT_EQ(0, Tp_SetListsRaw(31, 6, 0, nullptr, 0, rule, 6));
  // A shunting point whose last list names the place.
  ASSERT_EQ(0, Rp_Set(32, 6, 0, 1, 0x2, RP_TYPE_TAKE));
  const u32 places[] = {d, 3};
  ASSERT_EQ(0, Rp_Edit(32, 6, 0, places, 0, 30, 15, 4, 2, 0x40, 2, 0, 0, 0));

  struct Seen {
    u32 dwxDepot, dwxPlace, tpDepot, tpPlace, rpCount, rpDepot, rpPlace;
  };
  auto look = [&]() {
    Seen s = {};
    u32 words[64], count = 0;
    EXPECT_EQ(0, Dwx_GetInfo(30, 6, 0, words, &count, nullptr, nullptr));
    s.dwxDepot = words[4], s.dwxPlace = words[5];
    EXPECT_EQ(0, Tp_GetInfo(31, 6, 0, nullptr, words, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr));
    s.tpDepot = words[4], s.tpPlace = words[5];
    const u32* list = nullptr;
    s.rpCount = Rp_GetList(32, 6, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &list, 5);
    if (s.rpCount >= 2) s.rpDepot = list[0], s.rpPlace = list[1];
    return s;
  };
  ASSERT_EQ(0, Dep_StorePlace(d, u"Mitte", u"", 0, 0, nullptr, 0, nullptr, 0, nullptr, 0, 0, 7, 3));
  Seen s = look();
  EXPECT_EQ(d, s.dwxDepot);
  EXPECT_EQ(7u, s.dwxPlace) << "Dwx point";
  EXPECT_EQ(d, s.tpDepot);
  EXPECT_EQ(7u, s.tpPlace) << "timetable point";
  EXPECT_EQ(2u, s.rpCount);
  EXPECT_EQ(d, s.rpDepot);
  EXPECT_EQ(7u, s.rpPlace) << "shunting point";
  // Renumbering another place leaves them alone.
  ASSERT_EQ(0, Dep_StorePlace(d, u"Mitte", u"", 0, 0, nullptr, 0, nullptr, 0, nullptr, 0, 0, 2, 1));
  s = look();
  EXPECT_EQ(7u, s.dwxPlace);
  EXPECT_EQ(7u, s.tpPlace);
  EXPECT_EQ(7u, s.rpPlace);

  ASSERT_EQ(0, Dep_DeletePlace(d, 7));
  s = look();
  EXPECT_EQ(0u, s.dwxDepot) << "Dwx point";
  EXPECT_EQ(0u, s.tpDepot) << "timetable point";
  EXPECT_EQ(0u, s.rpCount) << "shunting point";
  Dwx_Clear();
  Tp_Clear();
  Rp_Clear();
}

TEST_F(DepEditTest, DeletingIsRefusedWhileTrainsUseThePlace) {
  ASSERT_EQ(0, Dep_SetPlaceAt(10, 5, 0, 1, u"Alt"));
  ASSERT_EQ(0, Dep_SetPlaceAt(11, 5, 0, 2, u"Alt"));
  ASSERT_EQ(0, Dep_SetPlaceAt(12, 5, 0, 1, u"Neu"));
  const u32 alt = DepotOf(u"Alt"), neu = DepotOf(u"Neu");
  TrainRec* standing = MakeTrain(1, 10, 5, 0, 0);
  TrainRec* homed = MakeTrain(2, 50, 5, u16(alt), 2);
  EXPECT_EQ(1, Dep_DeletePlace(alt, 9));
  EXPECT_EQ(2, Dep_DeletePlace(alt, 1));
  EXPECT_EQ(3, Dep_DeletePlace(alt, 2));
  TrnList_FreeTrain(standing);
  homed->HomeDepot = 0;
  homed->TimeB[0] = 0x02100000;
  homed->DepotB[0] = u16(alt);
  homed->PlaceB[0] = 2;
  EXPECT_EQ(4, Dep_DeletePlace(alt, 2));
  homed->TimeB[0] = 0;
  homed->StateFlags |= TRN_IN_SERVICE;
  homed->CurDepot = u16(alt);
  homed->CurPlace = 2;
  EXPECT_EQ(5, Dep_DeletePlace(alt, 2));
  homed->StateFlags &= ~TRN_IN_SERVICE;

  Ewin_ClearModified();
  EXPECT_EQ(0, Dep_DeletePlace(alt, 2));
  EXPECT_EQ(0, Dep_DeletePlace(alt, 1));
  EXPECT_TRUE(Ewin_IsModified());
  EXPECT_EQ(nullptr, Dep_Find(alt, 0, nullptr)) << "a depot without places does not exist";
  EXPECT_EQ(1u, Dep_Count(nullptr));
  // Its number is free again for the next new depot.
  ASSERT_EQ(0, Dep_SetPlaceAt(13, 5, 0, 1, u"Dritt"));
  EXPECT_EQ(alt, DepotOf(u"Dritt"));
  EXPECT_NE(neu, alt);
}

TEST_F(DepEditTest, ReferencesStepRoundAllPlaces) {
  wch out[24];
  EXPECT_EQ(1, Dep_NormalizePlaceRef(u"Irgendwo:3", out, 1));
  EXPECT_EQ(wstr(u"Irgendwo:3"), wstr(out));
  ASSERT_EQ(0, Dep_SetPlaceAt(10, 5, 0, 2, u"Berg"));
  ASSERT_EQ(0, Dep_SetPlaceAt(11, 5, 0, 5, u"Berg"));
  ASSERT_EQ(0, Dep_SetPlaceAt(12, 5, 0, 1, u"Tal"));
  const struct {
    const wch* text;
    i32 step;
    const wch* want;
  } cases[] = {
      {u"Berg:2", 0, u"Berg:2"},  {u"berg: 5", 0, u"Berg:5"}, {u"BERG:5", 0, u"Berg:5"},
      {u"Berg:2", 1, u"Berg:5"},  {u"Berg:5", 1, u"Tal:1"},   {u"Tal:1", 1, u"Berg:2"},
      {u"Berg:2", -1, u"Tal:1"},  {u"Berg", 0, u"Berg:2"},    {u"Nirgends:4", 1, u"Berg:2"},
      {u"Berg:9", -1, u"Berg:2"}, {u"Tal", 5, u"Berg:5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(0, Dep_NormalizePlaceRef(c.text, out, c.step));
    EXPECT_EQ(wstr(c.want), wstr(out)) << U8(wstr(c.text)) << " " << c.step;
  }
}

TEST_F(DepEditTest, RegionMovesKeepThePlacesAndTheirTrainsTogether) {
  ASSERT_EQ(0, Dep_SetPlaceAt(10, 5, 0, 1, u"Kai"));
  ASSERT_EQ(0, Dep_SetPlaceAt(15, 5, 0, 2, u"Kai"));
  const u32 d = DepotOf(u"Kai");
  TrainRec* t = MakeTrain(1, 10, 5, u16(d), 1);
  EXPECT_EQ(1, Dep_TestInBox(9, 4, 0, 11, 6, 0));
  EXPECT_EQ(0, Dep_TestInBox(11, 4, 0, 14, 6, 0));

  Dep_MoveInBox(11, 6, 0, 9, 4, 0, 100, 20, -1);
  TrnList_MoveBlock(11, 6, 0, 9, 4, 0, 100, 20, -1);
  EXPECT_EQ(110, Info(d, 1).X);
  EXPECT_EQ(25, Info(d, 1).Y);
  EXPECT_EQ(-1, Info(d, 1).Level);
  EXPECT_EQ(15, Info(d, 2).X) << "outside the box";
  u32 place = 0;
  EXPECT_EQ(d, Dep_FindAtPosition(Trn_Cells(t)[0].X, Trn_Cells(t)[0].Y, Trn_Cells(t)[0].Level, &place));
  EXPECT_EQ(1u, place);

  // Scaled from the box's first corner by 3/1 in x and 2/1 in y.
  Dep_TransformInBox(100, 20, -1, 120, 30, -1, 1, 2, 1, 3);
  TrnList_ScaleBlock(100, 20, -1, 120, 30, -1, 1, 2, 1, 3);
  EXPECT_EQ(130, Info(d, 1).X);
  EXPECT_EQ(30, Info(d, 1).Y);
  EXPECT_EQ(d, Dep_FindAtPosition(Trn_Cells(t)[0].X, Trn_Cells(t)[0].Y, Trn_Cells(t)[0].Level, &place));
  // The train still starts at its home place.
  EXPECT_EQ(1u, TrnList_CountUses(d, 1, 130, 30, -1, 0x7F, nullptr, nullptr, nullptr, nullptr));
}

static int WriteReport() { return Dep_WriteReport(u';', 0); }

TEST_F(DepEditTest, TheReportListsEveryPlaceWithItsUses) {
  ASSERT_EQ(0, Dep_SetPlaceAt(10, 5, 0, 1, u"Hof"));
  ASSERT_EQ(0, Dep_SetPlaceAt(11, 5, 0, 2, u"Hof"));
  const u32 d = DepotOf(u"Hof");
  const i32 cond[1] = {4};
  ASSERT_EQ(0, Dep_StorePlace(d, u"Hof", u"", 0, 12000, nullptr, 0, cond, 1, nullptr, 0, 0, 2, 2));
  MakeTrain(1, 10, 5, u16(d), 1);
  const std::string s = Text(Test_SaveSection(WriteReport));
  EXPECT_NE(std::string::npos, s.find("Hof: 1;")) << s;
  EXPECT_NE(std::string::npos, s.find("   10;    5;+0;---;                ----;     1;      1;      0;      0"))
      << s;
  EXPECT_NE(std::string::npos, s.find("   11;    5;+0; 12;                -xx-;     0;      0;      0;      0"))
      << s;
}

}  // namespace
