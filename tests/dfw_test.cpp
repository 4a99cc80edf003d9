// The portable half of the dialog framework: descriptor records and their
// walk, end codes and nesting, list item blocks, spin stepping of every kind
// and the read-back rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/dfw.h"
#include "model/line.h"
#include "platform/fmt.h"
#include "platform/heap.h"
#include "platform/print.h"
#include "platform/lng.h"
#include "platform/str.h"
#include "tests/test_util.h"

namespace {

struct Dfw : ::testing::Test {
  static void SetUpTestSuite() { ASSERT_EQ(0, Test_LoadTexts()); }
};

// ---------------------------------------------------------------- records and walk
TEST_F(Dfw, RecordSizesFollowTheTypeTable) {
  const u32 sizes[] = {16, 16, 6, 8, 6, 6, 1, 1, 1, 1, 1, 1, 1, 1, 20, 24, 32, 16, 12, 24, 8, 8};
  for (int t = 0; t <= 21; ++t) EXPECT_EQ(sizes[t], Dfw_RecordSize(t)) << t;
  EXPECT_EQ(0u, Dfw_RecordSize(22));
  EXPECT_EQ(0u, Dfw_RecordSize(255));
}

TEST_F(Dfw, BuiltDescriptorWalksEveryRecordAndEndsAtTheFirstTypeAbove21) {
  u8 bytes[400];
  wch edit[10] = u"12";
  wch block[] = u"one\0two\0";
  const u32 table[2] = {0x10001, 0x20002};
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  Dfw_AddTitle(&b, 8000, 7, 140);
  Dfw_AddTitleString(&b, u"t", 8, -1);
  Dfw_AddStatic(&b, 190, 8005);
  Dfw_AddStaticString(&b, 191, u"s");
  Dfw_AddCaption(&b, 192, 8006, 0);
  Dfw_AddCaption(&b, 193, 8006, 1);
  for (int t = DLG_OK; t <= DLG_HELP; ++t) Dfw_AddButton(&b, t);
  Dfw_AddPicture(&b, 194, 1, 2, 3, 4, DLG_PIC_SMALL, 195);
  Dfw_AddValuePicture(&b, 5, 6, 7, 8, 9, 1, 20, 0, 196);
  Dfw_AddChooser(&b, 5, 6, 7, 2, 1, 1, table, 0, 197);
  Dfw_AddCellImage(&b, 10, 11, 4096, nullptr, DLG_CELL_FRAME);
  Dfw_AddList(&b, 106, block, DLG_LIST_SORT);
  Dfw_AddEdit(&b, 140, edit, 10, DLG_EDIT_SPIN, 0, 99);
  Dfw_AddRadio(&b, 400, 0, DLG_BUTTON_CHECKED);
  Dfw_AddCheck(&b, 470, 0, DLG_BUTTON_DISABLED);
  ASSERT_EQ(0, Dfw_BuildEnd(&b));

  std::vector<int> types;
  for (const u8* r = bytes; r; r = Dfw_NextDescItem(r)) types.push_back(r[0]);
  std::vector<int> want;
  for (int t = 0; t <= DLG_END; ++t) want.push_back(t);
  EXPECT_EQ(want, types);
  EXPECT_EQ(b.used + 1, Dfw_DescLength(bytes));

  // The edit record, byte by byte: type, control, pointer, size, flags, range.
  const u8* e = Dfw_FindDescItem(bytes, 140);
  ASSERT_NE(nullptr, e);
  const u8 head[] = {19, 0, 140, 0};
  EXPECT_EQ(0, memcmp(head, e, 4));
  const u8 tail[] = {10, 0, 0, 0, DLG_EDIT_SPIN, 0, 0, 0, 0, 0, 0, 0, 99, 0, 0, 0};
  EXPECT_EQ(0, memcmp(tail, e + 8, 16));
  EXPECT_EQ(edit, Dfw_GetPtr(e, 4));
  if (sizeof(void*) == 4) {
    EXPECT_EQ(u32(reinterpret_cast<uintptr_t>(edit)), Dfw_Get32(e, 4));
  }

  EXPECT_EQ(DLG_LIST, Dfw_FindDescItem(bytes, 106)[0]);
  EXPECT_EQ(DLG_PICTURE_VALUE, Dfw_FindDescItem(bytes, DLG_ID_RANGE_BAR)[0]);  // the first record with 340
  EXPECT_EQ(nullptr, Dfw_FindDescItem(bytes, 1));  // buttons carry no control id in the record
  EXPECT_EQ(u32(DLG_BUTTON_DISABLED), Dfw_ItemFlags(Dfw_FindDescItem(bytes, 470)));

  // A record with an unknown type ends the walk there.
  u8 odd[] = {DLG_OK, 23, DLG_CANCEL, DLG_END};
  EXPECT_EQ(nullptr, Dfw_FindDescType(odd, DLG_CANCEL));
  EXPECT_EQ(2u, Dfw_DescLength(odd));
}

TEST_F(Dfw, BuildingPastTheStorageReportsIt) {
  u8 bytes[20];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  EXPECT_NE(nullptr, Dfw_AddTitle(&b, 1, 0, -1));
  EXPECT_EQ(nullptr, Dfw_AddEdit(&b, 140, nullptr, 10, 0, 0, 0));
  EXPECT_EQ(nullptr, Dfw_AddButton(&b, DLG_OK));  // nothing after the first refusal
  EXPECT_EQ(1, Dfw_BuildEnd(&b));
  EXPECT_EQ(DLG_END, bytes[16]);
  EXPECT_EQ(17u, Dfw_DescLength(bytes));
}

TEST_F(Dfw, PointerFieldsGiveBackTheirAddressesAndNull) {
  u8 rec[24] = {DLG_EDIT};
  std::vector<wch> buffers(50);
  for (wch& w : buffers) {
    ASSERT_EQ(0, Dfw_SetPtr(rec, 4, &w));
    EXPECT_EQ(&w, Dfw_GetPtr(rec, 4));
  }
  // The same address keeps its reference.
  Dfw_SetPtr(rec, 4, &buffers[3]);
  const u32 first = Dfw_Get32(rec, 4);
  Dfw_SetPtr(rec, 4, &buffers[3]);
  EXPECT_EQ(first, Dfw_Get32(rec, 4));
  ASSERT_EQ(0, Dfw_SetPtr(rec, 4, nullptr));
  EXPECT_EQ(0u, Dfw_Get32(rec, 4));
  EXPECT_EQ(nullptr, Dfw_GetPtr(rec, 4));
}

// ---------------------------------------------------------------- end codes and nesting
TEST_F(Dfw, EndCodesMapToDialogResults) {
  struct Case {
    i32 end;
    int result;
    int keeps;
  };
  const Case cases[] = {{1, 2, 1},     {2, 1, 0},     {8, 1, 0},     {6, 3, 1},     {7, 4, 1},    {103, 103, 1},
                        {104, 104, 1}, {105, 105, 1}, {106, 106, 1}, {120, 120, 1}, {137, 137, 1}, {110, 1, 0},
                        {119, 1, 0},   {138, 1, 0},   {0, 1, 0},     {-1, 1, 0},    {3, 1, 0},    {100, 1, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, Dfw_MapEndCode(c.end)) << c.end;
    EXPECT_EQ(c.keeps, Dfw_EndKeepsInput(c.end)) << c.end;
  }
  Dfw_NoteEndCode(106);
  EXPECT_EQ(1, g_dfwIgnoreNextButton);
  EXPECT_EQ(1, g_dfwIgnoreMovesUntilButton);
  Dfw_NoteEndCode(1);
  EXPECT_EQ(0, g_dfwIgnoreNextButton);
  EXPECT_EQ(0, g_dfwIgnoreMovesUntilButton);
}

TEST_F(Dfw, TenDialogsNestAndTheEleventhIsRefused) {
  ASSERT_EQ(-1, Dfw_NestingLevel());
  EXPECT_EQ(nullptr, Dfw_CurrentDialog());
  EXPECT_EQ(0, Dfw_IsAnyOpen());
  int windows[DFW_MAX_NESTING];
  for (int i = 0; i < DFW_MAX_NESTING; ++i) {
    ASSERT_EQ(0, Dfw_EnterNesting()) << i;
    Dfw_SetCurrentDialog(&windows[i]);
    EXPECT_EQ(&windows[i], Dfw_CurrentDialog());
  }
  EXPECT_EQ(1, Dfw_EnterNesting());
  EXPECT_EQ(9, Dfw_NestingLevel());
  Dfw_LeaveNesting();
  EXPECT_EQ(&windows[8], Dfw_CurrentDialog());
  EXPECT_EQ(0, Dfw_EnterNesting());  // room again
  // A level whose dialog has not initialised yet: the one below is current.
  EXPECT_EQ(&windows[8], Dfw_CurrentDialog());
  for (int i = 0; i < DFW_MAX_NESTING; ++i) Dfw_LeaveNesting();
  EXPECT_EQ(-1, Dfw_NestingLevel());
  EXPECT_EQ(0, Dfw_IsAnyOpen());
  EXPECT_EQ(nullptr, Dfw_CurrentDialog());
  Dfw_LeaveNesting();  // one too many changes nothing
  EXPECT_EQ(-1, Dfw_NestingLevel());
}

// ---------------------------------------------------------------- list item blocks
std::vector<std::u16string> Items(const u8* rec) {
  std::vector<std::u16string> v;
  for (i32 i = 0; const wch* t = Dfw_ListItemText(rec, i); ++i) v.push_back(t);
  return v;
}

u8* ListRecord(u8* storage, wch* block, u32 flags) {
  DlgBuild b;
  Dfw_BuildBegin(&b, storage, 16);
  u8* r = Dfw_AddList(&b, 106, block, flags);
  Dfw_BuildEnd(&b);
  return r;
}

TEST_F(Dfw, ListBlockItemsAreFoundAndRemoved) {
  wch block[] = u"one\0two\0three\0";  // the literal's own zero ends the block
  u8 s[16];
  u8* r = ListRecord(s, block, 0);
  EXPECT_EQ(3, Dfw_ListItemCount(r));
  EXPECT_EQ(std::u16string(u"two"), Dfw_ListItemText(r, 1));
  EXPECT_EQ(nullptr, Dfw_ListItemText(r, 3));
  EXPECT_EQ(nullptr, Dfw_ListItemText(r, -1));
  EXPECT_EQ(1, Dfw_RemoveListItem(r, 3));
  EXPECT_EQ(0, Dfw_RemoveListItem(r, 1));
  EXPECT_EQ((std::vector<std::u16string>{u"one", u"three"}), Items(r));
  EXPECT_EQ(0, Dfw_RemoveListItem(r, 1));
  EXPECT_EQ(0, Dfw_RemoveListItem(r, 0));
  EXPECT_EQ(0, Dfw_ListItemCount(r));

  // Keyed items: the key before each text, the block ended where a key would be.
  wch keyed[] = u"\x0005" u"alpha\0\x0007" u"beta\0";
  u16 key = 0;
  r = ListRecord(s, keyed, DLG_LIST_KEYED);
  EXPECT_EQ(2, Dfw_ListItemCount(r));
  EXPECT_EQ(std::u16string(u"beta"), Dfw_ListItemKeyed(r, 1, &key));
  EXPECT_EQ(7, key);
  EXPECT_EQ(0, Dfw_RemoveListItem(r, 0));
  EXPECT_EQ(std::u16string(u"beta"), Dfw_ListItemKeyed(r, 0, &key));
  EXPECT_EQ(7, key);
  EXPECT_EQ(nullptr, Dfw_ListItemText(r, 1));
}

TEST_F(Dfw, SortComparesFromTheSeventhCharacterAndSortsItemsOfAnyLength) {
  wch block[] = u"000001Zeta\0" u"000002alpha\0" u"000003  Mid\0" u"x\0";
  u8 s[16];
  u8* r = ListRecord(s, block, DLG_LIST_SORT);
  Dfw_SortListItems(r);
  // "x" has no seventh character: it compares as empty, first.
  EXPECT_EQ((std::vector<std::u16string>{u"x", u"000002alpha", u"000003  Mid", u"000001Zeta"}), Items(r));

  // Items far longer than the old 103-character limit, in reverse order.
  std::u16string packed;
  std::vector<std::u16string> want;
  for (int i = 5; i >= 0; --i) {
    std::u16string item = u"PREFIX" + std::u16string(150 + 13 * i, u'a' + i);
    want.insert(want.begin(), item);
    packed += item;
    packed += u'\0';
  }
  packed += u'\0';
  std::vector<wch> big(packed.begin(), packed.end());
  r = ListRecord(s, big.data(), 0);
  Dfw_SortListItems(r);
  EXPECT_EQ(want, Items(r));

  // A keyed list sorts nothing.
  wch keyed[] = u"\x0001" u"000000b\0\x0002" u"000000a\0";
  r = ListRecord(s, keyed, DLG_LIST_KEYED | DLG_LIST_SORT);
  Dfw_SortListItems(r);
  EXPECT_EQ(std::u16string(u"000000b"), Dfw_ListItemText(r, 0));
}

TEST_F(Dfw, TypedCharacterFindsTheNextItemByItsInitial) {
  // Item 1 opens with a marker 2 and its three units, item 3 with marker 6
  // and five units and blanks.
  wch block[] = u"apple\0\x0002xyzBanana\0cherry\0\x0006" u"12345  berry\0";
  u8 s[16];
  u8* r = ListRecord(s, block, 0);
  EXPECT_EQ(u'B', Dfw_ItemInitial(Dfw_ListItemText(r, 1)));
  EXPECT_EQ(u'B', Dfw_ItemInitial(Dfw_ListItemText(r, 3)));
  struct Case {
    i32 current;
    wch typed;
    i32 found;
  };
  const Case cases[] = {{0, u'b', 1}, {1, u'b', 3}, {3, u'b', 1}, {-1, u'a', 0}, {0, u'a', 0}, {2, u'z', -1}, {2, u'C', 2}};
  for (const Case& c : cases) EXPECT_EQ(c.found, Dfw_FindItemByKey(r, c.current, c.typed)) << c.current << " " << char(c.typed);
}

// ---------------------------------------------------------------- spin fields
struct Spin : Dfw {
  u8 storage[40];
  wch buffer[64] = {};
  u8* Field(u32 size, u8 flags, i32 lo, i32 hi) {
    DlgBuild b;
    Dfw_BuildBegin(&b, storage, sizeof storage);
    u8* r = Dfw_AddEdit(&b, 140, buffer, size, flags, lo, hi);
    Dfw_BuildEnd(&b);
    return r;
  }
  // Steps text in a field of the record; the new text, or "-" when nothing happened.
  static std::u16string Step(const u8* rec, const std::u16string& text, int key, i32 caret = 0, i32* newCaret = nullptr) {
    wch t[DFW_SPIN_TEXT_MAX + 1];
    Str_Copy(t, text.c_str());
    i32 c = caret;
    if (!Dfw_SpinText(rec, t, DFW_SPIN_TEXT_MAX + 1, &c, key)) return u"-";
    if (newCaret) *newCaret = c;
    return t;
  }
  static std::u16string Fixed2(u32 v) {
    wch t[FMT_NUMBER_SIZE];
    Fmt_Fixed2(t, v);
    return t;
  }
  static std::u16string Fixed3(u32 v) {
    wch t[FMT_NUMBER_SIZE];
    Fmt_Fixed3(t, v);
    return t;
  }
  static std::u16string Day(int n) { return Lng_GetText(TextId(17020 + n)); }
};

TEST_F(Spin, NumericRangesWrapAndAnUnreadableValueBecomesTheMinimum) {
  struct Case {
    i32 lo, hi;
    u32 size;
    u8 flags;
    const char16_t* text;
    int key;
    const char16_t* want;
  };
  const Case cases[] = {
      {0, 99, 3, 4, u"99", DFW_KEY_UP, u" 0"},           // right-aligned in size - 1 places
      {0, 99, 3, 4 | 8, u"99", DFW_KEY_UP, u"0"},        // trimmed
      {0, 99, 3, 4 | 8, u"0", DFW_KEY_DOWN, u"99"},
      {0, 99, 3, 4 | 8, u"abc", DFW_KEY_UP, u"0"},
      {0, 99, 3, 4 | 8, u"95", DFW_KEY_PAGE_UP, u"0"},
      {0, 99, 3, 4 | 8, u"5", DFW_KEY_PAGE_DOWN, u"99"},
      {0, 99, 3, 4 | 8, u"50", DFW_KEY_PAGE_UP, u"60"},
      {-5, 5, 4, 4 | 8, u"-5", DFW_KEY_DOWN, u"5"},
      {1, 2000000000, 20, 4, u"5", DFW_KEY_UP, u"        6"},  // at most 9 places
      {0, 2147483647, 12, 4 | 8, u"2147483647", DFW_KEY_UP, u"0"},  // no overflow at the edge
  };
  for (const Case& c : cases) {
    const u8* r = Field(c.size, c.flags, c.lo, c.hi);
    i32 caret = 5;
    EXPECT_EQ(std::u16string(c.want), Step(r, c.text, c.key, 1, &caret)) << U8(c.text);
    EXPECT_EQ(0, caret);
  }
}

TEST_F(Spin, FixedPointAndWeekdayKindsStepAndWrap) {
  struct Case {
    i32 kind;
    std::u16string text;
    int key;
    std::u16string want;
  };
  const Case cases[] = {
      {DFW_SPIN_FIXED2, Fixed2(100), DFW_KEY_UP, Fixed2(101)},
      {DFW_SPIN_FIXED2, Fixed2(100), DFW_KEY_PAGE_DOWN, Fixed2(90)},
      {DFW_SPIN_FIXED2, Fixed2(300), DFW_KEY_UP, Fixed2(5)},
      {DFW_SPIN_FIXED2, Fixed2(5), DFW_KEY_DOWN, Fixed2(300)},
      {DFW_SPIN_FIXED2, u"what", DFW_KEY_UP, Fixed2(5)},
      {DFW_SPIN_FIXED3, Fixed3(1000), DFW_KEY_PAGE_UP, Fixed3(2000)},
      {DFW_SPIN_FIXED3, Fixed3(600000), DFW_KEY_UP, Fixed3(1)},
      {DFW_SPIN_FIXED3, Fixed3(1), DFW_KEY_DOWN, Fixed3(600000)},
      {DFW_SPIN_FIXED3, u"", DFW_KEY_DOWN, Fixed3(1)},
      {DFW_SPIN_WEEKDAY, Day(7), DFW_KEY_UP, Day(1)},
      {DFW_SPIN_WEEKDAY, Day(1), DFW_KEY_DOWN, Day(7)},
      {DFW_SPIN_WEEKDAY, Day(6), DFW_KEY_PAGE_UP, Day(1)},
      {DFW_SPIN_WEEKDAY, Day(3), DFW_KEY_PAGE_DOWN, Day(1)},
      {DFW_SPIN_WEEKDAY, u"someday", DFW_KEY_UP, Day(1)},
      {DFW_SPIN_NOTHING, u"3", DFW_KEY_UP, u"-"},
      {12, u"3", DFW_KEY_UP, u"-"},
  };
  for (const Case& c : cases) {
    const u8* r = Field(16, DLG_EDIT_SPIN, c.kind, c.kind);
    EXPECT_EQ(c.want, Step(r, c.text, c.key)) << c.kind << " " << U8(c.text);
  }
}

TEST_F(Spin, FieldsThatDoNotSpinAreLeftAlone) {
  EXPECT_EQ(u"-", Step(Field(3, 0, 0, 99), u"5", DFW_KEY_UP));                               // no spin flag
  EXPECT_EQ(u"-", Step(Field(3, DLG_EDIT_SPIN | DLG_EDIT_DISABLED, 0, 99), u"5", DFW_KEY_UP));  // disabled
  EXPECT_EQ(u"-", Step(Field(3, DLG_EDIT_SPIN, 0, 99), u"5", 0));                             // not a spin key
}

std::vector<std::u16string> g_steps;
int FakeStepper(wch* field, i32 step, i32 size) {
  g_steps.push_back(field);
  if (field[0] == u'!') return 1;
  Fmt_Print(field, size, u"%s%+i", u"P", step);
  return 0;
}

TEST_F(Spin, NamedKindsStepThroughTheirModules) {
  ASSERT_EQ(1, Lin_Init());
  LineId a = 0, b = 0;
  ASSERT_EQ(0, Lin_Create(u"AAA", 0, 0, &a));
  ASSERT_EQ(0, Lin_Create(u"BBB", a, 0, &b));
  ASSERT_EQ(0, Lin_Create(u"CCC", b, 0, nullptr));
  const u8* lines = Field(9, DLG_EDIT_SPIN, DFW_SPIN_LINE, DFW_SPIN_LINE);
  EXPECT_EQ(u"BBB", Step(lines, u"AAA", DFW_KEY_UP));
  EXPECT_EQ(u"CCC", Step(lines, u"AAA", DFW_KEY_DOWN));  // wraps
  EXPECT_EQ(u"AAA", Step(lines, u"nope", DFW_KEY_UP));   // an unknown name: the first line
  i32 lo, hi;
  Dfw_SpinBarRange(lines, &lo, &hi);
  EXPECT_EQ(0, lo);
  EXPECT_EQ(2, hi);

  // Other named kinds go to the stepper their owner installed; none: nothing.
  const u8* tp = Field(16, DLG_EDIT_SPIN, DFW_SPIN_TP, DFW_SPIN_TP);
  EXPECT_EQ(u"-", Step(tp, u"X", DFW_KEY_UP));
  Dfw_SetNameStepper(DFW_SPIN_TP, FakeStepper);
  g_steps.clear();
  EXPECT_EQ(u"P+10", Step(tp, u"X", DFW_KEY_PAGE_UP));
  EXPECT_EQ(u"-", Step(tp, u"!", DFW_KEY_UP));  // the module could not step it
  EXPECT_EQ((std::vector<std::u16string>{u"X", u"!"}), g_steps);
  Dfw_SetNameStepper(DFW_SPIN_TP, nullptr);
  Lin_Exit();
}

TEST_F(Spin, TokenModeStepsTheTokenAtTheCaret) {
  ASSERT_EQ(1, Lin_Init());
  LineId a = 0, b = 0;
  ASSERT_EQ(0, Lin_Create(u"AAA", 0, 0, &a));
  ASSERT_EQ(0, Lin_Create(u"BBB", a, 0, &b));
  const std::u16string letters = Lng_GetText(DFW_TEXT_RULE_LETTERS);
  ASSERT_GE(letters.size(), 4u);
  const std::u16string t(1, letters[0]), r(1, letters[2]), y(1, letters[3]);
  const u8* rule = Field(40, DLG_EDIT_SPIN, DFW_SPIN_RULE, DFW_SPIN_RULE);
  const std::u16string text = u"AAA(" + t + u"=8:05," + r + u"=1-960," + y + u"=2),BBB";
  struct Case {
    std::u16string at;  // the caret goes to the first occurrence of this
    int key;
    std::u16string want;
    i32 caret;
  };
  const Case cases[] = {
      {u"AAA", DFW_KEY_UP, u"BBB(" + t + u"=8:05," + r + u"=1-960," + y + u"=2),BBB", 0},
      {u"8:", DFW_KEY_UP, u"AAA(" + t + u"=9:05," + r + u"=1-960," + y + u"=2),BBB", 6},
      {u"8:", DFW_KEY_DOWN, u"AAA(" + t + u"=7:05," + r + u"=1-960," + y + u"=2),BBB", 6},
      {u"05", DFW_KEY_DOWN, u"AAA(" + t + u"=8:4," + r + u"=1-960," + y + u"=2),BBB", 8},
      {u"1-", DFW_KEY_DOWN, u"AAA(" + t + u"=8:05," + r + u"=960-960," + y + u"=2),BBB", 13},
      {u"2)", DFW_KEY_UP, u"-", 0},       // the type option: nothing to step
      {u"(", DFW_KEY_UP, u"-", 0},        // the caret on an operator
      {u",BBB", DFW_KEY_UP, u"-", 0},
      {u"BBB", DFW_KEY_UP, u"AAA(" + t + u"=8:05," + r + u"=1-960," + y + u"=2),AAA", 24},  // after ",": a line
  };
  for (const Case& c : cases) {
    const size_t pos = text.find(c.at);
    ASSERT_NE(std::u16string::npos, pos) << U8(c.at);
    i32 caret = -1;
    EXPECT_EQ(c.want, Step(rule, text, c.key, i32(pos), &caret)) << U8(c.at);
    if (c.want != u"-") {
      EXPECT_EQ(c.caret, caret) << U8(c.at);
    }
  }
  // The new text must fit the buffer: a field of 24 holding 23 characters
  // cannot take a longer name.
  const u8* tight = Field(24, DLG_EDIT_SPIN, DFW_SPIN_RULE, DFW_SPIN_RULE);
  ASSERT_EQ(0, Lin_Create(u"LONGNAME", b, 0, nullptr));
  EXPECT_EQ(u"-", Step(tight, u"BBB(" + t + u"=8:05-9:00)XXXX", DFW_KEY_UP));
  EXPECT_EQ(u"LONGNAME(" + t + u"=8:05)", Step(tight, u"BBB(" + t + u"=8:05)", DFW_KEY_UP));
  Lin_Exit();
}

// ---------------------------------------------------------------- reading back
TEST_F(Dfw, ButtonsReadBackKeepTheirOwnDisabledBit) {
  struct Case {
    u32 flags;
    int exists, checked;
    u32 want;
  };
  const Case cases[] = {{0, 0, 0, 2}, {1, 0, 0, 2}, {2, 1, 1, 3}, {2, 1, 0, 2}, {1, 1, 0, 0}, {0, 1, 1, 1}, {3, 1, 1, 3}};
  for (const Case& c : cases)
    EXPECT_EQ(c.want, Dfw_ButtonReadBack(c.flags, c.exists, c.checked)) << c.flags << c.exists << c.checked;
}

TEST_F(Dfw, EditFieldsReadBackWithinTheirBufferAndLeaveItAloneAtFirst) {
  wch buf[10] = u"  x\x1F";
  u8 s[40];
  DlgBuild b;
  Dfw_BuildBegin(&b, s, sizeof s);
  u8* r = Dfw_AddEdit(&b, 140, buf, 10, DLG_EDIT_TRIM | DLG_EDIT_ESCAPES, 0, 0);
  Dfw_BuildEnd(&b);
  wch shown[10];
  Dfw_EditInitialText(r, shown, 10);
  const std::u16string escaped = std::u16string(u"x") + Str_EscapeChar() + u"U";
  EXPECT_EQ(escaped, shown);
  EXPECT_EQ(std::u16string(u"  x\x1F"), buf);  // the caller's buffer is untouched until read-back

  Dfw_EditReadBack(r, (u"   a" + std::u16string(1, Str_EscapeChar()) + u"Ub").c_str());
  EXPECT_EQ(std::u16string(u"a\x1F" u"b"), buf);
  Dfw_EditReadBack(r, u"123456789012345");
  EXPECT_EQ(std::u16string(u"123456789"), buf);  // at most size - 1
  EXPECT_EQ(0, Dfw_RemainingChars(r, 9));
  EXPECT_EQ(6, Dfw_RemainingChars(r, 3));
  EXPECT_EQ(0, Dfw_RemainingChars(r, 40));
}

}  // namespace
