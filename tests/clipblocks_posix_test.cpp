// The clipboard blocks of depots, stops and lines, over the native stand-in
// of the clipboard (the system clipboard is one for the whole desktop): a
// copied box pasted elsewhere keeps every object and every reference, and a
// damaged block is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/line.h"
#include "operation/sig.h"
#include "operation/trn.h"
#include "operation/trnops.h"
#include "platform/clip.h"
#include "platform/heap.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

int g_window;

std::vector<std::u16string> Lines() {
  std::vector<std::u16string> out;
  wch buf[5000];
  for (i32 n = 0; Clip_ReadLine(n, 5000, buf) == 0; ++n) out.push_back(buf);
  return out;
}

void SetLines(const std::vector<std::u16string>& lines) {
  ASSERT_EQ(0, Clip_Empty());
  for (const auto& l : lines) ASSERT_EQ(0, Clip_AppendLine(l.c_str()));
}

class ClipBlocks : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    Heap_Init();
    Clip_SetWindow(&g_window);
    ASSERT_EQ(0, Clip_Empty());
    ASSERT_EQ(0, Grid_Init());
    ASSERT_EQ(1, Lin_Init());
    Sig_Clear();
    Dep_Clear();
    Hst_Clear();
    TrnList_Clear();
  }
  void TearDown() override {
    TrnList_Clear();
    Hst_Clear();
    Dep_Clear();
    Sig_Clear();
    Lin_Exit();
    Grid_Exit();
    Clip_SetWindow(nullptr);
  }
  static u32 Installation(const char* name) {
    SignalInstallationData d = {};
    const wstr n = W16(name);
    std::memcpy(d.Name, n.c_str(), (n.size() + 1) * 2);
    d.Limit = 1;
    d.Maximum = 2;
    d.Kind = 1;
    const u32 id = Sig_CreateInstallation(0);
    EXPECT_EQ(0, Sig_SetInstallation(id, &d));
    return id;
  }
};

TEST_F(ClipBlocks, DepotPlacesTravelWithTheirNamesConditionsAndLists) {
  const u32 west = Installation("West"), ost = Installation("Ost");
  DepotPlace p = {};
  p.X = 5, p.Y = 6, p.Number = 1, p.Directions = 8, p.WaitMs = 30000, p.Options = 2;
  p.CondCount = 1, p.Cond[0] = west;
  p.ListACount = 2, p.ListA[0] = i32(west), p.ListA[1] = -i32(ost);
  ASSERT_EQ(0, Dep_InsertPlace(7, u"Hafen", u"HF", &p));
  p = {};
  p.X = 6, p.Y = 6, p.Number = 2;
  ASSERT_EQ(0, Dep_InsertPlace(7, u"Hafen", u"HF", &p));
  p.X = 50, p.Y = 6, p.Number = 1;
  ASSERT_EQ(0, Dep_InsertPlace(8, u"Fern", u"F", &p));
  ASSERT_EQ(0, Dep_CopyToClip(0, 0, 0, 10, 10, 0));
  const std::vector<std::u16string> block = Lines();
  ASSERT_EQ(6u, block.size());
  EXPECT_EQ(u"DEP_A", block[0]);
  EXPECT_EQ(u"5,6,0,1,8,30000,2,1,2,0,7,\"Hafen\",\"HF\"", block[1]);
  EXPECT_EQ(u"DEP_E", block.back());

  // Into an empty layout: a new depot under both names, moved by the offset.
  Dep_Clear();
  i32 line = 0;
  EXPECT_EQ(0, Dep_PasteFromClip(&line, 100, 1, -1));
  EXPECT_EQ(6, line);
  const i32 d = Dep_FindByName(u"HF", 0);
  ASSERT_GT(d, 0);
  DepotPlaceInfo info = {};
  ASSERT_EQ(0, Dep_GetPlace(u32(d), 1, &info));
  EXPECT_EQ(105, info.X);
  EXPECT_EQ(7, info.Y);
  EXPECT_EQ(-1, info.Level);
  EXPECT_EQ(8u, info.Directions);
  EXPECT_EQ(30000u, info.WaitMs);
  EXPECT_EQ(1u, info.CondCount);
  EXPECT_EQ(west, info.Cond[0]);
  ASSERT_EQ(2u, info.ListACount);
  EXPECT_EQ(-i32(ost), info.ListA[1]);
  EXPECT_EQ(2u, Dep_PlaceCount(u32(d)));

  // Again: both places exist in that depot, so both are skipped (bit 2).
  line = 0;
  EXPECT_EQ(2, Dep_PasteFromClip(&line, 0, 0, 0));
  EXPECT_EQ(2u, Dep_PlaceCount(u32(d)));
  // A damaged block.
  SetLines({u"DEP_A", u"5,6,0,1,8", u"DEP_E"});
  line = 0;
  EXPECT_EQ(4, Dep_PasteFromClip(&line, 0, 0, 0));
  SetLines({u"DEP_A", u"5,6,0,3,0,0,0,0,0,0,7,\"Hafen\",\"HF\""});
  line = 0;
  EXPECT_EQ(2, Dep_PasteFromClip(&line, 0, 0, 0));
}

TEST_F(ClipBlocks, StopsAndTheLinesTheyNameTravelTogether) {
  LineId a = 0, b = 0;
  ASSERT_EQ(0, Lin_Create(u"Ring", 0, 0, &a));
  ASSERT_EQ(0, Lin_Create(u"Quer", 0, 0, &b));
  ASSERT_EQ(0, Lin_SetText(a, u"Erste Zeile\r\nZweite \\ Zeile"));
  const u32 words[3] = {1, a, 0};
  const StopPair pairs[2] = {{30, 1}, {45, 3}};
  ASSERT_EQ(0, Hst_Set(4, 4, 0, 2, pairs, 3, words, 5, 2500, 0x81, HST_F_LINES_ONLY | HST_F_PAIRS | HST_F_EXTRA, 3));
  ASSERT_EQ(0, Hst_Set(40, 4, 0, 0, nullptr, 0, nullptr, 1, 0, 1, 0, 1));
  ASSERT_EQ(0, Lin_CopyToClip(0, 0, 0, 10, 10, 0));
  ASSERT_EQ(0, Hst_CopyToClip(0, 0, 0, 10, 10, 0));
  const std::vector<std::u16string> block = Lines();
  EXPECT_EQ(u"LIN_A", block[0]);
  EXPECT_EQ(u"\"Ring\",28", block[1]);
  EXPECT_EQ(u"Erste Zeile\\000d\\000aZweite \\005c Zeile\\0000", block[2]);
  EXPECT_EQ(u"LIN_E", block[3]) << "a line no object in the box names stays out";
  EXPECT_EQ(u"HST_A", block[4]);
  EXPECT_EQ(u"4,4,0,3,b0,81,9c4,5", block[5]);
  EXPECT_EQ(u"Ring", block[6]);
  EXPECT_EQ(u"2", block[7]);
  EXPECT_EQ(u"HST_E", block.back());

  // Into a layout without the line: it is created with its text first, so
  // the stop's rule binds to it.
  Hst_Clear();
  Lin_Clear();
  i32 line = 0;
  EXPECT_EQ(0, Lin_PasteFromClip(&line));
  EXPECT_EQ(4, line);
  const i32 ring = Lin_FindByName(u"Ring");
  ASSERT_GT(ring, 0);
  wch text[64];
  ASSERT_EQ(28, Lin_GetText(LineId(ring), text));
  EXPECT_EQ(wstr(u"Erste Zeile\r\nZweite \\ Zeile"), wstr(text));
  EXPECT_EQ(0, Lin_FindByName(u"Quer"));
  EXPECT_EQ(0, Hst_PasteFromClip(&line, 20, 0, 0));
  EXPECT_EQ(i32(block.size()), line);
  u32 np = 0, nw = 0, extra = 0, flags = 0, got[8] = {};
  StopPair gp[HST_MAX_PAIRS];
  u8 dm = 0;
  ASSERT_EQ(3, Hst_GetInfo(24, 4, 0, &np, gp, &nw, got, &extra, &dm, &flags));
  EXPECT_EQ(u32(HST_F_LINES_ONLY | HST_F_PAIRS | HST_F_EXTRA), flags);
  EXPECT_EQ(2500u, extra);
  EXPECT_EQ(0x81, dm);
  EXPECT_EQ(5u, Hst_Find(24, 4, 0)->Kind);
  ASSERT_EQ(2u, np);
  EXPECT_EQ(45, gp[1].Number);
  EXPECT_EQ(3, gp[1].Weight);
  EXPECT_EQ((std::vector<u32>{1, u32(ring), 0}), std::vector<u32>(got, got + nw));
  EXPECT_EQ(1, Lin_CountUsersInBox(ring, 20, 0, 0, 30, 10, 0));

  // The lines exist now: a second paste creates none; a damaged block.
  line = 0;
  EXPECT_EQ(0, Lin_PasteFromClip(&line));
  EXPECT_EQ(1, i32(Lin_CountAndMax() & 0xFFFF));
  SetLines({u"LIN_A", u"\"Ring,4"});
  line = 0;
  EXPECT_EQ(2, Lin_PasteFromClip(&line));
  SetLines({u"HST_A", u"1,1,0,1,0,1,0", u"HST_E"});
  line = 0;
  EXPECT_EQ(2, Hst_PasteFromClip(&line, 0, 0, 0));
  // A rule naming no line of the table: the stop keeps no list.
  SetLines({u"HST_A", u"1,1,0,1,80,1,0,2", u"Nirgends", u"HST_E"});
  line = 0;
  EXPECT_EQ(0, Hst_PasteFromClip(&line, 0, 0, 0));
  EXPECT_EQ(0u, Hst_Find(1, 1, 0)->Flags & HST_F_LINES);
}

int g_answers[4];
int g_asked;
int Answer(const wch*) { return g_answers[g_asked++]; }

TEST_F(ClipBlocks, PastedLinesAreCreatedAsTheUserAnswers) {
  const std::vector<std::u16string> block = {u"LIN_A", u"\"A\",0", u"\"B\",0", u"\"C\",0", u"\"D\",0", u"LIN_E"};
  const struct {
    int answers[4];
    int asked;
    const char* created;
  } cases[] = {
      {{120, 2, 120, 2}, 4, "AC"},
      {{121, 0, 0, 0}, 1, "ABCD"},
      {{2, 123, 0, 0}, 2, ""},
      {{120, 123, 0, 0}, 2, "A"},
  };
  static const LinPasteHooks hooks = {Answer};
  Lin_SetPasteHooks(&hooks);
  for (const auto& c : cases) {
    Lin_Clear();
    SetLines(block);
    std::memcpy(g_answers, c.answers, sizeof g_answers);
    g_asked = 0;
    i32 line = 0;
    EXPECT_EQ(0, Lin_PasteFromClip(&line));
    EXPECT_EQ(c.asked, g_asked);
    std::string names;
    for (i32 i = 0; Lin_IdAt(i); ++i) {
      wch n[LINE_NAME_SIZE];
      Lin_GetName(Lin_IdAt(i), n, 0);
      names += U8(wstr(n));
    }
    EXPECT_EQ(c.created, names);
  }
  Lin_SetPasteHooks(nullptr);
}

TEST_F(ClipBlocks, ARegionMoveKeepsStopsAndPlacesWithTheirReferences) {
  LineId a = 0;
  ASSERT_EQ(0, Lin_Create(u"Ring", 0, 0, &a));
  const u32 words[3] = {1, a, 0};
  ASSERT_EQ(0, Hst_Set(4, 4, 0, 0, nullptr, 3, words, 5, 0, 1, HST_F_LINES_ONLY, 1));
  DepotPlace p = {};
  p.X = 5, p.Y = 4, p.Number = 3;
  ASSERT_EQ(0, Dep_InsertPlace(2, u"Hof", u"H", &p));
  TrainRec t = {};
  t.Line = t.CurLine = a;
  t.Number = 1;
  t.LastCell = 1;
  t.HomeDepot = 2;
  t.HomePlace = 3;
  ASSERT_EQ(0, TrnList_Create(nullptr, &t, nullptr, -1, 0, 0));
  // The region commands call every module's hook with the same box.
  Hst_MoveInBox(0, 0, 0, 10, 10, 0, 30, 2, -1);
  Dep_MoveInBox(0, 0, 0, 10, 10, 0, 30, 2, -1);
  TrnList_MoveBlock(0, 0, 0, 10, 10, 0, 30, 2, -1);
  EXPECT_EQ(1, Lin_CountUsersInBox(i32(a), 30, 6, -1, 40, 6, -1));
  EXPECT_EQ(0, Lin_CountUsersInBox(i32(a), 0, 0, 0, 10, 10, 0));
  u32 place = 0;
  const TrainCell& head = Trn_Cells(TrnList_Find(a, 1))[0];
  EXPECT_EQ(2u, Dep_FindAtPosition(head.X, head.Y, head.Level, &place));
  EXPECT_EQ(3u, place);
  EXPECT_EQ(1u, TrnList_CountUses(2, 3, 35, 6, -1, 0x7F, nullptr, nullptr, nullptr, nullptr));
}

}  // namespace
