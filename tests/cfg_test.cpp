// Settings file: the parser, the keys of the table (old sections, colour
// forms, quoted separators, a bad key among good ones), writing and reading
// back, and that the user's file survives a failed write and a bad key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/layfile.h"
#include "model/logp.h"
#include "model/mcs.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "platform/fio.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "render/cursor.h"
#include "render/disp.h"
#include "render/ovw.h"
#include "render/pal.h"
#include "resources/resid.h"
#include "shell/cfg.h"
#include "shell/file.h"
#include "shell/menu.h"
#include "shell/vwin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

class CfgTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Wire_InstallHooks();
    ASSERT_EQ(0, Test_LoadTexts());
  }
  void SetUp() override {
    folder = Test_MakeTempFolder();
    ASSERT_FALSE(folder.empty());
    Cfg_SetDefaults();
    Msg_ResetLast();
  }
  // Reads a settings text given as UTF-8 lines.
  int Read(const char* text) {
    const wstr w = W16(text);
    return Cfg_ReadText(w.c_str(), nullptr);
  }
  wstr Path() { return folder + u"orba.ini"; }
  std::string FileText() {
    const std::vector<u8> b = Test_ReadFile(Path());
    std::string s;
    for (size_t i = 2; i + 1 < b.size(); i += 2) s += char(b[i]);  // ASCII keys in UTF-16LE
    return s;
  }
  wstr folder;
};

TEST_F(CfgTest, ParserFindsKeysLikeTheSystemProfileReader) {
  const wstr text = W16(
      "; comment\r\n[Other]\r\nBackup=1\r\n[ orba_385 ]\r\n  backup =  7  \r\nStat_Sep=\";\"\r\n"
      "Quoted=\"a b\"\r\nHalf=\"x\r\nEmpty=\r\n");
  struct Case {
    const char* key;
    int found;
    const char* value;
  } cases[] = {{"Backup", 1, "7"}, {"BACKUP", 1, "7"},   {"Stat_Sep", 1, ";"}, {"Quoted", 1, "a b"},
               {"Half", 1, "\"x"}, {"Empty", 1, ""},     {"Missing", 0, ""}};
  for (const Case& c : cases) {
    wch buf[CFG_VALUE_MAX + 1] = {0};
    EXPECT_EQ(c.found, Cfg_FindValue(text.c_str(), u"ORBA_385", W16(c.key).c_str(), buf, CFG_VALUE_MAX + 1))
        << c.key;
    if (c.found) {
      EXPECT_EQ(W16(c.value), wstr(buf)) << c.key;
    }
  }
  EXPECT_EQ(1, Cfg_HasSection(text.c_str(), u"Other"));
  EXPECT_EQ(0, Cfg_HasSection(text.c_str(), u"ORBA_384"));
}

TEST_F(CfgTest, KeysOfTheTable) {
  struct Case {
    const char* what;
    const char* text;
    int result;
    int backups;
    u16 exportOptions;
    wch separator;
  } cases[] = {
      {"current section", "[ORBA_385]\nBackup=3\nStat_Opt=1F\nStat_Sep=\";\"\n", 0, 3, 0x1F, u';'},
      {"empty separator is a blank", "[ORBA_385]\nStat_Sep=\n", 0, 10, 0x9FFF, u' '},
      {"quoted blank", "[ORBA_385]\nStat_Sep=\" \"\n", 0, 10, 0x9FFF, u' '},
      {"quoted quote", "[ORBA_385]\nStat_Sep=\"\"\"\n", 0, 10, 0x9FFF, u'"'},
      {"half-quoted", "[ORBA_385]\nStat_Sep=\";\n", 0, 10, 0x9FFF, u';'},
      {"old backup key 1 counts as 10", "[ORBA_380]\nU=1\n", 0, 10, 0x9FFF, u' '},
      {"old backup key", "[ORBA_380]\nU=4\n", 0, 4, 0x9FFF, u' '},
      {"old export key above 127", "[ORBA_375]\nS=129\n", 0, 10, 0x281, u' '},
      {"newest section wins", "[ORBA_380]\nBackup=2\n[ORBA_384]\nBackup=5\n", 0, 5, 0x9FFF, u' '},
      {"backup out of range", "[ORBA_385]\nBackup=1001\n", 3, 10, 0x9FFF, u' '},
      {"not a number", "[ORBA_385]\nBackup=x\nStat_Opt=3\n", 3, 10, 0x3, u' '},
  };
  for (const Case& c : cases) {
    Cfg_SetDefaults();
    EXPECT_EQ(c.result, Read(c.text)) << c.what;
    EXPECT_EQ(c.backups, File_GetBackupCount()) << c.what;
    LayExportOptions o;
    Lay_GetExportOptions(&o);
    EXPECT_EQ(c.exportOptions, o.selection) << c.what;
    EXPECT_EQ(c.separator, o.separator) << c.what;
  }
}

TEST_F(CfgTest, ColourForms) {
  const u32 code10 = Pal_ColourCodeToRgb(10) & 0xFFFFFF;
  EXPECT_EQ(0, Read("[ORBA_385]\nFarbe7=10\nFarbe20=FF,00,00\nFarbe21=00,80,ff\n"));
  EXPECT_EQ(code10, Pal_GetColour(7));
  EXPECT_EQ(0x0000FFu, Pal_GetColour(20));  // pure red as COLORREF
  EXPECT_EQ(0xFF8000u, Pal_GetColour(21));
  const u32 before = Pal_GetColour(10);
  EXPECT_EQ(3, Read("[ORBA_385]\nFarbe10=63\n"));
  EXPECT_EQ(before, Pal_GetColour(10));
  EXPECT_EQ(wstr(u"Farbe10"), wstr(Cfg_BadKeys()));
}

TEST_F(CfgTest, ABadKeyIsNamedAndTheOthersKeepTheirValues) {
  EXPECT_EQ(3, Read("[ORBA_385]\nBackup=5\nQ=17\nDateiZahl=7\nRangp=X\nBremsF=600\n"));
  EXPECT_EQ(wstr(u"Q, Rangp"), wstr(Cfg_BadKeys()));
  EXPECT_EQ(5, File_GetBackupCount());
  EXPECT_EQ(7, File_OptRecentFiles(-1) & 0x7FFF);
  EXPECT_EQ(600, Clk_GetDelayFactor());
  EXPECT_EQ(1, g_ovwExport.scale);  // Q keeps its default
}

TEST_F(CfgTest, LocateWithABadKeyReportsItAndLeavesTheFileAlone) {
  const std::string text = "[ORBA_385]\r\nBackup=6\r\nQ=17\r\n";
  ASSERT_TRUE(Test_WriteFile(Path(), std::vector<u8>(text.begin(), text.end())));
  Cfg_Locate();
  EXPECT_EQ(212u, Msg_LastNumber());
  EXPECT_NE(std::u16string::npos, wstr(Msg_LastText()).find(u"Q"));
  EXPECT_EQ(6, File_GetBackupCount());
  const std::vector<u8> after = Test_ReadFile(Path());
  EXPECT_EQ(text, std::string(after.begin(), after.end()));
}

TEST_F(CfgTest, LocateWithoutAFileWritesOne) {
  Cfg_Locate();
  EXPECT_EQ(0u, Msg_LastNumber());
  const std::vector<u8> b = Test_ReadFile(Path());
  ASSERT_GT(b.size(), 4u);
  EXPECT_EQ(0xFF, b[0]);  // UTF-16LE with its byte-order mark
  EXPECT_EQ(0xFE, b[1]);
  const std::string s = FileText();
  EXPECT_EQ(0u, s.find(";ORBA"));
  EXPECT_NE(std::string::npos, s.find("\r\n[ORBA_385]\r\nFrameRate="));
}

TEST_F(CfgTest, WrittenSettingsReadBack) {
  File_SetBackupCount(4);
  File_SetAutoSave(FILE_AUTO_MODIFIED_ONLY, 300);
  File_OptRecentFiles(12 | FILE_RECENT_TEST);
  Cur_SetScrollSpeed(-1);  // the default, 55
  Disp_SetOptRangp(0);
  Pal_SetColour(20, 0x123456);
  Menu_RecentAdd(u"C:\\b.nt3");
  Menu_RecentAdd(u"C:\\a.nt3");
  ASSERT_EQ(0, Read("[ORBA_385]\nFenster1=1,2,300,200,N,1,G\nFontVarSN=Arial\nSuchText0=depot\n"));
  ASSERT_EQ(0, Cfg_WriteSettings());
  const std::string written = FileText();

  Cfg_SetDefaults();
  File_OptRecentFiles(12);  // the test flag would drop files that do not exist
  ASSERT_EQ(0, Cfg_ReadSettings(nullptr)) << U8(Cfg_BadKeys());
  EXPECT_EQ(4, File_GetBackupCount());
  i32 interval;
  u32 options;
  File_GetAutoSave(&interval, &options);
  EXPECT_EQ(300, interval);
  EXPECT_EQ(u32(FILE_AUTO_MODIFIED_ONLY), options);
  EXPECT_EQ(55, Cur_GetScrollSpeed());
  EXPECT_EQ(0, Disp_GetOptRangp());
  EXPECT_EQ(0x123456u, Pal_GetColour(20));
  EXPECT_EQ(wstr(u"C:\\a.nt3"), wstr(Menu_RecentSlot(0)));
  EXPECT_EQ(wstr(u"C:\\b.nt3"), wstr(Menu_RecentSlot(1)));
  // The keys without an owner here come back as they were.
  EXPECT_NE(std::string::npos, written.find("\r\nFenster1=1,2,300,200,N,1,G\r\n"));
  EXPECT_NE(std::string::npos, written.find("\r\nFontVarSN=Arial\r\n"));
  EXPECT_NE(std::string::npos, written.find("\r\nSuchText0=depot\r\n"));
  EXPECT_NE(std::string::npos, written.find("\r\nMausRBr=55\r\n"));
  // Written again unchanged.
  ASSERT_EQ(0, Cfg_WriteSettings());
  EXPECT_EQ(written.substr(written.find("[ORBA")), FileText().substr(FileText().find("[ORBA")));
}

// The run log's three keys and the animation word: what a value gives,
// what is refused (and then keeps the old settings), and that every
// setting is written so that it reads back.
TEST_F(CfgTest, RunLogAndAnimationKeys) {
  struct Case {
    const char* what;
    const char* text;
    int result;
    u32 flags;
    wch separator, comment;
    u32 animation;
  } cases[] = {
      {"defaults", "[ORBA_385]\n", 0, LOGP_OPT_POINTS | LOGP_OPT_DISPATCH, u',', u';', 31},
      {"points only, UTF-16, vehicles", "[ORBA_385]\nLog_Opt=P1UV\n", 0,
       LOGP_OPT_POINTS | LOGP_OPT_UTF16 | LOGP_OPT_VEHICLES, u',', u';', 31},
      {"dispatcher, 8-bit", "[ORBA_385]\nLog_Opt=0DA\n", 0, LOGP_OPT_DISPATCH | LOGP_OPT_ANSI, u',', u';', 31},
      {"nothing to log is refused", "[ORBA_385]\nLog_Opt=0123\n", 3, LOGP_OPT_POINTS | LOGP_OPT_DISPATCH, u',',
       u';', 31},
      {"only a text form is refused", "[ORBA_385]\nLog_Opt=01U\n", 3, LOGP_OPT_POINTS | LOGP_OPT_DISPATCH, u',',
       u';', 31},
      {"separator and comment", "[ORBA_385]\nLog_Sep=;\nLog_Comm=#\n", 0, LOGP_OPT_POINTS | LOGP_OPT_DISPATCH, u';',
       u'#', 31},
      {"quoted blank separator", "[ORBA_385]\nLog_Sep=\" \"\n", 0, LOGP_OPT_POINTS | LOGP_OPT_DISPATCH, u' ', u';',
       31},
      {"empty values are the defaults", "[ORBA_385]\nLog_Sep=\nLog_Comm=\n", 0, LOGP_OPT_POINTS | LOGP_OPT_DISPATCH,
       u',', u';', 31},
      {"animation letters clear and keep", "[ORBA_385]\nAnima=r-f-s\n", 0, LOGP_OPT_POINTS | LOGP_OPT_DISPATCH, u',',
       u';', 2 | 8},
      {"animation from nothing", "[ORBA_385]\nAnima=rpfus\n", 0, LOGP_OPT_POINTS | LOGP_OPT_DISPATCH, u',', u';', 0},
      {"the default keeps the word", "[ORBA_385]\nAnima=--------------\n", 0, LOGP_OPT_POINTS | LOGP_OPT_DISPATCH,
       u',', u';', 31},
  };
  for (const Case& c : cases) {
    Cfg_SetDefaults();
    EXPECT_EQ(c.result, Read(c.text)) << c.what;
    u32 flags;
    wch sep, comment;
    Logp_GetSettings(&flags, &sep, &comment, nullptr);
    EXPECT_EQ(c.flags, flags) << c.what;
    EXPECT_EQ(c.separator, sep) << c.what;
    EXPECT_EQ(c.comment, comment) << c.what;
    EXPECT_EQ(c.animation, Mcs_GetAnimationWord()) << c.what;
  }

  ASSERT_EQ(0, Logp_SetSettings(LOGP_OPT_DISPATCH | LOGP_OPT_ANSI | LOGP_OPT_VEHICLES, u' ', u'"'));
  Mcs_SetAnimationWord(1 | 4 | 16);
  ASSERT_EQ(0, Cfg_WriteSettings());
  const std::string written = FileText();
  EXPECT_NE(std::string::npos, written.find("\r\nLog_Opt=0DAV\r\n"));
  EXPECT_NE(std::string::npos, written.find("\r\nLog_Sep=\" \"\r\n"));
  EXPECT_NE(std::string::npos, written.find("\r\nAnima=RpFuS\r\n"));
  Cfg_SetDefaults();
  ASSERT_EQ(0, Cfg_ReadSettings(nullptr)) << U8(Cfg_BadKeys());
  u32 flags;
  wch sep, comment;
  Logp_GetSettings(&flags, &sep, &comment, nullptr);
  EXPECT_EQ(u32(LOGP_OPT_DISPATCH | LOGP_OPT_ANSI | LOGP_OPT_VEHICLES), flags);
  EXPECT_EQ(u' ', sep);
  EXPECT_EQ(u'"', comment);
  EXPECT_EQ(1u | 4 | 16, Mcs_GetAnimationWord());
  Cfg_SetDefaults();
}

// A folder one unit below the longest path gets its separator and is
// written at the longest length; that reads back.
TEST_F(CfgTest, AFolderAtTheLongestPathReadsBackAsWritten) {
  wch before[OS_MAX_PATH];
  ASSERT_EQ(0, Fio_FolderPath(FOLDER_EXPORTS, before, OS_MAX_PATH));
  const std::string dir = "C:\\" + std::string(OS_MAX_PATH - 5, 'd');  // no separator
  EXPECT_EQ(0, Read(("[ORBA_385]\nPfad_dat=" + dir + "\n").c_str())) << U8(Cfg_BadKeys());
  EXPECT_EQ(3, Read(("[ORBA_385]\nPfad_dat=" + dir + "d\\\n").c_str())) << "one unit too long";
  ASSERT_EQ(0, Cfg_WriteSettings());
  Cfg_SetDefaults();
  EXPECT_EQ(0, Cfg_ReadSettings(nullptr)) << U8(Cfg_BadKeys());
  wch path[OS_MAX_PATH];
  ASSERT_EQ(0, Fio_FolderPath(FOLDER_EXPORTS, path, OS_MAX_PATH));
  EXPECT_EQ(W16((dir + "\\").c_str()), wstr(path));
  Fio_SetFolderPath(FOLDER_EXPORTS, before);
}

TEST_F(CfgTest, AFailedWriteKeepsTheOldFile) {
  ASSERT_EQ(0, Cfg_WriteSettings());
  const std::vector<u8> before = Test_ReadFile(Path());
  // The temporary file of the write cannot be made where a folder of its
  // name stands.
  wch temp[OS_MAX_PATH];
  ASSERT_EQ(0, Fio_TempPath(Path().c_str(), FOLDER_FULLPATH, temp));
  ASSERT_EQ(0, Os_CreateFolder(temp));
  File_SetBackupCount(2);
  EXPECT_NE(0, Cfg_WriteSettings());
  EXPECT_EQ(before, Test_ReadFile(Path()));
}

TEST_F(CfgTest, RecentFilesAreReadNewestFirst) {
  ASSERT_EQ(0, Read("[ORBA_385]\nDName0=C:\\zero.nt3\nDName1=C:\\one.nt3\nDName5=C:\\five.nt3\n"));
  EXPECT_EQ(wstr(u"C:\\zero.nt3"), wstr(Menu_RecentSlot(0)));
  EXPECT_EQ(wstr(u"C:\\one.nt3"), wstr(Menu_RecentSlot(1)));
  EXPECT_EQ(wstr(u"C:\\five.nt3"), wstr(Menu_RecentSlot(2)));
  // With the test flag, files that do not exist are left out.
  Cfg_SetDefaults();
  const std::string real = U8(folder) + "real.nt3";
  ASSERT_TRUE(Test_WriteFile(folder + u"real.nt3", {1}));
  const std::string text = "[ORBA_385]\nDateiTest=J\nDName0=" + real + "\nDName1=C:\\gone.nt3\n";
  ASSERT_EQ(0, Read(text.c_str()));
  EXPECT_EQ(W16(real.c_str()), wstr(Menu_RecentSlot(0)));
  EXPECT_EQ(0, Menu_RecentSlot(1)[0]);
}

}  // namespace

TEST_F(CfgTest, DispatcherKeys) {
  struct Case {
    const char* text;
    int result, options, kind2;
  } cases[] = {
      {"[ORBA_385]\nDispNAllg=XV\nDispNn=BC\n", 0, DMSG_OPT_STOP_KINDS | DMSG_OPT_STOP_FULL, DMSG_ON_STOP},
      {"[ORBA_385]\nDispNAllg=S0\nDispNn=jj\n", 0, DMSG_OPT_STOP_ALL, DMSG_OFF},
      {"[ORBA_385]\nDispNAllg=Y0\n", 3, 0, DMSG_ON},
      {"[ORBA_385]\nDispNn=Bq\n", 3, 0, DMSG_ON},
  };
  for (const Case& c : cases) {
    Dmsg_Init();
    EXPECT_EQ(c.result, Read(c.text)) << c.text;
    EXPECT_EQ(c.options, Dmsg_GetOptions()) << c.text;
    EXPECT_EQ(c.kind2, Dmsg_KindEnabled(2)) << c.text;
  }
  Dmsg_Init();
  ASSERT_EQ(0, Dmsg_SetOptions(DMSG_OPT_STOP_FULL));
  ASSERT_EQ(0, Dmsg_SetKindEnabled(29, DMSG_OFF));
  ASSERT_EQ(0, Cfg_WriteSettings());
  const std::string written = FileText();
  EXPECT_NE(std::string::npos, written.find("DispNAllg=0V")) << written;
  EXPECT_NE(std::string::npos, written.find("DispNn=BBBBBBBBBBBBBBBBBBBBBBBBBBBBj")) << written;
  Dmsg_Init();
}
