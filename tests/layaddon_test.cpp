// Add-on files: the section's round trip into another folder with bytes
// and times kept, names that try to leave the layouts folder, the record
// rules and the reload of the user graphic slots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/layaddon.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/print.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

struct Candidate {
  const char* name;
  int kind;
};
std::vector<Candidate> g_candidates;
int g_mode = 1;
int g_embed = 1;

int Embed(void) { return g_embed; }
int Mode(void) { return g_mode; }
void List(int (*each)(const wch*, int, void*), void* ctx) {
  for (const Candidate& c : g_candidates)
    if (each(W16(c.name).c_str(), c.kind, ctx)) return;
}

class AddOnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Fio_InitBuffers();
    folder = Test_MakeTempFolder();
    ASSERT_FALSE(folder.empty());
    LayAddOnHooks h = {};
    h.embedAddOns = Embed;
    h.loadMode = Mode;
    h.listCandidates = List;
    Lay_SetAddOnHooks(&h);
    g_candidates.clear();
    g_mode = 1;
    g_embed = 1;
    Msg_ResetLast();
  }
  void TearDown() override {
    Lay_SetAddOnHooks(nullptr);
    EXPECT_FALSE(Fio_IsReadOpen());
    EXPECT_FALSE(Fio_IsWriteOpen());
  }
  // The section written into memory; *result its code.
  Bytes Write(int* result, wch* failed) {
    EXPECT_EQ(0, Fio_OpenWriteMemory());
    *result = Lay_WriteAddOns(folder.c_str(), failed);
    Bytes out;
    if (Fio_CloseWrite() != 0) return out;
    u32 size = 0;
    u8* p = Fio_TakeWriteMemory(&size);
    if (p) out.assign(p, p + size);
    Heap_Free(p);
    return out;
  }
  static int Read(const Bytes& b) {
    if (Fio_OpenReadMemory(b.data(), u32(b.size())) != 0) return -1;
    const int r = Lay_ReadAddOns();
    if (Fio_IsReadOpen()) Fio_CloseRead();
    return r;
  }
  wstr folder;
};

TEST_F(AddOnTest, RoundTripKeepsBytesAndTimes) {
  Bytes big(10000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = u8(i * 7);
  ASSERT_TRUE(Test_WriteFile(folder + u"set.uzg", {1, 2, 3}));
  ASSERT_TRUE(Os_CreateFolder((folder + u"pics").c_str()) == 0);
  ASSERT_TRUE(Test_WriteFile(folder + u"pics/a.gz4", big));
  // 2021-06-15 13:45:20
  const u16 date = u16(((2021 - 1980) << 9) | (6 << 5) | 15), time = u16((13 << 11) | (45 << 5) | 10);
  ASSERT_EQ(0, Os_SetFileTime((folder + u"set.uzg").c_str(), date, time));
  ASSERT_EQ(0, Os_SetFileTime((folder + u"pics/a.gz4").c_str(), date, time));
  g_candidates = {{"set.uzg", LAY_ADDON_OWN}, {"set.uz2", LAY_ADDON_COMPANION}, {"pics/a.gz4", LAY_ADDON_COMPANION}};
  int r = -1;
  const Bytes section = Write(&r, nullptr);
  ASSERT_EQ(0, r) << "a missing companion is skipped";
  EXPECT_EQ(Bytes({'A', 'D', 'D', 'F'}), Bytes(section.begin(), section.begin() + 4));
  EXPECT_EQ(Bytes(8, 0), Bytes(section.end() - 8, section.end()));

  // Into an empty folder.
  folder = Test_MakeTempFolder();
  ASSERT_EQ(0, Os_CreateFolder((folder + u"pics").c_str()));
  ASSERT_EQ(0, Read(section));
  EXPECT_EQ(Bytes({1, 2, 3}), Test_ReadFile(folder + u"set.uzg"));
  EXPECT_EQ(big, Test_ReadFile(folder + u"pics/a.gz4"));
  u16 d = 0, t = 0;
  ASSERT_EQ(0, Os_GetFileTime((folder + u"pics/a.gz4").c_str(), &d, &t));
  EXPECT_EQ(date, d);
  EXPECT_EQ(time, t);
}

TEST_F(AddOnTest, EmptySectionAndOptionOff) {
  int r = -1;
  EXPECT_EQ(Bytes({'A', 'D', 'D', 'F', 0, 0, 0, 0, 0, 0, 0, 0}), Write(&r, nullptr));
  EXPECT_EQ(0, r);
  g_embed = 0;
  EXPECT_EQ(0, Read(Bytes())) << "nothing is read with the option off";
}

TEST_F(AddOnTest, MissingOwnFileIsReportedAndTheSaveGoesOn) {
  ASSERT_TRUE(Test_WriteFile(folder + u"b.uzg", {9}));
  g_candidates = {{"missing.uzg", LAY_ADDON_OWN}, {"b.uzg", LAY_ADDON_OWN}, {"empty.uz2", LAY_ADDON_COMPANION}};
  ASSERT_TRUE(Test_WriteFile(folder + u"empty.uz2", {}));
  wch failed[OS_MAX_PATH] = {0};
  int r = -1;
  const Bytes section = Write(&r, failed);
  EXPECT_EQ(4, r);
  EXPECT_EQ(wstr(u"empty.uz2"), wstr(failed)) << "an empty companion is not merely missing";
  // The head of a refused file is never written: the section holds b.uzg only.
  folder = Test_MakeTempFolder();
  ASSERT_EQ(0, Read(section));
  EXPECT_EQ(Bytes({9}), Test_ReadFile(folder + u"b.uzg"));
  EXPECT_FALSE(Test_FileExists(folder + u"missing.uzg"));
}

// A section holding one record under the given name.
Bytes OneRecord(const wstr& name, const Bytes& content) {
  Bytes b = {'A', 'D', 'D', 'F'};
  Test_Put32(b, u32(content.size()));
  Test_Put32(b, 0);
  for (wch c : name) Test_Put16(b, c);
  Test_Put16(b, 0);
  Test_Put16(b, 2020);
  b.insert(b.end(), {1, 2, 3, 4, 6, 0});
  b.insert(b.end(), content.begin(), content.end());
  Test_Put32(b, 0);
  Test_Put32(b, 0);
  return b;
}

TEST_F(AddOnTest, NamesLeavingTheFolderAreRefused) {
  const wstr inner = folder + u"inner/";
  ASSERT_EQ(0, Os_CreateFolder(inner.c_str()));
  ASSERT_EQ(0, Fio_SetFolderPath(FOLDER_LAYOUTS, inner.c_str()));
  const char* names[] = {"../escape.txt",  "..\\escape.txt", "sub/../../escape.txt", "/escape.txt",
                         "\\escape.txt",   "C:escape.txt",   "C:\\escape.txt",       "CON",
                         "aux.txt",        "sub/nul.uzg",    "COM1.gz2",             "lpt9",
                         "sub/",           "a//b",           "...",                  ""};
  for (const char* n : names) {
    EXPECT_FALSE(Lay_AddOnNameSafe(W16(n).c_str())) << n;
    if (!n[0]) continue;
    EXPECT_EQ(3, Read(OneRecord(W16(n), {'X'}))) << n;
  }
  EXPECT_FALSE(Test_FileExists(folder + u"escape.txt"));
  EXPECT_FALSE(Test_FileExists(inner + u"escape.txt"));
  for (const char* ok : {"a.uzg", "sub/a.gz2", "x.y.z", "console.uzg", "com10.gz2"})
    EXPECT_TRUE(Lay_AddOnNameSafe(W16(ok).c_str())) << ok;
}

TEST_F(AddOnTest, LoadModesAndUnwritableFiles) {
  ASSERT_TRUE(Test_WriteFile(folder + u"a.uzg", {'o', 'l', 'd'}));
  const Bytes section = OneRecord(u"a.uzg", {'n', 'e', 'w'});
  g_mode = 2;
  ASSERT_EQ(0, Read(section));
  EXPECT_EQ(Bytes({'o', 'l', 'd'}), Test_ReadFile(folder + u"a.uzg")) << "mode 2 keeps an existing file";
  g_mode = 3;
  ASSERT_EQ(0, Read(section));
  EXPECT_EQ(Bytes({'o', 'l', 'd'}), Test_ReadFile(folder + u"a.uzg"));
  g_mode = 1;
  ASSERT_EQ(0, Read(section));
  EXPECT_EQ(Bytes({'n', 'e', 'w'}), Test_ReadFile(folder + u"a.uzg"));
  // A file that cannot be created (its folder is missing): warned, its
  // bytes consumed, the next record read in step.
  Bytes two = OneRecord(u"nofolder/b.uzg", {'1', '2'});
  two.resize(two.size() - 8);
  const Bytes second = OneRecord(u"c.uzg", {'3'});
  two.insert(two.end(), second.begin() + 4, second.end());
  ASSERT_EQ(0, Read(two));
  EXPECT_EQ(223u, Msg_LastNumber());
  EXPECT_EQ(Bytes({'3'}), Test_ReadFile(folder + u"c.uzg"));
  // Malformed: a second word that is not 0, a cut record.
  Bytes bad = OneRecord(u"d.uzg", {'4'});
  bad[8] = 1;
  EXPECT_EQ(3, Read(bad));
  const Bytes cut(section.begin(), section.end() - 10);
  EXPECT_EQ(2, Read(cut));
}

int g_loads[3];
int g_loadResult[61];
void SlotName(int kind, int slot, wch* name) {
  name[0] = 0;
  if (slot == 5 || slot == 7) Fmt_Print(name, 32, u"slot%i.uzg", slot);
}
int LoadSlot(int kind, int slot) {
  ++g_loads[kind];
  return g_loadResult[slot % 61];
}

TEST_F(AddOnTest, ReloadWarnsOnceUnlessSuppressed) {
  LayAddOnHooks h = {};
  h.getSlotName = SlotName;
  h.loadSlot = LoadSlot;
  Lay_SetAddOnHooks(&h);
  for (int& r : g_loadResult) r = 0;
  g_loadResult[5] = 3;
  g_loadResult[7] = 6;
  g_loads[1] = g_loads[2] = 0;
  ShowGraphicsWarnings = 1;
  EXPECT_EQ(0, Lay_ReloadUserGraphics(LAY_SLOTS_ELEMENTS, 1));
  EXPECT_EQ(110, g_loads[1]);
  EXPECT_EQ(282u, Msg_LastNumber());
  EXPECT_EQ(1, Lay_ReloadUserGraphics(9, 1));
  g_loadResult[9] = 5;
  EXPECT_EQ(1, Lay_ReloadUserGraphics(LAY_SLOTS_VEHICLES, 1));
  EXPECT_EQ(9, g_loads[2]) << "an abort ends the reload";
  EXPECT_EQ(281u, Msg_LastNumber());
}

}  // namespace
