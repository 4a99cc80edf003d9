// File commands: saving with numbered backups, save as, auto-save, the
// save-changes question, open, a new layout, and the recent files. The
// system's file dialog answers from a queue natively; the message boxes
// answer from a table by their number.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/grid.h"
#include "model/layfile.h"
#include "model/layprot.h"
#include "operation/clock.h"
#include "platform/fio.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/ewin.h"
#include "shell/file.h"
#include "shell/menu.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

// Answers of the message boxes by number (3 Yes, 4 No, 1 Cancel, 2 OK);
// every box shown is recorded.
std::map<u32, int> g_answers;
std::vector<u32> g_shown;

int ScriptedBox(const wch*, const wch*, u32 number, int flags) {
  g_shown.push_back(number);
  auto it = g_answers.find(number);
  if (it != g_answers.end()) return it->second;
  return (flags & MSG_FLAG_YESNO) ? 1 : 2;
}
int NoInfo(int, const wch*, const wch*, int, int) { return 0; }
void NoUpdate(int, const wch*) {}
void NoClose(int) {}
int NotCancelled(void) { return 0; }
const MsgFrontEnd kScripted = {ScriptedBox, NoInfo, NoUpdate, NoClose, NotCancelled, nullptr};

bool Shown(u32 number) {
  for (u32 n : g_shown)
    if (n == number) return true;
  return false;
}

class FileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Wire_InstallHooks();
    ASSERT_EQ(0, Test_LoadTexts());
  }
  void SetUp() override {
    folder = Test_MakeTempFolder();
    ASSERT_FALSE(folder.empty());
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    File_ResetLayoutState();
    File_SetBackupCount(10);
    File_SetAutoSave(0, 0);
    Menu_RecentAdd(nullptr);
    g_answers.clear();
    g_shown.clear();
    Msg_SetFrontEnd(&kScripted);
  }
  void TearDown() override {
    Msg_SetFrontEnd(nullptr);
    EXPECT_FALSE(Fio_IsReadOpen());
    EXPECT_FALSE(Fio_IsWriteOpen());
    Grid_Exit();
  }

  // A layout whose content tells the versions apart.
  static void Draw(CellCode code) {
    Grid_SetCell(16384, 16384, 0, code);
    Grid_UpdateExtent(0, 0, 0, 0);
    Ewin_SetModified();
  }
  // Names the layout as if it had been opened from path.
  void Name(const char* name) {
    Fio_SetFolderPath(FOLDER_LAYOUTS, folder.c_str());
    const wstr w = W16(name);
    for (size_t i = 0; i <= w.size(); ++i) LayoutFileName[i] = i < w.size() ? w[i] : 0;
  }
  wstr Path(const char* name) { return folder + W16(name); }
  bool Exists(const char* name) { return Test_FileExists(Path(name)); }
  Bytes Read(const char* name) { return Test_ReadFile(Path(name)); }
  // Makes every write of these files fail: the write stream's temporary
  // file cannot be made where a folder of its name stands.
  void BlockWrites(std::initializer_list<wstr> paths) {
    for (const wstr& path : paths) {
      wch temp[OS_MAX_PATH];
      ASSERT_EQ(0, Fio_TempPath(path.c_str(), FOLDER_FULLPATH, temp));
      ASSERT_EQ(0, Os_CreateFolder(temp));
    }
  }

  wstr folder;
};

// ---------------------------------------------------------------- backups
TEST_F(FileTest, BackupNames) {
  struct Case {
    const char* base;
    u32 n;
    const char* name;
  } cases[] = {{"C:\\maps\\oval", 0, "C:\\maps\\oval.000.nt2"},
               {"C:\\maps\\oval", 7, "C:\\maps\\oval.007.nt2"},
               {"oval", 999, "oval.999.nt2"}};
  for (const Case& c : cases) {
    wch out[OS_MAX_PATH];
    ASSERT_EQ(0, File_BackupName(W16(c.base).c_str(), c.n, out));
    EXPECT_EQ(W16(c.name), wstr(out));
  }
  // A name that would reach 260 units is refused, not cut.
  wch out[OS_MAX_PATH];
  EXPECT_EQ(1, File_BackupName(wstr(252, u'a').c_str(), 0, out));
}

TEST_F(FileTest, SavesRotateTheBackupsAndDropTheOldest) {
  File_SetBackupCount(3);
  Name("oval.nt3");
  std::vector<Bytes> versions;
  for (int save = 0; save < 5; ++save) {
    Draw(CellCode(0x4001 + save));
    ASSERT_EQ(0, File_Save()) << save;
    EXPECT_FALSE(Ewin_IsModified());
    versions.push_back(Read("oval.nt3"));
  }
  // The newest backup is 000; three are kept; each holds the version saved
  // before the one after it.
  EXPECT_EQ(versions[3], Read("oval.000.nt2"));
  EXPECT_EQ(versions[2], Read("oval.001.nt2"));
  EXPECT_EQ(versions[1], Read("oval.002.nt2"));
  EXPECT_FALSE(Exists("oval.003.nt2"));
  EXPECT_TRUE(g_shown.empty());
}

TEST_F(FileTest, OneBackupReplacesTheOldOneAndNoBackupsMakesNone) {
  Name("one.nt3");
  File_SetBackupCount(1);
  Draw(0x4001);
  ASSERT_EQ(0, File_Save());
  EXPECT_FALSE(Exists("one.000.nt2"));  // nothing older to keep yet
  const Bytes first = Read("one.nt3");
  Draw(0x4002);
  ASSERT_EQ(0, File_Save());
  EXPECT_EQ(first, Read("one.000.nt2"));
  Draw(0x4003);
  const Bytes second = Read("one.nt3");
  ASSERT_EQ(0, File_Save());
  EXPECT_EQ(second, Read("one.000.nt2"));
  EXPECT_FALSE(Exists("one.001.nt2"));

  Name("none.nt3");
  File_SetBackupCount(0);
  Draw(0x4004);
  ASSERT_EQ(0, File_Save());
  ASSERT_EQ(0, File_Save());
  EXPECT_FALSE(Exists("none.000.nt2"));
}

TEST_F(FileTest, AFailedSaveKeepsTheOldFileUnderItsName) {
  Name("keep.nt3");
  Draw(0x4001);
  ASSERT_EQ(0, File_Save());
  const Bytes good = Read("keep.nt3");
  Draw(0x4002);
  BlockWrites({Path("keep.nt3"), Path("keep.000.nt2")});
  // The backup cannot be made: the question, declined.
  g_answers[232] = 4;
  EXPECT_NE(0, File_Save());
  EXPECT_TRUE(Shown(232));
  EXPECT_FALSE(Shown(242));
  // Saved anyway: the write fails too, and the file is the old one.
  g_answers[232] = 3;
  EXPECT_NE(0, File_Save());
  EXPECT_TRUE(Shown(242));  // the file cannot be created
  EXPECT_EQ(good, Read("keep.nt3"));
  EXPECT_TRUE(Ewin_IsModified());
}

// ---------------------------------------------------------------- save as
TEST_F(FileTest, SaveOfAnUntitledLayoutAsksForANameAndListsIt) {
  Draw(0x4001);
  const wstr target = Path("new.nt3");
  Os_QueueFileDialogAnswer(target.c_str());
  ASSERT_EQ(0, File_Save());
  EXPECT_TRUE(Exists("new.nt3"));
  EXPECT_EQ(wstr(u"new.nt3"), wstr(LayoutFileName));
  wch first[MENU_RECENT_LEN];
  ASSERT_EQ(0, Menu_RecentGet(first, CMD_RECENT_FIRST));
  EXPECT_EQ(target, wstr(first));
}

TEST_F(FileTest, SaveAsThatIsCancelledOrFailsKeepsTheOldName) {
  Name("old.nt3");
  Draw(0x4001);
  ASSERT_EQ(0, File_Save());
  const Bytes old = Read("old.nt3");

  // The dialog is cancelled.
  Os_QueueFileDialogAnswer(nullptr);
  EXPECT_EQ(1, File_SaveAs());
  EXPECT_EQ(wstr(u"old.nt3"), wstr(LayoutFileName));

  // An existing file, and the question to replace it is declined.
  Test_WriteFile(Path("other.nt3"), {1, 2, 3});
  g_answers[253] = 4;
  Os_QueueFileDialogAnswer(Path("other.nt3").c_str());
  EXPECT_EQ(1, File_SaveAs());
  EXPECT_EQ(Bytes({1, 2, 3}), Read("other.nt3"));
  EXPECT_EQ(wstr(u"old.nt3"), wstr(LayoutFileName));

  // The write fails: the layout stays the old file's.
  Draw(0x4002);
  const wstr sub = folder + u"sub\\";
  ASSERT_EQ(0, Os_CreateFolder(sub.c_str()));
  BlockWrites({sub + u"moved.nt3"});
  Os_QueueFileDialogAnswer((sub + u"moved.nt3").c_str());
  EXPECT_EQ(1, File_SaveAs());
  EXPECT_EQ(wstr(u"old.nt3"), wstr(LayoutFileName));
  wch layouts[OS_MAX_PATH];
  Fio_FolderPath(FOLDER_LAYOUTS, layouts, OS_MAX_PATH);
  EXPECT_EQ(folder, wstr(layouts));
  EXPECT_EQ(old, Read("old.nt3"));
  EXPECT_TRUE(Ewin_IsModified());
  wch first[MENU_RECENT_LEN];
  EXPECT_EQ(1, Menu_RecentGet(first, CMD_RECENT_FIRST + 1));  // only old.nt3 was listed
}

// ---------------------------------------------------------------- auto-save
TEST_F(FileTest, AutoSaveAsksNothing) {
  Name("auto.nt3");
  Draw(0x4001);
  ASSERT_EQ(0, File_Save());
  g_shown.clear();

  // Off.
  EXPECT_EQ(1, File_AutoSave());
  // Only when modified, and nothing changed: the countdown starts again.
  ASSERT_EQ(0, File_SetAutoSave(FILE_AUTO_MODIFIED_ONLY, 120));
  AutoSaveCountdown = 0;
  EXPECT_EQ(1, File_AutoSave());
  EXPECT_EQ(120, AutoSaveCountdown);
  // Modified: saved, with its backup, and no box.
  Draw(0x4002);
  EXPECT_EQ(0, File_AutoSave());
  EXPECT_FALSE(Ewin_IsModified());
  EXPECT_TRUE(Exists("auto.000.nt2"));
  // An older layout would need the conversion question: left for the user.
  Draw(0x4003);
  LayoutFileVersion = 0x3700;
  EXPECT_EQ(1, File_AutoSave());
  LayoutFileVersion = LAY_VERSION;
  // A protection code not entered yet: the same.
  ASSERT_EQ(0, Lay_SetProtectCode(u"ABCDEFGH"));
  Lay_ForgetEnteredCode();
  EXPECT_EQ(1, File_AutoSave());
  Lay_ClearProtectCode();
  // A write that fails: 2, still no box, the file as it was.
  const Bytes before = Read("auto.nt3");
  BlockWrites({Path("auto.nt3"), Path("auto.000.nt2")});
  EXPECT_EQ(2, File_AutoSave());
  EXPECT_EQ(before, Read("auto.nt3"));
  EXPECT_TRUE(Ewin_IsModified());
  EXPECT_TRUE(g_shown.empty());
  // An untitled layout is not saved on its own.
  File_ResetLayoutState();
  Draw(0x4004);
  EXPECT_EQ(1, File_AutoSave());
}

TEST_F(FileTest, AutoSaveIntervals) {
  struct Case {
    i32 interval;
    int result;
  } cases[] = {{0, 0}, {1, 0}, {86399, 0}, {86400, 1}, {-1, 1}};
  for (const Case& c : cases) EXPECT_EQ(c.result, File_SetAutoSave(0, c.interval)) << c.interval;
  i32 interval;
  File_GetAutoSave(&interval, nullptr);
  EXPECT_EQ(86399, interval);  // refused values changed nothing
}

// ---------------------------------------------------------------- the question
TEST_F(FileTest, SaveChangesQuestion) {
  struct Case {
    const char* what;
    bool titled;
    int answer;     // to question 299
    bool dialogOk;  // the save-as dialog, for an untitled layout
    int goOn;
    bool modifiedAfter;
  } cases[] = {
      {"yes, saved", true, 3, false, 1, false},
      {"no", true, 4, false, 1, false},
      {"cancel", true, 1, false, 0, true},
      {"yes, untitled, name chosen", false, 3, true, 1, false},
      {"yes, untitled, dialog cancelled", false, 3, false, 0, true},
  };
  for (const Case& c : cases) {
    File_ResetLayoutState();
    if (c.titled) Name("asked.nt3");
    Draw(0x4001);
    g_answers[299] = c.answer;
    if (!c.titled && c.answer == 3) Os_QueueFileDialogAnswer(c.dialogOk ? Path("named.nt3").c_str() : nullptr);
    EXPECT_EQ(c.goOn, File_AskSaveChanges()) << c.what;
    EXPECT_EQ(c.modifiedAfter, Ewin_IsModified() != 0) << c.what;
  }
  // Nothing changed: nothing asked.
  g_shown.clear();
  Ewin_ClearModified();
  EXPECT_EQ(1, File_AskSaveChanges());
  EXPECT_TRUE(g_shown.empty());
}

TEST_F(FileTest, NewLayoutKeepsTheRunStateAndEmptiesTheLayout) {
  Name("before.nt3");
  Draw(0x4001);
  Ewin_RunStop(EWIN_RUN_STOP);
  g_answers[299] = 4;
  File_New();
  EXPECT_TRUE(Grid_IsEmpty());
  EXPECT_EQ(0, LayoutFileName[0]);
  EXPECT_EQ(0, SimRunFlag);  // a new layout does not start the simulation
  EXPECT_EQ(1, g_simClock.weekday);
  EXPECT_EQ(0u, g_simClock.elapsedMinutes);
  EXPECT_EQ(0, LayoutFileVersion);
  Ewin_RunStop(EWIN_RUN_START);
  File_New();
  EXPECT_EQ(1, SimRunFlag);

  // Declining the question leaves the layout alone.
  Draw(0x4002);
  g_answers[299] = 1;
  File_New();
  EXPECT_FALSE(Grid_IsEmpty());
}

// ---------------------------------------------------------------- open
TEST_F(FileTest, OpenLoadsAndListsTheFile) {
  Name("a.nt3");
  Draw(0x4001);
  ASSERT_EQ(0, File_Save());
  File_New();
  ASSERT_TRUE(Grid_IsEmpty());
  Os_QueueFileDialogAnswer(Path("a.nt3").c_str());
  File_Open(nullptr);
  EXPECT_EQ(0x4001, Grid_GetCell(16384, 16384, 0));
  EXPECT_EQ(wstr(u"a.nt3"), wstr(LayoutFileName));
  EXPECT_FALSE(Ewin_IsModified());
  wch first[MENU_RECENT_LEN];
  ASSERT_EQ(0, Menu_RecentGet(first, CMD_RECENT_FIRST));
  EXPECT_EQ(Path("a.nt3"), wstr(first));
}

TEST_F(FileTest, ARefusedOpenKeepsTheLayoutItsNameAndItsChanges) {
  Name("mine.nt3");
  Draw(0x4001);
  ASSERT_EQ(0, File_Save());
  Draw(0x4002);  // unsaved work
  // A file that is no layout, and one cut off inside its body.
  Test_WriteFile(Path("junk.nt3"), {'n', 'o', 't', 0x1A, 0x38, 1, 2, 3, 4, 0x50});
  Bytes cut = Read("mine.nt3");
  cut.resize(cut.size() - 30);
  Test_WriteFile(Path("cut.nt3"), cut);
  Ewin_RunStop(EWIN_RUN_START);
  for (const char* bad : {"junk.nt3", "cut.nt3", "missing.nt3"}) {
    g_shown.clear();
    g_answers[299] = 4;  // do not save the changes
    Os_QueueFileDialogAnswer(Path(bad).c_str());
    File_Open(nullptr);
    EXPECT_EQ(0x4002, Grid_GetCell(16384, 16384, 0)) << bad;
    EXPECT_EQ(wstr(u"mine.nt3"), wstr(LayoutFileName)) << bad;
    // The answer "do not save" was for the layout the file would replace;
    // since it stays, so does its mark.
    EXPECT_TRUE(Ewin_IsModified()) << bad;
    EXPECT_EQ(1, SimRunFlag) << bad;
    wch layouts[OS_MAX_PATH];
    Fio_FolderPath(FOLDER_LAYOUTS, layouts, OS_MAX_PATH);
    EXPECT_EQ(folder, wstr(layouts)) << bad;
  }
  EXPECT_EQ(1, File_LayoutIncomplete());  // the cut file gave a code from 11 up
}

// ---------------------------------------------------------------- recent files
TEST_F(FileTest, RecentFilesMoveUpAndDropTheLast) {
  auto slot = [](int i) { return wstr(Menu_RecentSlot(i)); };
  for (int i = 31; i >= 0; --i) Menu_RecentAdd(W16(("C:\\f" + std::to_string(i) + ".nt3").c_str()).c_str());
  EXPECT_EQ(u"C:\\f0.nt3", slot(0));
  EXPECT_EQ(u"C:\\f31.nt3", slot(31));
  // Slot 5 again, in other letter case and with a leading blank: it moves to
  // the top, 0..4 move down, 6..31 stay.
  Menu_RecentAdd(u" c:\\F5.NT3");
  EXPECT_EQ(u" c:\\F5.NT3", slot(0));
  EXPECT_EQ(u"C:\\f0.nt3", slot(1));
  EXPECT_EQ(u"C:\\f4.nt3", slot(5));
  EXPECT_EQ(u"C:\\f6.nt3", slot(6));
  EXPECT_EQ(u"C:\\f31.nt3", slot(31));
  // A new one drops slot 31.
  Menu_RecentAdd(u"C:\\new.nt3");
  EXPECT_EQ(u"C:\\new.nt3", slot(0));
  EXPECT_EQ(u"C:\\f30.nt3", slot(31));
  // An over-long path is cut to the slot.
  Menu_RecentAdd(wstr(400, u'x').c_str());
  EXPECT_EQ(size_t(MENU_RECENT_LEN - 1), slot(0).size());
  // Commands outside the list and empty entries give 1.
  wch buf[MENU_RECENT_LEN];
  EXPECT_EQ(1, Menu_RecentGet(buf, CMD_RECENT_FIRST - 1));
  EXPECT_EQ(1, Menu_RecentGet(buf, CMD_RECENT_LAST + 1));
  Menu_RecentAdd(nullptr);
  EXPECT_EQ(1, Menu_RecentGet(buf, CMD_RECENT_FIRST));
}

TEST_F(FileTest, RecentFileMenuTexts) {
  struct Case {
    int i;
    const char* path;
    const char* text;
  } cases[] = {{0, "C:\\a.nt3", "&0 C:\\a.nt3"},
               {9, "C:\\b.nt3", "&9 C:\\b.nt3"},
               {10, "C:\\c.nt3", "10 C:\\c.nt3"},
               {11, "C:\\R&D\\d.nt3", "11 C:\\R&&D\\d.nt3"}};
  for (const Case& c : cases) {
    wch text[600];
    Menu_RecentText(c.i, W16(c.path).c_str(), text, 600);
    EXPECT_EQ(W16(c.text), wstr(text));
  }
}

}  // namespace
