// Writes the seed inputs of every fuzz target, made by the project's own
// writers: layouts built in code and saved, each section as its writer gives
// it, the graphics files of the tests' fixture and a title picture, the
// shipped language files, schedules, hour lines, rule and week-time texts.
//   orba_fuzz_seeds FOLDER   (one sub-folder per target)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/dep.h"
#include "model/genl.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/layfile.h"
#include "model/line.h"
#include "model/sched.h"
#include "operation/pts.h"
#include "operation/ptsfile.h"
#include "operation/sig.h"
#include "operation/sigclip.h"
#include "operation/snd.h"
#include "operation/trnfile.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "render/bgp.h"
#include "render/gfxfile.h"
#include "shell/cfg.h"
#include "tests/fuzz/fuzz_util.h"
#include "tests/gfx_fixture.h"

namespace {
std::filesystem::path g_out;
int g_written;

void Seed(const char* target, const std::string& name, const FuzzBytes& bytes) {
  const std::filesystem::path folder = g_out / target;
  std::filesystem::create_directories(folder);
  std::ofstream f(folder / name, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  ++g_written;
}

FuzzBytes With(std::initializer_list<u8> head, const FuzzBytes& rest) {
  FuzzBytes b(head);
  b.insert(b.end(), rest.begin(), rest.end());
  return b;
}

// The bytes after the header text's 0x1A (what the readers see of the file).
FuzzBytes AfterHeader(const FuzzBytes& file) {
  for (size_t i = 0; i < file.size(); ++i)
    if (file[i] == 0x1A) return FuzzBytes(file.begin() + i + 1, file.end());
  return file;
}

FuzzBytes Utf16(const std::u16string& text) {
  FuzzBytes b;
  for (char16_t c : text) b.push_back(u8(c)), b.push_back(u8(c >> 8));
  return b;
}

// The settings file as the program writes it, at the defaults and away from
// them, and the tests' texts as 8-bit and UTF-16 files of old sections.
void Settings(void) {
  Cfg_SetDefaults();
  if (Cfg_WriteSettings() == 0) Seed("settings", "defaults.ini", Fuzz_ReadFile(Cfg_FileName()));
  const char16_t* texts[] = {
      u"[ORBA_385]\r\nBackup=5\r\nStat_Opt=1F\r\nStat_Sep=\";\"\r\nDateiZahl=7\r\nBremsF=600\r\n"
      u"Farbe7=10\r\nFarbe20=FF,00,00\r\nFenster1=1,2,300,200,N,1,G\r\nFontVarSN=Arial\r\n"
      u"SuchText0=depot\r\nSuchText1=x\r\nDName0=C:\\a.nt3\r\nDName1=C:\\b.nt3\r\nZoom2=E\r\n",
      u"; comment\r\n[Other]\r\nBackup=1\r\n[ orba_385 ]\r\n  backup =  7  \r\nStat_Sep=\";\"\r\n"
      u"Quoted=\"a b\"\r\nHalf=\"x\r\nEmpty=\r\n",
      u"[ORBA_380]\nU=4\nBackup=2\n[ORBA_384]\nBackup=5\n",
      u"[ORBA_375]\nS=129\nU=1\n",
      u"[ORBA_385]\nBackup=x\nStat_Opt=3\nQ=17\nRangp=X\nFarbe10=63\nBauStrecke=1,2,3\n"
      u"BauFlaeche=1,2,3,4,5,6,7,8,9,10,11,12,13\nSuchSym=1F\nDateiDlg=X\nPfad_nt3=C:\\lay\n"};
  int n = 0;
  for (const char16_t* t : texts) {
    FuzzBytes narrow;
    for (const char16_t* c = t; *c; ++c) narrow.push_back(u8(*c));
    Seed("settings", "text" + std::to_string(n) + ".ini", narrow);
    Seed("settings", "wide" + std::to_string(n++) + ".ini", With({0xFF, 0xFE}, Utf16(t)));
  }
  Cfg_ReadText(texts[0], nullptr);
  if (Cfg_WriteSettings() == 0) Seed("settings", "changed.ini", Fuzz_ReadFile(Cfg_FileName()));
  Cfg_SetDefaults();
}

// The clipboard blocks as the region copy writes them (signal installations,
// signal elements, turnouts), each block alone and all three together, and
// the damaged blocks of the tests.
int ClipRead(u32 n, u32 size, wch* buffer) { return Clip_ReadLine(i32(n), i32(size), buffer); }

void Clips(void) {
  static int window;
  Clip_SetWindow(&window);
  const SigClipLines sig = {Clip_AppendLine, ClipRead};
  const PtsClipLines pts = {Clip_AppendLine, Clip_ReadLine};
  Pts_SetClipLines(&pts);
  Fuzz_ClipCells();
  Fuzz_ClipRecords();
  const i32 far = 1 << 20;
  std::u16string all;
  for (int block = 0; block < 3; ++block) {
    Clip_Empty();
    if (block == 0) Sig_CopyInstallationsToClip(&sig, -far, -far, -8, far, far, 8);
    if (block == 1) Sig_CopyElementsToClip(&sig, -far, -far, -8, far, far, 8);
    if (block == 2) Pts_CopyToClip(-far, -far, -8, far, far, 8);
    std::u16string text;
    wch line[300];
    for (i32 n = 0; Clip_ReadLine(n, 300, line) == 0; ++n) text += std::u16string(line) + u"\r\n";
    Seed("clip", "block" + std::to_string(block), Utf16(text));
    all += text;
  }
  Seed("clip", "blocks", Utf16(all));
  const char16_t* damaged[] = {
      u"SIGANL_A\r\nSIGANL_E\r\nSIGELEM_A\r\nSIGELEM_E\r\nWEI_A\r\nWEI_E",
      u"SIGANL_A\r\n\"A\",0,1,1,9\r\nabc\r\nSIGANL_E",
      u"SIGANL_A\r\n\"A\",0,1,1,99999\r\nSIGANL_E",
      u"SIGANL_A\r\nSIGANL_E\r\nSIGELEM_A\r\n\"E\",\"\",5,5,0,0,0,0,0,0,0,0,1,0,9,0\r\nNobody+\r\nSIGELEM_E\r\n",
      u"a\rb\nc\r\n\r\nd"};
  int n = 0;
  for (const char16_t* t : damaged) Seed("clip", "damaged" + std::to_string(n++), Utf16(t));
  Sig_Clear();
  Pts_FreeAll();
  Pts_SetClipLines(nullptr);
  Clip_SetWindow(nullptr);
}

void Layouts(void) {
  Fuzz_ClearLayout();
  Seed("layout", "empty.nt3", Fuzz_SaveLayout(u"seed.nt3"));
  Fuzz_BuildLayout();
  Seed("layout", "start.nt3", Fuzz_SaveLayout(u"seed.nt3"));

  // Each section of the start example at today's version.
  struct Section {
    const char* name;
    int (*write)(void);
  } sections[] = {{"genl", Genl_SaveSection}, {"netz", Grid_SaveSection}, {"zugd", TrnList_SaveSection},
                  {"depo", Dep_SaveSection},  {"hstp", Hst_SaveSection},  {"lind", Lin_SaveSection},
                  {"zg", Bgp_SaveSection},    {"ma", Lay_WriteMa}};
  const u16 v = LAY_VERSION - LAY_VERSION_OLDEST;
  for (u8 i = 0; i < 8; ++i)
    Seed("section", sections[i].name, With({i, u8(v), u8(v >> 8)}, Fuzz_Written(sections[i].write)));
  // Sound points: one plain, one with a line list.
  const u32 list[] = {1, 0, 0};
  Snd_CreatePoint(3, 4, 0, 0, nullptr, 2, 0x0F, SND_F_HORN | SND_F_HORN_COUNTDOWN);
  Snd_CreatePoint(5, 6, -1, 3, list, 1, 0xF0, SND_F_RUN_REPEAT | SND_F_LINES_NOT);
  Seed("section", "sndp", With({8, u8(v), u8(v >> 8)}, Fuzz_Written(Snd_SaveSection)));
  Snd_ClearPoints();
}

// The sound catalogue as the build writes it, and lines a user may get wrong.
void SoundCatalogues(void) {
  const std::u16string good =
      u"; sounds\r\nnr=1,250ms,\"x.wav\",\"y.wav\"\r\nnr=2,90ms,\"y\"\r\nnr=0,0ms,\r\n"
      u"ACL,2\r\nTHN,1\r\nLCY,9\r\nEND\r\nTHN,2\r\n12-a\r\nTBL,1\r\n12-3,14-5\r\nTST,1\r\n3-1\r\n"
      u"TAR,2\r\n20-a,22-a\r\nEND\r\n";
  Seed("skf", "good.skf", With({0xFF, 0xFE}, Utf16(good)));
  FuzzBytes narrow;
  for (char16_t c : good) narrow.push_back(u8(c));
  Seed("skf", "narrow.skf", narrow);
  const std::u16string bad =
      u"nr=x\r\nnr=3,0ms,\"x\"\r\nnr=0,0ms,\r\nXYZ,1\r\nACL\r\nEND\r\nTHN,1\r\n2-a,1-a\r\nEND\r\n";
  Seed("skf", "bad.skf", With({0xFF, 0xFE}, Utf16(bad)));
}

void Graphics(void) {
  GfxFixture fx;
  if (fx.Write(0, 7) != 0) {
    fprintf(stderr, "the graphics fixture could not be written\n");
    exit(1);
  }
  const std::u16string w = Fuzz_WorkFolder();
  auto file = [&](const char16_t* name) { return Fuzz_ReadFile(name); };
  // Readers: 0 BMP, 1 base strip, 2 element record, 3 combined file, 4 vehicle
  // set, 5 and 6 vehicle zoom record and file, 7 title pictures.
  static const u8 bmp[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0,
                           0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                           0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  Seed("graphics", "picture.bmp", With({0, 0, 0, 0, 0, 0, 0, 0}, FuzzBytes(bmp, bmp + sizeof bmp)));
  Seed("graphics", "orba.gzg", With({1, 0, 0, 0, 0, 0, 0, 0}, AfterHeader(file(u"orba.gzg"))));
  const GfxElementRecord rec = fx.Record(1, 3, 12, 9, 2);
  Seed("graphics", "record", With({2, 0, 0, 0, 0, 0, 0, 0}, Fuzz_Written([&] { return GfxFile_WriteElementRecord(&rec); })));
  Seed("graphics", "orba.fx1", With({3, 0, 0, 0, 0, 0, 0, 0}, AfterHeader(file(u"orba.fx1"))));
  Seed("graphics", "orba.fw2", With({3, 1, 0, 0, 0, 0, 0, 0}, AfterHeader(file(u"orba.fw2"))));
  const u16 set = u16(kRequiredVehicleSets[0] >> 4);
  Seed("graphics", "orba.fzg", With({4, 0, u8(set), u8(set >> 8), 0, 0, 0, 0}, file(u"orba.fzg")));
  const u32 id = kRequiredVehicleSets[0];
  Seed("graphics", "orba.fz2", With({6, 1, u8(id), u8(id >> 8), u8(id >> 16), u8(id >> 24), 4, 0}, file(u"orba.fz2")));
  static const u8 codes[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  static const u32 colours[12] = {0x102030, 0x405060, 0x708090, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (int format : {'8', '9'}) {
    GfxTitlePicture pics[2] = {{4, 3, 0, codes, colours}, {3, 4, 5, codes, colours}};
    GfxFile_SaveTitleFile(u"orba.tbd", FOLDER_PROGRAM, format, pics, 2);
    Seed("graphics", format == '8' ? "title8.tbd" : "title9.tbd", With({7, 0, 0, 0, 0, 0, 0, 0}, file(u"orba.tbd")));
  }
  (void)w;
}

void Languages(void) {
  const std::filesystem::path data(ORBA_DATA_DIR);
  const char* names[] = {"orba.lng", "orba.lnv", "orba.lnx"};
  for (u8 i = 0; i < 3; ++i) {
    std::ifstream f(data / names[i], std::ios::binary);
    const FuzzBytes bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    Seed("language", names[i], With({i}, bytes));
    // The first lines only: a table without its end.
    Seed("language", std::string("cut-") + names[i],
         With({i}, FuzzBytes(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 600))));
  }
}

void Rules(void) {
  // Hour lines and the schedule they give.
  const std::u16string hourLines =
      u"0 15 30\n\n\n\n\n\n5 20:30 35\n*\n#\n\n\n\n12\n\n\n\n\n\n\n\n\n\n\n59:59";
  Seed("rules", "hours", With({1}, Utf16(hourLines)));
  static wch lines[RULE_HOUR_LINES * RULE_HOUR_LINE];
  size_t line = 0, col = 0;
  for (char16_t c : hourLines) {
    if (c == u'\n') ++line, col = 0;
    else lines[line * RULE_HOUR_LINE + col++] = c;
  }
  static u8 schedule[TIM_DAY_SIZE];
  i32 hour = 0, count = 0;
  if (Rule_ParseSchedule(lines, &hour, schedule, &count) == 0)
    Seed("rules", "schedule", With({0}, FuzzBytes(schedule, schedule + count)));
  const u8 week[] = {0x1F, 6, 0, 30, 0x80, 0x94, 254, 7, 0x89, 15, 0x9E, 254, 255, 0x20, 10, 0, 0xAD, 254, 255, 0};
  Seed("rules", "week", With({0}, FuzzBytes(week, week + sizeof week)));
  const char16_t* rules[] = {u"IC+RE", u"IC(T=Mon+Wed+Fri:0:00:05-0:30:05)", u"S1(H=2,V=40.5)+12",
                             u"IC(T=Mon-Fri:6:00-8:00 +Sat:10:00-12:00)+RE(X=1)", u"*"};
  int n = 0;
  for (const char16_t* r : rules) {
    for (u8 m = 0; m < 4; ++m) {
      // Modes 1..4, strict and lenient, one line and a line per group.
      Seed("rules", "rule" + std::to_string(n), With({u8(2 | m << 2 | (n & 1) << 4 | (n & 2) << 4)}, Utf16(r)));
      ++n;
    }
  }
  for (const char16_t* t : {u"Mon-Fri:6:30:15", u"Sat+Sun:24:00:00", u"Tue:7:05"})
    Seed("rules", "time" + std::to_string(g_written), With({3}, Utf16(t)));
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: orba_fuzz_seeds FOLDER\n");
    return 2;
  }
  g_out = argv[1];
  Fuzz_Init();
  Layouts();
  Rules();
  Languages();
  Settings();
  Clips();
  SoundCatalogues();
  // The fixture's graphics files go into the work folder, which becomes the
  // program folder for them.
  Fio_SetFolderPath(FOLDER_PROGRAM, Fuzz_WorkFolder().c_str());
  Graphics();
  printf("%d seeds in %s\n", g_written, argv[1]);
  return 0;
}
