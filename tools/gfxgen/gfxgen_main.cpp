// The picture generator: draws every picture file the program needs and
// writes them through the graphics file library.
//
//   gfxgen OUTPUT_FOLDER [--sheet SHEET_FOLDER] [--tables FILE]
//
// Writes "orba.gzg", "orba.fx1|2|4" (with the animation step pictures of
// the animated codes as further variants), "orba.fw1|2|4", "orba.fzg", "orba.fz2",
// "orba.fz4" and "orba.tbd" into the output folder; with --sheet also the
// contact sheets (BMP) for review, with --tables the ground pattern tables
// as C++ source. The same build writes the same bytes.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/fio.h"
#include "platform/heap.h"
#include "render/gfxfile.h"
#include "tools/gfxgen/art_anim.h"
#include "tools/gfxgen/art_base.h"
#include "tools/gfxgen/art_element.h"
#include "tools/gfxgen/art_sheet.h"
#include "tools/gfxgen/art_symbol.h"
#include "tools/gfxgen/art_title.h"
#include "tools/gfxgen/art_track.h"
#include "tools/gfxgen/art_vehicle.h"

namespace {

typedef std::u16string wstr;

wstr Widen(const std::string& s) {
  wstr w;
  for (unsigned char ch : s) w += char16_t(ch);
  return w;
}

std::string g_out, g_sheet, g_tables;

wstr OutPath(const char* name) { return Widen(g_out + name); }

int Fail(const char* what, int r) {
  fprintf(stderr, "gfxgen: %s failed (%d)\n", what, r);
  return 1;
}

const int kZooms[3] = {1, 2, 4};

// ---------------------------------------------------------------- base file
int WriteBase(AtkGround* ground) {
  if (Atk_BuildGround(ground) != 0) return Fail("ground patterns", 1);
  static GfxBaseFile base;
  Abs_BuildBase(ground, &base);
  wstr path = OutPath("orba.gzg");
  int r = Fio_OpenWrite(path.c_str(), 0, FOLDER_FULLPATH);
  if (r == 0) {
    r = GfxFile_WriteBase(&base);
    if (r == 0)
      r = Fio_CloseWrite();
    else
      Fio_CancelWrite();
  }
  return r ? Fail("orba.gzg", r) : 0;
}

// ---------------------------------------------------------------- element records
void FillRecord(const ApcPicture& pic, const char* name, GfxElementRecord* rec) {
  memset(rec, 0, sizeof *rec);
  rec->zoom = u8(pic.zoom);
  rec->versionHalf = 0;
  rec->flags = 2;
  rec->nameForm = GFX_NAME_UTF16LE;
  int i = 0;
  for (; name[i] && i < GFX_NAME_MAX; ++i) rec->name[i] = wch(u8(name[i]));
  rec->name[i] = 0;
  rec->count = u16(pic.placements.size());
  for (size_t k = 0; k < pic.placements.size() && k < 3; ++k) {
    const ApcPlacement& p = pic.placements[k];
    rec->pictures[k].layer = i16(p.layer);
    rec->pictures[k].x = i16(p.x);
    rec->pictures[k].y = i16(p.y);
    rec->pictures[k].width = i16(p.w);
    rec->pictures[k].height = i16(p.h);
    rec->pictures[k].pixels = const_cast<u32*>(p.px.data());
  }
}

struct Entry {
  u32 code, state, variant, sub;
  std::string label, name;
  const ApcPicture* pic;
};

int WriteCombined(const char* file, const char* header, int zoom, std::vector<Entry>& entries) {
  std::vector<GfxElementRecord> recs(entries.size());
  std::vector<GfxCombinedEntry> ce(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    FillRecord(*entries[i].pic, entries[i].name.c_str(), &recs[i]);
    ArtEffects fx;
    if (entries[i].code < 16384 ? Ael_Effects(entries[i].code, &fx) : Asy_Effects(entries[i].code, &fx))
      Art_SetRecordEffects(&recs[i], &fx);
    ce[i].code = entries[i].code;
    ce[i].state = entries[i].state;
    ce[i].subPicture = entries[i].sub;
    ce[i].variant = entries[i].variant;
    ce[i].label = entries[i].label.c_str();
    ce[i].record = &recs[i];
  }
  wstr path = OutPath(file);
  int r = GfxFile_SaveCombined(path.c_str(), FOLDER_FULLPATH, header, "GZX", zoom, ce.data(), u32(ce.size()));
  return r ? Fail(file, r) : 0;
}

int WriteElements(const AtkGround* ground, Sheet* sheet) {
  int n = Ael_ListCodes(nullptr, 0);
  std::vector<u32> codes(static_cast<size_t>(n));
  Ael_ListCodes(codes.data(), n);
  // The four banks share their drawings: one picture per shape and zoom.
  std::map<int, ApcPicture> pics[3];
  for (u32 code : codes) {
    int shape = int(code & 0x1FF);
    for (int z = 0; z < 3; ++z) {
      if (pics[z].count(shape)) continue;
      ApcSpec spec;
      ApcDraw draw = Ael_Prepare(code, &spec);
      Apc_Render(&spec, draw, code, kZooms[z], &pics[z][shape]);
    }
  }
  static const char* const names[3] = {"orba.fw1", "orba.fw2", "orba.fw4"};
  static const char letters[4] = {'s', 't', 'h', 'b'};
  for (int z = 0; z < 3; ++z) {
    std::vector<Entry> entries;
    for (u32 code : codes) {
      int shape = int(code & 0x1FF), bank = 0;
      for (int b = 0; b < 4; ++b)
        if ((code & ~0x1FFu) == kAelClassBases[b]) bank = b;
      char label[32], name[48];
      snprintf(label, sizeof label, "%c%03d.gz%d", letters[bank], shape, kZooms[z]);
      Ael_Name(code, name, sizeof name);
      entries.push_back(Entry{code, 0, 0, 0, label, name, &pics[z][shape]});
    }
    char header[96];
    snprintf(header, sizeof header, "orba element pictures, zoom %d\r\n", kZooms[z]);
    if (WriteCombined(names[z], header, kZooms[z], entries) != 0) return 1;
  }
  if (sheet) {
    Ash_Heading(sheet, "ELEMENTS (CLASS 4096) AT ZOOM 1 2 4");
    for (u32 code : codes) {
      if ((code & ~0x1FFu) != 4096) continue;
      int shape = int(code & 0x1FF);
      const ApcPicture* p3[3] = {&pics[0][shape], &pics[1][shape], &pics[2][shape]};
      char label[32];
      snprintf(label, sizeof label, "%u", code);
      Ash_AddTile(sheet, label, p3, 3, ground, Atk_GroundRow(int(code)));
    }
  }
  return 0;
}

int SaveSheet(Sheet* sh, const char* name);

int WriteSymbols(Sheet* sheet) {
  int n = Asy_ListCodes(nullptr, 0);
  std::vector<u32> codes(static_cast<size_t>(n));
  Asy_ListCodes(codes.data(), n);
  static const char* const names[3] = {"orba.fx1", "orba.fx2", "orba.fx4"};
  // Codes of several pictures (picked by cell parity) are written as the
  // sub-pictures 1..4 of the code; the sheet shows the first.
  struct Item {
    u32 code;
    int part;
  };
  std::vector<Item> items;
  std::vector<size_t> firstOf;  // the item of each code's first picture
  for (u32 code : codes) {
    firstOf.push_back(items.size());
    const int parts = Asy_PartCount(code);
    for (int part = parts > 1 ? 1 : 0; part <= (parts > 1 ? parts : 0); ++part) items.push_back(Item{code, part});
  }
  std::vector<ApcPicture> all[3], anim[3];
  std::vector<u32> animCodes(size_t(Aan_ListCodes(nullptr, 0)));
  Aan_ListCodes(animCodes.data(), int(animCodes.size()));
  size_t frames = 0;
  for (u32 code : animCodes) frames += size_t(Aan_FrameCount(code));
  for (int z = 0; z < 3; ++z) {
    all[z].resize(items.size());
    anim[z].resize(frames);
    std::vector<Entry> entries;
    size_t k = 0;
    for (size_t i = 0; i < items.size(); ++i) {
      ApcSpec spec;
      u32 drawCode;
      ApcDraw draw = Asy_PreparePart(items[i].code, items[i].part, &spec, &drawCode);
      Apc_Render(&spec, draw, drawCode, kZooms[z], &all[z][i]);
      char label[32], name[48];
      if (items[i].part)
        snprintf(label, sizeof label, "%06u%c.gz%d", items[i].code, 'a' + items[i].part - 1, kZooms[z]);
      else
        snprintf(label, sizeof label, "%06u.gz%d", items[i].code, kZooms[z]);
      Asy_Name(items[i].code, name, sizeof name);
      entries.push_back(Entry{items[i].code, 0, 0, u32(items[i].part), label, name, &all[z][i]});
      // The pictures of the animation steps follow as the code's further
      // variants (the file keeps a code's records together).
      for (int f = 1; f <= Aan_FrameCount(items[i].code); ++f, ++k) {
        Aan_SetFrame(f);
        Apc_Render(&spec, draw, drawCode, kZooms[z], &anim[z][k]);
        Aan_SetFrame(0);
        snprintf(label, sizeof label, "%06u-%02d.gz%d", items[i].code, f, kZooms[z]);
        entries.push_back(Entry{items[i].code, 0, u32(f), 0, label, name, &anim[z][k]});
      }
    }
    char header[96];
    snprintf(header, sizeof header, "orba picture codes, zoom %d\r\n", kZooms[z]);
    if (WriteCombined(names[z], header, kZooms[z], entries) != 0) return 1;
  }
  if (sheet) {
    // In parts, so that each sheet stays a reasonable file.
    int part = 1;
    Ash_Heading(sheet, "PICTURE CODES AT ZOOM 1 2 4");
    for (size_t i = 0; i < codes.size(); ++i) {
      const size_t k = firstOf[i];
      const ApcPicture* p3[3] = {&all[0][k], &all[1][k], &all[2][k]};
      char label[32];
      snprintf(label, sizeof label, "%u", codes[i]);
      Ash_AddTile(sheet, label, p3, 3, nullptr, -1, -8, -4, 48, 52);
      if ((i + 1) % 400 == 0 || i + 1 == codes.size()) {
        char name[40];
        snprintf(name, sizeof name, "sheet_symbols_%d.bmp", part++);
        if (SaveSheet(sheet, name)) return 1;
      }
    }
    Ash_Heading(sheet, "ANIMATION STEPS AT ZOOM 1 2 4");
    size_t k = 0;
    for (u32 code : animCodes) {
      const size_t rest = size_t(std::find(codes.begin(), codes.end(), code) - codes.begin());
      for (int f = 0; f <= Aan_FrameCount(code); ++f) {
        const ApcPicture* p3[3];
        for (int z = 0; z < 3; ++z) p3[z] = f == 0 ? &all[z][firstOf[rest]] : &anim[z][k];
        char label[32];
        snprintf(label, sizeof label, "%u-%d", code, f);
        Ash_AddTile(sheet, label, p3, 3, nullptr, -1, -16, -8, 64, 72);
        if (f) ++k;
      }
    }
    if (SaveSheet(sheet, "sheet_animation.bmp")) return 1;
  }
  return 0;
}

int WriteVehicles(Sheet* sheet) {
  int nsets = Avh_SetCount();
  std::vector<GfxVehicleSet> sets(static_cast<size_t>(nsets));
  std::vector<std::vector<u32>> zoom1;
  zoom1.reserve(size_t(nsets) * GFX_SET_VEHICLES);
  for (int i = 0; i < nsets; ++i) {
    const AvhSet* a = Avh_Set(i);
    GfxVehicleSet& s = sets[size_t(i)];
    memset(&s, 0, sizeof s);
    s.number = a->number;
    s.count = a->count;
    s.flags = 1;
    s.textNumber = a->textNumber;
    for (int k = 0; k < a->count; ++k) {
      const AvhVehicle& v = a->vehicles[k];
      GfxVehicle& g = s.vehicles[k];
      g.index = v.index;
      g.length = v.length;
      g.a = v.a;
      g.b = v.b;
      g.c = v.c;
      g.flags = v.flags;
      g.markerCount = v.markerCount;
      for (int m = 0; m < v.markerCount; ++m) g.markers[m] = v.markers[m];
      zoom1.emplace_back();
      Avh_Render(&v, 1, &zoom1.back());
      g.pixelCount = u32(zoom1.back().size());
      g.pixels = zoom1.back().data();
      if (g.pixelCount != GfxFile_VehiclePixelCount(v.length, v.a, v.b, v.c, v.flags)) return Fail("vehicle size", 1);
    }
  }
  wstr path = OutPath("orba.fzg");
  int r = GfxFile_SaveVehicleFile(path.c_str(), FOLDER_FULLPATH, sets.data(), u32(sets.size()), 0, GFX_FZG_CURRENT);
  if (r) return Fail("orba.fzg", r);
  for (int z : {2, 4}) {
    std::vector<GfxVehicleZoom> recs;
    std::vector<std::vector<u32>> pixels;
    pixels.reserve(zoom1.size());
    for (int i = 0; i < nsets; ++i) {
      const AvhSet* a = Avh_Set(i);
      for (int k = 0; k < a->count; ++k) {
        const AvhVehicle& v = a->vehicles[k];
        GfxVehicleZoom rec;
        memset(&rec, 0, sizeof rec);
        rec.id = u32(a->number) << 4 | v.index;
        rec.zoom = u8(z);
        rec.version = 901;
        rec.versionHalf = 0;
        rec.flags = Avh_ZoomRecordFlags(&v);
        rec.length = u16(v.length * z);
        rec.a = u16(v.a * z);
        rec.b = u16(v.b * z);
        rec.c = u16(v.c * z);
        pixels.emplace_back();
        Avh_Render(&v, z, &pixels.back());
        rec.pixelCount = u32(pixels.back().size());
        rec.pixels = pixels.back().data();
        if (rec.pixelCount != GfxFile_VehicleZoomPixelCount(&rec, v.flags)) return Fail("vehicle zoom size", 1);
        recs.push_back(rec);
      }
    }
    wstr zp = OutPath(z == 2 ? "orba.fz2" : "orba.fz4");
    r = GfxFile_SaveVehicleZoomFile(zp.c_str(), FOLDER_FULLPATH, z, recs.data(), u32(recs.size()));
    if (r) return Fail(z == 2 ? "orba.fz2" : "orba.fz4", r);
  }
  if (sheet) {
    Ash_Heading(sheet, "VEHICLES: SIDE 1 SIDE 2 TOP 1 END 1 TOP 2 END 2 AT ZOOM 1 2 4");
    for (int i = 0; i < nsets; ++i) {
      const AvhSet* a = Avh_Set(i);
      char head[80];
      snprintf(head, sizeof head, "SET %u", unsigned(a->number));
      Ash_Heading(sheet, head);
      for (int k = 0; k < a->count; ++k)
        for (int z : {1, 2, 4})
          for (int view = 0; view < AVH_VIEWS; ++view) {
            std::vector<u32> px;
            int w, h;
            Avh_View(&a->vehicles[k], view, z, &px, &w, &h);
            char label[32];
            snprintf(label, sizeof label, "%u Z%d", (unsigned(a->number) << 4) | a->vehicles[k].index, z);
            Ash_AddPixels(sheet, view == 0 ? label : "", px.data(), w, h);
          }
    }
  }
  return 0;
}

int WriteTitle(Sheet* sheet) {
  std::vector<u32> px;
  Ati_Render(&px);
  GfxTitlePicture pic;
  memset(&pic, 0, sizeof pic);
  pic.width = ATI_WIDTH;
  pic.height = ATI_HEIGHT;
  pic.background = px[0];
  pic.colours = px.data();
  wstr path = OutPath("orba.tbd");
  int r = GfxFile_SaveTitleFile(path.c_str(), FOLDER_FULLPATH, '9', &pic, 1);
  if (r) return Fail("orba.tbd", r);
  if (sheet) {
    Ash_Heading(sheet, "TITLE PICTURE");
    std::vector<u32> rgb(px.size());
    for (size_t i = 0; i < px.size(); ++i)
      rgb[i] = ((px[i] & 0xFF) << 16) | (px[i] & 0xFF00) | ((px[i] >> 16) & 0xFF);
    Ash_AddPixels(sheet, "ORBA.TBD", rgb.data(), ATI_WIDTH, ATI_HEIGHT);
  }
  return 0;
}

void SheetGround(Sheet* sheet, const AtkGround* g) {
  Ash_Heading(sheet, "GROUND ROWS AT ZOOM 1 AND 2 (ZOOM 4 DOUBLES ZOOM 2)");
  for (int row = 0; row < ATK_PATTERN_ROWS; ++row) {
    if (g->shapeTable[row][0] == 255) continue;
    u8 m1[32 * 16], m2[64 * 32];
    Atk_RenderRow(g, row, 1, m1);
    Atk_RenderRow(g, row, 2, m2);
    char label[16];
    snprintf(label, sizeof label, "ROW %d", row);
    Ash_AddMask(sheet, label, m1, 32, 16, 2);
    Ash_AddMask(sheet, "", m2, 64, 32, 2);
  }
  Ash_Heading(sheet, "SYMBOL FONT 0-32 AT ZOOM 1 AND 2");
  for (int k = 0; k < ABS_GLYPHS; ++k) {
    u8 a[16 * 8], b[32 * 16];
    Abs_Glyph(k, 1, a);
    Abs_Glyph(k, 2, b);
    char label[8];
    snprintf(label, sizeof label, "%d", k);
    Ash_AddMask(sheet, label, a, 8, 16, 3);
    Ash_AddMask(sheet, "", b, 16, 32, 2);
  }
}

int SaveSheet(Sheet* sh, const char* name) {
  wstr p = Widen(g_sheet + name);
  int r = Ash_SaveBmp(sh, p.c_str());
  if (r) return Fail("contact sheet", r);
  Ash_Init(sh, sh->width);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: gfxgen OUTPUT_FOLDER [--sheet SHEET_FOLDER] [--tables FILE]\n");
    return 2;
  }
  g_out = argv[1];
  if (!g_out.empty() && g_out.back() != '/' && g_out.back() != '\\') g_out += '/';
  for (int i = 2; i + 1 < argc; ++i)
    if (strcmp(argv[i], "--tables") == 0) g_tables = argv[i + 1];
  for (int i = 2; i + 1 < argc; ++i)
    if (strcmp(argv[i], "--sheet") == 0) {
      g_sheet = argv[i + 1];
      if (!g_sheet.empty() && g_sheet.back() != '/' && g_sheet.back() != '\\') g_sheet += '/';
    }
  Heap_Init();
  Fio_InitBuffers();
  static AtkGround ground;
  static Sheet sheet;
  Sheet* sh = g_sheet.empty() ? nullptr : &sheet;
  if (sh) Ash_Init(sh, 2400);
  if (WriteBase(&ground) != 0) return 1;
  if (!g_tables.empty()) {
    std::string text;
    Atk_TablesSource(&ground, &text);
    wstr p = Widen(g_tables);
    int r = Fio_OpenWrite(p.c_str(), 0, FOLDER_FULLPATH);
    if (r == 0) r = Fio_WriteBlock(text.data(), u32(text.size()));
    if (r == 0) r = Fio_CloseWrite();
    if (r) return Fail("tables", r);
  }
  if (sh) {
    SheetGround(sh, &ground);
    if (SaveSheet(sh, "sheet_ground.bmp")) return 1;
  }
  if (WriteElements(&ground, sh) != 0) return 1;
  if (sh && SaveSheet(sh, "sheet_elements.bmp")) return 1;
  if (WriteSymbols(sh) != 0) return 1;
  if (WriteVehicles(sh) != 0) return 1;
  if (WriteTitle(sh) != 0) return 1;
  if (sh && SaveSheet(sh, "sheet_vehicles.bmp")) return 1;
  Fio_FreeBuffers();
  return 0;
}
