#include "platform/lng.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fio.h"
#include "platform/msg.h"
#include "tests/test_util.h"

namespace {

// UTF-16LE bytes of a UTF-8 text, with or without a byte-order mark.
std::vector<u8> Utf16Bytes(const std::string& utf8, bool bom = true) {
  std::vector<u8> out;
  if (bom) out = {0xFF, 0xFE};
  for (char16_t c : W16(utf8.c_str())) {
    out.push_back(u8(c & 0xFF));
    out.push_back(u8(c >> 8));
  }
  return out;
}

wstr Text(TextId id) { return wstr(Lng_GetText(id)); }

bool EndsWith(const wstr& s, const wstr& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class LngTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = Test_MakeTempFolder();
    ASSERT_FALSE(folder_.empty());
    ASSERT_EQ(Fio_InitBuffers(), 0);
    Lng_Exit();
    Lng_SetCodePages(-1, -1);
    Msg_ResetLast();
  }
  void TearDown() override {
    EXPECT_EQ(Fio_IsReadOpen(), 0) << "the loader left the read stream open";
    Lng_Exit();
    Fio_FreeBuffers();
  }

  void Write(const char* name, const std::string& utf8, bool bom = true) {
    ASSERT_TRUE(Test_WriteFile(folder_ + W16(name), Utf16Bytes(utf8, bom)));
  }
  void WriteRaw(const char* name, const std::vector<u8>& bytes) {
    ASSERT_TRUE(Test_WriteFile(folder_ + W16(name), bytes));
  }
  // Loads a small good table 1 so that refusals can show it stays in use.
  void LoadGoodTable() {
    Write("good.lng", "10\r\nten\r\n20\r\ntwenty\r\n.\r\n");
    ASSERT_EQ(Lng_LoadFile(u"good.lng", 1), 0);
    ASSERT_EQ(Text(10), u"ten");
    Msg_ResetLast();
  }

  wstr folder_;
};

// ---------------------------------------------------------------- loading

TEST_F(LngTest, LoadsBothTablesAndFindsTextsByNumber) {
  Write("t.lng",
        "; a comment line\r\n"
        "\r\n"
        "1\r\n"
        "first\r\n"
        "; comments may stand between the lines\r\n"
        "500\r\n"
        "  leading blanks stay\r\n"
        "39999\r\n"
        ".ends with a dot but is a text\r\n"
        ".\r\n"
        "7\r\nafter the end line\r\n");
  Write("t.lnv", "40000\r\nfirst of table 2\r\n4000000000\r\nhigh\r\n.\r\n");
  ASSERT_EQ(Lng_LoadFile(u"t.lng", 1), 0);
  ASSERT_EQ(Lng_LoadFile(u"t.lnv", 0), 0);
  EXPECT_EQ(Msg_LastNumber(), 0u);

  EXPECT_EQ(Text(1), u"first");
  EXPECT_EQ(Text(500), u"  leading blanks stay");
  EXPECT_EQ(Text(39999), u".ends with a dot but is a text");
  EXPECT_EQ(Text(40000), u"first of table 2");
  EXPECT_EQ(Text(4000000000u), u"high");
  EXPECT_EQ(Lng_GetTextLength(1), 6u);
  EXPECT_EQ(Lng_GetTextLength(40000), 17u);
  EXPECT_EQ(wstr(Lng_GetFileName(1)), u"t.lng");
  EXPECT_EQ(wstr(Lng_GetFileName(0)), u"t.lnv");

  // Nothing after the end line is read; missing ids in either table.
  EXPECT_EQ(Text(7), u"?@F7");
  EXPECT_EQ(Text(2), u"?@F2");
  EXPECT_EQ(Text(40001), u"?@F40001");
  EXPECT_EQ(Lng_GetTextLength(7), 0u);
  EXPECT_STREQ(Lng_GetTextA(2), "?@F2");
}

TEST_F(LngTest, LookUpFindsEveryTextInAnyOrder) {
  // The look-up resumes from its last hit; jumping back and forth must still
  // find every text and never report a present one as missing.
  std::string src;
  for (int id = 3; id <= 600; id += 3) src += std::to_string(id) + "\r\nt" + std::to_string(id) + "\r\n";
  src += ".\r\n";
  Write("many.lng", src);
  ASSERT_EQ(Lng_LoadFile(u"many.lng", 1), 0);

  std::vector<u32> order;
  for (u32 id = 600; id >= 3; id -= 3) order.push_back(id);      // falling
  for (u32 id = 3; id <= 600; id += 3) order.push_back(id);      // rising
  for (u32 i = 0, id = 3; i < 400; ++i, id = (id * 37 + 11) % 601) order.push_back(id);
  for (u32 id : order) {
    wstr expect = (id % 3 == 0 && id >= 3) ? W16(("t" + std::to_string(id)).c_str())
                                           : W16(("?@F" + std::to_string(id)).c_str());
    ASSERT_EQ(Text(id), expect) << "id " << id;
    // Same id twice in a row takes the cached record.
    ASSERT_EQ(Text(id), expect) << "id " << id;
  }
}

TEST_F(LngTest, EscapesInTextLines) {
  struct Case {
    const char* line;
    std::u16string text;
  } cases[] = {
      {"a#nb", u"a\r\nb"},
      {"x#ty", u"x\ty"},
      {"Save #HAs", u"Save &As"},
      {"##1", u"#1"},
      {"#1end#2", u" end  "},
      {"#U00E4#U20acx", u"\u00E4\u20ACx"},
      {"a#xb", u"a?b"},
      {"#U00G1", u"?G1"},
  };
  std::string src;
  int id = 1;
  for (const Case& c : cases) src += std::to_string(id++) + "\r\n" + c.line + "\r\n";
  src += "100\r\nab#\r\n";           // an escape cut by the line end
  src += "101\r\nstill read\r\n";    // ... must not swallow the next line
  src += "102\r\none#0two#0\r\n";    // zero-separated items
  src += ".\r\n";
  Write("esc.lng", src);
  ASSERT_EQ(Lng_LoadFile(u"esc.lng", 1), 0);

  id = 1;
  for (const Case& c : cases) EXPECT_EQ(Text(id++), c.text) << c.line;
  EXPECT_EQ(Text(100), u"ab?");
  EXPECT_EQ(Text(101), u"still read");
  ASSERT_EQ(Lng_GetTextLength(102), 9u);
  EXPECT_EQ(std::u16string(Lng_GetText(102), 8), std::u16string(u"one\0two\0", 8));
}

TEST_F(LngTest, LinesAreCutAt249Units) {
  std::string exact(249, 'x');
  std::string srcOk = "1\r\n" + exact + "\r\n2\r\n" + std::string(247, 'y') + "#n\r\n3\r\n" +
                      std::string(248, 'z') + "#n\r\n.\r\n";
  Write("ok.lng", srcOk);
  ASSERT_EQ(Lng_LoadFile(u"ok.lng", 1), 0);
  EXPECT_EQ(Lng_GetTextLength(1), 250u);
  EXPECT_EQ(Text(2), W16((std::string(247, 'y') + "\r\n").c_str()));
  // No room for CR LF: a blank takes its place.
  EXPECT_EQ(Text(3), W16((std::string(248, 'z') + " ").c_str()));

  // A 260-character line: its last 11 characters are read as the next number
  // line, which is no number, so the whole file is refused.
  Msg_ResetLast();
  Write("long.lng", "5\r\nfive\r\n6\r\n" + std::string(249, 'a') + std::string(11, 'b') + "\r\n7\r\nseven\r\n.\r\n");
  EXPECT_EQ(Lng_LoadFile(u"long.lng", 1), 3);
  EXPECT_EQ(Msg_LastNumber(), 581u);
  EXPECT_TRUE(EndsWith(Msg_LastText(), u" 6")) << U8(Msg_LastText());
  EXPECT_EQ(Lng_GetTextLength(1), 250u) << "the refused file replaced the table";

  // Nothing of the cut line is lost: a digit right after the 249th character
  // becomes the next number line, and the file reads on from there.
  Msg_ResetLast();
  Write("tail.lng", "6\r\n" + std::string(249, 'a') + "9\r\nnine\r\n10\r\nten\r\n.\r\n");
  ASSERT_EQ(Lng_LoadFile(u"tail.lng", 1), 0);
  EXPECT_EQ(Text(6), W16(std::string(249, 'a').c_str()));
  EXPECT_EQ(Text(9), u"nine");
  EXPECT_EQ(Text(10), u"ten");
}

TEST_F(LngTest, BadNumberLinesRefuseTheWholeFile) {
  struct Case {
    const char* what;
    int which;
    std::string src;
    u32 warning;
    const char16_t* tail;
  } cases[] = {
      {"first number 0", 1, "0\r\nzero\r\n.\r\n", 582, u" 0,0"},
      {"not rising", 1, "5\r\nfive\r\n5\r\nagain\r\n.\r\n", 582, u" 5,5"},
      {"falling", 1, "5\r\nfive\r\n9\r\nnine\r\n3\r\nthree\r\n.\r\n", 582, u" 9,3"},
      {"not a number", 1, "5\r\nfive\r\nsix\r\nsix\r\n.\r\n", 581, u" 5"},
      {"table 1 above its range", 1, "5\r\nfive\r\n40000\r\nhigh\r\n.\r\n", 581, u" 5"},
      {"table 2 below its range", 0, "39999\r\nlow\r\n.\r\n", 581, u" 0"},
      {"number too large", 0, "40000\r\nok\r\n4294967296\r\nwraps\r\n.\r\n", 581, u" 40000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Lng_Exit();
    LoadGoodTable();
    Write("t2.lnv", "40005\r\nkept\r\n.\r\n");
    ASSERT_EQ(Lng_LoadFile(u"t2.lnv", 0), 0);
    Msg_ResetLast();

    Write("bad.txt", c.src);
    EXPECT_EQ(Lng_LoadFile(u"bad.txt", c.which), 3);
    EXPECT_EQ(Msg_LastNumber(), c.warning);
    EXPECT_TRUE(EndsWith(Msg_LastText(), c.tail)) << U8(Msg_LastText());
    EXPECT_EQ(Fio_IsReadOpen(), 0);
    // The tables in use stay as they were.
    EXPECT_EQ(Text(10), u"ten");
    EXPECT_EQ(Text(40005), u"kept");
    EXPECT_EQ(Text(5), u"?@F5");
    EXPECT_EQ(wstr(Lng_GetFileName(c.which)), c.which ? u"good.lng" : u"t2.lnv");
  }
}

TEST_F(LngTest, EndOfFileBeforeTheEndLineGivesTwoWithoutMessage) {
  const char* sources[] = {
      "1\r\none\r\n",             // no end line
      "1\r\none\r\n2\r\n",        // a number without its text
      "",                         // nothing but the byte-order mark
      "; only a comment\r\n",
  };
  for (const char* src : sources) {
    SCOPED_TRACE(src);
    LoadGoodTable();
    Write("cut.lng", src);
    EXPECT_EQ(Lng_LoadFile(u"cut.lng", 1), 2);
    EXPECT_EQ(Msg_LastNumber(), 0u);
    EXPECT_EQ(Text(20), u"twenty");
  }
}

TEST_F(LngTest, OpenFailuresKeepTheTable) {
  LoadGoodTable();
  EXPECT_EQ(Lng_LoadFile(u"missing.lng", 1), 1);
  EXPECT_EQ(Lng_LoadFile(u"", 1), 1);

  // The one read stream is busy: the load is refused and the stream left alone.
  Write("other.txt", "x");
  Write("t.lng", "1\r\none\r\n.\r\n");
  ASSERT_EQ(Fio_OpenRead(u"other.txt", FIO_UTF16LE, FOLDER_PROGRAM), 0);
  EXPECT_EQ(Lng_LoadFile(u"t.lng", 1), 3);
  EXPECT_EQ(Fio_IsReadOpen(), 1);
  u32 ch = 0;
  EXPECT_EQ(Fio_ReadChar(&ch), 0);
  EXPECT_EQ(ch, u32('x'));
  Fio_CloseRead();

  EXPECT_EQ(Msg_LastNumber(), 0u);
  EXPECT_EQ(Text(10), u"ten");
  EXPECT_EQ(wstr(Lng_GetFileName(1)), u"good.lng");
}

TEST_F(LngTest, EncodingsOfTheFile) {
  // Without a byte-order mark every byte is one character (no code page).
  WriteRaw("ansi.lng", {'1', '\r', '\n', 'G', 'r', 0xFC, 0xDF, 'e', '\r', '\n', '.', '\r', '\n'});
  ASSERT_EQ(Lng_LoadFile(u"ansi.lng", 1), 0);
  EXPECT_EQ(Text(1), u"Gr\u00FC\u00DFe");

  // UTF-16 big-endian with its mark.
  std::vector<u8> be = {0xFE, 0xFF};
  for (char16_t c : wstr(u"2\r\n\u0141\u00F3d\u017A\r\n.\r\n")) {
    be.push_back(u8(c >> 8));
    be.push_back(u8(c & 0xFF));
  }
  WriteRaw("be.lng", be);
  ASSERT_EQ(Lng_LoadFile(u"be.lng", 1), 0);
  EXPECT_EQ(Text(2), u"\u0141\u00F3d\u017A");

  // A last line without a line end still counts.
  Write("noend.lng", "3\r\nthree\r\n.");
  EXPECT_EQ(Lng_LoadFile(u"noend.lng", 1), 0);
  EXPECT_EQ(Text(3), u"three");
}

TEST_F(LngTest, ReloadWarnsAtTheFirstDifferingText) {
  Write("a.lng", "1\r\none\r\n1234\r\nold\r\n2000\r\nlast\r\n.\r\n");
  Write("same.lng", "1\r\nuno\r\n1234\r\nviejo\r\n2000\r\nultimo\r\n.\r\n");
  Write("lacks.lng", "1\r\none\r\n2000\r\nlast\r\n.\r\n");
  Write("adds.lng", "1\r\none\r\n2000\r\nlast\r\n2001\r\nextra\r\n.\r\n");
  Write("empty.lng", "; no texts\r\n.\r\n");

  ASSERT_EQ(Lng_LoadFile(u"a.lng", 1), 0);
  EXPECT_EQ(Msg_LastNumber(), 0u) << "a first load has nothing to compare";

  ASSERT_EQ(Lng_LoadFile(u"same.lng", 1), 0);
  EXPECT_EQ(Msg_LastNumber(), 0u);
  EXPECT_EQ(Text(1234), u"viejo");

  ASSERT_EQ(Lng_LoadFile(u"lacks.lng", 1), 0);
  EXPECT_EQ(Msg_LastNumber(), 580u);
  EXPECT_TRUE(EndsWith(Msg_LastText(), u" 1234")) << U8(Msg_LastText());
  EXPECT_EQ(Text(1234), u"?@F1234") << "the new table is in use";

  Msg_ResetLast();
  ASSERT_EQ(Lng_LoadFile(u"adds.lng", 1), 0);
  EXPECT_EQ(Msg_LastNumber(), 580u);
  EXPECT_TRUE(EndsWith(Msg_LastText(), u" 2001")) << U8(Msg_LastText());

  // A file without texts is accepted; loading over an empty table warns not.
  Msg_ResetLast();
  ASSERT_EQ(Lng_LoadFile(u"empty.lng", 1), 0);
  EXPECT_EQ(Msg_LastNumber(), 580u);
  EXPECT_EQ(Text(1), u"?@F1");
  Msg_ResetLast();
  ASSERT_EQ(Lng_LoadFile(u"a.lng", 1), 0);
  EXPECT_EQ(Msg_LastNumber(), 0u);
  EXPECT_EQ(Text(1234), u"old");
}

// ---------------------------------------------------------------- letter classes

TEST_F(LngTest, LetterClassesFoldAccentedLetters) {
  // Without classes only the flag's upper-casing applies.
  EXPECT_EQ(Lng_FoldLetter(u'\u00E0', 0), u'\u00E0');
  EXPECT_EQ(Lng_FoldLetter(u'\u00E0', 1), u'\u00C0');
  EXPECT_EQ(Lng_FoldLetter(u'b', 1), u'B');

  Write("orba.lnx",
        "; classes\r\n"
        "  a :  \u00E0, \u00E1,\u00E2  \u00C4\r\n"
        "E: \u00E9\u00E8\r\n"
        "l: \u0142\r\n"
        "z no colon \u017A\r\n"
        "s: , ,  \r\n"
        ".\r\n"
        "o: \u00F6\r\n");
  ASSERT_EQ(Lng_LoadLetterClasses(), 0);
  EXPECT_EQ(Msg_LastNumber(), 0u);

  struct Case {
    char16_t c;
    int flag;
    char16_t folded;
  } cases[] = {
      {u'\u00E0', 0, u'a'}, {u'\u00E0', 1, u'A'}, {u'\u00C0', 0, u'A'}, {u'\u00E4', 0, u'a'},
      {u'\u00C4', 1, u'A'}, {u'\u00E9', 0, u'e'}, {u'\u00C8', 0, u'E'}, {u'\u0141', 0, u'L'},
      {u'\u0142', 0, u'l'}, {u'b', 0, u'b'},      {u'b', 1, u'B'},      {u'\u017A', 0, u'\u017A'},
      {u'\u00F6', 0, u'\u00F6'}, {u'\u00F6', 1, u'\u00D6'}, {u's', 0, u's'}, {u',', 1, u','},
      {u' ', 0, u' '},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Lng_FoldLetter(c.c, c.flag), c.folded) << "U+" << std::hex << unsigned(c.c) << " flag " << c.flag;
}

TEST_F(LngTest, LetterClassFileFailures) {
  Write("orba.lnx", "a: \u00E0\r\n.\r\n");
  ASSERT_EQ(Lng_LoadLetterClasses(), 0);

  // No byte-order mark: the file counts as missing.
  Write("orba.lnx", "a: x\r\n.\r\n", false);
  EXPECT_EQ(Lng_LoadLetterClasses(), 1);
  EXPECT_EQ(Msg_LastNumber(), 583u);
  EXPECT_TRUE(EndsWith(Msg_LastText(), u": \"orba.lnx\"")) << U8(Msg_LastText());

  // Without its end line the file is bad; the classes in use stay.
  Msg_ResetLast();
  Write("orba.lnx", "a: \u00E1\r\n");
  EXPECT_EQ(Lng_LoadLetterClasses(), 2);
  EXPECT_EQ(Msg_LastNumber(), 584u);
  EXPECT_EQ(Lng_FoldLetter(u'\u00E0', 0), u'a');
  EXPECT_EQ(Lng_FoldLetter(u'\u00E1', 0), u'\u00E1');

  Msg_ResetLast();
  ASSERT_EQ(Test_WriteFile(folder_ + u"orba.lnx", {}), true);
  EXPECT_EQ(Lng_LoadLetterClasses(), 1);
  EXPECT_EQ(Msg_LastNumber(), 583u);
}

// ---------------------------------------------------------------- built-in texts

TEST_F(LngTest, StartupTextsInSixLanguages) {
  EXPECT_EQ(wstr(Lng_StartupText(0, 0)), u"Init Error #85");
  EXPECT_EQ(wstr(Lng_StartupText(9, 0)), u"Init Error #85");
  EXPECT_EQ(wstr(Lng_StartupText(6, 7)), u"Wrong parameters");
  EXPECT_EQ(wstr(Lng_StartupText(-1, 9)), u"Out of memory");
  EXPECT_EQ(wstr(Lng_StartupText(1, 1)), u"Mindestens Windows95 oder NT n\u00F6tig");
  EXPECT_EQ(wstr(Lng_StartupText(2, 4)), u"Erreur \u00E0 l'initialisation %u:");
  EXPECT_EQ(wstr(Lng_StartupText(3, 10)), u"Bestand niet gevonden");
  EXPECT_EQ(wstr(Lng_StartupText(4, 0)), u"B\u0142\u0105d startowy nr 85");
  EXPECT_EQ(wstr(Lng_StartupText(4, 12)), u"Wymagany jest procesor 80486 lub wy\u017Cszy");
  EXPECT_EQ(wstr(Lng_StartupText(5, 5)), u"\r\n\u00BFIntente salir, sin embargo?");
  EXPECT_EQ(wstr(Lng_StartupText(5, 11)), u"El fichero est\u00E1 da\u00F1ado:");
  EXPECT_EQ(wstr(Lng_StartupText(0, 6)), u"\r\nprogram canceled");
  for (int lang = 0; lang < 6; ++lang) {
    EXPECT_EQ(wstr(Lng_StartupText(lang, 2)), u"");
    EXPECT_EQ(wstr(Lng_StartupText(lang, 3)), u"");
    wstr usage = Lng_StartupText(lang, 8);
    EXPECT_NE(usage.find(u"STOP"), wstr::npos) << lang;
    EXPECT_NE(usage.find(u"TNR="), wstr::npos) << lang;
  }
  EXPECT_EQ(wstr(Lng_StartupText(0, 13)), u"");
  EXPECT_EQ(wstr(Lng_StartupText(0, -1)), u"");
}

// ---------------------------------------------------------------- code pages

TEST_F(LngTest, CodePageRoundTripOfLatin1) {
  Lng_SetCodePages(1252, 1252);
  int a = 0, w = 0;
  Lng_GetCodePages(&a, &w);
  EXPECT_EQ(a, 1252);
  EXPECT_EQ(w, 1252);

  const wstr text = u"Gr\u00FC\u00DFe \u00E0\u00E9\u00EE\u00F5\u00FC \u00C7\u00D1\u00FF \u00A3\u00A9";
  char ansi[64];
  ASSERT_EQ(Lng_WideToAnsi(text.c_str(), ansi, sizeof ansi), int(text.size()) + 1);
  const unsigned char expect[] = {'G', 'r', 0xFC, 0xDF, 'e', ' ', 0xE0, 0xE9, 0xEE, 0xF5,
                                  0xFC, ' ',  0xC7, 0xD1, 0xFF, ' ', 0xA3, 0xA9, 0};
  ASSERT_EQ(sizeof expect, text.size() + 1);
  for (size_t i = 0; i < sizeof expect; ++i) EXPECT_EQ((unsigned char)ansi[i], expect[i]) << i;

  wch back[64];
  ASSERT_EQ(Lng_AnsiToWide(ansi, back, 64), int(text.size()) + 1);
  EXPECT_EQ(wstr(back), text);

  ansi[0] = 'x';
  EXPECT_EQ(Lng_WideToAnsi(u"", ansi, sizeof ansi), 1);
  EXPECT_EQ(ansi[0], 0);
  back[0] = u'x';
  EXPECT_EQ(Lng_AnsiToWide("", back, 64), 1);
  EXPECT_EQ(back[0], 0);

  // Texts come out in 8-bit through the same code page.
  Write("cp.lng", "1\r\nD\u00E9j\u00E0 vu\r\n.\r\n");
  ASSERT_EQ(Lng_LoadFile(u"cp.lng", 1), 0);
  EXPECT_STREQ(Lng_GetTextA(1), "D\xE9j\xE0 vu");
}

// ---------------------------------------------------------------- information texts

TEST_F(LngTest, GeneralInfoTextsAreBoundedPerSlot) {
  wstr buf(20001 + 8, u'#');
  EXPECT_EQ(Lng_SetGeneralInfo(0, u"x"), 1) << "not allocated before Lng_Init";
  ASSERT_EQ(Lng_Init(), 0);
  ASSERT_EQ(Lng_GetGeneralInfo(1, &buf[0]), 0);
  EXPECT_EQ(buf[0], u'\0') << "slots start empty";

  wstr longText(100, u'a');
  ASSERT_EQ(Lng_SetGeneralInfo(0, longText.c_str()), 0);
  ASSERT_EQ(Lng_GetGeneralInfo(0, &buf[0]), 0);
  EXPECT_EQ(wstr(buf.c_str()), wstr(80, u'a'));

  ASSERT_EQ(Lng_SetGeneralInfo(1, u"short"), 0);
  ASSERT_EQ(Lng_GetGeneralInfo(1, &buf[0]), 0);
  EXPECT_EQ(wstr(buf.c_str()), u"short");

  wstr huge(25000, u'z');
  ASSERT_EQ(Lng_SetGeneralInfo(2, huge.c_str()), 0);
  ASSERT_EQ(Lng_GetGeneralInfo(2, &buf[0]), 0);
  EXPECT_EQ(wstr(buf.c_str()).size(), 20000u);

  EXPECT_EQ(Lng_SetGeneralInfo(3, u"x"), 1);
  EXPECT_EQ(Lng_SetGeneralInfo(-1, u"x"), 1);
  EXPECT_EQ(Lng_GetGeneralInfo(3, &buf[0]), 1);
  EXPECT_EQ(Lng_Init(), 0) << "a second call keeps the texts";
  ASSERT_EQ(Lng_GetGeneralInfo(1, &buf[0]), 0);
  EXPECT_EQ(wstr(buf.c_str()), u"short");
}

// ---------------------------------------------------------------- the shipped files

TEST_F(LngTest, ShippedLanguageFilesLoad) {
  ASSERT_EQ(Fio_SetFolderPath(0, Test_DataFolder().c_str()), 0);
  ASSERT_EQ(Lng_LoadFile(u"orba.lng", 1), 0);
  ASSERT_EQ(Lng_LoadFile(u"orba.lnv", 0), 0);
  ASSERT_EQ(Lng_LoadLetterClasses(), 0);
  EXPECT_EQ(Msg_LastNumber(), 0u);

  // Every text the platform and layout-file modules use is present.
  const TextId used[] = {801,   3600,  3601,  3602,  3613,  3614,  8000,  8005,  8006,  8010,  8020,
                         8040,  8060,  8300,  10000, 11000, 11001, 11002, 11003, 11040, 11060, 11100,
                         11101, 11102, 11103, 11104, 11105, 11106, 11108, 11109, 11110, 11111, 11112,
                         11113, 11114, 11115, 11116, 11131, 11132, 11147, 11148, 11149, 11150, 11151,
                         11202};
  for (TextId id : used) EXPECT_GT(Lng_GetTextLength(id), 1u) << "text " << id;

  EXPECT_EQ(Text(8000), u"Error");
  EXPECT_EQ(Text(8020), u"Warning");
  EXPECT_EQ(Text(8040), u"No. ");
  EXPECT_NE(Text(10000).find(u"%u"), wstr::npos);

  // The escape table: the escape character, eight letters for the control
  // codes and one for hexadecimal codes, all distinct upper-case letters.
  wstr esc = Text(8300);
  ASSERT_EQ(esc.size(), 10u);
  for (size_t i = 1; i < esc.size(); ++i) {
    EXPECT_TRUE(esc[i] >= u'A' && esc[i] <= u'Z') << i;
    EXPECT_NE(esc[i], esc[0]);
    for (size_t j = i + 1; j < esc.size(); ++j) EXPECT_NE(esc[i], esc[j]);
  }

  // The layout header line is plain ASCII.
  for (TextId id : {11040u, 801u})
    for (const char* p = Lng_GetTextA(id); *p; ++p) EXPECT_TRUE(*p >= 32 && *p < 127) << id;

  EXPECT_EQ(Lng_FoldLetter(u'\u00E9', 0), u'e');
  EXPECT_EQ(Lng_FoldLetter(u'\u0160', 0), u'S');
  EXPECT_EQ(Lng_FoldLetter(u'\u00FF', 1), u'Y');
  EXPECT_EQ(Lng_FoldLetter(u'\u0142', 0), u'l');
}

}  // namespace
