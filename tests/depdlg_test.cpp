// The rows and the descriptor of the depot list, the place chosen there, and
// the spin steppers of place and line fields.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/depdlg.h"
#include "dialogs/dfw.h"
#include "model/dep.h"
#include "model/grid.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/sig.h"
#include "operation/trn.h"
#include "platform/msg.h"
#include "shell/vwin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

void Dep_Copy16(wch* dst, const wch* src) {
  while ((*dst++ = *src++) != 0) {
  }
}

class DepDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    ASSERT_EQ(1, Lin_Init());
    Sig_Clear();
    Dep_Clear();
    TrnList_Clear();
    g_simClock.weekday = 3;
  }
  void TearDown() override {
    TrnList_Clear();
    Dep_Clear();
    Sig_Clear();
    Lin_Exit();
    Grid_Exit();
  }
};

TEST_F(DepDlgTest, RowsCarryTheirKeysAndUses) {
  DepotPlace p = {};
  p.X = 4, p.Number = 1, p.WaitMs = 45000;
  ASSERT_EQ(0, Dep_InsertPlace(6, u"Nordbahnhof", u"NB", &p));
  p = {};
  p.X = 5, p.Number = 12;
  ASSERT_EQ(0, Dep_InsertPlace(6, u"Nordbahnhof", u"NB", &p));
  TrainRec t = {};
  t.Line = t.CurLine = 1;
  t.Number = 1;
  t.LastCell = 1;
  t.HomeDepot = 6;
  t.HomePlace = 12;
  t.TimeA[0] = 0x7F080000;
  t.DepotA[0] = 6;
  t.PlaceA[0] = 12;
  t.TimeB[0] = 0x01090000;  // Monday only: not today
  t.DepotB[0] = 6;
  t.PlaceB[0] = 12;
  ASSERT_EQ(0, TrnList_Create(nullptr, &t, nullptr, 5, 0, 0));
  wch block[3 * DEP_ROW_UNITS + 2];
  ASSERT_EQ(2, Dep_FormatListRows(block));
  EXPECT_EQ(DEP_ROW_MARK, block[0]);
  EXPECT_EQ(6, block[1]);
  EXPECT_EQ(1, block[2]);
  EXPECT_EQ(0, block[3]);
  const std::string first = U8(wstr(block + DEP_ROW_KEYS));
  const std::string second = U8(wstr(block + DEP_ROW_UNITS + DEP_ROW_KEYS));
  SCOPED_TRACE("[" + first + "]\n[" + second + "]");
  EXPECT_EQ(0u, first.find("Nordbahnhof      NB      1")) << first;
  EXPECT_NE(std::string::npos, first.find(" 45  -----")) << first;
  EXPECT_EQ(0u, second.find("                 NB     12")) << second;
  EXPECT_NE(std::string::npos, second.find("---  -----")) << second;
  EXPECT_NE(std::string::npos, second.find("    1    1    0    1    1    7")) << second;
  EXPECT_EQ(0, block[2 * DEP_ROW_UNITS]);
  EXPECT_EQ(0, block[2 * DEP_ROW_UNITS + 1]);
}

TEST_F(DepDlgTest, SpinKeysStepThroughPlacesAndLines) {
  DepotPlace p = {};
  for (u32 n : {1u, 4u}) {
    p.Number = n;
    ASSERT_EQ(0, Dep_InsertPlace(2, u"Ost", u"O", &p));
  }
  u8 bytes[200];
  DlgBuild b;
  wch field[24] = u"Ost:1";
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  Dfw_AddEdit(&b, 140, field, 24, DLG_EDIT_SPIN, DFW_SPIN_PLACE, DFW_SPIN_PLACE);
  ASSERT_EQ(0, Dfw_BuildEnd(&b));
  wch text[24] = u"Ost:1";
  i32 caret = 0;
  ASSERT_EQ(1, Dfw_SpinText(bytes, text, 24, &caret, DFW_KEY_UP));
  EXPECT_EQ(wstr(u"Ost:4"), wstr(text));
  ASSERT_EQ(1, Dfw_SpinText(bytes, text, 24, &caret, DFW_KEY_UP));
  EXPECT_EQ(wstr(u"Ost:1"), wstr(text));

  LineId a = 0, c = 0;
  ASSERT_EQ(0, Lin_Create(u"A", 0, 0, &a));
  ASSERT_EQ(0, Lin_Create(u"C", 0, 0, &c));
  wch line[LINE_NAME_SIZE] = u"A";
  EXPECT_EQ(0, Dep_StepLineField(line, 1, LINE_NAME_SIZE));
  EXPECT_EQ(wstr(u"C"), wstr(line));
  EXPECT_EQ(1, Dep_StepLineField(line, 1, 4));
}

// The list's items are keyed by their row and end where the row ends, though
// a row begins with its keys and their zero: the item shows the row text, and
// the key of any item leads back to its row's depot and place.
TEST_F(DepDlgTest, ListItemsLeadBackToTheirRows) {
  DepotPlace p = {};
  const struct {
    u32 depot, place;
    const wch *name, *shortName;
  } places[] = {{6, 1, u"Nordbahnhof", u"NB"}, {6, 12, u"Nordbahnhof", u"NB"}, {2, 3, u"Alt", u"A"}};
  for (const auto& c : places) {
    p.Number = c.place;
    ++p.X;
    ASSERT_EQ(0, Dep_InsertPlace(c.depot, c.name, c.shortName, &p));
  }
  wch rows[6 * DEP_ROW_UNITS + 2];
  ASSERT_EQ(3, Dep_FormatListRows(rows));
  wch block[3 * (DEP_ROW_UNITS + 1) + 1];
  Dep_BuildListBlock(rows, 3, block);
  wch title[8] = u"T", caption[8] = u"C";
  u8 bytes[200];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  ASSERT_EQ(0, Dep_BuildListDesc(&b, block, title, caption, 1));
  const u8* list = Dfw_FindDescItem(bytes, DLG_ID_LIST);
  ASSERT_NE(nullptr, list);
  ASSERT_EQ(3, Dfw_ListItemCount(list));
  // In name order: Alt first, then the two places of Nordbahnhof.
  const struct {
    u32 depot, place;
    wch initial;
  } want[] = {{2, 3, u'A'}, {6, 1, u'N'}, {6, 12, u'N'}};
  for (i32 n = 0; n < 3; ++n) {
    u16 key = 0;
    const wch* text = Dfw_ListItemKeyed(list, n, &key);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(u32(n + 1), key);
    EXPECT_EQ(DEP_ROW_MARK, text[0]) << "the row's own mark opens it";
    EXPECT_EQ(wstr(rows + n * DEP_ROW_UNITS + DEP_ROW_KEYS), wstr(text + 4));
    EXPECT_EQ(want[n].initial, Dfw_ItemInitial(text)) << n;  // typed letters find rows
    Dep_SetListChoice(rows, i32(key) - 1);
    u32 place = 0;
    EXPECT_EQ(want[n].depot, Dep_ListChoice(&place)) << n;
    EXPECT_EQ(want[n].place, place) << n;
  }
  Dep_SetListChoice(rows, -1);
  EXPECT_EQ(0u, Dep_ListChoice(nullptr)) << "nothing selected";
  // The help topic tells the centring list from the choosing one.
  EXPECT_EQ(41045u, Dfw_Get16(bytes, 8));
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  ASSERT_EQ(0, Dep_BuildListDesc(&b, block, title, caption, 0));
  EXPECT_EQ(41046u, Dfw_Get16(bytes, 8));
}

// The list needs an active view and a depot; a list that is not confirmed
// chooses nothing, and a reference error box that is only closed picks none.
TEST_F(DepDlgTest, TheListChoosesNothingWithoutAViewADepotOrAConfirmation) {
  const i32 active = g_activeViewSlot;
  g_activeViewSlot = 0;
  EXPECT_EQ(0u, Dep_ShowList(1)) << "no depot";
  DepotPlace p = {};
  p.Number = 1;
  ASSERT_EQ(0, Dep_InsertPlace(2, u"Ost", u"O", &p));
  Dep_SetListChoice(nullptr, -1);
  EXPECT_EQ(0u, Dep_ShowList(1)) << "cancelled";
  EXPECT_EQ(0u, Dep_ListChoice(nullptr));
  g_activeViewSlot = -1;
  EXPECT_EQ(0u, Dep_ShowList(0)) << "no view";
  g_activeViewSlot = active;
  wch chosen[24] = u"x";
  EXPECT_EQ(0, Dep_ErrorOfferList(309, u"text", chosen));
  EXPECT_EQ(wstr(u"x"), wstr(chosen));
}

// The place dialog's form: filled from the place, its radios and check boxes
// read back into the bits, and stored as OK stores it, with the refusals that
// bring the dialog back at the field at fault.
TEST_F(DepDlgTest, ThePlaceFormStoresRenumbersDeletesAndRefuses) {
  ASSERT_EQ(0, Test_LoadTexts());
  for (i32 x = 10; x < 14; ++x) ASSERT_EQ(1, Grid_SetCell(x, 5, 0, CellCode(136 + 1)));  // orientation 1: bits 2, 1
  ASSERT_EQ(0, Dep_SetPlaceAt(10, 5, 0, 1, u"Nordbahnhof"));
  const u32 nord = u32(Dep_FindByName(u"Nordbahnhof", 0));
  ASSERT_EQ(0, Dep_StorePlace(nord, u"Nordbahnhof", u"NB", 0x4000 | 4, 45000, nullptr, 0, nullptr, 0, nullptr, 0,
                              2 | 0x40, 1, 1));
  DepPlaceForm f;
  ASSERT_EQ(1, Dep_FillPlaceForm(&f, 10, 5, 0, 136 + 1));
  EXPECT_EQ(wstr(u"Nordbahnhof: 1"), wstr(f.ref));
  EXPECT_EQ(wstr(u"NB"), wstr(f.shortName));
  EXPECT_EQ(wstr(u"45"), wstr(f.wait));
  EXPECT_EQ(wstr(u"Depot place Nordbahnhof (NB) place 1"), wstr(f.title));

  // The descriptor shows the bits; the read-back keeps the other
  // orientations' exit bits and the options it does not show.
  u8 bytes[900];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  ASSERT_EQ(0, Dep_BuildPlaceDesc(&b, &f));
  auto checked = [&](i32 id) { return (Dfw_ItemFlags(Dfw_FindDescItem(bytes, id)) & DLG_BUTTON_CHECKED) != 0; };
  const struct {
    i32 id;
    bool on;
  } shown[] = {{400, true}, {401, false}, {402, false}, {403, true}, {404, false}, {405, true}, {406, false},
               {470, false}, {471, true}, {472, false}, {473, true}};
  for (const auto& c : shown) EXPECT_EQ(c.on, checked(c.id)) << c.id;
  EXPECT_TRUE(Dfw_FindDescItem(bytes, DEP_BTN_INFO)[0] == DLG_CAPTION_DISABLED);
  auto set = [&](i32 id, bool on) {
    u8* r = Dfw_FindDescItem(bytes, id);
    Dfw_SetItemFlags(r, on ? DLG_BUTTON_CHECKED : 0);
  };
  set(400, false), set(401, true), set(403, false), set(404, true), set(406, true), set(405, false);
  set(470, true), set(471, false), set(473, true);
  f.options |= 0x100;
  Dep_ReadPlaceDesc(bytes, &f);
  EXPECT_EQ(1u | 0x40u, f.directions);
  EXPECT_EQ(0x100u | 0x2000u | 0x8000u | 1u | 2u | 4u, f.options);

  struct Step {
    const wch *ref, *wait;
    int result;
    i32 focus;
    u32 message;
  };
  const Step steps[] = {
      {u"Nordbahnhof:1", u"700", DEP_FORM_AGAIN, 142, 311},  // waiting time out of range
      {u"Nordbahnhof:1", u"-1", DEP_FORM_AGAIN, 142, 311},
      {u"Nordbahnhof:3", u"", DEP_FORM_STORED, -1, 0},  // renumbered, no waiting time
  };
  for (const auto& c : steps) {
    Msg_ResetLast();
    Dep_Copy16(f.ref, c.ref);
    Dep_Copy16(f.wait, c.wait);
    f.focus = -1;
    EXPECT_EQ(c.result, Dep_ApplyPlaceForm(&f)) << U8(wstr(c.ref));
    EXPECT_EQ(c.focus, f.focus) << U8(wstr(c.ref));
    EXPECT_EQ(c.message, Msg_LastNumber()) << U8(wstr(c.ref));
  }
  DepotPlaceInfo p;
  ASSERT_EQ(0, Dep_GetPlace(nord, 3, &p));
  EXPECT_EQ(0u, p.WaitMs);
  EXPECT_EQ(f.options, p.Options);
  EXPECT_EQ(1u | 0x40u, p.Directions);

  // An empty reference deletes the place, unless a train has it as home.
  TrainRec t = {};
  t.Line = t.CurLine = 1;
  t.Number = 1;
  t.LastCell = 1;
  t.HomeDepot = u16(nord);
  t.HomePlace = 3;
  ASSERT_EQ(0, TrnList_Create(nullptr, &t, nullptr, 50, 0, 0));
  ASSERT_EQ(1, Dep_FillPlaceForm(&f, 10, 5, 0, 136 + 1));
  f.ref[0] = 0;
  Msg_ResetLast();
  EXPECT_EQ(DEP_FORM_AGAIN, Dep_ApplyPlaceForm(&f));
  EXPECT_EQ(325u, Msg_LastNumber());
  TrnList_Clear();
  EXPECT_EQ(DEP_FORM_STORED, Dep_ApplyPlaceForm(&f));
  EXPECT_EQ(0u, Dep_Count(nullptr));

  // New places: a new depot is made; joining an existing one is asked
  // first (no answer here: nothing is made); a bad reference is refused.
  ASSERT_EQ(0, Dep_FillPlaceForm(&f, 11, 5, 0, 136 + 1));
  EXPECT_EQ(wstr(u"New depot place"), wstr(f.title));
  Dep_Copy16(f.ref, u"Süd:2");
  Dep_Copy16(f.shortName, u"SD");
  EXPECT_EQ(DEP_FORM_STORED, Dep_ApplyPlaceForm(&f));
  const i32 sued = Dep_FindByName(u"SD", 2);
  ASSERT_GT(sued, 0);
  ASSERT_EQ(0, Dep_FillPlaceForm(&f, 12, 5, 0, 136 + 1));
  Dep_Copy16(f.ref, u"Süd:4");
  EXPECT_EQ(DEP_FORM_ABANDONED, Dep_ApplyPlaceForm(&f));
  EXPECT_EQ(316u, Msg_LastNumber());
  EXPECT_EQ(1u, Dep_PlaceCount(u32(sued)));
  f.ref[0] = 0;
  EXPECT_EQ(DEP_FORM_AGAIN, Dep_ApplyPlaceForm(&f));
  EXPECT_EQ(140, f.focus);
}

}  // namespace
