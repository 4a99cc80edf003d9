// Layout protection code: the shift coding, the entry rules, the slices
// between the sections, and the save check.
#include <gtest/gtest.h>

#include <map>

#include "model/genl.h"
#include "model/grid.h"
#include "model/layfile.h"
#include "model/layprot.h"
#include "platform/fio.h"
#include "platform/msg.h"
#include "platform/str.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

wstr Encode(const char* s) {
  wstr w = W16(s);
  w.push_back(0);
  Str_ShiftEncode(&w[0]);
  return wstr(w.c_str());
}

TEST(ShiftCode, EncodesByPosition) {
  struct Case {
    const char* plain;
    const char* coded;
  } cases[] = {{"A", "G"}, {"Z", "5"}, {"AA", "GJ"}, {"A B", "G"}, {"a", "q"}, {"9", "F"}, {"", ""}};
  for (const Case& c : cases) EXPECT_EQ(W16(c.coded), Encode(c.plain)) << c.plain;
}

TEST(ShiftCode, DecodingGivesEveryWordBack) {
  const char* words[] = {"ABCDEFGH", "0123456789ABCDEF", "ZZZZZZZZ", "A1B2C3D4E5", "Q"};
  for (const char* word : words) {
    wstr w = Encode(word);
    w.push_back(0);
    Str_ShiftDecode(&w[0]);
    EXPECT_EQ(W16(word), wstr(w.c_str())) << word;
  }
  wstr q = u"Gq";
  Str_ShiftDecode(&q[0]);
  EXPECT_EQ(wstr(u"Aq"), q);
}

std::map<u32, int> g_answers;
int Box(const wch*, const wch*, u32 number, int flags) {
  auto it = g_answers.find(number);
  return it != g_answers.end() ? it->second : ((flags & MSG_FLAG_YESNO) ? 1 : 2);
}
const MsgFrontEnd kBoxes = {Box, nullptr, nullptr, nullptr, nullptr, nullptr};
int g_asked;
int AskAnswer(void) {
  ++g_asked;
  return 1;  // cancelled
}
const LayProtectHooks kAsk = {AskAnswer};

class LayProtTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Wire_InstallHooks();
    ASSERT_EQ(0, Test_LoadTexts());
  }
  void SetUp() override {
    folder = Test_MakeTempFolder();
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    Lay_ClearProtectCode();
    LayoutFileVersion = 0;
    g_answers.clear();
    g_asked = 0;
    Lay_SetProtectHooks(&kAsk);
  }
  void TearDown() override {
    Lay_SetProtectHooks(nullptr);
    Msg_SetFrontEnd(nullptr);
    Lay_ClearProtectCode();
    Grid_Exit();
  }
  wstr folder;
};

TEST_F(LayProtTest, EntryRules) {
  struct Case {
    const char* entry;
    int result;
  } cases[] = {{"ABCDEFG", 1}, {"ABCDEFGH", 0}, {"abcdefgh", 0}, {"0123456789ABCDEF", 0},
               {"0123456789ABCDEFG", 2}, {"ABCD-EFGH", 3}, {"  ABCDEFGH  ", 0}};
  for (const Case& c : cases) {
    Lay_ClearProtectCode();
    EXPECT_EQ(c.result, Lay_SetProtectCode(W16(c.entry).c_str())) << c.entry;
    EXPECT_EQ(c.result == 0, Lay_HasProtectCode() != 0) << c.entry;
  }
  ASSERT_EQ(0, Lay_SetProtectCode(u"SECRET12"));
  EXPECT_EQ(4, Lay_CheckProtectCode(u"SECRET13"));
  EXPECT_EQ(0, Lay_CheckProtectCode(u"secret12"));
  // An empty entry removes the code.
  EXPECT_EQ(0, Lay_SetProtectCode(u"  "));
  EXPECT_EQ(0, Lay_HasProtectCode());
}

TEST_F(LayProtTest, SlicesStandBetweenTheSectionsOnlyWithACode) {
  LayoutFileName[0] = 0;
  Str_Copy(LayoutFileName, u"plain.nt3");
  ASSERT_EQ(0, Lay_WriteFile(folder.c_str(), nullptr));
  const size_t plain = Test_ReadFile(folder + u"plain.nt3").size();
  ASSERT_EQ(0, Lay_SetProtectCode(u"ABCDEFGHIJ"));
  Str_Copy(LayoutFileName, u"locked.nt3");
  ASSERT_EQ(0, Lay_WriteFile(folder.c_str(), nullptr));
  // 31 bytes of slices: the run-length coding may fold some, so only that
  // the file grew and reads back with the code.
  EXPECT_GT(Test_ReadFile(folder + u"locked.nt3").size(), plain);
  Lay_ClearProtectCode();
  ASSERT_EQ(0, Lay_LoadFile(u"locked.nt3"));
  EXPECT_EQ(1, Lay_HasProtectCode());
  EXPECT_EQ(0, Lay_CheckProtectCode(u"ABCDEFGHIJ"));
  Lay_ClearProtectCode();
  ASSERT_EQ(0, Lay_LoadFile(u"plain.nt3"));
  EXPECT_EQ(0, Lay_HasProtectCode());
}

TEST_F(LayProtTest, SaveCheck) {
  Msg_SetFrontEnd(&kBoxes);
  // No code, current version: go on.
  EXPECT_EQ(0, Lay_MaySave());
  // A code set by the user counts as entered; after a load it must be asked.
  ASSERT_EQ(0, Lay_SetProtectCode(u"ABCDEFGH"));
  EXPECT_EQ(0, Lay_MaySave());
  EXPECT_EQ(0, g_asked);
  Lay_ForgetEnteredCode();
  EXPECT_EQ(1, Lay_MaySave());
  EXPECT_EQ(1, g_asked);
  EXPECT_EQ(1, Lay_MaySaveQuietly());
  Lay_ClearProtectCode();
  // An older layout: question 241 once; Yes converts it.
  LayoutFileVersion = 0x3700;
  g_answers[241] = 4;
  EXPECT_EQ(1, Lay_MaySave());
  EXPECT_EQ(0x3700, LayoutFileVersion);
  g_answers[241] = 3;
  EXPECT_EQ(0, Lay_MaySave());
  EXPECT_EQ(LAY_VERSION, LayoutFileVersion);
  g_answers[241] = 4;
  EXPECT_EQ(0, Lay_MaySave());
}

}  // namespace
