// Clipboard blocks of the layout's point objects and texts over the native
// stand-in clipboard: round trips with an offset, escapes, and malformed
// blocks. (The system clipboard is one for the whole desktop; these run
// natively only.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/grid.h"
#include "model/infp.h"
#include "model/logp.h"
#include "model/prlb.h"
#include "model/txt.h"
#include "platform/clip.h"
#include "platform/str.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

int g_window;

class ObjClip : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    Clip_SetWindow(&g_window);
    ASSERT_EQ(0, Clip_Empty());
    Info_Clear();
    Logp_Clear();
    Prell_Clear();
    Txt_Clear();
  }
  void TearDown() override {
    Info_Clear();
    Logp_Clear();
    Prell_Clear();
    Txt_Clear();
    Clip_SetWindow(nullptr);
    Grid_Exit();
  }
  static void Lines(std::initializer_list<const char*> lines) {
    ASSERT_EQ(0, Clip_Empty());
    for (const char* l : lines) ASSERT_EQ(0, Clip_AppendLine(W16(l).c_str()));
  }
  static std::string Line(i32 n) {
    wch buf[300];
    if (Clip_ReadLine(n, 300, buf) != 0) return "#";
    return U8(buf);
  }
};

TEST_F(ObjClip, BufferStopsRoundTrip) {
  ASSERT_EQ(0, Prell_Set(3, 4, -1, 7, 0x1F));
  ASSERT_EQ(0, Prell_Set(50, 4, 0, 1, 2));
  ASSERT_EQ(0, Prell_CopyToClip(0, 0, 0, 10, 10, -4));
  EXPECT_EQ("PRELL_A", Line(0));
  EXPECT_EQ("3,4,-1,1f,7", Line(1));
  EXPECT_EQ("PRELL_E", Line(2));
  u32 line = 0;
  ASSERT_EQ(0, Prell_PasteFromClip(&line, 100, 1, 0));
  EXPECT_EQ(3u, line);
  EXPECT_EQ(0x1F, Prell_GetValue(103, 5, -1));
  EXPECT_EQ(7u, Prell_GetKind(103, 5, -1));
}

TEST_F(ObjClip, LogPointsRoundTripWithCommasInTheName) {
  ASSERT_EQ(0, Logp_Set(3, 4, 0, 0x81, u"Gate 1, north", 9));
  ASSERT_EQ(0, Logp_CopyToClip(0, 0, 0, 10, 10, -4));
  EXPECT_EQ("3,4,0,81,9,Gate 1, north", Line(1));
  u32 line = 0;
  ASSERT_EQ(0, Logp_PasteFromClip(&line, 0, 10, -1));
  EXPECT_EQ(3u, line);
  wch name[LOGP_NAME_MAX + 1];
  u32 dirs = 0;
  EXPECT_EQ(9u, Logp_GetInfo(3, 14, -1, &dirs, name));
  EXPECT_EQ(wstr(u"Gate 1, north"), wstr(name)) << "the name is everything after the fifth comma";
  EXPECT_EQ(0x81u, dirs);
}

TEST_F(ObjClip, MalformedBlocks) {
  struct Case {
    std::vector<const char*> lines;
    int (*paste)(u32*, i32, i32, i32);
    int result;
  };
  const std::string long33 = "1,1,0,1,1," + std::string(33, 'n');
  const Case cases[] = {
      {{"LOG_A", "1,1,0,1,1,ok", "LOG_X"}, Logp_PasteFromClip, 2},
      {{"LOG_A", long33.c_str(), "LOG_E"}, Logp_PasteFromClip, 2},
      {{"LOG_A", "1,1,0,1,1"}, Logp_PasteFromClip, 2},
      {{"LOG_A", "LOG_E"}, Logp_PasteFromClip, 0},
      {{"PRELL_A", "1,1,0,1"}, Prell_PasteFromClip, 2},
      {{"PRELL_A", "1,1,1,1,1", "PRELL_E"}, Prell_PasteFromClip, 2},
      {{"INFO_A", "1,1,0,3", "a\\zzzz", "INFO_E"}, Info_PasteFromClip, 2},
      {{"INFO_A", "1,1,0,3"}, Info_PasteFromClip, 2},
      {{"STRING_A", "1,1,0,0,0,a,b,c"}, Txt_PasteFromClip, 2},
      {{"STRING_A", "STRING_E"}, Txt_PasteFromClip, 0},
      {{}, Txt_PasteFromClip, 2},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(0, Clip_Empty());
    for (const char* l : c.lines) ASSERT_EQ(0, Clip_AppendLine(W16(l).c_str()));
    u32 line = 0;
    EXPECT_EQ(c.result, c.paste(&line, 0, 0, 0)) << (c.lines.size() > 1 ? c.lines[1] : "");
  }
}

TEST_F(ObjClip, InfoTextsWithEscapesAndLongLines) {
  const wstr text = u"back\\slash\r\nline" + wstr(450, u'x') + u"\u2028end";
  ASSERT_EQ(0, Info_Set(2, 2, 0, u32(text.size() + 5)));
  ASSERT_EQ(0, Info_SetText(2, 2, 0, text.c_str()));
  ASSERT_EQ(0, Info_CopyToClip(0, 0, 0, 5, 5, 0));
  EXPECT_EQ("INFO_A", Line(0));
  EXPECT_EQ("2,2,0," + [&] {
    char h[16];
    std::snprintf(h, sizeof h, "%x", unsigned(text.size() + 1));
    return std::string(h);
  }(), Line(1)) << "only the text and its zero travel";
  EXPECT_EQ(0u, Line(2).find("back\\005cslash\\000d\\000aline"));
  u32 line = 0;
  ASSERT_EQ(0, Info_PasteFromClip(&line, 10, 0, -1));
  std::vector<wch> got(Info_GetLength(12, 2, -1));
  ASSERT_FALSE(got.empty());
  Info_GetTextCopy(12, 2, -1, got.data());
  EXPECT_EQ(text, wstr(got.data()));
  EXPECT_EQ("INFO_E", Line(i32(line) - 1));
}

TEST_F(ObjClip, TextCellsRoundTripWithCommaAndBackslash) {
  TxtCell c = {{u'a', u',', u'\\', u' ', 0}, 0x10, 0x20};
  ASSERT_EQ(TXT_SET_ADDED, Txt_Set(4, 4, 0, &c));
  TxtCell d = {{u'x', u'y', u'z', u'!', 0}, 0x10, 0x20};
  ASSERT_EQ(TXT_SET_ADDED, Txt_Set(5, 4, 0, &d));
  ASSERT_EQ(0, Txt_CopyToClip(5, 0, 0, 9, 9, 0));
  EXPECT_EQ("5,4,0,10,20,x,y,z,!", Line(1)) << "only the cells inside the box";
  ASSERT_EQ(0, Txt_CopyToClip(0, 0, 0, 4, 9, 0));
  Lines({"STRING_A", "4,4,0,10,20,a,\\44,\\92,\\32", "STRING_E"});
  u32 line = 0;
  ASSERT_EQ(0, Txt_PasteFromClip(&line, 0, 1, 0));
  TxtCell got;
  ASSERT_EQ(0, Txt_GetRunAt(4, 5, 0, &got));
  EXPECT_EQ(wstr(u"a,\\ "), wstr(got.Chars));
  EXPECT_EQ(0x10u, got.TextColour);
}

TEST_F(ObjClip, TextCopyEscapesCommaAndBackslash) {
  TxtCell c = {{u'a', u',', u'\\', u' ', 0}, 0x10, 0x20};
  ASSERT_EQ(TXT_SET_ADDED, Txt_Set(4, 4, 0, &c));
  ASSERT_EQ(0, Txt_CopyToClip(0, 0, 0, 9, 9, 0));
  EXPECT_EQ("4,4,0,10,20,a,\\44,\\92,\\32", Line(1));
}

}  // namespace
