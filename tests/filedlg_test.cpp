// What the file commands' dialogs decide: which buttons stand for which
// export options, how a user file list's rows read and what names they give
// back, the background picture's numbers, the user file chooser, the
// settings of an earlier version, and the question about waiting
// dispatcher messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/layaddon.h"
#include "model/logp.h"
#include "operation/dmsg.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/str.h"
#include "render/pal.h"
#include "resources/resid.h"
#include "shell/cfg.h"
#include "shell/ewin.h"
#include "shell/file.h"
#include "shell/filedlg.h"
#include "shell/userfiles.h"
#include "tests/test_util.h"

namespace {

class FileDlgTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(0, Test_LoadTexts()); }
  void SetUp() override { File_ClearUserFileNames(); }
};

// ---------------------------------------------------------------- picture options
TEST_F(FileDlgTest, PictureKindButtonsFollowTheOptionWord) {
  struct Case {
    u32 options;
    int button;
  } cases[] = {{1, 0}, {5, 1}, {13, 1}, {2, 2}, {6, 3}, {10, 4}, {14, 5}, {0, 2}, {4, 3}, {8, 4}, {12, 5}};
  for (const Case& c : cases) EXPECT_EQ(c.button, File_PictureKindButton(c.options)) << c.options;
  // Each button's word selects that button again.
  const u32 words[6] = {1, 5, 2, 6, 10, 14};
  for (int b = 0; b < FILE_PICTURE_KINDS; ++b) {
    EXPECT_EQ(words[b], File_PictureKindOptions(b));
    EXPECT_EQ(b, File_PictureKindButton(File_PictureKindOptions(b)));
  }
}

TEST_F(FileDlgTest, ScaleButtonsArePowersOfTwo) {
  struct Case {
    int scale, button;
  } cases[] = {{1, 0}, {2, 1}, {3, 1}, {4, 2}, {7, 2}, {8, 3}, {16, 4}, {64, 4}, {0, 0}, {-5, 0}};
  for (const Case& c : cases) EXPECT_EQ(c.button, File_PictureScaleButton(c.scale)) << c.scale;
  for (int b = 0; b < FILE_PICTURE_SCALES; ++b) EXPECT_EQ(1 << b, File_PictureButtonScale(b));
}

// ---------------------------------------------------------------- text listing options
TEST_F(FileDlgTest, TextOptionBoxesKeepTheirBitsAndTheEncoding) {
  // The boxes in their order stand for these bits.
  const u16 bits[14] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x100, 0x20, 0x40, 0x80, 0x200, 0x800, 0x1000, 0x8000, 0x400};
  for (int i = 0; i < FILE_TEXT_CHECKS; ++i) {
    EXPECT_EQ(bits[i], File_TextCheckBit(i));
    EXPECT_EQ(1u << i, File_TextChecksOfWord(bits[i]));
  }
  // A word round-trips through the boxes and the encoding button.
  for (u16 word : {u16(0x9FFF), u16(0x0101), u16(0x4401), u16(0x2080)}) {
    const u16 back = File_TextWordOf(File_TextChecksOfWord(word), File_TextEncodingOfWord(word), 0);
    EXPECT_EQ(word, back) << word;
  }
  // 8-bit text wins when both encoding bits are set, as the writer does.
  EXPECT_EQ(2, File_TextEncodingOfWord(0x6001));
  EXPECT_EQ(0x4001, File_TextWordOf(1, 2, 0x6001));
  EXPECT_EQ(0x0001, File_TextWordOf(1, 0, 0x6001));
  // Only the option bit 0x400 is no part of its own.
  EXPECT_TRUE(File_TextNoSection(0x0400 | 0x2000));
  EXPECT_FALSE(File_TextNoSection(0x8000));
  EXPECT_EQ(u' ', File_TextSeparator(9));
  EXPECT_EQ(u';', File_TextSeparator(59));
}

// ---------------------------------------------------------------- user file lists
TEST_F(FileDlgTest, RowsReadPrefixAndNameOrTheEmptyText) {
  const wstr empty = Lng_GetText(11730);
  wch row[FILE_LIST_ROW_MAX];
  File_ListRowText(FILE_LIST_UZG, 7, u"bridge.uzg", row);
  EXPECT_EQ(W16("  7: bridge.uzg"), wstr(row));
  File_ListRowText(FILE_LIST_NFZ, 42, nullptr, row);
  EXPECT_EQ(W16("42: ") + empty, wstr(row));
  // Vehicle graphics: three groups of twenty, each with its letter.
  for (int group = 0; group < 3; ++group) {
    File_ListRowText(FILE_LIST_UZ1, group * 20 + 5, u"x.uz1", row);
    const wch letter = Lng_GetText(TextId(11655 + group))[0];
    EXPECT_EQ(letter, row[0]);
    EXPECT_EQ(W16(" 5: x.uz1"), wstr(row + 1));
  }
}

TEST_F(FileDlgTest, RowNamesAreCleanedAndGetTheListsExtension) {
  struct Case {
    const char* text;
    const char* ext;
    const char* name;
  } cases[] = {
      {"bridge", "uzg", "bridge.uzg"},
      {"  bridge.dat", "uzg", "bridge.dat"},
      {"C:\\graphics\\bridge", "uzg", "C  graphics bridge.uzg"},
      {"a/b:c.nfz", "nfz", "a b c.nfz"},
      {"engines, old ones", "nfz", "engines.nfz"},
      {"trams;2 ", "uz1", "trams.uz1"},
      {"   ", "uzg", ""},
      {",x", "uzg", ""},
  };
  for (const Case& c : cases) {
    wch out[FILE_LIST_ROW_MAX];
    File_ListCleanName(W16(c.text).c_str(), W16(c.ext).c_str(), out);
    EXPECT_EQ(W16(c.name), wstr(out)) << c.text;
  }
}

TEST_F(FileDlgTest, StoringRowsChangesOnlyDifferingSlots) {
  ASSERT_EQ(0, File_SetNfzName(1, u"Engines.nfz"));
  ASSERT_EQ(0, File_SetNfzName(3, u"old.nfz"));
  static u8 flags[USERFILE_SET_SLOTS];
  static wch names[USERFILE_SET_SLOTS][FILE_LIST_ROW_MAX];
  for (int i = 0; i < USERFILE_SET_SLOTS; ++i) {
    flags[i] = 0;
    names[i][0] = 0;
  }
  // The same name in other letters is no change.
  flags[0] = 1;
  Str_Copy(names[0], u"ENGINES.NFZ");
  flags[2] = 1;
  Str_Copy(names[2], u"old.nfz");
  EXPECT_EQ(0, File_ListStore(FILE_LIST_NFZ, flags, names));
  wch got[USERFILE_NAME_MAX + 1];
  ASSERT_EQ(0, File_GetNfzName(1, got));
  EXPECT_EQ(W16("Engines.nfz"), wstr(got));
  // A cleared flag empties the slot; a new name fills one.
  flags[2] = 0;
  flags[99] = 1;
  Str_Copy(names[99], u"last.nfz");
  EXPECT_EQ(1, File_ListStore(FILE_LIST_NFZ, flags, names));
  File_GetNfzName(3, got);
  EXPECT_EQ(wstr(), wstr(got));
  File_GetNfzName(100, got);
  EXPECT_EQ(W16("last.nfz"), wstr(got));
  // The slots are 1..100 in the list's numbering.
  EXPECT_EQ(1, File_GetNfzName(0, got));
  EXPECT_EQ(1, File_GetNfzName(101, got));
  EXPECT_EQ(1, File_SetNfzName(101, u"x"));
  wch one[USERFILE_NAME_MAX + 1];
  File_GetVehicleSetName(99, one);
  EXPECT_EQ(W16("last.nfz"), wstr(one));
}

// The slot loads a closing list asks for, by kind, with the names the
// slots hold at that moment.
std::vector<std::pair<int, wstr>> g_listLoads;
void ListSlotName(int kind, int slot, wch* name) {
  name[0] = 0;
  if (kind == LAY_SLOTS_ELEMENTS) File_GetUzgName(slot + 1, name);
  else if (kind == LAY_SLOTS_VEHICLES) File_GetUz1Name(slot, name);
}
int ListLoadSlot(int kind, int slot) {
  wch name[OS_MAX_PATH];
  ListSlotName(kind, slot, name);
  if (name[0]) g_listLoads.push_back({kind, wstr(name)});
  return 0;
}

TEST_F(FileDlgTest, AClosedListLoadsTheUserGraphicsAgainWithItsNames) {
  LayAddOnHooks h = {};
  h.getSlotName = ListSlotName;
  h.loadSlot = ListLoadSlot;
  Lay_SetAddOnHooks(&h);
  struct Case {
    int list;
    int row;
    const char* entry;
    int kind;
    const char* loaded;
  } cases[] = {
      {FILE_LIST_UZG, 4, " bridges", LAY_SLOTS_ELEMENTS, "bridges.uzg"},
      {FILE_LIST_UZ1, 21, "C:\\cars.uz1", LAY_SLOTS_VEHICLES, "C  cars.uz1"},
  };
  for (const Case& c : cases) {
    File_ClearUserFileNames();
    Ewin_ClearModified();
    g_listLoads.clear();
    static u8 flags[USERFILE_ELEMENT_SLOTS];
    static wch names[USERFILE_ELEMENT_SLOTS][FILE_LIST_ROW_MAX];
    for (int i = 0; i < USERFILE_ELEMENT_SLOTS; ++i) {
      flags[i] = 0;
      names[i][0] = 0;
    }
    flags[c.row] = 1;
    Str_Copy(names[c.row], W16(c.entry).c_str());
    EXPECT_EQ(1, File_ListFinish(c.list, flags, names)) << c.entry;
    EXPECT_TRUE(Ewin_IsModified());
    ASSERT_EQ(1u, g_listLoads.size()) << c.entry;
    EXPECT_EQ(c.kind, g_listLoads[0].first);
    EXPECT_EQ(W16(c.loaded), g_listLoads[0].second);
    // Closing it again unchanged still loads the slots, but marks nothing.
    Ewin_ClearModified();
    g_listLoads.clear();
    EXPECT_EQ(0, File_ListFinish(c.list, flags, names));
    EXPECT_FALSE(Ewin_IsModified());
    EXPECT_EQ(1u, g_listLoads.size());
  }
  Lay_SetAddOnHooks(nullptr);
  File_ClearUserFileNames();
  Ewin_ClearModified();
}

TEST_F(FileDlgTest, ListsHaveTheirSlotsTemplatesAndExtensions) {
  struct Case {
    int list, slots;
    u32 templ;
    int chooser;
    const char* ext;
  } cases[] = {{FILE_LIST_UZG, 110, IDD_LIST_UZG, 0, "uzg"},
               {FILE_LIST_UZ1, 60, IDD_LIST_UZ1, 2, "uz1"},
               {FILE_LIST_NFZ, 100, IDD_LIST_NFZ, 1, "nfz"}};
  for (const Case& c : cases) {
    const FileListKind* k = File_ListKind(c.list);
    ASSERT_NE(nullptr, k);
    EXPECT_EQ(c.slots, k->slots);
    EXPECT_EQ(c.templ, k->templateId);
    EXPECT_EQ(c.chooser, k->chooser);
    EXPECT_EQ(W16(c.ext), wstr(k->extension));
    wch name[USERFILE_NAME_MAX + 1];
    EXPECT_EQ(0, File_ListGetName(c.list, c.slots, name));
    EXPECT_EQ(1, File_ListGetName(c.list, c.slots + 1, name));
  }
  EXPECT_EQ(nullptr, File_ListKind(3));
}

TEST_F(FileDlgTest, TheUserFileChooserTakesTheDialogsAnswer) {
  const wstr folder = Test_MakeTempFolder();
  const wstr file = folder + W16("bridge.uzg");
  ASSERT_TRUE(Test_WriteFile(file, {1, 2, 3}));
  wch path[OS_MAX_PATH];
  Os_QueueFileDialogAnswer(file.c_str());
  EXPECT_EQ(0, File_ChooseUserFile(path, 0));
  EXPECT_EQ(file, wstr(path));
  Os_QueueFileDialogAnswer(nullptr);
  EXPECT_EQ(1, File_ChooseUserFile(path, 1));
  // Only the three kinds.
  EXPECT_EQ(1, File_ChooseUserFile(path, 3));
  EXPECT_EQ(1, File_ChooseUserFile(path, -1));
}

// ---------------------------------------------------------------- run log options
// Keeps the run log's settings and folder of the other tests.
class LogOptionsTest : public FileDlgTest {
 protected:
  void SetUp() override {
    FileDlgTest::SetUp();
    Logp_GetSettings(&flags_, &sep_, &comment_, nullptr);
    Fio_FolderPath(FOLDER_LOGS, folder_, OS_MAX_PATH);
  }
  void TearDown() override {
    Logp_SetSettings(flags_, sep_, comment_);
    Fio_SetFolderPath(FOLDER_LOGS, folder_);
  }
  static u32 Flags(const DlgDesc* desc, i32 control) { return Dfw_ItemFlags(Dfw_FindDescItem(desc, control)); }
  static void Check(DlgDesc* desc, i32 control, int on) {
    u8* r = Dfw_FindDescItem(const_cast<DlgDesc*>(desc), control);
    ASSERT_NE(nullptr, r) << control;
    Dfw_SetItemFlags(r, on ? DLG_BUTTON_CHECKED : 0);
  }
  u32 flags_ = 0;
  wch sep_ = 0, comment_ = 0;
  wch folder_[OS_MAX_PATH] = {0};
};

TEST_F(LogOptionsTest, TheDialogShowsTheRunLogsSettingsAndFolder) {
  struct Case {
    u32 flags;
    wch sep, comment;
    u32 checks;  // bit i: box 470 + i
    int radio;   // 400 + radio
  } cases[] = {
      {LOGP_OPT_POINTS | LOGP_OPT_VEHICLES | LOGP_OPT_ANSI, u';', u'#', 5, 1},
      {LOGP_OPT_DISPATCH | LOGP_OPT_UTF16, u',', u';', 2, 0},
      {LOGP_OPT_POINTS | LOGP_OPT_DISPATCH, u')', u'!', 3, 2},
  };
  ASSERT_EQ(0, Fio_SetFolderPath(FOLDER_LOGS, u"D:\\runs\\"));
  for (const Case& c : cases) {
    ASSERT_EQ(0, Logp_SetSettings(c.flags, c.sep, c.comment));
    FileLogForm form;
    File_LogFormLoad(&form);
    u8 bytes[400];
    DlgBuild b;
    Dfw_BuildBegin(&b, bytes, sizeof bytes);
    ASSERT_EQ(0, File_LogBuildDesc(&b, &form, c.flags, 141));
    EXPECT_EQ(141, i32(Dfw_Get32(bytes, 12))) << "the focus";
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ((c.checks >> i) & 1, Flags(bytes, 470 + i) & DLG_BUTTON_CHECKED) << c.flags << " box " << i;
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(i == c.radio ? u32(DLG_BUTTON_CHECKED) : 0u, Flags(bytes, 400 + i) & DLG_BUTTON_CHECKED) << c.flags;
    const auto Buffer = [&](i32 control) {
      return wstr(static_cast<const wch*>(Dfw_GetPtr(Dfw_FindDescItem(bytes, control), 4)));
    };
    EXPECT_EQ(W16("D:\\runs\\"), Buffer(140));
    EXPECT_EQ(W16(std::to_string(unsigned(c.sep)).c_str()), Buffer(141));
    EXPECT_EQ(W16(std::to_string(unsigned(c.comment)).c_str()), Buffer(142));
    // The buttons read back give the flags again.
    EXPECT_EQ(c.flags, File_LogFlagsOfDesc(bytes, 0)) << c.flags;
  }
}

TEST_F(LogOptionsTest, ReadBackButtonsGiveTheFlags) {
  FileLogForm form;
  File_LogFormLoad(&form);
  u8 bytes[400];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  ASSERT_EQ(0, File_LogBuildDesc(&b, &form, LOGP_OPT_POINTS, -1));
  struct Case {
    u32 checks;
    int radio;  // -1 none checked
    u32 flags;
  } cases[] = {
      {1, 0, LOGP_OPT_POINTS | LOGP_OPT_UTF16},
      {2, 1, LOGP_OPT_DISPATCH | LOGP_OPT_ANSI},
      {4, 2, LOGP_OPT_VEHICLES},
      {7, -1, LOGP_OPT_POINTS | LOGP_OPT_DISPATCH | LOGP_OPT_VEHICLES},
      {0, 1, LOGP_OPT_ANSI},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < 3; ++i) Check(bytes, 470 + i, (c.checks >> i) & 1);
    for (int i = 0; i < 3; ++i) Check(bytes, 400 + i, i == c.radio);
    // Bits no button stands for stay; the buttons' own bits are replaced.
    EXPECT_EQ(c.flags | 0x100, File_LogFlagsOfDesc(bytes, 0x100 | LOGP_OPT_UTF16 | LOGP_OPT_ANSI | LOGP_OPT_POINTS))
        << c.checks << " " << c.radio;
  }
}

TEST_F(LogOptionsTest, RefusedEntriesNameTheirControlAndChangeNothing) {
  ASSERT_EQ(0, Logp_SetSettings(LOGP_OPT_POINTS, u',', u';'));
  struct Case {
    u32 flags;
    const char* sep;
    const char* comment;
    int result;
    i32 focus;
  } cases[] = {
      {LOGP_OPT_ANSI | LOGP_OPT_UTF16, "59", "35", 255, 470},
      {0, "59", "35", 255, 470},
      {LOGP_OPT_POINTS, "31", "35", 256, 141},
      {LOGP_OPT_POINTS, "", "35", 256, 141},
      {LOGP_OPT_POINTS, "x", "35", 256, 141},
      {LOGP_OPT_POINTS, "65536", "35", 256, 141},
      {LOGP_OPT_POINTS, "59", "0", 257, 142},
      {LOGP_OPT_POINTS, "59", "-35", 257, 142},
  };
  for (const Case& c : cases) {
    FileLogForm form = {};
    Str_Copy(form.separator, W16(c.sep).c_str());
    Str_Copy(form.comment, W16(c.comment).c_str());
    i32 focus = -1;
    EXPECT_EQ(c.result, File_LogStore(&form, c.flags, &focus)) << c.sep << " " << c.comment;
    EXPECT_EQ(c.focus, focus) << c.sep << " " << c.comment;
    u32 flags;
    wch sep, comment;
    Logp_GetSettings(&flags, &sep, &comment, nullptr);
    EXPECT_EQ(u32(LOGP_OPT_POINTS), flags);
    EXPECT_EQ(u',', sep);
    EXPECT_EQ(u';', comment);
  }
  FileLogForm form = {};
  Str_Copy(form.separator, u" 9");
  Str_Copy(form.comment, u"35");
  i32 focus = -1;
  EXPECT_EQ(256, File_LogStore(&form, LOGP_OPT_POINTS, &focus)) << "a tab is no separator";
  Str_Copy(form.separator, u" 59");
  ASSERT_EQ(0, File_LogStore(&form, LOGP_OPT_DISPATCH | LOGP_OPT_UTF16, &focus));
  u32 flags;
  wch sep, comment;
  Logp_GetSettings(&flags, &sep, &comment, nullptr);
  EXPECT_EQ(u32(LOGP_OPT_DISPATCH | LOGP_OPT_UTF16), flags);
  EXPECT_EQ(u';', sep);
  EXPECT_EQ(u'#', comment);
}

TEST_F(LogOptionsTest, TheFolderGetsItsBackslashAndAnEmptyOneIsRefused) {
  struct Case {
    const char* entry;
    int result;
    const char* folder;  // the log folder afterwards
  } cases[] = {
      {"D:\\runs", 0, "D:\\runs\\"},
      {"   D:\\runs\\", 0, "D:\\runs\\"},
      {"logs", 0, "logs\\"},
      {"", 1, "E:\\old\\"},
      {"    ", 1, "E:\\old\\"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(0, Fio_SetFolderPath(FOLDER_LOGS, u"E:\\old\\"));
    FileLogForm form = {};
    Str_Copy(form.folder, W16(c.entry).c_str());
    EXPECT_EQ(c.result, File_LogSetFolder(&form)) << c.entry;
    wch now[OS_MAX_PATH];
    ASSERT_EQ(0, Fio_FolderPath(FOLDER_LOGS, now, OS_MAX_PATH));
    EXPECT_EQ(W16(c.folder), wstr(now)) << c.entry;
  }
  // The longest entry the field takes still fits with its backslash.
  FileLogForm form = {};
  for (int i = 0; i < OS_MAX_PATH - 2; ++i) form.folder[i] = u'a';
  EXPECT_EQ(0, File_LogSetFolder(&form));
}

// ---------------------------------------------------------------- colours
TEST_F(FileDlgTest, TheColourTableNamesSettableEntriesOnly) {
  std::vector<bool> seen(PAL_ENTRIES, false);
  for (int row = 0; row < FILE_COLOUR_SLOTS; ++row) {
    const i32 slot = File_ColourSlot(row);
    ASSERT_GE(slot, 0);
    ASSERT_LT(slot, PAL_ENTRIES);
    // The custom colours of the colour dialog are no slot of the table.
    EXPECT_FALSE(slot >= 134 && slot <= 149) << slot;
    EXPECT_FALSE(seen[size_t(slot)]) << slot;
    seen[size_t(slot)] = true;
    EXPECT_NE(wstr(), wstr(Lng_GetText(TextId(FILE_COLOUR_TEXT_FIRST + row)))) << row;
  }
  EXPECT_EQ(-1, File_ColourSlot(FILE_COLOUR_SLOTS));
  // The default is what a reset gives, whatever the entry holds now.
  const u32 before = Pal_GetColour(131);
  Pal_SetColour(131, 0x123456);
  EXPECT_EQ(before, Pal_DefaultColour(131));
  Pal_Reset();
  EXPECT_EQ(before, Pal_GetColour(131));
}

// ---------------------------------------------------------------- background picture
TEST_F(FileDlgTest, BackgroundMemoryEstimatesAndRatio) {
  i32 est[4];
  File_BgpEstimates(2048, 1024, 8, est);  // k = 2048
  EXPECT_EQ(800, est[0]);                  // 8192 KB = 8.00 MB
  EXPECT_EQ(600, est[1]);
  EXPECT_EQ(400, est[2]);
  EXPECT_EQ(200, est[3]);
  File_BgpEstimates(10, 10, 24, est);  // k = 0
  EXPECT_EQ(0, est[0]);
  // The other side keeps the pixel ratio; no divisor, no answer.
  EXPECT_EQ(50, File_BgpKeepRatio(100, 1, 800, 400));
  EXPECT_EQ(200, File_BgpKeepRatio(100, 0, 800, 400));
  EXPECT_EQ(-1, File_BgpKeepRatio(100, 1, 0, 400));
  EXPECT_EQ(-1, File_BgpKeepRatio(100, 0, 800, 0));
}

TEST_F(FileDlgTest, BackgroundAreaFieldsAreCheckedInOrder) {
  struct Case {
    const char* f[4];
    int error, field;
  } cases[] = {
      {{"0", "0", "1", "1"}, 0, 0},
      {{" 32767", "5", "32767", "20"}, 0, 0},
      {{"x", "0", "1", "1"}, 291, 0},
      {{"0", "0", "", "1"}, 291, 2},
      {{"0", "32768", "1", "1"}, 292, 1},
      {{"-1", "0", "1", "1"}, 292, 0},
      {{"0", "0", "0", "1"}, 293, 2},
      {{"0", "0", "1", "40000"}, 293, 3},
  };
  for (const Case& c : cases) {
    const wstr t[4] = {W16(c.f[0]), W16(c.f[1]), W16(c.f[2]), W16(c.f[3])};
    const wch* texts[4] = {t[0].c_str(), t[1].c_str(), t[2].c_str(), t[3].c_str()};
    i32 values[4];
    int field = -1;
    EXPECT_EQ(c.error, File_BgpReadArea(texts, values, &field)) << c.f[0] << "," << c.f[1];
    if (c.error) {
      EXPECT_EQ(c.field, field) << c.f[0] << "," << c.f[1];
    }
  }
}

// ---------------------------------------------------------------- waiting dispatcher messages
TEST_F(FileDlgTest, WaitingDispatcherMessagesStopTheQuestionWithoutAnAnswer) {
  Ewin_ClearModified();
  Dmsg_Clear();
  EXPECT_EQ(1, File_AskSaveChanges());
  ASSERT_EQ(0, Dmsg_Post(1, 16384, 16384, 0, 0, 1, 0, 0));
  ASSERT_GT(Dmsg_Count(), 0u);
  // Natively the question cannot be asked: it counts as not answered.
  EXPECT_EQ(0, File_AskSaveChanges());
  Dmsg_Clear();
}

// ---------------------------------------------------------------- earlier versions
class OldSettingsTest : public FileDlgTest {
 protected:
  void SetUp() override {
    FileDlgTest::SetUp();
    program = Test_MakeTempFolder();
    old = Test_MakeTempFolder();
    ASSERT_EQ(0, Fio_SetFolderPath(FOLDER_PROGRAM, program.c_str()));
    Fio_SetFolderPath(FOLDER_SETTINGS, u"");
    for (const char* name : {"O385_PFAD", "O384_PFAD", "O383_PFAD", "O381_PFAD", "O380_PFAD", "O375_PFAD"})
      Os_SetUserValue(W16(name).c_str(), u"");
  }
  wstr Recorded() {
    wch v[OS_MAX_PATH];
    return Os_GetUserValue(u"O385_PFAD", v, OS_MAX_PATH) == 0 ? wstr(v) : wstr();
  }
  wstr program, old;
};

TEST_F(OldSettingsTest, AFileOfAnEarlierInstallIsOfferedAndTheProgramFolderRecorded) {
  const wstr ini = old + W16("orba.ini");
  ASSERT_TRUE(Test_WriteFile(ini, {0xFF, 0xFE}));
  // Recorded by an earlier version: its folder without the closing separator.
  Os_SetUserValue(u"O384_PFAD", old.substr(0, old.size() - 1).c_str());
  wch found[OS_MAX_PATH];
  EXPECT_EQ(1, Cfg_FindOldSettings(found));
  EXPECT_EQ(old.substr(0, old.size() - 1) + W16("\\orba.ini"), wstr(found));
  EXPECT_EQ(program, Recorded());
  // This folder is recorded now: the same file counts as this version's.
  Os_SetUserValue(u"O385_PFAD", old.c_str());
  Fio_SetFolderPath(FOLDER_PROGRAM, old.c_str());
  EXPECT_EQ(0, Cfg_FindOldSettings(found));
}

TEST_F(OldSettingsTest, NothingIsOfferedWhenTheProgramFolderHasItsOwnFile) {
  ASSERT_TRUE(Test_WriteFile(old + W16("orba.ini"), {0xFF, 0xFE}));
  ASSERT_TRUE(Test_WriteFile(program + W16("orba.ini"), {0xFF, 0xFE}));
  Os_SetUserValue(u"O385_PFAD", old.c_str());
  wch found[OS_MAX_PATH];
  EXPECT_EQ(0, Cfg_FindOldSettings(found));
  EXPECT_EQ(program, Recorded());
  // A given settings folder is this version's place: nothing is looked for.
  Os_SetUserValue(u"O385_PFAD", old.c_str());
  Fio_SetFolderPath(FOLDER_SETTINGS, old.c_str());
  EXPECT_EQ(0, Cfg_FindOldSettings(found));
  EXPECT_EQ(old, Recorded());
  Fio_SetFolderPath(FOLDER_SETTINGS, u"");
}

TEST_F(OldSettingsTest, FoldersThatAreMissingOrTooLongAreSkipped) {
  wch found[OS_MAX_PATH];
  Os_SetUserValue(u"O385_PFAD", (old + W16("gone\\")).c_str());
  EXPECT_EQ(0, Cfg_FindOldSettings(found));
  EXPECT_EQ(wstr(), wstr(found));
  ASSERT_TRUE(Test_WriteFile(old + W16("orba.ini"), {0xFF, 0xFE}));
  Os_SetUserValue(u"O380_PFAD", (old + wstr(240, u'a')).c_str());
  Os_SetUserValue(u"O375_PFAD", old.c_str());
  Os_SetUserValue(u"O385_PFAD", u"");
  EXPECT_EQ(1, Cfg_FindOldSettings(found));
  EXPECT_EQ(old + W16("orba.ini"), wstr(found));
}

}  // namespace
