#include "shell/filedlg.h"

#include "model/logp.h"
#include "model/mcs.h"
#include "shell/ewin.h"
#include "platform/fmt.h"
#include "platform/lng.h"
#include "platform/print.h"
#include "platform/str.h"
#include "render/pal.h"
#include "resources/resid.h"
#include "shell/file.h"
#include "shell/userfiles.h"
#include "platform/fio.h"

// ---------------------------------------------------------------- picture options
// Bit 0 monochrome, bit 2 symbols without ground detail, bit 3 trains drawn
// as track; 8-bit pictures carry bit 1.
static const u32 kPictureKinds[FILE_PICTURE_KINDS] = {1, 5, 2, 6, 10, 14};

int File_PictureKindButton(u32 options) {
  if (options & 1) return (options & 4) ? 1 : 0;
  if (options & 4) return (options & 8) ? 5 : 3;
  return (options & 8) ? 4 : 2;
}

u32 File_PictureKindOptions(int button) {
  return (button >= 0 && button < FILE_PICTURE_KINDS) ? kPictureKinds[button] : kPictureKinds[0];
}

int File_PictureScaleButton(int scale) {
  int b = 0;
  while (b < FILE_PICTURE_SCALES - 1 && (2 << b) <= scale) ++b;
  return b;
}

int File_PictureButtonScale(int button) {
  if (button < 0) button = 0;
  if (button >= FILE_PICTURE_SCALES) button = FILE_PICTURE_SCALES - 1;
  return 1 << button;
}

// ---------------------------------------------------------------- text listing options
static const u16 kTextBits[FILE_TEXT_CHECKS] = {0x1,   0x2,   0x4,   0x8,    0x10,   0x100,  0x20,
                                                0x40,  0x80,  0x200, 0x800,  0x1000, 0x8000, 0x400};
// 0x400 is an option every section takes, not a section of its own.
static const u16 kTextSections = 0x1 | 0x2 | 0x4 | 0x8 | 0x10 | 0x20 | 0x40 | 0x80 | 0x100 | 0x200 | 0x800 |
                                 0x1000 | 0x8000;

u16 File_TextCheckBit(int i) { return (i >= 0 && i < FILE_TEXT_CHECKS) ? kTextBits[i] : 0; }

u32 File_TextChecksOfWord(u16 word) {
  u32 checks = 0;
  for (int i = 0; i < FILE_TEXT_CHECKS; ++i)
    if (word & kTextBits[i]) checks |= 1u << i;
  return checks;
}

int File_TextEncodingOfWord(u16 word) {
  // 8-bit text wins when both bits are set, as the writer does.
  if (word & FILE_TEXT_ANSI) return 2;
  if (word & FILE_TEXT_UTF16) return 1;
  return 0;
}

u16 File_TextWordOf(u32 checks, int encoding, u16 old) {
  u32 word = old;
  for (int i = 0; i < FILE_TEXT_CHECKS; ++i) {
    word &= ~u32(kTextBits[i]);
    if (checks & (1u << i)) word |= kTextBits[i];
  }
  word &= ~u32(FILE_TEXT_UTF16 | FILE_TEXT_ANSI);
  if (encoding == 1) word |= FILE_TEXT_UTF16;
  if (encoding == 2) word |= FILE_TEXT_ANSI;
  return u16(word);
}

int File_TextNoSection(u16 word) { return (word & kTextSections) == 0; }

wch File_TextSeparator(i32 code) { return code < 32 ? wch(32) : wch(code > 0xFFFF ? 32 : code); }

// ---------------------------------------------------------------- run log options
// Check boxes 470..472 and radio buttons 400..402 stand for these bits; the
// third radio button for neither encoding bit.
static const u32 kLogChecks[3] = {LOGP_OPT_POINTS, LOGP_OPT_DISPATCH, LOGP_OPT_VEHICLES};
static const u32 kLogEncodings[2] = {LOGP_OPT_UTF16, LOGP_OPT_ANSI};
enum : TextId { TXT_LOG_TITLE = 11350, TXT_LOG_FOLDER = 11351, TXT_LOG_CHECK_FIRST = 11352,
                TXT_LOG_SEPARATOR = 11355, TXT_LOG_COMMENT = 11356, TXT_LOG_ENCODING = 11357 };
// The encoding buttons reuse the text listing's words.
static const TextId kLogEncodingTexts[3] = {11339, 11340, 11338};
enum : u16 { HELP_LOG = 42017 };

void File_LogFormLoad(FileLogForm* form) {
  wch separator = u',', comment = u';';
  Logp_GetSettings(nullptr, &separator, &comment, nullptr);
  if (Fio_FolderPath(FOLDER_LOGS, form->folder, OS_MAX_PATH) != 0) form->folder[0] = 0;
  Fmt_Print(form->separator, FILE_LOG_CODE_MAX, u"%u", u32(separator));
  Fmt_Print(form->comment, FILE_LOG_CODE_MAX, u"%u", u32(comment));
}

int File_LogBuildDesc(DlgBuild* b, FileLogForm* form, u32 flags, i32 focus) {
  Dfw_AddTitle(b, TXT_LOG_TITLE, HELP_LOG, focus);
  Dfw_AddStatic(b, 190, TXT_LOG_FOLDER);
  // One unit short of a path, so that the closing backslash still fits.
  Dfw_AddEdit(b, 140, form->folder, OS_MAX_PATH - 1, DLG_EDIT_TRIM, 0, 0);
  for (int i = 0; i < 3; ++i)
    Dfw_AddCheck(b, u16(470 + i), u16(TXT_LOG_CHECK_FIRST + i), (flags & kLogChecks[i]) ? DLG_BUTTON_CHECKED : 0);
  Dfw_AddStatic(b, 191, TXT_LOG_SEPARATOR);
  Dfw_AddEdit(b, 141, form->separator, FILE_LOG_CODE_MAX - 1, DLG_EDIT_TRIM, 32, 65535);
  Dfw_AddStatic(b, 192, TXT_LOG_COMMENT);
  Dfw_AddEdit(b, 142, form->comment, FILE_LOG_CODE_MAX - 1, DLG_EDIT_TRIM, 32, 65535);
  Dfw_AddStatic(b, 193, TXT_LOG_ENCODING);
  const int encoding = (flags & LOGP_OPT_UTF16) ? 0 : (flags & LOGP_OPT_ANSI) ? 1 : 2;
  for (int i = 0; i < 3; ++i)
    Dfw_AddRadio(b, u16(400 + i), u16(kLogEncodingTexts[i]), i == encoding ? DLG_BUTTON_CHECKED : 0);
  Dfw_AddButton(b, DLG_OK);
  Dfw_AddButton(b, DLG_CANCEL);
  Dfw_AddButton(b, DLG_HELP);
  return Dfw_BuildEnd(b);
}

static int File_DescChecked(const DlgDesc* desc, i32 control) {
  const u8* r = Dfw_FindDescItem(desc, control);
  return r && (Dfw_ItemFlags(r) & DLG_BUTTON_CHECKED) ? 1 : 0;
}

u32 File_LogFlagsOfDesc(const DlgDesc* desc, u32 old) {
  u32 flags = old & ~u32(LOGP_OPT_POINTS | LOGP_OPT_DISPATCH | LOGP_OPT_VEHICLES | LOGP_OPT_UTF16 | LOGP_OPT_ANSI);
  for (int i = 0; i < 3; ++i)
    if (File_DescChecked(desc, 470 + i)) flags |= kLogChecks[i];
  for (int i = 0; i < 2; ++i)
    if (File_DescChecked(desc, 400 + i)) flags |= kLogEncodings[i];
  return flags;
}

// A character code as entered; 0 (which the settings refuse) when it is
// unreadable or no 16-bit code.
static wch File_LogCode(const wch* text) {
  wch buf[FILE_LOG_CODE_MAX];
  Str_Copy(buf, text);
  Str_TrimLeft(buf);
  i32 v = 0;
  if (!Str_ToI32(buf, &v) || v < 0 || v > 0xFFFF) return 0;
  return wch(v);
}

int File_LogStore(const FileLogForm* form, u32 flags, i32* focus) {
  switch (Logp_SetSettings(flags, File_LogCode(form->separator), File_LogCode(form->comment))) {
    case 0: return 0;
    case 1: *focus = 470; return 255;
    case 2: *focus = 141; return 256;
    default: *focus = 142; return 257;
  }
}

int File_LogSetFolder(const FileLogForm* form) {
  wch path[OS_MAX_PATH + 1];
  Str_Copy(path, form->folder + Str_CountLeadingBlanks(form->folder));
  i32 n = Str_Len(path);
  if (n == 0) return 1;
  if (path[n - 1] != u'\\') {
    path[n++] = u'\\';
    path[n] = 0;
  }
  return Fio_SetFolderPath(FOLDER_LOGS, path) ? 2 : 0;
}

// ---------------------------------------------------------------- user file lists
static const FileListKind kLists[3] = {
    {USERFILE_ELEMENT_SLOTS, IDD_LIST_UZG, 11650, 0, u"uzg"},
    {USERFILE_VEHICLE_SLOTS, IDD_LIST_UZ1, 11652, 2, u"uz1"},
    {USERFILE_SET_SLOTS, IDD_LIST_NFZ, 11651, 1, u"nfz"},
};
enum : TextId { TXT_LIST_EMPTY = 11730, TXT_GROUP_FIRST = 11655 };

const FileListKind* File_ListKind(int list) { return (list >= 0 && list < 3) ? &kLists[list] : nullptr; }

void File_ListRowPrefix(int list, int row, wch* out) {
  if (list == FILE_LIST_UZ1) {
    const wch letter = Lng_GetText(TextId(TXT_GROUP_FIRST + row / 20))[0];
    Fmt_Print(out, 16, u"%c%2u: ", u32(letter ? letter : u'?'), u32(row % 20));
  } else {
    Fmt_Print(out, 16, list == FILE_LIST_UZG ? u"%3u: " : u"%2u: ", u32(row));
  }
}

void File_ListRowText(int list, int row, const wch* name, wch* out) {
  wch prefix[16];
  File_ListRowPrefix(list, row, prefix);
  Fmt_Print(out, FILE_LIST_ROW_MAX, u"%s%s", prefix, name && name[0] ? name : Lng_GetText(TXT_LIST_EMPTY));
}

void File_ListCleanName(const wch* text, const wch* extension, wch* out) {
  wch buf[FILE_LIST_ROW_MAX];
  i32 n = 0;
  for (; text[n] && n < FILE_LIST_ROW_MAX - 1; ++n) {
    const wch c = text[n];
    buf[n] = (c == u'\\' || c == u'/' || c == u':') ? u' ' : c;
  }
  buf[n] = 0;
  i32 start = 0;
  while (buf[start] == u' ') ++start;
  i32 end = start;
  while (buf[end] && buf[end] != u',' && buf[end] != u';') ++end;
  while (end > start && buf[end - 1] == u' ') --end;
  int dot = 0;
  i32 o = 0;
  for (i32 i = start; i < end; ++i) {
    if (buf[i] == u'.') dot = 1;
    out[o++] = buf[i];
  }
  out[o] = 0;
  if (o > 0 && !dot && o + 1 + Str_Len(extension) < FILE_LIST_ROW_MAX) {
    out[o++] = u'.';
    Str_Copy(out + o, extension);
  }
}

int File_GetNfzName(int slot, wch* buf) {
  if (slot < 1 || slot > USERFILE_SET_SLOTS) return 1;
  File_GetVehicleSetName(slot - 1, buf);
  return 0;
}

int File_SetNfzName(int slot, const wch* name) {
  if (slot < 1 || slot > USERFILE_SET_SLOTS) return 1;
  return File_SetVehicleSetName(slot - 1, name);
}

int File_ChooseUserFile(wch* buffer, int kind) {
  static const TextId kFilter[3] = {11662, 11663, 11664};
  static const wch* const kExtension[3] = {u"uzg", u"nfz", u"uz1"};
  if (kind < 0 || kind > 2) return 1;
  return File_FileDialog(11660, 11661, 42016, 0, nullptr, FOLDER_PROGRAM, nullptr, buffer, kExtension[kind],
                         kFilter[kind]) == 2
             ? 0
             : 1;
}

int File_ListGetName(int list, int slot, wch* buf) {
  buf[0] = 0;
  const FileListKind* k = File_ListKind(list);
  if (!k || slot < 1 || slot > k->slots) return 1;
  if (list == FILE_LIST_UZG) File_GetUzgName(slot, buf);
  else if (list == FILE_LIST_UZ1) File_GetUz1Name(slot, buf);
  else return File_GetNfzName(slot, buf);
  return 0;
}

int File_ListSetName(int list, int slot, const wch* name) {
  if (list == FILE_LIST_UZG) return File_SetUzgName(slot, name);
  if (list == FILE_LIST_UZ1) return File_SetUz1Name(slot, name);
  if (list == FILE_LIST_NFZ) return File_SetNfzName(slot, name);
  return 1;
}

static const wch* File_SkipBlanks(const wch* s) {
  while (*s == u' ') ++s;
  return s;
}

int File_ListStore(int list, const u8* flags, const wch (*names)[FILE_LIST_ROW_MAX]) {
  const FileListKind* k = File_ListKind(list);
  if (!k) return 0;
  int changed = 0;
  for (int row = 0; row < k->slots; ++row) {
    const wch* name = flags[row] ? names[row] : u"";
    wch old[USERFILE_NAME_MAX + 1];
    File_ListGetName(list, row + 1, old);
    if (Str_CompareEx(File_SkipBlanks(old), File_SkipBlanks(name), STR_CMP_NOCASE) == 0) continue;
    File_ListSetName(list, row + 1, name);
    changed = 1;
  }
  return changed;
}

int File_ListFinish(int list, const u8* flags, wch (*names)[FILE_LIST_ROW_MAX]) {
  const FileListKind* k = File_ListKind(list);
  if (!k) return 0;
  for (int i = 0; i < k->slots; ++i) {
    wch clean[FILE_LIST_ROW_MAX];
    File_ListCleanName(names[i], k->extension, clean);
    Str_Copy(names[i], clean);
  }
  const int changed = File_ListStore(list, flags, names);
  if (changed) Ewin_SetModified();
  File_ReloadUserGraphics();
  Mcs_LoadDefinitions(1);
  Mcs_Revalidate(-1, nullptr);
  File_RedrawAllViews();
  return changed;
}

// ---------------------------------------------------------------- colour settings
// The entries a user may set: the drawing colours 0..133 and the three
// entries behind the sixteen custom colours of the colour dialog.
i32 File_ColourSlot(int row) {
  if (row < 0 || row >= FILE_COLOUR_SLOTS) return -1;
  return row < 134 ? row : 150 + (row - 134);
}

// ---------------------------------------------------------------- background picture
void File_BgpEstimates(i32 width, i32 height, i32 bits, i32 out[4]) {
  const i64 k = i64(width) * height / 1024;
  const i64 bytes[4] = {k * 4, k * 3, k * 2, k * bits / 8};
  for (int i = 0; i < 4; ++i) out[i] = i32(bytes[i] * 100 / 1024);
}

int File_BgpReadArea(const wch* const texts[4], i32 out[4], int* field) {
  for (int i = 0; i < 4; ++i) {
    const wch* t = texts[i];
    while (*t == u' ') ++t;
    if (!Str_ToI32(t, &out[i])) {
      *field = i;
      return 291;
    }
  }
  for (int i = 0; i < 4; ++i) {
    const i32 lo = i < 2 ? 0 : 1;
    if (out[i] < lo || out[i] > 32767) {
      *field = i;
      return i < 2 ? 292 : 293;
    }
  }
  return 0;
}

i32 File_BgpKeepRatio(i32 value, int byWidth, i32 picWidth, i32 picHeight) {
  const i32 divisor = byWidth ? picWidth : picHeight;
  if (divisor < 1) return -1;
  return i32(i64(value) * (byWidth ? picHeight : picWidth) / divisor);
}
