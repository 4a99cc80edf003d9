#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/layfile.h"
#include "model/line.h"
#include "operation/clock.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;
typedef std::vector<u32> Words;

const u32 W_ANY_FOR_TEST = 0xFFFFFFFFu;

void PutText(Bytes& b, const char* s) {
  while (*s) b.push_back(u8(*s++));
}
void PutName16(Bytes& b, const char* s) {
  while (*s) Test_Put16(b, u8(*s++));
  Test_Put16(b, 0);
}

// What the other modules saw through their hooks.
std::vector<std::string> g_calls;
u32 g_trainCounts[4];

int CopyHook(LineId newId, LineId fromId) {
  g_calls.push_back("copy " + std::to_string(newId) + " " + std::to_string(fromId));
  return fromId == 3 ? 1 : 0;
}
void RemoveHook(LineId id) { g_calls.push_back("remove " + std::to_string(id)); }
i32 CountHook(LineId id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int firstOnly) {
  g_calls.push_back("count " + std::to_string(id) + (firstOnly ? " first" : " all"));
  return id == 2 ? 3 : 0;
}
void TrainCounts(LineId id, u32 counts[4]) {
  g_calls.push_back("trains " + std::to_string(id));
  for (int i = 0; i < 4; ++i) counts[i] = g_trainCounts[i];
}
void Resort(void) { g_calls.push_back("resort"); }

class LineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Wire_InstallHooks();
    ASSERT_EQ(0, Test_LoadTexts());
  }
  void SetUp() override {
    ASSERT_EQ(1, Lin_Init());
    g_calls.clear();
    for (u32& c : g_trainCounts) c = 0;
    Msg_ResetLast();
    Ewin_ClearModified();
    Clk_Reset();
  }
  void TearDown() override {
    for (int m = 0; m < LIN_MODULE_COUNT; ++m) Lin_SetModuleHooks(m, nullptr);
    Lin_SetTrainHooks(nullptr);
    Lin_Exit();
    if (Fio_IsReadOpen()) Fio_CloseRead();
  }

  static LineId Make(const char* name, LineId after = 0) {
    LineId id = 0;
    EXPECT_EQ(0, Lin_Create(W16(name).c_str(), after, 0, &id)) << name;
    return id;
  }
  // The table as "name:id" in order.
  static std::string Table() {
    std::string s;
    for (i32 i = 0; LineId id = Lin_IdAt(i); ++i) {
      wch name[LINE_NAME_SIZE];
      Lin_GetName(id, name, 0);
      s += (i ? " " : "") + U8(name) + ":" + std::to_string(id);
    }
    return s;
  }
  // Even an empty table writes its tag and count, so empty means a failure.
  static Bytes Save() {
    Bytes b = Test_SaveSection(Lin_SaveSection);
    EXPECT_FALSE(b.empty()) << "the section could not be written";
    return b;
  }
  static int Load(const Bytes& b, u16 version) { return Test_LoadSection(b, Lin_LoadSection, version); }
};

// ---------------------------------------------------------------- the table

TEST_F(LineTest, CreateFindAndNames) {
  const LineId ic = Make("IC"), re = Make("RE"), s1 = Make("S1", ic);
  EXPECT_EQ("IC:1 S1:3 RE:2", Table());
  EXPECT_EQ(1, Ewin_IsModified());
  EXPECT_EQ(u32(3) | u32(LINE_MAX) << 16, Lin_CountAndMax());
  EXPECT_EQ(i32(re), Lin_FindByName(u"re"));
  EXPECT_EQ(i32(s1), Lin_FindByName(u" \"S1\""));
  EXPECT_EQ(0, Lin_FindByName(u"XX"));
  EXPECT_EQ(1, Lin_CompareOrder(ic, s1));
  EXPECT_EQ(2, Lin_CompareOrder(re, s1));
  EXPECT_EQ(0, Lin_CompareOrder(re, re));
  EXPECT_EQ(11, Lin_CompareOrder(re, 77));
  EXPECT_EQ(0u, Lin_IdAt(3));

  struct NameCase {
    const char* name;
    int created;
    i32 found;
  } names[] = {{"", 3, -1},       {"  ", 3, -1},      {"*", 4, -2},    {"a*b", 4, -2},
               {"A$", 4, -2},     {"ABCDEFGHI", 5, -3}, {"\"AB", 7, -5}, {"ic", 2, i32(ic)}};
  for (const NameCase& c : names) {
    EXPECT_EQ(c.created, Lin_Create(W16(c.name).c_str(), 0, 0)) << c.name;
    EXPECT_EQ(c.found, Lin_FindByName(W16(c.name).c_str())) << c.name;
  }
  EXPECT_EQ(0, Lin_Create(u"ABCDEFGH", 0, 0)) << "eight characters fit";

  wch buf[LINE_NAME_SIZE];
  EXPECT_EQ(0, Lin_GetName(re, buf, 1));
  EXPECT_EQ(u"      RE", wstr(buf));
  EXPECT_EQ(2, Lin_GetName(0, buf, 1));
  EXPECT_EQ(u"       *", wstr(buf));
  EXPECT_EQ(1, Lin_GetName(500, buf, 0));
  EXPECT_EQ(u"?", wstr(buf));
  Lin_Create(u"ABC", 0, 0);
  Lin_GetName(LineId(Lin_FindByName(u"ABC")), buf, 1);
  EXPECT_EQ(u"     ABC", wstr(buf));
}

TEST_F(LineTest, NamesInsideRuleTexts) {
  const LineId ic = Make("IC");
  LineId id = 77;
  EXPECT_EQ(2, Lin_ParseName(u"IC+RE", &id));
  EXPECT_EQ(ic, id);
  EXPECT_EQ(4, Lin_ParseName(u"\"IC\"(T=1)", &id));
  EXPECT_EQ(ic, id);
  EXPECT_EQ(1, Lin_ParseName(u"*(", &id));
  EXPECT_EQ(0u, id);
  EXPECT_EQ(2, Lin_ParseName(u"XY,", &id));
  EXPECT_EQ(65535u, id);
  id = 77;
  EXPECT_EQ(0, Lin_ParseName(u"(T=1)", &id)) << "no name: the bracket is not skipped";
  EXPECT_EQ(0, Lin_ParseName(u"", &id));
  EXPECT_EQ(77u, id);
  EXPECT_EQ(-3, Lin_ParseName(u"ABCDEFGHI", &id));
  EXPECT_EQ(-2, Lin_ParseName(u"A$B", &id));
}

TEST_F(LineTest, TheTableHoldsFourThousandLinesAndIdsGoRound) {
  wch name[16];
  for (int i = 0; i < LINE_MAX; ++i) {
    Fmt_Print(name, 16, u"L%u", u32(i));
    ASSERT_EQ(0, Lin_Create(name, 0, 0)) << i;
  }
  EXPECT_EQ(LIN_FULL, Lin_Create(u"ONEMORE", 0, 0));
  EXPECT_EQ(i32(LINE_MAX), i32(Lin_CountAndMax() & 0xFFFF));
  // Ids after 4005 start again at 1, skipping ids in use.
  for (int i = 0; i < 10; ++i) ASSERT_EQ(0, Lin_Delete(Lin_IdAt(0)));  // ids 1..10 free
  LineId id = 0;
  for (int i = 0; i < 5; ++i) {
    Fmt_Print(name, 16, u"N%u", u32(i));
    ASSERT_EQ(0, Lin_Create(name, 0, 0, &id));
  }
  EXPECT_EQ(4001u, id - 4) << "4001..4005 first";
  ASSERT_EQ(0, Lin_Create(u"WRAP", 0, 0, &id));
  EXPECT_EQ(1u, id);
  for (int i = 0; i < 4; ++i) {
    Fmt_Print(name, 16, u"W%u", u32(i));
    ASSERT_EQ(0, Lin_Create(name, 0, 0, &id));
  }
  EXPECT_EQ(5u, id) << "2..5";
  // Ids count on from the last one given, not from the lowest free one.
  ASSERT_EQ(0, Lin_Delete(3000));
  ASSERT_EQ(0, Lin_Create(u"LAST", 0, 0, &id));
  EXPECT_EQ(6u, id);
}

TEST_F(LineTest, RenameAndMove) {
  const LinTrainHooks trains = {nullptr, Resort};
  Lin_SetTrainHooks(&trains);
  const LineId a = Make("A"), b = Make("B"), c = Make("C");
  EXPECT_EQ(0, Lin_RenameMove(a, nullptr, -1));
  EXPECT_EQ("B:2 C:3 A:1", Table()) << "the first goes up to the end";
  EXPECT_EQ(0, Lin_RenameMove(a, nullptr, -2));
  EXPECT_EQ("A:1 B:2 C:3", Table()) << "the last goes down to the top";
  EXPECT_EQ(0, Lin_RenameMove(c, nullptr, -1));
  EXPECT_EQ("A:1 C:3 B:2", Table());
  EXPECT_EQ(0, Lin_RenameMove(a, nullptr, i32(b)));
  EXPECT_EQ("C:3 B:2 A:1", Table());
  EXPECT_EQ(0, Lin_RenameMove(a, nullptr, i32(c)));
  EXPECT_EQ("C:3 A:1 B:2", Table());
  EXPECT_EQ(5u, std::count(g_calls.begin(), g_calls.end(), std::string("resort")) + 0u) << "every move re-sorts";

  g_calls.clear();
  wch field[32];
  Str_Copy(field, u" \"x1\" ");
  EXPECT_EQ(0, Lin_RenameMove(a, field, 0));
  EXPECT_EQ("C:3 x1:1 B:2", Table());
  EXPECT_TRUE(g_calls.empty()) << "a rename alone does not re-sort";
  Str_Copy(field, u"c");
  EXPECT_EQ(LIN_NAME_EXISTS, Lin_RenameMove(a, field, -1));
  EXPECT_EQ(u"c", wstr(field));
  EXPECT_EQ("C:3 x1:1 B:2", Table()) << "refused: nothing moves";
  Str_Copy(field, u"X1");
  EXPECT_EQ(0, Lin_RenameMove(a, field, 0)) << "its own name in another case";
  Str_Copy(field, u"LONGNAME9");
  EXPECT_EQ(4, Lin_RenameMove(a, field, 0));
  Str_Copy(field, u"*");
  EXPECT_EQ(3, Lin_RenameMove(a, field, 0));
  Str_Copy(field, u"  ");
  EXPECT_EQ(0, Lin_RenameMove(a, field, 0));
  EXPECT_EQ(LIN_NO_SUCH_LINE, Lin_RenameMove(77, nullptr, -1));
  EXPECT_EQ(LIN_NO_SUCH_LINE, Lin_RenameMove(a, nullptr, 77));
  EXPECT_EQ("C:3 X1:1 B:2", Table());
}

TEST_F(LineTest, StepThroughTheNames) {
  wch field[32];
  Str_Copy(field, u"A");
  EXPECT_EQ(1, Lin_StepName(field, 1)) << "empty table";
  Make("A");
  Make("B");
  Make("C");
  struct Case {
    const char* field;
    i32 step;
    const char* result;
  } cases[] = {{" b", 1, "C"}, {"C", 1, "A"}, {"A", -1, "C"}, {"B", -7, "A"}, {"zz", 1, "A"}, {"", -1, "A"}};
  for (const Case& c : cases) {
    Str_Copy(field, W16(c.field).c_str());
    EXPECT_EQ(0, Lin_StepName(field, c.step));
    EXPECT_EQ(W16(c.result), wstr(field)) << c.field << " " << c.step;
  }
}

TEST_F(LineTest, OtherModulesAreAskedInTheirOrder) {
  const LinModuleHooks h = {CopyHook, RemoveHook, CountHook};
  for (int m = 0; m < LIN_MODULE_COUNT; ++m) Lin_SetModuleHooks(m, &h);
  const LinTrainHooks trains = {TrainCounts, Resort};
  Lin_SetTrainHooks(&trains);
  const LineId a = Make("A"), b = Make("B");
  EXPECT_TRUE(g_calls.empty());
  LineId c = 0;
  EXPECT_EQ(0, Lin_Create(u"C", 0, a, &c));
  EXPECT_EQ(8u, g_calls.size());
  EXPECT_EQ("copy 3 1", g_calls[0]);

  g_calls.clear();
  g_trainCounts[0] = 1;
  EXPECT_EQ(LIN_HAS_TRAINS, Lin_Delete(b));
  EXPECT_EQ(std::vector<std::string>({"trains 2"}), g_calls) << "refused before any rule is touched";
  g_trainCounts[0] = 0;
  g_trainCounts[3] = 2;
  EXPECT_EQ(LIN_RUN_AS_BY_TRAINS, Lin_Delete(b));
  g_trainCounts[3] = 0;
  g_trainCounts[1] = g_trainCounts[2] = 5;  // the other counts do not keep it
  g_calls.clear();
  EXPECT_EQ(0, Lin_Delete(b));
  EXPECT_EQ(9u, g_calls.size());
  EXPECT_EQ("remove 2", g_calls[1]);
  EXPECT_EQ(LIN_NO_SUCH_LINE, Lin_Delete(b));
  EXPECT_EQ("A:1 C:3", Table());

  g_calls.clear();
  EXPECT_EQ(1, Lin_CountUsersInBox(2, 0, 0, 0, 10, 10, 0));
  EXPECT_EQ(1u, g_calls.size()) << "stops at the first";
  EXPECT_EQ(24, Lin_CountUsersInBox(-2, 0, 0, 0, 10, 10, 0));
  EXPECT_EQ(0, Lin_CountUsersInBox(0, 0, 0, 0, 10, 10, 0));
  EXPECT_EQ(0, Lin_CountUsersInBox(1, 0, 0, 0, 10, 10, 0));

  Lin_SetModuleHooks(LIN_MODULE_DWX, nullptr);
  EXPECT_EQ(0, Lin_Create(u"E", 0, 99)) << "no line 99: nothing to copy";
  EXPECT_EQ(LIN_COPY_FAILED, Lin_Create(u"D", 0, c)) << "created, but a copy failed";
  EXPECT_EQ(LIN_NAME_EXISTS, Lin_Create(u"D", 0, 0));
}

TEST_F(LineTest, NameErrorMessages) {
  struct Case {
    int code;
    const char* name;
    u32 message;
  } cases[] = {{-2, "A$B", 664}, {-1, "", 663}, {0, "XY", 662}, {-3, "ABCDEFGHIJ", 665}, {-5, "\"AB", 665}};
  for (const Case& c : cases) {
    Msg_ResetLast();
    EXPECT_EQ(0u, Lin_ReportNameError(c.code, W16(c.name).c_str(), 0));
    EXPECT_EQ(c.message, Msg_LastNumber()) << c.code;
  }
  Msg_ResetLast();
  EXPECT_EQ(0u, Lin_ReportNameError(-2, u"A$B", 0));
  EXPECT_NE(wstr(Msg_LastText()).find(u"\"$\": \"A$B..\""), wstr::npos);
  // Without a front end the question is answered with Cancel.
  EXPECT_EQ(0u, Lin_ReportNameError(0, u"XY", 1));
  EXPECT_EQ(660u, Msg_LastNumber());
  EXPECT_EQ(0, Lin_FindByName(u"XY"));
}

TEST_F(LineTest, Texts) {
  const LineId a = Make("A");
  EXPECT_EQ(0, Lin_GetText(a, nullptr));
  EXPECT_EQ(-1, Lin_GetText(9, nullptr));
  EXPECT_EQ(-1, Lin_SetText(9, u"x"));
  EXPECT_EQ(0, Lin_SetText(a, u"Express"));
  wch buf[16];
  EXPECT_EQ(8, Lin_GetText(a, buf));
  EXPECT_EQ(u"Express", wstr(buf));
  EXPECT_EQ(0, Lin_SetText(a, u""));
  EXPECT_EQ(0, Lin_GetText(a, buf));
}

// ---------------------------------------------------------------- the section

TEST_F(LineTest, SectionRoundTrip) {
  const LineId a = Make("IC"), b = Make("R\u00e9gio");
  Make("S1", a);
  Lin_SetText(b, u"Line text\r\nsecond row");
  Lin_Delete(a);
  const Bytes saved = Save();
  Bytes expected;
  PutText(expected, "LIND");
  Test_Put32(expected, 2);
  PutName16(expected, "S1");
  Test_Put32(expected, 3);
  Test_Put32(expected, 0);
  Test_Put16(expected, 'R');
  Test_Put16(expected, 0xE9);
  PutName16(expected, "gio");
  Test_Put32(expected, 2);
  Test_Put32(expected, 22);
  for (const char* p = "Line text\r\nsecond row"; *p; ++p) Test_Put16(expected, u8(*p));
  Test_Put16(expected, 0);
  EXPECT_EQ(expected, saved);

  const std::string before = Table();
  Lin_Clear();
  ASSERT_EQ(0, Load(saved, LAY_VERSION));
  EXPECT_EQ(before, Table());
  wch text[64];
  EXPECT_EQ(22, Lin_GetText(b, text));
  EXPECT_EQ(u"Line text\r\nsecond row", wstr(text));
  EXPECT_EQ(saved, Save());
  // A new line after the load gets an id no line has.
  LineId id = 0;
  ASSERT_EQ(0, Lin_Create(u"NEW", 0, 0, &id));
  EXPECT_EQ(1u, id);
}

TEST_F(LineTest, OlderSectionFormsAreConverted) {
  // 14389..14392: wide names, no texts.
  Bytes v14390;
  PutText(v14390, "LIND");
  Test_Put32(v14390, 2);
  PutName16(v14390, "IC");
  Test_Put32(v14390, 7);
  PutName16(v14390, "RE");
  Test_Put32(v14390, 4005);
  ASSERT_EQ(0, Load(v14390, 14390));
  EXPECT_EQ("IC:7 RE:4005", Table());

  // 13573..14388: "LI", u16 count, 8 skipped bytes and an 8-byte 8-bit name,
  // a u16 id.
  Bytes v14000;
  PutText(v14000, "LI");
  Test_Put16(v14000, 2);
  PutText(v14000, "xxxxxxxx   EXPR ");
  Test_Put16(v14000, 12);
  PutText(v14000, "yyyyyyyyS5      ");
  Test_Put16(v14000, 13);
  ASSERT_EQ(0, Load(v14000, 14000));
  EXPECT_EQ("EXPR:12 S5:13", Table());

  // Before 13573: 6-byte names.
  Bytes v13500;
  PutText(v13500, "LI");
  Test_Put16(v13500, 1);
  PutText(v13500, "  AB  ");
  Test_Put16(v13500, 3);
  ASSERT_EQ(0, Load(v13500, 13500));
  EXPECT_EQ("AB:3", Table());
}

TEST_F(LineTest, DamagedSectionsAreRefused) {
  auto section = [](u32 count) {
    Bytes b;
    PutText(b, "LIND");
    Test_Put32(b, count);
    return b;
  };
  struct Case {
    const char* what;
    Bytes bytes;
    u16 version;
    int result;
  };
  std::vector<Case> cases;
  Bytes b = section(4001);
  cases.push_back({"4001 lines", b, 14400, 3});
  b = section(1);
  cases.push_back({"ends where a name starts", b, 14400, 2});
  b = section(1);
  PutName16(b, "ABCDEFGHI");
  cases.push_back({"a name of nine characters", b, 14400, 3});
  b = section(1);
  Test_Put16(b, 'A');
  cases.push_back({"ends inside a name", b, 14400, 1});
  b = section(1);
  PutName16(b, "A");
  Test_Put32(b, 0);
  Test_Put32(b, 0);
  cases.push_back({"id 0", b, 14400, 3});
  b = section(1);
  PutName16(b, "A");
  Test_Put32(b, 4006);
  Test_Put32(b, 0);
  cases.push_back({"id 4006", b, 14400, 3});
  b = section(2);
  PutName16(b, "A");
  Test_Put32(b, 5);
  Test_Put32(b, 0);
  PutName16(b, "B");
  Test_Put32(b, 5);
  Test_Put32(b, 0);
  cases.push_back({"an id twice", b, 14400, 3});
  b = section(1);
  PutName16(b, "A");
  Test_Put32(b, 5);
  Test_Put32(b, 0x7FFFFFFF);
  cases.push_back({"a text length beyond any text", b, 14400, 3});
  b = section(1);
  PutName16(b, "A");
  Test_Put32(b, 5);
  Test_Put32(b, 3);
  Test_Put16(b, 'x');
  cases.push_back({"a text cut short", b, 14400, 1});
  b = Bytes({'L', 'I', 'N', 'X', 0, 0, 0, 0});
  cases.push_back({"another tag", b, 14400, 3});
  b = Bytes({'L', 'I'});
  Test_Put16(b, 4001);
  cases.push_back({"old form, 4001 lines", b, 14000, 3});
  b = Bytes({'L', 'I'});
  Test_Put16(b, 1);
  cases.push_back({"old form, ends where a name starts", b, 14000, 2});
  b = Bytes({'L', 'I'});
  Test_Put16(b, 1);
  PutText(b, "xxxxxxxxAB");
  cases.push_back({"old form, a short name", b, 14000, 1});
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, Load(c.bytes, c.version)) << c.what;
  }
  // A text read from a file always ends inside its block.
  b = section(1);
  PutName16(b, "A");
  Test_Put32(b, 5);
  Test_Put32(b, 2);
  Test_Put16(b, 'x');
  Test_Put16(b, 'y');
  ASSERT_EQ(0, Load(b, 14400));
  wch text[4];
  EXPECT_EQ(2, Lin_GetText(5, text));
  EXPECT_EQ(u"x", wstr(text));
}

// ---------------------------------------------------------------- LineCondList

TEST_F(LineTest, GroupLengthsFollowTheOptionTable) {
  struct Case {
    const char* what;
    Words list;
    i32 length;
  } cases[] = {
      {"plain", {1, 5, 0}, 3},
      {"two lines", {2, 5, 6, 0}, 4},
      {"windows", {1, 5, 0x8000, 2, 1, 2, 3, 4}, 8},
      {"numbers and a switch line", {1, 5, 0x10000 | 0x4000, 3, 1, W_ANY_FOR_TEST, 9, 7}, 8},
      {"every one-word option", {1, 5, 0x4000 | 0x800 | 0x2 | 0x400 | 0x2000 | 0x1000 | 0x200 | 0x100 | 0x80 | 0x40 | 0x8 |
                                   0x4 | 0x40000 | 0x1,
                                 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
       17},
      {"timetables", {1, 5, 0x30, 1, 1, 2, 3, 4, 2, 1, 2, 3, 4, 1, 2, 3, 4}, 17},
      {"option 17 without a place", {1, 5, 0x20000, 1}, 4},
      {"option 17 with a place", {1, 5, 0x20000, 5, 9, 9}, 6},
      {"option 17 with 4 alone", {1, 5, 0x20000, 4, 9, 9}, 6},
      {"a count beyond the list", {1, 5, 0x8000, 3, 1, 2}, 0},
      {"a huge count", {1, 5, 0x10000, 0xFFFFFFFF, 1}, 0},
      {"a huge line count", {0xFFFFFFFF, 5, 0}, 0},
      {"no flag word", {2, 5, 6}, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.length, Lin_ListGroupLength(c.list.data(), i32(c.list.size()))) << c.what;
  const Words two = {1, 5, 0, 2, 6, 7, 0x80, 1};
  EXPECT_EQ(2, Lin_ListCountGroups(two.data(), 8));
  EXPECT_EQ(3, Lin_ListSkipGroups(two.data(), 8, 1));
  EXPECT_EQ(8, Lin_ListSkipGroups(two.data(), 8, 5));
  EXPECT_EQ(-1, Lin_ListCountGroups(two.data(), 7));
}

TEST_F(LineTest, RemovingALineFromLists) {
  struct Case {
    const char* what;
    Words list;
    LineId id;
    int whole;
    Words result;
  } cases[] = {
      {"its only line: the group goes", {1, 5, 0, 1, 6, 0}, 5, 0, {1, 6, 0}},
      {"one of several lines", {3, 5, 6, 5, 0x80, 1}, 5, 0, {1, 6, 0x80, 1}},
      {"named and switched to", {2, 5, 6, 0x4000, 5}, 5, 0, {}},
      {"switched to only: the option goes", {1, 6, 0x4000 | 0x80, 5, 1}, 5, 1, {1, 6, 0x80, 1}},
      {"switched to only, whole groups", {1, 6, 0x8000 | 0x4000, 1, 1, 2, 5, 1, 7, 0}, 5, 1, {1, 7, 0}},
      {"switched to only, not whole", {1, 6, 0x8000 | 0x4000, 1, 1, 2, 5}, 5, 0, {1, 6, 0x8000, 1, 1, 2}},
      {"id 0 changes nothing", {1, 0, 0}, 0, 0, {1, 0, 0}},
      {"not named", {1, 6, 0}, 5, 0, {1, 6, 0}},
  };
  for (const Case& c : cases) {
    Words l = c.list;
    const i32 n = Lin_ListRemove(l.data(), i32(l.size()), c.id, c.whole);
    EXPECT_EQ(c.result, Words(l.begin(), l.begin() + n)) << c.what;
  }
  const Words l = {2, 5, 6, 0x4000, 7, 1, 8, 0x4000, 6};
  EXPECT_EQ(1, Lin_ListContains(l.data(), 9, 6));
  EXPECT_EQ(2, Lin_ListContains(l.data(), 9, 7));
  EXPECT_EQ(0, Lin_ListContains(l.data(), 9, 9));
}

TEST_F(LineTest, AddingALineBesideAnother) {
  Words out(LINE_LIST_MAX);
  i32 n = 0;
  const Words l = {2, 5, 6, 0x80, 1, 1, 7, 0, 1, 6, 0};
  EXPECT_EQ(0, Lin_ListAddBeside(l.data(), 11, out.data(), &n, 9, 6));
  EXPECT_EQ(Words({3, 5, 6, 9, 0x80, 1, 1, 7, 0, 2, 6, 9, 0}), Words(out.begin(), out.begin() + n));
  // A group of 20 lines cannot grow.
  Words full = {20};
  for (u32 i = 0; i < 20; ++i) full.push_back(100 + i);
  full.push_back(0);
  full.insert(full.end(), {1, 100, 0});
  EXPECT_EQ(-3, Lin_ListAddBeside(full.data(), i32(full.size()), out.data(), &n, 9, 100));
  EXPECT_EQ(full.size() + 1, size_t(n));
  EXPECT_EQ(-2, Lin_ListAddBeside(full.data(), 22, out.data(), &n, 9, 100));
  EXPECT_EQ(-1, Lin_ListAddBeside(l.data(), 11, out.data(), &n, 0, 6));
  EXPECT_EQ(l, Words(out.begin(), out.begin() + n));
  // The list stays within 1200 words.
  Words big = {1, 6, 0x10000, 1192};
  big.resize(1196, 1);
  big.insert(big.end(), {1, 6, 0});
  ASSERT_EQ(1199u, big.size());
  EXPECT_EQ(-3, Lin_ListAddBeside(big.data(), 1199, out.data(), &n, 9, 6));
  EXPECT_EQ(1200, n);
  EXPECT_EQ(2u, out[0]);
}

TEST_F(LineTest, DepotPlacesInLists) {
  // Timetable 1 with two entries, option 17 with a place.
  const Words base = {1, 5, 0x20 | 0x20000, 2, 0x7F080000, 3, 0x8002, 1, 0x7F090000, 4, 2, 2, 5, 3, 2};
  Words l = base;
  Lin_ListClearDepotPlaces(l.data(), i32(l.size()), 3, 2);
  EXPECT_EQ(0u, l[5]);
  EXPECT_EQ(0x8002u, l[6]) << "the flag stays";
  EXPECT_EQ(4u, l[9]);
  EXPECT_EQ(0u, l[13]);
  l = base;
  Lin_ListRenumberDepotPlace(l.data(), i32(l.size()), 3, 7, 2);
  EXPECT_EQ(0x8007u, l[6]);
  EXPECT_EQ(7u, l[14]);
  EXPECT_EQ(2u, l[10]) << "another depot";
  l = base;
  l[4] = 0x180000;  // the any-time entries keep their place
  Lin_ListRenumberDepotPlace(l.data(), i32(l.size()), 3, 7, 2);
  EXPECT_EQ(0x8002u, l[6]);
}

TEST_F(LineTest, MatchingTrainsAgainstAList) {
  // Line 5 on Monday 8:00-9:00 for trains 10..20; line 6 any time; any line
  // for train 99.
  const Words l = {1, 5, 0x8000 | 0x10000, 1, 0x01080000, 0x01090000, 3, 10, W_ANY_FOR_TEST, 20, 1, 6, 0x80, 1,
                   1, 0, 0x10000, 1, 99};
  const i32 n = i32(l.size());
  u32 end = 0, flags = 0;
  EXPECT_EQ(10, Lin_ListMatch(l.data(), n, 5, &end, &flags, 0x01083000, 15));
  EXPECT_EQ(0x01090000u, end);
  EXPECT_EQ(-1, Lin_ListMatch(l.data(), n, 5, &end, &flags, 0x02083000, 15)) << "Tuesday";
  EXPECT_EQ(-1, Lin_ListMatch(l.data(), n, 5, &end, &flags, 0x01083000, 21));
  EXPECT_EQ(10, Lin_ListMatch(l.data(), n, 5, &end, &flags, 0x01083000, 0)) << "no number: any";
  EXPECT_EQ(13, Lin_ListMatch(l.data(), n, 6, &end, &flags, 0x04000000, 3));
  EXPECT_EQ(0x80u, flags);
  EXPECT_EQ(0u, end);
  EXPECT_EQ(19, Lin_ListMatch(l.data(), n, 8, &end, &flags, 0x04000000, 99));
  EXPECT_EQ(-1, Lin_ListMatch(l.data(), n, 8, &end, &flags, 0x04000000, 98));

  g_simClock.weekday = 1;
  g_simClock.hour = 8;
  g_simClock.minute = 30;
  EXPECT_EQ(1, Lin_ListMatchNow(l.data(), n, 5, nullptr, 12));
  u32 until = 0x01084500;
  EXPECT_EQ(1, Lin_ListMatchNow(l.data(), n, 5, &until, 12));
  until = 0x01093000;
  EXPECT_EQ(0, Lin_ListMatchNow(l.data(), n, 5, &until, 12));
  EXPECT_EQ(0x01090000u, until) << "the end of the window";
  until = 5;
  EXPECT_EQ(0, Lin_ListMatchNow(l.data(), n, 6, &until, 12));
  EXPECT_EQ(0x01081E00u, until) << "no windows: now";

  // Windows that hand over to each other form one chain.
  const Words chain = {1, 5, 0x8000, 2, 0x7F080000, 0x7F0A0000, 0x7F0A0000, 0x7F0C0000};
  until = 0x010B0000;
  EXPECT_EQ(1, Lin_ListMatchNow(chain.data(), 8, 5, &until, 0));
  until = 0x010D0000;
  EXPECT_EQ(0, Lin_ListMatchNow(chain.data(), 8, 5, &until, 0));
  EXPECT_EQ(0x010C0000u, until);
}

TEST_F(LineTest, PairAndNumberLists) {
  Words p = {5, 0, 6, 2, 5, 3, 7, 1};
  EXPECT_EQ(4, Lin_PairListCount(p.data(), 8));
  EXPECT_EQ(4, Lin_PairListSkip(p.data(), 8, 2));
  EXPECT_EQ(1, Lin_PairListContains(p.data(), 8, 5, 9)) << "value 0 in the list matches any";
  EXPECT_EQ(1, Lin_PairListContains(p.data(), 8, 6, 0));
  EXPECT_EQ(0, Lin_PairListContains(p.data(), 8, 6, 3));
  EXPECT_EQ(2, Lin_PairListReplace(p.data(), 8, 5, 9, 0));
  EXPECT_EQ(6, Lin_PairListRemove(p.data(), 8, 9, 3));
  EXPECT_EQ(Words({9, 0, 6, 2, 7, 1}), Words(p.begin(), p.begin() + 6));
  EXPECT_EQ(2, Lin_PairListRemove(p.data(), 6, 6, 0) - 2);

  const u16 old[] = {4, 8};
  u32 out[4];
  EXPECT_EQ(4, Lin_PairListFromOld(old, 2, out));
  EXPECT_EQ(Words({4, 0, 8, 0}), Words(out, out + 4));

  const Words a = {4, 3, 10, W_ANY_FOR_TEST, 20}, b = {2, 25, 15}, c = {1, 21}, empty = {0};
  EXPECT_EQ(1, Lin_NumberListMatch(a.data(), 15));
  EXPECT_EQ(1, Lin_NumberListMatch(a.data(), 3));
  EXPECT_EQ(0, Lin_NumberListMatch(a.data(), 21));
  EXPECT_EQ(2, Lin_NumberListMatch(empty.data(), 21));
  EXPECT_EQ(1, Lin_NumberListsShare(a.data(), b.data()));
  EXPECT_EQ(0, Lin_NumberListsShare(a.data(), c.data()));
  EXPECT_EQ(2, Lin_NumberListsShare(empty.data(), c.data()));
}

}  // namespace
